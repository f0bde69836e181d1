#include "tests/support/damaged_media.h"

#include <fstream>
#include <iterator>
#include <random>

#include "tests/support/gst_media.h"

namespace quova::testing {

namespace {

std::string Video(double seconds, int fps = 25) {
    return "videotestsrc pattern=ball num-buffers=" +
           std::to_string(static_cast<int>(seconds * fps)) +
           " ! video/x-raw,width=320,height=240,framerate=" + std::to_string(fps) + "/1";
}

std::string Audio(double seconds) {
    return "audiotestsrc wave=sine samplesperbuffer=1024 num-buffers=" +
           std::to_string(static_cast<int>(seconds * 44100 / 1024) + 1) +
           " ! audio/x-raw,format=S16LE,rate=44100,channels=2";
}

std::string Bytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void Write(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace

std::vector<std::filesystem::path> MakeSourceMedia(const std::filesystem::path& dir,
                                                   double seconds) {
    std::filesystem::create_directories(dir);
    std::vector<std::filesystem::path> made;
    const std::string v = Video(seconds), a = Audio(seconds);
    const std::pair<const char*, std::string> kinds[] = {
        {"clip.avi", v + " ! jpegenc ! avimux name=m ! filesink location=$OUT " + a + " ! m."},
        {"clip.ogg", v + " ! theoraenc ! oggmux name=m ! filesink location=$OUT " + a +
                         " ! audioconvert ! vorbisenc ! m."},
        {"clip.mkv",
         v +
             " ! videoconvert ! video/x-raw,format=I420 ! x264enc speed-preset=ultrafast"
             " ! h264parse ! matroskamux name=m ! filesink location=$OUT " +
             a + " ! audioconvert ! lamemp3enc ! mpegaudioparse ! m."},
        {"clip.mpg", v + " ! videoconvert ! mpeg2enc ! mpegpsmux name=m ! filesink location=$OUT " +
                         a + " ! audioconvert ! avenc_mp2 ! m."},
        {"clip.mp3", a + " ! audioconvert ! lamemp3enc ! filesink location=$OUT"},
        {"clip.wav", a + " ! wavenc ! filesink location=$OUT"},
        // The WMV encoder stamps its output 1000 hours on and the ASF muxer
        // keeps the stamps, so the audio starts as late, or no player would
        // show the picture.
        {"clip.wmv", v +
                         " ! videoconvert ! avenc_wmv2 ! asfmux name=m ! filesink location=$OUT "
                         "audiotestsrc timestamp-offset=3600000000000000 wave=sine "
                         "samplesperbuffer=1024 num-buffers=" +
                         std::to_string(static_cast<int>(seconds * 44100 / 1024) + 1) +
                         " ! audio/x-raw,format=S16LE,rate=44100,channels=2 ! audioconvert ! "
                         "avenc_wmav2 ! m."},
    };
    for (const auto& [name, description] : kinds) {
        const std::filesystem::path out = dir / name;
        if (MakeMedia(description, out).empty() && std::filesystem::file_size(out) > 0)
            made.push_back(out);
    }
    return made;
}

std::vector<std::filesystem::path> MakeDamagedCorpus(
    const std::vector<std::filesystem::path>& sources, const std::filesystem::path& dir,
    int flipped) {
    std::filesystem::create_directories(dir);
    std::vector<std::filesystem::path> made;
    for (const std::filesystem::path& source : sources) {
        const std::string bytes = Bytes(source);
        const std::string stem = source.stem().string(), ext = source.extension().string();
        for (int cut = 0; cut < 10; ++cut) {
            const size_t size = bytes.size() * (5 + 10 * cut) / 100;
            const auto out = dir / (stem + "-cut" + std::to_string(5 + 10 * cut) + ext);
            Write(out, bytes.substr(0, size));
            made.push_back(out);
        }
        for (int copy = 0; copy < flipped; ++copy) {
            std::mt19937 random(static_cast<unsigned>(1000 * copy + bytes.size()));
            std::string damaged = bytes;
            // Headers matter most: half of the copies are hit in the first 4 KiB.
            const size_t span = copy % 2 ? damaged.size() : std::min<size_t>(damaged.size(), 4096);
            for (int i = 0; i < 1 + copy; ++i)
                damaged[random() % span] = static_cast<char>(random() & 0xFF);
            const auto out = dir / (stem + "-flip" + std::to_string(copy) + ext);
            Write(out, damaged);
            made.push_back(out);
        }
    }
    return made;
}

}  // namespace quova::testing

#include "tests/support/gst_media.h"

#include <gst/gst.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

namespace quova::testing {

namespace {

std::string Replace(std::string text, const std::string& what, const std::string& with) {
    for (size_t at = text.find(what); at != std::string::npos;
         at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

std::string AudioSource(double seconds, int rate, int channels, int frequency = 440) {
    const int perBuffer = 1024;
    const int buffers = static_cast<int>(std::ceil(seconds * rate / perBuffer));
    return "audiotestsrc wave=sine freq=" + std::to_string(frequency) +
           " samplesperbuffer=" + std::to_string(perBuffer) +
           " num-buffers=" + std::to_string(buffers) +
           " ! audio/x-raw,format=S16LE,rate=" + std::to_string(rate) +
           ",channels=" + std::to_string(channels);
}

std::string VideoSource(double seconds, int fps = 25) {
    return "videotestsrc pattern=smpte num-buffers=" +
           std::to_string(static_cast<int>(std::lround(seconds * fps))) +
           " ! video/x-raw,width=320,height=240,framerate=" + std::to_string(fps) + "/1";
}

std::filesystem::path Made(const std::string& description, const std::filesystem::path& out) {
    const std::string error = MakeMedia(description, out);
    EXPECT_EQ(error, "") << "while making " << out;
    return out;
}

}  // namespace

std::string MakeMedia(const std::string& description, const std::filesystem::path& out) {
    gst_init(nullptr, nullptr);  // returns once the plugin registry is complete
    const std::string launch = Replace(description, "$OUT", "\"" + out.string() + "\"");
    GError* parseError = nullptr;
    GstElement* pipeline = gst_parse_launch(launch.c_str(), &parseError);
    if (parseError) {
        std::string message = parseError->message;
        g_error_free(parseError);
        if (pipeline) gst_object_unref(pipeline);
        return "cannot build pipeline: " + message;
    }
    return RunPipelineToEnd(pipeline, 120);
}

std::string RunPipelineToEnd(GstElement* pipeline, int timeoutSeconds) {
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* msg = gst_bus_timed_pop_filtered(
        bus, static_cast<GstClockTime>(timeoutSeconds) * GST_SECOND,
        static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    std::string result;
    if (!msg) {
        result = "timed out";
    } else if (GST_MESSAGE_TYPE(msg) == GST_MESSAGE_ERROR) {
        GError* err = nullptr;
        gst_message_parse_error(msg, &err, nullptr);
        result = err ? err->message : "unknown error";
        if (err) g_error_free(err);
    }
    if (msg) gst_message_unref(msg);
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return result;
}

std::string MakeMediaOnce(const std::string& description, const std::filesystem::path& out) {
    std::error_code ec;
    if (std::filesystem::exists(out, ec)) return "";
    std::filesystem::create_directories(out.parent_path(), ec);
    return MakeMedia(description, out);
}

namespace media {

std::filesystem::path Wav(const std::filesystem::path& out, double seconds, int rate,
                          int channels) {
    return Made(AudioSource(seconds, rate, channels) + " ! wavenc ! filesink location=$OUT", out);
}

std::filesystem::path Mp3(const std::filesystem::path& out, double seconds, bool id3v1) {
    Made(AudioSource(seconds, 44100, 2) +
             " ! audioconvert ! lamemp3enc target=bitrate bitrate=128 cbr=true ! "
             "filesink location=$OUT",
         out);
    if (id3v1) {
        // ID3 version 1: "TAG", title 30, artist 30, album 30, year 4,
        // comment 28, zero, track, genre.
        std::string tag(128, '\0');
        auto put = [&tag](size_t at, const std::string& text) {
            tag.replace(at, text.size(), text);
        };
        put(0, "TAG");
        put(3, "Test Title");
        put(33, "Test Artist");
        put(63, "Test Album");
        put(93, "2001");
        put(97, "Test Comment");
        tag[126] = 7;   // track
        tag[127] = 17;  // genre: Rock
        std::ofstream(out, std::ios::binary | std::ios::app).write(tag.data(), 128);
    }
    return out;
}

std::filesystem::path Mp3WithCover(const std::filesystem::path& out, double seconds, int side) {
    const std::filesystem::path audio = out.string() + ".audio";
    const std::filesystem::path cover = out.string() + ".jpg";
    Mp3(audio, seconds);
    Made("videotestsrc pattern=snow num-buffers=1 ! video/x-raw,width=" + std::to_string(side) +
             ",height=" + std::to_string(side) + " ! jpegenc quality=95 ! filesink location=$OUT",
         cover);
    auto read = [](const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string picture = read(cover);
    // APIC: text encoding, MIME type, picture type 3 (front cover), empty
    // description, the picture.
    std::string apic = std::string(1, '\0') + "image/jpeg" + '\0' + '\3' + '\0' + picture;
    auto be32 = [](std::size_t n) {
        return std::string{static_cast<char>(n >> 24), static_cast<char>(n >> 16),
                           static_cast<char>(n >> 8), static_cast<char>(n)};
    };
    const std::string frame = "APIC" + be32(apic.size()) + std::string(2, '\0') + apic;
    // The tag's size is synch-safe: seven bits a byte.
    const std::size_t n = frame.size();
    const std::string header =
        std::string("ID3\3\0\0", 6) +
        std::string{static_cast<char>((n >> 21) & 0x7f), static_cast<char>((n >> 14) & 0x7f),
                    static_cast<char>((n >> 7) & 0x7f), static_cast<char>(n & 0x7f)};
    std::ofstream(out, std::ios::binary) << header << frame << read(audio);
    std::filesystem::remove(audio);
    std::filesystem::remove(cover);
    return out;
}

std::filesystem::path MpegPsVideoFrames(const std::filesystem::path& out, int frames) {
    return Made("videotestsrc pattern=smpte num-buffers=" + std::to_string(frames) +
                    " ! video/x-raw,width=320,height=240,framerate=25/1 ! videoconvert ! "
                    "mpeg2enc format=0 ! mpegpsmux ! filesink location=$OUT",
                out);
}

double FfprobeSeconds(const std::filesystem::path& file) {
    const std::string command =
        "ffprobe -v error -show_entries format=duration -of default=nw=1:nk=1 '" + file.string() +
        "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    char line[64] = {};
    const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
    pclose(pipe);
    char* end = nullptr;
    const double seconds = read ? std::strtod(line, &end) : -1;
    return read && end != line ? seconds : -1;
}

std::filesystem::path OggVorbis(const std::filesystem::path& out, double seconds) {
    return Made(AudioSource(seconds, 44100, 2) +
                    " ! audioconvert ! vorbisenc ! oggmux ! filesink location=$OUT",
                out);
}

std::filesystem::path OggTheoraVorbis(const std::filesystem::path& out, double seconds) {
    return Made(VideoSource(seconds) + " ! theoraenc ! oggmux name=mux ! filesink location=$OUT " +
                    AudioSource(seconds, 44100, 2) + " ! audioconvert ! vorbisenc ! mux.",
                out);
}

std::filesystem::path AviPcm(const std::filesystem::path& out, double seconds, int audioStreams) {
    std::string description =
        VideoSource(seconds) + " ! jpegenc ! avimux name=mux ! filesink location=$OUT";
    for (int i = 0; i < audioStreams; ++i)
        description += " " + AudioSource(seconds, 44100, 2) + " ! mux.";
    return Made(description, out);
}

std::filesystem::path VbrMp3(const std::filesystem::path& out, double loudSeconds,
                             double quietSeconds, bool loudFirst) {
    auto part = [](double seconds, const char* wave, double volume) {
        return "audiotestsrc wave=" + std::string(wave) + " volume=" + std::to_string(volume) +
               " samplesperbuffer=1152 num-buffers=" +
               std::to_string(static_cast<int>(std::ceil(seconds * 44100 / 1152))) +
               " ! audio/x-raw,format=S16LE,rate=44100,channels=2 ! c. ";
    };
    const std::string loud = part(loudSeconds, "white-noise", 1.0);
    const std::string quiet = part(quietSeconds, "silence", 0.0);
    Made(
        "concat name=c ! audioconvert ! lamemp3enc target=quality quality=0 ! "
        "filesink location=$OUT " +
            (loudFirst ? loud + quiet : quiet + loud),
        out);
    return out;
}

std::filesystem::path AviMp3(const std::filesystem::path& out, double seconds) {
    return Made(VideoSource(seconds) + " ! jpegenc ! avimux name=mux ! filesink location=$OUT " +
                    AudioSource(seconds, 44100, 2) +
                    " ! audioconvert ! lamemp3enc ! mpegaudioparse ! mux.",
                out);
}

std::filesystem::path MpegPs(const std::filesystem::path& out, double seconds) {
    return Made(VideoSource(seconds) +
                    " ! videoconvert ! mpeg2enc ! mpegpsmux name=mux ! "
                    "filesink location=$OUT " +
                    AudioSource(seconds, 44100, 2) + " ! audioconvert ! avenc_mp2 ! mux.",
                out);
}

namespace {

// H.264 video and one compressed audio stream in the container of `muxer`.
std::filesystem::path H264With(const std::filesystem::path& out, double seconds,
                               const std::string& muxer, const std::string& audioEncoder) {
    return Made(VideoSource(seconds) + " ! x264enc speed-preset=ultrafast key-int-max=25 ! " +
                    "h264parse ! " + muxer + " name=mux ! filesink location=$OUT " +
                    AudioSource(seconds, 44100, 2) + " ! audioconvert ! " + audioEncoder +
                    " ! mux.",
                out);
}

}  // namespace

std::filesystem::path MatroskaH264Mp3(const std::filesystem::path& out, double seconds) {
    return H264With(out, seconds, "matroskamux", "lamemp3enc ! mpegaudioparse");
}

std::filesystem::path MatroskaH264KeyFrames(const std::filesystem::path& out, double seconds,
                                            int keyFrameInterval) {
    return Made(VideoSource(seconds) +
                    " ! x264enc speed-preset=ultrafast option-string=scenecut=0 key-int-max=" +
                    std::to_string(keyFrameInterval) +
                    " ! h264parse ! matroskamux name=mux ! filesink location=$OUT " +
                    AudioSource(seconds, 44100, 2) +
                    " ! audioconvert ! lamemp3enc ! mpegaudioparse ! mux.",
                out);
}

std::filesystem::path Mp4H264Aac(const std::filesystem::path& out, double seconds) {
    return H264With(out, seconds, "mp4mux", "avenc_aac");
}

std::filesystem::path Hls(const std::filesystem::path& folder, double seconds, int segmentSeconds) {
    const std::filesystem::path list = folder / "index.m3u8";
    const std::string segments = (folder / "segment%05d.ts").string();
    // An ended list (every segment named, then EXT-X-ENDLIST): a stream
    // with a length, as a film is served.
    return Made(VideoSource(seconds) +
                    " ! x264enc speed-preset=ultrafast key-int-max=25 ! h264parse ! "
                    "hlssink2 name=hls playlist-length=0 max-files=0 target-duration=" +
                    std::to_string(segmentSeconds) + " location=\"" + segments +
                    "\" playlist-location=$OUT " + AudioSource(seconds, 44100, 2) +
                    " ! audioconvert ! avenc_aac ! aacparse ! hls.audio",
                list);
}

namespace {

// Cuts a fragmented MP4 file into DASH's pieces: `stem`-init.mp4 (its
// header boxes) and `stem`-1.m4s .. `stem`-<count>.m4s, one fragment (moof
// and mdat) each; fragments past `count` (a last sliver of sound) join the
// last piece.
void CutIntoSegments(const std::filesystem::path& fragmented, const std::string& stem, int count) {
    std::stringstream whole;
    whole << std::ifstream(fragmented, std::ios::binary).rdbuf();
    const std::string data = whole.str();
    std::vector<std::string> pieces(1);
    size_t at = 0;
    while (at + 8 <= data.size()) {
        const auto byte = [&](size_t i) { return static_cast<unsigned char>(data[at + i]); };
        const size_t size = (size_t{byte(0)} << 24) | (size_t{byte(1)} << 16) |
                            (size_t{byte(2)} << 8) | size_t{byte(3)};
        const std::string type = data.substr(at + 4, 4);
        if (size < 8 || at + size > data.size()) break;
        if (type == "moof" && static_cast<int>(pieces.size()) <= count) pieces.emplace_back();
        if (type != "mfra") pieces.back() += data.substr(at, size);
        at += size;
    }
    EXPECT_EQ(static_cast<int>(pieces.size()), count + 1) << "fragments of " << fragmented;
    const std::filesystem::path folder = fragmented.parent_path();
    std::ofstream(folder / (stem + "-init.mp4"), std::ios::binary) << pieces[0];
    for (size_t i = 1; i < pieces.size(); ++i)
        std::ofstream(folder / (stem + "-" + std::to_string(i) + ".m4s"), std::ios::binary)
            << pieces[i];
    std::filesystem::remove(fragmented);
}

}  // namespace

std::filesystem::path Dash(const std::filesystem::path& folder, double seconds,
                           int segmentSeconds) {
    // GStreamer 1.22's dashsink cuts MP4 segments wrongly (the first holds
    // everything) and types a transport stream of sound as video: the
    // segments are cut here from fragmented MP4 files, a fragment each, and
    // the manifest written around them.
    const std::string fragment = std::to_string(segmentSeconds * 1000);
    Made(VideoSource(seconds) + " ! x264enc speed-preset=ultrafast key-int-max=" +
             std::to_string(segmentSeconds * 25) +
             " ! h264parse ! mp4mux fragment-duration=" + fragment + " ! filesink location=$OUT",
         folder / "video.mp4");
    Made(AudioSource(seconds, 44100, 2) +
             " ! audioconvert ! avenc_aac ! aacparse ! mp4mux fragment-duration=" + fragment +
             " ! filesink location=$OUT",
         folder / "audio.mp4");
    const int count = static_cast<int>(std::ceil(seconds / segmentSeconds - 1e-6));
    CutIntoSegments(folder / "video.mp4", "video", count);
    CutIntoSegments(folder / "audio.mp4", "audio", count);
    char length[32];
    std::snprintf(length, sizeof length, "PT%.3fS", seconds);
    const std::string timing = "<SegmentTemplate timescale=\"1\" duration=\"" +
                               std::to_string(segmentSeconds) + "\" startNumber=\"1\" ";
    const std::filesystem::path manifest = folder / "index.mpd";
    std::ofstream(manifest)
        << "<?xml version=\"1.0\"?>\n"
           "<MPD xmlns=\"urn:mpeg:dash:schema:mpd:2011\" type=\"static\" "
           "profiles=\"urn:mpeg:dash:profile:isoff-live:2011\" minBufferTime=\"PT2S\" "
           "mediaPresentationDuration=\""
        << length << "\">\n<Period start=\"PT0S\">\n"
        << "<AdaptationSet mimeType=\"video/mp4\" contentType=\"video\">"
           "<Representation id=\"video\" bandwidth=\"2000000\" width=\"320\" height=\"240\" "
           "codecs=\"avc1.64000d\">"
        << timing
        << "initialization=\"video-init.mp4\" media=\"video-$Number$.m4s\"/>"
           "</Representation></AdaptationSet>\n"
        << "<AdaptationSet mimeType=\"audio/mp4\" contentType=\"audio\">"
           "<Representation id=\"audio\" bandwidth=\"128000\" audioSamplingRate=\"44100\" "
           "codecs=\"mp4a.40.2\">"
        << timing
        << "initialization=\"audio-init.mp4\" media=\"audio-$Number$.m4s\"/>"
           "</Representation></AdaptationSet>\n</Period>\n</MPD>\n";
    return manifest;
}

std::filesystem::path OggVorbisTones(const std::filesystem::path& out, double seconds,
                                     const std::vector<int>& frequencies) {
    std::string description = "oggmux name=mux ! filesink location=$OUT";
    for (int frequency : frequencies)
        description +=
            " " + AudioSource(seconds, 44100, 2, frequency) + " ! audioconvert ! vorbisenc ! mux.";
    return Made(description, out);
}

std::filesystem::path AviVideoPcm(const std::filesystem::path& out, double seconds,
                                  const std::string& encoder) {
    return Made(VideoSource(seconds) + " ! " + encoder +
                    " ! avimux name=mux ! filesink location=$OUT " +
                    AudioSource(seconds, 44100, 2) + " ! mux.",
                out);
}

std::filesystem::path MpegPsLateAudio(const std::filesystem::path& out, double videoSeconds,
                                      double audioStart) {
    const double audioSeconds = videoSeconds - audioStart;
    const int buffers = static_cast<int>(std::ceil(audioSeconds * 44100 / 1024));
    const auto offset = static_cast<long long>(audioStart * 1e9);
    return Made("videotestsrc pattern=black num-buffers=" +
                    std::to_string(static_cast<int>(std::lround(videoSeconds * 25))) +
                    " ! video/x-raw,width=64,height=48,framerate=25/1 ! videoconvert ! mpeg2enc ! "
                    "mpegpsmux name=mux ! filesink location=$OUT "
                    "audiotestsrc samplesperbuffer=1024 timestamp-offset=" +
                    std::to_string(offset) + " num-buffers=" + std::to_string(buffers) +
                    " ! audio/x-raw,rate=44100,channels=2 ! audioconvert ! avenc_mp2 ! mux.",
                out);
}

}  // namespace media

namespace {

GstPadProbeReturn NoteKeyFrame(GstPad*, GstPadProbeInfo* info, gpointer data) {
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    if (buffer && !GST_BUFFER_FLAG_IS_SET(buffer, GST_BUFFER_FLAG_DELTA_UNIT) &&
        GST_BUFFER_PTS_IS_VALID(buffer))
        static_cast<std::vector<double>*>(data)->push_back(
            static_cast<double>(GST_BUFFER_PTS(buffer)) / GST_SECOND);
    return GST_PAD_PROBE_OK;
}

}  // namespace

std::vector<double> MatroskaVideoKeyFrames(const std::filesystem::path& file) {
    gst_init(nullptr, nullptr);  // returns once the plugin registry is complete
    std::vector<double> found;
    const std::string launch = "filesrc location=\"" + file.string() +
                               "\" ! matroskademux name=d d.video_0 ! fakesink name=out sync=false";
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(launch.c_str(), &error);
    EXPECT_EQ(error, nullptr) << error->message;
    if (error) g_error_free(error);
    if (!pipeline) return found;
    GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "out");
    GstPad* pad = gst_element_get_static_pad(sink, "sink");
    gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, NoteKeyFrame, &found, nullptr);
    gst_object_unref(pad);
    gst_object_unref(sink);
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* end = gst_bus_timed_pop_filtered(
        bus, 60 * GST_SECOND, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    EXPECT_TRUE(end && GST_MESSAGE_TYPE(end) == GST_MESSAGE_EOS) << "while reading " << file;
    if (end) gst_message_unref(end);
    gst_object_unref(bus);
    // The streaming thread has stopped once the pipeline is down: `found`
    // is no longer written.
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace quova::testing

#include "mediainfo/ogg_info.h"

#include <gtest/gtest.h>

#include "tests/mediainfo/media_writers.h"
#include "tests/support/gst_media.h"
#include "tests/support/temp_dir.h"

namespace quova {
namespace {

using namespace quova::testing;
using ogg::Page;

constexpr uint8_t kBos = 2, kEos = 4;

class OggInfoTest : public ::testing::Test {
  protected:
    OggInfo Read(const std::string& bytes) {
        WriteFile(dir_ / "test.ogg", bytes);
        return ReadOggInfo(dir_ / "test.ogg");
    }
    TempDir dir_;
};

// Ten seconds of Vorbis at 44100 Hz, comments in a short second page, and
// data pages after the headers.
std::string TenSecondVorbis() {
    return Page(kBos, 0, 0, 0, ogg::VorbisId(2, 44100)) +
           Page(0, 0, 0, 1, ogg::VorbisComments("Xiph", {"TITLE=Tone", "ARTIST=Me"})) +
           Page(0, 220500, 0, 2, std::string(1000, 'a')) +
           Page(kEos, 441000, 0, 3, std::string(2048, 'b'));
}

TEST_F(OggInfoTest, ListsAVorbisStream) {
    const OggInfo info = Read(TenSecondVorbis());
    EXPECT_EQ(info.error, "");
    // Header pages do not count as data: 3048 bytes in 10 seconds.
    EXPECT_EQ(info.text,
              "streams: 1\r\n"
              "duration: 00:00:10.000\r\n"
              "stream 0: vorbis\r\n"
              " channels: 2;  samples per sec: 44100\r\n"
              " data size: 2 KBytes; data rate: 0.2977 KBytes/sec\r\n"
              " TITLE=Tone\r\n"
              " ARTIST=Me\r\n");
    EXPECT_DOUBLE_EQ(info.duration, 10.0);
    EXPECT_EQ(info.figures.audioStreamCount, 1);
    EXPECT_EQ(info.figures.videoStreamCount, 0);
    ASSERT_EQ(info.figures.audio.size(), 1u);
    EXPECT_EQ(info.figures.audio[0].channels, 2);
    EXPECT_EQ(info.figures.audio[0].samplesPerSecond, 44100u);
}

// OGM video and audio headers, streams carrying the large serial numbers
// muxers choose at random, pages of the two streams interleaved.
TEST_F(OggInfoTest, ListsOgmVideoAndAudioInOrderOfBeginning) {
    const uint32_t video = 0x9ABCDEF0, audio = 0x12345678;
    const std::string bytes =
        Page(kBos, 0, video, 0, ogg::OgmVideo("XVID", 24, 640, 480, 400000)) +
        Page(kBos, 0, audio, 0, ogg::OgmAudio(48000, 2, 16000)) +
        Page(0, 0, video, 1, ogg::VorbisComments("ogmmerge", {"LANGUAGE=English"})) +
        Page(0, 0, audio, 1, ogg::VorbisComments("ogmmerge", {})) +
        Page(0, 99, video, 2, std::string(5000, 'v')) +
        Page(0, 120000, audio, 2, std::string(2050, 'a')) +
        Page(0, 124, video, 3, std::string(3100, 'v')) +
        Page(kEos, 240000, audio, 3, std::string(2050, 'a'));
    const OggInfo info = Read(bytes);
    EXPECT_EQ(info.error, "");
    EXPECT_EQ(info.text,
              "streams: 2\r\n"
              "duration: 00:00:05.000\r\n"
              "stream 0: video\r\n"
              " stream subtype: XVID\r\n"
              " width: 640;  height: 480;  bits per sample: 24\r\n"
              " frames: 125; frames per second: 25\r\n"
              " data size: 7 KBytes; data rate: 1.582 KBytes/sec\r\n"
              " LANGUAGE=English\r\n"
              "stream 1: audio\r\n"
              " channels: 2;  bitrate: 128;  samples per sec: 48000\r\n"
              " data size: 4 KBytes; data rate: 0.8008 KBytes/sec\r\n");
    ASSERT_EQ(info.streams.size(), 2u);
    EXPECT_EQ(info.streams[0].serial, video);
    EXPECT_EQ(info.streams[1].serial, audio);

    const StreamFigures& f = info.figures;
    EXPECT_EQ(f.videoStreamCount, 1);
    EXPECT_EQ(f.audioStreamCount, 1);
    EXPECT_DOUBLE_EQ(f.frameRate, 25.0);
    EXPECT_DOUBLE_EQ(f.videoFrameRates[0], 25.0);
    EXPECT_EQ(f.totalFrames, 125);
    EXPECT_EQ(f.width, 640);
    EXPECT_EQ(f.height, 480);
    ASSERT_EQ(f.video.size(), 1u);
    EXPECT_EQ(f.video[0].compression, "XVID");
    EXPECT_EQ(f.video[0].bitCount, 24);
    ASSERT_EQ(f.audio.size(), 1u);
    EXPECT_EQ(f.audio[0].samplesPerSecond, 48000u);
}

TEST_F(OggInfoTest, MoreThanThirtyTwoStreamsEndTheWalk) {
    std::string bytes;
    for (uint32_t i = 0; i < 33; ++i) bytes += Page(kBos, 0, 1000 + i, 0, ogg::VorbisId(1, 8000));
    const OggInfo info = Read(bytes);
    EXPECT_EQ(info.error, "more than 32 streams");
    EXPECT_EQ(info.ErrorMessage(), "more than 32 streams\nerror getting OGG information");
    EXPECT_EQ(info.streams.size(), 32u);
    EXPECT_EQ(info.text.rfind("streams: 32\r\n", 0), 0u);
    EXPECT_NE(info.text.find("stream 31: vorbis\r\n"), std::string::npos);
    EXPECT_EQ(info.figures.audioStreamCount, 32);
    EXPECT_EQ(info.figures.audio.size(), 8u);
}

TEST_F(OggInfoTest, RepeatedCommentPagesDoNotGrowTheListingWithoutEnd) {
    std::string bytes = Page(kBos, 0, 3, 0, ogg::VorbisId(2, 44100));
    const std::string comments =
        Page(0, 0, 3, 1, ogg::VorbisComments("x", {std::string(200, 'c')}));
    for (int i = 0; i < 2000; ++i) bytes += comments;
    const OggInfo info = Read(bytes);
    EXPECT_EQ(info.error, "");
    ASSERT_EQ(info.streams.size(), 1u);
    EXPECT_EQ(info.streams[0].comments.rfind(" " + std::string(200, 'c') + "\r\n", 0), 0u);
    EXPECT_LE(info.streams[0].comments.size(), 16u * 1024);
    EXPECT_LT(info.text.size(), 20u * 1024);
}

TEST_F(OggInfoTest, HeadersOfALongPageAreNotRead) {
    std::string longId = ogg::VorbisId(2, 44100);
    longId.resize(300, '\0');
    const OggInfo info = Read(Page(kBos, 0, 7, 0, longId) + Page(kEos, 4410, 7, 2, "data"));
    EXPECT_EQ(info.error, "");
    EXPECT_EQ(info.text, "streams: 1\r\nstream 0: \r\n data size: 0 KBytes\r\n");
    EXPECT_FALSE(info.figures.HasStreams());
}

TEST_F(OggInfoTest, OddPagesDoNotDerailTheWalk) {
    // A stream of one page that both begins and ends it, an empty header page,
    // and pages of a stream whose beginning the file lacks.
    const std::string bytes = Page(kBos | kEos, 0, 5, 0, "") + Page(0, 999, 77, 4, "orphan") +
                              Page(kBos, 0, 6, 0, ogg::VorbisId(1, 22050)) +
                              Page(0, 22050, 6, 2, std::string(10, 'x'));
    const OggInfo info = Read(bytes);
    EXPECT_EQ(info.error, "");
    ASSERT_EQ(info.streams.size(), 2u);
    EXPECT_EQ(info.streams[0].type, "");
    EXPECT_EQ(info.streams[1].type, "vorbis");
    EXPECT_DOUBLE_EQ(info.duration, 1.0);
    EXPECT_NE(info.text.find("stream 1: vorbis\r\n channels: 1;  samples per sec: 22050\r\n"),
              std::string::npos);
}

TEST_F(OggInfoTest, OtherAndDamagedFiles) {
    OggInfo info = Read("RIFF....AVI ");
    EXPECT_EQ(info.text, "streams: 0\r\n");
    EXPECT_EQ(info.error, "");
    EXPECT_FALSE(info.figures.HasStreams());

    info = ReadOggInfo(dir_ / "missing.ogg");
    EXPECT_EQ(info.text, "streams: 0\r\n");
    EXPECT_FALSE(info.Failed());

    // The last page is cut short: what came before it, and its header, are kept.
    const std::string whole = TenSecondVorbis();
    info = Read(whole.substr(0, whole.size() - 100));
    EXPECT_EQ(info.error, "Read beyond end of file");
    EXPECT_EQ(info.ErrorMessage(), "Read beyond end of file\nerror getting OGG information");
    EXPECT_EQ(info.text,
              "streams: 1\r\n"
              "duration: 00:00:10.000\r\n"
              "stream 0: vorbis\r\n"
              " channels: 2;  samples per sec: 44100\r\n"
              " data size: 0 KBytes; data rate: 0.09766 KBytes/sec\r\n"
              " TITLE=Tone\r\n"
              " ARTIST=Me\r\n");
    EXPECT_EQ(info.figures.audioStreamCount, 1);
}

TEST_F(OggInfoTest, VideoWithoutATimedStreamHasNoRate) {
    const OggInfo info = Read(Page(kBos, 0, 1, 0, ogg::OgmVideo("DX50", 12, 352, 288, 400000)) +
                              Page(0, 49, 1, 2, "frame"));
    EXPECT_EQ(info.error, "");
    EXPECT_NE(info.text.find(" frames: 50\r\n data size: 0 KBytes\r\n"), std::string::npos);
    EXPECT_EQ(info.figures.totalFrames, 50);
    EXPECT_DOUBLE_EQ(info.figures.frameRate, 0.0);
    EXPECT_EQ(info.figures.width, 352);
}

TEST_F(OggInfoTest, WalksAFileOfManyPages) {
    std::string bytes = Page(kBos, 0, 3, 0, ogg::VorbisId(2, 8000));
    for (uint32_t i = 0; i < 300; ++i)
        bytes += Page(0, 800 * (i + 1), 3, i + 2, std::string(999 + i % 3, 'd'));
    const OggInfo info = Read(bytes);
    EXPECT_EQ(info.error, "");
    ASSERT_EQ(info.streams.size(), 1u);
    EXPECT_EQ(info.streams[0].dataBytes, 300u * 1000);
    EXPECT_DOUBLE_EQ(info.duration, 30.0);
    EXPECT_NE(info.text.find(" data size: 292 KBytes; data rate: 9.766 KBytes/sec\r\n"),
              std::string::npos);
}

TEST_F(OggInfoTest, ReadsFilesGStreamerWrites) {
    const OggInfo vorbis = ReadOggInfo(media::OggVorbis(dir_ / "a.ogg", 1.0));
    EXPECT_EQ(vorbis.error, "");
    EXPECT_EQ(vorbis.text.rfind("streams: 1\r\nduration: 00:00:01.", 0), 0u) << vorbis.text;
    EXPECT_NE(vorbis.text.find("stream 0: vorbis\r\n channels: 2;  samples per sec: 44100\r\n"),
              std::string::npos);
    EXPECT_NEAR(vorbis.duration, 1.0, 0.1);
    EXPECT_EQ(vorbis.figures.audioStreamCount, 1);

    const OggInfo both = ReadOggInfo(media::OggTheoraVorbis(dir_ / "b.ogg", 1.0));
    EXPECT_EQ(both.error, "");
    EXPECT_EQ(both.streams.size(), 2u);
    EXPECT_EQ(both.text.rfind("streams: 2\r\n", 0), 0u);
    EXPECT_NE(both.text.find(": vorbis\r\n channels: 2;  samples per sec: 44100\r\n"),
              std::string::npos);
    EXPECT_EQ(both.figures.audioStreamCount, 1);
}

}  // namespace
}  // namespace quova

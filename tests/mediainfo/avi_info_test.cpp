#include "mediainfo/avi_info.h"

#include <gtest/gtest.h>

#include "tests/mediainfo/media_writers.h"
#include "tests/support/gst_media.h"
#include "tests/support/temp_dir.h"

namespace quova {
namespace {

using namespace quova::testing;
namespace riff = quova::testing::riff;

const std::string kNoHandler(4, '\0');

std::string VideoStreamList(uint32_t rate, const std::string& extra = "") {
    return riff::List(
        "strl", riff::Chunk("strh", riff::StreamHeader("vids", "MJPG", 1, rate, 250)) +
                    riff::Chunk("strf", riff::BitmapFormat(320, 240, 24, "MJPG", 230400)) + extra);
}

std::string PcmStreamList() {
    return riff::List(
        "strl", riff::Chunk("strh", riff::StreamHeader("auds", kNoHandler, 1, 44100, 441000, 4)) +
                    riff::Chunk("strf", riff::WaveFormat(1, 2, 44100, 176400, 4, 16)));
}

std::string Mp3StreamList(uint32_t bytesPerSec, uint16_t channels = 2) {
    return riff::List(
        "strl",
        riff::Chunk("strh", riff::StreamHeader("auds", kNoHandler, 1152, 44100, 383)) +
            riff::Chunk("strf", riff::WaveFormat(0x55, channels, 44100, bytesPerSec, 1, 0, 12)));
}

// One video stream, a PCM and an MP3 audio stream, a "movi" list with a frame
// in it and an index: the shape every muxer writes.
std::string ThreeStreamAvi() {
    const std::string hdrl =
        riff::List("hdrl", riff::Chunk("avih", riff::MainHeader(40000, 1000000, 250, 3, 320, 240)) +
                               VideoStreamList(25) + PcmStreamList() + Mp3StreamList(16000));
    const std::string movi = riff::List("movi", riff::Chunk("00dc", std::string(100, 'x')));
    return riff::File("AVI ", hdrl + riff::Chunk("JUNK", std::string(12, '\0')) + movi +
                                  riff::Chunk("idx1", std::string(16, '\0')));
}

class AviInfoTest : public ::testing::Test {
  protected:
    AviInfo Read(const std::string& bytes) {
        WriteFile(dir_ / "test.avi", bytes);
        return ReadAviInfo(dir_ / "test.avi");
    }
    TempDir dir_;
};

TEST_F(AviInfoTest, ListsEveryHeaderOfAThreeStreamFile) {
    const AviInfo info = Read(ThreeStreamAvi());
    EXPECT_EQ(info.error, "");
    EXPECT_EQ(
        info.text,
        "RIFF (584 delta=0) AVI \r\n"
        "LIST (198) hdrl\r\n"
        " avih (38) MicroSec/Frame=40000; FrameRate=25 frames/sec; MaxBytes/Sec=1000000; "
        "Frames=250; Streams=3; W=320; H=240\r\n"
        " LIST (74) strl\r\n"
        "  strh (38) Type=vids; Handler=MJPG; Scale=1; Rate=25; Start=0; Len=250; Qual=10000; "
        "SampSize=0\r\n"
        "   strf (40) W=320; H=240; Planes=1; BitCnt=24; Compr=MJPG; SizeImg=230400\r\n"
        " LIST (5E) strl\r\n"
        "  strh (38) Type=auds; Handler=    ; Scale=1; Rate=44100; Start=0; Len=441000; "
        "Qual=10000; SampSize=4\r\n"
        "   strf (18) Format=1 ; Chans=2; Samples/Sec=44100; AvgBytes/Sec=176400; "
        "BlkAlign=4; Bits/Samp=16; Size=0\r\n"
        " LIST (6A) strl\r\n"
        "  strh (38) Type=auds; Handler=    ; Scale=1152; Rate=44100; Start=0; Len=383; "
        "Qual=10000; SampSize=0\r\n"
        "   strf (30) Format=85 (MP3); Chans=2; Samples/Sec=44100; AvgBytes/Sec=16000 "
        "(128kbits/sec); BlkAlign=1; Bits/Samp=0; Size=12\r\n"
        "JUNK (C)     \r\n"
        "LIST (70) movi\r\n"
        "idx1 (10)\r\n");

    const StreamFigures& f = info.figures;
    EXPECT_DOUBLE_EQ(f.frameRate, 25.0);
    EXPECT_EQ(f.totalFrames, 250);
    EXPECT_EQ(f.width, 320);
    EXPECT_EQ(f.height, 240);
    EXPECT_EQ(f.videoStreamCount, 1);
    EXPECT_EQ(f.audioStreamCount, 2);
    EXPECT_DOUBLE_EQ(f.videoFrameRates[0], 25.0);
    ASSERT_EQ(f.video.size(), 1u);
    EXPECT_EQ(f.video[0].compression, "MJPG");
    EXPECT_EQ(f.video[0].bitCount, 24);
    ASSERT_EQ(f.audio.size(), 2u);
    EXPECT_EQ(f.audio[0].channels, 2);
    EXPECT_EQ(f.audio[1].samplesPerSecond, 44100u);
}

TEST_F(AviInfoTest, Mp3RateRoundsUpToWholeKilobits) {
    auto withMp3Rate = [](uint32_t bytesPerSec) {
        const std::string hdrl =
            riff::List("hdrl", riff::Chunk("avih", riff::MainHeader(33367, 0, 0, 1, 0, 0)) +
                                   Mp3StreamList(bytesPerSec));
        return riff::File("AVI ", hdrl);
    };
    EXPECT_NE(Read(withMp3Rate(16000)).text.find("AvgBytes/Sec=16000 (128kbits/sec); BlkAlign"),
              std::string::npos);
    const AviInfo odd = Read(withMp3Rate(16001));
    EXPECT_NE(odd.text.find("AvgBytes/Sec=16001 (129kbits/sec)"), std::string::npos);
    // 1000000 / 33367 = 29.9697...: five significant digits at most.
    EXPECT_NE(odd.text.find("FrameRate=29.97 frames/sec"), std::string::npos);
    EXPECT_EQ(odd.error, "");
}

// JUNK inside and between lists, odd-sized chunks with their pad bytes, and
// more video streams than there are slots for.
TEST_F(AviInfoTest, WalksJunkOddChunksAndNineVideoStreams) {
    std::string streams;
    for (uint32_t i = 0; i < 9; ++i)
        streams += VideoStreamList(10 + i, riff::Chunk("strn", "cam" + std::to_string(i) + '\0'));
    const std::string hdrl =
        riff::List("hdrl", riff::Chunk("avih", riff::MainHeader(100000, 0, 10, 9, 640, 480)) +
                               riff::Chunk("JUNK", "12345") + streams);
    const std::string bytes =
        riff::File("AVI ", hdrl + riff::Chunk("JUNK", "abcdefg") +
                               riff::List("movi", riff::Chunk("00dc", "odd")) +
                               riff::Chunk("idx1", std::string(16 * 9, '\0')));
    const AviInfo info = Read(bytes);
    EXPECT_EQ(info.error, "");

    const StreamFigures& f = info.figures;
    EXPECT_EQ(f.videoStreamCount, 9);
    EXPECT_EQ(f.audioStreamCount, 0);
    ASSERT_EQ(f.video.size(), 8u);
    for (int i = 0; i < 8; ++i) EXPECT_DOUBLE_EQ(f.videoFrameRates[i], 10.0 + i) << i;
    EXPECT_DOUBLE_EQ(f.frameRate, 10.0);
    EXPECT_EQ(f.width, 640);

    EXPECT_NE(info.text.find(" JUNK (5) \r\n LIST (82) strl\r\n"), std::string::npos);
    EXPECT_NE(info.text.find("  strn (5) \r\n"), std::string::npos);
    EXPECT_NE(info.text.find("Rate=18; Start=0"), std::string::npos);  // the ninth
    EXPECT_NE(info.text.find("\r\nJUNK (7) abcd\r\nLIST (10) movi\r\nidx1 (90)\r\n"),
              std::string::npos);
    // Every strl and strn chunk is listed, none of the movi content.
    size_t strn = 0, strl = 0;
    for (size_t at = info.text.find("strn"); at != std::string::npos;
         at = info.text.find("strn", at + 1))
        ++strn;
    for (size_t at = info.text.find("strl"); at != std::string::npos;
         at = info.text.find("strl", at + 1))
        ++strl;
    EXPECT_EQ(strn, 9u);
    EXPECT_EQ(strl, 9u);
    EXPECT_EQ(info.text.find("00dc"), std::string::npos);
}

TEST_F(AviInfoTest, TruncatedFileKeepsWhatWasReadAndReportsTheError) {
    const std::string whole = ThreeStreamAvi();
    // Cut inside the MP3 stream's format chunk, the third one.
    size_t cut = 0;
    for (int i = 0; i < 3; ++i) cut = whole.find("strf", cut + 1);
    cut += 12;
    const AviInfo info = Read(whole.substr(0, cut));
    EXPECT_EQ(info.error, "Read beyond end of file");
    EXPECT_TRUE(info.Failed());
    EXPECT_EQ(info.ErrorMessage(), "Read beyond end of file\nerror getting AVI information");
    EXPECT_EQ(info.figures.videoStreamCount, 1);
    EXPECT_EQ(info.figures.audioStreamCount, 1);
    EXPECT_DOUBLE_EQ(info.figures.frameRate, 25.0);
    EXPECT_NE(info.text.find("RIFF (584 delta=-"), std::string::npos);
    // The interrupted line shows how far the walk got.
    EXPECT_NE(info.text.find("   strf (30) \r\n"), std::string::npos);

    // Cut inside the movi list: every header was read, the file still ends early.
    const AviInfo inMovi = Read(whole.substr(0, whole.find("00dc") + 20));
    EXPECT_EQ(inMovi.error, "Read beyond end of file");
    EXPECT_EQ(inMovi.figures.audioStreamCount, 2);
    EXPECT_NE(inMovi.text.find("LIST (70) movi\r\n"), std::string::npos);
}

TEST_F(AviInfoTest, OtherFilesGiveNoTextAndNoCounts) {
    for (const std::string& bytes :
         {std::string("not a RIFF file at all"), riff::File("WAVE", riff::Chunk("fmt ", "abcd")),
          std::string(), std::string("RIFF")}) {
        const AviInfo info = Read(bytes);
        EXPECT_EQ(info.text, "");
        EXPECT_FALSE(info.figures.HasStreams());
        EXPECT_EQ(info.figures.width, 0);
    }
    const AviInfo missing = ReadAviInfo(dir_ / "missing.avi");
    EXPECT_EQ(missing.text, "");
    EXPECT_FALSE(missing.Failed());
}

TEST_F(AviInfoTest, HostileStructuresEndTheWalkWithAnError) {
    // A list that claims more than the file holds.
    std::string bytes = riff::File(
        "AVI ", riff::List("hdrl", riff::Chunk("avih", riff::MainHeader(0, 0, 0, 0, 1, 1))));
    bytes.replace(16, 4, U32(0xFFFFFFF0));
    AviInfo info = Read(bytes);
    EXPECT_EQ(info.error, "Read beyond end of file");
    // A zero frame duration gives an unknown rate, not a division by zero.
    EXPECT_NE(info.text.find("MicroSec/Frame=0; FrameRate=0 frames/sec"), std::string::npos);
    EXPECT_DOUBLE_EQ(info.figures.frameRate, 0.0);

    // Lists nested far deeper than any real file.
    std::string nested = riff::Chunk("avih", riff::MainHeader(40000, 0, 0, 0, 1, 1));
    for (int i = 0; i < 200; ++i) nested = riff::List("deep", nested);
    info = Read(riff::File("AVI ", nested));
    EXPECT_EQ(info.error, "lists nested too deeply");

    // A stream header with a zero scale stores no frame rate.
    const std::string zeroScale = riff::List(
        "hdrl",
        riff::List("strl", riff::Chunk("strh", riff::StreamHeader("vids", "XVID", 0, 25, 1)) +
                               riff::Chunk("strf", riff::BitmapFormat(8, 8, 12, "XVID", 96))));
    info = Read(riff::File("AVI ", zeroScale));
    EXPECT_EQ(info.error, "");
    EXPECT_EQ(info.figures.videoStreamCount, 1);
    EXPECT_DOUBLE_EQ(info.figures.videoFrameRates[0], 0.0);
}

TEST_F(AviInfoTest, ListsManyChunksOfOneList) {
    std::string content;
    for (int i = 0; i < 500; ++i) content += riff::Chunk("JUNK", "pad!");
    const AviInfo info = Read(riff::File("AVI ", riff::List("hdrl", content)));
    EXPECT_EQ(info.error, "");
    size_t lines = 0;
    for (size_t at = info.text.find(" JUNK (4) \r\n"); at != std::string::npos;
         at = info.text.find(" JUNK (4) \r\n", at + 1))
        ++lines;
    EXPECT_EQ(lines, 500u);

    // A hundred thousand chunks are more than any header needs.
    content.clear();
    for (int i = 0; i <= 100000; ++i) content += riff::Chunk("JUNK", "");
    EXPECT_EQ(Read(riff::File("AVI ", riff::List("hdrl", content))).error, "too many chunks");
}

TEST_F(AviInfoTest, SkipsLargeChunksWithoutReadingThem) {
    // Headers after a large JUNK chunk, and an index after a large movi list.
    const std::string hdrl =
        riff::List("hdrl", riff::Chunk("avih", riff::MainHeader(40000, 0, 5000, 1, 64, 48)) +
                               VideoStreamList(25));
    const std::string bytes =
        riff::File("AVI ", riff::Chunk("JUNK", std::string(65521, '\0')) + hdrl +
                               riff::List("movi", std::string(300000, 'm')) +
                               riff::Chunk("idx1", std::string(32, '\0')));
    const AviInfo info = Read(bytes);
    EXPECT_EQ(info.error, "");
    EXPECT_EQ(info.figures.totalFrames, 5000);
    EXPECT_EQ(info.figures.videoStreamCount, 1);
    EXPECT_NE(info.text.find("JUNK (FFF1)     \r\nLIST (C0) hdrl\r\n"), std::string::npos);
    EXPECT_NE(info.text.find("LIST (493E4) movi\r\nidx1 (20)\r\n"), std::string::npos);
}

TEST_F(AviInfoTest, ReadsFilesGStreamerWrites) {
    const AviInfo pcm = ReadAviInfo(media::AviPcm(dir_ / "pcm.avi", 1.0, 2));
    EXPECT_EQ(pcm.error, "");
    EXPECT_EQ(pcm.figures.videoStreamCount, 1);
    EXPECT_EQ(pcm.figures.audioStreamCount, 2);
    EXPECT_DOUBLE_EQ(pcm.figures.frameRate, 25.0);
    EXPECT_DOUBLE_EQ(pcm.figures.videoFrameRates[0], 25.0);
    EXPECT_EQ(pcm.figures.width, 320);
    EXPECT_EQ(pcm.figures.height, 240);
    ASSERT_EQ(pcm.figures.audio.size(), 2u);
    EXPECT_EQ(pcm.figures.audio[1].channels, 2);
    EXPECT_EQ(pcm.figures.audio[1].samplesPerSecond, 44100u);
    EXPECT_EQ(pcm.text.rfind("RIFF (", 0), 0u);
    EXPECT_NE(pcm.text.find(" avih (38) MicroSec/Frame=40000; FrameRate=25 frames/sec"),
              std::string::npos);
    EXPECT_NE(pcm.text.find(" movi\r\n"), std::string::npos);

    const AviInfo mp3 = ReadAviInfo(media::AviMp3(dir_ / "mp3.avi"));
    EXPECT_EQ(mp3.error, "");
    EXPECT_EQ(mp3.figures.audioStreamCount, 1);
    EXPECT_NE(mp3.text.find("Format=85 (MP3); Chans=2; Samples/Sec=44100"), std::string::npos);
}

}  // namespace
}  // namespace quova

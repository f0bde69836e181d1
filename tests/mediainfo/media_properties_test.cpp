#include "mediainfo/media_properties.h"

#include <gtest/gtest.h>

#include "mediainfo/media_headers.h"
#include "tests/support/gst_media.h"
#include "tests/support/temp_dir.h"

namespace quova {
namespace {

// An AVI file of 320x240 video at 25 frames a second and one MP3 stream, as
// its headers describe it.
PropertiesInputs AviWithMp3() {
    PropertiesInputs in;
    in.MediaKind = 1;
    in.Rows = {{1, 0}, {2, 0}};
    in.VideoStreamCount = 1;
    in.AudioStreamCount = 1;
    in.VideoWidth = 320;
    in.VideoHeight = 240;
    in.FrameRate = 25;
    in.Duration = 4;
    in.DurationText = "00:00:04";
    in.Figures.totalFrames = 100;
    in.Figures.video = {{320, 240, 24, "MJPG"}};
    in.Figures.audio = {{2, 44100}};
    in.FilterCount = 2;
    in.FilterList = " AVI Splitter (3)\n Video Renderer (1)\n";
    return in;
}

TEST(MediaProperties, AviWithOneVideoAndOneMp3Stream) {
    EXPECT_EQ(MediaPropertiesText(AviWithMp3()),
              "2 streams: 1 x video, 1 x audio\n"
              "video size: 320x240; frame rate: 25 frames/sec; frames: 100; compression: MJPG; "
              "color depth: 24; time: 00:00:04\n"
              "audio channels: 2; samples per sec: 44100\n"
              "2 filters\n AVI Splitter (3)\n Video Renderer (1)\n");
}

TEST(MediaProperties, DetectorStreamsShowNoHeaderFigures) {
    PropertiesInputs in = AviWithMp3();
    in.Rows = {{1, -1}, {2, -1}};
    in.Figures = StreamFigures{};
    in.FrameRate = 29.97;
    in.Duration = 10.01;
    in.DurationText = "00:00:10";
    EXPECT_EQ(MediaPropertiesText(in),
              "2 streams: 1 x video, 1 x audio\n"
              "video size: 320x240; frame rate: 29.97 frames/sec; frames: 299; time: 00:00:10\n"
              "2 filters\n AVI Splitter (3)\n Video Renderer (1)\n");
    EXPECT_EQ(GeneralNumber4(23.976), "23.98");
    EXPECT_EQ(GeneralNumber4(25), "25");
}

TEST(MediaProperties, DvdShowsItsStreamsAndSize) {
    PropertiesInputs in;
    in.MediaKind = 2;
    in.DvdInfo = true;
    in.DvdAudioCount = 3;
    in.DvdEnabledAudioCount = 2;
    in.DvdWidth = 720;
    in.DvdHeight = 576;
    in.DurationText = "01:30:00";
    in.FilterCount = 1;
    in.FilterList = " DVD Navigator (4)\n";
    EXPECT_EQ(MediaPropertiesText(in),
              "3 streams: 1 x video, 3 x audio\nvideo size: 720x576; time: 01:30:00\n"
              "1 filters\n DVD Navigator (4)\n");
}

TEST(MediaProperties, FiguresReadFromARealAviFile) {
    testing::TempDir dir;
    const auto file = testing::media::AviVideoPcm(dir / "clip.avi", 2.0, "jpegenc");
    const MediaHeaders headers = ReadMediaHeaders(file);
    ASSERT_TRUE(headers.aviRead);
    PropertiesInputs in;
    in.MediaKind = 1;
    in.Figures = headers.Figures();
    in.Rows = {{1, 0}, {2, 0}};
    in.VideoStreamCount = in.AudioStreamCount = 1;
    in.VideoWidth = 320;
    in.VideoHeight = 240;
    in.FrameRate = in.Figures.frameRate;
    in.DurationText = "00:00:02";
    const std::string text = MediaPropertiesText(in);
    EXPECT_EQ(text.substr(0, text.find('\n')), "2 streams: 1 x video, 1 x audio");
    EXPECT_NE(text.find("frame rate: 25 frames/sec; frames: 50; compression: MJPG"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("; time: 00:00:02\naudio channels: "), std::string::npos) << text;
}

}  // namespace
}  // namespace quova

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <ostream>
#include <string>

#include "platform/engine/filter_graph.h"
#include "platform/engine/video_renderer.h"
#include "tests/platform/engine/engine_fixture.h"
#include "tests/support/gst_media.h"
#include "tests/support/temp_dir.h"

namespace quova::engine {
namespace {

using testing::FilterNames;
using testing::Spin;
using testing::WaitForEvent;

constexpr int kFrames = 50;  // two seconds at 25 frames a second

const std::string kVideo = "videotestsrc pattern=ball num-buffers=" + std::to_string(kFrames) +
                           " ! video/x-raw,width=320,height=240,framerate=25/1 ! videoconvert";
const std::string kAudio =
    "num-buffers=87 samplesperbuffer=1024 ! audio/x-raw,format=S16LE,rate=44100,channels=2 ! "
    "audioconvert";

// A container with video and audio whose demuxer reads its input in pull
// mode, through the splitter's bin.
struct Container {
    const char* name;
    const char* file;
    const char* demuxer;  // the GStreamer element that splits it
    std::string description;
};

void PrintTo(const Container& c, std::ostream* os) {
    *os << c.name;
}

const Container kContainers[] = {
    // WMV2 and WMA2 in ASF, as an older Windows tool writes it. The WMV
    // encoder stamps its output 1000 hours on (room for decode times before
    // the presentation times) and asfmux writes the stamps as they come, not
    // as running time, so the audio gets the same offset: both streams then
    // start together, as in any real file. (Without it the video would start
    // 1000 hours after the audio, and no player would show it.)
    {"Asf", "ball.wmv", "asfdemux",
     kVideo + " ! avenc_wmv2 ! asfmux name=m ! filesink location=$OUT " +
         "audiotestsrc timestamp-offset=3600000000000000 " + kAudio + " ! avenc_wmav2 ! m."},
    {"Matroska", "ball.mkv", "matroskademux",
     kVideo + " ! theoraenc ! matroskamux name=m ! filesink location=$OUT audiotestsrc " + kAudio +
         " ! vorbisenc ! m."},
    {"Mp4", "ball.mp4", "qtdemux",
     kVideo + " ! x264enc ! h264parse ! mp4mux name=m ! filesink location=$OUT audiotestsrc " +
         kAudio + " ! voaacenc ! aacparse ! m."},
};

bool HasFilterOf(const FilterGraph& graph, const std::string& factory) {
    for (const auto& f : graph.Filters())
        if (f->ElementFactoryName() == factory) return true;
    return false;
}

class PullModePlayback : public ::testing::TestWithParam<Container> {};

TEST_P(PullModePlayback, ShowsTheVideoAndPlaysToTheEndInRealTime) {
    const Container& c = GetParam();
    quova::testing::TempDir dir;
    const auto file = dir / c.file;
    ASSERT_EQ(quova::testing::MakeMedia(c.description, file), "");
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(file.string()), S_OK) << FilterNames(graph);
    ASSERT_TRUE(HasFilterOf(graph, c.demuxer)) << FilterNames(graph);
    ASSERT_TRUE(graph.HasAudio()) << FilterNames(graph);
    auto video = graph.VideoRenderer();
    ASSERT_TRUE(video) << FilterNames(graph);
    const auto duration = graph.Duration();
    ASSERT_EQ(duration.hr, S_OK);
    EXPECT_NEAR(duration.value, 2.0, 0.2);

    QElapsedTimer wall;
    wall.start();
    ASSERT_EQ(graph.Run(), S_OK);
    ASSERT_TRUE(WaitForEvent(graph, EC_COMPLETE, 30000));
    const double played = wall.elapsed() / 1000.0;
    Spin(200);  // frames already handed over still reach the UI thread

    // A busy machine may drop a late frame or two, never most of them.
    EXPECT_GE(video->ReceivedFrames(), static_cast<std::uint64_t>(kFrames / 2));
    EXPECT_NEAR(graph.CurrentPosition().value, duration.value, 0.25);
    EXPECT_GT(played, 0.6 * duration.value) << "the media is played at its pace, not skipped";
}

INSTANTIATE_TEST_SUITE_P(Containers, PullModePlayback, ::testing::ValuesIn(kContainers),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quova::engine

// Frame stepping as the player does it: paused, one frame per command. Every
// step shows the next picture, and when the graph runs again after stepping,
// picture and sound are together.
#include <gtest/gtest.h>

#include <string>

#include "platform/engine/audio_renderer.h"
#include "platform/engine/filter_graph.h"
#include "platform/engine/video_renderer.h"
#include "tests/platform/engine/playback_support.h"

namespace quova::engine {
namespace {

using playback::Generated;
using playback::PumpUntil;
using playback::StreamTap;

constexpr double kFrame = 1.0 / 25;  // the generated media's frame duration

bool StepDone(FilterGraph& graph) {
    return playback::AwaitEvent(graph, {EC_STEP_COMPLETE}, 10000);
}

class FrameSteps : public ::testing::TestWithParam<std::string> {};

TEST_P(FrameSteps, EveryStepAfterASeekShowsTheNextFrame) {
    playback::EnsureApplication();
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(Generated(GetParam()).string()), S_OK);
    auto video = graph.VideoRenderer();
    ASSERT_TRUE(video);
    StreamTap seen(video);
    ASSERT_EQ(graph.Pause(), S_OK);
    // Between key frames: the decoder starts before and the picture is clipped.
    ASSERT_EQ(graph.SetCurrentPosition(1.32), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return std::abs(seen.Last() - 1.32) < 0.001; }, 10000))
        << "the seek shows the frame at 1.32 s, not " << seen.Last();
    double shown = seen.Last();
    PumpUntil([] { return false; }, 100);
    qint64 picture = video->CurrentImage().cacheKey();
    for (int i = 1; i <= 8; ++i) {
        ASSERT_EQ(graph.CanStep(1), S_OK);
        ASSERT_EQ(graph.Step(1), S_OK);
        ASSERT_TRUE(StepDone(graph)) << "step " << i;
        PumpUntil([&] { return seen.Last() > shown + kFrame / 2; }, 2000);
        EXPECT_NEAR(seen.Last(), shown + kFrame, 0.005) << "step " << i << " moves one frame";
        shown = seen.Last();
        PumpUntil([&] { return video->CurrentImage().cacheKey() != picture; }, 2000);
        EXPECT_NE(video->CurrentImage().cacheKey(), picture)
            << "step " << i << " shows a new picture";
        picture = video->CurrentImage().cacheKey();
    }
    EXPECT_NEAR(graph.CurrentPosition().value, shown, 0.05) << "the position follows the steps";
    graph.Stop();
}

TEST_P(FrameSteps, PictureAndSoundAreTogetherWhenRunningAfterSteps) {
    playback::EnsureApplication();
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(Generated(GetParam()).string()), S_OK);
    auto video = graph.VideoRenderer();
    auto audio = playback::Find<AudioRendererFilter>(graph);
    ASSERT_TRUE(video && audio);
    StreamTap seen(video), heard(audio);
    ASSERT_EQ(graph.Pause(), S_OK);
    // A picture of its own for the taps: the first one went by before them.
    ASSERT_EQ(graph.SetCurrentPosition(kFrame), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return seen.Last() >= 0; }));
    for (int i = 0; i < 25; ++i) {  // one second of pictures
        ASSERT_EQ(graph.Step(1), S_OK);
        ASSERT_TRUE(StepDone(graph)) << "step " << i;
    }
    EXPECT_NEAR(seen.Last(), 26 * kFrame, 0.05);
    ASSERT_EQ(graph.Run(), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return seen.Last() >= 1.5; }));
    EXPECT_NEAR(heard.Last(), seen.Last(), 0.1) << "sound against picture";
    EXPECT_NEAR(graph.CurrentPosition().value, seen.Last(), 0.15);
    graph.Stop();
}

INSTANTIATE_TEST_SUITE_P(Containers, FrameSteps,
                         ::testing::Values("avi-pcm-3s", "mkv-h264-3s", "ogg-3s"),
                         [](const auto& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (c == '-') c = '_';
                             return name;
                         });

}  // namespace
}  // namespace quova::engine

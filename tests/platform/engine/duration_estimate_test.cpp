// A stream whose headers carry no duration (an MP3 as GStreamer's own encoder
// writes it: no Xing or Info frame) still has one for the player, estimated
// from its size and bit rate, so that its end is found and its seek bar runs.
#include <gtest/gtest.h>

#include <string>

#include "platform/engine/filter_graph.h"
#include "tests/platform/engine/playback_support.h"
#include "tests/support/temp_dir.h"

namespace quova::engine {
namespace {

using playback::Generated;
using playback::PumpUntil;

bool HasVbrHeader(const std::string& bytes) {
    const std::string head = bytes.substr(0, 4096);
    return head.find("Xing") != std::string::npos || head.find("Info") != std::string::npos ||
           head.find("VBRI") != std::string::npos;
}

TEST(DurationEstimate, AnMp3WithoutAVbrHeaderHasItsDurationFromTheStartAndItsEndIsReached) {
    playback::EnsureApplication();
    const auto file = Generated("mp3-5s");
    ASSERT_FALSE(HasVbrHeader(quova::testing::ReadFile(file))) << "the case under test";
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(file.string()), S_OK);
    const auto estimate = graph.Duration();
    ASSERT_EQ(estimate.hr, S_OK) << "the player starts its timer only with a duration";
    EXPECT_NEAR(estimate.value, 5.0, 0.25);
    const auto units = graph.GetDuration();
    ASSERT_EQ(units.hr, S_OK);
    EXPECT_NEAR(static_cast<double>(units.value) / kUnitsPerSecond, estimate.value, 0.001);

    // The player's end-of-medium test: the position reaches the duration, or
    // the completion event comes.
    ASSERT_EQ(graph.Run(), S_OK);
    ASSERT_TRUE(playback::AwaitEvent(graph, {EC_COMPLETE}, 30000));
    const double end = graph.CurrentPosition().value;
    EXPECT_NEAR(end, 5.0, 0.25);
    const auto known = graph.Duration();
    ASSERT_EQ(known.hr, S_OK);
    EXPECT_NEAR(known.value, end, 0.1) << "the duration comes to what was played";
    graph.Stop();
}

}  // namespace
}  // namespace quova::engine

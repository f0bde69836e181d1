// Emptying the graph before the next medium, as the player does at every
// open: what was set for the last medium must not reach the next one.
#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "platform/engine/audio_renderer.h"
#include "platform/engine/filter_graph.h"
#include "tests/platform/engine/playback_support.h"

namespace quova::engine {
namespace {

using playback::Generated;
using playback::PumpUntil;

void Empty(FilterGraph& graph) {
    graph.Stop();
    while (!graph.Filters().empty()) ASSERT_EQ(graph.RemoveFilter(graph.Filters().front()), S_OK);
}

TEST(NewMedium, PlaysFromTheStartToTheEndAtNormalRateAfterTheGraphWasEmptied) {
    playback::EnsureApplication();
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(Generated("mp3-3s").string()), S_OK);
    ASSERT_EQ(graph.Run(), S_OK);
    ASSERT_EQ(graph.SetRate(1.5), S_OK);
    // The player's seek ends the medium at its duration: here 1 s of the old one.
    ASSERT_EQ(graph.SetPositions(kUnitsPerSecond / 2, AM_SEEKING_AbsolutePositioning,
                                 kUnitsPerSecond, AM_SEEKING_AbsolutePositioning),
              S_OK);
    Empty(graph);

    EXPECT_EQ(graph.Rate(), 1.0);
    ASSERT_EQ(graph.RenderFile(Generated("wav-10s").string()), S_OK);
    EXPECT_EQ(graph.Rate(), 1.0);
    EXPECT_NEAR(graph.CurrentPosition().value, 0.0, 0.01);
    auto audio = playback::Find<AudioRendererFilter>(graph);
    ASSERT_TRUE(audio);
    playback::StreamTap tap(audio);
    ASSERT_EQ(graph.Run(), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return graph.CurrentPosition().value > 0.2; }));
    QElapsedTimer wall;
    wall.start();
    const double from = graph.CurrentPosition().value;
    ASSERT_TRUE(PumpUntil([&] { return wall.elapsed() >= 2000; }));
    const double played = graph.CurrentPosition().value - from;
    const double seconds = wall.elapsed() / 1000.0;
    // At 1.5 the position would run 3 s in these 2 s.
    EXPECT_LT(played / seconds, 1.25) << played << " s of media in " << seconds << " s";
    EXPECT_GT(played / seconds, 0.6) << played << " s of media in " << seconds << " s";
    EXPECT_GT(tap.Last(), 1.5) << "the sound went past the old medium's stop position";
    graph.Stop();
}

}  // namespace
}  // namespace quova::engine

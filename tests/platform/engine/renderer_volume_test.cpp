// The graph's volume and balance hold for every audio renderer, also for one
// that joins while the graph plays (a stream switched on).
#include <gtest/gtest.h>

#include <vector>

#include "platform/engine/audio_renderer.h"
#include "platform/engine/filter_graph.h"
#include "tests/platform/engine/audio_tap.h"

namespace quova::engine {
namespace {

using testing::TestMedium;

TEST(RendererVolume, ARendererAddedWhilePlayingTakesTheGraphsLevel) {
    testing::EnsureQtApplication();
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(TestMedium("ogg-two-tones").string()), S_OK);
    FilterPtr splitter = graph.FindFilterByName("Ogg Splitter");
    ASSERT_TRUE(splitter);
    auto outs = splitter->Pins(PinDirection::Output);
    ASSERT_EQ(outs.size(), 2u);
    // The second stream starts switched off: nothing of its chain is left.
    PinPtr later = outs[1];
    ASSERT_TRUE(later->IsConnected());
    ASSERT_EQ(graph.RemoveDownstream(later->ConnectedTo()->Owner()), S_OK);
    ASSERT_EQ(testing::ConnectedAudioRenderers(graph).size(), 1u);

    ASSERT_EQ(graph.Run(), S_OK);
    // -20 dB: a tenth of the amplitude.
    ASSERT_EQ(graph.SetVolume(-2000), S_OK);
    ASSERT_EQ(graph.SetBalance(-600), S_OK);
    ASSERT_TRUE(testing::Await([&] { return graph.CurrentPosition().value > 0.3; }));

    // Switched on while playing.
    ASSERT_EQ(graph.Render(later), S_OK);
    const auto renderers = testing::ConnectedAudioRenderers(graph);
    ASSERT_EQ(renderers.size(), 2u);
    std::vector<std::unique_ptr<testing::AudioTap>> taps;
    for (const FilterPtr& r : renderers) {
        auto* audio = dynamic_cast<AudioRendererFilter*>(r.get());
        ASSERT_TRUE(audio);
        EXPECT_EQ(audio->Volume(), -2000) << r->Name();
        EXPECT_EQ(audio->Balance(), -600) << r->Name();
        taps.push_back(std::make_unique<testing::AudioTap>(testing::RendererVolumeOutput(*r)));
    }
    ASSERT_EQ(graph.Run(), S_OK);
    ASSERT_TRUE(
        testing::Await([&] { return taps[0]->Seconds() > 0.5 && taps[1]->Seconds() > 0.5; }));
    graph.Stop();
    // The tones are made at 0.8 of full scale; -20 dB leaves 0.08.
    for (const auto& tap : taps) {
        EXPECT_GT(tap->Peak(), 0.05);
        EXPECT_LT(tap->Peak(), 0.12) << "heard at full volume";
    }
}

}  // namespace
}  // namespace quova::engine

// A splitter's stream selection: enabling one stream of a group switches the
// group over to it, and only that stream is heard.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/engine/filter_graph.h"
#include "tests/platform/engine/audio_tap.h"

namespace quova::engine {
namespace {

using testing::TestMedium;

std::vector<int> AudioStreams(StreamSelect& select) {
    std::vector<int> out;
    for (int i = 0; i < select.Count(); ++i)
        if (select.Info(i).value.mediaType.IsAudio()) out.push_back(i);
    return out;
}

// Plays the file from its start and tells the pitch of the one stream heard.
double PlayAndHear(FilterGraph& graph) {
    const auto renderers = testing::ConnectedAudioRenderers(graph);
    EXPECT_EQ(renderers.size(), 1u) << "one stream heard";
    if (renderers.empty()) return 0;
    testing::AudioTap heard(testing::RendererInput(*renderers.front()));
    EXPECT_EQ(graph.SetCurrentPosition(0), S_OK);
    EXPECT_TRUE(testing::PlayToCompletion(graph));
    graph.Stop();
    EXPECT_GT(heard.Seconds(), 2.5) << "the medium holds 3 s";
    return heard.Frequency();
}

TEST(OggStreamSelect, EnablingAStreamSwitchesItsGroupOverToIt) {
    testing::EnsureQtApplication();
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(TestMedium("ogg-two-tones").string()), S_OK);
    FilterPtr splitter = graph.FindFilterByName("Ogg Splitter");
    ASSERT_TRUE(splitter);
    StreamSelect* select = splitter->AsStreamSelect();
    ASSERT_TRUE(select);
    const auto audio = AudioStreams(*select);
    ASSERT_EQ(audio.size(), 2u);

    std::vector<double> heard;
    for (int pick : {audio[1], audio[0]}) {
        const int other = pick == audio[0] ? audio[1] : audio[0];
        ASSERT_EQ(select->Enable(pick, AMSTREAMSELECTENABLE_ENABLE), S_OK);
        EXPECT_TRUE(select->Info(pick).value.enabled);
        EXPECT_FALSE(select->Info(other).value.enabled) << "both streams of the group enabled";
        heard.push_back(PlayAndHear(graph));
    }
    // The file's streams are tones of 440 Hz and 1000 Hz; each switch brings the other.
    ASSERT_EQ(heard.size(), 2u);
    const double low = std::min(heard[0], heard[1]), high = std::max(heard[0], heard[1]);
    EXPECT_NEAR(low, 440, 25);
    EXPECT_NEAR(high, 1000, 50);
}

}  // namespace
}  // namespace quova::engine

// Bypassing a medium's video the way the player does it: every filter with an
// input that carries or accepts video leaves the rendered graph; the splitter,
// whose input is the file's byte stream, stays and feeds the audio.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "platform/engine/filter_graph.h"
#include "tests/platform/engine/audio_tap.h"

namespace quova::engine {
namespace {

using testing::TestMedium;

std::set<std::string> FiltersTaking(const FilterGraph& graph, const Guid& major) {
    std::set<std::string> names;
    for (const FilterPtr& f : graph.Filters()) {
        for (const PinPtr& p : f->Pins(PinDirection::Input)) {
            if (p->IsConnected()) {
                auto t = p->ConnectionMediaType();
                if (t.ok() && t.value.majorType == major) names.insert(f->Name());
            } else {
                for (const MediaType& t : p->MediaTypes())
                    if (t.majorType == major) names.insert(f->Name());
            }
        }
    }
    return names;
}

void Bypass(FilterGraph& graph, const Guid& major) {
    for (const std::string& name : FiltersTaking(graph, major)) {
        if (FilterPtr f = graph.FindFilterByName(name)) {
            ASSERT_EQ(graph.RemoveFilter(f), S_OK);
        }
    }
}

class BypassVideo : public ::testing::TestWithParam<const char*> {};

TEST_P(BypassVideo, KeepsTheSplitterAndPlaysTheWholeAudio) {
    testing::EnsureQtApplication();
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(TestMedium(GetParam()).string()), S_OK);
    ASSERT_TRUE(graph.VideoRenderer());
    Bypass(graph, MEDIATYPE_Video);
    EXPECT_FALSE(graph.VideoRenderer());
    bool splitter = false;
    for (const FilterPtr& f : graph.Filters())
        splitter = splitter || f->Category() == FilterCategory::Splitter;
    EXPECT_TRUE(splitter) << "the demuxer left with the video";

    const auto renderers = testing::ConnectedAudioRenderers(graph);
    ASSERT_EQ(renderers.size(), 1u);
    testing::AudioTap heard(testing::RendererInput(*renderers.front()));
    EXPECT_TRUE(testing::PlayToCompletion(graph));
    // The media hold 2 s of sound.
    EXPECT_GT(heard.Seconds(), 1.9);
}

INSTANTIATE_TEST_SUITE_P(Containers, BypassVideo,
                         ::testing::Values("avi-pcm", "ogg-theora", "mkv", "mp4"),
                         [](const auto& info) { return testing::ParamName(info.param); });

}  // namespace
}  // namespace quova::engine

#include <gtest/gtest.h>

#include "platform/engine/filter_graph.h"
#include "tests/platform/engine/engine_fixture.h"

namespace quova::engine {
namespace {

using testing::Media;
using testing::WaitForEvent;

class RenderEachMedium : public ::testing::TestWithParam<const char*> {};

TEST_P(RenderEachMedium, RendersAndPlaysToCompletion) {
    const auto& file = Media::Get(GetParam());
    FilterGraph graph;
    graph.SetLogFile(std::string("/tmp/englog-") + GetParam() + ".txt");
    HResult hr = graph.RenderFile(file.string());
    ASSERT_EQ(hr, S_OK) << ErrorText(hr) << " filters: " << testing::FilterNames(graph);
    ASSERT_EQ(graph.Run(), S_OK);
    GraphEvent e;
    EXPECT_TRUE(WaitForEvent(graph, EC_COMPLETE, 15000, &e))
        << "got event " << e.code << " " << ErrorText(static_cast<HResult>(e.param1));
}

INSTANTIATE_TEST_SUITE_P(Media, RenderEachMedium,
                         ::testing::Values("avi-pcm2", "avi-mp3", "ogg-theora", "ogg-vorbis", "wav",
                                           "mp3-id3", "mpeg-ps"),
                         [](const auto& info) {
                             std::string n = info.param;
                             for (char& c : n)
                                 if (c == '-') c = '_';
                             return n;
                         });

}  // namespace
}  // namespace quova::engine

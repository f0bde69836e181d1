// Damaged files: the damage is reported when the file is opened, with a code
// that says the file is at fault, and nothing of the failed graph stays.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/engine/filter_graph.h"
#include "tests/platform/engine/playback_support.h"
#include "tests/support/temp_dir.h"

namespace quova::engine {
namespace {

using playback::Generated;

// The file of `kind` with 200 bits flipped past its first 2 KB (the headers
// stay readable, the data is damaged).
std::filesystem::path Damaged(const quova::testing::TempDir& dir, const std::string& kind) {
    std::string bytes = quova::testing::ReadFile(Generated(kind));
    std::mt19937 rng(7);
    for (int i = 0; i < 200; ++i) {
        const size_t at = 2048 + rng() % (bytes.size() - 2048);
        bytes[at] = static_cast<char>(bytes[at] ^ (1 << (rng() % 8)));
    }
    const auto path = dir / ("damaged-" + kind);
    quova::testing::WriteFile(path, bytes);
    return path;
}

class DamagedMedia : public ::testing::TestWithParam<std::string> {};

TEST_P(DamagedMedia, OpeningReportsTheDamageAndLeavesNothingBehind) {
    playback::EnsureApplication();
    quova::testing::TempDir dir;
    const auto file = Damaged(dir, GetParam());
    FilterGraph graph;
    const HResult hr = graph.RenderFile(file.string());
    EXPECT_EQ(hr, VFW_E_INVALID_FILE_FORMAT) << "got " << std::hex << hr << ": " << ErrorText(hr);
    EXPECT_EQ(ErrorText(VFW_E_INVALID_FILE_FORMAT), "The file format is invalid.");
    EXPECT_TRUE(graph.Filters().empty());
    EXPECT_FALSE(graph.GetEvent(0).ok()) << "no event of a graph that never played";

    // The same graph opens an intact file afterwards and plays it.
    ASSERT_EQ(graph.RenderFile(Generated(GetParam()).string()), S_OK);
    EXPECT_EQ(graph.Run(), S_OK);
    EXPECT_TRUE(playback::PumpUntil([&] { return graph.CurrentPosition().value > 0.3; }));
    graph.Stop();
}

INSTANTIATE_TEST_SUITE_P(Containers, DamagedMedia, ::testing::Values("ogg-3s", "mkv-h264-3s"),
                         [](const auto& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (c == '-') c = '_';
                             return name;
                         });

}  // namespace
}  // namespace quova::engine

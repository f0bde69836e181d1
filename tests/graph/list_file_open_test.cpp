#include <gtest/gtest.h>

#include "app/app_state.h"
#include "graph/open_media.h"
#include "tests/app/qt_support.h"

namespace quova {
namespace {

TEST(ListFileOpen, PlayListFilesOfEveryKindGoToThePlayList) {
    testing::App();
    std::vector<std::string> lists;
    MediaHooks() = OpenMediaHooks{};
    MediaHooks().LoadPlayList = [&](const std::string& name) { lists.push_back(name); };
    OpenCounter = 0;
    for (const char* name : {"/m/a.mpl", "/m/b.M3U", "/m/c.m3u8"}) OpenMedia(name);
    OpenCounter = -1;
    MediaHooks() = OpenMediaHooks{};
    EXPECT_EQ(lists, (std::vector<std::string>{"/m/a.mpl", "/m/b.M3U", "/m/c.m3u8"}));
}

}  // namespace
}  // namespace quova

#include <gtest/gtest.h>

#include "graph/open_media.h"
#include "tests/app/qt_support.h"
#include "tests/support/fake_ui.h"
#include "tests/support/player_state.h"

namespace quova {
namespace {

TEST(ListFileOpen, PlayListFilesOfEveryKindGoToThePlayList) {
    testing::App();
    testing::FakeUi ui;
    testing::ResetPlayerState(testing::Startup::Done);
    for (const char* name : {"/m/a.mpl", "/m/b.M3U", "/m/c.m3u8"}) OpenMedia(name);
    testing::ResetPlayerState();
    EXPECT_EQ(ui.playLists, (std::vector<std::string>{"/m/a.mpl", "/m/b.M3U", "/m/c.m3u8"}));
}

}  // namespace
}  // namespace quova

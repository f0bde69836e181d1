#include <gtest/gtest.h>

#include "graph/open_media.h"
#include "playback/player_session.h"
#include "tests/app/qt_support.h"
#include "tests/support/fake_ui.h"
#include "tests/support/player_state.h"

namespace quova {
namespace {

TEST(ListFileOpen, PlayListFilesOfEveryKindGoToThePlayList) {
    PlayerSession session;
    testing::App();
    testing::FakeUi ui{session};
    testing::ResetPlayerState(session, testing::Startup::Done);
    for (const char* name : {"/m/a.mpl", "/m/b.M3U", "/m/c.m3u8"}) OpenMedia(session, name);
    testing::ResetPlayerState(session);
    EXPECT_EQ(ui.playLists, (std::vector<std::string>{"/m/a.mpl", "/m/b.M3U", "/m/c.m3u8"}));
}

}  // namespace
}  // namespace quova

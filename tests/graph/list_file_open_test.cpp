#include <gtest/gtest.h>

#include <filesystem>

#include "graph/open_media.h"
#include "playback/player_session.h"
#include "tests/app/qt_support.h"
#include "tests/support/fake_ui.h"
#include "tests/support/player_state.h"
#include "tests/support/temp_dir.h"

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

TEST(ListFileOpen, AFolderGoesToThePlayListAndIsNeverOpenedAsAMedium) {
    PlayerSession session;
    testing::App();
    testing::FakeUi ui{session};
    testing::ResetPlayerState(session, testing::Startup::Done);
    testing::TempDir dir;
    // Named like a medium, still a folder.
    std::filesystem::create_directory(dir / "season.mkv");
    OpenMedia(session, dir.path().string());
    OpenMedia(session, (dir / "season.mkv").string());
    EXPECT_EQ(ui.playLists,
              (std::vector<std::string>{dir.path().string(), (dir / "season.mkv").string()}));
    EXPECT_EQ(session.graph.GraphBuilder, nullptr);
    testing::ResetPlayerState(session);
}

}  // namespace
}  // namespace quova

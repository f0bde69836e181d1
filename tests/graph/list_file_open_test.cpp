#include <gtest/gtest.h>

#include "graph/open_counter.h"
#include "graph/open_media.h"
#include "tests/app/qt_support.h"
#include "tests/support/fake_ui.h"

namespace quova {
namespace {

TEST(ListFileOpen, PlayListFilesOfEveryKindGoToThePlayList) {
    testing::App();
    testing::FakeUi ui;
    OpenCounter = 0;
    for (const char* name : {"/m/a.mpl", "/m/b.M3U", "/m/c.m3u8"}) OpenMedia(name);
    OpenCounter = -1;
    EXPECT_EQ(ui.playLists, (std::vector<std::string>{"/m/a.mpl", "/m/b.M3U", "/m/c.m3u8"}));
}

}  // namespace
}  // namespace quova

#include "app/command_line.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace quova {
namespace {

using Kind = StartupAction::Kind;
using Params = std::vector<std::string>;

TEST(CommandLine, SwitchesInAnyCaseAndAbsolutePathsStayFiles) {
    for (const char* s :
         {"/fs", "/FS", "/Fs", "/zoomtowin", "/ZoomToWin", "/noosd", "/SUB", "/1", "/2", "/3"})
        EXPECT_TRUE(IsSwitch(s)) << s;
    for (const char* s : {"/home/u/movie.avi", "/4", "/f", "fs", "-fs", "/fs/", ""})
        EXPECT_FALSE(IsSwitch(s)) << s;
}

TEST(CommandLine, HandOverOnlyWithAFileFirstNoSwitchInFrontAndNoCtrl) {
    EXPECT_TRUE(ShouldTryHandOver({"/home/u/a.avi"}, false));
    EXPECT_FALSE(ShouldTryHandOver({"/home/u/a.avi"}, true));
    EXPECT_FALSE(ShouldTryHandOver({"/FS", "a.avi"}, false));
    EXPECT_FALSE(ShouldTryHandOver({"a.avi", "/fs"}, false));
    // Only the first two parameters count.
    EXPECT_TRUE(ShouldTryHandOver({"a.avi", "b.avi", "/fs"}, false));
    EXPECT_FALSE(ShouldTryHandOver({}, false));
    EXPECT_FALSE(ShouldTryHandOver({""}, false));
}

TEST(CommandLine, AFileAFolderOrAnAddressIsHandedOverAndANameThatIsGoneIsNot) {
    testing::TempDir dir;
    testing::WriteFile(dir / "a.avi", "RIFF");
    const std::string gone = (dir / "gone.avi").string();
    EXPECT_EQ(HandOverFile({gone, (dir / "a.avi").string()}), (dir / "a.avi").string());
    // A folder opens as the list of its media, in the running instance too.
    EXPECT_EQ(HandOverFile({gone, dir.path().string()}), dir.path().string());
    EXPECT_EQ(HandOverFile({"/fs", "http://127.0.0.1:9/a.mkv"}), "http://127.0.0.1:9/a.mkv");
    EXPECT_EQ(HandOverFile({gone, "/fs"}), std::nullopt);
}

TEST(CommandLine, FirstPassOverridesLoadedSettings) {
    Settings s;
    s.OsdOn = true;
    s.SubtitlesOn = false;
    ApplySwitches({"movie.avi", "/Fs", "/ZOOMTOWIN", "/NoOsd", "/sub"}, s);
    EXPECT_TRUE(s.FullScreenMode);
    EXPECT_TRUE(s.ZoomToWindow);
    EXPECT_FALSE(s.OsdOn);
    EXPECT_TRUE(s.SubtitlesOn);

    Settings untouched;
    untouched.OsdOn = true;
    ApplySwitches({"movie.avi", "/2"}, untouched);
    EXPECT_FALSE(untouched.FullScreenMode);
    EXPECT_TRUE(untouched.OsdOn);
}

TEST(CommandLine, SecondPassOpensAndZoomsInCommandLineOrder) {
    EXPECT_EQ(StartupActions({"/2", "a.avi", "/fs", "b.ogg", "/3"}),
              (std::vector<StartupAction>{{Kind::Zoom, "", 2.0},
                                          {Kind::Open, "a.avi", 1.0},
                                          {Kind::Open, "b.ogg", 1.0},
                                          {Kind::Zoom, "", 3.0}}));
    EXPECT_EQ(
        StartupActions({"/home/u/x.avi", "/1"}),
        (std::vector<StartupAction>{{Kind::Open, "/home/u/x.avi", 1.0}, {Kind::Zoom, "", 1.0}}));
    EXPECT_TRUE(StartupActions({"/noosd", "", "/SUB"}).empty());
}

}  // namespace
}  // namespace quova

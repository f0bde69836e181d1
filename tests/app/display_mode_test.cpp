#include "app/display_mode.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/process_liveness.h"
#include "tests/app/fake_screen.h"

namespace quova {
namespace {

using testing::FakeScreen;

class DisplayModeTest : public ::testing::Test, DisplayModeReporter {
  protected:
    void DisplayModeFailed(const std::string& text) const override { reports_.push_back(text); }
    void SetUp() override {
        control_.SetServer(&screen_);
        control_.SetReporter(this);
        control_.CaptureDisplayMode();
    }
    FakeScreen screen_;
    DisplayModeControl control_;
    mutable std::vector<std::string> reports_;
};

TEST_F(DisplayModeTest, FullScreenLowersTheModeAndTheEndPutsItBack) {
    EXPECT_EQ(control_.SetDisplayMode(true, 640, false), DispChangeSuccessful);
    ASSERT_EQ(screen_.applied.size(), 1u);
    EXPECT_EQ(screen_.current, (DisplayMode{640, 480, 24, 4}));
    EXPECT_EQ(control_.state(), DisplayModeControl::Changed);
    EXPECT_TRUE(screen_.remembered);
    // The server's own announcement of that change does not replace the mode to return to.
    control_.DisplayChanged();
    EXPECT_EQ(control_.state(), DisplayModeControl::Changed);
    control_.Restore();
    EXPECT_EQ(screen_.current, (DisplayMode{1024, 768, 24, 1}));
    EXPECT_EQ(control_.state(), DisplayModeControl::Untouched);
    EXPECT_FALSE(screen_.remembered);
    EXPECT_TRUE(reports_.empty());
}

TEST_F(DisplayModeTest, TheLargestModeNotLargerThanTheRequestIsTaken) {
    screen_.modes = {{1024, 768, 24, 1}, {832, 624, 24, 5}, {800, 500, 24, 6}, {640, 480, 24, 4}};
    control_.SetDisplayMode(true, 800, false);
    EXPECT_EQ(screen_.current, (DisplayMode{800, 500, 24, 6}));
}

// A mode must fit the request on both sides: one that is narrow but tall, or
// wide but short, is larger in the side that does not fit, however small its area.
TEST_F(DisplayModeTest, AModeLargerOnEitherSideIsPassedOver) {
    const DisplayMode saved{1024, 768, 24, 1};
    struct Case {
        const char* what;
        std::vector<DisplayMode> modes;
        DisplayMode want;
    };
    const Case cases[] = {
        {"narrow but tall", {{600, 800, 24, 7}, {640, 480, 24, 4}}, {640, 480, 24, 4}},
        {"one row taller", {{640, 481, 24, 7}, {640, 400, 24, 4}}, {640, 400, 24, 4}},
        {"wide but short", {{1024, 400, 24, 8}, {640, 480, 24, 4}}, {640, 480, 24, 4}},
        {"one column wider", {{641, 480, 24, 8}, {600, 480, 24, 4}}, {600, 480, 24, 4}},
        {"exactly the request", {{640, 480, 24, 9}, {600, 400, 24, 4}}, {640, 480, 24, 9}},
        {"portrait screens", {{480, 640, 24, 5}, {360, 480, 24, 6}}, {360, 480, 24, 6}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ModeChoice choice = ChooseMode(saved, {640, 480, 24, 0}, c.modes);
        EXPECT_EQ(choice.result, DispChangeSuccessful);
        EXPECT_EQ(choice.mode, c.want);
    }
    // Nothing fits both sides.
    EXPECT_EQ(ChooseMode(saved, {640, 480, 24, 0}, {{600, 800, 24, 7}, {1024, 400, 24, 8}}).result,
              DispChangeBadMode);
    // Through the control: 800 x 600 asked, a tall 600 x 800 offered beside smaller modes.
    screen_.modes = {{1024, 768, 24, 1}, {600, 800, 24, 7}, {1024, 480, 24, 8}, {640, 480, 24, 4}};
    EXPECT_EQ(control_.SetDisplayMode(true, 800, false), DispChangeSuccessful);
    EXPECT_EQ(screen_.current, (DisplayMode{640, 480, 24, 4}));
}

TEST_F(DisplayModeTest, AModeIsNeverEnlarged) {
    screen_.current = {640, 480, 24, 4};
    control_.CaptureDisplayMode();
    EXPECT_EQ(control_.SetDisplayMode(true, 800, false), DispChangeSuccessful);
    EXPECT_TRUE(screen_.applied.empty());
    EXPECT_EQ(screen_.current, (DisplayMode{640, 480, 24, 4}));
    control_.SetDisplayMode(false, 0, false);
    EXPECT_TRUE(screen_.applied.empty());
}

TEST_F(DisplayModeTest, SixteenBitsCannotBeHadFromARunningServer) {
    EXPECT_EQ(control_.SetDisplayMode(true, 0, true), DispChangeBadMode);
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0], "error setting display mode: The graphics mode is not supported.");
    EXPECT_TRUE(screen_.applied.empty());
    EXPECT_EQ(control_.state(), DisplayModeControl::Untouched);
    // A 16-bit desktop already is what was asked for.
    screen_.current.depth = 16;
    for (auto& m : screen_.modes) m.depth = 16;
    control_.CaptureDisplayMode();
    EXPECT_EQ(control_.SetDisplayMode(true, 640, true), DispChangeSuccessful);
    EXPECT_EQ(screen_.current.width, 640);
}

TEST_F(DisplayModeTest, ARefusedChangeKeepsTheStateAndSaysWhy) {
    screen_.refuse = DispChangeFailed;
    EXPECT_EQ(control_.SetDisplayMode(true, 640, false), DispChangeFailed);
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0],
              "error setting display mode: The display driver failed the specified graphics "
              "mode.");
    EXPECT_EQ(control_.state(), DisplayModeControl::Untouched);
    EXPECT_FALSE(screen_.remembered);
    // No mode small enough.
    screen_.refuse = DispChangeSuccessful;
    screen_.modes = {{1024, 768, 24, 1}};
    EXPECT_EQ(control_.SetDisplayMode(true, 640, false), DispChangeBadMode);
}

TEST_F(DisplayModeTest, AnOutsideChangeBecomesTheModeToReturnTo) {
    control_.SetDisplayMode(true, 640, false);
    // Someone else sets 800 x 600 while full screen runs.
    screen_.current = {800, 600, 24, 2};
    control_.DisplayChanged();
    EXPECT_EQ(control_.state(), DisplayModeControl::Untouched);
    EXPECT_EQ(control_.saved(), (DisplayMode{800, 600, 24, 2}));
    const size_t before = screen_.applied.size();
    control_.Restore();
    EXPECT_EQ(screen_.applied.size(), before);
}

// A mode left behind is restored only when its owner is gone: an owner that
// runs as another user cannot be signalled, and is alive all the same.
TEST(AbandonedModeOwner, OnlyAProcessThatNoLongerExistsIsGone) {
    EXPECT_TRUE(ProcessAlive(getpid()));
    const pid_t ended = fork();
    ASSERT_GE(ended, 0);
    if (ended == 0) _exit(0);
    waitpid(ended, nullptr, 0);
    EXPECT_FALSE(ProcessAlive(ended));

    if (getuid() != 0) {
        EXPECT_TRUE(ProcessAlive(1)) << "init belongs to root";
        return;
    }
    const passwd* nobody = getpwnam("nobody");
    ASSERT_TRUE(nobody);
    const pid_t rootOwned = getpid();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0) _exit(2);
        _exit(ProcessAlive(rootOwned) ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "a process of another user counts as alive";
}

TEST(DisplayModeText, EveryResultHasItsText) {
    EXPECT_EQ(DisplayModeError(DispChangeRestart),
              "error setting display mode: The computer must be restarted in order for the "
              "graphics mode to work.");
    EXPECT_EQ(DisplayModeError(DispChangeBadFlags),
              "error setting display mode: An invalid set of flags was passed in.");
    EXPECT_EQ(DisplayModeError(DispChangeNotUpdated),
              "error setting display mode: Unable to write settings to the registry.");
    EXPECT_EQ(DisplayModeError(-7), "error setting display mode: ");
}

TEST(DisplayModeRequest, ReducesOnlyWhatIsLarger) {
    const DisplayMode desk{1280, 1024, 32, 9};
    EXPECT_EQ(RequestedMode(desk, 800, false), (DisplayMode{800, 600, 32, 9}));
    EXPECT_EQ(RequestedMode(desk, 640, true), (DisplayMode{640, 480, 16, 9}));
    EXPECT_EQ(RequestedMode({640, 480, 16, 4}, 800, true), (DisplayMode{640, 480, 16, 4}));
}

}  // namespace
}  // namespace quova

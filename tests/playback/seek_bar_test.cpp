#include "playback/seek_bar.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QSlider>
#include <stdexcept>
#include <vector>

#include "playback/seek_bar_control.h"
#include "tests/app/qt_support.h"
#include "tests/support/player_state.h"

namespace quova {
namespace {

struct SeekBarFixture : ::testing::Test {
    SeekBarFixture() {
        testing::ResetPlayerState();
        window.resize(400, 60);
        bar = new QSlider(&window);
        bar->setGeometry(0, 20, 400, 30);
        control = new SeekBarControl(bar, [this](double s) { seeks.push_back(s); });
        SetupSeekBarRange(*bar, 600);
        window.show();
        bar->setFocus();
    }
    QApplication& app_ = testing::App();  // before the window
    QWidget window;
    QSlider* bar = nullptr;
    SeekBarControl* control = nullptr;
    std::vector<double> seeks;
};

TEST_F(SeekBarFixture, TheTimersOwnUpdateNeverSeeks) {
    control->TimerUpdate(12.345, 600);
    EXPECT_EQ(SeekBarPosition, 1234);
    EXPECT_EQ(bar->value(), 1234);
    control->TimerUpdate(9999, 600);  // past the end: the bar's end, still no seek
    EXPECT_TRUE(seeks.empty());
    // A shorter medium pulls the thumb back with its range: no seek either.
    SetupSeekBarRange(*bar, 100);
    EXPECT_EQ(bar->value(), 10000);
    EXPECT_TRUE(seeks.empty());
}

// A length estimated from the bit rate grows or shrinks as the file plays; the
// bar's range follows it without a seek.
TEST_F(SeekBarFixture, TheRangeFollowsALengthThatChanges) {
    control->TimerUpdate(5, 700);
    EXPECT_EQ(bar->maximum(), 70000);
    EXPECT_EQ(bar->value(), 500);
    control->TimerUpdate(5, 0.9);
    EXPECT_EQ(bar->maximum(), 90);
    EXPECT_EQ(bar->value(), 90);
    EXPECT_TRUE(seeks.empty());
}

TEST_F(SeekBarFixture, EveryUserMoveSeeksToItsHundredths) {
    control->TimerUpdate(100, 600);
    bar->setValue(10100);  // one second on, as a mouse drag would
    bar->setValue(10000);  // back onto the tick's own value is the tick's
    bar->setValue(25050);
    EXPECT_EQ(seeks, (std::vector<double>{101.0, 250.5}));
}

TEST_F(SeekBarFixture, ArrowsDoNothingAndPageDownMovesThirtySeconds) {
    control->TimerUpdate(60, 600);
    for (int key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(bar, &press);
    }
    EXPECT_EQ(bar->value(), 6000);
    EXPECT_TRUE(seeks.empty());
    QKeyEvent page(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
    QApplication::sendEvent(bar, &page);
    EXPECT_EQ(seeks, std::vector<double>{90.0});
}

TEST_F(SeekBarFixture, TheBarHidesWhenItLosesTheFocus) {
    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(bar, &out);
    EXPECT_FALSE(bar->isVisible());
}

TEST(SeekBarChange, ANestedChangeOrAFailedSeekLeavesTheBarUsable) {
    testing::ResetPlayerState();
    int calls = 0;
    std::function<void(double)> nested = [&](double) {
        ++calls;
        EXPECT_FALSE(TrackBar1Change(500, nested));  // arrives during the seek
        throw std::runtime_error("seek failed");
    };
    EXPECT_TRUE(TrackBar1Change(300, nested));
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(SeekBarBusy);
    EXPECT_EQ(SeekBarValue(-3), 0);
    EXPECT_EQ(SeekBarValue(1e12), 2147483647);
}

}  // namespace
}  // namespace quova

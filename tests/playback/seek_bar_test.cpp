#include "playback/seek_bar.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <stdexcept>
#include <vector>

#include "playback/player_session.h"
#include "playback/seek_bar_control.h"
#include "tests/app/qt_support.h"
#include "tests/support/player_state.h"

namespace quova {
namespace {

// A slider whose thumb the test can find, to drag it as a mouse does.
class Slider : public QSlider {
  public:
    using QSlider::QSlider;
    QPoint ThumbCentre() const {
        QStyleOptionSlider option;
        initStyleOption(&option);
        return style()
            ->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this)
            .center();
    }
};

struct SeekBarFixture : ::testing::Test {
    PlayerSession session;

    SeekBarFixture() {
        testing::ResetPlayerState(session);
        window.resize(400, 60);
        bar = new Slider(&window);
        bar->setGeometry(0, 20, 400, 30);
        control = new SeekBarControl(bar, [this](double s, SeekPrecision precision) {
            seeks.push_back(s);
            precisions.push_back(precision);
        });
        SetupSeekBarRange(*bar, 600);
        window.show();
        bar->setFocus();
    }
    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, bar->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(bar, &event);
    }
    // Presses the thumb and moves it `steps` times by `dx` pixels, holding it.
    QPoint Drag(int dx, int steps) {
        QPoint at = bar->ThumbCentre();
        Mouse(QEvent::MouseButtonPress, at, Qt::LeftButton);
        for (int i = 0; i < steps; ++i) {
            at.rx() += dx;
            Mouse(QEvent::MouseMove, at, Qt::LeftButton);
        }
        return at;
    }
    void Release(QPoint at) { Mouse(QEvent::MouseButtonRelease, at, Qt::NoButton); }

    QApplication& app_ = testing::App();  // before the window
    QWidget window;
    Slider* bar = nullptr;
    SeekBarControl* control = nullptr;
    std::vector<double> seeks;
    std::vector<SeekPrecision> precisions;
};

TEST_F(SeekBarFixture, TheTimersOwnUpdateNeverSeeks) {
    control->TimerUpdate(12.345, 600);
    EXPECT_EQ(control->state().position, 1234);
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
    EXPECT_EQ(precisions, (std::vector<SeekPrecision>{SeekPrecision::Exact, SeekPrecision::Exact}));
}

// While the thumb is dragged the picture follows it from keyframe to
// keyframe; where it is let go, the medium lands exactly.
TEST_F(SeekBarFixture, ADragSeeksKeyFramesAndItsReleaseSeeksExactly) {
    control->TimerUpdate(100, 600);
    const QPoint at = Drag(20, 3);
    ASSERT_TRUE(bar->isSliderDown());
    ASSERT_EQ(seeks.size(), 3u) << "each move of the thumb seeks";
    for (size_t i = 0; i < seeks.size(); ++i) {
        EXPECT_EQ(precisions[i], SeekPrecision::KeyFrame) << i;
        if (i > 0) {
            EXPECT_GT(seeks[i], seeks[i - 1]) << i;
        }
    }
    Release(at);
    EXPECT_FALSE(bar->isSliderDown());
    ASSERT_EQ(seeks.size(), 4u);
    EXPECT_EQ(precisions.back(), SeekPrecision::Exact);
    EXPECT_EQ(seeks.back(), bar->value() / 100.0);
    EXPECT_EQ(seeks.back(), seeks[2]) << "where the last move of the drag went";
}

TEST_F(SeekBarFixture, AClickOnTheThumbWithoutAMoveSeeksNothing) {
    control->TimerUpdate(100, 600);
    Release(Drag(0, 0));
    EXPECT_TRUE(seeks.empty());
}

TEST_F(SeekBarFixture, TheTimerLeavesAThumbTheUserHolds) {
    control->TimerUpdate(100, 600);
    const QPoint at = Drag(30, 1);
    const int held = bar->value();
    ASSERT_NE(held, 10000);
    // The keyframe the drag landed on lies behind the thumb.
    control->TimerUpdate(held / 100.0 - 1.5, 600);
    EXPECT_EQ(bar->value(), held);
    Release(at);
    control->TimerUpdate(held / 100.0, 600);
    EXPECT_EQ(bar->value(), held);
    control->TimerUpdate(3, 600);
    EXPECT_EQ(bar->value(), 300) << "once let go, the bar follows the medium again";
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
    EXPECT_EQ(precisions, std::vector<SeekPrecision>{SeekPrecision::Exact});
}

TEST_F(SeekBarFixture, TheBarHidesWhenItLosesTheFocus) {
    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(bar, &out);
    EXPECT_FALSE(bar->isVisible());
}

TEST(SeekBarChange, ANestedChangeOrAFailedSeekLeavesTheBarUsable) {
    SeekBarState bar;
    int calls = 0;
    std::function<void(double)> nested = [&](double) {
        ++calls;
        EXPECT_FALSE(TrackBar1Change(bar, 500, nested));  // arrives during the seek
        throw std::runtime_error("seek failed");
    };
    EXPECT_TRUE(TrackBar1Change(bar, 300, nested));
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(bar.busy);
    EXPECT_EQ(SeekBarValue(-3), 0);
    EXPECT_EQ(SeekBarValue(1e12), 2147483647);
}

TEST(SeekBarRelease, SeeksEvenToTheTicksOwnValueButNotInsideAChange) {
    SeekBarState bar;
    std::vector<double> seeks;
    const std::function<void(double)> record = [&](double s) { seeks.push_back(s); };
    // A drag that ends where it began still moved the medium to keyframes.
    bar.position = 700;
    EXPECT_TRUE(TrackBar1Release(bar, 700, record));
    EXPECT_EQ(seeks, std::vector<double>{7.0});
    const std::function<void(double)> nested = [&](double) {
        EXPECT_FALSE(TrackBar1Release(bar, 900, record));
        throw std::runtime_error("seek failed");
    };
    EXPECT_TRUE(TrackBar1Change(bar, 300, nested));
    EXPECT_EQ(seeks, std::vector<double>{7.0});
    EXPECT_FALSE(bar.busy);
}

}  // namespace
}  // namespace quova

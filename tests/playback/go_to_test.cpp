#include "playback/go_to.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QWheelEvent>
#include <vector>

#include "graph/message_box.h"
#include "playback/go_to_dialog.h"
#include "tests/app/qt_support.h"

namespace quova {
namespace {

TEST(GoToTime, ReadsAndWritesTimesOfDay) {
    EXPECT_EQ(ParseTimeOfDay("01:02:03"), 3723.0);
    EXPECT_EQ(ParseTimeOfDay("1:2"), 3720.0);
    EXPECT_EQ(ParseTimeOfDay("00:00:01.5"), 1.5);
    for (const char* bad : {"", "abc", "25:00:00", "00:60:00", "1:2:3:4", "-1:00:00", "01:0x:00"})
        EXPECT_EQ(ParseTimeOfDay(bad), std::nullopt) << bad;
    EXPECT_EQ(FormatTimeOfDay(3723.9), "01:02:03");
    EXPECT_EQ(FormatTimeOfDay(0), "00:00:00");
    EXPECT_EQ(GoToTarget(""), std::nullopt);
    EXPECT_EQ(GoToTarget("01:02:03"), 3723.0);
}

TEST(GoToTime, TheCaretChoosesTheFieldThatSteps) {
    // "hh:nn:ss": caret 0..2 hours, 3..5 minutes, 6..8 seconds.
    EXPECT_EQ(GoToStepFor("00:10:00", 0), 3600);
    EXPECT_EQ(GoToStepFor("00:10:00", 2), 3600);
    EXPECT_EQ(GoToStepFor("00:10:00", 3), 60);
    EXPECT_EQ(GoToStepFor("00:10:00", 5), 60);
    EXPECT_EQ(GoToStepFor("00:10:00", 6), 1);
    EXPECT_EQ(GoToStepFor("0010", 1), 0);
    EXPECT_EQ(GoToStepFor("00:10", 4), 0);  // no second ":" after the first
    EXPECT_EQ(StepGoToText("00:10:00", 4, true, 5400), "00:11:00");
    EXPECT_EQ(StepGoToText("00:10:00", 4, false, 5400), "00:09:00");
}

TEST(GoToTime, StepsBelowZeroOrBeyondTheBoundAreRefused) {
    EXPECT_EQ(StepGoToText("00:00:00", 7, false, 5400), std::nullopt);
    EXPECT_EQ(StepGoToText("01:00:00", 1, true, 5400), std::nullopt);  // 90-minute film
    EXPECT_EQ(StepGoToText("01:00:00", 7, true, 5400), "01:00:01");
    EXPECT_EQ(StepGoToText("01:30:00", 7, true, 5400), std::nullopt);
    EXPECT_EQ(StepGoToText("01:29:59", 7, true, 5400), "01:30:00");  // the bound itself
}

// Runs the command and lets `act` answer the dialog; returns the seeks made.
std::vector<double> RunGoTo(double position, double duration,
                            std::function<void(TQuovaGoTo*)> act) {
    testing::App();
    std::vector<double> seeks;
    bool modalSeen = false;
    testing::OnNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<TQuovaGoTo*>(modal);
        ASSERT_NE(dialog, nullptr);
        modalSeen = ModalDialogOpen();
        act(dialog);
    });
    GoTo1Click(nullptr, position, duration, [&seeks](double s) { seeks.push_back(s); });
    EXPECT_TRUE(modalSeen);
    EXPECT_FALSE(ModalDialogOpen());
    return seeks;
}

TEST(GoToDialog, OkSeeksToTheTypedTime) {
    const auto seeks = RunGoTo(12, 7200, [](TQuovaGoTo* d) {
        EXPECT_EQ(d->edit()->text(), "00:00:12");
        EXPECT_EQ(d->windowTitle(), "GoTo");
        d->edit()->setText("01:02:03");
        d->findChild<QPushButton*>("Button1")->click();
    });
    EXPECT_EQ(seeks, std::vector<double>{3723.0});
}

TEST(GoToDialog, CancelEmptyAndUnreadableTextsSeekNowhere) {
    EXPECT_TRUE(RunGoTo(0, 100, [](TQuovaGoTo* d) {
                    d->findChild<QPushButton*>("Button2")->click();
                }).empty());
    EXPECT_TRUE(RunGoTo(0, 100, [](TQuovaGoTo* d) {
                    d->edit()->clear();
                    d->accept();
                }).empty());
    EXPECT_TRUE(RunGoTo(0, 100, [](TQuovaGoTo* d) {
                    d->edit()->setText("soon");
                    d->accept();
                }).empty());
}

TEST(GoToDialog, KeysAndWheelStepTheCaretsField) {
    const auto seeks = RunGoTo(600, 5400, [](TQuovaGoTo* d) {
        QLineEdit* edit = d->edit();
        edit->setFocus();
        edit->setCursorPosition(4);
        QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
        QApplication::sendEvent(edit, &up);
        EXPECT_EQ(edit->text(), "00:11:00");
        EXPECT_EQ(edit->cursorPosition(), 4);
        QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(d, &wheel);
        EXPECT_EQ(edit->text(), "00:10:00");
        d->accept();
    });
    EXPECT_EQ(seeks, std::vector<double>{600.0});
}

}  // namespace
}  // namespace quova

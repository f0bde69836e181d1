#include "text/subtitle_adjust_dialog.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLineEdit>
#include <QSpinBox>

#include "tests/app/qt_support.h"

namespace quova {
namespace {

TEST(SubtitleAdjust, EditsShowSecondsAndPercentAndTypingSetsTheUpDowns) {
    testing::App();
    TQuovaSubAdjForm form;
    EXPECT_EQ(form.windowTitle(), "Subtitles Adjust");
    form.upDown1()->setValue(-3);
    form.upDown2()->setValue(12500);
    EXPECT_EQ(form.edit1()->text(), "-1.5");
    EXPECT_EQ(form.edit2()->text(), "125");
    EXPECT_EQ(form.upDown1()->toolTip(), form.edit1()->toolTip());

    form.edit1()->setText("");
    form.edit1()->insert("2.75");  // typed: 5.5 half seconds, truncated
    EXPECT_EQ(form.upDown1()->value(), 5);
    form.edit2()->selectAll();
    form.edit2()->insert("not a number");
    EXPECT_EQ(form.upDown2()->value(), 12500);

    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(form.edit2(), &down);
    EXPECT_EQ(form.upDown2()->value(), 12499);
    EXPECT_EQ(form.edit2()->text(), "124.99");
    QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QApplication::sendEvent(form.edit1(), &up);
    EXPECT_EQ(form.upDown1()->value(), 6);
    EXPECT_EQ(form.edit1()->text(), "3");
}

TEST(SubtitleAdjust, OkTakesTheValuesAndCancelKeepsThem) {
    testing::App();
    int offset = 4;
    double speed = 1.25;
    testing::OnNextModal([](QWidget* modal) {
        auto* form = qobject_cast<TQuovaSubAdjForm*>(modal);
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->edit1()->text(), "2");
        EXPECT_EQ(form->edit2()->text(), "125");
        form->upDown1()->setValue(-2);
        form->reject();
    });
    EXPECT_FALSE(RunSubtitleAdjust(nullptr, offset, speed));
    EXPECT_EQ(offset, 4);
    testing::OnNextModal([](QWidget* modal) {
        auto* form = qobject_cast<TQuovaSubAdjForm*>(modal);
        form->upDown1()->setValue(-2);
        form->upDown2()->setValue(8000);
        form->accept();
    });
    EXPECT_TRUE(RunSubtitleAdjust(nullptr, offset, speed));
    EXPECT_EQ(offset, -2);
    EXPECT_DOUBLE_EQ(speed, 0.8);
}

}  // namespace
}  // namespace quova

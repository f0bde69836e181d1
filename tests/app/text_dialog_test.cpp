#include "app/text_dialog_layout.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "app/text_dialog.h"
#include "graph/message_box.h"
#include "tests/app/qt_support.h"

namespace quova {
namespace {

// The designed dialog: side buttons in a column from y 8 in steps of 32.
TextDialogInput Input(int labelWidth, int labelHeight) {
    TextDialogInput in;
    in.labelWidth = labelWidth;
    in.labelHeight = labelHeight;
    for (int i = 0; i < kSideButtonCount; ++i) in.buttons[i].top = 8 + 32 * i;
    in.frameWidth = 6;
    in.frameHeight = 25;
    in.screenWidth = 1024;
    return in;
}

TEST(TextDialogLayout, WithoutSideButtonsTheWindowEndsEightPixelsRightOfTheBevel) {
    const TextDialogLayout l = LayOutTextDialog(Input(300, 100));
    EXPECT_EQ(l.label, (Rect{16, 16, 300, 100}));
    EXPECT_EQ(l.bevel, (Rect{8, 8, 316, 116}));
    EXPECT_EQ(l.clientWidth, 332);
    EXPECT_EQ(l.ok, (Rect{128, 132, 75, 25}));
    EXPECT_EQ(l.clientHeight, 165);
    EXPECT_EQ(l.windowLeft, (1024 - 338) / 2);
}

TEST(TextDialogLayout, BevelCoversTheTallerOfTextAndVisibleButtons) {
    // Text taller than the two visible buttons: 16 pixels more than the text.
    TextDialogInput tall = Input(200, 150);
    tall.buttons[0].visible = tall.buttons[1].visible = true;
    const TextDialogLayout a = LayOutTextDialog(tall);
    EXPECT_EQ(a.bevel, (Rect{8, 8, 216, 166}));
    EXPECT_EQ(a.buttons[0], (Rect{232, 8, 155, 25}));
    EXPECT_EQ(a.buttons[1], (Rect{232, 40, 155, 25}));
    EXPECT_EQ(a.clientWidth, 395);

    // More buttons than text: the bevel reaches the last visible button's bottom.
    TextDialogInput many = Input(200, 20);
    for (int i = 0; i < 6; ++i) many.buttons[i].visible = true;
    EXPECT_EQ(LayOutTextDialog(many).bevel.height, 193);

    // Only buttons 2 to 10 reach down: a lone first button leaves the bevel
    // at the text's height.
    TextDialogInput one = Input(200, 10);
    one.buttons[0].visible = true;
    const TextDialogLayout c = LayOutTextDialog(one);
    EXPECT_EQ(c.bevel, (Rect{8, 8, 216, 26}));
    EXPECT_EQ(c.ok.top, 42);
    EXPECT_EQ(c.clientWidth, c.buttons[0].right() + 8);
}

TEST(TextDialogLayout, DoubledAmpersandShowsAsOne) {
    EXPECT_EQ(LabelDisplayText("subtitles (.sub && .srt)"), "subtitles (.sub & .srt)");
    EXPECT_EQ(LabelDisplayText("&Open"), "Open");
    EXPECT_EQ(LabelDisplayText("a&&&&b&"), "a&&b");
}

TEST(TextDialog, ShowsNothingForEmptyTextAndHidesSideButtonsOnOk) {
    testing::App();
    bool shown = false;
    testing::OnNextModal([&](QWidget*) { shown = true; });
    ShowTextDialog("", "Nothing");
    EXPECT_FALSE(shown);
    EXPECT_FALSE(ModalDialogOpen());

    TOKBottomDlg& dialog = TextDialog();
    ASSERT_EQ(dialog.SideButton(0), nullptr);
    ASSERT_EQ(dialog.SideButton(11), nullptr);
    dialog.SideButton(1)->setText("Filter A");
    dialog.SideButton(1)->show();
    std::string pressed;
    // The dialog is the program's; the connection ends with this test.
    QObject scope;
    QObject::connect(&dialog, &TOKBottomDlg::sideButtonPressed, &scope,
                     [&](const QString& caption) { pressed = caption.toStdString(); });

    QRect bevel, button, label;
    bool modal = false;
    testing::OnNextModal([&](QWidget* w) {
        auto* d = qobject_cast<TOKBottomDlg*>(w);
        ASSERT_NE(d, nullptr);
        modal = ModalDialogOpen();
        bevel = d->bevel()->geometry();
        label = d->label()->geometry();
        button = d->SideButton(1)->geometry();
        d->SideButton(1)->click();
        d->okButton()->click();
    });
    ShowTextDialog("line one\nline && two", "Caption");
    EXPECT_TRUE(modal);
    EXPECT_FALSE(ModalDialogOpen());
    EXPECT_EQ(pressed, "Filter A");
    EXPECT_EQ(dialog.windowTitle(), "Caption");
    EXPECT_EQ(dialog.label()->text(), "line one\nline & two");
    EXPECT_EQ(bevel.width(), label.width() + 16);
    EXPECT_EQ(button.left(), bevel.left() + bevel.width() + 8);
    EXPECT_EQ(dialog.width(), button.left() + button.width() + 8);
    EXPECT_FALSE(dialog.SideButton(1)->isVisibleTo(&dialog));
}

TEST(TextDialog, SideButtonHandsOverItsCaptionAsSet) {
    testing::App();
    TOKBottomDlg& dialog = TextDialog();
    dialog.SideButton(1)->setText("AC3 & DTS Decoder");
    dialog.SideButton(1)->show();
    std::string pressed;
    // The dialog is the program's; the connection ends with this test.
    QObject scope;
    QObject::connect(&dialog, &TOKBottomDlg::sideButtonPressed, &scope,
                     [&](const QString& caption) { pressed = caption.toStdString(); });
    testing::OnNextModal([](QWidget* w) {
        auto* d = qobject_cast<TOKBottomDlg*>(w);
        ASSERT_NE(d, nullptr);
        d->SideButton(1)->click();
        d->okButton()->click();
    });
    ShowTextDialog("filters", "Properties");
    // The property-page command finds the filter by this very name.
    EXPECT_EQ(pressed, "AC3 & DTS Decoder");
}

TEST(TextDialog, EscapeClosesLikeOkLeavingNoSideButtonsForTheNextCaller) {
    testing::App();
    TOKBottomDlg& dialog = TextDialog();
    dialog.SideButton(1)->show();
    dialog.SideButton(2)->show();
    testing::OnNextModal([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
    ShowTextDialog("filters", "Properties");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(ModalDialogOpen());
    for (int i = 1; i <= kSideButtonCount; ++i)
        EXPECT_FALSE(dialog.SideButton(i)->isVisibleTo(&dialog)) << i;
}

// Where a window stands on the screen, measured once it is up: its frame's
// left edge, and the left edge that centres that frame (rounded down).
struct Placement {
    int left = 0;
    int centred = 0;
    int frameWidth = 0;
    int clientWidth = 0;
};

Placement PlacementOf(const QWidget* w) {
    const QRect frame = w->frameGeometry();
    const int screen = QGuiApplication::primaryScreen()->geometry().width();
    return {frame.left(), (screen - frame.width()) / 2, frame.width(), w->width()};
}

TEST(TextDialog, StandsCentredOnTheScreenToThePixelFrameIncluded) {
    testing::App();
    for (const char* text : {"short", "a rather longer line of text to widen the dialog"}) {
        SCOPED_TRACE(text);
        Placement shown;
        testing::OnNextModal([&shown](QWidget* w) {
            shown = PlacementOf(w);
            static_cast<TOKBottomDlg*>(w)->okButton()->click();
        });
        ShowTextDialog(text, "Caption");
        // The test platform draws a frame: a placement that ignores it is off.
        EXPECT_GT(shown.frameWidth, shown.clientWidth);
        EXPECT_EQ(shown.left, shown.centred);
    }
}

}  // namespace
}  // namespace quova

#include "graph/message_box.h"

#include <gtest/gtest.h>

#include "tests/app/qt_support.h"

namespace quova {
namespace {

using testing::AnswerNextBox;
using testing::App;
using testing::SeenBox;

// Puts the process-wide title and dialog mark back however a test ends.
class KeepsGlobalState {
  public:
    ~KeepsGlobalState() {
        SetApplicationTitle(title_);
        SetModalDialogOpen(open_);
    }

  private:
    std::string title_ = ApplicationTitle();
    bool open_ = ModalDialogOpen();
};

TEST(ResultText, CodeInEightUpperCaseHexDigitsThenItsText) {
    EXPECT_EQ(ResultText(static_cast<std::int32_t>(0x80004005u)),
              "error 80004005: Unspecified error.");
    EXPECT_EQ(ResultText(static_cast<std::int32_t>(0x80040218u)),
              "error 80040218: No combination of filters could be found to render the stream.");
    EXPECT_EQ(ResultText(static_cast<std::int32_t>(0x8004FFFFu)), "error 8004FFFF: Unknown error.");
    EXPECT_EQ(ResultText(static_cast<std::int32_t>(0x8004025Fu)).substr(0, 16), "error 8004025F: ");
    EXPECT_GT(ResultText(static_cast<std::int32_t>(0x8004025Fu)).size(), 16u);
    EXPECT_EQ(ResultText(static_cast<std::int32_t>(0x1u)).substr(0, 16), "error 00000001: ");
}

TEST(MessageBox, AsksWithTheCallersIconAndButtonsUnderTheApplicationTitle) {
    App();
    KeepsGlobalState restore;
    SetApplicationTitle("Quova Media Player");
    SetModalDialogOpen(false);
    SeenBox seen;
    AnswerNextBox(QMessageBox::No, &seen);
    EXPECT_EQ(ShowMessage("Really quit ?", MbYesNo | MbIconQuestion), IdNo);
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.caption, "Quova Media Player");
    EXPECT_EQ(seen.text, "Really quit ?");
    EXPECT_EQ(seen.icon, QMessageBox::Question);
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(seen.defaultButton, QMessageBox::Yes);
    EXPECT_TRUE(seen.topmost);
    EXPECT_EQ(seen.modality, Qt::ApplicationModal);
    // The plain box leaves the dialog mark alone.
    EXPECT_FALSE(ModalDialogOpen());

    AnswerNextBox(QMessageBox::Yes, &seen);
    EXPECT_EQ(ShowMessage("x", MbYesNo | MbIconQuestion | MbDefButton2), IdYes);
    EXPECT_EQ(seen.defaultButton, QMessageBox::No);

    AnswerNextBox(QMessageBox::Ok, &seen);
    EXPECT_EQ(ShowMessage("stop", MbIconStop), IdOk);
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.buttons, QMessageBox::Ok);
}

TEST(MessageBox, CaptionedBoxMarksAModalDialogWhileShownAndRestoresTheMark) {
    App();
    KeepsGlobalState restore;
    SetModalDialogOpen(false);
    bool markWhileShown = false;
    testing::OnNextModal([&](QWidget* w) {
        markWhileShown = ModalDialogOpen();
        static_cast<QMessageBox*>(w)->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(ShowCaptionedMessage("boom", "Quova:InitializeApp", MbIconExclamation), IdOk);
    EXPECT_TRUE(markWhileShown);
    EXPECT_FALSE(ModalDialogOpen());

    // Shown from a dialog that is itself modal, the mark stays with the dialog.
    SetModalDialogOpen(true);
    AnswerNextBox(QMessageBox::Ok);
    ShowCaptionedMessage("inner", "Quova", MbOk);
    EXPECT_TRUE(ModalDialogOpen());
}

TEST(MessageBox, ClosingWithoutAButtonGivesCancelElseNoElseOk) {
    App();
    EXPECT_EQ(DismissAnswer(MbYesNoCancel), IdCancel);
    EXPECT_EQ(DismissAnswer(MbYesNo), IdNo);
    EXPECT_EQ(DismissAnswer(MbOk | MbIconStop), IdOk);
    testing::OnNextModal([](QWidget* w) { w->close(); });
    EXPECT_EQ(ShowMessage("q", MbYesNo), IdNo);
    testing::OnNextModal([](QWidget* w) { w->close(); });
    EXPECT_EQ(ShowCaptionedMessage("q", "c", MbOkCancel), IdCancel);
}

}  // namespace
}  // namespace quova

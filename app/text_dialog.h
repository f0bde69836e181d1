#pragma once

#include <QDialog>
#include <array>
#include <string>

#include "app/text_dialog_layout.h"

class QFrame;
class QMargins;
class QLabel;
class QPushButton;

namespace quova {

// The text dialog: a block of text, OK, and a column of up to ten command
// buttons the caller captions and shows before showing the dialog.
class TOKBottomDlg : public QDialog {
    Q_OBJECT
  public:
    explicit TOKBottomDlg(QWidget* parent = nullptr);

    // Button i for i = 1 .. 10, null otherwise.
    QPushButton* SideButton(int i) const;
    QLabel* label() const { return label_; }
    QFrame* bevel() const { return bevel_; }
    QPushButton* okButton() const { return okBtn_; }

    // Sets the caption and text and lays the dialog out around them.
    void Prepare(const std::string& text, const std::string& caption);

    void reject() override;

  Q_SIGNALS:
    // A side button was pressed; its caption as set, which names what it is for.
    void sideButtonPressed(const QString& caption);

  private:
    void OKBtnClick();
    void HideSideButtons();

    QFrame* bevel_;
    QLabel* label_;
    QPushButton* okBtn_;
    std::array<QPushButton*, kSideButtonCount> buttons_{};
};

// The one text dialog, created on first use and kept.
TOKBottomDlg& TextDialog();

// The frame the desktop draws around top-level `window`, known once its
// native window exists (created here when it does not yet): before the first
// show a widget's own frame geometry is still its client area.
QMargins WindowFrame(QWidget* window);

// Shows `text` in the text dialog, modally; nothing for an empty text.
void ShowTextDialog(const std::string& text, const std::string& caption);

}  // namespace quova

#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace quova {

// The filter chooser: a list of filter names, a description under it, and
// "&Add" (OK), "A&uto" (Cancel, also Escape) and "&Skip" (Abort). Made on
// first use and kept.
class TQuovaAddFilt : public QDialog {
    Q_OBJECT
  public:
    // The result "&Skip" closes with, beside QDialog's Accepted and Rejected.
    static constexpr int Aborted = 3;

    explicit TQuovaAddFilt(QWidget* parent = nullptr);

    QListWidget* ListBox1;
    QLabel* Label1;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
    QCheckBox* CheckBox1;

    void FormShow() {}
    void ListBox1DblClick() { done(Accepted); }

    // Runs the dialog modally with ModalDialogOpen set.
    int ShowModal();
};

// The one chooser, made on first use.
TQuovaAddFilt& FilterChooser();
// Lets it go (program end, tests).
void ReleaseFilterChooser();

}  // namespace quova

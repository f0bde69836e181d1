#pragma once

#include <QDialog>
#include <functional>

class QLineEdit;
class QPushButton;
class QSpinBox;

namespace quova {

// The go-to dialog: a time "hh:nn:ss" typed or stepped field by field with
// the arrows beside it, the Up and Down keys or the wheel.
class TQuovaGoTo : public QDialog {
    Q_OBJECT
  public:
    explicit TQuovaGoTo(QWidget* parent = nullptr);

    QLineEdit* edit() const { return edit1_; }
    // The upper bound, in seconds, of what the user can step to.
    void SetMaxTime(double seconds) { maxTime_ = seconds; }
    // One step of the field the caret is in (UpDown1Click).
    void Step(bool up);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    double maxTime_ = 0;
    QLineEdit* edit1_;
    QSpinBox* upDown1_;
    QPushButton* button1_;
    QPushButton* button2_;
    int upDownLast_ = 0;
};

// The go-to command: shows the dialog (made on first use, kept afterwards)
// with `position`, bounded by `duration`, and seeks to the time the user
// confirms. Nothing is sought on Cancel or for a text that does not convert.
void GoTo1Click(QWidget* parent, double position, double duration,
                const std::function<void(double seconds)>& seekTo);

}  // namespace quova

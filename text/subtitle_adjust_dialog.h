#pragma once

#include <QDialog>

class QLineEdit;
class QSpinBox;

namespace quova {

// "Subtitles Adjust": the advance in half seconds (-300..300) and the speed
// in hundredths of a percent (7500..15000), each an edit with arrows; the
// edits show seconds and percent.
class TQuovaSubAdjForm : public QDialog {
    Q_OBJECT
  public:
    explicit TQuovaSubAdjForm(QWidget* parent = nullptr);

    QSpinBox* upDown1() const { return upDown1_; }
    QSpinBox* upDown2() const { return upDown2_; }
    QLineEdit* edit1() const { return edit1_; }
    QLineEdit* edit2() const { return edit2_; }
    // Writes both up-downs' positions into their edits.
    void RefreshEdits();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QLineEdit* edit1_;
    QLineEdit* edit2_;
    QSpinBox* upDown1_;
    QSpinBox* upDown2_;
};

// The shortest decimal form of a number ("1.5", "-2", "125").
QString ShortestDecimal(double value);

// The dialog for the timetable's offset and speed; on OK they are taken over.
// Returns whether OK was pressed.
bool RunSubtitleAdjust(QWidget* parent, int& offset, double& speed);

}  // namespace quova

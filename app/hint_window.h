#pragma once

#include <QLabel>

namespace quova {

// The window that shows the hint of the control under the pointer, near the
// main window's top-left corner, wrapped to a narrow column.
class TQuovaHintWindow : public QLabel {
    Q_OBJECT
  public:
    explicit TQuovaHintWindow(QWidget* parent = nullptr);

    // Shows `text` at the main window's (left + 10, top + 10), each at least
    // 1; an empty text hides the window.
    void ShowHint(const QString& text, int mainLeft, int mainTop);
};

}  // namespace quova

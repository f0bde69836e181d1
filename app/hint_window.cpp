#include "app/hint_window.h"

#include <algorithm>

namespace quova {

namespace {
constexpr int kMaxHintWidth = 100;
}

TQuovaHintWindow::TQuovaHintWindow(QWidget* parent)
    : QLabel(parent, Qt::ToolTip | Qt::FramelessWindowHint) {
    setObjectName("TQuovaHintWindow");
    setWordWrap(true);
    setMargin(2);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(255, 255, 225));
    palette.setColor(QPalette::WindowText, Qt::black);
    setPalette(palette);
    setAttribute(Qt::WA_ShowWithoutActivating);
    hide();
}

void TQuovaHintWindow::ShowHint(const QString& text, int mainLeft, int mainTop) {
    if (text.isEmpty()) {
        hide();
        return;
    }
    setText(text);
    const int natural = fontMetrics().horizontalAdvance(text) + 2 * margin() + 2;
    const int width = std::min(kMaxHintWidth, natural);
    resize(width, heightForWidth(width));
    move(std::max(1, mainLeft + 10), std::max(1, mainTop + 10));
    show();
    raise();
}

}  // namespace quova

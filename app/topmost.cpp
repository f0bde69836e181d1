#include "app/topmost.h"

#include <QWidget>
#include <QWindow>

namespace quova {

bool TopmostWanted(bool fullScreenMode, bool alwaysOnTop, bool graphRunning) {
    return (fullScreenMode || alwaysOnTop) && graphRunning;
}

bool TopmostAllowed(bool modalDialogOpen, bool aboutBoxVisible) {
    return !modalDialogOpen && !aboutBoxVisible;
}

void ApplyTopmost(QWidget* window, bool on) {
    if (IsTopmost(window) == on) return;
    Qt::WindowFlags flags = window->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    // QWidget::setWindowFlags would hide the window and create it anew; the
    // widget only records the flag, and the native window asks the window
    // manager for the "above" state of the window it already has.
    window->overrideWindowFlags(flags);
    if (QWindow* native = window->windowHandle()) native->setFlag(Qt::WindowStaysOnTopHint, on);
}

bool IsTopmost(const QWidget* window) {
    return window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

}  // namespace quova

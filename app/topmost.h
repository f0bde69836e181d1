#pragma once

class QWidget;

namespace quova {

// The window-position rule: the main window stays on top only in full screen
// or with "Always On Top", and only while the graph runs.
bool TopmostWanted(bool fullScreenMode, bool alwaysOnTop, bool graphRunning);

// The topmost state is left alone while a modal dialog or the About box is up.
bool TopmostAllowed(bool modalDialogOpen, bool aboutBoxVisible);

// Puts `window` into the window manager's "above" state or takes it out,
// without hiding, moving, resizing, activating or re-creating it.
void ApplyTopmost(QWidget* window, bool on);

// Whether `window` is in the "above" state.
bool IsTopmost(const QWidget* window);

}  // namespace quova

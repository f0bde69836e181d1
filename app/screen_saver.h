#pragma once

#include <QDBusConnection>

#include "app/screen_saver_inhibitor.h"

namespace quova {

// Keeps the screen saver and display power saving away: from start-up to
// shutdown while "Prevent ScreenSaver" is on, and while the graph runs. The
// desktop's own setting is never changed, so what start-up saves is that the
// program holds nothing, and restoring lets its inhibitions go. Nothing is
// reported when the desktop has no screen-saver service.
class ScreenSaverControl {
  public:
    explicit ScreenSaverControl(QDBusConnection bus = QDBusConnection::sessionBus());

    // Start-up: the state to come back to is "nothing held".
    void SaveScreenSaverState();
    // Holds the start-up-to-shutdown inhibition when `preventScreenSaver`.
    void SuppressScreenSaver(bool preventScreenSaver);
    // Shutdown: lets that inhibition go when `preventScreenSaver`.
    void RestoreScreenSaver(bool preventScreenSaver);
    // "Prevent ScreenSaver": flips the option and holds or releases at once.
    void ToggleScreenSaver(bool& preventScreenSaver);
    // Holds an inhibition while the graph runs, releases it when it does not.
    void KeepDisplayOn(bool graphRunning);

    const ScreenSaverInhibitor& preventing() const { return prevent_; }
    const ScreenSaverInhibitor& keepingDisplay() const { return display_; }

  private:
    ScreenSaverInhibitor prevent_;
    ScreenSaverInhibitor display_;
};

}  // namespace quova

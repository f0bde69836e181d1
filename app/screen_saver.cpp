#include "app/screen_saver.h"

namespace quova {

ScreenSaverControl::ScreenSaverControl(QDBusConnection bus)
    : prevent_("Prevent ScreenSaver is on", bus), display_("Playing a medium", bus) {}

void ScreenSaverControl::SaveScreenSaverState() {
    prevent_.Release();
}

void ScreenSaverControl::SuppressScreenSaver(bool preventScreenSaver) {
    if (preventScreenSaver) prevent_.Hold();
}

void ScreenSaverControl::RestoreScreenSaver(bool preventScreenSaver) {
    if (preventScreenSaver) prevent_.Release();
}

void ScreenSaverControl::ToggleScreenSaver(bool& preventScreenSaver) {
    preventScreenSaver = !preventScreenSaver;
    if (preventScreenSaver)
        SuppressScreenSaver(true);
    else
        prevent_.Release();
}

void ScreenSaverControl::KeepDisplayOn(bool graphRunning) {
    if (graphRunning)
        display_.Hold();
    else
        display_.Release();
}

}  // namespace quova

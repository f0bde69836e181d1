#pragma once

#include <QDBusConnection>
#include <cstdint>
#include <optional>
#include <string>

namespace quova {

// One inhibition of the desktop's screen saver and display power saving,
// through the org.freedesktop.ScreenSaver service (Inhibit/UnInhibit) on the
// session bus. The desktop lifts an inhibition by itself when the program
// ends, so a crash leaves nothing behind.
//
// Hold and Release may be called any number of times: the object holds at
// most one inhibition. Without the service (no session bus, no screen saver)
// nothing is held and nothing is reported; the next Hold tries again.
class ScreenSaverInhibitor {
  public:
    // `reason` is what the desktop shows for the inhibition.
    explicit ScreenSaverInhibitor(std::string reason,
                                  QDBusConnection bus = QDBusConnection::sessionBus());
    // Releases what is held.
    ~ScreenSaverInhibitor();
    ScreenSaverInhibitor(const ScreenSaverInhibitor&) = delete;
    ScreenSaverInhibitor& operator=(const ScreenSaverInhibitor&) = delete;

    // Holds an inhibition (nothing new when one is held); returns whether one is held.
    bool Hold();
    // Lets the inhibition go; nothing happens when none is held.
    void Release();
    bool Held() const { return cookie_.has_value(); }

  private:
    std::string reason_;
    QDBusConnection bus_;
    std::optional<std::uint32_t> cookie_;
    // The object path the service answered on.
    QString path_;
};

}  // namespace quova

#include "app/screen_saver_inhibitor.h"

#include <QDBusMessage>
#include <QDBusReply>

namespace quova {

namespace {

constexpr const char* kService = "org.freedesktop.ScreenSaver";
constexpr const char* kInterface = "org.freedesktop.ScreenSaver";
// The service's standard path first; some desktops answer only on the short one.
constexpr const char* kPaths[] = {"/org/freedesktop/ScreenSaver", "/ScreenSaver"};
// A desktop that does not answer within this time is treated as absent.
constexpr int kCallTimeoutMs = 2000;

}  // namespace

ScreenSaverInhibitor::ScreenSaverInhibitor(std::string reason, QDBusConnection bus)
    : reason_(std::move(reason)), bus_(std::move(bus)) {}

ScreenSaverInhibitor::~ScreenSaverInhibitor() {
    Release();
}

bool ScreenSaverInhibitor::Hold() {
    if (cookie_) return true;
    if (!bus_.isConnected()) return false;
    for (const char* path : kPaths) {
        QDBusMessage call = QDBusMessage::createMethodCall(kService, path, kInterface, "Inhibit");
        call << QStringLiteral("Quova") << QString::fromStdString(reason_);
        const QDBusReply<uint> reply = bus_.call(call, QDBus::Block, kCallTimeoutMs);
        if (reply.isValid()) {
            cookie_ = reply.value();
            path_ = path;
            return true;
        }
    }
    return false;
}

void ScreenSaverInhibitor::Release() {
    if (!cookie_) return;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, path_, kInterface, "UnInhibit");
    call << static_cast<uint>(*cookie_);
    // Errors are of no use to anyone: the desktop drops the inhibition with
    // the connection anyway.
    bus_.call(call, QDBus::Block, kCallTimeoutMs);
    cookie_.reset();
}

}  // namespace quova

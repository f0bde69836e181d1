#include "playback/power_events.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QVariant>

#include "graph/graph_state.h"
#include "lexicon/lexicon.h"
#include "playback/dvd_navigation.h"

namespace quova {

namespace {

bool GraphRunning() {
    const GraphSession& g = Graph();
    if (!g.GraphBuilder) return false;
    return g.GraphBuilder->GetState(100).value == engine::GraphState::Running;
}

}  // namespace

std::string PowerStatusText(const PowerStatus& s, bool running, bool& pause) {
    pause = false;
    std::string text;
    std::string suffix;
    if (s.acLine == 0) {
        text = Lex(1180);
        if ((s.batteryFlag == 2 || s.batteryFlag == 4) && running) {
            pause = true;
            suffix = ": " + Lex(1190);
        }
    } else {
        text = Lex(1200);
    }
    switch (s.batteryFlag) {
        case 1:
            text += " (" + Lex(1210) + ")";
            break;
        case 2:
            text += " (" + Lex(1220) + ")";
            break;
        case 4:
            text += " (" + Lex(1230) + ")";
            break;
        case 8:
            text += " (" + Lex(1240) + ")";
            break;
        default:
            break;
    }
    if (s.batteryPercent >= 0 && s.batteryPercent <= 100)
        text += " " + std::to_string(s.batteryPercent) + "%";
    return text + suffix;
}

void PrepareForSleep() {
    if (!GraphRunning()) return;
    ShowOsdText(Lex(1150));
    Graph().GraphBuilder->Stop();
}

void SystemResumed() {
    ShowOsdText(Lex(1170));
}

void PowerStatusChanged(const PowerStatus& status) {
    bool pause = false;
    const std::string text = PowerStatusText(status, GraphRunning(), pause);
    if (pause) Graph().GraphBuilder->Pause();
    ShowOsdText(text);
}

PowerWatcher::PowerWatcher(QObject* parent) : QObject(parent) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) return;
    listening_ =
        bus.connect("org.freedesktop.login1", "/org/freedesktop/login1",
                    "org.freedesktop.login1.Manager", "PrepareForSleep", this, SLOT(Sleep(bool)));
    listening_ =
        bus.connect("org.freedesktop.UPower", "/org/freedesktop/UPower/devices/DisplayDevice",
                    "org.freedesktop.DBus.Properties", "PropertiesChanged", this,
                    SLOT(UPowerChanged())) ||
        listening_;
}

void PowerWatcher::Sleep(bool starting) {
    if (starting)
        PrepareForSleep();
    else
        SystemResumed();
}

void PowerWatcher::UPowerChanged() {
    QDBusConnection bus = QDBusConnection::systemBus();
    QDBusInterface upower("org.freedesktop.UPower", "/org/freedesktop/UPower",
                          "org.freedesktop.UPower", bus);
    QDBusInterface device("org.freedesktop.UPower", "/org/freedesktop/UPower/devices/DisplayDevice",
                          "org.freedesktop.UPower.Device", bus);
    if (!upower.isValid() || !device.isValid()) return;
    PowerStatus status;
    const QVariant onBattery = upower.property("OnBattery");
    if (onBattery.isValid()) status.acLine = onBattery.toBool() ? 0 : 1;
    const bool present = device.property("IsPresent").toBool();
    if (!present) {
        status.batteryFlag = 128;
    } else {
        const double percent = device.property("Percentage").toDouble();
        const unsigned state = device.property("State").toUInt();
        const unsigned warning = device.property("WarningLevel").toUInt();
        status.batteryPercent = static_cast<int>(percent);
        int flags = 0;
        if (warning == 4 || percent < 5)
            flags |= 4;
        else if (warning == 3 || percent < 33)
            flags |= 2;
        else if (percent > 66)
            flags |= 1;
        if (state == 1) flags |= 8;
        status.batteryFlag = flags;
    }
    PowerStatusChanged(status);
}

}  // namespace quova

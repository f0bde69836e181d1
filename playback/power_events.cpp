#include "playback/power_events.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariant>
#include <utility>

#include "graph/graph_state.h"
#include "lexicon/lexicon.h"
#include "playback/dvd_navigation.h"
#include "playback/player_session.h"

namespace quova {

namespace {

bool GraphRunning(PlayerSession& session) {
    const GraphSession& g = session.graph;
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

void PrepareForSleep(PlayerSession& session) {
    if (!GraphRunning(session)) return;
    ShowOsdText(session, Lex(1150));
    session.graph.GraphBuilder->Stop();
}

void SystemResumed(PlayerSession& session) {
    ShowOsdText(session, Lex(1170));
}

void PowerStatusChanged(PlayerSession& session, const PowerStatus& status) {
    bool pause = false;
    const std::string text = PowerStatusText(status, GraphRunning(session), pause);
    if (pause) session.graph.GraphBuilder->Pause();
    ShowOsdText(session, text);
}

PowerWatcher::PowerWatcher(PlayerSession& session, QObject* parent)
    : PowerWatcher(session, QDBusConnection::systemBus(), parent) {}

PowerWatcher::PowerWatcher(PlayerSession& session, const QDBusConnection& bus, QObject* parent)
    : QObject(parent), session_(session), bus_(bus) {
    if (!bus_.isConnected()) return;
    listening_ =
        bus_.connect("org.freedesktop.login1", "/org/freedesktop/login1",
                     "org.freedesktop.login1.Manager", "PrepareForSleep", this, SLOT(Sleep(bool)));
    listening_ =
        bus_.connect("org.freedesktop.UPower", "/org/freedesktop/UPower/devices/DisplayDevice",
                     "org.freedesktop.DBus.Properties", "PropertiesChanged", this,
                     SLOT(UPowerChanged())) ||
        listening_;
}

void PowerWatcher::Sleep(bool starting) {
    if (starting)
        PrepareForSleep(session_);
    else
        SystemResumed(session_);
}

namespace {

// Long enough for a busy system service, short enough that a dead one is
// soon given up.
constexpr int kUPowerTimeoutMs = 3000;

QDBusPendingCall AskAll(QDBusConnection& bus, const QString& path, const QString& interface) {
    QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.UPower", path,
                                                       "org.freedesktop.DBus.Properties", "GetAll");
    call << interface;
    return bus.asyncCall(call, kUPowerTimeoutMs);
}

QVariantMap Properties(QDBusPendingCallWatcher* answer) {
    const QDBusPendingReply<QVariantMap> reply = *answer;
    return reply.isValid() ? reply.value() : QVariantMap();
}

}  // namespace

void PowerWatcher::UPowerChanged() {
    if (manager_ || device_) {
        askAgain_ = true;
        return;
    }
    manager_ = new QDBusPendingCallWatcher(
        AskAll(bus_, "/org/freedesktop/UPower", "org.freedesktop.UPower"), this);
    device_ =
        new QDBusPendingCallWatcher(AskAll(bus_, "/org/freedesktop/UPower/devices/DisplayDevice",
                                           "org.freedesktop.UPower.Device"),
                                    this);
    for (QDBusPendingCallWatcher* answer : {manager_, device_})
        connect(answer, &QDBusPendingCallWatcher::finished, this, &PowerWatcher::Answered);
}

void PowerWatcher::Answered() {
    // Each answer calls; the later one, of this question or an earlier, finds both in.
    if (!manager_ || !device_ || !manager_->isFinished() || !device_->isFinished()) return;
    const QVariantMap upower = Properties(manager_);
    const QVariantMap device = Properties(device_);
    manager_->deleteLater();
    device_->deleteLater();
    manager_ = device_ = nullptr;
    if (!upower.isEmpty() && !device.isEmpty()) {
        PowerStatus status;
        const QVariant onBattery = upower.value("OnBattery");
        if (onBattery.isValid()) status.acLine = onBattery.toBool() ? 0 : 1;
        const bool present = device.value("IsPresent").toBool();
        if (!present) {
            status.batteryFlag = 128;
        } else {
            const double percent = device.value("Percentage").toDouble();
            const unsigned state = device.value("State").toUInt();
            const unsigned warning = device.value("WarningLevel").toUInt();
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
        PowerStatusChanged(session_, status);
    }
    if (std::exchange(askAgain_, false)) UPowerChanged();
}

}  // namespace quova

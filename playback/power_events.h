#pragma once

#include <QDBusConnection>
#include <QObject>

class QDBusPendingCallWatcher;

#include <string>

namespace quova {

struct PlayerSession;

// The power status in the fields the player has always read: AC line 0 off,
// 1 on, 255 unknown; battery flags 1 high, 2 low, 4 critical, 8 charging,
// 128 no battery, 255 unknown; life in percent, 255 unknown.
struct PowerStatus {
    int acLine = 255;
    int batteryFlag = 255;
    int batteryPercent = 255;
};

// The OSD text for a power status change; `pause` is set when the graph,
// running on a low or critical battery, is to be paused.
std::string PowerStatusText(const PowerStatus& status, bool running, bool& pause);

// The machine is about to sleep: a running graph stops, and says so.
void PrepareForSleep(PlayerSession& session);
void SystemResumed(PlayerSession& session);
// A power status change: the text on the OSD, pausing on a failing battery.
void PowerStatusChanged(PlayerSession& session, const PowerStatus& status);

// Listens on the system bus (or `bus`) to logind (sleep) and UPower
// (battery). Without a bus it stays silent. UPower is asked without waiting
// for its answer: a slow or stuck service must not hold up the window, and an
// answer that does not come within a few seconds is given up.
class PowerWatcher : public QObject {
    Q_OBJECT
  public:
    explicit PowerWatcher(PlayerSession& session, QObject* parent = nullptr);
    PowerWatcher(PlayerSession& session, const QDBusConnection& bus, QObject* parent = nullptr);
    bool Listening() const { return listening_; }

  private Q_SLOTS:
    void Sleep(bool starting);
    void UPowerChanged();

  private:
    void Answered();

    PlayerSession& session_;
    QDBusConnection bus_;
    bool listening_ = false;
    // The two answers of the question in flight; a change meanwhile asks again
    // once they are in.
    QDBusPendingCallWatcher* manager_ = nullptr;
    QDBusPendingCallWatcher* device_ = nullptr;
    bool askAgain_ = false;
};

}  // namespace quova

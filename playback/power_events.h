#pragma once

#include <QObject>

#include <string>

namespace quova {

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
void PrepareForSleep();
void SystemResumed();
// A power status change: the text on the OSD, pausing on a failing battery.
void PowerStatusChanged(const PowerStatus& status);

// Listens on the system bus to logind (sleep) and UPower (battery). Without
// a system bus it stays silent.
class PowerWatcher : public QObject {
    Q_OBJECT
  public:
    explicit PowerWatcher(QObject* parent = nullptr);
    bool Listening() const { return listening_; }

  private Q_SLOTS:
    void Sleep(bool starting);
    void UPowerChanged();

  private:
    bool listening_ = false;
};

}  // namespace quova

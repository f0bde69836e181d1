#pragma once

#include <functional>
#include <string>

namespace quova {

// The start-up tip of the polling tick: shown on the 10th tick when nothing
// is open, unless the popup menu opened before.
struct StartupTip {
    int TipTickCount = 0;
    // Counts a tick; true on the tick that should show a random tip.
    bool Tick(bool nothingOpen);
    // The popup menu opened: the tip is no longer wanted.
    void MenuOpened() { TipTickCount = 11; }
};

// The three blocks of the polling tick, in order, each with its errors
// reported and the tick going on. A tick that starts while another one waits
// inside returns at once.
struct PollingBlocks {
    std::function<void()> startupTip;
    std::function<void()> blockA;  // position, seek bar, pointer, display in use
    std::function<void()> blockB;  // end of medium, paused steps, subtitles
    std::function<void()> blockC;  // OSD drawing and lifetime, desktop bus
    std::function<void(const std::string&)> report;
};

class PollingTick {
  public:
    // Runs one tick; false when another tick was still running.
    bool Run(const PollingBlocks& blocks);
    bool TimerBusy() const { return busy_; }

  private:
    bool busy_ = false;
};

}  // namespace quova

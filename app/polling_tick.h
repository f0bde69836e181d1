#pragma once

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
class PollingBlocks {
  public:
    virtual void StartupTip() = 0;
    virtual void BlockA() = 0;  // position, seek bar, pointer, display in use
    virtual void BlockB() = 0;  // end of medium, paused steps, subtitles
    virtual void BlockC() = 0;  // OSD drawing and lifetime, desktop bus
    virtual void Report(const std::string& text) = 0;

  protected:
    ~PollingBlocks() = default;
};

class PollingTick {
  public:
    // Runs one tick; false when another tick was still running.
    bool Run(PollingBlocks& blocks);
    bool TimerBusy() const { return busy_; }

  private:
    bool busy_ = false;
};

}  // namespace quova

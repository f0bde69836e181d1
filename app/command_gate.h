#pragma once

#include <deque>
#include <functional>

namespace quova {

// One command at a time. No command waits on the event loop any more (what
// takes time goes on from timers), but a command that asks the user
// something (a message box, a file dialog) runs a modal loop, and any other
// command can arrive then: a menu key, a control-bar click, a desktop-bus
// call, a hand-over from a second start, a drop. Run inside the dialog, it
// could release the graph the asking command is still using. Every entry
// point runs its command through the gate instead: a command that arrives
// while another one is under way is queued and runs, in order, after it.
class CommandGate {
  public:
    // Runs `command` now, or after the command under way and those queued
    // before it. The gate is free again when this returns at the outermost
    // level, even when a command throws.
    void Run(std::function<void()> command);
    // A command is under way (the caller is inside one, or inside its dialog).
    bool Busy() const { return busy_; }
    // Commands waiting for their turn.
    std::size_t Queued() const { return queue_.size(); }
    // Forgets the queued commands (the program is ending).
    void Clear() { queue_.clear(); }

  private:
    bool busy_ = false;
    std::deque<std::function<void()>> queue_;
};

}  // namespace quova

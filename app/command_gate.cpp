#include "app/command_gate.h"

namespace quova {

void CommandGate::Run(std::function<void()> command) {
    if (!command) return;
    if (busy_) {
        queue_.push_back(std::move(command));
        return;
    }
    busy_ = true;
    struct Free {
        bool& busy;
        ~Free() { busy = false; }
    } free{busy_};
    // Behind what a throwing command left queued.
    queue_.push_back(std::move(command));
    while (!queue_.empty()) {
        std::function<void()> next = std::move(queue_.front());
        queue_.pop_front();
        next();
    }
}

}  // namespace quova

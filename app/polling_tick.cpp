#include "app/polling_tick.h"

#include <exception>

namespace quova {

bool StartupTip::Tick(bool nothingOpen) {
    if (TipTickCount >= 10) return false;
    ++TipTickCount;
    return TipTickCount == 10 && nothingOpen;
}

namespace {

void Guarded(const std::function<void()>& block,
             const std::function<void(const std::string&)>& report) {
    if (!block) return;
    try {
        block();
    } catch (const std::exception& e) {
        if (report) report(e.what());
    } catch (...) {
        if (report) report("?");
    }
}

}  // namespace

bool PollingTick::Run(const PollingBlocks& blocks) {
    if (busy_) return false;
    busy_ = true;
    // Cleared however the tick ends.
    struct Clear {
        bool& flag;
        ~Clear() { flag = false; }
    } clear{busy_};
    if (blocks.startupTip) blocks.startupTip();
    Guarded(blocks.blockA, blocks.report);
    Guarded(blocks.blockB, blocks.report);
    Guarded(blocks.blockC, blocks.report);
    return true;
}

}  // namespace quova

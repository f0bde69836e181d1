#include "app/polling_tick.h"

#include <exception>

namespace quova {

bool StartupTip::Tick(bool nothingOpen) {
    if (TipTickCount >= 10) return false;
    ++TipTickCount;
    return TipTickCount == 10 && nothingOpen;
}

namespace {

void Guarded(PollingBlocks& blocks, void (PollingBlocks::*block)()) {
    try {
        (blocks.*block)();
    } catch (const std::exception& e) {
        blocks.Report(e.what());
    } catch (...) {
        blocks.Report("?");
    }
}

}  // namespace

bool PollingTick::Run(PollingBlocks& blocks) {
    if (busy_) return false;
    busy_ = true;
    // Cleared however the tick ends.
    struct Clear {
        bool& flag;
        ~Clear() { flag = false; }
    } clear{busy_};
    blocks.StartupTip();
    Guarded(blocks, &PollingBlocks::BlockA);
    Guarded(blocks, &PollingBlocks::BlockB);
    Guarded(blocks, &PollingBlocks::BlockC);
    return true;
}

}  // namespace quova

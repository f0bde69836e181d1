#include "text/subtitle_port.h"

#include "platform/wiring/port_slot.h"

namespace quova {

namespace {
PortSlot<SubtitlePort> slot("subtitle");
}  // namespace

void ConnectSubtitlePort(SubtitlePort* port) {
    slot.Connect(port);
}

bool SubtitlePortConnected() {
    return slot.Connected();
}

SubtitlePort& TextPort() {
    return slot.Get();
}

}  // namespace quova

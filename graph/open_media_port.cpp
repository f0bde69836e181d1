#include "graph/open_media_port.h"

#include "platform/wiring/port_slot.h"

namespace quova {

namespace {
PortSlot<OpenMediaPort> slot("open-media");
}  // namespace

void ConnectOpenMediaPort(OpenMediaPort* port) {
    slot.Connect(port);
}

bool OpenMediaPortConnected() {
    return slot.Connected();
}

OpenMediaPort& MediaPort() {
    return slot.Get();
}

}  // namespace quova

#include "playback/player_port.h"

#include "platform/wiring/port_slot.h"

namespace quova {

namespace {
PortSlot<PlayerPort> slot("playback");
}  // namespace

void ConnectPlayerPort(PlayerPort* port) {
    slot.Connect(port);
}

bool PlayerPortConnected() {
    return slot.Connected();
}

PlayerPort& PlaybackPort() {
    return slot.Get();
}

}  // namespace quova

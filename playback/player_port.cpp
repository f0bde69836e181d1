#include "playback/player_port.h"

#include <cstdio>
#include <cstdlib>

namespace quova {

namespace {
PlayerPort* connected = nullptr;
}  // namespace

void ConnectPlayerPort(PlayerPort* port) {
    connected = port;
}

bool PlayerPortConnected() {
    return connected != nullptr;
}

PlayerPort& PlaybackPort() {
    if (!connected) {
        std::fputs("quova: the playback port is used before it is connected\n", stderr);
        std::abort();
    }
    return *connected;
}

}  // namespace quova

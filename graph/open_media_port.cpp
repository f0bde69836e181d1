#include "graph/open_media_port.h"

#include <cstdio>
#include <cstdlib>

namespace quova {

namespace {
OpenMediaPort* connected = nullptr;
}  // namespace

void ConnectOpenMediaPort(OpenMediaPort* port) {
    connected = port;
}

bool OpenMediaPortConnected() {
    return connected != nullptr;
}

OpenMediaPort& MediaPort() {
    if (!connected) {
        std::fputs("quova: the open-media port is used before it is connected\n", stderr);
        std::abort();
    }
    return *connected;
}

}  // namespace quova

#include "text/subtitle_port.h"

#include <cstdio>
#include <cstdlib>

namespace quova {

namespace {
SubtitlePort* connected = nullptr;
}  // namespace

void ConnectSubtitlePort(SubtitlePort* port) {
    connected = port;
}

bool SubtitlePortConnected() {
    return connected != nullptr;
}

SubtitlePort& TextPort() {
    if (!connected) {
        std::fputs("quova: the subtitle port is used before it is connected\n", stderr);
        std::abort();
    }
    return *connected;
}

}  // namespace quova

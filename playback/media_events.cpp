#include "playback/media_events.h"

#include "graph/graph_state.h"
#include "graph/message_box.h"

namespace quova {

void HandleMediaEvents() {
    GraphSession& g = Graph();
    if (!g.GraphBuilder) return;
    for (;;) {
        const auto event = g.GraphBuilder->Events().Take();
        if (!event.ok()) break;
        switch (event.value.code) {
            case engine::EC_COMPLETE:
                g.MediaComplete = true;
                break;
            default:
                break;
        }
    }
}

}  // namespace quova

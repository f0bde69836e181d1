#include "graph/graph_state.h"

namespace quova {

GraphSession& Graph() {
    static GraphSession state;
    return state;
}

GraphOptions& GraphFlags() {
    static GraphOptions options;
    return options;
}

}  // namespace quova

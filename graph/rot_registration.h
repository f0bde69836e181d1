#pragma once

#include "platform/engine/filter_graph.h"
#include "platform/engine/graph_registration.h"

namespace quova {

// Publishes the graph for outside inspection under "FilterGraph" (a file) or
// "DVDFilterGraph" (a DVD), replacing an earlier registration. A failure is
// told in a box captioned "Quova" and changes nothing else.
void AddGraphToRot(engine::FilterGraph* graph, int mediaKind,
                   engine::GraphRegistration& registration);
// The graph changed: its published form is written anew.
void NoteGraphChange(engine::GraphRegistration& registration);
void RemoveGraphFromRot(engine::GraphRegistration& registration);

}  // namespace quova

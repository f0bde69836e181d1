#include "graph/rot_registration.h"

#include "graph/graph_state.h"
#include "graph/message_box.h"

namespace quova {

void AddGraphToRot(engine::FilterGraph* graph, int mediaKind,
                   engine::GraphRegistration& registration) {
    if (registration.IsRegistered()) RemoveGraphFromRot(registration);
    if (!graph) return;
    const engine::HResult hr =
        registration.Register(*graph, mediaKind < MediaKindDvd ? "FilterGraph" : "DVDFilterGraph");
    if (engine::Failed(hr)) ShowCaptionedMessage(AMErrorText(hr), "Quova", MbOk);
}

void NoteGraphChange(engine::GraphRegistration& registration) {
    if (!registration.IsRegistered()) return;
    const engine::HResult hr = registration.NoteChange();
    if (engine::Failed(hr)) ShowCaptionedMessage(AMErrorText(hr), "Quova", MbOk);
}

void RemoveGraphFromRot(engine::GraphRegistration& registration) {
    registration.Revoke();
}

}  // namespace quova

#include "tests/support/fake_ui.h"

#include "playback/player_session.h"

#include "graph/graph_state.h"
#include "graph/open_media.h"
#include "text/text_session.h"

namespace quova::testing {

FakeUi::FakeUi(PlayerSession& session) : session(session) {
    session.mediaPort.Connect(this);
    session.playbackPort.Connect(this);
    session.textPort.Connect(this);
    session.medium.Connect(this);
    session.playback.Connect(this);
}

FakeUi::~FakeUi() {
    session.playback.Connect(&session.playbackSide);
    session.medium.Connect(&session.mediumView);
    session.textPort.Connect(nullptr);
    session.playbackPort.Connect(nullptr);
    session.mediaPort.Connect(nullptr);
}

QWidget* FakeUi::Window() {
    if (window) return window;
    if (!ownWindow_) ownWindow_ = std::make_unique<QWidget>();
    return ownWindow_.get();
}

void FakeUi::PaintOsd() {
    ++osdPaints;
    osdShown.push_back(session.osdMessage);
}

bool FakeUi::Position(double& seconds) const {
    if (!position) return false;
    seconds = *position;
    return true;
}

void FakeUi::OpenMedia(const std::string& fileName) {
    opened.push_back(fileName);
    if (opensMedia) quova::OpenMedia(session, fileName);
}

void FakeUi::ApplyVolume() {
    ++volumeApplied;
    if (engine::FilterGraph* graph = session.graph.GraphBuilder.get()) graph->SetVolume(0);
}

void FakeUi::StartAt(double seconds) {
    if (engine::FilterGraph* graph = session.graph.GraphBuilder.get())
        graph->SetCurrentPosition(seconds);
}

}  // namespace quova::testing

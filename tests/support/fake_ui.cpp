#include "tests/support/fake_ui.h"

#include "graph/graph_state.h"
#include "graph/open_media.h"
#include "text/osd_message.h"

namespace quova::testing {

FakeUi::FakeUi() {
    ConnectOpenMediaPort(this);
    ConnectPlayerPort(this);
    ConnectSubtitlePort(this);
}

FakeUi::~FakeUi() {
    ConnectSubtitlePort(nullptr);
    ConnectPlayerPort(nullptr);
    ConnectOpenMediaPort(nullptr);
}

QWidget* FakeUi::Window() {
    if (window) return window;
    if (!ownWindow_) ownWindow_ = std::make_unique<QWidget>();
    return ownWindow_.get();
}

void FakeUi::PaintOsd() {
    ++osdPaints;
    osdShown.push_back(OsdMessage);
}

bool FakeUi::Position(double& seconds) {
    if (!position) return false;
    seconds = *position;
    return true;
}

void FakeUi::OpenMedia(const std::string& fileName) {
    opened.push_back(fileName);
    if (opensMedia) quova::OpenMedia(fileName);
}

void FakeUi::ApplyVolume() {
    ++volumeApplied;
    if (engine::FilterGraph* graph = Graph().GraphBuilder.get()) graph->SetVolume(0);
}

void FakeUi::SeekTo(double seconds) {
    if (engine::FilterGraph* graph = Graph().GraphBuilder.get()) graph->SetCurrentPosition(seconds);
}

}  // namespace quova::testing

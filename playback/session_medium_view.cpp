#include "playback/session_medium_view.h"

#include "graph/graph_state.h"
#include "playback/player_session.h"
#include "playback/transport.h"

namespace quova {

bool SessionMediumView::MediaFileOpen() const {
    return session_.graph.MediaKind == MediaKindFile;
}

std::string SessionMediumView::MovieName() const {
    return session_.graph.CurrentMediaName;
}

double SessionMediumView::Duration() const {
    return session_.graph.Duration;
}

double SessionMediumView::FrameRate() const {
    return session_.graph.FrameRate;
}

std::pair<int, int> SessionMediumView::VideoSize() const {
    return {session_.graph.VideoWidth, session_.graph.VideoHeight};
}

bool SessionMediumView::Position(double& seconds) const {
    if (session_.graph.MediaKind == MediaKindNone || !session_.graph.GraphBuilder) return false;
    // While a seek settles the position is where it goes.
    seconds = CurrentPosition(session_);
    return true;
}

}  // namespace quova

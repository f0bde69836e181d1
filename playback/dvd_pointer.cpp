#include "playback/dvd_pointer.h"

#include "graph/graph_state.h"
#include "platform/engine/dvd_navigator.h"
#include "platform/engine/video_renderer.h"
#include "playback/player_session.h"

namespace quova {

std::optional<QPoint> DvdPicturePoint(QPoint client, const QRect& video, const QRect& source) {
    if (video.width() <= 0 || video.height() <= 0 || source.width() <= 0 || source.height() <= 0 ||
        !video.contains(client))
        return std::nullopt;
    // The video window stretches the source rectangle over its whole area.
    const double fx = static_cast<double>(client.x() - video.x()) / video.width();
    const double fy = static_cast<double>(client.y() - video.y()) / video.height();
    return QPoint(source.x() + static_cast<int>(fx * source.width()),
                  source.y() + static_cast<int>(fy * source.height()));
}

namespace {

std::optional<QPoint> PointOnDisc(PlayerSession& session, QPoint client) {
    const GraphSession& g = session.graph;
    if (g.MediaKind != MediaKindDvd || !g.DvdControl || !g.VideoWindow) return std::nullopt;
    return DvdPicturePoint(client, g.VideoWindow->WindowPosition(),
                           g.VideoWindow->SourcePosition());
}

}  // namespace

bool SelectDvdButtonAt(PlayerSession& session, QPoint client) {
    const std::optional<QPoint> at = PointOnDisc(session, client);
    return at && session.graph.DvdControl->SelectAtPosition(at->x(), at->y()) == engine::S_OK;
}

bool ActivateDvdButtonAt(PlayerSession& session, QPoint client) {
    const std::optional<QPoint> at = PointOnDisc(session, client);
    return at && session.graph.DvdControl->ActivateAtPosition(at->x(), at->y()) == engine::S_OK;
}

void PressDvdMenuKey(PlayerSession& session, DvdMenuKey key) {
    const auto& control = session.graph.DvdControl;
    if (session.graph.MediaKind != MediaKindDvd || !control) return;
    switch (key) {
        case DvdMenuKey::Activate:
            control->ActivateButton();
            break;
        case DvdMenuKey::Up:
            control->SelectRelativeButton(engine::DVD_Relative_Upper);
            break;
        case DvdMenuKey::Down:
            control->SelectRelativeButton(engine::DVD_Relative_Lower);
            break;
        case DvdMenuKey::Left:
            control->SelectRelativeButton(engine::DVD_Relative_Left);
            break;
        case DvdMenuKey::Right:
            control->SelectRelativeButton(engine::DVD_Relative_Right);
            break;
    }
}

}  // namespace quova

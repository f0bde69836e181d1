#include "app/dvd_menu_input.h"

#include <Qt>

#include "graph/graph_state.h"

namespace quova {

std::optional<DvdMenuKey> DvdMenuKeyFor(int key, bool shiftAlone, bool dvdOpen) {
    if (!shiftAlone || !dvdOpen) return std::nullopt;
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return DvdMenuKey::Activate;
        case Qt::Key_Up:
            return DvdMenuKey::Up;
        case Qt::Key_Down:
            return DvdMenuKey::Down;
        case Qt::Key_Left:
            return DvdMenuKey::Left;
        case Qt::Key_Right:
            return DvdMenuKey::Right;
        default:
            return std::nullopt;
    }
}

bool PointerHiddenOverPicture(int mediaKind, int dvdDomain, bool stopped) {
    if (stopped) return false;
    return mediaKind == MediaKindFile ||
           (mediaKind == MediaKindDvd && dvdDomain == kDvdTitleDomain);
}

}  // namespace quova

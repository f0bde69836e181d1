#include "app/dvd_menu_input.h"

#include <Qt>

#include "graph/graph_state.h"

namespace quova {

DvdMenuKey DvdMenuKeyFor(int key, bool shiftAlone, bool dvdOpen) {
    DvdMenuKey out;
    if (!shiftAlone || !dvdOpen) return out;
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        out.activate = true;
        return out;
    }
    // The navigator's relative directions, in its order.
    static const int kArrows[] = {Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_Right};
    for (int i = 0; i < 4; ++i)
        if (key == kArrows[i]) out.direction = i + 1;
    return out;
}

bool PointerHiddenOverPicture(int mediaKind, int dvdDomain, bool stopped) {
    if (stopped) return false;
    return mediaKind == MediaKindFile ||
           (mediaKind == MediaKindDvd && dvdDomain == kDvdTitleDomain);
}

}  // namespace quova

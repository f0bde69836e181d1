#pragma once

namespace quova {

// The player's number of the title domain (the navigator's minus one).
inline constexpr int kDvdTitleDomain = 3;

// What a key released with Shift does to a disc menu.
struct DvdMenuKey {
    bool activate = false;  // Enter: the selected button
    int direction = 0;      // arrows: 1 up, 2 down, 3 left, 4 right; 0 none
};
// `key` is a Qt key code; only Shift alone counts, and only with a disc open.
DvdMenuKey DvdMenuKeyFor(int key, bool shiftAlone, bool dvdOpen);

// The pointer over the picture hides while a file, or a disc in its title
// domain, is not stopped.
bool PointerHiddenOverPicture(int mediaKind, int dvdDomain, bool stopped);

}  // namespace quova

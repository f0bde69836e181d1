#pragma once

#include <optional>

#include "playback/dvd_pointer.h"

namespace quova {

// The player's number of the title domain (the navigator's minus one).
inline constexpr int kDvdTitleDomain = 3;

// The disc-menu key a released key is: Enter or an arrow, with Shift alone
// held and a disc open; none otherwise (the menu's shortcuts have it).
std::optional<DvdMenuKey> DvdMenuKeyFor(int key, bool shiftAlone, bool dvdOpen);

// The pointer over the picture hides while a file, or a disc in its title
// domain, is not stopped.
bool PointerHiddenOverPicture(int mediaKind, int dvdDomain, bool stopped);

}  // namespace quova

#pragma once

#include <cstdint>
#include <string>

#include "playback/bookmarks.h"

namespace quova {

// The class identifier that leads the navigator state in a DVD bookmark's
// "dvdnavigatorstate" stream; the navigator's own text follows it.
inline constexpr char kDvdStateClassId[17] =
    "\x51\x75\x6f\x76\x61\x44\x56\x44\x4e\x61\x76\x53\x74\x61\x74\x65";  // "QuovaDVDNavState"

// Fills the DVD faces of the bookmark hooks from the open disc's navigator
// (Graph().DvdControl and DvdInfo).
void InstallDvdBookmarkHooks(BookmarkHooks& hooks);

}  // namespace quova

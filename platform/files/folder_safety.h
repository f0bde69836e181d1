#pragma once

#include <filesystem>

namespace quova {

// Whether only the user and the superuser can change what lies at `folder`:
// it and every folder above it exist, are folders (a link is followed only
// after its own folder passed), and each is owned by the user or by root and
// writable by nobody else, unless the sticky bit keeps others from renaming
// or removing what is not theirs (as in /tmp).
bool OnlyUserControls(const std::filesystem::path& folder);

// Stricter, for what must stay the user's for good (the program that opens
// every video): no folder on the way may let others create entries, sticky
// or not. Once the user's own folder in /tmp goes, as temporary folders do,
// anyone can make one of that name and put a program there. An entry in a
// shared folder counts only when root owns it and the user is not root: the
// user's own clean-up cannot remove it then.
bool OnlyUserControlsForGood(const std::filesystem::path& folder);

// Creates `folder` and the folders missing above it with mode 0700. True
// when it then exists as a folder the user owns, inside folders only the
// user controls (OnlyUserControls); false, creating nothing more, when a
// part of the way belongs to someone else or others could replace it.
bool MakeUserFolder(const std::filesystem::path& folder);

}  // namespace quova

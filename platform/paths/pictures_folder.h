#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace quova {

// XDG_PICTURES_DIR as user-dirs.dirs gives it, read the way xdg-user-dirs
// reads its own file: lines XDG_PICTURES_DIR="$HOME/Path" or "/Path" (a
// backslash takes the next character as it is), "#" lines and anything else
// passed by, the last good line counting. "$HOME" stands for `home`; a value
// in another form (unquoted, relative) counts as no line. Empty when no line
// names a folder.
std::filesystem::path PicturesFolderFromUserDirs(std::string_view text,
                                                 const std::filesystem::path& home);

// The user's pictures folder: XDG_PICTURES_DIR in $XDG_CONFIG_HOME/user-dirs.dirs
// (~/.config/user-dirs.dirs while XDG_CONFIG_HOME is not an absolute path),
// else ~/Pictures. A file that cannot be read, or is larger than such a file
// ever is, counts as absent. Empty when nothing names a folder and `home` is
// empty.
std::filesystem::path UserPicturesFolder(const std::string& xdgConfigHome,
                                         const std::filesystem::path& home);

}  // namespace quova

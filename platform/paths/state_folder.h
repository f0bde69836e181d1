#pragma once

#include <filesystem>
#include <string>

namespace quova {

// The program's folder for state kept between runs (bookmarks, resume
// points): "quova" in $XDG_STATE_HOME, else in ~/.local/state. Only absolute
// folders count, as the base directory rules say; empty when neither is.
std::filesystem::path UserStateFolder(const std::string& xdgStateHome, const std::string& home);

}  // namespace quova

#pragma once

#include <filesystem>

namespace quova {

// The user's home folder: $HOME when it is an absolute path, else the user
// database's entry. Empty when neither names an existing folder, as for a
// service account whose home is /nonexistent: callers then keep nothing
// rather than fall back to a folder other users share.
std::filesystem::path UserHomeFolder();

}  // namespace quova

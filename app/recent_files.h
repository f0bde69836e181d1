#pragma once

#include <array>
#include <string>

namespace quova {

// Puts an opened name at the top of the recent files (kept as menu captions,
// every "&" doubled): a name already listed moves up, a new one pushes the
// fifth out. An empty name changes nothing. Returns the last slot that
// changed (the menu items 0 to it are refreshed).
int AddRecentFile(std::array<std::string, 5>& recent, const std::string& name);

// The file name a recent-files caption stands for: the menu's escaping undone,
// dropping a single "&" the menu added as an accelerator.
std::string RecentCaptionToName(const std::string& caption);

}  // namespace quova

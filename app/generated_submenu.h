#pragma once

#include <vector>

namespace quova {

class MenuModel;
class PopupMenu;
struct DvdStreamItem;

// Fills a generated submenu (a disc's "Language1" and "Subtitles3", the
// graph's "Filters1") from the items: the template item first, the others
// reused or added, never deleted; the rest hidden. The submenu is enabled as
// `enabled` says.
void FillSubmenu(MenuModel& model, PopupMenu& popup, const char* parentName,
                 const std::vector<DvdStreamItem>& items, bool enabled);

}  // namespace quova

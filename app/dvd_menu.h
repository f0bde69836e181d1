#pragma once

#include <vector>

namespace quova {

class MenuModel;
class PopupMenu;
struct DvdStreamItem;

// Fills a disc's generated submenu ("Language1", "Subtitles3") from the
// items: the template item first, the others reused or added, never deleted;
// disabled when there are none.
void FillDvdSubmenu(MenuModel& model, PopupMenu& popup, const char* parentName,
                    const std::vector<DvdStreamItem>& items);

}  // namespace quova

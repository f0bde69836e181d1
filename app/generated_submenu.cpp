#include "app/generated_submenu.h"

#include "app/menu_model.h"
#include "app/popup_menu.h"
#include "playback/player_port.h"

namespace quova {

void FillSubmenu(MenuModel& model, PopupMenu& popup, const char* parentName,
                 const std::vector<DvdStreamItem>& items, bool enabled) {
    MenuItem* parent = model.Find(parentName);
    if (!parent || parent->children.empty()) return;
    parent->enabled = enabled;
    if (!enabled && items.empty()) return;
    MenuItem* first = parent->children.front();
    for (MenuItem* item : parent->children) item->visible = false;
    for (size_t k = 0; k < items.size(); ++k) {
        MenuItem* item = k < parent->children.size() ? parent->children[k] : model.AddCopy(*first);
        item->caption = items[k].caption;
        item->tag = items[k].tag;
        item->checked = items[k].checked;
        item->visible = true;
    }
    popup.Rebuild();
}

}  // namespace quova

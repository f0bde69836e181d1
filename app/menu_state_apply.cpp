#include "app/menu_model.h"
#include "app/menu_state.h"

namespace quova {

void ApplyMenuState(MenuModel& model, const MenuState& state) {
    for (const auto& [name, s] : state.Items) {
        MenuItem* item = model.Find(name);
        if (!item) continue;
        if (s.Caption) item->caption = *s.Caption;
        if (s.Checked) item->checked = *s.Checked;
        if (s.Enabled) item->enabled = *s.Enabled;
        if (s.Visible) item->visible = *s.Visible;
    }
    const std::pair<const char*, std::optional<bool>> copies[] = {
        {"Language1", state.LanguageItemsEnabled}, {"Subtitles3", state.SubtitleItemsEnabled}};
    for (const auto& [parent, enabled] : copies)
        if (MenuItem* item = model.Find(parent); item && enabled)
            for (MenuItem* child : item->children) child->enabled = *enabled;
}

}  // namespace quova

#include "app/dvd_menu.h"

#include <QPointer>
#include <QPushButton>
#include <QWidget>

#include "app/menu_model.h"
#include "app/popup_menu.h"
#include "graph/dvd_graph.h"
#include "graph/graph_state.h"
#include "playback/dvd_navigation.h"
#include "playback/media_events.h"

namespace quova {

namespace {

// The items of a generated submenu: the template item first, the others
// reused or added, never deleted.
void FillSubmenu(MenuModel& model, PopupMenu& popup, const char* parentName,
                 const std::vector<DvdStreamItem>& items) {
    MenuItem* parent = model.Find(parentName);
    if (!parent || parent->children.empty()) return;
    parent->enabled = !items.empty();
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

}  // namespace

void InstallDvdMenu(MenuModel& model, PopupMenu& popup, QWidget* window) {
    QPointer<QWidget> w = window;
    StatusHooks().ShowAudioItems = [&model, &popup](const std::vector<DvdStreamItem>& items) {
        FillSubmenu(model, popup, "Language1", items);
    };
    StatusHooks().ShowSubpictureItems = [&model, &popup](const std::vector<DvdStreamItem>& items) {
        FillSubmenu(model, popup, "Subtitles3", items);
    };
    StatusHooks().HidePointer = [](bool hide) {
        if (auto video = Graph().VideoWindow; video && video->IsCursorHidden() != hide)
            video->HideCursor(hide);
    };
    EventHooks().EnableRootButton = [w](bool enabled) {
        if (!w) return;
        if (auto* button = w->findChild<QPushButton*>("Button10")) button->setEnabled(enabled);
    };
    EventHooks().SetTopmost = [w](bool topmost) {
        if (!w) return;
        w->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
        if (!w->isHidden()) w->show();
    };
}

}  // namespace quova

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

void Handle(MenuModel& model, PopupMenu& popup, const char* item, const char* handler,
            PopupMenu::Handler run) {
    if (MenuItem* found = model.Find(item); found && found->handler.empty())
        found->handler = handler;
    popup.SetHandler(handler, std::move(run));
}

}  // namespace

void InstallDvdMenu(MenuModel& model, PopupMenu& popup, QWidget* window) {
    QPointer<QWidget> w = window;
    Handle(model, popup, "DVD1", "DVD1Click", [](MenuItem&) { OpenDvd(""); });
    Handle(model, popup, "Info1", "Info1Click", [](MenuItem&) {
        ShowOsdText(Graph().MediaKind == MediaKindDvd ? DvdLocationText()
                                                      : Graph().CurrentMediaName);
    });
    Handle(model, popup, "Title2", "Title2Click",
           [](MenuItem& item) { ShowDvdMenu(static_cast<std::uint32_t>(item.tag)); });
    Handle(model, popup, "Previous2", "Previous2Click", [](MenuItem&) { StepDvdChapter(-1); });
    Handle(model, popup, "Next3", "Next3Click", [](MenuItem&) { StepDvdChapter(+1); });
    Handle(model, popup, "Previous3", "Previous3Click",
           [](MenuItem&) { PlayDvdTitle(static_cast<int>(DvdState().DvdTitle) - 1); });
    Handle(model, popup, "Next4", "Next4Click",
           [](MenuItem&) { PlayDvdTitle(static_cast<int>(DvdState().DvdTitle) + 1); });
    Handle(model, popup, "Previous4", "Previous4Click",
           [](MenuItem&) { SelectDvdAngle(static_cast<int>(DvdState().DvdCurrentAngle) - 1); });
    Handle(model, popup, "Next5", "Next5Click",
           [](MenuItem&) { SelectDvdAngle(static_cast<int>(DvdState().DvdCurrentAngle) + 1); });
    Handle(model, popup, "N13", "N13Click", [&model](MenuItem& item) {
        const bool wasChecked = item.checked;
        if (!Graph().DvdControl || wasChecked) return;
        if (MenuItem* parent = model.Find("Language1"))
            for (MenuItem* other : parent->children) other->checked = false;
        item.checked = ChooseAudioLanguage(item.tag, item.caption, false);
    });
    Handle(model, popup, "N6", "N6Click", [&model](MenuItem& item) {
        if (!Graph().DvdControl) return;
        const bool wasChecked = item.checked;
        if (MenuItem* parent = model.Find("Subtitles3"))
            for (MenuItem* other : parent->children) other->checked = false;
        ToggleSubpicture(item.tag, wasChecked);
        item.checked = !wasChecked;
    });

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

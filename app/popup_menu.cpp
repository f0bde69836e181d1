#include "app/popup_menu.h"

#include <QAction>
#include <QMenu>
#include <QWidget>
#include <algorithm>

#include "app/command_gate.h"

namespace quova {

PopupMenu::PopupMenu(MenuModel& model, QWidget* owner, CommandGate& gate)
    : QObject(owner), model_(model), owner_(owner), gate_(gate), menu_(new QMenu(owner)) {
    menu_->setObjectName("PopupMenu1");
    connect(menu_, &QMenu::aboutToShow, this, [this] {
        Q_EMIT aboutToRefresh();
        Sync();
    });
    Rebuild();
}

PopupMenu::~PopupMenu() = default;

QAction* PopupMenu::Action(const std::string& name) const {
    const MenuItem* item = model_.Find(name);
    return item ? Action(item) : nullptr;
}

void PopupMenu::Trigger(const std::string& name) {
    if (MenuItem* item = model_.Find(name)) Run(*item);
}

void PopupMenu::Run(MenuItem& item) {
    if (item.handler.empty()) return;
    // Items are never removed, so the item outlives a queued command.
    gate_.Run([this, target = &item] {
        if (runner_) runner_->RunItem(*target);
    });
}

void PopupMenu::Rebuild() {
    // Items are only ever added (copies appended to their submenu), so the
    // actions that exist stay; deleting them could pull an action away from
    // under its own triggered signal. Walking depth first, a new submenu is
    // built with its children before they come up.
    for (MenuItem* item : model_.All()) {
        if (Action(item)) continue;
        QMenu* target = menu_;
        if (item->parent) {
            const auto it = submenus_.find(item->parent);
            // A plain item has no submenu to take a copy.
            if (it == submenus_.end()) continue;
            target = it->second;
        }
        Build(target, {item});
    }
    Sync();
}

QAction* PopupMenu::Action(const MenuItem* item) const {
    const auto it = actions_.find(item);
    return it == actions_.end() ? nullptr : it->second.data();
}

void PopupMenu::Build(QMenu* menu, const std::vector<MenuItem*>& items) {
    for (MenuItem* item : items) {
        QAction* action = nullptr;
        if (item->separator) {
            action = menu->addSeparator();
        } else if (!item->children.empty()) {
            QMenu* submenu = menu->addMenu(QString());
            submenu->setObjectName(QString::fromStdString(item->name));
            submenus_[item] = submenu;
            action = submenu->menuAction();
            Build(submenu, item->children);
        } else {
            action = menu->addAction(QString());
            MenuItem* target = item;
            connect(action, &QAction::triggered, this, [this, target] { Run(*target); });
            // The owner carries the action too, so its shortcut works
            // whenever the window has the focus, menu open or not.
            if (owner_) owner_->addAction(action);
        }
        action->setObjectName(QString::fromStdString(item->name));
        actions_[item] = action;
    }
}

void PopupMenu::Sync() {
    // A key runs the first shown item in menu order that has it. Qt would
    // take a key two actions share as ambiguous and run neither, and a
    // template may well give one item a key another one has.
    std::vector<QKeySequence> taken;
    for (MenuItem* item : model_.All()) {
        QAction* action = Action(item);
        if (!action) continue;
        QList<QKeySequence> owned;
        if (item->visible) {
            QList<QKeySequence> keys = item->moreShortcuts;
            keys.prepend(item->shortcut);
            for (const QKeySequence& key : keys) {
                if (key.isEmpty() || std::find(taken.begin(), taken.end(), key) != taken.end())
                    continue;
                taken.push_back(key);
                owned.push_back(key);
            }
        }
        SyncItem(*item, action, owned);
    }
}

void PopupMenu::SyncItem(MenuItem& item, QAction* action, const QList<QKeySequence>& keys) {
    if (!item.separator) {
        action->setText(QString::fromStdString(item.caption));
        if (item.children.empty()) action->setShortcuts(keys);
        const QString hint = QString::fromStdString(item.hint);
        action->setStatusTip(hint);
        action->setToolTip(hint);
    }
    action->setVisible(item.visible);
    action->setEnabled(item.enabled);
    action->setCheckable(item.checked);
    action->setChecked(item.checked);
}

}  // namespace quova

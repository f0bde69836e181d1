#pragma once

#include <QObject>
#include <QPointer>
#include <map>
#include <string>
#include <vector>

#include "app/command_gate.h"
#include "app/menu_model.h"

class QAction;
class QMenu;
class QWidget;

namespace quova {

// What runs a chosen item's command: the command registry, by the item's
// handler name.
class MenuItemRunner {
  public:
    virtual void RunItem(MenuItem& item) = 0;

  protected:
    ~MenuItemRunner() = default;
};

// The Qt face of the menu model: the popup menu `PopupMenu1` with one action
// per item (object name = item name), and the same actions on the owner
// window so that their shortcuts work whenever it has the focus.
class PopupMenu : public QObject {
    Q_OBJECT
  public:
    // Items run through `gate`, one command at a time with the others.
    PopupMenu(MenuModel& model, QWidget* owner, CommandGate& gate);
    ~PopupMenu() override;

    QMenu* menu() const { return menu_; }
    MenuModel& model() const { return model_; }
    // The action of the first item of that name; null when none.
    QAction* Action(const std::string& name) const;
    QAction* Action(const MenuItem* item) const;

    // Chosen items go to `runner`, by their handler name; without one, or
    // for a name it has no command for, an item is present and does nothing.
    void SetRunner(MenuItemRunner* runner) { runner_ = runner; }
    // Runs the item's command as choosing it would.
    void Trigger(const std::string& name);

    // Adds actions for the items added to the model since.
    void Rebuild();
    // Carries captions, shortcuts, hints and states from the model over.
    void Sync();

  Q_SIGNALS:
    // The menu is about to open: the items' states are refreshed on this,
    // and the actions take them over after it.
    void aboutToRefresh();

  private:
    void Build(QMenu* menu, const std::vector<MenuItem*>& items);
    void SyncItem(MenuItem& item, QAction* action, const QList<QKeySequence>& keys);
    void Run(MenuItem& item);

    MenuModel& model_;
    QWidget* owner_;
    CommandGate& gate_;
    QMenu* menu_;
    std::map<const MenuItem*, QPointer<QAction>> actions_;
    std::map<const MenuItem*, QPointer<QMenu>> submenus_;
    MenuItemRunner* runner_ = nullptr;
};

}  // namespace quova

#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/menu_model.h"

class QAction;
class QMenu;
class QWidget;

namespace quova {

// The Qt face of the menu model: the popup menu `PopupMenu1` with one action
// per item (object name = item name), and the same actions on the owner
// window so that their shortcuts work whenever it has the focus.
class PopupMenu : public QObject {
    Q_OBJECT
  public:
    using Handler = std::function<void(MenuItem& item)>;

    PopupMenu(MenuModel& model, QWidget* owner);
    ~PopupMenu() override;

    QMenu* menu() const { return menu_; }
    MenuModel& model() const { return model_; }
    // The action of the first item of that name; null when none.
    QAction* Action(const std::string& name) const;
    QAction* Action(const MenuItem* item) const;

    // Commands are addressed by handler name; an item whose handler is not
    // registered is present and does nothing.
    void SetHandler(const std::string& handler, Handler run);
    // Runs the item's command as choosing it would.
    void Trigger(const std::string& name);

    // Adds actions for the items added to the model since.
    void Rebuild();
    // Carries captions, shortcuts, hints and states from the model over.
    void Sync();

    // Called just before the menu opens, to refresh the items' states.
    void SetAboutToShow(std::function<void()> refresh) { aboutToShow_ = std::move(refresh); }

  private:
    void Build(QMenu* menu, const std::vector<MenuItem*>& items);
    void SyncItem(MenuItem& item, QAction* action, const QList<QKeySequence>& keys);
    void Run(MenuItem& item);

    MenuModel& model_;
    QWidget* owner_;
    QMenu* menu_;
    std::map<const MenuItem*, QPointer<QAction>> actions_;
    std::map<const MenuItem*, QPointer<QMenu>> submenus_;
    std::map<std::string, Handler> handlers_;
    std::function<void()> aboutToShow_;
};

}  // namespace quova

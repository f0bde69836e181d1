#pragma once

class QWidget;

namespace quova {

class MenuModel;
class PopupMenu;

// Wires the disc's submenus, root-menu button and topmost switch to the
// popup menu and the window (its commands are in the command table).
void InstallDvdMenu(MenuModel& model, PopupMenu& popup, QWidget* window);

}  // namespace quova

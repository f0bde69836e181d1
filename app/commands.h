#pragma once

#include <vector>

namespace quova {

class TQuovaForm;
class MenuItem;
class PopupMenu;

// What a menu command runs: the window it was given in, and the item chosen
// (commands shared by several items read its tag or caption).
using CommandRun = void (*)(TQuovaForm& form, MenuItem& item);

// A handler name of the menu design and what it runs.
struct Command {
    const char* handler;
    CommandRun run;
};

// Every menu command, by the handler name its items carry. The one list:
// an item whose handler is not here, or an entry no item names, is a fault
// the menu-completeness test finds.
const std::vector<Command>& CommandTable();

// Gives the popup menu every command of the table, run in `form`.
void InstallCommands(TQuovaForm& form, PopupMenu& menu);

}  // namespace quova

#pragma once

#include <vector>

namespace quova {

// The popup menu as designed, one row per item in menu order. Everything else
// (the Qt menu, templates, state rules, handlers) addresses items by name.

enum MenuStart : unsigned { kShown = 0, kHidden = 1, kDisabled = 2 };

struct MenuItemDesign {
    const char* name;
    const char* parent;    // "" for a top-level item
    const char* caption;   // "-" for a separator; "&" marks the accelerator
    const char* shortcut;  // portable key-sequence text, "" for none
    const char* handler;   // "" means the item's name + "Click", or none for a
                           // submenu or a separator
    int tag;
    const char* hint;
    unsigned start;  // MenuStart flags
};

const std::vector<MenuItemDesign>& DesignedMenu();

}  // namespace quova

#pragma once

#include <string>
#include <utility>
#include <vector>

namespace quova {

// The keys the shipped English menu template adds to items the designed menu
// leaves without one: the keys users of other players reach for. None takes a
// designed key, and Shift with the arrows or Enter stays free for DVD menus.
// Item name and shortcut text, in menu order.
const std::vector<std::pair<std::string, std::string>>& ShippedShortcuts();

// The shortcut text the shipped template gives `itemName`: the designed key
// and the shipped extra key, as far as the item has them ("Ctrl+N; PgDown").
std::string ShippedShortcut(const std::string& itemName, const std::string& designed);

}  // namespace quova

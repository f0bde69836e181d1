#pragma once

#include <functional>
#include <map>
#include <string>
#include <utility>

#include "app/popup_menu.h"

namespace quova::testing {

// Runs a popup menu's chosen items by handler name, as the registry runs
// commands; a name with nothing set does nothing.
class MenuHandlers final : public MenuItemRunner {
  public:
    explicit MenuHandlers(PopupMenu& popup) { popup.SetRunner(this); }
    void Set(const std::string& handler, std::function<void(MenuItem&)> run) {
        runs_[handler] = std::move(run);
    }
    void RunItem(MenuItem& item) override {
        if (const auto it = runs_.find(item.handler); it != runs_.end()) it->second(item);
    }

  private:
    std::map<std::string, std::function<void(MenuItem&)>> runs_;
};

}  // namespace quova::testing

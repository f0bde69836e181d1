#pragma once

#include <string>
#include <vector>

namespace quova {

struct PlayerSession;

class MenuModel;
class MenuItem;
class PopupMenu;

// The audio device submenus: "Audio Device" for every stream, and one per
// heard stream of a medium with several. Filled from the system's devices
// each time the popup menu opens, so the list follows devices plugged in or
// out while it was closed.
class AudioDeviceMenu {
  public:
    explicit AudioDeviceMenu(PlayerSession& session) : session_(session) {}
    void Fill(MenuModel& model, PopupMenu& popup);
    // The device an item of these submenus stands for ("" the default).
    std::string DeviceOf(const MenuItem& item) const;

  private:
    PlayerSession& session_;
    // The devices of the items as they were filled, by tag.
    std::vector<std::string> names_;
};

}  // namespace quova

#pragma once

#include <vector>

#include "app/display_mode.h"

namespace quova::testing {

// A screen whose modes are fixed: an X server cannot be asked to change its
// mode under test, so this one records what it was asked.
class FakeScreen : public DisplayServer {
  public:
    DisplayMode current{1024, 768, 24, 1};
    std::vector<DisplayMode> modes{
        {1024, 768, 24, 1}, {800, 600, 24, 2}, {720, 400, 24, 3}, {640, 480, 24, 4}};
    std::vector<DisplayMode> applied;
    int refuse = DispChangeSuccessful;
    bool remembered = false;

    bool Current(DisplayMode& mode) override {
        mode = current;
        return true;
    }
    std::vector<DisplayMode> Modes() override { return modes; }
    int Apply(const DisplayMode& mode) override {
        if (refuse != DispChangeSuccessful) return refuse;
        applied.push_back(mode);
        current = mode;
        return DispChangeSuccessful;
    }
    void Remember(const DisplayMode&) override { remembered = true; }
    void Forget() override { remembered = false; }
};

}  // namespace quova::testing

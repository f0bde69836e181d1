#pragma once

#include <memory>

#include "app/display_mode.h"

namespace quova {

// The display modes of the X server's output under a point of the screen,
// changed through RandR. Without an X display (offscreen, Wayland without
// XWayland) it reports no current mode, and a change fails.
class XRandrDisplay : public DisplayServer {
  public:
    XRandrDisplay();
    ~XRandrDisplay() override;

    // The output whose picture holds this point (global coordinates).
    void SetPoint(int x, int y);

    bool Current(DisplayMode& mode) override;
    std::vector<DisplayMode> Modes() override;
    int Apply(const DisplayMode& mode) override;
    // The mode to return to is kept on the root window, which outlives the
    // program: a later start finds it there and puts it back.
    void Remember(const DisplayMode& saved) override;
    void Forget() override;
    // A mode left changed by a program that died is put back.
    void RestoreAbandoned();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace quova

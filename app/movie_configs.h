#pragma once

#include <functional>
#include <string>

namespace quova {

// The window's side of a movie's [CONFIG] section. Each may be empty.
struct MovieConfigWindow {
    // The subtitle box and the OSD measures follow a changed font.
    std::function<void()> FontChanged;
    std::function<void()> SaveOnExitDisabled;
    // The picture's crop, aspect and full screen (the geometry's own).
    std::function<void(int x, int y)> ApplyCrop;
    std::function<double()> Aspect;
    std::function<void(double aspect)> SetAspect;
    // Switches full screen on or off (the switch flips FullScreenMode).
    std::function<void()> SwitchFullScreen;
    std::function<void()> LayoutVideo;
    // Crop amounts as they stand (0 when the geometry keeps none).
    std::function<std::pair<int, int>()> Crop;
};

// Applies the [CONFIG] section of the open movie's settings file to the
// user's settings, the graph's picture size and the subtitle timing. A
// section with any line switches "Save on Exit" off for the session.
// Errors are reported in a warning box and keep what was applied.
void ReadConfigs(const std::string& movieName, const MovieConfigWindow& window);

}  // namespace quova

#pragma once

#include <string>
#include <utility>

namespace quova {

struct PlayerSession;

// The window's side of a movie's [CONFIG] section.
class MovieConfigHost {
  public:
    // The subtitle box and the OSD measures follow a changed font.
    virtual void FontChanged() = 0;
    virtual void SaveOnExitDisabled() = 0;
    // The picture's crop, aspect and full screen (the geometry's own).
    virtual void ApplyCrop(int x, int y) = 0;
    virtual double Aspect() const = 0;
    virtual void SetAspect(double aspect) = 0;
    // Switches full screen on or off (the switch flips FullScreenMode).
    virtual void SwitchFullScreen() = 0;
    virtual void LayoutVideo() = 0;
    // Crop amounts as they stand (0 when the geometry keeps none).
    virtual std::pair<int, int> Crop() const = 0;

  protected:
    ~MovieConfigHost() = default;
};

// Applies the [CONFIG] section of the open movie's settings file to the
// user's settings, the graph's picture size and the subtitle timing. A
// section with any line switches "Save on Exit" off for the session.
// Errors are reported in a warning box and keep what was applied.
void ReadConfigs(PlayerSession& session, const std::string& movieName, MovieConfigHost& window);

}  // namespace quova

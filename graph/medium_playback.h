#pragma once

namespace quova {

// What opening and leaving a medium ask of playback, which sits above the
// graph. The player session answers it itself: no window in between.
class MediumPlayback {
  public:
    // The one way to set the position (seconds), for the start of a medium.
    virtual void StartAt(double seconds) = 0;
    // Ends a fast scan.
    virtual void EndScan() = 0;
    // Writes the session bookmark of what is open (a movie or a DVD).
    virtual void SaveSessionBookmark() = 0;

  protected:
    ~MediumPlayback() = default;
};

}  // namespace quova

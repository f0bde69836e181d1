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
    // Where the medium just built starts, in seconds: `from`, unless it is
    // to resume where it stopped when it last played.
    virtual double StartingPoint(double from) = 0;
    // The medium plays from where it started: what is remembered of it may
    // be offered now.
    virtual void Started() = 0;
    // Keeps the place of the medium about to be left.
    virtual void KeepPlace() = 0;

  protected:
    ~MediumPlayback() = default;
};

}  // namespace quova

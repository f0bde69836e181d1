#pragma once

#include <string>
#include <vector>

namespace quova {

// A display mode of the output the window is on.
struct DisplayMode {
    int width = 0;
    int height = 0;
    int depth = 0;
    unsigned long id = 0;  // the server's name for it
    bool operator==(const DisplayMode&) const = default;
};

// Outcomes of a mode change, numbered as the desktop's mode-change results.
enum DispChange : int {
    DispChangeSuccessful = 0,
    DispChangeRestart = 1,
    DispChangeFailed = -1,
    DispChangeBadMode = -2,
    DispChangeNotUpdated = -3,
    DispChangeBadFlags = -4,
};

// "error setting display mode: " followed by the text of the result.
std::string DisplayModeError(int result);

// The mode full screen asks for: `saved` with the depth lowered to 16 bits
// and the size lowered to the resolution's (a mode is never enlarged).
DisplayMode RequestedMode(const DisplayMode& saved, int resolution, bool force16);

// The mode of `available` that serves `requested`: the largest not larger,
// at the saved depth (a running X server keeps its depth). BadMode when none.
struct ModeChoice {
    int result = DispChangeSuccessful;
    DisplayMode mode;
};
ModeChoice ChooseMode(const DisplayMode& saved, const DisplayMode& requested,
                      const std::vector<DisplayMode>& available);

// What the display server does for the mode control; the X server's RandR
// is one, the tests use a fake screen.
class DisplayServer {
  public:
    virtual ~DisplayServer() = default;
    virtual bool Current(DisplayMode& mode) = 0;
    virtual std::vector<DisplayMode> Modes() = 0;
    // Returns a DispChange result.
    virtual int Apply(const DisplayMode& mode) = 0;
    // Ties a changed mode to this program so that a later start can put
    // `saved` back should the program die; Forget unties it.
    virtual void Remember(const DisplayMode&) {}
    virtual void Forget() {}
};

// Where a failed change is told, with the text for the user.
class DisplayModeReporter {
  public:
    virtual void DisplayModeFailed(const std::string& text) const = 0;

  protected:
    ~DisplayModeReporter() = default;
};

// The display-mode state of the program: the mode found at start (and after
// every outside change), whether the program changed it, the change itself.
class DisplayModeControl {
  public:
    enum State { Untouched = 0, Changing = 1, Changed = 2 };

    void SetServer(DisplayServer* server) { server_ = server; }
    DisplayServer* Server() const { return server_; }
    // Reported when a change fails (the text and the result).
    void SetReporter(const DisplayModeReporter* report) { report_ = report; }

    void CaptureDisplayMode();
    // Returns the DispChange result of the change (Successful when nothing
    // had to be done).
    int SetDisplayMode(bool on, int resolution, bool force16);
    // The display reported a mode change.
    void DisplayChanged();
    // Puts the saved mode back if the program changed it (program end).
    void Restore();

    int state() const { return state_; }
    const DisplayMode& saved() const { return saved_; }

  private:
    DisplayServer* server_ = nullptr;
    const DisplayModeReporter* report_ = nullptr;
    DisplayMode saved_;
    DisplayMode applied_;
    bool captured_ = false;
    int state_ = Untouched;
};

DisplayModeControl& DisplayModes();

}  // namespace quova

#pragma once

#include <array>
#include <string>

namespace quova {

// The OSD font as the settings keep it. `height` follows the old form-font
// convention: negative is the character height in pixels.
struct OsdFont {
    std::string name = "Arial";
    int height = -15;
    bool bold = true;
    bool italic = false;
    bool underline = false;
};

struct WindowBounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct ScreenSize {
    int width = 0;
    int height = 0;
};

// The user's preferences: loaded once at start-up, changed by the menu
// commands that own them, written back at shutdown.
struct Settings {
    int Volume = 50;
    int TimeFormat = 0;
    bool OsdOn = false;
    bool ZoomToWindow = false;
    bool ResizeToMedia = false;
    bool FullScreenMode = false;
    bool LoopOn = false;
    double ZoomFactor = 1.0;
    bool RandomList = false;
    bool PreventScreenSaver = true;
    bool AlwaysOnTop = false;
    bool SaveOnExit = true;
    bool PauseOnHide = false;
    bool SubtitlesOnMovie = false;
    bool SubtitlesOverMovie = false;
    bool ShowHints = true;
    bool SpeedMute = true;
    bool SubtitlesOn = true;
    bool Id3On = true;
    bool SubtitleSounds = false;
    bool ChaptersOnSubtitles = true;
    bool CustomRender = false;
    bool RegisterOnRot = false;
    bool Force16Bits = false;
    // GPU decoders where the machine has them (platform/engine/decoder_choice.h).
    bool HardwareDecoding = true;
    // A file opened alone brings its folder's other media along as the play
    // list, starting at it.
    bool FolderAroundFile = false;
    // A medium that stopped part-way resumes there without asking; else it
    // asks, doing what the user chose last when left alone.
    bool AlwaysResume = false;
    bool ResumeByDefault = true;
    int Resolution = 0;
    bool SaveMru = true;
    bool RenderLog = false;
    std::string RenderLogFile;
    bool OggStreamSelect = false;
    // The audio output device by its stable name; "" the default device.
    std::string AudioDevice;
    std::string StoredVersion;
    std::string StoredExePath;
    OsdFont Font;

    // The recent files, most recent first; "" is no entry. Kept as menu
    // captions (an ampersand in a file name doubled).
    std::array<std::string, 5> RecentFiles;

    // Runtime values filled by the load.
    std::string ProgramVersion;
    std::string ExePath;
    bool TrayIconAvailable = false;
    int OsdLineHeight = 0;
    int OsdCharWidth = 0;
};

// The process-wide settings every part of the player reads.
Settings& AppSettings();

// The program's version from the build: four dot-separated numbers.
std::string BuildProgramVersion();
// The running program's full path.
std::string RunningExePath();

// What the load and the save need of the main window. The window implements
// it; tests use a plain one, so the arithmetic is checked without widgets.
class SettingsHost {
  public:
    virtual ~SettingsHost() = default;
    virtual ScreenSize Screen() const = 0;
    virtual WindowBounds Bounds() const = 0;
    virtual void ApplyBounds(const WindowBounds& bounds) = 0;
    // Sets the OSD font and returns the width and height in pixels of "X" in it.
    virtual std::pair<int, int> ApplyFont(const OsdFont& font) = 0;
    virtual void ApplyShowHints(bool on) = 0;
    // Rebuilds the recent-files menu from Settings::RecentFiles.
    virtual void RebuildRecentMenu() = 0;
    // The main key opened: the splash's OK button may be enabled.
    virtual void KeyOpened() {}
};

// The settings load of start-up: reads every value in order, creating missing
// ones with their start values, clamps and places the window. Throws
// registry::RegistryError when a value is not a string value; what was read
// before it stays applied, and the stored value is replaced by its start
// value (the store kept as a damaged copy) so that the next load passes it.
void LoadSettings(Settings& settings, SettingsHost& host);

// The settings save of shutdown; writes nothing unless SaveOnExit. The window
// bounds are kept as they were while in full screen.
void SaveSettings(const Settings& settings, const SettingsHost& host, bool inFullScreen);

// Writes the recent-files list, emptied first when SaveMru is off; runs at
// every shutdown whatever SaveOnExit says.
void SaveRecentFiles(Settings& settings);

// "Save on Exit": flips the option and writes it at once.
void SaveonExit1Click(Settings& settings);

// Pure pieces of the load, exposed for the window and the tests.
WindowBounds ClampBounds(const WindowBounds& stored, const ScreenSize& screen);
// Centres the window when it lies partly off the screen; otherwise unchanged.
WindowBounds PlaceOnScreen(const WindowBounds& bounds, const ScreenSize& screen);

}  // namespace quova

#include "app/settings.h"

#include <unistd.h>

#include <algorithm>
#include <climits>

#include "platform/registry/registry.h"
#include "quova_version.h"

namespace quova {

using registry::CloseKey;
using registry::KeyHandle;
using registry::OpenUserKey;
using registry::ReadIntValue;
using registry::ReadStrValue;
using registry::WriteIntValue;
using registry::WriteStrValue;

namespace {

constexpr const char* kMainKey = "SOFTWARE\\Dorvane\\Quova";
constexpr const char* kMruKey = "SOFTWARE\\Dorvane\\Quova\\MRU";

// A value of another type stops the load and this start's remaining steps.
// It is replaced by its start value (the store kept as a damaged copy first),
// so that the failure is this start's only: the next one loads the good
// values and goes on past it.
void RepairStoppingValue(const registry::Key* key, std::string_view name, std::string_view start) {
    try {
        if (key) key->RepairValue(name, start);
    } catch (const registry::RegistryError&) {
        // The value that stopped the load is the error to report.
    }
}

int ReadInt(const registry::Key* key, std::string_view name, int start) {
    try {
        return ReadIntValue(key, name, start);
    } catch (const registry::RegistryError&) {
        RepairStoppingValue(key, name, std::to_string(start));
        throw;
    }
}

std::string ReadStr(const registry::Key* key, std::string_view name, const std::string& start) {
    try {
        return ReadStrValue(key, name, start);
    } catch (const registry::RegistryError&) {
        RepairStoppingValue(key, name, start);
        throw;
    }
}

bool ReadBool(const registry::Key* key, const char* name, bool start) {
    return ReadInt(key, name, start ? 1 : 0) != 0;
}

void WriteBool(const registry::Key* key, const char* name, bool value) {
    WriteIntValue(key, name, value ? 1 : 0);
}

int FloorHalf(int value) {
    return value >= 0 ? value / 2 : -((1 - value) / 2);
}

}  // namespace

Settings& AppSettings() {
    static Settings settings;
    return settings;
}

std::string BuildProgramVersion() {
    return QUOVA_VERSION_STRING;
}

std::string RunningExePath() {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

WindowBounds ClampBounds(const WindowBounds& stored, const ScreenSize& screen) {
    WindowBounds b;
    b.width = std::max(0, std::min(stored.width, screen.width));
    b.height = std::max(0, std::min(stored.height, screen.height));
    b.left = std::max(0, std::min(stored.left, screen.width - b.width - 1));
    b.top = std::max(0, std::min(stored.top, screen.height - b.height - 1));
    return b;
}

WindowBounds PlaceOnScreen(const WindowBounds& bounds, const ScreenSize& screen) {
    if (bounds.left + bounds.width <= screen.width && bounds.top + bounds.height <= screen.height &&
        bounds.left >= 0 && bounds.top >= 0)
        return bounds;
    WindowBounds centred = bounds;
    centred.left = FloorHalf(screen.width - bounds.width);
    centred.top = FloorHalf(screen.height - bounds.height);
    return centred;
}

namespace {

void LoadFromStore(Settings& s, SettingsHost& host) {
    // A caller that knows better (the window started for another path) has set them already.
    if (s.ProgramVersion.empty()) s.ProgramVersion = BuildProgramVersion();
    if (s.ExePath.empty()) s.ExePath = RunningExePath();

    KeyHandle key = OpenUserKey(kMainKey);
    host.KeyOpened();
    const registry::Key* k = key.get();

    s.Volume = ReadInt(k, "volume", 50);
    s.TimeFormat = ReadInt(k, "timeformat", 0);
    s.OsdOn = ReadBool(k, "osd", false);
    s.ZoomToWindow = ReadBool(k, "zoomtowin", false);
    s.ResizeToMedia = ReadBool(k, "resizetomedia", false);
    s.FullScreenMode = ReadBool(k, "fullscreen", s.FullScreenMode);
    s.LoopOn = ReadBool(k, "loop", false);
    if (ReadBool(k, "zoom2", false)) s.ZoomFactor = 2.0;
    if (ReadBool(k, "zoom3", false)) s.ZoomFactor = 3.0;
    s.RandomList = ReadBool(k, "randomlist", false);
    s.PreventScreenSaver = ReadBool(k, "preventscreensaver", true);
    s.AlwaysOnTop = ReadBool(k, "alwaysontop", false);
    s.SaveOnExit = ReadBool(k, "saveonexit", true);
    s.PauseOnHide = ReadBool(k, "pauseonhide", false);
    s.SubtitlesOnMovie = ReadBool(k, "subtitlesonmovie", false);
    s.SubtitlesOverMovie = ReadBool(k, "subtitlesovermovie", false);
    s.ShowHints = ReadBool(k, "showhints", true);
    s.SpeedMute = ReadBool(k, "speedmute", s.SpeedMute);
    host.ApplyShowHints(s.ShowHints);
    s.SubtitlesOn = ReadBool(k, "subtitles", true);
    s.Id3On = ReadBool(k, "id3", true);
    s.SubtitleSounds = ReadBool(k, "subtitlesounds", false);
    s.ChaptersOnSubtitles = ReadBool(k, "chaptersonsubtitles", true);
    // The custom graph builder starts off on every run, whatever was saved.
    s.RegisterOnRot = ReadBool(k, "registeronrot", false);
    s.Force16Bits = ReadBool(k, "force16bits", false);
    s.HardwareDecoding = ReadBool(k, "hardwaredecoding", true);
    s.FolderAroundFile = ReadBool(k, "folderaroundfile", false);
    s.AlwaysResume = ReadBool(k, "alwaysresume", false);
    s.ResumeByDefault = ReadBool(k, "resumebydefault", true);
    s.Resolution = ReadInt(k, "resolution", 0);
    if (s.Resolution != 640 && s.Resolution != 800) s.Resolution = 0;
    s.SaveMru = ReadBool(k, "savemru", true);
    s.RenderLog = ReadBool(k, "renderlog", false);
    s.RenderLogFile = ReadStr(k, "renderlogfile", "");
    s.OggStreamSelect = ReadBool(k, "oggstreamselect", false);
    s.AudioDevice = ReadStr(k, "audiodevice", "");
    s.StoredVersion = ReadStr(k, "version", "");
    s.StoredExePath = ReadStr(k, "exe", "");

    s.Font.height = ReadInt(k, "fontheight", s.Font.height);
    s.Font.name = ReadStr(k, "fontname", s.Font.name);
    // The stored style is bold or nothing: italic and underline are not kept.
    s.Font.bold = ReadBool(k, "fontbold", s.Font.bold);
    s.Font.italic = false;
    s.Font.underline = false;
    const auto [charWidth, lineHeight] = host.ApplyFont(s.Font);
    s.OsdCharWidth = charWidth;
    s.OsdLineHeight = lineHeight;

    const WindowBounds current = host.Bounds();
    WindowBounds stored;
    stored.width = ReadInt(k, "width", current.width);
    stored.height = ReadInt(k, "height", current.height);
    stored.left = ReadInt(k, "left", current.left);
    stored.top = ReadInt(k, "top", current.top);
    host.ApplyBounds(ClampBounds(stored, host.Screen()));
    CloseKey(key);

    KeyHandle mru = OpenUserKey(kMruKey);
    for (size_t i = 0; i < s.RecentFiles.size(); ++i)
        s.RecentFiles[i] = ReadStr(mru.get(), std::to_string(i + 1), "");
    CloseKey(mru);
    host.RebuildRecentMenu();

    const WindowBounds placed = PlaceOnScreen(host.Bounds(), host.Screen());
    const WindowBounds now = host.Bounds();
    if (placed.left != now.left || placed.top != now.top) host.ApplyBounds(placed);
}

}  // namespace

namespace {

// Runs `write` with its changes to the store gathered into one write of the
// file, not one each. When a value stops it, what came before is still
// written, as it was when each value was written on its own; the error is
// the caller's to report.
template <typename Write>
void InOneWrite(Write&& write) {
    registry::Batch batch;
    try {
        write();
    } catch (const registry::RegistryError&) {
        try {
            batch.Commit();
        } catch (const registry::RegistryError&) {
        }
        throw;
    }
    batch.Commit();
}

}  // namespace

void LoadSettings(Settings& s, SettingsHost& host) {
    // A first start creates some fifty values.
    InOneWrite([&] { LoadFromStore(s, host); });
}

void SaveSettings(const Settings& s, const SettingsHost& host, bool inFullScreen) {
    if (!s.SaveOnExit) return;
    InOneWrite([&] {
        KeyHandle key = OpenUserKey(kMainKey);
        const registry::Key* k = key.get();
        WriteIntValue(k, "volume", s.Volume);
        WriteIntValue(k, "timeformat", s.TimeFormat);
        WriteBool(k, "osd", s.OsdOn);
        WriteBool(k, "zoomtowin", s.ZoomToWindow);
        WriteBool(k, "resizetomedia", s.ResizeToMedia);
        WriteBool(k, "loop", s.LoopOn);
        WriteBool(k, "zoom2", s.ZoomFactor == 2.0);
        WriteBool(k, "zoom3", s.ZoomFactor == 3.0);
        WriteBool(k, "fullscreen", s.FullScreenMode);
        WriteBool(k, "randomlist", s.RandomList);
        WriteBool(k, "preventscreensaver", s.PreventScreenSaver);
        WriteBool(k, "alwaysontop", s.AlwaysOnTop);
        WriteBool(k, "pauseonhide", s.PauseOnHide);
        WriteBool(k, "subtitlesonmovie", s.SubtitlesOnMovie);
        WriteBool(k, "subtitlesovermovie", s.SubtitlesOverMovie);
        WriteBool(k, "showhints", s.ShowHints);
        WriteBool(k, "speedmute", s.SpeedMute);
        WriteBool(k, "subtitles", s.SubtitlesOn);
        WriteBool(k, "id3", s.Id3On);
        WriteBool(k, "subtitlesounds", s.SubtitleSounds);
        WriteBool(k, "chaptersonsubtitles", s.ChaptersOnSubtitles);
        WriteBool(k, "customrender", s.CustomRender);
        WriteBool(k, "registeronrot", s.RegisterOnRot);
        WriteBool(k, "force16bits", s.Force16Bits);
        WriteBool(k, "hardwaredecoding", s.HardwareDecoding);
        WriteBool(k, "folderaroundfile", s.FolderAroundFile);
        WriteBool(k, "alwaysresume", s.AlwaysResume);
        WriteBool(k, "resumebydefault", s.ResumeByDefault);
        WriteIntValue(k, "resolution", s.Resolution);
        WriteBool(k, "savemru", s.SaveMru);
        WriteBool(k, "renderlog", s.RenderLog);
        WriteStrValue(k, "renderlogfile", s.RenderLogFile);
        WriteStrValue(k, "audiodevice", s.AudioDevice);
        WriteStrValue(k, "version", s.ProgramVersion);
        WriteStrValue(k, "exe", s.ExePath);
        WriteIntValue(k, "fontheight", s.Font.height);
        WriteStrValue(k, "fontname", s.Font.name);
        WriteBool(k, "fontbold", s.Font.bold);
        // In full screen the windowed placement from the last save is kept.
        if (!inFullScreen) {
            const WindowBounds b = host.Bounds();
            WriteIntValue(k, "left", b.left);
            WriteIntValue(k, "top", b.top);
            WriteIntValue(k, "width", b.width);
            WriteIntValue(k, "height", b.height);
        }
        CloseKey(key);
    });
}

void SaveRecentFiles(Settings& s) {
    KeyHandle mru = OpenUserKey(kMruKey);
    for (size_t i = 0; i < s.RecentFiles.size(); ++i) {
        if (!s.SaveMru) s.RecentFiles[i].clear();
        WriteStrValue(mru.get(), std::to_string(i + 1), s.RecentFiles[i]);
    }
    CloseKey(mru);
}

void SaveonExit1Click(Settings& s) {
    s.SaveOnExit = !s.SaveOnExit;
    KeyHandle key = OpenUserKey(kMainKey);
    WriteBool(key.get(), "saveonexit", s.SaveOnExit);
    CloseKey(key);
}

}  // namespace quova

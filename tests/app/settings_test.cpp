#include "app/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <tuple>

#include "platform/registry/registry.h"
#include "tests/support/file_events.h"
#include "tests/support/temp_dir.h"

namespace quova {
namespace {

using registry::Hive;
using registry::KeyHandle;
using registry::OpenExistingKey;
using registry::OpenUserKey;

constexpr const char* kMain = "SOFTWARE\\Dorvane\\Quova";

// A window stand-in: a screen, a window and a font whose "X" measures 60%
// of the character height wide.
class PlainHost : public SettingsHost {
  public:
    ScreenSize screen{1920, 1080};
    WindowBounds bounds{721, 370, 478, 340};
    OsdFont font;
    bool hints = true;
    int keyOpened = 0;
    int menuRebuilds = 0;

    ScreenSize Screen() const override { return screen; }
    WindowBounds Bounds() const override { return bounds; }
    void ApplyBounds(const WindowBounds& b) override { bounds = b; }
    std::pair<int, int> ApplyFont(const OsdFont& f) override {
        font = f;
        const int h = f.height < 0 ? -f.height : f.height;
        return {h * 6 / 10, h};
    }
    void ApplyShowHints(bool on) override { hints = on; }
    void RebuildRecentMenu() override { ++menuRebuilds; }
    void KeyOpened() override { ++keyOpened; }
};

class SettingsTest : public ::testing::Test {
  protected:
    void SetUp() override { registry::SetStorePath(dir / "registry.reg"); }
    void TearDown() override { registry::SetStorePath({}); }

    static void Store(const char* name, const std::string& value, const char* path = kMain) {
        KeyHandle key = OpenUserKey(path);
        registry::WriteStrValue(key.get(), name, value);
    }
    static std::optional<std::string> Stored(const char* name, const char* path = kMain) {
        KeyHandle key = OpenExistingKey(Hive::CurrentUser, path);
        return key ? key->Read(name) : std::nullopt;
    }

    testing::TempDir dir;
    PlainHost host;
    Settings s;
};

TEST_F(SettingsTest, FirstRunCreatesEveryLoadedValueWithItsStartText) {
    LoadSettings(s, host);
    // clang-format off
    const std::pair<const char*, const char*> expected[] = {
        {"volume", "50"}, {"timeformat", "0"}, {"osd", "0"}, {"zoomtowin", "0"},
        {"resizetomedia", "0"}, {"fullscreen", "0"}, {"loop", "0"}, {"zoom2", "0"}, {"zoom3", "0"},
        {"randomlist", "0"}, {"preventscreensaver", "1"}, {"alwaysontop", "0"},
        {"saveonexit", "1"}, {"pauseonhide", "0"}, {"subtitlesonmovie", "0"},
        {"subtitlesovermovie", "0"}, {"showhints", "1"}, {"speedmute", "1"}, {"subtitles", "1"},
        {"id3", "1"}, {"subtitlesounds", "0"}, {"chaptersonsubtitles", "1"},
        {"registeronrot", "0"}, {"force16bits", "0"}, {"hardwaredecoding", "1"}, {"folderaroundfile", "0"}, {"alwaysresume", "0"}, {"resumebydefault", "1"}, {"resolution", "0"}, {"savemru", "1"},
        {"renderlog", "0"}, {"renderlogfile", ""}, {"oggstreamselect", "0"}, {"audiodevice", ""},
        {"version", ""}, {"exe", ""}, {"fontheight", "-15"}, {"fontname", "Arial"},
        {"fontbold", "1"}, {"width", "478"}, {"height", "340"}, {"left", "721"}, {"top", "370"}};
    // clang-format on
    for (const auto& [name, text] : expected) EXPECT_EQ(Stored(name), text) << name;
    EXPECT_EQ(Stored("customrender"), std::nullopt) << "only the first save creates it";
    for (const char* i : {"1", "2", "3", "4", "5"})
        EXPECT_EQ(Stored(i, "SOFTWARE\\Dorvane\\Quova\\MRU"), "");
    EXPECT_EQ(host.keyOpened, 1);
    EXPECT_EQ(host.menuRebuilds, 1);
    EXPECT_EQ(s.OsdLineHeight, 15);
    EXPECT_EQ(s.OsdCharWidth, 9);
    EXPECT_EQ(std::count(s.ProgramVersion.begin(), s.ProgramVersion.end(), '.'), 3)
        << "four dot-separated numbers: " << s.ProgramVersion;
    EXPECT_FALSE(s.ExePath.empty());

    SaveSettings(s, host, false);
    EXPECT_EQ(Stored("customrender"), "0");
    EXPECT_EQ(Stored("version"), s.ProgramVersion);
    EXPECT_EQ(Stored("exe"), s.ExePath);
}

TEST_F(SettingsTest, AFirstLoadWritesTheStoreOnce) {
    testing::FileWrites writes(dir.path());
    LoadSettings(s, host);
    EXPECT_EQ(writes.Of("registry.reg"), 1);
    EXPECT_EQ(Stored("volume"), "50");
    EXPECT_EQ(Stored("top"), "370");
    EXPECT_EQ(Stored("5", "SOFTWARE\\Dorvane\\Quova\\MRU"), "");
    // Everything there already: nothing to write.
    LoadSettings(s, host);
    EXPECT_EQ(writes.Of("registry.reg"), 1);
}

TEST_F(SettingsTest, TheSaveAtExitWritesTheStoreOnce) {
    LoadSettings(s, host);
    s.Volume = 73;
    s.LoopOn = true;
    testing::FileWrites writes(dir.path());
    SaveSettings(s, host, false);
    EXPECT_EQ(writes.Of("registry.reg"), 1);
    EXPECT_EQ(Stored("volume"), "73");
    EXPECT_EQ(Stored("loop"), "1");
}

TEST_F(SettingsTest, AValueThatStopsTheLoadIsRepairedAndWhatCameBeforeItIsKept) {
    { KeyHandle key = OpenUserKey(kMain); }
    const auto path = dir / "registry.reg";
    testing::WriteFile(path, testing::ReadFile(path) + "\"osd\"=dword:00000001\n");
    EXPECT_THROW(LoadSettings(s, host), registry::RegistryError);
    // Created before the bad value, and the bad value replaced by its start value.
    EXPECT_EQ(Stored("volume"), "50");
    EXPECT_EQ(Stored("timeformat"), "0");
    EXPECT_EQ(Stored("osd"), "0");
    EXPECT_EQ(Stored("zoomtowin"), std::nullopt);
    EXPECT_TRUE(std::filesystem::exists(dir / "registry.reg.damaged"));
    EXPECT_NO_THROW(LoadSettings(s, host));
}

// Every setting the load fills, for comparing two settings field by field.
auto Fields(const Settings& s) {
    return std::tie(s.Volume, s.TimeFormat, s.OsdOn, s.ZoomToWindow, s.ResizeToMedia,
                    s.FullScreenMode, s.LoopOn, s.ZoomFactor, s.RandomList, s.PreventScreenSaver,
                    s.AlwaysOnTop, s.SaveOnExit, s.PauseOnHide, s.SubtitlesOnMovie,
                    s.SubtitlesOverMovie, s.ShowHints, s.SpeedMute, s.SubtitlesOn, s.Id3On,
                    s.SubtitleSounds, s.ChaptersOnSubtitles, s.CustomRender, s.RegisterOnRot,
                    s.Force16Bits, s.HardwareDecoding, s.FolderAroundFile, s.AlwaysResume,
                    s.ResumeByDefault, s.Resolution, s.SaveMru, s.RenderLog, s.RenderLogFile,
                    s.OggStreamSelect, s.AudioDevice, s.StoredVersion, s.StoredExePath, s.Font.name,
                    s.Font.height, s.Font.bold, s.Font.italic, s.RecentFiles);
}

TEST_F(SettingsTest, EverySettingSurvivesASaveAndALoadUnderItsOwnName) {
    Settings out;  // every setting away from its start value
    out.Volume = 35;
    out.TimeFormat = 9;  // not range-checked
    out.OsdOn = out.ZoomToWindow = out.ResizeToMedia = out.FullScreenMode = out.LoopOn = true;
    out.ZoomFactor = 3.0;
    out.RandomList = out.AlwaysOnTop = out.PauseOnHide = out.SubtitlesOnMovie = true;
    out.SubtitlesOverMovie = out.SubtitleSounds = out.CustomRender = out.RegisterOnRot = true;
    out.Force16Bits = out.RenderLog = out.FolderAroundFile = out.AlwaysResume = true;
    out.ResumeByDefault = false;
    out.PreventScreenSaver = out.ShowHints = out.SpeedMute = out.SubtitlesOn = false;
    out.Id3On = out.ChaptersOnSubtitles = out.SaveMru = out.HardwareDecoding = false;
    out.Resolution = 640;
    out.RenderLogFile = "/tmp/build log.txt";
    out.AudioDevice = "alsa_output.usb-Headset-00.analog-stereo";
    out.ProgramVersion = "1.2.3.4";
    out.ExePath = "/opt/q/quova";
    out.Font = {"DejaVu Sans", -20, false};
    host.bounds = {100, 50, 600, 400};
    SaveSettings(out, host, false);

    // clang-format off
    const std::map<std::string, std::string> expected = {
        {"volume", "35"}, {"timeformat", "9"}, {"osd", "1"}, {"zoomtowin", "1"},
        {"resizetomedia", "1"}, {"loop", "1"}, {"zoom2", "0"}, {"zoom3", "1"}, {"fullscreen", "1"},
        {"randomlist", "1"}, {"preventscreensaver", "0"}, {"alwaysontop", "1"},
        {"pauseonhide", "1"}, {"subtitlesonmovie", "1"}, {"subtitlesovermovie", "1"},
        {"showhints", "0"}, {"speedmute", "0"}, {"subtitles", "0"}, {"id3", "0"},
        {"subtitlesounds", "1"}, {"chaptersonsubtitles", "0"}, {"customrender", "1"},
        {"registeronrot", "1"}, {"force16bits", "1"}, {"hardwaredecoding", "0"}, {"folderaroundfile", "1"}, {"alwaysresume", "1"}, {"resumebydefault", "0"}, {"resolution", "640"}, {"savemru", "0"},
        {"renderlog", "1"}, {"renderlogfile", "/tmp/build log.txt"},
        {"audiodevice", "alsa_output.usb-Headset-00.analog-stereo"}, {"version", "1.2.3.4"},
        {"exe", "/opt/q/quova"}, {"fontheight", "-20"}, {"fontname", "DejaVu Sans"},
        {"fontbold", "0"}, {"left", "100"}, {"top", "50"}, {"width", "600"}, {"height", "400"}};
    // clang-format on
    std::map<std::string, std::string> stored;
    KeyHandle key = OpenExistingKey(Hive::CurrentUser, kMain);
    ASSERT_TRUE(key);
    for (const std::string& name : key->ValueNames()) stored[name] = key->Read(name).value_or("?");
    EXPECT_EQ(stored, expected) << "saveonexit and oggstreamselect are never saved at shutdown";

    // Back into fresh settings; the two read-only values are stored by hand.
    Store("saveonexit", "0");
    Store("oggstreamselect", "7");  // any non-zero integer is true
    PlainHost fresh;
    LoadSettings(s, fresh);
    Settings want = out;
    want.SaveOnExit = false;
    want.OggStreamSelect = true;
    want.CustomRender = false;  // the custom builder starts off on every run
    want.StoredVersion = out.ProgramVersion;
    want.StoredExePath = out.ExePath;
    EXPECT_EQ(Fields(s), Fields(want));
    EXPECT_EQ(fresh.bounds.left, 100);
    EXPECT_EQ(fresh.bounds.top, 50);
    EXPECT_EQ(fresh.bounds.width, 600);
    EXPECT_EQ(fresh.bounds.height, 400);
    EXPECT_FALSE(fresh.hints);
    EXPECT_EQ(fresh.font.name, "DejaVu Sans");
}

TEST_F(SettingsTest, EachOptionIsSavedAndLoadedUnderItsOwnNameAlone) {
    // clang-format off
    const std::pair<const char*, bool Settings::*> options[] = {
        {"osd", &Settings::OsdOn}, {"zoomtowin", &Settings::ZoomToWindow},
        {"resizetomedia", &Settings::ResizeToMedia}, {"fullscreen", &Settings::FullScreenMode},
        {"loop", &Settings::LoopOn}, {"randomlist", &Settings::RandomList},
        {"preventscreensaver", &Settings::PreventScreenSaver},
        {"alwaysontop", &Settings::AlwaysOnTop}, {"pauseonhide", &Settings::PauseOnHide},
        {"subtitlesonmovie", &Settings::SubtitlesOnMovie},
        {"subtitlesovermovie", &Settings::SubtitlesOverMovie}, {"showhints", &Settings::ShowHints},
        {"speedmute", &Settings::SpeedMute}, {"subtitles", &Settings::SubtitlesOn},
        {"id3", &Settings::Id3On}, {"subtitlesounds", &Settings::SubtitleSounds},
        {"chaptersonsubtitles", &Settings::ChaptersOnSubtitles},
        {"registeronrot", &Settings::RegisterOnRot}, {"force16bits", &Settings::Force16Bits},
        {"hardwaredecoding", &Settings::HardwareDecoding},
        {"folderaroundfile", &Settings::FolderAroundFile},
        {"alwaysresume", &Settings::AlwaysResume}, {"resumebydefault", &Settings::ResumeByDefault},
        {"savemru", &Settings::SaveMru}, {"renderlog", &Settings::RenderLog}};
    // clang-format on
    const auto saved = [&](const Settings& settings) {
        SaveSettings(settings, host, false);
        std::map<std::string, std::string> values;
        KeyHandle key = OpenExistingKey(Hive::CurrentUser, kMain);
        for (const std::string& name : key->ValueNames()) values[name] = *key->Read(name);
        return values;
    };
    LoadSettings(s, host);  // creates the values only the load writes
    const auto atStart = saved(Settings{});
    for (const auto& [name, option] : options) {
        Settings one;
        one.*option = !(one.*option);
        auto expected = atStart;
        expected[name] = one.*option ? "1" : "0";
        EXPECT_EQ(saved(one), expected) << name;
        Settings back;
        LoadSettings(back, host);
        EXPECT_EQ(Fields(back), Fields(one)) << name;
    }
}

TEST_F(SettingsTest, ZoomResolutionAndNumbersThatAreNotNumbers) {
    Store("zoom2", "1");
    Store("zoom3", "1");
    Store("resolution", "1024");
    Store("volume", "loud");
    LoadSettings(s, host);
    EXPECT_EQ(s.ZoomFactor, 3.0);
    EXPECT_EQ(s.Resolution, 0);
    EXPECT_EQ(s.Volume, 50);
    EXPECT_EQ(Stored("volume"), "loud") << "the stored text is left as it is";

    s.ZoomFactor = 1.5;
    SaveSettings(s, host, false);
    EXPECT_EQ(Stored("zoom2"), "0");
    EXPECT_EQ(Stored("zoom3"), "0");
    EXPECT_EQ(Stored("resolution"), "0");

    Store("zoom3", "0");
    Store("zoom2", "1");
    Store("resolution", "800");
    Settings again;
    LoadSettings(again, host);
    EXPECT_EQ(again.ZoomFactor, 2.0);
    EXPECT_EQ(again.Resolution, 800);
}

TEST(SettingsBounds, ClampAgainstTheScreen) {
    const ScreenSize screen{1024, 768};
    auto clamp = [&](int l, int t, int w, int h) {
        const WindowBounds b = ClampBounds({l, t, w, h}, screen);
        return std::array<int, 4>{b.left, b.top, b.width, b.height};
    };
    EXPECT_EQ(clamp(-200, -5, 478, 340), (std::array<int, 4>{0, 0, 478, 340}));
    EXPECT_EQ(clamp(10, 10, 3000, 2000), (std::array<int, 4>{0, 0, 1024, 768}));
    EXPECT_EQ(clamp(900, 700, 478, 340),
              (std::array<int, 4>{1024 - 478 - 1, 768 - 340 - 1, 478, 340}));
    EXPECT_EQ(clamp(5, 5, -10, -10), (std::array<int, 4>{5, 5, 0, 0}));
}

TEST(SettingsBounds, PlacementCentresOnlyAWindowPartlyOffScreen) {
    const ScreenSize screen{1024, 768};
    const WindowBounds inside{10, 20, 478, 340};
    EXPECT_EQ(PlaceOnScreen(inside, screen).left, 10);
    const WindowBounds edge{1024 - 478, 768 - 340, 478, 340};  // touching the edges is inside
    EXPECT_EQ(PlaceOnScreen(edge, screen).left, 1024 - 478);
    const WindowBounds off = PlaceOnScreen({600, 20, 479, 341}, screen);
    EXPECT_EQ(off.left, (1024 - 479) / 2);
    EXPECT_EQ(off.top, (768 - 341) / 2);
    EXPECT_EQ(off.width, 479);
}

TEST_F(SettingsTest, WindowBoundsAreClampedOnLoad) {
    host.screen = {1280, 800};
    Store("left", "-200");
    Store("width", "5000");
    Store("top", "100");
    Store("height", "300");
    LoadSettings(s, host);
    EXPECT_EQ(host.bounds.width, 1280);
    EXPECT_EQ(host.bounds.left, 0) << "with the full width the upper bound is -1 and 0 wins";
    EXPECT_EQ(host.bounds.top, 100);
    EXPECT_EQ(host.bounds.height, 300);
}

TEST_F(SettingsTest, BoldFontReplacesAnItalicStyle) {
    Store("fontname", "DejaVu Sans");
    Store("fontheight", "-20");
    Store("fontbold", "1");
    s.Font.italic = true;
    s.Font.underline = true;
    s.Font.bold = false;
    LoadSettings(s, host);
    EXPECT_EQ(host.font.name, "DejaVu Sans");
    EXPECT_EQ(host.font.height, -20);
    EXPECT_TRUE(host.font.bold);
    EXPECT_FALSE(host.font.italic);
    EXPECT_FALSE(host.font.underline);
    EXPECT_EQ(s.OsdLineHeight, 20);

    Store("fontbold", "0");
    Settings plain;
    plain.Font.italic = true;
    LoadSettings(plain, host);
    EXPECT_FALSE(host.font.bold);
    EXPECT_FALSE(host.font.italic);
}

TEST_F(SettingsTest, FullScreenSaveKeepsTheWindowedPlacement) {
    LoadSettings(s, host);
    host.bounds = {0, 0, 1920, 1080};
    SaveSettings(s, host, true);
    EXPECT_EQ(Stored("width"), "478");
    EXPECT_EQ(Stored("left"), "721");
    SaveSettings(s, host, false);
    EXPECT_EQ(Stored("width"), "1920");
}

TEST_F(SettingsTest, SaveOnExitOffLeavesTheMainKeyButRecentFilesAreAlwaysWritten) {
    LoadSettings(s, host);
    SaveonExit1Click(s);
    EXPECT_FALSE(s.SaveOnExit);
    EXPECT_EQ(Stored("saveonexit"), "0") << "written at once";
    s.Volume = 5;
    s.RecentFiles = {"/films/a&&b.avi", "/films/c.ogm", "", "", ""};
    SaveSettings(s, host, false);
    SaveRecentFiles(s);
    EXPECT_EQ(Stored("volume"), "50");
    EXPECT_EQ(Stored("1", "SOFTWARE\\Dorvane\\Quova\\MRU"), "/films/a&&b.avi");
    EXPECT_EQ(Stored("2", "SOFTWARE\\Dorvane\\Quova\\MRU"), "/films/c.ogm");
    SaveonExit1Click(s);
    EXPECT_EQ(Stored("saveonexit"), "1");
}

TEST_F(SettingsTest, SaveMruOffLoadsTheListButStoresItEmpty) {
    Store("savemru", "0");
    Store("1", "/films/old.avi", "SOFTWARE\\Dorvane\\Quova\\MRU");
    LoadSettings(s, host);
    EXPECT_EQ(s.RecentFiles[0], "/films/old.avi");
    SaveRecentFiles(s);
    EXPECT_EQ(Stored("1", "SOFTWARE\\Dorvane\\Quova\\MRU"), "");
    EXPECT_EQ(s.RecentFiles[0], "");
}

TEST_F(SettingsTest, NonStringValueStopsTheLoadWithAnError) {
    {
        KeyHandle key = OpenUserKey(kMain);  // make the key, then damage its type by hand
    }
    const auto path = dir / "registry.reg";
    testing::WriteFile(path, testing::ReadFile(path) + "\"osd\"=dword:00000001\n");
    Store("volume", "70");
    EXPECT_THROW(LoadSettings(s, host), registry::RegistryError);
    EXPECT_EQ(s.Volume, 70) << "what came before the bad value stays read";
    EXPECT_EQ(host.menuRebuilds, 0) << "the steps after it are skipped";
    EXPECT_EQ(Stored("resolution"), std::nullopt);
}

TEST_F(SettingsTest, ReadOnlyStoreLoadsButNeverWrites) {
    Store("volume", "33");
    const auto path = dir / "registry.reg";
    const std::string before = testing::ReadFile(path);
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    LoadSettings(s, host);
    EXPECT_EQ(s.Volume, 33);
    EXPECT_TRUE(s.ShowHints);
    s.Volume = 99;
    SaveSettings(s, host, false);
    SaveRecentFiles(s);
    SaveonExit1Click(s);
    EXPECT_EQ(testing::ReadFile(path), before);
}

TEST_F(SettingsTest, NoStoreAtAllGivesTheBuiltInValues) {
    testing::WriteFile(dir / "blocker", "");
    registry::SetStorePath(dir / "blocker" / "registry.reg");
    s.Volume = 12;  // the start values of the table win over what the variable had
    LoadSettings(s, host);
    EXPECT_EQ(s.Volume, 50);
    EXPECT_TRUE(s.SaveOnExit);
    EXPECT_EQ(host.bounds.width, 478);
    EXPECT_NO_THROW(SaveSettings(s, host, false));
}

}  // namespace
}  // namespace quova

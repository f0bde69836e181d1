#include "app/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>

#include "platform/registry/registry.h"
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
    const std::pair<const char*, const char*> expected[] = {{"volume", "50"},
                                                            {"timeformat", "0"},
                                                            {"osd", "0"},
                                                            {"zoomtowin", "0"},
                                                            {"resizetomedia", "0"},
                                                            {"fullscreen", "0"},
                                                            {"loop", "0"},
                                                            {"zoom2", "0"},
                                                            {"zoom3", "0"},
                                                            {"randomlist", "0"},
                                                            {"preventscreensaver", "1"},
                                                            {"alwaysontop", "0"},
                                                            {"saveonexit", "1"},
                                                            {"pauseonhide", "0"},
                                                            {"subtitlesonmovie", "0"},
                                                            {"subtitlesovermovie", "0"},
                                                            {"showhints", "1"},
                                                            {"speedmute", "1"},
                                                            {"subtitles", "1"},
                                                            {"id3", "1"},
                                                            {"subtitlesounds", "0"},
                                                            {"chaptersonsubtitles", "1"},
                                                            {"registeronrot", "0"},
                                                            {"force16bits", "0"},
                                                            {"resolution", "0"},
                                                            {"savemru", "1"},
                                                            {"renderlog", "0"},
                                                            {"renderlogfile", ""},
                                                            {"oggstreamselect", "0"},
                                                            {"version", ""},
                                                            {"exe", ""},
                                                            {"fontheight", "-15"},
                                                            {"fontname", "Arial"},
                                                            {"fontbold", "1"},
                                                            {"width", "478"},
                                                            {"height", "340"},
                                                            {"left", "721"},
                                                            {"top", "370"}};
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

TEST_F(SettingsTest, StoredValuesAreReadAndRewritten) {
    Store("volume", "80");
    Store("osd", "7");  // any non-zero integer is true
    Store("showhints", "0");
    Store("timeformat", "9");  // not range-checked
    Store("customrender", "1");
    Store("renderlogfile", "/tmp/build log.txt");
    LoadSettings(s, host);
    EXPECT_EQ(s.Volume, 80);
    EXPECT_TRUE(s.OsdOn);
    EXPECT_FALSE(s.ShowHints);
    EXPECT_FALSE(host.hints);
    EXPECT_EQ(s.TimeFormat, 9);
    EXPECT_FALSE(s.CustomRender) << "the custom builder starts off on every run";
    EXPECT_EQ(s.RenderLogFile, "/tmp/build log.txt");
    SaveSettings(s, host, false);
    EXPECT_EQ(Stored("osd"), "1");
    EXPECT_EQ(Stored("volume"), "80");
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

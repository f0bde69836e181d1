#include "text/subtitle_display.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "playback/player_session.h"
#include "tests/support/fake_ui.h"
#include "tests/support/temp_dir.h"

namespace quova {
namespace {

using testing::TempDir;
using testing::WriteFile;

SubtitleTimetable TableFor(double duration) {
    SubtitleTimetable table;
    ResetSubtitles(table, duration);
    return table;
}

TEST(DueSubtitle, SpeedAndAdvanceCorrectTheSlot) {
    SubtitleTimetable table = TableFor(100);
    table.SubtitleSpeed = 1.25;
    EXPECT_EQ(CorrectedSlot(table, 10.0, 100), 25);
    MakeSubtitleEntry(table, 25, "at 25");
    EXPECT_EQ(DueSubtitleText(table, 10.0, 100), "at 25");

    SubtitleTimetable advanced = TableFor(100);
    advanced.SubtitleOffset = 4;  // two seconds
    MakeSubtitleEntry(advanced, 24, "Stored at 24");
    EXPECT_EQ(DueSubtitleText(advanced, 10.0, 100), "Stored at 24");  // slot 20 -> 24
    EXPECT_EQ(DueSubtitleText(advanced, 9.5, 100), "Stored at 24");   // s + 1
    EXPECT_EQ(DueSubtitleText(advanced, 9.0, 100), "Stored at 24");   // s + 2
    EXPECT_EQ(DueSubtitleText(advanced, 8.5, 100), std::nullopt);     // too early
}

// The corrected slot is truncated toward zero before its range is checked: a
// slowed-down, advanced timetable near the start gives a slot between -1 and
// 0, which is slot 0 and shows the first entry; -1 itself is outside.
TEST(DueSubtitle, ACorrectedSlotJustBelowZeroIsSlotZero) {
    SubtitleTimetable table = TableFor(100);
    table.SubtitleSpeed = 0.75;
    table.SubtitleOffset = -1;
    MakeSubtitleEntry(table, 0, "first entry");
    EXPECT_EQ(CorrectedSlot(table, 0.5, 100), 0);  // 1 x 0.75 - 1 = -0.25
    EXPECT_EQ(DueSubtitleText(table, 0.5, 100), "first entry");
    EXPECT_EQ(CorrectedSlot(table, 0.0, 100), -1);  // 0 x 0.75 - 1 = -1
    table.SubtitleSpeed = 0.5;
    EXPECT_EQ(CorrectedSlot(table, 0.5, 100), 0);  // -0.5
    EXPECT_EQ(CorrectedSlot(table, 1.0, 100), 0);  // 2 x 0.5 - 1 = 0
}

TEST(DueSubtitle, ProbesInOrderAndOnlyInsideTheMediumAndTable) {
    SubtitleTimetable table = TableFor(100);
    MakeSubtitleEntry(table, 0, "first entry");
    EXPECT_EQ(DueSubtitleText(table, 0.0, 100), "first entry");
    // Probes below s stop at slot 1: slot 0 is read only as s itself.
    EXPECT_EQ(DueSubtitleText(table, 0.5, 100), std::nullopt);
    MakeSubtitleEntry(table, 41, "later");
    MakeSubtitleEntry(table, 39, "earlier");
    EXPECT_EQ(DueSubtitleText(table, 20.0, 100), "later");  // s + 1 before s - 1
    EXPECT_EQ(DueSubtitleText(table, -1.0, 100), std::nullopt);
    EXPECT_EQ(DueSubtitleText(table, 101.0, 100), std::nullopt);  // beyond the medium
    table.SubtitleOffset = 1000;
    EXPECT_EQ(DueSubtitleText(table, 10.0, 100), std::nullopt);  // beyond the table
}

TEST(DueSubtitle, ABlankEntryClears) {
    SubtitleTimetable table = TableFor(100);
    MakeSubtitleEntry(table, 20, "");
    EXPECT_EQ(DueSubtitleText(table, 10.0, 100), "");
}

TEST(SubtitleText, SoundNotesGoUnlessSoundsAreOn) {
    EXPECT_EQ(CleanSubtitleText("[door slams]|Hello", false), "Hello");
    EXPECT_EQ(CleanSubtitleText("[door slams]|Hello", true), "[door slams]|Hello");
    EXPECT_EQ(CleanSubtitleText("a] b [c", false), "a] b [c");
    EXPECT_EQ(CleanSubtitleText("[a] one [b] two", false), "one  two");
    EXPECT_EQ(CleanSubtitleText("  |Line one|Line two||  ", false), "Line one|Line two");
}

TEST(SubtitleFont, ANarrowWindowShrinksTheFontUntilTheLongestLineFits) {
    // "Xx" is as wide as the size in this measure.
    const auto xx = [](int size) { return size; };
    const std::string sixty(60, 'a');
    // 30 "Xx" widths at size 20 are 600 pixels; a 60-character line needs them.
    EXPECT_EQ(FitSubtitleFontSize(sixty + "|short", 20, 600, xx), 20);
    const int fitted = FitSubtitleFontSize("short|" + sixty, 20, 450, xx);
    EXPECT_LT(fitted, 20);
    EXPECT_LE(fitted * 60 / 2, 450);
    EXPECT_EQ(FitSubtitleFontSize("", 20, 10, xx), 20);
    // A measure that never fits still ends, at the smallest size.
    EXPECT_EQ(FitSubtitleFontSize(sixty, 20, 10, [](int) { return 1000; }), 1);
    EXPECT_EQ(LongestLineLength("\xC3\xA9t\xC3\xA9|ab"), 3);
}

TEST(FindSubtitles, TheFirstReadableSmallFileInOrderIsLoaded) {
    TempDir dir;
    const auto movie = dir / "film.avi";
    SubtitleTimetable table;
    PlayerSession session;
    testing::FakeUi ui{session};
    EXPECT_FALSE(FindSubtitlesForMovie(session, table, movie, 600, 25));
    EXPECT_EQ(table.SubtitleFileName, dir / "film.sub");
    EXPECT_EQ(table.SlotCount, 1800);

    WriteFile(dir / "film.srt", "1\r\n00:00:01,000 --> 00:00:02,000\r\nHello\r\n\r\n");
    std::string big = "{25}{50}Too big\r\n";
    big.resize(600 * 1024, ' ');
    WriteFile(dir / "film.sub", big);
    EXPECT_TRUE(FindSubtitlesForMovie(session, table, movie, 600, 25));
    EXPECT_EQ(table.SubtitleFileName, dir / "film.srt");
    EXPECT_EQ(ui.osdShown, std::vector<std::string>{"Subtitles: 2"});
    EXPECT_EQ(FileSizeOf(dir / "film.sub"), 600 * 1024);
    EXPECT_EQ(FileSizeOf(dir / "none.sub"), -1);
}

}  // namespace
}  // namespace quova

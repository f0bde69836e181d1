#include "text/movie_settings.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "tests/support/temp_dir.h"
#include "tests/text/timetable_entries.h"
#include "text/chapters.h"
#include "text/movie_config.h"

namespace quova {
namespace {

using testing::Entries;
using testing::SlotsOf;
using testing::TempDir;
using testing::WriteFile;

TEST(ProfileFile, ReadsSectionsAndKeysAsTheProfileFunctionsDo) {
    const ProfileFile file = ProfileFile::Parse(
        "; a comment\r\n"
        "[config]\r\n"
        "  Zoom =  1.5  \r\n"
        "; zoom=9\r\n"
        "zoom=2\r\n"
        "\r\n"
        "[CONFIG]\r\n"
        "osd=1\r\n"
        "[Chapters]\n"
        "1=0 Opening\n"
        "no equals sign\n");
    EXPECT_EQ(file.Value("CONFIG", "ZOOM"), "1.5");        // first key wins, case ignored, trimmed
    EXPECT_EQ(file.Value("config", "osd"), std::nullopt);  // the repeated section is never read
    EXPECT_EQ(file.Value("other", "zoom"), std::nullopt);
    EXPECT_EQ(file.SectionLines("chapters"),
              (std::vector<std::string>{"1=0 Opening", "no equals sign"}));
    EXPECT_TRUE(file.SectionLines("missing").empty());
}

// The first "=" of a line ends the key; any later one belongs to the value,
// in settings and chapter titles alike.
TEST(ProfileFile, AnEqualsSignInsideAValueOrATitleStaysInIt) {
    const ProfileFile file = ProfileFile::Parse(
        "[CONFIG]\n"
        "fontname = Sans=Serif \n"
        "zoom==2\n"
        "aspect=4=3\n"
        "[CHAPTERS]\n"
        "1=0 Act = One\n"
        "2=250 a=b=c\n"
        "3=500 =\n");
    struct Case {
        const char* key;
        std::optional<std::string> value;
    };
    const Case cases[] = {
        {"fontname", "Sans=Serif"},
        {"zoom", "=2"},
        {"aspect", "4=3"},
        {"Sans", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(file.Value("config", c.key), c.value) << c.key;

    MovieConfig config;
    config.Aspect = 1.0;
    config.ZoomFactor = 9.0;
    ApplyMovieConfig(file.SectionLines("CONFIG"), config, '.');
    EXPECT_EQ(config.FontName, "Sans=Serif");
    EXPECT_DOUBLE_EQ(config.Aspect, 1.0) << "\"4=3\" is no ratio";
    EXPECT_DOUBLE_EQ(config.ZoomFactor, 6.0) << "\"=2\" is unreadable: clamped";

    ChapterTable chapters;
    SubtitleTimetable table;
    ResetSubtitles(table, 600);
    ReadChapterLines(file.SectionLines("CHAPTERS"), 25.0, false, chapters, table);
    ASSERT_EQ(chapters.ChapterCount, 3);
    EXPECT_EQ(chapters.ChapterNames[1], "Act = One");
    EXPECT_EQ(chapters.ChapterNames[2], "a=b=c");
    EXPECT_EQ(chapters.ChapterNames[3], "=");
    EXPECT_FLOAT_EQ(chapters.ChapterTimes[2], 10.0f);
    EXPECT_FLOAT_EQ(chapters.ChapterTimes[3], 20.0f);
}

TEST(ProfileFile, ReadsWindows1252WhenTheTextIsNotUtf8) {
    const ProfileFile file = ProfileFile::Parse("[CHAPTERS]\n1=0 Caf\xE9\n");
    EXPECT_EQ(file.SectionLines("CHAPTERS").at(0), "1=0 Caf\xC3\xA9");
}

TEST(ProfileFile, DamagedAndHugeFilesAreReadAsFarAsTheyMakeSense) {
    TempDir dir;
    // A 100 KB line, binary bytes after a NUL, and more than a megabyte in all.
    std::string bytes = "[CONFIG]\nzoom=2\nfontname=" + std::string(100 * 1024, 'A') + "\n";
    bytes += std::string("osd=1\n\0\xFF\xFE[CHAPTERS]\n1=0 x\n", 27);
    bytes += std::string(2 * 1024 * 1024, '\x01');
    WriteFile(dir / "film.ini", bytes);
    const auto start = std::chrono::steady_clock::now();
    const auto file = ProfileFile::Load(dir / "film.ini");
    ASSERT_TRUE(file.has_value());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_EQ(file->Value("CONFIG", "zoom"), "2");
    EXPECT_EQ(file->Value("CONFIG", "fontname")->size(), 100u * 1024u);
    EXPECT_EQ(file->Value("CONFIG", "osd"), "1");
    EXPECT_TRUE(file->SectionLines("CHAPTERS").empty());  // past the NUL

    // Random bytes from start to end: still no crash, whatever is found.
    std::string noise(1536 * 1024, '\0');
    for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 7919u) % 251u + 1);
    WriteFile(dir / "noise.ini", noise);
    EXPECT_TRUE(ProfileFile::Load(dir / "noise.ini").has_value());
    EXPECT_FALSE(ProfileFile::Load(dir / "missing.ini").has_value());
    EXPECT_FALSE(ProfileFile::Load(dir.path()).has_value());  // a folder is no file
}

TEST(MovieSettingsFile, MdvdIniWinsOverTheMoviesOwnFile) {
    TempDir dir;
    EXPECT_EQ(FindMovieSettingsFile(dir / "film.avi"), std::nullopt);
    WriteFile(dir / "film.ini", "[CONFIG]\nosd=1\n");
    EXPECT_EQ(FindMovieSettingsFile(dir / "film.avi"), dir / "film.ini");
    WriteFile(dir / "mdvd.ini", "[CONFIG]\nosd=0\n");
    EXPECT_EQ(FindMovieSettingsFile(dir / "film.avi"), dir / "mdvd.ini");
}

// ---- Chapters ----

struct ChapterRead {
    ChapterTable chapters;
    SubtitleTimetable table;
};

ChapterRead ReadLines(const std::vector<std::string>& lines, bool onSubtitles = true) {
    ChapterRead r;
    ResetSubtitles(r.table, 600);
    ReadChapterLines(lines, 25.0, onSubtitles, r.chapters, r.table);
    return r;
}

TEST(Chapters, FramesBecomeSecondsAndUnfitLinesAreSkipped) {
    const ChapterRead r = ReadLines({"1=0 Opening", "2=2500 Second part", "3=5000"}, false);
    EXPECT_EQ(r.chapters.ChapterCount, 3);
    EXPECT_EQ(r.chapters.CurrentChapter, 1);
    EXPECT_FLOAT_EQ(r.chapters.ChapterTimes[1], 0.0f);
    EXPECT_FLOAT_EQ(r.chapters.ChapterTimes[2], 100.0f);
    EXPECT_EQ(r.chapters.ChapterNames[1], "Opening");
    EXPECT_EQ(r.chapters.ChapterNames[2], "Second part");
    EXPECT_EQ(r.chapters.ChapterNames[3], "");  // no title: skipped
    EXPECT_TRUE(SlotsOf(r.table).empty());      // not on subtitles

    const ChapterRead outside = ReadLines({"1=0 a", "2=25 b", "9=100 x"});
    EXPECT_EQ(outside.chapters.ChapterCount, 3);
    EXPECT_EQ(outside.chapters.ChapterNames[3], "");
    for (const auto& [slot, text] : SlotsOf(outside.table)) EXPECT_NE(text, "(x)");
}

// Either side of every chapter start, in lists of one, two and three.
TEST(Chapters, StepsGoToTheChapterAheadOrToTheStartOfTheOneBefore) {
    struct Case {
        std::vector<float> starts;
        double position;
        int next, previous;
    };
    const Case cases[] = {
        {{0}, 0.0, 0, 0},          {{0}, 5.0, 0, 1},          {{0, 10}, 0.0, 2, 0},
        {{0, 10}, 9.9, 2, 1},      {{0, 10}, 10.0, 0, 1},     {{0, 10}, 10.1, 0, 1},
        {{0, 10, 20}, 0.0, 2, 0},  {{0, 10, 20}, 0.5, 2, 1},  {{0, 10, 20}, 9.9, 2, 1},
        {{0, 10, 20}, 10.0, 3, 1}, {{0, 10, 20}, 15.0, 3, 1}, {{0, 10, 20}, 19.9, 3, 1},
        {{0, 10, 20}, 20.0, 0, 1}, {{0, 10, 20}, 20.5, 0, 2}, {{5, 10, 20}, 2.0, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.position << " s in " << c.starts.size());
        ChapterTable chapters;
        chapters.ChapterCount = static_cast<int>(c.starts.size());
        chapters.ChapterTimes = {0.0f};
        chapters.ChapterTimes.insert(chapters.ChapterTimes.end(), c.starts.begin(), c.starts.end());
        EXPECT_EQ(ChapterStepTarget(chapters, c.position, +1), c.next);
        EXPECT_EQ(ChapterStepTarget(chapters, c.position, -1), c.previous);
    }
}

TEST(Chapters, TheFirstLineOfANumberHolds) {
    const ChapterRead r = ReadLines({"1=0 First", "1=250 Again"}, false);
    EXPECT_EQ(r.chapters.ChapterNames[1], "First");
    EXPECT_FLOAT_EQ(r.chapters.ChapterTimes[1], 0.0f);
}

TEST(Chapters, ATitleGoesAboveTheSubtitlesStartingWithinFiveSeconds) {
    SubtitleTimetable table;
    ResetSubtitles(table, 600);
    MakeSubtitleEntry(table, 201, "Hello");
    MakeSubtitleEntry(table, 205, "");
    MakeSubtitleEntry(table, 215, "Later");
    MergeChapterTitle(table, 100.0, "Second part");
    EXPECT_EQ(SlotsOf(table),
              (Entries{{201, "(Second part)|Hello"}, {205, "(Second part)|"}, {215, "Later"}}));
}

TEST(Chapters, ATitleAloneShowsForFiveSeconds) {
    SubtitleTimetable table;
    ResetSubtitles(table, 600);
    MakeSubtitleEntry(table, 197, "Before");  // outside the scan from slot 198
    MergeChapterTitle(table, 100.0, "Second part");
    EXPECT_EQ(SlotsOf(table), (Entries{{197, "Before"}, {210, "(Second part)"}, {220, ""}}));
}

TEST(Chapters, TheTitlesEndNeverWipesOutASubtitleStartingThere) {
    SubtitleTimetable table;
    ResetSubtitles(table, 600);
    MakeSubtitleEntry(table, 225, "Found");
    MakeSubtitleEntry(table, 235, "Must stay");  // just beyond the scan
    MergeChapterTitle(table, 100.0, "T");
    EXPECT_EQ(SlotsOf(table), (Entries{{225, "(T)|Found"}, {235, "Must stay"}}));
}

TEST(Chapters, ReadFromTheSettingsFileEvenWithoutSubtitles) {
    TempDir dir;
    ChapterTable chapters;
    SubtitleTimetable table;  // never prepared: no subtitle file
    EXPECT_FALSE(ReadChapters(dir / "film.avi", 25, 600, true, chapters, table));
    EXPECT_EQ(table.SlotCount, 1800);  // prepared for the chapters all the same
    WriteFile(dir / "film.ini", "[CHAPTERS]\n1=0 Opening\n2=2500 Second part\n");
    ASSERT_TRUE(ReadChapters(dir / "film.avi", 25, 600, true, chapters, table));
    EXPECT_EQ(chapters.ChapterCount, 2);
    EXPECT_EQ(SlotsOf(table),
              (Entries{{10, "(Opening)"}, {20, ""}, {210, "(Second part)"}, {220, ""}}));
}

// ---- [CONFIG] ----

TEST(MovieConfig, EveryEntryTurnsSaveOnExitOffAndEmptySectionsNothing) {
    MovieConfig c;
    EXPECT_FALSE(ApplyMovieConfig({}, c, '.').anyEntry);
    EXPECT_TRUE(ApplyMovieConfig({"unknown=1"}, c, '.').anyEntry);
}

TEST(MovieConfig, FlagsIntegersAndUnreadableValues) {
    MovieConfig c;
    c.TimeFormat = 2;
    c.SubtitleOffset = 3;
    ApplyMovieConfig({"OSD=7", "loop=1", "subtitles=0", "TimeFormat=x", "subtitlesoffset=-4",
                      "subtitlesspeed=125", "subtitlesovermovie-y=-30", "width=720", "height=-5"},
                     c, '.');
    EXPECT_TRUE(c.OsdOn);
    EXPECT_TRUE(c.LoopOn);
    EXPECT_FALSE(c.SubtitlesOn);
    EXPECT_EQ(c.TimeFormat, 2);  // unreadable: kept
    EXPECT_EQ(c.SubtitleOffset, -4);
    EXPECT_DOUBLE_EQ(c.SubtitleSpeed, 1.25);
    EXPECT_EQ(c.SubtitleBoxOffsetY, -30);
    EXPECT_EQ(c.VideoWidth, 720);
    EXPECT_EQ(c.SourceWidth, 720);
    EXPECT_EQ(c.VideoHeight, 0);  // no picture has a negative height
}

TEST(MovieConfig, ZoomTakesEitherSeparatorAndClampsWhenUnreadable) {
    MovieConfig c;
    ApplyMovieConfig({"zoom=1,5"}, c, '.');
    EXPECT_DOUBLE_EQ(c.ZoomFactor, 1.5);
    ApplyMovieConfig({"zoom=2.25"}, c, ',');
    EXPECT_DOUBLE_EQ(c.ZoomFactor, 2.25);
    c.ZoomFactor = 9.0;
    ApplyMovieConfig({"zoom=abc"}, c, '.');
    EXPECT_DOUBLE_EQ(c.ZoomFactor, 6.0);
    c.ZoomFactor = 0.01;
    ApplyMovieConfig({"zoom=inf"}, c, '.');
    EXPECT_DOUBLE_EQ(c.ZoomFactor, 0.1);
}

TEST(MovieConfig, FontBoldDropsTheOtherStyles) {
    MovieConfig c;
    c.FontItalic = true;
    c.FontUnderline = true;
    EXPECT_TRUE(ApplyMovieConfig({"fontbold=1"}, c, '.').font);
    EXPECT_TRUE(c.FontBold);
    EXPECT_FALSE(c.FontItalic);
    EXPECT_FALSE(c.FontUnderline);
    c.FontName = "Arial";
    ApplyMovieConfig({"fontbold=0", "fontname=", "fontheight=-20"}, c, '.');
    EXPECT_FALSE(c.FontBold);
    EXPECT_EQ(c.FontName, "Arial");  // an empty name keeps the face
    EXPECT_EQ(c.FontHeight, -20);
}

TEST(MovieConfig, AspectAppliesOnlyANewReadableRatio) {
    MovieConfig c;
    EXPECT_FALSE(ApplyMovieConfig({"aspect=1.0"}, c, '.').aspect);
    EXPECT_FALSE(ApplyMovieConfig({"aspect=0"}, c, '.').aspect);
    EXPECT_FALSE(ApplyMovieConfig({"aspect=1,2"}, c, '.').aspect);  // not this locale's notation
    EXPECT_TRUE(ApplyMovieConfig({"aspect=1.2"}, c, '.').aspect);
    EXPECT_DOUBLE_EQ(c.Aspect, 1.2);
    EXPECT_TRUE(ApplyMovieConfig({"aspect=1,5"}, c, ',').aspect);
    EXPECT_DOUBLE_EQ(c.Aspect, 1.5);
}

TEST(MovieConfig, FullScreenSwitchesOnlyOnAChange) {
    MovieConfig c;
    EXPECT_FALSE(ApplyMovieConfig({"fullscreen=0"}, c, '.').fullScreen);
    EXPECT_TRUE(ApplyMovieConfig({"fullscreen=1"}, c, '.').fullScreen);
    EXPECT_TRUE(c.FullScreenMode);
}

}  // namespace
}  // namespace quova

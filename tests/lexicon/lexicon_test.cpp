#include "lexicon/lexicon.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "lexicon/builtin_texts.h"
#include "lexicon/lexicon_file.h"
#include "platform/encoding/text_encoding.h"
#include "tests/support/temp_dir.h"

namespace quova {
namespace {

TEST(BuiltInLex, HoldsTheEnglishTextsWithTheirTrailingBlanksAndQuotes) {
    EXPECT_EQ(BuiltInLex(360), "remain: ");
    EXPECT_EQ(BuiltInLex(190), "error setting display mode: ");
    EXPECT_EQ(BuiltInLex(1350), "&Open with ");
    EXPECT_EQ(BuiltInLex(2400), "frame: ");
    EXPECT_EQ(BuiltInLex(380), "volume: %d%%");
    EXPECT_EQ(BuiltInLex(470),
              "\"%s\" DirectShow filter not found, please register it using regsvr32 !");
    EXPECT_EQ(BuiltInLex(11),
              "Set High Priority option if you have|other jobs working in background.");
    EXPECT_EQ(BuiltInLex(25),
              "The menu captions, keyboard shortcuts and hints are configurable/translatable|"
              "through the menu template file \"quova.[lang].mnu\".");
    EXPECT_EQ(BuiltInLex(29).substr(0, 34), "Set Subtitles over Movie to show s");
    EXPECT_EQ(BuiltInLex(630),
              "quova media player with multiple audio support and basic DVD player interface");
    EXPECT_EQ(BuiltInLex(930),
              "Something unexpected happened; perhaps content is authored incorrectly. "
              "Playback is stopped.");
    EXPECT_EQ(BuiltInLex(1090), "Still (%s secs)");
    EXPECT_EQ(BuiltInLex(2300), "Chapters on Subtitles on");
    // The audio devices' texts come after the older ones.
    EXPECT_EQ(BuiltInLex(2640), "Default");
    EXPECT_EQ(BuiltInLex(2670), "no sound device: playing without sound");
    // The subtitle streams of a file, listed above the designed indexes.
    EXPECT_EQ(FormatLex(2700, "2"), "Track 2");
    EXPECT_EQ(FormatLex(2720, "cut off"), "subtitle track damaged: cut off");
    EXPECT_EQ(FormatLex(2770, "Images"), "picture subtitles are not shown yet: Images");
    EXPECT_EQ(FormatLex(2780, "cut off"), "picture subtitle damaged, skipped: cut off");
    // Two pairs of indexes share a text; callers use both.
    EXPECT_EQ(BuiltInLex(410), BuiltInLex(700));
    EXPECT_EQ(BuiltInLex(270), BuiltInLex(390));
}

TEST(BuiltInLex, ListsOnlyTipsAndMultiplesOfTenAndGivesAQuestionMarkElsewhere) {
    std::set<int> listed;
    for (const LexEntry& entry : kBuiltInTexts) {
        EXPECT_TRUE((entry.index >= 11 && entry.index <= 29) ||
                    (entry.index >= 140 && entry.index <= 3010 && entry.index % 10 == 0))
            << entry.index;
        EXPECT_TRUE(IsValidUtf8(entry.text)) << entry.index;
        listed.insert(entry.index);
    }
    EXPECT_EQ(listed.size(), 196u);
    for (int index = 0; index < LexSlotCount; ++index) {
        if (listed.count(index)) {
            EXPECT_NE(BuiltInLex(index), "?") << index;
            EXPECT_FALSE(BuiltInLex(index).empty()) << index;
        } else {
            EXPECT_EQ(BuiltInLex(index), "?") << index;
        }
    }
    // The disclaimer lives only in the language module.
    EXPECT_EQ(BuiltInLex(640), "?");
    for (int index : {-1, LexSlotCount, INT_MIN, INT_MAX}) EXPECT_EQ(BuiltInLex(index), "?");
}

TEST(LexiconFilePath, ReplacesTheProgramsExtensionOrAppends) {
    EXPECT_EQ(LexiconFilePath("/usr/bin/quova", "de"), "/usr/bin/quova.de.lex");
    EXPECT_EQ(LexiconFilePath("/opt/q/quova.exe", "de"), "/opt/q/quova.de.lex");
    EXPECT_EQ(LexiconFilePath("/opt/q/quova.bin.x", "po"), "/opt/q/quova.bin.po.lex");
    // A dot in a folder name is not the program's extension.
    EXPECT_EQ(LexiconFilePath("/opt/v1.2/quova", "en"), "/opt/v1.2/quova.en.lex");
}

TEST(ParseLexIndex, TakesDecimalNumbersAndGivesMinusOneForAnythingElse) {
    EXPECT_EQ(ParseLexIndex("360"), 360);
    EXPECT_EQ(ParseLexIndex("0"), 0);
    EXPECT_EQ(ParseLexIndex("+12"), 12);
    EXPECT_EQ(ParseLexIndex(" 360 "), 360);
    EXPECT_EQ(ParseLexIndex("-7"), -7);
    for (const char* bad : {"", " ", "abc", "12a", "0x10", "1 2", "+", "-", "+-5", "3.5",
                            "99999999999", "-99999999999"})
        EXPECT_EQ(ParseLexIndex(bad), -1) << bad;
}

// Lexicon files are looked for beside a program in a fresh folder, and the
// loaded table starts empty for every case, as at process start.
class LexiconFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearLoadedLexicon();
        SetLexiconProgramPath(dir_ / "quova");
    }
    void TearDown() override {
        ClearLoadedLexicon();
        SetLexiconProgramPath({});
    }
    void Write(const std::string& code, const std::string& bytes) {
        testing::WriteFile(dir_ / ("quova." + code + ".lex"), bytes);
    }

    testing::TempDir dir_;
};

TEST_F(LexiconFiles, WithoutFilesTheBuiltInTextsShow) {
    LoadLexiconFile("en");
    LoadLexiconFile("de");
    EXPECT_EQ(Lex(360), "remain: ");
    EXPECT_EQ(Lex(5), "?");
    EXPECT_EQ(Lex(-1), "?");
    EXPECT_EQ(Lex(LexSlotCount), "?");
}

TEST_F(LexiconFiles, UserFileWinsOverEnglishFileWhichWinsOverBuiltIn) {
    Write("en", "\"360\",\"rest: \"\n\"1310\",\"subs on\"\n\"1320\",\"subs off\"\n");
    Write("de", "\"1310\",\"Untertitel an\"\n\"360\",\"\"\n");
    LoadLexiconFile("en");
    EXPECT_EQ(Lex(360), "rest: ");
    LoadLexiconFile("de");
    EXPECT_EQ(Lex(1310), "Untertitel an");
    EXPECT_EQ(Lex(1320), "subs off");
    // An empty text empties the slot, so the built-in text shows, never "".
    EXPECT_EQ(Lex(360), "remain: ");
    // A code without a file changes nothing.
    LoadLexiconFile("fr");
    EXPECT_EQ(Lex(1310), "Untertitel an");
}

TEST_F(LexiconFiles, WithinOneFileTheLaterLineWins) {
    Write("en", "\"720\",\"first\"\r\n\"720\",\"second\"\r\n");
    LoadLexiconFile("en");
    EXPECT_EQ(Lex(720), "second");
}

TEST_F(LexiconFiles, LinesWithoutAUsableIndexAreSkippedAndTheRestRead) {
    Write("en",
          "; comment line\n"
          "\n"
          "\"4096\",\"x\"\n"
          "\"-1\",\"x\"\n"
          "\"abc\",\"x\"\n"
          "\"\",\"x\"\n"
          "360,\"unquoted index\"\n"
          "\"99999999999\",\"x\"\n"
          "\"4095\",\"last slot\"\n"
          "\"0\",\"first slot\"\n"
          "\"5\"\n"
          "\"720\" , \"blanks around\"\n"
          "\"730\",\" inner blanks \"\n"
          "\"740\",\"second\",\"third\"\n"
          "\"750\",\"\"\"%s\"\" filter missing\"\n");
    LoadLexiconFile("en");
    EXPECT_EQ(Lex(4095), "last slot");
    EXPECT_EQ(Lex(0), "first slot");
    EXPECT_EQ(Lex(5), "?");  // a line without a text stores nothing to show
    EXPECT_EQ(Lex(720), "blanks around");
    EXPECT_EQ(Lex(730), " inner blanks ");
    EXPECT_EQ(Lex(740), "second");
    EXPECT_EQ(Lex(750), "\"%s\" filter missing");
    // "360,..." has its index outside quotes: the text lands in the index field.
    EXPECT_EQ(Lex(360), "remain: ");
    for (int index = 1; index < LexSlotCount; ++index) {
        if (index == 720 || index == 730 || index == 740 || index == 750 || index == 4095) continue;
        EXPECT_EQ(Lex(index), BuiltInLex(index)) << index;
    }
}

TEST_F(LexiconFiles, OnlyCrLfAndLfEndALineALoneCrIsText) {
    Write("en",
          "\"1040\",\"a\rb\"\r\n"
          "\"1050\",\"x\"\r\"1060\",\"y\"\n"
          "\"1070\",\"z\"");
    LoadLexiconFile("en");
    EXPECT_EQ(Lex(1040), "a\rb");
    // One line: after the closing quote of "x", the CR is text and the next
    // quote pairs with that closing quote as a literal one.
    EXPECT_EQ(Lex(1050), "x\r\"1060");
    EXPECT_EQ(Lex(1060), BuiltInLex(1060));
    EXPECT_EQ(Lex(1070), "z");
}

TEST_F(LexiconFiles, TextsAreHeldAsUtf8FromEitherEncoding) {
    // Windows-1252: e-acute, the euro sign and a right single quote.
    Write("fr", "\"1310\",\"sous-titres activ\xE9s\"\r\n\"1320\",\"5 \x80 l\x92\"\r\n");
    Write("de", "\xEF\xBB\xBF\"1310\",\"Untertitel \xC3\xBC\"\n");
    LoadLexiconFile("fr");
    EXPECT_EQ(Lex(1310), "sous-titres activ\xC3\xA9s");
    EXPECT_EQ(Lex(1320), "5 \xE2\x82\xAC l\xE2\x80\x99");
    LoadLexiconFile("de");
    EXPECT_EQ(Lex(1310), "Untertitel \xC3\xBC");
}

TEST_F(LexiconFiles, DamagedFileNeverStopsTheProgram) {
    std::string junk = "\"1310\",\"good\"\n";
    for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 7919) % 256);
    junk += "\n\"1320\",\"also good\"\n\"1330\",\"unterminated";
    Write("en", junk);
    LoadLexiconFile("en");
    EXPECT_EQ(Lex(1310), "good");
    EXPECT_EQ(Lex(1320), "also good");
    EXPECT_EQ(Lex(1330), "unterminated");
    // A folder where the file should be is no file.
    std::filesystem::create_directory(dir_ / "quova.de.lex");
    LoadLexiconFile("de");
    EXPECT_EQ(Lex(1310), "good");
    // Nor is a file over 16 MiB read at all, while one of 16 MiB is.
    const std::string line = "\"1310\",\"large\"\n";
    Write("fr", line + std::string(16 * 1024 * 1024 - line.size(), ' '));
    LoadLexiconFile("fr");
    EXPECT_EQ(Lex(1310), "large");
    Write("fr", "\"1310\",\"too large\"\n" + std::string(16 * 1024 * 1024, ' '));
    LoadLexiconFile("fr");
    EXPECT_EQ(Lex(1310), "large");
}

TEST(LexiconBesideProgram, IsReadFromTheRunningProgramsFolder) {
    ClearLoadedLexicon();
    SetLexiconProgramPath({});
    if (const char* expected = std::getenv("QUOVA_TEST_EXPECTED_1810")) {
        // The copy of this program started below.
        LoadLexiconFile("zz");
        EXPECT_EQ(Lex(1810), expected);
        return;
    }
    // A copy of this program in a folder of its own, with a lexicon beside it.
    testing::TempDir dir;
    const auto program = dir / "copy";
    std::filesystem::copy_file("/proc/self/exe", program);
    testing::WriteFile(LexiconFilePath(program, "zz"), "\"1810\",\"Verstecken\"\n");
    const std::string run = "QUOVA_TEST_EXPECTED_1810=Verstecken " + program.string() +
                            " --gtest_filter=LexiconBesideProgram.* >/dev/null";
    EXPECT_EQ(std::system(run.c_str()), 0);
    // None beside this one.
    LoadLexiconFile("zz");
    EXPECT_EQ(Lex(1810), "Hide");
}

}  // namespace
}  // namespace quova

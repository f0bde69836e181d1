#include "text/subtitle_loading.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include "tests/text/timetable_entries.h"

#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/encoding/text_encoding.h"
#include "playback/player_session.h"
#include "tests/support/fake_ui.h"
#include "tests/support/temp_dir.h"
#include "text/subtitle_lines.h"

namespace quova {
namespace {

using testing::Entries;
using testing::SlotsOf;

// Loads a file as the window does, recording what reaches the window.
struct Loaded {
    SubtitleTimetable table;
    int count = -1;
    std::vector<bool> adjust;
    std::vector<std::string> osd;
};

Loaded LoadFile(PlayerSession& session, const std::filesystem::path& file,
                double duration = 100.0) {
    Loaded l;
    ResetSubtitles(l.table, duration);
    l.table.SubtitleOffset = 6;
    l.table.SubtitleSpeed = 1.2;
    l.table.SubtitleFileName = file;
    testing::FakeUi ui{session};
    l.count = LoadSubtitleFile(session, l.table, 25.0);
    l.adjust = ui.adjustEnabled;
    l.osd = ui.osdShown;
    return l;
}

Loaded Load(PlayerSession& session, const std::string& name, const std::string& bytes,
            double duration = 100.0) {
    testing::TempDir dir;
    testing::WriteFile(dir / name, bytes);
    return LoadFile(session, dir / name, duration);
}

TEST(LoadSubtitleFile, ReportsTheCountAndResetsTheTiming) {
    PlayerSession session;
    const Loaded l = Load(session, "film.sub", "{250}{300}Hello|World\n{400}{450}Next\n");
    EXPECT_EQ(l.count, 4);
    EXPECT_EQ(l.adjust, std::vector<bool>{true});
    EXPECT_EQ(l.osd, std::vector<std::string>{"Subtitles: 4"});
    EXPECT_EQ(l.table.SubtitleOffset, 0);
    EXPECT_EQ(l.table.SubtitleSpeed, 1.0);
    // Entries added afterwards (chapter titles) still find room.
    EXPECT_EQ(l.table.SubtitleTexts.size(), l.table.SubtitleSlots.size());
}

TEST(LoadSubtitleFile, NothingToLoadStillReportsZero) {
    PlayerSession session;
    testing::TempDir dir;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"none.sub", "plain text without any signature\n"},
        {"film.txt", "{250}{300}right grammar, wrong extension\n"},
        {"empty.srt", ""},
        // Recognised, but the header line must be exact.
        {"lower.sub", "[subtitle]\n00:00:01.00,00:00:02.00\nx\n"},
    };
    for (const auto& [name, bytes] : cases) {
        testing::WriteFile(dir / name, bytes);
        const Loaded l = LoadFile(session, dir / name);
        EXPECT_EQ(l.count, 0) << name;
        EXPECT_EQ(l.adjust, std::vector<bool>{false}) << name;
        EXPECT_EQ(l.osd, std::vector<std::string>{"Subtitles: 0"}) << name;
    }
    const Loaded missing = LoadFile(session, dir / "missing.srt");
    EXPECT_EQ(missing.osd, std::vector<std::string>{"Subtitles: 0"});
    EXPECT_EQ(missing.table.SubtitleOffset, 0);
}

TEST(LoadSubtitleFile, KindsAreTriedInOrderForTheirExtension) {
    PlayerSession session;
    // A SubViewer 2 file with "}{" in a text is taken for MicroDVD, which is
    // tried first: the text line then reads as a frame-0 line without text.
    EXPECT_EQ(
        SlotsOf(Load(session, "viewer.sub", "[SUBTITLE]\n00:00:01.00,00:00:02.00\nodd }{ text\n")
                    .table),
        (Entries{{4, ""}}));
    EXPECT_EQ(
        SlotsOf(Load(session, "viewer.sub", "[SUBTITLE]\n00:00:01.00,00:00:02.00\ntext\n").table),
        (Entries{{2, "text"}, {8, ""}}));
    EXPECT_EQ(SlotsOf(Load(session, "bracket.srt", "[BEGIN]\n[00:00:01]\nHello\n[END]\n").table),
              (Entries{{2, "Hello"}, {32, ""}}));
    EXPECT_EQ(SlotsOf(Load(session, "upper.SRT", "1\n00:00:01,000 --> 00:00:02,000\nx\n").table),
              (Entries{{2, "x"}, {8, ""}}));
    EXPECT_EQ(SlotsOf(Load(session, "film.ssa",
                           "[Events]\nDialogue: 0,0:00:01.00,0:00:02.00,D,,0,0,0,,x\n")
                          .table),
              (Entries{{2, "x"}, {4, ""}}));
    // The signature must lie within the first 4095 bytes.
    const std::string late = std::string(4095, '\n') + "1\n00:00:01,000 --> 00:00:02,000\nx\n";
    EXPECT_EQ(Load(session, "late.srt", late).count, 0);
}

TEST(LoadSubtitleFile, ReadsWindows1252ByteOrderMarksAndAllLineEndings) {
    PlayerSession session;
    EXPECT_EQ(SlotsOf(Load(session, "ansi.srt",
                           "1\r\n00:00:01,000 --> 00:00:02,000\r\ncaf\xE9 \x80\r\n\r\n")
                          .table),
              (Entries{{2, "caf\xC3\xA9 \xE2\x82\xAC"}, {8, ""}}));
    // A byte-order mark before the first counter; lone CRs end the lines.
    EXPECT_EQ(SlotsOf(Load(session, "bom.srt",
                           "\xEF\xBB\xBF"
                           "1\r00:00:01,000 --> 00:00:02,000\rna\xC3\xAFve\rtwo\r\r"
                           "2\n00:00:05,000 --> 00:00:06,000\nlast")
                          .table),
              (Entries{{2, "na\xC3\xAFve|two"}, {8, ""}, {10, "last"}, {16, ""}}));
}

// pysrt's BOM test files (tests/static/bom-*.srt): the same seven cues in
// UTF-8, UTF-16 and UTF-32, each behind its byte-order mark.
constexpr std::string_view kSevenCues =
    "1\n00:00:06,500 --> 00:00:09,000\nAbout 2 months ago I found myself on\n"
    "the comment section of YouTube\n\n"
    "2\n00:00:11,000 --> 00:00:17,000\nAnd I was commenting,\n"
    "unfortunately I was commenting,\non a video about the famous Ayn Rand\n\n"
    "3\n00:00:19,000 --> 00:00:24,000\nAnd I\nposted underneath against\n"
    "this woman's tirades,\nagainst what is essentially\nthe human race.\n\n"
    "4\n00:00:25,000 --> 00:00:31,000\nthat, this monetary system seems to have no point, "
    "seems to actually hinder people\n\n"
    "5\n00:00:31,000 --> 00:00:36,000\nand hinder progress, and one of the responses I got, "
    "I didn't answer it, was:\n\n"
    "6\n00:00:37,000 --> 00:00:43,000\nwhat actually money creates is an incentive to invent "
    "the new items, that's the driving force behind it\n\n"
    "7\n00:00:43,000 --> 00:00:50,000\nSo what I thought I do is instead if answering on a "
    "YouTube comment is organize a global awareness day\n\n";

// ASCII text as UTF-16 or UTF-32 behind the byte-order mark U+FEFF.
std::string WideAscii(std::string_view text, size_t width, bool bigEndian) {
    std::string bytes;
    auto put = [&](uint32_t unit) {
        for (size_t k = 0; k < width; ++k)
            bytes += static_cast<char>((unit >> (8 * (bigEndian ? width - 1 - k : k))) & 0xFF);
    };
    put(0xFEFF);
    for (char c : text) put(static_cast<unsigned char>(c));
    return bytes;
}

size_t CueCount(const SubtitleTimetable& table) {
    size_t cues = 0;
    for (const auto& [slot, text] : SlotsOf(table))
        if (!text.empty()) ++cues;
    return cues;
}

TEST(LoadSubtitleFile, ReadsUtf16AndUtf32ByteOrderMarks) {
    PlayerSession session;
    const Loaded utf8 = Load(session, "bom-utf-8.srt", "\xEF\xBB\xBF" + std::string(kSevenCues));
    ASSERT_EQ(CueCount(utf8.table), 7u);
    EXPECT_EQ(SlotsOf(utf8.table).front(),
              std::make_pair(13, std::string("About 2 months ago I found myself "
                                             "on|the comment section of YouTube")));
    const struct {
        const char* name;
        size_t width;
        bool bigEndian;
    } files[] = {{"bom-utf-16-le.srt", 2, false},
                 {"bom-utf-16-be.srt", 2, true},
                 {"bom-utf-32-le.srt", 4, false},
                 {"bom-utf-32-be.srt", 4, true}};
    for (const auto& f : files) {
        const Loaded wide = Load(session, f.name, WideAscii(kSevenCues, f.width, f.bigEndian));
        EXPECT_EQ(SlotsOf(wide.table), SlotsOf(utf8.table)) << f.name;
        EXPECT_EQ(wide.osd, utf8.osd) << f.name;
    }
    // Cut in the middle of a code unit, the file still gives what it holds.
    const std::string cut = WideAscii(kSevenCues, 2, false) + '\0';
    EXPECT_EQ(CueCount(Load(session, "cut.srt", cut).table), 7u);
    // A MicroDVD file in UTF-16 is recognised by its signature too.
    EXPECT_EQ(SlotsOf(Load(session, "film.sub", WideAscii("{250}{300}Hello\n", 2, true)).table),
              (Entries{{20, "Hello"}, {28, ""}}));
}

TEST(SubtitleLineReader, DecidesTheEncodingForTheWholeFile) {
    // One byte that is not UTF-8 makes the whole file Windows-1252.
    SubtitleLineReader lines("caf\xC3\xA9\r\n  \t x \n\n\xE9");
    std::string line;
    std::vector<std::string> seen;
    while (lines.Next(line)) seen.push_back(line);
    EXPECT_EQ(seen, (std::vector<std::string>{"caf\xC3\x83\xC2\xA9", "x", "", "\xC3\xA9"}));
}

bool Consistent(const SubtitleTimetable& table) {
    for (int32_t entry : table.SubtitleSlots)
        if (entry < -1 || entry >= static_cast<int32_t>(table.SubtitleTexts.size()) ||
            entry >= table.SubtitleCount)
            return false;
    return true;
}

TEST(HostileSubtitleFiles, HugeLinesAreCut) {
    PlayerSession session;
    const std::string text(1 << 20, 'a');
    const Loaded l = Load(session, "long.sub", "{25}{50}" + text + "\n{75}{100}b\n");
    ASSERT_EQ(SlotsOf(l.table).size(), 3u);
    EXPECT_EQ(l.table.SubtitleTexts[0], std::string(kMaxSubtitleLineBytes - 8, 'a'));
    EXPECT_EQ(l.table.SubtitleTexts[l.table.SubtitleSlots[6]], "b");

    // A cut never splits a UTF-8 sequence.
    std::string accents;
    for (int i = 0; i < 40000; ++i) accents += "\xC3\xA9";
    const Loaded u = Load(session, "accents.sub", "{25}{50}x" + accents + "\n");
    EXPECT_TRUE(IsValidUtf8(u.table.SubtitleTexts[0]));
    EXPECT_LE(u.table.SubtitleTexts[0].size(), kMaxSubtitleLineBytes);

    // Tens of thousands of fields on one event line.
    const Loaded ssa = Load(session, "commas.ssa",
                            "[Events]\nDialogue: 0,0:00:01.00,0:00:02.00,D,,0,0,0,,a" +
                                std::string(1 << 20, ',') + "b\n");
    EXPECT_EQ(ssa.table.SubtitleTexts[0], "a" + std::string(98, ','));
}

TEST(HostileSubtitleFiles, OversizedFilesPipesAndFoldersLoadNothing) {
    PlayerSession session;
    testing::TempDir dir;
    // A 2 GiB file that takes no disk space: only its first bytes are written.
    testing::WriteFile(dir / "huge.sub", "{25}{50}x\n");
    std::filesystem::resize_file(dir / "huge.sub", std::uintmax_t{2} << 30);
    EXPECT_EQ(LoadFile(session, dir / "huge.sub").count, 0);
    // Just under the limit still loads.
    testing::WriteFile(dir / "big.sub", "{25}{50}x\n");
    std::filesystem::resize_file(dir / "big.sub", kMaxSubtitleFileBytes);
    EXPECT_EQ(LoadFile(session, dir / "big.sub").count, 2);

    ASSERT_EQ(mkfifo((dir / "pipe.sub").c_str(), 0600), 0);
    EXPECT_EQ(LoadFile(session, dir / "pipe.sub").osd, std::vector<std::string>{"Subtitles: 0"});
    std::filesystem::create_directory(dir / "folder.srt");
    EXPECT_EQ(LoadFile(session, dir / "folder.srt").count, 0);
}

TEST(HostileSubtitleFiles, BinaryDataNeverBreaksTheTable) {
    PlayerSession session;
    std::mt19937 random(20261208);
    for (const char* name : {"noise.sub", "noise.srt", "noise.ssa"}) {
        std::string bytes = "}{-->[SUBTITLE]\n[BEGIN]\n[EVENTS]\n";
        for (int i = 0; i < (1 << 18); ++i) {
            // Mostly the characters the grammars look for, to get past their checks.
            static const char kAlphabet[] = "{}[]:,.0123456789\n\r -><|DIALOGUE: \x00\xFF\xC3";
            bytes += (random() % 4 == 0) ? static_cast<char>(random())
                                         : kAlphabet[random() % (sizeof(kAlphabet) - 1)];
        }
        const Loaded l = Load(session, name, bytes, 600.0);
        EXPECT_TRUE(Consistent(l.table)) << name;
        EXPECT_EQ(l.osd.size(), 1u);
    }
}

TEST(HostileSubtitleFiles, ManyEntriesBeyondTheRoomAreCountedNotStored) {
    PlayerSession session;
    std::string bytes;
    // Every line ends well inside the table, so every line is read.
    for (int i = 0; i < 5000; ++i) bytes += "{10}{20}x\n";
    const Loaded l = Load(session, "many.sub", bytes, 10.0);  // 31 slots
    EXPECT_EQ(l.count, 5001);                                 // and the final end mark
    EXPECT_EQ(l.table.SubtitleTexts.size(), 31u);
    EXPECT_TRUE(Consistent(l.table));
}

}  // namespace
}  // namespace quova

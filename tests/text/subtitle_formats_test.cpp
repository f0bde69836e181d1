#include "text/subtitle_formats.h"

#include <gtest/gtest.h>

#include "tests/text/timetable_entries.h"

#include <string>
#include <utility>
#include <vector>

namespace quova {
namespace {

using testing::Entries;
using testing::SlotsOf;

SubtitleTimetable Parse(int kind, const std::string& text, double duration = 100.0,
                        double frameRate = 25.0) {
    SubtitleTimetable table;
    ResetSubtitles(table, duration);
    ParseSubtitles(kind, text, table, frameRate);
    return table;
}

TEST(ParseClockTime, ReadsClockAndFraction) {
    EXPECT_DOUBLE_EQ(ParseClockTime("00:00:01,500"), 1.5);
    EXPECT_DOUBLE_EQ(ParseClockTime("1:02:03"), 3723.0);
    EXPECT_DOUBLE_EQ(ParseClockTime("0:01"), 60.0);
    EXPECT_DOUBLE_EQ(ParseClockTime(" 00:00:02.250 "), 2.25);
    // Two digits are hundredths (SubViewer, SSA), one digit tenths.
    EXPECT_DOUBLE_EQ(ParseClockTime("0:00:01.50"), 1.5);
    EXPECT_DOUBLE_EQ(ParseClockTime("0:00:01.5"), 1.5);
    // Only three fraction digits count.
    EXPECT_DOUBLE_EQ(ParseClockTime("00:00:01,5009"), 1.5);
    // Films may run past a day's hours.
    EXPECT_DOUBLE_EQ(ParseClockTime("25:00:00,000"), 90000.0);
}

TEST(ParseClockTime, UnreadablePartsCountAsZero) {
    EXPECT_DOUBLE_EQ(ParseClockTime("00:00:01,5x"), 1.0);
    EXPECT_DOUBLE_EQ(ParseClockTime("garbage,250"), 0.25);
    EXPECT_DOUBLE_EQ(ParseClockTime("00:61:00"), 0.0);
    EXPECT_DOUBLE_EQ(ParseClockTime("00:00:01:00"), 0.0);
    EXPECT_DOUBLE_EQ(ParseClockTime("12"), 0.0);
    EXPECT_DOUBLE_EQ(ParseClockTime(""), 0.0);
    EXPECT_DOUBLE_EQ(ParseClockTime("999999999:00:00"), 0.0);
}

TEST(SubtitleSignature, FoldsCaseAndDashBlankAndLooksOnlyAtTheHead) {
    EXPECT_TRUE(SubtitleSignatureFound("{1}{2}x", kMicroDvd));
    EXPECT_TRUE(SubtitleSignatureFound("1\n00:00:01,500 - -> 00:00:03,000", kSubRip));
    EXPECT_TRUE(SubtitleSignatureFound("[subtitle]", kSubViewer2));
    EXPECT_TRUE(SubtitleSignatureFound("[Begin]", kBracketedTime));
    EXPECT_TRUE(SubtitleSignatureFound("[Events]", kSubStationAlpha));
    EXPECT_FALSE(SubtitleSignatureFound("[SUBTITLE]", kMicroDvd));
    EXPECT_FALSE(SubtitleSignatureFound("}{", 7));
    const std::string padding(4093, ' ');
    EXPECT_TRUE(SubtitleSignatureFound(padding + "}{", kMicroDvd));
    EXPECT_FALSE(SubtitleSignatureFound(padding + " }{", kMicroDvd));
}

TEST(MicroDvd, FramesBecomeSlotsAndEndsGetTwoSecondsMore) {
    const auto table = Parse(kMicroDvd, "{250}{300}Hello|World\n{400}{450}Next\n");
    EXPECT_EQ(SlotsOf(table), (Entries{{20, "Hello|World"}, {28, ""}, {32, "Next"}, {40, ""}}));
    EXPECT_EQ(table.SubtitleCount, 4);
}

TEST(MicroDvd, OverlapsEmptyEndsAndStyleCodes) {
    // An empty end group reads as frame 0: the end mark lands at slot 4.
    EXPECT_EQ(SlotsOf(Parse(kMicroDvd, "{250}{}text")), (Entries{{4, ""}, {20, "text"}}));
    // No end group: the subtitle stays until the next one.
    EXPECT_EQ(SlotsOf(Parse(kMicroDvd, "{250}first\n{500}{525}second")),
              (Entries{{20, "first"}, {40, "second"}, {46, ""}}));
    // A subtitle that overlaps the next gets no end mark of its own.
    EXPECT_EQ(SlotsOf(Parse(kMicroDvd, "{25}{500}a\n{50}{75}b")),
              (Entries{{2, "a"}, {4, "b"}, {10, ""}}));
    EXPECT_EQ(SlotsOf(Parse(kMicroDvd, "{10}{20}{y:i}Italic {c:$0000FF}red")),
              (Entries{{1, "Italic red"}, {6, ""}}));
}

TEST(MicroDvd, SkipsLinesThatDoNotFit) {
    const auto table = Parse(kMicroDvd,
                             "no braces\n"
                             "{-25}{0}before the film\n"
                             "{abc}{}frame zero\n"
                             "{99999999999}{}too big a number is zero\n"
                             "{75}{100}{y:b}\n");
    // Unreadable numbers read as frame 0, so the later line takes slot 0 over;
    // the style-only line has no text, but its start still places the earlier
    // end mark and its own end still counts.
    EXPECT_EQ(SlotsOf(table), (Entries{{0, "too big a number is zero"}, {4, ""}, {12, ""}}));
    EXPECT_EQ(table.SubtitleCount, 4);
}

TEST(MicroDvd, FrameRateComesFromTheMedium) {
    EXPECT_EQ(SlotsOf(Parse(kMicroDvd, "{24}{48}x", 100, 23.976)), (Entries{{2, "x"}, {8, ""}}));
    EXPECT_EQ(SlotsOf(Parse(kMicroDvd, "{250}{300}x", 100, 0.0)), (Entries{{20, "x"}, {28, ""}}));
}

TEST(MicroDvd, AFirstEntryAtFrameOneGivesTheFilesOwnFrameRate) {
    // Frame 240 at 23.976 frames a second is 10.0 s, not the 9.5 s of a 25 fps
    // medium; the rate itself is never shown.
    const std::string file = "{1}{1}23.976\n{240}{300}Hello\n";
    EXPECT_EQ(SlotsOf(Parse(kMicroDvd, file, 100, 25.0)), (Entries{{20, "Hello"}, {29, ""}}));
    EXPECT_EQ(SlotsOf(Parse(kMicroDvd, file, 100, 0.0)), (Entries{{20, "Hello"}, {29, ""}}));
    EXPECT_EQ(SlotsOf(Parse(kMicroDvd, "{1}{1}25\r\n{250}{300}x", 100, 23.976)),
              (Entries{{20, "x"}, {28, ""}}));
    EXPECT_EQ(SlotsOf(Parse(kMicroDvd, "{240}{300}Hello\n", 100, 25.0)),
              (Entries{{19, "Hello"}, {28, ""}}));
}

TEST(MicroDvd, NumbersElsewhereAreSubtitles) {
    // Not at frame 1, not only a number, or no rate a film has: an ordinary
    // subtitle, and the medium's rate times the file.
    EXPECT_EQ(SlotsOf(Parse(kMicroDvd, "{25}{50}23.976\n{250}{300}x")),
              (Entries{{2, "23.976"}, {8, ""}, {20, "x"}, {28, ""}}));
    EXPECT_EQ(SlotsOf(Parse(kMicroDvd, "{1}{50}23.976 fps\n{250}{300}x")),
              (Entries{{0, "23.976 fps"}, {8, ""}, {20, "x"}, {28, ""}}));
    EXPECT_EQ(SlotsOf(Parse(kMicroDvd, "{1}{50}1984\n{250}{300}x")),
              (Entries{{0, "1984"}, {8, ""}, {20, "x"}, {28, ""}}));
    EXPECT_EQ(SlotsOf(Parse(kMicroDvd, "{1}{50}0\n{250}{300}x")),
              (Entries{{0, "0"}, {8, ""}, {20, "x"}, {28, ""}}));
}

TEST(MicroDvd, ReadingStopsOnceAnEndLiesBeyondTheTable) {
    // 10 seconds: 31 slots. The second subtitle ends beyond, so the third is never read.
    const auto table = Parse(kMicroDvd, "{25}{50}a\n{100}{900}b\n{200}{300}c\n", 10.0);
    EXPECT_EQ(SlotsOf(table), (Entries{{2, "a"}, {8, "b"}}));
    EXPECT_EQ(table.SubtitleCount, 3);  // a, b and b's end mark beyond the table
}

TEST(MicroDvd, BillionFrameStartIsNotPlacedAndEndsTheReading) {
    const auto table = Parse(kMicroDvd, "{1000000000}{1000000100}far\n{10}{20}near\n");
    EXPECT_EQ(SlotsOf(table), Entries{});
    EXPECT_EQ(table.SubtitleCount, 2);
    EXPECT_EQ(table.SubtitleTexts[0], "far");
}

TEST(SubRip, FollowsTheCounterForwardAndIgnoresStrayNumbers) {
    const auto table = Parse(kSubRip,
                             "1\n00:00:01,000 --> 00:00:02,000\none\n\n"
                             "2\n00:00:03,000 --> 00:00:04,000\ntwo\n\n"
                             "5\n00:00:10,000 --> 00:00:11,000\nfive\n\n"
                             "3\n00:00:20,000 --> 00:00:21,000\nstray\n");
    EXPECT_EQ(SlotsOf(table), (Entries{{2, "one"}, {6, "two"}, {12, ""}, {20, "five"}, {26, ""}}));
}

TEST(SubRip, TimingLineFoldingAndRounding) {
    // "- ->" is read as "-->"; 1.25 s rounds to the even slot 2, 1.75 s to 4.
    EXPECT_EQ(SlotsOf(Parse(kSubRip, "1\n00:00:01,500 - -> 00:00:03,000\nx\n")),
              (Entries{{3, "x"}, {10, ""}}));
    EXPECT_EQ(SlotsOf(Parse(kSubRip, "1\n00:00:01,250 --> 00:00:01,750\nx\n")),
              (Entries{{2, "x"}, {8, ""}}));
    // Coordinates after the end time are not part of it.
    EXPECT_EQ(SlotsOf(Parse(kSubRip, "1\n00:00:01,000 --> 00:00:02,000 X1:100 X2:200\nx\n")),
              (Entries{{2, "x"}, {8, ""}}));
}

TEST(SubRip, SubtitlesBeyondTheMediumAreCountedButNotPlaced) {
    // 100 seconds: 301 slots; 160 seconds is slot 320.
    const auto table = Parse(kSubRip,
                             "1\n00:00:01,000 --> 00:00:02,000\nin\n\n"
                             "2\n00:02:40,000 --> 00:02:41,000\nlate\n\n"
                             "3\n00:00:05,000 --> 00:00:06,000\nnever read\n");
    EXPECT_EQ(SlotsOf(table), (Entries{{2, "in"}, {8, ""}}));
    EXPECT_EQ(table.SubtitleCount, 4);  // in, its end, late, late's end
}

TEST(SubRip, TextLinesMarkupAndEmptyBlocks) {
    const auto table = Parse(kSubRip,
                             "1\n00:00:01,000 --> 00:00:02,000\n<i>word</i>\n{\\an8}second line\n\n"
                             "2\n00:00:05,000 --> 00:00:06,000\n\n"
                             "3\n00:00:07,000 --> 00:00:08,000\n<b></b>\n\n"
                             "4\n00:00:09,000 --> 00:00:10,000\nlast\n");
    // Blocks without text make no entry but still set the pending end.
    EXPECT_EQ(SlotsOf(table), (Entries{{2, "word|second line"}, {8, ""}, {18, "last"}, {24, ""}}));
}

TEST(SubRip, LinesThatAreNotTimingsRestartTheBlock) {
    const auto table = Parse(kSubRip,
                             "1\nnot a timing\n"
                             "1\n00:00:01,000 --> 00:00:02,000\nok\n");
    EXPECT_EQ(SlotsOf(table), (Entries{{2, "ok"}, {8, ""}}));
}

TEST(SubViewer2, SectionTimingAndLineBreaks) {
    const auto table = Parse(kSubViewer2,
                             "[INFORMATION]\n00:00:00.00,00:00:09.00\nbefore the section\n"
                             "[END INFORMATION]\n[SUBTITLE]\n"
                             "[COLF]&HFFFFFF,[STYLE]bd,[SIZE]18,[FONT]Arial\n"
                             "00:00:01.50,00:00:03.00\none[br]two[BR]three\n\n"
                             "no comma here\n"
                             "00:00:04.00,00:00:05.00\nnext\nmore\n\n"
                             "00:00:20.00,00:00:21.00\n\n");
    EXPECT_EQ(SlotsOf(table),
              (Entries{{3, "one|two|three"}, {8, "next|more"}, {14, ""}, {46, ""}}));
}

TEST(SubViewer2, HeaderMustBeExact) {
    EXPECT_EQ(Parse(kSubViewer2, "[subtitle]\n00:00:01.00,00:00:02.00\nx\n").SubtitleCount, 0);
    EXPECT_EQ(Parse(kSubViewer2, "00:00:01.00,00:00:02.00\nx\n").SubtitleCount, 0);
}

TEST(BracketedTime, FifteenSecondSubtitlesAndClearingLines) {
    const auto table = Parse(kBracketedTime,
                             "[00:00:00]\nbefore the header\n"
                             "[BEGIN]\n[00:00:01]\nHello\n"
                             "[00:00:05]\nx\n"
                             "not a time\n"
                             "[00:00:30]\nlater\n"
                             "[END]\n");
    // One character is no text: that entry clears the display.
    EXPECT_EQ(SlotsOf(table), (Entries{{2, "Hello"}, {10, ""}, {40, ""}, {60, "later"}, {90, ""}}));
}

TEST(BracketedTime, UnreadableTimeSkipsItsTextWithoutDisturbingOthers) {
    const auto table =
        Parse(kBracketedTime, "[BEGIN]\n[00:00:14]\nstays\n[1x:00:00]\nlost\n[00:00:20]\nfound\n");
    EXPECT_EQ(SlotsOf(table), (Entries{{28, "stays"}, {40, "found"}, {70, ""}}));
}

TEST(BracketedTime, HeaderMustBeExact) {
    EXPECT_EQ(Parse(kBracketedTime, "[begin]\n[00:00:01]\nHello\n").SubtitleCount, 0);
}

TEST(SubStationAlpha, EventsInOneHalfSecondShareAnEntry) {
    const auto table =
        Parse(kSubStationAlpha,
              "[Script Info]\nDialogue: Marked=0,0:00:00.00,0:00:09.00,D,,0,0,0,,before events\n"
              "[Events]\n"
              "Format: Marked, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n"
              "Dialogue: Marked=0,0:00:01.50,0:00:04.00,Default,NTP,0000,0000,0000,!Effect,"
              "{\\i1}Hello\\Nworld, again\n"
              "Dialogue: Marked=0,0:00:01.60,0:00:03.00,Default,NTP,0000,0000,0000,!Effect,Second\n"
              "Comment: Marked=0,0:00:05.00,0:00:06.00,Default,NTP,0000,0000,0000,!Effect,hidden\n"
              "Dialogue: too,few,fields\n"
              "dialogue: Marked=0,0:00:10.00,0:00:12.00,D,,0,0,0,,lower\\nbreak\n");
    EXPECT_EQ(
        SlotsOf(table),
        (Entries{
            {3, "Hello|world, again|Second"}, {6, ""}, {8, ""}, {20, "lower|break"}, {24, ""}}));
}

TEST(SubStationAlpha, EventStartingAtAnEndMarkTakesItsPlace) {
    // The second event starts as the first ends: it replaces the end mark
    // rather than following an empty line. An empty event at an end mark
    // leaves it blank.
    const auto table = Parse(kSubStationAlpha,
                             "[Events]\n"
                             "Dialogue: 0,0:00:01.00,0:00:02.00,D,,0,0,0,,one\n"
                             "Dialogue: 0,0:00:02.00,0:00:03.00,D,,0,0,0,,two\n"
                             "Dialogue: 0,0:00:03.00,0:00:04.00,D,,0,0,0,,{\\i1}\n");
    EXPECT_EQ(SlotsOf(table), (Entries{{2, "one"}, {4, "two"}, {6, ""}, {8, ""}}));
    EXPECT_EQ(table.SubtitleCount, 4);
}

TEST(SubStationAlpha, EmptyEventJoiningATextStillAddsItsLineBreak) {
    const auto table = Parse(kSubStationAlpha,
                             "[Events]\n"
                             "Dialogue: 0,0:00:01.00,0:00:03.00,D,,0,0,0,,one\n"
                             "Dialogue: 0,0:00:01.10,0:00:03.00,D,,0,0,0,,{\\i1}\n"
                             "Dialogue: 0,0:00:01.20,0:00:03.00,D,,0,0,0,,two\n");
    EXPECT_EQ(SlotsOf(table), (Entries{{2, "one||two"}, {6, ""}}));
    EXPECT_EQ(table.SubtitleCount, 2);
}

TEST(SubStationAlpha, ReadingStopsAtAnEventEndingBeyondTheTable) {
    const auto table = Parse(kSubStationAlpha,
                             "[EVENTS]\n"
                             "Dialogue: 0,0:00:05.00,0:00:20.00,D,,0,0,0,,long\n"
                             "Dialogue: 0,0:00:06.00,0:00:07.00,D,,0,0,0,,never read\n",
                             10.0);
    EXPECT_EQ(SlotsOf(table), (Entries{{10, "long"}}));
    EXPECT_EQ(table.SubtitleCount, 1);
}

}  // namespace
}  // namespace quova

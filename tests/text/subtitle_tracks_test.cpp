#include "text/subtitle_tracks.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <iterator>
#include <optional>
#include <string>
#include <thread>

#include <QCoreApplication>
#include <vector>

#include "platform/engine/filter_graph.h"
#include "platform/engine/stream_discovery.h"
#include "platform/engine/styled_cue_renderer.h"
#include "platform/engine/video_renderer.h"
#include "playback/player_session.h"
#include "tests/app/qt_support.h"
#include "tests/support/fake_ui.h"
#include "tests/support/memory_use.h"
#include "tests/support/player_state.h"
#include "tests/support/subtitle_media.h"
#include "tests/support/temp_dir.h"
#include "text/osd.h"
#include "text/subtitle_commands.h"
#include "text/subtitle_display.h"
#include "text/subtitle_timetable.h"

namespace quova {
namespace {

using engine::S_OK;
using engine::TextTrackInfo;
using engine::TextTrackKind;
using testing::MadeCue;
using testing::MadeSubtitleTrack;

TextTrackInfo Track(int number, std::string language, bool isDefault = false,
                    TextTrackKind kind = TextTrackKind::PlainText) {
    TextTrackInfo t;
    t.number = number;
    t.language = std::move(language);
    t.isDefault = isDefault;
    t.kind = kind;
    return t;
}

TEST(SubtitleTrackChoice, TheUsersLanguageElseTheFirstAndPartialFlagsNarrowTheChoice) {
    const std::vector<TextTrackInfo> tracks = {Track(0, "en"), Track(1, "de"),
                                               Track(2, "fr", false, TextTrackKind::Picture)};
    EXPECT_EQ(DefaultSubtitleTrack(tracks, "de"), 1);
    EXPECT_EQ(DefaultSubtitleTrack(tracks, "it"), 0);
    EXPECT_EQ(DefaultSubtitleTrack(tracks, ""), 0);
    // A picture stream is not shown through the timetable, even in the user's language.
    EXPECT_EQ(DefaultSubtitleTrack(tracks, "fr"), 0);

    // The container selects the second: it wins over the user's language.
    const std::vector<TextTrackInfo> flagged = {Track(0, "en"), Track(1, "de", true)};
    EXPECT_EQ(DefaultSubtitleTrack(flagged, "en"), 1);
    // Every stream flagged: the flag tells nothing.
    const std::vector<TextTrackInfo> allFlagged = {Track(0, "en", true), Track(1, "de", true)};
    EXPECT_EQ(DefaultSubtitleTrack(allFlagged, "de"), 1);
    // A forced stream wins like a default one, also where every stream is
    // flagged default; several forced ones leave the choice to the language.
    TextTrackInfo forced = Track(2, "fr");
    forced.isForced = true;
    EXPECT_EQ(DefaultSubtitleTrack({Track(0, "en"), Track(1, "de"), forced}, "en"), 2);
    EXPECT_EQ(DefaultSubtitleTrack({Track(0, "en"), Track(1, "de", true), forced}, "en"), 2);
    forced.isDefault = true;
    EXPECT_EQ(DefaultSubtitleTrack({Track(0, "en", true), Track(1, "de", true), forced}, "en"), 2);
    forced.isDefault = false;
    TextTrackInfo forcedToo = Track(3, "it");
    forcedToo.isForced = true;
    EXPECT_EQ(DefaultSubtitleTrack({Track(0, "en"), forced, forcedToo}, "it"), 3);
    EXPECT_EQ(DefaultSubtitleTrack({Track(0, "en", false, TextTrackKind::Picture)}, "en"), -1);
    EXPECT_EQ(DefaultSubtitleTrack({}, "en"), -1);
}

TEST(SubtitleTrackChoice, CaptionsComeFromTheTagsOrTheTrackNumber) {
    TextTrackInfo t = Track(2, "de");
    t.title = "Deutsch";
    EXPECT_EQ(SubtitleTrackCaption(t), "Deutsch [de]");
    t.language.clear();
    EXPECT_EQ(SubtitleTrackCaption(t), "Deutsch");
    EXPECT_EQ(SubtitleTrackCaption(Track(2, "de")), "de");
    EXPECT_EQ(SubtitleTrackCaption(Track(2, "")), "Track 3");
}

TEST(SubtitleCueText, MarkupAndSsaEventsBecomeTimetableLines) {
    EXPECT_EQ(CueTextForTable(TextTrackKind::PlainText, "<i>Hello</i>\nworld &amp; &lt;more&gt;"),
              "Hello|world & <more>");
    EXPECT_EQ(CueTextForTable(TextTrackKind::PlainText, "one\r\ntwo"), "one|two");
    EXPECT_EQ(CueTextForTable(TextTrackKind::Styled, "3,0,Default,,0,0,0,,{\\b1}Hi\\Nthere"),
              "Hi|there");
    // Commas in the text belong to it.
    EXPECT_EQ(CueTextForTable(TextTrackKind::Styled, "1,0,Default,,0,0,0,,One, two"), "One, two");
    EXPECT_EQ(CueTextForTable(TextTrackKind::Styled,
                              "Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,Whole\\hline"),
              "Whole line");
}

// What shows at `seconds` once the table has been played from its start, as
// the polling timer would: a slot with nothing in it changes nothing.
std::string ShownAfterPlaying(const SubtitleTimetable& table, double seconds, double length) {
    std::string shown;
    for (double at = 0; at <= seconds; at += 0.475)
        if (const auto due = DueSubtitleText(table, at, length)) shown = *due;
    if (const auto due = DueSubtitleText(table, seconds, length)) shown = *due;
    return shown;
}

TEST(SubtitleCueTable, ACueWithoutAnEndLastsUntilTheNextOrTenMinutes) {
    constexpr double kLength = 48 * 3600.0;
    SubtitleTimetable table;
    ResetSubtitles(table, kLength);
    AddCueToTable(table, 10.0, -1, "A", kCueEndExtension);
    AddCueToTable(table, 20.0, -1, "B", kCueEndExtension);
    // One that says it lasts a day ends as one that never says.
    AddCueToTable(table, 2000.0, 2000.0 + 86400.0, "C");
    EXPECT_EQ(ShownAfterPlaying(table, 15.0, kLength), "A");
    EXPECT_EQ(ShownAfterPlaying(table, 21.0, kLength), "B");
    EXPECT_EQ(ShownAfterPlaying(table, 20.0 + 590.0, kLength), "B");
    EXPECT_EQ(ShownAfterPlaying(table, 20.0 + 610.0, kLength), "");
    EXPECT_EQ(ShownAfterPlaying(table, 2000.0 + 590.0, kLength), "C");
    EXPECT_EQ(ShownAfterPlaying(table, 2000.0 + 610.0, kLength), "");
    // Read from the middle: A's end falls after D, which comes later in the
    // reading, and D still shows until its own end.
    AddCueToTable(table, 12.0, 14.0, "D", kCueEndExtension);
    EXPECT_EQ(ShownAfterPlaying(table, 13.0, kLength), "D");
    EXPECT_EQ(ShownAfterPlaying(table, 18.0, kLength), "");
    EXPECT_EQ(ShownAfterPlaying(table, 21.0, kLength), "B");
}

TEST(SubtitleCueTable, CuesInAnyOrderKeepEveryStartOverAnEndMark) {
    SubtitleTimetable table;
    ResetSubtitles(table, 60.0);
    // Read from the middle first, as the reader does: B first, then A, whose
    // end falls on B's start.
    AddCueToTable(table, 10.0, 12.0, "B", kCueEndExtension);
    AddCueToTable(table, 8.0, 10.0, "A", kCueEndExtension);
    EXPECT_EQ(DueSubtitleText(table, 8.0, 60.0), "A");
    EXPECT_EQ(DueSubtitleText(table, 10.0, 60.0), "B");
    // B's end mark stands two seconds after its end, as a SubRip file's does.
    EXPECT_EQ(DueSubtitleText(table, 14.0, 60.0), "");
    // C's end mark (slot 8) would fall after D's start: D stays on.
    AddCueToTable(table, 1.0, 2.0, "C", kCueEndExtension);
    EXPECT_EQ(DueSubtitleText(table, 4.0, 60.0), "");
    AddCueToTable(table, 3.0, 4.0, "D", kCueEndExtension);
    EXPECT_EQ(DueSubtitleText(table, 4.0, 60.0), "D");
    // Beyond the table: nothing stored, nothing broken.
    AddCueToTable(table, 1e9, 1e9 + 1, "far");
    AddCueToTable(table, -5.0, -4.0, "before");
    EXPECT_EQ(DueSubtitleText(table, 8.0, 60.0), "A");
}

// --- Real files

// Two text tracks in different languages and a styled one.
struct TrackFiles {
    testing::TempDir dir;
    std::filesystem::path twoTracks = dir / "two.mkv";
    TrackFiles() {
        const std::vector<MadeSubtitleTrack> tracks = {
            {"en",
             "English",
             false,
             "",
             {{1.0, 2.5, "Hello first"}, {6.0, 7.0, "<i>Later</i> one"}}},
            {"de", "Deutsch", false, "", {{1.0, 2.5, "Hallo zweite"}, {4.0, 5.0, "Vier"}}},
        };
        EXPECT_EQ(testing::MakeMatroskaWithSubtitles(twoTracks, 10.0, tracks), "");
    }
};

TrackFiles& Files() {
    static TrackFiles files;
    return files;
}

TEST(TextTrackListing, BothTracksAreListedWithLanguageAndTitle) {
    const auto tracks = engine::ListTextTracks(Files().twoTracks);
    ASSERT_EQ(tracks.size(), 2u);
    EXPECT_EQ(tracks[0].language, "en");
    EXPECT_EQ(tracks[0].title, "English");
    EXPECT_EQ(tracks[1].language, "de");
    EXPECT_EQ(tracks[1].title, "Deutsch");
    EXPECT_EQ(tracks[1].number, 1);
    for (const auto& t : tracks) EXPECT_EQ(t.kind, TextTrackKind::PlainText);
    // Files that carry none, or are no container at all.
    testing::TempDir dir;
    testing::WriteFile(dir / "plain.mkv", "not a film");
    EXPECT_TRUE(engine::ListTextTracks(dir / "plain.mkv").empty());
    EXPECT_TRUE(engine::ListTextTracks(dir / "missing.mkv").empty());
}

TEST(TextTrackListing, AMatroskaTracksForcedFlagIsRead) {
    // matroskamux writes no forced flag: the second track's name element
    // (ID 0x536E, "Forced" and its NUL) is overwritten in place by FlagForced (0x55AA) = 1
    // and a Void element (0xEC) filling the rest, as the Matroska element
    // table defines them.
    testing::TempDir dir;
    const std::vector<MadeSubtitleTrack> tracks = {
        {"en", "", false, "", {{1.0, 2.0, "one"}}},
        {"de", "Forced", false, "", {{1.0, 2.0, "eins"}}},
    };
    ASSERT_EQ(testing::MakeMatroskaWithSubtitles(dir / "made.mkv", 3.0, tracks), "");
    std::string bytes = testing::ReadFile(dir / "made.mkv");
    const std::string name = std::string("\x53\x6E\x87") + std::string("Forced", 7);
    const auto at = bytes.find(name);
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, name.size(), std::string("\x55\xAA\x81\x01\xEC\x84\x00\x00\x00\x00", 10));
    testing::WriteFile(dir / "forced.mkv", bytes);

    const auto listed = engine::ListTextTracks(dir / "forced.mkv");
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_FALSE(listed[0].isForced);
    EXPECT_TRUE(listed[1].isForced);
    EXPECT_EQ(DefaultSubtitleTrack(listed, "en"), 1);
    for (const auto& t : engine::ListTextTracks(dir / "made.mkv")) EXPECT_FALSE(t.isForced);
}

TEST(TextTrackListing, AnMp4TimedTextTrackIsListedAndReadFromTheMiddle) {
    testing::TempDir dir;
    const MadeSubtitleTrack track{"fr", "", false, "", {{1.0, 2.0, "Un"}, {3.0, 4.0, "Deux"}}};
    ASSERT_EQ(testing::MakeMp4WithSubtitles(dir / "film.mp4", 5.0, {track}), "");
    const auto tracks = engine::ListTextTracks(dir / "film.mp4");
    ASSERT_EQ(tracks.size(), 1u);
    EXPECT_EQ(tracks[0].language, "fr");
    EXPECT_EQ(tracks[0].kind, TextTrackKind::PlainText);

    // Asked from 2.5 s: the demuxer starts at the key unit before (the only
    // one, at 0), and every cue comes once.
    engine::TextTrackReader reader(dir / "film.mp4", 0, 2.5, nullptr);
    for (int i = 0; i < 2000 && !reader.Finished(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(reader.Finished());
    EXPECT_EQ(reader.Error(), "");
    std::vector<engine::TextCue> cues;
    for (auto& cue : reader.TakeCues())
        if (!cue.text.empty()) cues.push_back(cue);
    std::sort(cues.begin(), cues.end(),
              [](const auto& a, const auto& b) { return a.start < b.start; });
    ASSERT_EQ(cues.size(), 2u);
    EXPECT_EQ(cues[0].text, "Un");
    EXPECT_NEAR(cues[0].start, 1.0, 0.01);
    EXPECT_NEAR(cues[0].end, 2.0, 0.01);
    EXPECT_EQ(cues[1].text, "Deux");
    EXPECT_NEAR(cues[1].start, 3.0, 0.01);
}

TEST(TextTrackListing, StoppingAReaderWhoseFileDoesNotAnswerReturnsAtOnce) {
    // A FIFO without a writer stands for a file on a share that has stalled:
    // opening it blocks until someone writes.
    testing::TempDir dir;
    const auto stalled = dir / "stalled.mkv";
    ASSERT_EQ(mkfifo(stalled.c_str(), 0600), 0);
    auto stopped = std::async(std::launch::async, [&stalled] {
        engine::TextTrackReader reader(stalled, 0, 0.0, nullptr);
    });
    // Not a measure of speed: the bound only keeps a stuck stop from hanging the test.
    EXPECT_EQ(stopped.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    // The reader's thread gets its end of file and ends.
    std::thread writer([&stalled] { close(open(stalled.c_str(), O_WRONLY)); });
    writer.join();
    stopped.wait();
}

// The locale the default choice reads, set for one test.
class LocaleScope {
  public:
    explicit LocaleScope(const char* lang) {
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
            const char* v = std::getenv(name);
            saved_.push_back(v ? std::optional<std::string>(v) : std::nullopt);
        }
        unsetenv("LC_ALL");
        unsetenv("LC_MESSAGES");
        setenv("LANG", lang, 1);
    }
    ~LocaleScope() {
        const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
        for (size_t k = 0; k < 3; ++k)
            if (saved_[k])
                setenv(names[k], saved_[k]->c_str(), 1);
            else
                unsetenv(names[k]);
    }

  private:
    std::vector<std::optional<std::string>> saved_;
};

// A movie open in the fake window, its subtitles read from its own streams.
struct TrackRoadFixture : ::testing::Test {
    PlayerSession session;

    TrackRoadFixture() {
        testing::ResetPlayerState(session);
        ui.mediaFileOpen = true;
        ui.movieName = Files().twoTracks.string();
        ui.duration = 10.0;
        ui.frameRate = 10.0;
        ui.position = 1.5;
    }
    ~TrackRoadFixture() override { testing::ResetPlayerState(session); }

    // Takes cues as the window would when the reader calls, to the end.
    void ReadToEnd() {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (SubtitleTrackReading(session) && !SubtitleTrackReadToEnd(session) &&
               std::chrono::steady_clock::now() < until) {
            TakeSubtitleTrackCues(session);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ASSERT_TRUE(SubtitleTrackReadToEnd(session));
        TakeSubtitleTrackCues(session);
    }
    // The same, taking no more than `entries` timetable entries in one turn
    // of the window's loop, however many cues the reader has; gives the turns.
    int ReadToEndInTurnsOfAtMost(int entries) {
        int turns = 0;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (SubtitleTrackReading(session) && !SubtitleTrackReadToEnd(session) &&
               std::chrono::steady_clock::now() < until) {
            const int before = session.subtitles.SubtitleCount;
            TakeSubtitleTrackCues(session);
            EXPECT_LE(session.subtitles.SubtitleCount - before, entries);
            ++turns;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        EXPECT_TRUE(SubtitleTrackReadToEnd(session));
        return turns;
    }
    // A movie in `dir` whose one styled track has "GREEN" from 1 s to 3 s,
    // green in the script's style (&HAABBGGRR), bold, at the bottom centre;
    // loaded and read to its end.
    void ReadGreenStyledTrack(const testing::TempDir& dir) {
        MadeSubtitleTrack track{"en", "Styled", true, "&H0000FF00", {{1.0, 3.0, "{\\b1}GREEN"}}};
        ASSERT_EQ(testing::MakeMatroskaWithSubtitles(dir / "styled.mkv", 4.0, {track}), "");
        ui.movieName = (dir / "styled.mkv").string();
        ui.duration = 4.0;
        ui.videoSize = {320, 240};
        LoadSubtitlesForMovie(session);
        ASSERT_EQ(SubtitleTracks(session).size(), 1u);
        ReadToEnd();
        testing::App();
    }
    // Plays on to `seconds` with the polling timer's ticks (a jump back
    // starts from there), and gives the text on screen then.
    std::string ShownAt(double seconds) {
        double at = ui.position && *ui.position < seconds ? *ui.position : seconds;
        for (; at < seconds; at += 0.475) {
            ui.position = at;
            ShowSubtitleDueNow(session);
        }
        ui.position = seconds;
        ShowSubtitleDueNow(session);
        return session.currentSubtitleText;
    }
    std::vector<std::string> Captions() const {
        std::vector<std::string> out;
        for (const auto& item : ui.subtitleSources) out.push_back(item.caption);
        return out;
    }

    testing::FakeUi ui{session};
};

TEST_F(TrackRoadFixture, WithoutAFileBesideTheUsersLanguageShowsAndTheOtherCanBeChosen) {
    LocaleScope locale("de_DE.UTF-8");
    LoadSubtitlesForMovie(session);
    EXPECT_EQ(ChosenSubtitleSource(session), 1);
    ReadToEnd();
    EXPECT_EQ(ShownAt(1.5), "Hallo zweite");
    EXPECT_EQ(Captions(), (std::vector<std::string>{"English [en]", "Deutsch [de]"}));
    ASSERT_EQ(ui.subtitleSources.size(), 2u);
    EXPECT_TRUE(ui.subtitleSources[1].checked);

    SubtitleSourceClick(session, 0);
    ReadToEnd();
    EXPECT_TRUE(ui.subtitleSources[0].checked);
    EXPECT_EQ(ShownAt(1.5), "Hello first");
    EXPECT_EQ(ShownAt(4.5), "");  // the other track's "Vier" is not in this one
    EXPECT_EQ(ShownAt(6.5), "Later one");

    // The choice holds for the movie when it is opened again in this run.
    ui.movieName = (Files().dir / "other.mkv").string();
    ListSubtitleTracksForMovie(session);
    ui.movieName = Files().twoTracks.string();
    ListSubtitleTracksForMovie(session);
    LoadSubtitlesForMovie(session);
    EXPECT_EQ(ChosenSubtitleSource(session), 0);
}

TEST(TrackRoadLifetime, ASessionThatGoesStopsItsTrackAndItsPendingWorkIsDropped) {
    LocaleScope locale("C");
    {
        PlayerSession session;
        testing::ResetPlayerState(session);
        testing::FakeUi ui{session};
        ui.mediaFileOpen = true;
        ui.movieName = Files().twoTracks.string();
        ui.duration = 10.0;
        ui.frameRate = 10.0;
        ui.position = 1.5;
        LoadSubtitlesForMovie(session);
        ASSERT_TRUE(SubtitleTrackReading(session));
        // Let the reader queue its calls for this session, unanswered.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    // What the session's reader had queued never runs: a call that did
    // would reach freed memory.
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    PlayerSession next;
    EXPECT_TRUE(next.subtitles.SubtitleFileName.empty());
}

TEST(TrackRoadLifetime, EachSessionKeepsItsOwnStreamsChoiceAndReader) {
    LocaleScope locale("C");
    PlayerSession first;
    testing::ResetPlayerState(first);
    testing::FakeUi ui{first};
    ui.mediaFileOpen = true;
    ui.movieName = Files().twoTracks.string();
    ui.duration = 10.0;
    ui.frameRate = 10.0;
    ui.position = 1.5;
    LoadSubtitlesForMovie(first);
    ASSERT_TRUE(SubtitleTrackReading(first));
    ASSERT_EQ(SubtitleTracks(first).size(), 2u);
    {
        // Another session starts with nothing listed, and neither making it
        // afresh nor its going touches the first one's stream.
        PlayerSession second;
        testing::ResetPlayerState(second);
        EXPECT_TRUE(SubtitleTracks(second).empty());
        EXPECT_EQ(ChosenSubtitleSource(second), kNoSubtitleSource);
        EXPECT_FALSE(SubtitleTrackReading(second));
    }
    EXPECT_TRUE(SubtitleTrackReading(first));
    EXPECT_EQ(ChosenSubtitleSource(first), 0);
    EXPECT_EQ(SubtitleTracks(first).size(), 2u);
}

TEST_F(TrackRoadFixture, ChoosingTheSecondShowsItsTextAtItsTimeAndNotTheFirsts) {
    LocaleScope locale("C");
    LoadSubtitlesForMovie(session);
    EXPECT_EQ(ChosenSubtitleSource(session), 0);
    ReadToEnd();
    EXPECT_EQ(ShownAt(1.5), "Hello first");

    ui.drawn.clear();
    SubtitleSourceClick(session, 1);
    ReadToEnd();
    EXPECT_EQ(ShownAt(1.5), "Hallo zweite");
    EXPECT_EQ(ShownAt(4.5), "Vier");
    EXPECT_EQ(ShownAt(5.5), "Vier");
    EXPECT_EQ(ShownAt(7.5), "");
    for (const auto& text : ui.drawn) {
        EXPECT_NE(text, "Hello first");
        EXPECT_NE(text, "Later one");
    }
}

TEST_F(TrackRoadFixture, TheAdvanceMovesATrackCueByTheSetAmount) {
    LocaleScope locale("de");
    LoadSubtitlesForMovie(session);
    ReadToEnd();
    EXPECT_EQ(DueSubtitleText(session.subtitles, 2.0, 10.0), "Hallo zweite");
    // Two seconds of advance: "Vier", due at 4 s, shows at 2 s.
    session.subtitles.SubtitleOffset = 4;
    EXPECT_EQ(DueSubtitleText(session.subtitles, 2.0, 10.0), "Vier");
}

TEST_F(TrackRoadFixture, SubtitlesOffRemovesTheTextAndStopsReading) {
    LocaleScope locale("C");
    LoadSubtitlesForMovie(session);
    ReadToEnd();
    EXPECT_EQ(ShownAt(1.5), "Hello first");
    Subtitles1Click(session);
    EXPECT_EQ(ui.drawn.back(), "");
    EXPECT_EQ(session.currentSubtitleText, "");
    EXPECT_FALSE(SubtitleTrackReading(session));
    // On again: the same track comes back.
    Subtitles1Click(session);
    ReadToEnd();
    EXPECT_EQ(ShownAt(1.5), "Hello first");
}

TEST_F(TrackRoadFixture, AFileBesideTheMovieStillWinsAndIsOfferedFirst) {
    testing::TempDir dir;
    std::filesystem::copy_file(Files().twoTracks, dir / "film.mkv");
    testing::WriteFile(dir / "film.srt",
                       "1\r\n00:00:01,000 --> 00:00:02,000\r\nFrom the file\r\n\r\n");
    ui.movieName = (dir / "film.mkv").string();
    LocaleScope locale("de");
    LoadSubtitlesForMovie(session);
    EXPECT_EQ(ChosenSubtitleSource(session), kSubtitleFileSource);
    EXPECT_FALSE(SubtitleTrackReading(session));
    EXPECT_EQ(ShownAt(1.5), "From the file");
    EXPECT_EQ(Captions(), (std::vector<std::string>{"film.srt", "English [en]", "Deutsch [de]"}));
    EXPECT_TRUE(ui.subtitleSources[0].checked);
    // A stream chosen, and back to the file.
    SubtitleSourceClick(session, 1);
    ReadToEnd();
    EXPECT_EQ(ShownAt(1.5), "Hallo zweite");
    SubtitleSourceClick(session, kSubtitleFileSource);
    EXPECT_EQ(ShownAt(1.5), "From the file");
}

TEST_F(TrackRoadFixture, ACutOffTrackIsReportedAndWhatWasReadShows) {
    testing::TempDir dir;
    MadeSubtitleTrack track{"en", "", false, "", {}};
    for (int i = 0; i < 30; ++i)
        track.cues.push_back({2.0 * i, 2.0 * i + 1.0, "cue " + std::to_string(i)});
    ASSERT_EQ(testing::MakeMatroskaWithSubtitles(dir / "whole.mkv", 60.0, {track}), "");
    std::string bytes = testing::ReadFile(dir / "whole.mkv");
    bytes.resize(bytes.size() / 2);
    testing::WriteFile(dir / "cut.mkv", bytes);
    ui.movieName = (dir / "cut.mkv").string();
    ui.duration = 60.0;
    LoadSubtitlesForMovie(session);
    ReadToEnd();
    EXPECT_EQ(session.osdMessage.rfind("subtitle track damaged: ", 0), 0u) << session.osdMessage;
    EXPECT_EQ(ShownAt(4.2), "cue 2");
    // The whole file reads without a message.
    session.osdMessage.clear();
    ui.movieName = (dir / "whole.mkv").string();
    LoadSubtitlesForMovie(session);
    ReadToEnd();
    EXPECT_EQ(session.osdMessage.find("damaged"), std::string::npos) << session.osdMessage;
    EXPECT_EQ(ShownAt(50.2), "cue 25");
}

// Counts the pixels of a premultiplied image that are nearly `r`, `g`, `b`
// and opaque, in rows [top, bottom).
int PixelsLike(const QImage& image, int r, int g, int b, int top, int bottom) {
    int count = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qAlpha(p) > 200 && std::abs(qRed(p) - r) < 60 && std::abs(qGreen(p) - g) < 60 &&
                std::abs(qBlue(p) - b) < 60)
                ++count;
        }
    return count;
}

TEST_F(TrackRoadFixture, AnAssTrackIsDrawnInsideThePictureInItsOwnColour) {
    testing::TempDir dir;
    ASSERT_NO_FATAL_FAILURE(ReadGreenStyledTrack(dir));
    EXPECT_EQ(SubtitleTracks(session)[0].kind, TextTrackKind::Styled);
    // Below the picture and in the box the text shows plain.
    EXPECT_EQ(ShownAt(1.5), "GREEN");

    // The drawer, on a thread of its own, draws the cue before the window
    // asks for it, and has the window draw the text again once it has it.
    ui.drawn.clear();
    ASSERT_TRUE(testing::WaitUntil([this] { return !ui.drawn.empty(); }));
    EXPECT_EQ(ui.drawn.back(), "GREEN");
    EXPECT_NE(StyledCueDrawingThread(session), std::thread::id());
    EXPECT_NE(StyledCueDrawingThread(session), std::this_thread::get_id());

    const QImage image = StyledSubtitleImage(session, "GREEN", QSize(320, 240));
    ASSERT_EQ(image.size(), QSize(320, 240));
    EXPECT_GT(PixelsLike(image, 0, 255, 0, 120, 240), 100);
    EXPECT_EQ(PixelsLike(image, 0, 255, 0, 0, 120), 0);
    EXPECT_EQ(PixelsLike(image, 255, 255, 255, 0, 240), 0);
    // Where nothing is drawn the picture shows through.
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(160, 20)), 0);
    // A text that is no cue of the stream is drawn the plain way.
    EXPECT_TRUE(StyledSubtitleImage(session, "other", QSize(320, 240)).isNull());
    // At a size not drawn yet, nothing shows until the drawer has the cue.
    ui.drawn.clear();
    const QImage larger = StyledSubtitleImage(session, "GREEN", QSize(640, 480));
    ASSERT_FALSE(larger.isNull());
    EXPECT_EQ(qAlpha(larger.pixel(0, 0)), 0);
    ASSERT_TRUE(testing::WaitUntil([this] { return !ui.drawn.empty(); }));
    EXPECT_EQ(StyledSubtitleImage(session, "GREEN", QSize(640, 480)).size(), QSize(640, 480));
}

// The names of this process's threads.
std::vector<std::string> ThreadNames() {
    std::vector<std::string> names;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream comm(task.path() / "comm");
        std::string name;
        std::getline(comm, name);
        names.push_back(name);
    }
    return names;
}

// The drawer and the reader post to the application; once the program's end
// has begun, neither may outlive it.
TEST_F(TrackRoadFixture, TheEndOfTheProgramStopsTheReaderAndTheDrawingThread) {
    testing::TempDir dir;
    ASSERT_NO_FATAL_FAILURE(ReadGreenStyledTrack(dir));
    EXPECT_EQ(ShownAt(1.5), "GREEN");
    ASSERT_TRUE(testing::WaitUntil([] {
        const auto names = ThreadNames();
        return std::find(names.begin(), names.end(), "quova-cues") != names.end();
    }));
    ASSERT_TRUE(SubtitleTrackReading(session));

    EndSubtitleWork(session);
    EXPECT_FALSE(SubtitleTrackReading(session));
    const auto names = ThreadNames();
    EXPECT_EQ(std::find(names.begin(), names.end(), "quova-cues"), names.end());
}

// An installed font file under a family name no installed font has, as a
// film's own font would be: "DejaVu Serif" renamed in its name table (ASCII
// and UTF-16BE records alike, the length kept). "" where the font is missing.
std::string RenamedSerifFont() {
    std::ifstream in("/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto replaceAll = [&bytes](const std::string& from, const std::string& to) {
        for (auto at = bytes.find(from); at != std::string::npos; at = bytes.find(from, at))
            bytes.replace(at, from.size(), to);
    };
    const auto wide = [](const std::string& ascii) {
        std::string out;
        for (char c : ascii) out += std::string(1, '\0') + c;
        return out;
    };
    replaceAll("DejaVu Serif", "QuovaT Serif");
    replaceAll(wide("DejaVu Serif"), wide("QuovaT Serif"));
    return bytes;
}

int PixelsApart(const QImage& a, const QImage& b) {
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (std::abs(qAlpha(a.pixel(x, y)) - qAlpha(b.pixel(x, y))) > 64) ++count;
    return count;
}

TEST(StyledCueFonts, StyledTracksShareOneCopyOfTheFileFonts) {
    testing::LimitAddressSpace(std::size_t{8} << 30);
    // 120 styled tracks and one 10 MiB font: a copy per track would be 1.2 GiB.
    const std::string font(std::size_t{10} << 20, 'f');
    testing::TempDir dir;
    testing::WriteMatroskaWithAttachedFont(dir / "fonts.mkv",
                                           testing::AssScriptHeader("&H0000FF00"),
                                           {{0.5, 1.0, "A"}}, "big.ttf", font, 120);
    testing::ResetPeakMemory();
    const std::size_t before = testing::PeakResidentBytes();
    const auto tracks = engine::ListTextTracks(dir / "fonts.mkv", 20000);
    ASSERT_EQ(tracks.size(), 120u);
    ASSERT_TRUE(tracks[0].fonts);
    ASSERT_EQ(tracks[0].fonts->size(), 1u);
    EXPECT_EQ(tracks[0].fonts->front().bytes.size(), font.size());
    for (const auto& track : tracks) EXPECT_EQ(track.fonts, tracks[0].fonts) << track.number;
    EXPECT_LT(testing::PeakResidentBytes() - before, std::size_t{400} << 20);
}

TEST(TextTrackListing, AFileOfThousandsOfStreamsHasItsFirstOnesListedAndLinked) {
    testing::TempDir dir;
    testing::WriteMatroskaWithSubtitleTrack(dir / "many.mkv", "S_TEXT/UTF8", {{0.5, 1.0, "one"}},
                                            2.0, 2007);
    const auto tracks = engine::ListTextTracks(dir / "many.mkv", 20000);
    EXPECT_EQ(tracks.size(), engine::kMaxStreams);
    std::size_t leftOut = 0;
    const auto streams = engine::DiscoverStreams(
        {{"filesrc", {{"location", (dir / "many.mkv").string()}}, "", "src"}}, "matroskademux",
        20000, &leftOut);
    ASSERT_TRUE(streams.ok());
    EXPECT_EQ(streams.value.size(), engine::kMaxStreams);
    EXPECT_EQ(leftOut, 2007 - engine::kMaxStreams);
}

TEST(StyledCueFonts, AFontTheFileCarriesDrawsTheCue) {
    const std::string font = RenamedSerifFont();
    if (font.empty()) GTEST_SKIP() << "DejaVu Serif Bold is not installed";
    testing::TempDir dir;
    const std::string header = testing::AssScriptHeader("&H00FFFFFF", "QuovaT Serif");
    testing::WriteMatroskaWithAttachedFont(dir / "fonts.mkv", header, {{0.5, 1.5, "Quova Wg"}},
                                           "quovat-serif.ttf", font);
    const auto tracks = engine::ListTextTracks(dir / "fonts.mkv");
    ASSERT_EQ(tracks.size(), 1u);
    ASSERT_EQ(tracks[0].kind, TextTrackKind::Styled);
    ASSERT_TRUE(tracks[0].fonts);
    ASSERT_EQ(tracks[0].fonts->size(), 1u);
    EXPECT_EQ(tracks[0].fonts->front().bytes, font);
    EXPECT_EQ(engine::StyledScriptHeader(tracks[0].caps), header);
    const std::vector<engine::FontAttachment>& fonts = *tracks[0].fonts;
    const std::string event = "0,0,Default,,0,0,0,,Quova Wg";
    const QSize size(320, 240);
    const QImage attached = engine::RenderStyledCue(header, event, size, fonts);
    const QImage without = engine::RenderStyledCue(header, event, size);
    // The same cue in the installed font the attachment was made from.
    std::string installedHeader = header;
    installedHeader.replace(installedHeader.find("QuovaT Serif"), 12, "DejaVu Serif");
    const QImage installed = engine::RenderStyledCue(installedHeader, event, size);
    ASSERT_FALSE(attached.isNull());
    ASSERT_FALSE(without.isNull());
    ASSERT_FALSE(installed.isNull());
    int drawn = 0;
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) drawn += qAlpha(installed.pixel(x, y)) > 128;
    ASSERT_GT(drawn, 300);
    EXPECT_LT(PixelsApart(attached, installed), drawn / 50);
    // Without the attachment libass falls back to another face.
    EXPECT_GT(PixelsApart(without, installed), drawn / 10);
}

TEST_F(TrackRoadFixture, AFileWithoutStreamsOffersNoChoice) {
    testing::TempDir dir;
    ASSERT_EQ(testing::MakeMatroskaWithSubtitles(dir / "bare.mkv", 2.0, {}), "");
    ui.movieName = (dir / "bare.mkv").string();
    LoadSubtitlesForMovie(session);
    EXPECT_EQ(ChosenSubtitleSource(session), kNoSubtitleSource);
    EXPECT_FALSE(SubtitleTrackReading(session));
    EXPECT_TRUE(ui.subtitleSources.empty());
}

// The picture of the mark shown, once the drawing thread has it; the window
// asks and is given nothing until then.
QImage DrawnPicture(TextSession& session, const std::string& shown, const QSize& size) {
    QImage image;
    testing::WaitUntil([&] {
        image = PictureSubtitleImage(session, shown, size);
        return !image.isNull();
    });
    EXPECT_NE(StyledCueDrawingThread(session), std::this_thread::get_id());
    return image;
}

// One DVD sub-picture unit written by hand: a 4x2 picture of colour 1, shown
// at once and never stopped: size, control offset, one RLE byte a field
// (4 pixels of colour 1: nibbles 1,1), then the control sequence: delay 0,
// next = itself, SET_COLOR, SET_CONTR, SET_DAREA 0..3 x 0..1, SET_DSPXA
// 4/5, STA_DSP, end.
std::string HandMadeSubPicture() {
    const unsigned char bytes[] = {0x00, 0x1E, 0x00, 0x06, 0x11, 0x11, 0x00, 0x00, 0x00, 0x06,
                                   0x03, 0x32, 0x10, 0x04, 0xFF, 0xF0, 0x05, 0x00, 0x00, 0x03,
                                   0x00, 0x00, 0x01, 0x06, 0x00, 0x04, 0x00, 0x05, 0x01, 0xFF};
    return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

TEST_F(TrackRoadFixture, APictureTrackIsListedAndChoosingItReadsItsUnits) {
    testing::TempDir dir;
    MadeSubtitleTrack text{"en", "Words", false, "", {{1.0, 2.5, "Hello words"}}};
    MadeSubtitleTrack picture{"fr", "Images", false, "", {{1.0, 2.5, HandMadeSubPicture()}}};
    picture.picture = true;
    ASSERT_EQ(testing::MakeMatroskaWithSubtitles(dir / "pictures.mkv", 4.0, {text, picture}), "");
    ui.movieName = (dir / "pictures.mkv").string();
    ui.duration = 4.0;
    const auto tracks = engine::ListTextTracks(dir / "pictures.mkv");
    ASSERT_EQ(tracks.size(), 2u);
    EXPECT_EQ(tracks[1].kind, TextTrackKind::Picture);
    EXPECT_EQ(tracks[1].caps.rfind("subpicture/x-dvd", 0), 0u) << tracks[1].caps;

    ui.videoSize = {320, 240};
    LocaleScope locale("fr");
    LoadSubtitlesForMovie(session);
    // The text track is still the default even in the picture track's language.
    EXPECT_EQ(ChosenSubtitleSource(session), 0);
    ReadToEnd();
    EXPECT_EQ(ShownAt(1.5), "Hello words");
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Words [en]", "Images [fr]"}));

    session.osdMessage.clear();
    SubtitleSourceClick(session, 1);
    EXPECT_EQ(session.osdMessage, "subtitle track: Images [fr]");
    EXPECT_TRUE(ui.subtitleSources[1].checked);
    EXPECT_TRUE(SubtitleTrackReading(session));
    ReadToEnd();
    // The other track's text does not pass for the pictures; the unit, a
    // 4 x 2 block, is drawn on the movie's frame where no index gives one.
    EXPECT_TRUE(IsPictureSubtitle(ShownAt(1.5)));
    const QImage unit = DrawnPicture(session, session.currentSubtitleText, QSize(320, 240));
    ASSERT_EQ(unit.size(), QSize(320, 240));
    EXPECT_GT(qAlpha(unit.pixel(1, 0)), 200);
    EXPECT_EQ(qAlpha(unit.pixel(10, 10)), 0);
    EXPECT_EQ(ShownAt(3.0), "");
    // Back to the text track.
    SubtitleSourceClick(session, 0);
    ReadToEnd();
    EXPECT_EQ(ShownAt(2.2), "Hello words");
    EXPECT_TRUE(PictureSubtitleImage(session, "Hello words", QSize(320, 240)).isNull());
}

TEST_F(TrackRoadFixture, APgsTracksDisplaySetsShowUntilTheNextAndForcedOnesWhenOff) {
    // On a 1920 x 1080 frame a green block over (960..1440, 540..810): in a
    // 320 x 240 picture (160..240, 120..180). Pure green in studio-range
    // BT.709 is Y 173, Cr 26, Cb 42.
    const std::string green =
        testing::PgsDisplaySetBytes(1920, 1080, 960, 540, 480, 270, 173, 26, 42);
    const std::string forced =
        testing::PgsDisplaySetBytes(1920, 1080, 0, 0, 480, 270, 173, 26, 42, true);
    const std::string clearing = testing::PgsDisplaySetBytes(1920, 1080, 0, 0, 0, 0, 0, 0, 0);
    testing::TempDir dir;
    // The damaged set lost its end and part of its object. The file starts
    // with a clearing set, as the demuxer starts its time at the first block;
    // more clearing sets come before the forced one than are decoded at once.
    std::vector<MadeCue> sets = {
        {0.0, 0.1, clearing}, {1.0, 3.0, green}, {3.4, 3.5, green.substr(0, green.size() - 20)}};
    for (int k = 0; k < 40; ++k) sets.push_back({4.0 + k * 0.025, 4.0 + k * 0.025, clearing});
    sets.push_back({6.0, 7.0, forced});
    testing::WriteMatroskaWithSubtitleTrack(dir / "bluray.mkv", "S_HDMV/PGS", sets);
    ui.movieName = (dir / "bluray.mkv").string();
    ui.duration = 7.0;
    const auto tracks = engine::ListTextTracks(dir / "bluray.mkv");
    ASSERT_EQ(tracks.size(), 1u);
    EXPECT_EQ(tracks[0].caps.rfind("subpicture/x-pgs", 0), 0u) << tracks[0].caps;

    LoadSubtitlesForMovie(session);
    ASSERT_EQ(ChosenSubtitleSource(session), 0);
    // Subtitles turned off before the track is read: it is read on for the
    // set it forces, and only that one shows.
    Subtitles1Click(session);
    ASSERT_TRUE(SubtitleTrackReading(session));
    ReadToEnd();
    EXPECT_EQ(session.osdMessage,
              "picture subtitle damaged, skipped: segment past the display set");
    EXPECT_EQ(ShownAt(2.0), "");
    EXPECT_TRUE(IsForcedPictureSubtitle(session, ShownAt(6.2)));

    Subtitles1Click(session);
    ReadToEnd();
    EXPECT_TRUE(IsPictureSubtitle(ShownAt(1.5)));
    const QImage image = DrawnPicture(session, session.currentSubtitleText, QSize(320, 240));
    ASSERT_EQ(image.size(), QSize(320, 240));
    const QRgb inside = image.pixel(200, 150);
    EXPECT_EQ(qAlpha(inside), 255);
    EXPECT_GT(qGreen(inside), 240);
    EXPECT_LT(qRed(inside), 16);
    EXPECT_EQ(qAlpha(image.pixel(150, 150)), 0);
    EXPECT_EQ(qAlpha(image.pixel(200, 110)), 0);
    EXPECT_FALSE(IsForcedPictureSubtitle(session, session.currentSubtitleText));
    // The clearing set ends it; the damaged one never showed.
    EXPECT_EQ(ShownAt(4.5), "");
    EXPECT_TRUE(IsForcedPictureSubtitle(session, ShownAt(6.2)));
}

TEST_F(TrackRoadFixture, DisplaySetsShowingMoreThanTheirFrameAreSkippedAndALargeOneIsDrawnAside) {
    // A runaway allocation fails where it is made instead of taking the
    // machine's memory.
    testing::LimitAddressSpace(std::size_t{8} << 30);
    // A 4096 x 4096 object composed over a 1920 x 1080 frame 255 times (or
    // 8), 33 sets of them, and one set showing the object once, clipped to
    // the frame, then a set clearing it.
    const auto flood = [](size_t times) {
        return testing::PgsSetComposingOneObject(1920, 1080, 4096, 4096,
                                                 std::vector<std::pair<int, int>>(times, {0, 0}));
    };
    // Each shows until the next, as a set says nothing of its end. The file
    // starts with a clearing set, as the demuxer starts its time at the first
    // block.
    const std::string clearing = testing::PgsDisplaySetBytes(1920, 1080, 0, 0, 0, 0, 0, 0, 0);
    std::vector<MadeCue> sets = {{0.0, -1, clearing}};
    for (int k = 0; k < 32; ++k) sets.push_back({0.5 + k * 0.05, -1, flood(255)});
    sets.push_back({2.5, -1, flood(8)});
    sets.push_back({3.0, -1, flood(1)});
    sets.push_back({5.0, -1, clearing});
    testing::TempDir dir;
    testing::WriteMatroskaWithSubtitleTrack(dir / "flood.mkv", "S_HDMV/PGS", sets, 6.0);
    ui.movieName = (dir / "flood.mkv").string();
    ui.duration = 6.0;
    ui.position = 0.0;

    testing::ResetPeakMemory();
    const std::size_t before = testing::PeakResidentBytes();
    LoadSubtitlesForMovie(session);
    ASSERT_EQ(ChosenSubtitleSource(session), 0);
    // Sixteen sets at most in one turn of the window's loop: two entries each.
    ReadToEndInTurnsOfAtMost(32);
    EXPECT_EQ(session.osdMessage,
              "picture subtitle damaged, skipped: display set shows more than its frame");
    EXPECT_EQ(ShownAt(1.0), "");
    EXPECT_EQ(ShownAt(1.5), "");
    ASSERT_TRUE(IsPictureSubtitle(ShownAt(3.5)));
    const QImage image = DrawnPicture(session, session.currentSubtitleText, QSize(320, 240));
    ASSERT_EQ(image.size(), QSize(320, 240));
    for (const QPoint at : {QPoint(0, 0), QPoint(160, 120), QPoint(319, 239)}) {
        EXPECT_EQ(qAlpha(image.pixel(at)), 255) << at.x() << "," << at.y();
        EXPECT_GT(qGreen(image.pixel(at)), 240) << at.x() << "," << at.y();
    }
    EXPECT_EQ(ShownAt(5.5), "");
    // The frame and its one piece, a few dozen megabytes, never 255 of them.
    EXPECT_LT(testing::PeakResidentBytes() - before, std::size_t{400} << 20);
}

TEST_F(TrackRoadFixture, FullSizeVobSubUnitsAreCheckedInTurnsAndDrawnAside) {
    testing::LimitAddressSpace(std::size_t{8} << 30);
    // 200 units each filling a 4096 x 4096 frame with green (palette entry 1),
    // a few kilobytes each: 13 GiB of pixels if each were drawn.
    const std::string index =
        "# VobSub index file, v7 (do not modify this line!)\nsize: 4096x4096\n"
        "palette: 000000, 00ff00, 000000, 000000, 000000, 000000, 000000, 000000, 000000, "
        "000000, 000000, 000000, 000000, 000000, 000000, 000000\n";
    const std::string unit = testing::DvdSubPictureUnit(0, 0, 4096, 4096, 1, 0, -1);
    MadeSubtitleTrack track{"en", "Full", false, "", {}};
    track.picture = true;
    track.index = index;
    for (int k = 0; k < 200; ++k)
        track.cues.push_back({0.5 + k * 0.01, 0.5 + k * 0.01 + 0.005, unit});
    track.cues.push_back({3.0, 5.0, unit});
    testing::TempDir dir;
    ASSERT_EQ(testing::MakeMatroskaWithSubtitles(dir / "full.mkv", 6.0, {track}), "");
    ui.movieName = (dir / "full.mkv").string();
    ui.duration = 6.0;
    ui.position = 0.0;
    ui.videoSize = {320, 240};

    testing::ResetPeakMemory();
    const std::size_t before = testing::PeakResidentBytes();
    LoadSubtitlesForMovie(session);
    ASSERT_EQ(ChosenSubtitleSource(session), 0);
    // Sixteen units at most in one turn, each a start and an end mark.
    ReadToEndInTurnsOfAtMost(32);
    ASSERT_TRUE(IsPictureSubtitle(ShownAt(3.5)));
    const QImage image = DrawnPicture(session, session.currentSubtitleText, QSize(320, 240));
    ASSERT_EQ(image.size(), QSize(320, 240));
    EXPECT_EQ(qAlpha(image.pixel(160, 120)), 255);
    EXPECT_GT(qGreen(image.pixel(160, 120)), 240);
    EXPECT_LT(testing::PeakResidentBytes() - before, std::size_t{400} << 20);
}

TEST_F(TrackRoadFixture, ThousandsOfCuesWithoutAnEndGoInBatchesAndEachLastsUntilTheNext) {
    // 20,000 one-letter SubRip blocks without a duration in a film said to
    // last 48 hours, then "last", also without one.
    std::vector<MadeCue> cues;
    for (int k = 0; k < 20000; ++k)
        cues.push_back({k * 0.0015, -1.0, std::string(1, static_cast<char>('a' + k % 26))});
    cues.push_back({32.0, -1.0, "last"});
    testing::TempDir dir;
    testing::WriteMatroskaWithSubtitleTrack(dir / "open.mkv", "S_TEXT/UTF8", cues, 48 * 3600.0);
    ui.movieName = (dir / "open.mkv").string();
    ui.duration = 48 * 3600.0;
    ui.position = 0.0;
    LoadSubtitlesForMovie(session);
    ASSERT_EQ(ChosenSubtitleSource(session), 0);
    // A few hundred cues in one turn at most, each a start and an end mark.
    const int turns = ReadToEndInTurnsOfAtMost(2 * 256);
    EXPECT_GE(turns, 20000 / 256);
    EXPECT_EQ(ShownAt(33.0), "last");
    // It shows on until the longest a cue may last, ten minutes, not for 48 hours.
    EXPECT_EQ(ShownAt(32.0 + 590.0), "last");
    EXPECT_EQ(ShownAt(32.0 + 610.0), "");
}

bool Green(QRgb c) {
    return qGreen(c) > 150 && qRed(c) < 90 && qBlue(c) < 90;
}
bool Red(QRgb c) {
    return qRed(c) > 150 && qGreen(c) < 90 && qBlue(c) < 90;
}
bool Dark(QRgb c) {
    return qRed(c) < 60 && qGreen(c) < 60 && qBlue(c) < 60;
}

// The window's side as the main window does it: a picture unit goes into the
// renderer's frames, stretched to the picture, and anything else clears it.
struct RenderingUi : testing::FakeUi {
    using FakeUi::FakeUi;
    std::function<void(const QImage&)> overlay;
    // Whether the renderer has the picture of the text shown: a unit comes
    // from the drawing thread a moment after it is due.
    bool overlayCurrent = true;
    void DrawSubtitle(const std::string& text) override {
        FakeUi::DrawSubtitle(text);
        const QImage image = PictureSubtitleImage(session, text, QSize(320, 240));
        overlayCurrent = !IsPictureSubtitle(text) || !image.isNull();
        if (overlay) overlay(image);
    }
};

TEST(PictureTrack, VobSubUnitsShowInTheFramesAtTheirTimeMovedByTheAdvanceAndForcedOnesWhenOff) {
    PlayerSession session;
    testing::ResetPlayerState(session);
    testing::App();
    // On a 720 x 576 frame, as a DVD's index gives it: a green block over the
    // right half of the lower middle, a forced red one in the top-left
    // corner. Shown in a 320 x 240 movie, they land at (160..240, 120..180)
    // and (0..80, 0..60). The two units between them are cut short.
    const std::string index =
        "# VobSub index file, v7 (do not modify this line!)\nsize: 720x576\n"
        "palette: 000000, 000000, 000000, 000000, 000000, 00ff00, 000000, 000000, 000000, "
        "ff0000, 000000, 000000, 000000, 000000, 000000, 000000\n";
    // Stopped 176 delay units (2.003 s) after their packets.
    const std::string green = testing::DvdSubPictureUnit(360, 288, 180, 144, 5, 0, 176);
    const std::string red = testing::DvdSubPictureUnit(0, 0, 180, 144, 9, 0, 176, true);
    MadeSubtitleTrack track{"de", "Bilder", false, "", {}};
    track.picture = true;
    track.index = index;
    track.cues = {{2.0, 2.5, green},
                  {4.5, 4.6, green.substr(0, green.size() / 2)},
                  {4.6, 4.7, red.substr(0, 40)},
                  {5.5, 6.0, red}};
    testing::TempDir dir;
    const auto film = dir / "film.mkv";
    ASSERT_EQ(testing::MakeMatroskaWithSubtitles(film, 8.0, {track}), "");

    QWidget owner;
    owner.resize(320, 240);
    engine::FilterGraph graph;
    // The subtitle stream is read by the track road, not rendered by the graph.
    ASSERT_TRUE(engine::Succeeded(graph.RenderFile(film.string())));
    auto video = graph.VideoRenderer();
    ASSERT_TRUE(video);
    ASSERT_EQ(video->SetOwner(&owner), S_OK);
    ASSERT_EQ(video->SetWindowPosition(QRect(0, 0, 320, 240)), S_OK);
    ASSERT_EQ(graph.Pause(), S_OK);

    RenderingUi ui{session};
    ui.overlay = [&video](const QImage& image) { video->SetOverlay(image, QPoint(0, 0)); };
    ui.mediaFileOpen = true;
    ui.movieName = film.string();
    ui.duration = 8.0;
    ui.frameRate = 10.0;
    ui.videoSize = {320, 240};
    ui.position = 0.0;
    ui.options[static_cast<size_t>(SubtitleOption::OsdOn)] = true;
    // A film with nothing but pictures shows them.
    LoadSubtitlesForMovie(session);
    ASSERT_EQ(ChosenSubtitleSource(session), 0);
    ASSERT_TRUE(testing::WaitUntil([&session] {
        TakeSubtitleTrackCues(session);
        return SubtitleTrackReadToEnd(session);
    }));
    TakeSubtitleTrackCues(session);
    // The damage is told once, and reading went on past it.
    const auto damageTold =
        std::count_if(ui.osdShown.begin(), ui.osdShown.end(), [](const std::string& shown) {
            return shown == "picture subtitle damaged, skipped: sub-picture size past its end";
        });
    EXPECT_EQ(damageTold, 1);

    // Plays on to `seconds` as the polling timer would and shows the frame there.
    const auto showAt = [&](double seconds) {
        for (double at = 0.0; at < seconds; at += 0.475) {
            ui.position = at;
            ShowSubtitleDueNow(session);
        }
        ui.position = seconds;
        ShowSubtitleDueNow(session);
        // The paused picture takes the overlay the frame after it has it.
        EXPECT_TRUE(testing::WaitUntil([&ui] { return ui.overlayCurrent; })) << seconds;
        graph.SetCurrentPosition(seconds);
    };
    const auto at = [&video](int x, int y) {
        const QImage frame = video->CurrentImage();
        return frame.isNull() ? QRgb(0x808080) : frame.pixel(x, y);
    };
    const auto greenShown = [&] {
        return Green(at(200, 150)) && Green(at(165, 125)) && Green(at(235, 175)) &&
               Dark(at(150, 150)) && Dark(at(200, 110)) && Dark(at(200, 190)) && Dark(at(40, 30));
    };
    const auto redShown = [&] {
        return Red(at(40, 30)) && Red(at(5, 5)) && Dark(at(90, 30)) && Dark(at(40, 70)) &&
               Dark(at(200, 150));
    };
    const auto nothingShown = [&] { return Dark(at(200, 150)) && Dark(at(40, 30)); };

    // The timetable shows what starts within a second of the position.
    showAt(0.5);
    EXPECT_EQ(session.currentSubtitleText, "") << "not before its time";
    EXPECT_TRUE(testing::WaitUntil(nothingShown));
    showAt(2.5);
    EXPECT_TRUE(IsPictureSubtitle(session.currentSubtitleText));
    EXPECT_TRUE(testing::WaitUntil(greenShown));
    // Its stop ends it; the damaged units are not shown, the next one is.
    showAt(4.75);
    EXPECT_TRUE(testing::WaitUntil(nothingShown));
    showAt(6.0);
    EXPECT_TRUE(testing::WaitUntil(redShown));

    // Two seconds ahead (four half-second slots): the green unit at 0.5 s.
    session.subtitles.SubtitleOffset = 4;
    showAt(0.5);
    EXPECT_TRUE(testing::WaitUntil(greenShown));
    session.subtitles.SubtitleOffset = 0;

    // Subtitles off: the green unit goes; the forced red one still shows.
    Subtitles1Click(session);
    ASSERT_FALSE(ui.options[static_cast<size_t>(SubtitleOption::SubtitlesOn)]);
    showAt(2.5);
    EXPECT_TRUE(testing::WaitUntil(nothingShown));
    EXPECT_EQ(session.currentSubtitleText, "");
    showAt(6.0);
    EXPECT_TRUE(testing::WaitUntil(redShown));
    graph.Stop();
    testing::ResetPlayerState(session);
}

}  // namespace
}  // namespace quova

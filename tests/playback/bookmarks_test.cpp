#include "playback/bookmarks.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include "graph/graph_state.h"
#include "graph/medium_session.h"
#include "graph/open_media.h"
#include "platform/files/atomic_file.h"
#include "playback/dvd_bookmark_file.h"
#include "playback/player_session.h"
#include "playback/session_saver.h"
#include "playback/transport.h"
#include "tests/app/qt_support.h"
#include "tests/support/fake_ui.h"
#include "tests/support/gst_media.h"
#include "tests/support/player_state.h"
#include "tests/support/temp_dir.h"

namespace quova {
namespace {

namespace media = quova::testing::media;
using quova::testing::TempDir;

using testing::MessageBoxLog;

bool WaitUntil(const std::function<bool()>& done) {
    return testing::WaitUntil(done);
}

class BookmarkTest : public ::testing::Test {
  public:
    PlayerSession session;

  protected:
    void SetUp() override {
        testing::App();
        testing::ResetPlayerState(session, testing::Startup::Done);
        ui_.sessionFile = (dir_ / "quova.mpk").string();
    }
    void TearDown() override {
        ReleaseGraph(session);
        session.graph.MediaKind = MediaKindNone;
        session.graph.CurrentMediaName.clear();
        testing::ResetPlayerState(session);
    }

    // A four-second film, opened and held at `seconds`.
    std::filesystem::path OpenFilm(const std::string& name, double seconds) {
        const auto film = media::AviVideoPcm(dir_ / name, 4.0, "jpegenc");
        OpenMedia(session, film);
        EXPECT_EQ(session.graph.MediaKind, MediaKindFile);
        session.graph.GraphBuilder->Pause();
        PlaceAt(seconds);
        return film;
    }
    // Moves the open film to `seconds`; only the seeks and volume changes
    // after it are counted (the open applies the volume too).
    void PlaceAt(double seconds) {
        SeekTo(session, seconds);
        EXPECT_TRUE(WaitUntil([&] { return std::abs(CurrentPosition(session) - seconds) < 0.05; }));
        ui_.seeked.clear();
        ui_.volumeApplied = 0;
    }

    testing::FakeUi ui_{session};
    TempDir dir_;
    BookmarkSettings& settings_ = ui_.bookmark;
    const std::vector<double>& seeks_ = ui_.seeked;
    const std::vector<std::string>& opened_ = ui_.opened;
};

TEST_F(BookmarkTest, MovieBookmarkRestoresPositionAndEverySetting) {
    OpenFilm("film.avi", 2.52);
    settings_.Volume = 35;
    settings_.ZoomFactor = 1.25;
    settings_.AspectFactor = 1.5;
    settings_.ZoomToWindow = true;
    settings_.FullScreenMode = true;
    settings_.CropY = 10;
    settings_.CropX = 20;
    const std::string name = (dir_ / "film.mpk").string();
    MessageBoxLog boxes;
    WriteMovieBookmark(session, name);
    const std::string text = testing::ReadFile(name);
    EXPECT_EQ(text.substr(0, 23), "Quova1.1MovieBookmark\r\n");
    EXPECT_NE(text.find("\r\n]\r\n"), std::string::npos);

    const BookmarkSettings saved = settings_;
    settings_ = BookmarkSettings{};
    PlaceAt(0.5);
    ReadMovieBookmark(session, name);
    EXPECT_TRUE(boxes.texts.empty());
    ASSERT_EQ(seeks_.size(), 1u);
    EXPECT_NEAR(seeks_[0], 2.52, 0.04);  // within one frame at 25 fps
    EXPECT_TRUE(WaitUntil([this] { return std::abs(CurrentPosition(session) - 2.52) < 0.04; }));
    EXPECT_EQ(settings_.Volume, saved.Volume);
    EXPECT_DOUBLE_EQ(settings_.ZoomFactor, saved.ZoomFactor);
    EXPECT_DOUBLE_EQ(settings_.AspectFactor, saved.AspectFactor);
    EXPECT_TRUE(settings_.ZoomToWindow);
    EXPECT_FALSE(settings_.ResizeToMedia);
    EXPECT_EQ(settings_.CropY, 10);
    EXPECT_EQ(settings_.CropX, 20);
    // Full screen goes through its own routine, once.
    EXPECT_EQ(ui_.fullScreenApplied, std::vector<bool>{true});
    EXPECT_EQ(ui_.volumeApplied, 1);
    EXPECT_GE(ui_.cropLayouts, 1);
}

TEST_F(BookmarkTest, WrongSignatureIsSilentWithNothingOpenAndToldWithAFile) {
    testing::WriteFile(dir_ / "notes.mpk", "shopping list\r\n");
    MessageBoxLog boxes;
    ReadMovieBookmark(session, (dir_ / "notes.mpk").string());
    QCoreApplication::processEvents();
    EXPECT_TRUE(boxes.texts.empty());
    EXPECT_TRUE(opened_.empty());

    OpenFilm("a.avi", 1.0);
    ReadMovieBookmark(session, (dir_ / "notes.mpk").string());
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], "Bookmark restore error, " + (dir_ / "notes.mpk").string() +
                                  " is not a Quova 1.0/1.1 movie bookmark file");
    EXPECT_EQ(boxes.icons[0], QMessageBox::Critical);
    EXPECT_TRUE(seeks_.empty());
}

TEST_F(BookmarkTest, BookmarkOfAnotherFileOpensThatFileFirst) {
    const auto film = media::AviVideoPcm(dir_ / "other.avi", 4.0, "jpegenc");
    const std::string name = (dir_ / "other.mpk").string();
    testing::WriteFile(name, "Quova1.0MovieBookmark\r\n[\r\n" + film.string() +
                                 "\r\n3000\r\n60\r\n1000\r\n1000\r\n0\r\n]\r\n");
    settings_.CropY = 7;
    MessageBoxLog boxes;
    ReadMovieBookmark(session, name);
    EXPECT_TRUE(boxes.texts.empty());
    EXPECT_EQ(opened_, std::vector<std::string>{film.string()});
    EXPECT_EQ(session.graph.MediaKind, MediaKindFile);
    EXPECT_EQ(session.graph.CurrentMediaName, film.string());
    // The film plays: where the seek landed is told once it has settled.
    ASSERT_TRUE(WaitUntil([&] { return !session.settlingSeek.has_value(); }));
    ASSERT_EQ(seeks_.size(), 1u);
    // From 3 s on, and no further than the film has played since it settled
    // (a moment, longer on a slow machine or under a sanitizer).
    EXPECT_GE(seeks_[0], 3.0 - 0.04);
    EXPECT_LT(seeks_[0], 3.5);
    EXPECT_EQ(settings_.Volume, 60);
    EXPECT_EQ(settings_.CropY, 0);  // a 1.0 bookmark has no crop
}

TEST_F(BookmarkTest, AFilmWhoseNameHoldsALineBreakIsFoundAgainByItsBookmark) {
    OpenFilm("two\nlines.avi", 2.0);
    const std::string name = (dir_ / "film.mpk").string();
    MessageBoxLog boxes;
    WriteMovieBookmark(session, name);
    PlaceAt(0.5);
    ReadMovieBookmark(session, name);
    EXPECT_TRUE(boxes.texts.empty()) << boxes.texts.front();
    ASSERT_EQ(seeks_.size(), 1u);
    EXPECT_NEAR(seeks_[0], 2.0, 0.04);
    EXPECT_TRUE(opened_.empty());
}

TEST_F(BookmarkTest, ABookmarkOpensAFilmNamedInLatin1ByItsOwnBytes) {
    // Written by this program for a film whose name an older file system
    // holds in Latin-1; read with nothing open, it opens that very name.
    const std::string film = (dir_ / "Am\xE9lie.avi").string();
    settings_ = BookmarkSettings{};
    const std::string name = (dir_ / "film.mpk").string();
    testing::WriteFile(name, FormatMovieBookmark(film, 2.0, settings_));
    ui_.opensMedia = false;
    MessageBoxLog boxes;
    ReadMovieBookmark(session, name);
    EXPECT_EQ(opened_, std::vector<std::string>{film});
}

TEST_F(BookmarkTest, APositionBeyondTheFilmLandsAtItsEnd) {
    const auto film = OpenFilm("far.avi", 1.0);
    const std::string name = (dir_ / "far.mpk").string();
    // The largest position the file's 64-bit number holds, some 292 million years.
    testing::WriteFile(name, "Quova1.1MovieBookmark\r\n[\r\n" + film.string() +
                                 "\r\n9223372036854775807\r\n60\r\n1000\r\n1000\r\n0\r\n"
                                 "0\r\n0\r\n]\r\n");
    MessageBoxLog boxes;
    ReadMovieBookmark(session, name);
    EXPECT_TRUE(boxes.texts.empty());
    ASSERT_EQ(seeks_.size(), 1u);
    EXPECT_TRUE(WaitUntil([this] {
        return CurrentPosition(session) >= session.graph.Duration - 0.05;
    })) << CurrentPosition(session);
}

TEST_F(BookmarkTest, BookmarkOfAnotherFileWhileOneIsOpenIsRefused) {
    OpenFilm("mine.avi", 1.0);
    const std::string name = (dir_ / "theirs.mpk").string();
    testing::WriteFile(name,
                       "Quova1.1MovieBookmark\r\n[\r\n/films/theirs.avi\r\n3000\r\n60\r\n"
                       "1000\r\n1000\r\n0\r\n0\r\n0\r\n]\r\n");
    settings_.Volume = 20;
    MessageBoxLog boxes;
    ReadMovieBookmark(session, name);
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0],
              "Bookmark restore error, wrong Quova movie bookmark format on file " + name);
    EXPECT_TRUE(opened_.empty());
    EXPECT_TRUE(seeks_.empty());
    EXPECT_EQ(settings_.Volume, 20);
}

TEST_F(BookmarkTest, DamagedOrMissingBookmarksChangeNothing) {
    const auto film = media::AviVideoPcm(dir_ / "f.avi", 1.0, "jpegenc");
    const std::string cut = (dir_ / "cut.mpk").string();
    // Cut before "]": refused before the film it names is opened.
    testing::WriteFile(cut,
                       "Quova1.1MovieBookmark\r\n[\r\n" + film.string() + "\r\n3000\r\n60\r\n");
    MessageBoxLog boxes;
    ReadMovieBookmark(session, cut);
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0],
              "Bookmark restore error, wrong Quova movie bookmark format on file " + cut);
    EXPECT_TRUE(opened_.empty());

    const std::string missing = (dir_ / "missing.mpk").string();
    ReadMovieBookmark(session, missing);
    ASSERT_EQ(boxes.texts.size(), 2u);
    EXPECT_EQ(boxes.texts[1], "Bookmark restore error, can't open bookmark file " + missing);
    EXPECT_EQ(session.graph.MediaKind, MediaKindNone);
}

TEST_F(BookmarkTest, SavingWhereNoFileCanBeMadeIsReported) {
    OpenFilm("s.avi", 1.0);
    const std::string name = (dir_ / "no/such/folder.mpk").string();
    MessageBoxLog boxes;
    WriteMovieBookmark(session, name);
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], "bookmark save error, can't open bookmark file " + name);
}

TEST_F(BookmarkTest, SessionBookmarkIsWrittenAndRestored) {
    OpenFilm("session.avi", 3.0);
    settings_.Volume = 44;
    SaveSessionBookmark(session);
    const std::string text = testing::ReadFile(dir_ / "quova.mpk");
    EXPECT_NE(text.find("\r\n3000\r\n44\r\n"), std::string::npos) << text;

    // The background writer puts the same text in place.
    std::filesystem::remove(dir_ / "quova.mpk");
    {
        SessionSaver saver;
        session.graph.GraphBuilder->Run();
        ASSERT_TRUE(WaitUntil([this] {
            return session.graph.GraphBuilder->GetState(0).value == engine::GraphState::Running;
        }));
        SaveRunningSessionBookmark(session, saver);
        saver.Flush();
        EXPECT_EQ(saver.WritesDone(), 1);
    }
    EXPECT_EQ(testing::ReadFile(dir_ / "quova.mpk").substr(0, 21), "Quova1.1MovieBookmark");

    // Restoring with nothing open reopens the film.
    StopAndClearGraph(session);
    ReleaseGraph(session);
    session.graph.MediaKind = MediaKindNone;
    session.graph.CurrentMediaName.clear();
    RestoreSessionBookmark1Click(session);
    EXPECT_EQ(session.graph.MediaKind, MediaKindFile);
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(std::filesystem::path(opened_[0]).filename(), "session.avi");
}

TEST(SessionBookmarkPlace, BesideTheProgramElseUnderTheStateHomeElseNowhere) {
    EXPECT_EQ(SessionBookmarkPath("/opt/q/quova", true, "/state", "/home/ann"), "/opt/q/quova.mpk");
    EXPECT_EQ(SessionBookmarkPath("/opt/q/quova.exe", true, "", ""), "/opt/q/quova.mpk");
    EXPECT_EQ(SessionBookmarkPath("/usr/bin/quova", false, "/var/state", "/home/ann"),
              "/var/state/quova/quova.mpk");
    EXPECT_EQ(SessionBookmarkPath("/usr/bin/quova", false, "", "/home/ann"),
              "/home/ann/.local/state/quova/quova.mpk");
    // A relative state home is ignored, as the base directory rules say.
    EXPECT_EQ(SessionBookmarkPath("/usr/bin/quova", false, "state", "/home/ann"),
              "/home/ann/.local/state/quova/quova.mpk");
    // Without a home there is no private place: no shared /tmp stands in.
    EXPECT_EQ(SessionBookmarkPath("/usr/bin/quova", false, "", ""), "");
    EXPECT_EQ(SessionBookmarkPath("/usr/bin/quova", false, "state", "home"), "");
}

TEST(SessionBookmarkPlace, TheStateFolderIsMadePrivateAndAForeignOneIsRefused) {
    TempDir dir;
    const auto writeText = [](const std::string& path) {
        return WriteFileAtomically(path, "bookmark", nullptr);
    };
    const std::filesystem::path state = dir / "home/.local/state/quova";
    ASSERT_TRUE(WriteSessionFile((state / "quova.mpk").string(), writeText));
    EXPECT_EQ(testing::ReadFile(state / "quova.mpk"), "bookmark");
    for (const auto& folder : {dir / "home/.local/state", state}) {
        struct stat st {};
        ASSERT_EQ(stat(folder.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 077, 0u) << folder;
    }
    // Another user may have made the folders first where everybody may: the
    // bookmark is not written into them.
    std::filesystem::create_directories(dir / "shared/.local/state");
    ASSERT_EQ(chmod((dir / "shared").c_str(), 0777), 0);
    EXPECT_FALSE(
        WriteSessionFile((dir / "shared/.local/state/quova/quova.mpk").string(), writeText));
    EXPECT_FALSE(std::filesystem::exists(dir / "shared/.local/state/quova"));
    EXPECT_FALSE(WriteSessionFile("", writeText));
}

TEST(SessionSaverThread, TheLatestTextWins) {
    TempDir dir;
    const std::string path = (dir / "deep/quova.mpk").string();
    {
        SessionSaver saver;
        for (int i = 0; i < 50; ++i) saver.Post(path, std::to_string(i));
        saver.Flush();
        EXPECT_GE(saver.WritesDone(), 1);
        EXPECT_LE(saver.WritesDone(), 50);
    }
    EXPECT_EQ(testing::ReadFile(path), "49");
}

// The program ends right after a save is posted: the saver's end still
// writes it, whether or not its thread had woken for it yet.
TEST(SessionSaverThread, ASavePostedJustBeforeTheEndIsWritten) {
    TempDir dir;
    for (int round = 0; round < 20; ++round) {
        const std::string path = (dir / ("end" + std::to_string(round) + ".mpk")).string();
        {
            SessionSaver saver;
            saver.Post(path, "first");
            saver.Post(path, "last " + std::to_string(round));
        }
        EXPECT_EQ(testing::ReadFile(path), "last " + std::to_string(round)) << "round " << round;
    }
}

}  // namespace
}  // namespace quova

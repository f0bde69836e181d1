#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include <QAction>
#include <deque>
#include <functional>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/play_list.h"
#include "app/play_list_commands.h"
#include "app/popup_menu.h"
#include "app/settings.h"
#include "graph/graph_state.h"
#include "graph/open_media.h"
#include "platform/registry/registry.h"
#include "playback/player_session.h"
#include "tests/app/qt_support.h"
#include "tests/support/gst_media.h"
#include "tests/support/http_server.h"
#include "tests/support/player_state.h"
#include "tests/support/temp_dir.h"
#include "tests/support/window_fixture.h"

namespace quova {
namespace {

// Draws the given numbers in turn and counts the draws.
struct ScriptedRandom {
    std::deque<int> draws;
    int used = 0;
    RandomSource Source() {
        return [this](int n) {
            EXPECT_FALSE(draws.empty()) << "more draws than scripted";
            const int value = draws.empty() ? 0 : draws.front();
            if (!draws.empty()) draws.pop_front();
            EXPECT_LT(value, n);
            ++used;
            return value;
        };
    }
};

class PlayListCommands : public ::testing::Test {
  public:
    PlayerSession session;

  protected:
    void SetUp() override {
        AppSettings() = Settings{};
        testing::ResetPlayerState(session);
    }
    void TearDown() override {
        AppSettings() = Settings{};
        session.graph.MediaKind = MediaKindNone;
    }
    EntryOpener Recorder() {
        return [this](const std::string& name) { opened.push_back(name); };
    }
    std::vector<std::string> opened;
};

TEST_F(PlayListCommands, RandomPickPrefersTheLeastPlayedAndAvoidsRepeating) {
    // A single entry: index 0 every time, however often it was played.
    PlayListState one;
    one.PlayList = {"only.avi"};
    one.PlayCounts = {0};
    for (int round = 0; round < 5; ++round) {
        EXPECT_EQ(RandomPick(one), 0);
        ++one.PlayCounts[0];
    }

    // Counts 3, 0, 0 after entry 1: the threshold is 1, so only entry 2 is
    // accepted; the first acceptable draw ends the search.
    PlayListState list;
    list.PlayList = {"a", "b", "c"};
    list.PlayCounts = {3, 0, 0};
    list.PlayListIndex = 1;
    ScriptedRandom accepted{{0, 1, 2}};
    EXPECT_EQ(RandomPick(list, accepted.Source()), 2);
    EXPECT_EQ(accepted.used, 3);

    list.PlayListIndex = 1;
    ScriptedRandom early{{2}};
    EXPECT_EQ(RandomPick(list, early.Source()), 2);
    EXPECT_EQ(early.used, 1);

    // Three draws without entry 2: the last draw stays, even the previous entry.
    list.PlayListIndex = 1;
    ScriptedRandom missed{{0, 1, 0}};
    EXPECT_EQ(RandomPick(list, missed.Source()), 0);
    list.PlayListIndex = 1;
    ScriptedRandom repeated{{0, 0, 1}};
    EXPECT_EQ(RandomPick(list, repeated.Source()), 1);
    EXPECT_EQ(repeated.used, 3);
}

TEST_F(PlayListCommands, NextStopsAtTheLastEntryAndPreviousAtTheFirst) {
    PlayListState list;
    SetPlayList(session, list, {"a", "b", "c"}, 2, Recorder());
    EXPECT_EQ(opened, (std::vector<std::string>{"c"}));
    Next2Click(list, Recorder());
    EXPECT_EQ(list.PlayListIndex, 2);
    EXPECT_EQ(opened.size(), 1u);

    First1Click(list, Recorder());
    Previous1Click(list, Recorder());
    EXPECT_EQ(opened, (std::vector<std::string>{"c", "a"}));
    Next2Click(list, Recorder());
    Next2Click(list, Recorder());
    Previous1Click(list, Recorder());
    EXPECT_EQ(opened, (std::vector<std::string>{"c", "a", "b", "c", "b"}));
    // Every start is counted.
    EXPECT_EQ(list.PlayCounts, (std::vector<int>{1, 2, 2}));

    // Commands on an empty list do nothing.
    PlayListState empty;
    First1Click(empty, Recorder());
    Next2Click(empty, Recorder());
    Previous1Click(empty, Recorder());
    EXPECT_EQ(opened.size(), 5u);
}

// An edit may shorten the list under the current index; Previous then steps
// to the entry before that index within the list, Next finds no entry after it.
TEST_F(PlayListCommands, StepsFromEveryIndexOfListsOfOneTwoAndThreeEntries) {
    struct Case {
        std::vector<std::string> names;
        int index;
        std::string previous;  // "" when Previous does nothing
        std::string next;
    };
    const Case cases[] = {
        {{"a"}, 0, "", ""},
        {{"a"}, 1, "a", ""},
        {{"a", "b"}, 0, "", "b"},
        {{"a", "b"}, 1, "a", ""},
        {{"a", "b"}, 2, "b", ""},
        {{"a", "b"}, 3, "b", ""},
        {{"a", "b", "c"}, 1, "a", "c"},
        {{"a", "b", "c"}, 2, "b", ""},
        {{"a", "b", "c"}, 3, "c", ""},
        {{"a", "b", "c"}, 4, "c", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.index << " in " << c.names.size());
        for (const bool back : {true, false}) {
            PlayListState list;
            list.PlayList = c.names;
            list.PlayCounts.assign(c.names.size(), 0);
            list.PlayListIndex = c.index;
            opened.clear();
            if (back)
                Previous1Click(list, Recorder());
            else
                Next2Click(list, Recorder());
            const std::string& want = back ? c.previous : c.next;
            if (want.empty()) {
                EXPECT_TRUE(opened.empty()) << (back ? "Previous" : "Next");
                EXPECT_EQ(list.PlayListIndex, c.index);
            } else {
                EXPECT_EQ(opened, std::vector<std::string>{want}) << (back ? "Previous" : "Next");
                ASSERT_GE(list.PlayListIndex, 0);
                ASSERT_LT(list.PlayListIndex, list.PlayListCount());
                EXPECT_EQ(list.PlayList[static_cast<size_t>(list.PlayListIndex)], want);
            }
        }
    }
}

TEST_F(PlayListCommands, NewListsStartAtTheFirstOrARandomEntry) {
    PlayListState list;
    SetPlayList(session, list, {"x"}, -1, Recorder());
    LoadDroppedFiles(session, list, {"d1", "d2", "d3"}, Recorder());
    EXPECT_EQ(opened, (std::vector<std::string>{"x", "d1"}));
    EXPECT_EQ(list.PlayCounts, (std::vector<int>{1, 0, 0}));

    AppSettings().RandomList = true;
    ScriptedRandom draw{{2}};
    LoadDroppedFiles(session, list, {"d1", "d2", "d3"}, Recorder(), draw.Source());
    EXPECT_EQ(opened.back(), "d3");
    ScriptedRandom next{{0}};
    Next2Click(list, Recorder(), next.Source());
    EXPECT_EQ(opened.back(), "d1");

    // An extraction run keeps the list's order.
    session.flags.ExtractionMode = true;
    SetPlayList(session, list, {"e1", "e2"}, -1, Recorder());
    EXPECT_EQ(opened.back(), "e1");

    // An empty list empties the play list and opens nothing.
    const size_t before = opened.size();
    SetPlayList(session, list, {}, -1, Recorder());
    EXPECT_TRUE(list.PlayList.empty());
    EXPECT_EQ(opened.size(), before);
}

TEST_F(PlayListCommands, LoopAndRandomToggleOnlyWhereTheyMeanSomething) {
    bool loop = false;
    EXPECT_EQ(Loop1Click(loop, MediaKindNone), "");
    EXPECT_EQ(Loop1Click(loop, MediaKindDvd), "");
    EXPECT_FALSE(loop);
    EXPECT_EQ(Loop1Click(loop, MediaKindFile), "loop on");
    EXPECT_EQ(Loop1Click(loop, MediaKindFile), "loop off");

    bool random = false;
    Random1Click(random, MediaKindDvd);
    EXPECT_FALSE(random);
    Random1Click(random, MediaKindNone);
    EXPECT_TRUE(random);
}

class ListFiles : public ::testing::Test {
  public:
    PlayerSession session;

  protected:
    testing::TempDir dir_;
};

TEST_F(ListFiles, MplLinesAreEntriesBlankOnesTooAndRelativeNamesFollowTheList) {
    std::filesystem::create_directories(dir_ / "lists");
    // CR LF, a lone LF and a lone CR all end lines; the last line has no end.
    testing::WriteFile(dir_ / "lists" / "party.mpl",
                       "/media/one.avi\r\n\r\nsub/two.ogg\n../three.mp3\r\n\rcaf\xe9.avi");
    const std::string folder = (dir_ / "lists").string();
    EXPECT_EQ(ReadListFile((dir_ / "lists" / "party.mpl").string()),
              (std::vector<std::string>{"/media/one.avi", "", folder + "/sub/two.ogg",
                                        dir_.path().string() + "/three.mp3", "",
                                        folder + "/caf\xc3\xa9.avi"}));
}

TEST_F(ListFiles, M3u8ListsSkipCommentsAndBlankLines) {
    testing::WriteFile(dir_ / "mix.m3u8",
                       "#EXTM3U\r\n#EXTINF:123,Artist - Title\r\nsong.mp3\r\n\r\n/abs/other.ogg\r\n"
                       "http://radio.example/stream\r\n");
    EXPECT_EQ(ReadListFile((dir_ / "mix.m3u8").string()),
              (std::vector<std::string>{(dir_ / "song.mp3").string(), "/abs/other.ogg",
                                        "http://radio.example/stream"}));
}

TEST_F(ListFiles, M3uLinesMayBeIndented) {
    // totem-pl-parser's O_G_Money_Snoop_Dogg.m3u (test_m3u_leading_tabs): one
    // entry, its EXTINF comment indented with tabs.
    testing::WriteFile(dir_ / "tabs.m3u",
                       "#EXTM3U\r\n\t\t#EXTINF:-1,O G Money - Girl Gotta girlfriend Feat. O G "
                       "Money, Snoop Dogg\r\nhttp://media.ArtistServer.com/tracks/23985/21898/1/1/"
                       "5e302b19727b666f5825/0/O_G_Money_-_Girl_Gotta_girlfriend_Feat_O_G_Money,_"
                       "Snoop_Dogg.mp3\r\n");
    EXPECT_EQ(ReadListFile((dir_ / "tabs.m3u").string()),
              (std::vector<std::string>{"http://media.ArtistServer.com/tracks/23985/21898/1/1/"
                                        "5e302b19727b666f5825/0/O_G_Money_-_Girl_Gotta_girlfriend_"
                                        "Feat_O_G_Money,_Snoop_Dogg.mp3"}));
    testing::WriteFile(dir_ / "indented.m3u8", "  \tsong.mp3\n \t \n\t/abs/other.ogg\n");
    EXPECT_EQ(ReadListFile((dir_ / "indented.m3u8").string()),
              (std::vector<std::string>{(dir_ / "song.mp3").string(), "/abs/other.ogg"}));
    // In .mpl lists every line is a name as it stands.
    testing::WriteFile(dir_ / "indented.mpl", " song.mp3\r\n");
    EXPECT_EQ(ReadListFile((dir_ / "indented.mpl").string()),
              (std::vector<std::string>{(dir_ / " song.mp3").string()}));
}

TEST_F(ListFiles, M3uBackslashesSeparateFoldersUnlessTheNameExistsAsWritten) {
    std::filesystem::create_directories(dir_ / "media");
    testing::WriteFile(dir_ / "media" / "clip.wav", "");
    testing::WriteFile(dir_ / "odd\\name.wav", "");
    testing::WriteFile(dir_ / "windows.m3u",
                       "media\\clip.wav\r\nodd\\name.wav\r\nmedia\\later.wav\r\n"
                       "http://radio.example/a\\b\r\n");
    EXPECT_EQ(ReadListFile((dir_ / "windows.m3u").string()),
              (std::vector<std::string>{
                  (dir_ / "media" / "clip.wav").string(), (dir_ / "odd\\name.wav").string(),
                  (dir_ / "media" / "later.wav").string(), "http://radio.example/a\\b"}));
    // An .mpl list is this program's own, written on Linux.
    testing::WriteFile(dir_ / "own.mpl", "media\\clip.wav\r\n");
    EXPECT_EQ(ReadListFile((dir_ / "own.mpl").string()),
              (std::vector<std::string>{(dir_ / "media\\clip.wav").string()}));
}

TEST_F(ListFiles, WritingUsesCrLfAndAFailureNamesTheFileAndKeepsTheOldList) {
    const std::string name = (dir_ / "out.mpl").string();
    WriteListFile(name, {"/a/b.avi", "/c/\xc3\xa9.ogg"});
    EXPECT_EQ(testing::ReadFile(name), "/a/b.avi\r\n/c/\xc3\xa9.ogg\r\n");
    EXPECT_EQ(ReadListFile(name), (std::vector<std::string>{"/a/b.avi", "/c/\xc3\xa9.ogg"}));

    const std::string missing = (dir_ / "nowhere" / "x.mpl").string();
    try {
        WriteListFile(missing, {"a"});
        ADD_FAILURE() << "no error";
    } catch (const ListFileError& e) {
        EXPECT_NE(std::string(e.what()).find(missing), std::string::npos) << e.what();
    }
    try {
        ReadListFile(missing);
        ADD_FAILURE() << "no error";
    } catch (const ListFileError& e) {
        EXPECT_NE(std::string(e.what()).find(missing), std::string::npos) << e.what();
    }
    EXPECT_EQ(testing::ReadFile(name), "/a/b.avi\r\n/c/\xc3\xa9.ogg\r\n");
}

// The message of the ListFileError `read` throws; "" when it throws none.
std::string ListError(const std::function<void()>& read) {
    try {
        read();
    } catch (const ListFileError& e) {
        return e.what();
    }
    return "";
}

TEST_F(ListFiles, OnlyPlainFilesAreReadAndNoneBeyondTheLimits) {
    // A named pipe without a writer would hold the player in open() for ever.
    ASSERT_EQ(mkfifo((dir_ / "pipe.mpl").c_str(), 0600), 0);
    EXPECT_NE(ListError([&] { ReadListFile((dir_ / "pipe.mpl").string()); }), "");
    // A device that never ends.
    EXPECT_NE(ListError([] { ReadListFile("/dev/zero"); }), "");
    EXPECT_NE(ListError([&] { ReadListFile(dir_.path().string()); }), "");

    // 20 MiB of one-letter lines would be ten million entries.
    std::string lines;
    for (int i = 0; i < 10 * 1024 * 1024; ++i) lines += "a\n";
    testing::WriteFile(dir_ / "huge.mpl", lines);
    const std::string huge = ListError([&] { ReadListFile((dir_ / "huge.mpl").string()); });
    EXPECT_NE(huge.find(std::to_string(kMaxListFileBytes)), std::string::npos) << huge;
    EXPECT_NE(huge.find("huge.mpl"), std::string::npos) << huge;

    // Small, but more entries than any play list holds.
    testing::WriteFile(dir_ / "many.m3u", lines.substr(0, 2 * (kMaxListEntries + 1)));
    const std::string many = ListError([&] { ReadListFile((dir_ / "many.m3u").string()); });
    EXPECT_NE(many.find(std::to_string(kMaxListEntries)), std::string::npos) << many;
    testing::WriteFile(dir_ / "full.m3u", lines.substr(0, 2 * kMaxListEntries));
    EXPECT_EQ(ReadListFile((dir_ / "full.m3u").string()).size(), kMaxListEntries);
}

TEST_F(ListFiles, SavingNeverWritesThroughAPlantedLinkAndKeepsTheListsMode) {
    const std::filesystem::path list = dir_ / "private.mpl";
    testing::WriteFile(list, "old\r\n");
    ASSERT_EQ(chmod(list.c_str(), 0600), 0);
    // Whatever name a saving writer could pick beside the list.
    testing::WriteFile(dir_ / "victim", "untouched");
    for (const char* planted : {"private.mpl.tmp", "private.mpl.quova-new", ".private.mpl.part"})
        std::filesystem::create_symlink(dir_ / "victim", dir_ / planted);
    WriteListFile(list.string(), {"/a.avi"});
    EXPECT_EQ(testing::ReadFile(list), "/a.avi\r\n");
    EXPECT_EQ(testing::ReadFile(dir_ / "victim"), "untouched");
    struct stat st {};
    ASSERT_EQ(stat(list.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // A name at the length limit (255 bytes) saves like any other.
    const std::filesystem::path longName = dir_ / (std::string(251, 'l') + ".mpl");
    WriteListFile(longName.string(), {"/b.avi"});
    EXPECT_EQ(ReadListFile(longName.string()), (std::vector<std::string>{"/b.avi"}));
}

TEST_F(ListFiles, NamesOfAnyBytesKeepTheirLinesAndLeaveTheOthersAsWritten) {
    const std::string name = (dir_ / "names.mpl").string();
    const std::vector<std::string> entries = {"/films/caf\xC3\xA9.avi", "/films/Am\xE9lie.avi",
                                              "/films/two\nlines.avi", "/films/na\xC3\xAFve.ogg"};
    WriteListFile(name, entries);
    const std::string text = testing::ReadFile(name);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4) << text;
    // The UTF-8 names are where an older reader finds them.
    EXPECT_TRUE(text.starts_with("/films/caf\xC3\xA9.avi\r\n")) << text;
    EXPECT_TRUE(text.ends_with("\r\n/films/na\xC3\xAFve.ogg\r\n")) << text;
    EXPECT_EQ(ReadListFile(name), entries);

    // A list written by hand in two encodings: each line is read by its own.
    testing::WriteFile(name, "/films/caf\xC3\xA9.avi\r\n/films/Am\xE9lie.avi\r\n");
    EXPECT_EQ(ReadListFile(name),
              (std::vector<std::string>{"/films/caf\xC3\xA9.avi", "/films/Am\xC3\xA9lie.avi"}));
}

TEST_F(ListFiles, AListOpenedAsAMediumBecomesThePlayList) {
    testing::App();
    AppSettings() = Settings{};
    testing::WriteFile(dir_ / "l.m3u", "a.avi\nb.avi\n");
    PlayListState list;
    std::vector<std::string> opened;
    const EntryOpener open = [&](const std::string& name) { opened.push_back(name); };
    LoadPlayList(session, (dir_ / "l.m3u").string(), list, open);
    EXPECT_EQ(opened, (std::vector<std::string>{(dir_ / "a.avi").string()}));
    EXPECT_EQ(list.PlayList.size(), 2u);

    // An unreadable list is reported by name and the play list stays.
    testing::SeenBox seen;
    testing::AnswerNextBox(QMessageBox::Ok, &seen);
    LoadPlayList(session, (dir_ / "gone.mpl").string(), list, open);
    EXPECT_TRUE(seen.shown);
    EXPECT_TRUE(seen.text.contains("gone.mpl"));
    EXPECT_EQ(list.PlayList.size(), 2u);

    // A list whose first entry is the list itself does not open for ever.
    testing::WriteFile(dir_ / "self.mpl", "self.mpl\n");
    const std::string self = (dir_ / "self.mpl").string();
    int loads = 0;
    const EntryOpener reload = [&](const std::string& name) {
        ++loads;
        testing::AnswerNextBox(QMessageBox::Ok);
        LoadPlayList(session, name, list, {});
    };
    LoadPlayList(session, self, list, reload);
    EXPECT_EQ(loads, 1);
    // Refusing the list within does not refuse the next list opened.
    opened.clear();
    LoadPlayList(session, (dir_ / "l.m3u").string(), list, open);
    EXPECT_EQ(opened, (std::vector<std::string>{(dir_ / "a.avi").string()}));
}

TEST_F(ListFiles, AFolderOpenedOrDroppedBecomesTheListOfItsMediaInNaturalOrder) {
    testing::App();
    AppSettings() = Settings{};
    const std::filesystem::path clip = testing::media::Wav(dir_ / "clip.wav", 0.2);
    const std::filesystem::path show = dir_ / "show";
    std::filesystem::create_directory(show);
    std::vector<std::string> episodes;
    for (int n = 1; n <= 12; ++n) {
        episodes.push_back((show / ("ep" + std::to_string(n) + ".wav")).string());
        std::filesystem::copy_file(clip, episodes.back());
    }
    testing::WriteFile(show / "ep1.srt", "1\n00:00:01,000 --> 00:00:02,000\nHello\n");
    PlayListState list;
    std::vector<std::string> opened;
    const EntryOpener open = [&](const std::string& name) { opened.push_back(name); };
    LoadPlayList(session, show.string(), list, open);
    EXPECT_EQ(list.PlayList, episodes);
    EXPECT_EQ(opened, (std::vector<std::string>{episodes[0]}));

    // A folder without media says so by name, and the play list stays.
    std::filesystem::create_directory(dir_ / "empty");
    testing::SeenBox seen;
    testing::AnswerNextBox(QMessageBox::Ok, &seen);
    LoadPlayList(session, (dir_ / "empty").string(), list, open);
    EXPECT_TRUE(seen.shown);
    EXPECT_TRUE(seen.text.contains("empty")) << seen.text.toStdString();
    EXPECT_EQ(list.PlayList, episodes);

    // Dropped beside a file, the folder stands for its media in its place.
    opened.clear();
    LoadDroppedFiles(session, list, {clip.string(), show.string()}, open);
    std::vector<std::string> dropped{clip.string()};
    dropped.insert(dropped.end(), episodes.begin(), episodes.end());
    EXPECT_EQ(list.PlayList, dropped);
    EXPECT_EQ(opened, (std::vector<std::string>{clip.string()}));
}

class RecentMenu : public testing::WindowTest {
  protected:
    RecentMenu() : WindowTest({.size = {}, .shown = false}) {}
    void SetUp() override {
        WindowTest::SetUp();
        OnOpen([this](const std::string& name) { opened_.push_back(name); });
    }
    std::vector<std::string> opened_;
};

TEST_F(RecentMenu, ANameWithAnAmpersandOpensAgainFromItsMenuItem) {
    for (const char* name : {"/m/1.avi", "/m/2.avi", "/m/Tom & Jerry.avi", "/m/4.avi", "/m/5.avi"})
        session.mediaPort.Get().AddRecentFile(name);
    // The third most recent moves to the top; the two above it move down one.
    session.mediaPort.Get().AddRecentFile("/m/Tom & Jerry.avi");
    EXPECT_EQ(AppSettings().RecentFiles,
              (std::array<std::string, 5>{"/m/Tom && Jerry.avi", "/m/5.avi", "/m/4.avi", "/m/2.avi",
                                          "/m/1.avi"}));
    const MenuItem* first = form_->menuModel().Find("recentn1");
    ASSERT_NE(first, nullptr);
    QAction* action = form_->popup().Action(first->parent->children.front());
    ASSERT_NE(action, nullptr);
    const std::vector<std::string> playList = form_->PlayList();
    action->trigger();
    EXPECT_EQ(opened_, (std::vector<std::string>{"/m/Tom & Jerry.avi"}));
    // Opening a recent file leaves the play list alone.
    EXPECT_EQ(form_->PlayList(), playList);
}

class NetworkList : public testing::WindowTest {
  protected:
    NetworkList() : WindowTest({.size = {}, .shown = false}) {}
};

// A list of local files and addresses plays in its order; an address that
// fails is reported and the list goes on past it.
TEST_F(NetworkList, LocalFilesAndAddressesPlayInOrderPastAFailedAddress) {
    const auto served = dir_ / "served";
    std::filesystem::create_directories(served);
    testing::media::Wav(served / "far.wav", 1.0);
    const auto near = testing::media::Wav(dir_ / "near.wav", 1.0);
    testing::HttpServer server(served);
    ASSERT_TRUE(server.Running());
    const std::string missing = server.Address("missing.wav");
    const std::string far = server.Address("far.wav");
    testing::WriteFile(dir_ / "mixed.m3u8", "#EXTM3U\n" + missing + "\nnear.wav\n" + far + "\n");

    testing::SeenBox seen;
    testing::AnswerNextBox(QMessageBox::Ok, &seen);
    form_->OpenMedia((dir_ / "mixed.m3u8").string());
    ASSERT_TRUE(
        testing::WaitUntil([&] { return session.graph.CurrentMediaName == near.string(); }));
    EXPECT_TRUE(seen.shown);
    EXPECT_TRUE(seen.text.contains(QString::fromStdString(missing))) << seen.text.toStdString();
    EXPECT_EQ(form_->PlayList(), (std::vector<std::string>{missing, near.string(), far}));
    // The local file plays to its end and the address follows.
    ASSERT_TRUE(testing::WaitUntil([&] { return session.graph.CurrentMediaName == far; }));
    EXPECT_NEAR(session.graph.Duration, 1.0, 0.1);
    EXPECT_EQ(session.playList.PlayListIndex, 2);
    EXPECT_EQ(AppSettings().RecentFiles[0], far);
}

TEST_F(RecentMenu, LoopNeedsAnOpenFile) {
    QAction* loop = form_->popup().Action("Loop1");
    ASSERT_NE(loop, nullptr);
    session.graph.MediaKind = MediaKindNone;
    loop->trigger();
    EXPECT_FALSE(AppSettings().LoopOn);
    session.graph.MediaKind = MediaKindFile;
    loop->trigger();
    EXPECT_TRUE(AppSettings().LoopOn);
    session.graph.MediaKind = MediaKindNone;
}

}  // namespace
}  // namespace quova

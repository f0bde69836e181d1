#include "app/mpris.h"

#include <gtest/gtest.h>

#include <gst/gst.h>

#include <cmath>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include "app/app_state.h"
#include "app/command_gate.h"
#include "app/main_window.h"
#include "app/play_list.h"
#include "graph/graph_state.h"
#include "graph/open_media.h"
#include "platform/registry/registry.h"
#include "playback/transport.h"
#include "tests/app/private_bus.h"
#include "tests/app/qt_support.h"
#include "tests/support/dvd_volume.h"
#include "tests/support/gst_media.h"
#include "tests/support/http_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/window_fixture.h"
#include "text/osd.h"

namespace quova {
namespace {

using testing::PrivateBus;

// Collects the player's signals as a desktop would see them.
class Listener : public QObject {
    Q_OBJECT
  public:
    std::vector<qlonglong> seeked;
    std::vector<QVariantMap> changed;
  public Q_SLOTS:
    void Seeked(qlonglong position) { seeked.push_back(position); }
    void PropertiesChanged(const QString&, const QVariantMap& values, const QStringList&) {
        changed.push_back(values);
    }
};

class Mpris : public testing::WindowTest {
  protected:
    Mpris() : WindowTest({.size = {}, .shown = false}) {}
    void BeforeWindow() override { AppSettings().OsdOn = true; }
    void SetUp() override {
        testing::App();
        if (!bus_.Start()) GTEST_SKIP() << "no D-Bus daemon can be started here";
        WindowTest::SetUp();
        clip_ = testing::media::AviPcm(dir_ / "clip.avi", 4.0, 1).string();
        player_ = std::make_unique<QDBusConnection>(bus_.Connect("player"));
        client_ = std::make_unique<QDBusConnection>(bus_.Connect("client"));
        ASSERT_TRUE(player_->isConnected());
        ASSERT_TRUE(form_->mpris().Connect(*player_));
        client_->connect(MprisService::kServiceName, MprisService::kObjectPath,
                         "org.mpris.MediaPlayer2.Player", "Seeked", &listener_,
                         SLOT(Seeked(qlonglong)));
        client_->connect(MprisService::kServiceName, MprisService::kObjectPath,
                         "org.freedesktop.DBus.Properties", "PropertiesChanged", &listener_,
                         SLOT(PropertiesChanged(QString, QVariantMap, QStringList)));
    }
    void TearDown() override {
        if (form_) form_->mpris().Disconnect();
        WindowTest::TearDown();
    }

    QDBusMessage Call(const QString& method, const QVariantList& args = {},
                      const QString& interface = "org.mpris.MediaPlayer2.Player") {
        QDBusMessage call = QDBusMessage::createMethodCall(
            MprisService::kServiceName, MprisService::kObjectPath, interface, method);
        call.setArguments(args);
        QDBusMessage reply = client_->call(call, QDBus::BlockWithGui, 10000);
        testing::PumpEvents(50);
        return reply;
    }
    QVariant Get(const QString& property,
                 const QString& interface = "org.mpris.MediaPlayer2.Player") {
        const QDBusMessage reply =
            Call("Get", {interface, property}, "org.freedesktop.DBus.Properties");
        if (reply.type() != QDBusMessage::ReplyMessage) return {};
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }
    QVariantMap Metadata() { return qdbus_cast<QVariantMap>(Get("Metadata")); }

    PrivateBus bus_;
    std::string clip_;
    std::unique_ptr<QDBusConnection> player_, client_;
    Listener listener_;
};

TEST_F(Mpris, OffersTheNameOnceAndTellsWhoItIs) {
    EXPECT_EQ(client_->interface()->serviceOwner(MprisService::kServiceName).value(),
              player_->baseService());
    // A second instance never takes the name; the first keeps it.
    MprisService second(session, form_->commands());
    QDBusConnection other = bus_.Connect("second");
    EXPECT_FALSE(second.Connect(other));
    EXPECT_EQ(client_->interface()->serviceOwner(MprisService::kServiceName).value(),
              player_->baseService());

    EXPECT_EQ(Get("Identity", "org.mpris.MediaPlayer2").toString(), "Quova");
    EXPECT_EQ(Get("DesktopEntry", "org.mpris.MediaPlayer2").toString(), "quova");
    EXPECT_EQ(Get("SupportedUriSchemes", "org.mpris.MediaPlayer2").toStringList(),
              QStringList{"file"});
    EXPECT_EQ(Get("PlaybackStatus").toString(), "Stopped");
    EXPECT_EQ(Get("MinimumRate").toDouble(), 0.25);
    EXPECT_EQ(Get("MaximumRate").toDouble(), 2.0);
    EXPECT_FALSE(Get("CanGoNext").toBool()) << "no play list to move on in";
}

// playerctl, a client nobody here wrote, run against the player on the
// private bus; the player answers it from this thread's event loop.
struct PlayerctlAnswer {
    int exitCode = -1;
    std::string out;
};

PlayerctlAnswer Playerctl(const QString& busAddress, const QStringList& args) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DBUS_SESSION_BUS_ADDRESS", busAddress);
    process.setProcessEnvironment(env);
    process.start("playerctl", QStringList{"--player=quova"} + args);
    if (!process.waitForStarted(5000)) return {};
    testing::WaitUntil([&] { return process.state() == QProcess::NotRunning; }, 10000);
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    testing::PumpEvents(100);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()).trimmed().toStdString()};
}

// What a desktop client shows of a list of three: no "previous" at the first
// entry, no "next" at the last, the loop and random options as the menu has
// them, and no seek announced where nobody sought.
TEST_F(Mpris, PlayerctlSeesAThreeEntryListTruthfullyAtBothEnds) {
    const QString bus = bus_.Address();
    ASSERT_EQ(Playerctl(bus, {"--version"}).exitCode, 0) << "playerctl is needed";
    std::vector<std::string> names;
    for (const char* name : {"one.avi", "two.avi", "three.avi"})
        names.push_back(testing::media::AviPcm(dir_ / name, 2.0, 1).string());
    SetPlayList(session, session.playList, names, 0, form_->Opener());
    ASSERT_TRUE(testing::WaitUntil([&] { return session.graph.CurrentMediaName == names[0]; }));
    testing::PumpEvents(200);
    EXPECT_TRUE(listener_.seeked.empty()) << "the open's start is no seek";

    EXPECT_FALSE(Get("CanGoPrevious").toBool());
    EXPECT_TRUE(Get("CanGoNext").toBool());
    Playerctl(bus, {"previous"});
    EXPECT_EQ(session.graph.CurrentMediaName, names[0]);
    Playerctl(bus, {"next"});
    ASSERT_TRUE(testing::WaitUntil([&] { return session.graph.CurrentMediaName == names[1]; }));
    Playerctl(bus, {"next"});
    ASSERT_TRUE(testing::WaitUntil([&] { return session.graph.CurrentMediaName == names[2]; }));
    testing::PumpEvents(200);
    // At the last entry Next still stops what plays (MPRIS).
    EXPECT_TRUE(Get("CanGoNext").toBool());
    EXPECT_TRUE(Get("CanGoPrevious").toBool());
    bool announced = false;
    for (const QVariantMap& values : listener_.changed)
        announced = announced || values.value("CanGoPrevious") == QVariant(true);
    EXPECT_TRUE(announced) << "the change is announced";
    EXPECT_TRUE(listener_.seeked.empty());

    // Loop: the menu's option, shown on the OSD as its command shows it.
    EXPECT_EQ(Playerctl(bus, {"loop"}).out, "None");
    Playerctl(bus, {"loop", "Playlist"});
    EXPECT_TRUE(AppSettings().LoopOn);
    EXPECT_EQ(session.osdMessage, "loop on");
    EXPECT_EQ(Playerctl(bus, {"loop"}).out, "Playlist");
    Playerctl(bus, {"loop", "None"});
    EXPECT_FALSE(AppSettings().LoopOn);
    // Random: a random pick can follow the last entry.
    EXPECT_EQ(Playerctl(bus, {"shuffle"}).out, "Off");
    Playerctl(bus, {"shuffle", "On"});
    EXPECT_TRUE(AppSettings().RandomList);
    EXPECT_EQ(Playerctl(bus, {"shuffle"}).out, "On");
    EXPECT_TRUE(Get("CanGoNext").toBool());
    Playerctl(bus, {"shuffle", "Off"});
    EXPECT_FALSE(AppSettings().RandomList);

    // A seek the client asks for is announced, once.
    Playerctl(bus, {"position", "1"});
    ASSERT_TRUE(testing::WaitUntil([&] { return !listener_.seeked.empty(); }, 5000));
    EXPECT_EQ(listener_.seeked.size(), 1u);
    EXPECT_NEAR(listener_.seeked.front(), 1'000'000, 40'000);
}

TEST_F(Mpris, MethodsActAsTheirMenuCommandsAndPropertiesReadBackWhatThePlayerShows) {
    const QString url = QUrl::fromLocalFile(QString::fromStdString(clip_)).toString();
    Call("OpenUri", {url});
    ASSERT_EQ(session.graph.CurrentMediaName, clip_);
    EXPECT_EQ(Get("PlaybackStatus").toString(), "Playing");
    const QVariantMap metadata = Metadata();
    EXPECT_EQ(metadata.value("xesam:title").toString(), "clip.avi");
    EXPECT_EQ(metadata.value("xesam:url").toString(), url);
    EXPECT_NEAR(metadata.value("mpris:length").toLongLong(), 4'000'000, 200'000);

    Call("PlayPause");
    EXPECT_EQ(session.osdMessage, "pause");
    EXPECT_EQ(Get("PlaybackStatus").toString(), "Paused");

    const auto track = metadata.value("mpris:trackid").value<QDBusObjectPath>();
    Call("SetPosition", {QVariant::fromValue(track), qlonglong{2'000'000}});
    EXPECT_NEAR(Get("Position").toLongLong(), 2'000'000, 40'000);
    Call("Seek", {qlonglong{1'000'000}});
    EXPECT_NEAR(Get("Position").toLongLong(), 3'000'000, 40'000);
    EXPECT_NEAR(static_cast<double>(Get("Position").toLongLong()) / 1e6, CurrentPosition(session),
                0.001);
    // A position for another track is ignored.
    Call("SetPosition", {QVariant::fromValue(QDBusObjectPath("/other")), qlonglong{0}});
    EXPECT_NEAR(CurrentPosition(session), 3.0, 0.04);
    // Offsets at the ends of the 64-bit range stop at the ends of the medium.
    Call("Seek", {qlonglong{9'000'000'000'000'000'000}});
    EXPECT_GE(CurrentPosition(session), session.graph.Duration - 0.05);
    Call("Seek", {qlonglong{-9'000'000'000'000'000'000}});
    EXPECT_NEAR(CurrentPosition(session), 0.0, 0.04);
    Call("SetPosition", {QVariant::fromValue(track), qlonglong{3'000'000}});
    testing::PumpEvents(100);
    ASSERT_FALSE(listener_.seeked.empty());
    EXPECT_NEAR(listener_.seeked.back(), 3'000'000, 40'000);

    Call("PlayPause");
    EXPECT_EQ(session.osdMessage, "Play");
    EXPECT_EQ(Get("PlaybackStatus").toString(), "Playing");
    Call("Stop");
    EXPECT_EQ(session.osdMessage, "stop");
    EXPECT_EQ(Get("PlaybackStatus").toString(), "Stopped");
    testing::PumpEvents(100);
    bool statusAnnounced = false;
    for (const QVariantMap& values : listener_.changed)
        statusAnnounced = statusAnnounced || values.value("PlaybackStatus") == "Stopped";
    EXPECT_TRUE(statusAnnounced);
}

// The MPRIS 2.2 Player interface: "Calling Play after [Stop] should cause
// playback to start again from the beginning of the track"; paused, Play
// resumes where it is.
TEST_F(Mpris, PlayerctlPlayAfterStopStartsAgainFromTheBeginning) {
    const QString bus = bus_.Address();
    ASSERT_EQ(Playerctl(bus, {"--version"}).exitCode, 0) << "playerctl is needed";
    const auto clip = testing::media::AviPcm(dir_ / "long.avi", 8.0, 1).string();
    form_->OpenMedia(clip);
    ASSERT_EQ(session.graph.CurrentMediaName, clip);
    for (const char* start : {"play", "play-pause"}) {
        SCOPED_TRACE(start);
        Playerctl(bus, {"position", "3"});
        Playerctl(bus, {"pause"});
        Playerctl(bus, {"play"});
        EXPECT_EQ(Playerctl(bus, {"status"}).out, "Playing");
        EXPECT_GT(CurrentPosition(session), 2.9) << "paused, Play goes on from there";
        Playerctl(bus, {"position", "5"});
        Playerctl(bus, {"stop"});
        EXPECT_EQ(Playerctl(bus, {"status"}).out, "Stopped");
        Playerctl(bus, {start});
        EXPECT_EQ(Playerctl(bus, {"status"}).out, "Playing");
        EXPECT_LT(CurrentPosition(session), 1.0);
    }
    // The menu's Play still goes on from where Stop left it.
    form_->commands().Run("SeekTo", 4.0);
    ASSERT_TRUE(testing::WaitUntil([&] { return CurrentPosition(session) > 3.9; }));
    form_->commands().Run("Stop1Click", {});
    form_->commands().Run("Play1Click", {});
    EXPECT_GT(CurrentPosition(session), 3.9);
}

// MPRIS: "If there is no next track (and endless playback and track repeat
// are both off), stop playback."
TEST_F(Mpris, PlayerctlNextAtTheLastEntryStopsOrGoesRoundALoopingList) {
    const QString bus = bus_.Address();
    ASSERT_EQ(Playerctl(bus, {"--version"}).exitCode, 0) << "playerctl is needed";
    std::vector<std::string> names;
    for (const char* name : {"one.avi", "two.avi"})
        names.push_back(testing::media::AviPcm(dir_ / name, 8.0, 1).string());
    SetPlayList(session, session.playList, names, 1, form_->Opener());
    ASSERT_TRUE(testing::WaitUntil([&] { return session.graph.CurrentMediaName == names[1]; }));
    EXPECT_TRUE(Get("CanGoNext").toBool()) << "playerctl asks only then";
    Playerctl(bus, {"next"});
    EXPECT_EQ(Playerctl(bus, {"status"}).out, "Stopped");
    EXPECT_EQ(session.graph.CurrentMediaName, names[1]);
    // A looping list goes round.
    Playerctl(bus, {"play"});
    AppSettings().LoopOn = true;
    Playerctl(bus, {"next"});
    ASSERT_TRUE(testing::WaitUntil([&] { return session.graph.CurrentMediaName == names[0]; }));
    EXPECT_EQ(Playerctl(bus, {"status"}).out, "Playing");
    AppSettings().LoopOn = false;
    // Before the last entry Next moves on, and plays.
    Playerctl(bus, {"next"});
    ASSERT_TRUE(testing::WaitUntil([&] { return session.graph.CurrentMediaName == names[1]; }));
    EXPECT_EQ(Playerctl(bus, {"status"}).out, "Playing");
}

// MPRIS: "A value of 0.0 should not be set by the client. If it is, the
// media player should act as though Pause was called."
TEST_F(Mpris, ARateOfZeroPauses) {
    form_->OpenMedia(clip_);
    auto setRate = [this](double rate) {
        QDBusMessage set =
            QDBusMessage::createMethodCall(MprisService::kServiceName, MprisService::kObjectPath,
                                           "org.freedesktop.DBus.Properties", "Set");
        set.setArguments(
            {"org.mpris.MediaPlayer2.Player", "Rate", QVariant::fromValue(QDBusVariant(rate))});
        const QDBusMessage reply = client_->call(set, QDBus::BlockWithGui, 10000);
        testing::PumpEvents(50);
        return reply.type() == QDBusMessage::ReplyMessage;
    };
    ASSERT_EQ(Get("PlaybackStatus").toString(), "Playing");
    EXPECT_TRUE(setRate(0.0));
    EXPECT_EQ(Get("PlaybackStatus").toString(), "Paused");
    EXPECT_EQ(session.osdMessage, "pause");
    EXPECT_TRUE(setRate(0.0));
    EXPECT_EQ(Get("PlaybackStatus").toString(), "Paused");
    Call("Play");
    EXPECT_TRUE(setRate(1.5));
    EXPECT_EQ(Get("Rate").toDouble(), 1.5);
    EXPECT_TRUE(setRate(0.0));
    EXPECT_EQ(Get("PlaybackStatus").toString(), "Paused");
}

// xesam:url is a URL (RFC 3986): a blank and the bytes of a letter beyond
// ASCII are percent-encoded, as QUrl::fromLocalFile's encoded form has them.
TEST_F(Mpris, PlayerctlReadsPercentEncodedUrls) {
    const QString bus = bus_.Address();
    ASSERT_EQ(Playerctl(bus, {"--version"}).exitCode, 0) << "playerctl is needed";
    const struct {
        const char* name;
        const char* encoded;
    } cases[] = {{"01 interlude.ogg", "01%20interlude.ogg"},
                 {"caf\xC3\xA9.ogg", "caf%C3%A9.ogg"},
                 {"50% #1.ogg", "50%25%20%231.ogg"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = testing::media::OggVorbis(dir_ / c.name, 2.0).string();
        Call("OpenUri", {QUrl::fromLocalFile(QString::fromStdString(file)).toString()});
        ASSERT_EQ(session.graph.CurrentMediaName, file);
        const std::string url = "file://" + dir_.path().string() + "/" + c.encoded;
        EXPECT_EQ(Playerctl(bus, {"metadata", "xesam:url"}).out, url);
        EXPECT_EQ(Metadata().value("xesam:url").toString().toStdString(), url);
        EXPECT_EQ(QUrl(QString::fromStdString(url)).toLocalFile().toStdString(), file);
    }
}

// The tags of a file for the whole medium: ID3 in an MP3 and Vorbis comments
// in Ogg (which GStreamer's demuxers hand on as the stream's), the segment's
// tags in Matroska. Matroska's tracks have names of their own (GStreamer's
// writer calls its sound track "Audio"), which are no title of the medium: a
// file without one keeps its name.
TEST_F(Mpris, PlayerctlReadsTitleArtistAndAlbumFromTheTags) {
    const QString bus = bus_.Address();
    ASSERT_EQ(Playerctl(bus, {"--version"}).exitCode, 0) << "playerctl is needed";
    const std::string sound = "audiotestsrc num-buffers=200 ! audioconvert ! ";
    const std::string tags = "taginject tags=\"title=Interlude,artist=Ann,album=Disc\" ! ";
    const std::filesystem::path files[] = {dir_ / "id3.mp3", dir_ / "comments.ogg",
                                           dir_ / "segment.mkv"};
    ASSERT_EQ(testing::MakeMedia(
                  sound + "lamemp3enc ! " + tags + "id3v2mux ! filesink location=$OUT", files[0]),
              "");
    ASSERT_EQ(
        testing::MakeMedia(sound + tags + "vorbisenc ! oggmux ! filesink location=$OUT", files[1]),
        "");
    {
        // The writer's own tags are the segment's; those in the stream, its track's.
        GstElement* pipeline = gst_parse_launch(
            (sound + "vorbisenc ! matroskamux name=mux ! filesink location=" + files[2].string())
                .c_str(),
            nullptr);
        ASSERT_NE(pipeline, nullptr);
        GstElement* mux = gst_bin_get_by_name(GST_BIN(pipeline), "mux");
        gst_tag_setter_add_tags(GST_TAG_SETTER(mux), GST_TAG_MERGE_REPLACE, GST_TAG_TITLE,
                                "Interlude", GST_TAG_ARTIST, "Ann", GST_TAG_ALBUM, "Disc", nullptr);
        gst_object_unref(mux);
        ASSERT_EQ(testing::RunPipelineToEnd(pipeline, 30), "");
    }
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        Call("OpenUri", {QUrl::fromLocalFile(QString::fromStdString(file.string())).toString()});
        ASSERT_EQ(session.graph.CurrentMediaName, file.string());
        ASSERT_TRUE(testing::WaitUntil(
            [&] { return Metadata().value("xesam:title").toString() == "Interlude"; }, 5000))
            << Metadata().value("xesam:title").toString().toStdString();
        EXPECT_EQ(Playerctl(bus, {"metadata", "title"}).out, "Interlude");
        EXPECT_EQ(Playerctl(bus, {"metadata", "artist"}).out, "Ann");
        EXPECT_EQ(Playerctl(bus, {"metadata", "album"}).out, "Disc");
        const QVariantMap metadata = Metadata();
        EXPECT_EQ(metadata.value("xesam:artist").toStringList(), QStringList{"Ann"});
        EXPECT_EQ(metadata.value("xesam:album").toString(), "Disc");
    }
    const std::filesystem::path untitled = dir_ / "untitled.mkv";
    ASSERT_EQ(
        testing::MakeMedia(sound + "vorbisenc ! matroskamux ! filesink location=$OUT", untitled),
        "");
    Call("OpenUri", {QUrl::fromLocalFile(QString::fromStdString(untitled.string())).toString()});
    ASSERT_EQ(session.graph.CurrentMediaName, untitled.string());
    testing::PumpEvents(500);
    const QVariantMap metadata = Metadata();
    EXPECT_EQ(metadata.value("xesam:title").toString(), "untitled.mkv");
    EXPECT_FALSE(metadata.contains("xesam:artist"));
    EXPECT_FALSE(metadata.contains("xesam:album"));
}

// A medium the desktop opens is no entry of the play list played before:
// at its end that list does not go on.
TEST_F(Mpris, AfterAnOpenedUriEndsTheOldListDoesNotGoOn) {
    std::vector<std::string> names;
    for (const char* name : {"one.avi", "two.avi"})
        names.push_back(testing::media::AviPcm(dir_ / name, 8.0, 1).string());
    SetPlayList(session, session.playList, names, 0, form_->Opener());
    ASSERT_TRUE(testing::WaitUntil([&] { return session.graph.CurrentMediaName == names[0]; }));
    const std::string brief = testing::media::AviPcm(dir_ / "brief.avi", 1.0, 1).string();
    Call("OpenUri", {QUrl::fromLocalFile(QString::fromStdString(brief)).toString()});
    ASSERT_EQ(session.graph.CurrentMediaName, brief);
    ASSERT_TRUE(
        testing::WaitUntil([&] { return Get("PlaybackStatus").toString() == "Stopped"; }, 10000));
    testing::PumpEvents(1000);
    EXPECT_EQ(session.graph.CurrentMediaName, brief);
    EXPECT_EQ(form_->PlayList(), std::vector<std::string>{brief});
}

TEST_F(Mpris, OpenUriOpensAWebAddressAndRefusesOtherSchemes) {
    const auto served = dir_ / "served";
    std::filesystem::create_directories(served);
    testing::media::AviPcm(served / "net clip.avi", 2.0, 1);
    testing::HttpServer server(served);
    ASSERT_TRUE(server.Running());
    const std::string address = server.Address("net clip.avi");
    Call("OpenUri", {QString::fromStdString(address)});
    ASSERT_EQ(session.graph.CurrentMediaName, address);
    EXPECT_EQ(Get("PlaybackStatus").toString(), "Playing");
    const QVariantMap metadata = Metadata();
    EXPECT_EQ(metadata.value("xesam:url").toString().toStdString(), address);
    EXPECT_NEAR(metadata.value("mpris:length").toLongLong(), 2'000'000, 200'000);
    // Another scheme opens nothing: the address stays the one open.
    Call("OpenUri", {QString("ftp://127.0.0.1/clip.avi")});
    EXPECT_EQ(session.graph.CurrentMediaName, address);
}

// A call that comes while a command waits (a seek settling) runs after it: an
// open of a disc would otherwise release the graph the seek still uses.
TEST_F(Mpris, AnOpenArrivingDuringASeekOpensOnceAndTheSeekIsDropped) {
    const QString url = QUrl::fromLocalFile(QString::fromStdString(clip_)).toString();
    Call("OpenUri", {url});
    ASSERT_EQ(session.graph.CurrentMediaName, clip_);
    const std::string disc = (testing::SharedDvdVolume() / "VIDEO_TS" / "VIDEO_TS.IFO").string();
    auto send = [this](const QString& method, const QVariantList& args) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(MprisService::kServiceName, MprisService::kObjectPath,
                                           "org.mpris.MediaPlayer2.Player", method);
        call.setArguments(args);
        client_->asyncCall(call);
    };
    int opens = 0;
    OnOpen([&](const std::string& name) {
        ++opens;
        quova::OpenMedia(session, name);
    });
    send("Seek", {qlonglong{2'000'000}});
    send("OpenUri", {QUrl::fromLocalFile(QString::fromStdString(disc)).toString()});
    QElapsedTimer clock;
    clock.start();
    while (session.graph.MediaKind != MediaKindDvd && clock.elapsed() < 20000)
        testing::PumpEvents(50);
    EXPECT_EQ(session.graph.MediaKind, MediaKindDvd);
    EXPECT_EQ(opens, 1);
    testing::PumpEvents(200);
    EXPECT_FALSE(session.settlingSeek.has_value())
        << "a seek still settling on the file is dropped with it";
    EXPECT_FALSE(form_->commands().Gate().Busy());
}

// An open may ask the user something (a message box) and wait for the
// answer: the caller is answered before that, and the calls sent meanwhile
// leave one open to run after it, the last one asked for.
TEST_F(Mpris, OpenUriIsAnsweredAtOnceAndCallsSentMeanwhileLeaveOneOpen) {
    auto message = [](const std::string& file) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(MprisService::kServiceName, MprisService::kObjectPath,
                                           "org.mpris.MediaPlayer2.Player", "OpenUri");
        call.setArguments({QUrl::fromLocalFile(QString::fromStdString(file)).toString()});
        return call;
    };
    std::vector<std::string> opened;
    std::vector<QDBusPendingCall> meanwhile;
    OnOpen([&](const std::string& name) {
        opened.push_back(name);
        if (opened.size() > 1) return;
        // As a message box's own event loop would, for two seconds; other
        // programs go on calling meanwhile.
        QEventLoop asking;
        QTimer::singleShot(200, &asking, [&] {
            for (int i = 0; i < 50; ++i)
                meanwhile.push_back(
                    client_->asyncCall(message(dir_ / ("call" + std::to_string(i) + ".avi"))));
        });
        QTimer::singleShot(2000, &asking, &QEventLoop::quit);
        asking.exec();
    });
    const QDBusMessage reply =
        client_->call(message(dir_ / "first.avi"), QDBus::BlockWithGui, 1000);
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    QElapsedTimer clock;
    clock.start();
    while (opened.size() < 2 && clock.elapsed() < 10000) testing::PumpEvents(20);
    testing::PumpEvents(200);
    ASSERT_EQ(meanwhile.size(), 50u);
    for (const QDBusPendingCall& call : meanwhile) {
        EXPECT_TRUE(call.isFinished());
        EXPECT_FALSE(call.isError()) << call.error().message().toStdString();
    }
    EXPECT_EQ(opened, (std::vector<std::string>{dir_ / "first.avi", dir_ / "call49.avi"}));
}

TEST_F(Mpris, OpenUriRefusesAnEscapedNulInTheName) {
    std::vector<std::string> opened;
    OnOpen([&](const std::string& name) { opened.push_back(name); });
    const QString url = QUrl::fromLocalFile(QString::fromStdString(clip_)).toString() + "%00.mkv";
    Call("OpenUri", {url});
    testing::PumpEvents(100);
    EXPECT_TRUE(opened.empty()) << opened.front();
    Call("OpenUri", {QUrl::fromLocalFile(QString::fromStdString(clip_)).toString()});
    testing::PumpEvents(100);
    EXPECT_EQ(opened, std::vector<std::string>{clip_});
}

TEST_F(Mpris, WritingTheRateSetsItAsQuickerAndSlowerDo) {
    form_->OpenMedia(clip_);
    AppSettings().SpeedMute = true;
    QDBusMessage set =
        QDBusMessage::createMethodCall(MprisService::kServiceName, MprisService::kObjectPath,
                                       "org.freedesktop.DBus.Properties", "Set");
    set.setArguments(
        {"org.mpris.MediaPlayer2.Player", "Rate", QVariant::fromValue(QDBusVariant(1.5))});
    client_->call(set, QDBus::BlockWithGui, 10000);
    EXPECT_EQ(PlayRate(session), 1.5);
    EXPECT_EQ(session.osdMessage, "quick 1.5x");
    EXPECT_EQ(session.graph.GraphBuilder->Volume().value, -10000) << "fast play is muted";
    EXPECT_EQ(Get("Rate").toDouble(), 1.5);
    // Outside 0.25 .. 2.0 nothing changes.
    set.setArguments(
        {"org.mpris.MediaPlayer2.Player", "Rate", QVariant::fromValue(QDBusVariant(3.0))});
    client_->call(set, QDBus::BlockWithGui, 10000);
    EXPECT_EQ(PlayRate(session), 1.5);
    Call("Play");
    EXPECT_EQ(PlayRate(session), 1.0);
    EXPECT_EQ(session.osdMessage, "normal play 1x speed");
}

// The desktop's volume is a fraction of one; the player's a whole percentage.
// Read back over the bus both ways, at the ends and where a fraction does not
// come out even (0.29 * 100 falls just short of 29).
TEST_F(Mpris, TheVolumeTheDesktopReadsIsThePlayersPercentage) {
    form_->OpenMedia(clip_);
    for (const int percent : {0, 1, 29, 45, 99, 100}) {
        SCOPED_TRACE(percent);
        AppSettings().Volume = percent;
        form_->mpris().Refresh();
        EXPECT_DOUBLE_EQ(Get("Volume").toDouble(), percent / 100.0);
    }
    QDBusMessage set =
        QDBusMessage::createMethodCall(MprisService::kServiceName, MprisService::kObjectPath,
                                       "org.freedesktop.DBus.Properties", "Set");
    struct Case {
        double written;
        int percent;
    };
    const Case cases[] = {{0.45, 45}, {1.0, 100}, {0.0, 0},  {0.29, 29},
                          {0.57, 57}, {1.5, 100}, {-0.2, 0}, {0.994, 99}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.written);
        AppSettings().Volume = 50;
        form_->mpris().Refresh();
        listener_.changed.clear();
        set.setArguments({"org.mpris.MediaPlayer2.Player", "Volume",
                          QVariant::fromValue(QDBusVariant(c.written))});
        client_->call(set, QDBus::BlockWithGui, 10000);
        testing::PumpEvents(50);
        EXPECT_EQ(AppSettings().Volume, c.percent);
        EXPECT_DOUBLE_EQ(Get("Volume").toDouble(), c.percent / 100.0);
        // What the renderer was given: hundredths of a decibel below full
        // volume (20 log10 of the amplitude), silence at none.
        const int level =
            c.percent == 0 ? -10000
                           : static_cast<int>(std::lround(2000.0 * std::log10(c.percent / 100.0)));
        EXPECT_EQ(session.graph.GraphBuilder->Volume().value, level);
        // The change is announced with the value the desktop reads.
        bool announced = false;
        for (const QVariantMap& values : listener_.changed)
            if (values.contains("Volume"))
                announced = values.value("Volume").toDouble() == c.percent / 100.0;
        EXPECT_TRUE(announced);
    }
}

TEST(MprisWithoutBus, ConnectingToNoBusIsSilentlyRefused) {
    testing::App();
    // Never connected, it is never asked anything.
    struct NoCommands final : CommandSink {
        bool Run(std::string_view, CommandArg) override { return false; }
        CommandGate& Gate() override { return gate; }
        CommandGate gate;
    } none;
    PlayerSession session;
    MprisService service(session, none);
    EXPECT_FALSE(service.Connect(
        QDBusConnection::connectToBus(QString("unix:path=/nonexistent"), "nowhere")));
    EXPECT_FALSE(service.Connected());
    QDBusConnection::disconnectFromBus("nowhere");
}

}  // namespace
}  // namespace quova

#include "mpris_test.moc"
#include "playback/player_session.h"

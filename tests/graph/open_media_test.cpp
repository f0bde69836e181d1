#include "graph/open_media.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QThread>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <fstream>
#include <map>
#include <memory>
#include <thread>

#include "graph/filter_list.h"
#include "graph/graph_state.h"
#include "graph/media_type_names.h"
#include "graph/medium_session.h"
#include "graph/multiple_audio.h"
#include "platform/engine/graph_registration.h"
#include "platform/engine/local_file_guard.h"
#include "playback/player_session.h"
#include "tests/app/qt_support.h"
#include "tests/support/fake_ui.h"
#include "tests/support/gst_media.h"
#include "tests/support/http_server.h"
#include "tests/support/player_state.h"
#include "tests/support/temp_dir.h"
#include "text/text_session.h"

namespace quova {
namespace {

using namespace engine;
namespace media = quova::testing::media;

using quova::testing::WaitUntil;

class OpenMediaTest : public ::testing::Test {
  public:
    PlayerSession session;

  protected:
    void SetUp() override {
        testing::App();
        testing::ResetPlayerState(session, testing::Startup::Done);
        for (auto& item : ui_.audioItems) item = {false, true};
    }
    void TearDown() override {
        ReleaseGraph(session);
        testing::ResetPlayerState(session);
    }

    testing::FakeUi ui_{session};
    quova::testing::TempDir dir_;
};

// What a user sees of a file that plays to its end: the picture moving, the
// position reaching the duration, and the end announced.
// Plays the medium open now to its end; its events tell that it ended.
bool PlaysToItsEnd(PlayerSession& session) {
    GraphSession& g = session.graph;
    bool complete = false;
    return WaitUntil([&] {
        while (true) {
            const auto e = g.GraphBuilder->Events().Take();
            if (!e.ok()) break;
            complete = complete || e.value.code == EC_COMPLETE;
        }
        g.GraphBuilder->DrainBus();
        return complete;
    });
}

void ExpectPlaysToTheEnd(PlayerSession& session, double seconds, bool video) {
    GraphSession& g = session.graph;
    ASSERT_TRUE(g.GraphBuilder);
    EXPECT_NEAR(g.Duration, seconds, 0.2);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(PlaysToItsEnd(session));
    // Played in real time, not dropped through.
    EXPECT_GT(clock.elapsed(), static_cast<qint64>(seconds * 1000 * 0.6));
    EXPECT_NEAR(g.GraphBuilder->CurrentPosition().value, seconds, 0.25);
    if (video) {
        ASSERT_TRUE(g.VideoWindow);
        // 25 frames a second from 0.1 s on.
        EXPECT_GE(g.VideoWindow->ReceivedFrames(), static_cast<std::uint64_t>(seconds * 25 * 0.8));
    }
}

TEST_F(OpenMediaTest, AnAviOpensUnderItsNameAndPlaysItsPicturesToTheEnd) {
    const auto file = media::AviPcm(dir_ / "clip one.avi", 2.0, 1);
    quova::testing::MessageBoxLog boxes;
    OpenMedia(session, file.string());
    EXPECT_TRUE(boxes.texts.empty()) << boxes.texts.front();
    const GraphSession& g = session.graph;
    EXPECT_EQ(g.MediaKind, MediaKindFile);
    EXPECT_EQ(g.CurrentMediaName, file.string());
    ASSERT_FALSE(ui_.captions.empty());
    EXPECT_EQ(ui_.captions.back(), "Quova - clip one.avi");
    EXPECT_EQ(session.osdMessage, file.string());
    EXPECT_EQ(g.VideoWidth, 320);
    EXPECT_EQ(g.VideoHeight, 240);
    EXPECT_EQ(g.SourceWidth, 320);
    EXPECT_TRUE(g.BasicAudio);
    // The AVI headers told the streams by index.
    ASSERT_EQ(g.StreamCount(), 2);
    EXPECT_EQ(g.Streams[0].kindName, "Video");
    EXPECT_EQ(g.Streams[0].index, 0);
    EXPECT_EQ(g.Streams[1].kindName, "Audio");
    EXPECT_EQ(g.Streams[1].index, 0);
    EXPECT_DOUBLE_EQ(g.FrameRate, 25.0);
    EXPECT_TRUE(ui_.audioItems[0].checked && ui_.audioItems[0].visible);
    EXPECT_FALSE(ui_.audioItems[1].checked || ui_.audioItems[1].visible);
    EXPECT_TRUE(ui_.timer1);
    EXPECT_EQ(ui_.recentFiles, std::vector<std::string>{file.string()});
    ExpectPlaysToTheEnd(session, 2.0, true);
}

TEST_F(OpenMediaTest, AnOggFileOpensAndPlaysToTheEnd) {
    const auto file = media::OggTheoraVorbis(dir_ / "clip.ogg", 2.0);
    quova::testing::MessageBoxLog boxes;
    OpenMedia(session, file.string());
    EXPECT_TRUE(boxes.texts.empty());
    EXPECT_EQ(ui_.captions.back(), "Quova - clip.ogg");
    // The Ogg headers count Vorbis audio and OGM video streams; the Theora
    // stream plays but is not one of them.
    EXPECT_EQ(session.graph.VideoStreamCount, 0);
    EXPECT_EQ(session.graph.AudioStreamCount, 1);
    EXPECT_FALSE(session.graph.OggInfoText.empty());
    ExpectPlaysToTheEnd(session, 2.0, true);
}

// The length shown and played is the data's, as FFmpeg reads it: a cover
// picture in the MP3's tag is not sound, and an MPEG program stream lasts to
// the end of its last frame, not to its last pack's clock.
TEST_F(OpenMediaTest, LengthsAgreeWithFfprobeToAFrame) {
    struct Case {
        std::filesystem::path file;
        double frame;  // seconds
    };
    const Case cases[] = {
        {media::Mp3WithCover(dir_ / "cover.mp3", 2.4, 300), 1152.0 / 44100},
        {media::MpegPsVideoFrames(dir_ / "frames.mpg", 190), 1.0 / 25},
        {media::MpegPs(dir_ / "clip.mpg", 7.6), 1.0 / 25},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.filename().string());
        const double probed = media::FfprobeSeconds(c.file);
        ASSERT_GT(probed, 0) << "ffprobe is needed";
        quova::testing::MessageBoxLog boxes;
        OpenMedia(session, c.file.string());
        ASSERT_TRUE(boxes.texts.empty()) << boxes.texts.front();
        const GraphSession& g = session.graph;
        ASSERT_TRUE(g.GraphBuilder);
        EXPECT_NEAR(g.Duration, probed, c.frame);
        ASSERT_TRUE(PlaysToItsEnd(session));
        EXPECT_NEAR(g.GraphBuilder->CurrentPosition().value, probed, 2 * c.frame);
        EXPECT_NEAR(g.GraphBuilder->Duration().value, probed, c.frame);
    }
}

TEST_F(OpenMediaTest, AMissingFileSaysMediaNotFoundAndLeavesTheCaptionPlain) {
    quova::testing::MessageBoxLog boxes;
    OpenMedia(session, (dir_ / "gone.avi").string());
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], "media not found");
    EXPECT_EQ(boxes.icons[0], QMessageBox::Warning);
    EXPECT_EQ(ui_.captions.back(), "Quova");
    EXPECT_EQ(session.graph.MediaKind, MediaKindFile);
    EXPECT_FALSE(ui_.timer1);
    EXPECT_TRUE(ui_.recentFiles.empty());
}

TEST_F(OpenMediaTest, AFileNothingCanRenderIsReportedWithTheResultText) {
    const auto file = dir_ / "notes.avi";
    std::ofstream(file) << "this is not a movie, just some words in a text file\n";
    quova::testing::MessageBoxLog boxes;
    OpenMedia(session, file.string());
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0].rfind("can't render, error 8004", 0), 0u) << boxes.texts[0];
    EXPECT_EQ(ui_.captions.back(), "Quova");
    EXPECT_FALSE(ui_.timer1);
}

TEST_F(OpenMediaTest, AnMpegFileIsCountedByTheDetectorWithoutIndexes) {
    const auto file = media::MpegPs(dir_ / "clip.mpg", 1.0);
    ui_.audioItems[1] = {false, false};
    quova::testing::MessageBoxLog boxes;
    OpenMedia(session, file.string());
    const GraphSession& g = session.graph;
    ASSERT_EQ(g.VideoStreamCount, 1);
    ASSERT_EQ(g.AudioStreamCount, 1);
    for (const StreamRow& row : g.Streams) EXPECT_EQ(row.index, -1);
    // Checked, the visibility left as it was.
    EXPECT_TRUE(ui_.audioItems[0].checked);
    EXPECT_TRUE(ui_.audioItems[0].visible);
    EXPECT_FALSE(ui_.audioItems[1].checked);
    EXPECT_FALSE(ui_.audioItems[1].visible);
    // The ID3 buffer stays zero for a file without a tag.
    EXPECT_EQ(g.Id3TagBuffer, (std::array<std::uint8_t, 128>{}));
}

TEST_F(OpenMediaTest, VolumeAndListFilesGoToTheirOwnOpeners) {
    quova::testing::MessageBoxLog boxes;
    for (const char* volume :
         {"/media/disc/VIDEO_TS/VIDEO_TS.IFO", "/media/disc/VIDEO_TS/VTS_01_0.bup"}) {
        OpenMedia(session, volume);
        // The disc opener took it: there is no disc there, and it says so.
        EXPECT_EQ(session.graph.MediaKind, MediaKindDvd);
    }
    EXPECT_EQ(boxes.texts.size(), 2u);
    ReleaseGraph(session);
    OpenMedia(session, (dir_ / "films.mpl").string());
    EXPECT_EQ(ui_.playLists, std::vector<std::string>{(dir_ / "films.mpl").string()});
    EXPECT_FALSE(session.graph.GraphBuilder);
}

TEST_F(OpenMediaTest, NothingOpensWhileTheProgramStarts) {
    session.openCounter = -1;
    OpenMedia(session, "/media/disc/VIDEO_TS/VIDEO_TS.IFO");
    OpenMedia(session, (dir_ / "films.mpl").string());
    EXPECT_TRUE(ui_.captions.empty());
    EXPECT_TRUE(ui_.playLists.empty());
}

TEST_F(OpenMediaTest, ASecondFileReusesTheGraphAfterSavingTheFirstOnesBookmark) {
    const auto first = media::AviPcm(dir_ / "a.avi", 3.0, 1);
    const auto second = media::OggTheoraVorbis(dir_ / "b.ogg", 1.0);
    OpenMedia(session, first.string());
    const FilterGraph* graph = session.graph.GraphBuilder.get();
    ASSERT_TRUE(graph);
    ASSERT_TRUE(
        WaitUntil([this] { return session.graph.GraphBuilder->CurrentPosition().value > 0.3; }));
    OpenMedia(session, second.string());
    EXPECT_EQ(session.graph.GraphBuilder.get(), graph);
    EXPECT_EQ(ui_.sessionBookmarks, 1);
    EXPECT_EQ(session.graph.CurrentMediaName, second.string());
    // Only the second file's filters are left.
    for (const FilterPtr& f : session.graph.GraphBuilder->Filters())
        EXPECT_NE(f->Name(), first.string());
    ExpectPlaysToTheEnd(session, 1.0, true);
}

TEST_F(OpenMediaTest, ThePinListingNamesTheAudioOutputsWithTheirTypes) {
    const auto file = media::AviPcm(dir_ / "three.avi", 1.0, 2);
    quova::testing::MessageBoxLog boxes;
    OpenMedia(session, file.string());
    // Two audio streams: the player asks stream by stream which to hear.
    EXPECT_EQ(boxes.texts, (std::vector<std::string>{StreamQuestion(1, 2), StreamQuestion(2, 2)}));
    const FilterListing listing = ListGraphFilters(session.graph.GraphBuilder.get(), "pins");
    // The splitter's two audio outputs, connected, as the file's PCM.
    size_t lines = 0;
    for (size_t at = 0; (at = listing.text.find(" 1 [Audio/PCM]", at)) != std::string::npos; ++at)
        ++lines;
    EXPECT_EQ(lines, 2u) << listing.text;
    EXPECT_NE(listing.text.find(" 1 [Audio/PCM]"), std::string::npos) << listing.text;
    EXPECT_EQ(listing.audioSplitterPins.size(), 2u);
    EXPECT_NE(listing.text.find(" Pins)"), std::string::npos);
}

TEST_F(OpenMediaTest, TheGraphIsPublishedWhileTheOptionIsOnAndWithdrawnAfter) {
    quova::testing::TempDir runtime;
    setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    const auto file = media::Wav(dir_ / "tone.wav", 1.0);
    ui_.settings.RegisterOnRot = true;
    OpenMedia(session, file.string());
    ASSERT_TRUE(session.graph.RotRegistration.IsRegistered());
    const auto dot = session.graph.RotRegistration.Path();
    EXPECT_EQ(dot.filename().string().rfind("FilterGraph ", 0), 0u) << dot;
    EXPECT_NE(dot.filename().string().find(" pid "), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(dot));
    ui_.settings.RegisterOnRot = false;
    OpenMedia(session, file.string());
    EXPECT_FALSE(session.graph.RotRegistration.IsRegistered());
    EXPECT_FALSE(std::filesystem::exists(dot));
    unsetenv("XDG_RUNTIME_DIR");
}

TEST(MediaTypeNames, NamesTheKnownTypesAndBracesTheRest) {
    EXPECT_EQ(MediaTypeName(GUID_NULL), "*");
    EXPECT_EQ(MediaTypeName(MEDIATYPE_Audio), "Audio");
    EXPECT_EQ(MediaTypeName(MEDIASUBTYPE_PCM), "PCM");
    EXPECT_EQ(MediaTypeName(Guid::FromFourCC(0x55)), "MPEG1 Layer3");
    EXPECT_EQ(MediaTypeName(Guid::FromFourCC("DIVX")), "DIVX");
    EXPECT_EQ(MediaTypeName(Guid::FromFourCC("XVID")), "{44495658-0000-0010-8000-00AA00389B71}");
    EXPECT_TRUE(IsAudioMajorType("{73647561-0000-0010-8000-00AA00389B71}"));
    EXPECT_FALSE(IsAudioMajorType("{73646976-0000-0010-8000-00AA00389B71}"));
}

TEST(FileNames, ExtensionAndFolderAreTakenAtTheLastSlash) {
    EXPECT_EQ(LowerExtension("/a.b/Movie.AVI"), ".avi");
    EXPECT_EQ(LowerExtension("/a.b/README"), "");
    EXPECT_EQ(FolderOf("/media/x/VIDEO_TS.IFO"), "/media/x/");
    EXPECT_EQ(NameWithoutFolder("/media/x/film.ogg"), "film.ogg");
}

TEST_F(OpenMediaTest, AviAndMatroskaFilesOverHttpPlayWithTheirLengthUnderTheirAddress) {
    const auto served = dir_ / "served";
    std::filesystem::create_directories(served);
    media::AviPcm(served / "clip one.avi", 2.0, 1);
    media::MatroskaH264Mp3(served / "clip.mkv", 3.0);
    quova::testing::HttpServer server(served);
    ASSERT_TRUE(server.Running());
    struct Case {
        std::string name;
        double seconds;
    };
    for (const Case& c : {Case{"clip one.avi", 2.0}, Case{"clip.mkv", 3.0}}) {
        SCOPED_TRACE(c.name);
        const std::string address = server.Address(c.name);
        quova::testing::MessageBoxLog boxes;
        ui_.recentFiles.clear();
        OpenMedia(session, address);
        ASSERT_TRUE(boxes.texts.empty()) << boxes.texts.front();
        const GraphSession& g = session.graph;
        EXPECT_EQ(g.MediaKind, MediaKindFile);
        EXPECT_EQ(g.CurrentMediaName, address);
        EXPECT_NEAR(g.Duration, c.seconds, 0.2);
        EXPECT_EQ(g.VideoWidth, 320);
        EXPECT_EQ(g.VideoHeight, 240);
        EXPECT_TRUE(g.BasicAudio);
        EXPECT_TRUE(ui_.timer1);
        // Kept as given, escapes and all.
        EXPECT_EQ(ui_.recentFiles, std::vector<std::string>{address});
        ASSERT_TRUE(PlaysToItsEnd(session));
        EXPECT_NEAR(g.GraphBuilder->CurrentPosition().value, c.seconds, 0.25);
    }
}

// A 6 s adaptive stream served from `served` under `manifest` opens with its
// length and picture, seeks to 4 s and plays the rest from there.
void ExpectAnAdaptiveStreamPlaysAndSeeks(PlayerSession& session,
                                         const std::filesystem::path& served,
                                         const std::string& manifest) {
    quova::testing::HttpServer server(served);
    ASSERT_TRUE(server.Running());
    quova::testing::MessageBoxLog boxes;
    OpenMedia(session, server.Address(manifest));
    ASSERT_TRUE(boxes.texts.empty()) << boxes.texts.front();
    const GraphSession& g = session.graph;
    EXPECT_NEAR(g.Duration, 6.0, 0.2);
    EXPECT_EQ(g.VideoWidth, 320);
    EXPECT_EQ(g.VideoHeight, 240);
    EXPECT_TRUE(g.BasicAudio);
    ASSERT_TRUE(g.VideoWindow);
    ASSERT_TRUE(Succeeded(g.GraphBuilder->SetCurrentPosition(4.0)));
    EXPECT_NEAR(g.GraphBuilder->CurrentPosition().value, 4.0, 0.3);
    const std::uint64_t before = g.VideoWindow->ReceivedFrames();
    ASSERT_TRUE(PlaysToItsEnd(session));
    EXPECT_NEAR(g.GraphBuilder->CurrentPosition().value, 6.0, 0.3);
    // The two seconds after the seek, 25 frames each, and not the four before it.
    const std::uint64_t after = g.VideoWindow->ReceivedFrames() - before;
    EXPECT_GE(after, 35u);
    EXPECT_LE(after, 75u);
}

// The demultiplexer of the play list hands on transport streams, which a
// second splitter takes apart.
TEST_F(OpenMediaTest, AnHlsStreamOverHttpPlaysWithItsLengthAndSeeks) {
    const auto served = dir_ / "served";
    std::filesystem::create_directories(served);
    media::Hls(served, 6.0);
    ExpectAnAdaptiveStreamPlaysAndSeeks(session, served, "index.m3u8");
}

// A DASH manifest names one list of segments per stream; the demultiplexer
// of the manifest hands on each stream's fragmented MP4 segments.
TEST_F(OpenMediaTest, ADashStreamOverHttpPlaysWithItsLengthAndSeeks) {
    const auto served = dir_ / "served";
    std::filesystem::create_directories(served);
    media::Dash(served, 6.0);
    ExpectAnAdaptiveStreamPlaysAndSeeks(session, served, "index.mpd");
}

// Polls FIFOs from a thread of its own: a reader opening one would let a
// writer open it without waiting, which is how the test sees a local file
// being opened at all (nothing is ever written to them).
class FifoWatch {
  public:
    explicit FifoWatch(std::vector<std::filesystem::path> fifos) : fifos_(std::move(fifos)) {
        for (const auto& fifo : fifos_) EXPECT_EQ(mkfifo(fifo.c_str(), 0600), 0) << fifo;
        thread_ = std::thread([this] {
            while (!stop_.load()) {
                for (const auto& fifo : fifos_) {
                    const int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
                    if (fd >= 0) {
                        opened_.store(true);
                        close(fd);
                    }
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        });
    }
    ~FifoWatch() {
        stop_.store(true);
        thread_.join();
    }
    bool Opened() const { return opened_.load(); }

  private:
    std::vector<std::filesystem::path> fifos_;
    std::atomic<bool> stop_{false}, opened_{false};
    std::thread thread_;
};

// A remote play list naming a local segment, or a local key for a served
// segment, opens nothing local: the medium fails with the address named.
TEST_F(OpenMediaTest, ARemoteListNamingLocalFilesOpensNothingLocal) {
    const auto served = dir_ / "served";
    std::filesystem::create_directories(served);
    media::Hls(served, 2.0);
    const auto segmentFifo = dir_ / "segment.ts";
    const auto keyFifo = dir_ / "key.bin";
    FifoWatch watch({segmentFifo, keyFifo});
    const auto list = [](const std::string& key, const std::string& segment) {
        return "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:2\n#EXT-X-MEDIA-SEQUENCE:0\n" +
               key + "#EXTINF:2.0,\n" + segment + "\n#EXT-X-ENDLIST\n";
    };
    std::ofstream(served / "local-segment.m3u8") << list("", "file://" + segmentFifo.string());
    std::ofstream(served / "local-key.m3u8") << list(
        "#EXT-X-KEY:METHOD=AES-128,URI=\"file://" + keyFifo.string() + "\"\n", "segment00000.ts");
    // Other GStreamer readers of local things, by their own schemes: files
    // read through a reader of their own, and a descriptor the player holds
    // (a pipe here, with bytes waiting that a reader would take).
    const auto otherFifo = [&](const std::string& scheme) { return dir_ / (scheme + ".ts"); };
    std::map<std::string, std::unique_ptr<FifoWatch>> others;
    for (const std::string scheme : {"pushfile", "multifile", "splitfile"}) {
        others[scheme + ".m3u8"] =
            std::make_unique<FifoWatch>(std::vector<std::filesystem::path>{otherFifo(scheme)});
        std::ofstream(served / (scheme + ".m3u8"))
            << list("", scheme + "://" + otherFifo(scheme).string());
    }
    int pipe_[2];
    ASSERT_EQ(pipe(pipe_), 0);
    ASSERT_EQ(write(pipe_[1], "quova", 5), 5);
    std::ofstream(served / "descriptor.m3u8") << list("", "fd://" + std::to_string(pipe_[0]));
    quova::testing::HttpServer server(served);
    ASSERT_TRUE(server.Running());
    for (const char* name : {"local-segment.m3u8", "local-key.m3u8", "pushfile.m3u8",
                             "multifile.m3u8", "splitfile.m3u8", "descriptor.m3u8"}) {
        quova::testing::MessageBoxLog boxes;
        OpenMedia(session, server.Address(name));
        // A reader opening its file late would do so soon after.
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 1000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        EXPECT_FALSE(watch.Opened()) << name;
        if (others.count(name)) {
            EXPECT_FALSE(others[name]->Opened()) << name;
        }
        int waiting = 0;
        ASSERT_EQ(ioctl(pipe_[0], FIONREAD, &waiting), 0);
        EXPECT_EQ(waiting, 5) << name << ": the descriptor was read";
        ReleaseGraph(session);
    }
    close(pipe_[0]);
    close(pipe_[1]);
    // Local files open again once the network medium is gone.
    EXPECT_FALSE(engine::LocalFilesRefused());
}

TEST_F(OpenMediaTest, NetworkFaultsAreReportedWithTheAddressAndOpenNothing) {
    const auto served = dir_ / "served";
    std::filesystem::create_directories(served);
    std::string refused;
    {
        // A port that was just given up: nothing listens there now.
        quova::testing::HttpServer gone(served);
        ASSERT_TRUE(gone.Running());
        refused = gone.Address("clip.avi");
    }
    quova::testing::HttpServer server(served);
    ASSERT_TRUE(server.Running());
    for (const std::string& address : {server.Address("missing.avi"), refused}) {
        SCOPED_TRACE(address);
        quova::testing::MessageBoxLog boxes;
        OpenMedia(session, address);
        ASSERT_EQ(boxes.texts.size(), 1u);
        EXPECT_NE(boxes.texts[0].find(address), std::string::npos) << boxes.texts[0];
        EXPECT_EQ(boxes.icons[0], QMessageBox::Warning);
        EXPECT_EQ(ui_.captions.back(), "Quova");
        EXPECT_FALSE(ui_.timer1);
        EXPECT_TRUE(ui_.recentFiles.empty());
        EXPECT_EQ(ui_.failedAddresses.back(), address);
    }
    EXPECT_EQ(ui_.failedAddresses.size(), 2u);
}

TEST_F(OpenMediaTest, OtherSchemesAreRefusedAndFileAddressesOpenTheirPath) {
    {
        quova::testing::MessageBoxLog boxes;
        OpenMedia(session, "ftp://127.0.0.1/clip.avi");
        ASSERT_EQ(boxes.texts.size(), 1u);
        EXPECT_EQ(boxes.texts[0],
                  "only http, https and file addresses can be opened: ftp://127.0.0.1/clip.avi");
        EXPECT_FALSE(session.graph.GraphBuilder);
    }
    const auto file = media::AviPcm(dir_ / "a b.avi", 1.0, 1);
    quova::testing::MessageBoxLog boxes;
    OpenMedia(session, "file://" + (dir_ / "a%20b.avi").string());
    EXPECT_TRUE(boxes.texts.empty()) << boxes.texts.front();
    EXPECT_EQ(session.graph.CurrentMediaName, file.string());
    EXPECT_EQ(ui_.recentFiles, std::vector<std::string>{file.string()});
}

}  // namespace
}  // namespace quova

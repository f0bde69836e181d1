// The audio output devices against a private sound server with null sinks:
// what the menu lists, where the server says the streams play, and what the
// store keeps.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <algorithm>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/popup_menu.h"
#include "app/settings.h"
#include "graph/graph_state.h"
#include "graph/open_media.h"
#include "lexicon/lexicon.h"
#include "platform/engine/audio_devices.h"
#include "platform/engine/audio_renderer.h"
#include "platform/engine/filter_graph.h"
#include "playback/audio_output.h"
#include "playback/player_session.h"
#include "tests/app/qt_support.h"
#include "tests/support/gst_media.h"
#include "tests/support/sound_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/window_fixture.h"
#include "text/text_session.h"

namespace quova {
namespace {

using engine::GraphState;
using testing::PrivateSoundServer;
using testing::WaitUntil;

std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

double Position(PlayerSession& session) {
    return session.graph.GraphBuilder->CurrentPosition().value;
}

// A window whose process has a sound server with two output devices.
class AudioDeviceWindow : public testing::WindowTest {
  protected:
    void SetUp() override {
        server_ = std::make_unique<PrivateSoundServer>(
            std::vector<std::pair<std::string, std::string>>{{"alpha", "Alpha"}, {"beta", "Beta"}});
        if (!server_->Running())
            GTEST_SKIP() << "no private sound server could start: " << server_->Failure();
        WindowTest::SetUp();
        // As the program's start does.
        AppSettings().AudioDevice = StartAudioOutput(session, AppSettings().AudioDevice, [this] {
            AppSettings().AudioDevice = session.outputs.chosen;
        });
    }
    void TearDown() override {
        WindowTest::TearDown();
        StopAudioOutput();
        server_.reset();
    }

    // Opens the popup menu and reads the items of a submenu as shown.
    struct Shown {
        std::vector<std::string> captions;
        std::string checked;
    };
    Shown Submenu(const std::string& name) {
        Q_EMIT form_->popup().menu()->aboutToShow();
        Shown out;
        MenuItem* parent = form_->menuModel().Find(name);
        if (!parent) return out;
        for (MenuItem* item : parent->children) {
            if (!item->visible) continue;
            out.captions.push_back(item->caption);
            if (item->checked) out.checked = item->caption;
        }
        return out;
    }
    // Chooses an item of a submenu by its caption, as the user would.
    bool Choose(const std::string& submenu, const std::string& caption) {
        Q_EMIT form_->popup().menu()->aboutToShow();
        MenuItem* parent = form_->menuModel().Find(submenu);
        if (!parent) return false;
        for (MenuItem* item : parent->children)
            if (item->visible && item->caption == caption) {
                QAction* action = form_->popup().Action(item);
                if (!action) return false;
                action->trigger();
                return true;
            }
        return false;
    }
    // Opens and plays a clip until the server has all its streams.
    void Play(const std::filesystem::path& clip, size_t streams) {
        testing::MessageBoxLog boxes;  // hears every stream offered
        form_->OpenMedia(clip.string());
        ASSERT_EQ(session.graph.MediaKind, MediaKindFile);
        // An opened file plays.
        ASSERT_EQ(session.graph.GraphBuilder->GetState(100).value, GraphState::Running);
        ASSERT_TRUE(WaitUntil([&] { return server_->SinksOfStreams().size() == streams; }))
            << "the server never saw the streams";
        ASSERT_TRUE(WaitUntil([this] { return Position(session) > 0.2; }));
    }
    bool StreamsOn(const std::vector<std::string>& sinks) {
        return WaitUntil([&] { return Sorted(server_->SinksOfStreams()) == Sorted(sinks); }, 10000);
    }

    std::unique_ptr<PrivateSoundServer> server_;
};

TEST_F(AudioDeviceWindow, BothDevicesAreListedAndChoosingOneMovesThePlayingStreamInPlace) {
    Play(testing::media::AviPcm(dir_ / "clip.avi", 10.0, 1), 1);
    const Shown menu = Submenu("AudioDevice1");
    EXPECT_EQ(menu.captions, (std::vector<std::string>{"Default", "Alpha", "Beta"}));
    EXPECT_EQ(menu.checked, "Default");
    ASSERT_TRUE(StreamsOn({"alpha"})) << "the default device is the server's first";

    const double before = Position(session);
    ASSERT_TRUE(Choose("AudioDevice1", "Beta"));
    const double after = Position(session);
    EXPECT_TRUE(StreamsOn({"beta"}));
    // Moved, not reopened: the position goes on from where it was.
    EXPECT_GE(after, before - 0.05);
    EXPECT_LT(after, before + 1.0);
    EXPECT_EQ(session.graph.GraphBuilder->GetState(100).value, GraphState::Running);
    EXPECT_EQ(session.osdMessage, "audio device: Beta");
    EXPECT_EQ(AppSettings().AudioDevice, "beta");
    EXPECT_EQ(Submenu("AudioDevice1").checked, "Beta");

    ASSERT_TRUE(Choose("AudioDevice1", "Default"));
    EXPECT_TRUE(StreamsOn({"alpha"}));
    EXPECT_EQ(AppSettings().AudioDevice, "");
}

TEST_F(AudioDeviceWindow, ADevicePluggedInIsOfferedAndTheOneInUseGoingHandsPlaybackToTheDefault) {
    Play(testing::media::AviPcm(dir_ / "clip.avi", 12.0, 1), 1);
    ASSERT_GE(server_->AddSink("gamma", "Gamma"), 0);
    // Offered the next time the menu opens.
    ASSERT_TRUE(WaitUntil([&] {
        const auto captions = Submenu("AudioDevice1").captions;
        return std::find(captions.begin(), captions.end(), "Gamma") != captions.end();
    }));
    ASSERT_TRUE(Choose("AudioDevice1", "Gamma"));
    ASSERT_TRUE(StreamsOn({"gamma"}));

    session.osdMessage.clear();
    ASSERT_TRUE(server_->RemoveSink("gamma"));
    ASSERT_TRUE(WaitUntil([this] { return session.osdMessage == Lex(2660); }))
        << "the OSD says the device went";
    EXPECT_TRUE(StreamsOn({"alpha"}));
    EXPECT_EQ(AppSettings().AudioDevice, "");
    const Shown menu = Submenu("AudioDevice1");
    EXPECT_EQ(menu.captions, (std::vector<std::string>{"Default", "Alpha", "Beta"}));
    EXPECT_EQ(menu.checked, "Default");
    // Playback did not stop.
    EXPECT_EQ(session.graph.GraphBuilder->GetState(100).value, GraphState::Running);
    const double now = Position(session);
    EXPECT_TRUE(WaitUntil([&] { return Position(session) > now + 0.3; }));
}

TEST_F(AudioDeviceWindow, EachHeardStreamCanHaveItsOwnDeviceAndTheVolumeHoldsForBoth) {
    Play(testing::media::AviPcm(dir_ / "dub.avi", 10.0, 2), 2);
    ASSERT_TRUE(StreamsOn({"alpha", "alpha"}));
    EXPECT_EQ(Submenu("StreamDevice2").captions,
              (std::vector<std::string>{"Default", "Alpha", "Beta"}));
    ASSERT_TRUE(Choose("StreamDevice2", "Beta"));
    EXPECT_TRUE(StreamsOn({"alpha", "beta"}));
    EXPECT_EQ(Submenu("StreamDevice2").checked, "Beta");
    EXPECT_EQ(Submenu("StreamDevice1").checked, "Default");

    form_->popup().Trigger("VolumeDown1");
    const auto renderers = session.graph.GraphBuilder->AudioRenderers();
    ASSERT_EQ(renderers.size(), 2u);
    EXPECT_EQ(renderers[0]->Volume(), renderers[1]->Volume());
    EXPECT_LT(renderers[0]->Volume(), 0);
    // A stream switched off has no device to choose.
    form_->popup().Trigger("Stream11");
    ASSERT_TRUE(testing::WaitUntil([&] { return !session.audio.switching; }));
    Q_EMIT form_->popup().menu()->aboutToShow();
    EXPECT_FALSE(form_->menuModel().Find("StreamDevice1")->visible);
    EXPECT_TRUE(form_->menuModel().Find("StreamDevice2")->visible);
    EXPECT_TRUE(StreamsOn({"beta"}));
}

TEST_F(AudioDeviceWindow, TheChoiceIsStoredAndTakenAgainAtTheNextStartWhileTheDeviceIsThere) {
    Play(testing::media::AviPcm(dir_ / "clip.avi", 6.0, 1), 1);
    ASSERT_TRUE(Choose("AudioDevice1", "Beta"));
    SaveSettings(AppSettings(), *form_, false);
    EXPECT_NE(testing::ReadFile(dir_ / "registry.reg").find("\"audiodevice\"=\"beta\""),
              std::string::npos);

    // The next run.
    form_->popup().Trigger("Stop1");
    ReleaseGraph(session);
    StopAudioOutput();
    AppSettings() = Settings{};
    LoadSettings(AppSettings(), *form_);
    EXPECT_EQ(AppSettings().AudioDevice, "beta");
    AppSettings().AudioDevice = StartAudioOutput(session, AppSettings().AudioDevice);
    EXPECT_EQ(AppSettings().AudioDevice, "beta");
    Play(dir_ / "clip.avi", 1);
    EXPECT_TRUE(StreamsOn({"beta"}));
    EXPECT_EQ(Submenu("AudioDevice1").checked, "Beta");

    // A run where the device is gone starts on the default one.
    form_->popup().Trigger("Stop1");
    ReleaseGraph(session);
    StopAudioOutput();
    ASSERT_TRUE(server_->RemoveSink("beta"));
    EXPECT_EQ(StartAudioOutput(session, "beta"), "");
    EXPECT_EQ(session.outputs.chosen, "");
}

// Without any sound the picture plays at once with a silent renderer, and
// the user is told once.
class SilentWindow : public testing::WindowTest {
  protected:
    void SetUp() override {
        if (engine::ChooseSoundOutput(engine::CurrentSoundFacts()) != engine::SoundOutput::None)
            GTEST_SKIP() << "this machine has sound: the silent case cannot be shown here";
        WindowTest::SetUp();
    }
};

TEST_F(SilentWindow, APictureWithSoundPlaysSilentlyAndTheOsdSaysSoOnce) {
    const auto clip = testing::media::AviPcm(dir_ / "clip.avi", 3.0, 1);
    form_->OpenMedia(clip.string());
    ASSERT_EQ(session.graph.MediaKind, MediaKindFile);
    EXPECT_EQ(session.osdMessage, Lex(2670));
    EXPECT_TRUE(session.graph.BasicAudio) << "the volume still has a renderer to act on";
    EXPECT_FALSE(engine::AudioDeviceMonitor::Instance().Watching()) << "nothing is probed";
    EXPECT_TRUE(WaitUntil([this] { return Position(session) > 0.5; }));

    session.osdMessage.clear();
    form_->OpenMedia(clip.string());
    EXPECT_NE(session.osdMessage, Lex(2670));
}

}  // namespace
}  // namespace quova

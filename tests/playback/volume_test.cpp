// The volume setting against a real graph: what the audio renderer's volume
// element is given, where steps start from, and when they are refused.
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <cmath>

#include "graph/graph_state.h"
#include "lexicon/lexicon.h"
#include "platform/engine/filter.h"
#include "platform/engine/filter_graph.h"
#include "platform/engine/filter_mapper.h"
#include "playback/player_session.h"
#include "playback/volume.h"
#include "tests/support/gst_media.h"
#include "tests/support/player_state.h"
#include "tests/support/temp_dir.h"
#include "text/text_session.h"

namespace quova {
namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "test_playback";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// The amplitude factor the renderer's volume element applies.
double ElementVolume(const engine::FilterGraph& graph) {
    for (const engine::FilterPtr& f : graph.Filters()) {
        if (f->Info().named != engine::NamedFilter::AudioRenderer) continue;
        GstIterator* it = gst_bin_iterate_recurse(GST_BIN(f->element()));
        GValue item = G_VALUE_INIT;
        double volume = -1;
        while (gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
            auto* e = GST_ELEMENT(g_value_get_object(&item));
            GstElementFactory* factory = gst_element_get_factory(e);
            if (factory && g_strcmp0(GST_OBJECT_NAME(factory), "volume") == 0)
                g_object_get(e, "volume", &volume, nullptr);
            g_value_reset(&item);
        }
        g_value_unset(&item);
        gst_iterator_free(it);
        return volume;
    }
    return -1;
}

class VolumeTest : public ::testing::Test {
  public:
    PlayerSession session;

  protected:
    static void SetUpTestSuite() {
        App();
        dir_ = new quova::testing::TempDir;
        tone_ = quova::testing::media::Wav(*dir_ / "tone.wav", 2.0);
        silentFilm_ = *dir_ / "film.avi";
        ASSERT_EQ(quova::testing::MakeMedia("videotestsrc num-buffers=25 ! "
                                            "video/x-raw,width=64,height=48,framerate=25/1 ! "
                                            "jpegenc ! avimux ! filesink location=$OUT",
                                            silentFilm_),
                  "");
    }
    static void TearDownTestSuite() { delete dir_; }

    void Open(const std::filesystem::path& file) {
        GraphSession& g = session.graph;
        g.GraphBuilder = std::make_unique<engine::FilterGraph>();
        ASSERT_EQ(g.GraphBuilder->RenderFile(file.string()), engine::S_OK);
        g.BasicAudio = g.GraphBuilder->HasAudio();
        g.MediaKind = MediaKindFile;
    }
    void TearDown() override {
        GraphSession& g = session.graph;
        if (g.GraphBuilder) g.GraphBuilder->Stop();
        g.GraphBuilder.reset();
        g.VideoWindow.reset();
        g.BasicAudio = false;
        g.MediaKind = MediaKindNone;
        quova::testing::ResetPlayerState(session);
        ClearLoadedLexicon();
        SetLexiconProgramPath({});
    }
    int GraphLevel() { return session.graph.GraphBuilder->Volume().value; }

    static inline quova::testing::TempDir* dir_ = nullptr;
    static inline std::filesystem::path tone_;
    static inline std::filesystem::path silentFilm_;
};

TEST(VolumeMapping, PercentagesGiveTheirDecibelLevels) {
    EXPECT_EQ(VolumeLevel(100), 0);
    EXPECT_EQ(VolumeLevel(50), -602);
    EXPECT_EQ(VolumeLevel(10), -2000);
    EXPECT_EQ(VolumeLevel(1), -4000);
    EXPECT_EQ(VolumeLevel(0), -10000);
    EXPECT_EQ(VolumeLevel(-5), -10000);
    EXPECT_EQ(VolumeLevel(45), -694);
    EXPECT_EQ(VolumeLevel(95), -45);
}

TEST(VolumeMapping, AWheelNotchIsTwoStepsAndNothingWithAModifier) {
    EXPECT_EQ(WheelVolumeSteps(120, false), 2);
    EXPECT_EQ(WheelVolumeSteps(-120, false), -2);
    // Fine-grained wheels: a part of a step is dropped toward zero.
    EXPECT_EQ(WheelVolumeSteps(59, false), 0);
    EXPECT_EQ(WheelVolumeSteps(-90, false), -1);
    EXPECT_EQ(WheelVolumeSteps(120, true), 0);
}

TEST_F(VolumeTest, TheRenderersVolumeElementTakesTheMappedLevel) {
    Open(tone_);
    ApplyVolume(session, 50);
    EXPECT_EQ(GraphLevel(), -602);
    EXPECT_NEAR(ElementVolume(*session.graph.GraphBuilder), std::pow(10.0, -602 / 2000.0), 1e-6);
    ApplyVolume(session, 10);
    // The element keeps single precision.
    EXPECT_NEAR(ElementVolume(*session.graph.GraphBuilder), 0.1, 1e-6);
    ApplyVolume(session, 0);
    EXPECT_EQ(GraphLevel(), -10000);
    EXPECT_EQ(ElementVolume(*session.graph.GraphBuilder), 0.0);
    ApplyVolume(session, 100);
    EXPECT_EQ(ElementVolume(*session.graph.GraphBuilder), 1.0);
}

TEST_F(VolumeTest, StepsStartFromTheSettingAndStayInRange) {
    Open(tone_);
    int volume = 98;
    ApplyVolume(session, 98);
    ASSERT_TRUE(VolumeUp1Click(session, volume));
    EXPECT_EQ(volume, 100);
    EXPECT_EQ(GraphLevel(), 0);
    EXPECT_EQ(session.osdMessage, "volume: 100%");

    volume = 3;
    ApplyVolume(session, 3);
    ASSERT_TRUE(VolumeDown1Click(session, volume));
    EXPECT_EQ(volume, 0);
    EXPECT_EQ(GraphLevel(), -10000);
    EXPECT_EQ(ElementVolume(*session.graph.GraphBuilder), 0.0);

    // 45 % is -6.94 dB, which in whole percent is 44.7 %: a step taken from
    // the graph's level would land on 49 % and drift on with every step.
    volume = 45;
    ApplyVolume(session, 45);
    ASSERT_TRUE(VolumeUp1Click(session, volume));
    EXPECT_EQ(volume, 50);
    EXPECT_EQ(GraphLevel(), -602);
    EXPECT_EQ(session.osdMessage, "volume: 50%");
    ASSERT_TRUE(VolumeDown1Click(session, volume));
    EXPECT_EQ(volume, 45);
    EXPECT_EQ(GraphLevel(), -694);
    ASSERT_TRUE(ChangeVolume(session, WheelVolumeSteps(120, false), volume));
    EXPECT_EQ(volume, 47);
}

// The volume bar and the keys say the volume in the same, translated, words.
TEST_F(VolumeTest, TheBarAndTheKeysShowTheSameText) {
    quova::testing::TempDir lexicons;
    quova::testing::WriteFile(lexicons / "quova.de.lex", "\"380\",\"Lautst\xC3\xA4rke: %d%%\"\n");
    SetLexiconProgramPath(lexicons / "quova");
    LoadLexiconFile("de");
    Open(tone_);
    int volume = 40;
    TrackBar3Change(session, VolumeBarPosition(60), volume);
    EXPECT_EQ(volume, 60);
    EXPECT_EQ(session.osdMessage, "Lautst\xC3\xA4rke: 60%");
    ASSERT_TRUE(VolumeUp1Click(session, volume));
    EXPECT_EQ(session.osdMessage, "Lautst\xC3\xA4rke: 65%");
}

TEST_F(VolumeTest, FastPlayRefusesStepsButTheBarStillUnmutes) {
    Open(tone_);
    int volume = 60;
    ApplyVolume(session, volume);
    ASSERT_EQ(session.graph.GraphBuilder->SetRate(1.5), engine::S_OK);
    SetMute(session, true, volume);
    EXPECT_EQ(GraphLevel(), -10000);
    session.osdMessage = "quicker";
    EXPECT_FALSE(VolumeUp1Click(session, volume));
    EXPECT_EQ(volume, 60);
    EXPECT_EQ(GraphLevel(), -10000);
    EXPECT_EQ(session.osdMessage, "quicker");

    TrackBar3Change(session, VolumeBarPosition(70), volume);
    EXPECT_EQ(volume, 70);
    EXPECT_EQ(GraphLevel(), VolumeLevel(70));
    EXPECT_EQ(session.osdMessage, "volume: 70%");

    ASSERT_EQ(session.graph.GraphBuilder->SetRate(1.0), engine::S_OK);
    SetMute(session, false, volume);
    EXPECT_TRUE(VolumeUp1Click(session, volume));
}

TEST_F(VolumeTest, TheBarsEndsAreFullAndSilence) {
    Open(tone_);
    int volume = 50;
    TrackBar3Change(session, 0, volume);
    EXPECT_EQ(volume, 100);
    EXPECT_EQ(GraphLevel(), 0);
    TrackBar3Change(session, 100, volume);
    EXPECT_EQ(volume, 0);
    EXPECT_EQ(GraphLevel(), -10000);
}

TEST_F(VolumeTest, AMediumWithoutAudioIgnoresSteps) {
    Open(silentFilm_);
    ASSERT_FALSE(session.graph.BasicAudio);
    int volume = 50;
    EXPECT_FALSE(VolumeUp1Click(session, volume));
    EXPECT_EQ(volume, 50);
    EXPECT_EQ(session.osdMessage, "");
}

TEST_F(VolumeTest, NothingOpenIgnoresSteps) {
    int volume = 50;
    EXPECT_FALSE(VolumeUp1Click(session, volume));
    EXPECT_EQ(volume, 50);
}

TEST(VolumeMenu, MuteOnFastSlowPlaybackFlips) {
    bool on = true;
    MuteonFastSlowPlayback1Click(on);
    EXPECT_FALSE(on);
    MuteonFastSlowPlayback1Click(on);
    EXPECT_TRUE(on);
}

}  // namespace
}  // namespace quova

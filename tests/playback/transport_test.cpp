#include "playback/transport.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QWidget>

#include "graph/graph_state.h"
#include "graph/medium_session.h"
#include "graph/open_media.h"
#include "platform/engine/video_renderer.h"
#include "playback/player_session.h"
#include "tests/app/qt_support.h"
#include "tests/support/fake_ui.h"
#include "tests/support/first_buffer.h"
#include "tests/support/gst_media.h"
#include "tests/support/player_state.h"
#include "tests/support/temp_dir.h"
#include "text/chapters.h"
#include "text/osd.h"

namespace quova {
namespace {

using engine::GraphState;
namespace media = quova::testing::media;

constexpr double kClipSeconds = 15.0;
constexpr double kFrame = 1.0 / 25;

void Pump(PlayerSession& session, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents();
        if (session.graph.GraphBuilder) session.graph.GraphBuilder->DrainBus();
        QThread::msleep(5);
    }
}

class TransportTest : public ::testing::Test {
  public:
    PlayerSession session;

  protected:
    // A seek on a running graph settles from timers, as a scan's step plays;
    // the bounds only end a failing test.
    void UntilSettled() {
        QElapsedTimer clock;
        clock.start();
        while (session.settlingSeek.has_value() && clock.elapsed() < 5000) Pump(session, 5);
    }
    void UntilPaused() {
        QElapsedTimer clock;
        clock.start();
        while (GraphStateOf(session) != GraphState::Paused && clock.elapsed() < 5000)
            Pump(session, 5);
    }
    static void SetUpTestSuite() {
        testing::App();
        dir_ = new quova::testing::TempDir;
        // MJPEG at 25 frames a second with PCM sound, long enough for the
        // 10 and 30 second jumps.
        clip_ = media::AviPcm(*dir_ / "clip.avi", kClipSeconds, 1).string();
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }

    void SetUp() override {
        testing::ResetPlayerState(session, testing::Startup::Done);
        ui_.transport.OsdOn = true;
    }
    void TearDown() override {
        ReleaseGraph(session);
        testing::ResetPlayerState(session);
    }

    // Opens the clip; it plays from the start.
    void Open() {
        OpenMedia(session, clip_);
        ASSERT_EQ(session.graph.MediaKind, MediaKindFile);
        ASSERT_NEAR(session.graph.Duration, kClipSeconds, 0.2);
    }
    // Opens the clip and pauses it at `seconds`.
    void OpenPausedAt(double seconds) {
        Open();
        session.graph.GraphBuilder->Pause();
        SeekTo(session, seconds);
        ASSERT_EQ(GraphStateOf(session), GraphState::Paused);
    }

    static quova::testing::TempDir* dir_;
    static std::string clip_;
    testing::FakeUi ui_{session};
};

quova::testing::TempDir* TransportTest::dir_ = nullptr;
std::string TransportTest::clip_;

TEST_F(TransportTest, PlayPausesAndResumesAndStopStopsWithTheirMessages) {
    Open();
    ASSERT_EQ(GraphStateOf(session), GraphState::Running);
    Play1Click(session);
    EXPECT_EQ(session.osdMessage, "pause");
    EXPECT_EQ(GraphStateOf(session), GraphState::Paused);
    Play1Click(session);
    EXPECT_EQ(session.osdMessage, "Play");
    EXPECT_EQ(GraphStateOf(session), GraphState::Running);
    EXPECT_TRUE(ui_.timer1);
    Stop1Click(session);
    EXPECT_EQ(session.osdMessage, "stop");
    EXPECT_EQ(GraphStateOf(session), GraphState::Stopped);
    EXPECT_EQ(ui_.sessionBookmarks, 1) << "stop writes the session bookmark";
    EXPECT_EQ(ui_.drawn, std::vector<std::string>{""}) << "stop clears the subtitle line";
    EXPECT_EQ(ui_.osdPaints, 3);
}

TEST_F(TransportTest, QuickerClimbsToTwiceTheRateAndSlowerFromThereGoesBelowNormal) {
    Open();
    const std::vector<std::pair<double, std::string>> steps = {
        {1.25, "quick 1.25x"}, {1.5, "quick 1.5x"}, {1.75, "quick 1.75x"}, {2.0, "quick 2x"}};
    for (const auto& [rate, text] : steps) {
        Quick1Click(session);
        EXPECT_EQ(PlayRate(session), rate);
        EXPECT_EQ(session.osdMessage, text);
    }
    session.osdMessage = "quick 2x";
    const int paintsBefore = ui_.osdPaints;
    Quick1Click(session);
    EXPECT_EQ(PlayRate(session), 2.0);
    EXPECT_EQ(session.osdMessage, "quick 2x");
    EXPECT_EQ(ui_.osdPaints, paintsBefore + 1) << "the fifth press only repaints";
    Slow1Click(session);
    EXPECT_EQ(PlayRate(session), 0.75);
    EXPECT_EQ(session.osdMessage, "slow 0.75x");
    Slow1Click(session);
    Slow1Click(session);
    EXPECT_EQ(session.osdMessage, "slow 0.25x");
    Slow1Click(session);
    EXPECT_EQ(PlayRate(session), 0.25);
    Quick1Click(session);
    EXPECT_EQ(PlayRate(session), 1.25) << "quicker from slow play starts again from normal";
}

TEST_F(TransportTest, MediaTimeRunsAtThePlayRateAgainstTheWallClock) {
    Open();
    Pump(session, 300);
    for (const double rate : {2.0, 0.5}) {
        ASSERT_TRUE(SetPlayRate(session, rate));
        Pump(session, 300);
        const double from = CurrentPosition(session);
        QElapsedTimer clock;
        clock.start();
        Pump(session, 1500);
        const double media = CurrentPosition(session) - from;
        const double wall = clock.elapsed() / 1000.0;
        EXPECT_NEAR(media / wall, rate, 0.15 * rate) << "rate " << rate;
    }
    Play1Click(session);
    EXPECT_EQ(PlayRate(session), 1.0);
}

TEST_F(TransportTest, SpeedMuteSilencesFastPlayAndPlayRestoresTheVolumeSetting) {
    ui_.transport.SpeedMute = true;
    // Half the amplitude: 20 log10(0.5) = -6.02 dB, in hundredths of a decibel.
    ui_.transport.Volume = 50;
    Open();
    ASSERT_TRUE(session.graph.GraphBuilder->HasAudio());
    Quick1Click(session);
    EXPECT_EQ(session.graph.GraphBuilder->Volume().value, -10000);
    Quick1Click(session);
    EXPECT_EQ(session.graph.GraphBuilder->Volume().value, -10000);
    Play1Click(session);
    EXPECT_EQ(session.graph.GraphBuilder->Volume().value, -602);
    EXPECT_EQ(session.osdMessage, "normal play 1x speed");
    EXPECT_EQ(PlayRate(session), 1.0);
    EXPECT_EQ(GraphStateOf(session), GraphState::Running);

    ui_.transport.SpeedMute = false;
    Slow1Click(session);
    EXPECT_EQ(session.graph.GraphBuilder->Volume().value, -602)
        << "without speed mute the sound stays";
}

TEST_F(TransportTest, FastForwardPausesAndTheTimerScansAhead) {
    OpenPausedAt(2.0);
    session.graph.GraphBuilder->Run();
    FFWD1Click(session);
    FFWD1Click(session);
    FFWD1Click(session);
    EXPECT_EQ(session.osdMessage, "forward: 3x");
    EXPECT_EQ(session.fastSeekStep, 3);
    EXPECT_EQ(GraphStateOf(session), GraphState::Paused);
    EXPECT_EQ(ui_.drawn.size(), 3u) << "each press clears the subtitle line";

    const TransportTick tick = PollTransport(session);
    QElapsedTimer clock;
    clock.start();
    FastScanDuty(session, tick);
    EXPECT_EQ(GraphStateOf(session), GraphState::Running) << "the step plays from a timer";
    while (GraphStateOf(session) != GraphState::Paused && clock.elapsed() < 5000) Pump(session, 5);
    const double after = CurrentPosition(session);
    const double took = clock.elapsed() / 1000.0;
    // A jump of 3 s, then 400 ms of play: on a slow machine the play may run
    // longer, never longer than it took to pause again.
    EXPECT_GE(took, 0.4);
    EXPECT_GE(after, tick.position + 3 + 0.4 - 0.25);
    EXPECT_LE(after, tick.position + 3 + took + 0.25);
    EXPECT_EQ(GraphStateOf(session), GraphState::Paused);

    FBWD1Click(session);
    EXPECT_EQ(session.osdMessage, "back: -1x");
    EXPECT_EQ(session.fastSeekStep, -1);
    FBWD1Click(session);
    EXPECT_EQ(session.osdMessage, "back: -2x");
}

TEST_F(TransportTest, TheScanStopsAtTheEndsWhileItsStepStays) {
    OpenPausedAt(1.0);
    FBWD1Click(session);
    FBWD1Click(session);
    const TransportTick tick = PollTransport(session);
    FastScanDuty(session, tick);
    EXPECT_NEAR(CurrentPosition(session), 1.0, kFrame);
    EXPECT_EQ(session.fastSeekStep, -2);
    Play1Click(session);
    EXPECT_EQ(session.fastSeekStep, 0) << "play ends the scan";
    EXPECT_EQ(GraphStateOf(session), GraphState::Running);
}

TEST_F(TransportTest, SeekLandsWithinOneFrameOfItsTarget) {
    OpenPausedAt(0.5);
    for (const double target : {3.3, 7.77, 1.04, 12.5}) {
        SeekTo(session, target);
        EXPECT_NEAR(CurrentPosition(session), target, kFrame) << target;
        EXPECT_EQ(GraphStateOf(session), GraphState::Paused) << "the state is kept";
    }
    session.graph.GraphBuilder->Run();
    SeekTo(session, 6.0);
    EXPECT_EQ(GraphStateOf(session), GraphState::Running);
    EXPECT_NEAR(CurrentPosition(session), 6.0, 0.2);
}

TEST_F(TransportTest, FarAndNonFiniteTargetsAreHeldToTheMedium) {
    OpenPausedAt(5.0);
    SeekTo(session, 9e18);
    EXPECT_GE(CurrentPosition(session), kClipSeconds - 0.2) << "far past the end lands at the end";
    SeekTo(session, 5.0);
    JumpBy(session, 9e12);
    EXPECT_GE(CurrentPosition(session), kClipSeconds - 0.2);
    SeekTo(session, -9e18);
    EXPECT_NEAR(CurrentPosition(session), 0.0, kFrame);
    SeekTo(session, std::numeric_limits<double>::infinity());
    EXPECT_GE(CurrentPosition(session), kClipSeconds - 0.2);
    SeekTo(session, -std::numeric_limits<double>::infinity());
    EXPECT_NEAR(CurrentPosition(session), 0.0, kFrame);
    SeekTo(session, 5.0);
    SeekTo(session, std::numeric_limits<double>::quiet_NaN());
    EXPECT_NEAR(CurrentPosition(session), 5.0, kFrame) << "NaN names no place: the position stays";
    EXPECT_FALSE(session.settlingSeek.has_value());
}

TEST_F(TransportTest, ASeekInsideASeekDoesNothing) {
    OpenPausedAt(0.5);
    // The desktop bus hears of each seek; a listener that seeks again from
    // there must not start a second one.
    int nested = 0;
    ui_.onSeeked = [&](double) {
        if (nested++ == 0) SeekTo(session, 9.0);
    };
    SeekTo(session, 4.0);
    ui_.onSeeked = nullptr;
    EXPECT_EQ(nested, 1);
    EXPECT_NEAR(CurrentPosition(session), 4.0, kFrame);
    EXPECT_FALSE(session.settlingSeek.has_value());
}

// Seeks that arrive while one settles on a playing medium (a slider dragged,
// keys held) merge: one more seek runs, to the last target, and each is told
// once.
TEST_F(TransportTest, SeeksAskedWhileOneSettlesMergeIntoTheLastOne) {
    Open();
    ASSERT_EQ(GraphStateOf(session), GraphState::Running);
    const size_t told = ui_.seeked.size();
    SeekTo(session, 3.0);
    ASSERT_TRUE(session.settlingSeek.has_value()) << "a playing graph settles after the command";
    SeekTo(session, 5.0);
    SeekTo(session, 11.0);
    SeekTo(session, 8.0);
    EXPECT_EQ(ui_.seeked.size(), told);
    UntilSettled();
    ASSERT_EQ(ui_.seeked.size(), told + 1) << "the first seek and the last, told once";
    // Where it landed, with what has played since the settle.
    EXPECT_GE(ui_.seeked.back(), 8.0 - kFrame);
    EXPECT_LT(ui_.seeked.back(), 8.0 + 0.5);
    EXPECT_GE(CurrentPosition(session), 8.0 - kFrame);
    EXPECT_FALSE(session.pendingSeek);
}

// A jump pressed while a seek settles goes on from where the medium is
// going, as a held key does: each press counts.
TEST_F(TransportTest, JumpsPressedWhileASeekSettlesAddUp) {
    Open();
    ASSERT_EQ(GraphStateOf(session), GraphState::Running);
    SeekTo(session, 2.0);
    ASSERT_TRUE(session.settlingSeek.has_value());
    EXPECT_NEAR(CurrentPosition(session), 2.0, kFrame) << "where it goes is where it is";
    JumpFWD2Click(session);
    EXPECT_NEAR(CurrentPosition(session), 12.0, kFrame);
    JumpBWD2Click(session);
    EXPECT_NEAR(CurrentPosition(session), 2.0, kFrame) << "back from 12 s, not from 2 s";
    UntilSettled();
    EXPECT_GE(CurrentPosition(session), 2.0 - kFrame);
    EXPECT_LT(CurrentPosition(session), 2.0 + 0.5);
}

TEST_F(TransportTest, JumpsMoveByTheirAmountAndStopAtTheStart) {
    OpenPausedAt(10.0);
    JumpBWD1Click(session);
    EXPECT_NEAR(CurrentPosition(session), 0.0, kFrame);
    JumpFWD2Click(session);
    EXPECT_NEAR(CurrentPosition(session), 10.0, kFrame);
    JumpBWD2Click(session);
    EXPECT_NEAR(CurrentPosition(session), 0.0, kFrame);
    JumpFWD1Click(session);
    EXPECT_GE(CurrentPosition(session), kClipSeconds - 0.2)
        << "a jump past the end lands at the end";
    Start1Click(session);
    EXPECT_NEAR(CurrentPosition(session), 0.0, kFrame);
}

// A file with a chapter list steps through it with the chapter commands.
TEST_F(TransportTest, ChapterCommandsMoveThroughTheFilesChapterList) {
    OpenPausedAt(1.0);
    ChapterTable& chapters = session.chapters;
    chapters.ChapterCount = 3;
    chapters.ChapterTimes = {0.0f, 0.0f, 5.0f, 10.0f};
    chapters.ChapterNames = {"", "one", "two", "three"};
    struct Step {
        double from;
        int direction;
        int chapter;  // 0: no step
    };
    const Step steps[] = {{1.0, +1, 2}, {5.5, +1, 3}, {12.0, +1, 0}, {12.0, -1, 2}, {7.0, -1, 1}};
    for (const Step& step : steps) {
        SCOPED_TRACE(::testing::Message() << step.direction << " from " << step.from);
        SeekTo(session, step.from);
        session.osdMessage = "before";
        chapters.CurrentChapter = 1;
        StepChapter(session, step.direction);
        if (step.chapter == 0) {
            EXPECT_NEAR(CurrentPosition(session), step.from, kFrame);
            EXPECT_EQ(session.osdMessage, "before");
            continue;
        }
        EXPECT_EQ(chapters.CurrentChapter, step.chapter);
        EXPECT_NEAR(CurrentPosition(session),
                    chapters.ChapterTimes[static_cast<size_t>(step.chapter)], kFrame);
        EXPECT_EQ(session.osdMessage, chapters.ChapterNames[static_cast<size_t>(step.chapter)]);
    }
    chapters = ChapterTable{};
}

TEST_F(TransportTest, PlayAtTheEndStartsAgainFromTheBeginning) {
    OpenPausedAt(1.0);
    End1Click(session);
    session.graph.GraphBuilder->Stop();
    ASSERT_GE(CurrentPosition(session), session.graph.Duration - 0.01);
    Play1Click(session);
    Pump(session, 200);
    EXPECT_EQ(GraphStateOf(session), GraphState::Running);
    EXPECT_LT(CurrentPosition(session), 1.0);
}

TEST_F(TransportTest, FrameStepAdvancesExactlyOneFrame) {
    OpenPausedAt(2.0);
    ASSERT_TRUE(StepAvailable(session));
    for (int i = 1; i <= 3; ++i) {
        const double before = CurrentPosition(session);
        Step1Click(session);
        Pump(session, 100);
        EXPECT_EQ(session.osdMessage, "step on");
        EXPECT_NEAR(CurrentPosition(session) - before, kFrame, 0.002) << "step " << i;
        EXPECT_EQ(GraphStateOf(session), GraphState::Paused);
    }
}

TEST_F(TransportTest, TheEndOfAFileStopsItAndSaysSo) {
    Open();
    SeekTo(session, kClipSeconds - 0.5);
    const TransportTick end{session.graph.Duration, GraphState::Running};
    EXPECT_TRUE(EndOfMediumDuty(session, end));
    // The last frames play out for half a second; the ticks meanwhile do not
    // end the medium again.
    Pump(session, 300);
    EXPECT_NE(GraphStateOf(session), GraphState::Stopped);
    EXPECT_TRUE(EndOfMediumDuty(session, end));
    Pump(session, 400);
    EXPECT_EQ(session.osdMessage, "Stop");
    EXPECT_EQ(GraphStateOf(session), GraphState::Stopped);
    EXPECT_EQ(ui_.playListContinued, 1);
    EXPECT_FALSE(session.graph.MediaComplete);

    session.graph.MediaComplete = true;
    EXPECT_TRUE(EndOfMediumDuty(session, TransportTick{1.0, GraphState::Running}))
        << "the stream's own end counts wherever the position is";
    Pump(session, 700);
    EXPECT_EQ(ui_.playListContinued, 2);
    EXPECT_FALSE(EndOfMediumDuty(session, TransportTick{1.0, GraphState::Running}));
}

// H.264 with a keyframe each second: the scan and the seek bar's drag land
// on keyframes, every other seek where it was asked to.
class KeyFrameTransportTest : public TransportTest {
  protected:
    static void SetUpTestSuite() {
        testing::App();
        keyDir_ = new quova::testing::TempDir;
        keyClip_ = media::MatroskaH264KeyFrames(*keyDir_ / "keys.mkv", kClipSeconds, 25).string();
        // Read by a pipeline of its own, apart from the player.
        keyFrames_ = quova::testing::MatroskaVideoKeyFrames(keyClip_);
    }
    static void TearDownTestSuite() {
        delete keyDir_;
        keyDir_ = nullptr;
    }
    void TearDown() override {
        picture_.reset();
        TransportTest::TearDown();
    }

    // Opens the clip, pauses it exactly at `seconds` and watches the
    // pictures that reach the video renderer.
    void OpenPausedAt(double seconds) {
        ASSERT_GE(keyFrames_.size(), 14u);
        ASSERT_NEAR(KeyFrameAtOrAfter(2.04), 3.0, kSameTime) << "a keyframe each second";
        OpenMedia(session, keyClip_);
        ASSERT_EQ(session.graph.MediaKind, MediaKindFile);
        session.graph.GraphBuilder->Pause();
        SeekTo(session, seconds);
        ASSERT_EQ(GraphStateOf(session), GraphState::Paused);
        ASSERT_NEAR(CurrentPosition(session), seconds, kSameTime);
        const auto video = session.graph.GraphBuilder->VideoRenderer();
        ASSERT_TRUE(video);
        const auto inputs = video->Pins(engine::PinDirection::Input);
        ASSERT_FALSE(inputs.empty());
        picture_ = std::make_unique<quova::testing::FirstBufferTap>(inputs.front()->pad());
        picture_->Arm();
    }
    // The time of the first picture since the tap was armed, once it came.
    double FirstPicture() {
        QElapsedTimer clock;
        clock.start();
        // The bound only ends a failing test.
        while (picture_->Seconds() < 0 && clock.elapsed() < 10000) Pump(session, 5);
        return picture_->Seconds();
    }
    static double KeyFrameAtOrBefore(double seconds) {
        double at = -1;
        for (double k : keyFrames_)
            if (k <= seconds + kSameTime) at = k;
        return at;
    }
    static double KeyFrameAtOrAfter(double seconds) {
        for (double k : keyFrames_)
            if (k >= seconds - kSameTime) return k;
        return -1;
    }

    static constexpr double kSameTime = 1e-6;
    static quova::testing::TempDir* keyDir_;
    static std::string keyClip_;
    static std::vector<double> keyFrames_;
    std::unique_ptr<quova::testing::FirstBufferTap> picture_;
};

quova::testing::TempDir* KeyFrameTransportTest::keyDir_ = nullptr;
std::string KeyFrameTransportTest::keyClip_;
std::vector<double> KeyFrameTransportTest::keyFrames_;

TEST_F(KeyFrameTransportTest, AScanForwardJumpsToTheKeyFrameAheadOfItsStep) {
    OpenPausedAt(2.2);
    FFWD1Click(session);
    const TransportTick tick = PollTransport(session);
    ASSERT_NEAR(tick.position, 2.2, kSameTime);
    picture_->Arm();
    FastScanDuty(session, tick);
    // 3.2 s lies between keyframes: the scan shows the one at 4 s, not the
    // frame at 3.2 s (decoded from 3 s on) nor the keyframe at 3 s.
    EXPECT_NEAR(FirstPicture(), KeyFrameAtOrAfter(3.2), kSameTime);
    UntilPaused();
    EXPECT_EQ(GraphStateOf(session), GraphState::Paused);
    EXPECT_GT(CurrentPosition(session), KeyFrameAtOrAfter(3.2) - kSameTime);
}

// Keyframes 3 s apart in 5 s: none after 3 s. A demuxer asked for the
// keyframe after 4.5 s may fall back on the one at 3 s, behind where the
// scan stands; the scan goes on to 4.5 s exactly instead.
TEST_F(KeyFrameTransportTest, AScanForwardPastTheLastKeyFrameStillMovesForward) {
    const auto sparse = media::MatroskaH264KeyFrames(*keyDir_ / "sparse.mkv", 5.0, 75);
    ASSERT_EQ(quova::testing::MatroskaVideoKeyFrames(sparse), (std::vector<double>{0.0, 3.0}));
    OpenMedia(session, sparse.string());
    ASSERT_EQ(session.graph.MediaKind, MediaKindFile);
    session.graph.GraphBuilder->Pause();
    SeekTo(session, 3.5);
    ASSERT_NEAR(CurrentPosition(session), 3.5, kSameTime);
    FFWD1Click(session);
    FastScanDuty(session, PollTransport(session));
    // Played on for a moment from 4.5 s, not from 3 s.
    EXPECT_GE(CurrentPosition(session), 4.5 - kSameTime);
}

TEST_F(KeyFrameTransportTest, AScanBackwardJumpsToTheKeyFrameBehindItsStep) {
    OpenPausedAt(5.6);
    FBWD1Click(session);
    FBWD1Click(session);
    const TransportTick tick = PollTransport(session);
    picture_->Arm();
    FastScanDuty(session, tick);
    EXPECT_NEAR(FirstPicture(), KeyFrameAtOrBefore(3.6), kSameTime);
    UntilPaused();
    EXPECT_EQ(GraphStateOf(session), GraphState::Paused);
}

TEST_F(KeyFrameTransportTest, AKeyFrameSeekLandsOnTheKeyFrameBeforeAndKeepsTheState) {
    OpenPausedAt(1.0);
    SeekToKeyFrame(session, 6.72);
    EXPECT_NEAR(FirstPicture(), KeyFrameAtOrBefore(6.72), kSameTime);
    EXPECT_NEAR(CurrentPosition(session), KeyFrameAtOrBefore(6.72), kSameTime);
    EXPECT_EQ(GraphStateOf(session), GraphState::Paused);
    ASSERT_FALSE(ui_.seeked.empty());
    EXPECT_NEAR(ui_.seeked.back(), KeyFrameAtOrBefore(6.72), kSameTime)
        << "the desktop bus hears where it landed";

    session.graph.GraphBuilder->Run();
    ASSERT_EQ(GraphStateOf(session), GraphState::Running);
    picture_->Arm();
    const size_t told = ui_.seeked.size();
    SeekToKeyFrame(session, 9.5);
    EXPECT_EQ(ui_.seeked.size(), told) << "where it lands is told once it has settled";
    UntilSettled();
    // Running, the graph plays on from the keyframe; the bus hears where
    // it landed, not the target.
    ASSERT_EQ(ui_.seeked.size(), told + 1);
    EXPECT_GE(ui_.seeked.back(), KeyFrameAtOrBefore(9.5) - kSameTime);
    EXPECT_LT(ui_.seeked.back(), 9.5 - 0.2);
    EXPECT_NEAR(FirstPicture(), KeyFrameAtOrBefore(9.5), kSameTime);
    EXPECT_EQ(GraphStateOf(session), GraphState::Running);
    EXPECT_FALSE(session.settlingSeek.has_value());
}

TEST_F(KeyFrameTransportTest, SeeksAndJumpsLandOnTheFrameBetweenKeyFrames) {
    OpenPausedAt(1.0);
    SeekTo(session, 6.72);
    EXPECT_NEAR(FirstPicture(), 6.72, kSameTime);
    EXPECT_NEAR(CurrentPosition(session), 6.72, kSameTime);
    SeekTo(session, 12.36);
    picture_->Arm();
    JumpBWD2Click(session);
    EXPECT_NEAR(FirstPicture(), 2.36, kSameTime);
    EXPECT_NEAR(CurrentPosition(session), 2.36, kSameTime);
}

TEST(PlayPauseGlyph, PauseWhileRunningPlayOtherwise) {
    EXPECT_STREQ(PlayPauseGlyph(GraphState::Running), ";");
    EXPECT_STREQ(PlayPauseGlyph(GraphState::Paused), "4");
}

TEST_F(TransportTest, CommandsWithoutAMediumDoNothing) {
    Play1Click(session);
    Stop1Click(session);
    Quick1Click(session);
    FFWD1Click(session);
    Step1Click(session);
    SeekTo(session, 3);
    EXPECT_EQ(session.osdMessage, "");
    EXPECT_EQ(session.fastSeekStep, 0);
    EXPECT_EQ(CurrentPosition(session), 0);
    EXPECT_FALSE(StepAvailable(session));
    EXPECT_EQ(ui_.osdPaints, 0);
}

TEST(RateText, ShortestDecimalForm) {
    EXPECT_EQ(RateText(1.25), "1.25");
    EXPECT_EQ(RateText(2.0), "2");
    EXPECT_EQ(RateText(0.75), "0.75");
}

}  // namespace
}  // namespace quova

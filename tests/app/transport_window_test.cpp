#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QThread>
#include <QTimer>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/mpris.h"
#include "app/play_list.h"
#include "app/popup_menu.h"
#include "graph/graph_state.h"
#include "graph/open_media.h"
#include "lexicon/lexicon.h"
#include "platform/registry/registry.h"
#include "playback/player_session.h"
#include "playback/transport.h"
#include "tests/app/qt_support.h"
#include "tests/support/dvd_volume.h"
#include "tests/support/gst_media.h"
#include "tests/support/temp_dir.h"
#include "tests/support/window_fixture.h"
#include "text/osd.h"

namespace quova {
namespace {

using engine::GraphState;

// The window with the OSD on and a clip playing.
class TransportWindow : public testing::WindowTest {
  protected:
    TransportWindow() : WindowTest({.size = {320, 240}}) {}
    void BeforeWindow() override { AppSettings().OsdOn = true; }
    void SetUp() override {
        WindowTest::SetUp();
        clip_ = testing::media::AviPcm(dir_ / "clip.avi", 4.0, 1).string();
    }
    // Counts OSD-green pixels in a band of rows of the window's picture.
    int GreenIn(int top, int bottom, int left, int right) {
        const QImage shot = form_->grab().toImage();
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) {
                const QColor c = shot.pixelColor(x, y);
                if (c.green() > 128 && c.red() < 80 && c.blue() < 80) ++n;
            }
        return n;
    }

    std::string clip_;
};

TEST_F(TransportWindow, MenuCommandsShowTheirMessageInTheBandAboveThePicture) {
    // A picture filling the window leaves the band free; one larger than the
    // window at its zoom would cover it.
    AppSettings().ZoomToWindow = true;
    form_->OpenMedia(clip_);
    ASSERT_EQ(session.graph.MediaKind, MediaKindFile);
    const int band = AppSettings().OsdLineHeight + 1;
    ASSERT_GT(band, 1);
    ASSERT_TRUE(session.graph.VideoWindow);
    EXPECT_GE(session.graph.VideoWindow->WindowPosition().top(), band)
        << "the picture is never drawn under the OSD line";

    form_->popup().Trigger("Play1");
    EXPECT_EQ(session.osdMessage, "pause");
    // The message at the left, the time at the right, both in the band.
    EXPECT_GT(GreenIn(0, band, 0, 100), 10);
    EXPECT_GT(GreenIn(0, band, 220, 320), 10);

    form_->popup().Trigger("OSD2");
    EXPECT_FALSE(AppSettings().OsdOn);
    EXPECT_EQ(session.graph.VideoWindow->WindowPosition().top(), 0)
        << "without the OSD the line is no longer kept free";
    form_->popup().Trigger("OSD2");
    EXPECT_EQ(session.osdMessage, "OSD on");
}

TEST_F(TransportWindow, PopupShowsPauseWhilePlayingAndStopDisabledWhenStopped) {
    form_->OpenMedia(clip_);
    QMenu* menu = form_->popup().menu();
    Q_EMIT menu->aboutToShow();
    EXPECT_EQ(form_->menuModel().Find("Play1")->caption, Lex(730));
    EXPECT_TRUE(form_->menuModel().Find("Stop1")->enabled);
    form_->popup().Trigger("Stop1");
    Q_EMIT menu->aboutToShow();
    EXPECT_EQ(form_->menuModel().Find("Play1")->caption, Lex(720));
    EXPECT_FALSE(form_->menuModel().Find("Stop1")->enabled);
}

TEST_F(TransportWindow, ControlBarButtonsRunTheirCommandAndThePlayGlyphFollowsTheGraph) {
    form_->OpenMedia(clip_);
    auto* play = form_->findChild<QPushButton*>("Button6");
    ASSERT_TRUE(play);
    play->show();
    play->click();
    EXPECT_EQ(session.osdMessage, "pause");
    form_->Timer1Timer();
    EXPECT_EQ(play->text(), "4");
    play->click();
    form_->Timer1Timer();
    EXPECT_EQ(play->text(), ";");
    auto* forward = form_->findChild<QPushButton*>("Button8");
    forward->click();
    EXPECT_EQ(session.osdMessage, "forward: 1x");
}

TEST_F(TransportWindow, TheTimerEndsAFileThatReachedItsEnd) {
    form_->OpenMedia(clip_);
    SeekTo(session, 3.9);
    testing::PumpEvents(600);
    form_->Timer1Timer();
    testing::PumpEvents(800);
    EXPECT_EQ(session.osdMessage, "Stop");
    EXPECT_EQ(GraphStateOf(session), GraphState::Stopped);
    EXPECT_FALSE(form_->timer1()->isActive());
    form_->popup().Trigger("Play1");
    testing::PumpEvents(200);
    EXPECT_LT(CurrentPosition(session), 1.0) << "play at the end starts again";
    EXPECT_EQ(GraphStateOf(session), GraphState::Running);
}

// A VBR MP3 without a Xing header states no length: the first frames' bit
// rate guesses one, too short when they are louder than the rest and too long
// when quieter. The file plays to the end of its data either way, and the
// length shown (OSD, seek bar, desktop bus) becomes the real one as it plays.
TEST_F(TransportWindow, AVbrMp3PlaysToItsEndAndItsLengthFollowsTheData) {
    for (const bool loudFirst : {true, false}) {
        SCOPED_TRACE(loudFirst ? "loud first" : "quiet first");
        // 0.4 s + 2.6 s = 3.0 s.
        const auto file = testing::media::VbrMp3(dir_ / (loudFirst ? "loud.mp3" : "quiet.mp3"), 0.4,
                                                 2.6, loudFirst);
        form_->OpenMedia(file.string());
        ASSERT_EQ(session.graph.MediaKind, MediaKindFile);
        const double opened = session.graph.Duration;
        if (loudFirst) {
            EXPECT_LT(opened, 2.0) << "the first frames' rate misjudges the length";
        }
        double last = 0;
        QElapsedTimer clock;
        clock.start();
        while (session.osdMessage != "Stop" && clock.elapsed() < 10000) {
            testing::PumpEvents(100);
            if (GraphStateOf(session) == GraphState::Running)
                last = std::max(last, CurrentPosition(session));
        }
        EXPECT_EQ(session.osdMessage, "Stop");
        EXPECT_GT(last, 2.7) << "stopped early, at " << last << " s";
        EXPECT_NEAR(session.graph.Duration, 3.0, 0.15) << "opened saying " << opened << " s";
        EXPECT_NEAR(session.graph.Duration, last, 0.05) << "the length is where the data ended";
        EXPECT_EQ(form_->mpris().Metadata()["mpris:length"].toLongLong(),
                  static_cast<qlonglong>(session.graph.Duration * 1e6));
        session.osdMessage.clear();
    }
}

// A second start handing its file over while a menu seek waits: the open of
// a disc, which releases the graph, runs after the seek is done with it.
TEST_F(TransportWindow, AHandOverWhileASeekSettlesOpensTheDiscAndTheSeekDropsItself) {
    form_->OpenMedia(clip_);
    ASSERT_EQ(session.graph.MediaKind, MediaKindFile);
    ASSERT_EQ(GraphStateOf(session), GraphState::Running);
    const std::string disc = (testing::SharedDvdVolume() / "VIDEO_TS" / "VIDEO_TS.IFO").string();
    int opens = 0;
    OnOpen([&](const std::string& name) {
        ++opens;
        quova::OpenMedia(session, name);
    });
    bool handedOver = false;
    QTimer::singleShot(0, form_.get(), [&] {
        handedOver = session.settlingSeek.has_value();
        form_->HandOverReceived(disc);
    });
    form_->popup().Trigger("JumpFWD2");
    EXPECT_FALSE(handedOver) << "the seek's command returned before anything else ran";
    QElapsedTimer clock;
    clock.start();
    while (session.graph.MediaKind != MediaKindDvd && clock.elapsed() < 20000)
        testing::PumpEvents(50);
    EXPECT_TRUE(handedOver) << "the hand-over came while the seek settled";
    EXPECT_EQ(opens, 1);
    EXPECT_EQ(session.graph.MediaKind, MediaKindDvd);
    testing::PumpEvents(200);
    EXPECT_FALSE(session.settlingSeek.has_value())
        << "the seek of the file left is dropped, not kept";
    EXPECT_FALSE(session.pendingSeek);
}

// The seek bar's drag shows the keyframe at or before the thumb; letting go
// lands on the hundredth the thumb shows.
TEST_F(TransportWindow, DraggingTheSeekBarShowsKeyFramesAndLettingGoLandsExactly) {
    const auto clip = testing::media::MatroskaH264KeyFrames(dir_ / "keys.mkv", 6.0, 25);
    // Read by a pipeline of its own, apart from the player.
    const std::vector<double> keyFrames = testing::MatroskaVideoKeyFrames(clip);
    const auto keyFrameAtOrBefore = [&](double seconds) {
        double at = -1;
        for (double k : keyFrames)
            if (k <= seconds + 1e-6) at = k;
        return at;
    };
    ASSERT_NEAR(keyFrameAtOrBefore(3.72), 3.0, 1e-6) << "a keyframe each second";
    form_->OpenMedia(clip.string());
    ASSERT_EQ(session.graph.MediaKind, MediaKindFile);
    form_->popup().Trigger("Play1");
    ASSERT_EQ(GraphStateOf(session), GraphState::Paused);
    form_->popup().Trigger("TrackBar2");
    auto* bar = form_->findChild<QSlider*>("TrackBar1");
    ASSERT_TRUE(bar && bar->isVisible());
    ASSERT_GE(bar->maximum(), 590);

    // What the slider does as the mouse holds and moves its thumb.
    bar->setSliderDown(true);
    bar->setSliderPosition(372);
    EXPECT_NEAR(CurrentPosition(session), keyFrameAtOrBefore(3.72), 1e-6);
    bar->setSliderPosition(448);
    EXPECT_NEAR(CurrentPosition(session), keyFrameAtOrBefore(4.48), 1e-6);
    form_->Timer1Timer();
    EXPECT_EQ(bar->value(), 448) << "the thumb stays under the pointer";
    bar->setSliderDown(false);
    EXPECT_NEAR(CurrentPosition(session), 4.48, 1e-6);
    EXPECT_EQ(GraphStateOf(session), GraphState::Paused);
}

}  // namespace
}  // namespace quova

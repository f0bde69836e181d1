#include "app/video_window.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QScreen>
#include <QThread>

#include "app/app_state.h"
#include "app/display_mode.h"
#include "app/main_window.h"
#include "app/popup_menu.h"
#include "app/settings.h"
#include "app/video_commands.h"
#include "graph/graph_state.h"
#include "graph/open_media.h"
#include "platform/registry/registry.h"
#include "playback/player_session.h"
#include "tests/app/fake_screen.h"
#include "tests/app/qt_support.h"
#include "tests/support/gst_media.h"
#include "tests/support/temp_dir.h"
#include "tests/support/window_fixture.h"
#include "text/subtitle_commands.h"
#include "text/subtitle_display.h"
#include "text/text_session.h"

namespace quova {
namespace {

// The real window playing a real 320 x 240 clip.
class VideoWindow : public testing::WindowTest {
  protected:
    VideoWindow() : WindowTest({.size = {}}) {}
    void SetUp() override {
        WindowTest::SetUp();
        QCoreApplication::processEvents();
    }
    void Open() {
        const auto clip = testing::media::OggTheoraVorbis(dir_ / "clip.ogv", 2.0);
        form_->OpenMedia(clip.string());
        ASSERT_TRUE(session.graph.VideoWindow);
        ASSERT_TRUE(
            testing::WaitUntil([this] { return session.graph.VideoWindow->ReceivedFrames() > 0; }));
    }
    QRect Picture() const { return session.graph.VideoWindow->WindowPosition(); }
    void Choose(const std::string& item) { form_->popup().Trigger(item); }
};

TEST_F(VideoWindow, TheOpenedPictureIsCentredAndZoomDoublesIt) {
    Open();
    ASSERT_EQ(form_->size(), QSize(478, 340));
    EXPECT_EQ(Picture(), QRect(79, 50, 320, 240));
    EXPECT_TRUE(session.graph.VideoWindow->IsVisible());
    Choose("N2x1");
    EXPECT_EQ(Picture(), QRect(-81, -70, 640, 480));
    EXPECT_EQ(session.osdMessage, "zoom: 2 x");
    Choose("N1x1");
    Choose("ZoomIn1");
    EXPECT_NEAR(AppSettings().ZoomFactor, 1.1, 1e-9);
    EXPECT_EQ(session.osdMessage, "zoom: 1.1 x");
}

// A zoom says its new factor on the OSD while the command runs, not at the
// next tick of the polling timer half a second later.
TEST_F(VideoWindow, AZoomIsShownOnTheOsdAtOnce) {
    Open();
    AppSettings().OsdOn = true;
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) ++paints;
            return false;
        }
    } counter;
    QCoreApplication::processEvents();
    form_->installEventFilter(&counter);
    Choose("ZoomIn1");
    form_->removeEventFilter(&counter);
    EXPECT_EQ(session.osdMessage, "zoom: 1.1 x");
    EXPECT_GT(counter.paints, 0);
}

TEST_F(VideoWindow, ZoomCommandsDoNothingWhileZoomToWindowFillsTheWindow) {
    Open();
    // Each option offers its tip first.
    testing::AnswerNextBox(QMessageBox::Yes);
    Choose("ZoomToWindow1");
    EXPECT_EQ(session.osdMessage, "zoom to window: on");
    // 478 / 340 is wider than 4:3: full height, w = round(453.3) = 453, x = round(12.5) = 12.
    EXPECT_EQ(Picture(), QRect(12, 0, 448, 336));
    for (const char* item : {"N2x1", "ZoomIn1", "ZoomOut1"}) {
        Choose(item);
        EXPECT_EQ(AppSettings().ZoomFactor, 1.0) << item;
        EXPECT_EQ(session.osdMessage, "zoom to window: on") << item;
    }
    testing::AnswerNextBox(QMessageBox::Yes);
    Choose("ResizetoMedia1");
    EXPECT_EQ(session.osdMessage, "resize to media: on");
    Choose("N2x1");
    EXPECT_EQ(AppSettings().ZoomFactor, 2.0);
}

TEST_F(VideoWindow, CropRemovesEdgesAndPastHalfKeepsThePlacement) {
    Open();
    form_->videoLayout().geometry().CropX = 7;
    Choose("Crop3");  // 8
    EXPECT_EQ(session.osdMessage, "crop: 8 x 0");
    EXPECT_EQ(session.graph.SourceWidth, 304);
    EXPECT_EQ(session.graph.VideoWindow->SourcePosition(), QRect(8, 0, 304, 240));
    const QRect before = Picture();
    EXPECT_EQ(before.size(), QSize(304, 240));
    form_->videoLayout().geometry().CropX = 161;
    form_->videoLayout().ApplyCrop();
    EXPECT_EQ(form_->videoLayout().geometry().CropX, 160);
    EXPECT_EQ(session.graph.SourceWidth, 0);
    EXPECT_EQ(Picture(), before);
    EXPECT_TRUE(session.graph.VideoWindow->IsVisible());
    Choose("Original2");
    EXPECT_EQ(Picture(), QRect(79, 50, 320, 240));
    EXPECT_EQ(session.osdMessage, "crop: 0 x 0");
}

TEST_F(VideoWindow, AMoviesSettingsFileCropsAndShapesItsPicture) {
    testing::WriteFile(dir_ / "clip.ini", "[CONFIG]\ncrop_x=8\ncrop_y=4\naspect=1.5\n");
    Open();
    EXPECT_EQ(form_->videoLayout().geometry().CropX, 8);
    EXPECT_EQ(form_->videoLayout().geometry().CropY, 4);
    EXPECT_EQ(session.graph.VideoWindow->SourcePosition(), QRect(8, 4, 304, 232));
    EXPECT_DOUBLE_EQ(form_->videoLayout().geometry().AspectFactor, 1.5);
    // 304 wide at zoom 1; 304 / (304 / 232 x 1.5) = 154.7 high, rounded to 155
    // and cut to a multiple of 8.
    EXPECT_EQ(Picture().size(), QSize(304, 152));
    EXPECT_FALSE(AppSettings().SaveOnExit);
}

TEST_F(VideoWindow, AspectRevertsSetTheFactorEachTime) {
    Open();
    Choose("Revert431691");
    EXPECT_DOUBLE_EQ(form_->videoLayout().geometry().AspectFactor, 1.35);
    Choose("Revert169431");
    EXPECT_DOUBLE_EQ(form_->videoLayout().geometry().AspectFactor, 0.75);
    Choose("StretchWidth1");
    EXPECT_DOUBLE_EQ(form_->videoLayout().geometry().AspectFactor, 0.75 / 0.99);
    Choose("Original1");
    EXPECT_EQ(Picture(), QRect(79, 50, 320, 240));
}

TEST_F(VideoWindow, LeavingFullScreenRestoresTheClientSizeItHadBefore) {
    form_->move(40, 30);
    form_->resize(500, 300);
    QCoreApplication::processEvents();
    const QRect before = form_->geometry();
    Choose("FullScreen1");
    EXPECT_TRUE(AppSettings().FullScreenMode);
    EXPECT_EQ(form_->size(), form_->screen()->geometry().size());
    // Whatever happens to the window meanwhile.
    form_->resize(200, 100);
    Choose("FullScreen1");
    EXPECT_FALSE(AppSettings().FullScreenMode);
    EXPECT_EQ(form_->geometry(), before);
}

TEST_F(VideoWindow, TheDesktopModeComesBackWhenTheLowerResolutionIsTurnedOff) {
    testing::FakeScreen screen;
    DisplayModes().SetServer(&screen);
    DisplayModes().CaptureDisplayMode();
    AppSettings().Resolution = 640;
    Choose("FullScreen1");
    EXPECT_EQ(screen.current.width, 640);
    // Turned off while full screen: the change applies at once.
    Choose("N640x4801");
    EXPECT_EQ(AppSettings().Resolution, 0);
    EXPECT_EQ(screen.current.width, 1024);
    EXPECT_EQ(DisplayModes().state(), DisplayModeControl::Untouched);
    // And leaving full screen with no mode option left restores it too.
    Choose("N800x6001");
    EXPECT_EQ(screen.current.width, 800);
    AppSettings().Resolution = 0;
    Choose("FullScreen1");
    EXPECT_EQ(screen.current.width, 1024);
    DisplayModes().SetServer(nullptr);
}

TEST_F(VideoWindow, TheWindowIsNeverSmallerThan160By80) {
    form_->resize(50, 20);
    QCoreApplication::processEvents();
    EXPECT_GE(form_->width(), 160 - form_->videoLayout().geometry().FrameWidth);
    EXPECT_GE(form_->height(), 80 - form_->videoLayout().geometry().FrameHeight);
}

TEST_F(VideoWindow, TheOsdBandLiesAboveThePicture) {
    AppSettings().OsdOn = true;
    AppSettings().OsdLineHeight = 17;
    Open();
    // Band 36, offset 0: the 240-line picture is centred in 340 lines.
    EXPECT_EQ(Picture(), QRect(79, 50, 320, 240));
    AppSettings().ResizeToMedia = true;
    form_->videoLayout().LayoutVideo();
    EXPECT_EQ(form_->size(), QSize(320, 240 + 36));
    EXPECT_EQ(Picture(), QRect(0, 18, 320, 240));
    EXPECT_EQ(form_->videoLayout().geometry().VideoTop, 18);
}

TEST_F(VideoWindow, ATooWideSubtitleIsDrawnSmallerAndTheFontStaysAsItWas) {
    AppSettings().OsdOn = false;
    // 60 characters, 30 times "Xx": the width the fit is measured in.
    std::string wide;
    for (int i = 0; i < 30; ++i) wide += "Xx";
    testing::WriteFile(dir_ / "clip.srt", "1\n00:00:00,000 --> 00:00:10,000\n" + wide + "\n\n");
    Open();
    ASSERT_EQ(session.currentSubtitleText, "") << "not due before the first tick";
    form_->resize(300, 300);
    QCoreApplication::processEvents();
    const int size = form_->osdFont().pixelSize();
    const int line = AppSettings().OsdLineHeight;
    ShowSubtitle(session, wide);
    EXPECT_EQ(session.currentSubtitleText, wide);
    EXPECT_EQ(form_->osdFont().pixelSize(), size);
    EXPECT_EQ(AppSettings().OsdLineHeight, line);
    // Drawn below the picture, inside the window's width: the text's first
    // and last columns stay clear of the edges.
    const QImage shot = form_->grab().toImage();
    const int top = Picture().bottom() + 1;
    int left = shot.width(), right = -1;
    for (int y = top; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (qGray(shot.pixel(x, y)) > 128) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    ASSERT_GE(right, 0) << "no text below the picture";
    EXPECT_GT(left, 0);
    EXPECT_LT(right, shot.width() - 1);
    EXPECT_GT(right - left, shot.width() / 2) << "a smaller font, not a cut line";
}

}  // namespace
}  // namespace quova

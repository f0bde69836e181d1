// The picture on a real X server: what reaches the screen is where the layout
// says. Run by video_on_x.sh under Xvfb, once per video output.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QThread>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/popup_menu.h"
#include "app/settings.h"
#include "app/video_commands.h"
#include "app/video_layout.h"
#include "app/video_window.h"
#include "graph/graph_state.h"
#include "platform/engine/video_output.h"
#include "platform/registry/registry.h"
#include "playback/player_session.h"
#include "tests/support/gst_media.h"
#include "tests/support/temp_dir.h"
#include "tests/support/window_fixture.h"

namespace quova {
namespace {

void Pump(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
}

QImage Screen() {
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(
        QImage::Format_RGB32);
}

// A picture pixel: the clip is white with a red frame, so red is well above
// black; the OSD's green text in the band is not part of it.
bool Lit(QRgb p) {
    return qRed(p) > 100;
}

// The bounding box of the lit pixels.
QRect LitRect(const QImage& shot) {
    int left = shot.width(), top = shot.height(), right = -1, bottom = -1;
    for (int y = 0; y < shot.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(shot.constScanLine(y));
        for (int x = 0; x < shot.width(); ++x) {
            if (!Lit(line[x])) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

int RedPixels(const QImage& shot, const QRect& area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = shot.pixel(x, y);
            if (qRed(p) > 150 && qGreen(p) < 100 && qBlue(p) < 100) ++n;
        }
    return n;
}

void ExpectNear(const QRect& seen, const QRect& want, const char* what) {
    EXPECT_LE(std::abs(seen.left() - want.left()), 2)
        << what << " seen " << seen.x() << "," << seen.y() << " " << seen.width() << "x"
        << seen.height();
    EXPECT_LE(std::abs(seen.top() - want.top()), 2) << what;
    EXPECT_LE(std::abs(seen.right() - want.right()), 2) << what;
    EXPECT_LE(std::abs(seen.bottom() - want.bottom()), 2) << what;
}

// Run in a process of its own: the window asks for the output before any
// graph has started GStreamer.
TEST(VideoOutputChoice, TheWindowTakesTheSinkAskedForBeforeAnyGraphExists) {
    const std::string asked =
        std::getenv("QUOVA_VIDEO_OUTPUT") ? std::getenv("QUOVA_VIDEO_OUTPUT") : "";
    PlayerSession session;
    TQuovaForm form(session, {}, "");
    const engine::VideoOutput chosen = engine::ProcessVideoOutput();
    if (asked == "gl") {
        EXPECT_EQ(chosen, engine::VideoOutput::Gl);
    } else if (asked == "image") {
        EXPECT_EQ(chosen, engine::VideoOutput::Image);
    }
}

class VideoOnX : public testing::WindowTest {
  protected:
    VideoOnX() : WindowTest({.size = {}, .shown = false}) {}
    void BeforeWindow() override {
        // White, 320 x 240, with an 8-pixel red frame that crop takes away.
        clip_ = dir_ / "framed.ogv";
        ASSERT_EQ(testing::MakeMedia(
                      "videotestsrc pattern=white num-buffers=250 ! "
                      "video/x-raw,width=304,height=224,framerate=25/1 ! "
                      "videobox top=-8 bottom=-8 left=-8 right=-8 fill=red ! videoconvert ! "
                      "theoraenc ! oggmux ! filesink location=$OUT",
                      clip_),
                  "");
    }
    void SetUp() override {
        WindowTest::SetUp();
        form_->move(100, 80);
        form_->show();
        Pump(300);
    }
    void Open() {
        form_->OpenMedia(clip_.string());
        ASSERT_TRUE(session.graph.VideoWindow);
        Pump(1500);
    }
    // Where the layout puts the picture now, on the screen.
    QRect Expected() const {
        const QRect r = session.graph.VideoWindow->WindowPosition();
        return QRect(form_->mapToGlobal(r.topLeft()), r.size());
    }
    QRect Seen() {
        Pump(400);
        return LitRect(Screen());
    }
    void Choose(const std::string& item) {
        form_->popup().Trigger(item);
        Pump(200);
    }

    std::filesystem::path clip_;
};

TEST_F(VideoOnX, ThePictureSitsWhereTheLayoutPutsItAndZoomDoublesIt) {
    std::cout << "video output: " << engine::VideoOutputName(engine::ProcessVideoOutput())
              << std::endl;
    Open();
    // The layout's own arithmetic: 320 x 240 centred in 478 x 340.
    LayoutState state;
    state.sourceWidth = 320;
    state.sourceHeight = 240;
    state.graphOpen = state.hasVideoWindow = true;
    state.windowWidth = form_->width();
    state.windowHeight = form_->height();
    const Placement p = LayoutVideo(state);
    const QRect want(form_->mapToGlobal(QPoint(p.video.x, p.video.y)),
                     QSize(p.video.width, p.video.height));
    EXPECT_EQ(Expected(), want);
    ExpectNear(Seen(), want, "1x");

    Choose("N2x1");
    // 640 x 480 centred in the window, clipped by it: the window is all lit.
    state.zoom = 2.0;
    const Placement twice = LayoutVideo(state);
    EXPECT_EQ(twice.video.width, 2 * p.video.width);
    EXPECT_EQ(twice.video.height, 2 * p.video.height);
    ExpectNear(Seen(), QRect(form_->mapToGlobal(QPoint(0, 0)), form_->size()), "2x");
    // Room for the doubled picture.
    form_->resize(700, 520);
    Pump(300);
    ExpectNear(Seen(), Expected(), "2x in a larger window");
    EXPECT_EQ(Expected().size(), QSize(640, 480));
}

TEST_F(VideoOnX, CropTakesAwayTheEdges) {
    Open();
    const QImage before = Screen();
    EXPECT_GT(RedPixels(before, Expected()), 1000);
    form_->videoLayout().geometry().CropX = 7;
    form_->videoLayout().geometry().CropY = 7;
    Choose("Crop2");  // 8 x 8
    Choose("Crop3");
    EXPECT_EQ(Expected().size(), QSize(304, 224));
    const QImage after = Screen();
    ExpectNear(LitRect(after), Expected(), "cropped");
    EXPECT_LT(RedPixels(after, Expected().adjusted(2, 2, -2, -2)), 20);
}

TEST_F(VideoOnX, FullScreenFillsTheScreenAndComesBack) {
    Open();
    const QRect windowed = form_->geometry();
    AppSettings().ZoomToWindow = true;
    Choose("FullScreen1");
    Pump(500);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(form_->frameGeometry(), screen);
    // 1024 x 768 is 4:3 like the picture: it fills the screen.
    ExpectNear(Seen(), Expected(), "full screen");
    EXPECT_EQ(Expected(), screen);
    Choose("FullScreen1");
    Pump(500);
    EXPECT_EQ(form_->geometry(), windowed);
    ExpectNear(Seen(), Expected(), "back");
}

TEST_F(VideoOnX, TheOsdBandStaysBlackAboveThePicture) {
    AppSettings().OsdOn = true;
    AppSettings().OsdLineHeight = 17;
    AppSettings().ResizeToMedia = true;
    Open();
    Pump(300);
    const QRect picture = Expected();
    const QRect window(form_->mapToGlobal(QPoint(0, 0)), form_->size());
    EXPECT_EQ(window.size(), QSize(320, 240 + 36));
    EXPECT_EQ(picture.top() - window.top(), 18);
    const QImage shot = Screen();
    ExpectNear(LitRect(shot), picture, "below the band");
    for (int y = window.top(); y < picture.top(); ++y)
        for (int x = window.left(); x <= window.right(); x += 3)
            ASSERT_FALSE(Lit(shot.pixel(x, y))) << x << "," << y;
}

}  // namespace
}  // namespace quova

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

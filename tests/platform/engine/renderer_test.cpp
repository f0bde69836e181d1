#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <string>

#include "platform/engine/filter_graph.h"
#include "platform/engine/video_renderer.h"
#include "platform/engine/video_widget.h"
#include "tests/platform/engine/engine_fixture.h"
#include "tests/support/gst_media.h"

namespace quova::engine {
namespace {

using testing::Media;
using testing::Spin;
using testing::WaitForEvent;

// Stands for the window's text control that receives mouse input over the picture.
class Drain : public QWidget {
  public:
    using QWidget::QWidget;
    std::vector<std::pair<QEvent::Type, QPoint>> got;

  protected:
    void mousePressEvent(QMouseEvent* e) override {
        got.push_back({e->type(), e->position().toPoint()});
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        got.push_back({e->type(), e->position().toPoint()});
    }
    void wheelEvent(QWheelEvent* e) override {
        got.push_back({e->type(), e->position().toPoint()});
    }
};

TEST(VideoRenderer, PaintsFramesIntoTheOwnersChildWindow) {
    QWidget owner;
    owner.resize(400, 300);
    owner.show();
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(Media::Get("avi-pcm2").string()), S_OK);
    auto video = graph.VideoRenderer();
    ASSERT_TRUE(video);
    EXPECT_EQ(video->SetVisible(true), VFW_E_WRONG_STATE) << "no window before an owner";
    ASSERT_EQ(video->SetAutoShow(false), S_OK);
    ASSERT_EQ(video->SetOwner(&owner), S_OK);
    ASSERT_TRUE(video->widget());
    EXPECT_EQ(video->widget()->parentWidget(), &owner);
    EXPECT_FALSE(video->IsVisible());
    ASSERT_EQ(video->SetWindowPosition(QRect(10, 20, 320, 240)), S_OK);
    EXPECT_EQ(video->WindowPosition(), QRect(10, 20, 320, 240));
    EXPECT_EQ(video->Left(), 10);
    EXPECT_EQ(video->Top(), 20);
    ASSERT_EQ(video->SetTop(30), S_OK);
    EXPECT_EQ(video->WindowPosition(), QRect(10, 30, 320, 240));

    testing::ExpectPlayedThrough(testing::PlayToEnd(graph), "avi-pcm2");
    EXPECT_FALSE(video->IsVisible()) << "auto-show is off";
    ASSERT_EQ(video->SetVisible(true), S_OK);
    EXPECT_TRUE(video->IsVisible());
    EXPECT_EQ(video->CurrentImage().size(), QSize(320, 240));
    EXPECT_EQ(video->widget()->frame().size(), QSize(320, 240));
    ASSERT_TRUE(video->NativeSize().ok());
    EXPECT_EQ(video->NativeSize().value, QSize(320, 240));
}

// The colour bars of the test pattern, as plain colours with some room for JPEG.
bool Looks(QRgb c, bool red, bool green, bool blue) {
    auto on = [](int v, bool want) { return want ? v > 150 : v < 90; };
    return on(qRed(c), red) && on(qGreen(c), green) && on(qBlue(c), blue);
}

TEST(VideoRenderer, SourceAndDestinationRectanglesCropAndScaleThePicture) {
    QWidget owner;
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(Media::Get("avi-pcm2").string()), S_OK);
    auto video = graph.VideoRenderer();
    ASSERT_TRUE(video);
    ASSERT_EQ(video->SetOwner(&owner), S_OK);
    ASSERT_EQ(video->SetWindowPosition(QRect(0, 0, 200, 100)), S_OK);
    ASSERT_EQ(graph.Pause(), S_OK);
    EXPECT_EQ(video->SourcePosition(), QRect(0, 0, 320, 240)) << "default: the whole picture";
    EXPECT_EQ(video->DestinationPosition(), QRect(0, 0, 200, 100)) << "default: the whole window";
    EXPECT_EQ(video->SetSourcePosition(QRect(8, 8, 160, 120)), S_OK);
    EXPECT_EQ(video->SourcePosition(), QRect(8, 8, 160, 120));
    EXPECT_EQ(video->SetDestinationPosition(QRect(10, 0, 180, 100)), S_OK);
    EXPECT_EQ(video->DestinationPosition(), QRect(10, 0, 180, 100));
    ASSERT_EQ(graph.Run(), S_OK);
    ASSERT_TRUE(testing::WaitUntil([&] { return !video->widget()->frame().isNull(); }));
    // Bars 320/7 pixels wide: white, yellow, cyan, green... The picture's
    // x 20, 70 and 115 land at 10 + (x - 8) * 180/160 in the window.
    const QImage shot = video->widget()->grab().toImage();
    EXPECT_TRUE(Looks(shot.pixel(5, 50), false, false, false)) << "border";
    EXPECT_TRUE(Looks(shot.pixel(10 + 12 * 180 / 160, 50), true, true, true)) << "white";
    EXPECT_TRUE(Looks(shot.pixel(10 + 62 * 180 / 160, 50), true, true, false)) << "yellow";
    EXPECT_TRUE(Looks(shot.pixel(10 + 107 * 180 / 160, 50), false, true, true)) << "cyan";
    EXPECT_TRUE(Looks(shot.pixel(195, 50), false, false, false)) << "border";
    graph.Stop();
    EXPECT_EQ(video->SetSourcePosition(QRect(0, 0, 0, 10)), E_INVALIDARG);
    EXPECT_EQ(video->SetSourcePosition(QRect(-1, 0, 10, 10)), E_INVALIDARG);
    EXPECT_EQ(video->SetDestinationPosition(QRect(0, 0, 10, -5)), E_INVALIDARG);
    EXPECT_EQ(video->SetDefaultSourcePosition(), S_OK);
    EXPECT_EQ(video->SetDefaultDestinationPosition(), S_OK);
    EXPECT_EQ(video->SourcePosition(), QRect(0, 0, 320, 240));
    EXPECT_EQ(video->DestinationPosition(), QRect(0, 0, 200, 100));
}

// Within a few steps of the colour: more than x264's loss on a still picture,
// less than a picture decoded with the wrong matrix or range is off by.
bool Near(QRgb c, int red, int green, int blue) {
    auto near = [](int v, int want) { return std::abs(v - want) <= 12; };
    return near(qRed(c), red) && near(qGreen(c), green) && near(qBlue(c), blue);
}

TEST(VideoRenderer, DeepColourPicturesKeepTheirColours) {
    // 10-bit 4:4:4 and 4:2:0 H.264 take a conversion path of their own; the
    // picture tagged BT.709 must be decoded with that matrix, not the one
    // its small size would suggest.
    quova::testing::TempDir dir;
    int n = 0;
    for (const char* caps :
         {"format=Y444_10LE", "format=I420_10LE", "format=Y444_10LE,colorimetry=bt709"}) {
        SCOPED_TRACE(caps);
        const auto file = dir / ("bars-" + std::to_string(++n) + ".mkv");
        ASSERT_EQ(quova::testing::MakeMedia(
                      std::string("videotestsrc num-buffers=10 ! video/x-raw,") + caps +
                          ",width=320,height=240,framerate=25/1 ! x264enc ! matroskamux ! "
                          "filesink location=$OUT",
                      file),
                  "");
        FilterGraph graph;
        ASSERT_EQ(graph.RenderFile(file.string()), S_OK);
        auto video = graph.VideoRenderer();
        ASSERT_TRUE(video);
        ASSERT_EQ(graph.Pause(), S_OK);
        ASSERT_TRUE(testing::WaitUntil([&] { return !video->CurrentImage().isNull(); }));
        const QImage picture = video->CurrentImage();
        ASSERT_EQ(picture.size(), QSize(320, 240));
        // The pattern's bars, 320/7 pixels wide, as it draws them in RGB.
        EXPECT_TRUE(Near(picture.pixel(20, 100), 255, 255, 255)) << "white";
        EXPECT_TRUE(Near(picture.pixel(70, 100), 255, 255, 0)) << "yellow";
        EXPECT_TRUE(Near(picture.pixel(115, 100), 0, 255, 255)) << "cyan";
        EXPECT_TRUE(Near(picture.pixel(160, 100), 0, 255, 0)) << "green";
        EXPECT_TRUE(Near(picture.pixel(210, 100), 255, 0, 255)) << "magenta";
        EXPECT_TRUE(Near(picture.pixel(250, 100), 255, 0, 0)) << "red";
        EXPECT_TRUE(Near(picture.pixel(300, 100), 0, 0, 255)) << "blue";
        graph.Stop();
    }
}

// The dropped-frame count of the benchmarks is received minus shown: a shown
// frame is one that reached the screen, each at most once.
TEST(VideoRenderer, AFrameCountsAsShownOnceWhenFirstPainted) {
    VideoWidget widget(nullptr);
    widget.resize(64, 48);
    widget.show();
    ASSERT_TRUE(testing::WaitUntil([&] { return widget.windowHandle()->isExposed(); }));
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::red);
    EXPECT_EQ(widget.paintedFrames(), 0u);
    widget.repaint();
    EXPECT_EQ(widget.paintedFrames(), 0u) << "black before any picture";
    widget.setFrame(picture);
    widget.repaint();
    widget.repaint();
    EXPECT_EQ(widget.paintedFrames(), 1u) << "painting it again shows no new frame";
    widget.setFrame(picture);
    widget.setFrame(picture);
    widget.repaint();
    EXPECT_EQ(widget.paintedFrames(), 2u) << "the frame replaced before a paint was dropped";

    QWidget owner;
    owner.resize(400, 300);
    owner.show();
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(Media::Get("avi-pcm2").string()), S_OK);
    auto video = graph.VideoRenderer();
    ASSERT_EQ(video->SetOwner(&owner), S_OK);
    ASSERT_EQ(video->SetWindowPosition(QRect(0, 0, 320, 240)), S_OK);
    const auto played = testing::PlayToEnd(graph);
    ASSERT_TRUE(played.completed);
    Spin(100);
    EXPECT_GT(video->ShownFrames(), 0u);
    EXPECT_LE(video->ShownFrames(), video->ReceivedFrames());
}

// Late pictures at the start are shown, not skipped; past the start the
// sink's QoS keeps a slow machine from falling ever further behind.
TEST(VideoRenderer, QualityOfServiceStartsAfterTheFirstPictures) {
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(Media::Get("avi-pcm2-long").string()), S_OK);
    auto video = graph.VideoRenderer();
    ASSERT_TRUE(video);
    auto qos = [&] {
        gboolean on = FALSE;
        g_object_get(video->sink(), "qos", &on, nullptr);
        return on == TRUE;
    };
    ASSERT_EQ(graph.Pause(), S_OK);
    EXPECT_FALSE(qos()) << "paused on the first picture";
    ASSERT_TRUE(testing::PlayToEnd(graph).completed);
    ASSERT_GE(video->ReceivedFrames(), 30u) << "a clip long enough to pass the start";
    EXPECT_TRUE(qos());
}

TEST(VideoRenderer, MouseInputGoesToTheDrainAndThePointerHides) {
    QWidget owner;
    owner.resize(400, 300);
    Drain drain(&owner);
    drain.setGeometry(0, 0, 400, 300);
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(Media::Get("avi-pcm2").string()), S_OK);
    auto video = graph.VideoRenderer();
    ASSERT_EQ(video->SetOwner(&owner), S_OK);
    ASSERT_EQ(video->SetWindowPosition(QRect(10, 20, 160, 120)), S_OK);
    ASSERT_EQ(video->SetMessageDrain(&drain), S_OK);
    owner.show();
    video->SetVisible(true);
    video->widget()->raise();

    const QPointF local(5, 5);
    const QPointF global = video->widget()->mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(video->widget(), &press);
    ASSERT_EQ(drain.got.size(), 1u);
    EXPECT_EQ(drain.got[0].first, QEvent::MouseButtonPress);
    EXPECT_EQ(drain.got[0].second, QPoint(15, 25)) << "in the drain's own coordinates";

    EXPECT_FALSE(video->IsCursorHidden());
    ASSERT_EQ(video->HideCursor(true), S_OK);
    EXPECT_TRUE(video->IsCursorHidden());
    EXPECT_EQ(video->widget()->cursor().shape(), Qt::BlankCursor);
    ASSERT_EQ(video->HideCursor(false), S_OK);
    EXPECT_NE(video->widget()->cursor().shape(), Qt::BlankCursor);
}

}  // namespace
}  // namespace quova::engine

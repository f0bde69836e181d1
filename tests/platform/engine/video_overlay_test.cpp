#include "platform/engine/video_overlay.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>
#include <string>

#include "platform/engine/filter_graph.h"
#include "platform/engine/video_renderer.h"
#include "tests/platform/engine/engine_fixture.h"
#include "tests/support/gst_media.h"
#include "tests/support/temp_dir.h"

namespace quova::engine {
namespace {

using testing::Media;

TEST(FrameOverlay, WindowRectanglesMapThroughTheShownPartOfTheFrame) {
    const QSize frame(320, 240);
    // Shown 1:1 in the whole window.
    EXPECT_EQ(OverlayFrameRect({10, 20, 30, 10}, {0, 0, 320, 240}, {}, frame),
              QRect(10, 20, 30, 10));
    // Shown at half size: the frame's part is twice as big.
    EXPECT_EQ(OverlayFrameRect({5, 10, 10, 5}, {0, 0, 160, 120}, {}, frame), QRect(10, 20, 20, 10));
    // A cropped part (8, 8, 160 x 120) shown in 180 x 100 at x 10: the
    // window's x 10 is the frame's x 8.
    EXPECT_EQ(OverlayFrameRect({10, 0, 180, 100}, {10, 0, 180, 100}, {8, 8, 160, 120}, frame),
              QRect(8, 8, 160, 120));
    // Outside the picture, or beside it, nothing lands in the frame.
    EXPECT_TRUE(OverlayFrameRect({0, 0, 10, 100}, {10, 0, 180, 100}, {}, frame).isEmpty());
    EXPECT_EQ(OverlayFrameRect({0, 90, 400, 40}, {0, 0, 320, 100}, {}, frame),
              QRect(0, 216, 320, 24));
    EXPECT_TRUE(OverlayFrameRect({0, 0, 10, 10}, {}, {}, frame).isEmpty());
}

bool Dark(QRgb c) {
    return qRed(c) < 60 && qGreen(c) < 60 && qBlue(c) < 60;
}
bool Bright(QRgb c) {
    return qRed(c) > 150 && qGreen(c) > 150 && qBlue(c) > 150;
}

// Once on 8-bit pictures and once on 10-bit 4:4:4 ones, which reach the
// window by a conversion of their own after the overlay is laid in.
void DrawsAndTakesAway(const std::string& file) {
    QWidget owner;
    owner.resize(400, 300);
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(file), S_OK);
    auto video = graph.VideoRenderer();
    ASSERT_TRUE(video);
    ASSERT_EQ(video->SetOwner(&owner), S_OK);
    // The 320 x 240 picture at half size: the test pattern's first bar
    // (white, 45 pixels wide) runs down the left of the frame.
    ASSERT_EQ(video->SetWindowPosition(QRect(0, 0, 160, 120)), S_OK);
    QImage black(10, 5, QImage::Format_ARGB32_Premultiplied);
    black.fill(Qt::black);
    ASSERT_EQ(video->SetOverlay(black, QPoint(5, 10)), S_OK);
    ASSERT_EQ(graph.Pause(), S_OK);
    ASSERT_EQ(graph.SetCurrentPosition(0.2), S_OK);  // a picture made after the overlay
    auto at = [&](int x, int y) {
        const QImage frame = video->CurrentImage();
        return frame.isNull() ? QRgb(0x808080) : frame.pixel(x, y);
    };
    // The window's 10 x 5 at (5, 10) is the frame's 20 x 10 at (10, 20).
    ASSERT_TRUE(testing::WaitUntil([&] { return Dark(at(12, 22)) && Dark(at(27, 27)); }));
    EXPECT_TRUE(Bright(at(8, 25))) << "left of the overlay";
    EXPECT_TRUE(Bright(at(34, 25))) << "right of the overlay";
    EXPECT_TRUE(Bright(at(20, 33))) << "under the overlay";

    ASSERT_EQ(video->SetOverlay(QImage(), QPoint()), S_OK);
    ASSERT_EQ(graph.SetCurrentPosition(0.5), S_OK);  // a new picture
    EXPECT_TRUE(testing::WaitUntil([&] { return Bright(at(12, 22)) && Bright(at(27, 27)); }));
    graph.Stop();
}

TEST(FrameOverlay, TheRendererDrawsItIntoTheFramesAndTakesItAway) {
    DrawsAndTakesAway(Media::Get("avi-pcm2").string());
    quova::testing::TempDir dir;
    const auto deep = dir / "deep.mkv";
    ASSERT_EQ(quova::testing::MakeMedia(
                  "videotestsrc num-buffers=25 ! video/x-raw,format=Y444_10LE,width=320,"
                  "height=240,framerate=25/1 ! x264enc ! matroskamux ! filesink location=$OUT",
                  deep),
              "");
    DrawsAndTakesAway(deep.string());
}

}  // namespace
}  // namespace quova::engine

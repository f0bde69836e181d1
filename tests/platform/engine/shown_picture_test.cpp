#include "platform/engine/shown_picture.h"

#include <gst/video/video.h>
#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>
#include <cstring>

#include "platform/engine/filter_graph.h"
#include "platform/engine/gst_init.h"
#include "platform/engine/video_renderer.h"
#include "tests/platform/engine/engine_fixture.h"
#include "tests/support/gst_media.h"
#include "tests/support/temp_dir.h"

namespace quova::engine {
namespace {

using testing::WaitUntil;

bool Dark(QRgb c) {
    return qRed(c) < 60 && qGreen(c) < 60 && qBlue(c) < 60;
}

// The first bars of the SMPTE pattern (white, yellow, cyan), with room for JPEG.
bool BarsAt(const QImage& image, int y) {
    auto looks = [&](int x, bool r, bool g, bool b) {
        const QRgb c = image.pixel(x, y);
        auto on = [](int v, bool want) { return want ? v > 150 : v < 90; };
        return on(qRed(c), r) && on(qGreen(c), g) && on(qBlue(c), b);
    };
    const int bar = image.width() / 7;
    return looks(bar / 2, true, true, true) && looks(bar + bar / 2, true, true, false) &&
           looks(2 * bar + bar / 2, false, true, true);
}

// What a screenshot takes is the frame the renderer shows, at the frame's
// size: with the overlay as blended into it, or the same frame's pixels from
// before the blend, which the same frame decoded again without an overlay
// must match exactly.
TEST(ShownPicture, IsTheShownFrameWithOrWithoutWhatIsLaidOverIt) {
    quova::testing::TempDir dir;
    const auto clip = dir / "bars.avi";
    ASSERT_EQ(quova::testing::MakeMedia(
                  "videotestsrc pattern=smpte num-buffers=25 ! video/x-raw,width=352,height=288,"
                  "framerate=25/1 ! jpegenc ! avimux ! filesink location=$OUT",
                  clip),
              "");
    QWidget owner;
    owner.resize(400, 300);
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(clip.string()), S_OK);
    auto video = graph.VideoRenderer();
    ASSERT_TRUE(video);
    EXPECT_TRUE(video->Shown(true).Empty()) << "no picture yet";
    ASSERT_EQ(video->SetOwner(&owner), S_OK);
    // Shown at half size: the window's 10 x 5 at (5, 10) is the frame's
    // 20 x 10 at (10, 20).
    ASSERT_EQ(video->SetWindowPosition(QRect(0, 0, 176, 144)), S_OK);
    QImage black(10, 5, QImage::Format_ARGB32_Premultiplied);
    black.fill(Qt::black);
    ASSERT_EQ(video->SetOverlay(black, QPoint(5, 10)), S_OK);
    ASSERT_EQ(graph.Pause(), S_OK);
    ASSERT_EQ(graph.SetCurrentPosition(0.4), S_OK);
    auto shown = [&] { return video->CurrentImage().convertToFormat(QImage::Format_RGB32); };
    ASSERT_TRUE(WaitUntil([&] {
        const QImage frame = shown();
        return !frame.isNull() && Dark(frame.pixel(12, 22)) && Dark(frame.pixel(27, 27));
    }));
    const QImage withOverlay = shown();

    const ShownPicture with = video->Shown(true);
    EXPECT_EQ(with.Size(), QSize(352, 288));
    EXPECT_EQ(with.ToImage(), withOverlay);

    const ShownPicture without = video->Shown(false);
    EXPECT_EQ(without.Size(), QSize(352, 288));
    const QImage bare = without.ToImage();
    ASSERT_EQ(bare.size(), QSize(352, 288));
    EXPECT_FALSE(Dark(bare.pixel(12, 22)));
    EXPECT_TRUE(BarsAt(bare, 25)) << "the bars under the overlay";
    // Outside the overlay's part nothing differs.
    for (int y = 0; y < 288; ++y) {
        for (int x = 0; x < 352; ++x) {
            if (QRect(10, 20, 20, 10).contains(x, y)) continue;
            ASSERT_EQ(bare.pixel(x, y), withOverlay.pixel(x, y)) << x << "," << y;
        }
    }

    // The same frame again, with nothing laid over it.
    ASSERT_EQ(video->SetOverlay(QImage(), QPoint()), S_OK);
    for (const double at : {0.8, 0.4}) {
        const qint64 before = video->CurrentImage().cacheKey();
        ASSERT_EQ(graph.SetCurrentPosition(at), S_OK);
        ASSERT_TRUE(WaitUntil([&] { return video->CurrentImage().cacheKey() != before; })) << at;
    }
    EXPECT_EQ(shown(), bare);
    // Without an overlay both are the shown frame.
    EXPECT_EQ(video->Shown(false).ToImage(), shown());
    EXPECT_EQ(video->Shown(true).ToImage(), shown());
    graph.Stop();
}

// A frame in a format other than the window's (as a sink drawing itself
// keeps it) is converted at its own size and pixel aspect.
TEST(ShownPicture, AFrameOfTheSinksIsConvertedAtItsOwnSize) {
    EnsureGstInitialized();
    GstCaps* caps = gst_caps_from_string(
        "video/x-raw,format=I420,width=64,height=48,pixel-aspect-ratio=16/11,framerate=25/1");
    GstVideoInfo info;
    ASSERT_TRUE(gst_video_info_from_caps(&info, caps));
    GstBuffer* buffer = gst_buffer_new_allocate(nullptr, GST_VIDEO_INFO_SIZE(&info), nullptr);
    GstVideoFrame frame;
    ASSERT_TRUE(gst_video_frame_map(&frame, &info, buffer, GST_MAP_WRITE));
    // Limited-range YUV: Y 235 is white, Y 16 black; no colour.
    for (int y = 0; y < 48; ++y) {
        auto* row = static_cast<guint8*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0)) +
                    y * GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0);
        for (int x = 0; x < 64; ++x) row[x] = x < 32 ? 235 : 16;
    }
    for (guint plane = 1; plane < 3; ++plane)
        for (int y = 0; y < 24; ++y)
            std::memset(static_cast<guint8*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, plane)) +
                            y * GST_VIDEO_FRAME_PLANE_STRIDE(&frame, plane),
                        128, 32);
    gst_video_frame_unmap(&frame);
    GstSample* sample = gst_sample_new(buffer, caps, nullptr, nullptr);
    gst_buffer_unref(buffer);
    gst_caps_unref(caps);
    const ShownPicture picture(sample, true);
    gst_sample_unref(sample);
    EXPECT_EQ(picture.Size(), QSize(64, 48));
    const QImage image = picture.ToImage();
    ASSERT_EQ(image.size(), QSize(64, 48));
    // Within the rounding of an 8-bit matrix.
    for (int v : {qRed(image.pixel(5, 5)), qGreen(image.pixel(5, 5)), qBlue(image.pixel(5, 5))})
        EXPECT_GE(v, 250);
    for (int v :
         {qRed(image.pixel(60, 40)), qGreen(image.pixel(60, 40)), qBlue(image.pixel(60, 40))})
        EXPECT_LE(v, 5);
}

}  // namespace
}  // namespace quova::engine

// The picture handed to the window stays valid for as long as the window
// keeps it, and keeping it never gets in the way of the sink: seeking while
// the window holds the last picture flushes cleanly.
#include <glib.h>
#include <gtest/gtest.h>

#include <QImage>

#include <atomic>
#include <string>

#include "platform/engine/filter_graph.h"
#include "platform/engine/video_renderer.h"
#include "tests/platform/engine/playback_support.h"

namespace quova::engine {
namespace {

using playback::Generated;
using playback::PumpUntil;

std::atomic<int> criticals{0};

void CountCritical(const gchar*, GLogLevelFlags, const gchar* message, gpointer) {
    criticals.fetch_add(1);
    ADD_FAILURE() << "GStreamer complained: " << message;
}

TEST(FrameHold, SeekingWhileThePictureIsHeldFlushesWithoutComplaint) {
    playback::EnsureApplication();
    const guint handler = g_log_set_handler(
        "GStreamer", static_cast<GLogLevelFlags>(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING),
        CountCritical, nullptr);
    criticals = 0;
    {
        FilterGraph graph;
        ASSERT_EQ(graph.RenderFile(Generated("avi-pcm-3s").string()), S_OK);
        auto video = graph.VideoRenderer();
        ASSERT_TRUE(video);
        ASSERT_EQ(graph.Pause(), S_OK);
        ASSERT_TRUE(PumpUntil([&] { return !video->CurrentImage().isNull(); }));
        for (double at : {1.0, 2.0, 0.5, 1.5}) {
            const QImage held = video->CurrentImage();  // as the window keeps it
            ASSERT_EQ(graph.SetCurrentPosition(at), S_OK);
            PumpUntil([&] { return video->CurrentImage().cacheKey() != held.cacheKey(); }, 5000);
            EXPECT_NE(video->CurrentImage().cacheKey(), held.cacheKey())
                << "a new picture at " << at;
            EXPECT_FALSE(held.isNull());
            EXPECT_EQ(held.width(), 320) << "the held picture is still whole";
        }
        ASSERT_EQ(graph.Run(), S_OK);
        PumpUntil([&] { return video->ReceivedFrames() >= 5; });
        const QImage held = video->CurrentImage();
        ASSERT_EQ(graph.SetCurrentPosition(0.2), S_OK);
        PumpUntil([&] { return video->ReceivedFrames() >= 10; });
        graph.Stop();
    }
    g_log_remove_handler("GStreamer", handler);
    EXPECT_EQ(criticals.load(), 0);
}

}  // namespace
}  // namespace quova::engine

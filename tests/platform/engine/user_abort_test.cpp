// Closing the video window is the user ending the playback: the graph says so
// with EC_USERABORT, which the player handles as the end of the medium.
#include <gtest/gtest.h>

#include <QWidget>

#include "platform/engine/filter_graph.h"
#include "platform/engine/video_renderer.h"
#include "platform/engine/video_widget.h"
#include "tests/platform/engine/playback_support.h"

namespace quova::engine {
namespace {

using playback::Generated;
using playback::Pump;
using playback::PumpUntil;

bool SawEvent(FilterGraph& graph, long code, int ms) {
    return playback::AwaitEvent(graph, {code}, ms);
}

TEST(UserAbort, ClosingTheVideoWindowPostsUserAbortAndNoPictureFollowsUntilStop) {
    playback::EnsureApplication();
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(Generated("avi-pcm-3s").string()), S_OK);
    auto video = graph.VideoRenderer();
    ASSERT_TRUE(video);
    // Without an owner the video window is a window of its own, which the
    // user can close.
    QWidget owner;
    ASSERT_EQ(video->SetOwner(&owner), S_OK);
    ASSERT_EQ(video->SetOwner(nullptr), S_OK);
    ASSERT_EQ(video->SetVisible(true), S_OK);
    ASSERT_EQ(graph.Run(), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return video->ReceivedFrames() >= 5; }));
    EXPECT_FALSE(SawEvent(graph, EC_USERABORT, 100)) << "nobody closed anything yet";

    ASSERT_TRUE(video->widget()->close());
    EXPECT_TRUE(SawEvent(graph, EC_USERABORT, 5000));
    const auto frames = video->ReceivedFrames();
    Pump(500);
    EXPECT_LE(video->ReceivedFrames(), frames + 1) << "no more pictures after the abort";

    // The player stops the graph; a new run shows pictures again.
    ASSERT_EQ(graph.Stop(), S_OK);
    ASSERT_EQ(graph.SetCurrentPosition(0), S_OK);
    ASSERT_EQ(graph.Run(), S_OK);
    EXPECT_TRUE(PumpUntil([&] { return video->ReceivedFrames() >= frames + 5; }, 10000));
    graph.Stop();
}

}  // namespace
}  // namespace quova::engine

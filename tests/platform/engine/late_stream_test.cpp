// Streams that begin late in a file.
#include <gtest/gtest.h>

#include "platform/engine/filter_graph.h"
#include "tests/platform/engine/audio_tap.h"
#include "tests/support/gst_media.h"
#include "tests/support/temp_dir.h"

namespace quova::engine {
namespace {

// GStreamer's program stream demuxer stops adding pads once it has read 2 s
// of the stream and drops the data of streams it meets later; the system
// header announces this audio from the start.
TEST(LateStream, AudioBeginningAfterLongVideoIsDiscoveredAndRendered) {
    testing::EnsureQtApplication();
    quova::testing::TempDir dir;
    const auto file = quova::testing::media::MpegPsLateAudio(dir / "late.mpg", 210.0, 200.0);
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(file.string()), S_OK);
    EXPECT_TRUE(graph.HasAudio());
    bool audioPin = false;
    for (const FilterPtr& f : graph.Filters())
        if (f->Category() == FilterCategory::Splitter)
            for (const PinPtr& p : f->Pins(PinDirection::Output))
                for (const MediaType& t : p->MediaTypes()) audioPin = audioPin || t.IsAudio();
    EXPECT_TRUE(audioPin);

    // And it is heard where it begins: the tone audiotestsrc makes (440 Hz).
    const auto renderers = testing::ConnectedAudioRenderers(graph);
    ASSERT_EQ(renderers.size(), 1u);
    testing::AudioTap heard(testing::RendererVolumeOutput(*renderers.front()));
    ASSERT_EQ(graph.SetCurrentPosition(201.0), S_OK);
    ASSERT_EQ(graph.Run(), S_OK);
    EXPECT_TRUE(testing::Await([&] { return heard.Seconds() >= 1.0; }, 15000));
    EXPECT_GT(heard.Peak(), 0.1);
    EXPECT_NEAR(heard.Frequency(), 440.0, 20.0);
    graph.Stop();
}

}  // namespace
}  // namespace quova::engine

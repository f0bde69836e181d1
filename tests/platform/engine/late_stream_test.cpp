// Streams that begin late in a file.
#include <gtest/gtest.h>

#include "platform/engine/filter_graph.h"
#include "tests/platform/engine/audio_tap.h"
#include "tests/support/gst_media.h"
#include "tests/support/temp_dir.h"

namespace quova::engine {
namespace {

// Not solved yet: GStreamer's program stream demuxer stops adding pads once it
// has read 2 s of the stream, and drops the data of streams it meets later, so
// neither the discovery nor the playing graph ever sees this audio. Reaching
// it needs the demuxer to meet every stream its headers announce within its
// first 2 s (or another demuxer); the test stays disabled until then.
TEST(LateStream, DISABLED_AudioBeginningAfterLongVideoIsDiscoveredAndRendered) {
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
}

}  // namespace
}  // namespace quova::engine

#include <gtest/gtest.h>

#include <gst/gst.h>

#include "platform/engine/gst_init.h"
#include "tests/platform/engine/engine_fixture.h"

namespace quova::engine {
namespace {

bool Loaded(const char* name) {
    GstPlugin* plugin = gst_registry_find_plugin(gst_registry_get(), name);
    if (!plugin) return false;
    const bool loaded = gst_plugin_is_loaded(plugin);
    gst_object_unref(plugin);
    return loaded;
}

// A medium named at start-up opens while the decoders' libraries are being
// mapped on another thread: they are there before any graph asks for them.
TEST(PlaybackPreparation, LoadsTheDecodersAndConvertersWithoutAGraph) {
    EnsureGstInitialized();
    if (Loaded("libav")) GTEST_SKIP() << "an earlier test in this process loaded the decoders";
    PreparePlaybackInBackground();
    EXPECT_TRUE(testing::WaitUntil(
        [] { return Loaded("libav") && Loaded("videoconvertscale") && Loaded("coreelements"); }));
    PreparePlaybackInBackground();  // once is enough; a second call changes nothing
}

}  // namespace
}  // namespace quova::engine

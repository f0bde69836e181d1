#include "platform/engine/gst_init.h"

#include <gst/gst.h>

#include <future>
#include <mutex>

namespace quova::engine {

void EnsureGstInitialized() {
    // gst_init takes its own lock: callers on several threads are safe.
    if (!gst_is_initialized()) gst_init(nullptr, nullptr);
}

void PreparePlaybackInBackground() {
    static std::once_flag started;
    // Its destructor, at the process's end, waits for the thread.
    static std::future<void> preparing;
    std::call_once(started, [] {
        preparing = std::async(std::launch::async, [] {
            EnsureGstInitialized();
            for (const char* name :
                 {"coreelements", "typefindfunctions", "libav", "videoconvertscale", "app",
                  "overlaycomposition", "audioconvert", "audioresample", "volume"})
                if (GstPlugin* plugin = gst_plugin_load_by_name(name)) gst_object_unref(plugin);
        });
    });
}

}  // namespace quova::engine

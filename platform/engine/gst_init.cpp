#include "platform/engine/gst_init.h"

#include <gst/gst.h>

namespace quova::engine {

void EnsureGstInitialized() {
    // gst_is_initialized() turns true before the plugin registry is read, let
    // alone rebuilt (a first start, or the first after a plugin update, scans
    // every plugin for seconds): a thread that trusted it would build its
    // filter list from a half-filled registry and keep it. gst_init returns
    // only once the registry stands, holding other callers back meanwhile.
    static const bool initialized = [] {
        gst_init(nullptr, nullptr);
        return true;
    }();
    (void)initialized;
}

}  // namespace quova::engine

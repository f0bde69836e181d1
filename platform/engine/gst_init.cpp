#include "platform/engine/gst_init.h"

#include <gst/gst.h>

namespace quova::engine {

void EnsureGstInitialized() {
    if (!gst_is_initialized()) gst_init(nullptr, nullptr);
}

}  // namespace quova::engine

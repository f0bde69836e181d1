#pragma once

namespace quova::engine {

// Initialises GStreamer once per process; every engine entry point calls it.
void EnsureGstInitialized();

}  // namespace quova::engine

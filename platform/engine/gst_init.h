#pragma once

namespace quova::engine {

// Initialises GStreamer once per process; every engine entry point calls it.
// Returns once the plugin registry is complete, on any thread.
void EnsureGstInitialized();

}  // namespace quova::engine

#pragma once

namespace quova::engine {

// Initialises GStreamer once per process; every engine entry point calls it.
// Returns once the plugin registry is complete, on any thread.
void EnsureGstInitialized();

// GIO's desktop proxy lookup reads the desktop's proxy settings and ends the
// process when their schema is not installed; where it is missing, this
// chooses direct connections through GIO's environment. The program calls it
// before it starts any thread (setenv is unsafe beside any other thread's
// getenv); later calls, and the engine's own call at the first network
// source, change nothing.
void SettleProxyLookup();

}  // namespace quova::engine

#pragma once

namespace quova::engine {

// Initialises GStreamer once per process; every engine entry point calls it.
void EnsureGstInitialized();

// Initialises GStreamer and loads the plugins that the playback of any file
// needs (the libav decoders above all, whose libraries take long to map) on a
// thread of its own, so that a medium named at start-up finds them ready
// while the window was being built. Later calls do nothing; the process waits
// for the thread before it ends.
void PreparePlaybackInBackground();

}  // namespace quova::engine

#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "platform/engine/filter_graph.h"
#include "tests/support/temp_dir.h"

namespace quova::engine::testing {

// Generated media shared by the engine's tests, made once per run.
class Media {
  public:
    static const std::filesystem::path& Get(const std::string& kind);
    // Seconds of media, and frames of video (25 a second; 0 without video).
    static double Seconds(const std::string& kind);
    // Where the first sample lies: the program stream multiplexer starts its
    // streams late, as GStreamer's own decodebin shows (audio 0.47 s to 1.02 s).
    static double Start(const std::string& kind) { return kind == "mpeg-ps" ? 0.47 : 0.0; }
    static int Frames(const std::string& kind);

  private:
    static quova::testing::TempDir& Dir();
};

// Lets queued Qt work (frames, bus news) run for `ms` milliseconds.
void Spin(int ms);

// Processes Qt events until `done` holds; false when `ms` passed first. The
// time-out only bounds a failure: a loaded machine is slow, never wrong.
bool WaitUntil(const std::function<bool()>& done, int ms = 15000);

// Waits (processing Qt events) for an event of `code`; false when none came in `ms`.
bool WaitForEvent(FilterGraph& graph, long code, int ms, GraphEvent* got = nullptr);

// What reached the renderers while a graph ran to its completion event.
struct Played {
    bool completed = false;
    std::uint64_t frames = 0;  // received by the video renderer
    double audioSeconds = 0;   // received by each audio renderer, at least
    double position = 0;       // where the graph says it ended
    double wallSeconds = 0;    // from Run to the completion event
};
Played PlayToEnd(FilterGraph& graph);

// The graph played `kind` through from `from` seconds: the picture and the
// sound of it reached the renderers, it ended at the end, and it took about
// as long as that part lasts (a loaded machine may take longer, never less).
void ExpectPlayedThrough(const Played& played, const std::string& kind, double from = 0,
                         bool video = true, bool audio = true);

// Takes the graph's audio renderer out; returns the output pin that fed it.
PinPtr RemoveAudioRenderer(FilterGraph& graph);

// The names of the graph's filters joined by ", " (for failure messages).
std::string FilterNames(const FilterGraph& graph);

}  // namespace quova::engine::testing

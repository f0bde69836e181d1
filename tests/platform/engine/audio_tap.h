#pragma once

#include <filesystem>
#include <functional>
#include <mutex>
#include <string>

#include "platform/engine/filter.h"
#include "platform/engine/filter_graph.h"

typedef struct _GstPad GstPad;

namespace quova::engine::testing {

// The Qt application the graph's hand-overs need; made once if none exists.
void EnsureQtApplication();

// Processes Qt events until `done` holds; false when `ms` passed first.
bool Await(const std::function<bool()>& done, int ms = 20000);

// Runs the graph until its completion event; false on an error event or time-out.
bool PlayToCompletion(FilterGraph& graph, int ms = 30000);

// A test parameter's text as a test name: "avi-pcm" gives "avi_pcm".
std::string ParamName(std::string text);

// Generated media of this folder's newer tests, made once per run in a
// folder of their own.
const std::filesystem::path& TestMedium(const std::string& kind);

// Watches the raw audio that passes a pad: how many sample frames, how loud,
// at what pitch. Safe to read while the streaming thread writes.
class AudioTap {
  public:
    explicit AudioTap(GstPad* pad);  // keeps a reference to the pad
    ~AudioTap();
    AudioTap(const AudioTap&) = delete;
    AudioTap& operator=(const AudioTap&) = delete;

    // Sample frames seen, and their duration at the stream's rate.
    long long Frames() const;
    double Seconds() const;
    // The largest absolute sample, full scale being 1.0.
    double Peak() const;
    // The first channel's frequency, from its zero crossings (0 when unknown).
    double Frequency() const;
    void Reset();

  private:
    void Take(GstPad* pad, void* buffer);

    GstPad* pad_;
    unsigned long probe_ = 0;
    mutable std::mutex lock_;
    long long frames_ = 0;
    int rate_ = 0;
    double peak_ = 0;
    long long crossings_ = 0;
    int lastSign_ = 0;
};

// Taps on what an audio renderer takes in, and on what leaves its volume
// stage (the level the listener hears).
GstPad* RendererInput(const Filter& renderer);
GstPad* RendererVolumeOutput(const Filter& renderer);

// The graph's audio renderers that are fed, in the graph's order.
std::vector<FilterPtr> ConnectedAudioRenderers(const FilterGraph& graph);

}  // namespace quova::engine::testing

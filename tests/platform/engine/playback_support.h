#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

#include "platform/engine/filter.h"
#include "platform/engine/filter_graph.h"

typedef struct _GstPad GstPad;

namespace quova::engine::playback {

// The Qt application the renderers and queued hand-offs need (made once).
void EnsureApplication();

// Processes Qt events for `ms` milliseconds.
void Pump(int ms);

// Processes Qt events until `done` holds; false when `ms` passed first. The
// time-out only bounds a failure.
bool PumpUntil(const std::function<bool()>& done, int ms = 20000);

// Pumps until an event whose code is one of `codes` is taken from the
// graph's queue, reading the position each time as the player's timer does;
// false when none came within `ms`. Other events are dropped.
bool AwaitEvent(FilterGraph& graph, std::initializer_list<long> codes, int ms = 20000);

// Media generated once per run for these tests, by kind:
//   "mp3-5s"        MP3 (as GStreamer's encoder writes it: no Xing header), 5 s
//   "mp3-3s"        the same, 3 s
//   "avi-pcm-3s"    MJPEG 320x240 25 fps + one PCM stream, 3 s
//   "avi-mp3-3s"    MJPEG + MP3, 3 s
//   "ogg-3s"        Theora + Vorbis, 3 s
//   "mkv-h264-3s"   H.264 + Vorbis in Matroska, 3 s
//   "mpeg-ps-3s"    MPEG-1 video + MPEG-1 layer II audio, 3 s
//   "wav-10s"       PCM WAV, 10 s
const std::filesystem::path& Generated(const std::string& kind);

// Watches the buffers that reach a renderer's input and records the media
// time (stream time) each stream has reached. Thread-safe.
class StreamTap {
  public:
    explicit StreamTap(const FilterPtr& renderer);
    ~StreamTap();
    StreamTap(const StreamTap&) = delete;
    StreamTap& operator=(const StreamTap&) = delete;

    // Stream time (seconds) of the start of the newest buffer; -1 before any.
    double Last() const;
    std::uint64_t Buffers() const;
    // For raw audio: the samples (per channel) that passed.
    std::uint64_t Samples() const;
    void Reset();

    struct State;

  private:
    GstPad* pad_ = nullptr;
    unsigned long probe_ = 0;
    std::shared_ptr<State> state_;
};

// The first renderer of the graph whose class is `T` (connected or not).
template <class T>
std::shared_ptr<T> Find(const FilterGraph& graph) {
    for (const FilterPtr& f : graph.Filters())
        if (auto t = std::dynamic_pointer_cast<T>(f)) return t;
    return nullptr;
}

}  // namespace quova::engine::playback

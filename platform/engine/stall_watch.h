#pragma once

#include <atomic>
#include <chrono>

typedef struct _GstElement GstElement;

namespace quova::engine {

// Tells a network reader that has stopped getting data while its buffer
// wants more: a server that holds the connection open and sends nothing. The
// reader's own time-out does not tell it soon enough (the reader reconnects
// once and waits again before it gives up), and a reader held back by a full
// buffer is not stalled, only waiting for playback to take what it has.
class StallWatch {
  public:
    // `reader` feeds `buffer` (a queue2 that buffers); both outlive the watch.
    StallWatch(GstElement* reader, GstElement* buffer);
    ~StallWatch();
    StallWatch(const StallWatch&) = delete;
    StallWatch& operator=(const StallWatch&) = delete;

    // Starts the count afresh: the pipeline comes up and the reader connects.
    void Restart();
    // Whether nothing came for `bound` while the buffer was not full and the
    // reader had not reached the end of its data. Called on the UI thread.
    bool Stalled(std::chrono::steady_clock::duration bound);

  private:
    static long long Now();
    bool BufferFull() const;

    GstElement* reader_;
    GstElement* buffer_;
    unsigned long probe_ = 0;
    // Steady-clock ticks of the last data, or of the last restart.
    std::atomic<long long> lastData_;
    std::atomic<bool> ended_{false};
};

}  // namespace quova::engine

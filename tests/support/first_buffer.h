#pragma once

#include <memory>

typedef struct _GstPad GstPad;

namespace quova::testing {

// Notes where the data after a seek begins: the stream time of the first
// buffer that crosses a pad in the first segment after Arm(). A seek flushes
// and starts a new segment, so what was under way before it is not taken for
// its data. Thread-safe.
class FirstBufferTap {
  public:
    explicit FirstBufferTap(GstPad* pad);
    ~FirstBufferTap();
    FirstBufferTap(const FirstBufferTap&) = delete;
    FirstBufferTap& operator=(const FirstBufferTap&) = delete;

    void Arm();
    // Seconds of stream time; -1 until the buffer came.
    double Seconds() const;

    struct State;

  private:
    GstPad* pad_ = nullptr;
    unsigned long probe_ = 0;
    std::shared_ptr<State> state_;
};

}  // namespace quova::testing

#pragma once

#include <map>

#include "platform/engine/filter.h"

typedef struct _GstPadTemplate GstPadTemplate;

namespace quova::engine {

// The "Ogg Multiplexer": GStreamer's Ogg multiplexer, which takes only
// Ogg-native video, widened to carry any compressed video with a Video for
// Windows code in the OGM stream-header form (ogm_video_packer.h), as the
// original multiplexer did. Video it cannot carry (raw video, for one) is
// refused at connection, never dropped in silence.
//
// A bin around the multiplexer: each connected input is a ghost pad on a
// requested multiplexer pad, or on a packer in front of one.
class OggMultiplexerFilter : public Filter {
  public:
    explicit OggMultiplexerFilter(FilterInfo info);
    ~OggMultiplexerFilter() override;

    void CreatePins() override;
    HResult PrepareInput(Pin& input, Pin& upstream) override;
    void InputDisconnected(Pin& input) override;

  protected:
    GstElement* workElement() const override { return mux_; }

  private:
    struct Feed {
        GstPad* muxPad = nullptr;      // requested from the multiplexer
        GstElement* packer = nullptr;  // owned by the bin; nullptr for native streams
    };

    GstElement* mux_;  // owned by the bin
    GstPadTemplate* videoTemplate_ = nullptr;
    std::map<GstPad*, Feed> feeds_;  // by the input's ghost pad
};

}  // namespace quova::engine

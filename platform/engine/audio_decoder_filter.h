#pragma once

#include "platform/engine/filter.h"

namespace quova::engine {

// Whether the filter decodes to raw audio (and so is made an AudioDecoderFilter).
bool IsAudioDecoder(const FilterInfo& info);

// An audio decoder whose output pin gives 16-bit PCM, converting inside the
// filter, as the original system's decoders did. GStreamer's decoders mostly
// give 32-bit float, which the extraction graphs, looking for PCM, would not
// find. A bin: the decoder, a converter and the fixed output format.
class AudioDecoderFilter : public Filter {
  public:
    AudioDecoderFilter(FilterInfo info, GstElement* decoder);

    void CreatePins() override;

  protected:
    GstElement* workElement() const override { return decoder_; }

  private:
    GstElement* decoder_;  // owned by the bin
    GstElement* output_;   // the format's capsfilter, owned by the bin
};

}  // namespace quova::engine

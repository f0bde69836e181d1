#include "platform/engine/audio_decoder_filter.h"

#include <gst/gst.h>

namespace quova::engine {

namespace {

constexpr const char* kPcm16 = "audio/x-raw, format=(string)S16LE, layout=(string)interleaved";

GstElement* MakeBin(GstElement* decoder, GstElement*& output) {
    GstElement* bin = gst_bin_new(nullptr);
    GstElement* convert = gst_element_factory_make("audioconvert", nullptr);
    output = gst_element_factory_make("capsfilter", nullptr);
    GstCaps* caps = gst_caps_from_string(kPcm16);
    g_object_set(output, "caps", caps, nullptr);
    gst_caps_unref(caps);
    gst_bin_add_many(GST_BIN(bin), decoder, convert, output, nullptr);
    gst_element_link_many(decoder, convert, output, nullptr);
    return bin;
}

void AddGhost(GstElement* bin, GstElement* inner, const char* name) {
    if (GstPad* target = gst_element_get_static_pad(inner, name)) {
        gst_element_add_pad(bin, gst_ghost_pad_new(name, target));
        gst_object_unref(target);
    }
}

}  // namespace

bool IsAudioDecoder(const FilterInfo& info) {
    if (info.category != FilterCategory::Decoder || info.dynamicOutputs) return false;
    for (const MediaType& t : info.outputTypes)
        if (t.IsAudio() && (t.subType == MEDIASUBTYPE_PCM || t.subType == MEDIASUBTYPE_IEEE_FLOAT))
            return true;
    return false;
}

AudioDecoderFilter::AudioDecoderFilter(FilterInfo info, GstElement* decoder)
    : Filter(std::move(info), MakeBin(decoder, output_)), decoder_(decoder) {}

void AudioDecoderFilter::CreatePins() {
    AddGhost(element_, decoder_, "sink");
    AddGhost(element_, output_, "src");
    Filter::CreatePins();
}

}  // namespace quova::engine

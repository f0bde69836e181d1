#include "platform/engine/audio_renderer.h"

#include <gst/gst.h>

#include <cmath>

#include "platform/engine/audio_devices.h"

namespace quova::engine {

namespace {

GstElement* Make(const char* factory) {
    return gst_element_factory_make(factory, nullptr);
}

GstBuffer* WithoutDecodeTime(GstBuffer* buffer) {
    if (!GST_BUFFER_DTS_IS_VALID(buffer)) return buffer;
    buffer = gst_buffer_make_writable(buffer);  // shares the samples
    GST_BUFFER_DTS(buffer) = GST_CLOCK_TIME_NONE;
    return buffer;
}

// The tempo element rescales a buffer's presentation time only, while a sink
// syncs on the decode time when there is one. Raw audio has no decode order,
// but some splitters (AVI's, for PCM) stamp both: at a rate other than 1 the
// sink would then keep to the unscaled decode time and play the sound at
// normal speed. Dropping it before the tempo element lets the sink follow the
// presentation time.
GstPadProbeReturn DropDecodeTime(GstPad*, GstPadProbeInfo* info, gpointer) {
    if (info->type & GST_PAD_PROBE_TYPE_BUFFER) {
        GST_PAD_PROBE_INFO_DATA(info) = WithoutDecodeTime(GST_PAD_PROBE_INFO_BUFFER(info));
    } else if (info->type & GST_PAD_PROBE_TYPE_BUFFER_LIST) {
        GstBufferList* list = gst_buffer_list_make_writable(GST_PAD_PROBE_INFO_BUFFER_LIST(info));
        for (guint i = 0; i < gst_buffer_list_length(list); ++i) {
            GstBuffer* buffer = gst_buffer_list_get_writable(list, i);
            GST_BUFFER_DTS(buffer) = GST_CLOCK_TIME_NONE;
        }
        GST_PAD_PROBE_INFO_DATA(info) = list;
    }
    return GST_PAD_PROBE_OK;
}

bool IsFactory(GstElement* element, const char* name) {
    GstElementFactory* factory = element ? gst_element_get_factory(element) : nullptr;
    return factory && g_strcmp0(GST_OBJECT_NAME(factory), name) == 0;
}

// The sink for what the machine offers. A sound server gets its own sink, so
// that the stream can be moved between the server's devices; without one the
// automatic choice tries what is there. With no sound at all nothing is
// tried: probing absent devices can take seconds, and a silent sink that
// keeps to the clock plays the picture at its pace.
GstElement* MakeSink(bool& silent) {
    silent = false;
    switch (ChooseSoundOutput(CurrentSoundFacts())) {
        case SoundOutput::Server:
            if (GstElement* pulse = Make("pulsesink")) return pulse;
            return Make("autoaudiosink");
        case SoundOutput::Device:
            return Make("autoaudiosink");
        case SoundOutput::None:
            break;
    }
    silent = true;
    GstElement* quiet = Make("fakesink");
    g_object_set(quiet, "sync", TRUE, nullptr);
    return quiet;
}

}  // namespace

double AmplitudeFromLevel(int level) {
    if (level <= -10000) return 0.0;
    if (level >= 0) return 1.0;
    return std::pow(10.0, level / 2000.0);
}

AudioRendererFilter::AudioRendererFilter(FilterInfo info)
    : Filter(std::move(info), gst_bin_new(nullptr)) {
    GstBin* bin = GST_BIN(element_);
    std::vector<GstElement*> chain;
    chain.push_back(Make("audioconvert"));
    chain.push_back(Make("audioresample"));
    if (GstElement* tempo = Make("scaletempo")) {
        GstPad* sink = gst_element_get_static_pad(tempo, "sink");
        gst_pad_add_probe(sink,
                          static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BUFFER |
                                                       GST_PAD_PROBE_TYPE_BUFFER_LIST),
                          DropDecodeTime, nullptr, nullptr);
        gst_object_unref(sink);
        chain.push_back(tempo);
        chain.push_back(Make("audioconvert"));
    }
    volumeElement_ = Make("volume");
    chain.push_back(volumeElement_);
    if ((panorama_ = Make("audiopanorama"))) {
        gst_util_set_object_arg(G_OBJECT(panorama_), "method", "simple");
        chain.push_back(panorama_);
    }
    sink_ = MakeSink(silent_);
    chain.push_back(sink_);
    head_ = chain.front();
    for (GstElement* e : chain) gst_bin_add(bin, e);
    for (size_t i = 0; i + 1 < chain.size(); ++i) gst_element_link(chain[i], chain[i + 1]);
}

void AudioRendererFilter::CreatePins() {
    GstPad* target = gst_element_get_static_pad(head_, "sink");
    GstPad* ghost = gst_ghost_pad_new("Audio Input pin (rendered)", target);
    gst_object_unref(target);
    gst_element_add_pad(element_, ghost);
    AddPin("Audio Input pin (rendered)", PinDirection::Input, ghost);
}

HResult AudioRendererFilter::SetVolume(int level) {
    if (level < -10000 || level > 0) return E_INVALIDARG;
    volume_ = level;
    g_object_set(volumeElement_, "volume", AmplitudeFromLevel(level), nullptr);
    return S_OK;
}

HResult AudioRendererFilter::SetDevice(const std::string& name) {
    device_ = name;
    if (!IsFactory(sink_, "pulsesink")) return silent_ ? S_FALSE : E_NOTIMPL;
    // A stream already playing is moved by the server, which wants a name: the
    // default device is named too. Before the stream exists, no name at all
    // lets the server pick its default.
    const AudioDeviceMonitor& devices = AudioDeviceMonitor::Instance();
    const std::string target = name.empty() ? devices.DefaultName() : name;
    g_object_set(sink_, "device", target.empty() ? nullptr : target.c_str(), nullptr);
    return S_OK;
}

HResult AudioRendererFilter::SetBalance(int balance) {
    if (balance < -10000 || balance > 10000) return E_INVALIDARG;
    if (!panorama_) return E_NOTIMPL;
    balance_ = balance;
    // The simple method scales the far side by (1 - |panorama|).
    const double attenuation = 1.0 - AmplitudeFromLevel(-std::abs(balance));
    g_object_set(panorama_, "panorama",
                 static_cast<gfloat>(balance < 0 ? -attenuation : attenuation), nullptr);
    return S_OK;
}

}  // namespace quova::engine

#include "platform/engine/filter_factory.h"

#include <gst/gst.h>

#include "platform/engine/audio_decoder_filter.h"
#include "platform/engine/audio_renderer.h"
#include "platform/engine/file_source_filter.h"
#include "platform/engine/filter.h"
#include "platform/engine/gst_init.h"
#include "platform/engine/ogg_multiplexer_filter.h"
#include "platform/engine/splitter_filter.h"
#include "platform/engine/video_renderer.h"

namespace quova::engine {

std::vector<FilterInfo> NamedFilterInfos() {
    auto info = [](const char* name, const char* factory, std::uint32_t merit, FilterCategory c,
                   NamedFilter named) {
        FilterInfo f;
        f.friendlyName = name;
        f.factoryName = factory;
        f.merit = merit;
        f.category = c;
        f.named = named;
        return f;
    };
    return {
        info("File Source (Async.)", "filesrc", MERIT_DO_NOT_USE, FilterCategory::Source,
             NamedFilter::FileSource),
        // Preferred over the plain demuxers, so that rendered graphs hold the
        // splitters under the names the player looks for.
        info("AVI Splitter", "avidemux", MERIT_PREFERRED, FilterCategory::Splitter,
             NamedFilter::AviSplitter),
        info("Ogg Splitter", "oggdemux", MERIT_PREFERRED, FilterCategory::Splitter,
             NamedFilter::OggSplitter),
        info("WAV Dest", "wavenc", MERIT_DO_NOT_USE, FilterCategory::Multiplexer,
             NamedFilter::WavDest),
        info("Dump", "filesink", MERIT_DO_NOT_USE, FilterCategory::Writer, NamedFilter::Dump),
        info("File writer", "filesink", MERIT_DO_NOT_USE, FilterCategory::Writer,
             NamedFilter::FileWriter),
        info("Ogg Multiplexer", "oggmux", MERIT_DO_NOT_USE, FilterCategory::Multiplexer,
             NamedFilter::OggMultiplexer),
        info("Video Renderer", "videoconvert", MERIT_PREFERRED, FilterCategory::Renderer,
             NamedFilter::VideoRenderer),
        info("Audio Renderer", "audioconvert", MERIT_PREFERRED, FilterCategory::Renderer,
             NamedFilter::AudioRenderer),
        // Several audio streams heard at once meet here before the one
        // renderer, as they did in the original system's single sound device.
        info("Audio Mixer", "audiomixer", MERIT_DO_NOT_USE, FilterCategory::Converter,
             NamedFilter::AudioMixer),
    };
}

namespace {

// Frame threading holds a picture per decoding thread on top of the stream's
// own references (a dozen 720p pictures more on a small machine); slice
// threading decodes each picture in place, so that is all a video decoder
// gets.
void LimitFrameThreads(GstElement* decoder) {
    GObjectClass* type = G_OBJECT_GET_CLASS(decoder);
    GParamSpec* threads = g_object_class_find_property(type, "thread-type");
    if (threads && G_IS_PARAM_SPEC_FLAGS(threads) && (threads->flags & G_PARAM_WRITABLE))
        gst_util_set_object_arg(G_OBJECT(decoder), "thread-type", "slice");
}

}  // namespace

std::shared_ptr<Filter> CreateFilter(const FilterInfo& info) {
    EnsureGstInitialized();
    std::shared_ptr<Filter> filter;
    switch (info.named) {
        case NamedFilter::FileSource:
            filter = std::make_shared<FileSourceFilter>(info);
            break;
        case NamedFilter::AviSplitter:
        case NamedFilter::OggSplitter: {
            GstElement* demux = gst_element_factory_make(info.factoryName.c_str(), nullptr);
            if (!demux) return nullptr;
            filter = std::make_shared<SplitterFilter>(info, demux, "input pin");
            break;
        }
        case NamedFilter::Dump:
            filter = std::make_shared<FileWriterFilter>(info, "Input");
            break;
        case NamedFilter::FileWriter:
            filter = std::make_shared<FileWriterFilter>(info, "in");
            break;
        case NamedFilter::OggMultiplexer:
            filter = std::make_shared<OggMultiplexerFilter>(info);
            break;
        case NamedFilter::VideoRenderer:
            filter = std::make_shared<VideoRendererFilter>(info);
            break;
        case NamedFilter::AudioRenderer:
            filter = std::make_shared<AudioRendererFilter>(info);
            break;
        default: {
            if (info.factoryName == "filesink") {
                filter = std::make_shared<FileWriterFilter>(info, "sink");
                break;
            }
            GstElement* element = gst_element_factory_make(info.factoryName.c_str(), nullptr);
            if (!element) return nullptr;
            if (info.category == FilterCategory::Decoder) LimitFrameThreads(element);
            if (info.dynamicOutputs || info.category == FilterCategory::Splitter)
                filter = std::make_shared<SplitterFilter>(info, element, "sink");
            else if (IsAudioDecoder(info))
                filter = std::make_shared<AudioDecoderFilter>(info, element);
            else
                filter = std::make_shared<Filter>(info, element);
        }
    }
    if (!filter || !filter->element()) return nullptr;
    filter->CreatePins();
    return filter;
}

}  // namespace quova::engine

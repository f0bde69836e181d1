#include "platform/engine/video_output.h"

#include <gst/gst.h>

#include <QGuiApplication>
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <mutex>

#include "platform/engine/gl_probe.h"
#include "platform/engine/gst_init.h"

namespace quova::engine {

namespace {

bool HasFactory(const char* name) {
    GstElementFactory* factory = gst_element_factory_find(name);
    if (factory) gst_object_unref(factory);
    return factory != nullptr;
}

bool SinkOpens(const char* factory) {
    GstElement* sink = gst_element_factory_make(factory, nullptr);
    if (!sink) return false;
    const bool ok = gst_element_set_state(sink, GST_STATE_READY) == GST_STATE_CHANGE_SUCCESS;
    gst_element_set_state(sink, GST_STATE_NULL);
    gst_object_unref(sink);
    return ok;
}

DisplayOffer Probe() {
    DisplayOffer offer;
    offer.x11 = qGuiApp && QGuiApplication::platformName() == "xcb";
    if (!offer.x11) return offer;
    offer.xvideoPort = SinkOpens("xvimagesink");
    if (HasFactory("glimagesink")) offer.glRenderer = DisplayGlRenderer();
    return offer;
}

}  // namespace

bool IsSoftwareRenderer(const std::string& glRenderer) {
    std::string lower = glRenderer;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    for (const char* soft : {"llvmpipe", "softpipe", "swrast", "software", "swiftshader"})
        if (lower.find(soft) != std::string::npos) return true;
    return false;
}

VideoOutput ChooseVideoOutput(const DisplayOffer& offer) {
    if (!offer.x11) return VideoOutput::Image;
    if (offer.xvideoPort) return VideoOutput::XVideo;
    if (!offer.glRenderer.empty() && !IsSoftwareRenderer(offer.glRenderer)) return VideoOutput::Gl;
    return VideoOutput::Image;
}

VideoOutput ProcessVideoOutput() {
    static std::once_flag once;
    static VideoOutput output = VideoOutput::Image;
    std::call_once(once, [] {
        // The window asks before any graph exists; the sinks can only be
        // looked for once GStreamer is up.
        EnsureGstInitialized();
        const char* forced = std::getenv("QUOVA_VIDEO_OUTPUT");
        const std::string want = forced ? forced : "";
        const bool x11 = qGuiApp && QGuiApplication::platformName() == "xcb";
        if (want == "image" || !x11) {
            output = VideoOutput::Image;
        } else if (want == "xv") {
            output = SinkOpens("xvimagesink") ? VideoOutput::XVideo : VideoOutput::Image;
        } else if (want == "gl") {
            output = HasFactory("glimagesink") ? VideoOutput::Gl : VideoOutput::Image;
        } else {
            output = ChooseVideoOutput(Probe());
        }
    });
    return output;
}

const char* VideoOutputName(VideoOutput output) {
    switch (output) {
        case VideoOutput::XVideo:
            return "xvimagesink";
        case VideoOutput::Gl:
            return "glimagesink";
        default:
            return "QImage";
    }
}

}  // namespace quova::engine

#include "platform/engine/ogg_multiplexer_filter.h"

#include <gst/gst.h>

#include <string>
#include <string_view>

#include "platform/engine/ogm_video_packer.h"

namespace quova::engine {

namespace {

GstElement* MakeBin(GstElement*& mux) {
    GstElement* bin = gst_bin_new(nullptr);
    mux = gst_element_factory_make("oggmux", nullptr);
    // An OGM packet's granule is its frame's number, which the multiplexer
    // takes from the frame's time; with its default tolerance of 40 ms it
    // would give every second frame of a 25 fps stream its predecessor's.
    g_object_set(mux, "max-tolerance", G_GUINT64_CONSTANT(0), nullptr);
    // Switching streams closes the page of the stream left. Left open, the
    // last page of a stream that ends before another is never written when
    // its final frame is the multiplexer's next pick (its last frames vanish).
    g_object_set(mux, "max-delay", G_GUINT64_CONSTANT(0), nullptr);
    gst_bin_add(GST_BIN(bin), mux);
    return bin;
}

GstPadTemplate* MuxTemplate(GstElement* mux, const char* name) {
    return gst_element_class_get_pad_template(GST_ELEMENT_GET_CLASS(mux), name);
}

}  // namespace

OggMultiplexerFilter::OggMultiplexerFilter(FilterInfo info)
    : Filter(std::move(info), MakeBin(mux_)) {}

OggMultiplexerFilter::~OggMultiplexerFilter() {
    for (auto& [ghost, feed] : feeds_) gst_object_unref(feed.muxPad);
    if (videoTemplate_) gst_object_unref(videoTemplate_);
}

void OggMultiplexerFilter::CreatePins() {
    GstPad* src = gst_element_get_static_pad(mux_, "src");
    GstPad* ghost = gst_ghost_pad_new("src", src);
    gst_object_unref(src);
    gst_element_add_pad(element_, ghost);
    AddPin("src", PinDirection::Output, ghost);
    // One free pin per kind of stream; the video pin takes what OGM carries too.
    for (GList* l = gst_element_class_get_pad_template_list(GST_ELEMENT_GET_CLASS(mux_)); l;
         l = l->next) {
        auto* templ = GST_PAD_TEMPLATE(l->data);
        if (GST_PAD_TEMPLATE_PRESENCE(templ) != GST_PAD_REQUEST ||
            GST_PAD_TEMPLATE_DIRECTION(templ) != GST_PAD_SINK)
            continue;
        const std::string name = GST_PAD_TEMPLATE_NAME_TEMPLATE(templ);
        if (name.starts_with("video")) {
            GstCaps* caps =
                gst_caps_merge(gst_pad_template_get_caps(templ), OgmCarriableVideoCaps());
            videoTemplate_ =
                gst_pad_template_new(name.c_str(), GST_PAD_SINK, GST_PAD_REQUEST, caps);
            gst_caps_unref(caps);
            gst_object_ref_sink(videoTemplate_);
            templ = videoTemplate_;
        }
        AddPin(name, PinDirection::Input, nullptr, templ);
    }
}

HResult OggMultiplexerFilter::PrepareInput(Pin& input, Pin& upstream) {
    if (input.pad() || !input.requestTemplate()) return S_OK;
    const std::string name = GST_PAD_TEMPLATE_NAME_TEMPLATE(input.requestTemplate());
    GstPadTemplate* muxTemplate = MuxTemplate(mux_, name.c_str());
    if (!muxTemplate) return VFW_E_CANNOT_CONNECT;
    Feed feed;
    GstPad* target = nullptr;
    GstCaps* caps = upstream.CurrentCaps();
    GstCaps* native = gst_pad_template_get_caps(muxTemplate);
    const bool carriedAsIs = caps && gst_caps_can_intersect(caps, native);
    gst_caps_unref(native);
    if (!carriedAsIs) {
        // Only the video pin widens what the multiplexer takes.
        const bool ogm = input.requestTemplate() == videoTemplate_ && caps &&
                         !gst_caps_is_empty(caps) &&
                         !OgmVideoFourCC(gst_caps_get_structure(caps, 0)).empty();
        if (!ogm) {
            if (caps) gst_caps_unref(caps);
            return VFW_E_NO_ACCEPTABLE_TYPES;
        }
        feed.packer = MakeOgmVideoPacker();
        gst_bin_add(GST_BIN(element_), feed.packer);
        target = gst_element_get_static_pad(feed.packer, "sink");
    }
    if (caps) gst_caps_unref(caps);
    feed.muxPad = gst_element_request_pad(mux_, muxTemplate, nullptr, nullptr);
    if (!feed.muxPad) {
        if (target) gst_object_unref(target);
        if (feed.packer) gst_bin_remove(GST_BIN(element_), feed.packer);
        return VFW_E_CANNOT_CONNECT;
    }
    if (feed.packer) {
        GstPad* packed = gst_element_get_static_pad(feed.packer, "src");
        gst_pad_link(packed, feed.muxPad);
        gst_object_unref(packed);
    } else {
        target = GST_PAD(gst_object_ref(feed.muxPad));
    }
    GstPad* ghost = gst_ghost_pad_new(GST_PAD_NAME(feed.muxPad), target);
    gst_object_unref(target);
    gst_element_add_pad(element_, ghost);
    feeds_[ghost] = feed;
    input.setPad(ghost);
    RequestPinUsed(input);
    return S_OK;
}

void OggMultiplexerFilter::InputDisconnected(Pin& input) {
    GstPad* ghost = input.pad();
    auto it = ghost ? feeds_.find(ghost) : feeds_.end();
    if (it == feeds_.end()) return;
    const Feed feed = it->second;
    feeds_.erase(it);
    if (feed.packer) {
        gst_element_set_state(feed.packer, GST_STATE_NULL);
        gst_bin_remove(GST_BIN(element_), feed.packer);
    }
    gst_element_release_request_pad(mux_, feed.muxPad);
    gst_object_unref(feed.muxPad);
    input.setPad(nullptr);
    gst_element_remove_pad(element_, ghost);
    // Keep a single free pin per kind of stream.
    int free = 0;
    for (const PinPtr& p : Pins(PinDirection::Input))
        if (p->requestTemplate() == input.requestTemplate() && !p->pad()) ++free;
    if (free > 1) RemovePin(input.shared_from_this());
}

}  // namespace quova::engine

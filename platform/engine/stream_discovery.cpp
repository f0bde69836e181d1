#include "platform/engine/stream_discovery.h"

#include <gst/gst.h>

#include <chrono>
#include <memory>
#include <mutex>

#include "platform/engine/gst_init.h"
#include "platform/engine/late_stream_announcer.h"

namespace quova::engine {

namespace {

struct DynamicLink {
    std::string padName;
    GstElement* next;
    std::string nextSinkPad;
};

struct Discovery {
    std::mutex lock;
    GstElement* pipeline = nullptr;
    std::vector<GstPad*> pads;  // the demuxer's pads, referenced
    size_t leftOut = 0;         // pads past kMaxStreams, left unlinked
    bool noMorePads = false;
    std::chrono::steady_clock::time_point lastPad = std::chrono::steady_clock::now();
};

GstPad* SinkPadOf(GstElement* element, const std::string& name) {
    if (!name.empty())
        if (GstPad* p = gst_element_get_static_pad(element, name.c_str())) return p;
    return gst_element_get_static_pad(element, "sink");
}

void OnUpstreamPad(GstElement*, GstPad* pad, gpointer data) {
    auto* link = static_cast<DynamicLink*>(data);
    if (link->padName != GST_PAD_NAME(pad)) return;
    if (GstPad* sink = SinkPadOf(link->next, link->nextSinkPad)) {
        gst_pad_link(pad, sink);
        gst_object_unref(sink);
    }
}

void OnDemuxPad(GstElement*, GstPad* pad, gpointer data) {
    auto* d = static_cast<Discovery*>(data);
    if (GST_PAD_DIRECTION(pad) != GST_PAD_SRC) return;
    {
        std::lock_guard guard(d->lock);
        d->lastPad = std::chrono::steady_clock::now();
        if (d->pads.size() >= kMaxStreams) {
            ++d->leftOut;
            return;
        }
        d->pads.push_back(GST_PAD(gst_object_ref(pad)));
    }
    DrainIntoFakeSink(d->pipeline, pad);
}

void OnNoMorePads(GstElement*, gpointer data) {
    auto* d = static_cast<Discovery*>(data);
    std::lock_guard guard(d->lock);
    d->noMorePads = true;
}

}  // namespace

void StreamsAware(GstElement* bin) {
    GST_OBJECT_FLAG_SET(bin, GST_BIN_FLAG_STREAMS_AWARE);
}

void DrainIntoFakeSink(GstElement* bin, GstPad* pad) {
    GstElement* sink = gst_element_factory_make("fakesink", nullptr);
    g_object_set(sink, "sync", FALSE, "async", FALSE, nullptr);
    gst_bin_add(GST_BIN(bin), sink);
    GstPad* sinkPad = gst_element_get_static_pad(sink, "sink");
    gst_pad_link(pad, sinkPad);
    gst_object_unref(sinkPad);
    gst_element_sync_state_with_parent(sink);
}

Outcome<std::vector<DiscoveredStream>> DiscoverStreams(const std::vector<ChainStep>& upstream,
                                                       const std::string& demuxFactory,
                                                       int timeoutMs, size_t* leftOut) {
    EnsureGstInitialized();
    Discovery d;
    d.pipeline = gst_pipeline_new("quova-discovery");
    StreamsAware(d.pipeline);
    std::vector<GstElement*> elements;
    for (const ChainStep& step : upstream) {
        GstElement* e = gst_element_factory_make(step.factory.c_str(), nullptr);
        if (!e) {
            gst_object_unref(d.pipeline);
            return {VFW_E_CANNOT_CONNECT, {}};
        }
        for (const auto& [name, value] : step.properties)
            gst_util_set_object_arg(G_OBJECT(e), name.c_str(), value.c_str());
        gst_bin_add(GST_BIN(d.pipeline), e);
        elements.push_back(e);
    }
    GstElement* demux = gst_element_factory_make(demuxFactory.c_str(), nullptr);
    if (!demux || elements.empty()) {
        if (demux) gst_object_unref(demux);
        gst_object_unref(d.pipeline);
        return {VFW_E_CANNOT_CONNECT, {}};
    }
    gst_bin_add(GST_BIN(d.pipeline), demux);
    elements.push_back(demux);
    AnnounceLateStreams(demux);

    std::vector<std::unique_ptr<DynamicLink>> links;
    for (size_t i = 0; i + 1 < elements.size(); ++i) {
        const std::string& srcName = upstream[i].srcPad;
        const std::string nextSink = i + 1 < upstream.size() ? upstream[i + 1].sinkPad : "sink";
        GstPad* src = gst_element_get_static_pad(elements[i], srcName.c_str());
        if (src) {
            GstPad* sink = SinkPadOf(elements[i + 1], nextSink);
            const bool linked = sink && GST_PAD_LINK_SUCCESSFUL(gst_pad_link(src, sink));
            if (sink) gst_object_unref(sink);
            gst_object_unref(src);
            if (!linked) {
                gst_object_unref(d.pipeline);
                return {VFW_E_CANNOT_CONNECT, {}};
            }
        } else {
            links.push_back(
                std::make_unique<DynamicLink>(DynamicLink{srcName, elements[i + 1], nextSink}));
            g_signal_connect(elements[i], "pad-added", G_CALLBACK(OnUpstreamPad),
                             links.back().get());
        }
    }
    g_signal_connect(demux, "pad-added", G_CALLBACK(OnDemuxPad), &d);
    // Demuxers that have their pad from the start.
    {
        GstIterator* it = gst_element_iterate_src_pads(demux);
        GValue item = G_VALUE_INIT;
        while (gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
            OnDemuxPad(demux, GST_PAD(g_value_get_object(&item)), &d);
            g_value_reset(&item);
        }
        g_value_unset(&item);
        gst_iterator_free(it);
    }
    g_signal_connect(demux, "no-more-pads", G_CALLBACK(OnNoMorePads), &d);

    HResult failure = S_OK;
    GstBus* bus = gst_element_get_bus(d.pipeline);
    if (gst_element_set_state(d.pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE)
        failure = VFW_E_CANNOT_CONNECT;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Succeeded(failure) && std::chrono::steady_clock::now() < deadline) {
        // Looked at often: the open of a file, and its first picture, wait
        // on the streams being known.
        GstMessage* msg = gst_bus_timed_pop_filtered(
            bus, 5 * GST_MSECOND, static_cast<GstMessageType>(GST_MESSAGE_ERROR | GST_MESSAGE_EOS));
        if (msg) {
            const bool eos = GST_MESSAGE_TYPE(msg) == GST_MESSAGE_EOS;
            if (!eos) {
                GError* err = nullptr;
                gst_message_parse_error(msg, &err, nullptr);
                failure = ResultFromGstError(err);
                if (failure == VFW_E_RUNTIME_ERROR || failure == E_UNEXPECTED)
                    failure = VFW_E_INVALID_FILE_FORMAT;
                if (err) g_error_free(err);
            }
            gst_message_unref(msg);
            break;
        }
        std::lock_guard guard(d.lock);
        bool allCaps = !d.pads.empty();
        for (GstPad* p : d.pads) allCaps = allCaps && gst_pad_has_current_caps(p);
        const bool quiet =
            std::chrono::steady_clock::now() - d.lastPad > std::chrono::milliseconds(500);
        if (allCaps && (d.noMorePads || quiet)) break;
    }
    gst_object_unref(bus);

    // Caps go with the pads' deactivation, so they are read while running.
    std::vector<DiscoveredStream> streams;
    {
        std::lock_guard guard(d.lock);
        for (GstPad* p : d.pads) {
            GstCaps* caps = gst_pad_get_current_caps(p);
            if (!caps) caps = gst_pad_query_caps(p, nullptr);
            gchar* text = gst_caps_to_string(caps);
            streams.push_back({GST_PAD_NAME(p), text});
            g_free(text);
            gst_caps_unref(caps);
        }
        if (leftOut) *leftOut = d.leftOut;
    }
    gst_element_set_state(d.pipeline, GST_STATE_NULL);
    for (GstPad* p : d.pads) gst_object_unref(p);
    gst_object_unref(d.pipeline);
    // A stream error after the streams were found (a damaged tail) does not
    // hide the streams; it shows when the graph plays.
    if (streams.empty()) return {Failed(failure) ? failure : VFW_E_UNSUPPORTED_STREAM, {}};
    return {S_OK, std::move(streams)};
}

}  // namespace quova::engine

#include "platform/engine/stall_watch.h"

#include <gst/gst.h>

namespace quova::engine {

namespace {

struct ProbeState {
    std::atomic<long long>* lastData;
    std::atomic<bool>* ended;
};

}  // namespace

StallWatch::StallWatch(GstElement* reader, GstElement* buffer)
    : reader_(reader), buffer_(buffer), lastData_(Now()) {
    GstPad* pad = gst_element_get_static_pad(reader_, "src");
    if (!pad) return;
    auto* state = new ProbeState{&lastData_, &ended_};
    probe_ = gst_pad_add_probe(
        pad,
        static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST |
                                     GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM |
                                     GST_PAD_PROBE_TYPE_EVENT_FLUSH),
        [](GstPad*, GstPadProbeInfo* info, gpointer data) {
            auto* s = static_cast<ProbeState*>(data);
            if (info->type & (GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST)) {
                s->lastData->store(Now());
            } else if (GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info)) {
                // A seek starts a new request: the count starts with it.
                if (GST_EVENT_TYPE(event) == GST_EVENT_FLUSH_STOP) {
                    s->ended->store(false);
                    s->lastData->store(Now());
                } else if (GST_EVENT_TYPE(event) == GST_EVENT_EOS) {
                    s->ended->store(true);
                }
            }
            return GST_PAD_PROBE_OK;
        },
        state, [](gpointer data) { delete static_cast<ProbeState*>(data); });
    gst_object_unref(pad);
}

StallWatch::~StallWatch() {
    if (!probe_) return;
    if (GstPad* pad = gst_element_get_static_pad(reader_, "src")) {
        gst_pad_remove_probe(pad, probe_);
        gst_object_unref(pad);
    }
}

long long StallWatch::Now() {
    return std::chrono::steady_clock::now().time_since_epoch().count();
}

void StallWatch::Restart() {
    ended_ = false;
    lastData_ = Now();
}

bool StallWatch::BufferFull() const {
    GstQuery* query = gst_query_new_buffering(GST_FORMAT_PERCENT);
    gint percent = 0;
    if (gst_element_query(buffer_, query))
        gst_query_parse_buffering_percent(query, nullptr, &percent);
    gst_query_unref(query);
    return percent >= 100;
}

bool StallWatch::Stalled(std::chrono::steady_clock::duration bound) {
    if (ended_) return false;
    const long long quiet = Now() - lastData_.load();
    if (quiet < bound.count()) return false;
    // A full buffer holds the reader back: it reads again once playback has
    // taken some, and the count starts from there.
    if (BufferFull()) {
        lastData_ = Now();
        return false;
    }
    return true;
}

}  // namespace quova::engine

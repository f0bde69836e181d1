#include "tests/support/first_buffer.h"

#include <gst/gst.h>

#include <mutex>

namespace quova::testing {

struct FirstBufferTap::State {
    std::mutex lock;
    GstSegment segment{};
    bool armed = false;
    bool segmentSeen = false;
    double seconds = -1;
};

namespace {

GstPadProbeReturn OnData(GstPad*, GstPadProbeInfo* info, gpointer data) {
    FirstBufferTap::State* s = static_cast<std::shared_ptr<FirstBufferTap::State>*>(data)->get();
    std::lock_guard guard(s->lock);
    if (!s->armed) return GST_PAD_PROBE_OK;
    if (info->type & GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM) {
        GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
        if (GST_EVENT_TYPE(event) == GST_EVENT_SEGMENT) {
            const GstSegment* segment = nullptr;
            gst_event_parse_segment(event, &segment);
            gst_segment_copy_into(segment, &s->segment);
            s->segmentSeen = true;
        }
        return GST_PAD_PROBE_OK;
    }
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    if (!buffer || !s->segmentSeen || s->seconds >= 0 || !GST_BUFFER_PTS_IS_VALID(buffer))
        return GST_PAD_PROBE_OK;
    const guint64 t =
        gst_segment_to_stream_time(&s->segment, GST_FORMAT_TIME, GST_BUFFER_PTS(buffer));
    if (t != GST_CLOCK_TIME_NONE) s->seconds = static_cast<double>(t) / GST_SECOND;
    return GST_PAD_PROBE_OK;
}

// A callback still under way in a streaming thread when the tap goes keeps
// the state alive until it returns.
void ReleaseState(gpointer data) {
    delete static_cast<std::shared_ptr<FirstBufferTap::State>*>(data);
}

}  // namespace

FirstBufferTap::FirstBufferTap(GstPad* pad) : state_(std::make_shared<State>()) {
    gst_segment_init(&state_->segment, GST_FORMAT_TIME);
    if (!pad) return;
    pad_ = GST_PAD(gst_object_ref(pad));
    probe_ = gst_pad_add_probe(pad_,
                               static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BUFFER |
                                                            GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
                               OnData, new std::shared_ptr<State>(state_), ReleaseState);
}

FirstBufferTap::~FirstBufferTap() {
    if (!pad_) return;
    gst_pad_remove_probe(pad_, probe_);
    gst_object_unref(pad_);
}

void FirstBufferTap::Arm() {
    std::lock_guard guard(state_->lock);
    state_->armed = true;
    state_->segmentSeen = false;
    state_->seconds = -1;
}

double FirstBufferTap::Seconds() const {
    std::lock_guard guard(state_->lock);
    return state_->seconds;
}

}  // namespace quova::testing

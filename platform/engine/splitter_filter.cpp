#include "platform/engine/splitter_filter.h"

#include <gst/gst.h>

#include <algorithm>

#include "platform/engine/filter_graph.h"
#include "platform/engine/late_stream_announcer.h"
#include "platform/engine/stream_discovery.h"
#include "platform/engine/stream_memo.h"

namespace quova::engine {

namespace {

std::string QueueName(const std::string& padName) {
    return "queue:" + padName;
}

// Marks the ghost pad of a stream the demuxer hands on itself, without the
// stream's queue.
constexpr const char* kHandedOnDirectly = "quova-handed-on-directly";

// Links a demuxer pad to the way out of its stream (streaming thread when
// the pad is new): the stream's queue, or the ghost pad of its name itself
// for a stream handed on directly. A stream that was not discovered stays
// unlinked, which the demuxer tolerates like any unconnected output.
void LinkStream(GstElement* demux, GstPad* pad) {
    if (GST_PAD_DIRECTION(pad) != GST_PAD_SRC || gst_pad_is_linked(pad)) return;
    GstObject* bin = gst_object_get_parent(GST_OBJECT(demux));
    if (!bin) return;
    GstPad* ghost = gst_element_get_static_pad(GST_ELEMENT(bin), GST_PAD_NAME(pad));
    if (ghost && g_object_get_data(G_OBJECT(ghost), kHandedOnDirectly)) {
        gst_ghost_pad_set_target(GST_GHOST_PAD(ghost), pad);
    } else if (GstElement* queue =
                   gst_bin_get_by_name(GST_BIN(bin), QueueName(GST_PAD_NAME(pad)).c_str())) {
        GstPad* sink = gst_element_get_static_pad(queue, "sink");
        gst_pad_link(pad, sink);
        gst_object_unref(sink);
        gst_object_unref(queue);
    }
    if (ghost) gst_object_unref(ghost);
    gst_object_unref(bin);
}

void OnDemuxPad(GstElement* demux, GstPad* pad, gpointer) {
    LinkStream(demux, pad);
}

constexpr guint kQueueBytes = 64u * 1024 * 1024;
constexpr guint64 kQueueTime = 3 * GST_SECOND;
constexpr guint64 kQueueLongestTime = 120 * GST_SECOND;

// Streaming thread, with the queue's lock released: a full queue grows while
// a sibling is empty, as a multiqueue does.
void OnQueueFull(GstElement* full, gpointer bin) {
    bool starving = false;
    GstIterator* it = gst_bin_iterate_elements(GST_BIN(bin));
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
        auto* e = GST_ELEMENT(g_value_get_object(&item));
        if (e != full && g_str_has_prefix(GST_OBJECT_NAME(e), "queue:")) {
            guint buffers = 0;
            g_object_get(e, "current-level-buffers", &buffers, nullptr);
            starving = starving || buffers == 0;
        }
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(it);
    guint64 limit = 0;
    g_object_get(full, "max-size-time", &limit, nullptr);
    if (starving && limit < kQueueLongestTime)
        g_object_set(full, "max-size-time", std::min(limit * 2, kQueueLongestTime), nullptr);
}

GstElement* MakeBin(GstElement* demux) {
    GstElement* bin = gst_bin_new(nullptr);
    StreamsAware(bin);
    gst_bin_add(GST_BIN(bin), demux);
    return bin;
}

}  // namespace

SplitterFilter::SplitterFilter(FilterInfo info, GstElement* demux, std::string inputPinName)
    : Filter(std::move(info), MakeBin(demux)),
      demux_(demux),
      inputPinName_(std::move(inputPinName)) {
    g_signal_connect(demux_, "pad-added", G_CALLBACK(OnDemuxPad), nullptr);
    AnnounceLateStreams(demux_);
}

void SplitterFilter::CreatePins() {
    GstPad* sink = gst_element_get_static_pad(demux_, "sink");
    GstPad* ghost = gst_ghost_pad_new(inputPinName_.c_str(), sink);
    gst_object_unref(sink);
    gst_element_add_pad(element_, ghost);
    AddPin(inputPinName_, PinDirection::Input, ghost);
}

HResult SplitterFilter::PrepareInput(Pin&, Pin& upstream) {
    if (!Graph()) return VFW_E_NOT_IN_GRAPH;
    auto chain = Graph()->UpstreamChain(upstream);
    if (chain.empty()) return VFW_E_CANNOT_CONNECT;
    size_t leftOut = 0;
    auto found = DiscoverStreams(chain, ElementFactoryName(), 4000, &leftOut);
    if (!found.ok()) return found.hr;
    if (leftOut > 0)
        Graph()->Events().Post({EC_STREAMS_LEFT_OUT, static_cast<std::intptr_t>(leftOut), 0});
    // Read straight from a file, these are the file's streams: whoever asks
    // for them next need not read the file again.
    if (chain.size() == 1 && chain.front().factory == "filesrc")
        for (const auto& [name, value] : chain.front().properties)
            if (name == "location") RememberFileStreams(value, found.value);
    for (const DiscoveredStream& s : found.value) {
        if (FindPin(s.padName)) continue;
        // Each stream gets its own queue and thread, as each pin has its own
        // in a graph: one stream's renderer waiting for its turn must not
        // starve the others.
        GstElement* queue = gst_element_factory_make("queue", QueueName(s.padName).c_str());
        // Three seconds ahead, more while another stream of the file runs dry
        // (a stream far apart in the file must not hold the others in their
        // preroll); never more than the byte limit.
        g_object_set(queue, "max-size-buffers", 0u, "max-size-bytes", kQueueBytes, "max-size-time",
                     kQueueTime, nullptr);
        g_signal_connect(queue, "overrun", G_CALLBACK(OnQueueFull), element_);
        gst_bin_add(GST_BIN(element_), queue);
        GstPad* queueSrc = gst_element_get_static_pad(queue, "src");
        GstPad* ghost = gst_ghost_pad_new(s.padName.c_str(), queueSrc);
        gst_object_unref(queueSrc);
        gst_element_add_pad(element_, ghost);
        PinPtr pin = AddPin(s.padName, PinDirection::Output, ghost);
        pin->setOfferedCaps(gst_caps_from_string(s.caps.c_str()));
        // Some demuxers have their pad from the start.
        if (GstPad* existing = gst_element_get_static_pad(demux_, s.padName.c_str())) {
            LinkStream(demux_, existing);
            gst_object_unref(existing);
        }
    }
    return S_OK;
}

void SplitterFilter::InputDisconnected(Pin&) {
    // The streams belonged to the data that came in; new data may have others.
    for (const PinPtr& out : Pins(PinDirection::Output)) {
        if (out->IsConnected() && Graph()) Graph()->Disconnect(out);
        gst_element_remove_pad(element_, out->pad());
        if (GstElement* queue =
                gst_bin_get_by_name(GST_BIN(element_), QueueName(out->Name()).c_str())) {
            gst_element_set_state(queue, GST_STATE_NULL);
            gst_bin_remove(GST_BIN(element_), queue);
            dropProbes_.erase(out->Name());
            gst_object_unref(queue);
        }
        RemovePin(out);
    }
}

void SplitterFilter::Realising() {
    const std::vector<PinPtr> outs = Pins(PinDirection::Output);
    const auto connected = std::count_if(outs.begin(), outs.end(),
                                         [](const PinPtr& out) { return out->IsConnected(); });
    // The queues keep the streams of a file from waiting on one another's
    // renderers. A graph that writes a file as fast as it can, taking one
    // stream, has nothing to keep apart: that stream goes on in the
    // demuxer's own thread, without a hand-over to another thread for each
    // buffer (thousands a minute of audio chunks).
    const bool oneWrittenStream = connected == 1 && Graph() && !Graph()->ClockSync();
    for (const PinPtr& out : outs) {
        GstElement* queue = gst_bin_get_by_name(GST_BIN(element_), QueueName(out->Name()).c_str());
        if (!queue) continue;
        GstPad* sink = gst_element_get_static_pad(queue, "sink");
        // The queue's input, so that its thread does not run for nothing.
        DropWhileUnconnected(sink, out->IsConnected(), dropProbes_[out->Name()]);
        GstPad* ghost = out->pad();
        const bool direct = oneWrittenStream && out->IsConnected();
        g_object_set_data(G_OBJECT(ghost), kHandedOnDirectly, direct ? ghost : nullptr);
        // A demuxer with its pads from the start has them linked already.
        GstPad* existing = gst_element_get_static_pad(demux_, out->Name().c_str());
        GstPad* queueSource = gst_element_get_static_pad(queue, "src");
        GstPad* target = gst_ghost_pad_get_target(GST_GHOST_PAD(ghost));
        if (direct) {
            if (existing && gst_pad_is_linked(existing) && target != existing)
                gst_pad_unlink(existing, sink);
            // Otherwise the demuxer's pad becomes the target once it is added.
            gst_ghost_pad_set_target(GST_GHOST_PAD(ghost), existing);
        } else if (target != queueSource) {
            gst_ghost_pad_set_target(GST_GHOST_PAD(ghost), queueSource);
            if (existing) LinkStream(demux_, existing);
        }
        if (target) gst_object_unref(target);
        gst_object_unref(queueSource);
        if (existing) gst_object_unref(existing);
        gst_object_unref(sink);
        gst_object_unref(queue);
    }
}

std::string SplitterFilter::WorkPadName(const Pin& pin) const {
    return pin.Direction() == PinDirection::Output ? pin.Name() : Filter::WorkPadName(pin);
}

int SplitterFilter::Count() const {
    return static_cast<int>(Pins(PinDirection::Output).size());
}

Outcome<StreamInfo> SplitterFilter::Info(int index) const {
    auto outs = Pins(PinDirection::Output);
    if (index < 0 || index >= static_cast<int>(outs.size())) return {E_INVALIDARG, {}};
    StreamInfo info;
    auto types = outs[index]->MediaTypes();
    if (!types.empty()) info.mediaType = types.front();
    info.name = outs[index]->Name();
    info.enabled = outs[index]->IsConnected();
    info.group = info.mediaType.IsVideo() ? 0 : info.mediaType.IsAudio() ? 1 : 2;
    return {S_OK, info};
}

std::vector<PinPtr> SplitterFilter::ConnectedInGroupOf(int index) const {
    std::vector<PinPtr> out;
    const auto outs = Pins(PinDirection::Output);
    const int group = Info(index).value.group;
    for (size_t i = 0; i < outs.size(); ++i)
        if (static_cast<int>(i) != index && outs[i]->IsConnected() &&
            Info(static_cast<int>(i)).value.group == group)
            out.push_back(outs[i]);
    return out;
}

void SplitterFilter::DisableOthers(int index) {
    for (const PinPtr& other : ConnectedInGroupOf(index)) {
        PinPtr peer = other->ConnectedTo();
        Graph()->Disconnect(other);
        // The chain that played only this stream goes with it; a filter fed by
        // other streams as well (a multiplexer) stays.
        FilterPtr next = peer ? peer->Owner() : nullptr;
        bool fedElsewhere = false;
        if (next)
            for (const PinPtr& in : next->Pins(PinDirection::Input))
                fedElsewhere = fedElsewhere || in->IsConnected();
        if (next && !fedElsewhere) Graph()->RemoveDownstream(next);
    }
}

HResult SplitterFilter::Enable(int index, int flags) {
    if (!Graph()) return VFW_E_NOT_IN_GRAPH;
    auto outs = Pins(PinDirection::Output);
    if (index < 0 || index >= static_cast<int>(outs.size())) return E_INVALIDARG;
    const PinPtr& wanted = outs[index];
    if (!(flags & (AMSTREAMSELECTENABLE_ENABLE | AMSTREAMSELECTENABLE_ENABLEALL))) {
        return wanted->IsConnected() ? Graph()->Disconnect(wanted) : S_OK;
    }
    // Enabling one stream of a group is a switch: the others of its group go
    // quiet. Enabling all leaves them as they are.
    const bool alone = !(flags & AMSTREAMSELECTENABLE_ENABLEALL);
    if (wanted->IsConnected()) {
        if (alone) DisableOthers(index);
        return S_OK;
    }
    // The stream of the same group that plays now hands its downstream over.
    const auto playing = ConnectedInGroupOf(index);
    if (playing.empty()) return Graph()->Render(wanted);
    const PinPtr& current = playing.front();
    PinPtr peer = current->ConnectedTo();
    Graph()->Disconnect(current);
    HResult hr = Graph()->ConnectDirect(wanted, peer);
    if (Failed(hr)) hr = Graph()->Connect(wanted, peer);
    if (Failed(hr)) {
        Graph()->ConnectDirect(current, peer);
        return hr;
    }
    if (alone) DisableOthers(index);
    return S_OK;
}

}  // namespace quova::engine

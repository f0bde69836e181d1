#include "platform/engine/filter_graph.h"

#include <gio/gio.h>
#include <gst/gst.h>

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <numeric>
#include <sstream>

#include "platform/engine/audio_devices.h"
#include "platform/engine/audio_renderer.h"
#include "platform/engine/file_source_filter.h"
#include "platform/engine/gst_init.h"
#include "platform/engine/video_renderer.h"
#include "platform/files/media_name.h"

namespace quova::engine {

namespace {

// A server that stops answering is a fault to report within seconds, not a
// wait of the reader's default quarter minute. The reader waits only while
// the data is wanted: a full buffer downstream does not count.
constexpr guint kNetworkTimeoutSeconds = 3;

void ConfigureNetworkReader(GstElement* reader) {
    SettleProxyLookup();
    GObjectClass* klass = G_OBJECT_GET_CLASS(reader);
    if (g_object_class_find_property(klass, "timeout"))
        g_object_set(reader, "timeout", kNetworkTimeoutSeconds, nullptr);
    // A refused connection is refused again a moment later.
    if (g_object_class_find_property(klass, "retries")) g_object_set(reader, "retries", 0, nullptr);
}

const QEvent::Type kBusEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

GstElement* ParentOf(GstElement* e) {
    GstObject* parent = gst_object_get_parent(GST_OBJECT(e));
    if (parent) gst_object_unref(parent);  // the graph's bins outlive this answer
    return parent ? GST_ELEMENT(parent) : nullptr;
}

}  // namespace

// Hands bus messages from the streaming threads to the UI thread. Each
// message is queued under a lock as it is posted; the first one into an empty
// queue posts one Qt event, and the UI thread then takes the whole queue.
// (Leaving the messages in the bus and only announcing them would race: the
// bus calls its handler before the message is queued.)
class GraphBusBridge : public QObject {
  public:
    explicit GraphBusBridge(FilterGraph* graph) : graph_(graph) {}

    static GstBusSyncReply Sync(GstBus*, GstMessage* msg, gpointer data) {
        auto* graph = static_cast<FilterGraph*>(data);
        {
            std::lock_guard guard(graph->busLock_);
            // A message posted while the graph goes away has no reader.
            if (graph->busClosed_) {
                gst_message_unref(msg);
                return GST_BUS_DROP;
            }
            const bool wasEmpty = graph->busQueue_.empty();
            // Dropping the message hands its reference to the handler: the
            // queue keeps that one until the UI thread is done with it.
            graph->busQueue_.push_back(msg);
            // Under the lock: the bridge lives as long as the bus is open.
            if (wasEmpty && QCoreApplication::instance())
                QCoreApplication::postEvent(graph->bridge_.get(), new QEvent(kBusEvent));
        }
        graph->busArrived_.notify_all();
        return GST_BUS_DROP;
    }

    bool event(QEvent* e) override {
        if (e->type() != kBusEvent) return QObject::event(e);
        graph_->DrainBus();
        graph_->ReplaceFailedDecoders();
        return true;
    }

  private:
    FilterGraph* graph_;
};

FilterGraph::FilterGraph() : audioDevice_(PreferredAudioDevice()) {
    EnsureGstInitialized();
    pipeline_ = gst_pipeline_new(nullptr);
    parking_ = gst_bin_new(nullptr);
    gst_object_ref_sink(parking_);
    bridge_ = std::make_unique<GraphBusBridge>(this);
    GstBus* bus = gst_element_get_bus(pipeline_);
    gst_bus_set_sync_handler(bus, GraphBusBridge::Sync, this, nullptr);
    gst_object_unref(bus);
}

FilterGraph::~FilterGraph() {
    gst_element_set_state(pipeline_, GST_STATE_NULL);
    GstBus* bus = gst_element_get_bus(pipeline_);
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    gst_object_unref(bus);
    {
        // A thread of an element may still be posting.
        std::lock_guard guard(busLock_);
        busClosed_ = true;
        for (GstMessage* msg : busQueue_) gst_message_unref(msg);
        busQueue_.clear();
    }
    for (const FilterPtr& f : filters_) {
        for (const PinPtr& p : f->Pins()) p->setPeer(nullptr);
        if (GstElement* parent = ParentOf(f->element()))
            gst_bin_remove(GST_BIN(parent), f->element());
        f->setGraph(nullptr, "");
    }
    filters_.clear();
    gst_object_unref(pipeline_);
    gst_object_unref(parking_);
    bridge_.reset();
}

HResult FilterGraph::AddFilter(const FilterPtr& filter, const std::string& wanted) {
    if (!filter) return E_POINTER;
    if (filter->Graph()) return E_INVALIDARG;
    std::string name = wanted.empty() ? filter->FriendlyName() : wanted;
    HResult hr = S_OK;
    if (FindFilterByName(name)) {
        for (int i = 1; i < 10000; ++i) {
            char suffix[8];
            std::snprintf(suffix, sizeof suffix, " %04d", i);
            if (!FindFilterByName(name + suffix)) {
                name += suffix;
                hr = VFW_S_DUPLICATE_NAME;
                break;
            }
        }
        if (hr != VFW_S_DUPLICATE_NAME) return VFW_E_DUPLICATE_NAME;
    }
    gst_bin_add(GST_BIN(parking_), filter->element());
    filter->setGraph(this, name);
    if (auto audio = std::dynamic_pointer_cast<AudioRendererFilter>(filter)) {
        audio->SetVolume(audioLevel_);
        audio->SetBalance(audioBalance_);
        audio->SetDevice(audioDevice_);
    }
    filters_.push_back(filter);
    Log("added filter \"" + name + "\" (" + filter->FriendlyName() + ")");
    Changed();
    return hr;
}

HResult FilterGraph::RemoveFilter(const FilterPtr& filter) {
    if (!filter || filter->Graph() != this) return VFW_E_NOT_FOUND;
    TakeDown();
    for (const PinPtr& p : filter->Pins())
        if (p->IsConnected()) Disconnect(p);
    if (GstElement* parent = ParentOf(filter->element())) {
        gst_object_ref(filter->element());
        gst_bin_remove(GST_BIN(parent), filter->element());
        gst_element_set_state(filter->element(), GST_STATE_NULL);
        gst_object_unref(filter->element());
    }
    Log("removed filter \"" + filter->Name() + "\"");
    filter->setGraph(nullptr, "");
    filters_.erase(std::remove(filters_.begin(), filters_.end(), filter), filters_.end());
    if (filters_.empty()) {
        // An emptied graph is where the next medium starts: from its
        // beginning, to its end, at the normal rate, in time units.
        state_ = GraphState::Stopped;
        rate_ = 1.0;
        pendingNs_ = 0;
        stopNs_ = -1;
        lastPositionNs_ = 0;
        timeFormat_ = TIME_FORMAT_MEDIA_TIME;
    }
    Reconcile();
    Changed();
    return S_OK;
}

FilterPtr FilterGraph::FindFilterByName(std::string_view name) const {
    for (const FilterPtr& f : filters_)
        if (f->Name() == name) return f;
    return nullptr;
}

Outcome<FilterPtr> FilterGraph::AddSourceFilter(const std::string& fileName,
                                                const std::string& filterName) {
    const FilterInfo* info = FilterMapper::Instance().FindNamed(NamedFilter::FileSource);
    if (!info) return {VFW_E_CANNOT_LOAD_SOURCE_FILTER, nullptr};
    FilterPtr filter;
    if (IsNetworkAddress(fileName)) {
        EnsureGstInitialized();
        if (!networkMedium_) networkMedium_ = std::make_unique<NetworkMediumScope>();
        GstElement* reader =
            gst_element_make_from_uri(GST_URI_SRC, fileName.c_str(), nullptr, nullptr);
        if (!reader) return {VFW_E_CANNOT_LOAD_SOURCE_FILTER, nullptr};
        ConfigureNetworkReader(reader);
        filter = std::make_shared<FileSourceFilter>(*info, reader);
        filter->CreatePins();
    } else {
        filter = FilterMapper::Instance().Create(*info);
    }
    auto* source = dynamic_cast<FileSourceFilter*>(filter.get());
    if (!source) return {VFW_E_CANNOT_LOAD_SOURCE_FILTER, nullptr};
    HResult hr = source->Load(fileName);
    Log("source \"" + fileName + "\": " + ErrorText(hr));
    if (Failed(hr)) return {hr, nullptr};
    hr = AddFilter(filter, filterName.empty() ? fileName : filterName);
    if (Failed(hr)) return {hr, nullptr};
    // The graph outlives its media: the tags told so far were another's.
    tags_ = {};
    return {S_OK, filter};
}

void FilterGraph::Changed() {
    // A stream joined or left: the paused picture no longer tells where all
    // the streams are.
    restingNs_ = -1;
    if (observer_) observer_();
}

void FilterGraph::TakeDown() {
    if (!realised_) return;
    pendingNs_ = QueryPositionNs();
    DrainBus();
    gst_element_set_state(pipeline_, GST_STATE_NULL);
    realised_ = false;
    restingNs_ = -1;
    bufferingPercent_ = -1;
    WatchForStalls(false);
}

void FilterGraph::Reconcile() {
    const size_t n = filters_.size();
    std::vector<size_t> root(n);
    std::iota(root.begin(), root.end(), size_t{0});
    auto find = [&root](size_t i) {
        while (root[i] != i) i = root[i] = root[root[i]];
        return i;
    };
    auto indexOf = [this](const Filter* f) {
        for (size_t i = 0; i < filters_.size(); ++i)
            if (filters_[i].get() == f) return i;
        return filters_.size();
    };
    for (size_t i = 0; i < n; ++i) {
        for (const PinPtr& p : filters_[i]->Pins()) {
            PinPtr peer = p->ConnectedTo();
            if (!peer) continue;
            auto owner = peer->Owner();
            const size_t j = owner ? indexOf(owner.get()) : n;
            if (j < n) root[find(i)] = find(j);
        }
    }
    std::vector<bool> hasSource(n, false), hasSink(n, false);
    for (size_t i = 0; i < n; ++i) {
        if (filters_[i]->IsSource()) hasSource[find(i)] = true;
        if (filters_[i]->IsSink()) hasSink[find(i)] = true;
    }
    for (size_t i = 0; i < n; ++i) {
        const size_t r = find(i);
        GstElement* want = hasSource[r] && hasSink[r] ? pipeline_ : parking_;
        GstElement* e = filters_[i]->element();
        GstElement* parent = ParentOf(e);
        if (parent == want) continue;
        gst_object_ref(e);
        if (parent) gst_bin_remove(GST_BIN(parent), e);
        gst_element_set_state(e, GST_STATE_NULL);
        gst_bin_add(GST_BIN(want), e);
        gst_object_unref(e);
    }
    for (const FilterPtr& f : filters_) {
        for (const PinPtr& p : f->Pins(PinDirection::Output)) {
            PinPtr peer = p->ConnectedTo();
            if (!peer || !p->pad() || !peer->pad()) continue;
            if (GST_PAD_PEER(p->pad()) == peer->pad()) continue;
            if (GstPad* old = gst_pad_get_peer(p->pad())) {
                gst_pad_unlink(p->pad(), old);
                gst_object_unref(old);
            }
            if (GstPad* old = gst_pad_get_peer(peer->pad())) {
                gst_pad_unlink(old, peer->pad());
                gst_object_unref(old);
            }
            gst_pad_link_full(p->pad(), peer->pad(), GST_PAD_LINK_CHECK_NOTHING);
        }
    }
}

void FilterGraph::DrainBus() {
    std::deque<GstMessage*> taken;
    {
        std::lock_guard guard(busLock_);
        taken.swap(busQueue_);
    }
    for (GstMessage* msg : taken) {
        HandleMessage(msg);
        gst_message_unref(msg);
    }
}

void FilterGraph::HandleMessage(GstMessage* msg) {
    switch (GST_MESSAGE_TYPE(msg)) {
        case GST_MESSAGE_EOS:
            // A demuxer ends its stream when a failed hardware decoder refuses
            // its frames; the software decoder that replaces it goes on from
            // there to the real end.
            if (!failedDecoders_.empty()) {
                Log("end of stream after a hardware decoder failed: playback goes on");
                break;
            }
            events_.Post({EC_COMPLETE, S_OK, 0});
            break;
        case GST_MESSAGE_ERROR: {
            GError* err = nullptr;
            gchar* debug = nullptr;
            gst_message_parse_error(msg, &err, &debug);
            if (FromStalledSource(GST_MESSAGE_SRC(msg))) {
                // Its reader's own time-out, long after the stall was told.
                Log(std::string("after the stall: ") + (err ? err->message : ""));
                if (err) g_error_free(err);
                g_free(debug);
                break;
            }
            const FilterPtr decoder = HardwareDecoderOf(GST_MESSAGE_SRC(msg));
            if (decoder || !failedDecoders_.empty()) {
                Log(std::string("hardware decoder failed: ") + (err ? err->message : ""));
                if (decoder && std::find(failedDecoders_.begin(), failedDecoders_.end(), decoder) ==
                                   failedDecoders_.end())
                    failedDecoders_.push_back(decoder);
                if (err) g_error_free(err);
                g_free(debug);
                break;
            }
            lastError_ = ResultFromGstError(err);
            Log(std::string("error: ") + (err ? err->message : "") + " (" + ErrorText(lastError_) +
                ")");
            if (err) g_error_free(err);
            g_free(debug);
            events_.Post({EC_ERRORABORT, lastError_, 0});
            break;
        }
        case GST_MESSAGE_WARNING: {
            // A missing sound device, for one, is only a warning: playback goes on.
            GError* err = nullptr;
            gst_message_parse_warning(msg, &err, nullptr);
            Log(std::string("warning: ") + (err ? err->message : ""));
            if (err) g_error_free(err);
            break;
        }
        case GST_MESSAGE_BUFFERING: {
            // Only a buffer still in the graph speaks for the medium: one taken
            // out with a failed medium may have posted before it went.
            if (!gst_object_has_as_ancestor(GST_MESSAGE_SRC(msg), GST_OBJECT(pipeline_))) break;
            gint percent = 100;
            gst_message_parse_buffering(msg, &percent);
            Buffering(percent);
            break;
        }
        case GST_MESSAGE_TAG: {
            // Only an element still in the graph speaks for the medium.
            if (!gst_object_has_as_ancestor(GST_MESSAGE_SRC(msg), GST_OBJECT(pipeline_))) break;
            GstTagList* list = nullptr;
            gst_message_parse_tag(msg, &list);
            if (!list) break;
            MediumTags told;
            auto text = [list](const char* tag, guint index) {
                const gchar* value = nullptr;
                return gst_tag_list_peek_string_index(list, tag, index, &value) && value
                           ? std::string(value)
                           : std::string();
            };
            told.title = text(GST_TAG_TITLE, 0);
            told.album = text(GST_TAG_ALBUM, 0);
            for (guint i = 0; i < gst_tag_list_get_tag_size(list, GST_TAG_ARTIST); ++i)
                if (std::string artist = text(GST_TAG_ARTIST, i); !artist.empty())
                    told.artists.push_back(std::move(artist));
            tags_.Take(gst_tag_list_get_scope(list) == GST_TAG_SCOPE_GLOBAL,
                       text(GST_TAG_CONTAINER_FORMAT, 0), told);
            gst_tag_list_unref(list);
            break;
        }
        case GST_MESSAGE_STEP_DONE:
            events_.Post({EC_STEP_COMPLETE, 0, 0});
            break;
        case GST_MESSAGE_APPLICATION: {
            // Filters with events of their own (the DVD navigator) queue them this way.
            const GstStructure* s = gst_message_get_structure(msg);
            gint64 code = 0, param1 = 0, param2 = 0;
            if (s && gst_structure_has_name(s, "quova-graph-event") &&
                gst_structure_get_int64(s, "code", &code) &&
                gst_structure_get_int64(s, "param1", &param1) &&
                gst_structure_get_int64(s, "param2", &param2))
                events_.Post({static_cast<long>(code), static_cast<std::intptr_t>(param1),
                              static_cast<std::intptr_t>(param2)});
            break;
        }
        default:
            break;
    }
}

Outcome<GraphEvent> FilterGraph::GetEvent(int timeoutMs) {
    DrainBus();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (events_.Empty() && std::chrono::steady_clock::now() < deadline) {
        {
            std::unique_lock guard(busLock_);
            busArrived_.wait_until(guard, deadline, [this] { return !busQueue_.empty(); });
        }
        DrainBus();
    }
    return events_.Take();
}

std::shared_ptr<VideoRendererFilter> FilterGraph::VideoRenderer() const {
    for (const FilterPtr& f : filters_) {
        auto v = std::dynamic_pointer_cast<VideoRendererFilter>(f);
        if (v && !v->Pins().empty() && v->Pins().front()->IsConnected()) return v;
    }
    return nullptr;
}

std::vector<std::shared_ptr<AudioRendererFilter>> FilterGraph::AudioRenderers() const {
    std::vector<std::shared_ptr<AudioRendererFilter>> out;
    for (const FilterPtr& f : filters_) {
        auto a = std::dynamic_pointer_cast<AudioRendererFilter>(f);
        if (a && !a->Pins().empty() && a->Pins().front()->IsConnected()) out.push_back(a);
    }
    return out;
}

HResult FilterGraph::SetLogFile(const std::string& path) {
    if (log_.is_open()) log_.close();
    if (path.empty()) return S_OK;
    log_.open(path, std::ios::out | std::ios::trunc);
    return log_.is_open() ? S_OK : E_ACCESSDENIED;
}

void FilterGraph::Log(const std::string& line) {
    if (log_.is_open()) log_ << line << '\n' << std::flush;
}

HResult FilterGraph::SetDefaultSyncSource() {
    if (clockSync_) gst_pipeline_auto_clock(GST_PIPELINE(pipeline_));
    return S_OK;
}

void FilterGraph::SetClockSync(bool on) {
    if (on == clockSync_) return;
    clockSync_ = on;
    TakeDown();
    // Without a clock every sink renders what it gets at once.
    if (on)
        gst_pipeline_auto_clock(GST_PIPELINE(pipeline_));
    else
        gst_pipeline_use_clock(GST_PIPELINE(pipeline_), nullptr);
}

std::string FilterGraph::ToDot() const {
    std::ostringstream dot;
    auto quote = [](const std::string& s) {
        std::string out = "\"";
        for (char c : s) {
            if (c == '"' || c == '\\') out += '\\';
            out += c;
        }
        return out + "\"";
    };
    dot << "digraph FilterGraph {\n  rankdir=LR;\n  node [shape=box];\n";
    for (size_t i = 0; i < filters_.size(); ++i) {
        const FilterPtr& f = filters_[i];
        dot << "  subgraph cluster_" << i
            << " {\n    label=" << quote(f->Name() + "\n" + f->FriendlyName()) << ";\n";
        const auto pins = f->Pins();
        for (size_t k = 0; k < pins.size(); ++k) {
            const PinPtr& p = pins[k];
            dot << "    f" << i << "_" << k << " [label=" << quote(p->Name())
                << (p->Direction() == PinDirection::Input ? ", shape=invhouse" : ", shape=house")
                << "];\n";
        }
        dot << "  }\n";
    }
    for (size_t i = 0; i < filters_.size(); ++i) {
        const auto pins = filters_[i]->Pins();
        for (size_t k = 0; k < pins.size(); ++k) {
            PinPtr peer = pins[k]->ConnectedTo();
            if (!peer || pins[k]->Direction() != PinDirection::Output) continue;
            auto owner = peer->Owner();
            for (size_t j = 0; j < filters_.size(); ++j) {
                if (filters_[j] != owner) continue;
                const auto peerPins = filters_[j]->Pins();
                for (size_t m = 0; m < peerPins.size(); ++m) {
                    if (peerPins[m] != peer) continue;
                    auto type = pins[k]->ConnectionMediaType();
                    dot << "  f" << i << "_" << k << " -> f" << j << "_" << m
                        << " [label=" << quote(type.ok() ? type.value.caps.substr(0, 60) : "")
                        << "];\n";
                }
            }
        }
    }
    dot << "}\n";
    return dot.str();
}

}  // namespace quova::engine

// Control, positioning, rate, frame step, audio and video settings.
#include <gst/base/gstbaseparse.h>
#include <gst/gst.h>

#include <chrono>
#include <cmath>
#include <mutex>

#include "platform/engine/audio_renderer.h"
#include "platform/engine/file_source_filter.h"
#include "platform/engine/filter_graph.h"
#include "platform/engine/ps_headers.h"
#include "platform/engine/video_renderer.h"

namespace quova::engine {

namespace {

// No call keeps the UI thread waiting for the pipeline longer than this.
constexpr GstClockTime kStateTimeout = 900 * GST_MSECOND;

// A stream with no duration in its headers (an MP3 without a Xing or Info
// frame, for one) gets one from its size and bit rate, as players do: the
// first element after the source that reads the stream turns the file's
// length in bytes into time from the frames it has parsed. Decoded data is
// never asked, its bytes being another measure. Zero when no element knows.
gint64 EstimatedDuration(GstElement* source) {
    gint64 bytes = 0;
    if (!gst_element_query_duration(source, GST_FORMAT_BYTES, &bytes) || bytes <= 0) return 0;
    GstPad* out = gst_element_get_static_pad(source, "src");
    gint64 estimate = 0;
    for (int guard = 0; out && guard < 8 && estimate <= 0; ++guard) {
        // The bytes the next element reads: a tag reader before the parser
        // hands on the file less its tags, a cover picture's worth of no sound.
        if (gint64 passed = 0; gst_pad_query_duration(out, GST_FORMAT_BYTES, &passed) && passed > 0)
            bytes = passed;
        GstPad* next = gst_pad_get_peer(out);
        gst_object_unref(out);
        out = nullptr;
        if (!next) break;
        GstElement* element = gst_pad_get_parent_element(next);
        gst_object_unref(next);
        if (!element) break;
        GstIterator* it = gst_element_iterate_src_pads(element);
        GValue item = G_VALUE_INIT;
        if (gst_iterator_next(it, &item) == GST_ITERATOR_OK)
            out = GST_PAD(gst_object_ref(g_value_get_object(&item)));
        g_value_unset(&item);
        gst_iterator_free(it);
        gst_object_unref(element);
        if (!out) break;
        GstCaps* caps = gst_pad_get_current_caps(out);
        const bool decoded =
            !caps || gst_caps_is_empty(caps) ||
            g_str_has_suffix(gst_structure_get_name(gst_caps_get_structure(caps, 0)), "/x-raw");
        if (caps) gst_caps_unref(caps);
        if (decoded) break;
        gint64 ns = 0;
        if (gst_pad_query_convert(out, GST_FORMAT_BYTES, bytes, GST_FORMAT_TIME, &ns) && ns > 0)
            estimate = ns;
    }
    if (out) gst_object_unref(out);
    return estimate;
}

// How much of each end of a program stream is read for its times, as FFmpeg
// reads at first: about a fifth of a second at a DVD's bit rate, several
// pictures and sound frames, each of which carries its time.
constexpr std::streamoff kProgramStreamEnds = 256 * 1024;

// The length of the program stream in `path` from its streams' own times; -1
// when it cannot be read or holds none.
std::int64_t ProgramStreamFileNs(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return -1;
    const std::streamoff size = in.tellg();
    if (size <= 0) return -1;
    const std::streamoff part = std::min(size, kProgramStreamEnds);
    std::vector<std::uint8_t> head(static_cast<std::size_t>(part));
    std::vector<std::uint8_t> tail(static_cast<std::size_t>(part));
    auto read = [&in](std::streamoff at, std::vector<std::uint8_t>& into) {
        in.seekg(at);
        in.read(reinterpret_cast<char*>(into.data()), static_cast<std::streamsize>(into.size()));
        return in.gcount() == static_cast<std::streamsize>(into.size());
    };
    if (!read(0, head) || !read(size - part, tail)) return -1;
    const std::int64_t ticks =
        ProgramStreamLength(head.data(), head.size(), tail.data(), tail.size());
    return ticks < 0 ? -1 : ticks * GST_SECOND / 90000;
}

}  // namespace

HResult FilterGraph::Realise() {
    if (realised_) return S_OK;
    Reconcile();
    for (const FilterPtr& f : filters_) f->Realising();
    lastError_ = S_OK;
    overrunEnded_ = false;
    stalled_ = false;
    // A medium whose start failed never went through TakeDown: its buffer's
    // last word must not hold the next medium's clock.
    bufferingPercent_ = -1;
    WatchForStalls(true);
    GstStateChangeReturn ret = gst_element_set_state(pipeline_, GST_STATE_PAUSED);
    // A live source (a capture, a broadcast that plays as it comes) does not
    // preroll; it has no buffer to fill before it plays.
    live_ = ret == GST_STATE_CHANGE_NO_PREROLL;
    if (ret == GST_STATE_CHANGE_ASYNC) ret = static_cast<GstStateChangeReturn>(WaitForState());
    if (ret == GST_STATE_CHANGE_FAILURE) {
        // The error behind the failure may still be on its way from a
        // streaming thread.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
        DrainBus();
        while (!Failed(lastError_) && failedDecoders_.empty() &&
               std::chrono::steady_clock::now() < deadline) {
            {
                std::unique_lock guard(busLock_);
                busArrived_.wait_until(guard, deadline, [this] { return !busQueue_.empty(); });
            }
            DrainBus();
        }
        gst_element_set_state(pipeline_, GST_STATE_NULL);
        // A GPU decoder that cannot start, or cannot take the stream's
        // profile, makes the start fail wherever the error shows (the
        // demuxer reports a refused format): the start is tried again with
        // software before the medium is blamed. Failed decoders are
        // remembered, so this happens once.
        if (failedDecoders_.empty())
            for (const FilterPtr& f : filters_)
                if (f->Info().hardware &&
                    gst_object_has_as_ancestor(GST_OBJECT(f->element()), GST_OBJECT(pipeline_)))
                    failedDecoders_.push_back(f);
        if (!failedDecoders_.empty() && !replacing_) {
            replacing_ = true;
            const bool swapped = SwapFailedDecoders();
            replacing_ = false;
            if (swapped) return Realise();
        }
        failedDecoders_.clear();
        WatchForStalls(false);
        return Failed(lastError_) ? lastError_ : E_FAIL;
    }
    realised_ = true;
    restingNs_ = ret == GST_STATE_CHANGE_SUCCESS ? pendingNs_ : -1;
    if (pendingNs_ > 0 || rate_ != 1.0 || stopNs_ >= 0) DoSeek(pendingNs_, true);
    return ret == GST_STATE_CHANGE_ASYNC ? VFW_S_STATE_INTERMEDIATE : S_OK;
}

HResult FilterGraph::Run() {
    HResult hr = Realise();
    if (Failed(hr)) return hr;
    // After stepping, the sound (and any other stream) is where the pause
    // left it, behind the picture: everything goes on from the picture.
    if (stepped_) DoSeek(QueryPositionNs(), true);
    restingNs_ = -1;
    // While the network's buffer fills the clock waits; it runs once the buffer is full.
    if (bufferingPercent_ < 0 &&
        gst_element_set_state(pipeline_, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        // Prerolled but refused to play: report why, and stay paused where we are.
        DrainBus();
        gst_element_set_state(pipeline_, GST_STATE_PAUSED);
        state_ = GraphState::Paused;
        return Failed(lastError_) ? lastError_ : E_FAIL;
    }
    state_ = GraphState::Running;
    for (const FilterPtr& f : filters_)
        if (auto v = std::dynamic_pointer_cast<VideoRendererFilter>(f)) v->GraphRunning();
    return S_OK;
}

void FilterGraph::Buffering(int percent) {
    // GStreamer's advice: a live pipeline never pauses for its buffer; the
    // data it would wait for comes at the pace it plays anyway.
    if (live_) return;
    const bool was = bufferingPercent_ >= 0;
    // Where the clock holds: read before the pause, and told until the
    // buffer is full (a demuxer that reads its index at the end of the
    // stream meanwhile makes the pipeline's own answer jump there and back).
    if (!was && percent < 100 && realised_) QueryPositionNs();
    bufferingPercent_ = percent < 100 ? std::max(percent, 0) : -1;
    if (!realised_ || state_ != GraphState::Running || was == (bufferingPercent_ >= 0)) return;
    // Not waited for: the window goes on while the pipeline changes.
    gst_element_set_state(pipeline_, was ? GST_STATE_PLAYING : GST_STATE_PAUSED);
}

HResult FilterGraph::Pause() {
    HResult hr = Realise();
    if (Failed(hr)) return hr;
    if (state_ == GraphState::Running) {
        gst_element_set_state(pipeline_, GST_STATE_PAUSED);
        if (WaitForState() == GST_STATE_CHANGE_ASYNC) hr = VFW_S_STATE_INTERMEDIATE;
    }
    state_ = GraphState::Paused;
    events_.Post({EC_PAUSED, S_OK, 0});
    return hr;
}

HResult FilterGraph::Stop() {
    HResult hr = S_OK;
    if (!realised_) {
        hr = Realise();
    } else if (state_ == GraphState::Running) {
        gst_element_set_state(pipeline_, GST_STATE_PAUSED);
        WaitForState();
    }
    state_ = GraphState::Stopped;
    for (const FilterPtr& f : filters_)
        if (auto v = std::dynamic_pointer_cast<VideoRendererFilter>(f)) v->GraphStopped();
    return Failed(hr) ? hr : S_OK;
}

HResult FilterGraph::StopWhenReady() {
    HResult hr = Realise();
    if (Failed(hr)) return hr;
    if (state_ == GraphState::Running) gst_element_set_state(pipeline_, GST_STATE_PAUSED);
    if (WaitForState() == GST_STATE_CHANGE_ASYNC) hr = VFW_S_STATE_INTERMEDIATE;
    state_ = GraphState::Stopped;
    return hr;
}

Outcome<GraphState> FilterGraph::GetState(int timeoutMs) {
    if (!realised_) return {S_OK, state_};
    const GstStateChangeReturn ret =
        gst_element_get_state(pipeline_, nullptr, nullptr,
                              static_cast<GstClockTime>(std::max(timeoutMs, 0)) * GST_MSECOND);
    if (ret == GST_STATE_CHANGE_FAILURE) return {E_FAIL, state_};
    if (ret == GST_STATE_CHANGE_ASYNC) return {VFW_S_STATE_INTERMEDIATE, state_};
    return {S_OK, state_};
}

int FilterGraph::WaitForState() {
    DrainBus();
    const GstClockTime bound = stalled_ ? 0 : kStateTimeout;
    const GstStateChangeReturn ret = gst_element_get_state(pipeline_, nullptr, nullptr, bound);
    if (ret == GST_STATE_CHANGE_ASYNC && bound > 0) ++expiredWaits_;
    stalled_ = ret == GST_STATE_CHANGE_ASYNC;
    return ret;
}

std::int64_t FilterGraph::QueryPositionNs() {
    gint64 pos = 0;
    if (!realised_) return pendingNs_;
    if (bufferingPercent_ >= 0) return lastPositionNs_;
    if (gst_element_query_position(pipeline_, GST_FORMAT_TIME, &pos) && pos >= 0)
        lastPositionNs_ = pos;
    // Damaged timestamps can make a stream run on long after its end (a
    // minute on a file of three seconds): far past the duration, the stream
    // is ended as if it had ended by itself.
    gint64 duration = 0;
    if (state_ == GraphState::Running && !overrunEnded_ &&
        gst_element_query_duration(pipeline_, GST_FORMAT_TIME, &duration) && duration > 0 &&
        lastPositionNs_ > duration + duration / 2 + 2 * static_cast<gint64>(GST_SECOND)) {
        overrunEnded_ = true;
        Log("the stream runs far past its duration: ended");
        events_.Post({EC_COMPLETE, S_OK, 0});
    }
    return lastPositionNs_;
}

HResult FilterGraph::DoSeek(std::int64_t positionNs, bool wait, Landing landing) {
    // A keyframe seek makes the demuxer start the segment at the keyframe
    // itself, so the streams (the sound too) go on from the picture shown.
    int flags = GST_SEEK_FLAG_FLUSH;
    switch (landing) {
        case Landing::Exact:
            flags |= GST_SEEK_FLAG_ACCURATE;
            break;
        case Landing::KeyFrameBefore:
            flags |= GST_SEEK_FLAG_KEY_UNIT | GST_SEEK_FLAG_SNAP_BEFORE;
            break;
        case Landing::KeyFrameAfter:
            flags |= GST_SEEK_FLAG_KEY_UNIT | GST_SEEK_FLAG_SNAP_AFTER;
            break;
    }
    const bool ok = gst_element_seek(
        pipeline_, rate_, GST_FORMAT_TIME, static_cast<GstSeekFlags>(flags), GST_SEEK_TYPE_SET,
        positionNs, stopNs_ >= 0 ? GST_SEEK_TYPE_SET : GST_SEEK_TYPE_NONE,
        stopNs_ >= 0 ? stopNs_ : GST_CLOCK_TIME_NONE);
    lastPositionNs_ = positionNs;
    stepped_ = false;
    overrunEnded_ = false;
    restingNs_ = -1;
    if (wait && WaitForState() == GST_STATE_CHANGE_SUCCESS && ok && landing == Landing::Exact &&
        state_ != GraphState::Running)
        restingNs_ = positionNs;
    return ok ? S_OK : E_FAIL;
}

double FilterGraph::FrameRate() const {
    auto video = VideoRenderer();
    if (!video) return 0;
    auto in = video->Pins(PinDirection::Input);
    if (in.empty()) return 0;
    // The renderer sees raw frames; the rate is the same all the way up.
    PinPtr pin = in.front();
    for (int guard = 0; pin && guard < 16; ++guard) {
        auto type = pin->ConnectionMediaType();
        if (type.ok() && type.value.frameRate > 0) return type.value.frameRate;
        PinPtr up = pin->ConnectedTo();
        if (!up) break;
        auto owner = up->Owner();
        if (!owner) break;
        pin = nullptr;
        for (const PinPtr& p : owner->Pins(PinDirection::Input))
            if (p->IsConnected()) pin = p;
        if (!pin) {
            auto t = up->MediaTypes();
            return t.empty() ? 0 : t.front().frameRate;
        }
    }
    return 0;
}

HResult FilterGraph::IsFormatSupported(const Guid& format) const {
    if (format == TIME_FORMAT_MEDIA_TIME) return S_OK;
    if (format == TIME_FORMAT_FRAME) return FrameRate() > 0 ? S_OK : S_FALSE;
    return S_FALSE;
}

HResult FilterGraph::SetTimeFormat(const Guid& format) {
    if (IsFormatSupported(format) != S_OK) return E_INVALIDARG;
    if (state_ != GraphState::Stopped) return VFW_E_WRONG_STATE;
    timeFormat_ = format;
    return S_OK;
}

ReferenceTime ToReferenceTime(double seconds) {
    if (!(seconds > 0)) return 0;
    const double units = seconds * static_cast<double>(kUnitsPerSecond);
    // The double nearest kLatestReferenceTime lies above it: compare first.
    if (units >= static_cast<double>(kLatestReferenceTime)) return kLatestReferenceTime;
    return static_cast<ReferenceTime>(units);
}

Outcome<std::int64_t> FilterGraph::ConvertTimeFormat(std::int64_t value, const Guid& target,
                                                     const Guid& source) const {
    const Guid& from = source.IsNull() ? timeFormat_ : source;
    const Guid& to = target.IsNull() ? timeFormat_ : target;
    if (from == to) return {S_OK, value};
    const double fps = FrameRate();
    if (fps <= 0) return {E_INVALIDARG, 0};
    if (from == TIME_FORMAT_FRAME && to == TIME_FORMAT_MEDIA_TIME)
        return {S_OK, static_cast<std::int64_t>(std::llround(value * kUnitsPerSecond / fps))};
    if (from == TIME_FORMAT_MEDIA_TIME && to == TIME_FORMAT_FRAME)
        return {S_OK, static_cast<std::int64_t>(value * fps / kUnitsPerSecond)};
    return {E_INVALIDARG, 0};
}

Outcome<std::int64_t> FilterGraph::DurationNs() {
    HResult hr = Realise();
    if (Failed(hr)) return {hr, 0};
    if (const std::int64_t ns = ProgramStreamNs(); ns > 0) return {S_OK, ns};
    gint64 duration = 0;
    if (gst_element_query_duration(pipeline_, GST_FORMAT_TIME, &duration) && duration >= 0)
        return {S_OK, duration};
    // Until the real duration is known (asked again at every call).
    for (const FilterPtr& f : filters_) {
        if (!f->IsSource()) continue;
        if (const gint64 estimate = EstimatedDuration(f->element()); estimate > 0)
            return {S_OK, estimate};
    }
    return {E_NOTIMPL, 0};
}

std::int64_t FilterGraph::ProgramStreamNs() {
    // GStreamer's program-stream demuxer tells the span of its pack clocks,
    // which end before the last pictures and sounds do; the streams' own
    // times say how long the file plays.
    const FileSourceFilter* file = nullptr;
    for (const FilterPtr& f : filters_)
        if (auto* source = dynamic_cast<const FileSourceFilter*>(f.get()); source && f->IsSource())
            file = source;
    if (!file || file->FileName().empty()) return -1;
    if (file->FileName() == programStream_.path) return programStream_.ns;
    bool programStream = false;
    GstIterator* it = gst_bin_iterate_recurse(GST_BIN(pipeline_));
    GValue item = G_VALUE_INIT;
    while (!programStream && gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
        GstElementFactory* factory =
            gst_element_get_factory(GST_ELEMENT(g_value_get_object(&item)));
        programStream = factory && std::string_view(GST_OBJECT_NAME(factory)) == "mpegpsdemux";
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(it);
    programStream_ = {file->FileName(), programStream ? ProgramStreamFileNs(file->FileName()) : -1};
    return programStream_.ns;
}

bool FilterGraph::DurationIsEstimate() {
    if (!realised_) return false;
    if (ProgramStreamNs() > 0) return false;
    gint64 stated = 0;
    if (!gst_element_query_duration(pipeline_, GST_FORMAT_TIME, &stated) || stated < 0)
        return DurationNs().ok();  // the byte-rate fallback above
    // A parser that nobody upstream tells the length in time works it out
    // from bytes and bit rate; behind a demuxer it passes the container's on.
    bool estimate = false;
    GstIterator* it = gst_bin_iterate_recurse(GST_BIN(pipeline_));
    GValue item = G_VALUE_INIT;
    while (!estimate && gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
        auto* element = GST_ELEMENT(g_value_get_object(&item));
        if (GST_IS_BASE_PARSE(element)) {
            if (GstPad* sink = gst_element_get_static_pad(element, "sink")) {
                gint64 upstream = 0;
                estimate =
                    !gst_pad_peer_query_duration(sink, GST_FORMAT_TIME, &upstream) || upstream <= 0;
                gst_object_unref(sink);
            }
        }
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(it);
    return estimate;
}

Outcome<std::int64_t> FilterGraph::GetDuration() {
    const auto ns = DurationNs();
    if (!ns.ok()) return ns;
    return ConvertTimeFormat(ns.value / 100, timeFormat_, TIME_FORMAT_MEDIA_TIME);
}

Outcome<std::int64_t> FilterGraph::GetCurrentPosition() {
    const std::int64_t ns = QueryPositionNs();
    return ConvertTimeFormat(ns / 100, timeFormat_, TIME_FORMAT_MEDIA_TIME);
}

HResult FilterGraph::SetPositions(std::int64_t current, std::uint32_t currentFlags,
                                  std::int64_t stop, std::uint32_t stopFlags) {
    auto toNs = [this](std::int64_t v) -> Outcome<std::int64_t> {
        auto units = ConvertTimeFormat(v, TIME_FORMAT_MEDIA_TIME, timeFormat_);
        // Callers' values are any 64-bit number; nanoseconds must not wrap.
        const std::int64_t held =
            std::clamp<std::int64_t>(units.value, -kLatestReferenceTime, kLatestReferenceTime);
        return {units.hr, held * 100};
    };
    const std::uint32_t how = currentFlags & AM_SEEKING_PositioningBitsMask;
    const std::uint32_t stopHow = stopFlags & AM_SEEKING_PositioningBitsMask;
    if (stopHow != AM_SEEKING_NoPositioning) {
        auto s = toNs(stop);
        if (!s.ok()) return s.hr;
        if (stopHow == AM_SEEKING_AbsolutePositioning)
            stopNs_ = s.value;
        else
            stopNs_ = std::max<std::int64_t>(0, (stopNs_ >= 0 ? stopNs_ : 0) + s.value);
    }
    if (how == AM_SEEKING_NoPositioning) {
        if (stopHow == AM_SEEKING_NoPositioning || !realised_) return S_OK;
        return DoSeek(QueryPositionNs(), state_ != GraphState::Running);
    }
    auto c = toNs(current);
    if (!c.ok()) return c.hr;
    const bool absolute = how == AM_SEEKING_AbsolutePositioning;
    std::int64_t target = absolute ? c.value : QueryPositionNs() + c.value;
    target = std::max<std::int64_t>(0, target);
    if (!realised_) {
        // The pipeline comes up here exactly: there is no picture yet whose
        // decoding a keyframe would spare.
        pendingNs_ = target;
        lastPositionNs_ = target;
        return S_OK;
    }
    Landing landing = Landing::Exact;
    if (currentFlags & AM_SEEKING_SeekToKeyFrame)
        landing = !absolute && c.value > 0 ? Landing::KeyFrameAfter : Landing::KeyFrameBefore;
    // A paused picture is not decoded again for a seek to where it already is
    // (the open's rewind of a graph that has just prerolled at its start).
    if (landing == Landing::Exact && stopHow == AM_SEEKING_NoPositioning &&
        state_ != GraphState::Running && target == restingNs_) {
        lastPositionNs_ = target;
        return S_OK;
    }
    return DoSeek(target, state_ != GraphState::Running, landing);
}

Outcome<double> FilterGraph::Duration() {
    const auto ns = DurationNs();
    return {ns.hr, static_cast<double>(ns.value) / GST_SECOND};
}

Outcome<double> FilterGraph::CurrentPosition() {
    return {S_OK, static_cast<double>(QueryPositionNs()) / GST_SECOND};
}

HResult FilterGraph::SetCurrentPosition(double seconds) {
    if (!std::isfinite(seconds)) return E_INVALIDARG;
    const ReferenceTime units = ToReferenceTime(seconds);
    auto target = ConvertTimeFormat(units, timeFormat_, TIME_FORMAT_MEDIA_TIME);
    if (!target.ok()) return target.hr;
    return SetPositions(target.value, AM_SEEKING_AbsolutePositioning, 0, AM_SEEKING_NoPositioning);
}

HResult FilterGraph::SetRate(double rate) {
    if (!std::isfinite(rate) || rate < 0.1 || rate > 4.0) return E_INVALIDARG;
    if (rate == rate_) return S_OK;
    rate_ = rate;
    if (!realised_) return S_OK;
    return DoSeek(QueryPositionNs(), state_ != GraphState::Running);
}

HResult FilterGraph::CanStep(int frames) const {
    if (frames < 0) return S_FALSE;
    auto video = VideoRenderer();
    if (!video) return S_FALSE;
    GstElement* parent = GST_ELEMENT(gst_object_get_parent(GST_OBJECT(video->element())));
    const bool live = parent == pipeline_;
    if (parent) gst_object_unref(parent);
    return live ? S_OK : S_FALSE;
}

HResult FilterGraph::Step(int frames) {
    if (frames <= 0) return E_INVALIDARG;
    if (CanStep(frames) != S_OK) return VFW_E_FRAME_STEP_UNSUPPORTED;
    HResult hr = Realise();
    if (Failed(hr)) return hr;
    if (state_ == GraphState::Running) {
        gst_element_set_state(pipeline_, GST_STATE_PAUSED);
        WaitForState();
    }
    state_ = GraphState::Paused;
    auto video = VideoRenderer();
    stepped_ = true;
    restingNs_ = -1;
    const bool sent = gst_element_send_event(
        video->sink(),
        gst_event_new_step(GST_FORMAT_BUFFERS, static_cast<guint64>(frames), 1.0, TRUE, FALSE));
    return sent ? S_OK : E_FAIL;
}

bool FilterGraph::HasAudio() const {
    return !AudioRenderers().empty();
}

namespace {

// Every audio renderer of the graph follows the same level; the first one answers.
template <class Set>
HResult SetOnEach(const std::vector<std::shared_ptr<AudioRendererFilter>>& renderers, Set set) {
    if (renderers.empty()) return E_NOTIMPL;
    for (const auto& r : renderers) {
        const HResult hr = set(*r);
        if (Failed(hr)) return hr;
    }
    return S_OK;
}

template <class Get>
Outcome<int> GetFromFirst(const std::vector<std::shared_ptr<AudioRendererFilter>>& renderers,
                          Get get) {
    if (renderers.empty()) return {E_NOTIMPL, 0};
    return {S_OK, get(*renderers.front())};
}

}  // namespace

HResult FilterGraph::SetVolume(int level) {
    const HResult hr =
        SetOnEach(AudioRenderers(), [level](AudioRendererFilter& r) { return r.SetVolume(level); });
    if (Succeeded(hr)) audioLevel_ = level;
    return hr;
}

Outcome<int> FilterGraph::Volume() const {
    return GetFromFirst(AudioRenderers(), [](AudioRendererFilter& r) { return r.Volume(); });
}

HResult FilterGraph::SetBalance(int balance) {
    const HResult hr = SetOnEach(
        AudioRenderers(), [balance](AudioRendererFilter& r) { return r.SetBalance(balance); });
    if (Succeeded(hr)) audioBalance_ = balance;
    return hr;
}

HResult FilterGraph::SetAudioDevice(const std::string& name) {
    audioDevice_ = name;
    HResult result = S_OK;
    for (const auto& r : AudioRenderers())
        if (const HResult hr = r->SetDevice(name); Failed(hr)) result = hr;
    return result;
}

Outcome<int> FilterGraph::Balance() const {
    return GetFromFirst(AudioRenderers(), [](AudioRendererFilter& r) { return r.Balance(); });
}

}  // namespace quova::engine

#pragma once

#include <QEvent>
#include <QObject>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/engine/filter.h"
#include "platform/engine/graph_events.h"
#include "platform/engine/guid.h"
#include "platform/engine/local_file_guard.h"
#include "platform/engine/medium_tags.h"
#include "platform/engine/result.h"
#include "platform/engine/stream_discovery.h"

typedef struct _GstElement GstElement;
typedef struct _GstMessage GstMessage;
typedef struct _GstObject GstObject;
class QTimer;

namespace quova::engine {

class AudioRendererFilter;
class VideoRendererFilter;

enum class GraphState { Stopped = 0, Paused = 1, Running = 2 };

// Positioning flags of SetPositions.
//
// AM_SEEKING_SeekToKeyFrame lands the current position on a keyframe rather
// than on the time asked for, which spares decoding the frames between the
// keyframe and the target: a scan or a dragged seek bar wants the picture
// soon more than the exact frame. The keyframe taken is the one at or before
// the target (the picture the target's group of frames starts with), except
// for a relative move forward: that takes the keyframe at or after its
// target, since with keyframes seconds apart the one before a short step
// forward is often the one just left, and a scan forward would never get
// past it. Without the flag every seek lands exactly.
enum SeekingFlags : std::uint32_t {
    AM_SEEKING_NoPositioning = 0,
    AM_SEEKING_AbsolutePositioning = 1,
    AM_SEEKING_RelativePositioning = 2,
    AM_SEEKING_IncrementalPositioning = 3,
    AM_SEEKING_PositioningBitsMask = 3,
    AM_SEEKING_SeekToKeyFrame = 4,
};

// Reference time: 100-nanosecond units.
using ReferenceTime = std::int64_t;
inline constexpr ReferenceTime kUnitsPerSecond = 10'000'000;
// The latest position whose nanoseconds still fit the 64 bits GStreamer
// counts in: about 292 years.
inline constexpr ReferenceTime kLatestReferenceTime = INT64_MAX / 100;

// Seconds as reference time, held inside 0 .. kLatestReferenceTime: a
// position from outside may be any double, and converting one past the range
// of the integer is undefined. NaN gives 0.
ReferenceTime ToReferenceTime(double seconds);

// The filter graph: filters and their connections, authoritative, realised
// as one GStreamer pipeline. Only the parts of the graph that join a source
// to a sink (a renderer or writer) are placed in the pipeline; the rest wait
// in a parked bin, so half-built branches and unconnected pins never stall a
// run. Any change of the connections takes the pipeline down; the graph keeps
// its position and state and realises the pipeline again at the next call
// that needs it, returning to the same position.
//
// Stopped keeps the position and the last picture: it is a paused pipeline
// the graph reports as stopped, not GStreamer's READY.
//
// Everything is called on the UI thread.
class FilterGraph {
  public:
    FilterGraph();
    ~FilterGraph();
    FilterGraph(const FilterGraph&) = delete;
    FilterGraph& operator=(const FilterGraph&) = delete;

    // --- Filters
    // VFW_S_DUPLICATE_NAME when the name was taken and a number was appended.
    HResult AddFilter(const FilterPtr& filter, const std::string& name);
    HResult RemoveFilter(const FilterPtr& filter);
    FilterPtr FindFilterByName(std::string_view name) const;
    std::vector<FilterPtr> Filters() const { return filters_; }
    Outcome<FilterPtr> AddSourceFilter(const std::string& fileName, const std::string& filterName);

    // --- Building
    HResult RenderFile(const std::string& fileName);
    // Renders an output pin: splitters, parsers, decoders and converters by
    // merit, down to a renderer for each stream. VFW_S_PARTIAL_RENDER when
    // some streams found no way.
    HResult Render(const PinPtr& output);
    // Connects, inserting parsers, decoders and converters as needed.
    HResult Connect(const PinPtr& output, const PinPtr& input);
    HResult ConnectDirect(const PinPtr& output, const PinPtr& input);
    // Breaks the pin's connection (both ends).
    HResult Disconnect(const PinPtr& pin);
    // Removes the filter and everything fed by it, from the far end back; the
    // filters upstream of it stay as they are.
    HResult RemoveDownstream(const FilterPtr& filter);
    // A readable account of every building step, written to `path`; an empty
    // path ends it.
    HResult SetLogFile(const std::string& path);
    HResult SetDefaultSyncSource();
    // Off, the sinks do not wait for the clock: the graph runs as fast as the
    // machine allows (writing files). Takes effect when the pipeline next
    // comes up.
    void SetClockSync(bool on);
    bool ClockSync() const { return clockSync_; }
    // Takes the pipeline down so that settings changed on filters apply when it
    // comes up again (at the same position and state).
    void Refresh() { TakeDown(); }
    // The description of the streams that feed `output`, for a splitter that
    // discovers its streams.
    std::vector<ChainStep> UpstreamChain(const Pin& output) const;

    // --- Control
    HResult Run();
    HResult Pause();
    HResult Stop();
    // Pauses until the data is there, then reports stopped.
    HResult StopWhenReady();
    // VFW_S_STATE_INTERMEDIATE when a transition is still under way after the time-out.
    Outcome<GraphState> GetState(int timeoutMs);
    // How full the buffer of a network medium is while it fills (0-99), -1
    // otherwise. A running graph holds its clock meanwhile and still reports
    // itself running.
    int BufferingPercent() const { return bufferingPercent_; }

    // --- Seeking (values in the current time format)
    HResult SetTimeFormat(const Guid& format);
    Guid TimeFormat() const { return timeFormat_; }
    HResult IsFormatSupported(const Guid& format) const;
    Outcome<std::int64_t> ConvertTimeFormat(std::int64_t value, const Guid& targetFormat,
                                            const Guid& sourceFormat) const;
    Outcome<std::int64_t> GetDuration();
    Outcome<std::int64_t> GetCurrentPosition();
    HResult SetPositions(std::int64_t current, std::uint32_t currentFlags, std::int64_t stop,
                         std::uint32_t stopFlags);
    // Seconds.
    Outcome<double> Duration();
    // Whether Duration() is only a guess from the stream's size and the bit
    // rate of the frames parsed so far (an elementary MP3 or AAC stream, where
    // no container states the length): it changes as playback goes on, and
    // the medium ends where its data does, not there.
    bool DurationIsEstimate();
    Outcome<double> CurrentPosition();
    HResult SetCurrentPosition(double seconds);
    // 0.1 .. 4.0.
    HResult SetRate(double rate);
    double Rate() const { return rate_; }

    // --- Frame step
    // S_OK when a video renderer can step `frames` frames, else S_FALSE.
    HResult CanStep(int frames) const;
    HResult Step(int frames);

    // --- Audio (all audio renderers). E_NOTIMPL when there is no audio renderer.
    // A renderer added later takes the level and balance set last.
    bool HasAudio() const;
    HResult SetVolume(int level);
    Outcome<int> Volume() const;
    HResult SetBalance(int balance);
    Outcome<int> Balance() const;
    // The output device of every audio renderer ("" the default), which a
    // renderer added later takes too; a playing stream moves without a break.
    HResult SetAudioDevice(const std::string& name);
    const std::string& AudioDevice() const { return audioDevice_; }
    // The connected audio renderers, each of which may have a device of its own.
    std::vector<std::shared_ptr<AudioRendererFilter>> AudioRenderers() const;

    // --- Video: the first connected video renderer, or nullptr.
    std::shared_ptr<VideoRendererFilter> VideoRenderer() const;

    // --- Tags: what the tags told since the last source was added say the
    // medium is (see MediumTagBook).
    MediumTags Tags() const { return tags_.Medium(); }

    // --- Events
    GraphEvents& Events() { return events_; }
    // The oldest event, waiting up to `timeoutMs` for one (E_ABORT when none came).
    Outcome<GraphEvent> GetEvent(int timeoutMs);

    // --- Inspection
    // Called after every change of filters or connections.
    void SetChangeObserver(std::function<void()> observer) { observer_ = std::move(observer); }
    std::string ToDot() const;
    // Expires when the graph goes, for those who watch it from outside.
    std::weak_ptr<const void> Lifetime() const { return lifetime_; }

    // Bus messages queued by the streaming threads, handled on the UI thread.
    void DrainBus();
    // Puts software decoders in the place of the hardware decoders that
    // failed while the graph played, at the same position and state. Runs
    // outside any other graph call (the bus's posted event), since it
    // rebuilds part of the graph.
    void ReplaceFailedDecoders();

    // How often a call waited out the whole bound for the pipeline to
    // settle. A pipeline that never settles costs one such wait, not one per
    // call: the window would stand still at every command otherwise.
    int ExpiredWaits() const { return expiredWaits_; }

  private:
    friend class GraphBusBridge;

    HResult Realise();
    // The swap itself: each failed decoder out, intelligent connect from its
    // upstream pin to where it fed (the failed ones now refused). Posts
    // EC_DECODER_REPLACED once; false when a stream found no decoder.
    bool SwapFailedDecoders();
    // The hardware decoder `source` belongs to, or nullptr.
    FilterPtr HardwareDecoderOf(GstObject* source) const;
    void TakeDown();
    void Reconcile();
    void Changed();
    void HandleMessage(GstMessage* msg);
    // A BUFFERING message: below 100 % a running pipeline pauses, at 100 % it runs again.
    void Buffering(int percent);
    // Network sources are watched for a server that stops sending while the
    // pipeline is up (on), or no longer (off).
    void WatchForStalls(bool on);
    // The watch's look, every quarter second: a stalled source ends the
    // medium with an error at once, whatever data is still buffered.
    void LookForStalls();
    // Whether `source` of a message lies inside a source already told stalled.
    bool FromStalledSource(GstObject* source) const;
    // Where a seek lands: the exact time, or a keyframe on one side of it.
    enum class Landing { Exact, KeyFrameBefore, KeyFrameAfter };
    HResult DoSeek(std::int64_t positionNs, bool wait, Landing landing = Landing::Exact);
    // Waits for the pipeline's state change to settle, within a bound; see
    // stalled_.
    int WaitForState();
    std::int64_t QueryPositionNs();
    Outcome<std::int64_t> DurationNs();
    // The length of an MPEG program stream from its streams' times; -1 when
    // the graph reads none from a file.
    std::int64_t ProgramStreamNs();
    double FrameRate() const;

    HResult RenderPin(const PinPtr& output, int depth, std::set<std::string>& used);
    HResult ConnectVia(const PinPtr& output, const PinPtr& input, int depth,
                       std::set<std::string>& used);
    std::vector<const FilterInfo*> Candidates(const Pin& output) const;
    bool Accepts(const Pin& output, const Pin& input) const;
    void Log(const std::string& line);

    GstElement* pipeline_ = nullptr;
    GstElement* parking_ = nullptr;
    std::unique_ptr<QObject> bridge_;
    // Held while the graph reads a network medium: nothing local opens meanwhile.
    std::unique_ptr<NetworkMediumScope> networkMedium_;
    // Bus messages handed over by the streaming threads, in order.
    std::mutex busLock_;
    std::condition_variable busArrived_;
    std::deque<GstMessage*> busQueue_;
    bool busClosed_ = false;  // the graph is going: messages are dropped
    std::vector<FilterPtr> filters_;
    GraphEvents events_;
    GraphState state_ = GraphState::Stopped;
    bool realised_ = false;
    int bufferingPercent_ = -1;
    // The pipeline plays live (it did not preroll): never held for buffering.
    bool live_ = false;
    QTimer* stallTimer_ = nullptr;  // owned by bridge_
    std::vector<FilterPtr> stalledSources_;
    std::int64_t pendingNs_ = 0;  // where the pipeline starts when next realised
    std::int64_t stopNs_ = -1;
    std::int64_t lastPositionNs_ = 0;
    // Where the paused pipeline holds its picture, exactly, since it settled
    // there and has not run or stepped; -1 when that is not known. A seek to
    // there would only decode the same picture again.
    std::int64_t restingNs_ = -1;
    double rate_ = 1.0;
    // The program stream last measured, by its file name.
    struct {
        std::string path;
        std::int64_t ns = -1;
    } programStream_;
    // The level and balance last set, which an audio renderer takes on joining.
    int audioLevel_ = 0;
    int audioBalance_ = 0;
    std::string audioDevice_;
    bool clockSync_ = true;
    // Frames were stepped: only the video renderer moved, the others wait
    // where the graph paused.
    bool stepped_ = false;
    // The last wait for the pipeline ended before it settled (a damaged file
    // that never prerolls): later calls do not wait again until it has.
    bool stalled_ = false;
    int expiredWaits_ = 0;
    // A stream that ran far past the duration was ended.
    bool overrunEnded_ = false;
    Guid timeFormat_ = TIME_FORMAT_MEDIA_TIME;
    HResult lastError_ = S_OK;
    MediumTagBook tags_;
    // Hardware decoders that failed, to be replaced by software; errors that
    // follow from theirs (the demuxer's failed push) are no errors of the
    // medium.
    std::vector<FilterPtr> failedDecoders_;
    bool replacing_ = false;
    std::ofstream log_;
    std::function<void()> observer_;
    std::shared_ptr<const int> lifetime_ = std::make_shared<const int>(0);
};

}  // namespace quova::engine

#include "platform/engine/text_tracks.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/tag/tag.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <thread>
#include <utility>

#include "platform/engine/gst_init.h"
#include "platform/engine/stream_discovery.h"
#include "platform/engine/stream_memo.h"

namespace quova::engine {

namespace {

// A subtitle stream whose data stops more than this before the medium's end
// has been cut off (a demuxer keeps sparse streams within a few seconds of
// the others).
constexpr double kCutOffSeconds = 10.0;

// The demuxer for a file, from its first bytes: the three containers that
// carry subtitle streams the player reads.
const char* DemuxerFor(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    char head[12] = {};
    if (!in.read(head, sizeof head)) return nullptr;
    const auto bytes = reinterpret_cast<const unsigned char*>(head);
    if (bytes[0] == 0x1A && bytes[1] == 0x45 && bytes[2] == 0xDF && bytes[3] == 0xA3)
        return "matroskademux";
    const std::string_view start(head, sizeof head);
    if (start.substr(0, 4) == "OggS") return "oggdemux";
    for (const char* box : {"ftyp", "moov", "mdat", "free", "wide", "skip"})
        if (start.substr(4, 4) == box) return "qtdemux";
    return nullptr;
}

bool KindOfCaps(const GstCaps* caps, TextTrackKind& kind) {
    if (!caps || gst_caps_is_empty(caps) || gst_caps_is_any(caps)) return false;
    const std::string_view name = gst_structure_get_name(gst_caps_get_structure(caps, 0));
    if (name == "application/x-ssa" || name == "application/x-ass") {
        kind = TextTrackKind::Styled;
        return true;
    }
    if (name.starts_with("subpicture/")) {
        kind = TextTrackKind::Picture;
        return true;
    }
    if (name.starts_with("text/x-raw") || name == "application/x-subtitle" ||
        name == "application/x-subtitle-vtt") {
        kind = TextTrackKind::PlainText;
        return true;
    }
    return false;
}

// The caps a pad will give: set ones, else what its template promises.
GstCaps* PadCaps(GstPad* pad) {
    if (GstCaps* caps = gst_pad_get_current_caps(pad)) return caps;
    return gst_pad_query_caps(pad, nullptr);
}

bool IsTextPad(GstPad* pad, TextTrackKind* kindOut = nullptr) {
    GstCaps* caps = PadCaps(pad);
    TextTrackKind kind{};
    const bool text = KindOfCaps(caps, kind);
    if (caps) gst_caps_unref(caps);
    if (text && kindOut) *kindOut = kind;
    return text;
}

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// Waits on the bus for one of `types`, giving up when `stop` says so or the
// time runs out. Returns the message (to unref) or nullptr.
GstMessage* WaitFor(GstBus* bus, GstMessageType types, std::chrono::steady_clock::time_point until,
                    const std::function<bool()>& stop) {
    while (!stop()) {
        const auto left = until - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) return nullptr;
        const auto step = std::min<std::chrono::nanoseconds>(left, std::chrono::milliseconds(50));
        if (GstMessage* m = gst_bus_timed_pop_filtered(bus, step.count(), types)) return m;
    }
    return nullptr;
}

std::string ErrorTextOf(GstMessage* m) {
    GError* error = nullptr;
    gst_message_parse_error(m, &error, nullptr);
    std::string text = error && error->message ? error->message : "stream error";
    if (error) g_error_free(error);
    return text;
}

// --- Matroska's forced flag

// GStreamer 1.22's Matroska demuxer reads a track's forced flag but passes it
// on neither as a stream flag nor as a tag; it is read from the file's track
// headers here.
class EbmlReader {
  public:
    explicit EbmlReader(std::ifstream& in) : in_(in) {}
    // An element's id (its length marker kept, as Matroska writes ids).
    bool Id(std::uint32_t& id) {
        int first = in_.get();
        if (first <= 0) return false;
        int length = 1;
        while (length <= 4 && !(first & (0x80 >> (length - 1)))) ++length;
        if (length > 4) return false;
        id = static_cast<std::uint32_t>(first);
        for (int k = 1; k < length; ++k) {
            const int next = in_.get();
            if (next < 0) return false;
            id = (id << 8) | static_cast<std::uint32_t>(next);
        }
        return true;
    }
    // An element's size; `unknown` where the writer left it open.
    bool Size(std::uint64_t& size, bool& unknown) {
        int first = in_.get();
        if (first <= 0) return false;
        int length = 1;
        while (length <= 8 && !(first & (0x80 >> (length - 1)))) ++length;
        if (length > 8) return false;
        std::uint64_t value = static_cast<std::uint64_t>(first) & (0xFFu >> length);
        bool allOnes = value == (0xFFu >> length);
        for (int k = 1; k < length; ++k) {
            const int next = in_.get();
            if (next < 0) return false;
            value = (value << 8) | static_cast<std::uint64_t>(next);
            allOnes = allOnes && next == 0xFF;
        }
        unknown = allOnes;
        size = value;
        return true;
    }
    std::uint64_t Unsigned(std::uint64_t size) {
        std::uint64_t value = 0;
        for (std::uint64_t k = 0; k < size && k < 8; ++k)
            value = (value << 8) | static_cast<std::uint64_t>(in_.get() & 0xFF);
        if (size > 8) Skip(size - 8);
        return value;
    }
    void Skip(std::uint64_t size) {
        in_.seekg(static_cast<std::streamoff>(std::min<std::uint64_t>(size, 1ull << 40)),
                  std::ios::cur);
    }
    std::uint64_t At() { return static_cast<std::uint64_t>(in_.tellg()); }
    bool Good() const { return in_.good(); }

  private:
    std::ifstream& in_;
};

// The forced flag of each subtitle track (TrackType 0x11) of a Matroska file,
// in the order of its track headers, which is the order of the demuxer's
// "subtitle_N" pads.
std::vector<bool> MatroskaForcedSubtitles(const std::filesystem::path& file) {
    constexpr std::uint32_t kEbml = 0x1A45DFA3, kSegment = 0x18538067, kTracks = 0x1654AE6B,
                            kTrackEntry = 0xAE, kTrackType = 0x83, kFlagForced = 0x55AA,
                            kCluster = 0x1F43B675;
    std::vector<bool> forced;
    std::ifstream in(file, std::ios::binary);
    EbmlReader r(in);
    std::uint32_t id = 0;
    std::uint64_t size = 0;
    bool unknown = false;
    if (!r.Id(id) || id != kEbml || !r.Size(size, unknown) || unknown) return {};
    r.Skip(size);
    if (!r.Id(id) || id != kSegment || !r.Size(size, unknown)) return {};
    // The track headers come before the first cluster; a file that puts them
    // elsewhere is read without the flag.
    for (int elements = 0; elements < 64 && r.Good(); ++elements) {
        if (!r.Id(id) || !r.Size(size, unknown) || unknown || id == kCluster) break;
        if (id != kTracks) {
            r.Skip(size);
            continue;
        }
        const std::uint64_t tracksEnd = r.At() + size;
        while (r.Good() && r.At() < tracksEnd) {
            if (!r.Id(id) || !r.Size(size, unknown) || unknown) return forced;
            if (id != kTrackEntry) {
                r.Skip(size);
                continue;
            }
            const std::uint64_t entryEnd = r.At() + size;
            std::uint64_t type = 0, isForced = 0;
            while (r.Good() && r.At() < entryEnd) {
                if (!r.Id(id) || !r.Size(size, unknown) || unknown) return forced;
                if (id == kTrackType)
                    type = r.Unsigned(size);
                else if (id == kFlagForced)
                    isForced = r.Unsigned(size);
                else
                    r.Skip(size);
            }
            if (type == 0x11) forced.push_back(isForced != 0);
        }
        break;
    }
    return forced;
}

// The most bytes of fonts taken from one file; fonts past it are left out.
constexpr size_t kMaxFontBytes = 128u << 20;

// The fonts among the attachments the demuxer sent down `pad` as tags, up
// to kMaxFontBytes.
std::vector<FontAttachment> FontsOf(GstPad* pad) {
    std::vector<FontAttachment> fonts;
    size_t taken = 0;
    for (guint k = 0;; ++k) {
        GstEvent* event = gst_pad_get_sticky_event(pad, GST_EVENT_TAG, k);
        if (!event) break;
        GstTagList* tags = nullptr;
        gst_event_parse_tag(event, &tags);
        const guint count = tags ? gst_tag_list_get_tag_size(tags, GST_TAG_ATTACHMENT) : 0;
        for (guint i = 0; i < count; ++i) {
            GstSample* sample = nullptr;
            if (!gst_tag_list_get_sample_index(tags, GST_TAG_ATTACHMENT, i, &sample)) continue;
            GstBuffer* buffer = gst_sample_get_buffer(sample);
            GstCaps* caps = gst_sample_get_caps(sample);
            const GstStructure* info = gst_sample_get_info(sample);
            const gchar* name = info ? gst_structure_get_string(info, "filename") : nullptr;
            const std::string lowerName = Lower(name ? name : "");
            const std::string type = caps && !gst_caps_is_empty(caps) && !gst_caps_is_any(caps)
                                         ? gst_structure_get_name(gst_caps_get_structure(caps, 0))
                                         : "";
            // Pictures and other files a film may carry are no business of libass.
            const bool font = type.find("font") != std::string::npos ||
                              type == "application/vnd.ms-opentype" ||
                              lowerName.ends_with(".ttf") || lowerName.ends_with(".otf") ||
                              lowerName.ends_with(".ttc");
            GstMapInfo map;
            const bool room = buffer && gst_buffer_get_size(buffer) <= kMaxFontBytes - taken;
            if (font && room && info && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
                taken += map.size;
                FontAttachment attachment;
                attachment.bytes.assign(reinterpret_cast<const char*>(map.data), map.size);
                gst_buffer_unmap(buffer, &map);
                gchar* capsText = caps ? gst_caps_to_string(caps) : nullptr;
                gchar* infoText = gst_structure_to_string(info);
                attachment.caps = capsText ? capsText : "";
                attachment.info = infoText ? infoText : "";
                g_free(capsText);
                g_free(infoText);
                fonts.push_back(std::move(attachment));
            }
            gst_sample_unref(sample);
        }
        gst_event_unref(event);
    }
    return fonts;
}

// The N of a Matroska demuxer's "subtitle_N" pad, or -1.
int SubtitlePadIndex(GstPad* pad) {
    gchar* name = gst_pad_get_name(pad);
    int index = -1;
    if (name && std::string_view(name).starts_with("subtitle_")) index = std::atoi(name + 9);
    g_free(name);
    return index;
}

// --- Listing

// What the listing's streaming threads and the listing share. The demuxer's
// signals and probes each own a reference, so it lives as long as the last
// of them may still run, whatever way the listing ends.
struct Listing {
    std::mutex lock;
    std::condition_variable changed;
    GstElement* pipeline = nullptr;
    struct Stream {
        GstPad* pad;
        bool data = false;
    };
    std::vector<Stream> streams;
    bool noMorePads = false;
};

using SharedListing = std::shared_ptr<Listing>;

Listing* ListingOf(gpointer data) {
    return static_cast<SharedListing*>(data)->get();
}

gpointer ShareListing(const SharedListing& l) {
    return new SharedListing(l);
}

void ReleaseListing(gpointer data, GClosure* = nullptr) {
    delete static_cast<SharedListing*>(data);
}

// Stops the listing's pipeline and lets its pads go on every way out of the
// listing: a pad's probe owns the listing, which owns the pad.
class ListingPipeline {
  public:
    explicit ListingPipeline(SharedListing l) : l_(std::move(l)) {}
    ~ListingPipeline() {
        gst_element_set_state(l_->pipeline, GST_STATE_NULL);
        std::vector<Listing::Stream> streams;
        {
            std::lock_guard guard(l_->lock);
            streams.swap(l_->streams);
        }
        for (auto& s : streams) gst_object_unref(s.pad);
        gst_object_unref(l_->pipeline);
    }
    ListingPipeline(const ListingPipeline&) = delete;
    ListingPipeline& operator=(const ListingPipeline&) = delete;

  private:
    SharedListing l_;
};

GstPadProbeReturn OnListedData(GstPad* pad, GstPadProbeInfo* info, gpointer data) {
    Listing* l = ListingOf(data);
    if (GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM) {
        const GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
        if (GST_EVENT_TYPE(event) != GST_EVENT_GAP && GST_EVENT_TYPE(event) != GST_EVENT_EOS)
            return GST_PAD_PROBE_OK;
    }
    std::lock_guard guard(l->lock);
    for (auto& s : l->streams)
        if (s.pad == pad) s.data = true;
    l->changed.notify_all();
    return GST_PAD_PROBE_OK;
}

void OnListedPad(GstElement*, GstPad* pad, gpointer data) {
    Listing* l = ListingOf(data);
    if (!IsTextPad(pad)) return;
    {
        // As many as a graph takes streams; the graph tells of the others.
        std::lock_guard guard(l->lock);
        if (l->streams.size() >= kMaxStreams) return;
    }
    DrainIntoFakeSink(l->pipeline, pad);
    gst_pad_add_probe(pad,
                      static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BUFFER |
                                                   GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
                      OnListedData, ShareListing(*static_cast<SharedListing*>(data)),
                      [](gpointer d) { ReleaseListing(d); });
    std::lock_guard guard(l->lock);
    l->streams.push_back({GST_PAD(gst_object_ref(pad))});
    l->changed.notify_all();
}

void OnListedNoMorePads(GstElement*, gpointer data) {
    Listing* l = ListingOf(data);
    std::lock_guard guard(l->lock);
    l->noMorePads = true;
    l->changed.notify_all();
}

// `fonts` are the file's, read from the first styled stream's pad and shared
// by every styled stream: a file's attachments are the same on every pad.
TextTrackInfo DescribePad(
    GstPad* pad, int number, const std::vector<bool>& forced,
    std::optional<std::shared_ptr<const std::vector<FontAttachment>>>& fonts) {
    TextTrackInfo info;
    info.number = number;
    if (const int index = SubtitlePadIndex(pad);
        index >= 0 && static_cast<size_t>(index) < forced.size())
        info.isForced = forced[static_cast<size_t>(index)];
    GstCaps* caps = PadCaps(pad);
    if (caps) {
        KindOfCaps(caps, info.kind);
        gchar* text = gst_caps_to_string(caps);
        info.caps = text;
        g_free(text);
        gst_caps_unref(caps);
    }
    if (info.kind == TextTrackKind::Styled) {
        if (!fonts) {
            auto read = FontsOf(pad);
            fonts.emplace(read.empty() ? nullptr
                                       : std::make_shared<const std::vector<FontAttachment>>(
                                             std::move(read)));
        }
        info.fonts = *fonts;
    }
    if (GstEvent* start = gst_pad_get_sticky_event(pad, GST_EVENT_STREAM_START, 0)) {
        GstStreamFlags flags = GST_STREAM_FLAG_NONE;
        gst_event_parse_stream_flags(start, &flags);
        info.isDefault = (flags & GST_STREAM_FLAG_SELECT) != 0;
        gst_event_unref(start);
    }
    for (guint k = 0;; ++k) {
        GstEvent* event = gst_pad_get_sticky_event(pad, GST_EVENT_TAG, k);
        if (!event) break;
        GstTagList* tags = nullptr;
        gst_event_parse_tag(event, &tags);
        if (tags && gst_tag_list_get_scope(tags) == GST_TAG_SCOPE_STREAM) {
            gchar* value = nullptr;
            if (info.language.empty() &&
                gst_tag_list_get_string(tags, GST_TAG_LANGUAGE_CODE, &value) && value) {
                const gchar* two = gst_tag_get_language_code_iso_639_1(value);
                info.language = Lower(two ? two : value);
            }
            g_free(value);
            value = nullptr;
            if (info.title.empty() && gst_tag_list_get_string(tags, GST_TAG_TITLE, &value) && value)
                info.title = value;
            g_free(value);
        }
        gst_event_unref(event);
    }
    return info;
}

}  // namespace

std::vector<TextTrackInfo> ListTextTracks(const std::filesystem::path& file, int timeoutMs) {
    const char* demuxName = DemuxerFor(file);
    if (!demuxName) return {};
    EnsureGstInitialized();
    // Where the graph's splitter found no subtitle stream in the file, there
    // is none to list: the file is not read a third time on the way to its
    // first picture.
    if (auto known = RecallFileStreams(file.string())) {
        bool any = false;
        for (const DiscoveredStream& stream : *known) {
            GstCaps* caps = gst_caps_from_string(stream.caps.c_str());
            TextTrackKind kind{};
            any = any || KindOfCaps(caps, kind);
            if (caps) gst_caps_unref(caps);
        }
        if (!any) return {};
    }
    const auto shared = std::make_shared<Listing>();
    Listing& l = *shared;
    l.pipeline = gst_pipeline_new("text-track-listing");
    const ListingPipeline running(shared);
    GstElement* source = gst_element_factory_make("filesrc", nullptr);
    GstElement* demux = gst_element_factory_make(demuxName, nullptr);
    if (!source || !demux) {
        if (source) gst_object_unref(source);
        if (demux) gst_object_unref(demux);
        return {};
    }
    g_object_set(source, "location", file.c_str(), nullptr);
    gst_bin_add_many(GST_BIN(l.pipeline), source, demux, nullptr);
    gst_element_link(source, demux);
    g_signal_connect_data(demux, "pad-added", G_CALLBACK(OnListedPad), ShareListing(shared),
                          ReleaseListing, GConnectFlags(0));
    g_signal_connect_data(demux, "no-more-pads", G_CALLBACK(OnListedNoMorePads),
                          ShareListing(shared), ReleaseListing, GConnectFlags(0));
    GstBus* bus = gst_element_get_bus(l.pipeline);
    gst_element_set_state(l.pipeline, GST_STATE_PLAYING);

    // Done once every subtitle stream has shown its first data (its tags
    // come before it), or the demuxer has stopped.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        {
            std::unique_lock guard(l.lock);
            bool all = l.noMorePads;
            for (const auto& s : l.streams) all = all && s.data;
            if (all) break;
        }
        if (GstMessage* m = gst_bus_timed_pop_filtered(
                bus, 20 * GST_MSECOND,
                static_cast<GstMessageType>(GST_MESSAGE_ERROR | GST_MESSAGE_EOS))) {
            gst_message_unref(m);
            break;
        }
        if (std::chrono::steady_clock::now() >= until) break;
    }
    gst_object_unref(bus);
    std::vector<TextTrackInfo> tracks;
    // A file the memory there is cannot describe lists nothing; the film
    // plays without its subtitle streams.
    try {
        const std::vector<bool> forced = std::string_view(demuxName) == "matroskademux"
                                             ? MatroskaForcedSubtitles(file)
                                             : std::vector<bool>{};
        std::optional<std::shared_ptr<const std::vector<FontAttachment>>> fonts;
        std::lock_guard guard(l.lock);
        for (size_t k = 0; k < l.streams.size(); ++k)
            tracks.push_back(DescribePad(l.streams[k].pad, static_cast<int>(k), forced, fonts));
    } catch (const std::bad_alloc&) {
        tracks.clear();
    }
    return tracks;
}

std::string TrackCodecData(const std::string& caps) {
    EnsureGstInitialized();
    GstCaps* parsed = gst_caps_from_string(caps.c_str());
    if (!parsed) return {};
    std::string bytes;
    if (!gst_caps_is_empty(parsed) && !gst_caps_is_any(parsed)) {
        const GValue* value =
            gst_structure_get_value(gst_caps_get_structure(parsed, 0), "codec_data");
        if (value && G_VALUE_HOLDS(value, GST_TYPE_BUFFER))
            if (GstBuffer* buffer = gst_value_get_buffer(value)) {
                GstMapInfo map;
                if (gst_buffer_map(buffer, &map, GST_MAP_READ)) {
                    bytes.assign(reinterpret_cast<const char*>(map.data), map.size);
                    gst_buffer_unmap(buffer, &map);
                }
            }
    }
    gst_caps_unref(parsed);
    return bytes;
}

// --- Reading

struct TextTrackReader::State {
    std::mutex lock;
    std::vector<TextCue> cues;
    std::function<void()> cuesReady;
    std::atomic<bool> cancel{false};
    std::atomic<bool> finished{false};
    std::string error;
    GstElement* pipeline = nullptr;
    std::filesystem::path file;
    int number = 0;
    double from = 0;
    // The text pads seen so far, to find the number-th one.
    int textPads = 0;
    // Set before the chosen pad is linked, read by its streaming thread after.
    TextTrackKind kind = TextTrackKind::PlainText;
    bool linked = false;
    // Cues of the second pass from here on were read by the first.
    double firstPassStart = -1;
    bool secondPass = false;
    // How far the stream's data (cues and gaps) reached in the first pass.
    double reached = -1;

    void Notify() {
        std::lock_guard guard(lock);
        if (!cancel && cuesReady) cuesReady();
    }
    void Run();
};

namespace {

GstFlowReturn OnCue(GstAppSink* sink, gpointer data) {
    auto* s = static_cast<TextTrackReader::State*>(data);
    GstSample* sample = gst_app_sink_pull_sample(sink);
    if (!sample) return GST_FLOW_EOS;
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    const GstSegment* segment = gst_sample_get_segment(sample);
    if (buffer && GST_BUFFER_PTS_IS_VALID(buffer)) {
        GstClockTime pts = GST_BUFFER_PTS(buffer);
        GstClockTime start =
            segment ? gst_segment_to_stream_time(segment, GST_FORMAT_TIME, pts) : pts;
        if (!GST_CLOCK_TIME_IS_VALID(start)) start = pts;
        TextCue cue;
        cue.start = static_cast<double>(start) / GST_SECOND;
        if (GST_BUFFER_DURATION_IS_VALID(buffer))
            cue.end = cue.start + static_cast<double>(GST_BUFFER_DURATION(buffer)) / GST_SECOND;
        GstMapInfo map;
        if (gst_buffer_map(buffer, &map, GST_MAP_READ)) {
            cue.text.assign(reinterpret_cast<const char*>(map.data), map.size);
            gst_buffer_unmap(buffer, &map);
        }
        // A NUL ends a text stream's string; some muxers pad with it. A
        // picture unit's bytes are kept whole.
        if (const auto nul = cue.text.find('\0');
            s->kind != TextTrackKind::Picture && nul != std::string::npos)
            cue.text.resize(nul);
        bool keep = true;
        bool wasEmpty = false;
        {
            std::lock_guard guard(s->lock);
            if (!s->secondPass) {
                if (s->firstPassStart < 0 || cue.start < s->firstPassStart)
                    s->firstPassStart = cue.start;
            } else if (s->firstPassStart >= 0 && cue.start >= s->firstPassStart) {
                keep = false;
            }
            if (keep) {
                wasEmpty = s->cues.empty();
                s->cues.push_back(std::move(cue));
            }
        }
        if (keep && wasEmpty) s->Notify();
    }
    gst_sample_unref(sample);
    return s->cancel ? GST_FLOW_FLUSHING : GST_FLOW_OK;
}

// Notes how far the stream has come: a demuxer keeps a sparse stream up
// with the others by gaps, so a stream that stops long before the end has
// lost its data.
GstPadProbeReturn OnReaderData(GstPad*, GstPadProbeInfo* info, gpointer data) {
    auto* s = static_cast<TextTrackReader::State*>(data);
    GstClockTime time = GST_CLOCK_TIME_NONE, duration = 0;
    if (GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_BUFFER) {
        GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
        time = GST_BUFFER_PTS(buffer);
        if (GST_BUFFER_DURATION_IS_VALID(buffer)) duration = GST_BUFFER_DURATION(buffer);
    } else if (GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
               event && GST_EVENT_TYPE(event) == GST_EVENT_GAP) {
        gst_event_parse_gap(event, &time, &duration);
        if (!GST_CLOCK_TIME_IS_VALID(duration)) duration = 0;
    }
    if (GST_CLOCK_TIME_IS_VALID(time)) {
        const double end = static_cast<double>(time + duration) / GST_SECOND;
        std::lock_guard guard(s->lock);
        if (!s->secondPass && end > s->reached) s->reached = end;
    }
    return GST_PAD_PROBE_OK;
}

void OnReaderPad(GstElement*, GstPad* pad, gpointer data) {
    auto* s = static_cast<TextTrackReader::State*>(data);
    TextTrackKind kind{};
    if (!IsTextPad(pad, &kind)) return;
    const int number = s->textPads++;
    if (number != s->number || s->linked) return;
    s->kind = kind;
    GstElement* sink = gst_element_factory_make("appsink", nullptr);
    g_object_set(sink, "sync", FALSE, "emit-signals", FALSE, nullptr);
    GstAppSinkCallbacks callbacks{};
    callbacks.new_sample = OnCue;
    gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, s, nullptr);
    gst_bin_add(GST_BIN(s->pipeline), sink);
    GstPad* sinkPad = gst_element_get_static_pad(sink, "sink");
    if (gst_pad_link(pad, sinkPad) == GST_PAD_LINK_OK) s->linked = true;
    gst_pad_add_probe(pad,
                      static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BUFFER |
                                                   GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
                      OnReaderData, s, nullptr);
    gst_object_unref(sinkPad);
    gst_element_sync_state_with_parent(sink);
}

}  // namespace

void TextTrackReader::State::Run() {
    const char* demuxName = DemuxerFor(file);
    GstElement* source = gst_element_factory_make("filesrc", nullptr);
    GstElement* demux = demuxName ? gst_element_factory_make(demuxName, nullptr) : nullptr;
    if (!source || !demux) {
        if (source) gst_object_unref(source);
        if (demux) gst_object_unref(demux);
        {
            std::lock_guard guard(lock);
            error = "not a Matroska, MP4 or Ogg file";
        }
        finished = true;
        Notify();
        return;
    }
    {
        std::lock_guard guard(lock);
        pipeline = gst_pipeline_new("text-track-reader");
    }
    g_object_set(source, "location", file.c_str(), nullptr);
    gst_bin_add_many(GST_BIN(pipeline), source, demux, nullptr);
    gst_element_link(source, demux);
    g_signal_connect(demux, "pad-added", G_CALLBACK(OnReaderPad), this);
    GstBus* bus = gst_element_get_bus(pipeline);
    const auto stop = [this] { return cancel.load(); };
    const auto types =
        static_cast<GstMessageType>(GST_MESSAGE_ERROR | GST_MESSAGE_EOS | GST_MESSAGE_ASYNC_DONE);
    std::string failure;
    // Waits for `want`; an error or a stall ends reading.
    const auto await = [&](GstMessageType want, int seconds) {
        for (;;) {
            GstMessage* m = WaitFor(
                bus, types, std::chrono::steady_clock::now() + std::chrono::seconds(seconds), stop);
            if (!m) {
                if (!cancel && failure.empty()) failure = "the subtitle stream does not advance";
                return false;
            }
            const GstMessageType type = GST_MESSAGE_TYPE(m);
            if (type == GST_MESSAGE_ERROR) failure = ErrorTextOf(m);
            gst_message_unref(m);
            if (type == GST_MESSAGE_ERROR) return false;
            if (type == want) return true;
            // An end of stream while waiting for the preroll: nothing to read.
            if (type == GST_MESSAGE_EOS) return want == GST_MESSAGE_ASYNC_DONE;
        }
    };

    bool ok = gst_element_set_state(pipeline, GST_STATE_PAUSED) != GST_STATE_CHANGE_FAILURE &&
              await(GST_MESSAGE_ASYNC_DONE, 10);
    if (ok && !linked) {
        failure = "no such subtitle stream";
        ok = false;
    }
    const double start = from > 0 ? from : 0;
    if (ok && start > 0) {
        ok = gst_element_seek_simple(
                 pipeline, GST_FORMAT_TIME,
                 static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_KEY_UNIT),
                 static_cast<gint64>(start * GST_SECOND)) &&
             await(GST_MESSAGE_ASYNC_DONE, 10);
    }
    // A long file is read in one go; the pass must not end only because a
    // stretch without subtitles takes a while to cross.
    if (ok)
        ok = gst_element_set_state(pipeline, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE &&
             await(GST_MESSAGE_EOS, 600);
    if (ok) {
        // A stream that ends far before the medium does was cut off.
        gint64 length = 0;
        double reachedNow = 0;
        {
            std::lock_guard guard(lock);
            reachedNow = reached;
        }
        if (gst_element_query_duration(pipeline, GST_FORMAT_TIME, &length) && length > 0) {
            const double seconds = static_cast<double>(length) / GST_SECOND;
            if (reachedNow < seconds - kCutOffSeconds) {
                char text[96];
                std::snprintf(text, sizeof text, "the stream ends at %.0f s of %.0f s",
                              reachedNow < 0 ? 0.0 : reachedNow, seconds);
                failure = text;
            }
        }
    }
    if (ok && start > 0) {
        {
            std::lock_guard guard(lock);
            secondPass = true;
        }
        gst_element_set_state(pipeline, GST_STATE_PAUSED);
        ok =
            gst_element_seek(pipeline, 1.0, GST_FORMAT_TIME, GST_SEEK_FLAG_FLUSH, GST_SEEK_TYPE_SET,
                             0, GST_SEEK_TYPE_SET, static_cast<gint64>(start * GST_SECOND)) &&
            await(GST_MESSAGE_ASYNC_DONE, 10) &&
            gst_element_set_state(pipeline, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE &&
            await(GST_MESSAGE_EOS, 600);
    }
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(bus);
    {
        std::lock_guard guard(lock);
        if (!cancel) error = failure;
        gst_object_unref(pipeline);
        pipeline = nullptr;
    }
    finished = true;
    Notify();
}

namespace {

// Reader threads still running. Never destroyed: a thread may outlive the
// wait at the process's end.
struct ReaderThreads {
    std::mutex lock;
    std::condition_variable ended;
    int running = 0;
};

ReaderThreads& Threads() {
    static auto* threads = new ReaderThreads;
    return *threads;
}

// The process's end waits a while for readers that were stopped: GStreamer
// torn down under a running pipeline aborts the process. One stuck on a file
// that does not answer is left after that.
struct AwaitReadersAtExit {
    ~AwaitReadersAtExit() {
        ReaderThreads& t = Threads();
        std::unique_lock guard(t.lock);
        t.ended.wait_for(guard, std::chrono::seconds(3), [&t] { return t.running == 0; });
    }
};

}  // namespace

TextTrackReader::TextTrackReader(const std::filesystem::path& file, int number, double fromSeconds,
                                 std::function<void()> cuesReady)
    : state_(std::make_shared<State>()) {
    EnsureGstInitialized();
    state_->file = file;
    state_->number = number;
    state_->from = fromSeconds;
    state_->cuesReady = std::move(cuesReady);
    // The thread keeps the state alive: stopping never waits for it, as it
    // may hang on a file that does not answer (a stalled network share).
    static AwaitReadersAtExit awaitAtExit;
    ReaderThreads& threads = Threads();
    {
        std::lock_guard guard(threads.lock);
        ++threads.running;
    }
    std::thread([s = state_, &threads] {
        s->Run();
        std::lock_guard guard(threads.lock);
        --threads.running;
        threads.ended.notify_all();
    }).detach();
}

TextTrackReader::~TextTrackReader() {
    state_->cancel = true;
    {
        // No call back once the owner is going; the reader sees the flag
        // within one wait on its bus and ends by itself.
        std::lock_guard guard(state_->lock);
        state_->cuesReady = nullptr;
    }
}

std::vector<TextCue> TextTrackReader::TakeCues() {
    std::lock_guard guard(state_->lock);
    return std::exchange(state_->cues, {});
}

bool TextTrackReader::Finished() const {
    return state_->finished;
}

bool TextTrackReader::CuesWaiting() const {
    std::lock_guard guard(state_->lock);
    return !state_->cues.empty();
}

std::string TextTrackReader::Error() const {
    std::lock_guard guard(state_->lock);
    return state_->error;
}

}  // namespace quova::engine

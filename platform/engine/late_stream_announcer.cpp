#include "platform/engine/late_stream_announcer.h"

#include <gst/gst.h>

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "platform/engine/ps_headers.h"

namespace quova::engine {

namespace {

constexpr std::uint8_t kFirstMpegAudio = 0xc0;
constexpr int kMpegAudioStreams = 8;  // what the stream list event can name
constexpr std::uint8_t kVideo = 0xe0;
constexpr GstClockTime kWait = GST_SECOND;  // well before the demuxer's two seconds

struct Announcer {
    std::mutex lock;
    std::vector<std::uint8_t> audio;  // MPEG audio ids to make sure of
    GstClockTime first = GST_CLOCK_TIME_NONE;
    bool done = true;
};

// The MPEG audio ids of `ids` when every stream they announce can be named
// in the stream list event (MPEG audio 0 to 7 and the video stream 0xe0 it
// always adds); nothing otherwise.
std::vector<std::uint8_t> NameableAudio(const std::vector<std::uint8_t>& ids) {
    std::vector<std::uint8_t> audio;
    for (std::uint8_t id : ids) {
        if (id == 0xbe || id == 0xbf || id == 0xbc) continue;  // padding, navigation, map
        if (id >= kFirstMpegAudio && id < kFirstMpegAudio + kMpegAudioStreams)
            audio.push_back(id);
        else if (id != kVideo)
            return {};
    }
    return audio;
}

std::string AudioPadName(std::uint8_t id) {
    char name[16];
    std::snprintf(name, sizeof name, "audio_%02x", id);
    return name;
}

// The file's start passes: its headers say what to wait for.
GstPadProbeReturn OnInput(GstPad*, GstPadProbeInfo* info, gpointer data) {
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    if (!buffer) return GST_PAD_PROBE_OK;
    // Pulled data carries its place in the request, pushed data in the buffer.
    const guint64 at =
        (info->type & GST_PAD_PROBE_TYPE_PULL) ? info->offset : GST_BUFFER_OFFSET(buffer);
    if (at != 0) return GST_PAD_PROBE_OK;
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READ)) return GST_PAD_PROBE_OK;
    auto audio = NameableAudio(AnnouncedProgramStreams(map.data, map.size));
    gst_buffer_unmap(buffer, &map);
    auto* a = static_cast<Announcer*>(data);
    std::lock_guard guard(a->lock);
    a->audio = std::move(audio);
    a->first = GST_CLOCK_TIME_NONE;
    a->done = a->audio.empty();
    return GST_PAD_PROBE_OK;
}

void SendStreamList(GstElement* demux, const std::vector<std::uint8_t>& audio) {
    GstStructure* list = gst_structure_new("application/x-gst-dvd", "event", G_TYPE_STRING,
                                           "dvd-lang-codes", nullptr);
    for (size_t i = 0; i < audio.size(); ++i) {
        const std::string n = std::to_string(i);
        gst_structure_set(list, ("audio-" + n + "-format").c_str(), G_TYPE_INT, 2,  // MPEG
                          ("audio-" + n + "-stream").c_str(), G_TYPE_INT,
                          audio[i] - kFirstMpegAudio, nullptr);
    }
    // The demuxer's streaming thread is the caller; it holds the input's
    // stream lock already.
    GstPad* sink = gst_element_get_static_pad(demux, "sink");
    gst_pad_send_event(sink, gst_event_new_custom(GST_EVENT_CUSTOM_DOWNSTREAM, list));
    gst_object_unref(sink);
}

// Streaming thread: data leaves the demuxer.
GstPadProbeReturn OnOutput(GstPad* pad, GstPadProbeInfo* info, gpointer data) {
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    const GstClockTime t = buffer ? GST_BUFFER_PTS(buffer) : GST_CLOCK_TIME_NONE;
    if (!GST_CLOCK_TIME_IS_VALID(t)) return GST_PAD_PROBE_OK;
    auto* a = static_cast<Announcer*>(data);
    std::vector<std::uint8_t> audio;
    {
        std::lock_guard guard(a->lock);
        if (a->done) return GST_PAD_PROBE_OK;
        if (!GST_CLOCK_TIME_IS_VALID(a->first) || t < a->first) a->first = t;
        if (t < a->first + kWait) return GST_PAD_PROBE_OK;
        a->done = true;
        audio = a->audio;
    }
    GstElement* demux = gst_pad_get_parent_element(pad);
    if (!demux) return GST_PAD_PROBE_OK;
    bool missing = false;
    for (std::uint8_t id : audio) {
        GstPad* have = gst_element_get_static_pad(demux, AudioPadName(id).c_str());
        missing = missing || !have;
        if (have) gst_object_unref(have);
    }
    if (missing) SendStreamList(demux, audio);
    gst_object_unref(demux);
    return GST_PAD_PROBE_OK;
}

void OnPad(GstElement*, GstPad* pad, gpointer data) {
    if (GST_PAD_DIRECTION(pad) == GST_PAD_SRC)
        gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, OnOutput, data, nullptr);
}

}  // namespace

void AnnounceLateStreams(GstElement* demux) {
    GstElementFactory* factory = demux ? gst_element_get_factory(demux) : nullptr;
    if (!factory || std::string(GST_OBJECT_NAME(factory)) != "mpegpsdemux") return;
    auto* a = new Announcer;
    g_object_set_data_full(G_OBJECT(demux), "quova-late-streams", a,
                           [](gpointer p) { delete static_cast<Announcer*>(p); });
    GstPad* sink = gst_element_get_static_pad(demux, "sink");
    gst_pad_add_probe(sink, GST_PAD_PROBE_TYPE_BUFFER, OnInput, a, nullptr);
    gst_object_unref(sink);
    g_signal_connect(demux, "pad-added", G_CALLBACK(OnPad), a);
}

}  // namespace quova::engine

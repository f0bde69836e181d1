#include "platform/engine/ogm_video_packer.h"

#include <gst/gst.h>

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace quova::engine {

namespace {

constexpr const char* kCarriable =
    "image/jpeg; video/x-h264, stream-format=(string)byte-stream; "
    "video/mpeg, mpegversion=(int){1, 2, 4}, systemstream=(boolean)false; video/x-divx; "
    "video/x-xvid; video/x-msmpeg, msmpegversion=(int)43; video/x-h263";

// The OGM stream header after its packet type: stream type (8), subtype (4),
// size (4), time unit (8), samples per unit (8), default length (4), buffer
// size (4), bits per sample (2), padding (2), width (4), height (4), padding (4).
constexpr size_t kStreamHeaderSize = 56;
constexpr std::uint8_t kHeaderPacket = 0x01;
constexpr std::uint8_t kCommentPacket = 0x03;
constexpr std::uint8_t kKeyFrame = 0x08;

void PutLe(std::vector<std::uint8_t>& out, size_t at, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

GstBuffer* HeaderBuffer(const std::vector<std::uint8_t>& bytes) {
    GstBuffer* b = gst_buffer_new_memdup(bytes.data(), bytes.size());
    GST_BUFFER_FLAG_SET(b, GST_BUFFER_FLAG_HEADER);
    return b;
}

struct Packer {
    GstElement parent;
    GstPad* sink;
    GstPad* src;
    std::int64_t frame;
    GstClockTime frameDuration;
    GstClockTime lastTime;  // of the last frame sent
    GstBuffer* codecData;   // sent ahead of the first frame (MPEG-4 configuration)
};

struct PackerClass {
    GstElementClass parent_class;
};

GType PackerType();

Packer* Self(GstObject* parent) {
    return reinterpret_cast<Packer*>(parent);
}

GstCaps* OgmCaps(const GstStructure* s, Packer* self) {
    const std::string code = OgmVideoFourCC(s);
    if (code.size() != 4) return nullptr;
    int width = 0, height = 0, num = 0, den = 0;
    gst_structure_get_int(s, "width", &width);
    gst_structure_get_int(s, "height", &height);
    if (!gst_structure_get_fraction(s, "framerate", &num, &den) || num <= 0 || den <= 0) {
        num = 25;  // Video for Windows' usual default where a stream names none
        den = 1;
    }
    self->frameDuration = gst_util_uint64_scale_int(GST_SECOND, den, num);

    std::vector<std::uint8_t> header(1 + kStreamHeaderSize, 0);
    header[0] = kHeaderPacket;
    std::memcpy(&header[1], "video", 5);
    std::memcpy(&header[9], code.data(), 4);
    PutLe(header, 13, kStreamHeaderSize, 4);
    PutLe(header, 17, gst_util_uint64_scale_int(10'000'000, den, num), 8);  // 100 ns per frame
    PutLe(header, 25, 1, 8);                                                // samples per unit
    PutLe(header, 33, 1, 4);                                                // default length
    PutLe(header, 37, static_cast<std::uint64_t>(std::max(width * height * 3, 1 << 16)), 4);
    PutLe(header, 41, 24, 2);
    PutLe(header, 45, static_cast<std::uint32_t>(width), 4);
    PutLe(header, 49, static_cast<std::uint32_t>(height), 4);

    constexpr std::string_view vendor = "Quova";
    std::vector<std::uint8_t> comment(1 + 6 + 4 + vendor.size() + 4 + 1, 0);
    comment[0] = kCommentPacket;
    std::memcpy(&comment[1], "vorbis", 6);
    PutLe(comment, 7, vendor.size(), 4);
    std::memcpy(&comment[11], vendor.data(), vendor.size());
    comment.back() = 1;  // framing bit; the comment count before it is 0

    GValue list = G_VALUE_INIT;
    g_value_init(&list, GST_TYPE_ARRAY);
    for (const auto* packet : {&header, &comment}) {
        GValue item = G_VALUE_INIT;
        g_value_init(&item, GST_TYPE_BUFFER);
        g_value_take_boxed(&item, HeaderBuffer(*packet));
        gst_value_array_append_and_take_value(&list, &item);
    }
    GstCaps* caps = gst_caps_new_empty_simple("application/x-ogm-video");
    gst_structure_take_value(gst_caps_get_structure(caps, 0), "streamheader", &list);

    if (self->codecData) gst_buffer_unref(self->codecData);
    self->codecData = nullptr;
    if (std::string_view(gst_structure_get_name(s)) == "video/mpeg") {
        if (const GValue* v = gst_structure_get_value(s, "codec_data"))
            if (G_VALUE_HOLDS(v, GST_TYPE_BUFFER))
                self->codecData = gst_buffer_ref(gst_value_get_buffer(v));
    }
    return caps;
}

// Ogg's multiplexer keeps one packet of each stream in hand, and drops the one
// it holds for a stream that ends while another stream still has earlier
// data: the last frame of a video that ends before its sound. An empty packet
// (OGM's "no new frame") behind the last frame takes that place.
void PushTrailer(Packer* self) {
    if (self->frame == 0 || !GST_CLOCK_TIME_IS_VALID(self->lastTime)) return;
    GstBuffer* trailer = gst_buffer_new_allocate(nullptr, 1, nullptr);
    gst_buffer_memset(trailer, 0, 0, 1);
    GST_BUFFER_PTS(trailer) = self->lastTime + self->frameDuration;
    GST_BUFFER_DURATION(trailer) = self->frameDuration;
    GST_BUFFER_FLAG_SET(trailer, GST_BUFFER_FLAG_DELTA_UNIT);
    gst_pad_push(self->src, trailer);
}

gboolean SinkEvent(GstPad* pad, GstObject* parent, GstEvent* event) {
    Packer* self = Self(parent);
    if (GST_EVENT_TYPE(event) == GST_EVENT_EOS) PushTrailer(self);
    if (GST_EVENT_TYPE(event) == GST_EVENT_FLUSH_STOP) self->lastTime = GST_CLOCK_TIME_NONE;
    if (GST_EVENT_TYPE(event) != GST_EVENT_CAPS) return gst_pad_event_default(pad, parent, event);
    GstCaps* in = nullptr;
    gst_event_parse_caps(event, &in);
    GstCaps* out = OgmCaps(gst_caps_get_structure(in, 0), self);
    gst_event_unref(event);
    if (!out) return FALSE;
    const gboolean ok = gst_pad_push_event(self->src, gst_event_new_caps(out));
    gst_caps_unref(out);
    return ok;
}

gboolean SinkQuery(GstPad* pad, GstObject* parent, GstQuery* query) {
    switch (GST_QUERY_TYPE(query)) {
        case GST_QUERY_CAPS: {
            GstCaps* filter = nullptr;
            gst_query_parse_caps(query, &filter);
            GstCaps* templ = gst_pad_get_pad_template_caps(pad);
            GstCaps* result = filter
                                  ? gst_caps_intersect_full(filter, templ, GST_CAPS_INTERSECT_FIRST)
                                  : gst_caps_ref(templ);
            gst_caps_unref(templ);
            gst_query_set_caps_result(query, result);
            gst_caps_unref(result);
            return TRUE;
        }
        case GST_QUERY_ACCEPT_CAPS: {
            GstCaps* caps = nullptr;
            gst_query_parse_accept_caps(query, &caps);
            const bool ok = gst_caps_is_fixed(caps) &&
                            OgmVideoFourCC(gst_caps_get_structure(caps, 0)).size() == 4;
            gst_query_set_accept_caps_result(query, ok);
            return TRUE;
        }
        default:
            return gst_pad_query_default(pad, parent, query);
    }
}

GstFlowReturn Chain(GstPad*, GstObject* parent, GstBuffer* frame) {
    Packer* self = Self(parent);
    GstMapInfo map;
    if (!gst_buffer_map(frame, &map, GST_MAP_READ)) {
        gst_buffer_unref(frame);
        return GST_FLOW_ERROR;
    }
    GstMapInfo extra{};
    const bool withConfig = self->codecData && self->frame == 0 &&
                            gst_buffer_map(self->codecData, &extra, GST_MAP_READ);
    const size_t size = 1 + (withConfig ? extra.size : 0) + map.size;
    GstBuffer* packet = gst_buffer_new_allocate(nullptr, size, nullptr);
    GstMapInfo out;
    gst_buffer_map(packet, &out, GST_MAP_WRITE);
    out.data[0] = GST_BUFFER_FLAG_IS_SET(frame, GST_BUFFER_FLAG_DELTA_UNIT) ? 0 : kKeyFrame;
    size_t at = 1;
    if (withConfig) {
        std::memcpy(out.data + at, extra.data, extra.size);
        at += extra.size;
        gst_buffer_unmap(self->codecData, &extra);
    }
    std::memcpy(out.data + at, map.data, map.size);
    gst_buffer_unmap(packet, &out);
    gst_buffer_unmap(frame, &map);
    // OGM keeps frames in decoding order, one granule each.
    const GstClockTime dts = GST_BUFFER_DTS(frame);
    GST_BUFFER_PTS(packet) = GST_CLOCK_TIME_IS_VALID(dts) ? dts : GST_BUFFER_PTS(frame);
    self->lastTime = GST_BUFFER_PTS(packet);
    GST_BUFFER_DURATION(packet) =
        GST_BUFFER_DURATION_IS_VALID(frame) ? GST_BUFFER_DURATION(frame) : self->frameDuration;
    if (GST_BUFFER_FLAG_IS_SET(frame, GST_BUFFER_FLAG_DELTA_UNIT))
        GST_BUFFER_FLAG_SET(packet, GST_BUFFER_FLAG_DELTA_UNIT);
    // The multiplexer takes the end of a packet in granules; its granule
    // position is then the frame's own number.
    GST_BUFFER_OFFSET(packet) = static_cast<guint64>(self->frame);
    GST_BUFFER_OFFSET_END(packet) = static_cast<guint64>(self->frame + 1);
    ++self->frame;
    gst_buffer_unref(frame);
    return gst_pad_push(self->src, packet);
}

GstStateChangeReturn ChangeState(GstElement* element, GstStateChange transition);

// The element class: GObject keeps it while this type exists.
GstElementClass* ParentClass() {
    return GST_ELEMENT_CLASS(g_type_class_peek_parent(g_type_class_peek(PackerType())));
}

void ClassInit(gpointer klass, gpointer) {
    auto* element = GST_ELEMENT_CLASS(klass);
    gst_element_class_add_pad_template(element,
                                       gst_pad_template_new("sink", GST_PAD_SINK, GST_PAD_ALWAYS,
                                                            gst_caps_from_string(kCarriable)));
    gst_element_class_add_pad_template(
        element, gst_pad_template_new("src", GST_PAD_SRC, GST_PAD_ALWAYS,
                                      gst_caps_from_string("application/x-ogm-video")));
    gst_element_class_set_static_metadata(element, "OGM video packer", "Codec/Muxer/Video",
                                          "Wraps compressed video frames as OGM video packets",
                                          "Quova");
    element->change_state = ChangeState;
    G_OBJECT_CLASS(klass)->finalize = [](GObject* object) {
        auto* self = reinterpret_cast<Packer*>(object);
        if (self->codecData) gst_buffer_unref(self->codecData);
        G_OBJECT_CLASS(ParentClass())->finalize(object);
    };
}

void InstanceInit(GTypeInstance* instance, gpointer klass) {
    auto* self = reinterpret_cast<Packer*>(instance);
    auto* element = GST_ELEMENT_CLASS(klass);
    self->sink =
        gst_pad_new_from_template(gst_element_class_get_pad_template(element, "sink"), "sink");
    gst_pad_set_chain_function(self->sink, Chain);
    gst_pad_set_event_function(self->sink, SinkEvent);
    gst_pad_set_query_function(self->sink, SinkQuery);
    self->src =
        gst_pad_new_from_template(gst_element_class_get_pad_template(element, "src"), "src");
    gst_pad_use_fixed_caps(self->src);
    gst_element_add_pad(GST_ELEMENT(self), self->sink);
    gst_element_add_pad(GST_ELEMENT(self), self->src);
    self->frame = 0;
    self->frameDuration = GST_SECOND / 25;
    self->lastTime = GST_CLOCK_TIME_NONE;
    self->codecData = nullptr;
}

GstStateChangeReturn ChangeState(GstElement* element, GstStateChange transition) {
    // A new run numbers its frames from the start again.
    if (transition == GST_STATE_CHANGE_READY_TO_PAUSED) {
        reinterpret_cast<Packer*>(element)->frame = 0;
        reinterpret_cast<Packer*>(element)->lastTime = GST_CLOCK_TIME_NONE;
    }
    return ParentClass()->change_state(element, transition);
}

GType PackerType() {
    static const GType type = [] {
        GTypeInfo info{};
        info.class_size = sizeof(PackerClass);
        info.class_init = ClassInit;
        info.instance_size = sizeof(Packer);
        info.instance_init = InstanceInit;
        return g_type_register_static(GST_TYPE_ELEMENT, "QuovaOgmVideoPacker", &info,
                                      static_cast<GTypeFlags>(0));
    }();
    return type;
}

}  // namespace

std::string OgmVideoFourCC(const GstStructure* s) {
    const std::string_view name = gst_structure_get_name(s);
    int version = 0;
    if (name == "image/jpeg") return "MJPG";
    if (name == "video/x-h264") {
        const char* format = gst_structure_get_string(s, "stream-format");
        return !format || std::string_view(format) == "byte-stream" ? "H264" : "";
    }
    if (name == "video/x-h263") return "H263";
    if (name == "video/x-xvid") return "XVID";
    if (name == "video/x-msmpeg") return "DIV3";
    if (name == "video/x-divx") {
        gst_structure_get_int(s, "divxversion", &version);
        return version == 3 ? "DIV3" : version == 5 ? "DX50" : "DIVX";
    }
    if (name == "video/mpeg") {
        gboolean system = FALSE;
        gst_structure_get_boolean(s, "systemstream", &system);
        gst_structure_get_int(s, "mpegversion", &version);
        if (system) return "";
        return version == 4 ? "FMP4" : version == 2 ? "MPG2" : version == 1 ? "MPG1" : "";
    }
    return "";
}

GstCaps* OgmCarriableVideoCaps() {
    return gst_caps_from_string(kCarriable);
}

GstElement* MakeOgmVideoPacker() {
    return GST_ELEMENT(g_object_new(PackerType(), nullptr));
}

}  // namespace quova::engine

#include "platform/engine/media_type.h"

#include <gst/gst.h>

#include <cstring>
#include <string_view>

namespace quova::engine {

namespace {

struct VideoFormat {
    const char* gst;
    Guid sub;
    int bits;
};

constexpr VideoFormat kVideoFormats[] = {
    {"I420", MEDIASUBTYPE_I420, 12},    {"YV12", MEDIASUBTYPE_YV12, 12},
    {"YUY2", MEDIASUBTYPE_YUY2, 16},    {"YVYU", MEDIASUBTYPE_YVYU, 16},
    {"UYVY", MEDIASUBTYPE_UYVY, 16},    {"NV12", MEDIASUBTYPE_NV12, 12},
    {"BGRx", MEDIASUBTYPE_RGB32, 32},   {"BGRA", MEDIASUBTYPE_ARGB32, 32},
    {"BGR", MEDIASUBTYPE_RGB24, 24},    {"RGB16", MEDIASUBTYPE_RGB565, 16},
    {"RGB15", MEDIASUBTYPE_RGB555, 16}, {"GRAY8", MEDIASUBTYPE_RGB8, 8},
};

Guid FourCCGuid(std::string_view code) {
    std::uint32_t v = 0;
    for (size_t i = 0; i < 4 && i < code.size(); ++i)
        v |= std::uint32_t{static_cast<unsigned char>(code[i])} << (8 * i);
    return Guid::FromFourCC(v);
}

int IntField(const GstStructure* s, const char* name) {
    int v = 0;
    return gst_structure_get_int(s, name, &v) ? v : 0;
}

bool BoolField(const GstStructure* s, const char* name, bool fallback) {
    gboolean v = FALSE;
    return gst_structure_get_boolean(s, name, &v) ? v != FALSE : fallback;
}

// Every integer a field allows, for small lists and ranges; empty when unset.
std::vector<int> IntValues(const GstStructure* s, const char* name) {
    const GValue* v = gst_structure_get_value(s, name);
    std::vector<int> out;
    if (!v) return out;
    if (G_VALUE_HOLDS_INT(v)) {
        out.push_back(g_value_get_int(v));
    } else if (GST_VALUE_HOLDS_INT_RANGE(v)) {
        const int lo = gst_value_get_int_range_min(v), hi = gst_value_get_int_range_max(v);
        for (int i = lo; i <= hi && i - lo < 8; ++i) out.push_back(i);
    } else if (GST_VALUE_HOLDS_LIST(v)) {
        for (guint i = 0; i < gst_value_list_get_size(v); ++i) {
            const GValue* item = gst_value_list_get_value(v, i);
            if (G_VALUE_HOLDS_INT(item)) out.push_back(g_value_get_int(item));
        }
    }
    return out;
}

std::vector<std::string> StringValues(const GstStructure* s, const char* name) {
    const GValue* v = gst_structure_get_value(s, name);
    std::vector<std::string> out;
    if (!v) return out;
    if (G_VALUE_HOLDS_STRING(v)) {
        out.emplace_back(g_value_get_string(v));
    } else if (GST_VALUE_HOLDS_LIST(v)) {
        for (guint i = 0; i < gst_value_list_get_size(v); ++i) {
            const GValue* item = gst_value_list_get_value(v, i);
            if (G_VALUE_HOLDS_STRING(item)) out.emplace_back(g_value_get_string(item));
        }
    }
    return out;
}

Guid VideoSubtype(const std::string& format) {
    for (const VideoFormat& f : kVideoFormats)
        if (format == f.gst) return f.sub;
    return format.size() == 4 ? FourCCGuid(format) : GUID_NULL;
}

Guid MpegAudioSubtype(int version, int layer) {
    if (version == 1) return layer == 3 ? MEDIASUBTYPE_MP3 : MEDIASUBTYPE_MPEG1AudioPayload;
    if (version == 2 || version == 4) return MEDIASUBTYPE_AAC;
    return GUID_NULL;
}

void FillFormat(MediaType& t, const GstStructure* s) {
    t.width = IntField(s, "width");
    t.height = IntField(s, "height");
    int num = 0, den = 0;
    if (gst_structure_get_fraction(s, "framerate", &num, &den) && den > 0)
        t.frameRate = static_cast<double>(num) / den;
    t.channels = IntField(s, "channels");
    t.sampleRate = IntField(s, "rate");
    if (const char* format = gst_structure_get_string(s, "format")) {
        if (t.IsAudio()) {
            std::string_view f = format;
            if (f.starts_with("S8") || f.starts_with("U8"))
                t.bitsPerSample = 8;
            else if (f.starts_with("S16") || f.starts_with("U16"))
                t.bitsPerSample = 16;
            else if (f.starts_with("S24_32") || f.starts_with("S32") || f.starts_with("F32"))
                t.bitsPerSample = 32;
            else if (f.starts_with("S24"))
                t.bitsPerSample = 24;
            else if (f.starts_with("F64"))
                t.bitsPerSample = 64;
        } else {
            for (const VideoFormat& vf : kVideoFormats)
                if (std::strcmp(format, vf.gst) == 0) t.bitsPerSample = vf.bits;
        }
    }
}

bool IsMatroska(std::string_view name) {
    return name == "video/x-matroska" || name == "audio/x-matroska" || name == "video/webm" ||
           name == "audio/webm" || name == "video/x-matroska-3d";
}

bool IsMp4(std::string_view name) {
    return name == "video/quicktime" || name == "audio/x-m4a" || name == "video/x-3gp" ||
           name == "application/x-3gp" || name == "video/x-mj2";
}

// Names that stand for a whole file's data, whatever the side that carries them.
bool IsContainer(std::string_view name) {
    return name == "video/ogg" || name == "audio/ogg" || name == "application/ogg" ||
           name == "video/x-msvideo" || name == "audio/x-wav" || name == "video/mpegts" ||
           name == "video/x-ms-asf" || name == "application/x-id3" ||
           name == "application/x-apetag" || IsMatroska(name) || IsMp4(name);
}

// Types of one structure; `expand` lists every subtype a template allows.
std::vector<MediaType> TypesOf(const GstStructure* s, bool byteStream) {
    const std::string_view name = gst_structure_get_name(s);
    std::vector<MediaType> out;
    auto add = [&](const Guid& major, const Guid& sub) {
        MediaType t;
        t.majorType = major;
        t.subType = sub;
        FillFormat(t, s);
        gchar* text = gst_structure_to_string(s);
        t.caps = text;
        g_free(text);
        out.push_back(std::move(t));
    };
    if (byteStream) {
        if (name == "video/x-msvideo")
            add(MEDIATYPE_Stream, MEDIASUBTYPE_Avi);
        else if (name == "application/ogg" || name == "video/ogg" || name == "audio/ogg")
            add(MEDIATYPE_Stream, MEDIASUBTYPE_Ogg);
        else if (name == "audio/x-wav")
            add(MEDIATYPE_Stream, MEDIASUBTYPE_WAVE);
        else if (name == "audio/mpeg" || name == "application/x-id3" ||
                 name == "application/x-apetag")
            add(MEDIATYPE_Stream, MEDIASUBTYPE_MPEG1Audio);
        else if (name == "video/mpeg" && IntField(s, "mpegversion") == 1)
            add(MEDIATYPE_Stream, BoolField(s, "systemstream", false) ? MEDIASUBTYPE_MPEG1System
                                                                      : MEDIASUBTYPE_MPEG1Video);
        else if (name == "video/mpeg")
            add(MEDIATYPE_Stream, MEDIASUBTYPE_MPEG2_PROGRAM);
        else if (name == "video/mpegts")
            add(MEDIATYPE_Stream, MEDIASUBTYPE_MPEG2_TRANSPORT);
        else if (name == "video/x-ms-asf")
            add(MEDIATYPE_Stream, MEDIASUBTYPE_Asf);
        else if (IsMatroska(name))
            add(MEDIATYPE_Stream, MEDIASUBTYPE_Matroska);
        else if (IsMp4(name))
            add(MEDIATYPE_Stream, MEDIASUBTYPE_MP4);
        else
            add(MEDIATYPE_Stream, GUID_NULL);
        return out;
    }
    if (IsContainer(name)) return TypesOf(s, true);
    if (name == "video/x-raw") {
        // A format without a subtype is not "any format": it is left out
        // unless nothing else is known.
        std::vector<Guid> subtypes;
        for (const std::string& f : StringValues(s, "format"))
            if (Guid sub = VideoSubtype(f); !sub.IsNull()) subtypes.push_back(sub);
        if (subtypes.empty()) add(MEDIATYPE_Video, GUID_NULL);
        for (const Guid& sub : subtypes) add(MEDIATYPE_Video, sub);
    } else if (name == "image/jpeg") {
        add(MEDIATYPE_Video, MEDIASUBTYPE_MJPG);
    } else if (name == "video/mpeg") {
        const bool system = BoolField(s, "systemstream", false);
        auto versions = IntValues(s, "mpegversion");
        if (versions.empty()) versions.push_back(0);
        for (int v : versions) {
            if (system)
                add(MEDIATYPE_Stream,
                    v == 1 ? MEDIASUBTYPE_MPEG1System : MEDIASUBTYPE_MPEG2_PROGRAM);
            else if (v == 1)
                add(MEDIATYPE_Video, MEDIASUBTYPE_MPEG1Payload);
            else if (v == 2)
                add(MEDIATYPE_Video, MEDIASUBTYPE_MPEG2_VIDEO);
            else if (v == 4)
                add(MEDIATYPE_Video, MEDIASUBTYPE_MP4V);
            else
                add(MEDIATYPE_Video, GUID_NULL);
        }
    } else if (name == "video/x-theora") {
        add(MEDIATYPE_Video, MEDIASUBTYPE_THEORA);
    } else if (name == "video/x-divx") {
        add(MEDIATYPE_Video, MEDIASUBTYPE_DIVX);
    } else if (name == "video/x-xvid") {
        add(MEDIATYPE_Video, MEDIASUBTYPE_XVID);
    } else if (name == "video/x-h264") {
        add(MEDIATYPE_Video, MEDIASUBTYPE_H264);
    } else if (name == "audio/x-raw") {
        auto formats = StringValues(s, "format");
        bool pcm = formats.empty(), ieee = false;
        for (const std::string& f : formats) (f[0] == 'F' ? ieee : pcm) = true;
        if (pcm) add(MEDIATYPE_Audio, MEDIASUBTYPE_PCM);
        if (ieee) add(MEDIATYPE_Audio, MEDIASUBTYPE_IEEE_FLOAT);
    } else if (name == "audio/mpeg") {
        auto versions = IntValues(s, "mpegversion");
        if (versions.empty()) versions.push_back(1);
        for (int v : versions) {
            auto layers = v == 1 ? IntValues(s, "layer") : std::vector<int>{0};
            if (layers.empty()) layers = {1, 2, 3};
            Guid last = GUID_NULL;
            for (int layer : layers) {
                const Guid sub = MpegAudioSubtype(v, layer);
                if (sub != last || out.empty()) add(MEDIATYPE_Audio, sub);
                last = sub;
            }
        }
    } else if (name == "audio/x-vorbis") {
        add(MEDIATYPE_Audio, MEDIASUBTYPE_Vorbis);
    } else if (name == "audio/x-ac3" || name == "audio/ac3" || name == "audio/x-private1-ac3") {
        add(MEDIATYPE_Audio, MEDIASUBTYPE_DOLBY_AC3);
    } else if (name == "audio/x-flac") {
        add(MEDIATYPE_Audio, MEDIASUBTYPE_FLAC);
    } else if (name.starts_with("video/")) {
        add(MEDIATYPE_Video, GUID_NULL);
    } else if (name.starts_with("audio/")) {
        add(MEDIATYPE_Audio, GUID_NULL);
    } else if (name.starts_with("text/") || name.starts_with("application/x-subtitle") ||
               name == "subpicture/x-dvd") {
        add(MEDIATYPE_Text, GUID_NULL);
    } else {
        add(GUID_NULL, GUID_NULL);
    }
    return out;
}

}  // namespace

bool MediaType::Matches(const MediaType& other) const {
    auto same = [](const Guid& a, const Guid& b) { return a.IsNull() || b.IsNull() || a == b; };
    return same(majorType, other.majorType) && same(subType, other.subType);
}

std::vector<MediaType> MediaTypesFromCaps(const GstCaps* caps, bool byteStream) {
    std::vector<MediaType> out;
    if (!caps) return out;
    if (gst_caps_is_any(caps)) {
        MediaType any;
        any.caps = "ANY";
        out.push_back(any);
        return out;
    }
    for (guint i = 0; i < gst_caps_get_size(caps); ++i) {
        for (MediaType& t : TypesOf(gst_caps_get_structure(caps, i), byteStream)) {
            bool seen = false;
            for (const MediaType& o : out)
                seen = seen || (o.majorType == t.majorType && o.subType == t.subType);
            if (!seen) out.push_back(std::move(t));
        }
    }
    return out;
}

GstCaps* CapsFromMediaType(const MediaType& t) {
    std::string text;
    const Guid& s = t.subType;
    if (t.majorType == MEDIATYPE_Stream) {
        if (s == MEDIASUBTYPE_Avi)
            text = "video/x-msvideo";
        else if (s == MEDIASUBTYPE_Ogg)
            text = "application/ogg";
        else if (s == MEDIASUBTYPE_WAVE)
            text = "audio/x-wav";
        else if (s == MEDIASUBTYPE_MPEG1Audio)
            text = "audio/mpeg, mpegversion=(int)1";
        else if (s == MEDIASUBTYPE_MPEG1System)
            text = "video/mpeg, mpegversion=(int)1, systemstream=(boolean)true";
        else if (s == MEDIASUBTYPE_MPEG2_PROGRAM)
            text = "video/mpeg, mpegversion=(int)2, systemstream=(boolean)true";
        else if (s == MEDIASUBTYPE_MPEG2_TRANSPORT)
            text = "video/mpegts";
        else if (s == MEDIASUBTYPE_Asf)
            text = "video/x-ms-asf";
        else if (s == MEDIASUBTYPE_Matroska)
            text = "video/x-matroska";
        else if (s == MEDIASUBTYPE_MP4)
            text = "video/quicktime";
    } else if (t.majorType == MEDIATYPE_Video) {
        if (s.IsNull())
            text = "video/x-raw";
        else if (s == MEDIASUBTYPE_MJPG)
            text = "image/jpeg";
        else if (s == MEDIASUBTYPE_MPEG1Payload)
            text = "video/mpeg, mpegversion=(int)1, systemstream=(boolean)false";
        else if (s == MEDIASUBTYPE_MPEG2_VIDEO)
            text = "video/mpeg, mpegversion=(int)2, systemstream=(boolean)false";
        else if (s == MEDIASUBTYPE_MP4V)
            text = "video/mpeg, mpegversion=(int)4";
        else if (s == MEDIASUBTYPE_THEORA)
            text = "video/x-theora";
        else if (s == MEDIASUBTYPE_DIVX)
            text = "video/x-divx";
        else if (s == MEDIASUBTYPE_XVID)
            text = "video/x-xvid";
        else if (s == MEDIASUBTYPE_H264)
            text = "video/x-h264";
        else
            for (const VideoFormat& f : kVideoFormats)
                if (s == f.sub) text = std::string("video/x-raw, format=(string)") + f.gst;
        if (!text.empty() && t.width > 0 && t.height > 0)
            text += ", width=(int)" + std::to_string(t.width) + ", height=(int)" +
                    std::to_string(t.height);
    } else if (t.majorType == MEDIATYPE_Audio) {
        if (s.IsNull())
            text = "audio/x-raw";
        else if (s == MEDIASUBTYPE_PCM) {
            const int bits = t.bitsPerSample ? t.bitsPerSample : 16;
            text = std::string("audio/x-raw, format=(string)") +
                   (bits == 8    ? "U8"
                    : bits == 24 ? "S24LE"
                    : bits == 32 ? "S32LE"
                                 : "S16LE") +
                   ", layout=(string)interleaved";
        } else if (s == MEDIASUBTYPE_IEEE_FLOAT)
            text = "audio/x-raw, format=(string)F32LE, layout=(string)interleaved";
        else if (s == MEDIASUBTYPE_MP3)
            text = "audio/mpeg, mpegversion=(int)1, layer=(int)3";
        else if (s == MEDIASUBTYPE_MPEG1AudioPayload)
            text = "audio/mpeg, mpegversion=(int)1, layer=(int)[1, 2]";
        else if (s == MEDIASUBTYPE_AAC)
            text = "audio/mpeg, mpegversion=(int){2, 4}";
        else if (s == MEDIASUBTYPE_Vorbis)
            text = "audio/x-vorbis";
        else if (s == MEDIASUBTYPE_DOLBY_AC3)
            text = "audio/x-ac3";
        else if (s == MEDIASUBTYPE_FLAC)
            text = "audio/x-flac";
        if (!text.empty() && t.channels > 0)
            text += ", channels=(int)" + std::to_string(t.channels);
        if (!text.empty() && t.sampleRate > 0)
            text += ", rate=(int)" + std::to_string(t.sampleRate);
    }
    return text.empty() ? nullptr : gst_caps_from_string(text.c_str());
}

}  // namespace quova::engine

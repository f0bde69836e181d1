#include "tests/support/subtitle_media.h"

#include <gst/app/gstappsrc.h>
#include <gst/gst.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>

#include "tests/support/gst_media.h"

namespace quova::testing {

std::string AssScriptHeader(const std::string& colour, const std::string& font) {
    return "[Script Info]\nScriptType: v4.00+\nPlayResX: 320\nPlayResY: 240\n\n"
           "[V4+ Styles]\nFormat: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, "
           "OutlineColour, BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, "
           "Spacing, Angle, BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, MarginV, "
           "Encoding\nStyle: Default," +
           font + ",48," + colour + "," + colour +
           ",&H00000000,&H00000000,-1,0,0,0,100,100,0,0,1,0,0,2,10,10,10,1\n\n"
           "[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, "
           "Effect, Text\n";
}

namespace {

GstBuffer* BytesBuffer(const std::string& bytes) {
    GstBuffer* buffer = gst_buffer_new_allocate(nullptr, bytes.size(), nullptr);
    gst_buffer_fill(buffer, 0, bytes.data(), bytes.size());
    return buffer;
}

std::string Quoted(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

}  // namespace

namespace {

std::string MakeWithSubtitles(const std::string& muxer, const std::string& encoder,
                              const std::filesystem::path& out, double seconds,
                              const std::vector<MadeSubtitleTrack>& tracks,
                              const std::string& framerate) {
    gst_init(nullptr, nullptr);  // returns once the plugin registry is complete
    const auto slash = framerate.find('/');
    const double fps = std::stod(framerate.substr(0, slash)) /
                       (slash == std::string::npos ? 1.0 : std::stod(framerate.substr(slash + 1)));
    const long frames = std::lround(seconds * fps);
    std::string launch = muxer + " name=m ! filesink location=" + Quoted(out.string()) +
                         " videotestsrc pattern=black num-buffers=" + std::to_string(frames) +
                         " ! video/x-raw,width=320,height=240,framerate=" + framerate + " ! " +
                         encoder + " ! m.";
    for (size_t k = 0; k < tracks.size(); ++k) {
        launch += " appsrc name=t" + std::to_string(k) + " format=time ! ";
        std::string tags;
        if (!tracks[k].language.empty()) tags += "language-code=" + tracks[k].language;
        if (!tracks[k].title.empty())
            tags += std::string(tags.empty() ? "" : ",") + "title=" + tracks[k].title;
        if (!tags.empty()) launch += "taginject tags=" + Quoted(tags) + " ! ";
        launch += "m.subtitle_%u";
    }
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(launch.c_str(), &error);
    if (error) {
        std::string message = error->message;
        g_error_free(error);
        if (pipeline) gst_object_unref(pipeline);
        return message;
    }
    for (size_t k = 0; k < tracks.size(); ++k) {
        const MadeSubtitleTrack& track = tracks[k];
        GstElement* src = gst_bin_get_by_name(GST_BIN(pipeline), ("t" + std::to_string(k)).c_str());
        GstCaps* caps = nullptr;
        if (track.ass) {
            GstBuffer* header = BytesBuffer(AssScriptHeader(track.assColour));
            caps = gst_caps_new_simple("application/x-ass", "codec_data", GST_TYPE_BUFFER, header,
                                       nullptr);
            gst_buffer_unref(header);
        } else if (track.picture && !track.index.empty()) {
            GstBuffer* index = BytesBuffer(track.index);
            caps = gst_caps_new_simple("subpicture/x-dvd", "codec_data", GST_TYPE_BUFFER, index,
                                       nullptr);
            gst_buffer_unref(index);
        } else if (track.picture) {
            caps = gst_caps_new_empty_simple("subpicture/x-dvd");
        } else {
            caps = gst_caps_new_simple("text/x-raw", "format", G_TYPE_STRING, "utf8", nullptr);
        }
        g_object_set(src, "caps", caps, "max-bytes", static_cast<guint64>(0), nullptr);
        gst_caps_unref(caps);
        int readOrder = 0;
        for (const MadeCue& cue : track.cues) {
            const std::string bytes =
                track.ass ? std::to_string(readOrder++) + ",0,Default,,0,0,0,," + cue.text
                          : cue.text;
            GstBuffer* buffer = BytesBuffer(bytes);
            GST_BUFFER_PTS(buffer) =
                static_cast<GstClockTime>(std::llround(cue.start * GST_SECOND));
            GST_BUFFER_DURATION(buffer) =
                static_cast<GstClockTime>(std::llround((cue.end - cue.start) * GST_SECOND));
            gst_app_src_push_buffer(GST_APP_SRC(src), buffer);
        }
        gst_app_src_end_of_stream(GST_APP_SRC(src));
        gst_object_unref(src);
    }
    return RunPipelineToEnd(pipeline, 300);
}

}  // namespace

std::string DvdSubPictureUnit(int x, int y, int width, int height, int paletteIndex, int startDelay,
                              int stopDelay, bool forced) {
    std::string unit(4, '\0');
    const auto be16 = [&unit](int value) {
        unit += static_cast<char>((value >> 8) & 0xFF);
        unit += static_cast<char>(value & 0xFF);
    };
    // Top field (even lines), then bottom field: each line the four-nibble
    // code 0 0 0 c, a run of colour 1 to the line's end.
    const size_t topField = unit.size();
    for (int row = 0; row < height; row += 2) unit += std::string("\x00\x01", 2);
    const size_t bottomField = unit.size();
    for (int row = 1; row < height; row += 2) unit += std::string("\x00\x01", 2);
    const size_t firstControl = unit.size();
    // The first sequence: colours, contrast, area, fields, start.
    be16(startDelay);
    const size_t nextAt = unit.size();
    be16(0);  // the next sequence, filled in below
    unit += '\x03';
    unit += '\x00';
    unit += static_cast<char>((paletteIndex & 0xF) << 4);  // colour 1 -> paletteIndex, 0 -> 0
    unit += '\x04';
    unit += '\x00';
    unit += '\xF0';  // colour 1 opaque, colour 0 clear
    const int x2 = x + width - 1, y2 = y + height - 1;
    unit += '\x05';
    unit += static_cast<char>(x >> 4);
    unit += static_cast<char>((x & 0xF) << 4 | x2 >> 8);
    unit += static_cast<char>(x2 & 0xFF);
    unit += static_cast<char>(y >> 4);
    unit += static_cast<char>((y & 0xF) << 4 | y2 >> 8);
    unit += static_cast<char>(y2 & 0xFF);
    unit += '\x06';
    be16(static_cast<int>(topField));
    be16(static_cast<int>(bottomField));
    unit += forced ? '\x00' : '\x01';
    unit += '\xFF';
    size_t last = firstControl;
    if (stopDelay >= 0) {
        last = unit.size();
        be16(stopDelay);
        be16(static_cast<int>(last));
        unit += '\x02';
        unit += '\xFF';
    }
    unit[nextAt] = static_cast<char>(last >> 8);
    unit[nextAt + 1] = static_cast<char>(last & 0xFF);
    unit[0] = static_cast<char>(unit.size() >> 8);
    unit[1] = static_cast<char>(unit.size() & 0xFF);
    unit[2] = static_cast<char>(firstControl >> 8);
    unit[3] = static_cast<char>(firstControl & 0xFF);
    return unit;
}

namespace {

// EBML as the Matroska element table defines it: an ID as written, a size
// in eight bytes, the data.
std::string Element(std::uint32_t id, const std::string& data) {
    std::string out;
    for (int shift = 24; shift >= 0; shift -= 8)
        if (const auto byte = static_cast<unsigned char>(id >> shift); byte || !out.empty())
            out += static_cast<char>(byte);
    out += '\x01';
    for (int shift = 48; shift >= 0; shift -= 8)
        out += static_cast<char>((static_cast<std::uint64_t>(data.size()) >> shift) & 0xFF);
    return out + data;
}

std::string Unsigned(std::uint32_t id, std::uint64_t value) {
    std::string bytes;
    for (int shift = 56; shift >= 0; shift -= 8)
        bytes += static_cast<char>((value >> shift) & 0xFF);
    return Element(id, bytes);
}

}  // namespace

namespace {

// A Matroska file written element by element: one subtitle track (track 1 of
// `codecId`, with `codecPrivate` where given), `attachments` (a whole
// Attachments element, or "") before the one cluster at 0 ms, and each cue a
// block of `payload(cue, its index)` with the cue's duration, if it has one;
// `length` (seconds) is the header's, or where 0 the last cue's end.
void WriteHandMadeMatroska(const std::filesystem::path& out, const std::string& codecId,
                           const std::string& codecPrivate, const std::string& attachments,
                           const std::vector<MadeCue>& cues,
                           const std::function<std::string(const MadeCue&, int)>& payload,
                           double length = 0, int trackCount = 1) {
    const std::string ebml =
        Element(0x1A45DFA3, Unsigned(0x4286, 1) + Unsigned(0x42F7, 1) + Unsigned(0x42F2, 4) +
                                Unsigned(0x42F3, 8) + Element(0x4282, "matroska") +
                                Unsigned(0x4287, 4) + Unsigned(0x4285, 2));
    double seconds = 1.0;
    for (const MadeCue& cue : cues) seconds = std::max(seconds, cue.end);
    if (length > 0) seconds = length;
    const double milliseconds = seconds * 1000.0;
    std::string duration(8, '\0');
    std::uint64_t durationBits = 0;
    std::memcpy(&durationBits, &milliseconds, sizeof durationBits);
    for (int k = 0; k < 8; ++k)
        duration[static_cast<size_t>(k)] = static_cast<char>((durationBits >> (56 - 8 * k)) & 0xFF);
    const std::string info =
        Element(0x1549A966, Unsigned(0x2AD7B1, 1000000) + Element(0x4489, duration) +
                                Element(0x4D80, "quova-test") + Element(0x5741, "quova-test"));
    std::string entries;
    for (int number = 1; number <= trackCount; ++number)
        entries += Element(
            0xAE, Unsigned(0xD7, static_cast<std::uint64_t>(number)) +
                      Unsigned(0x73C5, static_cast<std::uint64_t>(number)) + Unsigned(0x83, 0x11) +
                      Element(0x86, codecId) +
                      (codecPrivate.empty() ? std::string() : Element(0x63A2, codecPrivate)) +
                      Element(0x22B59C, "eng"));
    const std::string tracks = Element(0x1654AE6B, entries);
    std::string blocks;
    int index = 0;
    for (const MadeCue& cue : cues) {
        const auto start = static_cast<std::int16_t>(std::lround(cue.start * 1000.0));
        std::string block = "\x81";
        block += static_cast<char>((start >> 8) & 0xFF);
        block += static_cast<char>(start & 0xFF);
        block += '\0';
        block += payload(cue, index++);
        blocks +=
            Element(0xA0, Element(0xA1, block) +
                              (cue.end < 0 ? std::string()
                                           : Unsigned(0x9B, static_cast<std::uint64_t>(std::lround(
                                                                (cue.end - cue.start) * 1000.0)))));
    }
    const std::string cluster = Element(0x1F43B675, Unsigned(0xE7, 0) + blocks);
    std::ofstream file(out, std::ios::binary);
    file << ebml << Element(0x18538067, info + tracks + attachments + cluster);
}

}  // namespace

void WriteMatroskaWithAttachedFont(const std::filesystem::path& out, const std::string& header,
                                   const std::vector<MadeCue>& cues, const std::string& fontName,
                                   const std::string& font, int tracks) {
    const std::string attachments =
        Element(0x1941A469, Element(0x61A7, Element(0x466E, fontName) +
                                                Element(0x4660, "application/x-truetype-font") +
                                                Element(0x465C, font) + Unsigned(0x46AE, 1)));
    WriteHandMadeMatroska(
        out, "S_TEXT/ASS", header, attachments, cues,
        [](const MadeCue& cue, int readOrder) {
            return std::to_string(readOrder) + ",0,Default,,0,0,0,," + cue.text;
        },
        0, tracks);
}

namespace {

void AppendBe16(std::string& to, int value) {
    to += static_cast<char>((value >> 8) & 0xFF);
    to += static_cast<char>(value & 0xFF);
}

std::string PgsSegment(int type, const std::string& payload) {
    std::string out(1, static_cast<char>(type));
    AppendBe16(out, static_cast<int>(payload.size()));
    return out + payload;
}

// A PGS object segment: object 0, version 0, first and last fragment, the
// length with the four bytes of the size, the size, then each line one run
// of colour 1 (0, 0b11 and a 14-bit length, 1) and an end of line (0 0).
std::string PgsObjectSegment(int width, int height) {
    std::string rle;
    for (int row = 0; row < height; ++row) {
        rle += '\x00';
        rle += static_cast<char>(0xC0 | (width >> 8));
        rle += static_cast<char>(width & 0xFF);
        rle += '\x01';
        rle += std::string(2, '\0');
    }
    std::string ods;
    AppendBe16(ods, 0);
    ods += '\x00';
    ods += '\xC0';
    const size_t length = rle.size() + 4;
    ods += static_cast<char>((length >> 16) & 0xFF);
    ods += static_cast<char>((length >> 8) & 0xFF);
    ods += static_cast<char>(length & 0xFF);
    AppendBe16(ods, width);
    AppendBe16(ods, height);
    return PgsSegment(0x15, ods + rle);
}

}  // namespace

std::string PgsDisplaySetBytes(int frameWidth, int frameHeight, int x, int y, int width, int height,
                               int luma, int cr, int cb, bool forced) {
    const bool composes = width > 0 && height > 0;
    // PCS: frame, frame rate, composition number, state (epoch start),
    // palette update, palette 0, objects; each object 0 in window 0.
    std::string pcs;
    AppendBe16(pcs, frameWidth);
    AppendBe16(pcs, frameHeight);
    pcs += '\x10';
    AppendBe16(pcs, 1);
    pcs += composes ? '\x80' : '\x00';
    pcs += '\x00';
    pcs += '\x00';
    pcs += composes ? '\x01' : '\x00';
    if (composes) {
        AppendBe16(pcs, 0);
        pcs += '\x00';
        pcs += forced ? '\x40' : '\x00';
        AppendBe16(pcs, x);
        AppendBe16(pcs, y);
    }
    std::string set = PgsSegment(0x16, pcs);
    if (composes) {
        std::string wds(1, '\x01');
        wds += '\x00';
        AppendBe16(wds, x);
        AppendBe16(wds, y);
        AppendBe16(wds, width);
        AppendBe16(wds, height);
        set += PgsSegment(0x17, wds);
        // Palette 0, version 0; entry 1 the colour, opaque.
        std::string pds("\x00\x00\x01", 3);
        pds += static_cast<char>(luma);
        pds += static_cast<char>(cr);
        pds += static_cast<char>(cb);
        pds += '\xFF';
        set += PgsSegment(0x14, pds);
        set += PgsObjectSegment(width, height);
    }
    return set + PgsSegment(0x80, "");
}

void WriteMatroskaWithSubtitleTrack(const std::filesystem::path& out, const std::string& codecId,
                                    const std::vector<MadeCue>& cues, double seconds, int tracks) {
    WriteHandMadeMatroska(
        out, codecId, {}, {}, cues, [](const MadeCue& cue, int) { return cue.text; }, seconds,
        tracks);
}

std::string PgsSetComposingOneObject(int frameWidth, int frameHeight, int objectWidth,
                                     int objectHeight,
                                     const std::vector<std::pair<int, int>>& places) {
    // PCS: frame, frame rate, composition 1, epoch start, no palette update,
    // palette 0, then object 0 in window 0 at each place.
    std::string pcs;
    AppendBe16(pcs, frameWidth);
    AppendBe16(pcs, frameHeight);
    pcs += '\x10';
    AppendBe16(pcs, 1);
    pcs += '\x80';
    pcs += '\x00';
    pcs += '\x00';
    pcs += static_cast<char>(places.size());
    for (const auto& [x, y] : places) {
        AppendBe16(pcs, 0);
        pcs += '\x00';
        pcs += '\x00';
        AppendBe16(pcs, x);
        AppendBe16(pcs, y);
    }
    std::string wds(1, '\x01');
    wds += '\x00';
    AppendBe16(wds, 0);
    AppendBe16(wds, 0);
    AppendBe16(wds, frameWidth);
    AppendBe16(wds, frameHeight);
    std::string pds("\x00\x00\x01\xAD\x1A\x2A\xFF", 7);
    return PgsSegment(0x16, pcs) + PgsSegment(0x17, wds) + PgsSegment(0x14, pds) +
           PgsObjectSegment(objectWidth, objectHeight) + PgsSegment(0x80, {});
}

std::string MakeMatroskaWithSubtitles(const std::filesystem::path& out, double seconds,
                                      const std::vector<MadeSubtitleTrack>& tracks,
                                      const std::string& framerate) {
    return MakeWithSubtitles("matroskamux", "jpegenc", out, seconds, tracks, framerate);
}

std::string MakeMp4WithSubtitles(const std::filesystem::path& out, double seconds,
                                 const std::vector<MadeSubtitleTrack>& tracks) {
    return MakeWithSubtitles("mp4mux", "x264enc speed-preset=ultrafast", out, seconds, tracks,
                             "10/1");
}

}  // namespace quova::testing

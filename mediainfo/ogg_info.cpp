#include "mediainfo/ogg_info.h"

#include <algorithm>
#include <cstdint>

#include "mediainfo/number_format.h"
#include "platform/encoding/text_encoding.h"

namespace quova {

namespace {

// Header packets are read only when they fit in one short page.
constexpr uint64_t kHeaderBodyLimit = 255;
// A stream has one comment header, which fits in such a page; a file that
// repeats header pages must not grow the listing with the file's size.
constexpr size_t kMaxCommentBytes = 16 * 1024;

// Little-endian fields of a header packet; a field past its end reads as 0.
uint64_t FieldAt(std::string_view packet, size_t offset, int bytes) {
    if (offset + bytes > packet.size()) return 0;
    uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(packet[offset + i]);
    return value;
}

void IdentificationHeader(std::string_view packet, OggStream& stream) {
    stream.type = PrintableCode(StripPadding(packet.substr(0, 8)));
    if (stream.type == "vorbis") {
        stream.channels = static_cast<uint8_t>(FieldAt(packet, 10, 1));
        stream.sampleRate = static_cast<uint32_t>(FieldAt(packet, 11, 4));
    } else if (stream.type == "audio") {
        stream.sampleRate = static_cast<uint32_t>(FieldAt(packet, 24, 8));
        stream.channels = static_cast<uint8_t>(FieldAt(packet, 44, 2));
        stream.bitRate = static_cast<uint32_t>(FieldAt(packet, 48, 4) * 8 / 1000);
    } else if (stream.type == "video") {
        stream.subtype = packet.size() >= 12 ? PrintableCode(packet.substr(8, 4)) : "";
        stream.bitsPerSample = static_cast<int>(FieldAt(packet, 40, 2));
        stream.width = static_cast<uint32_t>(FieldAt(packet, 44, 4));
        stream.height = static_cast<uint32_t>(FieldAt(packet, 48, 4));
    }
}

void CommentHeader(std::string_view packet, OggStream& stream) {
    size_t at = 6;  // the "vorbis" marker
    if (at + 4 > packet.size()) return;
    at += 4 + FieldAt(packet, at, 4);  // vendor
    if (at + 4 > packet.size()) return;
    uint64_t count = FieldAt(packet, at, 4);
    at += 4;
    for (; count > 0 && at + 4 <= packet.size(); --count) {
        const uint64_t length = FieldAt(packet, at, 4);
        at += 4;
        if (length > packet.size() - at) return;
        if (stream.comments.size() + length > kMaxCommentBytes) return;
        if (!stream.comments.empty()) stream.comments += "\r\n";
        stream.comments += " " + DecodeText(packet.substr(at, length));
        at += length;
    }
}

// The highest granule position names the last frame; counting from 0 makes
// it one more, short of overflowing on a hostile value.
int64_t FrameCount(int64_t granule) {
    return granule < INT64_MAX ? granule + 1 : granule;
}

OggStream* FindStream(OggInfo& info, uint32_t serial) {
    for (OggStream& s : info.streams)
        if (s.serial == serial) return &s;
    return nullptr;
}

void WalkPages(BinaryReader& r, OggInfo& info) {
    while (r.ReadTextUpTo(4) == "OggS") {
        r.Skip(1);  // version
        const uint8_t headerType = r.ReadByte();
        const auto granule = static_cast<int64_t>(r.ReadU64());
        const uint32_t serial = r.ReadU32();
        OggStream* stream = FindStream(info, serial);
        // The beginning-of-stream flag may come with others (a stream of one
        // page is both first and last), so the flag is tested, not the byte.
        if (headerType & 0x02) {
            if (!stream) {
                if (info.streams.size() >= kMaxOggStreams)
                    throw ReadError("more than " + std::to_string(kMaxOggStreams) + " streams");
                info.streams.push_back({});
                stream = &info.streams.back();
                stream->serial = serial;
            }
            stream->granule = 0;
            stream->dataBytes = 0;
            stream->comments.clear();
        } else if (stream) {
            stream->granule = std::max(stream->granule, granule);
        }

        const uint32_t sequence = r.ReadU32();
        r.Skip(4);  // checksum
        const uint8_t segments = r.ReadByte();
        uint64_t body = 0;
        for (char length : r.ReadText(segments)) body += static_cast<unsigned char>(length);

        if (sequence < 2 && stream && body > 0) {
            const uint8_t packetType = r.ReadByte();
            if ((packetType & 1) && body < kHeaderBodyLimit) {
                const std::string packet = r.ReadText(body - 1);
                if (packetType == 1) IdentificationHeader(packet, *stream);
                if (packetType == 3) CommentHeader(packet, *stream);
            } else {
                r.Skip(body - 1);
            }
        } else {
            r.Skip(body);
            if (sequence >= 2 && stream) stream->dataBytes += body;
        }
    }
}

void ComputeDurations(OggInfo& info) {
    info.duration = 0;
    for (OggStream& s : info.streams) {
        if (s.sampleRate == 0) continue;
        s.duration = static_cast<double>(s.granule) / s.sampleRate;
        info.duration = std::max(info.duration, s.duration);
    }
}

void FillFigures(OggInfo& info) {
    StreamFigures& f = info.figures;
    f = StreamFigures{};
    for (const OggStream& s : info.streams) {
        if (s.type == "vorbis" || s.type == "audio") {
            if (f.audioStreamCount < kStreamFigureSlots)
                f.audio.push_back({s.channels, s.sampleRate});
            ++f.audioStreamCount;
        } else if (s.type == "video") {
            const double frames = static_cast<double>(FrameCount(s.granule));
            // Without a timed stream beside it the rate of a video stream is unknown.
            const double rate = info.duration > 0 ? frames / info.duration : 0.0;
            if (f.videoStreamCount < kStreamFigureSlots) {
                f.video.push_back({static_cast<int>(s.width), static_cast<int>(s.height),
                                   s.bitsPerSample, s.subtype});
                f.videoFrameRates[f.videoStreamCount] = rate;
            }
            f.totalFrames = FrameCount(s.granule);
            f.frameRate = rate;
            ++f.videoStreamCount;
        }
    }
    if (!f.video.empty()) {
        f.width = f.video.front().width;
        f.height = f.video.front().height;
    }
}

}  // namespace

std::string OggInfo::ErrorMessage() const {
    return error + "\n" + "error getting OGG information";
}

void ParseOggPages(ByteSource& source, OggInfo& info) {
    BinaryReader reader(source);
    try {
        WalkPages(reader, info);
    } catch (const ReadError& e) {
        info.error = e.what();
    }
    ComputeDurations(info);
}

std::string BuildOggInfoText(const OggInfo& info) {
    std::string text;
    auto line = [&text](const std::string& content) { text += content + "\r\n"; };
    const double duration = info.duration;
    line("streams: " + std::to_string(info.streams.size()));
    if (duration > 0) line("duration: " + FormatClock(duration));
    for (size_t slot = 0; slot < info.streams.size(); ++slot) {
        const OggStream& s = info.streams[slot];
        line("stream " + std::to_string(slot) + ": " + s.type);
        if (s.type == "vorbis") {
            line(" channels: " + std::to_string(s.channels) + "; " +
                 " samples per sec: " + std::to_string(s.sampleRate));
        } else if (s.type == "audio") {
            line(" channels: " + std::to_string(s.channels) + "; " +
                 " bitrate: " + std::to_string(s.bitRate) + "; " +
                 " samples per sec: " + std::to_string(s.sampleRate));
        } else if (s.type == "video") {
            line(" stream subtype: " + s.subtype);
            line(" width: " + std::to_string(s.width) + "; " +
                 " height: " + std::to_string(s.height) + "; " +
                 " bits per sample: " + std::to_string(s.bitsPerSample));
            const int64_t frames = FrameCount(s.granule);
            std::string framesLine = " frames: " + std::to_string(frames);
            if (duration > 0)
                framesLine += "; frames per second: " +
                              FormatGeneral(static_cast<double>(frames) / duration, 4);
            line(framesLine);
        }
        std::string dataLine = " data size: " + std::to_string(s.dataBytes / 1024) + " KBytes";
        if (duration > 0)
            dataLine += "; data rate: " +
                        FormatGeneral(static_cast<double>(s.dataBytes) / duration / 1024, 4) +
                        " KBytes/sec";
        line(dataLine);
        if (!s.comments.empty()) line(s.comments);
    }
    return text;
}

OggInfo ReadOggInfo(const std::filesystem::path& file) {
    FileSource source(file);
    if (!source.IsOpen()) {
        OggInfo info;
        info.text = BuildOggInfoText(info);
        return info;
    }
    return ReadOggInfo(source);
}

OggInfo ReadOggInfo(ByteSource& source) {
    OggInfo info;
    ParseOggPages(source, info);
    info.text = BuildOggInfoText(info);
    FillFigures(info);
    return info;
}

}  // namespace quova

#include "platform/engine/ps_headers.h"

#include <algorithm>
#include <array>
#include <map>

namespace quova::engine {

namespace {

constexpr std::uint8_t kSystemHeader = 0xbb;
constexpr std::uint8_t kStreamMap = 0xbc;

unsigned Read16(const std::uint8_t* p) {
    return static_cast<unsigned>(p[0]) << 8 | p[1];
}

// The offset of the first start code 00 00 01 `code`; `size` when there is none.
std::size_t Find(const std::uint8_t* data, std::size_t size, std::uint8_t code) {
    for (std::size_t i = 0; i + 4 <= size; ++i)
        if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1 && data[i + 3] == code) return i;
    return size;
}

void Add(std::vector<std::uint8_t>& ids, std::uint8_t id) {
    if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
}

// system_header: start code, length(16), 6 bytes of bounds and flags, then
// 3 bytes a stream (stream_id with its top bit set, '11', buffer bound).
void ReadSystemHeader(const std::uint8_t* p, std::size_t left, std::vector<std::uint8_t>& ids) {
    if (left < 6) return;
    const std::size_t end = std::min<std::size_t>(left, 6 + Read16(p + 4));
    for (std::size_t i = 12; i + 3 <= end; i += 3) {
        if (!(p[i] & 0x80) || (p[i + 1] & 0xc0) != 0xc0) return;
        Add(ids, p[i]);
    }
}

// program_stream_map: start code, length(16), version, marker, info length(16)
// and info, map length(16), then per stream: type, stream_id, info length(16)
// and info.
void ReadStreamMap(const std::uint8_t* p, std::size_t left, std::vector<std::uint8_t>& ids) {
    if (left < 10) return;
    const std::size_t end = std::min<std::size_t>(left, 6 + Read16(p + 4));
    std::size_t i = 10 + Read16(p + 8);
    if (i + 2 > end) return;
    const std::size_t mapEnd = std::min(end, i + 2 + Read16(p + i));
    for (i += 2; i + 4 <= mapEnd; i += 4 + Read16(p + i + 2)) Add(ids, p[i + 1]);
}

constexpr std::uint8_t kPack = 0xba;
constexpr std::uint8_t kEnd = 0xb9;
constexpr std::uint8_t kPrivateStream1 = 0xbd;
constexpr std::uint8_t kSequenceHeader = 0xb3;
constexpr std::int64_t kPtsWrap = std::int64_t{1} << 33;
constexpr double kClock = 90000;

bool IsMpegAudio(std::uint8_t id) {
    return id >= 0xc0 && id <= 0xdf;
}
bool IsVideo(std::uint8_t id) {
    return id >= 0xe0 && id <= 0xef;
}

// One PES packet: the stream (for private stream 1, its sub-stream), its
// presentation time or -1, and its payload.
struct Packet {
    unsigned stream = 0;
    std::int64_t pts = -1;
    const std::uint8_t* payload = nullptr;
    std::size_t payloadSize = 0;
};

std::int64_t ReadPts(const std::uint8_t* p) {
    return (static_cast<std::int64_t>(p[0] >> 1) & 0x07) << 30 |
           static_cast<std::int64_t>(Read16(p + 1) >> 1) << 15 | Read16(p + 3) >> 1;
}

// The PES packet at `p` (its start code); false when it is not one or is cut.
bool ReadPacket(const std::uint8_t* p, std::size_t left, Packet& out) {
    if (left < 6) return false;
    const std::uint8_t id = p[3];
    const std::size_t end = 6 + Read16(p + 4);
    if (end > left) return false;
    std::size_t i = 6;
    if (end > 8 && (p[6] & 0xc0) == 0x80) {
        // MPEG-2: flags, header length, then the optional fields.
        const std::size_t headerEnd = 9 + p[8];
        if (headerEnd > end) return false;
        if ((p[7] & 0x80) && headerEnd >= 14) out.pts = ReadPts(p + 9);
        i = headerEnd;
    } else {
        // MPEG-1: stuffing, an optional buffer size, then the times.
        while (i < end && p[i] == 0xff) ++i;
        if (i < end && (p[i] & 0xc0) == 0x40) i += 2;
        if (i >= end) return false;
        if ((p[i] & 0xe0) == 0x20) {
            if (i + 5 > end) return false;
            out.pts = ReadPts(p + i);
            i += (p[i] & 0x10) ? 10 : 5;
        } else if (p[i] == 0x0f) {
            ++i;
        } else {
            return false;
        }
        if (i > end) return false;
    }
    out.stream = id;
    if (id == kPrivateStream1 && i < end) out.stream = 0x100 | p[i];
    out.payload = p + i;
    out.payloadSize = end - i;
    return true;
}

// Every packet of `data`, walked pack by pack from the first pack header so
// that a start code inside a payload is never taken for a packet.
template <typename Visit>
void ForEachPacket(const std::uint8_t* data, std::size_t size, Visit visit) {
    std::size_t i = Find(data, size, kPack);
    while (i + 4 <= size) {
        const std::uint8_t* p = data + i;
        const std::size_t left = size - i;
        bool walked = false;
        if (p[0] == 0 && p[1] == 0 && p[2] == 1) {
            const std::uint8_t code = p[3];
            if (code == kPack && left >= 12) {
                if ((p[4] & 0xc0) == 0x40 && left >= 14) {
                    i += 14 + (p[13] & 0x07);
                    walked = true;
                } else if ((p[4] & 0xf0) == 0x20) {
                    i += 12;
                    walked = true;
                }
            } else if (code == kEnd) {
                i += 4;
                walked = true;
            } else if (code >= kSystemHeader && left >= 6) {
                Packet packet;
                if (code == kPrivateStream1 || IsMpegAudio(code) || IsVideo(code)) {
                    if (ReadPacket(p, left, packet)) visit(packet);
                }
                const std::size_t length = 6 + Read16(p + 4);
                if (length <= left) {
                    i += length;
                    walked = true;
                }
            }
        }
        // Lost the thread (damage, or the cut end): on to the next pack.
        if (!walked) i += Find(data + i + 1, size - i - 1, kPack) + 1;
    }
}

// MPEG audio: the samples and the bytes of the frame whose header is at p.
struct AudioFrame {
    int samples = 0;
    int rate = 0;
    std::size_t bytes = 0;
};

bool ReadMpegAudioHeader(const std::uint8_t* p, AudioFrame& out) {
    if (p[0] != 0xff || (p[1] & 0xe0) != 0xe0) return false;
    const int version = (p[1] >> 3) & 3;  // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
    const int layer = 4 - ((p[1] >> 1) & 3);
    const int bitrateIndex = p[2] >> 4;
    const int rateIndex = (p[2] >> 2) & 3;
    if (version == 1 || layer == 4 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
        return false;
    static constexpr std::array<std::array<int, 15>, 5> kKbps{{
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},  // 1, I
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},     // 1, II
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},      // 1, III
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},     // 2, I
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},          // 2, II/III
    }};
    static constexpr std::array<int, 3> kRates{44100, 48000, 32000};
    const bool mpeg1 = version == 3;
    const int kbps = kKbps[mpeg1 ? layer - 1 : (layer == 1 ? 3 : 4)][bitrateIndex];
    out.rate = kRates[rateIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
    const int padding = (p[2] >> 1) & 1;
    if (layer == 1) {
        out.samples = 384;
        out.bytes = static_cast<std::size_t>((12 * kbps * 1000 / out.rate + padding) * 4);
    } else {
        out.samples = layer == 3 && !mpeg1 ? 576 : 1152;
        out.bytes = static_cast<std::size_t>(out.samples / 8 * kbps * 1000 / out.rate + padding);
    }
    return out.bytes > 4;
}

// The ticks from a packet's presentation time to the end of what it carries
// (0 when the stream's frames are not known).
struct StreamClock {
    double frameTicks = 0;  // video: one picture
    bool mpegAudio = false;
    bool ac3 = false;
};

double CarriedTicks(const Packet& packet, const StreamClock& clock) {
    if (clock.mpegAudio) {
        // The time is the first frame's that begins in the packet; whole
        // frames follow it.
        const std::uint8_t* p = packet.payload;
        const std::size_t n = packet.payloadSize;
        std::size_t i = 0;
        AudioFrame frame;
        while (i + 4 <= n && !ReadMpegAudioHeader(p + i, frame)) ++i;
        double ticks = 0;
        while (i + 4 <= n && ReadMpegAudioHeader(p + i, frame)) {
            ticks += kClock * frame.samples / frame.rate;
            i += frame.bytes;
        }
        // The last frame may run on into the next packet: it still plays.
        return ticks;
    }
    if (clock.ac3 && packet.payloadSize >= 4) {
        // Sub-stream id, the count of frames that begin here, then the
        // frames; each holds 1536 samples, at the rate of its header.
        const std::uint8_t* p = packet.payload;
        std::size_t i = 4;
        while (i + 5 <= packet.payloadSize && !(p[i] == 0x0b && p[i + 1] == 0x77)) ++i;
        static constexpr std::array<int, 3> kRates{48000, 44100, 32000};
        const int fscod = i + 5 <= packet.payloadSize ? p[i + 4] >> 6 : 3;
        return fscod < 3 ? kClock * 1536 * p[1] / kRates[static_cast<std::size_t>(fscod)] : 0;
    }
    return clock.frameTicks;
}

// The stream's frame lengths, from its first packets.
void LearnClock(const Packet& packet, StreamClock& clock) {
    if (IsVideo(static_cast<std::uint8_t>(packet.stream)) && packet.stream < 0x100 &&
        clock.frameTicks == 0) {
        const std::size_t at = Find(packet.payload, packet.payloadSize, kSequenceHeader);
        if (at + 8 <= packet.payloadSize) {
            static constexpr std::array<double, 9> kFps{
                0, 24000.0 / 1001, 24, 25, 30000.0 / 1001, 30, 50, 60000.0 / 1001, 60};
            const unsigned code = packet.payload[at + 7] & 0x0f;
            if (code > 0 && code < kFps.size()) clock.frameTicks = kClock / kFps[code];
        }
    } else if (packet.stream < 0x100 && IsMpegAudio(static_cast<std::uint8_t>(packet.stream))) {
        clock.mpegAudio = true;
    } else if (packet.stream >= 0x180 && packet.stream <= 0x187) {
        clock.ac3 = true;
    }
}

}  // namespace

std::int64_t ProgramStreamLength(const std::uint8_t* head, std::size_t headSize,
                                 const std::uint8_t* tail, std::size_t tailSize) {
    if (!head || !tail) return -1;
    std::map<unsigned, StreamClock> clocks;
    std::int64_t first = -1;
    ForEachPacket(head, headSize, [&](const Packet& packet) {
        LearnClock(packet, clocks[packet.stream]);
        if (packet.pts >= 0 && (first < 0 || packet.pts < first)) first = packet.pts;
    });
    if (first < 0) return -1;
    double last = -1;
    ForEachPacket(tail, tailSize, [&](const Packet& packet) {
        if (packet.pts < 0) return;
        // Past the 33-bit clock's wrap (every 26.5 hours) the times start
        // again from zero. An earlier time elsewhere is a joined file's.
        std::int64_t pts = packet.pts;
        if (pts < first) {
            if (first < kPtsWrap / 2 || pts >= kPtsWrap / 2) return;
            pts += kPtsWrap;
        }
        const auto known = clocks.find(packet.stream);
        const double end = static_cast<double>(pts) +
                           (known == clocks.end() ? 0 : CarriedTicks(packet, known->second));
        last = std::max(last, end);
    });
    if (last < static_cast<double>(first)) return -1;
    return static_cast<std::int64_t>(last - static_cast<double>(first) + 0.5);
}

std::vector<std::uint8_t> AnnouncedProgramStreams(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> ids;
    if (!data) return ids;
    if (std::size_t at = Find(data, size, kSystemHeader); at < size)
        ReadSystemHeader(data + at, size - at, ids);
    if (std::size_t at = Find(data, size, kStreamMap); at < size)
        ReadStreamMap(data + at, size - at, ids);
    return ids;
}

}  // namespace quova::engine

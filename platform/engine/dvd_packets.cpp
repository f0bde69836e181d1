#include "platform/engine/dvd_packets.h"

namespace quova::engine {

namespace {

std::int64_t ReadPts(const std::uint8_t* p) {
    return (static_cast<std::int64_t>(p[0] & 0x0E) << 29) | (p[1] << 22) | ((p[2] & 0xFE) << 14) |
           (p[3] << 7) | (p[4] >> 1);
}

}  // namespace

std::vector<DvdPacket> SplitDvdPack(const std::uint8_t* pack, std::size_t size) {
    std::vector<DvdPacket> out;
    if (!pack || size < 14 || pack[0] != 0 || pack[1] != 0 || pack[2] != 1 || pack[3] != 0xBA)
        return out;
    std::size_t pos = (pack[4] & 0xC0) == 0x40 ? 14 + (pack[13] & 0x07) : 12;
    while (pos + 6 <= size) {
        const std::uint8_t* p = pack + pos;
        if (p[0] != 0 || p[1] != 0 || p[2] != 1) break;
        const int id = p[3];
        const std::size_t length = (static_cast<std::size_t>(p[4]) << 8) | p[5];
        const std::size_t end = pos + 6 + length;
        if (end > size) break;
        const bool pes = id == 0xBD || id == 0xE0 || (id >= 0xC0 && id <= 0xC7);
        if (pes && length >= 3 && (p[6] & 0xC0) == 0x80) {
            const std::size_t headerEnd = 9 + static_cast<std::size_t>(p[8]);
            if (6 + length >= headerEnd) {
                DvdPacket packet;
                if ((p[7] & 0x80) && p[8] >= 5) {
                    packet.hasPts = true;
                    packet.pts = ReadPts(p + 9);
                }
                const std::uint8_t* payload = p + headerEnd;
                std::size_t payloadSize = 6 + length - headerEnd;
                bool keep = true;
                if (id == 0xE0) {
                    packet.kind = DvdPacket::Video;
                } else if (id >= 0xC0) {
                    packet.kind = DvdPacket::MpegAudio;
                    packet.stream = id & 0x07;
                } else if (payloadSize >= 1) {
                    const int sub = payload[0];
                    std::size_t skip = 1;
                    if (sub >= 0x20 && sub <= 0x3F) {
                        packet.kind = DvdPacket::Subpicture;
                        packet.stream = sub & 0x1F;
                    } else if (sub >= 0x80 && sub <= 0x87) {
                        packet.kind = DvdPacket::Ac3;
                        packet.stream = sub & 0x07;
                        skip = 4;
                    } else if (sub >= 0x88 && sub <= 0x8F) {
                        packet.kind = DvdPacket::Dts;
                        packet.stream = sub & 0x07;
                        skip = 4;
                    } else if (sub >= 0xA0 && sub <= 0xA7) {
                        packet.kind = DvdPacket::Lpcm;
                        packet.stream = sub & 0x07;
                    } else {
                        keep = false;
                    }
                    if (payloadSize < skip) keep = false;
                    payload += keep ? skip : 0;
                    payloadSize -= keep ? skip : 0;
                } else {
                    keep = false;
                }
                if (keep) {
                    packet.data = payload;
                    packet.size = payloadSize;
                    out.push_back(packet);
                }
            }
        }
        pos = end;
    }
    return out;
}

}  // namespace quova::engine

#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quova::engine {

// One elementary-stream piece of a DVD program-stream block.
struct DvdPacket {
    enum Kind { Video, Ac3, MpegAudio, Lpcm, Dts, Subpicture };
    Kind kind = Video;
    int stream = 0;  // physical stream number within its kind
    bool hasPts = false;
    std::int64_t pts = 0;  // 90 kHz
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

// Splits a 2048-byte pack into its elementary-stream payloads (the private
// stream headers removed). Navigation, padding and unknown packets are left
// out; a damaged pack yields what could be read before the damage.
std::vector<DvdPacket> SplitDvdPack(const std::uint8_t* pack, std::size_t size);

}  // namespace quova::engine

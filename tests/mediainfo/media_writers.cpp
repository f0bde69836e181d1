#include "tests/mediainfo/media_writers.h"

#include <array>
#include <initializer_list>

namespace quova::testing {

std::string U16(uint16_t value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

std::string U32(uint32_t value) {
    return U16(value & 0xFFFF) + U16(value >> 16);
}

std::string U64(uint64_t value) {
    return U32(static_cast<uint32_t>(value)) + U32(static_cast<uint32_t>(value >> 32));
}

namespace riff {

std::string Chunk(const std::string& id, const std::string& data) {
    std::string chunk = id + U32(static_cast<uint32_t>(data.size())) + data;
    if (data.size() % 2) chunk += '\0';
    return chunk;
}

std::string List(const std::string& type, const std::string& content) {
    return Chunk("LIST", type + content);
}

std::string File(const std::string& form, const std::string& content) {
    return "RIFF" + U32(static_cast<uint32_t>(4 + content.size())) + form + content;
}

std::string MainHeader(uint32_t microSecPerFrame, uint32_t maxBytesPerSec, uint32_t frames,
                       uint32_t streams, uint32_t width, uint32_t height) {
    return U32(microSecPerFrame) + U32(maxBytesPerSec) + U32(0) + U32(0x10) + U32(frames) + U32(0) +
           U32(streams) + U32(0x100000) + U32(width) + U32(height) + std::string(16, '\0');
}

std::string StreamHeader(const std::string& type, const std::string& handler, uint32_t scale,
                         uint32_t rate, uint32_t length, uint32_t sampleSize) {
    return type + handler + U32(0) + U16(0) + U16(0) + U32(0) + U32(scale) + U32(rate) + U32(0) +
           U32(length) + U32(0x10000) + U32(10000) + U32(sampleSize) + std::string(8, '\0');
}

std::string BitmapFormat(uint32_t width, uint32_t height, uint16_t bitCount,
                         const std::string& compression, uint32_t imageSize) {
    return U32(40) + U32(width) + U32(height) + U16(1) + U16(bitCount) + compression +
           U32(imageSize) + std::string(16, '\0');
}

std::string WaveFormat(uint16_t tag, uint16_t channels, uint32_t samplesPerSec,
                       uint32_t avgBytesPerSec, uint16_t blockAlign, uint16_t bitsPerSample,
                       uint16_t extraSize) {
    return U16(tag) + U16(channels) + U32(samplesPerSec) + U32(avgBytesPerSec) + U16(blockAlign) +
           U16(bitsPerSample) + U16(extraSize) + std::string(extraSize, '\0');
}

}  // namespace riff

namespace ogg {

namespace {

uint32_t Crc(const std::string& bytes) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t r = i << 24;
            for (int k = 0; k < 8; ++k) r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
            t[i] = r;
        }
        return t;
    }();
    uint32_t crc = 0;
    for (unsigned char c : bytes) crc = (crc << 8) ^ table[((crc >> 24) & 0xFF) ^ c];
    return crc;
}

}  // namespace

std::string Page(uint8_t headerType, int64_t granule, uint32_t serial, uint32_t sequence,
                 const std::string& body) {
    std::string lacing;
    size_t left = body.size();
    while (left >= 255) {
        lacing += static_cast<char>(255);
        left -= 255;
    }
    lacing += static_cast<char>(left);
    std::string page = std::string("OggS") + '\0' + static_cast<char>(headerType) +
                       U64(static_cast<uint64_t>(granule)) + U32(serial) + U32(sequence) + U32(0) +
                       static_cast<char>(lacing.size()) + lacing + body;
    const std::string crc = U32(Crc(page));
    page.replace(22, 4, crc);
    return page;
}

std::string VorbisId(uint8_t channels, uint32_t rate) {
    return std::string("\x01vorbis") + U32(0) + static_cast<char>(channels) + U32(rate) + U32(0) +
           U32(128000) + U32(0) + static_cast<char>(0xB8) + '\x01';
}

std::string VorbisComments(const std::string& vendor,
                           const std::initializer_list<std::string>& comments) {
    std::string packet = "\x03vorbis" + U32(static_cast<uint32_t>(vendor.size())) + vendor +
                         U32(static_cast<uint32_t>(comments.size()));
    for (const std::string& c : comments) packet += U32(static_cast<uint32_t>(c.size())) + c;
    return packet + '\x01';
}

namespace {

std::string OgmHeader(const std::string& type, const std::string& subtype, int64_t timeUnit,
                      int64_t samplesPerUnit, uint16_t bitsPerSample, const std::string& tail) {
    std::string paddedType = type;
    paddedType.resize(8, '\0');
    return "\x01" + paddedType + subtype + U32(52) + U64(static_cast<uint64_t>(timeUnit)) +
           U64(static_cast<uint64_t>(samplesPerUnit)) + U32(1) + U32(65536) + U16(bitsPerSample) +
           U16(0) + tail;
}

}  // namespace

std::string OgmVideo(const std::string& subtype, uint16_t bitsPerSample, uint32_t width,
                     uint32_t height, int64_t frameTime100ns) {
    return OgmHeader("video", subtype, frameTime100ns, 1, bitsPerSample, U32(width) + U32(height));
}

std::string OgmAudio(uint32_t rate, uint16_t channels, uint32_t avgBytesPerSec) {
    return OgmHeader("audio", std::string("55\0\0", 4), 10000000, rate, 16,
                     U16(channels) + U16(4) + U32(avgBytesPerSec));
}

}  // namespace ogg

}  // namespace quova::testing

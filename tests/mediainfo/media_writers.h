#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

// Byte-exact builders for the header structures the readers walk, so tests can
// make the odd, damaged and hostile files that no muxer writes.
namespace quova::testing {

std::string U16(uint16_t value);
std::string U32(uint32_t value);
std::string U64(uint64_t value);

namespace riff {
// identifier, size, data and the pad byte an odd size calls for.
std::string Chunk(const std::string& id, const std::string& data);
std::string List(const std::string& type, const std::string& content);
std::string File(const std::string& form, const std::string& content);

std::string MainHeader(uint32_t microSecPerFrame, uint32_t maxBytesPerSec, uint32_t frames,
                       uint32_t streams, uint32_t width, uint32_t height);
std::string StreamHeader(const std::string& type, const std::string& handler, uint32_t scale,
                         uint32_t rate, uint32_t length, uint32_t sampleSize = 0);
std::string BitmapFormat(uint32_t width, uint32_t height, uint16_t bitCount,
                         const std::string& compression, uint32_t imageSize);
std::string WaveFormat(uint16_t tag, uint16_t channels, uint32_t samplesPerSec,
                       uint32_t avgBytesPerSec, uint16_t blockAlign, uint16_t bitsPerSample,
                       uint16_t extraSize = 0);
}  // namespace riff

namespace ogg {
// One page with its segment table and checksum. `body` is laced as one
// packet that ends on this page.
std::string Page(uint8_t headerType, int64_t granule, uint32_t serial, uint32_t sequence,
                 const std::string& body);

std::string VorbisId(uint8_t channels, uint32_t rate);
std::string VorbisComments(const std::string& vendor,
                           const std::initializer_list<std::string>& comments);
// OGM stream headers (first byte 1, then the type padded to 8 bytes).
std::string OgmVideo(const std::string& subtype, uint16_t bitsPerSample, uint32_t width,
                     uint32_t height, int64_t frameTime100ns);
std::string OgmAudio(uint32_t rate, uint16_t channels, uint32_t avgBytesPerSec);
}  // namespace ogg

}  // namespace quova::testing

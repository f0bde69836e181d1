#include "platform/engine/ps_headers.h"

#include <algorithm>

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

}  // namespace

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

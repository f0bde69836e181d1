#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quova::engine {

// The streams an MPEG program stream announces before its packets: the
// stream ids of its system header and its program stream map, in the order
// found, each once. Reads `data` from the file's start (a pack header, then
// usually the system header and sometimes the map); damaged or cut headers
// end the list where they break.
std::vector<std::uint8_t> AnnouncedProgramStreams(const std::uint8_t* data, std::size_t size);

// How long an MPEG program stream plays, in 90 kHz clock ticks: from the
// earliest presentation time of any stream in `head` (the file's start) to
// the end of the last access unit in `tail` (its last bytes), the latest of
// all streams. A pack's clock runs ahead of what it carries, so the distance
// between the first and last pack clocks falls short by the multiplexer's
// delay. The frame rate and audio frame lengths come from the elementary
// streams' own headers in `head`. -1 when either part holds no time.
std::int64_t ProgramStreamLength(const std::uint8_t* head, std::size_t headSize,
                                 const std::uint8_t* tail, std::size_t tailSize);

}  // namespace quova::engine

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

}  // namespace quova::engine

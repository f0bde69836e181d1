#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/engine/stream_discovery.h"

namespace quova::engine {

// The streams a demuxer found in a file, kept for the rest of the run so that
// a second look at the same file (the media detector's, after the graph's
// splitter read it) costs no second probe. An entry holds only while the file
// keeps the size and modification time it had when it was read.
void RememberFileStreams(const std::string& path, const std::vector<DiscoveredStream>& streams);
std::optional<std::vector<DiscoveredStream>> RecallFileStreams(const std::string& path);

}  // namespace quova::engine

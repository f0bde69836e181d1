#pragma once

#include <cstdint>
#include <string>

#include "platform/engine/result.h"

namespace quova::engine {

// Where the navigator stands, enough to come back to the same place on the
// same disc: what IDvdState carries. Serialised as short text lines so that
// a bookmark can store it as it likes.
struct DvdNavigatorState {
    std::uint64_t discId = 0;
    std::uint32_t domain = 0;  // DVD_DOMAIN
    std::uint32_t title = 0;
    std::uint32_t chapter = 0;
    std::uint64_t titleTime = 0;  // 90 kHz ticks from the start of the title
    std::int32_t audio = -1;      // logical stream, -1 the disc's choice
    std::int32_t subpicture = -1;
    bool subpictureOn = false;
    std::uint32_t angle = 1;
};

std::string SerializeDvdState(const DvdNavigatorState& state);
// VFW_E_DVD_STATE_WRONG_VERSION for a state of another format version,
// VFW_E_DVD_STATE_CORRUPT for anything that does not read as a state.
Outcome<DvdNavigatorState> ParseDvdState(const std::string& text);

}  // namespace quova::engine

#pragma once

#include <string>

#include "platform/engine/guid.h"

namespace quova {

// The readable name of a media type's major type or subtype ("Video", "PCM",
// "MPEG1 Layer3"); any other identifier as its braced text.
std::string MediaTypeName(const engine::Guid& guid);

// Whether a major type given as identifier text is the audio type.
bool IsAudioMajorType(const std::string& guidText);

}  // namespace quova

#pragma once

#include <string>

namespace quova {

// The text the OSD shows; "" shows the time alone.
inline std::string OsdMessage;

}  // namespace quova

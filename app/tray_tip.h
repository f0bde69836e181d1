#pragma once

#include <string>

namespace quova {

// The notification-area tip: the caption's first 62 characters. Counted in
// characters, so a name is never cut inside a UTF-8 sequence.
std::string TrayTip(const std::string& caption);

}  // namespace quova

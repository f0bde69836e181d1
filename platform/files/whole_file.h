#pragma once

#include <cstddef>
#include <string>

namespace quova {

// Reads a plain file of at most `limit` bytes. False when it cannot be read,
// is not a plain file (a named pipe or a device is never opened for waiting)
// or is larger; `tooLarge` tells the last case apart, and `error` (when
// given) says what went wrong.
bool ReadWholeFile(const std::string& path, std::size_t limit, std::string& bytes, bool* tooLarge,
                   std::string* error = nullptr);

}  // namespace quova

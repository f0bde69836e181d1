#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace quova {

// Replaces `path` with `bytes` so that a crash, a power loss or a full disk
// leaves either the old file or the new one, never a mixture: the bytes go to
// a temporary file beside it, are flushed to the disk, and the temporary file
// is renamed over the old one. On failure the old file stays, the temporary
// file is removed, and `error` says why.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error);

// The same for content a writer produces into the temporary file it is given
// (a compound file written by a library); a false return from `write` fails.
bool ReplaceFileAtomically(const std::string& path,
                           const std::function<bool(const std::string& temporary)>& write,
                           std::string* error);

// Reads at most `limit` bytes; false when the file cannot be read or is larger.
bool ReadWholeFile(const std::string& path, std::size_t limit, std::string& bytes, bool* tooLarge);

}  // namespace quova

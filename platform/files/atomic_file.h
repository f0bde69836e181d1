#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace quova {

// Replaces `path` with `bytes` so that a crash, a power loss or a full disk
// leaves either the old file or the new one, never a mixture: the bytes go to
// a temporary file beside it, are flushed to the disk, and the temporary file
// is renamed over the old one. On failure the old file stays, the temporary
// file is removed, and `error` says why. The new file keeps the old one's
// permissions.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error);

// The two halves of the above for a writer that needs a descriptor (a media
// pipeline). Creates a new, empty file in the folder of `path` under a short
// unique name (".quova-" and six characters, so that a name near the length
// limit still fits), never through an existing name or a link planted there;
// returns its name and sets `fd` (close-on-exec), or returns "" with `fd` -1
// and errno set.
std::string CreateTemporaryBeside(const std::string& path, int& fd);
// Gives the written temporary file the name `path` as WriteFileAtomically
// does; on failure the temporary file is removed and `error` says why.
bool CommitTemporaryFile(const std::string& temporary, const std::string& path, std::string* error);

// Writes `bytes` into `folder` as WriteFileAtomically does, but under a name
// no entry has: nameFor(1), nameFor(2), ... up to nameFor(limit), the first
// that is free when the file gets it. Nothing that is there is ever replaced,
// not even an entry made meanwhile by someone else. Returns the new file's
// path, or "" with `error` set.
std::string WriteNewFileAtomically(const std::string& folder,
                                   const std::function<std::string(int)>& nameFor,
                                   std::string_view bytes, std::string* error, int limit = 10000);

}  // namespace quova

#include "platform/files/folder_safety.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace quova {

namespace fs = std::filesystem;

namespace {

bool TrustedOwner(uid_t owner) {
    return owner == getuid() || owner == 0;
}

bool WritableByOthers(const struct stat& st) {
    return (st.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}

bool SafeFolder(const struct stat& st) {
    if (!S_ISDIR(st.st_mode) || !TrustedOwner(st.st_uid)) return false;
    return !WritableByOthers(st) || (st.st_mode & S_ISVTX) != 0;
}

// `forGood`: a shared folder (sticky, writable by others) passes only with
// the next entry on the way owned by root for a user who is not root.
bool Check(const fs::path& folder, int depth, bool forGood) {
    std::error_code ec;
    const fs::path full = fs::absolute(folder, ec).lexically_normal();
    if (ec || depth > 1) return false;
    fs::path prefix;
    bool inShared = false;
    for (const fs::path& part : full) {
        prefix /= part;
        struct stat st {};
        if (lstat(prefix.c_str(), &st) != 0) return false;
        if (inShared && (st.st_uid != 0 || getuid() == 0)) return false;
        inShared = false;
        if (S_ISLNK(st.st_mode)) {
            // The link lies in a folder that passed; where it leads must pass too.
            if (!TrustedOwner(st.st_uid)) return false;
            const fs::path target = fs::canonical(prefix, ec);
            if (ec || !Check(target, depth + 1, forGood)) return false;
            continue;
        }
        if (!SafeFolder(st)) return false;
        inShared = forGood && WritableByOthers(st);
    }
    // The folder itself shared: whatever lies in it can be replaced later.
    return !inShared;
}

}  // namespace

bool OnlyUserControls(const fs::path& folder) {
    return Check(folder, 0, false);
}

bool OnlyUserControlsForGood(const fs::path& folder) {
    return Check(folder, 0, true);
}

bool MakeUserFolder(const fs::path& folder) {
    std::error_code ec;
    const fs::path full = fs::absolute(folder, ec).lexically_normal();
    if (ec) return false;
    fs::path prefix;
    for (const fs::path& part : full) {
        prefix /= part;
        struct stat st {};
        if (lstat(prefix.c_str(), &st) == 0) continue;
        // The first missing folder: what holds it must be safe before
        // anything is created in it.
        if (errno != ENOENT || !OnlyUserControls(prefix.parent_path())) return false;
        if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    struct stat st {};
    return lstat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid() &&
           OnlyUserControls(full);
}

}  // namespace quova

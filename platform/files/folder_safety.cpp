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

bool SafeFolder(const struct stat& st) {
    if (!S_ISDIR(st.st_mode) || !TrustedOwner(st.st_uid)) return false;
    return (st.st_mode & (S_IWGRP | S_IWOTH)) == 0 || (st.st_mode & S_ISVTX) != 0;
}

bool Check(const fs::path& folder, int depth) {
    std::error_code ec;
    const fs::path full = fs::absolute(folder, ec).lexically_normal();
    if (ec || depth > 1) return false;
    fs::path prefix;
    for (const fs::path& part : full) {
        prefix /= part;
        struct stat st {};
        if (lstat(prefix.c_str(), &st) != 0) return false;
        if (S_ISLNK(st.st_mode)) {
            // The link lies in a folder that passed; where it leads must pass too.
            if (!TrustedOwner(st.st_uid)) return false;
            const fs::path target = fs::canonical(prefix, ec);
            if (ec || !Check(target, depth + 1)) return false;
            continue;
        }
        if (!SafeFolder(st)) return false;
    }
    return true;
}

}  // namespace

bool OnlyUserControls(const fs::path& folder) {
    return Check(folder, 0);
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

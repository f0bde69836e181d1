#include "playback/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace quova {

namespace {

std::string FolderOfPath(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

void SetError(std::string* error, const std::string& text) {
    if (error) *error = text;
}

// A fresh name beside `path` that no other writer uses.
std::string TemporaryName(const std::string& path, int& fd) {
    std::string pattern = path + ".XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    fd = mkstemp(buffer.data());
    return fd < 0 ? std::string() : std::string(buffer.data());
}

bool SyncFile(const std::string& name) {
    const int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = fsync(fd) == 0;
    close(fd);
    return ok;
}

bool Commit(const std::string& temporary, const std::string& path, std::string* error) {
    // Keep the permissions of the file being replaced, else the usual ones.
    struct stat old {};
    chmod(temporary.c_str(), stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);
    if (!SyncFile(temporary) || rename(temporary.c_str(), path.c_str()) != 0) {
        SetError(error, std::strerror(errno));
        unlink(temporary.c_str());
        return false;
    }
    // The rename itself lasts only once the folder is on the disk.
    const int dir = open(FolderOfPath(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error) {
    int fd = -1;
    const std::string temporary = TemporaryName(path, fd);
    if (fd < 0) {
        SetError(error, std::strerror(errno));
        return false;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            SetError(error, std::strerror(n < 0 ? errno : ENOSPC));
            close(fd);
            unlink(temporary.c_str());
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    if (close(fd) != 0) {
        SetError(error, std::strerror(errno));
        unlink(temporary.c_str());
        return false;
    }
    return Commit(temporary, path, error);
}

bool ReplaceFileAtomically(const std::string& path,
                           const std::function<bool(const std::string& temporary)>& write,
                           std::string* error) {
    int fd = -1;
    const std::string temporary = TemporaryName(path, fd);
    if (fd < 0) {
        SetError(error, std::strerror(errno));
        return false;
    }
    close(fd);
    if (!write(temporary)) {
        if (error && error->empty()) *error = "write failed";
        unlink(temporary.c_str());
        return false;
    }
    return Commit(temporary, path, error);
}

bool ReadWholeFile(const std::string& path, std::size_t limit, std::string& bytes, bool* tooLarge) {
    if (tooLarge) *tooLarge = false;
    bytes.clear();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    char buffer[8192];
    bool ok = true;
    for (;;) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, file);
        if (bytes.size() + n > limit) {
            if (tooLarge) *tooLarge = true;
            ok = false;
            break;
        }
        bytes.append(buffer, n);
        if (n < sizeof buffer) {
            ok = !std::ferror(file);
            break;
        }
    }
    std::fclose(file);
    return ok;
}

}  // namespace quova

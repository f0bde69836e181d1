#include "platform/files/atomic_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

void SetErrno(std::string* error, int code) {
    SetError(error, std::strerror(code));
}

}  // namespace

std::string CreateTemporaryBeside(const std::string& path, int& fd) {
    const std::string pattern = FolderOfPath(path) + "/.quova-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    // mkostemp creates with O_EXCL, which fails on any existing name, a
    // dangling link included, so nothing planted there is written through.
    fd = mkostemp(buffer.data(), O_CLOEXEC);
    return fd < 0 ? std::string() : std::string(buffer.data());
}

namespace {

// Flushes the written temporary file through its own descriptor, which it
// closes, and renames it over `path`: nothing is opened again by name, so a
// link or a file planted under the temporary name meanwhile is never taken.
bool CommitOpenTemporary(int fd, const std::string& temporary, const std::string& path,
                         std::string* error) {
    // Keep the permissions of the file being replaced, else the usual ones.
    struct stat old {};
    fchmod(fd, stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);
    const bool synced = fsync(fd) == 0;
    const int syncError = errno;
    const bool closed = close(fd) == 0;
    const int closeError = errno;
    if (!synced || !closed || rename(temporary.c_str(), path.c_str()) != 0) {
        SetErrno(error, !synced ? syncError : !closed ? closeError : errno);
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

bool CommitTemporaryFile(const std::string& temporary, const std::string& path,
                         std::string* error) {
    const int fd = open(temporary.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        SetErrno(error, errno);
        unlink(temporary.c_str());
        return false;
    }
    return CommitOpenTemporary(fd, temporary, path, error);
}

namespace {

// Writes all of `bytes`; on failure closes `fd`, removes the file and says why.
bool WriteAll(int fd, const std::string& temporary, std::string_view bytes, std::string* error) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            SetErrno(error, n < 0 ? errno : ENOSPC);
            close(fd);
            unlink(temporary.c_str());
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Gives `temporary` the name `path` only while no entry has it: 0, or the
// errno (EEXIST when the name is taken).
int RenameWithoutReplacing(const std::string& temporary, const std::string& path) {
    if (renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // File systems without the flag: a hard link never replaces either.
    if (link(temporary.c_str(), path.c_str()) != 0) return errno;
    unlink(temporary.c_str());
    return 0;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error) {
    int fd = -1;
    const std::string temporary = CreateTemporaryBeside(path, fd);
    if (fd < 0) {
        SetErrno(error, errno);
        return false;
    }
    if (!WriteAll(fd, temporary, bytes, error)) return false;
    return CommitOpenTemporary(fd, temporary, path, error);
}

std::string WriteNewFileAtomically(const std::string& folder,
                                   const std::function<std::string(int)>& nameFor,
                                   std::string_view bytes, std::string* error, int limit) {
    const std::string base = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    int fd = -1;
    const std::string temporary = CreateTemporaryBeside(base + "x", fd);
    if (fd < 0) {
        SetErrno(error, errno);
        return {};
    }
    if (!WriteAll(fd, temporary, bytes, error)) return {};
    fchmod(fd, 0644);
    const bool synced = fsync(fd) == 0;
    const int syncError = errno;
    const bool closed = close(fd) == 0;
    if (!synced || !closed) {
        SetErrno(error, !synced ? syncError : errno);
        unlink(temporary.c_str());
        return {};
    }
    for (int n = 1; n <= limit; ++n) {
        const std::string name = nameFor(n);
        if (name.empty() || name.find('/') != std::string::npos) break;
        const std::string path = base + name;
        const int failed = RenameWithoutReplacing(temporary, path);
        if (failed == EEXIST) continue;
        if (failed != 0) {
            SetErrno(error, failed);
            unlink(temporary.c_str());
            return {};
        }
        const int dir = open(FolderOfPath(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            fsync(dir);
            close(dir);
        }
        return path;
    }
    SetErrno(error, EEXIST);
    unlink(temporary.c_str());
    return {};
}

}  // namespace quova

#include "platform/files/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quova {

bool ReadWholeFile(const std::string& path, std::size_t limit, std::string& bytes, bool* tooLarge,
                   std::string* error) {
    if (tooLarge) *tooLarge = false;
    bytes.clear();
    const auto fail = [&](const char* why) {
        if (error) *error = why;
        return false;
    };
    // Without O_NONBLOCK a named pipe would hold the caller in open() until a
    // writer comes, which may be never.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return fail(std::strerror(errno));
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return fail("not a plain file");
    }
    char buffer[8192];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int code = errno;
            close(fd);
            return fail(std::strerror(code));
        }
        if (n == 0) break;
        if (bytes.size() + static_cast<std::size_t>(n) > limit) {
            if (tooLarge) *tooLarge = true;
            close(fd);
            bytes.clear();
            return fail("too large");
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    return true;
}

}  // namespace quova

#include "tests/support/file_events.h"

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quova::testing {

FileWrites::FileWrites(const std::filesystem::path& folder) {
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0 || inotify_add_watch(fd_, folder.c_str(), IN_MOVED_TO | IN_CLOSE_WRITE) < 0)
        ADD_FAILURE() << "cannot watch " << folder << ": " << std::strerror(errno);
}

FileWrites::~FileWrites() {
    if (fd_ >= 0) close(fd_);
}

void FileWrites::Drain() {
    alignas(inotify_event) char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = read(fd_, buffer, sizeof buffer);
        if (n <= 0) break;
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->mask & IN_Q_OVERFLOW) ADD_FAILURE() << "file events were lost";
            if (event->len > 0) ++counts_[event->name];
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

int FileWrites::Of(const std::string& name) {
    Drain();
    const auto found = counts_.find(name);
    return found == counts_.end() ? 0 : found->second;
}

}  // namespace quova::testing

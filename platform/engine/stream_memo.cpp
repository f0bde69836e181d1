#include "platform/engine/stream_memo.h"

#include <sys/stat.h>

#include <deque>
#include <mutex>

namespace quova::engine {

namespace {

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long modifiedNs = 0;
    bool operator==(const FileIdentity&) const = default;
};

std::optional<FileIdentity> IdentityOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino, info.st_size,
                        info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec};
}

struct Entry {
    std::string path;
    FileIdentity identity;
    std::vector<DiscoveredStream> streams;
};

// A few files are enough: the memo serves the open in progress, and a play
// list going back and forth.
constexpr size_t kEntries = 8;

// What a file holds is the same whichever graph asks: the memo is the
// process's, and the discovery threads and the open share it.
struct Memo {
    std::mutex lock;
    std::deque<Entry> entries;
};
Memo gMemo;

}  // namespace

void RememberFileStreams(const std::string& path, const std::vector<DiscoveredStream>& streams) {
    const auto identity = IdentityOf(path);
    if (!identity || streams.empty()) return;
    std::lock_guard guard(gMemo.lock);
    auto& memo = gMemo.entries;
    std::erase_if(memo, [&](const Entry& e) { return e.path == path; });
    memo.push_front({path, *identity, streams});
    if (memo.size() > kEntries) memo.pop_back();
}

std::optional<std::vector<DiscoveredStream>> RecallFileStreams(const std::string& path) {
    const auto identity = IdentityOf(path);
    std::lock_guard guard(gMemo.lock);
    for (const Entry& e : gMemo.entries)
        if (e.path == path) {
            if (identity && e.identity == *identity) return e.streams;
            return std::nullopt;
        }
    return std::nullopt;
}

}  // namespace quova::engine

#include "platform/registry/registry_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>

#include "platform/encoding/text_encoding.h"
#include "platform/registry/registry.h"

namespace quova::registry {

namespace {

// A settings file is a few kilobytes; one far larger is not ours to parse.
constexpr std::uintmax_t kMaxFileSize = 32 * 1024 * 1024;

std::string SystemError(const std::string& what, const std::filesystem::path& path) {
    return what + " " + path.string() + ": " + std::strerror(errno);
}

class FileLock {
  public:
    explicit FileLock(const std::filesystem::path& path) {
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ < 0) throw RegistryError(SystemError("cannot lock", path));
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(fd_);
                throw RegistryError(SystemError("cannot lock", path));
            }
        }
    }
    ~FileLock() {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

  private:
    int fd_;
};

void WriteAll(int fd, const std::string& bytes, const std::filesystem::path& path) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw RegistryError(SystemError("cannot write", path));
        }
        done += static_cast<size_t>(n);
    }
}

// Writes `bytes` to `target` through a temporary file in the same folder.
void WriteAtomically(const std::filesystem::path& target, const std::string& bytes) {
    std::string temp = target.string() + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) throw RegistryError(SystemError("cannot write", target));
    try {
        ::fchmod(fd, 0600);
        WriteAll(fd, bytes, temp);
        if (::fsync(fd) != 0) throw RegistryError(SystemError("cannot flush", temp));
    } catch (...) {
        ::close(fd);
        ::unlink(temp.c_str());
        throw;
    }
    ::close(fd);
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const std::string message = SystemError("cannot replace", target);
        ::unlink(temp.c_str());
        throw RegistryError(message);
    }
}

bool HasWriteBits(const std::filesystem::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && (st.st_mode & 0222) != 0 &&
           ::access(path.c_str(), W_OK) == 0;
}

}  // namespace

RegistryStore::RegistryStore(std::filesystem::path file) : file_(std::move(file)) {}

bool RegistryStore::Identity::operator==(const Identity& o) const {
    return exists == o.exists && device == o.device && inode == o.inode && size == o.size &&
           modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
           changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
}

namespace {

RegistryStore::Identity IdentityOf(const struct stat& st) {
    return {true, st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

// The whole file through one descriptor, so that what is read and the
// identity it is kept under belong to the same file. An empty error on success.
std::string ReadWhole(const std::filesystem::path& path, std::string& bytes, struct stat& st) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return SystemError("cannot read", path);
    std::string error;
    if (::fstat(fd, &st) != 0) {
        error = SystemError("cannot read", path);
    } else if (!S_ISREG(st.st_mode)) {
        error = "cannot read " + path.string() + ": not a regular file";
    } else if (static_cast<std::uintmax_t>(st.st_size) <= kMaxFileSize) {
        bytes.clear();
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n == 0) break;
            if (n < 0) {
                if (errno == EINTR) continue;
                error = SystemError("cannot read", path);
                break;
            }
            bytes.append(buffer, static_cast<size_t>(n));
            if (bytes.size() > kMaxFileSize) {
                // Part of a file is not the file: it must not be written back.
                error = "cannot read " + path.string() + ": it grew while being read";
                break;
            }
        }
    }
    ::close(fd);
    return error;
}

timespec Now() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return now;
}

// Whether a file last changed at `changed` was surely changed before `readAt`
// by a margin no file system's time stamps blur.
bool Settled(const timespec& changed, const timespec& readAt) {
    return readAt.tv_sec - changed.tv_sec > 1;
}

}  // namespace

const RegistryStore::Loaded& RegistryStore::Load() {
    struct stat st {};
    if (::stat(file_.c_str(), &st) != 0) {
        if (errno == ENOENT) {
            if (!cachedIdentity_ || cachedIdentity_->exists) {
                cached_ = Loaded{std::make_shared<RegDocument>(), {}, false, {}};
                cachedIdentity_ = Identity{};
            }
        } else {
            // Whether there is a file at all cannot be told: nothing is known of it.
            cached_ = Loaded{
                std::make_shared<RegDocument>(), {}, false, SystemError("cannot read", file_)};
            cachedIdentity_.reset();
        }
        return cached_;
    }
    const timespec now = Now();
    if (cachedIdentity_ && *cachedIdentity_ == IdentityOf(st)) {
        if (Settled(st.st_ctim, loadedAt_)) return cached_;
        // File times tick coarsely: a change within the same tick as the
        // read leaves them as they were, so a file changed that recently is
        // judged by its bytes.
        std::string bytes;
        struct stat again {};
        if (ReadWhole(file_, bytes, again).empty() && IdentityOf(again) == *cachedIdentity_ &&
            bytes == cached_.bytes) {
            loadedAt_ = now;
            return cached_;
        }
    }

    Loaded loaded;
    auto document = std::make_shared<RegDocument>();
    loadedAt_ = now;
    loaded.error = ReadWhole(file_, loaded.bytes, st);
    if (loaded.error.empty() && static_cast<std::uintmax_t>(st.st_size) > kMaxFileSize) {
        loaded.tooLarge = true;
        loaded.bytes.clear();
        document->unreadableLines = 1;
    } else if (loaded.error.empty()) {
        *document = ParseRegistryText(DecodeTextByLine(loaded.bytes));
    }
    loaded.document = std::move(document);
    cached_ = std::move(loaded);
    // A file that could not be read is tried again at the next read: the
    // cause may pass.
    if (cached_.error.empty())
        cachedIdentity_ = IdentityOf(st);
    else
        cachedIdentity_.reset();
    return cached_;
}

std::shared_ptr<const RegDocument> RegistryStore::Snapshot() {
    std::lock_guard guard(mutex_);
    if (batch_.document) return batch_.document;
    const Loaded& loaded = Load();
    if (!loaded.error.empty() && loaded.error != reported_) {
        std::fprintf(stderr, "quova: %s; running on default settings and saving none\n",
                     loaded.error.c_str());
    }
    reported_ = loaded.error;
    return loaded.document;
}

bool RegistryStore::Writable() {
    const auto folder = file_.parent_path();
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        std::filesystem::create_directories(folder, ec);
        if (ec) return false;
    }
    if (!HasWriteBits(folder)) return false;
    {
        std::lock_guard guard(mutex_);
        if (!Load().error.empty()) return false;
    }
    return !std::filesystem::exists(file_, ec) || HasWriteBits(file_);
}

void RegistryStore::KeepDamagedCopy(const Loaded& loaded) const {
    std::filesystem::path copy;
    for (int n = 0;; ++n) {
        copy = file_.string() + ".damaged" + (n ? "." + std::to_string(n) : std::string());
        if (!std::filesystem::exists(copy)) break;
    }
    if (loaded.tooLarge) {
        // Too large to copy cheaply: move it aside instead.
        std::error_code ec;
        std::filesystem::rename(file_, copy, ec);
        if (ec) throw RegistryError("cannot keep a copy of the damaged " + file_.string());
        return;
    }
    WriteAtomically(copy, loaded.bytes);
}

void RegistryStore::Modify(const std::function<bool(RegDocument&)>& change, bool keepCopy) {
    std::lock_guard guard(mutex_);
    if (batch_.depth == 0) {
        ApplyAndWrite(change, keepCopy);
        return;
    }
    if (!batch_.document) {
        const Loaded& loaded = Load();
        if (!loaded.error.empty())
            throw RegistryError(loaded.error +
                                "; not writing over settings that could not be read");
        batch_.document = std::make_shared<RegDocument>(*loaded.document);
    } else if (batch_.document.use_count() > 1) {
        // A reader or a savepoint holds this one: it stays as they saw it.
        batch_.document = std::make_shared<RegDocument>(*batch_.document);
    }
    if (change(*batch_.document)) batch_.changes.push_back({change, keepCopy});
}

RegistryStore::Savepoint RegistryStore::BeginBatch() {
    std::lock_guard guard(mutex_);
    ++batch_.depth;
    return {batch_.document, batch_.changes.size()};
}

void RegistryStore::EndBatch(bool keep, const Savepoint& from) {
    std::lock_guard guard(mutex_);
    if (!keep) {
        batch_.document = from.document;
        batch_.changes.erase(batch_.changes.begin() + static_cast<std::ptrdiff_t>(from.changes),
                             batch_.changes.end());
    }
    if (--batch_.depth > 0) return;
    const Gathering gathered = std::move(batch_);
    batch_ = Gathering{};
    if (gathered.changes.empty()) return;
    bool keepCopy = false;
    for (const Change& c : gathered.changes) keepCopy = keepCopy || c.keepCopy;
    // Against the file as it is now: what another instance wrote meanwhile
    // stays, and each change decides again whether it changes anything.
    ApplyAndWrite(
        [&gathered](RegDocument& document) {
            bool changed = false;
            for (const Change& c : gathered.changes) changed = c.apply(document) || changed;
            return changed;
        },
        keepCopy);
}

void RegistryStore::ApplyAndWrite(const std::function<bool(RegDocument&)>& change, bool keepCopy) {
    std::error_code ec;
    std::filesystem::create_directories(file_.parent_path(), ec);
    FileLock lock(file_.string() + ".lock");
    const Loaded& loaded = Load();
    if (!loaded.error.empty())
        throw RegistryError(loaded.error + "; not writing over settings that could not be read");
    RegDocument document = *loaded.document;
    if (!change(document)) return;
    if (keepCopy || document.unreadableLines > 0) KeepDamagedCopy(loaded);
    document.unreadableLines = 0;
    std::string bytes = SerializeRegistry(document);
    const timespec writtenAt = Now();
    WriteAtomically(file_, bytes);
    ++writes_;
    // What was just written is what the next read would parse.
    struct stat st {};
    if (::stat(file_.c_str(), &st) == 0) {
        cached_ =
            Loaded{std::make_shared<RegDocument>(std::move(document)), std::move(bytes), false, {}};
        cachedIdentity_ = IdentityOf(st);
        loadedAt_ = writtenAt;
    } else {
        cachedIdentity_.reset();
    }
}

}  // namespace quova::registry

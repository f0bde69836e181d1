#include "platform/registry/registry_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
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

RegistryStore::Loaded RegistryStore::Load() const {
    Loaded loaded;
    std::error_code ec;
    const auto size = std::filesystem::file_size(file_, ec);
    if (ec) return loaded;  // no file yet
    if (size > kMaxFileSize) {
        loaded.tooLarge = true;
        loaded.document.unreadableLines = 1;
        return loaded;
    }
    std::ifstream in(file_, std::ios::binary);
    loaded.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    loaded.document = ParseRegistryText(DecodeText(loaded.bytes));
    return loaded;
}

RegDocument RegistryStore::Snapshot() {
    std::lock_guard guard(mutex_);
    return Load().document;
}

bool RegistryStore::Writable() const {
    const auto folder = file_.parent_path();
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        std::filesystem::create_directories(folder, ec);
        if (ec) return false;
    }
    if (!HasWriteBits(folder)) return false;
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
    std::error_code ec;
    std::filesystem::create_directories(file_.parent_path(), ec);
    FileLock lock(file_.string() + ".lock");
    Loaded loaded = Load();
    if (!change(loaded.document)) return;
    if (keepCopy || loaded.document.unreadableLines > 0) KeepDamagedCopy(loaded);
    loaded.document.unreadableLines = 0;
    WriteAtomically(file_, SerializeRegistry(loaded.document));
}

}  // namespace quova::registry

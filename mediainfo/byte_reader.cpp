#include "mediainfo/byte_reader.h"

#include <algorithm>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/encoding/text_encoding.h"

namespace quova {

namespace {
const char* const kBeyondEnd = "Read beyond end of file";
}

size_t MemorySource::ReadAt(uint64_t offset, char* out, size_t count) {
    if (offset >= bytes_.size()) return 0;
    const size_t n = static_cast<size_t>(std::min<uint64_t>(count, bytes_.size() - offset));
    std::memcpy(out, bytes_.data() + offset, n);
    return n;
}

FileSource::FileSource(const std::filesystem::path& path) {
    // Without O_NONBLOCK, opening a named pipe would wait for a writer that
    // may never come; only plain files are read, as the check below decides.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) return;
    struct stat info {};
    if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        return;
    }
    size_ = static_cast<uint64_t>(info.st_size);
}

FileSource::~FileSource() {
    if (fd_ >= 0) ::close(fd_);
}

size_t FileSource::ReadAt(uint64_t offset, char* out, size_t count) {
    size_t copied = 0;
    while (copied < count && fd_ >= 0) {
        const uint64_t at = offset + copied;
        if (at < windowStart_ || at >= windowStart_ + windowLength_) {
            window_.resize(kWindowSize);
            const ssize_t got = ::pread(fd_, window_.data(), kWindowSize, static_cast<off_t>(at));
            if (got <= 0) break;
            windowStart_ = at;
            windowLength_ = static_cast<size_t>(got);
        }
        const size_t inWindow = static_cast<size_t>(windowStart_ + windowLength_ - at);
        const size_t n = std::min(count - copied, inWindow);
        std::memcpy(out + copied, window_.data() + (at - windowStart_), n);
        copied += n;
    }
    return copied;
}

void BinaryReader::Fill(char* out, size_t count) {
    if (count > Remaining()) throw ReadError(kBeyondEnd);
    if (source_.ReadAt(position_, out, count) != count) throw ReadError(kBeyondEnd);
    position_ += count;
}

uint8_t BinaryReader::ReadByte() {
    char c;
    Fill(&c, 1);
    return static_cast<uint8_t>(c);
}

uint16_t BinaryReader::ReadU16() {
    unsigned char b[2];
    Fill(reinterpret_cast<char*>(b), 2);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t BinaryReader::ReadU32() {
    unsigned char b[4];
    Fill(reinterpret_cast<char*>(b), 4);
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
           (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

uint64_t BinaryReader::ReadU64() {
    const uint64_t low = ReadU32();
    const uint64_t high = ReadU32();
    return low | (high << 32);
}

std::string BinaryReader::ReadText(size_t count) {
    if (count > Remaining()) throw ReadError(kBeyondEnd);
    std::string text(count, '\0');
    Fill(text.data(), count);
    return text;
}

std::string BinaryReader::ReadTextUpTo(size_t count) {
    return ReadText(static_cast<size_t>(std::min<uint64_t>(count, Remaining())));
}

void BinaryReader::Skip(uint64_t count) {
    if (count > Remaining()) throw ReadError(kBeyondEnd);
    position_ += count;
}

void BinaryReader::Seek(uint64_t position) {
    if (position > size_) throw ReadError(kBeyondEnd);
    position_ = position;
}

std::string_view StripPadding(std::string_view bytes) {
    while (!bytes.empty() && static_cast<unsigned char>(bytes.front()) <= ' ')
        bytes.remove_prefix(1);
    while (!bytes.empty() && static_cast<unsigned char>(bytes.back()) <= ' ')
        bytes.remove_suffix(1);
    return bytes;
}

std::string PrintableCode(std::string_view bytes) {
    std::string plain(bytes);
    for (char& c : plain) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) c = ' ';
    }
    return Windows1252ToUtf8(plain);
}

}  // namespace quova

#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quova {

// The bytes a header reader walks: a file on disk, or memory (tests, fuzzing).
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual uint64_t Size() const = 0;
    // Copies up to `count` bytes from `offset`; returns how many it copied.
    virtual size_t ReadAt(uint64_t offset, char* out, size_t count) = 0;
};

class MemorySource : public ByteSource {
  public:
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
    uint64_t Size() const override { return bytes_.size(); }
    size_t ReadAt(uint64_t offset, char* out, size_t count) override;

  private:
    std::string_view bytes_;
};

// A file opened read-only; IsOpen() tells whether opening worked. Reads go
// through a window of the file so that a walk of many small fields costs few
// system calls.
class FileSource : public ByteSource {
  public:
    explicit FileSource(const std::filesystem::path& path);
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    uint64_t Size() const override { return size_; }
    size_t ReadAt(uint64_t offset, char* out, size_t count) override;

  private:
    static constexpr size_t kWindowSize = 64 * 1024;

    int fd_ = -1;
    uint64_t size_ = 0;
    std::vector<char> window_;
    uint64_t windowStart_ = 0;
    size_t windowLength_ = 0;
};

// What ends a header walk: the file ran out or holds something impossible.
class ReadError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Little-endian reading with a position that never passes the end of the
// source: every read or move beyond it throws ReadError instead.
class BinaryReader {
  public:
    explicit BinaryReader(ByteSource& source) : source_(source), size_(source.Size()) {}

    uint64_t Position() const { return position_; }
    uint64_t Size() const { return size_; }
    uint64_t Remaining() const { return size_ - position_; }

    uint8_t ReadByte();
    uint16_t ReadU16();
    uint32_t ReadU32();
    uint64_t ReadU64();
    // Exactly `count` bytes.
    std::string ReadText(size_t count);
    // Up to `count` bytes: fewer when the source ends first (no error).
    std::string ReadTextUpTo(size_t count);
    void Skip(uint64_t count);
    void Seek(uint64_t position);

  private:
    void Fill(char* out, size_t count);

    ByteSource& source_;
    uint64_t size_;
    uint64_t position_ = 0;
};

// A fixed-width field without the blanks, zero bytes and other control bytes
// that pad it at either end.
std::string_view StripPadding(std::string_view bytes);

// A four-character code or other short label from a file, made fit to show:
// control bytes become blanks and the rest is read as Windows-1252.
std::string PrintableCode(std::string_view bytes);

}  // namespace quova

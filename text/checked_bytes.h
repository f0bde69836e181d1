#pragma once

#include <cstddef>
#include <string_view>

namespace quova {

// Big-endian reads from a packet that came from a file. Callers ask Has()
// before every read, so damaged lengths and offsets never read past the end.
class CheckedBytes {
  public:
    explicit CheckedBytes(std::string_view data) : data_(data) {}
    std::size_t size() const { return data_.size(); }
    bool Has(std::size_t at, std::size_t count) const {
        return at <= data_.size() && count <= data_.size() - at;
    }
    unsigned Byte(std::size_t at) const { return static_cast<unsigned char>(data_[at]); }
    unsigned Be16(std::size_t at) const { return Byte(at) << 8 | Byte(at + 1); }
    unsigned Be24(std::size_t at) const { return Byte(at) << 16 | Be16(at + 1); }
    std::string_view Part(std::size_t at, std::size_t count) const {
        return data_.substr(at, count);
    }

  private:
    std::string_view data_;
};

}  // namespace quova

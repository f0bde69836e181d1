#pragma once

#include <string>
#include <string_view>

namespace quova {

// No subtitle line comes near this; a longer one is cut here so that a
// hostile file cannot make the per-line work (splitting, joining) explode.
constexpr size_t kMaxSubtitleLineBytes = 64 * 1024;

// Hands out the lines of a subtitle file's bytes one at a time, as UTF-8 and
// trimmed of blanks at both ends: a leading byte-order mark is skipped, the
// bytes are UTF-8 when the whole file is valid UTF-8 and Windows-1252
// otherwise, and CR LF, LF and a lone CR all end a line. Lines are decoded as
// they are read, so a file costs no more memory than its bytes.
class SubtitleLineReader {
  public:
    // `bytes` must outlive the reader.
    explicit SubtitleLineReader(std::string_view bytes);

    // The next line into `line`; false at the end of the file.
    bool Next(std::string& line);

  private:
    std::string_view bytes_;
    size_t pos_ = 0;
    bool utf8_ = true;
};

}  // namespace quova

#include "text/subtitle_lines.h"

#include "platform/encoding/text_encoding.h"
#include "text/string_utils.h"

namespace quova {

SubtitleLineReader::SubtitleLineReader(std::string_view bytes) : bytes_(bytes) {
    if (bytes_.substr(0, 3) == "\xEF\xBB\xBF") bytes_.remove_prefix(3);
    utf8_ = IsValidUtf8(bytes_);
}

bool SubtitleLineReader::Next(std::string& line) {
    if (pos_ >= bytes_.size()) return false;
    size_t end = pos_;
    while (end < bytes_.size() && bytes_[end] != '\n' && bytes_[end] != '\r') ++end;
    std::string_view raw = bytes_.substr(pos_, end - pos_);
    pos_ = end;
    if (pos_ < bytes_.size()) {
        if (bytes_[pos_] == '\r' && pos_ + 1 < bytes_.size() && bytes_[pos_ + 1] == '\n') ++pos_;
        ++pos_;
    }
    if (raw.size() > kMaxSubtitleLineBytes) {
        size_t cut = kMaxSubtitleLineBytes;
        // Never split a UTF-8 sequence.
        if (utf8_)
            while (cut > 0 && (static_cast<unsigned char>(raw[cut]) & 0xC0) == 0x80) --cut;
        raw = raw.substr(0, cut);
    }
    raw = TrimBlanks(raw);
    if (utf8_)
        line.assign(raw);
    else
        line = Windows1252ToUtf8(raw);
    return true;
}

}  // namespace quova

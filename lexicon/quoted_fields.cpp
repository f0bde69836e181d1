#include "lexicon/quoted_fields.h"

#include <fstream>
#include <iterator>

#include "platform/encoding/text_encoding.h"

namespace quova {

namespace {
// Lexicon and template files are a few hundred lines; anything far larger is
// not one of them and is refused rather than read into memory.
constexpr std::uintmax_t kMaxFileSize = 16 * 1024 * 1024;
}  // namespace

std::vector<std::string> SplitQuotedFields(std::string_view line, int count) {
    std::vector<std::string> fields(count > 0 ? static_cast<size_t>(count) : 0);
    if (fields.empty()) return fields;
    size_t current = 0;
    bool inField = false;
    bool quoteSeen = false;
    for (char c : line) {
        if (!inField) {
            if (c == '"') {
                inField = true;
                quoteSeen = false;
            }
            continue;
        }
        if (c == '"') {
            if (!quoteSeen) {
                quoteSeen = true;
            } else {
                fields[current] += '"';
                quoteSeen = false;
            }
        } else if (c == ',' && quoteSeen) {
            inField = false;
            quoteSeen = false;
            if (++current == fields.size()) break;
        } else {
            fields[current] += c;
        }
    }
    return fields;
}

bool ReadQuotedFieldFile(const std::filesystem::path& path, int count,
                         const QuotedFieldHandler& handler) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxFileSize) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    // Only CR LF or LF ends a line in these files: a lone CR is text.
    for (const std::string& line : SplitLinesAtLineFeeds(DecodeText(bytes)))
        handler(SplitQuotedFields(line, count));
    return true;
}

}  // namespace quova

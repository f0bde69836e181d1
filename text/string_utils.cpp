#include "text/string_utils.h"

#include <algorithm>
#include <limits>

namespace quova {

namespace {

char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
    return true;
}

template <typename Equal>
std::string ReplaceAllWith(std::string_view text, std::string_view from, std::string_view to,
                           Equal equal) {
    if (from.empty()) return std::string(text);
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        if (text.size() - i >= from.size() && equal(text.substr(i, from.size()), from)) {
            out += to;
            i += from.size();
        } else {
            out += text[i++];
        }
    }
    return out;
}

}  // namespace

std::string RemoveBetween(std::string_view text, char open, char close) {
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    // Copies runs between the marks whole rather than a character at a time.
    while (pos < text.size()) {
        size_t mark = pos;
        while (mark < text.size() && text[mark] != open && text[mark] != close) ++mark;
        out.append(text.substr(pos, mark - pos));
        if (mark == text.size()) break;
        if (text[mark] == close) {
            pos = mark + 1;  // a closer with no opener
            continue;
        }
        const size_t end = text.find(close, mark + 1);
        if (end == std::string_view::npos) break;
        pos = end + 1;
    }
    return out;
}

TDynStrArray SplitString(std::string_view text, std::string_view delimiter, int minimumCount,
                         char quote) {
    TDynStrArray fields;
    if (!text.empty()) {
        if (delimiter.empty()) {
            fields.emplace_back(text);
        } else {
            bool quoted = false;
            size_t start = 0;
            size_t i = 0;
            while (i < text.size()) {
                if (quote != '\0' && text[i] == quote) {
                    quoted = !quoted;
                    ++i;
                } else if (!quoted && text.compare(i, delimiter.size(), delimiter) == 0) {
                    fields.emplace_back(text.substr(start, i - start));
                    i += delimiter.size();
                    start = i;
                } else {
                    ++i;
                }
            }
            fields.emplace_back(text.substr(start));
        }
    }
    if (minimumCount > 0 && fields.size() < static_cast<size_t>(minimumCount))
        fields.resize(static_cast<size_t>(minimumCount));
    return fields;
}

std::string JoinStrings(const TDynStrArray& items, std::string_view delimiter, int first,
                        int count) {
    const size_t size = items.size();
    const size_t from = first < 0 ? 0 : std::min(static_cast<size_t>(first), size);
    size_t n = size - from;
    if (count != -1) n = std::min(n, count < 0 ? size_t{0} : static_cast<size_t>(count));
    std::string out;
    for (size_t i = from; i < from + n; ++i) {
        if (i > from) out += delimiter;
        out += items[i];
    }
    return out;
}

std::string_view TrimBlanks(std::string_view text) {
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    return ReplaceAllWith(text, from, to,
                          [](std::string_view a, std::string_view b) { return a == b; });
}

std::string ReplaceAllIgnoreCase(std::string_view text, std::string_view from,
                                 std::string_view to) {
    return ReplaceAllWith(text, from, to, EqualIgnoreCase);
}

std::string ToUpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = UpperAscii(c);
    return out;
}

std::optional<int> ParseInteger(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > static_cast<long long>(std::numeric_limits<int>::max()) + 1)
            return std::nullopt;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min())
        return std::nullopt;
    return static_cast<int>(value);
}

}  // namespace quova

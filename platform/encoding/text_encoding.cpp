#include "platform/encoding/text_encoding.h"

#include <cstdint>

namespace quova {

bool IsValidUtf8(std::string_view bytes) {
    size_t i = 0;
    const size_t n = bytes.size();
    while (i < n) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra;
        uint32_t cp;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= n) return false;
        for (int k = 1; k <= extra; ++k) {
            const auto cc = static_cast<unsigned char>(bytes[i + k]);
            if ((cc & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and code points past U+10FFFF are invalid.
        if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

namespace {

constexpr uint16_t kHighHalf[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

constexpr uint32_t kReplacementCharacter = 0xFFFD;

enum class WideForm { kNone, kUtf16Le, kUtf16Be, kUtf32Le, kUtf32Be };

WideForm WideFormOf(std::string_view bytes) {
    // UTF-32 LE's mark begins with UTF-16 LE's: the longer one is looked for
    // first (a UTF-16 text starting with U+0000 is not worth telling apart).
    if (bytes.substr(0, 4) == std::string_view("\xFF\xFE\0\0", 4)) return WideForm::kUtf32Le;
    if (bytes.substr(0, 4) == std::string_view("\0\0\xFE\xFF", 4)) return WideForm::kUtf32Be;
    if (bytes.substr(0, 2) == "\xFF\xFE") return WideForm::kUtf16Le;
    if (bytes.substr(0, 2) == "\xFE\xFF") return WideForm::kUtf16Be;
    return WideForm::kNone;
}

uint32_t CodeUnit(std::string_view bytes, size_t at, size_t width, bool bigEndian) {
    uint32_t unit = 0;
    for (size_t k = 0; k < width; ++k) {
        const auto byte = static_cast<unsigned char>(bytes[at + (bigEndian ? k : width - 1 - k)]);
        unit = (unit << 8) | byte;
    }
    return unit;
}

bool IsHighSurrogate(uint32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(uint32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

std::string Windows1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80)
            out += ch;
        else if (c < 0xA0)
            AppendUtf8(out, kHighHalf[c - 0x80]);
        else
            AppendUtf8(out, c);
    }
    return out;
}

bool StartsWithWideByteOrderMark(std::string_view bytes) {
    return WideFormOf(bytes) != WideForm::kNone;
}

std::string WideUnicodeToUtf8(std::string_view bytes) {
    const WideForm form = WideFormOf(bytes);
    if (form == WideForm::kNone) return std::string(bytes);
    const size_t width = (form == WideForm::kUtf32Le || form == WideForm::kUtf32Be) ? 4 : 2;
    const bool bigEndian = form == WideForm::kUtf16Be || form == WideForm::kUtf32Be;
    std::string out;
    out.reserve(bytes.size() / width * 3 / 2);
    size_t at = width;
    while (at + width <= bytes.size()) {
        uint32_t cp = CodeUnit(bytes, at, width, bigEndian);
        at += width;
        if (width == 2 && IsHighSurrogate(cp)) {
            const uint32_t low =
                at + 2 <= bytes.size() ? CodeUnit(bytes, at, 2, bigEndian) : uint32_t{0};
            if (IsLowSurrogate(low)) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                at += 2;
            } else {
                cp = kReplacementCharacter;
            }
        } else if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
            cp = kReplacementCharacter;
        }
        AppendUtf8(out, cp);
    }
    if (at < bytes.size()) AppendUtf8(out, kReplacementCharacter);
    return out;
}

std::string DecodeText(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    if (IsValidUtf8(bytes)) return std::string(bytes);
    return Windows1252ToUtf8(bytes);
}

std::string DecodeTextByLine(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    std::string out;
    out.reserve(bytes.size());
    while (!bytes.empty()) {
        // Line endings are ASCII: each piece up to and with one decides alone.
        const size_t end = bytes.find_first_of("\r\n");
        const std::string_view line =
            bytes.substr(0, end == std::string_view::npos ? end : end + 1);
        if (IsValidUtf8(line))
            out += line;
        else
            out += Windows1252ToUtf8(line);
        bytes.remove_prefix(line.size());
    }
    return out;
}

namespace {

void VisitLinesEndedBy(std::string_view text, bool loneCrEndsALine,
                       const std::function<bool(std::string_view)>& visit) {
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool crLf = text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
        if (text[i] == '\n' || crLf || (text[i] == '\r' && loneCrEndsALine)) {
            if (!visit(text.substr(start, i - start))) return;
            if (crLf) ++i;
            start = i + 1;
        }
    }
    if (start < text.size()) visit(text.substr(start));
}

std::vector<std::string> SplitLinesEndedBy(std::string_view text, bool loneCrEndsALine) {
    std::vector<std::string> lines;
    VisitLinesEndedBy(text, loneCrEndsALine, [&](std::string_view line) {
        lines.emplace_back(line);
        return true;
    });
    return lines;
}

}  // namespace

std::vector<std::string> SplitLines(std::string_view text) {
    return SplitLinesEndedBy(text, true);
}

void ForEachLine(std::string_view text, const std::function<bool(std::string_view line)>& line) {
    VisitLinesEndedBy(text, true, line);
}

std::vector<std::string> SplitLinesAtLineFeeds(std::string_view text) {
    return SplitLinesEndedBy(text, false);
}

}  // namespace quova

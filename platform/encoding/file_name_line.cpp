#include "platform/encoding/file_name_line.h"

#include <cctype>
#include <optional>

#include "platform/encoding/text_encoding.h"

namespace quova {

namespace {

// What RFC 3986 lets a path hold unescaped, '/' included; '%' itself is not.
bool PlainInPath(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    return std::string_view("-._~/!$&'()*+,;=:@").find(static_cast<char>(c)) !=
           std::string_view::npos;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The still escaped path of a local file URI: "file:///p" or
// "file://localhost/p" (RFC 8089), "file:/p", or "file:p", the form this
// program writes for a relative name. None for any other line.
std::optional<std::string_view> LocalUriPath(std::string_view line) {
    constexpr std::string_view scheme = "file:";
    if (line.size() < scheme.size()) return std::nullopt;
    for (size_t i = 0; i < scheme.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(line[i])) != scheme[i]) return std::nullopt;
    line.remove_prefix(scheme.size());
    // "file:" alone names no file (and none is written so): it is a name.
    if (line.empty()) return std::nullopt;
    if (!line.starts_with("//")) return line;
    line.remove_prefix(2);
    if (line.starts_with("localhost/")) line.remove_prefix(9);
    if (!line.starts_with('/')) return std::nullopt;  // a file on another host
    return line;
}

}  // namespace

std::string FileNameLine(std::string_view name) {
    const bool plain = IsValidUtf8(name) && name.find_first_of("\r\n") == std::string_view::npos;
    // A plain name that reads as a URI would come back changed: it is escaped too.
    if (plain && !LocalUriPath(name)) return std::string(name);
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string line = name.starts_with('/') ? "file://" : "file:";
    for (const char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if (PlainInPath(c)) {
            line += ch;
        } else {
            line += '%';
            line += kHex[c >> 4];
            line += kHex[c & 0xF];
        }
    }
    return line;
}

std::string FileNameFromLine(std::string_view line) {
    const std::optional<std::string_view> path = LocalUriPath(line);
    if (!path) return std::string(line);
    std::string name;
    for (size_t i = 0; i < path->size(); ++i) {
        const char c = (*path)[i];
        const int high = c == '%' && i + 2 < path->size() ? HexValue((*path)[i + 1]) : -1;
        const int low = high >= 0 ? HexValue((*path)[i + 2]) : -1;
        if (low < 0) {
            name += c;
            continue;
        }
        name += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return name;
}

}  // namespace quova

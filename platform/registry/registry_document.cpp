#include "platform/registry/registry_document.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "platform/encoding/text_encoding.h"

namespace quova::registry {

namespace {

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool StartsWithPath(std::string_view path, std::string_view prefix) {
    return path.size() > prefix.size() && path[prefix.size()] == '\\' &&
           SameName(path.substr(0, prefix.size()), prefix);
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The byte of an escape's two hex digits at the start of `s`, when it is
// one Quote writes (0x80 and above).
std::optional<unsigned char> EscapedByte(std::string_view s) {
    if (s.size() < 2 || HexDigit(s[0]) < 0 || HexDigit(s[1]) < 0) return std::nullopt;
    const int byte = HexDigit(s[0]) * 16 + HexDigit(s[1]);
    if (byte < 0x80) return std::nullopt;
    return static_cast<unsigned char>(byte);
}

// Which bytes of `s` belong to no valid UTF-8 sequence.
std::vector<bool> StrayBytes(std::string_view s) {
    std::vector<bool> stray(s.size(), false);
    if (IsValidUtf8(s)) return stray;
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        if (c >= 0x80 && (i + length > s.size() || !IsValidUtf8(s.substr(i, length)))) {
            stray[i++] = true;
            continue;
        }
        i += length;
    }
    return stray;
}

// Reads a quoted string at the start of `s` (which begins with '"'); on
// success `s` is left just after the closing quote.
std::optional<std::string> ReadQuoted(std::string_view& s) {
    std::string out;
    for (size_t i = 1; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"') {
            s.remove_prefix(i + 1);
            return out;
        }
        if (c == '\\' && i + 1 < s.size()) {
            const char e = s[++i];
            switch (e) {
                case '\\':
                    out += '\\';
                    break;
                case '"':
                    out += '"';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 'x':
                    // A byte of a value that is not UTF-8; only those are
                    // written so, and a plain "\x" stays as written.
                    if (const auto byte = EscapedByte(s.substr(i + 1))) {
                        out += static_cast<char>(*byte);
                        i += 2;
                        break;
                    }
                    [[fallthrough]];
                default:
                    // Not an escape this format knows: keep it as written.
                    out += '\\';
                    out += e;
            }
            continue;
        }
        out += c;
    }
    return std::nullopt;
}

std::string Quote(std::string_view s) {
    std::string out = "\"";
    // A value that is not UTF-8 (a file name is whatever bytes the file
    // system holds) keeps its stray bytes as \xHH escapes, so the file stays
    // UTF-8 and every other value reads as it was written.
    const std::vector<bool> stray = StrayBytes(s);
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (stray[i]) {
            static constexpr char kHex[] = "0123456789ABCDEF";
            const auto byte = static_cast<unsigned char>(c);
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
            continue;
        }
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    return out + "\"";
}

bool AllHex(std::string_view s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
}

// dword:xxxxxxxx, hex:01,02 or hex(N):01,02 — the other value types, kept as written.
bool IsOtherType(std::string_view data) {
    if (data.starts_with("dword:")) {
        const auto digits = data.substr(6);
        return !digits.empty() && digits.size() <= 8 && AllHex(digits);
    }
    if (data.starts_with("hex(")) {
        const size_t close = data.find("):");
        if (close == std::string_view::npos || close == 4 || !AllHex(data.substr(4, close - 4)))
            return false;
        data.remove_prefix(close + 2);
    } else if (data.starts_with("hex:")) {
        data.remove_prefix(4);
    } else {
        return false;
    }
    // Bytes: two hex digits each, separated by commas.
    for (size_t i = 0; i < data.size(); i += 3) {
        if (i + 2 > data.size() || !AllHex(data.substr(i, 2))) return false;
        if (i + 2 < data.size() && data[i + 2] != ',') return false;
        if (i + 3 == data.size()) return false;  // a trailing comma
    }
    return true;
}

// Parses `"name"=data` or `@=data`; false when the line is not one.
bool ParseValueLine(std::string_view line, RegSection& section) {
    RegValue value;
    if (line.starts_with("@")) {
        line.remove_prefix(1);
    } else if (line.starts_with("\"")) {
        auto name = ReadQuoted(line);
        if (!name) return false;
        value.name = std::move(*name);
    } else {
        return false;
    }
    line = Trim(line);
    if (!line.starts_with("=")) return false;
    line = Trim(line.substr(1));
    if (line == "-") {  // a deletion entry: nothing to keep
        section.Remove(value.name);
        return true;
    }
    if (line.starts_with("\"")) {
        auto text = ReadQuoted(line);
        if (!text || !Trim(line).empty()) return false;
        value.data = std::move(*text);
    } else if (IsOtherType(line)) {
        value.isString = false;
        value.data = std::string(line);
    } else {
        return false;
    }
    section.Remove(value.name);
    section.values.push_back(std::move(value));
    return true;
}

bool IsKnownHive(std::string_view path) {
    const auto hive = path.substr(0, path.find('\\'));
    return SameName(hive, "HKEY_CURRENT_USER") || SameName(hive, "HKEY_CLASSES_ROOT") ||
           SameName(hive, "HKEY_LOCAL_MACHINE") || SameName(hive, "HKEY_USERS");
}

}  // namespace

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Lower(x) == Lower(y); });
}

const RegValue* RegSection::Find(std::string_view name) const {
    for (const auto& v : values)
        if (SameName(v.name, name)) return &v;
    return nullptr;
}

void RegSection::Set(std::string_view name, std::string_view value) {
    for (auto& v : values) {
        if (SameName(v.name, name)) {
            v.isString = true;
            v.data = std::string(value);
            return;
        }
    }
    values.push_back({std::string(name), true, std::string(value)});
}

void RegSection::Remove(std::string_view name) {
    std::erase_if(values, [&](const RegValue& v) { return SameName(v.name, name); });
}

namespace {

std::string LowerPath(std::string_view path) {
    std::string out(path);
    for (char& c : out) c = Lower(c);
    return out;
}

}  // namespace

const RegSection* RegDocument::Find(std::string_view fullPath) const {
    const auto found = index_.find(LowerPath(fullPath));
    return found == index_.end() ? nullptr : &sections[found->second];
}

RegSection& RegDocument::Ensure(std::string_view fullPath) {
    std::string key = LowerPath(fullPath);
    if (const auto found = index_.find(key); found != index_.end()) return sections[found->second];
    index_.emplace(std::move(key), sections.size());
    sections.push_back({std::string(fullPath), {}});
    return sections.back();
}

bool RegDocument::Exists(std::string_view fullPath) const {
    const std::string key = LowerPath(fullPath);
    if (index_.contains(key)) return true;
    const std::string below = key + '\\';
    const auto next = index_.lower_bound(below);
    return next != index_.end() && next->first.starts_with(below);
}

std::vector<std::string> RegDocument::Children(std::string_view fullPath) const {
    const std::string below = LowerPath(fullPath) + '\\';
    // Each child once, named as its first section in the file names it.
    std::map<std::string, std::size_t, std::less<>> first;
    for (auto it = index_.lower_bound(below); it != index_.end() && it->first.starts_with(below);
         ++it) {
        const std::string_view rest = std::string_view(it->first).substr(below.size());
        const std::string child(rest.substr(0, rest.find('\\')));
        if (child.empty()) continue;
        auto [place, fresh] = first.emplace(child, it->second);
        if (!fresh) place->second = std::min(place->second, it->second);
    }
    std::vector<std::pair<std::size_t, std::string>> ordered;
    for (const auto& [child, at] : first) {
        const std::string_view path = sections[at].path;
        const std::string_view rest = path.substr(below.size());
        ordered.emplace_back(at, std::string(rest.substr(0, rest.find('\\'))));
    }
    std::sort(ordered.begin(), ordered.end());
    std::vector<std::string> names;
    for (auto& [at, name] : ordered) names.push_back(std::move(name));
    return names;
}

void RegDocument::RemoveTree(std::string_view fullPath) {
    const auto before = sections.size();
    std::erase_if(sections, [&](const RegSection& s) {
        return SameName(s.path, fullPath) || StartsWithPath(s.path, fullPath);
    });
    if (sections.size() != before) Reindex();
}

void RegDocument::Reindex() {
    index_.clear();
    for (std::size_t i = 0; i < sections.size(); ++i)
        index_.emplace(LowerPath(sections[i].path), i);
}

RegDocument ParseRegistryText(std::string_view text) {
    RegDocument doc;
    const std::vector<std::string> lines = SplitLines(text);
    size_t i = 0;
    while (i < lines.size() && Trim(lines[i]).empty()) ++i;
    if (i < lines.size()) {
        const auto header = Trim(lines[i]);
        if (header == "REGEDIT4" || header == "Windows Registry Editor Version 5.00")
            ++i;
        else
            ++doc.unreadableLines;  // still read what follows
    }
    RegSection* current = nullptr;
    for (; i < lines.size(); ++i) {
        std::string line = lines[i];
        // hex values may continue over several lines ending in a backslash
        while (!line.empty() && line.back() == '\\' && i + 1 < lines.size() &&
               line.find("=hex") != std::string::npos) {
            line.pop_back();
            line += std::string(Trim(lines[++i]));
        }
        const auto t = Trim(line);
        if (t.empty() || t.starts_with(";")) continue;
        if (t.starts_with("[")) {
            const auto close = t.rfind(']');
            std::string_view path =
                close == std::string_view::npos ? std::string_view() : t.substr(1, close - 1);
            if (path.starts_with("-") && IsKnownHive(path.substr(1))) {
                doc.RemoveTree(path.substr(1));
                current = nullptr;
            } else if (!path.empty() && IsKnownHive(path) && !path.ends_with("\\")) {
                current = &doc.Ensure(path);
            } else {
                current = nullptr;
                ++doc.unreadableLines;
            }
            continue;
        }
        if (!current || !ParseValueLine(t, *current)) ++doc.unreadableLines;
    }
    return doc;
}

std::string SerializeRegistry(const RegDocument& document) {
    std::string out = "REGEDIT4\n";
    for (const auto& s : document.sections) {
        out += "\n[" + s.path + "]\n";
        for (const auto& v : s.values) {
            out += v.name.empty() ? std::string("@") : Quote(v.name);
            out += '=';
            out += v.isString ? Quote(v.data) : v.data;
            out += '\n';
        }
    }
    return out;
}

}  // namespace quova::registry

#include "platform/files/media_name.h"

#include <cctype>

namespace quova {

namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// The scheme of "scheme://rest" (lowered), or empty when the name has none.
std::string SchemeOf(std::string_view name) {
    if (name.empty() || !std::isalpha(static_cast<unsigned char>(name[0]))) return {};
    size_t i = 1;
    while (i < name.size()) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') break;
        ++i;
    }
    if (name.substr(i, 3) != "://") return {};
    return Lower(name.substr(0, i));
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Undoes %XX escapes; false on a broken escape or an escaped NUL, which no
// file name can hold.
bool Unescape(std::string_view text, std::string& out) {
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return false;
        const int hi = HexValue(text[i + 1]);
        const int lo = HexValue(text[i + 2]);
        if (hi < 0 || lo < 0) return false;
        const char c = static_cast<char>(hi * 16 + lo);
        if (c == '\0') return false;
        out += c;
        i += 2;
    }
    return true;
}

bool HasControlOrSpace(std::string_view text) {
    for (unsigned char c : text)
        if (c <= 0x20 || c == 0x7f) return true;
    return false;
}

MediaName FromFileAddress(std::string_view given) {
    // file://host/path: only this machine's files, written with no host or
    // as "localhost".
    const std::string_view rest = given.substr(7);
    const size_t slash = rest.find('/');
    if (slash == std::string_view::npos) return {MediaNameKind::Refused, std::string(given)};
    const std::string host = Lower(rest.substr(0, slash));
    if (!host.empty() && host != "localhost") return {MediaNameKind::Refused, std::string(given)};
    std::string_view path = rest.substr(slash);
    // A query or fragment is no part of a file's name.
    path = path.substr(0, path.find_first_of("?#"));
    std::string local;
    if (!Unescape(path, local)) return {MediaNameKind::Refused, std::string(given)};
    return {MediaNameKind::LocalFile, local};
}

MediaName FromWebAddress(std::string_view given, size_t schemeLength) {
    const std::string_view rest = given.substr(schemeLength + 3);
    const std::string_view authority = rest.substr(0, rest.find_first_of("/?#"));
    // The host is what follows any user part and precedes any port.
    std::string_view host = authority.substr(
        authority.rfind('@') == std::string_view::npos ? 0 : authority.rfind('@') + 1);
    if (!host.empty() && host.front() == '[') {
        if (host.find(']') == std::string_view::npos)
            return {MediaNameKind::Refused, std::string(given)};
        host = host.substr(0, host.find(']') + 1);
    } else {
        host = host.substr(0, host.find(':'));
    }
    if (host.empty() || HasControlOrSpace(given))
        return {MediaNameKind::Refused, std::string(given)};
    return {MediaNameKind::Network, std::string(given)};
}

}  // namespace

MediaName ClassifyMediaName(std::string_view given) {
    const std::string scheme = SchemeOf(given);
    if (scheme.empty()) return {MediaNameKind::LocalFile, std::string(given)};
    if (scheme == "file") return FromFileAddress(given);
    if (scheme == "http" || scheme == "https") return FromWebAddress(given, scheme.size());
    return {MediaNameKind::Refused, std::string(given)};
}

bool IsNetworkAddress(std::string_view given) {
    return ClassifyMediaName(given).kind == MediaNameKind::Network;
}

}  // namespace quova

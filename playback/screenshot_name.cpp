#include "playback/screenshot_name.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace quova {

namespace {

// Room for the position, a counter and the extension in a 255-byte entry.
constexpr std::size_t kStemLimit = 200;

std::string_view Trimmed(std::string_view path) {
    while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    return path;
}

std::string_view LastPart(std::string_view path) {
    path = Trimmed(path);
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool SameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// The part of the name that names the medium; `host` tells a host's name,
// whose dots are no extension's.
std::string_view MediumPart(std::string_view name, bool& host) {
    host = false;
    const std::size_t scheme = name.find("://");
    if (scheme != std::string_view::npos && scheme > 0 && name.find('/') == scheme + 1) {
        std::string_view rest = name.substr(scheme + 3);
        rest = rest.substr(0, rest.find_first_of("?#"));
        const std::size_t slash = rest.find('/');
        const std::string_view last =
            slash == std::string_view::npos ? std::string_view() : LastPart(rest.substr(slash));
        if (!last.empty() && last != "/") return last;
        host = true;
        return rest.substr(0, slash);
    }
    name = Trimmed(name);
    std::string_view last = LastPart(name);
    if (SameLetters(last, "VIDEO_TS")) last = LastPart(name.substr(0, name.size() - last.size()));
    return last == "/" ? std::string_view() : last;
}

std::string_view WithoutExtension(std::string_view file) {
    const std::size_t dot = file.rfind('.');
    return dot == std::string_view::npos || dot == 0 ? file : file.substr(0, dot);
}

std::string Cleaned(std::string_view part) {
    std::string out;
    for (char c : part) {
        const auto byte = static_cast<unsigned char>(c);
        out += byte < 0x20 || byte == 0x7f || c == '/' || c == '\\' ? '_' : c;
    }
    // A leading dot would hide the file.
    for (char& c : out) {
        if (c != '.') break;
        c = '_';
    }
    if (out.size() > kStemLimit) {
        std::size_t cut = kStemLimit;
        while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
        out.resize(cut);
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

}  // namespace

std::string ScreenshotStem(std::string_view mediumName, double seconds) {
    bool host = false;
    const std::string_view part = MediumPart(mediumName, host);
    std::string name = Cleaned(host ? part : WithoutExtension(part));
    if (name.empty()) name = "screenshot";
    const std::int64_t ms =
        std::isfinite(seconds) && seconds > 0 ? std::llround(std::min(seconds, 1e12) * 1000.0) : 0;
    char position[48];
    std::snprintf(position, sizeof position, "%lld-%02lld-%02lld.%03lld",
                  static_cast<long long>(ms / 3600000), static_cast<long long>(ms / 60000 % 60),
                  static_cast<long long>(ms / 1000 % 60), static_cast<long long>(ms % 1000));
    return name + " " + position;
}

std::string ScreenshotFileName(const std::string& stem, int n) {
    return n <= 1 ? stem + ".png" : stem + " (" + std::to_string(n) + ").png";
}

}  // namespace quova

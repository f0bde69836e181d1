#include "platform/engine/dvd_state.h"

#include <charconv>
#include <map>
#include <sstream>

#include "platform/engine/dvd_types.h"

namespace quova::engine {

namespace {

constexpr const char* kMagic = "quova-dvd-state";
constexpr int kVersion = 1;

template <class T>
bool ReadNumber(const std::map<std::string, std::string>& fields, const char* key, T& out) {
    const auto it = fields.find(key);
    if (it == fields.end()) return false;
    const std::string& s = it->second;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && end == s.data() + s.size();
}

}  // namespace

std::string SerializeDvdState(const DvdNavigatorState& s) {
    std::ostringstream out;
    out << kMagic << ' ' << kVersion << '\n'
        << "disc=" << s.discId << '\n'
        << "domain=" << s.domain << '\n'
        << "title=" << s.title << '\n'
        << "chapter=" << s.chapter << '\n'
        << "time=" << s.titleTime << '\n'
        << "audio=" << s.audio << '\n'
        << "subpicture=" << s.subpicture << '\n'
        << "subpicture_on=" << (s.subpictureOn ? 1 : 0) << '\n'
        << "angle=" << s.angle << '\n';
    return out.str();
}

Outcome<DvdNavigatorState> ParseDvdState(const std::string& text) {
    std::istringstream in(text);
    std::string magic;
    int version = 0;
    if (!(in >> magic >> version) || magic != kMagic) return {VFW_E_DVD_STATE_CORRUPT, {}};
    if (version != kVersion) return {VFW_E_DVD_STATE_WRONG_VERSION, {}};
    std::map<std::string, std::string> fields;
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos) return {VFW_E_DVD_STATE_CORRUPT, {}};
        fields[line.substr(0, eq)] = line.substr(eq + 1);
    }
    DvdNavigatorState s;
    int on = 0;
    const bool ok =
        ReadNumber(fields, "disc", s.discId) && ReadNumber(fields, "domain", s.domain) &&
        ReadNumber(fields, "title", s.title) && ReadNumber(fields, "chapter", s.chapter) &&
        ReadNumber(fields, "time", s.titleTime) && ReadNumber(fields, "audio", s.audio) &&
        ReadNumber(fields, "subpicture", s.subpicture) && ReadNumber(fields, "subpicture_on", on) &&
        ReadNumber(fields, "angle", s.angle);
    if (!ok || s.domain < DVD_DOMAIN_FirstPlay || s.domain > DVD_DOMAIN_Stop || s.audio < -1 ||
        s.audio > 7 || s.subpicture < -1 || s.subpicture > 31 || (on != 0 && on != 1) ||
        s.angle < 1 || s.angle > 9)
        return {VFW_E_DVD_STATE_CORRUPT, {}};
    s.subpictureOn = on == 1;
    return {S_OK, s};
}

}  // namespace quova::engine

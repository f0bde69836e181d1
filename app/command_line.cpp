#include "app/command_line.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>

#include "platform/files/media_name.h"

namespace quova {

namespace {

std::string Lower(const std::string& text) {
    std::string out = text;
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

constexpr std::array<const char*, 7> kSwitches = {"/fs", "/zoomtowin", "/noosd", "/sub",
                                                  "/1",  "/2",         "/3"};

}  // namespace

bool IsSwitch(const std::string& param) {
    const std::string lower = Lower(param);
    return std::any_of(kSwitches.begin(), kSwitches.end(),
                       [&](const char* s) { return lower == s; });
}

bool SwitchInFirstTwo(const std::vector<std::string>& params) {
    for (size_t i = 0; i < params.size() && i < 2; ++i)
        if (IsSwitch(params[i])) return true;
    return false;
}

bool ShouldTryHandOver(const std::vector<std::string>& params, bool ctrlHeld) {
    // An empty first parameter has nothing to hand over; such a start opens a
    // window of its own.
    return !ctrlHeld && !SwitchInFirstTwo(params) && !params.empty() && !params[0].empty();
}

std::optional<std::string> HandOverFile(const std::vector<std::string>& params) {
    for (const std::string& param : params) {
        const MediaName named = ClassifyMediaName(param);
        // An address is not looked up here: the running instance opens it
        // and reports what the server says.
        if (named.kind == MediaNameKind::Network) return named.name;
        if (named.kind != MediaNameKind::LocalFile) continue;
        std::error_code ec;
        if (!named.name.empty() && std::filesystem::exists(named.name, ec)) return named.name;
    }
    return std::nullopt;
}

void ApplySwitches(const std::vector<std::string>& params, Settings& settings) {
    for (const std::string& param : params) {
        const std::string s = Lower(param);
        if (s == "/fs") settings.FullScreenMode = true;
        if (s == "/zoomtowin") settings.ZoomToWindow = true;
        if (s == "/noosd") settings.OsdOn = false;
        if (s == "/sub") settings.SubtitlesOn = true;
    }
}

std::vector<StartupAction> StartupActions(const std::vector<std::string>& params) {
    std::vector<StartupAction> actions;
    for (const std::string& param : params) {
        if (param.empty()) continue;
        if (!IsSwitch(param)) {
            actions.push_back({StartupAction::Kind::Open, param, 1.0});
            continue;
        }
        const std::string s = Lower(param);
        if (s == "/1" || s == "/2" || s == "/3")
            actions.push_back({StartupAction::Kind::Zoom, {}, static_cast<double>(s[1] - '0')});
    }
    return actions;
}

}  // namespace quova

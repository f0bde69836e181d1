#include "platform/paths/pictures_folder.h"

#include "platform/files/whole_file.h"

namespace quova {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kKey = "XDG_PICTURES_DIR";
// xdg-user-dirs writes a few lines of short paths; anything near this is not
// its file.
constexpr std::size_t kFileLimit = 64 * 1024;
constexpr std::size_t kPathLimit = 4096;

bool Blank(char c) {
    return c == ' ' || c == '\t';
}

// The folder one line names, or empty.
fs::path ValueOfLine(std::string_view line, const fs::path& home) {
    std::size_t at = 0;
    auto skipBlanks = [&] {
        while (at < line.size() && Blank(line[at])) ++at;
    };
    skipBlanks();
    if (line.substr(at, kKey.size()) != kKey) return {};
    at += kKey.size();
    skipBlanks();
    if (at >= line.size() || line[at] != '=') return {};
    ++at;
    skipBlanks();
    if (at >= line.size() || line[at] != '"') return {};
    ++at;
    bool relative = false;
    constexpr std::string_view kHome = "$HOME";
    if (line.substr(at, kHome.size()) == kHome &&
        (at + kHome.size() == line.size() || line[at + kHome.size()] == '/' ||
         line[at + kHome.size()] == '"')) {
        relative = true;
        at += kHome.size();
    } else if (at >= line.size() || line[at] != '/') {
        return {};
    }
    std::string value;
    while (at < line.size() && line[at] != '"') {
        if (line[at] == '\\' && at + 1 < line.size()) ++at;
        value += line[at++];
        if (value.size() > kPathLimit) return {};
    }
    while (value.size() > 1 && value.back() == '/') value.pop_back();
    if (!relative) return fs::path(value);
    if (home.empty() || !home.is_absolute()) return {};
    while (!value.empty() && value.front() == '/') value.erase(value.begin());
    return value.empty() ? home : home / value;
}

}  // namespace

fs::path PicturesFolderFromUserDirs(std::string_view text, const fs::path& home) {
    fs::path found;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        // The file is read by C code that stops at a NUL.
        if (const std::size_t nul = line.find('\0'); nul != std::string_view::npos)
            line = line.substr(0, nul);
        if (fs::path value = ValueOfLine(line, home); !value.empty()) found = std::move(value);
        start = end + 1;
    }
    return found;
}

fs::path UserPicturesFolder(const std::string& xdgConfigHome, const fs::path& home) {
    fs::path config;
    if (xdgConfigHome.starts_with('/'))
        config = xdgConfigHome;
    else if (!home.empty() && home.is_absolute())
        config = home / ".config";
    if (!config.empty()) {
        std::string text;
        bool tooLarge = false;
        if (ReadWholeFile((config / "user-dirs.dirs").string(), kFileLimit, text, &tooLarge)) {
            fs::path named = PicturesFolderFromUserDirs(text, home);
            if (!named.empty()) return named;
        }
    }
    if (home.empty() || !home.is_absolute()) return {};
    return home / "Pictures";
}

}  // namespace quova

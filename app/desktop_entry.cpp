#include "app/desktop_entry.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "app/shell_registration.h"
#include "platform/encoding/text_encoding.h"
#include "platform/files/atomic_file.h"
#include "platform/files/whole_file.h"
#include "platform/paths/user_home.h"

namespace quova {

namespace fs = std::filesystem;

namespace {

constexpr const char* kDefaultGroup = "[Default Applications]";

// What shared-mime-info calls these extensions. ".bup" (a DVD's backup
// information file) has no desktop type; ".mpl" is typed as an MPEG transport
// stream playlist, which is what the desktop hands over for such files.
const std::map<std::string, std::vector<std::string>>& MimeTable() {
    static const std::map<std::string, std::vector<std::string>> table = {
        {".avi", {"video/x-msvideo"}},
        {".asf", {"video/x-ms-asf", "application/vnd.ms-asf"}},
        {".bup", {}},
        {".mp3", {"audio/mpeg"}},
        {".mpg", {"video/mpeg"}},
        {".vob", {"video/mpeg"}},
        {".mpl", {"video/mp2t"}},
        {".ogg", {"audio/ogg", "video/ogg", "audio/x-vorbis+ogg", "video/x-theora+ogg"}},
        {".ogm", {"video/x-ogm+ogg"}},
        {".oga", {"audio/ogg", "audio/x-vorbis+ogg"}},
    };
    return table;
}

std::string EnvOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value && *value ? std::string(value) : fallback;
}

// The base directory rules: a relative folder in these variables is
// invalid and ignored, else it would be taken from the current folder.
std::string AbsoluteEnvOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value && *value == '/' ? std::string(value) : fallback;
}

std::string Home() {
    return UserHomeFolder().string();
}

std::vector<fs::path> SplitDirs(const std::string& list) {
    std::vector<fs::path> dirs;
    std::stringstream in(list);
    std::string dir;
    while (std::getline(in, dir, ':'))
        if (dir.starts_with('/')) dirs.emplace_back(dir);
    return dirs;
}

std::vector<fs::path> ApplicationDirs() {
    std::vector<fs::path> dirs;
    if (!XdgDataHome().empty()) dirs.push_back(XdgDataHome() / "applications");
    for (const fs::path& dir : SplitDirs(EnvOr("XDG_DATA_DIRS", "/usr/local/share:/usr/share")))
        dirs.push_back(dir / "applications");
    return dirs;
}

// A desktop ID names a file in an applications folder, "-" standing for a
// subfolder separator ("kde-foo.desktop" may be kde/foo.desktop).
bool Installed(const std::string& desktopId) {
    std::error_code ec;
    for (const fs::path& dir : ApplicationDirs()) {
        if (fs::exists(dir / desktopId, ec)) return true;
        std::string nested = desktopId;
        for (size_t dash = nested.find('-'); dash != std::string::npos;
             dash = nested.find('-', dash + 1)) {
            nested[dash] = '/';
            if (fs::exists(dir / nested, ec)) return true;
        }
    }
    return false;
}

// Desktop files and lists are a few kilobytes; more is not one of them.
constexpr std::size_t kMaxDesktopFileBytes = 1024 * 1024;

std::string ReadWhole(const fs::path& path) {
    std::string bytes;
    if (!ReadWholeFile(path.string(), kMaxDesktopFileBytes, bytes, nullptr)) return {};
    return DecodeText(bytes);
}

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// The desktop IDs listed for `mimeType` in a list file's default group.
std::vector<std::string> ListedDefaults(const fs::path& file, const std::string& mimeType) {
    std::vector<std::string> ids;
    bool inGroup = false;
    for (const std::string& raw : SplitLines(ReadWhole(file))) {
        const std::string line = Trim(raw);
        if (line.starts_with('[')) {
            inGroup = line == kDefaultGroup;
            continue;
        }
        if (!inGroup) continue;
        const size_t equals = line.find('=');
        if (equals == std::string::npos || Trim(line.substr(0, equals)) != mimeType) continue;
        std::stringstream value(line.substr(equals + 1));
        std::string id;
        while (std::getline(value, id, ';'))
            if (!Trim(id).empty()) ids.push_back(Trim(id));
    }
    return ids;
}

std::vector<std::string> DesktopNames() {
    std::vector<std::string> names;
    std::stringstream in(EnvOr("XDG_CURRENT_DESKTOP", ""));
    std::string name;
    while (std::getline(in, name, ':'))
        if (!name.empty()) {
            for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            names.push_back(name);
        }
    return names;
}

// The list files a default may come from, most important first.
std::vector<fs::path> DefaultListFiles() {
    std::vector<fs::path> dirs;
    if (!XdgConfigHome().empty()) dirs.push_back(XdgConfigHome());
    for (const fs::path& dir : SplitDirs(EnvOr("XDG_CONFIG_DIRS", "/etc/xdg"))) dirs.push_back(dir);
    for (const fs::path& dir : ApplicationDirs()) dirs.push_back(dir);
    std::vector<fs::path> files;
    for (const fs::path& dir : dirs) {
        for (const std::string& desktop : DesktopNames())
            files.push_back(dir / (desktop + "-mimeapps.list"));
        files.push_back(dir / "mimeapps.list");
    }
    for (const fs::path& dir : ApplicationDirs()) files.push_back(dir / "defaults.list");
    return files;
}

// Replaces a file's content atomically (a failed write leaves the old
// content whole, a link planted beside it is never written through).
void WriteWhole(const fs::path& path, const std::string& text) {
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    if (ec)
        throw std::runtime_error("cannot create " + path.parent_path().string() + ": " +
                                 ec.message());
    std::string error;
    if (!WriteFileAtomically(path.string(), text, &error))
        throw std::runtime_error("cannot write " + path.string() + ": " + error);
}

// Puts the program first in the default group's entry for `mimeType`,
// creating the group or the entry as needed; every other line stays.
std::string WithDefault(const std::string& text, const std::string& mimeType) {
    std::vector<std::string> lines = SplitLines(text);
    const std::string entry = mimeType + "=" + kDesktopId + ";";
    int group = -1;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string line = Trim(lines[i]);
        if (line.starts_with('[')) {
            if (group >= 0) break;
            if (line == kDefaultGroup) group = static_cast<int>(i);
            continue;
        }
        if (group < 0) continue;
        const size_t equals = line.find('=');
        if (equals != std::string::npos && Trim(line.substr(0, equals)) == mimeType) {
            // Listed programs that are gone stay behind the program.
            lines[i] = entry + Trim(line.substr(equals + 1));
            group = -2;
            break;
        }
    }
    if (group == -1) {
        while (!lines.empty() && Trim(lines.back()).empty()) lines.pop_back();
        if (!lines.empty()) lines.emplace_back();
        lines.emplace_back(kDefaultGroup);
        lines.push_back(entry);
    } else if (group >= 0) {
        // After the group's last entry, before any blank lines ending it.
        size_t at = static_cast<size_t>(group) + 1;
        while (at < lines.size() && !Trim(lines[at]).starts_with('[')) ++at;
        while (at > static_cast<size_t>(group) + 1 && Trim(lines[at - 1]).empty()) --at;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), entry);
    }
    std::string out;
    for (const std::string& line : lines) out += line + "\n";
    return out;
}

}  // namespace

std::vector<std::string> MimeTypesOf(const std::string& extension) {
    std::string lower = extension;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const auto found = MimeTable().find(lower);
    return found == MimeTable().end() ? std::vector<std::string>() : found->second;
}

std::vector<std::string> RegisteredMimeTypes() {
    std::vector<std::string> types;
    for (const char* extension : kRegisteredExtensions)
        for (const std::string& type : MimeTypesOf(extension))
            if (std::find(types.begin(), types.end(), type) == types.end()) types.push_back(type);
    return types;
}

std::string DesktopExec(const std::string& programPath) {
    if (programPath.find_first_of("\r\n") != std::string::npos)
        throw std::invalid_argument(
            "a program path with a line break cannot be started from the desktop");
    // Quoted argument: ", `, $ and \ take a backslash; as a desktop string
    // value every backslash is doubled once more; % is written %%.
    std::string quoted = "\"";
    for (char c : programPath) {
        switch (c) {
            case '"':
            case '`':
            case '$':
                quoted += "\\\\";
                quoted += c;
                break;
            case '\\':
                quoted += "\\\\\\\\";
                break;
            case '%':
                quoted += "%%";
                break;
            default:
                quoted += c;
        }
    }
    return quoted + "\" %F";
}

std::string DesktopEntryText(const std::string& programPath) {
    std::string types;
    for (const std::string& type : RegisteredMimeTypes()) types += type + ";";
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Quova\n"
           "GenericName=Media Player\n"
           "Comment=Play video and audio files, play lists and DVDs\n"
           "Exec=" +
           DesktopExec(programPath) +
           "\n"
           "Icon=quova\n"
           "Terminal=false\n"
           "Categories=AudioVideo;Player;Video;\n"
           "MimeType=" +
           types + "\n";
}

fs::path XdgDataHome() {
    const std::string home = Home();
    return AbsoluteEnvOr("XDG_DATA_HOME", home.empty() ? std::string() : home + "/.local/share");
}

fs::path XdgConfigHome() {
    const std::string home = Home();
    return AbsoluteEnvOr("XDG_CONFIG_HOME", home.empty() ? std::string() : home + "/.config");
}

bool HasDefaultHandler(const std::string& mimeType) {
    for (const fs::path& file : DefaultListFiles())
        for (const std::string& id : ListedDefaults(file, mimeType))
            if (Installed(id)) return true;
    return false;
}

void AssociateWithDesktop(const std::vector<std::string>& extensions,
                          const std::string& programPath) {
    const fs::path dataHome = XdgDataHome();
    const fs::path configHome = XdgConfigHome();
    if (dataHome.empty() || configHome.empty())
        throw std::runtime_error("no home folder for the desktop entry");

    const fs::path entryPath = dataHome / "applications" / kDesktopId;
    const std::string entry = DesktopEntryText(programPath);
    if (ReadWhole(entryPath) != entry) WriteWhole(entryPath, entry);

    // Every type the extensions share is looked at once, against the lists
    // as they are before this change (the entry above being installed).
    std::vector<std::string> types;
    for (const std::string& extension : extensions)
        for (const std::string& type : MimeTypesOf(extension))
            if (std::find(types.begin(), types.end(), type) == types.end()) types.push_back(type);
    const fs::path listPath = configHome / "mimeapps.list";
    const std::string before = ReadWhole(listPath);
    std::string list = before;
    for (const std::string& type : types)
        if (!HasDefaultHandler(type)) list = WithDefault(list, type);
    if (list != before) WriteWhole(listPath, list);
}

}  // namespace quova

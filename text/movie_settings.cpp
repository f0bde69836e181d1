#include "text/movie_settings.h"

#include <fstream>
#include <system_error>

#include "platform/encoding/text_encoding.h"
#include "text/string_utils.h"

namespace quova {

namespace {

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Only blanks and tabs, as the profile functions trim.
std::string_view TrimProfile(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

std::optional<std::pair<std::string, std::string>> SplitProfileLine(std::string_view line) {
    const auto eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return std::pair<std::string, std::string>(TrimProfile(line.substr(0, eq)),
                                               TrimProfile(line.substr(eq + 1)));
}

ProfileFile ProfileFile::Parse(std::string_view bytes) {
    if (bytes.size() > kMaxBytes) bytes = bytes.substr(0, kMaxBytes);
    // Text ends at a NUL byte; what follows is no text.
    if (const auto nul = bytes.find('\0'); nul != std::string_view::npos)
        bytes = bytes.substr(0, nul);
    ProfileFile file;
    Section* current = nullptr;
    for (const std::string& raw : SplitLines(DecodeText(bytes))) {
        const std::string_view line = TrimProfile(raw);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            const auto close = line.find(']');
            const std::string_view name = TrimProfile(
                line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1));
            bool seen = false;
            for (const Section& s : file.sections_)
                seen = seen || SameNameIgnoringCase(s.name, name);
            // A repeated section is never reached: the first one answers.
            current = nullptr;
            if (!seen) current = &file.sections_.emplace_back(Section{std::string(name), {}});
            continue;
        }
        if (!current) continue;
        if (auto pair = SplitProfileLine(line))
            current->lines.push_back(pair->first + "=" + pair->second);
        else
            current->lines.emplace_back(line);
    }
    return file;
}

std::optional<ProfileFile> ProfileFile::Load(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes(kMaxBytes, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return Parse(bytes);
}

std::vector<std::string> ProfileFile::SectionLines(std::string_view section) const {
    for (const Section& s : sections_)
        if (SameNameIgnoringCase(s.name, section)) return s.lines;
    return {};
}

std::optional<std::string> ProfileFile::Value(std::string_view section,
                                              std::string_view key) const {
    for (const Section& s : sections_) {
        if (!SameNameIgnoringCase(s.name, section)) continue;
        for (const std::string& line : s.lines)
            if (auto pair = SplitProfileLine(line); pair && SameNameIgnoringCase(pair->first, key))
                return pair->second;
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<std::filesystem::path> FindMovieSettingsFile(const std::filesystem::path& movie) {
    std::error_code ec;
    const std::filesystem::path shared = movie.parent_path() / "mdvd.ini";
    if (std::filesystem::is_regular_file(shared, ec)) return shared;
    std::filesystem::path own = movie;
    own.replace_extension(".ini");
    if (std::filesystem::is_regular_file(own, ec)) return own;
    return std::nullopt;
}

}  // namespace quova

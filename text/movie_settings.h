#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quova {

// A movie's settings file read the way the old profile functions read INI
// files: sections in square brackets and `key=value` lines, names compared
// without regard to letter case, the first of two equal keys (or sections)
// winning, lines starting with ";" ignored, blanks around keys and values
// trimmed. Text is UTF-8 when valid, otherwise Windows-1252.
class ProfileFile {
  public:
    // A settings file is a few kilobytes; only this much of a larger or
    // hostile one is looked at, and a NUL byte ends the text.
    static constexpr std::size_t kMaxBytes = 1024 * 1024;

    // Reads a file; nullopt when it is not a plain file that can be opened.
    static std::optional<ProfileFile> Load(const std::filesystem::path& file);
    // Reads text already in memory.
    static ProfileFile Parse(std::string_view bytes);

    // The lines of the first section named `section`, in file order, each
    // trimmed ("key=value" with the blanks around key and value removed, or a
    // line without "=" as it stands). Empty when there is no such section.
    std::vector<std::string> SectionLines(std::string_view section) const;

    // The value of the first `key` in the first section named `section`.
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;

  private:
    struct Section {
        std::string name;
        std::vector<std::string> lines;
    };
    std::vector<Section> sections_;
};

// The settings file of a movie: "mdvd.ini" in its folder, otherwise the
// movie's name with ".ini" for its extension; nullopt when neither exists.
std::optional<std::filesystem::path> FindMovieSettingsFile(const std::filesystem::path& movie);

// A line "key=value" split at its first "=" (both parts trimmed); nullopt
// without "=".
std::optional<std::pair<std::string, std::string>> SplitProfileLine(std::string_view line);

// Whether two names are equal without regard to letter case (ASCII letters).
bool SameNameIgnoringCase(std::string_view a, std::string_view b);

}  // namespace quova

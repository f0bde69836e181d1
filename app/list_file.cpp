#include "app/list_file.h"

#include <algorithm>
#include <system_error>

#include "lexicon/lexicon.h"
#include "platform/encoding/file_name_line.h"
#include "platform/encoding/text_encoding.h"

namespace quova {

namespace {

// A relative entry names a file beside the list; an address ("http://...")
// is left as it is.
std::string ResolveEntry(const std::filesystem::path& folder, std::string_view entry) {
    if (entry.empty() || entry.find("://") != std::string_view::npos) return std::string(entry);
    const std::filesystem::path path(entry);
    if (path.is_absolute()) return std::string(entry);
    return (folder / path).lexically_normal().string();
}

// Lists written on Windows separate folders with a backslash, which on Linux
// is a character a name may hold: a name that exists as written stays so.
std::string ResolveM3uEntry(const std::filesystem::path& folder, std::string_view entry) {
    std::string resolved = ResolveEntry(folder, entry);
    if (entry.find('\\') == std::string_view::npos || entry.find("://") != std::string_view::npos)
        return resolved;
    std::error_code ec;
    if (std::filesystem::exists(resolved, ec)) return resolved;
    std::string slashed(entry);
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    return ResolveEntry(folder, slashed);
}

// Lists written by hand or by other programs indent lines, comments too.
std::string_view WithoutLeadingBlanks(std::string_view line) {
    const size_t first = line.find_first_not_of(" \t\v\f");
    return first == std::string_view::npos ? std::string_view() : line.substr(first);
}

}  // namespace

std::vector<std::string> ParseListFile(std::string_view bytes, const std::filesystem::path& folder,
                                       bool m3u, const std::string& fileName) {
    std::vector<std::string> entries;
    bool tooMany = false;
    ForEachLine(DecodeTextByLine(bytes), [&](std::string_view line) {
        if (m3u) line = WithoutLeadingBlanks(line);
        if (m3u && (line.empty() || line.starts_with('#'))) return true;
        if (entries.size() == kMaxListEntries) {
            tooMany = true;
            return false;
        }
        const std::string name = FileNameFromLine(line);
        entries.push_back(m3u ? ResolveM3uEntry(folder, name) : ResolveEntry(folder, name));
        return true;
    });
    if (tooMany)
        throw ListFileError(FormatLex(2610, std::to_string(kMaxListEntries)) + "\"" + fileName +
                            "\"");
    return entries;
}

}  // namespace quova

#include "app/list_file.h"

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

}  // namespace

std::vector<std::string> ParseListFile(std::string_view bytes, const std::filesystem::path& folder,
                                       bool m3u, const std::string& fileName) {
    std::vector<std::string> entries;
    bool tooMany = false;
    ForEachLine(DecodeTextByLine(bytes), [&](std::string_view line) {
        if (m3u && (line.empty() || line.starts_with('#'))) return true;
        if (entries.size() == kMaxListEntries) {
            tooMany = true;
            return false;
        }
        entries.push_back(ResolveEntry(folder, FileNameFromLine(line)));
        return true;
    });
    if (tooMany)
        throw ListFileError(FormatLex(2610, std::to_string(kMaxListEntries)) + "\"" + fileName +
                            "\"");
    return entries;
}

}  // namespace quova

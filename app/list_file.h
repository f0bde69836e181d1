#pragma once

#include <cstddef>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quova {

// A list file that cannot be read or written; the text names the file.
class ListFileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A play list names at most a few thousand files; beyond these a list is
// taken for something else (a device, a huge log) and refused whole rather
// than let it fill the memory.
inline constexpr std::size_t kMaxListFileBytes = 4 * 1024 * 1024;
inline constexpr std::size_t kMaxListEntries = 50000;

// The entries of a list file's bytes, one a line (CR LF, LF or CR), UTF-8 or
// else Windows-1252. A relative name is taken relative to `folder`. In .mpl
// files (`m3u` false) every line is an entry, a blank one too; in .m3u/.m3u8
// files leading blanks are dropped, blank lines and lines starting with "#"
// are skipped, and a backslash separates folders where the name does not
// exist as written. Throws ListFileError naming `fileName` and the limit when
// there are more than kMaxListEntries entries.
std::vector<std::string> ParseListFile(std::string_view bytes, const std::filesystem::path& folder,
                                       bool m3u, const std::string& fileName);

}  // namespace quova

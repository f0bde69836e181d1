#include "tests/support/temp_dir.h"

#include "platform/files/folder_safety.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace quova::testing {

TempDir::TempDir() : TempDir(std::filesystem::temp_directory_path()) {}

TempDir::TempDir(const std::filesystem::path& base) {
    std::string pattern = (base / "quova-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

std::filesystem::path UnsharedScratchFolder(std::string* why) {
    // Beside the test programs; a build tree under /tmp falls back to the
    // user's cache.
    std::vector<std::filesystem::path> candidates;
    std::error_code ec;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) candidates.push_back(program.parent_path() / "scratch");
    if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        candidates.push_back(std::filesystem::path(home) / ".cache" / "quova-test-scratch");
    for (const std::filesystem::path& scratch : candidates)
        if (MakeUserFolder(scratch) && OnlyUserControlsForGood(scratch)) return scratch;
    if (why) {
        *why =
            "neither the build tree nor the user's cache lies where no other user can "
            "create entries:";
        for (const std::filesystem::path& scratch : candidates) *why += " " + scratch.string();
    }
    return {};
}

TempDir::~TempDir() {
    std::error_code ec;
    // Tests may leave folders read-only on purpose; make them removable again.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    }
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

}  // namespace quova::testing

#pragma once

#include <filesystem>
#include <string>

namespace quova::testing {

// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes.
class TempDir {
  public:
    TempDir();
    // Under `base` instead.
    explicit TempDir(const std::filesystem::path& base);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

// A folder beside the test programs, or in the user's cache when the build
// tree lies in a shared folder, for the tests whose files must lie where no
// other user can create entries (a program to be registered): the system's
// temporary folder is shared. Empty, with the reason in `why`, when neither
// will do.
std::filesystem::path UnsharedScratchFolder(std::string* why);

// Whole-file helpers for tests that build or inspect files byte by byte.
void WriteFile(const std::filesystem::path& path, const std::string& bytes);
std::string ReadFile(const std::filesystem::path& path);

}  // namespace quova::testing

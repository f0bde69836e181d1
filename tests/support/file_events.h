#pragma once

#include <filesystem>
#include <map>
#include <string>

namespace quova::testing {

// Counts, as the kernel reports them (inotify), the files that took their
// name in a folder from the moment it is made: each atomic replacement of a
// file (a temporary file renamed over it) is one, and so is a file created
// or written in place under its name.
class FileWrites {
  public:
    explicit FileWrites(const std::filesystem::path& folder);
    ~FileWrites();
    FileWrites(const FileWrites&) = delete;
    FileWrites& operator=(const FileWrites&) = delete;

    // The writes of `name` (a name in the folder) so far.
    int Of(const std::string& name);

  private:
    void Drain();

    int fd_ = -1;
    std::map<std::string, int> counts_;
};

}  // namespace quova::testing

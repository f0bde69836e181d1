#pragma once

#include <filesystem>
#include <functional>
#include <mutex>

#include "platform/registry/registry_document.h"

namespace quova::registry {

// One registry file on disk, shared with any other running instance.
// Every read parses the file afresh (it is a few kilobytes, and another
// instance may have changed it a moment ago); every change is made under an exclusive lock on a
// sidecar lock file, against the file as it is at that moment, and lands through a temporary file
// and a rename, so neither a crash nor a second writer loses anything.
class RegistryStore {
  public:
    explicit RegistryStore(std::filesystem::path file);

    const std::filesystem::path& file() const { return file_; }

    // The current content (an empty document when there is no file yet).
    RegDocument Snapshot();

    // Whether changes can be written: the folder can be made and written, and
    // the file, if there is one, is not marked read-only.
    bool Writable() const;

    // Applies `change` to the current content and writes the result.
    // `change` returns false when it changed nothing, and then nothing is
    // written. With `keepCopy` the file as it was is kept beside it first, as
    // a damaged file is. Throws RegistryError when the file cannot be written.
    void Modify(const std::function<bool(RegDocument&)>& change, bool keepCopy = false);

  private:
    struct Loaded {
        RegDocument document;
        std::string bytes;  // what was read, for the copy of a damaged file
        bool tooLarge = false;
    };
    Loaded Load() const;
    void KeepDamagedCopy(const Loaded& loaded) const;

    std::filesystem::path file_;
    std::mutex mutex_;
};

}  // namespace quova::registry

#pragma once

#include <sys/stat.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry/registry_document.h"

namespace quova::registry {

// One registry file on disk, shared with any other running instance.
// A read sees the file as it is now, since another instance may have changed
// it a moment ago; the parsed content is kept and reused for as long as the
// file stays the same one with the same size and times, because start-up
// alone reads dozens of values. Every change is made under an exclusive lock
// on a sidecar lock file, against the file as it is at that moment, and lands
// through a temporary file and a rename, so neither a crash nor a second
// writer loses anything.
//
// A file that exists but cannot be read (no permission, an I/O error, not a
// regular file) reads as empty and is never written over: what it holds is
// unknown, and a rewrite would drop it.
class RegistryStore {
  public:
    explicit RegistryStore(std::filesystem::path file);

    const std::filesystem::path& file() const { return file_; }
    // How many times this store has written its file.
    long writes() const { return writes_.load(); }

    // The current content (an empty document when there is no file yet).
    std::shared_ptr<const RegDocument> Snapshot();

    // Whether changes can be written: the folder can be made and written, and
    // the file, if there is one, is readable and not marked read-only.
    bool Writable();

    // Applies `change` to the current content and writes the result.
    // `change` returns false when it changed nothing, and then nothing is
    // written. With `keepCopy` the file as it was is kept beside it first, as
    // a damaged file is. Throws RegistryError when the file cannot be written
    // or could not be read.
    //
    // Within a batch the change is applied to the batch's content only, and
    // kept: the batch's end applies every kept change again, in order, to
    // the file as it is then, and writes once. A change must therefore hold
    // copies of what it needs, not references.
    void Modify(const std::function<bool(RegDocument&)>& change, bool keepCopy = false);

    // Where a batch stood when an inner one began: ending the inner one
    // without its changes goes back there.
    struct Savepoint {
        std::shared_ptr<RegDocument> document;
        std::size_t changes = 0;
    };
    // Batches (registry.h's Batch) nest; the outermost one's end writes.
    Savepoint BeginBatch();
    // With `keep` the batch's changes stay (and the outermost end writes
    // them, throwing RegistryError when it cannot: the file is then as it
    // was); without, they are dropped back to `from`.
    void EndBatch(bool keep, const Savepoint& from);

  public:
    // What identifies one state of the file: a rewrite by rename gives a new
    // inode, an edit in place new times or size.
    struct Identity {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        timespec modified{};
        timespec changed{};
        bool operator==(const Identity& o) const;
    };

  private:
    struct Loaded {
        std::shared_ptr<const RegDocument> document;
        std::string bytes;  // what was read, for the copy of a damaged file
        bool tooLarge = false;
        // The file exists but could not be read: `error` says why.
        std::string error;
    };
    // The content now, parsed again only when the file changed. Call with
    // mutex_ held.
    const Loaded& Load();
    void KeepDamagedCopy(const Loaded& loaded) const;
    // Modify outside a batch: lock, load, apply, write. Call with mutex_ held.
    void ApplyAndWrite(const std::function<bool(RegDocument&)>& change, bool keepCopy);

    struct Change {
        std::function<bool(RegDocument&)> apply;
        bool keepCopy = false;
    };
    struct Gathering {
        int depth = 0;
        // The content as the batch sees it: the file as it was at the batch's
        // first change, with the changes since. None before that change.
        std::shared_ptr<RegDocument> document;
        std::vector<Change> changes;
    };

    std::filesystem::path file_;
    std::mutex mutex_;
    std::optional<Identity> cachedIdentity_;
    Loaded cached_;
    // When the cached bytes were read (or written).
    timespec loadedAt_{};
    // The last read error told on stderr, so it is told once, not at every read.
    std::string reported_;
    Gathering batch_;
    std::atomic<long> writes_{0};
};

}  // namespace quova::registry

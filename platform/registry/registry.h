#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quova::registry {

// The per-user registry: one REGEDIT4 text file holding the HKEY_CURRENT_USER
// and HKEY_CLASSES_ROOT hives, by default at
// ${XDG_CONFIG_HOME:-$HOME/.config}/quova/registry.reg, the home taken from
// the user database when HOME is unset. A user with no home has no store: no
// key opens, so every read gives its default and nothing is written.
//
// Every write reaches the file at once and atomically (lock, re-read, apply,
// write a temporary file, flush, rename), so two running instances never lose
// each other's values; a Batch gathers many into one such write. A file with unreadable content is
// kept as a copy beside it before it is first rewritten.
//
// Values are bytes. One that is not UTF-8 (a file name in another encoding)
// is written with its stray bytes as \xHH escapes, so the file stays UTF-8
// and each line reads alone: no value changes how another one reads.

// Raised when a value exists but is not a string value, or when a write fails.
class RegistryError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

enum class Hive { CurrentUser, ClassesRoot };

// Where the store lives; an empty path restores the default. Tests and
// portable set-ups point it elsewhere.
void SetStorePath(const std::filesystem::path& path);
// Empty when there is no store.
std::filesystem::path StorePath();
// How many times the store of the path now set has written its file (each
// write replaces the whole file and flushes it to the disk, the costly part
// of a change).
long StoreWrites();

// Gathers the changes made to the store while it lives and writes them in
// one go: dozens of values set together (the registration with the desktop)
// cost one write of the file, not one each. Meanwhile every read sees the
// changes made so far; the file stays as it was, unlocked, so other
// instances go on reading and writing it. Commit() applies the changes, in
// their order, to the file as it is then (what another instance wrote in
// between stays), and writes it once, atomically like every write; nothing
// is written when nothing changed. When that write fails it throws
// RegistryError, and the file is as it was before the batch: the changes
// are lost, nothing else.
//
// A batch that ends without Commit() (an exception leaving its scope) drops
// its changes: the file stays as it was, and reads see it again. Batches
// nest: an inner one's Commit() keeps its changes for the outer one to
// write; an inner one dropped goes back to where it began. The batch is the
// process's: changes from any thread join it. Without a store it does nothing.
class Batch {
  public:
    Batch();
    ~Batch();
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;
    void Commit();

  private:
    struct State;
    std::unique_ptr<State> state_;
};

class Key {
  public:
    Key(Hive hive, std::string path, bool writable);

    Hive hive() const { return hive_; }
    // The key's path below its hive, backslash-separated, as it was opened.
    const std::string& path() const { return path_; }
    // Opened with full access (true) or for reading only (false).
    bool writable() const { return writable_; }

    // The value `name` ("" is the key's default value) as text, or nothing
    // when it does not exist. Throws RegistryError for a non-string value.
    std::optional<std::string> Read(std::string_view name) const;
    // Writes a string value; silently does nothing on a read-only key.
    // Throws RegistryError when the store cannot be written.
    void Write(std::string_view name, std::string_view value) const;
    // Removes a value; nothing happens when it does not exist or the key is read-only.
    void Remove(std::string_view name) const;
    // Replaces a value that is not a string value by the string `value`,
    // keeping the store as it was beside it first, as for a damaged file.
    // Nothing happens to a string value, a missing one or on a read-only key.
    void RepairValue(std::string_view name, std::string_view value) const;

    std::vector<std::string> ValueNames() const;
    std::vector<std::string> SubKeyNames() const;

  private:
    Hive hive_;
    std::string path_;
    bool writable_;
};

using KeyHandle = std::unique_ptr<Key>;

// Opens hive\path with full access, creating it when missing; when the store
// cannot be written, opens the existing key for reading; else returns none.
KeyHandle OpenKey(Hive hive, std::string_view path);
// Opens an existing key only (never creates it); none when it does not exist.
KeyHandle OpenExistingKey(Hive hive, std::string_view path);
// Removes a key with everything below it; false when the store cannot be written.
bool DeleteKey(Hive hive, std::string_view path);

// The settings layer's six operations, on HKEY_CURRENT_USER.
KeyHandle OpenUserKey(std::string_view path);
// Closes the key and empties the caller's handle; an empty handle is accepted.
void CloseKey(KeyHandle& key);
// The value as a decimal integer; the default when there is no key or the text
// is not a decimal integer. A missing value is created with the default when
// the key is writable. Throws RegistryError for a non-string value.
int ReadIntValue(const Key* key, std::string_view name, int defaultValue);
std::string ReadStrValue(const Key* key, std::string_view name, const std::string& defaultValue);
// Both do nothing with no key or a read-only key.
void WriteIntValue(const Key* key, std::string_view name, int value);
void WriteStrValue(const Key* key, std::string_view name, std::string_view value);

}  // namespace quova::registry

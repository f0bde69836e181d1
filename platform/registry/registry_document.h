#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace quova::registry {

// The content of a REGEDIT4 file, in file order so a rewrite keeps what the
// user or another program put there.
struct RegValue {
    std::string name;      // "" is the key's default value (@)
    bool isString = true;  // false: dword, hex and other types, kept as written
    std::string data;      // the string itself, or the raw text after '='
};

struct RegSection {
    std::string path;  // full path with the hive's name, e.g. HKEY_CURRENT_USER\SOFTWARE\X
    std::vector<RegValue> values;

    const RegValue* Find(std::string_view name) const;
    void Set(std::string_view name, std::string_view value);
    void Remove(std::string_view name);
};

struct RegDocument {
    // In file order; changed only through the members below, which keep the
    // index in step.
    std::vector<RegSection> sections;
    // Lines that could not be read: the file is kept as a copy before a rewrite.
    int unreadableLines = 0;

    const RegSection* Find(std::string_view fullPath) const;
    RegSection& Ensure(std::string_view fullPath);
    // True when the key has a section of its own or any key below it.
    bool Exists(std::string_view fullPath) const;
    // Names of the keys directly below `fullPath`, each once.
    std::vector<std::string> Children(std::string_view fullPath) const;
    void RemoveTree(std::string_view fullPath);

  private:
    void Reindex();

    // Lower-case path to its place in `sections`: a store with thousands of
    // keys is searched by name, and sorted so the keys below one are adjacent.
    std::map<std::string, std::size_t, std::less<>> index_;
};

// Key paths and value names compare without regard to letter case.
bool SameName(std::string_view a, std::string_view b);

RegDocument ParseRegistryText(std::string_view utf8Text);
std::string SerializeRegistry(const RegDocument& document);

}  // namespace quova::registry

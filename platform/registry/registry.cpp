#include "platform/registry/registry.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <utility>

#include "platform/paths/user_home.h"
#include "platform/registry/registry_store.h"

namespace quova::registry {

namespace {

// The settings are the process's, whichever part reads them: one store for
// them all, of the path set for it (tests, benchmarks) or the user's own.
struct SharedStoreState {
    std::mutex lock;
    std::filesystem::path pathOverride;
    std::shared_ptr<RegistryStore> store;
    bool toldNoHome = false;
};
SharedStoreState gShared;

// Empty when the user has no settings folder: a shared fallback such as /tmp
// would mix every user's settings in a folder anyone can plant links in.
std::filesystem::path DefaultStorePath() {
    std::filesystem::path base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
        base = xdg;
    else if (const std::filesystem::path home = UserHomeFolder(); !home.empty())
        base = home / ".config";
    else
        return {};
    return base / "quova" / "registry.reg";
}

// None when there is nowhere to keep settings: the program then runs on its
// start values and writes nothing, which it says once.
std::shared_ptr<RegistryStore> SharedStore() {
    std::lock_guard guard(gShared.lock);
    const auto path = gShared.pathOverride.empty() ? DefaultStorePath() : gShared.pathOverride;
    if (path.empty()) {
        if (!std::exchange(gShared.toldNoHome, true))
            std::fputs(
                "quova: no home folder for this user: running on default settings, saving "
                "nothing\n",
                stderr);
        gShared.store.reset();
        return nullptr;
    }
    if (!gShared.store || gShared.store->file() != path)
        gShared.store = std::make_shared<RegistryStore>(path);
    return gShared.store;
}

RegistryStore* Store() {
    return SharedStore().get();
}

const char* HiveName(Hive hive) {
    return hive == Hive::CurrentUser ? "HKEY_CURRENT_USER" : "HKEY_CLASSES_ROOT";
}

// "SOFTWARE\\X\\" and "\\SOFTWARE\\\\X" both name SOFTWARE\X.
std::string NormalisePath(std::string_view path) {
    std::string out;
    for (char c : path) {
        if (c == '\\' && (out.empty() || out.back() == '\\')) continue;
        out += c;
    }
    if (!out.empty() && out.back() == '\\') out.pop_back();
    return out;
}

std::string FullPath(Hive hive, std::string_view path) {
    return path.empty() ? std::string(HiveName(hive))
                        : std::string(HiveName(hive)) + "\\" + std::string(path);
}

std::optional<int> ParseDecimal(std::string_view text) {
    if (text.starts_with("+")) text.remove_prefix(1);
    if (text.empty() || text.starts_with("+")) return std::nullopt;
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

void SetStorePath(const std::filesystem::path& path) {
    std::lock_guard guard(gShared.lock);
    gShared.pathOverride = path;
}

std::filesystem::path StorePath() {
    std::lock_guard guard(gShared.lock);
    return gShared.pathOverride.empty() ? DefaultStorePath() : gShared.pathOverride;
}

long StoreWrites() {
    const std::shared_ptr<RegistryStore> store = SharedStore();
    return store ? store->writes() : 0;
}

struct Batch::State {
    std::shared_ptr<RegistryStore> store;
    RegistryStore::Savepoint from;
};

Batch::Batch() : state_(std::make_unique<State>()) {
    state_->store = SharedStore();
    if (state_->store) state_->from = state_->store->BeginBatch();
}

Batch::~Batch() {
    if (state_ && state_->store) state_->store->EndBatch(false, state_->from);
}

void Batch::Commit() {
    if (!state_ || !state_->store) return;
    // Ended either way: a failed write leaves nothing pending.
    const std::unique_ptr<State> ending = std::move(state_);
    ending->store->EndBatch(true, ending->from);
}

Key::Key(Hive hive, std::string path, bool writable)
    : hive_(hive), path_(std::move(path)), writable_(writable) {}

std::optional<std::string> Key::Read(std::string_view name) const {
    RegistryStore* store = Store();
    if (!store) return std::nullopt;
    const auto doc = store->Snapshot();
    const RegSection* section = doc->Find(FullPath(hive_, path_));
    const RegValue* value = section ? section->Find(name) : nullptr;
    if (!value) return std::nullopt;
    if (!value->isString) {
        throw RegistryError("the value \"" + std::string(name) + "\" of " + FullPath(hive_, path_) +
                            " is not a string value");
    }
    return value->data;
}

void Key::Write(std::string_view name, std::string_view value) const {
    RegistryStore* store = Store();
    if (!writable_ || !store) return;
    store->Modify([full = FullPath(hive_, path_), name = std::string(name),
                   value = std::string(value)](RegDocument& doc) {
        RegSection& section = doc.Ensure(full);
        const RegValue* old = section.Find(name);
        if (old && old->isString && old->data == value) return false;
        section.Set(name, value);
        return true;
    });
}

void Key::Remove(std::string_view name) const {
    RegistryStore* store = Store();
    if (!writable_ || !store) return;
    store->Modify([full = FullPath(hive_, path_), name = std::string(name)](RegDocument& doc) {
        const RegSection* found = doc.Find(full);
        if (!found || !found->Find(name)) return false;
        doc.Ensure(full).Remove(name);
        return true;
    });
}

void Key::RepairValue(std::string_view name, std::string_view value) const {
    RegistryStore* store = Store();
    if (!writable_ || !store) return;
    store->Modify(
        [full = FullPath(hive_, path_), name = std::string(name),
         value = std::string(value)](RegDocument& doc) {
            const RegSection* found = doc.Find(full);
            const RegValue* old = found ? found->Find(name) : nullptr;
            if (!old || old->isString) return false;
            doc.Ensure(full).Set(name, value);
            return true;
        },
        true);
}

std::vector<std::string> Key::ValueNames() const {
    std::vector<std::string> names;
    RegistryStore* store = Store();
    if (!store) return names;
    const auto doc = store->Snapshot();
    if (const RegSection* section = doc->Find(FullPath(hive_, path_)))
        for (const auto& v : section->values) names.push_back(v.name);
    return names;
}

std::vector<std::string> Key::SubKeyNames() const {
    RegistryStore* store = Store();
    return store ? store->Snapshot()->Children(FullPath(hive_, path_)) : std::vector<std::string>{};
}

KeyHandle OpenKey(Hive hive, std::string_view path) {
    const std::string normal = NormalisePath(path);
    const std::string full = FullPath(hive, normal);
    RegistryStore* store = Store();
    if (!store) return nullptr;
    if (store->Writable()) {
        try {
            store->Modify([full](RegDocument& doc) {
                if (doc.Find(full)) return false;
                doc.Ensure(full);
                return true;
            });
            return std::make_unique<Key>(hive, normal, true);
        } catch (const RegistryError&) {
            // fall back to reading what is there
        }
    }
    return OpenExistingKey(hive, normal);
}

KeyHandle OpenExistingKey(Hive hive, std::string_view path) {
    const std::string normal = NormalisePath(path);
    RegistryStore* store = Store();
    if (!store || !store->Snapshot()->Exists(FullPath(hive, normal))) return nullptr;
    return std::make_unique<Key>(hive, normal, false);
}

bool DeleteKey(Hive hive, std::string_view path) {
    const std::string full = FullPath(hive, NormalisePath(path));
    RegistryStore* store = Store();
    if (!store || !store->Writable()) return false;
    try {
        store->Modify([full](RegDocument& doc) {
            if (!doc.Exists(full)) return false;
            doc.RemoveTree(full);
            return true;
        });
    } catch (const RegistryError&) {
        return false;
    }
    return true;
}

KeyHandle OpenUserKey(std::string_view path) {
    return OpenKey(Hive::CurrentUser, path);
}

void CloseKey(KeyHandle& key) {
    key.reset();
}

int ReadIntValue(const Key* key, std::string_view name, int defaultValue) {
    if (!key) return defaultValue;
    const auto text = key->Read(name);
    if (!text) {
        key->Write(name, std::to_string(defaultValue));
        return defaultValue;
    }
    return ParseDecimal(*text).value_or(defaultValue);
}

std::string ReadStrValue(const Key* key, std::string_view name, const std::string& defaultValue) {
    if (!key) return defaultValue;
    auto text = key->Read(name);
    if (!text) {
        key->Write(name, defaultValue);
        return defaultValue;
    }
    return *text;
}

void WriteIntValue(const Key* key, std::string_view name, int value) {
    if (key) key->Write(name, std::to_string(value));
}

void WriteStrValue(const Key* key, std::string_view name, std::string_view value) {
    if (key) key->Write(name, value);
}

}  // namespace quova::registry

#include "app/shell_registration.h"

#include <cstdio>
#include <filesystem>
#include <vector>

#include "app/desktop_entry.h"
#include "graph/message_box.h"
#include "lexicon/lexicon.h"
#include "platform/files/folder_safety.h"
#include "platform/registry/registry.h"

namespace quova {

namespace {

using registry::Hive;
using registry::RegistryError;

constexpr size_t kMaxExtensionChars = 99;

std::string ReadDefault(const std::string& path) {
    const registry::KeyHandle key = registry::OpenExistingKey(Hive::ClassesRoot, path);
    if (!key) return {};
    return key->Read("").value_or(std::string());
}

bool HasDefault(const std::string& path) {
    const registry::KeyHandle key = registry::OpenExistingKey(Hive::ClassesRoot, path);
    return key && key->Read("").has_value();
}

// Creates or opens the key for writing and sets its default value.
void WriteDefault(const std::string& path, const std::string& value) {
    const registry::KeyHandle key = registry::OpenKey(Hive::ClassesRoot, path);
    if (!key || !key->writable()) throw RegistryError("cannot write HKEY_CLASSES_ROOT\\" + path);
    key->Write("", value);
}

std::string FileName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

}  // namespace

std::string ShellCommand(const std::string& programPath) {
    return "\"" + programPath + "\" \"%1\"";
}

std::string DefaultFileType(const std::string& extension) {
    std::string bare = extension.starts_with('.') ? extension.substr(1) : extension;
    if (bare.size() > kMaxExtensionChars) bare.resize(kMaxExtensionChars);
    return bare + "file";
}

bool RegistrableProgram(const std::string& programPath) {
    const std::filesystem::path folder = std::filesystem::path(programPath).parent_path();
    return programPath.starts_with('/') && OnlyUserControlsForGood(folder);
}

namespace {

// CheckFileType's part in the class store. Throws on failure.
void AssociateInStore(const std::string& extension, const std::string& programPath) {
    std::string fileType = ReadDefault(extension);
    if (fileType.empty()) {
        fileType = DefaultFileType(extension);
        WriteDefault(extension, fileType);
    }
    if (!HasDefault(fileType)) WriteDefault(fileType, "");

    const std::string command = ShellCommand(programPath);
    const std::string verb = ReadDefault(fileType + "\\shell");
    if (!verb.empty()) {
        const std::string commandKey = fileType + "\\shell\\" + verb + "\\command";
        const std::string current = ReadDefault(commandKey);
        // Our own verb, pointing at wherever the program was: follow it.
        const std::string name = FileName(programPath);
        if (!name.empty() && current.find(name) != std::string::npos)
            WriteDefault(commandKey, command);
    } else {
        WriteDefault(fileType + "\\shell", "Quova");
    }
    WriteDefault(fileType + "\\shell\\quova", Lex(1350) + "Quova");
    WriteDefault(fileType + "\\shell\\quova\\command", command);
}

void ReportFailure(const std::string& what) {
    ShowCaptionedMessage(what + "\n" + FormatLex(1360, "CheckFileType"), "Quova:CheckFileType",
                         MbIconExclamation);
}

}  // namespace

bool CheckFileType(const std::string& extension, const std::string& programPath) {
    if (!RegistrableProgram(programPath)) return false;
    try {
        // The store is written once for the extension's keys, and not at
        // all when one of them fails.
        registry::Batch batch;
        AssociateInStore(extension, programPath);
        batch.Commit();
        // The desktop reads its own association, not the store's record.
        AssociateWithDesktop({extension}, programPath);
        return true;
    } catch (const std::exception& e) {
        ReportFailure(e.what());
        return false;
    }
}

void RegisterWithShell(const std::string& programPath) {
    if (!RegistrableProgram(programPath)) {
        std::fprintf(stderr,
                     "quova: not registered as a file handler: others can change the "
                     "folder of %s\n",
                     programPath.c_str());
        return;
    }
    // Each value written on its own rewrote the whole store and flushed it to
    // the disk, some seventy times on a first start: the store is written
    // once, at the end, and so are the desktop's files. The failures are
    // told after that, so that no message waits on the user mid-way.
    std::vector<std::string> failures;
    std::vector<std::string> associated;
    {
        registry::Batch all;
        const std::string app = "Applications\\" + FileName(programPath) + "\\shell";
        try {
            registry::Batch entry;
            WriteDefault(app, "open");
            WriteDefault(app + "\\open", "");
            WriteDefault(app + "\\open\\command", ShellCommand(programPath));
            entry.Commit();
        } catch (const std::exception&) {
            // The Applications entry is a convenience; start-up goes on without it.
        }
        for (const char* extension : kRegisteredExtensions) {
            try {
                // An extension that fails leaves none of its keys behind.
                registry::Batch one;
                AssociateInStore(extension, programPath);
                one.Commit();
                associated.emplace_back(extension);
            } catch (const std::exception& e) {
                failures.emplace_back(e.what());
            }
        }
        try {
            all.Commit();
        } catch (const std::exception& e) {
            failures.emplace_back(e.what());
            associated.clear();
        }
    }
    if (!associated.empty()) {
        try {
            AssociateWithDesktop(associated, programPath);
        } catch (const std::exception& e) {
            failures.emplace_back(e.what());
        }
    }
    for (const std::string& failure : failures) ReportFailure(failure);
}

bool ShellRegistrationNeeded(const std::string& storedVersion, const std::string& storedExe,
                             const std::string& programVersion, const std::string& exePath) {
    return storedVersion != programVersion || storedExe != exePath;
}

}  // namespace quova

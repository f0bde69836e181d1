#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quova {

// The program's association on the Linux desktop: a desktop entry that puts
// it in every "Open with" list of its media types, and the default handler
// for the types that have none yet. Nothing here ever involves a shell.

// The desktop entry's file name (its desktop ID).
inline constexpr const char* kDesktopId = "quova.desktop";

// The MIME types the desktop gives files with `extension` (".avi"); none for
// an extension the desktop does not type.
std::vector<std::string> MimeTypesOf(const std::string& extension);

// Every MIME type of the registered extensions, each once, in their order.
std::vector<std::string> RegisteredMimeTypes();

// The Exec value starting the program at `programPath` with the chosen
// files: the path quoted and escaped as desktop entries require, then "%F".
// Throws std::invalid_argument for a path no desktop entry can hold (a line break).
std::string DesktopExec(const std::string& programPath);

// The whole desktop entry for the program at `programPath`.
std::string DesktopEntryText(const std::string& programPath);

// $XDG_DATA_HOME and $XDG_CONFIG_HOME, with the home's defaults; empty
// without either.
std::filesystem::path XdgDataHome();
std::filesystem::path XdgConfigHome();

// Whether a desktop file names a default handler for `mimeType` that is
// installed: the user's and the system's mimeapps.list files and the legacy
// defaults.list, in the desktop's order of precedence.
bool HasDefaultHandler(const std::string& mimeType);

// Writes the desktop entry into $XDG_DATA_HOME/applications (following a
// moved program) and makes the program the default handler in
// $XDG_CONFIG_HOME/mimeapps.list for each type of the `extensions` that has
// no default yet. Each file is written once at most, whatever the number of
// types. Throws std::runtime_error naming what could not be written.
void AssociateWithDesktop(const std::vector<std::string>& extensions,
                          const std::string& programPath);

}  // namespace quova

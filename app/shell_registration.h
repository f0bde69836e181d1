#pragma once

#include <array>
#include <string>

namespace quova {

// The media file types the program registers itself for at start-up.
inline constexpr std::array<const char*, 10> kRegisteredExtensions = {
    ".avi", ".asf", ".bup", ".mp3", ".mpg", ".vob", ".mpl", ".ogg", ".ogm", ".oga"};

// The command the shell runs for a file: the program in double quotes, a
// blank and "%1" in double quotes.
std::string ShellCommand(const std::string& programPath);

// The file type an extension gets when it has none: ".avi" gives "avifile".
std::string DefaultFileType(const std::string& extension);

// Whether the program at `programPath` may be registered at all: only when
// nobody but the user and the superuser can change what lies there, now or
// later (its folder and every folder above it, none of them shared as /tmp
// is). Registered from a folder others can write to, it would hand every
// file the user opens to whatever they put in its place.
bool RegistrableProgram(const std::string& programPath);

// Associates `extension` with the program in the class store: gives the
// extension a file type, makes the program's verb the default one only when
// no other program's verb is, follows a moved program, and always adds the
// program's own "Open with" verb. On the desktop it writes the program's
// desktop entry and makes it the default handler of the extension's types
// that have none (AssociateWithDesktop). A failure is reported in a message
// box; returns false then. A program that is not RegistrableProgram is not
// registered (false, without a message).
bool CheckFileType(const std::string& extension, const std::string& programPath);

// The registration start-up runs when the stored version or path differ from
// the running program's: the Applications keys and CheckFileType for every
// registered extension. The store, the desktop entry and the desktop's list
// of default handlers are each written once at most; an extension that fails
// leaves none of its keys, and the failures are reported after the writes.
// Failures of the Applications keys are ignored. A program that is not
// RegistrableProgram registers nothing and says so once on the standard error.
void RegisterWithShell(const std::string& programPath);

// Whether start-up must register: the stored version or path differ.
bool ShellRegistrationNeeded(const std::string& storedVersion, const std::string& storedExe,
                             const std::string& programVersion, const std::string& exePath);

}  // namespace quova

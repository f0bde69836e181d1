#pragma once

#include <string>

namespace quova {

// The project's home page, opened by "Home Page...".
inline constexpr const char* kHomePageAddress = "https://quova.org/";

// The user guide of the program at `exePath`: its name with the extension
// ".htm" (quova.htm), beside the program or in the installed shared folder.
std::string DocumentationPath(const std::string& exePath);

// Opens a file or an address with the desktop's default handler; the result
// is not checked (nothing is reported when nothing can open it).
void OpenDocument(const std::string& target);

void OpenHomePage();

// The keyboard, mouse and command-line help that "Help" shows, for the
// program's `version`.
std::string HelpText(const std::string& version);

}  // namespace quova

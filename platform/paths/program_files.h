#pragma once

#include <filesystem>
#include <string>

namespace quova {

// The program's own files (lexicon and menu template files, the guide) lie
// beside the program in a build or a portable copy, and in
// <prefix>/share/quova when it is installed in <prefix>/bin.
inline constexpr const char* kSharedFilesFolder = "share/quova";

// Where the file `name` of the program at `program` is: beside the program
// when it is there; else in the installed shared folder when it is there;
// else beside the program (where a missing file is looked for).
std::filesystem::path ProgramFile(const std::filesystem::path& program, const std::string& name);

}  // namespace quova

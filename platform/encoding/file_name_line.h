#pragma once

#include <string>
#include <string_view>

namespace quova {

// A file name as one line of a text file (play lists, movie bookmarks).
// Linux file names are bytes: they need not be UTF-8 and may hold a line
// break, while the files are read as UTF-8 text one name a line. A name that
// is UTF-8 without CR or LF is written as it is, as it always was; any other
// becomes a local file URI ("file:///films/Am%E9lie.avi"), which keeps every
// byte, stays on its line and is plain ASCII, so the other lines read as they
// did in every version.
std::string FileNameLine(std::string_view name);

// The file name a line holds: a local file URI gives back its bytes, any
// other line (a name, an address of another kind) is the name as it stands.
std::string FileNameFromLine(std::string_view line);

}  // namespace quova

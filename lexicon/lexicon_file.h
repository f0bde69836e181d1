#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "lexicon/lex_table.h"

namespace quova {

// The lexicon file for `code` beside `program`: the program's extension (from
// the last dot of its file name) is replaced by ".<code>.lex", or that is
// appended when the name has none. /usr/bin/quova -> /usr/bin/quova.de.lex.
std::filesystem::path LexiconFilePath(const std::filesystem::path& program, std::string_view code);

// A lexicon line's index field as a number: decimal with an optional sign,
// blanks around it allowed; anything else, or a number too big for an int,
// gives -1 so that the line is ignored.
int ParseLexIndex(std::string_view field);

// Stores every line `"index","text"` of the file whose index lies in the
// table's range, later lines replacing earlier ones. Other lines are skipped.
// Returns false when the file could not be read; the table is then unchanged.
bool ReadLexiconFile(const std::filesystem::path& path, LexTable& table);

}  // namespace quova

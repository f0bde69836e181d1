#pragma once

#include <filesystem>
#include <string>

namespace quova {

// Every user-visible text is named by an index and fetched through Lex.
// Texts are UTF-8. "|" marks a line break, "%s"/"%d"/"%%" are filled by the
// caller, and trailing blanks belong to texts that get a detail appended.

constexpr int LexSlotCount = 4096;

// The loaded text for `index`, else the built-in English text, else "?".
const std::string& Lex(int index);

// Lex(index) with its first "%s" filled with `value` and "%%" made "%".
std::string FormatLex(int index, const std::string& value);
// Lex(index) with its first "%d" filled with `value` and "%%" made "%".
std::string FormatLexNumber(int index, int value);

// The compiled-in English text for `index`, "?" for an index it does not list.
const std::string& BuiltInLex(int index);

// Two lower-case letters naming the user's language, from the locale
// (LC_ALL, else LC_MESSAGES, else LANG); "en" when nothing else fits.
std::string LanguageCode();

// Reads quova.<code>.lex beside the program into the loaded table; a missing
// file changes nothing. Called for "en" and then the user's language at start.
void LoadLexiconFile(const std::string& code);

// Lexicon file names are built from `program` instead of the running program's
// path (for tests); an empty path goes back to the running program.
void SetLexiconProgramPath(const std::filesystem::path& program);

// Empties the loaded table, as at process start (for tests).
void ClearLoadedLexicon();

}  // namespace quova

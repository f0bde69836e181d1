#pragma once

#include <string>

namespace quova {

// Every user-visible text is named by an index and fetched through Lex.
// Texts are UTF-8. "|" marks a line break, "%s"/"%d"/"%%" are filled by the
// caller, and trailing blanks belong to texts that get a detail appended.

constexpr int LexSlotCount = 4096;

// The loaded text for `index`, else the built-in English text, else "?".
const std::string& Lex(int index);

// The compiled-in English text for `index`, "?" for an index it does not list.
const std::string& BuiltInLex(int index);

// Two lower-case letters naming the user's language, from the locale
// (LC_ALL, else LC_MESSAGES, else LANG); "en" when nothing else fits.
std::string LanguageCode();

// Reads quova.<code>.lex beside the program into the loaded table; a missing
// file changes nothing. Called for "en" and then the user's language at start.
void LoadLexiconFile(const std::string& code);

}  // namespace quova

#include "lexicon/lexicon.h"

// Placeholder until the lexicon lands: every index reads "?".
namespace quova {

const std::string& BuiltInLex(int) {
    static const std::string unknown = "?";
    return unknown;
}

const std::string& Lex(int index) { return BuiltInLex(index); }

std::string LanguageCode() { return "en"; }

void LoadLexiconFile(const std::string&) {}

}  // namespace quova

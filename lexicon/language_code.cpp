#include "lexicon/language_code.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "lexicon/lexicon.h"

namespace quova {

namespace {

struct LanguageId {
    std::string_view name;
    int primary;
};

// The classic primary language identifiers; Windows gives one identifier to
// all three Norwegian names and to the Serbo-Croatian family.
constexpr LanguageId kLanguageIds[] = {
    {"ar", 1},  {"bg", 2},  {"ca", 3},  {"zh", 4},  {"cs", 5},  {"da", 6},  {"de", 7},
    {"el", 8},  {"en", 9},  {"es", 10}, {"fi", 11}, {"fr", 12}, {"he", 13}, {"hu", 14},
    {"is", 15}, {"it", 16}, {"ja", 17}, {"ko", 18}, {"nl", 19}, {"nb", 20}, {"nn", 20},
    {"no", 20}, {"pl", 21}, {"pt", 22}, {"rm", 23}, {"ro", 24}, {"ru", 25}, {"hr", 26},
    {"sr", 26}, {"bs", 26}, {"sk", 27}, {"sq", 28}, {"sv", 29}, {"th", 30}, {"tr", 31},
};

struct PrimaryCode {
    int primary;
    const char* code;
};

constexpr PrimaryCode kPrimaryCodes[] = {
    {2, "bu"},  {5, "cz"},  {6, "dk"},  {7, "de"},  {9, "en"},  {10, "es"},
    {11, "fi"}, {12, "fr"}, {14, "hu"}, {15, "is"}, {16, "it"}, {19, "nl"},
    {20, "no"}, {21, "po"}, {22, "pt"}, {24, "ro"}, {29, "se"},
};

}  // namespace

int PrimaryLanguageId(std::string_view language) {
    std::string lower(language);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const LanguageId& id : kLanguageIds)
        if (id.name == lower) return id.primary;
    return 0;
}

std::string LanguageCodeForPrimaryId(int id) {
    const int low = id & 0xFF;
    for (const PrimaryCode& entry : kPrimaryCodes)
        if (entry.primary == low) return entry.code;
    return "en";
}

std::string LanguageCodeForLocale(std::string_view locale) {
    const std::string_view language = locale.substr(0, locale.find_first_of("_.@"));
    const int primary = PrimaryLanguageId(language);
    return primary == 0 ? std::string("en") : LanguageCodeForPrimaryId(primary);
}

std::string LanguageCode() {
    // An empty variable counts as unset, as it does for the C library.
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) return LanguageCodeForLocale(value);
    }
    return "en";
}

}  // namespace quova

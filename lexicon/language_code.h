#pragma once

#include <string>
#include <string_view>

namespace quova {

// Lexicon and menu template files are named by the two-letter codes the old
// Windows releases used, chosen by the primary language identifier Windows
// gives a language. The user's language comes from the locale instead.

// The Windows primary language identifier of an ISO 639 language name
// ("de" -> 7, "pt" -> 22), 0 for a name it does not know.
int PrimaryLanguageId(std::string_view language);

// The file code for a language identifier ("cz" for 5, "dk" for 6); only its
// low byte counts, so a full identifier such as 0x0416 (pt-BR) gives "pt".
// "en" for a language without its own code.
std::string LanguageCodeForPrimaryId(int id);

// The file code for a locale name such as "pt_BR.UTF-8" or "de_DE@euro";
// "C", "POSIX", an empty name and unknown languages give "en".
std::string LanguageCodeForLocale(std::string_view locale);

}  // namespace quova

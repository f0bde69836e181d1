#include "lexicon/language_code.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "lexicon/lexicon.h"

namespace quova {
namespace {

TEST(LanguageCodeForLocale, MapsThroughTheOldPrimaryLanguageCodes) {
    const std::pair<const char*, const char*> cases[] = {
        {"bg_BG.UTF-8", "bu"}, {"cs_CZ.UTF-8", "cz"}, {"da_DK", "dk"},
        {"de_DE@euro", "de"},  {"de_AT.UTF-8", "de"}, {"en_GB.UTF-8", "en"},
        {"es_ES", "es"},       {"fi_FI", "fi"},       {"fr_CA.UTF-8", "fr"},
        {"hu_HU", "hu"},       {"is_IS", "is"},       {"it_IT", "it"},
        {"nl_BE", "nl"},       {"nb_NO.UTF-8", "no"}, {"nn_NO", "no"},
        {"no_NO", "no"},       {"pl_PL.UTF-8", "po"}, {"pt_BR.UTF-8", "pt"},
        {"pt_PT", "pt"},       {"ro_RO", "ro"},       {"sv_SE.UTF-8", "se"},
        {"sv", "se"},          {"DE_de", "de"},       {"ja_JP.UTF-8", "en"},
        {"ru_RU", "en"},       {"sr_RS@latin", "en"}, {"C", "en"},
        {"C.UTF-8", "en"},     {"POSIX", "en"},       {"", "en"},
        {"_DE", "en"},         {"german", "en"},
    };
    for (const auto& [locale, code] : cases)
        EXPECT_EQ(LanguageCodeForLocale(locale), code) << locale;
}

TEST(LanguageCodeForPrimaryId, UsesTheLowByteOfTheIdentifier) {
    EXPECT_EQ(LanguageCodeForPrimaryId(22), "pt");
    EXPECT_EQ(LanguageCodeForPrimaryId(0x0416), "pt");  // pt-BR
    EXPECT_EQ(LanguageCodeForPrimaryId(0x0807), "de");  // de-CH
    EXPECT_EQ(LanguageCodeForPrimaryId(17), "en");      // Japanese has no file code
    EXPECT_EQ(LanguageCodeForPrimaryId(0), "en");
    EXPECT_EQ(PrimaryLanguageId("nb"), PrimaryLanguageId("nn"));
    EXPECT_EQ(PrimaryLanguageId("xx"), 0);
}

// Sets the locale variables for one case and puts the previous ones back.
class LocaleEnvironment : public ::testing::Test {
  protected:
    static constexpr const char* kNames[] = {"LC_ALL", "LC_MESSAGES", "LANG"};

    void SetUp() override {
        for (int i = 0; i < 3; ++i) {
            const char* value = std::getenv(kNames[i]);
            saved_[i] = value ? std::optional<std::string>(value) : std::nullopt;
            unsetenv(kNames[i]);
        }
    }
    void TearDown() override {
        for (int i = 0; i < 3; ++i) {
            if (saved_[i])
                setenv(kNames[i], saved_[i]->c_str(), 1);
            else
                unsetenv(kNames[i]);
        }
    }

    std::optional<std::string> saved_[3];
};

TEST_F(LocaleEnvironment, LcAllThenLcMessagesThenLang) {
    EXPECT_EQ(LanguageCode(), "en");
    setenv("LANG", "pl_PL.UTF-8", 1);
    EXPECT_EQ(LanguageCode(), "po");
    setenv("LC_MESSAGES", "cs_CZ.UTF-8", 1);
    EXPECT_EQ(LanguageCode(), "cz");
    setenv("LC_ALL", "da_DK.UTF-8", 1);
    EXPECT_EQ(LanguageCode(), "dk");
    // An empty variable is no setting at all.
    setenv("LC_ALL", "", 1);
    EXPECT_EQ(LanguageCode(), "cz");
    // The C locale set on top means English, not the next variable.
    setenv("LC_ALL", "C", 1);
    EXPECT_EQ(LanguageCode(), "en");
}

}  // namespace
}  // namespace quova

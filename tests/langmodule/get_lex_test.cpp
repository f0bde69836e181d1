#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "lexicon/builtin_texts.h"
#include "lexicon/lexicon.h"

namespace quova {
namespace {

using GetLexFunction = const char* (*)(int);

// The module as another program would use it: loaded at run time, the one
// function looked up by name.
class LanguageModule : public ::testing::Test {
  protected:
    void SetUp() override {
        handle_ = dlopen(QUOVA_LANGMODULE_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle_, nullptr) << dlerror();
        getLex_ = reinterpret_cast<GetLexFunction>(dlsym(handle_, "GetLex"));
        ASSERT_NE(getLex_, nullptr) << dlerror();
    }
    void TearDown() override {
        if (handle_) dlclose(handle_);
    }

    std::string Get(int index) const { return getLex_(index); }

    void* handle_ = nullptr;
    GetLexFunction getLex_ = nullptr;
};

TEST_F(LanguageModule, ExportsTheEnglishTable) {
    EXPECT_EQ(Get(360), "remain: ");
    EXPECT_EQ(Get(2400), "frame: ");
    EXPECT_EQ(Get(470), "\"%s\" DirectShow filter not found, please register it using regsvr32 !");
    for (const LexEntry& entry : kBuiltInTexts) {
        if (entry.index == 25 || entry.index == 29) continue;
        EXPECT_EQ(Get(entry.index), BuiltInLex(entry.index)) << entry.index;
    }
    // The texts are constants: the same pointer every time.
    EXPECT_EQ(getLex_(360), getLex_(360));
}

TEST_F(LanguageModule, DiffersFromTheBuiltInTableWhereItWasMadeDifferently) {
    EXPECT_EQ(Get(25),
              "The menu captions, keyboard shortcuts and hints are is configurable/translatable|"
              "through the menu template file \"quova.[lang].mnu\".");
    EXPECT_EQ(Get(29), "?");
    const std::string disclaimer = Get(640);
    EXPECT_NE(disclaimer.find("without warranty of any kind"), std::string::npos);
    EXPECT_EQ(BuiltInLex(640), "?");
}

TEST_F(LanguageModule, GivesAQuestionMarkForIndexesItDoesNotList) {
    for (int index : {12345, 5, 0, 30, 635, 4095, 4096, -1, INT32_MIN, INT32_MAX})
        EXPECT_EQ(Get(index), "?") << index;
}

}  // namespace
}  // namespace quova

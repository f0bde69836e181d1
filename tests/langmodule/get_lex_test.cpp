#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

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
    // The entries of the English table, and no others (29 is the program's own).
    const std::set<int> listed = {
        11,   12,   13,   14,   15,   16,   17,   18,   19,   20,   21,   22,   23,   24,   25,
        26,   27,   28,   140,  150,  160,  170,  180,  190,  200,  210,  220,  230,  240,  250,
        260,  270,  280,  290,  300,  310,  320,  330,  340,  350,  360,  370,  380,  390,  400,
        410,  420,  430,  440,  450,  460,  470,  480,  490,  500,  510,  520,  530,  540,  550,
        560,  570,  580,  590,  600,  610,  620,  630,  640,  690,  700,  710,  720,  730,  740,
        760,  770,  780,  790,  800,  810,  830,  850,  860,  870,  880,  890,  900,  910,  920,
        930,  950,  1000, 1010, 1020, 1030, 1040, 1050, 1060, 1070, 1080, 1090, 1100, 1110, 1120,
        1130, 1140, 1150, 1160, 1170, 1180, 1190, 1200, 1210, 1220, 1230, 1240, 1250, 1260, 1270,
        1280, 1290, 1300, 1310, 1320, 1330, 1340, 1350, 1360, 1370, 1380, 1400, 1410, 1420, 1430,
        1440, 1450, 1460, 1470, 1480, 1500, 1520, 1600, 1700, 1800, 1810, 2000, 2010, 2020, 2030,
        2040, 2050, 2070, 2080, 2090, 2100, 2200, 2300, 2310, 2400, 2600, 2610, 2620, 2630, 2640,
        2650, 2660, 2670, 2700, 2710, 2720, 2730, 2740, 2750, 2760, 2770, 2780, 2800, 2810, 2840,
        2850, 2860, 2870, 2880, 2890, 2900, 2910, 2920, 2930, 2940, 2950, 2970,
        2980, 2990, 3000, 3010};
    for (int index = -1; index <= 4096; ++index)
        EXPECT_EQ(Get(index) != "?", listed.contains(index)) << index;
    EXPECT_EQ(Get(11), "Set High Priority option if you have|other jobs working in background.");
    EXPECT_EQ(Get(180), "Unable to write settings to the registry.");
    EXPECT_EQ(Get(360), "remain: ");
    EXPECT_EQ(Get(420), "&Add");
    EXPECT_EQ(Get(470), "\"%s\" DirectShow filter not found, please register it using regsvr32 !");
    EXPECT_EQ(Get(1350), "&Open with ");
    EXPECT_EQ(Get(2090), "Root Menu");
    EXPECT_EQ(Get(2400), "frame: ");
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

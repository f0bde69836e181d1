#include "lexicon/menu_template.h"

#include <gtest/gtest.h>

#include <memory>

#include "lexicon/quoted_fields.h"
#include "tests/support/temp_dir.h"

namespace quova {
namespace {

// A small named tree standing in for the popup menu. Its shortcut parser
// knows a few key names, as the real one knows the platform's.
struct Item : MenuTemplateItem {
    std::string name, caption, shortcut, hint;
    std::vector<std::unique_ptr<Item>> children;

    Item(std::string n, std::string c) : name(std::move(n)), caption(std::move(c)) {}
    Item* Add(std::string n, std::string c) {
        children.push_back(std::make_unique<Item>(std::move(n), std::move(c)));
        return children.back().get();
    }
    const std::string& TemplateName() const override { return name; }
    std::vector<MenuTemplateItem*> TemplateSubItems() override {
        std::vector<MenuTemplateItem*> out;
        for (auto& c : children) out.push_back(c.get());
        return out;
    }
    std::string SetCaptionAndShortcut(const std::string& c, const std::string& s) override {
        caption = c;
        shortcut = (s == "Ctrl+L" || s == "F11" || s == "Ctrl+O") ? s : "";
        return shortcut;
    }
    void SetHint(const std::string& h) override { hint = h; }
};

struct Menu {
    Item root{"", ""};
    Item* open;
    Item* options;
    Item* nestedLoop;
    Item* loop;
    Menu() {
        open = root.Add("Open1", "&Open...");
        open->shortcut = "Ctrl+O";
        open->hint = "Open a movie ...";
        options = root.Add("Options1", "Options");
        nestedLoop = options->Add("Loop1", "nested");
        loop = root.Add("Loop1", "&Loop");
    }
    std::vector<MenuTemplateItem*> Items() { return root.TemplateSubItems(); }
};

TEST(MenuTemplate, LineRecaptionsItemWithFiveLineHint) {
    Menu menu;
    const auto line =
        ToMenuTemplateLine(SplitQuotedFields(R"("Open1","&Load...","Ctrl+L","Load a movie")", 4));
    ASSERT_TRUE(ApplyMenuTemplateLine(menu.Items(), line));
    EXPECT_EQ(menu.open->caption, "&Load...");
    EXPECT_EQ(menu.open->shortcut, "Ctrl+L");
    EXPECT_EQ(menu.open->hint, "Load...\n----------\nLoad a movie\n----------\nShortcut: Ctrl+L");
}

TEST(MenuTemplate, EmptyFieldsRemoveShortcutAndHint) {
    Menu menu;
    ASSERT_TRUE(ApplyMenuTemplateLine(menu.Items(), {"Open1", "&Open...", "", ""}));
    EXPECT_EQ(menu.open->shortcut, "");
    EXPECT_EQ(menu.open->hint, "");
    // An unknown shortcut text means none; the hint then has no shortcut part.
    ASSERT_TRUE(ApplyMenuTemplateLine(menu.Items(), {"Open1", "O&pen", "Hyper+Q", "Hint"}));
    EXPECT_EQ(menu.open->shortcut, "");
    EXPECT_EQ(menu.open->hint, "Open\n----------\nHint");
    // A line short of fields applies empty texts for the missing ones.
    const auto shortLine = ToMenuTemplateLine({"Open1"});
    ASSERT_TRUE(ApplyMenuTemplateLine(menu.Items(), shortLine));
    EXPECT_EQ(menu.open->caption, "");
}

TEST(MenuTemplate, FirstItemOfTheNameDepthFirstAndUnknownNamesChangeNothing) {
    Menu menu;
    ASSERT_TRUE(ApplyMenuTemplateLine(menu.Items(), {"Loop1", "Again", "", ""}));
    EXPECT_EQ(menu.nestedLoop->caption, "Again");
    EXPECT_EQ(menu.loop->caption, "&Loop");
    EXPECT_FALSE(ApplyMenuTemplateLine(menu.Items(), {"Nothing1", "x", "F11", "y"}));
    EXPECT_FALSE(ApplyMenuTemplateLine(menu.Items(), {"open1", "x", "", ""}));
    EXPECT_EQ(menu.open->caption, "&Open...");
}

TEST(MenuTemplate, FilesBesideTheProgramEnglishFirstThenTheUsersLanguage) {
    testing::TempDir dir;
    EXPECT_EQ(MenuTemplatePath(dir / "quova", "de"), dir / "quova.de.mnu");
    EXPECT_EQ(MenuTemplatePath(dir / "quova.exe", "en"), dir / "quova.en.mnu");

    testing::WriteFile(dir / "quova.en.mnu",
                       "; comment line\r\n"
                       "\"Open1\",\"&Load...\",\"Ctrl+L\",\"Load a movie\"\r\n"
                       "\r\n"
                       "\"Loop1\",\"Endless\",\"\",\"\"\r\n");
    // Windows-1252 bytes in the German file.
    testing::WriteFile(dir / "quova.de.mnu", "\"Open1\",\"\xD6\x66\x66nen\",\"F11\",\"\"\n");
    Menu menu;
    LoadMenuTemplates(menu.Items(), dir / "quova", "de");
    EXPECT_EQ(menu.open->caption,
              "\xC3\x96"
              "ffnen");
    EXPECT_EQ(menu.open->shortcut, "F11");
    EXPECT_EQ(menu.open->hint, "");
    EXPECT_EQ(menu.nestedLoop->caption, "Endless");

    // English twice gives the same result; a missing file changes nothing.
    Menu english;
    LoadMenuTemplates(english.Items(), dir / "quova", "en");
    EXPECT_EQ(english.open->caption, "&Load...");
    EXPECT_FALSE(LoadMenuTemplateFile(english.Items(), dir / "quova.fr.mnu"));
    EXPECT_EQ(english.open->caption, "&Load...");
    // Nor is a file over 16 MiB read.
    testing::WriteFile(dir / "quova.fr.mnu",
                       "\"Open1\",\"Huge\",\"\",\"\"\n" + std::string(16 * 1024 * 1024, ' '));
    EXPECT_FALSE(LoadMenuTemplateFile(english.Items(), dir / "quova.fr.mnu"));
    EXPECT_EQ(english.open->caption, "&Load...");
}

TEST(MenuTemplate, OnlyCrLfAndLfEndALineALoneCrIsText) {
    testing::TempDir dir;
    testing::WriteFile(dir / "quova.en.mnu",
                       "\"Open1\",\"&Load\",\"\",\"one\rtwo\"\r\n"
                       "\"Loop1\",\"Endless\",\"\",\"\"\r\"Options1\",\"Settings\",\"\",\"\"\n");
    Menu menu;
    LoadMenuTemplates(menu.Items(), dir / "quova", "en");
    EXPECT_EQ(menu.open->hint, "Load\n----------\none\rtwo");
    // The lone CR does not start a line: Options1 is never named.
    EXPECT_EQ(menu.nestedLoop->caption, "Endless");
    EXPECT_EQ(menu.options->caption, "Options");
}

}  // namespace
}  // namespace quova

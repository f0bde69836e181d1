// The English menu template shipped with the program: every line is taken,
// and the keys it adds run their commands.
#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>
#include <fstream>

#include "app/menu_model.h"
#include "app/popup_menu.h"
#include "app/shipped_keys.h"
#include "lexicon/menu_template.h"
#include "lexicon/quoted_fields.h"
#include "tests/app/menu_handlers.h"
#include "tests/app/qt_support.h"

#ifndef QUOVA_ENGLISH_MNU
#error "QUOVA_ENGLISH_MNU names the shipped English menu template"
#endif

namespace quova {
namespace {

std::vector<MenuTemplateLine> ShippedLines() {
    std::ifstream in(QUOVA_ENGLISH_MNU, std::ios::binary);
    EXPECT_TRUE(in) << QUOVA_ENGLISH_MNU;
    std::vector<MenuTemplateLine> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(ToMenuTemplateLine(SplitQuotedFields(line, 4)));
    }
    return lines;
}

TEST(EnglishTemplate, EveryLineNamesAnItemAndEveryKeyIsUnderstood) {
    testing::App();
    MenuModel model;
    const std::vector<MenuTemplateLine> lines = ShippedLines();
    ASSERT_GT(lines.size(), 100u);
    for (const MenuTemplateLine& line : lines) {
        EXPECT_TRUE(ApplyMenuTemplateLine(model.TemplateItems(), line)) << line.name;
        if (line.shortcut.empty()) continue;
        const MenuItem* item = model.Find(line.name);
        ASSERT_NE(item, nullptr) << line.name;
        EXPECT_FALSE(item->shortcut.isEmpty()) << line.name << " " << line.shortcut;
    }
}

TEST(EnglishTemplate, NoKeyIsGivenTwiceAndTheDesignedKeysStay) {
    testing::App();
    MenuModel designed;
    std::map<std::string, std::string> owner;
    for (const MenuTemplateLine& line : ShippedLines()) {
        const QList<QKeySequence> keys = ParseShortcuts(line.shortcut);
        for (const QKeySequence& key : keys) {
            const auto [it, fresh] = owner.emplace(ShortcutText(key), line.name);
            EXPECT_TRUE(fresh) << it->first << " on " << it->second << " and " << line.name;
        }
        const MenuItem* item = designed.Find(line.name);
        if (item && !item->shortcut.isEmpty()) {
            ASSERT_FALSE(keys.isEmpty()) << line.name;
            EXPECT_EQ(keys.front(), item->shortcut) << line.name;
        }
    }
    for (const char* dvdKey :
         {"Shift+Left", "Shift+Right", "Shift+Up", "Shift+Down", "Shift+Return", "Return", "Enter"})
        EXPECT_EQ(owner.count(dvdKey), 0u) << dvdKey;
}

TEST(EnglishTemplate, EachAddedKeyRunsItsCommand) {
    testing::App();
    QWidget window;
    MenuModel model;
    CommandGate gate;
    PopupMenu popup(model, &window, gate);
    ASSERT_TRUE(LoadMenuTemplateFile(model.TemplateItems(), QUOVA_ENGLISH_MNU));
    popup.Sync();
    testing::MenuHandlers handlers(popup);
    std::vector<std::string> ran;
    for (const auto& [name, key] : ShippedShortcuts()) {
        const MenuItem* item = model.Find(name);
        ASSERT_NE(item, nullptr) << name;
        handlers.Set(item->handler, [&ran](MenuItem& chosen) { ran.push_back(chosen.name); });
    }
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    for (const auto& [name, key] : ShippedShortcuts()) {
        ran.clear();
        const QKeySequence sequence = QKeySequence::fromString(QString::fromStdString(key));
        ASSERT_EQ(sequence.count(), 1) << key;
        const QKeyCombination combination = sequence[0];
        QTest::keyClick(&window, combination.key(), combination.keyboardModifiers());
        EXPECT_EQ(ran, std::vector<std::string>{name}) << key;
    }
    // The page keys come beside the designed keys of the play list's steps.
    for (const auto& [name, key] : {std::pair{"Next2", Qt::Key_N}, {"Previous1", Qt::Key_P}}) {
        ran.clear();
        QTest::keyClick(&window, key, Qt::ControlModifier);
        EXPECT_EQ(ran, std::vector<std::string>{name});
    }
}

}  // namespace
}  // namespace quova

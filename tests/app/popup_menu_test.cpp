#include "app/popup_menu.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QTest>
#include <QWidget>
#include <map>

#include "app/menu_design.h"
#include "tests/app/qt_support.h"

namespace quova {
namespace {

// The Qt menu's items depth first with the name of the submenu holding each.
void Walk(QMenu* menu, std::vector<std::pair<QAction*, QString>>& out) {
    for (QAction* action : menu->actions()) {
        out.emplace_back(action, menu->objectName());
        if (action->menu()) Walk(action->menu(), out);
    }
}

TEST(PopupMenu, EveryDesignedItemIsBuiltWithItsCaptionShortcutHintAndState) {
    testing::App();
    QWidget owner;
    MenuModel model;
    PopupMenu popup(model, &owner);
    ASSERT_EQ(popup.menu()->objectName(), "PopupMenu1");

    std::vector<std::pair<QAction*, QString>> built;
    Walk(popup.menu(), built);
    const std::vector<MenuItemDesign>& design = DesignedMenu();
    ASSERT_EQ(built.size(), design.size());
    for (size_t i = 0; i < design.size(); ++i) {
        const MenuItemDesign& d = design[i];
        QAction* action = built[i].first;
        SCOPED_TRACE(d.name);
        EXPECT_EQ(action->objectName(), d.name);
        const QString parent = *d.parent ? d.parent : "PopupMenu1";
        EXPECT_EQ(built[i].second, parent);
        const bool separator = std::string(d.caption) == "-";
        EXPECT_EQ(action->isSeparator(), separator);
        if (!separator) {
            EXPECT_EQ(action->text(), QString::fromUtf8(d.caption));
        }
        EXPECT_EQ(action->shortcut(), QKeySequence(QString::fromUtf8(d.shortcut)));
        EXPECT_EQ(action->statusTip(), QString::fromUtf8(d.hint));
        EXPECT_EQ(action->isVisible(), !(d.start & kHidden));
        // Qt disables what it hides; the item keeps its own enabled state.
        EXPECT_EQ(model.Find(d.name)->enabled, !(d.start & kDisabled));
        if (action->isVisible()) {
            EXPECT_EQ(action->isEnabled(), !(d.start & kDisabled));
        }
    }
    // A few landmarks of the tree.
    EXPECT_EQ(popup.Action("Open1")->shortcut(), QKeySequence("Ctrl+O"));
    EXPECT_EQ(popup.Action("Documentation1")->shortcut(), QKeySequence("F1"));
    EXPECT_EQ(model.Find("Root1")->handler, "Title2Click");
    EXPECT_EQ(model.Find("Root1")->tag, 3);
    EXPECT_EQ(model.Find("Exit1")->handler, "Exit1Click");
    EXPECT_EQ(model.Find("Options1")->handler, "");
    EXPECT_EQ(model.Find("N14")->handler, "About1Click");
    EXPECT_EQ(model.Find("x1")->caption,
              "\xC2\xBD"
              "x");
    EXPECT_EQ(model.Find("PCMToWav")->parent->name, "ExtractAudio1");
}

TEST(PopupMenu, CommandsAreAddressedByHandlerNameWithTheItemsTag) {
    testing::App();
    QWidget owner;
    MenuModel model;
    PopupMenu popup(model, &owner);
    std::vector<int> tags;
    popup.SetHandler("Title2Click", [&](MenuItem& item) { tags.push_back(item.tag); });
    popup.Action("Title2")->trigger();
    popup.Action("Root1")->trigger();
    popup.Trigger("Chapter2");
    // Items whose command does not exist yet are there and do nothing.
    popup.Action("DVD1")->trigger();
    popup.Trigger("Options1");
    EXPECT_EQ(tags, (std::vector<int>{2, 3, 7}));
}

TEST(PopupMenu, ShortcutsWorkWhileTheWindowHasTheFocus) {
    testing::App();
    QWidget owner;
    MenuModel model;
    PopupMenu popup(model, &owner);
    int about = 0;
    popup.SetHandler("About1Click", [&](MenuItem&) { ++about; });
    owner.show();
    owner.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&owner));
    QTest::keyClick(&owner, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(about, 1);
    // A hidden item's shortcut does nothing.
    model.Find("About1")->visible = false;
    popup.Sync();
    QTest::keyClick(&owner, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(about, 1);
}

TEST(PopupMenu, KeyTwoItemsShareRunsTheFirstShownOneInMenuOrder) {
    testing::App();
    QWidget owner;
    MenuModel model;
    PopupMenu popup(model, &owner);
    std::vector<std::string> ran;
    for (const char* handler : {"Open1Click", "Edit1Click"})
        popup.SetHandler(handler, [&](MenuItem& item) { ran.push_back(item.name); });
    owner.show();
    owner.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&owner));
    // The play list's edit command has Ctrl+L as designed; a template gives
    // it to Open1 as well.
    ASSERT_TRUE(ApplyMenuTemplateLine(model.TemplateItems(),
                                      {"Open1", "&Load...", "Ctrl+L", "Load a movie"}));
    popup.Sync();
    QTest::keyClick(&owner, Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(ran, (std::vector<std::string>{"Open1"}));
    // With Open1 hidden the key goes to the other item.
    model.Find("Open1")->visible = false;
    popup.Sync();
    QTest::keyClick(&owner, Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(ran, (std::vector<std::string>{"Open1", "Edit1"}));
}

TEST(PopupMenu, TemplateLineRecaptionsOpen1WithShortcutAndFiveLineHint) {
    testing::App();
    QWidget owner;
    MenuModel model;
    PopupMenu popup(model, &owner);
    ASSERT_TRUE(ApplyMenuTemplateLine(model.TemplateItems(),
                                      {"Open1", "&Load...", "Ctrl+L", "Load a movie"}));
    popup.Sync();
    QAction* open = popup.Action("Open1");
    EXPECT_EQ(open->text(), "&Load...");
    EXPECT_EQ(open->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_L));
    EXPECT_EQ(open->statusTip(), "Load...\n----------\nLoad a movie\n----------\nShortcut: Ctrl+L");

    ASSERT_TRUE(ApplyMenuTemplateLine(model.TemplateItems(), {"Open1", "&Open...", "", ""}));
    popup.Sync();
    EXPECT_TRUE(open->shortcut().isEmpty());
    EXPECT_TRUE(open->statusTip().isEmpty());

    // Submenu items deep in the tree are reached; unknown key names give none.
    ASSERT_TRUE(ApplyMenuTemplateLine(model.TemplateItems(),
                                      {"JumpFWD2", "Vor 10 s", "Ctrl+Shift+Right", ""}));
    EXPECT_EQ(ShortcutText(model.Find("JumpFWD2")->shortcut), "Ctrl+Shift+Right");
    EXPECT_TRUE(ParseShortcut("Ctrl+Nothing").isEmpty());
    EXPECT_TRUE(ParseShortcut("Ctrl+X, Ctrl+C").isEmpty());
    EXPECT_EQ(ShortcutText(ParseShortcut("F11")), "F11");
}

TEST(PopupMenu, CopiesAddedLaterJoinTheirSubmenuAndKeepTheOldActions) {
    testing::App();
    QWidget owner;
    MenuModel model;
    PopupMenu popup(model, &owner);
    QAction* first = popup.Action("recentn1");
    MenuItem* copy = model.AddCopy(*model.Find("recentn1"));
    copy->caption = "/tmp/b.avi";
    copy->visible = true;
    int opened = 0;
    popup.SetHandler("recentn1Click",
                     [&](MenuItem& item) { opened += item.caption == "/tmp/b.avi"; });
    popup.Rebuild();
    EXPECT_EQ(popup.Action("recentn1"), first);
    QMenu* recent = popup.Action("RecentFiles1")->menu();
    ASSERT_EQ(recent->actions().size(), 2);
    recent->actions()[1]->trigger();
    EXPECT_EQ(opened, 1);
}

}  // namespace
}  // namespace quova

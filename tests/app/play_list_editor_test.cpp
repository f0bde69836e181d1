#include <gtest/gtest.h>

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "app/play_list.h"
#include "app/play_list_commands.h"
#include "app/play_list_editor.h"
#include "app/settings.h"
#include "graph/message_box.h"
#include "playback/player_session.h"
#include "tests/app/qt_support.h"
#include "tests/support/temp_dir.h"

namespace quova {
namespace {

class PlayListEditor : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::App();
        editor_ = std::make_unique<TQuovaLEdit>();
        edit().SetEntries({"c.avi", "a.avi", "b.avi"}, -1);
    }
    TQuovaLEdit& edit() { return *editor_; }
    void Click(int button) { edit().button(button)->click(); }
    void Select(int row) { edit().listBox()->setCurrentRow(row); }

    std::unique_ptr<TQuovaLEdit> editor_;
};

TEST_F(PlayListEditor, UpDownRemoveAndClearActOnTheSelectedEntry) {
    EXPECT_EQ(edit().windowTitle(), "Play List Edit");
    // Nothing selected: the buttons do nothing.
    Click(2);
    Click(8);
    Click(9);
    EXPECT_EQ(edit().Entries(), (std::vector<std::string>{"c.avi", "a.avi", "b.avi"}));

    Select(1);
    Click(8);  // up
    EXPECT_EQ(edit().Entries(), (std::vector<std::string>{"a.avi", "c.avi", "b.avi"}));
    EXPECT_EQ(edit().Selection(), 0);
    Click(8);  // already first
    EXPECT_EQ(edit().Entries(), (std::vector<std::string>{"a.avi", "c.avi", "b.avi"}));
    Select(1);
    Click(9);  // down
    EXPECT_EQ(edit().Entries(), (std::vector<std::string>{"a.avi", "b.avi", "c.avi"}));
    EXPECT_EQ(edit().Selection(), 2);
    Click(9);  // already last
    EXPECT_EQ(edit().Entries(), (std::vector<std::string>{"a.avi", "b.avi", "c.avi"}));

    Click(2);  // remove the selected (last) entry
    EXPECT_EQ(edit().Entries(), (std::vector<std::string>{"a.avi", "b.avi"}));
    Click(7);  // clear
    EXPECT_TRUE(edit().Entries().empty());
}

TEST_F(PlayListEditor, SortedKeepsTheEntriesInAlphabeticalOrder) {
    edit().SetEntries({"c.avi", "B.avi", "a.avi"}, 0);
    edit().sortedBox()->setChecked(true);
    EXPECT_EQ(edit().Entries(), (std::vector<std::string>{"a.avi", "B.avi", "c.avi"}));
    // The selected entry stays selected where it landed.
    EXPECT_EQ(edit().Selection(), 2);
    edit().Add({"0.avi", "bb.avi"});
    EXPECT_EQ(edit().Entries(),
              (std::vector<std::string>{"0.avi", "a.avi", "B.avi", "bb.avi", "c.avi"}));
    edit().sortedBox()->setChecked(false);
    edit().Add({"_last.avi"});
    EXPECT_EQ(edit().Entries().back(), "_last.avi");
}

TEST_F(PlayListEditor, OkStartsAtTheFirstEntryADoubleClickAtTheClickedOne) {
    Select(2);
    Click(5);
    EXPECT_EQ(edit().result(), QDialog::Accepted);
    EXPECT_EQ(edit().Selection(), -1);

    Select(1);
    QListWidget* list = edit().listBox();
    Q_EMIT list->itemDoubleClicked(list->item(1));
    EXPECT_EQ(edit().result(), QDialog::Accepted);
    EXPECT_EQ(edit().Selection(), 1);
}

TEST_F(PlayListEditor, LayoutFollowsTheSizeWithinItsLimits) {
    edit().resize(600, 500);
    edit().show();
    QCoreApplication::processEvents();
    const QRect list = edit().listBox()->geometry();
    const QRect add = edit().button(1)->geometry();
    EXPECT_EQ(list.width(), 600 - 3 * list.x() - add.width());
    EXPECT_EQ(list.height(), 500 - 2 * list.y());
    EXPECT_EQ(add.x(), 600 - add.width() - list.x());
    for (int n = 2; n <= 9; ++n) EXPECT_EQ(edit().button(n)->x(), add.x()) << "Button" << n;
    EXPECT_EQ(edit().sortedBox()->x(), add.x());

    // Too narrow or too low for the buttons' column is refused.
    edit().resize(10, 10);
    QCoreApplication::processEvents();
    const QRect cancel = edit().button(6)->geometry();
    EXPECT_GE(edit().width(), 4 * add.width());
    EXPECT_GE(edit().height(), cancel.y() + cancel.height() + list.y());
    edit().hide();
}

TEST_F(PlayListEditor, AListFileThatFailsIsReportedAndTheEntriesStay) {
    testing::TempDir dir;
    const std::string saved = (dir / "list.mpl").string();
    ASSERT_TRUE(edit().SaveTo(saved));
    EXPECT_EQ(testing::ReadFile(saved), "c.avi\r\na.avi\r\nb.avi\r\n");

    testing::SeenBox seen;
    testing::AnswerNextBox(QMessageBox::Ok, &seen);
    EXPECT_FALSE(edit().LoadFrom((dir / "missing.mpl").string()));
    EXPECT_TRUE(seen.text.contains("missing.mpl"));
    EXPECT_EQ(edit().Entries().size(), 3u);

    testing::AnswerNextBox(QMessageBox::Ok, &seen);
    EXPECT_FALSE(edit().SaveTo((dir / "no" / "dir.mpl").string()));
    EXPECT_TRUE(seen.text.contains("dir.mpl"));

    testing::WriteFile(dir / "other.mpl", "x.avi\r\ny.avi");
    ASSERT_TRUE(edit().LoadFrom((dir / "other.mpl").string()));
    EXPECT_EQ(edit().Entries(),
              (std::vector<std::string>{(dir / "x.avi").string(), (dir / "y.avi").string()}));
}

TEST(PlayListEditCommand, CancelKeepsThePlayListAndOkReplacesIt) {
    PlayerSession session;
    testing::App();
    AppSettings() = Settings{};
    QWidget owner;
    PlayListState list;
    list.PlayList = {"one.avi", "two.avi"};
    list.PlayCounts = {0, 0};
    list.PlayListIndex = 1;
    std::vector<std::string> opened;
    const EntryOpener open = [&](const std::string& name) { opened.push_back(name); };

    bool modalSeen = false;
    testing::OnNextModal([&](QWidget* modal) {
        auto* edit = qobject_cast<TQuovaLEdit*>(modal);
        ASSERT_NE(edit, nullptr);
        modalSeen = ModalDialogOpen();
        // The current entry comes up selected.
        EXPECT_EQ(edit->Selection(), 1);
        edit->Clear();
        edit->button(6)->click();
    });
    Edit1Click(session, &owner, list, open);
    EXPECT_TRUE(modalSeen);
    EXPECT_FALSE(ModalDialogOpen());
    EXPECT_EQ(list.PlayList, (std::vector<std::string>{"one.avi", "two.avi"}));
    EXPECT_TRUE(opened.empty());

    testing::OnNextModal([&](QWidget* modal) {
        auto* edit = qobject_cast<TQuovaLEdit*>(modal);
        ASSERT_NE(edit, nullptr);
        edit->Add({"three.avi"});
        edit->button(5)->click();
    });
    Edit1Click(session, &owner, list, open);
    EXPECT_EQ(list.PlayList, (std::vector<std::string>{"one.avi", "two.avi", "three.avi"}));
    EXPECT_EQ(opened, (std::vector<std::string>{"one.avi"}));
}

}  // namespace
}  // namespace quova

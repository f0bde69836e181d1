#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "graph/filter_chooser.h"
#include "graph/message_box.h"
#include "graph/property_page.h"
#include "platform/engine/filter_mapper.h"
#include "tests/app/qt_support.h"

namespace quova {
namespace {

using testing::OnNextModal;

TEST(FilterChooser, IsCaptionedFromTheLexiconAndEachButtonEndsItItsOwnWay) {
    testing::App();
    TQuovaAddFilt& chooser = FilterChooser();
    EXPECT_EQ(&chooser, &FilterChooser());
    EXPECT_EQ(chooser.windowTitle(), "Select filter to add to graph");
    EXPECT_EQ(chooser.CheckBox1->text(), "Default");
    EXPECT_EQ(chooser.Button1->text(), "&Add");
    EXPECT_EQ(chooser.Button2->text(), "A&uto");
    EXPECT_EQ(chooser.Button3->text(), "&Skip");
    EXPECT_TRUE(chooser.Button1->isDefault());
    chooser.ListBox1->clear();
    chooser.ListBox1->addItems({"one", "two"});

    struct Case {
        std::function<void(TQuovaAddFilt*)> act;
        int result;
    };
    const Case cases[] = {
        {[](TQuovaAddFilt* d) { d->Button1->click(); }, QDialog::Accepted},
        {[](TQuovaAddFilt* d) { d->Button2->click(); }, QDialog::Rejected},
        {[](TQuovaAddFilt* d) { d->Button3->click(); }, TQuovaAddFilt::Aborted},
        {[](TQuovaAddFilt* d) { QTest::keyClick(d, Qt::Key_Escape); }, QDialog::Rejected},
        {[](TQuovaAddFilt* d) {
             QListWidgetItem* item = d->ListBox1->item(1);
             Q_EMIT d->ListBox1->itemDoubleClicked(item);
         },
         QDialog::Accepted},
    };
    for (const Case& c : cases) {
        bool modalMark = false;
        OnNextModal([&](QWidget* w) {
            modalMark = ModalDialogOpen();
            c.act(qobject_cast<TQuovaAddFilt*>(w));
        });
        EXPECT_EQ(chooser.ShowModal(), c.result);
        EXPECT_TRUE(modalMark);
        EXPECT_FALSE(ModalDialogOpen());
    }
    ReleaseFilterChooser();
}

TEST(PropertyPage, ListsTheSettingsAndHandsAnEditedOneToTheFilter) {
    testing::App();
    const engine::FilterPtr encoder =
        engine::FilterMapper::Instance().CreateByName("Vorbis audio encoder");
    ASSERT_TRUE(encoder) << "the Vorbis encoder is part of GStreamer's base plugins";
    QString caption;
    int rows = 0;
    OnNextModal([&](QWidget* w) {
        caption = w->windowTitle();
        auto* table = w->findChild<QTableWidget*>("Properties");
        ASSERT_NE(table, nullptr);
        rows = table->rowCount();
        for (int r = 0; r < rows; ++r) {
            if (table->item(r, 0)->text() != "quality") continue;
            EXPECT_TRUE(table->item(r, 1)->flags() & Qt::ItemIsEditable);
            table->item(r, 1)->setText("0.25");
        }
        // OK hands the changed values over.
        for (auto* b : w->findChildren<QPushButton*>())
            if (b->text().remove('&') == "OK") b->click();
    });
    ShowFilterPropertyPage(nullptr, encoder);
    EXPECT_GE(rows, 2);
    bool set = false;
    EXPECT_EQ(caption.toStdString(), encoder->Name());
    for (const auto& p : encoder->Properties())
        if (p.name == "quality") set = std::abs(std::stod(p.value) - 0.25) < 1e-6;
    EXPECT_TRUE(set);
}

}  // namespace
}  // namespace quova

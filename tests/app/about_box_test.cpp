// The About box as the user meets it: where it stands, and its links under
// the pointer.
#include "app/about_box.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "tests/support/window_fixture.h"

namespace quova {
namespace {

class AboutBox : public testing::WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        box_ = new TQuovaAboutBox(session, form_.get());
        box_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(box_));
    }
    void TearDown() override {
        delete box_;
        WindowTest::TearDown();
    }
    QLabel* Link(const char* name) { return box_->findChild<QLabel*>(name); }
    QWidget* Panel() { return box_->findChild<QWidget*>("Panel1"); }
    // A link is hot when blue and underlined, cold when black and not.
    static bool Hot(const QLabel* link) {
        return link->font().underline() &&
               link->palette().color(QPalette::WindowText) == QColor(Qt::blue);
    }
    static bool Cold(const QLabel* link) {
        return !link->font().underline() &&
               link->palette().color(QPalette::WindowText) == QColor(Qt::black);
    }
    // Moves the pointer to `at` in `w`, as the mouse does: the widget under it
    // gets the move first.
    void MoveOver(QWidget* w, QPoint at) {
        QMouseEvent move(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(w, &move);
    }

    TQuovaAboutBox* box_ = nullptr;
};

TEST_F(AboutBox, StandsCentredOnTheScreenNotOverTheWindow) {
    // The main window away from the centre: the box does not follow it.
    form_->move(0, 0);
    box_->hide();
    box_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(box_));
    const QRect frame = box_->frameGeometry();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(box_->size(), QSize(394, 273));
    EXPECT_GT(frame.width(), box_->width()) << "the test platform draws a frame";
    EXPECT_EQ(frame.left(), (screen.width() - frame.width()) / 2);
    EXPECT_EQ(frame.top(), (screen.height() - frame.height()) / 2);
}

TEST_F(AboutBox, ALinkStaysHotWhileThePointerMovesOverItAndCoolsOverThePanel) {
    QLabel* url = Link("URL");
    QLabel* url2 = Link("URL2");
    ASSERT_TRUE(url && url2 && Panel());
    EXPECT_TRUE(Cold(url) && Cold(url2));
    for (QLabel* link : {url, url2}) {
        SCOPED_TRACE(link->objectName().toStdString());
        // Several moves across the label, as a real pointer sends them.
        for (int x : {5, 40, 120}) {
            MoveOver(link, QPoint(x, link->height() / 2));
            EXPECT_TRUE(Hot(link)) << x;
        }
        // Still hot once the label has been drawn in its new look.
        QTest::qWait(50);
        EXPECT_TRUE(Hot(link));
        // Off the label onto the bare panel: both links go cold.
        MoveOver(Panel(), QPoint(Panel()->width() - 4, Panel()->height() - 4));
        EXPECT_TRUE(Cold(url) && Cold(url2));
    }
}

TEST_F(AboutBox, PaintingTheBoxCoolsTheHomePageLink) {
    QLabel* url = Link("URL");
    MoveOver(url, QPoint(10, url->height() / 2));
    ASSERT_TRUE(Hot(url));
    box_->repaint();
    EXPECT_TRUE(Cold(url));
}

}  // namespace
}  // namespace quova

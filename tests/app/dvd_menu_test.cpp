// The popup menu over a disc that plays in the window: its items follow
// where the navigator stands.
#include <gtest/gtest.h>

#include "tests/support/window_fixture.h"

#include <QElapsedTimer>
#include <QMenu>
#include <QTest>

#include "app/app_state.h"
#include "app/command_gate.h"
#include "app/main_window.h"
#include "app/popup_menu.h"
#include "graph/graph_state.h"
#include "platform/engine/video_widget.h"
#include "platform/registry/registry.h"
#include "playback/dvd_navigation.h"
#include "playback/player_session.h"
#include "tests/app/qt_support.h"
#include "tests/support/dvd_volume.h"
#include "tests/support/temp_dir.h"

namespace quova {
namespace {

class DvdMenu : public testing::WindowTest {
  protected:
    DvdMenu() : WindowTest({.size = {360, 288}}) {}
    const MenuItem& Item(const char* name) {
        const MenuItem* item = form_->menuModel().Find(name);
        EXPECT_TRUE(item) << name;
        return *item;
    }
    void OpenPopup() { Q_EMIT form_->popup().menu()->aboutToShow(); }
};

TEST_F(DvdMenu, ItemsFollowTheTitleAndChapterBeingPlayed) {
    form_->OpenMedia((testing::SharedDvdVolume() / "VIDEO_TS" / "VIDEO_TS.IFO").string());
    ASSERT_EQ(session.graph.MediaKind, MediaKindDvd);
    ASSERT_TRUE(testing::WaitUntil([this] { return session.dvd.DvdDomain == 1; }));
    OpenPopup();
    EXPECT_FALSE(Item("Chapter1").enabled) << "no chapters in a menu";
    EXPECT_TRUE(Item("Title1").visible);
    EXPECT_FALSE(Item("Sounds1").visible);
    EXPECT_FALSE(Item("Advanced1").enabled);
    EXPECT_FALSE(Item("Aspect1").enabled) << "a disc menu keeps its own aspect";

    PlayDvdTitle(session, 2);
    ASSERT_TRUE(testing::WaitUntil([this] { return session.dvd.DvdDomain == 3; }));
    StepDvdChapter(session, +1);
    ASSERT_TRUE(testing::WaitUntil([this] { return session.dvd.DvdChapter == 2; }));
    OpenPopup();
    // Title 2 of 2, chapter 2 of 3.
    EXPECT_TRUE(Item("Chapter1").enabled);
    EXPECT_TRUE(Item("Previous2").enabled);
    EXPECT_TRUE(Item("Next3").enabled);
    EXPECT_TRUE(Item("Title1").enabled);
    EXPECT_TRUE(Item("Previous3").enabled);
    EXPECT_FALSE(Item("Next4").enabled) << "no title after the last";
    EXPECT_FALSE(Item("Angle2").enabled) << "one angle";
    EXPECT_TRUE(Item("Aspect1").enabled) << "the film's aspect can be corrected";
}

// The picture fits a window wider than it, so the video window sits away
// from the main window's corner.
class DvdPicture : public testing::WindowTest {
  protected:
    DvdPicture() : WindowTest({.size = {560, 300}}) {}
    void BeforeWindow() override { AppSettings().ZoomToWindow = true; }
};

// A click on the disc's picture lands on the video window, which hands it to
// the main window through its message drain; from there it reaches the
// navigator at the point of the picture under the pointer.
TEST_F(DvdPicture, AClickOnAMenuButtonStartsItsTitleAndBesideItNothing) {
    form_->OpenMedia((testing::SharedDvdVolume() / "VIDEO_TS" / "VIDEO_TS.IFO").string());
    ASSERT_EQ(session.graph.MediaKind, MediaKindDvd);
    ASSERT_TRUE(testing::WaitUntil(
        [this] { return session.dvd.DvdDomain == 1 && session.graph.VideoWidth == 720; }));
    QWidget* picture = session.graph.VideoWindow->widget();
    ASSERT_TRUE(picture);
    ASSERT_TRUE(testing::WaitUntil([&] { return picture->isVisible(); }));
    ASSERT_GT(picture->x(), 0) << "the picture is centred in the wider window";
    // The video window shows the whole 720 x 576 picture.
    const auto at = [picture](int x, int y) {
        return QPoint(x * picture->width() / 720, y * picture->height() / 576);
    };
    const auto centre = [&](const testing::DvdButtonBox& b) {
        return at((b.x0 + b.x1) / 2, (b.y0 + b.y1) / 2);
    };
    QTest::mouseClick(picture, Qt::LeftButton, {}, at(600, 150));
    testing::PumpEvents(300);
    EXPECT_EQ(session.dvd.DvdDomain, 1) << "no button at the right of the menu";
    QTest::mouseClick(picture, Qt::LeftButton, {}, centre(testing::kDvdButton2));
    ASSERT_TRUE(testing::WaitUntil([this] { return session.dvd.DvdDomain == 3; }));
    EXPECT_TRUE(testing::WaitUntil([this] { return session.dvd.DvdTitle == 2u; }))
        << "button 2 starts title 2";
}

// The disc takes a click while the window goes on: the wait pointer shows
// for half a second and goes, and no command waits meanwhile. Over the menu
// the hand shows at once and the next point is taken 200 ms later.
TEST_F(DvdPicture, ThePointersOfADiscMenuShowWhileTheWindowGoesOn) {
    form_->OpenMedia((testing::SharedDvdVolume() / "VIDEO_TS" / "VIDEO_TS.IFO").string());
    ASSERT_EQ(session.graph.MediaKind, MediaKindDvd);
    ASSERT_TRUE(testing::WaitUntil(
        [this] { return session.dvd.DvdDomain == 1 && session.graph.VideoWidth == 720; }));
    QWidget* picture = session.graph.VideoWindow->widget();
    ASSERT_TRUE(testing::WaitUntil([&] { return picture->isVisible(); }));
    const auto at = [picture](int x, int y) {
        return QPoint(x * picture->width() / 720, y * picture->height() / 576);
    };
    const testing::DvdButtonBox& b = testing::kDvdButton2;
    const QPoint button = at((b.x0 + b.x1) / 2, (b.y0 + b.y1) / 2);

    QTest::mouseMove(picture, button);
    EXPECT_EQ(form_->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(picture, at(600, 150));
    EXPECT_EQ(form_->cursor().shape(), Qt::PointingHandCursor) << "the next point waits its turn";
    EXPECT_TRUE(testing::WaitUntil([&] { return form_->cursor().shape() == Qt::ArrowCursor; }))
        << "beside the buttons, once the hand's 200 ms are over";

    testing::PumpEvents(300);
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(picture, Qt::LeftButton, {}, button);
    EXPECT_LT(clock.elapsed(), 400) << "the click returned only after the disc's half second";
    EXPECT_FALSE(form_->commands().Gate().Busy());
    EXPECT_EQ(form_->cursor().shape(), Qt::WaitCursor);
    EXPECT_TRUE(testing::WaitUntil([&] { return form_->cursor().shape() != Qt::WaitCursor; }));
    EXPECT_TRUE(testing::WaitUntil([this] { return session.dvd.DvdTitle == 2u; }));
}

}  // namespace
}  // namespace quova

// The main window's timers and pointer handling: the start-up tip, the edge
// controls and their hide count, window dragging, and what the polling tick
// does at the end of a file.
#include <gtest/gtest.h>

#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include "app/app_state.h"
#include "app/dvd_menu_input.h"
#include "app/edge_rules.h"
#include "app/end_of_medium.h"
#include "app/main_window.h"
#include "app/menu_inputs.h"
#include "app/menu_model.h"
#include "app/polling_tick.h"
#include "app/popup_menu.h"
#include "app/tray_tip.h"
#include "app/window_drag.h"
#include "graph/graph_state.h"
#include "graph/open_media.h"
#include "lexicon/menu_template.h"
#include "platform/engine/filter_graph.h"
#include "platform/registry/registry.h"
#include "playback/player_session.h"
#include "tests/app/qt_support.h"
#include "tests/support/gst_media.h"
#include "tests/support/temp_dir.h"
#include "tests/support/window_fixture.h"
#include "text/text_session.h"

namespace quova {
namespace {

TEST(StartupTip, ShownOnTheTenthTickUnlessTheMenuOpenedOrSomethingIsOpen) {
    StartupTip plain;
    for (int tick = 1; tick <= 9; ++tick) EXPECT_FALSE(plain.Tick(true)) << tick;
    EXPECT_TRUE(plain.Tick(true));
    for (int tick = 0; tick < 20; ++tick) EXPECT_FALSE(plain.Tick(true));

    StartupTip menu;
    for (int tick = 0; tick < 5; ++tick) menu.Tick(true);
    menu.MenuOpened();
    for (int tick = 0; tick < 20; ++tick) EXPECT_FALSE(menu.Tick(true));

    StartupTip playing;
    for (int tick = 0; tick < 9; ++tick) playing.Tick(true);
    EXPECT_FALSE(playing.Tick(false));
    EXPECT_FALSE(playing.Tick(true));
}

TEST(PollingTick, ATickInsideATickReturnsAndErrorsDoNotStopTheOthers) {
    PollingTick tick;
    struct Blocks final : PollingBlocks {
        PollingTick& tick;
        std::vector<std::string> ran, reports;
        explicit Blocks(PollingTick& t) : tick(t) {}
        void StartupTip() override { ran.push_back("tip"); }
        void BlockA() override {
            ran.push_back("A");
            EXPECT_FALSE(tick.Run(*this));
            throw std::runtime_error("position lost");
        }
        void BlockB() override { ran.push_back("B"); }
        void BlockC() override { ran.push_back("C"); }
        void Report(const std::string& text) override { reports.push_back(text); }
    } blocks(tick);
    const auto& ran = blocks.ran;
    const auto& reports = blocks.reports;
    EXPECT_TRUE(tick.Run(blocks));
    EXPECT_EQ(ran, (std::vector<std::string>{"tip", "A", "B", "C"}));
    EXPECT_EQ(reports, std::vector<std::string>{"position lost"});
    EXPECT_FALSE(tick.TimerBusy());
}

TEST(EdgeControls, StripsFollowThePointer) {
    EdgeState state;
    EdgeChanges c = PointerMoved(state, 100, 5, 340, 0);
    EXPECT_TRUE(c.showTopStrip);
    EXPECT_FALSE(PointerMoved(state, 100, 6, 340, 0).showTopStrip);  // already shown
    c = PointerMoved(state, 10, 100, 340, 0);
    EXPECT_TRUE(c.hideTopStrip);
    EXPECT_TRUE(c.volumeBarShown);
    EXPECT_EQ(state.VolumeBarHideCount, 15);
    EXPECT_TRUE(PointerMoved(state, 20, 100, 340, 0).volumeBarHidden);
    EXPECT_TRUE(PointerMoved(state, 100, 321, 340, 0).showControlBar);
    EXPECT_TRUE(PointerMoved(state, 100, 320, 340, 0).hideControlBar);
    // A picture pushed up: the strip is where the picture's top is seen.
    EdgeState raised;
    EXPECT_TRUE(PointerMoved(raised, 100, 60, 340, -50).showTopStrip);
}

TEST(EdgeControls, TheControlBarStaysUpWhileWanted) {
    EdgeState state;
    PointerMoved(state, 100, 330, 340, 0);
    ASSERT_TRUE(ControlBarCanShow(state, 60.0));
    SeekBarShown(state);
    state.ControlBarWanted = true;
    EXPECT_FALSE(PointerMoved(state, 100, 100, 340, 0).hideControlBar);
    for (int tick = 0; tick < 30; ++tick) EXPECT_FALSE(Timer2Tick(state).hideControlBar);
    EXPECT_TRUE(state.ControlBarVisible);

    state.ControlBarWanted = false;
    int hidden = 0;
    for (int tick = 1; tick <= 16; ++tick)
        if (Timer2Tick(state).hideControlBar) hidden = tick;
    EXPECT_EQ(hidden, 16);  // the count of 15 runs out below 0
    EXPECT_FALSE(Timer2Tick(state).keepTimer);
}

TEST(EdgeControls, NoControlBarWithoutADuration) {
    EdgeState state;
    EXPECT_FALSE(ControlBarCanShow(state, 0.0));
}

TEST(DvdMenuInput, ShiftAloneWithEnterOrAnArrowDrivesTheDiscMenu) {
    EXPECT_EQ(DvdMenuKeyFor(Qt::Key_Return, true, true), DvdMenuKey::Activate);
    EXPECT_EQ(DvdMenuKeyFor(Qt::Key_Enter, true, true), DvdMenuKey::Activate);
    EXPECT_EQ(DvdMenuKeyFor(Qt::Key_Up, true, true), DvdMenuKey::Up);
    EXPECT_EQ(DvdMenuKeyFor(Qt::Key_Down, true, true), DvdMenuKey::Down);
    EXPECT_EQ(DvdMenuKeyFor(Qt::Key_Left, true, true), DvdMenuKey::Left);
    EXPECT_EQ(DvdMenuKeyFor(Qt::Key_Right, true, true), DvdMenuKey::Right);
    // Without Shift alone, or without a disc, the keys belong to the menu's shortcuts.
    EXPECT_FALSE(DvdMenuKeyFor(Qt::Key_Left, false, true));
    EXPECT_FALSE(DvdMenuKeyFor(Qt::Key_Return, true, false));
    EXPECT_FALSE(DvdMenuKeyFor(Qt::Key_Space, true, true));
}

TEST(DvdMenuInput, ThePointerHidesOverAPlayingFileOrADiscTitleOnly) {
    EXPECT_TRUE(PointerHiddenOverPicture(MediaKindFile, 0, false));
    EXPECT_FALSE(PointerHiddenOverPicture(MediaKindFile, 0, true));
    EXPECT_TRUE(PointerHiddenOverPicture(MediaKindDvd, kDvdTitleDomain, false));
    // A disc menu needs the pointer to pick its buttons.
    EXPECT_FALSE(PointerHiddenOverPicture(MediaKindDvd, 2, false));
    EXPECT_FALSE(PointerHiddenOverPicture(MediaKindNone, 0, false));
}

TEST(WindowDrag, TheWindowFollowsThePointerFromWherePressed) {
    WindowDrag drag;
    drag.Begin(30, 40, 100, 200);
    EXPECT_EQ(drag.Dragging, 1);
    // The pointer moved 15 right and 5 up on the screen; the window not yet.
    const WindowDrag::Point to = drag.Move(45, 35, 100, 200);
    EXPECT_EQ(to.left, 115);
    EXPECT_EQ(to.top, 195);
    drag.End();
    EXPECT_EQ(drag.Dragging, 0);
}

TEST(WindowDrag, OnlyAPlainLeftPressOutsideFullScreenDrags) {
    EXPECT_TRUE(DragStarts(true, false, false, false));
    EXPECT_FALSE(DragStarts(true, false, true, false));  // double click
    EXPECT_FALSE(DragStarts(true, false, false, true));  // full screen
    EXPECT_FALSE(DragStarts(true, true, false, false));  // Shift, Ctrl or Alt
    EXPECT_FALSE(DragStarts(false, false, false, false));
}

TEST(TrayTip, TheFirstSixtyTwoCharactersAndNoBrokenCharacter) {
    EXPECT_EQ(TrayTip("Quova - a.avi"), "Quova - a.avi");
    const std::string longName(70, 'x');
    EXPECT_EQ(TrayTip(longName), std::string(62, 'x'));
    std::string umlauts;
    for (int i = 0; i < 70; ++i) umlauts += "\xC3\xA4";  // ä
    const std::string tip = TrayTip(umlauts);
    EXPECT_EQ(tip.size(), 124u);
}

TEST(EndOfMedium, ASingleMediumLoopsOrStops) {
    PlayListState one;
    one.PlayList = {"a.avi"};
    one.PlayCounts = {1};
    one.PlayListIndex = 0;
    EXPECT_EQ(ChooseAfterEnd(one, {false, false, true}), EndAction::Rewind);
    EXPECT_EQ(ChooseAfterEnd(one, {false, false, false}), EndAction::StopPolling);
    // An extraction mode never goes round again, and its end is not found
    // again on every tick.
    EXPECT_EQ(ChooseAfterEnd(one, {true, false, true}), EndAction::StopPolling);
}

TEST(EndOfMedium, AListMovesOnLoopsOrStopsAfterItsLastEntry) {
    PlayListState list;
    list.PlayList = {"a.avi", "b.avi", "c.avi"};
    list.PlayCounts = {1, 0, 0};
    list.PlayListIndex = 0;
    EXPECT_EQ(ChooseAfterEnd(list, {}), EndAction::OpenEntry);
    EXPECT_EQ(list.PlayListIndex, 1);
    list.PlayListIndex = 2;
    EXPECT_EQ(ChooseAfterEnd(list, {false, false, true}), EndAction::OpenEntry);
    EXPECT_EQ(list.PlayListIndex, 0);
    list.PlayListIndex = 2;
    EXPECT_EQ(ChooseAfterEnd(list, {false, false, false}), EndAction::StopPolling);
    EXPECT_EQ(list.PlayListIndex, 2);
    // Extraction takes no random pick and does not loop.
    EXPECT_EQ(ChooseAfterEnd(list, {true, true, true}), EndAction::StopPolling);
    list.PlayListIndex = 0;
    EXPECT_EQ(ChooseAfterEnd(list, {true, true, true}), EndAction::OpenEntry);
    EXPECT_EQ(list.PlayListIndex, 1);
    list.PlayListIndex = 0;
    EXPECT_EQ(ChooseAfterEnd(list, {false, true, false}, [](int) { return 2; }),
              EndAction::OpenEntry);
    EXPECT_EQ(list.PlayListIndex, 2);
}

// The window with a real graph on a generated tone.
class WindowTimers : public testing::WindowTest {
  protected:
    WindowTimers() : WindowTest({.size = {}, .shown = false}) {}
    static void SetUpTestSuite() {
        testing::App();
        media_ = new testing::TempDir;
        tone_ = testing::media::Wav(*media_ / "tone.wav", 1.0);
    }
    static void TearDownTestSuite() { delete media_; }
    void SetUp() override {
        WindowTest::SetUp();
        OnOpen([this](const std::string& name) { opened_.push_back(name); });
    }
    void TearDown() override {
        WindowTest::TearDown();
        ReleaseGraph(session);
        session.graph.MediaKind = MediaKindNone;
        session.graph.MediaComplete = false;
    }
    // A file played up to its completion, as the tick finds it.
    void PlayedToTheEnd() {
        GraphSession& g = session.graph;
        g.GraphBuilder = std::make_unique<engine::FilterGraph>();
        ASSERT_EQ(g.GraphBuilder->RenderFile(tone_.string()), engine::S_OK);
        g.BasicAudio = true;
        g.MediaKind = MediaKindFile;
        g.Duration = g.GraphBuilder->Duration().value;
        ASSERT_EQ(g.GraphBuilder->Run(), engine::S_OK);
        ASSERT_TRUE(QTest::qWaitFor([&] { return State() == engine::GraphState::Running; }));
        ASSERT_EQ(g.GraphBuilder->SetCurrentPosition(0.5), engine::S_OK);
        g.MediaComplete = true;
        form_->timer1()->start();
    }
    // The tick that finds the end; the stop and what follows it come from
    // timers within the next 550 ms.
    void EndingTick() {
        form_->Timer1Timer();
        QTest::qWait(800);
    }
    double Position() { return session.graph.GraphBuilder->CurrentPosition().value; }
    engine::GraphState State() { return session.graph.GraphBuilder->GetState(100).value; }

    static inline testing::TempDir* media_ = nullptr;
    static inline std::filesystem::path tone_;
    std::vector<std::string> opened_;
};

TEST_F(WindowTimers, ASingleMediumWithLoopReturnsToTheStartAndKeepsPolling) {
    AppSettings().LoopOn = true;
    PlayedToTheEnd();
    EndingTick();
    EXPECT_LT(Position(), 0.05);
    EXPECT_TRUE(form_->timer1()->isActive());
    EXPECT_FALSE(session.graph.MediaComplete);
    EXPECT_EQ(session.osdMessage, "Stop");
}

TEST_F(WindowTimers, ASingleMediumWithoutLoopStopsTheGraphAndTheTimer) {
    PlayedToTheEnd();
    EndingTick();
    EXPECT_EQ(State(), engine::GraphState::Stopped);
    EXPECT_FALSE(form_->timer1()->isActive());
}

TEST_F(WindowTimers, TheLastListEntryWithoutLoopOpensNothingAndStopsPolling) {
    PlayListState& list = session.playList;
    list.PlayList = {"first.wav", tone_.string()};
    list.PlayCounts = {1, 1};
    list.PlayListIndex = 1;
    PlayedToTheEnd();
    EndingTick();
    EXPECT_EQ(State(), engine::GraphState::Stopped);
    EXPECT_TRUE(opened_.empty());
    EXPECT_FALSE(form_->timer1()->isActive());
}

TEST_F(WindowTimers, AListEntryEndingMovesToTheNext) {
    PlayListState& list = session.playList;
    list.PlayList = {tone_.string(), "second.wav"};
    list.PlayCounts = {1, 0};
    list.PlayListIndex = 0;
    PlayedToTheEnd();
    EndingTick();
    EXPECT_EQ(opened_, std::vector<std::string>{"second.wav"});
    EXPECT_EQ(list.PlayCounts[1], 1);
}

TEST_F(WindowTimers, OpeningTheMenuEarlySuppressesTheStartUpTip) {
    for (int tick = 0; tick < 3; ++tick) form_->Timer1Timer();
    Q_EMIT form_->popup().menu()->aboutToShow();
    EXPECT_EQ(form_->startupTip().TipTickCount, 11);
    for (int tick = 0; tick < 10; ++tick) form_->Timer1Timer();
    EXPECT_EQ(form_->startupTip().TipTickCount, 11);
}

TEST_F(WindowTimers, ADoubleClickDoesNotDragAndFullScreenDoesNotDrag) {
    form_->show();
    const QPointF at(100, 100);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, at, form_->mapToGlobal(at), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form_.get(), &dbl);
    EXPECT_EQ(form_->drag().Dragging, 0);

    AppSettings().FullScreenMode = true;
    QMouseEvent press(QEvent::MouseButtonPress, at, form_->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form_.get(), &press);
    EXPECT_EQ(form_->drag().Dragging, 0);
}

TEST_F(WindowTimers, TheWheelStepsTheVolumeOnlyWithoutModifiers) {
    GraphSession& g = session.graph;
    g.GraphBuilder = std::make_unique<engine::FilterGraph>();
    ASSERT_EQ(g.GraphBuilder->RenderFile(tone_.string()), engine::S_OK);
    g.BasicAudio = true;
    g.MediaKind = MediaKindFile;
    AppSettings().Volume = 50;
    g.GraphBuilder->SetVolume(-602);
    const QPointF at(100, 100);
    QWheelEvent notch(at, form_->mapToGlobal(at), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(form_.get(), &notch);
    EXPECT_EQ(AppSettings().Volume, 52);
    EXPECT_EQ(session.osdMessage, "volume: 52%");
    QWheelEvent ctrl(at, form_->mapToGlobal(at), {}, {0, 120}, Qt::NoButton, Qt::ControlModifier,
                     Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(form_.get(), &ctrl);
    EXPECT_EQ(AppSettings().Volume, 52);
}

TEST_F(WindowTimers, ThePlayButtonShowsPauseWhileRunning) {
    PlayedToTheEnd();
    session.graph.MediaComplete = false;
    session.graph.Duration = 0;  // no end found
    // Up on a window that is on the screen.
    form_->show();
    form_->findChild<QPushButton*>("Button6")->show();
    form_->Timer1Timer();
    EXPECT_EQ(form_->findChild<QPushButton*>("Button6")->text(), ";");
    session.graph.GraphBuilder->Pause();
    ASSERT_TRUE(QTest::qWaitFor([&] { return State() == engine::GraphState::Paused; }));
    form_->Timer1Timer();
    EXPECT_EQ(form_->findChild<QPushButton*>("Button6")->text(), "4");
}

TEST_F(WindowTimers, TheTrackBarCommandKeepsTheControlBarUpWithItsItemChecked) {
    PlayedToTheEnd();
    session.graph.MediaComplete = false;
    form_->show();
    auto* seekBar = form_->findChild<QSlider*>("TrackBar1");
    const auto checked = [this] {
        return ComputeMenuState(MenuInputsNow(session, *form_))["TrackBar2"].Checked.value_or(
            false);
    };
    form_->popup().Trigger("TrackBar2");
    EXPECT_TRUE(seekBar->isVisible());
    EXPECT_TRUE(form_->findChild<QPushButton*>("Button6")->isVisible());
    EXPECT_TRUE(checked());
    // A bar the pointer brought up hides after 15 ticks of the hide timer.
    for (int tick = 0; tick < 20; ++tick) form_->edgeControls().HideTick();
    EXPECT_TRUE(seekBar->isVisible()) << "the command keeps it up";

    form_->popup().Trigger("TrackBar2");
    EXPECT_FALSE(seekBar->isVisible());
    EXPECT_FALSE(checked());
}

TEST_F(WindowTimers, PageDownStepsTheListUnlessTheSeekBarHasTheFocus) {
    ASSERT_TRUE(ApplyMenuTemplateLine(form_->menuModel().TemplateItems(),
                                      {"Next2", "&Next", "Ctrl+N; PgDown", ""}));
    form_->popup().Sync();
    PlayListState& list = session.playList;
    list.PlayList = {"first.wav", "second.wav", "third.wav"};
    list.PlayCounts = {1, 0, 0};
    list.PlayListIndex = 0;
    session.graph.Duration = 60;
    form_->show();
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));

    // Just after the control bar came up its seek bar has the focus and
    // moves by a page (which way is the seek bar's business).
    form_->edgeControls().ShowControlBar(true);
    auto* seekBar = form_->findChild<QSlider*>("TrackBar1");
    ASSERT_TRUE(seekBar->hasFocus());
    seekBar->setRange(0, 6000);
    seekBar->setPageStep(1000);
    seekBar->setValue(3000);
    QTest::keyClick(seekBar, Qt::Key_PageDown);
    EXPECT_NE(seekBar->value(), 3000);
    EXPECT_TRUE(opened_.empty());

    form_->setFocus();
    QTest::keyClick(form_.get(), Qt::Key_PageDown);
    EXPECT_EQ(opened_, std::vector<std::string>{"second.wav"});
}

}  // namespace
}  // namespace quova

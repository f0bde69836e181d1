#include "app/main_window.h"
#include "app/player_ports.h"

#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTimer>
#include <QUrl>

#include "app/about_box.h"
#include "app/app_state.h"
#include "app/display_mode.h"
#include "app/popup_menu.h"
#include "app/text_dialog.h"
#include "graph/message_box.h"
#include "platform/registry/registry.h"
#include "playback/player_session.h"
#include "tests/app/fake_screen.h"
#include "tests/app/qt_support.h"
#include "tests/support/temp_dir.h"
#include "tests/support/window_fixture.h"

namespace quova {
namespace {

// The window as start-up makes it: hidden, at its own size, opens not yet let through.
class MainWindow : public testing::WindowTest {
  protected:
    MainWindow()
        : WindowTest({.size = {}, .shown = false, .startup = testing::Startup::InProgress}) {}
    void BeforeWindow() override { SessionEnding = false; }
    void SetUp() override {
        WindowTest::SetUp();
        OnOpen([this](const std::string& name) { opened_.push_back(name); });
    }
    std::string File(const std::string& name) {
        testing::WriteFile(dir_ / name, "x");
        return (dir_ / name).string();
    }

    std::vector<std::string> opened_;
};

TEST_F(MainWindow, BorderlessBlackCentredWithItsControlsCreatedHidden) {
    EXPECT_TRUE(form_->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(form_->palette().color(QPalette::Window), QColor(Qt::black));
    EXPECT_EQ(form_->size(), QSize(478, 340));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(form_->x(), (screen.width() - 478) / 2);
    EXPECT_EQ(form_->y(), (screen.height() - 340) / 2);
    EXPECT_EQ(form_->windowTitle(), "Quova");
    for (const char* name :
         {"Button1", "Button2", "Button3", "Button4", "Button5", "Button6", "Button7", "Button8",
          "Button9", "Button10", "StaticText1", "TrackBar1", "TrackBar3", "Panel1"}) {
        QWidget* control = form_->findChild<QWidget*>(name);
        ASSERT_NE(control, nullptr) << name;
        EXPECT_FALSE(control->isVisibleTo(form_.get())) << name;
    }
    EXPECT_EQ(form_->findChild<QPushButton*>("Button6")->property("tag").toInt(), 3);
    auto* volume = form_->findChild<QSlider*>("TrackBar3");
    EXPECT_EQ(volume->maximum(), 100);
    EXPECT_EQ(volume->pageStep(), 10);
    EXPECT_EQ(form_->timer1()->interval(), 475);
}

TEST_F(MainWindow, EveryPortBelowTheWindowIsConnectedWhileItLives) {
    EXPECT_TRUE(PortsConnected(session));
    form_.reset();
    EXPECT_FALSE(PortsConnected(session));
}

TEST_F(MainWindow, OpenRequestsWhileStartingAreDroppedNotQueued) {
    const std::string a = File("a.avi"), b = File("b.avi");
    form_->DroppedFiles({a, b});
    form_->HandOverReceived(a);
    EXPECT_TRUE(opened_.empty());

    session.openCounter = 0;
    form_->HandOverReceived((dir_ / "missing.avi").string());
    EXPECT_TRUE(opened_.empty());
    form_->HandOverReceived(b);
    EXPECT_EQ(opened_, (std::vector<std::string>{b}));
    // An address handed over by a second start opens as the first would, and
    // so does a folder (as the list of its media).
    form_->HandOverReceived("http://127.0.0.1:9/film.mkv");
    form_->HandOverReceived(dir_.path().string());
    EXPECT_EQ(opened_,
              (std::vector<std::string>{b, "http://127.0.0.1:9/film.mkv", dir_.path().string()}));

    // Dropped file URLs become the play list and its first entry opens.
    opened_.clear();
    form_->setAcceptDrops(true);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(b)), QUrl("https://example.org/x.avi"),
                  QUrl::fromLocalFile(QString::fromStdString(a))});
    form_->show();
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form_.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form_.get(), &drop);
    EXPECT_EQ(form_->PlayList(), (std::vector<std::string>{b, a}));
    EXPECT_EQ(opened_, (std::vector<std::string>{b}));
}

TEST_F(MainWindow, RightClickOnTheWindowOrThePictureOpensThePopupMenu) {
    form_->show();
    QWidget* picture = form_->findChild<QLabel*>("StaticText1");
    picture->show();
    for (QWidget* target : {static_cast<QWidget*>(form_.get()), picture}) {
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5),
                                target->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(target, &click);
        QMenu* menu = form_->popup().menu();
        EXPECT_TRUE(menu->isVisible());
        EXPECT_EQ(menu->objectName(), "PopupMenu1");
        menu->hide();
    }
}

TEST_F(MainWindow, StayingAfterReallyQuitKeepsThePollingTimerRunning) {
    form_->SetTag(0);
    form_->timer1()->start();
    testing::AnswerNextBox(QMessageBox::No);
    EXPECT_FALSE(form_->close());
    EXPECT_TRUE(form_->timer1()->isActive());

    form_->timer1()->stop();
    testing::AnswerNextBox(QMessageBox::No);
    EXPECT_FALSE(form_->close());
    EXPECT_FALSE(form_->timer1()->isActive());
}

TEST_F(MainWindow, QuickHelpShowsTheCommandLineInTheTextDialog) {
    AppSettings().ProgramVersion = "1.2.3";
    QString caption, text;
    bool modal = false;
    testing::OnNextModal([&](QWidget* w) {
        auto* dialog = qobject_cast<TOKBottomDlg*>(w);
        ASSERT_NE(dialog, nullptr);
        caption = dialog->windowTitle();
        text = dialog->label()->text();
        modal = ModalDialogOpen();
        dialog->okButton()->click();
    });
    form_->popup().Trigger("Help1");
    EXPECT_EQ(caption, "Quova Keyboard/Mouse/Commandline Help");
    EXPECT_TRUE(modal);
    const QStringList lines = text.split('\n');
    ASSERT_EQ(lines.size(), 16);
    EXPECT_EQ(lines[0], "Quova 1.2.3 - Quova Media Player");
    EXPECT_EQ(lines[2], "subtitles (.sub & .srt) and chapters (mdvd.ini) support");
    EXPECT_EQ(lines[4], "");
    EXPECT_EQ(lines[9], "left-click & drag to move window; wheel - volume up/down ");
    EXPECT_EQ(lines[13], "format: quova [moviefile] [/fs] [/zoomtowin] [[/1][/2]|[/3]] [/noosd]");
    EXPECT_EQ(lines[15], " /zoomtowin - zoom to window;");
}

TEST_F(MainWindow, SplashCannotCloseBeforeStartUpAndItsClosesCountOpens) {
    auto* about = new TQuovaAboutBox(session, form_.get());
    form_->SetAboutBox(about);
    about->show();
    EXPECT_TRUE(about->timer()->isActive());
    EXPECT_EQ(about->windowTitle(), "About Quova");
    EXPECT_FALSE(about->okButton()->isEnabled());
    about->close();
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(session.openCounter, -1);

    form_->KeyOpened();
    ASSERT_TRUE(about->okButton()->isEnabled());
    about->okButton()->click();
    EXPECT_FALSE(about->isVisible());
    EXPECT_FALSE(about->timer()->isActive());
    EXPECT_EQ(session.openCounter, 0);

    // About... later: modal, marked as a modal dialog, and no timer.
    bool modal = false, timer = true;
    testing::OnNextModal([&](QWidget* w) {
        modal = ModalDialogOpen();
        timer = about->timer()->isActive();
        static_cast<TQuovaAboutBox*>(w)->okButton()->click();
    });
    form_->popup().Trigger("About1");
    EXPECT_TRUE(modal);
    EXPECT_FALSE(timer);
    EXPECT_FALSE(ModalDialogOpen());
    EXPECT_EQ(session.openCounter, 1);
}

TEST_F(MainWindow, InitializeAppErrorIsShownAndPartlyLoadedSettingsAreNotSaved) {
    // A value of another type stops the settings load halfway.
    const std::string stored =
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Dorvane\\Quova]\n"
        "\"osd\"=\"1\"\n\"loop\"=dword:00000001\n\"top\"=\"5\"\n\n"
        "[HKEY_CURRENT_USER\\SOFTWARE\\Dorvane\\Quova\\MRU]\n\"1\"=\"/tmp/kept.avi\"\n";
    testing::WriteFile(dir_ / "registry.reg", stored);
    testing::SeenBox seen;
    testing::AnswerNextBox(QMessageBox::Ok, &seen);
    form_->InitializeApp();
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.caption, "Quova:InitializeApp");
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_TRUE(AppSettings().OsdOn);

    form_->FinalizeApp();
    const auto key =
        registry::OpenExistingKey(registry::Hive::CurrentUser, "SOFTWARE\\Dorvane\\Quova");
    ASSERT_TRUE(key);
    EXPECT_EQ(key->Read("top"), "5");
    const auto mru =
        registry::OpenExistingKey(registry::Hive::CurrentUser, "SOFTWARE\\Dorvane\\Quova\\MRU");
    ASSERT_TRUE(mru);
    EXPECT_EQ(mru->Read("1"), "/tmp/kept.avi");
}

// The program's end gives the desktop its display mode back whether or not
// the settings it is about to save were ever loaded.
TEST_F(MainWindow, TheEndGivesTheDesktopItsModeBackWithOrWithoutTheSettings) {
    const std::string broken =
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Dorvane\\Quova]\n\"loop\"=dword:00000001\n";
    // The broken start first: once loaded, a window counts its settings as loaded.
    for (const bool loaded : {false, true}) {
        SCOPED_TRACE(loaded ? "settings loaded" : "settings load broken off");
        testing::WriteFile(dir_ / "registry.reg", loaded ? "REGEDIT4\n" : broken);
        if (!loaded) testing::AnswerNextBox(QMessageBox::Ok);
        form_->InitializeApp();
        testing::FakeScreen screen;
        DisplayModes().SetServer(&screen);
        DisplayModes().CaptureDisplayMode();
        AppSettings().Resolution = 640;
        form_->popup().Trigger("FullScreen1");
        ASSERT_EQ(screen.current.width, 640);
        form_->FinalizeApp();
        EXPECT_EQ(screen.current, (DisplayMode{1024, 768, 24, 1}));
        EXPECT_EQ(DisplayModes().state(), DisplayModeControl::Untouched);
        EXPECT_FALSE(screen.remembered);
        DisplayModes().SetServer(nullptr);
        if (AppSettings().FullScreenMode) form_->popup().Trigger("FullScreen1");
    }
}

}  // namespace
}  // namespace quova

// Run on a private session bus (dbus-run-session); every test skips when
// there is no bus.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/screen_saver.h"
#include "app/settings.h"
#include "graph/graph_state.h"
#include "platform/registry/registry.h"
#include "playback/player_session.h"
#include "tests/app/qt_support.h"
#include "tests/support/child_process.h"
#include "tests/support/gst_media.h"
#include "tests/support/player_state.h"
#include "tests/support/temp_dir.h"

#ifndef QUOVA_FAKE_SCREENSAVER
#error "QUOVA_FAKE_SCREENSAVER names the fake service program"
#endif

namespace quova {
namespace {

bool WaitUntil(const std::function<bool()>& done, int ms = 15000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) return false;
        QCoreApplication::processEvents();
        QThread::msleep(10);
    }
    return true;
}

class ScreenSaverService : public ::testing::Test {
  public:
    PlayerSession session;

  protected:
    void SetUp() override {
        testing::App();
        if (!QDBusConnection::sessionBus().isConnected()) GTEST_SKIP() << "no session bus";
        testing::EndWithThisProgram(service_);
        service_.start(QUOVA_FAKE_SCREENSAVER, {});
        ASSERT_TRUE(service_.waitForReadyRead(10000)) << "the fake service did not start";
        ASSERT_EQ(service_.readLine().trimmed(), "ready");
        ASSERT_TRUE(WaitUntil([] {
            return QDBusConnection::sessionBus().interface()->isServiceRegistered(
                "org.freedesktop.ScreenSaver");
        }));
        testing::ResetPlayerState(session, testing::Startup::Done);
    }
    void TearDown() override {
        testing::ResetPlayerState(session);
        if (service_.state() != QProcess::NotRunning) {
            service_.kill();
            service_.waitForFinished(5000);
        }
    }
    // The reasons of the inhibitions the service holds.
    QStringList Held() {
        const QDBusMessage call = QDBusMessage::createMethodCall(
            "org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
            "org.freedesktop.ScreenSaver", "ActiveReasons");
        const QDBusReply<QStringList> reply = QDBusConnection::sessionBus().call(call);
        EXPECT_TRUE(reply.isValid()) << reply.error().message().toStdString();
        return reply.value();
    }
    QProcess service_;
};

TEST_F(ScreenSaverService, PreventScreenSaverHoldsOneInhibitionFromStartToShutdown) {
    ScreenSaverControl control;
    control.SaveScreenSaverState();
    control.SuppressScreenSaver(true);
    control.SuppressScreenSaver(true);
    EXPECT_EQ(Held(), QStringList{"Quova: Prevent ScreenSaver is on"});
    control.RestoreScreenSaver(true);
    EXPECT_TRUE(Held().isEmpty());

    // Switched off during the run: released at once, nothing to do at shutdown.
    bool prevent = true;
    control.SuppressScreenSaver(prevent);
    control.ToggleScreenSaver(prevent);
    EXPECT_FALSE(prevent);
    EXPECT_TRUE(Held().isEmpty());
    control.RestoreScreenSaver(prevent);
    control.ToggleScreenSaver(prevent);
    EXPECT_EQ(Held().size(), 1);

    // Switched off from the start: nothing is held.
    ScreenSaverControl off;
    off.SuppressScreenSaver(false);
    EXPECT_EQ(Held().size(), 1);
}

TEST_F(ScreenSaverService, AnInhibitionEndsWithTheProgram) {
    {
        ScreenSaverInhibitor inhibitor("for a while");
        ASSERT_TRUE(inhibitor.Hold());
        EXPECT_TRUE(inhibitor.Held());
        EXPECT_EQ(Held(), QStringList{"Quova: for a while"});
    }
    EXPECT_TRUE(Held().isEmpty());
}

TEST_F(ScreenSaverService, TheDisplayStaysOnWhileTheGraphRunsAndIsReleasedOnStop) {
    testing::TempDir dir;
    registry::SetStorePath(dir / "registry.reg");
    // Only the playing inhibition is looked at here.
    registry::OpenUserKey("SOFTWARE\\Dorvane\\Quova")->Write("preventscreensaver", "0");
    AppSettings() = Settings{};
    const std::string clip = testing::media::Wav(dir / "tone.wav", 6.0).string();
    {
        TQuovaForm form(session, {}, (dir / "quova").string());
        form.InitializeApp();
        form.OpenMedia(clip);
        EXPECT_TRUE(WaitUntil([&] { return form.GraphRunning(0); }));
        EXPECT_TRUE(WaitUntil([&] { return Held() == QStringList{"Quova: Playing a medium"}; }));

        ASSERT_TRUE(session.graph.GraphBuilder);
        session.graph.GraphBuilder->Stop();
        EXPECT_TRUE(WaitUntil([&] { return Held().isEmpty(); }));
        EXPECT_FALSE(form.screenSaver().keepingDisplay().Held());
    }
    registry::SetStorePath({});
    AppSettings() = Settings{};
}

TEST_F(ScreenSaverService, PausingReleasesTheInhibitionAndPlayingHoldsItAgain) {
    testing::TempDir dir;
    registry::SetStorePath(dir / "registry.reg");
    registry::OpenUserKey("SOFTWARE\\Dorvane\\Quova")->Write("preventscreensaver", "0");
    AppSettings() = Settings{};
    const std::string clip = testing::media::Wav(dir / "tone.wav", 8.0).string();
    {
        TQuovaForm form(session, {}, (dir / "quova").string());
        form.InitializeApp();
        form.OpenMedia(clip);
        ASSERT_TRUE(WaitUntil([&] { return form.GraphRunning(0); }));
        // The polling tick itself keeps the display on, also in full screen.
        form.Timer1Timer();
        EXPECT_EQ(Held(), QStringList{"Quova: Playing a medium"});

        ASSERT_EQ(session.graph.GraphBuilder->Pause(), engine::S_OK);
        ASSERT_TRUE(WaitUntil([&] { return !form.GraphRunning(0); }));
        form.Timer1Timer();
        EXPECT_TRUE(Held().isEmpty());

        ASSERT_EQ(session.graph.GraphBuilder->Run(), engine::S_OK);
        ASSERT_TRUE(WaitUntil([&] { return form.GraphRunning(0); }));
        form.Timer1Timer();
        EXPECT_EQ(Held(), QStringList{"Quova: Playing a medium"});
    }
    EXPECT_TRUE(WaitUntil([&] { return Held().isEmpty(); }));
    registry::SetStorePath({});
    AppSettings() = Settings{};
}

TEST(ScreenSaverWithoutService, NothingIsHeldAndNothingReported) {
    testing::App();
    ScreenSaverControl control{QDBusConnection(QString())};
    control.SuppressScreenSaver(true);
    control.KeepDisplayOn(true);
    EXPECT_FALSE(control.preventing().Held());
    EXPECT_FALSE(control.keepingDisplay().Held());
    control.KeepDisplayOn(false);
    control.RestoreScreenSaver(true);
}

}  // namespace
}  // namespace quova

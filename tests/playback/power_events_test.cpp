#include "playback/power_events.h"

#include <gtest/gtest.h>

#include "tests/support/fake_ui.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <mutex>
#include <vector>

#include "playback/player_session.h"
#include "tests/app/private_bus.h"
#include "tests/app/qt_support.h"
#include "text/osd.h"

namespace quova {
namespace {

TEST(PowerStatus, TheTextNamesTheSupplyTheBatteryAndThePause) {
    bool pause = false;
    EXPECT_EQ(PowerStatusText({0, 2, 9}, true, pause), "system on battery power (low) 9%: paused");
    EXPECT_TRUE(pause);
    EXPECT_EQ(PowerStatusText({0, 2, 9}, false, pause), "system on battery power (low) 9%");
    EXPECT_FALSE(pause) << "nothing to pause";
    EXPECT_EQ(PowerStatusText({0, 4, 3}, true, pause),
              "system on battery power (critical) 3%: paused");
    // High and charging at once names no level.
    EXPECT_EQ(PowerStatusText({1, 9, 80}, true, pause), "system on AC power 80%");
    EXPECT_FALSE(pause);
    EXPECT_EQ(PowerStatusText({1, 8, 50}, false, pause), "system on AC power (charging) 50%");
    EXPECT_EQ(PowerStatusText({255, 255, 255}, false, pause), "system on AC power");
    EXPECT_EQ(PowerStatusText({0, 1, 100}, true, pause), "system on battery power (high) 100%");
    EXPECT_FALSE(pause) << "a high battery does not pause";
}

TEST(PowerStatus, WithNothingOpenSleepAndResumeChangeNoGraph) {
    PlayerSession session;
    quova::testing::App();
    PowerWatcher watcher(session);  // silent without a system bus
    PrepareForSleep(session);       // no graph: nothing to stop
    SUCCEED();
}

// UPower as far as the watcher asks it, on a bus of the test's own: it takes
// the questions and answers them only when the test says so, as a busy
// system service would. Questions may arrive on the bus's own thread.
class FakeUPower : public QDBusVirtualObject {
  public:
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
        if (message.interface() != "org.freedesktop.DBus.Properties" ||
            message.member() != "GetAll")
            return false;
        message.setDelayedReply(true);
        std::lock_guard guard(mutex_);
        questions_.push_back(message);
        return true;
    }
    size_t Questions() {
        std::lock_guard guard(mutex_);
        return questions_.size() + answered_;
    }
    // On battery, 20 % left and discharging, no warning yet.
    void AnswerAll(QDBusConnection& bus) {
        std::lock_guard guard(mutex_);
        for (const QDBusMessage& question : questions_) {
            QVariantMap values;
            if (question.path() == "/org/freedesktop/UPower")
                values = {{"OnBattery", true}};
            else
                values = {
                    {"IsPresent", true}, {"Percentage", 20.0}, {"State", 2u}, {"WarningLevel", 1u}};
            bus.send(question.createReply(QVariant(values)));
        }
        answered_ += questions_.size();
        questions_.clear();
    }

  private:
    std::mutex mutex_;
    std::vector<QDBusMessage> questions_;
    size_t answered_ = 0;
};

TEST(PowerWatcher, AsksUPowerWithoutWaitingAndShowsTheAnswerWhenItComes) {
    PlayerSession session;
    testing::FakeUi ui{session};  // the OSD the answer is shown on
    quova::testing::App();
    quova::testing::PrivateBus bus;
    if (!bus.Start()) GTEST_SKIP() << "no D-Bus daemon can be started here";
    QDBusConnection service = bus.Connect("upower");
    ASSERT_TRUE(service.registerService("org.freedesktop.UPower"));
    FakeUPower upower;
    ASSERT_TRUE(service.registerVirtualObject("/org/freedesktop/UPower", &upower,
                                              QDBusConnection::SubPath));
    PowerWatcher watcher(session, bus.Connect("watcher"));
    ASSERT_TRUE(watcher.Listening());

    auto changed = [&] {
        QDBusMessage signal =
            QDBusMessage::createSignal("/org/freedesktop/UPower/devices/DisplayDevice",
                                       "org.freedesktop.DBus.Properties", "PropertiesChanged");
        signal << QString("org.freedesktop.UPower.Device") << QVariantMap{{"Percentage", 20.0}}
               << QStringList();
        service.send(signal);
    };
    session.osdMessage.clear();
    changed();
    // The window goes on while the question is out.
    ASSERT_TRUE(quova::testing::WaitUntil([&] { return upower.Questions() == 2; }));
    changed();
    quova::testing::PumpEvents(100);
    EXPECT_EQ(upower.Questions(), 2u) << "a change while asking waits for the answer";
    EXPECT_EQ(session.osdMessage, "");

    upower.AnswerAll(service);
    ASSERT_TRUE(quova::testing::WaitUntil([&session] { return !session.osdMessage.empty(); }));
    EXPECT_EQ(session.osdMessage, "system on battery power (low) 20%");
    // The change that came meanwhile is asked about once the answer is in.
    EXPECT_TRUE(quova::testing::WaitUntil([&] { return upower.Questions() == 4; }));
    upower.AnswerAll(service);
    quova::testing::PumpEvents(100);
}

}  // namespace
}  // namespace quova

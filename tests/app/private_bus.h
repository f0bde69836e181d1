#pragma once

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>

#include "tests/support/child_process.h"

namespace quova::testing {

// A session bus of the test's own, gone with it.
class PrivateBus {
  public:
    bool Start() {
        EndWithThisProgram(daemon_);
        daemon_.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        if (!daemon_.waitForStarted(3000)) return false;
        QElapsedTimer clock;
        clock.start();
        while (!daemon_.canReadLine() && clock.elapsed() < 5000) daemon_.waitForReadyRead(100);
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
        return !address_.isEmpty();
    }
    // The address a program outside this one is given to reach the bus.
    const QString& Address() const { return address_; }
    QDBusConnection Connect(const QString& name) {
        names_.append(name);
        return QDBusConnection::connectToBus(address_, name);
    }
    ~PrivateBus() {
        for (const QString& name : names_) QDBusConnection::disconnectFromBus(name);
        daemon_.kill();
        daemon_.waitForFinished(2000);
    }

  private:
    QProcess daemon_;
    QString address_;
    QStringList names_;
};

}  // namespace quova::testing

// A stand-in for the desktop's screen saver on a private session bus: it
// answers Inhibit and UnInhibit as the desktop does and tells the tests which
// inhibitions are held (ActiveReasons).
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QMap>
#include <QObject>
#include <QStringList>
#include <cstdio>

class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
  public Q_SLOTS:
    uint Inhibit(const QString& application, const QString& reason) {
        held_.insert(++next_, application + ": " + reason);
        return next_;
    }
    void UnInhibit(uint cookie) { held_.remove(cookie); }
    QStringList ActiveReasons() const { return held_.values(); }

  private:
    uint next_ = 0;
    QMap<uint, QString> held_;
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return 2;
    FakeScreenSaver service;
    for (const char* path : {"/org/freedesktop/ScreenSaver", "/ScreenSaver"})
        if (!bus.registerObject(path, &service, QDBusConnection::ExportAllSlots)) return 3;
    if (!bus.registerService("org.freedesktop.ScreenSaver")) return 4;
    std::puts("ready");
    std::fflush(stdout);
    return app.exec();
}

#include "fake_screensaver.moc"

#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "playback/session_place.h"
#include "tests/support/temp_dir.h"

namespace quova::testing {

// The one application object of the test program, made here unless the
// program's own main made it; widgets run on Qt's offscreen platform.
// The player's session bookmark goes into a state folder of the test
// program's own, never beside the test program or into the user's home.
inline QApplication& App() {
    static int argc = 1;
    static char name[] = "quova_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        static const TempDir state;
        setenv("XDG_STATE_HOME", state.path().c_str(), 1);
        KeepSessionOutOfProgramFolder();
        return qApp ? qApp : new QApplication(argc, argv);
    }();
    return *app;
}

// Handles events until `done` holds; false when `ms` pass first.
inline bool WaitUntil(const std::function<bool()>& done, int ms = 30000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) return false;
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    return true;
}

// Every message box shown while it lives, answered with OK once it is up.
class MessageBoxLog : public QObject {
  public:
    MessageBoxLog() {
        timer_.setInterval(5);
        connect(&timer_, &QTimer::timeout, this, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible()) return;
            texts.push_back(box->text().toStdString());
            icons.push_back(box->icon());
            box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->click() : box->reject();
        });
        timer_.start();
    }
    std::vector<std::string> texts;
    std::vector<QMessageBox::Icon> icons;

  private:
    QTimer timer_;
};

// Acts on the next modal window (message box or dialog) as soon as the event
// loop shows it, the way a user would answer it.
inline void OnNextModal(std::function<void(QWidget*)> act) {
    auto* timer = new QTimer(&App());
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        act(modal);
    });
    timer->start();
}

// Answers the next message box with `button`, keeping what it showed.
struct SeenBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    bool topmost = false;
    Qt::WindowModality modality = Qt::NonModal;
    bool shown = false;
};

inline void AnswerNextBox(QMessageBox::StandardButton button, SeenBox* seen = nullptr) {
    OnNextModal([button, seen](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) return;
        if (seen) {
            seen->caption = box->windowTitle();
            seen->text = box->text();
            seen->icon = box->icon();
            seen->buttons = box->standardButtons();
            seen->defaultButton = box->defaultButton() ? box->standardButton(box->defaultButton())
                                                       : QMessageBox::NoButton;
            seen->topmost = box->windowFlags() & Qt::WindowStaysOnTopHint;
            seen->modality = box->windowModality();
            seen->shown = true;
        }
        if (QAbstractButton* b = box->button(button)) b->click();
    });
}

// Handles events for `ms` milliseconds, as the program's waits do.
inline void PumpEvents(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
}

}  // namespace quova::testing

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

namespace quova::testing {

// Handles events until `done` holds; false after `ms` milliseconds.
inline bool WaitUntilDone(const std::function<bool()>& done, int ms = 20000) {
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

}  // namespace quova::testing

#include "platform/events/wait.h"

#include <QCoreApplication>
#include <QThread>

namespace quova {

void Wait(int ms) {
    for (int i = 0; i < ms / 8; ++i) {
        QThread::msleep(8);
        QCoreApplication::processEvents();
    }
}

void ProcessEvents() {
    QCoreApplication::processEvents();
}

}  // namespace quova

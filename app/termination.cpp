#include "app/termination.h"

#include <fcntl.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <cerrno>

namespace quova {

namespace {

int pipeFds[2] = {-1, -1};

void OnSignal(int) {
    const int saved = errno;
    const char byte = 1;
    // Nothing more can be done in a signal handler if the pipe is full: a
    // byte is already waiting to be read.
    [[maybe_unused]] const ssize_t n = write(pipeFds[1], &byte, 1);
    errno = saved;
}

}  // namespace

TerminationWatcher::TerminationWatcher(QObject* parent) : QObject(parent) {
    if (pipeFds[0] < 0 && pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        pipeFds[0] = pipeFds[1] = -1;
    }
    if (pipeFds[0] >= 0) {
        notifier_ = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, [this] {
            char buffer[16];
            while (read(pipeFds[0], buffer, sizeof buffer) > 0) {
            }
            Q_EMIT TerminationRequested();
        });
        struct sigaction action {};
        action.sa_handler = OnSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        installedTerm_ = sigaction(SIGTERM, &action, &previousTerm_) == 0;
        installedInt_ = sigaction(SIGINT, &action, &previousInt_) == 0;
    }
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        // The session is ending: let it end, and close in order.
        connect(app, &QGuiApplication::commitDataRequest, this,
                [this](QSessionManager&) { Q_EMIT TerminationRequested(); });
    }
}

TerminationWatcher::~TerminationWatcher() {
    if (installedTerm_) sigaction(SIGTERM, &previousTerm_, nullptr);
    if (installedInt_) sigaction(SIGINT, &previousInt_, nullptr);
}

}  // namespace quova

#include "app/termination.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <utility>

namespace quova {

namespace {

// A signal handler reaches no object: the signals' pipe is the process's.
int pipeFds[2] = {-1, -1};

void OnSignal(int) {
    const int saved = errno;
    const char byte = 1;
    // Nothing more can be done in a signal handler if the pipe is full: a
    // byte is already waiting to be read.
    [[maybe_unused]] const ssize_t n = write(pipeFds[1], &byte, 1);
    errno = saved;
}

// A dialog is rejected: closing one without an escape button (a message box
// with Yes and No) is refused.
void Dismiss(QWidget* window) {
    if (auto* dialog = qobject_cast<QDialog*>(window))
        dialog->reject();
    else
        window->close();
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
            Terminate();
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
                [this](QSessionManager&) { Terminate(); });
    }
}

void TerminationWatcher::Terminate() {
    if (!std::exchange(ending_, true)) QCoreApplication::instance()->installEventFilter(this);
    while (QWidget* modal = QApplication::activeModalWidget()) {
        Dismiss(modal);
        if (modal->isVisible()) break;
    }
    Q_EMIT TerminationRequested();
}

bool TerminationWatcher::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        // Dismissed once its own loop runs: a dialog shown by exec() must
        // have entered it for the rejection to end it.
        if (widget->isWindow() && widget->isModal())
            QTimer::singleShot(0, widget, [widget] { Dismiss(widget); });
    }
    return QObject::eventFilter(watched, event);
}

TerminationWatcher::~TerminationWatcher() {
    if (installedTerm_) sigaction(SIGTERM, &previousTerm_, nullptr);
    if (installedInt_) sigaction(SIGINT, &previousInt_, nullptr);
}

}  // namespace quova

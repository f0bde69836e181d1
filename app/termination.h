#pragma once

#include <QObject>
#include <csignal>

class QSocketNotifier;

namespace quova {

// Turns SIGTERM, SIGINT and the desktop session's end into one Qt signal on
// the main thread, where the window can close in order. The signal handler
// only writes a byte to a pipe; the previous handlers come back when the
// watcher goes.
//
// From the first request on, no box or dialog may hold the end back: those
// open are dismissed, and any that opens later (start-up goes on after a
// dismissed box, and may show the next) is dismissed as it shows.
class TerminationWatcher : public QObject {
    Q_OBJECT
  public:
    explicit TerminationWatcher(QObject* parent = nullptr);
    ~TerminationWatcher() override;

  Q_SIGNALS:
    void TerminationRequested();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Terminate();

    bool ending_ = false;
    QSocketNotifier* notifier_ = nullptr;
    struct sigaction previousTerm_ {};
    struct sigaction previousInt_ {};
    bool installedTerm_ = false;
    bool installedInt_ = false;
};

}  // namespace quova

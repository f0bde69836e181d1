#pragma once

#include <QObject>
#include <csignal>

class QSocketNotifier;

namespace quova {

// Turns SIGTERM, SIGINT and the desktop session's end into one Qt signal on
// the main thread, where the window can close in order. The signal handler
// only writes a byte to a pipe; the previous handlers come back when the
// watcher goes.
class TerminationWatcher : public QObject {
    Q_OBJECT
  public:
    explicit TerminationWatcher(QObject* parent = nullptr);
    ~TerminationWatcher() override;

  Q_SIGNALS:
    void TerminationRequested();

  private:
    QSocketNotifier* notifier_ = nullptr;
    struct sigaction previousTerm_ {};
    struct sigaction previousInt_ {};
    bool installedTerm_ = false;
    bool installedInt_ = false;
};

}  // namespace quova

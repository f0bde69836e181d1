#pragma once

#include <QSemaphore>
#include <QThread>
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "app/single_instance.h"

namespace quova::testing {

// A running instance's socket side on a thread of its own, so that a start in
// the test's thread can hand over to it and wait for the answer.
class InstanceThread : public QThread {
  public:
    // With `hold`, each open waits for a release of it first, as an open that
    // shows a message box waits for the user.
    explicit InstanceThread(std::string path, QSemaphore* hold = nullptr)
        : path_(std::move(path)), hold_(hold) {
        start();
        ready_.acquire();
    }
    ~InstanceThread() override {
        quit();
        wait();
    }
    bool listening() const { return listening_; }
    std::vector<std::string> names() {
        std::lock_guard lock(mutex_);
        return names_;
    }
    // The names once `count` have been opened (the open follows the answer),
    // or what there is after five seconds.
    std::vector<std::string> names(std::size_t count) {
        for (int i = 0; i < 500 && names().size() < count; ++i) QThread::msleep(10);
        return names();
    }

  protected:
    void run() override {
        InstanceServer server;
        QObject::connect(&server, &InstanceServer::handedOver, [this](const std::string& name) {
            if (hold_) hold_->acquire();
            std::lock_guard lock(mutex_);
            names_.push_back(name);
        });
        listening_ = server.Listen(path_);
        ready_.release();
        exec();
    }

  private:
    std::string path_;
    QSemaphore* hold_;
    QSemaphore ready_;
    std::mutex mutex_;
    std::vector<std::string> names_;
    // Handed over by the semaphore, whose lock the thread sanitizer cannot see.
    std::atomic<bool> listening_{false};
};

}  // namespace quova::testing

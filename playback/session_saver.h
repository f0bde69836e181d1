#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace quova {

struct PlayerSession;

// Writes the session bookmark on its own thread while a film plays, so that
// after a crash or a power loss the session restores to within one interval
// of where the film was. The user-interface thread only takes the bookmark's
// text (a few numbers); the disk's flush and rename happen here.
class SessionSaver {
  public:
    SessionSaver();
    ~SessionSaver();  // finishes the pending write
    SessionSaver(const SessionSaver&) = delete;
    SessionSaver& operator=(const SessionSaver&) = delete;

    // Queues `text` for `path`; a write not yet started is replaced by it.
    void Post(const std::string& path, const std::string& text);
    // Waits until every queued write is on the disk.
    void Flush();
    int WritesDone() const;

  private:
    void Run();

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::string path_;
    std::string text_;
    bool pending_ = false;
    bool busy_ = false;
    bool stopping_ = false;
    int done_ = 0;
    std::thread worker_;
};

// The interval of the automatic session bookmark, in milliseconds.
inline constexpr int kSessionSaveIntervalMs = 30000;

// Saves the session bookmark of the film that plays, in the background;
// nothing while nothing or a DVD plays or the film is stopped or paused.
// Called every interval by the main window.
void SaveRunningSessionBookmark(PlayerSession& session, SessionSaver& saver);

}  // namespace quova

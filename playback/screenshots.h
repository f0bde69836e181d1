#pragma once

#include <QObject>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "platform/engine/shown_picture.h"

namespace quova {

struct PlayerSession;

// Turns pictures into PNG files on a thread of its own ("quova-shots"), so
// that a large frame's encoding never holds up the window: each job's
// result is handed back by a queued call on `receiver`'s thread.
class ScreenshotWriter {
  public:
    struct Job {
        engine::ShownPicture picture;
        std::filesystem::path folder;  // made when missing
        std::string stem;              // the name before the counter and ".png"
    };
    struct Result {
        std::string path;   // the file written, "" when none
        std::string error;  // why not
        std::filesystem::path folder;
    };
    using Done = std::function<void(const Result&)>;

    explicit ScreenshotWriter(QObject* receiver) : receiver_(receiver) {}
    // Writes what it was given before it goes.
    ~ScreenshotWriter();
    ScreenshotWriter(const ScreenshotWriter&) = delete;
    ScreenshotWriter& operator=(const ScreenshotWriter&) = delete;

    void Save(Job job, Done done);

    // The work of one job, on whatever thread calls it.
    static Result Write(const Job& job);

  private:
    void Run();

    QObject* receiver_;
    std::mutex lock_;
    std::condition_variable wake_;
    std::deque<std::pair<Job, Done>> queue_;
    bool stopping_ = false;
    std::thread thread_;
};

enum class ScreenshotKind {
    WithSubtitles,  // the picture as shown, subtitles drawn into it included
    VideoOnly,      // the frame alone
};

// Saves the picture shown now as a PNG file at the frame's own size in the
// user's pictures folder ("Quova" in it) and says on the OSD where it went,
// or why nothing was saved.
void TakeScreenshot(PlayerSession& session, ScreenshotKind kind);

// The folder screenshots go to: "Quova" in the user's pictures folder.
std::filesystem::path ScreenshotFolder();

}  // namespace quova

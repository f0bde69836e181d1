#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace quova {

class SqliteDatabase;

// Where a file or an address stopped, and how it was being watched.
struct ResumePoint {
    // The file's path or the address; `size` tells two files of one name
    // apart (-1 for an address).
    std::string name;
    std::int64_t size = -1;
    double position = 0;
    // The audio streams heard, bit k for stream k (from 0), -1 where the
    // medium has no choice of them.
    int audioStreams = -1;
    // The subtitle source chosen: a stream (from 0), -1 the subtitle file
    // beside the medium, -2 none.
    int subtitleSource = -1;
    double speed = 1.0;
    double zoom = 1.0;
    // The factor applied to the picture's own aspect ratio.
    double aspect = 1.0;
    // When it was played last, in seconds since the epoch.
    std::int64_t playedAt = 0;
};

// Whether a medium stopped at `position` (seconds) is worth offering to
// resume: played for more than a minute (a tenth of it, when that is less),
// and not within its last 5 %. A medium of unknown length (`duration` <= 0,
// a live stream) counts by the minute alone.
bool WorthResuming(double position, double duration);
// Whether a medium stopped at `position` was played to its end (its last 5 %):
// nothing is left to resume.
bool PlayedToTheEnd(double position, double duration);

// The places every medium played stopped at, in an SQLite file: one row per
// name and size, the 10,000 played last. Written in transactions in WAL
// mode, so a crash loses at most the write it interrupted.
class ResumeStore {
  public:
    static constexpr int kMostEntries = 10000;

    // Opens the store in `file`, creating it and its folder. A file that is
    // no database, or a damaged one, is set aside under a name of its own
    // (see setAside()) and the store starts empty; a store that cannot be
    // opened at all works as an empty one that keeps nothing, and error()
    // says why.
    explicit ResumeStore(const std::filesystem::path& file);
    ~ResumeStore();
    ResumeStore(const ResumeStore&) = delete;
    ResumeStore& operator=(const ResumeStore&) = delete;

    // The damaged file's new name, "" when none was set aside.
    const std::filesystem::path& setAside() const { return setAside_; }
    // Why the store keeps nothing, "" when it works.
    const std::string& error() const { return error_; }

    // Keeps the point, replacing the one of the same name and size, and
    // drops the entries played longest ago beyond kMostEntries.
    bool Save(const ResumePoint& point);
    std::optional<ResumePoint> Find(const std::string& name, std::int64_t size);
    bool Forget(const std::string& name, std::int64_t size);
    int Count();

    // The store's file in the user's state folder ($XDG_STATE_HOME/quova,
    // else ~/.local/state/quova).
    static std::filesystem::path DefaultFile(const std::string& xdgStateHome,
                                             const std::string& home);

  private:
    enum class Opened { Working, Damaged, Unusable };
    // Opens and checks the file; db_ is kept only when it works.
    Opened OpenFile();

    std::filesystem::path file_;
    std::unique_ptr<SqliteDatabase> db_;
    std::filesystem::path setAside_;
    std::string error_;
};

}  // namespace quova

#include "playback/resume_store.h"

#include <algorithm>
#include <chrono>
#include <system_error>

#include "platform/database/sqlite_database.h"
#include "platform/files/folder_safety.h"
#include "platform/paths/state_folder.h"

namespace quova {

namespace fs = std::filesystem;

namespace {

constexpr double kLeastSeconds = 60.0;
constexpr double kLeastShare = 0.1;
constexpr double kEndShare = 0.95;

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS resume ("
    " name TEXT NOT NULL, size INTEGER NOT NULL, position REAL NOT NULL,"
    " audio INTEGER NOT NULL, subtitle INTEGER NOT NULL, speed REAL NOT NULL,"
    " zoom REAL NOT NULL, aspect REAL NOT NULL, played INTEGER NOT NULL,"
    " PRIMARY KEY (name, size));"
    "CREATE INDEX IF NOT EXISTS resume_played ON resume (played);";

// A name beside the damaged file that no earlier one took.
fs::path AsideName(const fs::path& file) {
    const auto stamp = std::chrono::duration_cast<std::chrono::seconds>(
                           std::chrono::system_clock::now().time_since_epoch())
                           .count();
    for (int n = 0;; ++n) {
        fs::path aside = file;
        aside += ".damaged-" + std::to_string(stamp) + (n ? "-" + std::to_string(n) : "");
        std::error_code ec;
        if (!fs::exists(aside, ec)) return aside;
    }
}

}  // namespace

bool WorthResuming(double position, double duration) {
    // A short clip is worth it sooner: a minute would be most of it.
    const double least =
        duration > 0 ? std::min(kLeastSeconds, duration * kLeastShare) : kLeastSeconds;
    if (!(position > least)) return false;
    return !PlayedToTheEnd(position, duration);
}

bool PlayedToTheEnd(double position, double duration) {
    return duration > 0 && position >= duration * kEndShare;
}

ResumeStore::ResumeStore(const fs::path& file) : file_(file) {
    if (OpenFile() != Opened::Damaged) return;
    // The file and its journal go aside, kept for whoever wants to look, and
    // a fresh store takes their place.
    db_.reset();
    const fs::path aside = AsideName(file_);
    std::error_code ec;
    fs::rename(file_, aside, ec);
    if (ec) {
        error_ = file_.string() + ": " + ec.message();
        return;
    }
    for (const char* journal : {"-wal", "-shm"}) {
        fs::path side = file_, sideAside = aside;
        side += journal;
        sideAside += journal;
        std::error_code sideError;
        if (fs::exists(side, sideError)) fs::rename(side, sideAside, sideError);
    }
    setAside_ = aside;
    error_.clear();
    if (OpenFile() != Opened::Working) db_.reset();
}

ResumeStore::~ResumeStore() = default;

ResumeStore::Opened ResumeStore::OpenFile() {
    if (!MakeUserFolder(file_.parent_path())) {
        error_ = file_.parent_path().string() + ": cannot be created";
        return Opened::Unusable;
    }
    try {
        db_ = std::make_unique<SqliteDatabase>(file_);
        // WAL keeps every committed write through a crash of the program;
        // NORMAL syncs at checkpoints, enough for positions saved every few
        // seconds.
        db_->Exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;");
        if (db_->Text("PRAGMA quick_check").value_or("") != "ok")
            throw DatabaseError(file_.string() + ": damaged", true);
        db_->Exec(kSchema);
        return Opened::Working;
    } catch (const DatabaseError& e) {
        error_ = e.what();
        db_.reset();
        return e.damaged() ? Opened::Damaged : Opened::Unusable;
    }
}

bool ResumeStore::Save(const ResumePoint& point) {
    if (!db_) return false;
    try {
        SqliteDatabase::Transaction transaction(*db_);
        SqliteDatabase::Statement(
            *db_, "INSERT OR REPLACE INTO resume VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)")
            .Bind(1, point.name)
            .Bind(2, point.size)
            .Bind(3, point.position)
            .Bind(4, static_cast<std::int64_t>(point.audioStreams))
            .Bind(5, static_cast<std::int64_t>(point.subtitleSource))
            .Bind(6, point.speed)
            .Bind(7, point.zoom)
            .Bind(8, point.aspect)
            .Bind(9, point.playedAt)
            .Step();
        SqliteDatabase::Statement(*db_,
                                  "DELETE FROM resume WHERE rowid IN (SELECT rowid FROM resume"
                                  " ORDER BY played DESC, rowid DESC LIMIT -1 OFFSET ?)")
            .Bind(1, static_cast<std::int64_t>(kMostEntries))
            .Step();
        transaction.Commit();
        return true;
    } catch (const DatabaseError& e) {
        error_ = e.what();
        return false;
    }
}

std::optional<ResumePoint> ResumeStore::Find(const std::string& name, std::int64_t size) {
    if (!db_) return std::nullopt;
    try {
        SqliteDatabase::Statement query(*db_,
                                        "SELECT position, audio, subtitle, speed, zoom, aspect,"
                                        " played FROM resume WHERE name = ? AND size = ?");
        query.Bind(1, name).Bind(2, size);
        if (!query.Step()) return std::nullopt;
        ResumePoint point;
        point.name = name;
        point.size = size;
        point.position = query.RealAt(0);
        point.audioStreams = static_cast<int>(query.IntAt(1));
        point.subtitleSource = static_cast<int>(query.IntAt(2));
        point.speed = query.RealAt(3);
        point.zoom = query.RealAt(4);
        point.aspect = query.RealAt(5);
        point.playedAt = query.IntAt(6);
        return point;
    } catch (const DatabaseError& e) {
        error_ = e.what();
        return std::nullopt;
    }
}

bool ResumeStore::Forget(const std::string& name, std::int64_t size) {
    if (!db_) return false;
    try {
        SqliteDatabase::Statement(*db_, "DELETE FROM resume WHERE name = ? AND size = ?")
            .Bind(1, name)
            .Bind(2, size)
            .Step();
        return true;
    } catch (const DatabaseError& e) {
        error_ = e.what();
        return false;
    }
}

int ResumeStore::Count() {
    if (!db_) return 0;
    try {
        return std::stoi(db_->Text("SELECT count(*) FROM resume").value_or("0"));
    } catch (const DatabaseError& e) {
        error_ = e.what();
        return 0;
    }
}

fs::path ResumeStore::DefaultFile(const std::string& xdgStateHome, const std::string& home) {
    const fs::path folder = UserStateFolder(xdgStateHome, home);
    return folder.empty() ? folder : folder / "resume.db";
}

}  // namespace quova

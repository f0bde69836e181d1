#include "playback/resume_store.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/temp_dir.h"

namespace quova {
namespace {

namespace fs = std::filesystem;

ResumePoint Point(const std::string& name, std::int64_t size, double position,
                  std::int64_t playedAt) {
    ResumePoint point;
    point.name = name;
    point.size = size;
    point.position = position;
    point.playedAt = playedAt;
    return point;
}

// What the sqlite3 library itself, not the store, reads from the file.
std::string AskSqlite(const fs::path& file, const std::string& sql) {
    sqlite3* db = nullptr;
    std::string answer;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW)
            answer = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return answer;
}

TEST(ResumeWorth, AMinuteOrATenthPlayedAndNotTheLastTwentiethOfIt) {
    EXPECT_FALSE(WorthResuming(59.9, 600));
    EXPECT_FALSE(WorthResuming(60, 600));
    EXPECT_TRUE(WorthResuming(61, 600));
    EXPECT_TRUE(WorthResuming(569.9, 600));
    EXPECT_FALSE(WorthResuming(570, 600));
    EXPECT_FALSE(WorthResuming(600, 600));
    // A live stream, whose length nobody knows, counts by the minute alone.
    EXPECT_TRUE(WorthResuming(3600, 0));
    EXPECT_FALSE(WorthResuming(30, -1));
    // A position that is no number is nothing to resume at.
    EXPECT_FALSE(WorthResuming(std::nan(""), 600));
    // A clip shorter than ten minutes is worth it after a tenth of it: 12 s
    // into a 40 s clip is a place to come back to, its last 2 s are not.
    EXPECT_FALSE(WorthResuming(4, 40));
    EXPECT_TRUE(WorthResuming(4.1, 40));
    EXPECT_TRUE(WorthResuming(12, 40));
    EXPECT_FALSE(WorthResuming(38, 40));
    EXPECT_TRUE(PlayedToTheEnd(38, 40));
    EXPECT_FALSE(PlayedToTheEnd(37.9, 40));
    EXPECT_FALSE(PlayedToTheEnd(3600, 0));
}

TEST(ResumeStoreFile, PointsComeBackByNameAndSizeWithHowTheyWereWatched) {
    testing::TempDir dir;
    const fs::path file = dir / "state" / "quova" / "resume.db";
    {
        ResumeStore store(file);
        ASSERT_EQ(store.error(), "");
        ResumePoint point = Point("/films/caf\xC3\xA9 'n' \"bar\".mkv", 734003200, 5025.5, 100);
        point.audioStreams = 1;
        point.subtitleSource = 2;
        point.speed = 1.5;
        point.zoom = 2.0;
        point.aspect = 16.0 / 9.0;
        ASSERT_TRUE(store.Save(point));
        ASSERT_TRUE(store.Save(Point("http://127.0.0.1:9/live", -1, 90, 101)));
    }
    ResumeStore store(file);
    const auto found = store.Find("/films/caf\xC3\xA9 'n' \"bar\".mkv", 734003200);
    ASSERT_TRUE(found);
    EXPECT_DOUBLE_EQ(found->position, 5025.5);
    EXPECT_EQ(found->audioStreams, 1);
    EXPECT_EQ(found->subtitleSource, 2);
    EXPECT_DOUBLE_EQ(found->speed, 1.5);
    EXPECT_DOUBLE_EQ(found->zoom, 2.0);
    EXPECT_DOUBLE_EQ(found->aspect, 16.0 / 9.0);
    EXPECT_EQ(found->playedAt, 100);
    // Another file under the same name (replaced, re-encoded) starts afresh.
    EXPECT_FALSE(store.Find("/films/caf\xC3\xA9 'n' \"bar\".mkv", 734003201));
    EXPECT_TRUE(store.Find("http://127.0.0.1:9/live", -1));

    // Saving again replaces; forgetting removes.
    ASSERT_TRUE(store.Save(Point("http://127.0.0.1:9/live", -1, 120, 102)));
    EXPECT_DOUBLE_EQ(store.Find("http://127.0.0.1:9/live", -1)->position, 120);
    EXPECT_EQ(store.Count(), 2);
    EXPECT_TRUE(store.Forget("http://127.0.0.1:9/live", -1));
    EXPECT_FALSE(store.Find("http://127.0.0.1:9/live", -1));
    EXPECT_EQ(store.Count(), 1);

    // The file is a WAL database, as the library itself says.
    EXPECT_EQ(AskSqlite(file, "PRAGMA journal_mode"), "wal");
    EXPECT_EQ(ResumeStore::DefaultFile("/x/state", "/home/u"),
              fs::path("/x/state/quova/resume.db"));
    EXPECT_EQ(ResumeStore::DefaultFile("relative", "/home/u"),
              fs::path("/home/u/.local/state/quova/resume.db"));
    EXPECT_EQ(ResumeStore::DefaultFile("", ""), fs::path());
}

TEST(ResumeStoreFile, TenThousandAndOneFilesKeepTheTenThousandPlayedLast) {
    testing::TempDir dir;
    ResumeStore store(dir / "resume.db");
    for (int n = 0; n <= ResumeStore::kMostEntries; ++n)
        ASSERT_TRUE(store.Save(Point("/films/" + std::to_string(n), n, 61, 1000 + n)));
    EXPECT_EQ(store.Count(), ResumeStore::kMostEntries);
    EXPECT_FALSE(store.Find("/films/0", 0)) << "the one played longest ago goes";
    EXPECT_TRUE(store.Find("/films/1", 1));
    EXPECT_TRUE(store.Find("/films/10000", 10000));
    // Playing an old one again makes it the newest: the next to go is another.
    ASSERT_TRUE(store.Save(Point("/films/1", 1, 62, 50000)));
    ASSERT_TRUE(store.Save(Point("/films/new", 7, 61, 50001)));
    EXPECT_TRUE(store.Find("/films/1", 1));
    EXPECT_FALSE(store.Find("/films/2", 2));
    EXPECT_EQ(AskSqlite(dir / "resume.db", "SELECT count(*) FROM resume"), "10000");
}

TEST(ResumeStoreFile, ADamagedFileIsSetAsideAndAFreshStoreStarts) {
    testing::TempDir dir;
    const fs::path file = dir / "resume.db";
    {
        ResumeStore store(file);
        for (int n = 0; n < 2000; ++n)
            ASSERT_TRUE(store.Save(
                Point("/films/a rather long name to fill pages " + std::to_string(n), n, 61, n)));
    }
    ASSERT_FALSE(fs::exists(dir / "resume.db-wal") && fs::file_size(dir / "resume.db-wal") > 0)
        << "the last connection checkpoints and removes the journal";
    const auto whole = fs::file_size(file);
    ASSERT_GT(whole, 8192u);

    for (const char* damage : {"truncated", "overwritten", "not a database"}) {
        SCOPED_TRACE(damage);
        const std::string kind = damage;
        if (kind == "truncated") {
            fs::resize_file(file, whole / 2);
        } else if (kind == "overwritten") {
            // The header stays; the pages behind it are noise.
            std::fstream bytes(file, std::ios::in | std::ios::out | std::ios::binary);
            bytes.seekp(4096);
            for (int i = 0; i < 8192; ++i) bytes.put(static_cast<char>(i * 37));
        } else {
            testing::WriteFile(file, "not a database at all, but the user's words\n");
        }
        const std::string before = [&] {
            std::ifstream in(file, std::ios::binary);
            return std::string(std::istreambuf_iterator<char>(in), {});
        }();
        ResumeStore store(file);
        EXPECT_EQ(store.error(), "");
        ASSERT_FALSE(store.setAside().empty());
        // The damaged bytes are kept as they were, for whoever wants them.
        std::ifstream in(store.setAside(), std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), before);
        EXPECT_EQ(store.Count(), 0);
        ASSERT_TRUE(store.Save(Point("/films/after", 1, 61, 1)));
        EXPECT_TRUE(store.Find("/films/after", 1));
        if (kind == "truncated") {
            // Refill the fresh store for the next kind of damage.
            for (int n = 0; n < 2000; ++n)
                ASSERT_TRUE(store.Save(Point(
                    "/films/b rather long name to fill pages " + std::to_string(n), n, 61, n)));
        }
    }
}

TEST(ResumeStoreFile, AFolderThatCannotBeMadeKeepsNothingAndSaysWhy) {
    testing::TempDir dir;
    testing::WriteFile(dir / "blocked", "a file where the folder should be");
    ResumeStore store(dir / "blocked" / "quova" / "resume.db");
    EXPECT_NE(store.error(), "");
    EXPECT_FALSE(store.Save(Point("/films/a", 1, 61, 1)));
    EXPECT_FALSE(store.Find("/films/a", 1));
    EXPECT_EQ(store.Count(), 0);
}

TEST(ResumeStoreFile, APointSavedBeforeAKillIsThereAfterIt) {
    testing::TempDir dir;
    const fs::path file = dir / "resume.db";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A player killed while it saves: what was committed stays.
        ResumeStore store(file);
        for (int n = 0;; ++n) {
            store.Save(Point("/films/kill", 1, 61 + n, n));
            if (n == 50) {
                std::FILE* flag = std::fopen((dir / "saved").c_str(), "w");
                if (flag) std::fclose(flag);
            }
        }
    }
    for (int i = 0; i < 1000 && !fs::exists(dir / "saved"); ++i) usleep(10000);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    ResumeStore store(file);
    EXPECT_TRUE(store.setAside().empty()) << "a kill damages nothing";
    const auto found = store.Find("/films/kill", 1);
    ASSERT_TRUE(found);
    EXPECT_GE(found->position, 61 + 50);
}

}  // namespace
}  // namespace quova

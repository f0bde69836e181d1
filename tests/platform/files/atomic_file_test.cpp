#include "platform/files/atomic_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files/whole_file.h"
#include "tests/support/temp_dir.h"

namespace quova {
namespace {

using testing::TempDir;
namespace fs = std::filesystem;

std::ptrdiff_t EntriesIn(const fs::path& folder) {
    return std::distance(fs::directory_iterator(folder), {});
}

mode_t ModeOf(const fs::path& path) {
    struct stat st {};
    stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

TEST(AtomicFile, ReplacesTheOldFileAndLeavesNothingBeside) {
    TempDir dir;
    const auto path = dir / "a.mpk";
    testing::WriteFile(path, "old");
    chmod(path.c_str(), 0600);
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(path, "new contents", &error)) << error;
    EXPECT_EQ(testing::ReadFile(path), "new contents");
    EXPECT_EQ(ModeOf(path), 0600u);
    EXPECT_EQ(EntriesIn(dir.path()), 1);
}

TEST(AtomicFile, AFailedWriteKeepsTheOldFile) {
    TempDir dir;
    const auto path = dir / "keep.mpk";
    testing::WriteFile(path, "good bookmark");
    std::string error;
    // A temporary file that cannot take the name (a folder with files in it
    // holds the name) is removed, and the folder keeps what it had.
    std::filesystem::create_directories(dir / "held/inside");
    int fd = -1;
    const std::string temporary = CreateTemporaryBeside(dir / "held", fd);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "half", 4), 4);
    close(fd);
    EXPECT_FALSE(CommitTemporaryFile(temporary, dir / "held", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(fs::exists(temporary));
    EXPECT_EQ(testing::ReadFile(path), "good bookmark");
    EXPECT_EQ(EntriesIn(dir.path()), 2);

    // /dev/full fails every write the way a full disk does.
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_FALSE(WriteFileAtomically("/dev/full/x", "data", &error));
    }
    EXPECT_FALSE(WriteFileAtomically((dir / "missing/x.mpk").string(), "data", &error));
    EXPECT_FALSE(error.empty());
}

// NAME_MAX is 255 bytes on the usual file systems: a file whose name is
// that long can still be replaced, whatever the temporary name is.
TEST(AtomicFile, ANameAtTheLengthLimitCanBeReplaced) {
    TempDir dir;
    const auto path = dir / (std::string(251, 'n') + ".mpl");
    testing::WriteFile(path, "old");
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(path, "new", &error)) << error;
    EXPECT_EQ(testing::ReadFile(path), "new");
    int fd = -1;
    const std::string temporary = CreateTemporaryBeside(path, fd);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "newer", 5), 5);
    close(fd);
    ASSERT_TRUE(CommitTemporaryFile(temporary, path, &error)) << error;
    EXPECT_EQ(testing::ReadFile(path), "newer");
    EXPECT_EQ(EntriesIn(dir.path()), 1);
}

TEST(AtomicFile, TheTemporaryFileIsNewAndPrivateBesideTheTarget) {
    TempDir dir;
    const auto target = dir / "out.wav";
    int fd = -1;
    const std::string temporary = CreateTemporaryBeside(target, fd);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(fs::path(temporary).parent_path(), dir.path());
    EXPECT_LE(fs::path(temporary).filename().string().size(), 16u);
    struct stat st {};
    ASSERT_EQ(lstat(temporary.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_size, 0);
    EXPECT_EQ(st.st_mode & 077, 0u);
    EXPECT_NE(fcntl(fd, F_GETFD) & FD_CLOEXEC, 0);
    ASSERT_EQ(write(fd, "abc", 3), 3);
    close(fd);
    std::string error;
    ASSERT_TRUE(CommitTemporaryFile(temporary, target, &error)) << error;
    EXPECT_EQ(testing::ReadFile(target), "abc");
    EXPECT_EQ(EntriesIn(dir.path()), 1);
}

// A new file takes the first free name and never an entry that is there,
// whatever kind of entry: a file, a folder, a link (dangling or not).
TEST(NewFile, TakesTheFirstFreeNameAndReplacesNothing) {
    TempDir dir;
    auto name = [](int n) { return "shot" + std::to_string(n) + ".png"; };
    std::string error;
    const std::string first = WriteNewFileAtomically(dir.path().string(), name, "one", &error);
    EXPECT_EQ(first, (dir / "shot1.png").string()) << error;
    EXPECT_EQ(testing::ReadFile(dir / "shot1.png"), "one");
    EXPECT_EQ(ModeOf(dir / "shot1.png"), 0644u);

    fs::create_directory(dir / "shot2.png");
    fs::create_symlink(dir / "gone", dir / "shot3.png");
    testing::WriteFile(dir / "target", "kept");
    fs::create_symlink(dir / "target", dir / "shot4.png");
    EXPECT_EQ(WriteNewFileAtomically(dir.path().string(), name, "two", &error),
              (dir / "shot5.png").string())
        << error;
    EXPECT_EQ(testing::ReadFile(dir / "shot1.png"), "one");
    EXPECT_EQ(testing::ReadFile(dir / "target"), "kept");
    EXPECT_FALSE(fs::exists(dir / "gone"));
    EXPECT_EQ(testing::ReadFile(dir / "shot5.png"), "two");
    // Nothing temporary is left beside them.
    EXPECT_EQ(EntriesIn(dir.path()), 6);
}

TEST(NewFile, FailsWithAReasonAndLeavesNothingWhenNoNameIsFreeOrTheFolderIsShut) {
    TempDir dir;
    testing::WriteFile(dir / "a", "x");
    std::string error;
    EXPECT_EQ(WriteNewFileAtomically(
                  dir.path().string(), [](int) { return std::string("a"); }, "y", &error, 5),
              "");
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(testing::ReadFile(dir / "a"), "x");
    EXPECT_EQ(EntriesIn(dir.path()), 1);

    error.clear();
    EXPECT_EQ(WriteNewFileAtomically((dir / "none").string(), [](int) { return std::string("b"); },
                                     "y", &error),
              "");
    EXPECT_FALSE(error.empty());

    // A folder that takes no entries (unless the tests run as the superuser).
    fs::create_directory(dir / "shut");
    fs::permissions(dir / "shut", fs::perms::owner_read | fs::perms::owner_exec);
    if (access((dir / "shut").c_str(), W_OK) != 0) {
        error.clear();
        EXPECT_EQ(WriteNewFileAtomically((dir / "shut").string(),
                                         [](int) { return std::string("c"); }, "y", &error),
                  "");
        EXPECT_FALSE(error.empty());
    }
    fs::permissions(dir / "shut", fs::perms::owner_all);
    EXPECT_EQ(EntriesIn(dir / "shut"), 0);
}

TEST(WholeFile, ReadsPlainFilesUpToTheLimitAndNothingElse) {
    TempDir dir;
    testing::WriteFile(dir / "big", std::string(20000, 'a'));
    std::string bytes;
    bool tooLarge = false;
    EXPECT_FALSE(ReadWholeFile(dir / "big", 10000, bytes, &tooLarge));
    EXPECT_TRUE(tooLarge);
    EXPECT_TRUE(ReadWholeFile(dir / "big", 20000, bytes, &tooLarge));
    EXPECT_EQ(bytes.size(), 20000u);
    EXPECT_FALSE(ReadWholeFile(dir / "none", 10, bytes, &tooLarge));
    EXPECT_FALSE(tooLarge);
    EXPECT_FALSE(ReadWholeFile(dir.path(), 10, bytes, &tooLarge));  // a folder
    // A named pipe without a writer: opening it for reading alone would wait.
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
    std::string error;
    EXPECT_FALSE(ReadWholeFile(dir / "pipe", 10, bytes, &tooLarge, &error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace quova

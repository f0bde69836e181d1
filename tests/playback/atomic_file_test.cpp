#include "playback/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/support/temp_dir.h"

namespace quova {
namespace {

using testing::TempDir;

TEST(AtomicFile, ReplacesTheOldFileAndLeavesNothingBeside) {
    TempDir dir;
    const auto path = dir / "a.mpk";
    testing::WriteFile(path, "old");
    chmod(path.c_str(), 0600);
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(path, "new contents", &error)) << error;
    EXPECT_EQ(testing::ReadFile(path), "new contents");
    struct stat st {};
    stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(AtomicFile, AFailedWriteKeepsTheOldFile) {
    TempDir dir;
    const auto path = dir / "keep.mpk";
    testing::WriteFile(path, "good bookmark");
    std::string error;
    EXPECT_FALSE(ReplaceFileAtomically(
        path,
        [](const std::string& temporary) {
            testing::WriteFile(temporary, "half");
            return false;  // the writer ran out of disk
        },
        &error));
    EXPECT_EQ(testing::ReadFile(path), "good bookmark");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    // /dev/full fails every write the way a full disk does.
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_FALSE(WriteFileAtomically("/dev/full/x", "data", &error));
    }
    EXPECT_FALSE(WriteFileAtomically((dir / "missing/x.mpk").string(), "data", &error));
    EXPECT_FALSE(error.empty());
}

TEST(AtomicFile, ReadingStopsAtTheLimit) {
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
}

}  // namespace
}  // namespace quova

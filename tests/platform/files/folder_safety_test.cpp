#include "platform/files/folder_safety.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/temp_dir.h"

namespace quova {
namespace {

using testing::TempDir;
namespace fs = std::filesystem;

struct stat StatOf(const fs::path& path) {
    struct stat st {};
    lstat(path.c_str(), &st);
    return st;
}

TEST(FolderSafety, SystemFoldersAndTheStickyTemporaryFolderAreTrusted) {
    EXPECT_TRUE(OnlyUserControls("/"));
    EXPECT_TRUE(OnlyUserControls("/usr/bin"));
    TempDir dir;  // under /tmp, which is world-writable but sticky
    EXPECT_TRUE(OnlyUserControls(dir.path()));
    EXPECT_FALSE(OnlyUserControls(dir / "missing"));
}

TEST(FolderSafety, AFolderOthersCanWriteToIsNotTrustedNorAnythingBelowIt) {
    TempDir dir;
    fs::create_directories(dir / "shared/bin");
    ASSERT_EQ(chmod((dir / "shared").c_str(), 0777), 0);
    EXPECT_FALSE(OnlyUserControls(dir / "shared"));
    EXPECT_FALSE(OnlyUserControls(dir / "shared/bin"));
    ASSERT_EQ(chmod((dir / "shared").c_str(), 0775), 0);  // group-writable
    EXPECT_FALSE(OnlyUserControls(dir / "shared/bin"));
    ASSERT_EQ(chmod((dir / "shared").c_str(), 01777), 0);  // sticky, as /tmp
    EXPECT_TRUE(OnlyUserControls(dir / "shared/bin"));
    ASSERT_EQ(chmod((dir / "shared").c_str(), 0755), 0);
    EXPECT_TRUE(OnlyUserControls(dir / "shared/bin"));

    // A link is judged by where it leads too.
    fs::create_directories(dir / "open");
    ASSERT_EQ(chmod((dir / "open").c_str(), 0777), 0);
    fs::create_directory_symlink(dir / "open", dir / "link");
    EXPECT_FALSE(OnlyUserControls(dir / "link"));
    fs::create_directory_symlink("/usr/bin", dir / "bin");
    EXPECT_TRUE(OnlyUserControls(dir / "bin"));
}

TEST(FolderSafety, AFolderOfAnotherUserIsNotTrusted) {
    if (getuid() != 0) GTEST_SKIP() << "giving a folder to another user needs root";
    TempDir dir;
    fs::create_directories(dir / "theirs/state");
    ASSERT_EQ(chown((dir / "theirs").c_str(), 54321, 54321), 0);
    EXPECT_FALSE(OnlyUserControls(dir / "theirs/state"));
    EXPECT_FALSE(MakeUserFolder(dir / "theirs/state/quova"));
    EXPECT_FALSE(fs::exists(dir / "theirs/state/quova"));
}

TEST(FolderSafety, MadeFoldersArePrivateAndForeignOnesAreRefused) {
    TempDir dir;
    const fs::path state = dir / "home/.local/state/quova";
    ASSERT_TRUE(MakeUserFolder(state));
    for (const fs::path& made : {dir / "home", dir / "home/.local", state}) {
        EXPECT_TRUE(S_ISDIR(StatOf(made).st_mode)) << made;
        EXPECT_EQ(StatOf(made).st_mode & 077, 0u) << made;
    }
    EXPECT_TRUE(MakeUserFolder(state));  // already there

    // Nothing is created inside a folder others may write to.
    fs::create_directories(dir / "open");
    ASSERT_EQ(chmod((dir / "open").c_str(), 0777), 0);
    EXPECT_FALSE(MakeUserFolder(dir / "open/quova"));
    EXPECT_FALSE(fs::exists(dir / "open/quova"));

    // A folder that lets others in is not the user's private folder.
    fs::create_directories(dir / "loose");
    ASSERT_EQ(chmod((dir / "loose").c_str(), 0777), 0);
    EXPECT_FALSE(MakeUserFolder(dir / "loose"));

    // A file or a link where a folder should be.
    testing::WriteFile(dir / "file", "x");
    EXPECT_FALSE(MakeUserFolder(dir / "file"));
    fs::create_directory_symlink(dir / "open", dir / "planted");
    EXPECT_FALSE(MakeUserFolder(dir / "planted/quova"));
    EXPECT_FALSE(fs::exists(dir / "open/quova"));
}

}  // namespace
}  // namespace quova

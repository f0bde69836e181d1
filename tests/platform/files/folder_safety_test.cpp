#include "platform/files/folder_safety.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
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

// What stays the user's for good: nothing in a folder where others can
// create entries, sticky or not, since a folder of the user's there can go
// and be made again by anyone, except an entry root owns for another user.
TEST(FolderSafety, ForGoodNoSharedFolderIsOnTheWay) {
    EXPECT_TRUE(OnlyUserControlsForGood("/usr/bin"));
    EXPECT_FALSE(OnlyUserControlsForGood("/tmp"));
    TempDir dir;  // in /tmp, a folder of the user's own
    EXPECT_TRUE(OnlyUserControls(dir.path()));
    if (getuid() == 0 || StatOf(dir.path()).st_uid != 0) {
        EXPECT_FALSE(OnlyUserControlsForGood(dir.path()));
    }

    std::string why;
    const fs::path scratch = testing::UnsharedScratchFolder(&why);
    if (scratch.empty()) GTEST_SKIP() << why;
    TempDir own(scratch);
    fs::create_directories(own / "shared/bin");
    EXPECT_TRUE(OnlyUserControlsForGood(own / "shared/bin"));
    for (const mode_t mode : {01777, 0777, 0775}) {
        ASSERT_EQ(chmod((own / "shared").c_str(), mode), 0);
        EXPECT_FALSE(OnlyUserControlsForGood(own / "shared/bin")) << std::oct << mode;
        EXPECT_FALSE(OnlyUserControlsForGood(own / "shared")) << std::oct << mode;
    }
    // A link into a shared folder is judged by where it leads.
    ASSERT_EQ(chmod((own / "shared").c_str(), 01777), 0);
    fs::create_directory_symlink(own / "shared/bin", own / "link");
    EXPECT_FALSE(OnlyUserControlsForGood(own / "link"));
}

TEST(FolderSafety, ForGoodAnEntryRootOwnsInASharedFolderPassesForAnotherUser) {
    if (getuid() != 0) GTEST_SKIP() << "acting as another user needs root";
    TempDir dir;
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    fs::create_directories(dir / "shared/opt/bin");
    fs::create_directories(dir / "shared/theirs/bin");
    ASSERT_EQ(chmod((dir / "shared").c_str(), 01777), 0);
    const uid_t nobody = 65534;
    ASSERT_EQ(chown((dir / "shared/theirs").c_str(), nobody, nobody), 0);
    // Asked as that user, in a child that can give up root for good.
    const auto askAsNobody = [&](const fs::path& folder) {
        const pid_t child = fork();
        if (child == 0) {
            if (setgid(nobody) != 0 || setuid(nobody) != 0) _exit(2);
            _exit(OnlyUserControlsForGood(folder) ? 0 : 1);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(askAsNobody(dir / "shared/opt/bin"), 0);
    // Their own entry is theirs to remove, and then anyone's to make again.
    EXPECT_EQ(askAsNobody(dir / "shared/theirs/bin"), 1);
    // Root's own entry is root's to remove: not for good when root asks.
    EXPECT_FALSE(OnlyUserControlsForGood(dir / "shared/opt/bin"));
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

// The graph's DOT file lives in a folder that must be ours alone: without a
// runtime folder it sits in the shared temporary folder, where anyone may
// have created the name first or planted links.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/engine/filter_graph.h"
#include "platform/engine/graph_registration.h"
#include "tests/platform/engine/playback_support.h"
#include "tests/support/temp_dir.h"

namespace quova::engine {
namespace {

namespace fs = std::filesystem;
using quova::testing::ReadFile;
using quova::testing::TempDir;
using quova::testing::WriteFile;

// Runs a test with no runtime folder and the temporary folder at `tmp`, as
// on a system without a user session; restores the environment afterwards.
class SharedTempFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        playback::EnsureApplication();
        Save("XDG_RUNTIME_DIR", runtime_);
        Save("TMPDIR", tmpdir_);
        unsetenv("XDG_RUNTIME_DIR");
        setenv("TMPDIR", shared_.path().c_str(), 1);
    }
    void TearDown() override {
        Restore("XDG_RUNTIME_DIR", runtime_);
        Restore("TMPDIR", tmpdir_);
    }

    fs::path Expected() const { return shared_.path() / ("quova-" + std::to_string(getuid())); }

    TempDir shared_;

  private:
    static void Save(const char* name, std::optional<std::string>& into) {
        if (const char* v = std::getenv(name)) into = v;
    }
    static void Restore(const char* name, const std::optional<std::string>& value) {
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    std::optional<std::string> runtime_, tmpdir_;
};

mode_t ModeOf(const fs::path& p) {
    struct stat st {};
    EXPECT_EQ(lstat(p.c_str(), &st), 0) << p;
    return st.st_mode;
}

TEST_F(SharedTempFolder, AMissingFolderIsCreatedPrivateAndHoldsTheGraph) {
    ASSERT_EQ(GraphRegistration::Folder(), Expected());
    const mode_t oldMask = umask(0);  // the loosest umask a user may have
    FilterGraph graph;
    GraphRegistration registration;
    const HResult hr = registration.Register(graph);
    umask(oldMask);
    ASSERT_EQ(hr, S_OK);
    const mode_t mode = ModeOf(Expected());
    EXPECT_TRUE(S_ISDIR(mode));
    EXPECT_EQ(mode & 0777, 0700u) << "nobody else may list or write the folder";
    EXPECT_EQ(registration.Path().parent_path(), Expected());
    EXPECT_NE(ReadFile(registration.Path()).find("digraph"), std::string::npos);
    EXPECT_EQ(ModeOf(registration.Path()) & 077, 0u);
}

TEST_F(SharedTempFolder, AFolderOfOursLeftOpenIsClosedBeforeUse) {
    ASSERT_EQ(mkdir(Expected().c_str(), 0777), 0);
    ASSERT_EQ(chmod(Expected().c_str(), 0777), 0);  // as an earlier version left it
    FilterGraph graph;
    GraphRegistration registration;
    ASSERT_EQ(registration.Register(graph), S_OK);
    EXPECT_EQ(ModeOf(Expected()) & 0777, 0700u);
    EXPECT_NE(ReadFile(registration.Path()).find("digraph"), std::string::npos);
}

TEST_F(SharedTempFolder, ALinkInPlaceOfTheFolderIsRefused) {
    TempDir elsewhere;
    fs::create_directory_symlink(elsewhere.path(), Expected());
    ASSERT_EQ(chmod(elsewhere.path().c_str(), 0700), 0);
    FilterGraph graph;
    GraphRegistration registration;
    EXPECT_TRUE(Failed(registration.Register(graph)));
    EXPECT_TRUE(fs::is_empty(elsewhere.path())) << "nothing lands where the link points";
}

TEST_F(SharedTempFolder, AFolderOwnedBySomeoneElseIsRefused) {
    if (geteuid() != 0) GTEST_SKIP() << "giving a folder away needs the super-user";
    // Here we are the super-user: the folder belongs to another account.
    ASSERT_EQ(mkdir(Expected().c_str(), 0700), 0);
    ASSERT_EQ(chown(Expected().c_str(), 4242, 4242), 0);
    FilterGraph graph;
    GraphRegistration registration;
    EXPECT_TRUE(Failed(registration.Register(graph)));
    EXPECT_TRUE(fs::is_empty(Expected()));
}

TEST_F(SharedTempFolder, ALinkPlantedAtTheTemporaryNameIsNotWrittenThrough) {
    FilterGraph graph;
    GraphRegistration registration;
    ASSERT_EQ(registration.Register(graph), S_OK);
    TempDir elsewhere;
    const fs::path victim = elsewhere / "precious.txt";
    WriteFile(victim, "keep me");
    fs::create_symlink(victim, registration.Path().string() + ".part");
    EXPECT_EQ(registration.NoteChange(), S_OK);
    EXPECT_EQ(ReadFile(victim), "keep me");
    EXPECT_FALSE(fs::is_symlink(registration.Path()));
    EXPECT_NE(ReadFile(registration.Path()).find("digraph"), std::string::npos);
    EXPECT_FALSE(fs::exists(fs::symlink_status(registration.Path().string() + ".part")));
}

TEST_F(SharedTempFolder, AFolderReplacedByALinkAfterRegistrationStopsTheRewriting) {
    FilterGraph graph;
    GraphRegistration registration;
    ASSERT_EQ(registration.Register(graph), S_OK);
    TempDir elsewhere;
    fs::remove_all(Expected());
    fs::create_directory_symlink(elsewhere.path(), Expected());
    EXPECT_TRUE(Failed(registration.NoteChange()));
    EXPECT_TRUE(fs::is_empty(elsewhere.path())) << "nothing lands where the link points";
}

}  // namespace
}  // namespace quova::engine

// The tests' own session bookmark: a window under test saving its session
// writes into the test program's state folder, never beside the test program
// in the build tree, nor into the home of the user running the tests.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "playback/session_place.h"
#include "tests/app/qt_support.h"

namespace quova {
namespace {

namespace fs = std::filesystem;

TEST(SessionFile, AProgramUnderTestKeepsItsSessionInAStateFolderOfItsOwn) {
    testing::App();
    char program[4096];
    const ssize_t n = readlink("/proc/self/exe", program, sizeof program - 1);
    ASSERT_GT(n, 0);
    const fs::path beside =
        fs::path(std::string(program, static_cast<size_t>(n))).replace_extension(".mpk");
    const std::string path = SessionBookmarkPath();
    EXPECT_NE(path, beside.string()) << "the build tree";
    const char* state = std::getenv("XDG_STATE_HOME");
    ASSERT_TRUE(state);
    EXPECT_EQ(fs::path(path), fs::path(state) / "quova" / "quova.mpk");
    EXPECT_EQ(fs::path(state).parent_path(), fs::temp_directory_path()) << state;
    // What a save writes lands there.
    EXPECT_TRUE(WriteSessionFile(path, [](const std::string& where) {
        std::ofstream(where) << "saved";
        return true;
    }));
    EXPECT_TRUE(fs::exists(path));
}

}  // namespace
}  // namespace quova

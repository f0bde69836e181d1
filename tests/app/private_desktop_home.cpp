// Start-up registers the program with the desktop. No test of this program
// may write into the desktop of the user running it: every test runs with
// private data and configuration folders, and without the system's defaults.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/temp_dir.h"

namespace quova {
namespace {

class PrivateDesktopHome : public ::testing::Environment {
  public:
    void SetUp() override {
        home_ = std::make_unique<testing::TempDir>();
        for (const char* folder : {"data", "config", "system-data", "system-config"})
            std::filesystem::create_directories(*home_ / folder);
        setenv("XDG_DATA_HOME", (*home_ / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (*home_ / "config").c_str(), 1);
        setenv("XDG_DATA_DIRS", (*home_ / "system-data").c_str(), 1);
        setenv("XDG_CONFIG_DIRS", (*home_ / "system-config").c_str(), 1);
        unsetenv("XDG_CURRENT_DESKTOP");
    }
    void TearDown() override { home_.reset(); }

  private:
    std::unique_ptr<testing::TempDir> home_;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new PrivateDesktopHome);

}  // namespace
}  // namespace quova

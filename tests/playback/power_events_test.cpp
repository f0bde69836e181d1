#include "playback/power_events.h"

#include <gtest/gtest.h>

#include "tests/app/qt_support.h"

namespace quova {
namespace {

TEST(PowerStatus, TheTextNamesTheSupplyTheBatteryAndThePause) {
    bool pause = false;
    EXPECT_EQ(PowerStatusText({0, 2, 9}, true, pause), "system on battery power (low) 9%: paused");
    EXPECT_TRUE(pause);
    EXPECT_EQ(PowerStatusText({0, 2, 9}, false, pause), "system on battery power (low) 9%");
    EXPECT_FALSE(pause) << "nothing to pause";
    EXPECT_EQ(PowerStatusText({0, 4, 3}, true, pause),
              "system on battery power (critical) 3%: paused");
    // High and charging at once names no level.
    EXPECT_EQ(PowerStatusText({1, 9, 80}, true, pause), "system on AC power 80%");
    EXPECT_FALSE(pause);
    EXPECT_EQ(PowerStatusText({1, 8, 50}, false, pause), "system on AC power (charging) 50%");
    EXPECT_EQ(PowerStatusText({255, 255, 255}, false, pause), "system on AC power");
    EXPECT_EQ(PowerStatusText({0, 1, 100}, true, pause), "system on battery power (high) 100%");
    EXPECT_FALSE(pause) << "a high battery does not pause";
}

TEST(PowerStatus, WithNothingOpenSleepAndResumeChangeNoGraph) {
    quova::testing::App();
    PowerWatcher watcher;  // silent without a system bus
    PrepareForSleep();     // no graph: nothing to stop
    SUCCEED();
}

}  // namespace
}  // namespace quova

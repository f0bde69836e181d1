#include "text/subtitle_timetable.h"

#include <gtest/gtest.h>

#include <limits>

namespace quova {
namespace {

TEST(ResetSubtitles, SizesTheTableForOneAndAHalfTimesTheMedium) {
    SubtitleTimetable table;
    table.SubtitleCount = 7;
    ResetSubtitles(table, 100.0);
    EXPECT_EQ(table.SlotCount, 300);
    EXPECT_EQ(table.SubtitleSlots.size(), 301u);
    EXPECT_EQ(table.SubtitleTexts.size(), 301u);
    EXPECT_EQ(table.SubtitleCount, 0);
    for (int32_t s : table.SubtitleSlots) ASSERT_EQ(s, -1);
    // 0.25 s * 3 = 0.75 rounds to 1; 0.5 s * 3 = 1.5 rounds to the even 2.
    ResetSubtitles(table, 0.25);
    EXPECT_EQ(table.SlotCount, 1);
    ResetSubtitles(table, 0.5);
    EXPECT_EQ(table.SlotCount, 2);
}

TEST(ResetSubtitles, BrokenOrHugeDurationsGiveABoundedTable) {
    SubtitleTimetable table;
    for (double d : {0.0, -5.0, std::numeric_limits<double>::quiet_NaN()}) {
        ResetSubtitles(table, d);
        EXPECT_EQ(table.SlotCount, 0) << d;
        EXPECT_EQ(table.SubtitleSlots.size(), 1u);
    }
    for (double d : {1e12, std::numeric_limits<double>::infinity()}) {
        ResetSubtitles(table, d);
        EXPECT_EQ(table.SlotCount, static_cast<int>(kMaxSubtitleDuration * 3)) << d;
    }
}

TEST(SlotConversion, RoundsHalvesToEven) {
    EXPECT_EQ(SecondsToSlot(1.25), 2);
    EXPECT_EQ(SecondsToSlot(1.75), 4);
    EXPECT_EQ(SecondsToSlot(0.25), 0);
    EXPECT_EQ(SecondsToSlot(0.75), 2);
    EXPECT_EQ(SecondsToSlot(1.3), 3);
    EXPECT_EQ(SecondsToSlot(-1.25), -2);
    EXPECT_EQ(SecondsToSlot(std::numeric_limits<double>::quiet_NaN()), -1);
    EXPECT_GT(SecondsToSlot(std::numeric_limits<double>::infinity()), int64_t{1} << 50);
    EXPECT_EQ(FrameToSlot(250, 25.0), 20);
    EXPECT_EQ(FrameToSlot(24, 23.976), 2);
    // A medium without a frame rate counts 25 frames per second.
    EXPECT_EQ(FrameToSlot(250, 0.0), 20);
    EXPECT_EQ(FrameToSlot(250, std::numeric_limits<double>::quiet_NaN()), 20);
    EXPECT_EQ(FrameToSlot(250, -1.0), 20);
    // A slide show's or a high-speed camera's rate is real and is used.
    EXPECT_EQ(FrameToSlot(5, 0.5), 20);
    EXPECT_EQ(FrameToSlot(12000, 1200.0), 20);
    EXPECT_EQ(FrameToSlot(1e9, 25.0), 80000000);
}

TEST(MakeSubtitleEntry, CountsEveryEntryButStoresOnlyWhatFits) {
    SubtitleTimetable table;
    ResetSubtitles(table, 1.0);  // 3 slots + 1
    MakeSubtitleEntry(table, 1, "a");
    MakeSubtitleEntry(table, 99, "beyond the table");
    MakeSubtitleEntry(table, -1, "before the table");
    MakeSubtitleEntry(table, 3, "d");
    MakeSubtitleEntry(table, 2, "no room left");
    MakeSubtitleEntry(table, 0, "no room left");
    EXPECT_EQ(table.SubtitleCount, 6);
    EXPECT_EQ(table.SubtitleTexts,
              (std::vector<std::string>{"a", "beyond the table", "before the table", "d"}));
    // Entries without room are never pointed at: there is no text to show.
    EXPECT_EQ(table.SubtitleSlots, (std::vector<int32_t>{-1, 0, -1, 3}));
}

}  // namespace
}  // namespace quova

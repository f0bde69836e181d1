#include "playback/screenshot_name.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace quova {
namespace {

TEST(ScreenshotName, TheMediumsNameAndThePositionShown) {
    EXPECT_EQ(ScreenshotStem("/films/clip.avi", 83.456), "clip 0-01-23.456");
    EXPECT_EQ(ScreenshotStem("/films/clip.avi", 0), "clip 0-00-00.000");
    EXPECT_EQ(ScreenshotStem("/films/Two Words.final.mkv", 3600 + 2 * 60 + 3.004),
              "Two Words.final 1-02-03.004");
    // Past a day the hours go on counting.
    EXPECT_EQ(ScreenshotStem("a.ogg", 30 * 3600.5), "a 30-00-15.000");
    // A position the graph could not give counts as the start.
    EXPECT_EQ(ScreenshotStem("a.ogg", -1), "a 0-00-00.000");
    EXPECT_EQ(ScreenshotStem("a.ogg", std::numeric_limits<double>::quiet_NaN()), "a 0-00-00.000");
    EXPECT_EQ(ScreenshotStem("a.ogg", std::numeric_limits<double>::infinity()), "a 0-00-00.000");
}

TEST(ScreenshotName, AddressesDiscsAndNamesWithoutAName) {
    EXPECT_EQ(ScreenshotStem("https://example.org/live/show.m3u8?token=1#t", 1),
              "show 0-00-01.000");
    EXPECT_EQ(ScreenshotStem("http://example.org/", 1), "example.org 0-00-01.000");
    EXPECT_EQ(ScreenshotStem("http://example.org", 1), "example.org 0-00-01.000");
    EXPECT_EQ(ScreenshotStem("/media/MY_FILM/VIDEO_TS", 2), "MY_FILM 0-00-02.000");
    EXPECT_EQ(ScreenshotStem("/media/MY_FILM/video_ts/", 2), "MY_FILM 0-00-02.000");
    EXPECT_EQ(ScreenshotStem("DVD", 2), "DVD 0-00-02.000");
    EXPECT_EQ(ScreenshotStem("", 2), "screenshot 0-00-02.000");
    EXPECT_EQ(ScreenshotStem("/", 2), "screenshot 0-00-02.000");
    // A hidden file's name is all extension to the rule, and stays a name.
    EXPECT_EQ(ScreenshotStem("/films/.hidden", 2), "_hidden 0-00-02.000");
}

TEST(ScreenshotName, NamesFromOutsideMakeAPlainFileNameThatFits) {
    // Control characters (a newline in a file name) and a backslash.
    EXPECT_EQ(ScreenshotStem("/films/a\nb\tc\\d.avi", 1), "a_b_c_d 0-00-01.000");
    EXPECT_EQ(ScreenshotStem("/films/..x.avi", 1), "__x 0-00-01.000");
    // A folder entry holds 255 bytes: a long name is cut, never inside a
    // character, and the counter and extension still fit.
    std::string longName;
    for (int i = 0; i < 150; ++i) longName += "\xC3\xA4";  // 300 bytes of "ä"
    const std::string stem = ScreenshotStem("/films/" + longName + ".mkv", 1);
    const std::string file = ScreenshotFileName(stem, 9999);
    EXPECT_LE(file.size(), 255u);
    EXPECT_EQ(stem.substr(stem.size() - 12), " 0-00-01.000");
    const std::string kept = stem.substr(0, stem.size() - 12);
    EXPECT_EQ(kept.size() % 2, 0u) << "whole characters only";
    EXPECT_EQ(kept, longName.substr(0, kept.size()));
}

TEST(ScreenshotName, TheCounterComesBeforeTheExtension) {
    EXPECT_EQ(ScreenshotFileName("clip 0-01-23.456", 1), "clip 0-01-23.456.png");
    EXPECT_EQ(ScreenshotFileName("clip 0-01-23.456", 2), "clip 0-01-23.456 (2).png");
    EXPECT_EQ(ScreenshotFileName("clip 0-01-23.456", 10), "clip 0-01-23.456 (10).png");
}

}  // namespace
}  // namespace quova

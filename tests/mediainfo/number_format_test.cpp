#include "mediainfo/number_format.h"

#include <gtest/gtest.h>

#include <regex>

#include "mediainfo/info_pages.h"

namespace quova {
namespace {

TEST(FormatGeneral, KeepsSignificantDigitsAndDropsTrailingZeros) {
    EXPECT_EQ(FormatGeneral(25.0, 5), "25");
    EXPECT_EQ(FormatGeneral(1000000.0 / 33367, 5), "29.97");
    EXPECT_EQ(FormatGeneral(23.976, 5), "23.976");
    EXPECT_EQ(FormatGeneral(30000.0 / 1001, 4), "29.97");
    EXPECT_EQ(FormatGeneral(0.5, 4), "0.5");
    EXPECT_EQ(FormatGeneral(0.0, 4), "0");
    EXPECT_EQ(FormatGeneral(12345.0, 5), "12345");
    // Too many integer digits, or too small: scientific notation.
    EXPECT_EQ(FormatGeneral(123456.0, 5), "1.2346E5");
    EXPECT_EQ(FormatGeneral(99999.7, 5), "1E5");
    EXPECT_EQ(FormatGeneral(0.000001234, 4), "1.234E-6");
    EXPECT_EQ(FormatGeneral(-2.5, 4), "-2.5");
}

TEST(FormatClock, ShowsHoursMinutesSecondsMilliseconds) {
    EXPECT_EQ(FormatClock(10.0), "00:00:10.000");
    EXPECT_EQ(FormatClock(3661.5), "01:01:01.500");
    EXPECT_EQ(FormatClock(59.9996), "00:01:00.000");
    EXPECT_EQ(FormatClock(90000.0), "25:00:00.000");
    // Absurd lengths from damaged files still give a well-formed text.
    EXPECT_EQ(FormatClock(1e12), "277777777:46:40.000");  // 10^12 s = 277777777 h 2800 s
    for (double absurd : {9.2e18, 1e300})
        EXPECT_TRUE(std::regex_match(FormatClock(absurd),
                                     std::regex("[0-9]{2,}:[0-5][0-9]:[0-5][0-9]\\.[0-9]{3}")))
            << FormatClock(absurd);
    EXPECT_EQ(FormatClock(-1.0), "00:00:00.000");
}

TEST(InfoPages, AviFirstThenOgg) {
    EXPECT_TRUE(InfoPagesToShow("", "").empty());
    const auto both = InfoPagesToShow("avi text", "ogg text");
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0].caption, "AVI Info");
    EXPECT_EQ(both[0].text, "avi text");
    EXPECT_EQ(both[1].caption, "OGG Info");
    const auto ogg = InfoPagesToShow("", "streams: 0\r\n");
    ASSERT_EQ(ogg.size(), 1u);
    EXPECT_EQ(ogg[0].caption, "OGG Info");
}

}  // namespace
}  // namespace quova

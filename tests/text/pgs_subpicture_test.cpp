#include "text/pgs_subpicture.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/subtitle_media.h"

namespace quova {
namespace {

// Pure green in studio-range BT.709: Y 173, Cr 26, Cb 42.
constexpr int kGreenY = 173, kGreenCr = 26, kGreenCb = 42;

bool Green(std::uint32_t argb) {
    return (argb >> 24) == 0xFF && ((argb >> 16) & 0xFF) < 16 && ((argb >> 8) & 0xFF) > 240 &&
           (argb & 0xFF) < 16;
}

TEST(PgsSubPicture, AMadeDisplaySetGivesItsFrameBlockAndColour) {
    const std::string set =
        testing::PgsDisplaySetBytes(1920, 1080, 600, 900, 300, 20, kGreenY, kGreenCr, kGreenCb);
    std::string error;
    const auto drawn = DecodePgsDisplaySet(set, &error);
    ASSERT_TRUE(drawn) << error;
    EXPECT_EQ(drawn->width, 1920);
    EXPECT_EQ(drawn->height, 1080);
    ASSERT_EQ(drawn->pictures.size(), 1u);
    const PgsObjectPicture& picture = drawn->pictures[0];
    EXPECT_EQ(picture.x, 600);
    EXPECT_EQ(picture.y, 900);
    EXPECT_EQ(picture.width, 300);
    EXPECT_EQ(picture.height, 20);
    EXPECT_FALSE(picture.forced);
    ASSERT_EQ(picture.argb.size(), 300u * 20u);
    for (const std::uint32_t pixel : picture.argb) ASSERT_TRUE(Green(pixel)) << std::hex << pixel;

    const auto forced = DecodePgsDisplaySet(
        testing::PgsDisplaySetBytes(720, 480, 0, 0, 4, 2, kGreenY, kGreenCr, kGreenCb, true));
    ASSERT_TRUE(forced);
    ASSERT_EQ(forced->pictures.size(), 1u);
    EXPECT_TRUE(forced->pictures[0].forced);

    // A set that composes nothing clears.
    const auto clearing =
        DecodePgsDisplaySet(testing::PgsDisplaySetBytes(1920, 1080, 0, 0, 0, 0, 0, 0, 0));
    ASSERT_TRUE(clearing);
    EXPECT_TRUE(clearing->pictures.empty());

    // The same segments as a .sup stream writes them, each behind "PG" and
    // two times.
    std::string sup;
    for (size_t at = 0; at < set.size();) {
        const size_t length = 3 + (static_cast<unsigned char>(set[at + 1]) << 8 |
                                   static_cast<unsigned char>(set[at + 2]));
        sup += "PG" + std::string(8, '\0') + set.substr(at, length);
        at += length;
    }
    const auto fromSup = DecodePgsDisplaySet(sup, &error);
    ASSERT_TRUE(fromSup) << error;
    ASSERT_EQ(fromSup->pictures.size(), 1u);
    EXPECT_EQ(fromSup->pictures[0].argb, picture.argb);
}

TEST(PgsSubPicture, DamagedDisplaySetsGiveNothingAndAReason) {
    const std::string set =
        testing::PgsDisplaySetBytes(720, 576, 10, 10, 40, 6, kGreenY, kGreenCr, kGreenCb);
    // Cut anywhere before its end segment: a segment runs past the end, or
    // the composition names an object or a palette the set no longer has.
    for (size_t n = 0; n + 3 < set.size(); ++n) {
        std::string error;
        EXPECT_FALSE(DecodePgsDisplaySet(set.substr(0, n), &error)) << n;
        EXPECT_FALSE(error.empty()) << n;
    }
    const auto damaged = [&set](size_t at, char byte) {
        std::string bad = set;
        bad[at] = byte;
        std::string error;
        const bool decoded = DecodePgsDisplaySet(bad, &error).has_value();
        return decoded || error.empty() ? std::string("decoded") : error;
    };
    // The composition segment's first byte is its type; 0x33 is none.
    EXPECT_EQ(damaged(0, '\x33'), "unknown segment");
    // The frame's width (the composition's first two bytes) made 0.
    std::string zeroFrame = set;
    zeroFrame[3] = zeroFrame[4] = '\0';
    std::string error;
    EXPECT_FALSE(DecodePgsDisplaySet(zeroFrame, &error));
    EXPECT_EQ(error, "frame size out of range");
    // The object (after the composition's 22 bytes, the window's 13 and the
    // palette's 10) made one pixel narrower than its lines: its width's low
    // byte, eleven bytes in.
    ASSERT_EQ(set[45], '\x15');
    EXPECT_EQ(damaged(56, static_cast<char>(39)), "object line longer than the object");
    // An object fragment announcing fewer bytes than it carries.
    EXPECT_EQ(damaged(54, '\x05'), "object longer than it says");
    EXPECT_FALSE(DecodePgsDisplaySet(""));
}

TEST(PgsSubPicture, WhatASetShowsIsClippedToItsFrameAndBoundedByIt) {
    // A 4096 x 4096 object at (1800, 1000) of a 1920 x 1080 frame: only its
    // 120 x 80 top-left corner lies on the frame.
    const std::string corner =
        testing::PgsSetComposingOneObject(1920, 1080, 4096, 4096, {{1800, 1000}});
    std::string error;
    const auto drawn = DecodePgsDisplaySet(corner, &error);
    ASSERT_TRUE(drawn) << error;
    ASSERT_EQ(drawn->pictures.size(), 1u);
    const PgsObjectPicture& piece = drawn->pictures[0];
    EXPECT_EQ(piece.x, 1800);
    EXPECT_EQ(piece.y, 1000);
    EXPECT_EQ(piece.width, 120);
    EXPECT_EQ(piece.height, 80);
    ASSERT_EQ(piece.argb.size(), 120u * 80u);
    for (const std::uint32_t pixel : piece.argb) ASSERT_TRUE(Green(pixel)) << std::hex << pixel;
    const auto checked = CheckPgsDisplaySet(corner, &error);
    ASSERT_TRUE(checked) << error;
    EXPECT_TRUE(checked->composes);
    EXPECT_FALSE(checked->forced);

    // Placed wholly beyond the frame it shows nothing, and only clears.
    const std::string beyond =
        testing::PgsSetComposingOneObject(1920, 1080, 64, 64, {{1920, 0}, {0, 1080}});
    const auto cleared = DecodePgsDisplaySet(beyond, &error);
    ASSERT_TRUE(cleared) << error;
    EXPECT_TRUE(cleared->pictures.empty());
    ASSERT_TRUE(CheckPgsDisplaySet(beyond));
    EXPECT_FALSE(CheckPgsDisplaySet(beyond)->composes);

    // Two objects side by side fill the frame; the same object over the whole
    // frame 255 times, or 8 times, shows more than a frame holds: damage,
    // found by the check as by the drawing, without 255 frames' worth of pixels.
    const auto halves = DecodePgsDisplaySet(
        testing::PgsSetComposingOneObject(1920, 1080, 960, 1080, {{0, 0}, {960, 0}}), &error);
    ASSERT_TRUE(halves) << error;
    EXPECT_EQ(halves->pictures.size(), 2u);
    for (const size_t times : {size_t{8}, size_t{255}}) {
        const std::string flood = testing::PgsSetComposingOneObject(
            1920, 1080, 4096, 4096, std::vector<std::pair<int, int>>(times, {0, 0}));
        std::string why;
        EXPECT_FALSE(CheckPgsDisplaySet(flood, &why)) << times;
        EXPECT_EQ(why, "display set shows more than its frame") << times;
        why.clear();
        EXPECT_FALSE(DecodePgsDisplaySet(flood, &why)) << times;
        EXPECT_EQ(why, "display set shows more than its frame") << times;
    }
}

TEST(PgsSubPicture, TheCheckFindsWhatTheDrawingFinds) {
    const std::string set =
        testing::PgsDisplaySetBytes(720, 576, 10, 10, 40, 6, kGreenY, kGreenCr, kGreenCb, true);
    const auto checked = CheckPgsDisplaySet(set);
    ASSERT_TRUE(checked);
    EXPECT_TRUE(checked->composes);
    EXPECT_TRUE(checked->forced);
    // Every byte changed in turn: the check and the drawing agree on every
    // set, and on the reason.
    for (size_t at = 0; at < set.size(); ++at)
        for (const int delta : {1, 0x40, 0x80}) {
            std::string bad = set;
            bad[at] = static_cast<char>(bad[at] + delta);
            std::string checkWhy, drawWhy;
            const auto check = CheckPgsDisplaySet(bad, &checkWhy);
            const auto draw = DecodePgsDisplaySet(bad, &drawWhy);
            ASSERT_EQ(check.has_value(), draw.has_value()) << at << " " << delta;
            EXPECT_EQ(checkWhy, drawWhy) << at << " " << delta;
            if (check) {
                EXPECT_EQ(check->composes, !draw->pictures.empty()) << at;
            }
        }
}

}  // namespace
}  // namespace quova

#include "text/dvd_subpicture.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace quova {
namespace {

std::string Unit(std::initializer_list<unsigned char> bytes) {
    std::string out;
    for (const unsigned char b : bytes) out += static_cast<char>(b);
    return out;
}

const std::array<std::uint32_t, 16> kPalette = {0x000000, 0x00FF00, 0x0000FF, 0xFF0000};

// An 8x2 picture at (10, 20), written by hand after the DVD sub-picture
// layout. Top field at 4: a run of 3 in colour 1 (nibble D), then colour 2
// to the line's end (nibbles 0 0 0 2), padded to a byte. Bottom field at 7:
// 8 in colour 3 (0x23). Control sequence at 8: delay 0, next at 32,
// SET_COLOR 3,2,1,0, SET_CONTR F,F,F,0, SET_DAREA 10..17 x 20..21,
// SET_DSPXA 4/7, STA_DSP, end. At 32: delay 100, itself as next, STP_DSP, end.
std::string TwoSequenceUnit() {
    return Unit({0x00, 0x26, 0x00, 0x08, 0xD0, 0x00, 0x20, 0x23, 0x00, 0x00, 0x00, 0x20, 0x03,
                 0x32, 0x10, 0x04, 0xFF, 0xF0, 0x05, 0x00, 0xA0, 0x11, 0x01, 0x40, 0x15, 0x06,
                 0x00, 0x04, 0x00, 0x07, 0x01, 0xFF, 0x00, 0x64, 0x00, 0x20, 0x02, 0xFF});
}

TEST(DvdSubPicture, AHandWrittenUnitGivesItsPixelsPlaceAndTimes) {
    std::string error;
    const auto picture = DecodeDvdSubPicture(TwoSequenceUnit(), kPalette, &error);
    ASSERT_TRUE(picture) << error;
    EXPECT_EQ(picture->x, 10);
    EXPECT_EQ(picture->y, 20);
    EXPECT_EQ(picture->width, 8);
    EXPECT_EQ(picture->height, 2);
    EXPECT_DOUBLE_EQ(picture->start, 0.0);
    // 100 units of 1024 ticks of the 90 kHz clock.
    EXPECT_NEAR(picture->stop, 100 * 1024 / 90000.0, 1e-9);
    EXPECT_FALSE(picture->forced);
    const std::vector<std::uint32_t> expected = {0xFF00FF00, 0xFF00FF00, 0xFF00FF00, 0xFF0000FF,
                                                 0xFF0000FF, 0xFF0000FF, 0xFF0000FF, 0xFF0000FF,
                                                 0xFFFF0000, 0xFFFF0000, 0xFFFF0000, 0xFFFF0000,
                                                 0xFFFF0000, 0xFFFF0000, 0xFFFF0000, 0xFFFF0000};
    EXPECT_EQ(picture->argb, expected);

    // A single sequence that never stops, with colour 0 transparent: a 4x2
    // picture of colour 1 at the origin, forced.
    const auto single =
        DecodeDvdSubPicture(Unit({0x00, 0x1E, 0x00, 0x06, 0x11, 0x11, 0x00, 0x00, 0x00, 0x06,
                                  0x03, 0x32, 0x10, 0x04, 0xFF, 0xF0, 0x05, 0x00, 0x00, 0x03,
                                  0x00, 0x00, 0x01, 0x06, 0x00, 0x04, 0x00, 0x05, 0x00, 0xFF}),
                            kPalette, &error);
    ASSERT_TRUE(single) << error;
    EXPECT_EQ(single->width, 4);
    EXPECT_EQ(single->height, 2);
    EXPECT_LT(single->stop, 0);
    EXPECT_TRUE(single->forced);
    EXPECT_EQ(single->argb, std::vector<std::uint32_t>(8, 0xFF00FF00));
}

TEST(DvdSubPicture, DamagedUnitsGiveNothingAndAReason) {
    const std::string good = TwoSequenceUnit();
    // Cut anywhere, with the size as written or made to match the cut.
    for (size_t n = 0; n < good.size(); ++n) {
        std::string cut = good.substr(0, n);
        EXPECT_FALSE(DecodeDvdSubPicture(cut, kPalette)) << n;
        if (n >= 2) {
            cut[0] = static_cast<char>(n >> 8);
            cut[1] = static_cast<char>(n & 0xFF);
            std::string error;
            EXPECT_FALSE(DecodeDvdSubPicture(cut, kPalette, &error)) << n;
            EXPECT_FALSE(error.empty()) << n;
        }
    }
    const auto patched = [&](size_t at, std::initializer_list<unsigned char> bytes) {
        std::string unit = good;
        for (const unsigned char b : bytes) unit[at++] = static_cast<char>(b);
        return unit;
    };
    for (const std::string& bad : {
             patched(2, {0xFF, 0xF0}),         // control sequence past the end
             patched(2, {0x00, 0x02}),         // control sequence inside the header
             patched(26, {0x00, 0xFF}),        // top field past the picture data
             patched(10, {0x00, 0x04}),        // next sequence goes back
             patched(30, {0x07}),              // a command no unit has
             patched(19, {0x01, 0x00, 0x00}),  // area ends before it starts
             patched(22, {0x00, 0x0F, 0xFF}),  // area taller than any picture
             patched(7, {0x00}),               // bottom field runs into the controls
             patched(25, {0xFF}),              // no field offsets
         }) {
        std::string error;
        EXPECT_FALSE(DecodeDvdSubPicture(bad, kPalette, &error));
        EXPECT_FALSE(error.empty());
    }
}

TEST(DvdSubPicture, TheCheckReadsWhatTheDrawingReadsWithoutPixels) {
    const std::string good = TwoSequenceUnit();
    std::string error;
    const auto checked = CheckDvdSubPicture(good, &error);
    ASSERT_TRUE(checked) << error;
    EXPECT_EQ(checked->x, 10);
    EXPECT_EQ(checked->y, 20);
    EXPECT_EQ(checked->width, 8);
    EXPECT_EQ(checked->height, 2);
    EXPECT_NEAR(checked->stop, 100 * 1024 / 90000.0, 1e-9);
    EXPECT_TRUE(checked->argb.empty());
    // Every byte changed in turn: the check and the drawing agree on every
    // unit, and on the reason.
    for (size_t at = 0; at < good.size(); ++at)
        for (const int delta : {1, 0x10, 0x80}) {
            std::string bad = good;
            bad[at] = static_cast<char>(bad[at] + delta);
            std::string checkWhy, drawWhy;
            const auto check = CheckDvdSubPicture(bad, &checkWhy);
            const auto draw = DecodeDvdSubPicture(bad, kPalette, &drawWhy);
            ASSERT_EQ(check.has_value(), draw.has_value()) << at << " " << delta;
            EXPECT_EQ(checkWhy, drawWhy) << at << " " << delta;
            if (check) {
                EXPECT_EQ(check->start, draw->start) << at;
            }
        }
}

TEST(DvdSubPicture, TheTracksPaletteAndFrameComeFromItsIndexText) {
    const std::string index =
        "# VobSub index file, v7 (do not modify this line!)\r\nsize: 720x480\r\n"
        "palette: 000000, ffffff, 808080, 1A2b3C, ff0000, 00ff00, 0000ff, 111111, 222222, "
        "333333, 444444, 555555, 666666, 777777, 888888, 999999\r\n";
    const auto palette = VobSubPalette(index);
    ASSERT_TRUE(palette);
    EXPECT_EQ((*palette)[0], 0x000000u);
    EXPECT_EQ((*palette)[1], 0xFFFFFFu);
    EXPECT_EQ((*palette)[3], 0x1A2B3Cu);
    EXPECT_EQ((*palette)[6], 0x0000FFu);
    EXPECT_EQ((*palette)[15], 0x999999u);
    EXPECT_FALSE(VobSubPalette("size: 720x480\n"));
    EXPECT_FALSE(VobSubPalette("palette: 000000, ffffff\n"));
    EXPECT_FALSE(VobSubPalette("palette: " + std::string(16 * 8, ',') + "\n"));
    std::string seventeen = "palette: 0";
    for (int k = 0; k < 16; ++k) seventeen += ", 0";
    EXPECT_FALSE(VobSubPalette(seventeen));
    EXPECT_FALSE(VobSubPalette("palette: 00000g" + std::string(15, ',')));
    EXPECT_FALSE(VobSubPalette("palette: 1234567, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0"));

    EXPECT_EQ(VobSubFrameSize(index), (std::pair{720, 480}));
    EXPECT_EQ(VobSubFrameSize("palette: 0\nsize:1920 X 1080"), (std::pair{1920, 1080}));
    for (const char* bad : {"palette: 0\n", "size: 720\n", "size: x576\n", "size: 720x\n",
                            "size: 0x576\n", "size: 720x576x2\n", "size: -720x576\n",
                            "size: 720x99999999999999999999\n", "size: 4097x10\n"})
        EXPECT_FALSE(VobSubFrameSize(bad)) << bad;
}

}  // namespace
}  // namespace quova

#include "app/video_layout.h"

#include <gtest/gtest.h>

#include "app/video_commands.h"

namespace quova {
namespace {

// A 478 x 340 window without a frame holding a 320 x 240 picture, OSD off.
LayoutState Playing() {
    LayoutState s;
    s.sourceWidth = 320;
    s.sourceHeight = 240;
    s.graphOpen = true;
    s.hasVideoWindow = true;
    s.windowWidth = 478;
    s.windowHeight = 340;
    s.osdLineHeight = 17;
    return s;
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundHalfEven(82.5), 82);
    EXPECT_EQ(RoundHalfEven(83.5), 84);
    EXPECT_EQ(RoundHalfEven(-0.5), 0);
    EXPECT_EQ(RoundHalfEven(-1.5), -2);
    EXPECT_EQ(RoundHalfEven(2.4999), 2);
    EXPECT_EQ(RoundHalfEven(2.5001), 3);
}

TEST(TextBand, TheSixCellsOfTheTable) {
    // L = 17 + 1.
    EXPECT_EQ(ComputeTextBand(17, true, SubtitlePlace::Below), (TextBand{72, -18}));
    EXPECT_EQ(ComputeTextBand(17, false, SubtitlePlace::Below), (TextBand{54, -35}));
    EXPECT_EQ(ComputeTextBand(17, true, SubtitlePlace::Over), (TextBand{36, 0}));
    EXPECT_EQ(ComputeTextBand(17, false, SubtitlePlace::Over), (TextBand{18, -18}));
    EXPECT_EQ(ComputeTextBand(17, true, SubtitlePlace::None), (TextBand{36, 0}));
    EXPECT_EQ(ComputeTextBand(17, false, SubtitlePlace::None), (TextBand{0, 0}));
    // Subtitles drawn into the picture need no band of their own.
    EXPECT_EQ(ComputeTextBand(17, true, SubtitlePlace::On), (TextBand{36, 0}));
    EXPECT_EQ(ComputeTextBand(17, false, SubtitlePlace::On), (TextBand{0, 0}));
}

TEST(LayoutVideo, CentresTheNativeSizeAtZoomOne) {
    const Placement p = LayoutVideo(Playing());
    EXPECT_TRUE(p.placed);
    EXPECT_FALSE(p.resizeWindow);
    EXPECT_EQ(p.video, (PlacementRect{79, 50, 320, 240}));
    EXPECT_EQ(p.videoTop, 50);
    EXPECT_FALSE(p.crop);
    EXPECT_EQ(p.volumeTop, 85);
    EXPECT_EQ(p.volumeHeight, 170);
}

TEST(LayoutVideo, SizesDropToMultiplesOfEightAfterCentringOnTheExactSize) {
    LayoutState s = Playing();
    s.windowWidth = 500;
    s.windowHeight = 400;
    s.sourceWidth = 333;
    s.sourceHeight = 250;
    // x = round((500 - 333) / 2) = round(83.5) = 84, then 333 -> 328, 250 -> 248.
    EXPECT_EQ(LayoutVideo(s).video, (PlacementRect{84, 75, 328, 248}));
    s.sourceWidth = 335;
    // round(82.5) = 82.
    EXPECT_EQ(LayoutVideo(s).video, (PlacementRect{82, 75, 328, 248}));
}

TEST(LayoutVideo, ZoomIsClampedAndDoublesThePicture) {
    LayoutState s = Playing();
    s.zoom = 2.0;
    // Centred on 640 x 480 in 478 x 340: the picture spills over every edge.
    EXPECT_EQ(LayoutVideo(s).video, (PlacementRect{-81, -70, 640, 480}));

    // Zoom in from 6.0 gives 6.1, which the layout takes back to 6.0.
    s.zoom = ZoomedIn(6.0);
    EXPECT_DOUBLE_EQ(LayoutVideo(s).zoom, 6.0);
    // Zoom out from 0.15 gives 0.05, which the layout raises to 0.1.
    s.zoom = ZoomedOut(0.15);
    EXPECT_NEAR(s.zoom, 0.05, 1e-9);
    EXPECT_DOUBLE_EQ(LayoutVideo(s).zoom, 0.1);
    // At exactly 0.1 zoom out does nothing.
    EXPECT_EQ(ZoomedOut(0.1), 0.1);
    EXPECT_NEAR(ZoomedIn(1.0), 1.1, 1e-12);
}

TEST(LayoutVideo, ZoomCommandsWaitWhileTheWindowIsFilled) {
    EXPECT_TRUE(ZoomCommandsAllowed(false, false));
    EXPECT_TRUE(ZoomCommandsAllowed(false, true));
    EXPECT_TRUE(ZoomCommandsAllowed(true, true));
    EXPECT_FALSE(ZoomCommandsAllowed(true, false));
}

TEST(LayoutVideo, ZoomToWindowFillsTheClientArea) {
    LayoutState s = Playing();
    s.zoomToWindow = true;
    s.windowWidth = 1000;
    s.windowHeight = 600;
    // Relatively narrower picture: full height, width from the ratio.
    EXPECT_EQ(LayoutVideo(s).video, (PlacementRect{100, 0, 800, 600}));
    s.windowWidth = 800;
    s.windowHeight = 700;
    // Relatively wider: full width; h = 600, y = round(100 / 2).
    EXPECT_EQ(LayoutVideo(s).video, (PlacementRect{0, 50, 800, 600}));
    // "Resize to Media" takes the size from the media again, except in full screen.
    s.resizeToMedia = true;
    EXPECT_EQ(LayoutVideo(s).video.width, 320);
    s.fullScreen = true;
    EXPECT_EQ(LayoutVideo(s).video, (PlacementRect{0, 50, 800, 600}));
}

TEST(LayoutVideo, ResizeToMediaSizesTheWindowAroundPictureAndBand) {
    LayoutState s = Playing();
    s.resizeToMedia = true;
    s.osdOn = true;  // band 36, offset 0
    s.zoom = 2.0;
    s.frameWidth = 4;
    s.frameHeight = 6;
    const Placement p = LayoutVideo(s);
    EXPECT_TRUE(p.resizeWindow);
    EXPECT_EQ(p.windowWidth, 644);
    EXPECT_EQ(p.windowHeight, 6 + 480 + 36);
    EXPECT_EQ(p.video, (PlacementRect{0, 18, 640, 480}));
    // A tiny picture still leaves the window 160 x 80.
    s.zoom = 0.1;
    s.osdOn = false;
    const Placement small = LayoutVideo(s);
    EXPECT_EQ(small.windowWidth, 160);
    EXPECT_EQ(small.windowHeight, 80);
    // In full screen the window keeps its size.
    s.fullScreen = true;
    EXPECT_FALSE(LayoutVideo(s).resizeWindow);
}

TEST(LayoutVideo, AWindowBelowTheLeastSizeGrowsToIt) {
    LayoutState s = Playing();
    s.windowWidth = 100;
    s.windowHeight = 50;
    const Placement p = LayoutVideo(s);
    EXPECT_TRUE(p.resizeWindow);
    EXPECT_EQ(p.windowWidth, 160);
    EXPECT_EQ(p.windowHeight, 80);
    EXPECT_EQ(FormCanResize({10, 500}), (WindowSize{160, 500}));
    EXPECT_EQ(FormCanResize({300, 79}), (WindowSize{300, 80}));
}

TEST(LayoutVideo, PanAndBandOffsetMoveThePicture) {
    LayoutState s = Playing();
    s.panX = -10;
    s.panY = 20;
    s.subtitles = SubtitlePlace::Below;  // OSD off: band 54, offset -35
    // A = 478 / (340 - 54) = 1.67 > 1.33: h = 240, y = round(100 / 2) + 20 - 35.
    const Placement p = LayoutVideo(s);
    EXPECT_EQ(p.video, (PlacementRect{69, 35, 320, 240}));
    EXPECT_EQ(p.videoTop, 35);
}

TEST(LayoutVideo, CropSetsSourceAndDestination) {
    LayoutState s = Playing();
    const CropResult c = ClampCrop(8, 4, 320, 240);
    s.cropX = c.cropX;
    s.cropY = c.cropY;
    s.sourceWidth = c.sourceWidth;
    s.sourceHeight = c.sourceHeight;
    const Placement p = LayoutVideo(s);
    ASSERT_TRUE(p.crop);
    EXPECT_EQ(p.source, (PlacementRect{8, 4, 304, 232}));
    EXPECT_EQ(p.destination, (PlacementRect{0, 0, 304, 232}));
    EXPECT_EQ(p.video, (PlacementRect{87, 54, 304, 232}));
}

TEST(LayoutVideo, CropPastHalfThePictureClampsAndKeepsTheOldPlacement) {
    const CropResult c = ClampCrop(361, 0, 720, 576);
    EXPECT_EQ(c.cropX, 360);
    EXPECT_EQ(c.sourceWidth, 0);
    EXPECT_EQ(c.sourceHeight, 576);
    LayoutState s = Playing();
    s.cropX = c.cropX;
    s.sourceWidth = c.sourceWidth;
    s.sourceHeight = c.sourceHeight;
    const Placement p = LayoutVideo(s);
    EXPECT_TRUE(p.failed);
    EXPECT_FALSE(p.placed);
    // Less than nothing is no crop.
    EXPECT_EQ(ClampCrop(-1, -3, 720, 576).cropY, 0);
    EXPECT_EQ(ClampCrop(-1, -3, 720, 576).sourceWidth, 720);
}

// Each axis stops at half its own side, whichever side is the longer: a
// crop taken against the wrong side shows only on a picture that is not square.
TEST(LayoutVideo, EachCropAxisStopsAtHalfItsOwnSideOnEitherOrientation) {
    struct Case {
        int cropX, cropY, width, height;
        CropResult want;
    };
    const Case cases[] = {
        // Landscape 720 x 576: half the width 360, half the height 288.
        {359, 0, 720, 576, {359, 0, 2, 576}},
        {360, 0, 720, 576, {360, 0, 0, 576}},
        {361, 0, 720, 576, {360, 0, 0, 576}},
        {0, 287, 720, 576, {0, 287, 720, 2}},
        {0, 288, 720, 576, {0, 288, 720, 0}},
        {0, 289, 720, 576, {0, 288, 720, 0}},
        // Portrait 576 x 720: the same numbers on the other axes.
        {0, 359, 576, 720, {0, 359, 576, 2}},
        {0, 360, 576, 720, {0, 360, 576, 0}},
        {0, 361, 576, 720, {0, 360, 576, 0}},
        {287, 0, 576, 720, {287, 0, 2, 720}},
        {288, 0, 576, 720, {288, 0, 0, 720}},
        {289, 0, 576, 720, {288, 0, 0, 720}},
        // Both at once, each by its own side; odd sides leave one pixel.
        {300, 300, 576, 720, {288, 300, 0, 120}},
        {160, 121, 321, 241, {160, 120, 1, 1}},
        {161, 121, 321, 241, {160, 120, 1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << c.cropX << "," << c.cropY << " on " << c.width << "x" << c.height);
        const CropResult r = ClampCrop(c.cropX, c.cropY, c.width, c.height);
        EXPECT_EQ(r.cropX, c.want.cropX);
        EXPECT_EQ(r.cropY, c.want.cropY);
        EXPECT_EQ(r.sourceWidth, c.want.sourceWidth);
        EXPECT_EQ(r.sourceHeight, c.want.sourceHeight);
        LayoutState s = Playing();
        s.cropX = r.cropX;
        s.cropY = r.cropY;
        s.sourceWidth = r.sourceWidth;
        s.sourceHeight = r.sourceHeight;
        const Placement p = LayoutVideo(s);
        // Nothing left on either axis: the renderer would refuse it.
        EXPECT_EQ(p.failed, r.sourceWidth == 0 || r.sourceHeight == 0);
        if (!p.failed) {
            EXPECT_EQ(p.source, (PlacementRect{r.cropX, r.cropY, r.sourceWidth, r.sourceHeight}));
        }
    }
}

// A picture taller than wide, in windows wider and narrower than it.
TEST(LayoutVideo, APortraitPictureIsCentredOnBothAxes) {
    LayoutState s = Playing();
    s.sourceWidth = 240;
    s.sourceHeight = 320;
    // 478 x 340: x = round(238 / 2) = 119, y = round(20 / 2) = 10.
    EXPECT_EQ(LayoutVideo(s).video, (PlacementRect{119, 10, 240, 320}));
    s.zoomToWindow = true;
    // Relatively narrower than the window: full height 340, w = round(340 * 0.75) = 255
    // -> 248 after centring at round(223 / 2) = 112 (half to even).
    EXPECT_EQ(LayoutVideo(s).video, (PlacementRect{112, 0, 248, 336}));
    // A narrow, tall window 200 x 600: full width, h = round(200 / 0.75) = 267 -> 264,
    // y = round(333 / 2) = 166 (half to even).
    s.windowWidth = 200;
    s.windowHeight = 600;
    EXPECT_EQ(LayoutVideo(s).video, (PlacementRect{0, 166, 200, 264}));
    // Cropped on its long axis only.
    s.zoomToWindow = false;
    s.cropY = 40;
    s.sourceHeight = 240;
    const Placement p = LayoutVideo(s);
    EXPECT_EQ(p.source, (PlacementRect{0, 40, 240, 240}));
    EXPECT_EQ(p.video, (PlacementRect{-20, 180, 240, 240}));
}

TEST(LayoutVideo, WithoutGraphOrVideoWindowNothingIsPlaced) {
    LayoutState s = Playing();
    s.osdOn = true;
    s.graphOpen = false;
    Placement p = LayoutVideo(s);
    EXPECT_FALSE(p.placed);
    EXPECT_EQ(p.videoTop, 18);  // the band's own
    s.graphOpen = true;
    s.hasVideoWindow = false;
    p = LayoutVideo(s);
    EXPECT_FALSE(p.placed);
    EXPECT_FALSE(p.failed);
    EXPECT_EQ(p.videoTop, 0);
    // A picture smaller than 8 pixels is hidden, not failed.
    s = Playing();
    s.sourceWidth = 60;
    s.sourceHeight = 40;
    s.zoom = 0.1;
    p = LayoutVideo(s);
    EXPECT_FALSE(p.placed);
    EXPECT_FALSE(p.failed);
    EXPECT_EQ(p.videoTop, 0);
}

TEST(LayoutVideo, AspectStretchesTheWidth) {
    LayoutState s = Playing();
    s.aspect = kRevert43To169;
    // R = 1.8 > A = 1.406: w = 320, h = round(320 / 1.8) = 178 -> 176.
    EXPECT_EQ(LayoutVideo(s).video, (PlacementRect{79, 81, 320, 176}));
}

TEST(AspectCommands, FactorsFromScreenWindowAndHeader) {
    EXPECT_DOUBLE_EQ(*AspectFor(1024, 768, 320, 240), 1.0);
    EXPECT_DOUBLE_EQ(*AspectFor(1920, 1080, 640, 480), (16.0 / 9) / (4.0 / 3));
    EXPECT_FALSE(AspectFor(1024, 768, 0, 240));
    EXPECT_FALSE(AspectFor(1024, 768, 320, 0));
    EXPECT_FALSE(HeaderAspect(320, 240, 320, 240));  // no change, item disabled
    EXPECT_FALSE(HeaderAspect(0, 0, 320, 240));
    EXPECT_DOUBLE_EQ(*HeaderAspect(768, 576, 720, 576), (768.0 / 576) / (720.0 / 576));
    EXPECT_DOUBLE_EQ(StretchedWidth(0.99), 1.0);
    EXPECT_DOUBLE_EQ(CompressedWidth(1.0), 0.99);
}

TEST(GeometryTexts, ZoomAndCropStatus) {
    EXPECT_EQ(ZoomOsdText(2.0), "zoom: 2 x");
    EXPECT_EQ(ZoomOsdText(0.5), "zoom: 0.5 x");
    EXPECT_EQ(ZoomOsdText(ZoomedIn(1.0)), "zoom: 1.1 x");
    EXPECT_EQ(ZoomOsdText(1.23456), "zoom: 1.235 x");
    EXPECT_EQ(CropOsdText(8, 0), "crop: 8 x 0");
}

TEST(SeekBar, MarginsAndButtons) {
    // m = 478 / 8 = 59, k = 6 * 16 - 4 = 92: left 59 - 11, width 478 - 118 - 92.
    EXPECT_EQ(PlaceSeekBar(478, 16), (SeekBarPlace{48, 268}));
}

}  // namespace
}  // namespace quova

#include "text/subtitle_overlay.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QFontMetrics>

#include "tests/app/qt_support.h"

namespace quova {
namespace {

TEST(MovieSubtitle, LinesStackUpFromALineAboveThePicturesBottom) {
    // A 240-pixel picture at 10 in a 300-pixel client area: its bottom is
    // 240 in its own window; the last line ends 21 above, the first 21 higher.
    EXPECT_EQ(MovieSubtitleLineBottoms(2, 20, 10, 240, 300), (std::vector<int>{198, 219}));
    EXPECT_EQ(MovieSubtitleLineBottoms(1, 20, 10, 240, 300), (std::vector<int>{219}));
    // A picture running 100 pixels below the client area counts half of them.
    EXPECT_EQ(MovieSubtitleLineBottoms(1, 20, 0, 400, 300), (std::vector<int>{350 - 21}));
    EXPECT_TRUE(MovieSubtitleLineBottoms(0, 20, 0, 400, 300).empty());
}

TEST(MovieSubtitle, WhiteLinesOverBlackShadowsCentredOnATransparentGround) {
    testing::App();
    QFont font("DejaVu Sans");
    font.setPixelSize(20);
    const int line = QFontMetrics(font).height();
    QPoint at;
    EXPECT_TRUE(RenderMovieSubtitle("", font, 10, 320, 240, 300, &at).isNull());
    const QImage image = RenderMovieSubtitle("Hello|World", font, 10, 320, 240, 300, &at);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), 320);
    // The first line's top (with the white's shift) to the last's bottom.
    const std::vector<int> bottoms = MovieSubtitleLineBottoms(2, line, 10, 240, 300);
    EXPECT_EQ(at, QPoint(0, bottoms.front() - line - 1));
    EXPECT_EQ(at.y() + image.height(), bottoms.back() + 2);

    int white = 0, black = 0, clear = 0;
    long xSum = 0;
    int topWhite = image.height(), bottomWhite = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qAlpha(p) == 0) {
                ++clear;
            } else if (qRed(p) > 200 && qGreen(p) > 200 && qBlue(p) > 200) {
                ++white;
                xSum += x;
                topWhite = std::min(topWhite, y);
                bottomWhite = std::max(bottomWhite, y);
            } else if (qAlpha(p) > 200 && qRed(p) < 50) {
                ++black;
            }
        }
    }
    EXPECT_GT(white, 50);
    EXPECT_GT(black, 20) << "the shadow shows beside the white";
    EXPECT_GT(clear, image.width() * image.height() / 2) << "the picture shows around the text";
    EXPECT_NEAR(static_cast<double>(xSum) / white, 160.0, 12.0) << "centred";
    // Both lines: white in the upper and the lower half.
    EXPECT_LT(topWhite, line);
    EXPECT_GT(bottomWhite, image.height() - line);
}

}  // namespace
}  // namespace quova

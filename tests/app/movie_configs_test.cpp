#include "app/movie_configs.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QMouseEvent>

#include "app/settings.h"
#include "app/subtitle_box.h"
#include "graph/graph_state.h"
#include "playback/player_session.h"
#include "tests/app/qt_support.h"
#include "tests/support/temp_dir.h"
#include "text/subtitle_display.h"
#include "text/subtitle_timetable.h"

namespace quova {
namespace {

using testing::TempDir;
using testing::WriteFile;

TEST(ReadConfigs, AnyEntrySwitchesSaveOnExitOffAndTheValuesApply) {
    PlayerSession session;
    TempDir dir;
    AppSettings() = Settings{};
    session.subtitles = SubtitleTimetable{};
    session.subtitleBoxOffsetY = 0;
    const std::string movie = (dir / "film.avi").string();
    // What reaches the window, counted; the picture keeps no crop.
    struct Counted final : MovieConfigHost {
        int disabled = 0, layouts = 0, fonts = 0;
        void FontChanged() override { ++fonts; }
        void SaveOnExitDisabled() override { ++disabled; }
        void ApplyCrop(int, int) override {}
        double Aspect() const override { return 1.0; }
        void SetAspect(double) override {}
        void SwitchFullScreen() override {
            AppSettings().FullScreenMode = !AppSettings().FullScreenMode;
        }
        void LayoutVideo() override { ++layouts; }
        std::pair<int, int> Crop() const override { return {0, 0}; }
    } window;
    const int& disabled = window.disabled;
    const int& layouts = window.layouts;
    const int& fonts = window.fonts;

    ReadConfigs(session, movie, window);  // no file: nothing at all
    WriteFile(dir / "film.ini", "[CONFIG]\n");
    ReadConfigs(session, movie, window);  // an empty section: nothing either
    EXPECT_TRUE(AppSettings().SaveOnExit);
    EXPECT_EQ(layouts, 0);

    WriteFile(dir / "film.ini",
              "[CONFIG]\nsubtitlesspeed=125\nsubtitlesoffset=-4\nfontbold=1\nosd=1\n"
              "subtitlesovermovie-y=-12\n");
    AppSettings().Font.italic = true;
    ReadConfigs(session, movie, window);
    EXPECT_FALSE(AppSettings().SaveOnExit);
    EXPECT_EQ(disabled, 1);
    EXPECT_EQ(layouts, 1);
    EXPECT_EQ(fonts, 1);
    EXPECT_TRUE(AppSettings().OsdOn);
    EXPECT_TRUE(AppSettings().Font.bold);
    EXPECT_FALSE(AppSettings().Font.italic);
    EXPECT_DOUBLE_EQ(session.subtitles.SubtitleSpeed, 1.25);
    EXPECT_EQ(session.subtitles.SubtitleOffset, -4);
    EXPECT_EQ(session.subtitleBoxOffsetY, -12);
    AppSettings() = Settings{};
    session.subtitleBoxOffsetY = 0;
}

TEST(SubtitleBox, StandsUnderThePictureAndFollowsTheDrag) {
    PlayerSession session;
    // Two lines of 20-pixel text under a picture from 10 to 250.
    const SubtitleBoxPlace place = PlaceSubtitleBox(2, 100, 10, 240, 400, 20, 8, 0);
    EXPECT_EQ(place.height, 42);
    EXPECT_EQ(place.width, 108);
    EXPECT_EQ(place.top, 10 + 240 + 2 - 20);
    EXPECT_EQ(place.left, 200 - 54);

    testing::App();
    QWidget window;
    window.resize(400, 300);
    auto* panel = new QLabel(&window);
    window.show();
    session.subtitleBoxOffsetY = 0;
    DrawSubtitleBox(session, panel, "Hello|World", QFont("Arial"), Qt::white, 10, 240, 20, 8);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->text(), "Hello\nWorld");
    const int top = panel->y();

    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 10), QPointF(5, 10), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 4), QPointF(5, 4), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 4), QPointF(5, 4), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    EXPECT_FALSE(SubtitleBoxMouse(session, &press));
    EXPECT_TRUE(SubtitleBoxMouse(session, &move));
    EXPECT_EQ(session.subtitleBoxOffsetY, -6);
    // The box moved up 6; the pointer going up 6 more is again at 4 in it.
    EXPECT_TRUE(SubtitleBoxMouse(session, &move));
    EXPECT_EQ(session.subtitleBoxOffsetY, -12);
    QMouseEvent still(QEvent::MouseMove, QPointF(5, 10), QPointF(5, 10), Qt::NoButton,
                      Qt::LeftButton, Qt::NoModifier);
    EXPECT_FALSE(SubtitleBoxMouse(session, &still));  // back on the pressed point: the box stays
    EXPECT_FALSE(SubtitleBoxMouse(session, &release));
    EXPECT_EQ(session.subtitleBoxOffsetY, -12);
    EXPECT_FALSE(SubtitleBoxMouse(session, &move));  // released: no drag
    DrawSubtitleBox(session, panel, "Hello|World", QFont("Arial"), Qt::white, 10, 240, 20, 8);
    EXPECT_EQ(panel->y(), top - 12);
    DrawSubtitleBox(session, panel, "", QFont("Arial"), Qt::white, 10, 240, 20, 8);
    EXPECT_FALSE(panel->isVisible());
    session.subtitleBoxOffsetY = 0;
}

}  // namespace
}  // namespace quova

#include "text/subtitle_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "playback/player_session.h"
#include "tests/support/fake_ui.h"
#include "tests/support/player_state.h"
#include "tests/support/temp_dir.h"
#include "text/subtitle_display.h"
#include "text/subtitle_timetable.h"

namespace quova {
namespace {

using testing::TempDir;
using testing::WriteFile;

// A movie with a SubRip file beside it, the settings of the window's side,
// and every drawing and message recorded.
struct CommandsFixture : ::testing::Test {
    PlayerSession session;

    CommandsFixture() {
        WriteFile(dir / "film.srt",
                  "1\r\n00:00:10,000 --> 00:00:12,000\r\n[door slams]|Hello\r\n\r\n");
        ui.mediaFileOpen = true;
        ui.movieName = (dir / "film.avi").string();
        ui.duration = 60.0;
        ui.frameRate = 25.0;
        ui.position = 10.0;
        testing::ResetPlayerState(session);
        LoadSubtitlesForMovie(session);
        ui.osdShown.clear();
    }
    bool& Option(SubtitleOption option) { return ui.Option(option); }

    TempDir dir;
    testing::FakeUi ui{session};
    std::vector<std::string>& drawn = ui.drawn;
    std::vector<std::string>& osd = ui.osdShown;
    std::vector<int>& tips = ui.tips;
};

TEST_F(CommandsFixture, TheDueTextIsDrawnOnceAndSoundsRedrawIt) {
    ShowSubtitleDueNow(session);
    ShowSubtitleDueNow(session);  // unchanged: not drawn again
    EXPECT_EQ(drawn, std::vector<std::string>{"Hello"});
    Sounds1Click(session);
    EXPECT_EQ(drawn.back(), "[door slams]|Hello");
    EXPECT_EQ(osd.back(), "subtitle sounds on");
    ui.position = 14.0;  // the end mark stands two seconds after the end
    ShowSubtitleDueNow(session);
    EXPECT_EQ(session.currentSubtitleText, "");
}

TEST_F(CommandsFixture, SubtitlesOffClearsAndOnReloads) {
    ShowSubtitleDueNow(session);
    Subtitles1Click(session);
    EXPECT_FALSE(Option(SubtitleOption::SubtitlesOn));
    EXPECT_EQ(osd.back(), "subtitles off");
    osd.clear();
    EXPECT_EQ(drawn.back(), "");
    Subtitles1Click(session);
    EXPECT_TRUE(Option(SubtitleOption::SubtitlesOn));
    EXPECT_EQ(drawn.back(), "Hello");
    EXPECT_EQ(osd, (std::vector<std::string>{"subtitles on", "Subtitles: 2"}));
}

TEST_F(CommandsFixture, SwitchingTheModeClearsInTheOldAndDrawsInTheNew) {
    ShowSubtitleDueNow(session);
    SubtitlesoverMovie1Click(session);
    EXPECT_EQ(tips, std::vector<int>{29});
    EXPECT_EQ(std::vector<std::string>(drawn.end() - 2, drawn.end()),
              (std::vector<std::string>{"", "Hello"}));
    const auto over = static_cast<size_t>(SubtitleOption::SubtitlesOverMovie);
    const auto& modes = ui.optionsAtDraw;
    EXPECT_EQ((std::vector<bool>{modes[modes.size() - 2][over], modes.back()[over]}),
              (std::vector<bool>{false, true}));
}

TEST_F(CommandsFixture, ChaptersOnSubtitlesReloadsWithOrWithoutTheTitles) {
    WriteFile(dir / "film.ini", "[CHAPTERS]\n1=250 Intro\n");
    ChaptersonSubtitles1Click(session);  // off: subtitles alone
    EXPECT_EQ(osd.at(0), "Chapters on Subtitles off");
    EXPECT_EQ(drawn.back(), "Hello");
    ChaptersonSubtitles1Click(session);  // on: the title joins the subtitle at 10 s
    // The sound note goes, its line stays empty.
    EXPECT_EQ(drawn.back(), "(Intro)||Hello");
}

}  // namespace
}  // namespace quova

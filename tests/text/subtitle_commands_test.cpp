#include "text/subtitle_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "text/subtitle_display.h"
#include "text/subtitle_timetable.h"

namespace quova {
namespace {

using testing::TempDir;
using testing::WriteFile;

// A movie with a SubRip file beside it, the commands' hooks pointing at
// plain options, and every drawing and message recorded.
struct CommandsFixture : ::testing::Test {
    CommandsFixture() {
        WriteFile(dir / "film.srt",
                  "1\r\n00:00:10,000 --> 00:00:12,000\r\n[door slams]|Hello\r\n\r\n");
        SubtitleCommandHooks& h = SubtitleCommands();
        h = SubtitleCommandHooks{};
        h.SubtitlesOn = &subtitlesOn;
        h.SubtitleSounds = &sounds;
        h.ChaptersOnSubtitles = &chapters;
        h.SubtitlesOnMovie = &onMovie;
        h.SubtitlesOverMovie = &overMovie;
        h.MediaFileOpen = [] { return true; };
        h.MovieName = [this] { return (dir / "film.avi").string(); };
        h.Duration = [] { return 60.0; };
        h.FrameRate = [] { return 25.0; };
        h.Position = [this](double& s) {
            s = position;
            return true;
        };
        h.Draw = [this](const std::string& t) { drawn.push_back(t); };
        h.ShowOsdMessage = [this](const std::string& m) { osd.push_back(m); };
        h.ShowTip = [this](int tip) { tips.push_back(tip); };
        CurrentSubtitleText.clear();
        LoadSubtitlesForMovie();
        osd.clear();
    }
    ~CommandsFixture() override { SubtitleCommands() = SubtitleCommandHooks{}; }

    TempDir dir;
    bool subtitlesOn = true, sounds = false, chapters = true, onMovie = false, overMovie = false;
    double position = 10.0;
    std::vector<std::string> drawn, osd;
    std::vector<int> tips;
};

TEST_F(CommandsFixture, TheDueTextIsDrawnOnceAndSoundsRedrawIt) {
    ShowSubtitleDueNow();
    ShowSubtitleDueNow();  // unchanged: not drawn again
    EXPECT_EQ(drawn, std::vector<std::string>{"Hello"});
    Sounds1Click();
    EXPECT_EQ(drawn.back(), "[door slams]|Hello");
    EXPECT_EQ(osd.back(), "subtitle sounds on");
    position = 14.0;  // the end mark stands two seconds after the end
    ShowSubtitleDueNow();
    EXPECT_EQ(CurrentSubtitleText, "");
}

TEST_F(CommandsFixture, SubtitlesOffClearsAndOnReloads) {
    ShowSubtitleDueNow();
    Subtitles1Click();
    EXPECT_FALSE(subtitlesOn);
    EXPECT_EQ(osd.back(), "subtitles off");
    osd.clear();
    EXPECT_EQ(drawn.back(), "");
    Subtitles1Click();
    EXPECT_TRUE(subtitlesOn);
    EXPECT_EQ(drawn.back(), "Hello");
    EXPECT_EQ(osd, (std::vector<std::string>{"subtitles on", "Subtitles: 2"}));
}

TEST_F(CommandsFixture, SwitchingTheModeClearsInTheOldAndDrawsInTheNew) {
    ShowSubtitleDueNow();
    std::vector<bool> modeAtDraw;
    SubtitleCommands().Draw = [&](const std::string& t) {
        drawn.push_back(t);
        modeAtDraw.push_back(overMovie);
    };
    SubtitlesoverMovie1Click();
    EXPECT_EQ(tips, std::vector<int>{29});
    EXPECT_EQ(std::vector<std::string>(drawn.end() - 2, drawn.end()),
              (std::vector<std::string>{"", "Hello"}));
    EXPECT_EQ(modeAtDraw, (std::vector<bool>{false, true}));
}

TEST_F(CommandsFixture, ChaptersOnSubtitlesReloadsWithOrWithoutTheTitles) {
    WriteFile(dir / "film.ini", "[CHAPTERS]\n1=250 Intro\n");
    ChaptersonSubtitles1Click();  // off: subtitles alone
    EXPECT_EQ(osd.at(0), "Chapters on Subtitles off");
    EXPECT_EQ(drawn.back(), "Hello");
    ChaptersonSubtitles1Click();  // on: the title joins the subtitle at 10 s
    // The sound note goes, its line stays empty.
    EXPECT_EQ(drawn.back(), "(Intro)||Hello");
}

}  // namespace
}  // namespace quova

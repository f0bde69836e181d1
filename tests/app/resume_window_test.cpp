#include <gtest/gtest.h>

#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <cmath>

#include "app/main_window.h"
#include "app/popup_menu.h"
#include "app/resume_prompt.h"
#include "app/video_commands.h"
#include "app/video_layout.h"
#include "graph/multiple_audio.h"
#include "playback/player_session.h"
#include "playback/resume_points.h"
#include "playback/transport.h"
#include "tests/support/gst_media.h"
#include "tests/support/window_fixture.h"
#include "text/subtitle_tracks.h"

namespace quova {
namespace {

using engine::GraphState;

// The window with a store of places of its own and a 40 s film of two sound
// tracks (440 and 880 Hz) and two subtitle tracks.
class ResumeWindow : public testing::WindowTest {
  protected:
    ResumeWindow() : WindowTest({.size = {320, 240}}) {}
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_EQ(OpenResumeStore(session, dir_ / "state" / "resume.db"), "");
        testing::WriteFile(dir_ / "one.srt", "1\r\n00:00:01,000 --> 00:00:39,000\r\none\r\n\r\n");
        testing::WriteFile(dir_ / "two.srt", "1\r\n00:00:01,000 --> 00:00:39,000\r\ntwo\r\n\r\n");
        clip_ = (dir_ / "film.mkv").string();
        const std::string made = testing::MakeMedia(
            "matroskamux name=m ! filesink location=$OUT "
            "videotestsrc num-buffers=1000 ! video/x-raw,width=160,height=120,framerate=25/1 "
            "! jpegenc ! m. "
            "audiotestsrc num-buffers=1723 freq=440 ! audio/x-raw,rate=44100,channels=1 "
            "! m.audio_%u "
            "audiotestsrc num-buffers=1723 freq=880 ! audio/x-raw,rate=44100,channels=1 "
            "! m.audio_%u "
            "filesrc location=" +
                (dir_ / "one.srt").string() + " ! subparse ! m.subtitle_%u filesrc location=" +
                (dir_ / "two.srt").string() + " ! subparse ! m.subtitle_%u",
            clip_);
        ASSERT_EQ(made, "");
    }
    void TearDown() override {
        session.resume = ResumeMemo{};
        WindowTest::TearDown();
    }

    void Open() {
        form_->OpenMedia(clip_);
        ASSERT_EQ(session.graph.MediaKind, MediaKindFile);
        ASSERT_TRUE(testing::WaitUntil([&] { return !session.audio.switching; }, 10000));
        testing::PumpEvents(200);
    }
    std::optional<ResumePoint> Kept() {
        return session.resume.store->Find(session.resume.name, session.resume.size);
    }
    ResumePrompt& Prompt() { return form_->resumePrompt(); }
    double& Aspect() { return form_->videoLayout().geometry().AspectFactor; }

    std::string clip_;
};

TEST_F(ResumeWindow, AStoppedFilmComesBackWithItsPlaceTracksSpeedAndPicture) {
    Open();
    EXPECT_FALSE(Prompt().isVisible()) << "nothing to resume the first time";
    ASSERT_EQ(HeardAudioStreams(session), 0b11) << "both sound tracks play at first";
    ASSERT_EQ(SubtitleTracks(session).size(), 2u);
    SwitchAudioStream(session, 1);
    ASSERT_TRUE(testing::WaitUntil([&] { return !session.audio.switching; }, 10000));
    SubtitleSourceClick(session, 1);
    ASSERT_TRUE(SetPlayRate(session, 1.5));
    AppSettings().ZoomFactor = 1.5;
    Aspect() = 4.0 / 3;
    SeekTo(session, 20);
    testing::PumpEvents(300);
    form_->popup().Trigger("Stop1");

    const std::optional<ResumePoint> kept = Kept();
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->name, std::filesystem::weakly_canonical(clip_).string());
    EXPECT_EQ(kept->size, static_cast<std::int64_t>(std::filesystem::file_size(clip_)));
    EXPECT_NEAR(kept->position, 20, 0.5);
    EXPECT_EQ(kept->audioStreams, 0b01);
    EXPECT_EQ(kept->subtitleSource, 1);
    EXPECT_DOUBLE_EQ(kept->speed, 1.5);
    EXPECT_DOUBLE_EQ(kept->zoom, 1.5);
    EXPECT_DOUBLE_EQ(kept->aspect, 4.0 / 3);

    // Everything back as a fresh start has it; the first subtitle track is
    // the one this run remembers for the film.
    SubtitleSourceClick(session, 0);
    AppSettings().ZoomFactor = 1.0;
    Aspect() = 1.0;
    Open();
    EXPECT_NEAR(CurrentPosition(session), 20, 1.0) << "resumed in the first preroll";
    EXPECT_EQ(HeardAudioStreams(session), 0b01);
    EXPECT_EQ(ChosenSubtitleSource(session), 1);
    EXPECT_DOUBLE_EQ(PlayRate(session), 1.5);
    EXPECT_DOUBLE_EQ(AppSettings().ZoomFactor, 1.5);
    EXPECT_DOUBLE_EQ(Aspect(), 4.0 / 3);
    ASSERT_TRUE(Prompt().isVisible());
    EXPECT_EQ(Prompt().resumeButton()->text().toStdString(), "Resume at 0:00:20");
    EXPECT_EQ(Prompt().startOverButton()->text().toStdString(), "Start over");
    EXPECT_TRUE(Prompt().resumeButton()->isDefault()) << "what plays now is marked";
    const QRect over = Prompt().geometry();
    EXPECT_TRUE(form_->rect().contains(over)) << "over the window, not beside it";
    EXPECT_GT(over.top(), form_->height() / 2) << "low, out of the picture's middle";
    EXPECT_EQ(GraphStateOf(session), GraphState::Running) << "the offer holds nothing up";

    QTest::mouseClick(Prompt().startOverButton(), Qt::LeftButton);
    testing::PumpEvents(300);
    EXPECT_LT(CurrentPosition(session), 2.0);
    EXPECT_FALSE(Prompt().isVisible());
    EXPECT_FALSE(AppSettings().ResumeByDefault) << "the choice is the next default";

    // Starting over is now what an open does; the place is still offered,
    // and kept while the user has not answered.
    form_->popup().Trigger("Stop1");
    Open();
    EXPECT_LT(CurrentPosition(session), 2.0);
    ASSERT_TRUE(Prompt().isVisible());
    EXPECT_TRUE(Prompt().startOverButton()->isDefault());
    QTest::mouseClick(Prompt().resumeButton(), Qt::LeftButton);
    testing::PumpEvents(300);
    EXPECT_NEAR(CurrentPosition(session), 20, 1.0);
    EXPECT_TRUE(AppSettings().ResumeByDefault);
}

TEST_F(ResumeWindow, TheOfferGoesByItselfAndAlwaysResumingAsksNothing) {
    Open();
    SeekTo(session, 25);
    testing::PumpEvents(300);
    form_->popup().Trigger("Stop1");
    Open();
    ASSERT_TRUE(Prompt().isVisible());
    testing::PumpEvents(kResumeOfferMs + 500);
    EXPECT_FALSE(Prompt().isVisible());
    EXPECT_EQ(GraphStateOf(session), GraphState::Running);
    EXPECT_GT(CurrentPosition(session), 25) << "the default stood and played on";

    form_->popup().Trigger("AlwaysResume1");
    EXPECT_TRUE(AppSettings().AlwaysResume);
    QMetaObject::invokeMethod(form_->popup().menu(), "aboutToShow");
    EXPECT_TRUE(form_->menuModel().Find("AlwaysResume1")->checked);
    AppSettings().ResumeByDefault = false;  // the option wins over the last choice
    form_->popup().Trigger("Stop1");
    Open();
    EXPECT_GT(CurrentPosition(session), 25);
    EXPECT_FALSE(Prompt().isVisible());
    EXPECT_EQ(session.osdMessage.rfind("resumed at 0:00:", 0), 0u) << session.osdMessage;
}

TEST_F(ResumeWindow, AFilmPlayedToItsEndIsForgottenAndAPeekLeavesThePlaceAlone) {
    Open();
    SeekTo(session, 30);
    testing::PumpEvents(300);
    form_->popup().Trigger("Stop1");
    ASSERT_TRUE(Kept());

    // Opened by mistake and left a few seconds in, while the offer is up:
    // the place stays.
    AppSettings().ResumeByDefault = false;
    Open();
    testing::PumpEvents(1000);
    form_->popup().Trigger("Stop1");
    Open();
    ASSERT_TRUE(Kept());
    EXPECT_NEAR(Kept()->position, 30, 0.5);

    // Played to its end: nothing is left to resume.
    QTest::mouseClick(Prompt().resumeButton(), Qt::LeftButton);
    SeekTo(session, 39);
    ASSERT_TRUE(testing::WaitUntil([&] { return session.osdMessage == "Stop"; }, 10000));
    EXPECT_FALSE(Kept());
    Open();
    EXPECT_FALSE(Prompt().isVisible());
    EXPECT_LT(CurrentPosition(session), 2.0);
}

TEST(ResumeClock, TimesReadAsAClockHoursFirst) {
    EXPECT_EQ(ClockText(5025), "1:23:45");
    EXPECT_EQ(ClockText(12.9), "0:00:12");
    EXPECT_EQ(ClockText(36000), "10:00:00");
    EXPECT_EQ(ClockText(-3), "0:00:00");
    EXPECT_EQ(ClockText(std::nan("")), "0:00:00");
}

TEST(ResumeStoreOpen, ADamagedStoreIsToldOfWithWhereItWentAndAFreshOneWorks) {
    testing::TempDir dir;
    const auto file = dir.path() / "resume.db";
    testing::WriteFile(file, std::string(4096, 'x'));
    PlayerSession session;
    const std::string told = OpenResumeStore(session, file);
    ASSERT_TRUE(session.resume.store);
    EXPECT_NE(told.find("damaged"), std::string::npos) << told;
    EXPECT_NE(told.find(session.resume.store->setAside().string()), std::string::npos) << told;
    ResumePoint point;
    point.name = "/films/a.mkv";
    point.size = 7;
    point.position = 100;
    EXPECT_TRUE(session.resume.store->Save(point));
}

}  // namespace
}  // namespace quova

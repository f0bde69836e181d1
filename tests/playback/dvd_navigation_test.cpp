// A generated disc opened as the player opens it: the OSD texts, the stream
// submenus and the menu rules that the navigator's events produce.
#include "playback/dvd_navigation.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include "graph/dvd_graph.h"
#include "graph/graph_state.h"
#include "graph/medium_session.h"
#include "graph/open_media.h"
#include "playback/bookmarks.h"
#include "playback/dvd_bookmark_state.h"
#include "playback/dvd_pointer.h"
#include "playback/media_events.h"
#include "playback/player_session.h"
#include "playback/transport.h"
#include "tests/app/qt_support.h"
#include "tests/support/dvd_volume.h"
#include "tests/support/fake_ui.h"
#include "tests/support/player_state.h"
#include "tests/support/temp_dir.h"
#include "text/text_session.h"

namespace quova {
namespace {

using namespace engine;

// Processes Qt events and drains the graph's events as the window would.
bool Pump(PlayerSession& session, const std::function<bool()>& done, int ms = 15000) {
    return testing::PumpPlayer(session, done, ms);
}

class DvdPlayer : public ::testing::Test {
  public:
    PlayerSession session;

  protected:
    void SetUp() override {
        quova::testing::App();
        testing::ResetPlayerState(session, testing::Startup::Done);
    }
    void TearDown() override {
        ReleaseGraph(session);
        testing::ResetPlayerState(session);
    }
    bool InDomain(int domain) {
        return Pump(session, [&] { return session.dvd.DvdDomain == domain; });
    }

    testing::FakeUi ui_{session};
};

TEST_F(DvdPlayer, AVolumeFileOpensTheDiscInItsMenu) {
    const auto& volume = quova::testing::SharedDvdVolume();
    ASSERT_FALSE(volume.empty());
    for (const char* file : {"VIDEO_TS.IFO", "VIDEO_TS.BUP"}) {
        SCOPED_TRACE(file);
        ui_.captions.clear();
        OpenMedia(session, (volume / "VIDEO_TS" / file).string());
        ASSERT_EQ(session.graph.MediaKind, MediaKindDvd);
        ASSERT_FALSE(ui_.captions.empty());
        EXPECT_EQ(ui_.captions.back(), "Quova - DVD");
        EXPECT_EQ(session.graph.CurrentMediaName, "DVD");
        ASSERT_TRUE(session.graph.DvdControl);
        ASSERT_TRUE(InDomain(1));
        EXPECT_TRUE(Pump(session, [this] { return session.osdMessage == "Still (infinite)"; }))
            << session.osdMessage;
        EXPECT_FALSE(ui_.timer1) << "no polling in a menu";
        ASSERT_TRUE(session.graph.VideoWindow);
        EXPECT_TRUE(
            Pump(session, [this] { return session.graph.VideoWindow->ReceivedFrames() > 0; }));
        EXPECT_TRUE(Pump(session, [this] {
            return session.graph.VideoWidth == 720 && session.graph.VideoHeight == 576;
        }));
    }
}

TEST_F(DvdPlayer, NoDiscSaysCantRenderAndLeavesThePlainCaption) {
    quova::testing::TempDir dir;
    quova::testing::MessageBoxLog boxes;
    OpenDvd(session, (dir / "no-disc").string());
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0].rfind("can't render, error 80040291: ", 0), 0u) << boxes.texts[0];
    ASSERT_FALSE(ui_.captions.empty());
    EXPECT_EQ(ui_.captions.back(), "Quova");
    // Still usable: the disc opens after that.
    OpenDvd(session, quova::testing::SharedDvdVolume().string());
    EXPECT_TRUE(InDomain(1));
    EXPECT_EQ(boxes.texts.size(), 1u);
}

TEST_F(DvdPlayer, TitlesAndChaptersShowWhereThePlayerIs) {
    OpenDvd(session, quova::testing::SharedDvdVolume().string());
    ASSERT_TRUE(InDomain(1));
    EXPECT_EQ(session.dvd.DvdTitleCount, 2u);
    PlayDvdTitle(session, 9);  // clamped to the last title
    ASSERT_TRUE(InDomain(3));
    EXPECT_TRUE(Pump(session, [this] {
        return session.osdMessage == "Title 2 of 2, Chapter 1 of 3";
    })) << session.osdMessage;
    EXPECT_TRUE(ui_.timer1) << "the title is polled";
    EXPECT_EQ(ui_.pointerHidden, true);
    EXPECT_NEAR(session.graph.Duration, 6, 0.6);
    StepDvdChapter(session, +1);
    EXPECT_TRUE(Pump(session, [this] {
        return session.osdMessage == "Title 2 of 2, Chapter 2 of 3";
    })) << session.osdMessage;
    EXPECT_EQ(session.dvd.DvdChapter, 2u);
    EXPECT_EQ(session.dvd.DvdChapterCount, 3u);
    EXPECT_EQ(session.dvd.DvdTitle, 2u);
    EXPECT_EQ(session.dvd.DvdTitleCount, 2u);
    StepDvdChapter(session, -1);
    EXPECT_TRUE(Pump(session, [this] {
        return session.osdMessage == "Title 2 of 2, Chapter 1 of 3";
    })) << session.osdMessage;
    PlayDvdTitle(session, 0);
    // The first chapter of title 1 lasts a second; which of its two chapters
    // the first message names depends on how far the picture has got.
    EXPECT_TRUE(Pump(session, [this] {
        return session.osdMessage.rfind("Title 1 of 2, Chapter ", 0) == 0;
    })) << session.osdMessage;
}

TEST_F(DvdPlayer, TheStreamSubmenusListTheLanguagesAndSwitch) {
    OpenDvd(session, quova::testing::SharedDvdVolume().string());
    ASSERT_TRUE(InDomain(1));
    PlayDvdTitle(session, 2);
    ASSERT_TRUE(InDomain(3));
    ASSERT_TRUE(Pump(session, [&] { return ui_.dvdAudioItems.size() == 2; }));
    EXPECT_EQ(ui_.dvdAudioItems[0].caption, "English AC3 48 KHz / 16 bits / 2 channels");
    EXPECT_EQ(ui_.dvdAudioItems[1].caption, "French MPEG1 48 KHz / 16 bits / 2 channels");
    EXPECT_TRUE(ui_.dvdAudioItems[0].checked);
    EXPECT_FALSE(ChooseAudioLanguage(session, 0, ui_.dvdAudioItems[0].caption, true))
        << "the checked one again";
    EXPECT_TRUE(ChooseAudioLanguage(session, 1, ui_.dvdAudioItems[1].caption, false));
    EXPECT_TRUE(Pump(
        session, [this] { return session.graph.DvdInfo->GetCurrentAudio().value.current == 1; }));
    EXPECT_EQ(session.dvd.DvdCurrentAudio, 1u);

    ASSERT_EQ(ui_.dvdSubpictureItems.size(), 1u);
    EXPECT_EQ(ui_.dvdSubpictureItems[0].caption, "English");
    EXPECT_FALSE(ui_.dvdSubpictureItems[0].checked) << "sub-pictures start off";
    ToggleSubpicture(session, 0, false);
    EXPECT_FALSE(session.graph.DvdInfo->GetCurrentSubpicture().value.disabled);
    EXPECT_TRUE(SubpictureItems(session)[0].checked);
    ToggleSubpicture(session, 0, true);
    EXPECT_TRUE(session.graph.DvdInfo->GetCurrentSubpicture().value.disabled);
}

TEST_F(DvdPlayer, TheRootMenuButtonTogglesBetweenMenuAndFilm) {
    OpenDvd(session, quova::testing::SharedDvdVolume().string());
    ASSERT_TRUE(InDomain(1));
    PlayDvdTitle(session, 1);
    ASSERT_TRUE(InDomain(3));
    ShowDvdMenu(session, DVD_MENU_Root);
    EXPECT_TRUE(InDomain(1)) << "the title set's root menu jumps to the disc's menu";
    EXPECT_FALSE(ui_.timer1);
}

TEST_F(DvdPlayer, DiscErrorsAndWarningsAreShownAsBoxes) {
    OpenDvd(session, quova::testing::SharedDvdVolume().string());
    ASSERT_TRUE(InDomain(1));
    quova::testing::MessageBoxLog boxes;
    session.graph.GraphBuilder->Events().Post({EC_DVD_ERROR, 5, 0});
    session.graph.GraphBuilder->Events().Post({EC_DVD_ERROR, DVD_ERROR_Unexpected, 0});
    session.graph.GraphBuilder->Events().Post({EC_DVD_WARNING, 9, 0});
    session.graph.GraphBuilder->Events().Post({EC_DVD_WARNING, DVD_WARNING_Read, 0});
    HandleMediaEvents(session);
    ASSERT_EQ(boxes.texts.size(), 4u);
    EXPECT_EQ(boxes.texts[0], "Error: ");
    EXPECT_EQ(boxes.texts[1],
              "Error: Something unexpected happened; perhaps content is authored incorrectly. "
              "Playback is stopped.");
    EXPECT_EQ(boxes.texts[2], "warning: unknown error");
    EXPECT_EQ(boxes.texts[3], "warning: disc file read error");
    session.graph.GraphBuilder->Events().Post({EC_DVD_STILL_ON, 0, 10});
    HandleMediaEvents(session);
    EXPECT_EQ(session.osdMessage, "Still (10 secs)");
    session.graph.GraphBuilder->Events().Post({EC_DVD_ANGLE_CHANGE, 3, 2});
    HandleMediaEvents(session);
    EXPECT_EQ(session.osdMessage, "Angle 2");
    EXPECT_EQ(session.dvd.DvdAngleCount, 3u);
    EXPECT_EQ(session.dvd.DvdCurrentAngle, 2u);
    session.graph.GraphBuilder->Events().Post(
        {EC_DVD_VALID_UOPS_CHANGE, UOP_FLAG_ShowMenu_Root, 0});
    HandleMediaEvents(session);
    EXPECT_EQ(ui_.rootButton, false);
}

// Where the navigator stands: its title and the time into it.
std::pair<std::uint32_t, double> Location(PlayerSession& session) {
    const Outcome<DVD_PLAYBACK_LOCATION2> at = session.graph.DvdInfo->GetCurrentLocation();
    if (!at.ok()) return {0, -1};
    return {at.value.TitleNum, TimecodeSeconds(at.value.TimeCode)};
}

TEST_F(DvdPlayer, ABookmarkComesBackToTheSameTitleAndTimeWithItsSettings) {
    quova::testing::TempDir dir;
    quova::testing::MessageBoxLog boxes;
    BookmarkSettings& settings = ui_.bookmark;
    settings.Volume = 40;
    settings.CropX = 8;
    const std::string mark = (dir / "disc.mpk").string();

    OpenDvd(session, quova::testing::SharedDvdVolume().string());
    ASSERT_TRUE(InDomain(1));
    PlayDvdTitle(session, 2);
    ASSERT_TRUE(Pump(session, [this] {
        return Location(session).first == 2 && Location(session).second >= 3.0;
    }));
    const double saved = Location(session).second;
    WriteDvdBookmark(session, mark);
    EXPECT_TRUE(boxes.texts.empty()) << boxes.texts.front();

    settings = BookmarkSettings{};
    PlayDvdTitle(session, 1);
    ASSERT_TRUE(Pump(session, [this] { return Location(session).first == 1; }));
    ReadDvdBookmark(session, mark);
    EXPECT_TRUE(boxes.texts.empty()) << boxes.texts.front();
    ASSERT_TRUE(Pump(session, [this] { return Location(session).first == 2; }));
    EXPECT_NEAR(Location(session).second, saved, 1.0);
    EXPECT_EQ(settings.Volume, 40);
    EXPECT_EQ(settings.CropX, 8);
}

TEST(DvdPointer, WindowPointsMapThroughThePlacementAndTheCrop) {
    // Half size at (10, 20): the picture's centre is the window's (190, 164).
    EXPECT_EQ(DvdPicturePoint({190, 164}, {10, 20, 360, 288}, {0, 0, 720, 576}), QPoint(360, 288));
    EXPECT_EQ(DvdPicturePoint({10, 20}, {10, 20, 360, 288}, {0, 0, 720, 576}), QPoint(0, 0));
    // Cropped by 8 on each side and shown at 352 x 288.
    EXPECT_EQ(DvdPicturePoint({176, 144}, {0, 0, 352, 288}, {8, 8, 704, 560}), QPoint(360, 288));
    EXPECT_FALSE(DvdPicturePoint({9, 20}, {10, 20, 360, 288}, {0, 0, 720, 576}));
    EXPECT_FALSE(DvdPicturePoint({370, 20}, {10, 20, 360, 288}, {0, 0, 720, 576}));
    EXPECT_FALSE(DvdPicturePoint({0, 0}, {}, {0, 0, 720, 576})) << "no placement yet";
}

TEST_F(DvdPlayer, ThePointerSelectsAndAClickActivatesTheMenuButtonUnderIt) {
    OpenDvd(session, quova::testing::SharedDvdVolume().string());
    ASSERT_TRUE(InDomain(1));
    ASSERT_TRUE(Pump(session, [this] { return session.graph.VideoWidth == 720; }));
    session.graph.VideoWindow->SetWindowPosition(QRect(10, 20, 360, 288));
    auto onWindow = [](const quova::testing::DvdButtonBox& b) {
        return QPoint(10 + (b.x0 + b.x1) / 4, 20 + (b.y0 + b.y1) / 4);
    };
    EXPECT_TRUE(SelectDvdButtonAt(session, onWindow(quova::testing::kDvdButton1)));
    EXPECT_FALSE(SelectDvdButtonAt(session, {10 + 330, 20 + 20})) << "no button at the top right";
    EXPECT_FALSE(SelectDvdButtonAt(session, {400, 20})) << "beside the picture";
    ASSERT_TRUE(ActivateDvdButtonAt(session, onWindow(quova::testing::kDvdButton2)));
    EXPECT_TRUE(Pump(session, [this] { return Location(session).first == 2; }))
        << "button 2 starts title 2";
    EXPECT_FALSE(ActivateDvdButtonAt(session, onWindow(quova::testing::kDvdButton1)))
        << "no buttons while the film plays";
}

TEST_F(DvdPlayer, ArrowsSelectTheNeighbouringButtonAndEnterActivatesIt) {
    OpenDvd(session, quova::testing::SharedDvdVolume().string());
    ASSERT_TRUE(InDomain(1));
    auto button = [this] { return session.graph.DvdInfo->GetCurrentButton().value; };
    ASSERT_TRUE(Pump(session, [&] { return button() == 1u; }));
    PressDvdMenuKey(session, DvdMenuKey::Down);
    EXPECT_EQ(button(), 2u) << "button 2 lies below button 1";
    PressDvdMenuKey(session, DvdMenuKey::Up);
    EXPECT_EQ(button(), 1u);
    PressDvdMenuKey(session, DvdMenuKey::Down);
    PressDvdMenuKey(session, DvdMenuKey::Activate);
    EXPECT_TRUE(Pump(session, [this] { return Location(session).first == 2; }))
        << "button 2 starts title 2";
}

TEST_F(DvdPlayer, TransportCommandsGoThroughTheNavigatorsRatesAndTimes) {
    OpenDvd(session, quova::testing::SharedDvdVolume().string());
    ASSERT_TRUE(InDomain(1));
    PlayDvdTitle(session, 2);
    ASSERT_TRUE(InDomain(3));
    auto running = [this] {
        return session.graph.GraphBuilder->GetState(100).value == GraphState::Running;
    };
    ASSERT_TRUE(Pump(session, running));

    Play1Click(session);
    EXPECT_EQ(session.osdMessage, "pause");
    EXPECT_TRUE(Pump(session, [this] {
        return session.graph.GraphBuilder->GetState(100).value == GraphState::Paused;
    }));
    Play1Click(session);
    EXPECT_EQ(session.osdMessage, "Play");
    EXPECT_TRUE(Pump(session, running));

    // Fast forward from normal play: 3, 5, 7, 8; Play returns to normal play.
    for (const char* text : {"forward: 3x", "forward: 5x", "forward: 7x", "forward: 8x"}) {
        FFWD1Click(session);
        EXPECT_EQ(session.osdMessage, text);
    }
    EXPECT_EQ(session.dvd.DvdRate, 80000);
    Play1Click(session);
    EXPECT_EQ(session.osdMessage, "normal play 1x speed");
    EXPECT_EQ(session.dvd.DvdRate, 10000);
    EXPECT_TRUE(running()) << "the film keeps running";

    // Backward at rate 1, then Quicker: max(1.0, -1 + 0.5) is normal play.
    FBWD1Click(session);
    EXPECT_EQ(session.osdMessage, "back: -1x");
    EXPECT_EQ(session.dvd.DvdRate, -10000);
    Quick1Click(session);
    EXPECT_EQ(session.osdMessage, "quick 1x");
    for (const char* text : {"slow 0.75x", "slow 0.5x", "slow 0.25x", "slow 0.25x"}) {
        Slow1Click(session);
        EXPECT_EQ(session.osdMessage, text);
    }
    Play1Click(session);
    EXPECT_EQ(session.dvd.DvdRate, 10000);

    SeekTo(session, 4.0);
    EXPECT_TRUE(Pump(session, [this] { return std::abs(CurrentPosition(session) - 4.0) <= 1.0; }))
        << CurrentPosition(session);
    EXPECT_EQ(session.dvd.DvdTitle, 2u);
    EXPECT_EQ(session.dvd.DvdChapter, 3u) << "the third chapter starts at 4 s";
}

TEST(DvdTexts, ParentalRatingIsEmptyWithoutADiscOrALevel) {
    PlayerSession session;
    EXPECT_EQ(ParentalRatingText(session), "");
    EXPECT_EQ(LanguageName(('d' << 8) | 'e'), "German");
    EXPECT_EQ(LanguageName(0), "");
    DVD_AudioAttributes a;
    a.AudioFormat = DVD_AudioFormat_AC3;
    a.dwFrequency = 48000;
    a.bQuantization = 16;
    a.bNumberOfChannels = 6;
    EXPECT_EQ(AudioDescription(a), "AC3 48 KHz / 16 bits / 6 channels");
}

}  // namespace
}  // namespace quova

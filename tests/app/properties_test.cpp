// The "Media Properties" text of a real file and a generated disc, read off
// the dialog the command shows.
#include "app/properties_command.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include "app/text_dialog.h"
#include "graph/dvd_graph.h"
#include "graph/graph_state.h"
#include "graph/open_media.h"
#include "playback/dvd_navigation.h"
#include "playback/player_session.h"
#include "tests/app/qt_support.h"
#include "tests/support/dvd_volume.h"
#include "tests/support/gst_media.h"
#include "tests/support/window_fixture.h"

namespace quova {
namespace {

class Properties : public testing::WindowTest {
  protected:
    // The dialog's text, read while it is up and closed with OK.
    std::string ShownText() {
        std::string text;
        testing::OnNextModal([&text](QWidget* w) {
            auto* dialog = qobject_cast<TOKBottomDlg*>(w);
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->windowTitle(), "Media Properties");
            text = dialog->label()->text().toStdString();
            dialog->okButton()->click();
        });
        Properties1Click(session, nullptr);
        return text;
    }
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find('\n', from)) != std::string::npos; from = at + 1)
        lines.push_back(text.substr(from, at - from));
    lines.push_back(text.substr(from));
    return lines;
}

TEST_F(Properties, AnAviWithVideoAndMp3ShowsBothStreamsTheirFiguresAndTheFilters) {
    // 2 s of 320x240 MJPEG at 25 frames a second, 44.1 kHz stereo MP3.
    const auto file = testing::media::AviMp3(dir_ / "clip.avi", 2.0);
    OpenMedia(session, file.string());
    ASSERT_EQ(session.graph.MediaKind, MediaKindFile);
    const std::vector<std::string> lines = Lines(ShownText());
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "2 streams: 1 x video, 1 x audio");
    EXPECT_EQ(lines[1],
              "video size: 320x240; frame rate: 25 frames/sec; frames: 50; compression: MJPG; "
              "color depth: 24; time: 00:00:02");
    EXPECT_EQ(lines[2], "audio channels: 2; samples per sec: 44100");
    EXPECT_EQ(lines[3], std::to_string(session.graph.GraphBuilder->Filters().size()) + " filters");
}

TEST_F(Properties, ADiscShowsItsStreamsAndItsPicturesSourceSize) {
    OpenDvd(session, quova::testing::SharedDvdVolume().string());
    ASSERT_EQ(session.graph.MediaKind, MediaKindDvd);
    // Title 2: a 6 s PAL picture with English and French sound.
    ASSERT_TRUE(testing::PumpPlayer(session, [this] { return session.dvd.DvdDomain == 1; }));
    PlayDvdTitle(session, 2);
    ASSERT_TRUE(testing::PumpPlayer(session, [this] {
        return session.dvd.DvdDomain == 3 && session.dvd.DvdEnabledAudioCount == 2;
    }));
    const std::vector<std::string> lines = Lines(ShownText());
    ASSERT_GE(lines.size(), 3u);
    // The enabled sound streams and the picture.
    EXPECT_EQ(lines[0], "3 streams: 1 x video, 2 x audio");
    EXPECT_TRUE(lines[1] == "video size: 720x576; time: 00:00:05" ||
                lines[1] == "video size: 720x576; time: 00:00:06")
        << lines[1];
    EXPECT_EQ(lines[2], std::to_string(session.graph.GraphBuilder->Filters().size()) + " filters");
}

}  // namespace
}  // namespace quova

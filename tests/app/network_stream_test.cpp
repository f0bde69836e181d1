#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/main_window.h"
#include "app/menu_inputs.h"
#include "app/popup_menu.h"
#include "graph/graph_state.h"
#include "playback/player_session.h"
#include "tests/app/qt_support.h"
#include "tests/support/gst_media.h"
#include "tests/support/http_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/window_fixture.h"
#include "text/text_session.h"

namespace quova {
namespace {

using testing::WaitUntil;

class NetworkStreams : public testing::WindowTest {
  protected:
    std::filesystem::path Served() {
        const auto served = dir_ / "served";
        std::filesystem::create_directories(served);
        return served;
    }
};

// The server sends at half the medium's pace: the player waits for its
// buffer now and then, telling how full it is, and plays on each time it is full.
TEST_F(NetworkStreams, ABufferFillingShowsItsPercentHoldsTheClockAndPlaysOnWhenFull) {
    const auto clip = testing::media::MatroskaH264Mp3(Served() / "clip.mkv", 4.0);
    const int bytesPerSecond = static_cast<int>(std::filesystem::file_size(clip) / 8);
    testing::HttpServer server(Served(), {.bytesPerSecond = bytesPerSecond});
    ASSERT_TRUE(server.Running());
    testing::MessageBoxLog boxes;
    form_->OpenMedia(server.Address("clip.mkv"));
    ASSERT_TRUE(boxes.texts.empty()) << boxes.texts.front();
    ASSERT_EQ(session.graph.MediaKind, MediaKindFile);
    const QRegularExpression told("^buffering (\\d+)%$");
    std::vector<int> percents;
    double heldAt = -1;
    int heldPercent = 0;
    double movedBy = 0;
    engine::FilterGraph& graph = *session.graph.GraphBuilder;
    ASSERT_TRUE(WaitUntil(
        [&] {
            const QRegularExpressionMatch m =
                told.match(QString::fromStdString(session.osdMessage));
            if (m.hasMatch()) percents.push_back(m.captured(1).toInt());
            const double position = graph.CurrentPosition().value;
            const int percent = graph.BufferingPercent();
            if (percent >= 0) {
                // The clock holds while the buffer fills; the graph still plays.
                // A fill that reads less than the last look is the next one.
                if (heldAt < 0 || percent < heldPercent) heldAt = position;
                movedBy = std::max(movedBy, std::abs(position - heldAt));
                heldPercent = percent;
                EXPECT_EQ(graph.GetState(0).value, engine::GraphState::Running);
            } else {
                heldAt = -1;
            }
            return position > 3.5;
        },
        60000));
    ASSERT_FALSE(percents.empty());
    for (int percent : percents) EXPECT_TRUE(percent >= 0 && percent < 100) << percent;
    EXPECT_LE(movedBy, 0.25) << "the position moved while the buffer filled";
}

// Half the file comes, then nothing more on a connection held open: the
// player tells it within seconds, and the window answers meanwhile.
TEST_F(NetworkStreams, AServerThatStopsHalfWayIsToldWhileTheWindowGoesOnWorking) {
    testing::media::MatroskaH264Mp3(Served() / "clip.mkv", 8.0);
    testing::HttpServer server(Served(), {.stopAfter = 0.5});
    ASSERT_TRUE(server.Running());
    const std::string address = server.Address("clip.mkv");
    testing::MessageBoxLog boxes;
    form_->OpenMedia(address);
    ASSERT_TRUE(boxes.texts.empty()) << boxes.texts.front();
    ASSERT_EQ(session.graph.MediaKind, MediaKindFile);
    bool handledWhileWaiting = false;
    QMetaObject::invokeMethod(
        form_.get(), [&] { handledWhileWaiting = boxes.texts.empty(); }, Qt::QueuedConnection);
    // Five seconds from when the server stopped, as the server itself tells
    // it: on a loaded machine the opening alone may take a good part of five.
    ASSERT_TRUE(WaitUntil([&] { return server.Stopped(); }, 10000));
    ASSERT_TRUE(WaitUntil([&] { return !boxes.texts.empty(); }, 5000));
    EXPECT_TRUE(handledWhileWaiting);
    EXPECT_NE(boxes.texts[0].find(address), std::string::npos) << boxes.texts[0];
    EXPECT_NE(boxes.texts[0].find("stopped sending"), std::string::npos) << boxes.texts[0];
}

// The server closes the connection half way, and cuts every request for the
// rest short the same way: told as a hung server is, and the play list goes
// on to its next entry.
TEST_F(NetworkStreams, AServerThatHangsUpHalfWayIsToldAndTheListGoesOn) {
    const auto clip = testing::media::MatroskaH264Mp3(Served() / "clip.mkv", 8.0);
    const auto next = testing::media::Wav(dir_ / "next.wav", 1.0);
    // At the medium's own pace, so that the half comes well after the opening.
    const int bytesPerSecond = static_cast<int>(std::filesystem::file_size(clip) / 8);
    testing::HttpServer server(
        Served(), {.bytesPerSecond = bytesPerSecond, .stopAfter = 0.5, .hangUp = true});
    ASSERT_TRUE(server.Running());
    const std::string address = server.Address("clip.mkv");
    testing::WriteFile(dir_ / "list.m3u8", "#EXTM3U\n" + address + "\nnext.wav\n");
    testing::MessageBoxLog boxes;
    form_->OpenMedia((dir_ / "list.m3u8").string());
    ASSERT_TRUE(boxes.texts.empty()) << boxes.texts.front();
    ASSERT_EQ(session.graph.CurrentMediaName, address);
    ASSERT_TRUE(WaitUntil([&] { return server.Stopped(); }, 10000));
    ASSERT_TRUE(WaitUntil([&] { return !boxes.texts.empty(); }, 5000));
    EXPECT_NE(boxes.texts[0].find(address), std::string::npos) << boxes.texts[0];
    EXPECT_NE(boxes.texts[0].find("stopped sending"), std::string::npos) << boxes.texts[0];
    EXPECT_TRUE(WaitUntil([&] { return session.graph.CurrentMediaName == next.string(); }, 5000));
    EXPECT_EQ(boxes.texts.size(), 1u);
}

// A play list whose end is not announced is a broadcast: the player follows
// it as it grows and knows no length.
TEST_F(NetworkStreams, ABroadcastShowsNoSeekBarAndOffersNoPlaceToGo) {
    const auto list = testing::media::Hls(Served(), 6.0);
    std::stringstream text;
    text << std::ifstream(list).rdbuf();
    std::string open = text.str();
    open.erase(open.find("#EXT-X-ENDLIST"));
    std::ofstream(list, std::ios::trunc) << open;
    testing::HttpServer server(Served());
    ASSERT_TRUE(server.Running());
    testing::MessageBoxLog boxes;
    form_->OpenMedia(server.Address("index.m3u8"));
    ASSERT_TRUE(boxes.texts.empty()) << boxes.texts.front();
    ASSERT_EQ(session.graph.MediaKind, MediaKindFile);
    EXPECT_LE(session.graph.Duration, 0);
    EXPECT_TRUE(MenuInputsNow(session, *form_).LiveStream);
    // The control bar asked for by its command: its buttons, not the seek bar.
    form_->popup().Trigger("TrackBar2");
    auto* bar = form_->findChild<QSlider*>("TrackBar1");
    ASSERT_TRUE(bar);
    EXPECT_FALSE(bar->isVisible());
    auto* play = form_->findChild<QPushButton*>("Button6");
    ASSERT_TRUE(play);
    EXPECT_TRUE(play->isVisible());
}

}  // namespace
}  // namespace quova

#include <gtest/gtest.h>

#include <QTimer>
#include <cstring>
#include <filesystem>

#include "app/main_window.h"
#include "graph/extraction.h"
#include "graph/graph_state.h"
#include "playback/player_session.h"
#include "tests/app/qt_support.h"
#include "tests/support/gst_media.h"
#include "tests/support/window_fixture.h"
#include "text/text_session.h"

namespace quova {
namespace {

namespace fs = std::filesystem;

class ExtractionWindow : public testing::WindowTest {
  protected:
    ExtractionWindow() : WindowTest({.size = {320, 240}}) {}
};

// The polling tick comes every 475 ms; the end of an extracted file does
// not wait for it. With the tick stopped, only the end itself can make the
// file whole.
TEST_F(ExtractionWindow, TheFileIsMadeWholeWhenItsExtractionEndsWithoutWaitingForTheTick) {
    const fs::path clip = testing::media::AviPcm(dir_ / "clip.avi", 1.0, 1);
    ToggleExtractionMode(session, ExtractionKind::PcmToWav);
    form_->OpenMedia(clip.string());
    ASSERT_TRUE(session.graph.ExtractionReady);
    form_->timer1()->stop();
    EXPECT_TRUE(testing::WaitUntil([&] { return fs::exists(dir_ / "clip.wav"); }));
    EXPECT_EQ(session.osdMessage, "audio extraction complete");
    EXPECT_FALSE(form_->timer1()->isActive());
    // The whole sound, its header telling its size.
    const std::string wav = testing::ReadFile(dir_ / "clip.wav");
    ASSERT_GT(wav.size(), 44100u * 4 / 2);
    std::uint32_t riff = 0;
    std::memcpy(&riff, wav.data() + 4, 4);
    EXPECT_EQ(riff + 8, wav.size());
}

}  // namespace
}  // namespace quova

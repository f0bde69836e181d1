#pragma once
// For the window's own tests (tests/app): it builds the whole main window.

#include <gtest/gtest.h>

#include <QSize>
#include <memory>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/play_list.h"
#include "app/video_commands.h"
#include "platform/registry/registry.h"
#include "playback/player_session.h"
#include "tests/app/qt_support.h"
#include "tests/support/player_state.h"
#include "tests/support/temp_dir.h"

namespace quova::testing {

// A main window with default settings, a store of its own and nothing open,
// the player ready to open media; gone after the test, with what it left
// behind in the process.
class WindowTest : public ::testing::Test {
  protected:
    // Made before the window and gone after it, as the program does.
    PlayerSession session;

    // How the window starts: an empty size keeps the one it gives itself.
    struct Start {
        QSize size{480, 360};
        bool shown = true;
        Startup startup = Startup::Done;
    };
    WindowTest() = default;
    explicit WindowTest(Start start) : start_(start) {}

    void SetUp() override {
        App();
        registry::SetStorePath(dir_ / "registry.reg");
        AppSettings() = Settings{};
        ResetPlayerState(session, start_.startup);
        // The play list and the picture's geometry outlive windows: a list
        // another test left would be followed at the end of a clip, its zoom
        // or crop would shape the picture.
        CurrentPlayList() = PlayListState{};
        Geometry() = VideoGeometry{};
        BeforeWindow();
        form_ = std::make_unique<TQuovaForm>(session, std::vector<std::string>{},
                                             (dir_ / "quova").string());
        if (!start_.size.isEmpty()) form_->resize(start_.size);
        if (start_.shown) form_->show();
    }
    void TearDown() override {
        form_.reset();
        AppSettings() = Settings{};
        CurrentPlayList() = PlayListState{};
        Geometry() = VideoGeometry{};
        ResetPlayerState(session);
        registry::SetStorePath({});
    }
    // Set-up the window reads as it is made, such as settings.
    virtual void BeforeWindow() {}

    TempDir dir_;
    std::unique_ptr<TQuovaForm> form_;

  private:
    Start start_;
};

}  // namespace quova::testing

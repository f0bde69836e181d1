#pragma once
// For the window's own tests (tests/app): it builds the whole main window.

#include <gtest/gtest.h>

#include <QSize>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/play_list.h"
#include "app/program_observer.h"
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
        BeforeWindow();
        form_ = std::make_unique<TQuovaForm>(session, std::vector<std::string>{},
                                             (dir_ / "quova").string());
        if (!start_.size.isEmpty()) form_->resize(start_.size);
        if (start_.shown) form_->show();
    }
    void TearDown() override {
        form_.reset();
        AppSettings() = Settings{};
        ResetPlayerState(session);
        registry::SetStorePath({});
    }
    // Set-up the window reads as it is made, such as settings.
    virtual void BeforeWindow() {}
    // The window's opens go to `open` instead of the open pipeline.
    void OnOpen(std::function<void(const std::string&)> open) {
        opener_.open = std::move(open);
        form_->SetObserver(&opener_);
    }

    TempDir dir_;
    struct Opener : ProgramObserver {
        std::function<void(const std::string&)> open;
        bool OpenMedia(const std::string& name) override {
            open(name);
            return true;
        }
    } opener_;
    std::unique_ptr<TQuovaForm> form_;

  private:
    Start start_;
};

}  // namespace quova::testing

#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/play_list.h"
#include "platform/registry/registry.h"
#include "tests/app/qt_support.h"
#include "tests/support/temp_dir.h"
#include "text/osd.h"

namespace quova::testing {

// A shown main window of `width` x `height` with default settings, a store of
// its own and nothing open, ready to open media; gone after the test.
class WindowTest : public ::testing::Test {
  protected:
    explicit WindowTest(int width = 480, int height = 360) : width_(width), height_(height) {}
    void SetUp() override {
        App();
        registry::SetStorePath(dir_ / "registry.reg");
        AppSettings() = Settings{};
        OsdMessage.clear();
        // The play list outlives windows; one left by another test would be
        // followed at the end of a clip.
        CurrentPlayList() = PlayListState{};
        form_ = std::make_unique<TQuovaForm>(std::vector<std::string>{}, (dir_ / "quova").string());
        form_->resize(width_, height_);
        form_->show();
        OpenCounter = 0;
    }
    void TearDown() override {
        form_.reset();
        CurrentPlayList() = PlayListState{};
        OpenCounter = -1;
        registry::SetStorePath({});
    }

    TempDir dir_;
    std::unique_ptr<TQuovaForm> form_;

  private:
    int width_, height_;
};

}  // namespace quova::testing

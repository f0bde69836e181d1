#include <gtest/gtest.h>

#include "graph/graph_state.h"
#include "playback/bookmarks.h"
#include "playback/dvd_bookmark_file.h"
#include "playback/dvd_bookmark_state.h"
#include "playback/player_session.h"
#include "tests/app/qt_support.h"
#include "tests/support/fake_ui.h"
#include "tests/support/temp_dir.h"

namespace quova {
namespace {

// No drive here holds two discs or a navigator that fails on demand: this
// stand-in keeps a state text whose first 16 bytes name its class and whose
// disc is the text after.
class DvdBookmarkCommandsTest : public ::testing::Test, public DvdStateStore {
  public:
    PlayerSession session;

  protected:
    void SetUp() override {
        session.graph.MediaKind = MediaKindDvd;
        UseDvdStateStore(session, this);
    }
    void TearDown() override {
        UseDvdStateStore(session, nullptr);
        session.graph.MediaKind = MediaKindNone;
    }

    bool CanSave() override { return true; }
    bool Ready() override { return true; }
    std::int32_t GetState(std::string& state) override {
        if (failState_) return static_cast<std::int32_t>(0x80004005u);
        state = std::string(16, '\x42') + disc_ + ";title=" + title_;
        return 0;
    }
    std::int32_t StateDiscId(const std::string& state, std::uint64_t& disc) override {
        if (state.size() < 20) return static_cast<std::int32_t>(0x80004005u);
        disc = std::hash<std::string>()(state.substr(16, 4));
        return 0;
    }
    std::uint64_t CurrentDiscId() override { return std::hash<std::string>()(disc_); }
    std::int32_t SetState(const std::string& state) override {
        restored_ = state;
        return 0;
    }

    testing::TempDir dir_;
    std::string disc_ = "DSC1";
    std::string title_ = "3";
    std::string restored_;
    bool failState_ = false;
    QApplication& app_ = testing::App();  // before the log's timer
    testing::FakeUi ui_{session};
    BookmarkSettings& settings_ = ui_.bookmark;
    testing::MessageBoxLog log_;
    const std::vector<std::string>& boxes_ = log_.texts;
};

TEST_F(DvdBookmarkCommandsTest, SavedStateAndSettingsComeBackOnTheSameDisc) {
    settings_.Volume = 80;
    settings_.CropX = 16;
    const std::string name = (dir_ / "disc.mpk").string();
    WriteDvdBookmark(session, name);
    ASSERT_TRUE(boxes_.empty());
    title_ = "7";
    settings_ = BookmarkSettings{};
    ReadDvdBookmark(session, name);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(restored_, std::string(16, '\x42') + "DSC1;title=3");
    EXPECT_EQ(settings_.Volume, 80);
    EXPECT_EQ(settings_.CropX, 16);
}

TEST_F(DvdBookmarkCommandsTest, AnotherDiscKeepsTheNavigatorButTakesTheSettings) {
    settings_.Volume = 15;
    const std::string name = (dir_ / "other.mpk").string();
    WriteDvdBookmark(session, name);
    disc_ = "DSC2";
    settings_ = BookmarkSettings{};
    ReadDvdBookmark(session, name);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0], "Bookmark restore error, dvd not current dvd");
    EXPECT_TRUE(restored_.empty());
    EXPECT_EQ(settings_.Volume, 15);
}

TEST_F(DvdBookmarkCommandsTest, ATextFileIsRefusedAsACompoundFile) {
    const std::string name = (dir_ / "movie.mpk").string();
    testing::WriteFile(name, "Quova1.1MovieBookmark\r\n[\r\n");
    settings_.Volume = 33;
    ReadDvdBookmark(session, name);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].rfind(
                  "Bookmark restore error, can't open bookmark file " + name + ", error 8", 0),
              0u)
        << boxes_[0];
    EXPECT_TRUE(restored_.empty());
    EXPECT_EQ(settings_.Volume, 33);
}

TEST_F(DvdBookmarkCommandsTest, NavigatorFailureIsReportedOnSave) {
    failState_ = true;
    const std::string name = (dir_ / "fail.mpk").string();
    WriteDvdBookmark(session, name);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(
        boxes_[0].rfind("bookmark save error, can't get dvd navigator state, error 80004005", 0),
        0u)
        << boxes_[0];
    EXPECT_FALSE(std::filesystem::exists(name));
}

}  // namespace
}  // namespace quova

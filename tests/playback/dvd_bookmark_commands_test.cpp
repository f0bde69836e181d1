#include <gtest/gtest.h>

#include "graph/graph_state.h"
#include "playback/bookmarks.h"
#include "playback/dvd_bookmark_file.h"
#include "tests/app/qt_support.h"
#include "tests/support/temp_dir.h"

namespace quova {
namespace {

// The navigator is not part of this build yet; this stand-in keeps a state
// text whose first 16 bytes name its class and whose disc is the text after.
class DvdBookmarkCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::App();
        Graph().MediaKind = MediaKindDvd;
        BookmarkHooks& b = Bookmarks();
        b = BookmarkHooks{};
        b.Settings = [this] { return settings_; };
        b.StoreSettings = [this](const BookmarkSettings& s) { settings_ = s; };
        b.ApplyCropAndLayout = [] {};
        b.DvdCanSave = [] { return true; };
        b.DvdReady = [] { return true; };
        b.GetDvdState = [this](std::string& state) {
            state = std::string(16, '\x42') + disc_ + ";title=" + title_;
            return 0;
        };
        b.StateDiscId = [](const std::string& state, std::uint64_t& disc) {
            if (state.size() < 20) return static_cast<std::int32_t>(0x80004005u);
            disc = std::hash<std::string>()(state.substr(16, 4));
            return 0;
        };
        b.CurrentDiscId = [this] { return std::hash<std::string>()(disc_); };
        b.SetDvdState = [this](const std::string& state) {
            restored_ = state;
            return 0;
        };
    }
    void TearDown() override {
        Graph().MediaKind = MediaKindNone;
        Bookmarks() = BookmarkHooks{};
    }

    testing::TempDir dir_;
    BookmarkSettings settings_;
    std::string disc_ = "DSC1";
    std::string title_ = "3";
    std::string restored_;
    QApplication& app_ = testing::App();  // before the log's timer
    testing::MessageBoxLog log_;
    const std::vector<std::string>& boxes_ = log_.texts;
};

TEST_F(DvdBookmarkCommandsTest, SavedStateAndSettingsComeBackOnTheSameDisc) {
    settings_.Volume = 80;
    settings_.CropX = 16;
    const std::string name = (dir_ / "disc.mpk").string();
    WriteDvdBookmark(name);
    ASSERT_TRUE(boxes_.empty());
    title_ = "7";
    settings_ = BookmarkSettings{};
    ReadDvdBookmark(name);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(restored_, std::string(16, '\x42') + "DSC1;title=3");
    EXPECT_EQ(settings_.Volume, 80);
    EXPECT_EQ(settings_.CropX, 16);
}

TEST_F(DvdBookmarkCommandsTest, AnotherDiscKeepsTheNavigatorButTakesTheSettings) {
    settings_.Volume = 15;
    const std::string name = (dir_ / "other.mpk").string();
    WriteDvdBookmark(name);
    disc_ = "DSC2";
    settings_ = BookmarkSettings{};
    ReadDvdBookmark(name);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0], "Bookmark restore error, dvd not current dvd");
    EXPECT_TRUE(restored_.empty());
    EXPECT_EQ(settings_.Volume, 15);
}

TEST_F(DvdBookmarkCommandsTest, ATextFileIsRefusedAsACompoundFile) {
    const std::string name = (dir_ / "movie.mpk").string();
    testing::WriteFile(name, "Quova1.1MovieBookmark\r\n[\r\n");
    settings_.Volume = 33;
    ReadDvdBookmark(name);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].rfind(
                  "Bookmark restore error, can't open bookmark file " + name + ", error 8", 0),
              0u)
        << boxes_[0];
    EXPECT_TRUE(restored_.empty());
    EXPECT_EQ(settings_.Volume, 33);
}

TEST_F(DvdBookmarkCommandsTest, NavigatorFailureIsReportedOnSave) {
    Bookmarks().GetDvdState = [](std::string&) { return static_cast<std::int32_t>(0x80004005u); };
    const std::string name = (dir_ / "fail.mpk").string();
    WriteDvdBookmark(name);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(
        boxes_[0].rfind("bookmark save error, can't get dvd navigator state, error 80004005", 0),
        0u)
        << boxes_[0];
    EXPECT_FALSE(std::filesystem::exists(name));
}

}  // namespace
}  // namespace quova

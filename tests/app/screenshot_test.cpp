// The screenshot commands in the real window and engine: the file they
// write is the renderer's shown frame, pixel for pixel, in the pictures
// folder the user's user-dirs.dirs names.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "graph/graph_state.h"
#include "lexicon/lexicon.h"
#include "platform/engine/video_renderer.h"
#include "playback/player_session.h"
#include "playback/transport.h"
#include "tests/support/gst_media.h"
#include "tests/support/temp_dir.h"
#include "tests/support/window_fixture.h"

namespace quova {
namespace {

namespace fs = std::filesystem;

// "" when `a` and `b` are the same picture, else where they differ first.
std::string Difference(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return "sizes " + std::to_string(a.width()) + "x" + std::to_string(a.height()) + " and " +
               std::to_string(b.width()) + "x" + std::to_string(b.height());
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return "pixel " + std::to_string(x) + "," + std::to_string(y) + ": " +
                       std::to_string(a.pixel(x, y)) + " and " + std::to_string(b.pixel(x, y));
    return "";
}

QImage Png(const std::filesystem::path& file) {
    return QImage(QString::fromStdString(file.string()), "PNG")
        .convertToFormat(QImage::Format_RGB32);
}

// Sets an environment variable for the test's time and puts it back after.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

class Screenshots : public testing::WindowTest {
  protected:
    void BeforeWindow() override {
        fs::create_directories(dir_ / "config");
        UsePictures("\"" + (dir_ / "pictures").string() + "\"");
    }
    // What user-dirs.dirs says of the pictures folder.
    void UsePictures(const std::string& value) {
        testing::WriteFile(dir_ / "config/user-dirs.dirs",
                           "# written by the test\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                           "XDG_PICTURES_DIR=" +
                               value + "\n");
    }
    // The OSD's message once the command has told, "" when it did not.
    std::string Take(const char* item) {
        session.osdMessage.clear();
        form_->popup().Trigger(item);
        auto told = [this] {
            const std::string& m = session.osdMessage;
            return m.starts_with("screenshot saved: ") || m == Lex(3010) ||
                   m.starts_with(FormatLex(3000, "").substr(0, 20));
        };
        QElapsedTimer clock;
        clock.start();
        while (!told() && clock.elapsed() < 15000) testing::PumpEvents(10);
        return told() ? session.osdMessage : std::string();
    }
    // The file a message says was written.
    static fs::path SavedFile(const std::string& message) {
        const std::string prefix = "screenshot saved: ";
        return message.starts_with(prefix) ? fs::path(message.substr(prefix.size())) : fs::path();
    }
    // A colour-bar clip at a size of its own (not the window's), paused.
    void OpenPausedBars() {
        const fs::path clip = dir_ / "bars clip.avi";
        ASSERT_EQ(testing::MakeMedia(
                      "videotestsrc pattern=smpte num-buffers=50 ! video/x-raw,width=352,"
                      "height=288,framerate=25/1 ! jpegenc ! avimux ! filesink location=$OUT",
                      clip),
                  "");
        form_->OpenMedia(clip.string());
        ASSERT_EQ(session.graph.MediaKind, MediaKindFile);
        ASSERT_TRUE(session.graph.VideoWindow);
        form_->commands().Run("Pause");
        QElapsedTimer clock;
        clock.start();
        while ((GraphStateOf(session) != engine::GraphState::Paused ||
                session.graph.VideoWindow->CurrentImage().isNull()) &&
               clock.elapsed() < 15000)
            testing::PumpEvents(10);
        ASSERT_EQ(GraphStateOf(session), engine::GraphState::Paused);
        testing::PumpEvents(200);  // the paused frame reaches the window
    }
    QImage Shown() const {
        return session.graph.VideoWindow->CurrentImage().convertToFormat(QImage::Format_RGB32);
    }

    ScopedEnv config_{"XDG_CONFIG_HOME", (dir_ / "config").string()};
};

TEST_F(Screenshots, SaveTheShownFrameAtItsOwnSizeInThePicturesFolderAndNeverOverwrite) {
    OpenPausedBars();
    ASSERT_EQ(Shown().size(), QSize(352, 288));
    ASSERT_NE(form_->size(), QSize(352, 288));

    // Each file is the frame the renderer shows as the command runs (the
    // one before it or, should a new one have come meanwhile, that one).
    std::vector<fs::path> files;
    for (const char* item : {"Screenshot1", "Screenshot1", "VideoScreenshot1"}) {
        const QImage before = Shown();
        const fs::path file = SavedFile(Take(item));
        ASSERT_FALSE(file.empty()) << item << ": " << session.osdMessage;
        const QImage saved = Png(file);
        const std::string differs = Difference(saved, before);
        if (!differs.empty()) {
            EXPECT_EQ(Difference(saved, Shown()), "") << file << " " << differs;
        }
        files.push_back(file);
    }
    EXPECT_EQ(files[0].parent_path(), dir_ / "pictures/Quova");
    const std::string name = files[0].filename().string();
    EXPECT_TRUE(name.starts_with("bars clip 0-00-0")) << name;
    EXPECT_TRUE(name.ends_with(".png")) << name;
    // The same place again: new files beside the first.
    const std::string stem = name.substr(0, name.size() - 4);
    EXPECT_EQ(files[1].filename(), stem + " (2).png");
    EXPECT_EQ(files[2].filename(), stem + " (3).png");
    // Nothing else is left in the folder (no temporary files).
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "pictures/Quova"), {}), 3);
}

TEST_F(Screenshots, TheFolderComesFromTheHomeFormOfUserDirsToo) {
    ScopedEnv home("HOME", (dir_ / "home").string());
    fs::create_directories(dir_ / "home");
    UsePictures("\"$HOME/My Pictures\"");
    OpenPausedBars();
    const fs::path file = SavedFile(Take("VideoScreenshot1"));
    EXPECT_EQ(file.parent_path(), dir_ / "home/My Pictures/Quova") << session.osdMessage;
}

TEST_F(Screenshots, SayWhyNothingWasSaved) {
    // Nothing open.
    EXPECT_EQ(Take("Screenshot1"), Lex(3010));
    // Sound alone.
    form_->OpenMedia(testing::media::Wav(dir_ / "tone.wav", 1.0).string());
    ASSERT_EQ(session.graph.MediaKind, MediaKindFile);
    EXPECT_EQ(Take("Screenshot1"), Lex(3010));
    EXPECT_EQ(Take("VideoScreenshot1"), Lex(3010));

    // A folder that cannot be made: a file stands where a folder would go.
    testing::WriteFile(dir_ / "plain", "not a folder");
    UsePictures("\"" + (dir_ / "plain/pictures").string() + "\"");
    OpenPausedBars();
    const std::string message = Take("Screenshot1");
    const std::string expected = FormatLex(3000, (dir_ / "plain/pictures/Quova").string());
    EXPECT_TRUE(message.starts_with(expected)) << message;
    EXPECT_GT(message.size(), expected.size()) << "and why";
}

}  // namespace
}  // namespace quova

// The command table against the menu design, and the information commands it
// wires: "AVI Info..." and the ID3 display.
#include "app/commands.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <set>
#include <string>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/menu_model.h"
#include "app/play_list.h"
#include "app/popup_menu.h"
#include "app/text_dialog.h"
#include "graph/graph_state.h"
#include "platform/engine/decoder_choice.h"
#include "platform/registry/registry.h"
#include "playback/transport.h"
#include "tests/app/qt_support.h"
#include "tests/support/gst_media.h"
#include "tests/support/temp_dir.h"
#include "tests/support/window_fixture.h"
#include "text/osd.h"

namespace quova {
namespace {

// Every item a user can choose runs something, and every command is on an
// item: an item without a handler would be shown and do nothing, as "AVI
// Info..." and "ID3" once did.
TEST(CommandTable, EveryLeafItemHasACommandAndEveryCommandAnItem) {
    std::set<std::string> commands;
    for (const Command& c : CommandTable()) {
        EXPECT_TRUE(commands.insert(c.handler).second) << c.handler << " is listed twice";
        EXPECT_NE(c.run, nullptr) << c.handler;
    }
    const MenuModel model;
    std::set<std::string> named;
    for (const MenuItem* item : model.All()) {
        // A leaf designed disabled ("Define...") is never enabled: it runs nothing.
        if (item->separator || !item->children.empty() || !item->enabled) continue;
        EXPECT_FALSE(item->handler.empty()) << item->name << " has no handler";
        EXPECT_TRUE(commands.count(item->handler))
            << item->name << ": no command " << item->handler;
        named.insert(item->handler);
    }
    for (const std::string& handler : commands)
        EXPECT_TRUE(named.count(handler)) << handler << " is on no item";
}

using HardwareDecodingCommand = testing::WindowTest;

// On by default; the item turns the stored setting and the engine's choice
// off together, and on again.
TEST_F(HardwareDecodingCommand, TheItemTurnsTheSettingAndTheEnginesChoice) {
    const auto& choice = engine::DecoderChoice::Instance();
    ASSERT_TRUE(AppSettings().HardwareDecoding);
    EXPECT_TRUE(choice.HardwareAllowed());
    form_->popup().Trigger("HardwareDecoding1");
    EXPECT_FALSE(AppSettings().HardwareDecoding);
    EXPECT_FALSE(choice.HardwareAllowed());
    form_->popup().Trigger("HardwareDecoding1");
    EXPECT_TRUE(AppSettings().HardwareDecoding);
    EXPECT_TRUE(choice.HardwareAllowed());
}

class InfoCommands : public testing::WindowTest {
  protected:
    // The caption and first line of the text dialog the command shows.
    std::pair<std::string, std::string> DialogOf(const char* item) {
        std::pair<std::string, std::string> seen;
        testing::OnNextModal([&seen](QWidget* w) {
            auto* dialog = qobject_cast<TOKBottomDlg*>(w);
            if (!dialog) return;
            const std::string text = dialog->label()->text().toStdString();
            seen = {dialog->windowTitle().toStdString(), text.substr(0, text.find('\n'))};
            dialog->okButton()->click();
        });
        form_->popup().Trigger(item);
        return seen;
    }
    // Lit pixels in the band of ID3 line `line` (0 to 6).
    int LitInId3Line(int line) {
        const QImage shot = form_->grab().toImage();
        const int h = AppSettings().OsdLineHeight;
        int lit = 0;
        for (int y = (line + 2) * (h + 1); y < (line + 3) * (h + 1); ++y)
            for (int x = h; x < shot.width() / 2; ++x)
                if (qGray(shot.pixel(x, y)) > 64) ++lit;
        return lit;
    }
};

TEST_F(InfoCommands, AviInfoShowsTheAviHeadersOfAnAviAndTheStreamsOfAnOggFile) {
    form_->OpenMedia(testing::media::AviPcm(dir_ / "clip.avi", 0.5, 1).string());
    const auto avi = DialogOf("AVIInfo1");
    EXPECT_EQ(avi.first, "AVI Info");
    EXPECT_EQ(avi.second, Graph().AviInfoText.substr(0, Graph().AviInfoText.find('\n')));
    EXPECT_FALSE(avi.second.empty());

    form_->OpenMedia(testing::media::OggVorbis(dir_ / "tone.ogg", 0.5).string());
    const auto ogg = DialogOf("AVIInfo1");
    EXPECT_EQ(ogg.first, "OGG Info");
    EXPECT_FALSE(ogg.second.empty());
}

TEST_F(InfoCommands, AnMp3sId3TagShowsWhileId3IsOnAndGoesWithIt) {
    ASSERT_TRUE(AppSettings().Id3On) << "on by default";
    form_->OpenMedia(testing::media::Mp3(dir_ / "song.mp3", 1.0, true).string());
    ASSERT_EQ(Graph().MediaKind, MediaKindFile);
    testing::PumpEvents(100);
    for (int line = 0; line < 7; ++line) EXPECT_GT(LitInId3Line(line), 20) << "line " << line;
    form_->popup().Trigger("ID31");
    EXPECT_FALSE(AppSettings().Id3On);
    testing::PumpEvents(100);
    for (int line = 0; line < 7; ++line) EXPECT_EQ(LitInId3Line(line), 0) << "line " << line;

    // A file without a tag shows nothing, ID3 on or not.
    form_->popup().Trigger("ID31");
    form_->OpenMedia(testing::media::Mp3(dir_ / "plain.mp3", 1.0, false).string());
    testing::PumpEvents(100);
    EXPECT_EQ(LitInId3Line(0), 0);
}

// The chapter items of a film whose settings file lists chapters move
// through them, as they move through a disc's.
TEST_F(InfoCommands, TheChapterItemsMoveThroughTheChaptersOfTheFilmsSettingsFile) {
    // Frames at 25 a second: the second chapter starts at 1 s.
    testing::WriteFile(dir_ / "clip.ini", "[CHAPTERS]\n1=0 Start\n2=25 Middle\n");
    form_->OpenMedia(testing::media::AviPcm(dir_ / "clip.avi", 2.0, 1).string());
    ASSERT_EQ(Graph().MediaKind, MediaKindFile);
    Graph().GraphBuilder->Pause();
    SeekTo(0.2);
    form_->popup().Trigger("Next3");
    EXPECT_NEAR(CurrentPosition(), 1.0, 0.05);
    EXPECT_EQ(OsdMessage, "Middle");
    SeekTo(1.5);
    form_->popup().Trigger("Previous2");
    EXPECT_NEAR(CurrentPosition(), 0.0, 0.05);
    EXPECT_EQ(OsdMessage, "Start");
}

}  // namespace
}  // namespace quova

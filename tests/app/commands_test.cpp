// The command table against the menu design, and the information commands it
// wires: "AVI Info..." and the ID3 display.
#include "app/commands.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
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
#include "playback/player_session.h"
#include "playback/transport.h"
#include "tests/app/qt_support.h"
#include "tests/support/gst_media.h"
#include "tests/support/temp_dir.h"
#include "tests/support/window_fixture.h"
#include "text/osd.h"

namespace quova {
namespace {

// Every item a user can choose runs something, and every command is on an
// item or another entry point: an item without a handler would be shown and
// do nothing, as "AVI Info..." and "ID3" once did.
TEST(CommandTable, EveryEntryPointNamesACommandAndEveryCommandHasOne) {
    std::set<std::string> commands;
    for (const Command& c : CommandTable()) {
        EXPECT_TRUE(commands.insert(c.id).second) << c.id << " is listed twice";
        EXPECT_NE(c.run, nullptr) << c.id;
    }
    std::set<std::string> named;
    const MenuModel model;
    for (const MenuItem* item : model.All()) {
        // A leaf designed disabled ("Define...") is never enabled: it runs nothing.
        if (item->separator || !item->children.empty() || !item->enabled) continue;
        EXPECT_FALSE(item->handler.empty()) << item->name << " has no handler";
        const Command* command = FindCommand(item->handler);
        ASSERT_NE(command, nullptr) << item->name << ": no command " << item->handler;
        EXPECT_TRUE(command->arg == ArgKind::None || command->arg == ArgKind::Item)
            << item->name << ": " << item->handler << " takes more than the item";
        named.insert(item->handler);
    }
    const std::pair<const char*, const std::vector<Binding>*> tables[] = {
        {"WindowBindings", &WindowBindings()},
        {"TitleStripBindings", &TitleStripBindings()},
        {"ControlBarBindings", &ControlBarBindings()},
        {"OutsideBindings", &OutsideBindings()},
    };
    for (const auto& [table, bindings] : tables)
        for (const Binding& b : *bindings) {
            const Command* command = FindCommand(b.id);
            ASSERT_NE(command, nullptr) << table << " " << b.input << ": no command " << b.id;
            EXPECT_EQ(command->arg, b.arg) << table << " " << b.input << " -> " << b.id;
            named.insert(b.id);
        }
    for (const std::string& id : commands) EXPECT_TRUE(named.count(id)) << id << " is on nothing";

    // Every input the window's code asks a table for is in that table: an
    // entry point naming an input nobody bound would do nothing.
    std::map<std::string, const std::vector<Binding>*> byName;
    for (const auto& [table, bindings] : tables) byName[table] = bindings;
    int asked = 0;
    for (const auto& file : std::filesystem::directory_iterator(QUOVA_APP_SOURCE_DIR)) {
        if (file.path().extension() != ".cpp") continue;
        std::ifstream in(file.path());
        const std::string source((std::istreambuf_iterator<char>(in)), {});
        // BoundId(SomeBindings(), "input") and the bus's Ask("input"...), the
        // input possibly chosen between literals.
        static const std::regex call(R"re(BoundId\(\s*(\w+)\(\)\s*,([^;]*)|\bAsk\(("[^"]*"))re");
        static const std::regex literal(R"re("([^"]*)")re");
        for (std::sregex_iterator it(source.begin(), source.end(), call), end; it != end; ++it) {
            const std::string table = (*it)[1].matched ? (*it)[1].str() : "OutsideBindings";
            const std::string args = (*it)[1].matched ? (*it)[2].str() : (*it)[3].str();
            ASSERT_TRUE(byName.count(table)) << file.path() << ": no table " << table;
            for (std::sregex_iterator l(args.begin(), args.end(), literal), e; l != e; ++l) {
                ++asked;
                EXPECT_FALSE(BoundId(*byName[table], (*l)[1].str()).empty())
                    << file.path().filename() << " asks " << table << " for " << (*l)[1];
            }
        }
    }
    EXPECT_GT(asked, 20) << "the scan found the entry points";
}

using WindowButtons = testing::WindowTest;

// Every button of the window runs a command: the title strip's by name, the
// control bar's by tag.
TEST_F(WindowButtons, EachRunsABoundCommand) {
    int buttons = 0;
    for (QPushButton* b : form_->findChildren<QPushButton*>(Qt::FindDirectChildrenOnly)) {
        ++buttons;
        const std::string name = b->objectName().toStdString();
        std::string_view id = BoundId(TitleStripBindings(), name);
        if (id.empty())
            id = BoundId(ControlBarBindings(), std::to_string(b->property("tag").toInt()));
        EXPECT_FALSE(id.empty()) << name;
        EXPECT_NE(FindCommand(id), nullptr) << name;
    }
    // The close, minimise and help buttons, six on the control bar, the disc's menu.
    EXPECT_EQ(buttons, 10);
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
    EXPECT_EQ(avi.second,
              session.graph.AviInfoText.substr(0, session.graph.AviInfoText.find('\n')));
    EXPECT_FALSE(avi.second.empty());

    form_->OpenMedia(testing::media::OggVorbis(dir_ / "tone.ogg", 0.5).string());
    const auto ogg = DialogOf("AVIInfo1");
    EXPECT_EQ(ogg.first, "OGG Info");
    EXPECT_FALSE(ogg.second.empty());
}

TEST_F(InfoCommands, AnMp3sId3TagShowsWhileId3IsOnAndGoesWithIt) {
    ASSERT_TRUE(AppSettings().Id3On) << "on by default";
    form_->OpenMedia(testing::media::Mp3(dir_ / "song.mp3", 1.0, true).string());
    ASSERT_EQ(session.graph.MediaKind, MediaKindFile);
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
    ASSERT_EQ(session.graph.MediaKind, MediaKindFile);
    session.graph.GraphBuilder->Pause();
    SeekTo(session, 0.2);
    form_->popup().Trigger("Next3");
    EXPECT_NEAR(CurrentPosition(session), 1.0, 0.05);
    EXPECT_EQ(session.osdMessage, "Middle");
    SeekTo(session, 1.5);
    form_->popup().Trigger("Previous2");
    EXPECT_NEAR(CurrentPosition(session), 0.0, 0.05);
    EXPECT_EQ(session.osdMessage, "Start");
}

}  // namespace
}  // namespace quova

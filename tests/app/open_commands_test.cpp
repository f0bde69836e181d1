#include <gtest/gtest.h>

#include <QAction>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QInputDialog>
#include <QMenu>
#include <QThread>

#include "app/about_box.h"
#include "app/app_state.h"
#include "app/main_window.h"
#include "app/popup_menu.h"
#include "app/recent_files.h"
#include "graph/filter_list.h"
#include "graph/graph_state.h"
#include "platform/registry/registry.h"
#include "playback/player_session.h"
#include "tests/app/qt_support.h"
#include "tests/support/gst_media.h"
#include "tests/support/http_server.h"
#include "tests/support/player_state.h"
#include "tests/support/temp_dir.h"
#include "tests/support/window_fixture.h"

namespace quova {
namespace {

class OpenCommands : public testing::WindowTest {
  protected:
    OpenCommands() : WindowTest({.size = {}}) {}
    std::vector<std::string> VisibleFilterItems() {
        std::vector<std::string> out;
        for (MenuItem* item : form_->menuModel().Find("Filters1")->children)
            if (item->visible) out.push_back(item->caption);
        return out;
    }
};

TEST_F(OpenCommands, ADroppedClipPlaysInTheWindowUnderItsName) {
    const auto clip = testing::media::AviPcm(dir_ / "dropped.avi", 1.0, 1);
    form_->DroppedFiles({clip.string()});
    EXPECT_EQ(form_->windowTitle(), "Quova - dropped.avi");
    ASSERT_TRUE(session.graph.VideoWindow);
    // The picture is a child of the main window, shown, and frames reach it.
    EXPECT_EQ(session.graph.VideoWindow->Owner(), form_.get());
    EXPECT_TRUE(session.graph.VideoWindow->IsVisible());
    EXPECT_TRUE(
        testing::WaitUntil([this] { return session.graph.VideoWindow->ReceivedFrames() >= 5; }));
    EXPECT_TRUE(form_->timer1()->isActive());
    // The opened name heads the recent files, and its menu item shows it.
    EXPECT_EQ(AppSettings().RecentFiles[0], clip.string());
    EXPECT_EQ(form_->menuModel().Find("recentn1")->caption, clip.string());
}

TEST_F(OpenCommands, TheFiltersSubmenuListsTheFiltersThatHaveSettings) {
    QMenu* menu = form_->popup().menu();
    // Nothing open: disabled.
    QMetaObject::invokeMethod(menu, "aboutToShow");
    EXPECT_FALSE(form_->menuModel().Find("Filters1")->enabled);

    const auto clip = testing::media::AviPcm(dir_ / "clip.avi", 1.0, 1);
    form_->OpenMedia(clip.string());
    QMetaObject::invokeMethod(menu, "aboutToShow");
    EXPECT_TRUE(form_->menuModel().Find("Filters1")->enabled);
    const std::vector<std::string> items = VisibleFilterItems();
    // The file source (its location can be set) is among them, under the
    // name it was added with; no filter is listed twice.
    EXPECT_NE(std::find(items.begin(), items.end(), clip.string()), items.end());
    EXPECT_GE(items.size(), 2u);
    std::vector<std::string> sorted = items;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end());
    for (const std::string& name : items) {
        const engine::FilterPtr filter = session.graph.GraphBuilder->FindFilterByName(name);
        ASSERT_TRUE(filter) << name;
        bool writable = false;
        for (const auto& p : filter->Properties()) writable = writable || p.writable;
        EXPECT_TRUE(writable) << name;
    }
    // A shorter graph next time hides the items it no longer needs.
    const auto tone = testing::media::Wav(dir_ / "tone.wav", 1.0);
    form_->OpenMedia(tone.string());
    QMetaObject::invokeMethod(menu, "aboutToShow");
    EXPECT_LT(VisibleFilterItems().size(), items.size());
}

TEST_F(OpenCommands, TheOpenCommandPlaysTheChosenFilesAsTheNewList) {
    const auto a = testing::media::Wav(dir_ / "a.wav", 1.0);
    const auto b = testing::media::Wav(dir_ / "b.wav", 1.0);
    testing::OnNextModal([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Open media file");
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFiles);
        dialog->setDirectory(QString::fromStdString(dir_.path().string()));
        dialog->selectFile("\"a.wav\" \"b.wav\"");
        QMetaObject::invokeMethod(dialog, "accept");
    });
    form_->popup().Trigger("Open1");
    EXPECT_EQ(form_->PlayList().size(), 2u);
    EXPECT_EQ(session.graph.CurrentMediaName, form_->PlayList().front());
    // Cancelled, nothing changes.
    testing::OnNextModal([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    form_->popup().Trigger("Open1");
    EXPECT_EQ(form_->PlayList().size(), 2u);
}

TEST_F(OpenCommands, OpenUrlPlaysTheTypedAddressAsTheNewList) {
    const auto served = dir_ / "served";
    std::filesystem::create_directories(served);
    testing::media::Wav(served / "tone.wav", 1.0);
    testing::HttpServer server(served);
    ASSERT_TRUE(server.Running());
    const std::string address = server.Address("tone.wav");
    testing::OnNextModal([&](QWidget* w) {
        auto* dialog = qobject_cast<QInputDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Open media file");
        // As pasted, with a line end.
        dialog->setTextValue(QString::fromStdString("  " + address + "\n"));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    form_->popup().Trigger("OpenURL1");
    EXPECT_EQ(form_->PlayList(), std::vector<std::string>{address});
    EXPECT_EQ(session.graph.CurrentMediaName, address);
    // Asked again, the dialog offers the address open now; cancelled, nothing changes.
    QString offered;
    testing::OnNextModal([&](QWidget* w) {
        offered = static_cast<QInputDialog*>(w)->textValue();
        static_cast<QDialog*>(w)->reject();
    });
    form_->popup().Trigger("OpenURL1");
    EXPECT_EQ(offered.toStdString(), address);
    EXPECT_EQ(form_->PlayList(), std::vector<std::string>{address});
}

TEST_F(OpenCommands, OpenFolderPlaysTheFoldersMediaAsTheNewList) {
    const std::filesystem::path show = dir_ / "show";
    std::filesystem::create_directory(show);
    std::vector<std::string> episodes;
    for (const char* name : {"ep1.wav", "ep2.wav", "ep10.wav"})
        episodes.push_back(testing::media::Wav(show / name, 0.5).string());
    testing::WriteFile(show / "ep1.srt", "1\n00:00:00,100 --> 00:00:00,400\nHello\n");
    testing::OnNextModal([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Open Folder");
        EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
        dialog->setDirectory(QString::fromStdString(dir_.path().string()));
        dialog->selectFile("show");
        QMetaObject::invokeMethod(dialog, "accept");
    });
    form_->popup().Trigger("OpenFolder1");
    EXPECT_EQ(form_->PlayList(), episodes);
    EXPECT_EQ(session.graph.CurrentMediaName, episodes.front());
    // Cancelled, nothing changes.
    testing::OnNextModal([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    form_->popup().Trigger("OpenFolder1");
    EXPECT_EQ(form_->PlayList(), episodes);
}

TEST_F(OpenCommands, AFileOpenedAloneBringsItsFolderAlongWhenTheOptionIsOn) {
    const std::filesystem::path show = dir_ / "show";
    std::filesystem::create_directory(show);
    std::vector<std::string> episodes;
    for (const char* name : {"ep1.wav", "ep2.wav", "ep10.wav"})
        episodes.push_back(testing::media::Wav(show / name, 0.5).string());
    const std::string second = episodes[1];

    // Off at first: the file alone.
    ASSERT_FALSE(AppSettings().FolderAroundFile);
    form_->DroppedFiles({second});
    EXPECT_EQ(form_->PlayList(), std::vector<std::string>{second});

    form_->popup().Trigger("FolderAroundFile1");
    EXPECT_TRUE(AppSettings().FolderAroundFile);
    QMetaObject::invokeMethod(form_->popup().menu(), "aboutToShow");
    EXPECT_TRUE(form_->menuModel().Find("FolderAroundFile1")->checked);

    // A drop, a second start and the open dialog with one file: the folder
    // is the list, and the file plays from its place in it.
    form_->DroppedFiles({second});
    EXPECT_EQ(form_->PlayList(), episodes);
    EXPECT_EQ(session.playList.PlayListIndex, 1);
    EXPECT_EQ(session.graph.CurrentMediaName, second);
    form_->HandOverReceived(episodes[2]);
    EXPECT_EQ(form_->PlayList(), episodes);
    EXPECT_EQ(session.playList.PlayListIndex, 2);
    EXPECT_EQ(session.graph.CurrentMediaName, episodes[2]);
    testing::OnNextModal([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        dialog->setDirectory(QString::fromStdString(show.string()));
        dialog->selectFile("ep1.wav");
        QMetaObject::invokeMethod(dialog, "accept");
    });
    form_->popup().Trigger("Open1");
    EXPECT_EQ(form_->PlayList(), episodes);
    EXPECT_EQ(session.graph.CurrentMediaName, episodes[0]);
    // Two files chosen together are the list, as always.
    form_->DroppedFiles({episodes[2], episodes[0]});
    EXPECT_EQ(form_->PlayList(), (std::vector<std::string>{episodes[2], episodes[0]}));

    form_->popup().Trigger("FolderAroundFile1");
    EXPECT_FALSE(AppSettings().FolderAroundFile);
}

TEST(Splash, StepsAsideAtOnceWhenTheCommandLineOpenedAMedium) {
    testing::App();
    testing::TempDir dir;
    registry::SetStorePath(dir / "registry.reg");
    AppSettings() = Settings{};
    const auto clip = testing::media::Wav(dir / "tone.wav", 1.0);
    for (const bool withFile : {true, false}) {
        SCOPED_TRACE(withFile);
        std::vector<std::string> params;
        if (withFile) params.push_back(clip.string());
        PlayerSession session;
        TQuovaForm form(session, params, (dir / "quova").string());
        auto* about = new TQuovaAboutBox(session, &form);
        form.SetAboutBox(about);
        about->show();
        Q_EMIT about->SplashTick();
        // Well before the splash's next tick.
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 100) QCoreApplication::processEvents();
        EXPECT_EQ(about->isVisible(), !withFile);
        if (withFile) {
            EXPECT_EQ(session.graph.CurrentMediaName, clip.string());
        }
    }
    PlayerSession after;
    testing::ResetPlayerState(after);
    registry::SetStorePath({});
}

TEST(RecentFiles, AnOpenedNameMovesUpAndAnAmpersandSurvivesTheMenu) {
    std::array<std::string, 5> recent{"a", "b", "c", "d", "e"};
    EXPECT_EQ(AddRecentFile(recent, "c"), 2);
    EXPECT_EQ(recent, (std::array<std::string, 5>{"c", "a", "b", "d", "e"}));
    EXPECT_EQ(AddRecentFile(recent, "new"), 4);
    EXPECT_EQ(recent, (std::array<std::string, 5>{"new", "c", "a", "b", "d"}));
    EXPECT_EQ(AddRecentFile(recent, ""), 4);
    EXPECT_EQ(recent[0], "new");
    AddRecentFile(recent, "/films/Tom & Jerry.avi");
    EXPECT_EQ(recent[0], "/films/Tom && Jerry.avi");
    EXPECT_EQ(RecentCaptionToName(recent[0]), "/films/Tom & Jerry.avi");
    // An accelerator the menu put in is dropped.
    EXPECT_EQ(RecentCaptionToName("&/films/x.avi"), "/films/x.avi");
}

}  // namespace
}  // namespace quova

#include "app/popup_menu.h"
#include "tests/app/menu_handlers.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QTest>
#include <QWidget>
#include <map>

#include "lexicon/menu_template.h"
#include "tests/app/qt_support.h"
#include "tests/support/temp_dir.h"

namespace quova {
namespace {

// Renders the built menu as "name=caption[shortcut](state){submenu}" items.
QString Outline(QMenu* menu, const MenuModel& model) {
    QStringList items;
    for (QAction* action : menu->actions()) {
        QString item = action->objectName() + "=" + (action->isSeparator() ? "-" : action->text());
        if (!action->shortcut().isEmpty()) item += "[" + action->shortcut().toString() + "]";
        if (!action->isVisible())
            item += "(hidden)";
        else if (!model.Find(action->objectName().toStdString())->enabled)
            item += "(disabled)";
        if (action->menu()) item += "{" + Outline(action->menu(), model) + "}";
        items << item;
    }
    return items.join(" ");
}

TEST(PopupMenu, TheBuiltTreeIsTheDesignedMenu) {
    testing::App();
    QWidget owner;
    MenuModel model;
    CommandGate gate;
    PopupMenu popup(model, &owner, gate);
    ASSERT_EQ(popup.menu()->objectName(), "PopupMenu1");
    const char* designed =
        "Open1=&Open...[Ctrl+O] OpenURL1=Open &URL...[Ctrl+Shift+U]"
        " OpenFolder1=Open &Folder...[Ctrl+Shift+O] DVD1=Play DVD"
        " RecentFiles1=Recent Files(disabled){recentn1=recentn1(hidden)}"
        " Options1=Options{PreventScreenSaver1=Prevent ScreenSaver AlwaysOnTop1=Always On Top"
        " PauseOnHide1=Pause On Hide ZoomToWindow1=Zoom To Window ResizetoMedia1=Resize to"
        " Media HardwareDecoding1=Hardware Decoding FolderAroundFile1=Play the Folder of a File "
        "AlwaysResume1=Always Resume Where a Medium Stopped "
        "SubtitlesonMovie1=Subtitles on Movie "
        "SubtitlesoverMovie1=Subtitles over Movie"
        " ShowHints1=ShowHints Advanced1=Advanced{CustomGraphBuilder1=Custom Graph Builder"
        " RegisterGraphOnROT1=Register Graph on ROT ExtractAudio1=Extract Audio{PCMToWav=PCM to"
        " .wav MP3ToMp3=MP3 to .mp3 PCMtoMp3=PCM to .mp3 PCMtoogg1=PCM to .ogm (Vorbis)}"
        " PCMtooggmuxvideo1=Transcode .* (PCM) to .ogm (Vorbis) BypassVideo1=Bypass Video"
        " BypassAudio1=Bypass Audio} HighPriority1=High Priority"
        " Resolution1=Resolution{Force16bits1=16 bits N22=- N800x6001=800x600"
        " N640x4801=640x480} ClearRecentFiles1=Clear Recent Files SaveonExit1=Save on Exit"
        " MuteonFastSlowPlayback1=&Mute on Fast/Slow Playback} Help2=&Help{Help1=Quick &Help..."
        " Documentation1=Documentation[F1] N21=- HomePage1=Home Page..."
        " About1=&About...[Ctrl+A]} Hide1=Hide Exit1=E&xit N2=- Playback1=&Playback{Play1=&Play"
        " Stop1=&Stop N3=- Quick1=Quick(er) Slow1=Slow(er) Step1=Step Screenshot1=Screens&hot"
        " VideoScreenshot1=Screenshot &without Subtitles N4=- FBWD1=Fast Backward"
        " FFWD1=Fast Forward N8=- Jump1=Jump{JumpBWD1=Backward 30 sec JumpFWD1=Forward 30 sec"
        " JumpBWD2=Backward 10 sec JumpFWD2=Forward 10 sec} N9=- Loop1=&Loop N16=- Info1=&Info"
        " Properties1=Properties... AVIInfo1=AVI Info... Filters1=Filters{Filter2=Filter}}"
        " Goto2=Goto{GoTo1=&Time...[Ctrl+G] Start1=Start End1=End N19=- Menu1=Menu{Title2=Title"
        " Root1=Root Subpicture1=Subpicture(hidden) Audio2=Audio(hidden) Angle1=Angle(hidden)"
        " Chapter2=Chapter(hidden)} Title1=Title(hidden){Previous3=&Previous Next4=&Next}"
        " Chapter1=Chapter{Previous2=&Previous Next3=&Next}} Angle2=Angle{Previous4=Previous"
        " Next5=Next} Bookmark1=Bookmark{Save1=Save...[Ctrl+B] Restore1=Restore..."
        " RestoreSessionBookmark1=Restore Session Bookmark} N12=- FullScreen1=FullScreen"
        " TrackBar2=TrackBar[Ctrl+T] N18=- Zoom1=Zoom{x1=\xC2\xBD"
        "x N1x1=1x N2x1=2x N3x1=3x N4x1=4x"
        " N14=- ZoomOut1=Zoom &Out ZoomIn1=Zoom &In} Pan1=&Pan{Up1=&Up Down1=&Down Left1=&Left"
        " Right1=&Right} Aspect1=&Aspect{Original1=Original FillScreen1=Screen Window1=Window"
        " Header1=Header N17=- StretchWidth1=Stretch Width CompressWidth1=Compress Width N24=-"
        " DoubleHeight1=Double Height HalfHeight1=Half Height Revert169431=Revert 16:9 -> 4:3"
        " Revert431691=Revert 4:3 -> 16:9} Crop1=&Crop{Original2=Original"
        " Define1=Define...(disabled) N23=- VerticalCrop1=Vertical Crop{Crop2=More"
        " Uncrop1=Less} HorizontalCrop1=Horizontal Crop{Crop3=More Uncrop2=Less}} N1=-"
        " PlayList1=Play List{Edit1=&Edit...[Ctrl+L] Next1=- First1=&First Next2=&Next[Ctrl+N]"
        " Previous1=&Previous[Ctrl+P] N15=- Random1=&Random} N10=-"
        " Audio1=Audio{VolumeUp1=Volume Up VolumeDown1=Volume Down N11=-"
        " MultipleAudio1=Multiple &Audio{Stream11=Stream &1 STream21=Stream &2 Stream31=Stream"
        " &3 Stream41=Stream &4 N26=- StreamDevice1=Stream 1 Device{StreamDeviceItem1=Default}"
        " StreamDevice2=Stream 2 Device{StreamDeviceItem2=Default}"
        " StreamDevice3=Stream 3 Device{StreamDeviceItem3=Default}"
        " StreamDevice4=Stream 4 Device{StreamDeviceItem4=Default}}"
        " AudioDevice1=Audio &Device{AudioDeviceItem1=Default}} Language1=Language{N13=?} N5=-"
        " OSD1=O&SD/Subtitles{Font1=&Font...[Ctrl+F] EnlargeFont1=Enlarge Font"
        " ReduceFont1=Reduce Font N7=- OSD2=&OSD TimeFormat1=&Time Format Color2=OSD Color..."
        " N25=- ID31=&ID3 N20=- Subtitles1=S&ubtitles Load1=&Load...[Ctrl+U] Adjust1=&Adjust..."
        " Color1=Subtitle Color... Sounds1=Sounds [] ChaptersonSubtitles1=Chapters on"
        " Subtitles SubtitleTracks1=Subtitle &Tracks(hidden){SubtitleSource1=?}}"
        " Subtitles3=Subtitles(hidden){N6=?}";
    EXPECT_EQ(Outline(popup.menu(), model).toStdString(), designed);

    // A few rows in full: hint, handler and tag.
    EXPECT_EQ(popup.Action("Open1")->statusTip(), "Open a movie ...");
    EXPECT_EQ(popup.Action("Exit1")->text(), "E&xit");
    EXPECT_TRUE(popup.Action("Exit1")->shortcut().isEmpty());
    EXPECT_EQ(model.Find("Exit1")->handler, "Exit1Click");
    EXPECT_EQ(model.Find("Root1")->handler, "Title2Click");
    EXPECT_EQ(model.Find("Root1")->tag, 3);
    EXPECT_EQ(model.Find("Chapter2")->tag, 7);
    EXPECT_EQ(model.Find("STream21")->handler, "Stream11Click");
    EXPECT_EQ(model.Find("Down1")->tag, 2);
    EXPECT_EQ(model.Find("Options1")->handler, "") << "opens its submenu";
    EXPECT_EQ(model.Find("N14")->handler, "About1Click");
    EXPECT_EQ(model.Find("x1")->handler, "N1x1Click");
    EXPECT_EQ(model.Find("x1")->tag, 5);
    EXPECT_EQ(model.Find("PCMToWav")->parent->name, "ExtractAudio1");
    EXPECT_FALSE(popup.Action("Define1")->isEnabled());
}

TEST(PopupMenu, CommandsAreAddressedByHandlerNameWithTheItemsTag) {
    testing::App();
    QWidget owner;
    MenuModel model;
    CommandGate gate;
    PopupMenu popup(model, &owner, gate);
    std::vector<int> tags;
    testing::MenuHandlers handlers(popup);
    handlers.Set("Title2Click", [&](MenuItem& item) { tags.push_back(item.tag); });
    popup.Action("Title2")->trigger();
    popup.Action("Root1")->trigger();
    popup.Trigger("Chapter2");
    // Items whose command does not exist yet are there and do nothing.
    popup.Action("DVD1")->trigger();
    popup.Trigger("Options1");
    EXPECT_EQ(tags, (std::vector<int>{2, 3, 7}));
}

TEST(PopupMenu, ShortcutsWorkWhileTheWindowHasTheFocus) {
    testing::App();
    QWidget owner;
    MenuModel model;
    CommandGate gate;
    PopupMenu popup(model, &owner, gate);
    int about = 0;
    testing::MenuHandlers handlers(popup);
    handlers.Set("About1Click", [&](MenuItem&) { ++about; });
    owner.show();
    owner.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&owner));
    QTest::keyClick(&owner, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(about, 1);
    // A hidden item's shortcut does nothing.
    model.Find("About1")->visible = false;
    popup.Sync();
    QTest::keyClick(&owner, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(about, 1);
}

// A shown window whose keys run the popup menu's items; what ran is noted.
struct KeyedWindow {
    bool app = (testing::App(), true);  // before any widget
    QWidget owner;
    MenuModel model;
    CommandGate gate;
    PopupMenu popup{model, &owner, gate};
    testing::MenuHandlers runner{popup};
    std::vector<std::string> ran;

    explicit KeyedWindow(std::initializer_list<const char*> handlers) {
        for (const char* handler : handlers)
            runner.Set(handler, [this](MenuItem& item) { ran.push_back(item.name); });
    }
    bool Show() {
        owner.show();
        owner.activateWindow();
        return QTest::qWaitForWindowActive(&owner);
    }
};

TEST(PopupMenu, KeyTwoItemsShareRunsTheFirstShownOneInMenuOrder) {
    KeyedWindow w({"Open1Click", "Edit1Click"});
    QWidget& owner = w.owner;
    MenuModel& model = w.model;
    PopupMenu& popup = w.popup;
    std::vector<std::string>& ran = w.ran;
    ASSERT_TRUE(w.Show());
    // The play list's edit command has Ctrl+L as designed; a template gives
    // it to Open1 as well.
    ASSERT_TRUE(ApplyMenuTemplateLine(model.TemplateItems(),
                                      {"Open1", "&Load...", "Ctrl+L", "Load a movie"}));
    popup.Sync();
    QTest::keyClick(&owner, Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(ran, (std::vector<std::string>{"Open1"}));
    // With Open1 hidden the key goes to the other item.
    model.Find("Open1")->visible = false;
    popup.Sync();
    QTest::keyClick(&owner, Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(ran, (std::vector<std::string>{"Open1", "Edit1"}));
}

TEST(PopupMenu, TemplateLineRecaptionsOpen1WithShortcutAndFiveLineHint) {
    testing::App();
    QWidget owner;
    MenuModel model;
    CommandGate gate;
    PopupMenu popup(model, &owner, gate);
    ASSERT_TRUE(ApplyMenuTemplateLine(model.TemplateItems(),
                                      {"Open1", "&Load...", "Ctrl+L", "Load a movie"}));
    popup.Sync();
    QAction* open = popup.Action("Open1");
    EXPECT_EQ(open->text(), "&Load...");
    EXPECT_EQ(open->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_L));
    EXPECT_EQ(open->statusTip(), "Load...\n----------\nLoad a movie\n----------\nShortcut: Ctrl+L");

    ASSERT_TRUE(ApplyMenuTemplateLine(model.TemplateItems(), {"Open1", "&Open...", "", ""}));
    popup.Sync();
    EXPECT_TRUE(open->shortcut().isEmpty());
    EXPECT_TRUE(open->statusTip().isEmpty());

    // Submenu items deep in the tree are reached; unknown key names give none.
    ASSERT_TRUE(ApplyMenuTemplateLine(model.TemplateItems(),
                                      {"JumpFWD2", "Vor 10 s", "Ctrl+Shift+Right", ""}));
    EXPECT_EQ(ShortcutText(model.Find("JumpFWD2")->shortcut), "Ctrl+Shift+Right");
    EXPECT_TRUE(ParseShortcut("Ctrl+Nothing").isEmpty());
    EXPECT_TRUE(ParseShortcut("Ctrl+X, Ctrl+C").isEmpty());
    EXPECT_EQ(ShortcutText(ParseShortcut("F11")), "F11");
}

TEST(PopupMenu, ATemplateGivesAnItemSeveralKeysButNoneTakenBefore) {
    KeyedWindow w({"Open1Click", "Next2Click"});
    // An unknown key is left out; Ctrl+O stays with Open1, first in the menu.
    ASSERT_TRUE(
        ApplyMenuTemplateLine(w.model.TemplateItems(),
                              {"Next2", "&Next", "Ctrl+N; PgDown; Ctrl+Nothing; Ctrl+O", "Next"}));
    w.popup.Sync();
    QAction* next = w.popup.Action("Next2");
    EXPECT_EQ(next->shortcuts(), (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_N),
                                                      QKeySequence(Qt::Key_PageDown)}));
    EXPECT_EQ(next->statusTip(),
              "Next\n----------\nNext\n----------\nShortcut: Ctrl+N; PgDown; Ctrl+O");
    ASSERT_TRUE(w.Show());
    QWidget& owner = w.owner;
    QTest::keyClick(&owner, Qt::Key_PageDown);
    QTest::keyClick(&owner, Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(&owner, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(w.ran, (std::vector<std::string>{"Next2", "Next2", "Open1"}));
    EXPECT_EQ(ParseShortcuts("Ctrl+;; F2").size(), 2);
    EXPECT_TRUE(ParseShortcuts("; ").isEmpty());
}

TEST(PopupMenu, CopiesAddedLaterJoinTheirSubmenuAndKeepTheOldActions) {
    testing::App();
    QWidget owner;
    MenuModel model;
    CommandGate gate;
    PopupMenu popup(model, &owner, gate);
    QAction* first = popup.Action("recentn1");
    MenuItem* copy = model.AddCopy(*model.Find("recentn1"));
    copy->caption = "/tmp/b.avi";
    copy->visible = true;
    int opened = 0;
    testing::MenuHandlers handlers(popup);
    handlers.Set("recentn1Click", [&](MenuItem& item) { opened += item.caption == "/tmp/b.avi"; });
    popup.Rebuild();
    EXPECT_EQ(popup.Action("recentn1"), first);
    QMenu* recent = popup.Action("RecentFiles1")->menu();
    ASSERT_EQ(recent->actions().size(), 2);
    recent->actions()[1]->trigger();
    EXPECT_EQ(opened, 1);

    // The copies have no name: a template line with an empty name is not theirs.
    quova::testing::TempDir dir;
    quova::testing::WriteFile(dir / "quova.en.mnu", "\"\",\"unnamed\",\"\",\"\"\r\n");
    EXPECT_TRUE(LoadMenuTemplateFile(model.TemplateItems(), dir / "quova.en.mnu"));
    EXPECT_EQ(copy->caption, "/tmp/b.avi");
}

}  // namespace
}  // namespace quova

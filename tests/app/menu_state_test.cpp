#include "app/menu_state.h"

#include <gtest/gtest.h>

namespace quova {
namespace {

// The options every situation below shares, set unlike their defaults so
// that each check mark shows it follows its option.
MenuInputs Options() {
    MenuInputs in;
    in.FirstRecentVisible = true;
    in.PreventScreenSaver = true;
    in.PauseOnHide = true;
    in.ShowHints = true;
    in.BypassAudio = false;
    in.Resolution = 640;
    in.SaveMru = false;
    in.SaveOnExit = true;
    in.SpeedMute = true;
    in.OsdOn = true;
    in.SubtitlesOn = true;
    in.LoopOn = true;
    in.ListCount = 3;
    in.ListIndex = 0;
    return in;
}

bool Enabled(const MenuState& s, const char* name) {
    return s[name].Enabled.value_or(true);
}
bool Visible(const MenuState& s, const char* name) {
    return s[name].Visible.value_or(true);
}
bool Checked(const MenuState& s, const char* name) {
    return s[name].Checked.value_or(false);
}

TEST(MenuState, NothingOpen) {
    MenuInputs in = Options();
    const MenuState s = ComputeMenuState(in);
    EXPECT_TRUE(Enabled(s, "RecentFiles1"));
    EXPECT_EQ(s["Hide1"].Caption, "Hide");
    EXPECT_TRUE(Checked(s, "PreventScreenSaver1"));
    EXPECT_FALSE(Checked(s, "AlwaysOnTop1"));
    EXPECT_TRUE(Checked(s, "PauseOnHide1"));
    EXPECT_TRUE(Checked(s, "N640x4801"));
    EXPECT_FALSE(Checked(s, "N800x6001"));
    EXPECT_TRUE(Checked(s, "ClearRecentFiles1"));  // the inverse of saving the list
    EXPECT_TRUE(Checked(s, "MuteonFastSlowPlayback1"));
    EXPECT_TRUE(Enabled(s, "ZoomToWindow1"));
    EXPECT_TRUE(Enabled(s, "BypassVideo1"));
    EXPECT_FALSE(Enabled(s, "Chapter1"));
    EXPECT_TRUE(Enabled(s, "Advanced1"));
    EXPECT_TRUE(Enabled(s, "Loop1"));
    EXPECT_TRUE(Checked(s, "Loop1"));
    for (const char* dvdOnly : {"Title1", "Menu1", "Angle2", "Subtitles3", "Language1"})
        EXPECT_FALSE(Visible(s, dvdOnly)) << dvdOnly;
    EXPECT_FALSE(Enabled(s, "Save1"));
    EXPECT_TRUE(Visible(s, "RestoreSessionBookmark1"));
    EXPECT_TRUE(Enabled(s, "First1"));
    EXPECT_TRUE(Enabled(s, "Next2"));
    EXPECT_TRUE(Visible(s, "Previous1"));
    EXPECT_FALSE(Enabled(s, "Previous1"));  // at the first entry
    EXPECT_FALSE(Enabled(s, "Playback1"));
    EXPECT_FALSE(Enabled(s, "Goto2"));
    EXPECT_FALSE(Enabled(s, "Crop1"));
    EXPECT_FALSE(Enabled(s, "Zoom1"));
    EXPECT_FALSE(Enabled(s, "Aspect1"));
    EXPECT_FALSE(Enabled(s, "Pan1"));
    EXPECT_FALSE(Enabled(s, "TrackBar2"));
    EXPECT_FALSE(Enabled(s, "Audio1"));
    EXPECT_TRUE(Checked(s, "N1x1"));
    EXPECT_TRUE(Checked(s, "OSD2"));
    EXPECT_FALSE(Checked(s, "ID31"));
    EXPECT_FALSE(s.LanguageItemsEnabled.has_value());

    in.WindowShown = false;
    in.FirstRecentVisible = false;
    in.RandomList = true;
    const MenuState hidden = ComputeMenuState(in);
    EXPECT_EQ(hidden["Hide1"].Caption, "Show");
    EXPECT_FALSE(Enabled(hidden, "RecentFiles1"));
    EXPECT_FALSE(Visible(hidden, "Previous1"));
    EXPECT_TRUE(Checked(hidden, "Random1"));
}

MenuInputs FilePlaying() {
    MenuInputs in = Options();
    in.MediaKind = 1;
    in.HasGraph = true;
    in.GraphState = 2;
    in.HasVideoWindow = true;
    in.HasBasicAudio = true;
    in.AudioStreamCount = 2;
    in.ChapterCount = 3;
    in.AviHeaderRead = true;
    in.HeaderWidth = 720;
    in.HeaderHeight = 576;
    in.NativeWidth = 720;
    in.NativeHeight = 576;
    in.ListIndex = 2;
    return in;
}

TEST(MenuState, FilePlaying) {
    const MenuState s = ComputeMenuState(FilePlaying());
    EXPECT_TRUE(Enabled(s, "Playback1"));
    EXPECT_TRUE(Enabled(s, "Goto2"));
    EXPECT_EQ(s["Play1"].Caption, "Pause");
    EXPECT_TRUE(Enabled(s, "Play1"));
    EXPECT_TRUE(Enabled(s, "Stop1"));
    EXPECT_TRUE(Enabled(s, "MultipleAudio1"));
    EXPECT_TRUE(Enabled(s, "AVIInfo1"));
    EXPECT_EQ(s["AVIInfo1"].Caption, "AVI Info");
    EXPECT_TRUE(Enabled(s, "Chapter1"));
    EXPECT_TRUE(Enabled(s, "Save1"));
    EXPECT_FALSE(Visible(s, "RestoreSessionBookmark1"));
    EXPECT_TRUE(Enabled(s, "Crop1"));
    EXPECT_TRUE(Enabled(s, "Zoom1"));
    EXPECT_TRUE(Enabled(s, "Aspect1"));
    EXPECT_FALSE(Enabled(s, "Header1"));  // the header says what the picture is
    EXPECT_FALSE(Enabled(s, "Pan1"));     // only in full screen
    EXPECT_TRUE(Enabled(s, "TrackBar2"));
    EXPECT_TRUE(Enabled(s, "Audio1"));
    EXPECT_FALSE(Enabled(s, "Next2"));  // the last entry plays
    EXPECT_TRUE(Enabled(s, "Previous1"));

    MenuInputs in = FilePlaying();
    in.FullScreen = true;
    in.ResizeToMedia = true;
    in.ZoomToWindow = true;
    in.OggStreamRead = true;
    in.HeaderWidth = 1024;  // 16:9 in a 4:3 frame
    in.ZoomFactor = 1.1;
    in.ControlBarVisible = in.ControlBarWanted = true;
    const MenuState full = ComputeMenuState(in);
    EXPECT_TRUE(Enabled(full, "Pan1"));
    EXPECT_TRUE(Enabled(full, "Header1"));
    EXPECT_FALSE(Enabled(full, "ResizetoMedia1"));
    EXPECT_TRUE(Enabled(full, "ZoomToWindow1"));
    EXPECT_TRUE(Enabled(full, "Zoom1"));  // resize to media is on
    EXPECT_EQ(full["AVIInfo1"].Caption, "OGG Info");
    EXPECT_TRUE(Checked(full, "FullScreen1"));
    EXPECT_TRUE(Checked(full, "TrackBar2"));
    for (const char* zoom : {"x1", "N1x1", "N2x1", "N3x1", "N4x1"})
        EXPECT_FALSE(Checked(full, zoom)) << zoom;

    in.BypassVideo = true;
    in.BypassAudio = false;
    const MenuState bypass = ComputeMenuState(in);
    EXPECT_FALSE(Enabled(bypass, "Zoom1"));
    EXPECT_FALSE(Enabled(bypass, "Aspect1"));
    EXPECT_FALSE(Enabled(bypass, "Pan1"));
    EXPECT_FALSE(Enabled(bypass, "BypassAudio1"));

    // The volume commands need an audio renderer that is not bypassed.
    in = FilePlaying();
    in.HasBasicAudio = false;
    EXPECT_FALSE(Enabled(ComputeMenuState(in), "Audio1"));
    in.HasBasicAudio = true;
    in.BypassAudio = true;
    EXPECT_FALSE(Enabled(ComputeMenuState(in), "Audio1"));
}

TEST(MenuState, ALiveStreamOffersNoPlaceToGoNorAnotherSpeed) {
    const char* const moving[] = {"FBWD1", "FFWD1",  "Jump1", "Quick1", "Slow1",
                                  "GoTo1", "Start1", "End1",  "Loop1",  "Save1"};
    const MenuState file = ComputeMenuState(FilePlaying());
    for (const char* name : moving) EXPECT_TRUE(Enabled(file, name)) << name;
    MenuInputs in = FilePlaying();
    in.LiveStream = true;
    const MenuState live = ComputeMenuState(in);
    for (const char* name : moving) EXPECT_FALSE(Enabled(live, name)) << name;
    // Pausing, stopping and what is heard and seen still apply.
    for (const char* name :
         {"Playback1", "Play1", "Stop1", "Step1", "Audio1", "Zoom1", "Crop1", "TrackBar2", "Goto2"})
        EXPECT_TRUE(Enabled(live, name)) << name;
}

TEST(MenuState, DeviceSubmenusNeedDevicesAndEachStreamsOneNeedsTheStreamHeard) {
    MenuInputs in = FilePlaying();
    in.AudioStreamCount = 3;
    in.StreamHeard = {true, false, true, false};
    // No sound server: nothing to choose from.
    MenuState s = ComputeMenuState(in);
    EXPECT_FALSE(Enabled(s, "AudioDevice1"));
    for (const char* name : {"StreamDevice1", "StreamDevice2", "StreamDevice3", "StreamDevice4"})
        EXPECT_FALSE(Visible(s, name)) << name;
    EXPECT_FALSE(Visible(s, "N26"));

    in.AudioDeviceCount = 2;
    s = ComputeMenuState(in);
    EXPECT_TRUE(Enabled(s, "AudioDevice1"));
    EXPECT_TRUE(Visible(s, "StreamDevice1"));
    EXPECT_FALSE(Visible(s, "StreamDevice2")) << "a stream switched off plays nowhere";
    EXPECT_TRUE(Visible(s, "StreamDevice3"));
    EXPECT_FALSE(Visible(s, "StreamDevice4"));
    EXPECT_TRUE(Visible(s, "N26"));

    // One stream: the one device choice is "Audio Device".
    in.AudioStreamCount = 1;
    in.StreamHeard = {true, false, false, false};
    s = ComputeMenuState(in);
    EXPECT_TRUE(Enabled(s, "AudioDevice1"));
    EXPECT_FALSE(Visible(s, "StreamDevice1"));
    EXPECT_FALSE(Visible(s, "N26"));
}

TEST(MenuState, FilePausedAtAnotherRate) {
    MenuInputs in = FilePlaying();
    in.GraphState = 1;
    in.Rate = 2.0;
    in.ZoomFactor = 2.0;
    const MenuState s = ComputeMenuState(in);
    EXPECT_EQ(s["Play1"].Caption, "Normal");
    EXPECT_TRUE(Enabled(s, "Stop1"));
    EXPECT_TRUE(Checked(s, "N2x1"));
    EXPECT_FALSE(Checked(s, "N1x1"));

    in.Rate = 1.0;
    EXPECT_EQ(ComputeMenuState(in)["Play1"].Caption, "Play");
    in.GraphState = 0;
    const MenuState stopped = ComputeMenuState(in);
    EXPECT_EQ(stopped["Play1"].Caption, "Play");
    EXPECT_FALSE(Enabled(stopped, "Stop1"));
}

// The file's own subtitle streams: offered only while a file that has them is
// open, and chosen among only while subtitles are on.
TEST(MenuState, SubtitleTracksOfTheOpenFile) {
    MenuInputs in = FilePlaying();
    EXPECT_FALSE(Visible(ComputeMenuState(in), "SubtitleTracks1"));
    in.SubtitleTrackCount = 2;
    EXPECT_TRUE(Visible(ComputeMenuState(in), "SubtitleTracks1"));
    EXPECT_TRUE(Enabled(ComputeMenuState(in), "SubtitleTracks1"));
    in.SubtitlesOn = false;
    EXPECT_FALSE(Enabled(ComputeMenuState(in), "SubtitleTracks1"));
    in.MediaKind = 2;  // a disc has its own subpicture menu
    EXPECT_FALSE(Visible(ComputeMenuState(in), "SubtitleTracks1"));
    in.MediaKind = 0;
    EXPECT_FALSE(Visible(ComputeMenuState(in), "SubtitleTracks1"));
}

// A screenshot needs a picture: a medium whose video the renderer shows,
// playing or paused, a file or a disc.
TEST(MenuState, ScreenshotsOnlyWhileAVideoIsShown) {
    auto offered = [](const MenuInputs& in) {
        const MenuState s = ComputeMenuState(in);
        EXPECT_EQ(Enabled(s, "Screenshot1"), Enabled(s, "VideoScreenshot1"));
        return Enabled(s, "Screenshot1");
    };
    MenuInputs in = FilePlaying();
    EXPECT_TRUE(offered(in));
    in.GraphState = 1;
    EXPECT_TRUE(offered(in)) << "paused";
    in.MediaKind = 2;
    EXPECT_TRUE(offered(in)) << "a disc";

    EXPECT_FALSE(offered(Options())) << "nothing open";
    in = FilePlaying();
    in.HasVideoWindow = false;
    EXPECT_FALSE(offered(in)) << "sound only";
    in = FilePlaying();
    in.BypassVideo = true;
    EXPECT_FALSE(offered(in)) << "the video left out";
    // What was offered for the last medium is taken back with it.
    in = FilePlaying();
    in.MediaKind = 0;
    in.HasGraph = false;
    in.HasVideoWindow = false;
    EXPECT_FALSE(offered(in));
}

TEST(MenuState, DvdInAMenu) {
    MenuInputs in = Options();
    in.MediaKind = 2;
    in.HasGraph = true;
    in.GraphState = 2;
    in.HasVideoWindow = true;
    in.HasBasicAudio = true;
    in.FullScreen = true;
    in.DvdInTitle = false;
    in.DvdTitle = 1;
    in.DvdTitleCount = 4;
    in.DvdChapter = 1;
    in.DvdChapterCount = 1;
    in.DvdAngle = 1;
    in.DvdAngleCount = 1;
    in.TitleMenuForbidden = true;
    in.SubpictureForbidden = true;
    const MenuState s = ComputeMenuState(in);
    EXPECT_FALSE(Enabled(s, "Advanced1"));
    EXPECT_FALSE(Enabled(s, "Loop1"));
    EXPECT_FALSE(Visible(s, "Sounds1"));
    EXPECT_FALSE(Visible(s, "RestoreSessionBookmark1"));
    EXPECT_TRUE(Enabled(s, "Save1"));
    for (const char* dvdOnly : {"Title1", "Menu1", "Angle2", "Subtitles3", "Language1"})
        EXPECT_TRUE(Visible(s, dvdOnly)) << dvdOnly;
    EXPECT_FALSE(Enabled(s, "Chapter1"));  // one chapter
    EXPECT_FALSE(Enabled(s, "Previous2"));
    EXPECT_FALSE(Enabled(s, "Next3"));
    EXPECT_TRUE(Enabled(s, "Title1"));
    EXPECT_FALSE(Enabled(s, "Previous3"));
    EXPECT_TRUE(Enabled(s, "Next4"));
    EXPECT_FALSE(Enabled(s, "Angle2"));
    EXPECT_FALSE(Enabled(s, "Title2"));
    EXPECT_TRUE(Enabled(s, "Root1"));
    EXPECT_TRUE(Enabled(s, "Menu1"));
    EXPECT_EQ(s.LanguageItemsEnabled, true);
    EXPECT_EQ(s.SubtitleItemsEnabled, false);
    // In a menu the picture stays as the disc lays it out.
    EXPECT_FALSE(Enabled(s, "Pan1"));
    EXPECT_FALSE(Enabled(s, "Aspect1"));
    EXPECT_TRUE(Enabled(s, "Crop1"));

    in.TitlePlayForbidden = true;
    in.RootMenuForbidden = true;
    const MenuState locked = ComputeMenuState(in);
    EXPECT_FALSE(Enabled(locked, "Title1"));
    EXPECT_FALSE(Enabled(locked, "Next4"));
    EXPECT_FALSE(Enabled(locked, "Menu1"));

    in.DvdInTitle = true;
    in.DvdChapterCount = 5;
    in.DvdChapter = 5;
    const MenuState title = ComputeMenuState(in);
    EXPECT_TRUE(Enabled(title, "Chapter1"));
    EXPECT_TRUE(Enabled(title, "Previous2"));
    EXPECT_FALSE(Enabled(title, "Next3"));
    EXPECT_TRUE(Enabled(title, "Pan1"));
    EXPECT_TRUE(Enabled(title, "Aspect1"));
}

// Chapters, titles and angles of a disc: Previous from the second on, Next up
// to the one before the last, the submenu from two on. Every count from one
// to three, at every position.
TEST(MenuState, DiscStepItemsAtTheFirstTheLastAndBetween) {
    struct Group {
        const char* menu;
        const char* previous;
        const char* next;
        void (*set)(MenuInputs&, int at, int count);
    };
    const Group groups[] = {
        {"Chapter1", "Previous2", "Next3",
         [](MenuInputs& in, int at, int count) {
             in.DvdChapter = at;
             in.DvdChapterCount = count;
         }},
        {"Title1", "Previous3", "Next4",
         [](MenuInputs& in, int at, int count) {
             in.DvdTitle = at;
             in.DvdTitleCount = count;
         }},
        {"Angle2", "Previous4", "Next5",
         [](MenuInputs& in, int at, int count) {
             in.DvdAngle = at;
             in.DvdAngleCount = count;
         }},
    };
    for (const Group& g : groups) {
        for (int count = 1; count <= 3; ++count) {
            for (int at = 1; at <= count; ++at) {
                SCOPED_TRACE(::testing::Message() << g.menu << " " << at << " of " << count);
                MenuInputs in = Options();
                in.MediaKind = 2;
                in.HasGraph = true;
                in.GraphState = 2;
                in.DvdInTitle = true;
                in.DvdChapter = in.DvdTitle = in.DvdAngle = 1;
                in.DvdChapterCount = in.DvdTitleCount = in.DvdAngleCount = 1;
                g.set(in, at, count);
                const MenuState s = ComputeMenuState(in);
                EXPECT_EQ(Enabled(s, g.menu), count >= 2);
                EXPECT_EQ(Enabled(s, g.previous), at > 1);
                EXPECT_EQ(Enabled(s, g.next), at < count);
            }
        }
    }
}

// The play list's Previous and Next at its first, inner and last entries,
// and with an index an edit left past the end of a shortened list.
TEST(MenuState, ListStepItemsAtTheEndsAndPastAShortenedList) {
    struct Case {
        int count, index;
        bool previous, next;
    };
    const Case cases[] = {
        {1, 0, false, false}, {2, 0, false, true}, {2, 1, true, false},
        {3, 0, false, true},  {3, 1, true, true},  {3, 2, true, false},
        {3, 3, true, false},  {3, 4, true, false}, {0, 0, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.index << " in " << c.count);
        MenuInputs in = Options();
        in.ListCount = c.count;
        in.ListIndex = c.index;
        const MenuState s = ComputeMenuState(in);
        EXPECT_EQ(Enabled(s, "Previous1"), c.previous);
        EXPECT_EQ(Enabled(s, "Next2"), c.next);
        EXPECT_EQ(Enabled(s, "First1"), c.count >= 2);
    }
}

}  // namespace
}  // namespace quova

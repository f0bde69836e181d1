#include "app/menu_state.h"

#include "lexicon/lexicon.h"

namespace quova {

const ItemState& MenuState::operator[](const std::string& name) const {
    static const ItemState none;
    const auto it = Items.find(name);
    return it == Items.end() ? none : it->second;
}

MenuState ComputeMenuState(const MenuInputs& in) {
    MenuState out;
    auto item = [&out](const char* name) -> ItemState& { return out.Items[name]; };
    auto check = [&](const char* name, bool on) { item(name).Checked = on; };
    auto enable = [&](const char* name, bool on) { item(name).Enabled = on; };
    auto show = [&](const char* name, bool on) { item(name).Visible = on; };
    const bool nothing = in.MediaKind == 0, dvd = in.MediaKind == 2;

    enable("RecentFiles1", in.FirstRecentVisible);
    item("Hide1").Caption = Lex(in.WindowShown ? 1810 : 1800);

    check("PreventScreenSaver1", in.PreventScreenSaver);
    check("AlwaysOnTop1", in.AlwaysOnTop);
    check("PauseOnHide1", in.PauseOnHide);
    check("ZoomToWindow1", in.ZoomToWindow);
    check("ResizetoMedia1", in.ResizeToMedia);
    check("HardwareDecoding1", in.HardwareDecoding);
    check("FolderAroundFile1", in.FolderAroundFile);
    check("AlwaysResume1", in.AlwaysResume);
    check("SubtitlesonMovie1", in.SubtitlesOnMovie);
    check("SubtitlesoverMovie1", in.SubtitlesOverMovie);
    check("ShowHints1", in.ShowHints);
    check("CustomGraphBuilder1", in.CustomRender);
    check("RegisterGraphOnROT1", in.RegisterOnRot);
    check("PCMToWav", in.PcmToWav);
    check("MP3ToMp3", in.Mp3ToMp3);
    check("PCMtoMp3", in.PcmToMp3);
    check("PCMtoogg1", in.PcmToOgg);
    check("PCMtooggmuxvideo1", in.TranscodeToOgm);
    check("BypassVideo1", in.BypassVideo);
    check("BypassAudio1", in.BypassAudio);
    check("HighPriority1", in.HighPriority);
    check("Force16bits1", in.Force16Bits);
    check("SaveonExit1", in.SaveOnExit);
    check("MuteonFastSlowPlayback1", in.SpeedMute);
    check("N800x6001", in.Resolution == 800);
    check("N640x4801", in.Resolution == 640);
    check("ClearRecentFiles1", !in.SaveMru);

    enable("ZoomToWindow1", !in.ResizeToMedia || in.FullScreen);
    enable("ResizetoMedia1", !in.FullScreen);
    enable("SubtitlesoverMovie1", !in.SubtitlesOnMovie);
    enable("Color1", !in.SubtitlesOnMovie);
    enable("RegisterGraphOnROT1", in.OsVersion >= 500);
    enable("BypassVideo1", !in.BypassAudio);
    enable("BypassAudio1", !in.BypassVideo);

    enable("Chapter1", (in.MediaKind == 1 && in.ChapterCount >= 1) ||
                           (dvd && in.DvdChapterCount >= 1 && in.DvdInTitle));
    enable("Advanced1", !dvd);
    enable("Loop1", !dvd);
    show("Sounds1", !dvd);
    for (const char* name : {"Title1", "Menu1", "Angle2", "Subtitles3", "Language1"})
        show(name, dvd);
    enable("Save1", !nothing);
    show("RestoreSessionBookmark1", nothing);

    if (dvd) {
        const bool chapters = !in.ChapterPlayForbidden;
        enable("Chapter1", chapters && in.DvdChapterCount >= 2);
        enable("Previous2", chapters && in.DvdChapter >= 2);
        enable("Next3", chapters && in.DvdChapter < in.DvdChapterCount);
        const bool titles = !in.TitlePlayForbidden;
        enable("Title1", titles && in.DvdTitleCount >= 2);
        enable("Previous3", titles && in.DvdTitle >= 2);
        enable("Next4", titles && in.DvdTitle < in.DvdTitleCount);
        const bool angles = !in.AngleForbidden;
        enable("Angle2", angles && in.DvdAngleCount >= 2);
        enable("Previous4", angles && in.DvdAngle >= 2);
        enable("Next5", angles && in.DvdAngle < in.DvdAngleCount);
        enable("Title2", !in.TitleMenuForbidden);
        enable("Root1", !in.RootMenuForbidden);
        enable("Menu1", !in.TitleMenuForbidden || !in.RootMenuForbidden);
        out.LanguageItemsEnabled = !in.AudioForbidden;
        out.SubtitleItemsEnabled = !in.SubpictureForbidden;
    }

    enable("First1", in.ListCount >= 2);
    check("Random1", in.RandomList);
    if (in.RandomList) {
        enable("Next2", in.ListCount >= 2);
        show("Previous1", false);
    } else {
        enable("Next2", in.ListCount > 1 && in.ListIndex < in.ListCount - 1);
        show("Previous1", true);
        enable("Previous1", in.ListCount > 1 && in.ListIndex > 0);
    }

    enable("Playback1", in.HasGraph);
    // A picture to save needs a video stream the renderer shows.
    const bool picture = !nothing && in.HasGraph && in.HasVideoWindow && !in.BypassVideo;
    enable("Screenshot1", picture);
    enable("VideoScreenshot1", picture);
    enable("Goto2", in.HasGraph);
    if (in.HasGraph) {
        ItemState& play = item("Play1");
        if (in.GraphState == 0) {
            play.Caption = Lex(720);
            play.Enabled = true;
            enable("Stop1", false);
        } else {
            play.Caption = Lex(in.GraphState == 1 ? 720 : 730);
            play.Enabled = true;
            enable("Stop1", true);
            if (in.Rate != 1.0) play.Caption = Lex(740);
        }
        enable("MultipleAudio1", in.AudioStreamCount >= 2);
        ItemState& info = item("AVIInfo1");
        info.Enabled = in.AviHeaderRead || in.OggStreamRead;
        if (in.AviHeaderRead) info.Caption = "AVI Info";
        if (in.OggStreamRead) info.Caption = "OGG Info";
    }

    check("FullScreen1", in.FullScreen);
    if (dvd && !in.DvdInTitle) {
        enable("Pan1", false);
        enable("Aspect1", false);
    } else {
        enable("Aspect1", !in.BypassVideo && in.HasVideoWindow);
        const bool sizesKnown = in.HeaderWidth > 0 && in.HeaderHeight != 0 && in.NativeWidth > 0 &&
                                in.NativeHeight != 0;
        const double factor = sizesKnown
                                  ? (static_cast<double>(in.HeaderWidth) / in.HeaderHeight) /
                                        (static_cast<double>(in.NativeWidth) / in.NativeHeight)
                                  : 1.0;
        enable("Header1", sizesKnown && factor != 1.0);
        enable("Pan1", !in.BypassVideo && in.FullScreen && in.HasVideoWindow);
    }
    enable("Crop1", !nothing);
    enable("Zoom1", !in.BypassVideo && in.HasGraph && (!in.ZoomToWindow || in.ResizeToMedia) &&
                        in.HasVideoWindow);
    check("x1", in.ZoomFactor == 0.5);
    check("N1x1", in.ZoomFactor == 1.0);
    check("N2x1", in.ZoomFactor == 2.0);
    check("N3x1", in.ZoomFactor == 3.0);
    check("N4x1", false);

    enable("TrackBar2", in.HasGraph);
    check("TrackBar2", in.ControlBarVisible && in.ControlBarWanted);
    enable("Audio1", !in.BypassAudio && in.HasGraph && in.HasBasicAudio);
    // Devices to choose from exist only where a sound server offers them.
    enable("AudioDevice1", in.AudioDeviceCount > 0);
    bool anyStreamDevice = false;
    const char* const streamDevices[] = {"StreamDevice1", "StreamDevice2", "StreamDevice3",
                                         "StreamDevice4"};
    for (size_t k = 0; k < 4; ++k) {
        const bool shown = in.AudioDeviceCount > 0 && in.AudioStreamCount >= 2 && in.StreamHeard[k];
        show(streamDevices[k], shown);
        anyStreamDevice = anyStreamDevice || shown;
    }
    show("N26", anyStreamDevice);

    check("OSD2", in.OsdOn);
    check("ID31", in.Id3On);
    check("Subtitles1", in.SubtitlesOn);
    check("Sounds1", in.SubtitleSounds);
    check("ChaptersonSubtitles1", in.ChaptersOnSubtitles);
    // The file's own subtitle streams, offered while a file that has them is
    // open; choosing among them needs subtitles on.
    show("SubtitleTracks1", in.MediaKind == 1 && in.SubtitleTrackCount >= 1);
    enable("SubtitleTracks1", in.SubtitlesOn);
    check("Loop1", in.LoopOn);
    if (in.MediaKind == 1 && in.LiveStream)
        for (const char* name : {"FBWD1", "FFWD1", "Jump1", "Quick1", "Slow1", "GoTo1", "Start1",
                                 "End1", "Loop1", "Save1"})
            enable(name, false);
    return out;
}

}  // namespace quova

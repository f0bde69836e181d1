#include "app/menu_inputs.h"

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/menu_model.h"
#include "app/play_list.h"
#include "graph/extraction.h"
#include "graph/graph_state.h"
#include "graph/multiple_audio.h"
#include "platform/engine/dvd_types.h"
#include "platform/files/media_name.h"
#include "playback/audio_output.h"
#include "playback/dvd_navigation.h"
#include "playback/player_session.h"
#include "text/chapters.h"
#include "text/subtitle_tracks.h"

namespace quova {

MenuInputs MenuInputsNow(PlayerSession& session, const TQuovaForm& form) {
    const Settings& s = AppSettings();
    const GraphOptions& flags = session.flags;
    const GraphSession& g = session.graph;
    const PlayListState& list = session.playList;
    MenuInputs in;
    const MenuItem* recent = form.menuModel().Find("RecentFiles1");
    in.FirstRecentVisible =
        recent && !recent->children.empty() && recent->children.front()->visible;
    in.WindowShown = form.Tag() != 0;
    in.PreventScreenSaver = s.PreventScreenSaver;
    in.AlwaysOnTop = s.AlwaysOnTop;
    in.PauseOnHide = s.PauseOnHide;
    in.ZoomToWindow = s.ZoomToWindow;
    in.ResizeToMedia = s.ResizeToMedia;
    in.HardwareDecoding = s.HardwareDecoding;
    in.FolderAroundFile = s.FolderAroundFile;
    in.AlwaysResume = s.AlwaysResume;
    in.FullScreen = s.FullScreenMode;
    in.SubtitlesOnMovie = s.SubtitlesOnMovie;
    in.SubtitlesOverMovie = s.SubtitlesOverMovie;
    in.ShowHints = s.ShowHints;
    in.CustomRender = flags.CustomRender;
    in.RegisterOnRot = s.RegisterOnRot;
    const ExtractionState& modes = session.extraction;
    in.PcmToWav = modes.PcmToWav;
    in.Mp3ToMp3 = modes.Mp3ToMp3;
    in.PcmToMp3 = modes.PcmToMp3;
    in.PcmToOgg = modes.PcmToOgg;
    in.TranscodeToOgm = modes.TranscodeToOgm;
    in.BypassVideo = flags.BypassVideo;
    in.BypassAudio = flags.BypassAudio;
    in.HighPriority = form.highPriority();
    in.Force16Bits = s.Force16Bits;
    in.Resolution = s.Resolution;
    in.SaveMru = s.SaveMru;
    in.SaveOnExit = s.SaveOnExit;
    in.SpeedMute = s.SpeedMute;
    in.OsdOn = s.OsdOn;
    in.Id3On = s.Id3On;
    in.SubtitlesOn = s.SubtitlesOn;
    in.SubtitleSounds = s.SubtitleSounds;
    in.ChaptersOnSubtitles = s.ChaptersOnSubtitles;
    in.LoopOn = s.LoopOn;
    in.ControlBarVisible = form.edges().ControlBarVisible;
    in.ControlBarWanted = form.edges().ControlBarWanted;
    in.ChapterCount = session.chapters.ChapterCount;
    in.SubtitleTrackCount = static_cast<int>(SubtitleTracks(session).size());
    in.ZoomFactor = s.ZoomFactor;
    in.RandomList = s.RandomList;
    in.ListCount = list.PlayListCount();
    in.ListIndex = list.PlayListIndex;
    in.MediaKind = g.MediaKind;
    in.HasGraph = g.GraphBuilder != nullptr;
    if (g.GraphBuilder) {
        in.GraphState = static_cast<int>(g.GraphBuilder->GetState(100).value);
        in.Rate = g.GraphBuilder->Rate();
    }
    in.HasVideoWindow = g.VideoWindow != nullptr;
    in.LiveStream = g.MediaKind == MediaKindFile && g.GraphBuilder && g.Duration <= 0 &&
                    IsNetworkAddress(g.CurrentMediaName);
    in.HasBasicAudio = g.BasicAudio;
    in.AudioStreamCount = g.AudioStreamCount;
    in.AudioDeviceCount = static_cast<int>(AudioDevicesNow().size());
    if (in.AudioStreamCount >= 2)
        for (int k = 0; k < 4; ++k)
            in.StreamHeard[static_cast<size_t>(k)] = StreamRenderer(session, k) != nullptr;
    in.AviHeaderRead = !g.AviInfoText.empty();
    in.OggStreamRead = !g.OggInfoText.empty();
    if (g.MediaKind == MediaKindDvd) {
        const DvdPlayState& d = session.dvd;
        in.DvdInTitle = d.DvdDomain == 3;  // title playback
        in.DvdTitle = static_cast<int>(d.DvdTitle);
        in.DvdTitleCount = static_cast<int>(d.DvdTitleCount);
        in.DvdChapter = static_cast<int>(d.DvdChapter);
        in.DvdChapterCount = static_cast<int>(d.DvdChapterCount);
        in.DvdAngle = static_cast<int>(d.DvdCurrentAngle);
        in.DvdAngleCount = static_cast<int>(d.DvdAngleCount);
        const std::uint32_t u = d.DvdUops;
        in.ChapterPlayForbidden = u & engine::UOP_FLAG_Play_Chapter;
        in.TitlePlayForbidden = u & engine::UOP_FLAG_Play_Title;
        in.AngleForbidden = u & engine::UOP_FLAG_Select_Angle;
        in.TitleMenuForbidden = u & engine::UOP_FLAG_ShowMenu_Title;
        in.RootMenuForbidden = u & engine::UOP_FLAG_ShowMenu_Root;
        in.AudioForbidden = u & engine::UOP_FLAG_Select_Audio_Stream;
        in.SubpictureForbidden = u & engine::UOP_FLAG_Select_SubPic_Stream;
    }
    in.HeaderWidth = g.Figures.width;
    in.HeaderHeight = g.Figures.height;
    in.NativeWidth = g.VideoWidth;
    in.NativeHeight = g.VideoHeight;
    return in;
}

}  // namespace quova

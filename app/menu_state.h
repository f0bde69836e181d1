#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>

namespace quova {

// Everything the popup menu's look depends on, read when it opens.
struct MenuInputs {
    // Shell and options.
    bool WindowShown = true;
    bool FirstRecentVisible = false;
    bool PreventScreenSaver = false, AlwaysOnTop = false, PauseOnHide = false;
    bool ZoomToWindow = false, ResizeToMedia = false, FullScreen = false;
    bool HardwareDecoding = false, FolderAroundFile = false, AlwaysResume = false;
    bool SubtitlesOnMovie = false, SubtitlesOverMovie = false, ShowHints = false;
    bool CustomRender = false, RegisterOnRot = false;
    bool PcmToWav = false, Mp3ToMp3 = false, PcmToMp3 = false, PcmToOgg = false,
         TranscodeToOgm = false;
    bool BypassVideo = false, BypassAudio = false;
    bool HighPriority = false, Force16Bits = false;
    int Resolution = 0;
    bool SaveMru = true, SaveOnExit = false, SpeedMute = false;
    int OsVersion = 500;
    bool OsdOn = false, Id3On = false, SubtitlesOn = false, SubtitleSounds = false,
         ChaptersOnSubtitles = false, LoopOn = false;
    bool ControlBarVisible = false, ControlBarWanted = false;
    double ZoomFactor = 1.0;

    // What is open.
    int MediaKind = 0;  // 0 nothing, 1 file, 2 DVD
    bool HasGraph = false;
    int GraphState = 0;  // 0 stopped, 1 paused, 2 running
    double Rate = 1.0;
    bool HasVideoWindow = false, HasBasicAudio = false;
    // A network stream without a length (a broadcast): it has no other
    // place to go to, nor a speed other than its own.
    bool LiveStream = false;
    int AudioStreamCount = 0;
    // The output devices the system offers (none without a sound server) and
    // which of the several audio streams are heard now.
    int AudioDeviceCount = 0;
    std::array<bool, 4> StreamHeard{};
    int ChapterCount = 0;
    // Subtitle streams of the open file that can be chosen.
    int SubtitleTrackCount = 0;
    bool AviHeaderRead = false, OggStreamRead = false;
    // The header's picture size and the native one (the "Header" aspect).
    int HeaderWidth = 0, HeaderHeight = 0, NativeWidth = 0, NativeHeight = 0;

    // The DVD: position, counts, domain and what the disc forbids now.
    bool DvdInTitle = false;
    int DvdTitle = 0, DvdTitleCount = 0, DvdChapter = 0, DvdChapterCount = 0, DvdAngle = 0,
        DvdAngleCount = 0;
    bool ChapterPlayForbidden = false, TitlePlayForbidden = false, AngleForbidden = false,
         TitleMenuForbidden = false, RootMenuForbidden = false, AudioForbidden = false,
         SubpictureForbidden = false;

    // The play list.
    int ListCount = 0;
    int ListIndex = 0;
    bool RandomList = false;
};

// One item's look; what is not set stays as it was.
struct ItemState {
    std::optional<std::string> Caption;
    std::optional<bool> Checked, Enabled, Visible;
};

struct MenuState {
    std::map<std::string, ItemState> Items;
    // The copies under "Language1" and "Subtitles3" (the disc's streams).
    std::optional<bool> LanguageItemsEnabled, SubtitleItemsEnabled;

    const ItemState& operator[](const std::string& name) const;
};

// The state of every item as the menu opens, from the player's state alone.
MenuState ComputeMenuState(const MenuInputs& in);

}  // namespace quova

namespace quova {

class MenuModel;

// Puts a computed state on the menu's items (and the stream copies).
void ApplyMenuState(MenuModel& model, const MenuState& state);

}  // namespace quova

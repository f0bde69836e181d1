#pragma once

#include <string>
#include <vector>

#include "playback/bookmark_format.h"

namespace quova {

// The options transport reads, as they stand at the call.
struct TransportSettings {
    bool OsdOn = false;
    bool FullScreenMode = false;
    bool AlwaysOnTop = false;
    bool SpeedMute = true;
    bool SubtitlesOn = true;
    bool ExtractionMode = false;
    // The volume setting, sent again when a mute ends.
    int Volume = 100;
    // A medium that stopped part-way resumes there without asking.
    bool AlwaysResume = false;
    // What the offer to resume does when the user lets it go: the last
    // choice made.
    bool ResumeByDefault = true;
};

// One item of the audio-language or sub-picture submenu.
struct DvdStreamItem {
    std::string caption;
    int tag = 0;  // the stream
    bool checked = false;
};

// What playback needs from the parts above it: the window, its controls and
// menu, the settings and the dialogs. Transport, bookmarks, the disc's status
// and the graph's events reach the user interface only through this.
class PlayerPort {
  public:
    virtual ~PlayerPort() = default;

    virtual TransportSettings TransportOptions() = 0;
    // Draws the OSD line at once.
    virtual void PaintOsd() = 0;
    // The main window stays above others, or no longer (only called in full
    // screen or with "Always On Top").
    virtual void SetTopmost(bool on) = 0;
    // Shows the seek bar, brings it to the front and focuses it.
    virtual void ShowSeekBar() = 0;
    // Keeps the screen saver away while a full-screen video plays.
    virtual void KeepDisplayOn() = 0;
    // The end of a file was handled: the play list decides what comes next.
    virtual void ContinuePlayList() = 0;
    // A position was set by a seek (for listeners such as the desktop bus).
    virtual void Seeked(double seconds) = 0;

    // The current volume, zoom, aspect, window flags and crops.
    virtual BookmarkSettings BookmarkOptions() = 0;
    // Takes restored values over into the player's settings.
    virtual void StoreBookmarkOptions(const BookmarkSettings& settings) = 0;
    // Sets the graph's audio to the volume setting.
    virtual void ApplyVolume() = 0;
    // Applies the crop and lays the picture out anew.
    virtual void ApplyCropAndLayout() = 0;
    // Switches full screen to what the settings now say.
    virtual void ApplyFullScreen() = 0;
    // Opens a medium as the user would.
    virtual void OpenMedia(const std::string& fileName) = 0;
    // The save and open dialogs of bookmarks: the chosen name, "" when cancelled.
    virtual std::string AskSaveName(const std::string& title, const std::string& proposed) = 0;
    virtual std::string AskOpenName(const std::string& title, const std::string& start) = 0;
    // Where the session bookmark lives.
    virtual std::string SessionBookmarkFile() = 0;
    // Shows the offer over the picture to resume at `place` (a time) or to
    // start over, `resumed` telling which of them plays now; it stays until
    // CloseResumeOffer, asking nothing and blocking nothing.
    virtual void OfferResume(const std::string& place, bool resumed) = 0;
    virtual void CloseResumeOffer() = 0;
    // The user chose to resume or to start over: the default from now on.
    virtual void RememberResumeChoice(bool resume) = 0;

    // The pointer over a disc's picture is hidden while a title plays.
    virtual void HidePointer(bool hide) = 0;
    // Rebuilds "Language" and "Subtitles" from the items (empty: disabled).
    virtual void ShowDvdAudioItems(const std::vector<DvdStreamItem>& items) = 0;
    virtual void ShowDvdSubpictureItems(const std::vector<DvdStreamItem>& items) = 0;
    // The disc's root-menu button follows what the disc allows.
    virtual void EnableRootButton(bool enabled) = 0;
};

}  // namespace quova

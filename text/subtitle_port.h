#pragma once

#include <string>
#include <utility>
#include <vector>

namespace quova {

// The user's options the subtitle commands read and flip.
enum class SubtitleOption {
    SubtitlesOn,
    SubtitleSounds,
    ChaptersOnSubtitles,
    SubtitlesOnMovie,
    SubtitlesOverMovie,
    OsdOn,
};

// One source of subtitles offered in the menu: the subtitle file beside the
// movie (source -1) or a subtitle stream of the file (its number).
struct SubtitleSourceItem {
    std::string caption;
    int source = 0;
    bool checked = false;
};

// What the OSD and the subtitles need from the parts above them: the
// settings and the window that draws. They reach the window no other way;
// the open medium they read through the session's view of it.
class SubtitlePort {
  public:
    virtual ~SubtitlePort() = default;

    // The setting itself, so that a command can flip it.
    virtual bool& Option(SubtitleOption option) = 0;
    // Draws a subtitle text in the current mode ("" clears).
    virtual void DrawSubtitle(const std::string& text) = 0;
    // The subtitle timing item is offered only while subtitles are loaded.
    virtual void EnableSubtitleAdjust(bool enabled) = 0;
    // The sources to choose from for the open movie; none hides the choice.
    virtual void ShowSubtitleSources(const std::vector<SubtitleSourceItem>& items) = 0;
    // Lays the picture out anew (the subtitle area changed).
    virtual void LayoutVideo() = 0;
    // Draws the OSD line at once when the OSD is on.
    virtual void PaintOsd() = 0;
    virtual void ShowTip(int tip) = 0;
    // An unexpected error, shown to the user.
    virtual void ReportError(const std::string& text) = 0;
};

}  // namespace quova

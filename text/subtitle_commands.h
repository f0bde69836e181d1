#pragma once

#include <functional>
#include <string>

namespace quova {

// What the subtitle commands read and call in the rest of the player. The
// option pointers point into the user's settings; any hook may be empty.
struct SubtitleCommandHooks {
    bool* SubtitlesOn = nullptr;
    bool* SubtitleSounds = nullptr;
    bool* ChaptersOnSubtitles = nullptr;
    bool* SubtitlesOnMovie = nullptr;
    bool* SubtitlesOverMovie = nullptr;
    bool* OsdOn = nullptr;

    // A media file is open (not a DVD), and the name it was opened under.
    std::function<bool()> MediaFileOpen;
    std::function<std::string()> MovieName;
    std::function<double()> Duration;
    std::function<double()> FrameRate;
    // The position of the open medium; nullopt-like: false when it cannot seek.
    std::function<bool(double& seconds)> Position;
    // Draws a text in the current mode ("" clears).
    std::function<void(const std::string& text)> Draw;
    std::function<void(const std::string& text)> ShowOsdMessage;
    std::function<void(bool enabled)> EnableAdjust;
    std::function<void()> LayoutVideo;
    std::function<void()> PaintOsd;
    std::function<void(int tip)> ShowTip;
    // An unexpected error while choosing the text due now.
    std::function<void(const std::string& text)> ReportError;
};

SubtitleCommandHooks& SubtitleCommands();

// Whether a subtitle file (or chapters) gave the timetable any entry.
bool SubtitlesLoaded();

// The subtitles beside the open movie, loaded into the program's timetable.
void LoadSubtitlesForMovie();
// The chapters of the open movie, merged into the timetable when wanted.
void ReadChaptersForMovie();
// Loads a file the user picked.
void LoadSubtitleFileNamed(const std::string& fileName);

// Draws `text` in the current mode and remembers it as the text shown.
void ShowSubtitle(const std::string& text);
// Draws the text due at the current position when it differs from the one shown.
void ShowSubtitleDueNow();

void Subtitles1Click();
void Sounds1Click();
void ChaptersonSubtitles1Click();
void SubtitlesonMovie1Click();
void SubtitlesoverMovie1Click();

}  // namespace quova

#pragma once

#include <string>

namespace quova {

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
// Draws the text due at the current position when it differs from the one
// shown; with subtitles off only a forced picture unit is due.
void ShowSubtitleDueNow();

void Subtitles1Click();
void Sounds1Click();
void ChaptersonSubtitles1Click();
void SubtitlesonMovie1Click();
void SubtitlesoverMovie1Click();

}  // namespace quova

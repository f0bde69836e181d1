#pragma once

#include <string>

namespace quova {

struct TextSession;

// Whether a subtitle file (or chapters) gave the timetable any entry.
bool SubtitlesLoaded(TextSession& session);

// The subtitles beside the open movie, loaded into the program's timetable.
void LoadSubtitlesForMovie(TextSession& session);
// The chapters of the open movie, merged into the timetable when wanted.
void ReadChaptersForMovie(TextSession& session);
// Loads a file the user picked.
void LoadSubtitleFileNamed(TextSession& session, const std::string& fileName);

// Draws `text` in the current mode and remembers it as the text shown.
void ShowSubtitle(TextSession& session, const std::string& text);
// Draws the text due at the current position when it differs from the one
// shown; with subtitles off only a forced picture unit is due.
void ShowSubtitleDueNow(TextSession& session);

void Subtitles1Click(TextSession& session);
void Sounds1Click(TextSession& session);
void ChaptersonSubtitles1Click(TextSession& session);
void SubtitlesonMovie1Click(TextSession& session);
void SubtitlesoverMovie1Click(TextSession& session);

}  // namespace quova

#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "text/subtitle_timetable.h"

namespace quova {

// The chapters of a media file, from its settings file; chapter navigation
// of files reads them.
struct ChapterTable {
    int ChapterCount = 0;
    // Indexed 1 .. ChapterCount (element 0 unused): start time in seconds and title.
    std::vector<float> ChapterTimes;
    std::vector<std::string> ChapterNames;
    int CurrentChapter = 0;
};

// Titles are cut to this many bytes (a UTF-8 character is never split).
constexpr std::size_t kMaxChapterTitle = 999;

// Only the first chapters become subtitles.
constexpr int kMaxChapterSubtitles = 255;

// Reads the lines of a [CHAPTERS] section ("n=frame title") into `chapters`,
// and, when `onSubtitles`, merges each title into `table` as a short subtitle
// in parentheses. A frame rate of 0 or less counts as 25.
void ReadChapterLines(const std::vector<std::string>& lines, double frameRate, bool onSubtitles,
                      ChapterTable& chapters, SubtitleTimetable& table);

// Shows chapter `title`, starting at `seconds`, in the timetable: above the
// subtitles that start within five seconds of it, or alone for five seconds.
void MergeChapterTitle(SubtitleTimetable& table, double seconds, const std::string& title);

// The chapter a step from `position` (seconds) goes to. Next: the first that
// starts after the position. Previous: the last that starts before it, then
// the one before that unless it is the first, so that Previous inside a
// chapter goes to the start of the chapter before. 0 when there is none.
int ChapterStepTarget(const ChapterTable& chapters, double position, int direction);

// The whole read for the open movie: an empty timetable is first prepared
// for `duration`, so that chapters show without a subtitle file; then the
// settings file's [CHAPTERS] replace the table. Returns false when the movie
// has no settings file (the previous table stays).
bool ReadChapters(const std::filesystem::path& movie, double frameRate, double duration,
                  bool onSubtitles, ChapterTable& chapters, SubtitleTimetable& table);

}  // namespace quova

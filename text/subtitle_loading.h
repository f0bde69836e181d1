#pragma once

#include <filesystem>
#include <string>

#include "text/subtitle_timetable.h"

namespace quova {

struct TextSession;

// A subtitle file larger than this is no subtitle file (a long film's SubRip
// is well under a megabyte) and is not read.
constexpr std::uintmax_t kMaxSubtitleFileBytes = 32 * 1024 * 1024;

// Detects the grammar of table.SubtitleFileName, parses the file into the
// table (which ResetSubtitles has prepared for the medium), resets offset and
// speed, enables the timing item when anything was read and reports
// "Subtitles: <count>". Returns SubtitleCount.
int LoadSubtitleFile(TextSession& session, SubtitleTimetable& table, double frameRate);

}  // namespace quova

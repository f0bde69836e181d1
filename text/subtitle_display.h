#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "text/subtitle_loading.h"
#include "text/subtitle_timetable.h"

namespace quova {

struct TextSession;

// A subtitle file larger than this beside a movie is not taken for its subtitles.
constexpr std::intmax_t kMaxSubtitleBesideMovie = 512 * 1024;

// The size in bytes of a file opened for reading, -1 when it cannot be opened.
std::intmax_t FileSizeOf(const std::filesystem::path& file);

// Prepares the timetable for the movie and loads the first subtitle file
// beside it (".sub", ".srt", ".sub", ".srt", ".ssa" for its extension) that
// exists, can be read and is at most 512 KiB. Without one, the file name
// becomes the movie's with ".sub" (what the load dialog offers) and nothing
// is loaded. Returns whether a file was loaded.
bool FindSubtitlesForMovie(TextSession& session, SubtitleTimetable& table,
                           const std::filesystem::path& movie, double duration, double frameRate);

// The text as it is shown: sound notes in square brackets removed unless
// `sounds`, blanks trimmed and line breaks at either end dropped.
std::string CleanSubtitleText(std::string_view text, bool sounds);

// The entry due at `position` seconds of a medium `duration` long, after the
// timing correction, probed in the slots s, s+1, s-1, s+2, s-2. nullopt when
// nothing is found (what is shown stays); otherwise the cleaned text.
std::optional<std::string> DueSubtitleText(const SubtitleTimetable& table, double position,
                                           double duration, bool sounds = false);

// The slot the probe starts at for a position, or -1 when the position or
// the corrected slot lies outside the medium or the table.
int64_t CorrectedSlot(const SubtitleTimetable& table, double position, double duration);

// The characters of the longest "|"-separated line.
int LongestLineLength(std::string_view text);

// The font size that fits a text's longest line into `windowWidth`, given
// the width of "Xx" at a size. The size only ever shrinks, never below 1.
int FitSubtitleFontSize(std::string_view text, int size, int windowWidth,
                        const std::function<int(int size)>& xxWidthAt);

}  // namespace quova

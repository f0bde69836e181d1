#pragma once

#include <cstddef>
#include <string_view>

#include "text/subtitle_timetable.h"

namespace quova {

// The five grammars, numbered in the order they are tried.
enum SubtitleKind : int {
    kMicroDvd = 0,         // .sub  {start frame}{end frame}text
    kSubRip = 1,           // .srt  counter, "start --> end", text lines
    kSubViewer2 = 2,       // .sub  [SUBTITLE] section, "start,end", text lines
    kBracketedTime = 3,    // .srt  [BEGIN] section, "[h:m:s]", one text line
    kSubStationAlpha = 4,  // .ssa  [EVENTS] section, "Dialogue: " lines
};
constexpr int kSubtitleKindCount = 5;

// The extension (lower case, with the dot) a kind is looked for in.
std::string_view SubtitleKindExtension(int kind);

// How much of a file's start the signature test looks at.
constexpr size_t kSubtitleSignatureBytes = 4095;

// The signature test on the first bytes of a file (at most
// kSubtitleSignatureBytes are looked at): letter case is ignored and "- "
// counts as "-".
bool SubtitleSignatureFound(std::string_view head, int kind);

// A clock time "h:m:s" (or "h:m") with an optional fraction after "." or ","
// (at most three digits) in seconds; 0 when it cannot be read.
double ParseClockTime(std::string_view text);

// Parses a whole file's bytes with the grammar of `kind` into `table`, which
// ResetSubtitles has sized. `frameRate` turns MicroDVD frames into time
// unless the file names its own rate in a first entry at frame 1.
void ParseSubtitles(int kind, std::string_view bytes, SubtitleTimetable& table, double frameRate);

}  // namespace quova

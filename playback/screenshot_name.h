#pragma once

#include <string>
#include <string_view>

namespace quova {

// What a screenshot's file is called: the medium's name and the position
// shown, "clip 0-01-23.456" for clip.avi at 83.456 s (hours, minutes,
// seconds and milliseconds; no colons, which other systems refuse in names).
// The medium's name is its file's name without the extension, the last part
// of an address's path (else its host), or a disc's folder above VIDEO_TS;
// characters no file name should hold become "_", and a long name is cut at
// a character's start so that the whole name fits in a folder entry.
std::string ScreenshotStem(std::string_view mediumName, double seconds);

// The n-th name tried for `stem`: "stem.png", then "stem (2).png", ...
std::string ScreenshotFileName(const std::string& stem, int n);

}  // namespace quova

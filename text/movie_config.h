#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quova {

// The values a movie's [CONFIG] section may change, copied from the player
// before the read and back after it.
struct MovieConfig {
    bool AlwaysOnTop = false;
    bool ChaptersOnSubtitles = true;
    std::string FontName;
    int FontHeight = -15;  // the settings store's convention: negative is pixels
    bool FontBold = false;
    bool FontItalic = false;
    bool FontUnderline = false;
    bool LoopOn = false;
    bool OsdOn = false;
    bool ResizeToMedia = false;
    bool SubtitlesOn = true;
    bool SubtitleSounds = false;
    bool SubtitlesOverMovie = false;
    int TimeFormat = 0;
    int VideoWidth = 0;
    int SourceWidth = 0;
    int VideoHeight = 0;
    int SourceHeight = 0;
    int CropX = 0;
    int CropY = 0;
    double Aspect = 1.0;
    int SubtitleOffset = 0;
    double SubtitleSpeed = 1.0;
    bool ZoomToWindow = false;
    double ZoomFactor = 1.0;
    int SubtitleBoxOffsetY = 0;
    bool FullScreenMode = false;
};

// What applying a section did, for the effects the window carries out.
struct MovieConfigChanges {
    // The section held at least one line: "Save on Exit" goes off.
    bool anyEntry = false;
    bool font = false;        // a font key was applied
    bool crop = false;        // crop_x or crop_y was applied
    bool aspect = false;      // the aspect ratio changed
    bool fullScreen = false;  // full screen is to be switched
};

// A picture side outside this range is no picture size and is not taken.
constexpr int kMaxConfigPictureSide = 32767;

// Applies the `key=value` lines of a [CONFIG] section in the order of the
// known keys (the first line of a key counts, keys without regard to case).
// `decimalSeparator` is the locale's ('.' or ','), used for the aspect ratio
// and the zoom. Values that cannot be read keep the current ones; an
// unreadable zoom clamps the current one to 0.1 .. 6.0.
MovieConfigChanges ApplyMovieConfig(const std::vector<std::string>& lines, MovieConfig& config,
                                    char decimalSeparator);

// A decimal number with `decimalSeparator` as its only separator; nullopt
// for anything else (also infinities and NaN).
std::optional<double> ParseLocaleDecimal(std::string_view text, char decimalSeparator);

}  // namespace quova

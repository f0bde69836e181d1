#include "text/movie_config.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "text/movie_settings.h"
#include "text/string_utils.h"

namespace quova {

std::optional<double> ParseLocaleDecimal(std::string_view text, char decimalSeparator) {
    std::string plain(text);
    for (char& c : plain) {
        if (c == decimalSeparator)
            c = '.';
        else if (c == '.')
            return std::nullopt;  // not the locale's separator
    }
    if (plain.empty()) return std::nullopt;
    for (char c : plain)
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+')) return std::nullopt;
    const char* begin = plain.data();
    if (*begin == '+') ++begin;
    double value = 0;
    const auto [end, ec] =
        std::from_chars(begin, plain.data() + plain.size(), value, std::chars_format::fixed);
    if (ec != std::errc() || end != plain.data() + plain.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

MovieConfigChanges ApplyMovieConfig(const std::vector<std::string>& lines, MovieConfig& c,
                                    char decimalSeparator) {
    MovieConfigChanges changes;
    changes.anyEntry = !lines.empty();
    if (!changes.anyEntry) return changes;
    const auto value = [&lines](std::string_view key) -> std::optional<std::string> {
        for (const std::string& line : lines)
            if (auto pair = SplitProfileLine(line); pair && SameNameIgnoringCase(pair->first, key))
                return pair->second;
        return std::nullopt;
    };
    const auto integer = [&value](std::string_view key) -> std::optional<int> {
        const auto text = value(key);
        return text ? ParseInteger(*text) : std::nullopt;
    };
    const auto flag = [&integer](std::string_view key, bool& target) {
        if (const auto v = integer(key)) target = *v != 0;
    };
    const auto pictureSide = [&integer](std::string_view key, int& side, int& source) {
        if (const auto v = integer(key); v && *v >= 1 && *v <= kMaxConfigPictureSide) {
            side = *v;
            source = side;
        }
    };

    flag("alwaysontop", c.AlwaysOnTop);
    flag("chaptersonsubtitles", c.ChaptersOnSubtitles);
    if (const auto bold = integer("fontbold")) {
        // Bold alone, or no style at all.
        c.FontBold = *bold != 0;
        c.FontItalic = false;
        c.FontUnderline = false;
        changes.font = true;
    }
    if (const auto height = integer("fontheight"); height && *height != 0) {
        c.FontHeight = *height;
        changes.font = true;
    }
    if (const auto name = value("fontname"); name && !name->empty()) {
        c.FontName = *name;
        changes.font = true;
    }
    flag("loop", c.LoopOn);
    flag("osd", c.OsdOn);
    flag("resizetomedia", c.ResizeToMedia);
    flag("subtitles", c.SubtitlesOn);
    flag("subtitlesounds", c.SubtitleSounds);
    flag("subtitlesovermovie", c.SubtitlesOverMovie);
    if (const auto v = integer("timeformat")) c.TimeFormat = *v;
    pictureSide("width", c.VideoWidth, c.SourceWidth);
    pictureSide("height", c.VideoHeight, c.SourceHeight);
    if (const auto v = integer("crop_x")) {
        c.CropX = *v;
        changes.crop = true;
    }
    if (const auto v = integer("crop_y")) {
        c.CropY = *v;
        changes.crop = true;
    }
    if (const auto text = value("aspect")) {
        const auto aspect = ParseLocaleDecimal(*text, decimalSeparator);
        if (aspect && *aspect != 0 && *aspect != c.Aspect) {
            c.Aspect = *aspect;
            changes.aspect = true;
        }
    }
    if (const auto v = integer("subtitlesoffset")) c.SubtitleOffset = *v;
    if (const auto v = integer("subtitlesspeed")) c.SubtitleSpeed = *v / 100.0;
    flag("zoomtowin", c.ZoomToWindow);
    if (auto text = value("zoom")) {
        const char other = decimalSeparator == '.' ? ',' : '.';
        if (const auto at = text->find(other); at != std::string::npos)
            (*text)[at] = decimalSeparator;
        if (const auto zoom = ParseLocaleDecimal(*text, decimalSeparator))
            c.ZoomFactor = *zoom;
        else
            c.ZoomFactor = std::clamp(c.ZoomFactor, 0.1, 6.0);
    }
    if (const auto v = integer("subtitlesovermovie-y")) c.SubtitleBoxOffsetY = *v;
    if (const auto v = integer("fullscreen")) {
        const bool on = *v != 0;
        changes.fullScreen = on != c.FullScreenMode;
        c.FullScreenMode = on;
    }
    return changes;
}

}  // namespace quova

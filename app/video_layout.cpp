#include "app/video_layout.h"

#include <algorithm>
#include <cmath>

namespace quova {

int RoundHalfEven(double value) {
    const double floor = std::floor(value);
    const double diff = value - floor;
    double result = floor;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(floor, 2.0) != 0.0)) result = floor + 1.0;
    return static_cast<int>(result);
}

TextBand ComputeTextBand(int osdLineHeight, bool osdOn, SubtitlePlace subtitles) {
    const int line = osdLineHeight + 1;
    switch (subtitles) {
        case SubtitlePlace::Below:
            return osdOn ? TextBand{4 * line, -line} : TextBand{3 * line, -2 * line + 1};
        case SubtitlePlace::Over:
            return osdOn ? TextBand{2 * line, 0} : TextBand{line, -line};
        default:
            return osdOn ? TextBand{2 * line, 0} : TextBand{0, 0};
    }
}

Placement LayoutVideo(const LayoutState& s) {
    Placement p;
    p.zoom = std::max(kMinZoom, std::min(s.zoom, kMaxZoom));
    p.band = ComputeTextBand(s.osdLineHeight, s.osdOn, s.subtitles);
    const int bandHeight = p.band.height;
    p.videoTop = bandHeight / 2 + p.band.offset;
    p.windowWidth = s.windowWidth;
    p.windowHeight = s.windowHeight;

    auto volumeBar = [&p, &s] {
        const int clientHeight = p.windowHeight - s.frameHeight;
        p.volumeTop = clientHeight / 4;
        p.volumeHeight = clientHeight / 2;
    };
    if (!s.graphOpen) {
        volumeBar();
        return p;
    }
    if (!s.hasVideoWindow) {
        p.videoTop = 0;
        volumeBar();
        return p;
    }

    if (!s.fullScreen) {
        if (s.resizeToMedia && s.sourceWidth > 0 && s.sourceHeight > 0) {
            p.windowWidth =
                std::max(kMinWindowWidth, RoundHalfEven(s.sourceWidth * p.zoom) + s.frameWidth);
            p.windowHeight = std::max(kMinWindowHeight, RoundHalfEven(s.sourceHeight * p.zoom) +
                                                            s.frameHeight + bandHeight);
        } else {
            p.windowWidth = std::max(kMinWindowWidth, s.windowWidth);
            p.windowHeight = std::max(kMinWindowHeight, s.windowHeight);
        }
        p.resizeWindow = p.windowWidth != s.windowWidth || p.windowHeight != s.windowHeight;
    }
    const int clientWidth = p.windowWidth - s.frameWidth;
    const int clientHeight = p.windowHeight - s.frameHeight;
    volumeBar();

    double ratio = 1.0;
    if (s.sourceHeight > 0) {
        ratio = static_cast<double>(s.sourceWidth) / s.sourceHeight * s.aspect;
        if (!std::isfinite(ratio)) ratio = 1.0;
    }
    const int available = clientHeight - bandHeight;
    const bool crop = s.cropX != 0 || s.cropY != 0;
    // A division by zero, or a source rectangle the renderer refuses: the
    // picture keeps the place it had.
    if (available == 0 || (crop && (s.sourceWidth <= 0 || s.sourceHeight <= 0))) {
        p.failed = true;
        return p;
    }
    const double availableRatio = static_cast<double>(clientWidth) / available;
    const bool fill = s.zoomToWindow && (!s.resizeToMedia || s.fullScreen);
    int w = 0;
    int h = 0;
    if (ratio >= availableRatio) {
        if (ratio <= 0) {
            p.failed = true;
            return p;
        }
        w = fill ? clientWidth : RoundHalfEven(s.sourceWidth * p.zoom);
        h = RoundHalfEven(w / ratio);
    } else {
        h = fill ? available : RoundHalfEven(s.sourceHeight * p.zoom);
        w = RoundHalfEven(h * ratio);
    }
    // Centred on the exact size; the size itself then drops to multiples of 8.
    const int x = RoundHalfEven((clientWidth - w) / 2.0) + s.panX;
    const int y = RoundHalfEven((clientHeight - h) / 2.0) + s.panY + p.band.offset;
    w = std::max(0, w) / 8 * 8;
    h = std::max(0, h) / 8 * 8;
    p.video = {x, y, w, h};
    if (crop) {
        p.crop = true;
        p.source = {s.cropX, s.cropY, s.sourceWidth, s.sourceHeight};
        p.destination = {0, 0, w, h};
    }
    if (w > 0 && h > 0) {
        p.placed = true;
        p.videoTop = y;
    } else {
        p.videoTop = 0;
    }
    return p;
}

WindowSize FormCanResize(WindowSize requested) {
    return {std::max(kMinWindowWidth, requested.width),
            std::max(kMinWindowHeight, requested.height)};
}

SeekBarPlace PlaceSeekBar(int clientWidth, int buttonWidth) {
    const int margin = clientWidth / 8;
    const int buttons = 6 * buttonWidth - 4;
    return {margin - buttons / 8, clientWidth - 2 * margin - buttons};
}

}  // namespace quova

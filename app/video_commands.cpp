#include "app/video_commands.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "lexicon/lexicon.h"

namespace quova {

bool ZoomCommandsAllowed(bool zoomToWindow, bool resizeToMedia) {
    return !zoomToWindow || resizeToMedia;
}

double ZoomedIn(double zoom) {
    return zoom < 10.0 ? zoom + 0.1 : zoom;
}

double ZoomedOut(double zoom) {
    return zoom > 0.1 ? zoom - 0.1 : zoom;
}

std::string ZoomOsdText(double zoom) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%.4g", zoom);
    return Lex(1340) + ": " + digits + " x";
}

CropResult ClampCrop(int cropX, int cropY, int videoWidth, int videoHeight) {
    CropResult r;
    r.cropY = std::max(0, std::min(cropY, videoHeight / 2));
    r.cropX = std::max(0, std::min(cropX, videoWidth / 2));
    r.sourceWidth = videoWidth - 2 * r.cropX;
    r.sourceHeight = videoHeight - 2 * r.cropY;
    return r;
}

std::string CropOsdText(int cropX, int cropY) {
    char numbers[48];
    std::snprintf(numbers, sizeof numbers, "%d x %d", cropX, cropY);
    return Lex(1380) + ": " + numbers;
}

std::optional<double> AspectFor(double targetWidth, double targetHeight, int sourceWidth,
                                int sourceHeight) {
    if (targetHeight <= 0 || sourceWidth <= 0 || sourceHeight <= 0) return std::nullopt;
    const double factor = (targetWidth / targetHeight) / (double(sourceWidth) / sourceHeight);
    if (!std::isfinite(factor) || factor <= 0) return std::nullopt;
    return factor;
}

std::optional<double> HeaderAspect(int headerWidth, int headerHeight, int videoWidth,
                                   int videoHeight) {
    if (headerWidth <= 0 || headerHeight <= 0) return std::nullopt;
    const auto factor = AspectFor(headerWidth, headerHeight, videoWidth, videoHeight);
    if (!factor || *factor == 1.0) return std::nullopt;
    return factor;
}

}  // namespace quova

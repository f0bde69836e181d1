#pragma once

#include <optional>
#include <string>

namespace quova {

// The picture state of the window that the commands change, besides the
// zoom and the options kept in the settings.
struct VideoGeometry {
    double AspectFactor = 1.0;
    int PanX = 0;
    int PanY = 0;
    int CropX = 0;
    int CropY = 0;
    int FrameWidth = 0;
    int FrameHeight = 0;
    int VideoTop = 0;
    // The windowed placement full screen returns to (client sizes).
    int PrevLeft = 0;
    int PrevTop = 0;
    int PrevWidth = 0;
    int PrevHeight = 0;
    bool LayoutBusy = false;
};

// Zooming is left to the window while "Zoom To Window" fills it, unless the
// window follows the media.
bool ZoomCommandsAllowed(bool zoomToWindow, bool resizeToMedia);
double ZoomedIn(double zoom);
double ZoomedOut(double zoom);
// "zoom: 1.5 x"
std::string ZoomOsdText(double zoom);

struct CropResult {
    int cropX = 0;
    int cropY = 0;
    int sourceWidth = 0;
    int sourceHeight = 0;
};
// Keeps each crop within half the picture and derives the source size.
CropResult ClampCrop(int cropX, int cropY, int videoWidth, int videoHeight);
// "crop: 8 x 0"
std::string CropOsdText(int cropX, int cropY);

// The aspect factors that make the picture take another shape; none when the
// sizes do not allow the computation.
std::optional<double> AspectFor(double targetWidth, double targetHeight, int sourceWidth,
                                int sourceHeight);
// The factor the medium's header states, when it differs from the picture's own.
std::optional<double> HeaderAspect(int headerWidth, int headerHeight, int videoWidth,
                                   int videoHeight);
inline constexpr double kRevert169To43 = 0.75;
inline constexpr double kRevert43To169 = 1.35;
inline double StretchedWidth(double aspect) {
    return aspect / 0.99;
}
inline double CompressedWidth(double aspect) {
    return aspect * 0.99;
}

}  // namespace quova

#pragma once

namespace quova {

// Nearest integer, a half going to the even neighbour (the layout's rounding).
int RoundHalfEven(double value);

struct PlacementRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PlacementRect&) const = default;
};

// Where the subtitles are drawn while loaded and shown.
enum class SubtitlePlace {
    None,   // not loaded or not shown
    Below,  // under the picture, in the text band
    Over,   // in a box over the picture
    On,     // drawn into the picture
};

// The strip reserved for the OSD and the subtitles: its height and the
// offset it gives the picture.
struct TextBand {
    int height = 0;
    int offset = 0;
    bool operator==(const TextBand&) const = default;
};

TextBand ComputeTextBand(int osdLineHeight, bool osdOn, SubtitlePlace subtitles);

// Everything the placement of the picture depends on.
struct LayoutState {
    double zoom = 1.0;
    double aspect = 1.0;
    int panX = 0;
    int panY = 0;
    int cropX = 0;
    int cropY = 0;
    int sourceWidth = 0;
    int sourceHeight = 0;
    bool zoomToWindow = false;
    bool resizeToMedia = false;
    bool fullScreen = false;
    bool osdOn = false;
    SubtitlePlace subtitles = SubtitlePlace::None;
    int osdLineHeight = 0;
    bool graphOpen = false;
    // The graph has a video window with its basic-video face.
    bool hasVideoWindow = false;
    // The main window's outer size and its frame (outer minus client).
    int windowWidth = 0;
    int windowHeight = 0;
    int frameWidth = 0;
    int frameHeight = 0;
};

struct Placement {
    double zoom = 1.0;  // clamped
    TextBand band;
    // The picture's top as the pointer strips see it before the window reports it.
    int videoTop = 0;
    // The main window's new outer size (unchanged unless it is resized).
    bool resizeWindow = false;
    int windowWidth = 0;
    int windowHeight = 0;
    // The picture was computed; when false and `failed` is false there is no
    // picture to show (no graph or no video window): the video window stays hidden.
    bool placed = false;
    // The computation broke down (no usable source size): the previous
    // placement stays as it was.
    bool failed = false;
    PlacementRect video;
    // Crop on the renderer: the source rectangle and the destination filling
    // the video window; both at their defaults when `crop` is false.
    bool crop = false;
    PlacementRect source;
    PlacementRect destination;
    // The volume bar's top and height in the client area.
    int volumeTop = 0;
    int volumeHeight = 0;
};

inline constexpr double kMinZoom = 0.1;
inline constexpr double kMaxZoom = 6.0;
inline constexpr int kMinWindowWidth = 160;
inline constexpr int kMinWindowHeight = 80;

// The placement of the picture for a state: no side effects.
Placement LayoutVideo(const LayoutState& state);

// A window size request raised to the smallest allowed outer size.
struct WindowSize {
    int width = 0;
    int height = 0;
    bool operator==(const WindowSize&) const = default;
};
WindowSize FormCanResize(WindowSize requested);

// The seek bar's horizontal placement for a client width and the width of
// one control-bar button.
struct SeekBarPlace {
    int left = 0;
    int width = 0;
    bool operator==(const SeekBarPlace&) const = default;
};
SeekBarPlace PlaceSeekBar(int clientWidth, int buttonWidth);

}  // namespace quova

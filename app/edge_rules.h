#pragma once

namespace quova {

// The controls near the window's edges: the title strip at the top, the
// volume bar at the left, the control bar (seek bar and six buttons) at the
// bottom; and their auto-hide counts.
struct EdgeState {
    bool TopStripShown = false;
    bool VolumeBarVisible = false;
    bool ControlBarVisible = false;
    // Kept by the "TrackBar" command: the control bar stays up.
    bool ControlBarWanted = false;
    bool SeekBarVisible = false;
    int SeekBarHideCount = 0;
    int VolumeBarHideCount = 0;
};

constexpr int kEdgeWidth = 20;
constexpr int kBarHideTicks = 15;

// What a pointer move asks of the edge controls.
struct EdgeChanges {
    bool showTopStrip = false;
    bool hideTopStrip = false;
    bool volumeBarShown = false;  // shown (and its count restarted) at this move
    bool volumeBarHidden = false;
    bool showControlBar = false;
    bool hideControlBar = false;
    bool timer2 = false;  // the hide timer is to run
};

// The pointer at client (x, y); `topOffset` is the picture's top offset (a
// negative one moves the strips with the visible picture). Updates `state`.
EdgeChanges PointerMoved(EdgeState& state, int x, int y, int clientHeight, int topOffset);

// The seek bar belongs to a medium with a length: a broadcast has no place
// to move to.
bool SeekBarApplies(double duration);
// The control bar shows only for a medium with a duration and not twice.
bool ControlBarCanShow(const EdgeState& state, double duration);
void SeekBarShown(EdgeState& state);

// A hide-timer tick; returns what hides now. Timer2 keeps running while
// `keepTimer` is set.
struct HideTick {
    bool hideControlBar = false;
    bool hideVolumeBar = false;
    bool keepTimer = false;
};
HideTick Timer2Tick(EdgeState& state);

}  // namespace quova

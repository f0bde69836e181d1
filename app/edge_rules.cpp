#include "app/edge_rules.h"

namespace quova {

EdgeChanges PointerMoved(EdgeState& state, int x, int y, int clientHeight, int topOffset) {
    EdgeChanges out;
    // The strips follow the visible picture.
    if (topOffset < 0) y += topOffset;
    if (y < kEdgeWidth) {
        if (!state.TopStripShown) {
            out.showTopStrip = true;
            state.TopStripShown = true;
        }
    } else if (state.TopStripShown) {
        out.hideTopStrip = true;
        state.TopStripShown = false;
    }

    if (x < kEdgeWidth) {
        out.volumeBarShown = true;
        state.VolumeBarVisible = true;
        state.VolumeBarHideCount = kBarHideTicks;
        out.timer2 = true;
    } else {
        out.volumeBarHidden = state.VolumeBarVisible;
        state.VolumeBarVisible = false;
    }

    if (y > clientHeight - kEdgeWidth) {
        if (!state.ControlBarVisible) {
            state.ControlBarVisible = true;
            out.showControlBar = true;
        }
    } else if (state.ControlBarVisible && !state.ControlBarWanted) {
        state.ControlBarVisible = false;
        out.hideControlBar = true;
    }
    return out;
}

bool SeekBarApplies(double duration) {
    return duration > 0;
}

bool ControlBarCanShow(const EdgeState& state, double duration) {
    return SeekBarApplies(duration) && !state.SeekBarVisible;
}

void SeekBarShown(EdgeState& state) {
    state.SeekBarVisible = true;
    state.SeekBarHideCount = kBarHideTicks;
}

HideTick Timer2Tick(EdgeState& state) {
    HideTick out;
    if (state.SeekBarVisible && !state.ControlBarWanted) {
        if (--state.SeekBarHideCount < 0) {
            state.ControlBarVisible = false;
            state.SeekBarVisible = false;
            out.hideControlBar = true;
        }
    }
    if (state.VolumeBarVisible) {
        if (--state.VolumeBarHideCount < 0) {
            state.VolumeBarVisible = false;
            out.hideVolumeBar = true;
        }
    }
    out.keepTimer = (state.SeekBarVisible && !state.ControlBarWanted) || state.VolumeBarVisible;
    return out;
}

}  // namespace quova

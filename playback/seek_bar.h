#pragma once

#include <functional>

namespace quova {

// What the bar keeps between its moves: the last position, in hundredths of
// a second, that the polling tick wrote into it, and whether its change
// handler runs.
struct SeekBarState {
    int position = 0;
    bool busy = false;
};

// The bar's value for a position in seconds (hundredths, truncated, kept
// inside the bar's range of 32-bit values).
int SeekBarValue(double seconds);

// The bar moved to `value`. The tick's own update and a change arriving
// while one is handled do nothing; every other move seeks to value / 100
// seconds (errors of the seek are swallowed). Returns whether it sought.
bool TrackBar1Change(SeekBarState& bar, int value,
                     const std::function<void(double seconds)>& seekTo);

// The user let go of the thumb after a drag whose moves sought keyframes:
// seeks to value / 100 seconds exactly, so that the medium ends where the
// thumb shows. Does nothing while a change is handled (errors of the seek
// are swallowed). Returns whether it sought.
bool TrackBar1Release(SeekBarState& bar, int value,
                      const std::function<void(double seconds)>& seekTo);

// Arrow keys do not move the bar (only Page Up/Down, Home, End and the mouse do).
bool SeekBarSwallowsKey(int qtKey);

}  // namespace quova

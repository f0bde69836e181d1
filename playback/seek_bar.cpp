#include "playback/seek_bar.h"

#include <Qt>
#include <cmath>
#include <limits>

namespace quova {

int SeekBarValue(double seconds) {
    const double hundredths = std::trunc(seconds * 100.0);
    if (!(hundredths > 0)) return 0;  // also NaN
    if (hundredths >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return static_cast<int>(hundredths);
}

namespace {

// Seeks to the bar's `value` unless a seek from the bar is under way; a
// failed seek leaves the bar where the user put it, and the tick corrects it.
bool SeekFromBar(SeekBarState& bar, int value, const std::function<void(double seconds)>& seekTo) {
    if (bar.busy) return false;
    bar.busy = true;
    try {
        if (seekTo) seekTo(value / 100.0);
    } catch (...) {
    }
    bar.busy = false;
    return true;
}

}  // namespace

bool TrackBar1Change(SeekBarState& bar, int value,
                     const std::function<void(double seconds)>& seekTo) {
    // Every move of the user's seeks, however small; only the tick's own
    // update is told apart, by the very value it wrote.
    if (value == bar.position) return false;
    return SeekFromBar(bar, value, seekTo);
}

bool TrackBar1Release(SeekBarState& bar, int value,
                      const std::function<void(double seconds)>& seekTo) {
    return SeekFromBar(bar, value, seekTo);
}

bool SeekBarSwallowsKey(int qtKey) {
    return qtKey == Qt::Key_Left || qtKey == Qt::Key_Up || qtKey == Qt::Key_Right ||
           qtKey == Qt::Key_Down;
}

}  // namespace quova

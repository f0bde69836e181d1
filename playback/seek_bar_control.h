#pragma once

#include <QObject>
#include <functional>

#include "playback/seek_bar.h"

class QSlider;

namespace quova {

// How a move of the seek bar wants the medium positioned.
enum class SeekPrecision {
    // On the hundredth the bar shows.
    Exact,
    // On the keyframe at or before it: while the thumb is dragged, a picture
    // that follows it soon matters more than the exact frame.
    KeyFrame,
};

// Makes a slider the player's seek bar (TrackBar1): the user's moves seek,
// arrow keys do nothing, and the bar hides when it loses the focus. The moves
// of a drag seek keyframes, and letting go seeks exactly where the thumb is;
// every other move (a click beside the thumb, Page Up/Down, Home, End, the
// wheel) seeks exactly.
class SeekBarControl : public QObject {
    Q_OBJECT
  public:
    SeekBarControl(QSlider* bar,
                   std::function<void(double seconds, SeekPrecision precision)> seekTo);

    // The polling tick's update; never seeks. Leaves a thumb the user holds
    // where the user put it.
    void TimerUpdate(double position, double duration);
    const SeekBarState& state() const { return state_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Moved(int value);
    void Released();

    QSlider* bar_;
    std::function<void(double seconds, SeekPrecision precision)> seekTo_;
    SeekBarState state_;
    // The drag under way has sought a keyframe.
    bool draggedToKeyFrame_ = false;
};

// Gives the seek bar the range of a medium `duration` seconds long, in
// hundredths: one second a line, 30 seconds a page, a tick a minute. A value
// the new range moves is no user's move: it seeks nowhere.
void SetupSeekBarRange(QSlider& bar, double duration);

}  // namespace quova

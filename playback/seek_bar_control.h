#pragma once

#include <QObject>
#include <functional>

class QSlider;

namespace quova {

// Makes a slider the player's seek bar (TrackBar1): the user's moves seek,
// arrow keys do nothing, and the bar hides when it loses the focus.
class SeekBarControl : public QObject {
    Q_OBJECT
  public:
    SeekBarControl(QSlider* bar, std::function<void(double seconds)> seekTo);

    // The polling tick's update; never seeks.
    void TimerUpdate(double position, double duration);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QSlider* bar_;
    std::function<void(double seconds)> seekTo_;
};

// Gives the seek bar the range of a medium `duration` seconds long, in
// hundredths: one second a line, 30 seconds a page, a tick a minute. A value
// the new range moves is no user's move: it seeks nowhere.
void SetupSeekBarRange(QSlider& bar, double duration);

}  // namespace quova

#pragma once

#include <QObject>
#include <QPoint>
#include <vector>

#include "app/edge_rules.h"
#include "app/window_drag.h"
#include "playback/transport.h"

class QLabel;
class QPushButton;
class QSlider;
class QTimer;
class QWidget;

namespace quova {

struct PlayerSession;

class SeekBarControl;
class TQuovaForm;

// The small controls near the window's edges and their widgets: the title
// strip and its buttons at the top, the volume bar at the left, the control
// bar (seek bar and six buttons) at the bottom, the subtitle box, and the
// hide timer (Timer2) that takes them away again. Moving the window by the
// mouse lives here too, since the strip starts it as the window does.
class EdgeControls : public QObject {
  public:
    explicit EdgeControls(TQuovaForm& form);
    ~EdgeControls() override;
    EdgeControls(const EdgeControls&) = delete;
    EdgeControls& operator=(const EdgeControls&) = delete;

    // The pointer moved to client point `p`: strips and bars follow it.
    void PointerMoved(QPoint p);
    // Timer2Timer: bars whose time is up hide.
    void HideTick();
    void ShowSeekBar();
    void ShowControlBar(bool on);
    // TrackBar2Click: the control bar shown and kept, or hidden.
    void ToggleControlBar();
    // The volume bar and the OSD after the volume changed.
    void ShowVolume();
    // TrackBar3Change: the volume bar was moved by the user.
    void VolumeBarMoved(int position);
    // The polling tick's part: the seek bar's position and the play glyph.
    void PollUpdate(const TransportTick& tick, double duration);

    // Moving the window with the mouse; `control` holds the capture.
    void BeginDrag(QWidget* control, int x, int y);
    void DragMove(QWidget* control, int x, int y);
    void EndDrag(QWidget* control);

    const EdgeState& edges() const { return edges_; }
    EdgeState& edges() { return edges_; }
    const WindowDrag& drag() const { return drag_; }
    // The controls that show a hint from the lexicon ("hintEntry").
    const std::vector<QWidget*>& hinted() const { return hinted_; }
    QTimer* timer2() const { return timer2_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QPushButton* Button(const char* name) const;
    void ShowTopStrip();
    void HideTopStrip();
    // A title-strip or control-bar button was pressed.
    void ButtonClicked(QPushButton* button);
    bool StripEvent(QEvent* event);

    TQuovaForm& form_;
    PlayerSession& session_;
    std::vector<QWidget*> hinted_;
    QLabel* titleStrip_ = nullptr;
    QSlider* seekBar_ = nullptr;
    SeekBarControl* seekBarControl_ = nullptr;
    QSlider* volumeBar_ = nullptr;
    QLabel* panel_ = nullptr;
    QTimer* timer2_ = nullptr;
    EdgeState edges_;
    WindowDrag drag_;
};

}  // namespace quova

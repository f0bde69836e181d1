#include "playback/seek_bar_control.h"

#include <QKeyEvent>
#include <QSlider>
#include <algorithm>
#include <utility>

#include "playback/seek_bar.h"

namespace quova {

SeekBarControl::SeekBarControl(QSlider* bar,
                               std::function<void(double seconds, SeekPrecision precision)> seekTo)
    : QObject(bar), bar_(bar), seekTo_(std::move(seekTo)) {
    bar_->setObjectName("TrackBar1");
    bar_->setOrientation(Qt::Horizontal);
    bar_->setTickPosition(QSlider::TicksBelow);
    bar_->setFocusPolicy(Qt::StrongFocus);
    bar_->installEventFilter(this);
    connect(bar_, &QSlider::valueChanged, this, &SeekBarControl::Moved);
    connect(bar_, &QSlider::sliderReleased, this, &SeekBarControl::Released);
}

void SeekBarControl::Moved(int value) {
    const SeekPrecision precision =
        bar_->isSliderDown() ? SeekPrecision::KeyFrame : SeekPrecision::Exact;
    const bool sought = TrackBar1Change(state_, value, [this, precision](double seconds) {
        if (seekTo_) seekTo_(seconds, precision);
    });
    if (sought && precision == SeekPrecision::KeyFrame) draggedToKeyFrame_ = true;
}

void SeekBarControl::Released() {
    if (!std::exchange(draggedToKeyFrame_, false)) return;
    TrackBar1Release(state_, bar_->value(), [this](double seconds) {
        if (seekTo_) seekTo_(seconds, SeekPrecision::Exact);
    });
}

void SetupSeekBarRange(QSlider& bar, double duration) {
    const QSignalBlocker quiet(&bar);
    bar.setRange(0, SeekBarValue(duration));
    bar.setSingleStep(100);
    bar.setPageStep(3000);
    bar.setTickInterval(6000);
}

void SeekBarControl::TimerUpdate(double position, double duration) {
    // The drag's seeks land on keyframes behind the thumb: the position would
    // pull it back from under the pointer.
    if (!bar_->isVisible() || bar_->isSliderDown()) return;
    // A length estimated from the bit rate improves as the file plays.
    if (duration > 0 && bar_->maximum() != SeekBarValue(duration))
        SetupSeekBarRange(*bar_, duration);
    // The value is recorded before it is set, so the change it raises is
    // recognised as the tick's own.
    state_.position = std::clamp(SeekBarValue(position), bar_->minimum(), bar_->maximum());
    bar_->setValue(state_.position);
}

bool SeekBarControl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == bar_) {
        if ((event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) &&
            SeekBarSwallowsKey(static_cast<QKeyEvent*>(event)->key()))
            return true;
        if (event->type() == QEvent::KeyPress) {
            // Page Down moves forward and Page Up back, as track bars do.
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_PageDown || key == Qt::Key_PageUp) {
                bar_->triggerAction(key == Qt::Key_PageDown ? QAbstractSlider::SliderPageStepAdd
                                                            : QAbstractSlider::SliderPageStepSub);
                return true;
            }
        }
        if (event->type() == QEvent::FocusOut) bar_->hide();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace quova

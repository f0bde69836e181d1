#include "platform/engine/video_widget.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace quova::engine {

VideoWidget::VideoWidget(QWidget* owner) : QWidget(owner) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
}

void VideoWidget::setFrame(const QImage& frame) {
    frame_ = frame;
    unpainted_ = !frame.isNull();
    update();
}

void VideoWidget::setSourceRect(const QRect& rect) {
    source_ = rect;
    update();
}

void VideoWidget::setDestinationRect(const QRect& rect) {
    destination_ = rect;
    update();
}

void VideoWidget::setNativeOutput(std::function<void()> expose) {
    expose_ = std::move(expose);
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_PaintOnScreen);
    setAttribute(Qt::WA_DontCreateNativeAncestors);
}

QPaintEngine* VideoWidget::paintEngine() const {
    return expose_ ? nullptr : QWidget::paintEngine();
}

void VideoWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (expose_) expose_();
}

void VideoWidget::paintEvent(QPaintEvent*) {
    if (expose_) {
        expose_();
        return;
    }
    QPainter painter(this);
    const QRect target = destination_.isEmpty() ? rect() : destination_;
    if (frame_.isNull()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    // Only the borders around the picture need black.
    const QRegion around = QRegion(rect()).subtracted(QRegion(target));
    for (const QRect& r : around) painter.fillRect(r, Qt::black);
    const QRect source = source_.isEmpty() ? frame_.rect() : source_;
    if (unpainted_) {
        unpainted_ = false;
        ++painted_;
    }
    // The picture is opaque: a plain copy, no blending.
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    if (source.size() == target.size())
        painter.drawImage(target.topLeft(), frame_, source);
    else
        painter.drawImage(target, frame_, source);
}

void VideoWidget::forwardMouse(QMouseEvent* event) {
    if (!drain_) {
        event->ignore();
        return;
    }
    const QPointF local = drain_->mapFromGlobal(event->globalPosition());
    QMouseEvent copy(event->type(), local, event->scenePosition(), event->globalPosition(),
                     event->button(), event->buttons(), event->modifiers());
    QCoreApplication::sendEvent(drain_, &copy);
}

void VideoWidget::mousePressEvent(QMouseEvent* event) {
    forwardMouse(event);
}
void VideoWidget::mouseReleaseEvent(QMouseEvent* event) {
    forwardMouse(event);
}
void VideoWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    forwardMouse(event);
}
void VideoWidget::mouseMoveEvent(QMouseEvent* event) {
    forwardMouse(event);
}

void VideoWidget::wheelEvent(QWheelEvent* event) {
    if (!drain_) {
        event->ignore();
        return;
    }
    const QPointF local = drain_->mapFromGlobal(event->globalPosition());
    QWheelEvent copy(local, event->globalPosition(), event->pixelDelta(), event->angleDelta(),
                     event->buttons(), event->modifiers(), event->phase(), event->inverted());
    QCoreApplication::sendEvent(drain_, &copy);
}

void VideoWidget::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted() && closed_) closed_();
}

}  // namespace quova::engine

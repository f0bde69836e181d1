#pragma once

#include <QImage>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <cstdint>
#include <functional>

namespace quova::engine {

// The video window: a child of the window that owns it, painting the
// renderer's latest picture, the source rectangle scaled into the destination
// rectangle, black around it. Mouse input over it goes to the drain widget.
class VideoWidget : public QWidget {
  public:
    explicit VideoWidget(QWidget* owner);

    void setFrame(const QImage& frame);
    const QImage& frame() const { return frame_; }
    // Pictures that reached the screen: each handed frame counts once, when
    // it is first painted; a frame replaced before a paint never counts.
    std::uint64_t paintedFrames() const { return painted_; }
    // Empty rectangles mean the defaults: the whole picture, the whole widget.
    void setSourceRect(const QRect& rect);
    void setDestinationRect(const QRect& rect);
    // A sink draws into this widget's own native window; Qt paints nothing
    // there and tells the sink when the window needs its picture again.
    void setNativeOutput(std::function<void()> expose);
    bool nativeOutput() const { return static_cast<bool>(expose_); }
    QPaintEngine* paintEngine() const override;
    void setDrain(QWidget* drain) { drain_ = drain; }
    QWidget* drain() const { return drain_; }
    // Called when the window is closed (by the user, or by close()).
    void setClosedHandler(std::function<void()> handler) { closed_ = std::move(handler); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void forwardMouse(QMouseEvent* event);

    QImage frame_;
    bool unpainted_ = false;
    std::uint64_t painted_ = 0;
    QRect source_;
    QRect destination_;
    QPointer<QWidget> drain_;
    std::function<void()> expose_;
    std::function<void()> closed_;
};

}  // namespace quova::engine

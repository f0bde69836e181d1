#pragma once

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>

#include <functional>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/engine/deep_picture.h"
#include "platform/engine/filter.h"
#include "platform/engine/shown_picture.h"
#include "platform/engine/video_output.h"

namespace quova::engine {

class FrameOverlay;
class VideoWidget;

// Frames handed from the streaming thread to the UI thread: the newest one
// waits here, and one queued call at a time carries it over.
struct FrameMailbox {
    FrameMailbox() = default;
    FrameMailbox(const FrameMailbox&) = delete;
    FrameMailbox& operator=(const FrameMailbox&) = delete;
    ~FrameMailbox();

    std::mutex lock;
    QImage latest;
    // The latest frame as it was before the overlay was blended into it;
    // nullptr when nothing was.
    GstSample* latestBare = nullptr;
    // Where the overlay element leaves that frame (streaming thread).
    std::shared_ptr<FrameOverlay> overlay;
    std::atomic<std::uint64_t> received{0};
    std::atomic<bool> pending{false};
    // The buffer last handed as the paused picture (streaming thread only, for
    // identity): playing from the pause renders that same buffer again, and
    // the window has it already.
    const void* prerolled = nullptr;
    // The sink, whose QoS starts once the first pictures came.
    GstElement* sink = nullptr;
    // Deep pictures become BGRx here (streaming thread only).
    DeepPictureConverter deep;
    // The user closed the window: frames are dropped until the graph stops.
    std::atomic<bool> aborted{false};
    QObject* receiver = nullptr;    // lives on the UI thread
    std::function<void()> deliver;  // runs on the UI thread
};

// Shows frames in a child widget of the caller's window: the video window
// (owner, visibility, position, pointer, message drain) and the basic video
// settings (native size, source and destination rectangles). Where the display
// allows, a video sink draws into the widget's native window from the
// streaming thread; elsewhere the widget paints the frames it is handed.
class VideoRendererFilter : public Filter {
  public:
    explicit VideoRendererFilter(FilterInfo info);
    ~VideoRendererFilter() override;

    // Video window.
    HResult SetOwner(QWidget* owner);
    QWidget* Owner() const { return owner_; }
    HResult SetAutoShow(bool autoShow);
    bool AutoShow() const { return autoShow_; }
    HResult SetVisible(bool visible);
    bool IsVisible() const;
    HResult SetWindowPosition(const QRect& rect);
    QRect WindowPosition() const;
    int Left() const { return WindowPosition().left(); }
    int Top() const { return WindowPosition().top(); }
    HResult SetLeft(int left);
    HResult SetTop(int top);
    HResult SetMessageDrain(QWidget* drain);
    HResult HideCursor(bool hide);
    bool IsCursorHidden() const { return cursorHidden_; }
    VideoWidget* widget() const;

    // Basic video.
    Outcome<QSize> NativeSize() const;
    HResult SetSourcePosition(const QRect& rect);
    QRect SourcePosition() const;
    HResult SetDefaultSourcePosition();
    HResult SetDestinationPosition(const QRect& rect);
    QRect DestinationPosition() const;
    HResult SetDefaultDestinationPosition();

    // An image laid over the picture, its top-left corner at `topLeft` in the
    // video window: drawn into every frame shown from now on, whatever sink
    // shows them. A null image takes it away.
    HResult SetOverlay(const QImage& image, const QPoint& topLeft);

    // Frames that reached the renderer since it was made (each once).
    std::uint64_t ReceivedFrames() const { return mailbox_->received.load(); }
    // Frames that reached the screen: painted by the video window, or drawn
    // by the sink that draws into it. Received but not shown means dropped.
    std::uint64_t ShownFrames() const;
    // The picture shown now (the last one received).
    QImage CurrentImage() const;
    // The same picture for a screenshot, at the frame's own size: as shown,
    // with the overlay drawn into it, or as it was before the overlay (the
    // frame shown now, not a frame decoded again). Empty before the first
    // picture.
    ShownPicture Shown(bool withOverlay) const;
    // Called by the graph when it starts to run.
    void GraphRunning();
    // Called by the graph when it stops.
    void GraphStopped();

    void CreatePins() override;
    GstElement* sink() const { return appsink_ ? appsink_ : overlaySink_; }
    VideoOutput output() const { return output_; }

  private:
    void Deliver();
    void BuildOverlayChain();
    void LinkThroughOverlay(GstElement* from, GstElement* to);
    void PublishOverlayGeometry();
    void MakeWidget(QWidget* parent);
    void Expose();
    // The video window was closed: the user aborts the playback.
    void WindowClosed();

    std::shared_ptr<FrameMailbox> mailbox_;
    std::unique_ptr<QObject> receiver_;
    GstElement* appsink_ = nullptr;
    std::shared_ptr<FrameOverlay> overlay_;
    VideoOutput output_ = VideoOutput::Image;
    // The first element of the chain (its input) and the one whose input caps
    // give the native size.
    GstElement* entry_ = nullptr;
    GstElement* sized_ = nullptr;
    GstElement* crop_ = nullptr;
    GstElement* overlaySink_ = nullptr;
    QPointer<QWidget> owner_;
    QPointer<VideoWidget> widget_;
    QPointer<QWidget> drain_;
    QImage current_;
    GstSample* currentBare_ = nullptr;
    QRect source_;
    QRect destination_;
    bool autoShow_ = true;
    bool cursorHidden_ = false;
};

}  // namespace quova::engine

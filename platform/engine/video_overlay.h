#pragma once

#include <gst/video/video.h>

#include <QImage>
#include <QRect>
#include <QSize>
#include <cstdint>
#include <memory>
#include <mutex>

namespace quova::engine {

// Where a rectangle given in the video window's coordinates lands in a
// frame of `frame` size: `destination` is where the window shows the
// picture, `source` the part of the frame shown there (empty: all of it).
QRect OverlayFrameRect(const QRect& windowRect, const QRect& destination, const QRect& source,
                       const QSize& frame);

// An image laid over every frame the renderer shows. The UI thread sets it;
// the streaming thread turns it into an overlay composition, which the
// chain's overlay element blends into the frames or hands to a sink that
// draws it itself, so it shows whatever sink shows the picture.
class FrameOverlay {
  public:
    FrameOverlay() = default;
    ~FrameOverlay();
    FrameOverlay(const FrameOverlay&) = delete;
    FrameOverlay& operator=(const FrameOverlay&) = delete;

    // `image` (any format; premultiplied ARGB is taken as it is) with its
    // top-left corner at `topLeft` of the window; a null image clears.
    void SetImage(const QImage& image, const QPoint& topLeft);
    // Where the window shows the picture and which part of the frame.
    void SetGeometry(const QRect& destination, const QRect& source);
    bool Empty() const;

    // Streaming thread: the composition for a frame of `frame` size (a new
    // reference), or nullptr when there is nothing to lay over it.
    GstVideoOverlayComposition* CompositionFor(const QSize& frame);

    // Streaming thread: the frame as it was before the image was blended into
    // its pixels (its buffer and caps), or nullptr when nothing was blended
    // (no image, or a sink that draws the image itself). Only the last frame
    // is kept.
    void KeepUnderneath(GstSample* bare);
    // Any thread: that frame (a new reference), or nullptr.
    GstSample* Underneath() const;

  private:
    void DropCached();

    mutable std::mutex lock_;
    QImage image_;
    QPoint topLeft_;
    QRect destination_;
    QRect source_;
    std::uint64_t generation_ = 0;
    GstVideoOverlayComposition* cached_ = nullptr;
    std::uint64_t cachedGeneration_ = 0;
    QSize cachedFrame_;
    GstSample* underneath_ = nullptr;
};

// Connects `overlay` to an "overlaycomposition" element's draw signal; the
// element keeps a reference to the overlay while it lives.
void ConnectFrameOverlay(GstElement* overlayElement, std::shared_ptr<FrameOverlay> overlay);

}  // namespace quova::engine

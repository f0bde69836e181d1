#pragma once

#include <QImage>
#include <QSize>

typedef struct _GstSample GstSample;

namespace quova::engine {

// The picture the video renderer shows now, taken as it stands: the window's
// own image, or the sink's frame (a reference to its buffer, not a copy).
// It can be carried to another thread and turned into an image there.
class ShownPicture {
  public:
    ShownPicture() = default;
    // The image the window paints.
    explicit ShownPicture(QImage image);
    // A frame of the sink's; `blendOverlay` draws a composition the buffer
    // carries as a meta (a sink that draws it itself) into the image.
    ShownPicture(GstSample* sample, bool blendOverlay);
    ~ShownPicture();
    ShownPicture(ShownPicture&& other) noexcept;
    ShownPicture& operator=(ShownPicture&& other) noexcept;
    ShownPicture(const ShownPicture&) = delete;
    ShownPicture& operator=(const ShownPicture&) = delete;

    bool Empty() const { return image_.isNull() && !sample_; }
    // The frame's own size (not the window's).
    QSize Size() const;

    // Any thread: the picture in 8-bit RGB at its own size, every pixel as
    // shown; a frame in another format goes through videoconvert. A null
    // image when it cannot be converted.
    QImage ToImage() const;

  private:
    QImage image_;
    GstSample* sample_ = nullptr;
    bool blendOverlay_ = false;
};

}  // namespace quova::engine

#pragma once

#include <gst/video/video.h>

#include <QImage>
#include <array>

struct SwsContext;

namespace quova::engine {

// Pictures of more than 8 bits a sample (10- and 12-bit YUV) become the
// window's BGRx pictures through libswscale: videoconvert takes its generic
// 16-bit path for them, which costs about twice the CPU for the same result.
// libswscale is opened on the first deep picture, so that a player that
// never shows one neither maps nor links it.

// Whether `format` is one this converter takes, and libswscale is there.
bool TakesDeepPicture(GstVideoFormat format);

// Streaming thread only: one per renderer.
class DeepPictureConverter {
  public:
    DeepPictureConverter() = default;
    DeepPictureConverter(const DeepPictureConverter&) = delete;
    DeepPictureConverter& operator=(const DeepPictureConverter&) = delete;
    ~DeepPictureConverter();

    // The frame as a BGRx picture in the colours its caps describe (matrix
    // and range); a null image when the format is not taken.
    QImage Convert(const GstVideoFrame& frame);

  private:
    // A picture the window no longer holds, or a new one.
    QImage& FreePicture(int width, int height);

    SwsContext* context_ = nullptr;
    GstVideoInfo info_{};
    // The window keeps the picture it shows and the one about to replace it;
    // the third is written meanwhile.
    std::array<QImage, 3> pictures_;
};

}  // namespace quova::engine

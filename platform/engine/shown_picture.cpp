#include "platform/engine/shown_picture.h"

#include <gst/gst.h>
#include <gst/video/video.h>

#include <utility>

namespace quova::engine {

ShownPicture::ShownPicture(QImage image) : image_(std::move(image)) {}

ShownPicture::ShownPicture(GstSample* sample, bool blendOverlay)
    : sample_(sample ? gst_sample_ref(sample) : nullptr), blendOverlay_(blendOverlay) {}

ShownPicture::~ShownPicture() {
    if (sample_) gst_sample_unref(sample_);
}

ShownPicture::ShownPicture(ShownPicture&& other) noexcept
    : image_(std::move(other.image_)),
      sample_(std::exchange(other.sample_, nullptr)),
      blendOverlay_(other.blendOverlay_) {}

ShownPicture& ShownPicture::operator=(ShownPicture&& other) noexcept {
    if (this != &other) {
        if (sample_) gst_sample_unref(sample_);
        image_ = std::move(other.image_);
        sample_ = std::exchange(other.sample_, nullptr);
        blendOverlay_ = other.blendOverlay_;
    }
    return *this;
}

namespace {

bool InfoOf(GstSample* sample, GstVideoInfo& info) {
    GstCaps* caps = gst_sample_get_caps(sample);
    return caps && gst_video_info_from_caps(&info, caps);
}

// The composition `carrier` holds as a meta (a sink that draws it itself),
// blended into `image` as overlaycomposition blends: into the pixels.
void BlendCarriedOverlay(QImage& image, GstBuffer* carrier) {
    GstVideoOverlayCompositionMeta* meta =
        carrier ? gst_buffer_get_video_overlay_composition_meta(carrier) : nullptr;
    if (!meta || !meta->overlay || image.isNull()) return;
    GstVideoInfo out;
    gst_video_info_set_format(&out, GST_VIDEO_FORMAT_BGRx, static_cast<guint>(image.width()),
                              static_cast<guint>(image.height()));
    out.stride[0] = static_cast<gint>(image.bytesPerLine());
    const auto bytes = static_cast<gsize>(image.sizeInBytes());
    GstBuffer* wrapped = gst_buffer_new_wrapped_full(GstMemoryFlags(0), image.bits(), bytes, 0,
                                                     bytes, nullptr, nullptr);
    GstVideoFrame target;
    if (gst_video_frame_map(&target, &out, wrapped, GST_MAP_READWRITE)) {
        gst_video_overlay_composition_blend(meta->overlay, &target);
        gst_video_frame_unmap(&target);
    }
    gst_buffer_unref(wrapped);
}

// A BGRx frame as an image of its own: the frame's buffer may go back to its
// pool once this returns.
QImage CopyBgrx(GstSample* sample) {
    GstVideoInfo info;
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    if (!buffer || !InfoOf(sample, info)) return {};
    GstVideoFrame frame;
    if (!gst_video_frame_map(&frame, &info, buffer, GST_MAP_READ)) return {};
    QImage image = QImage(static_cast<const uchar*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0)),
                          GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info),
                          GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0), QImage::Format_RGB32)
                       .copy();
    gst_video_frame_unmap(&frame);
    return image;
}

}  // namespace

QSize ShownPicture::Size() const {
    if (!sample_) return image_.size();
    GstVideoInfo info;
    if (!InfoOf(sample_, info)) return {};
    return QSize(GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info));
}

QImage ShownPicture::ToImage() const {
    if (!sample_) return image_.convertToFormat(QImage::Format_RGB32);
    GstVideoInfo info;
    if (!InfoOf(sample_, info)) return {};
    QImage image;
    if (GST_VIDEO_INFO_FORMAT(&info) == GST_VIDEO_FORMAT_BGRx) {
        image = CopyBgrx(sample_);
    } else {
        // Same size, same pixel aspect: only the format changes.
        GstCaps* wanted = gst_caps_new_simple(
            "video/x-raw", "format", G_TYPE_STRING, "BGRx", "width", G_TYPE_INT,
            GST_VIDEO_INFO_WIDTH(&info), "height", G_TYPE_INT, GST_VIDEO_INFO_HEIGHT(&info),
            "pixel-aspect-ratio", GST_TYPE_FRACTION, GST_VIDEO_INFO_PAR_N(&info),
            GST_VIDEO_INFO_PAR_D(&info), nullptr);
        GError* error = nullptr;
        GstSample* converted = gst_video_convert_sample(sample_, wanted, 10 * GST_SECOND, &error);
        gst_caps_unref(wanted);
        if (error) g_error_free(error);
        if (!converted) return {};
        image = CopyBgrx(converted);
        gst_sample_unref(converted);
    }
    // The conversion drops the buffer's metas: the composition comes from the
    // sink's own frame.
    if (blendOverlay_) BlendCarriedOverlay(image, gst_sample_get_buffer(sample_));
    return image;
}

}  // namespace quova::engine

#include "platform/engine/video_overlay.h"

#include <cmath>
#include <cstring>

namespace quova::engine {

QRect OverlayFrameRect(const QRect& windowRect, const QRect& destination, const QRect& source,
                       const QSize& frame) {
    if (destination.isEmpty() || frame.isEmpty()) return {};
    const QRect shown = source.isEmpty() ? QRect(QPoint(0, 0), frame) : source;
    const double sx = static_cast<double>(shown.width()) / destination.width();
    const double sy = static_cast<double>(shown.height()) / destination.height();
    const QRect inside = windowRect.intersected(destination);
    if (inside.isEmpty()) return {};
    const int left = shown.x() + static_cast<int>(std::floor((inside.x() - destination.x()) * sx));
    const int top = shown.y() + static_cast<int>(std::floor((inside.y() - destination.y()) * sy));
    const int right =
        shown.x() +
        static_cast<int>(std::ceil((inside.x() + inside.width() - destination.x()) * sx));
    const int bottom =
        shown.y() +
        static_cast<int>(std::ceil((inside.y() + inside.height() - destination.y()) * sy));
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1))
        .intersected(QRect(QPoint(0, 0), frame));
}

FrameOverlay::~FrameOverlay() {
    DropCached();
    if (underneath_) gst_sample_unref(underneath_);
}

void FrameOverlay::KeepUnderneath(GstSample* bare) {
    GstSample* old = nullptr;
    {
        std::lock_guard guard(lock_);
        old = underneath_;
        underneath_ = bare ? gst_sample_ref(bare) : nullptr;
    }
    // The buffer may go back to its pool here: not under the lock.
    if (old) gst_sample_unref(old);
}

GstSample* FrameOverlay::Underneath() const {
    std::lock_guard guard(lock_);
    return underneath_ ? gst_sample_ref(underneath_) : nullptr;
}

void FrameOverlay::DropCached() {
    if (cached_) gst_video_overlay_composition_unref(cached_);
    cached_ = nullptr;
}

void FrameOverlay::SetImage(const QImage& image, const QPoint& topLeft) {
    std::lock_guard guard(lock_);
    image_ = image.isNull() ? QImage() : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    topLeft_ = topLeft;
    ++generation_;
}

void FrameOverlay::SetGeometry(const QRect& destination, const QRect& source) {
    std::lock_guard guard(lock_);
    if (destination == destination_ && source == source_) return;
    destination_ = destination;
    source_ = source;
    ++generation_;
}

bool FrameOverlay::Empty() const {
    std::lock_guard guard(lock_);
    return image_.isNull();
}

GstVideoOverlayComposition* FrameOverlay::CompositionFor(const QSize& frame) {
    std::lock_guard guard(lock_);
    if (image_.isNull()) return nullptr;
    if (!cached_ || cachedGeneration_ != generation_ || cachedFrame_ != frame) {
        DropCached();
        cachedGeneration_ = generation_;
        cachedFrame_ = frame;
        const QRect window(topLeft_, image_.size());
        const QRect visible = window.intersected(destination_);
        const QRect target = OverlayFrameRect(visible, destination_, source_, frame);
        if (visible.isEmpty() || target.isEmpty()) return nullptr;
        // Only the part over the picture; scaled by the blend into the frame's part.
        const QImage part = image_.copy(visible.translated(-topLeft_));
        const gsize bytes = static_cast<gsize>(part.width()) * part.height() * 4;
        GstBuffer* pixels = gst_buffer_new_allocate(nullptr, bytes, nullptr);
        GstMapInfo map;
        if (!gst_buffer_map(pixels, &map, GST_MAP_WRITE)) {
            gst_buffer_unref(pixels);
            return nullptr;
        }
        for (int y = 0; y < part.height(); ++y)
            std::memcpy(map.data + static_cast<gsize>(y) * part.width() * 4, part.constScanLine(y),
                        static_cast<size_t>(part.width()) * 4);
        gst_buffer_unmap(pixels, &map);
        // In memory ARGB32 is B, G, R, A on little-endian machines, A, R, G, B otherwise:
        // the composition's own "RGB" format in both cases.
        gst_buffer_add_video_meta(pixels, GST_VIDEO_FRAME_FLAG_NONE,
                                  GST_VIDEO_OVERLAY_COMPOSITION_FORMAT_RGB, part.width(),
                                  part.height());
        GstVideoOverlayRectangle* rect = gst_video_overlay_rectangle_new_raw(
            pixels, target.x(), target.y(), static_cast<guint>(target.width()),
            static_cast<guint>(target.height()), GST_VIDEO_OVERLAY_FORMAT_FLAG_PREMULTIPLIED_ALPHA);
        gst_buffer_unref(pixels);
        cached_ = gst_video_overlay_composition_new(rect);
        gst_video_overlay_rectangle_unref(rect);
    }
    return cached_ ? gst_video_overlay_composition_ref(cached_) : nullptr;
}

namespace {

// Whether the element hands the composition on as a meta (the sink draws it)
// rather than blending it into the pixels.
bool AttachesComposition(GstElement* element) {
    GstPad* src = gst_element_get_static_pad(element, "src");
    GstCaps* caps = src ? gst_pad_get_current_caps(src) : nullptr;
    if (src) gst_object_unref(src);
    bool attached = false;
    if (caps) {
        const GstCapsFeatures* features = gst_caps_get_features(caps, 0);
        attached = features && gst_caps_features_contains(
                                   features, GST_CAPS_FEATURE_META_GST_VIDEO_OVERLAY_COMPOSITION);
        gst_caps_unref(caps);
    }
    return attached;
}

GstVideoOverlayComposition* Draw(GstElement* element, GstSample* sample, gpointer data) {
    auto& overlay = *static_cast<std::shared_ptr<FrameOverlay>*>(data);
    GstCaps* caps = sample ? gst_sample_get_caps(sample) : nullptr;
    GstVideoInfo info;
    if (!caps || !gst_video_info_from_caps(&info, caps)) {
        overlay->KeepUnderneath(nullptr);
        return nullptr;
    }
    GstVideoOverlayComposition* composition =
        overlay->CompositionFor(QSize(GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info)));
    // A screenshot without the overlay needs the pixels the blend is about to
    // change. Holding the buffer makes the element blend into a copy, which
    // costs a copy of each frame while an image is shown, and nothing else.
    GstSample* bare = nullptr;
    if (composition && !AttachesComposition(element))
        bare = gst_sample_new(gst_sample_get_buffer(sample), caps, nullptr, nullptr);
    overlay->KeepUnderneath(bare);
    if (bare) gst_sample_unref(bare);
    return composition;
}

void Release(gpointer data, GClosure*) {
    delete static_cast<std::shared_ptr<FrameOverlay>*>(data);
}

}  // namespace

void ConnectFrameOverlay(GstElement* overlayElement, std::shared_ptr<FrameOverlay> overlay) {
    g_signal_connect_data(overlayElement, "draw", G_CALLBACK(Draw),
                          new std::shared_ptr<FrameOverlay>(std::move(overlay)), Release,
                          GConnectFlags(0));
}

}  // namespace quova::engine

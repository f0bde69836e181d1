#include "platform/engine/deep_picture.h"

#include <dlfcn.h>

#include <string>

extern "C" {
#include <libswscale/swscale.h>
}

namespace quova::engine {

namespace {

struct Swscale {
    decltype(&sws_getCachedContext) getCachedContext = nullptr;
    decltype(&sws_freeContext) freeContext = nullptr;
    decltype(&sws_scale) scale = nullptr;
    decltype(&sws_setColorspaceDetails) setColorspaceDetails = nullptr;
    decltype(&sws_getCoefficients) getCoefficients = nullptr;
};

// The library the headers were built for, opened once; null when missing.
const Swscale* Library() {
    static const Swscale* library = []() -> const Swscale* {
        const std::string name = "libswscale.so." + std::to_string(LIBSWSCALE_VERSION_MAJOR);
        void* handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) return nullptr;
        static Swscale s;
        s.getCachedContext =
            reinterpret_cast<decltype(s.getCachedContext)>(dlsym(handle, "sws_getCachedContext"));
        s.freeContext = reinterpret_cast<decltype(s.freeContext)>(dlsym(handle, "sws_freeContext"));
        s.scale = reinterpret_cast<decltype(s.scale)>(dlsym(handle, "sws_scale"));
        s.setColorspaceDetails = reinterpret_cast<decltype(s.setColorspaceDetails)>(
            dlsym(handle, "sws_setColorspaceDetails"));
        s.getCoefficients =
            reinterpret_cast<decltype(s.getCoefficients)>(dlsym(handle, "sws_getCoefficients"));
        if (!s.getCachedContext || !s.freeContext || !s.scale || !s.setColorspaceDetails ||
            !s.getCoefficients)
            return nullptr;
        return &s;
    }();
    return library;
}

AVPixelFormat PixelFormatOf(GstVideoFormat format) {
    switch (format) {
        case GST_VIDEO_FORMAT_I420_10LE:
            return AV_PIX_FMT_YUV420P10LE;
        case GST_VIDEO_FORMAT_I422_10LE:
            return AV_PIX_FMT_YUV422P10LE;
        case GST_VIDEO_FORMAT_Y444_10LE:
            return AV_PIX_FMT_YUV444P10LE;
        case GST_VIDEO_FORMAT_I420_12LE:
            return AV_PIX_FMT_YUV420P12LE;
        case GST_VIDEO_FORMAT_I422_12LE:
            return AV_PIX_FMT_YUV422P12LE;
        case GST_VIDEO_FORMAT_Y444_12LE:
            return AV_PIX_FMT_YUV444P12LE;
        default:
            return AV_PIX_FMT_NONE;
    }
}

int ColorspaceOf(GstVideoColorMatrix matrix, int height) {
    switch (matrix) {
        case GST_VIDEO_COLOR_MATRIX_BT709:
            return SWS_CS_ITU709;
        case GST_VIDEO_COLOR_MATRIX_BT601:
            return SWS_CS_ITU601;
        case GST_VIDEO_COLOR_MATRIX_FCC:
            return SWS_CS_FCC;
        case GST_VIDEO_COLOR_MATRIX_SMPTE240M:
            return SWS_CS_SMPTE240M;
        case GST_VIDEO_COLOR_MATRIX_BT2020:
            return SWS_CS_BT2020;
        default:
            // Untagged: what the picture's size suggests, as GStreamer assumes.
            return height > 576 ? SWS_CS_ITU709 : SWS_CS_ITU601;
    }
}

bool SameConversion(const GstVideoInfo& a, const GstVideoInfo& b) {
    return GST_VIDEO_INFO_FORMAT(&a) == GST_VIDEO_INFO_FORMAT(&b) &&
           GST_VIDEO_INFO_WIDTH(&a) == GST_VIDEO_INFO_WIDTH(&b) &&
           GST_VIDEO_INFO_HEIGHT(&a) == GST_VIDEO_INFO_HEIGHT(&b) &&
           a.colorimetry.matrix == b.colorimetry.matrix &&
           a.colorimetry.range == b.colorimetry.range;
}

}  // namespace

bool TakesDeepPicture(GstVideoFormat format) {
    return PixelFormatOf(format) != AV_PIX_FMT_NONE && Library();
}

DeepPictureConverter::~DeepPictureConverter() {
    if (context_) Library()->freeContext(context_);
}

QImage& DeepPictureConverter::FreePicture(int width, int height) {
    const QSize size(width, height);
    for (QImage& picture : pictures_)
        if (picture.size() == size && picture.isDetached()) return picture;
    // All held by the window (or another size): a slot gives its picture up
    // to whoever holds it and takes a new one.
    for (QImage& picture : pictures_)
        if (picture.size() != size || !picture.isDetached()) {
            picture = QImage(size, QImage::Format_RGB32);
            return picture;
        }
    return pictures_[0];
}

QImage DeepPictureConverter::Convert(const GstVideoFrame& frame) {
    const GstVideoInfo& info = frame.info;
    const AVPixelFormat format = PixelFormatOf(GST_VIDEO_INFO_FORMAT(&info));
    const Swscale* sws = Library();
    if (format == AV_PIX_FMT_NONE || !sws) return {};
    const int width = GST_VIDEO_INFO_WIDTH(&info), height = GST_VIDEO_INFO_HEIGHT(&info);
    if (!context_ || !SameConversion(info, info_)) {
        // Same size: no scaling, so the filter only decides how the chroma of
        // subsampled formats is spread. The fast filter does that as well as
        // bilinear for 4:2:0, and bilinear would take 2.5 times as long on
        // 4:4:4, where there is no chroma to spread.
        context_ =
            sws->getCachedContext(context_, width, height, format, width, height, AV_PIX_FMT_BGR0,
                                  SWS_FAST_BILINEAR, nullptr, nullptr, nullptr);
        if (!context_) return {};
        const int* coefficients =
            sws->getCoefficients(ColorspaceOf(info.colorimetry.matrix, height));
        const int fullRange = info.colorimetry.range == GST_VIDEO_COLOR_RANGE_0_255;
        sws->setColorspaceDetails(context_, coefficients, fullRange, coefficients, 1, 0, 1 << 16,
                                  1 << 16);
        info_ = info;
    }
    QImage& picture = FreePicture(width, height);
    const uint8_t* source[4] = {};
    int sourceStride[4] = {};
    for (guint plane = 0; plane < GST_VIDEO_FRAME_N_PLANES(&frame) && plane < 4; ++plane) {
        source[plane] = static_cast<const uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, plane));
        sourceStride[plane] = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, plane);
    }
    uint8_t* target[4] = {picture.bits(), nullptr, nullptr, nullptr};
    const int targetStride[4] = {static_cast<int>(picture.bytesPerLine()), 0, 0, 0};
    if (sws->scale(context_, source, sourceStride, 0, height, target, targetStride) != height)
        return {};
    return picture;
}

}  // namespace quova::engine

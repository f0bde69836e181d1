#include "platform/engine/media_detector.h"

#include <gst/gst.h>
#include <gst/pbutils/pbutils.h>

#include <filesystem>

#include "platform/engine/gst_init.h"
#include "platform/engine/stream_memo.h"

namespace quova::engine {

HResult MediaDetector::SetFileName(const std::string& path, int timeoutMs) {
    EnsureGstInitialized();
    streams_.clear();
    current_ = 0;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return E_FILE_NOT_FOUND;
    if (auto known = RecallFileStreams(path)) {
        for (const DiscoveredStream& stream : *known) {
            GstCaps* caps = gst_caps_from_string(stream.caps.c_str());
            auto types = caps ? MediaTypesFromCaps(caps) : std::vector<MediaType>{};
            if (caps) gst_caps_unref(caps);
            MediaType t = types.empty() ? MediaType{} : types.front();
            if (!t.IsVideo()) t.frameRate = 0;
            streams_.push_back(t);
        }
        return streams_.empty() ? VFW_E_UNSUPPORTED_STREAM : S_OK;
    }
    GError* error = nullptr;
    GstDiscoverer* discoverer =
        gst_discoverer_new(static_cast<GstClockTime>(timeoutMs) * GST_MSECOND, &error);
    if (!discoverer) {
        if (error) g_error_free(error);
        return E_FAIL;
    }
    gchar* uri = gst_filename_to_uri(path.c_str(), nullptr);
    GstDiscovererInfo* info = gst_discoverer_discover_uri(discoverer, uri, &error);
    g_free(uri);
    HResult hr = S_OK;
    switch (info ? gst_discoverer_info_get_result(info) : GST_DISCOVERER_ERROR) {
        case GST_DISCOVERER_OK:
        case GST_DISCOVERER_MISSING_PLUGINS:
            break;
        case GST_DISCOVERER_TIMEOUT:
            hr = VFW_E_TIMEOUT;
            break;
        case GST_DISCOVERER_URI_INVALID:
            hr = E_INVALIDARG;
            break;
        default:
            hr = error ? ResultFromGstError(error) : VFW_E_UNSUPPORTED_STREAM;
            if (hr == VFW_E_RUNTIME_ERROR || hr == E_UNEXPECTED) hr = VFW_E_INVALID_FILE_FORMAT;
    }
    if (info && Succeeded(hr)) {
        GList* list = gst_discoverer_info_get_stream_list(info);
        for (GList* l = list; l; l = l->next) {
            auto* stream = GST_DISCOVERER_STREAM_INFO(l->data);
            if (GST_IS_DISCOVERER_CONTAINER_INFO(stream)) continue;
            GstCaps* caps = gst_discoverer_stream_info_get_caps(stream);
            auto types = MediaTypesFromCaps(caps);
            if (caps) gst_caps_unref(caps);
            MediaType t = types.empty() ? MediaType{} : types.front();
            if (GST_IS_DISCOVERER_VIDEO_INFO(stream)) {
                auto* v = GST_DISCOVERER_VIDEO_INFO(stream);
                t.majorType = MEDIATYPE_Video;
                const guint den = gst_discoverer_video_info_get_framerate_denom(v);
                if (den > 0)
                    t.frameRate =
                        static_cast<double>(gst_discoverer_video_info_get_framerate_num(v)) / den;
                t.width = static_cast<int>(gst_discoverer_video_info_get_width(v));
                t.height = static_cast<int>(gst_discoverer_video_info_get_height(v));
            } else if (GST_IS_DISCOVERER_AUDIO_INFO(stream)) {
                t.majorType = MEDIATYPE_Audio;
                t.frameRate = 0;
            }
            streams_.push_back(t);
        }
        gst_discoverer_stream_info_list_free(list);
        if (streams_.empty()) hr = VFW_E_UNSUPPORTED_STREAM;
    }
    if (info) gst_discoverer_info_unref(info);
    if (error) g_error_free(error);
    g_object_unref(discoverer);
    return hr;
}

HResult MediaDetector::SetCurrentStream(int index) {
    if (index < 0 || index >= OutputStreams()) return E_INVALIDARG;
    current_ = index;
    return S_OK;
}

Outcome<Guid> MediaDetector::StreamType() const {
    if (current_ >= OutputStreams()) return {E_INVALIDARG, {}};
    return {S_OK, streams_[current_].majorType};
}

Outcome<double> MediaDetector::FrameRate() const {
    if (current_ >= OutputStreams()) return {E_INVALIDARG, 0};
    return {S_OK, streams_[current_].IsVideo() ? streams_[current_].frameRate : 0.0};
}

}  // namespace quova::engine

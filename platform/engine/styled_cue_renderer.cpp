#include "platform/engine/styled_cue_renderer.h"

#include <gst/app/gstappsink.h>
#include <gst/app/gstappsrc.h>
#include <gst/gst.h>

#include <algorithm>
#include <chrono>
#include <future>

#include "platform/engine/gst_init.h"

namespace quova::engine {

namespace {

GstBuffer* BytesBuffer(const std::string& bytes) {
    GstBuffer* buffer = gst_buffer_new_allocate(nullptr, bytes.size(), nullptr);
    gst_buffer_fill(buffer, 0, bytes.data(), bytes.size());
    return buffer;
}

GstBuffer* Plain(const QSize& frame, guint8 level, GstClockTime pts) {
    const gsize size = static_cast<gsize>(frame.width()) * frame.height() * 4;
    GstBuffer* buffer = gst_buffer_new_allocate(nullptr, size, nullptr);
    GstMapInfo map;
    if (gst_buffer_map(buffer, &map, GST_MAP_WRITE)) {
        for (gsize i = 0; i < size; i += 4) {
            map.data[i] = map.data[i + 1] = map.data[i + 2] = level;
            map.data[i + 3] = 255;
        }
        gst_buffer_unmap(buffer, &map);
    }
    GST_BUFFER_PTS(buffer) = pts;
    GST_BUFFER_DURATION(buffer) = GST_SECOND / 4;
    return buffer;
}

GstTagList* FontTags(const std::vector<FontAttachment>& fonts) {
    GstTagList* tags = nullptr;
    for (const FontAttachment& font : fonts) {
        GstCaps* caps = gst_caps_from_string(font.caps.c_str());
        GstStructure* info = gst_structure_from_string(font.info.c_str(), nullptr);
        if (caps && info) {
            GstBuffer* bytes = BytesBuffer(font.bytes);
            GstSample* sample = gst_sample_new(bytes, caps, nullptr, info);
            info = nullptr;
            gst_buffer_unref(bytes);
            if (!tags) {
                tags = gst_tag_list_new_empty();
                gst_tag_list_set_scope(tags, GST_TAG_SCOPE_GLOBAL);
            }
            gst_tag_list_add(tags, GST_TAG_MERGE_APPEND, GST_TAG_ATTACHMENT, sample, nullptr);
            gst_sample_unref(sample);
        }
        if (caps) gst_caps_unref(caps);
        if (info) gst_structure_free(info);
    }
    return tags;
}

}  // namespace

std::string StyledScriptHeader(const std::string& caps) {
    EnsureGstInitialized();
    GstCaps* parsed = gst_caps_from_string(caps.c_str());
    if (!parsed) return {};
    std::string header;
    if (!gst_caps_is_empty(parsed)) {
        const GstStructure* s = gst_caps_get_structure(parsed, 0);
        const GValue* value = gst_structure_get_value(s, "codec_data");
        if (value && G_VALUE_HOLDS(value, GST_TYPE_BUFFER)) {
            GstBuffer* buffer = gst_value_get_buffer(value);
            GstMapInfo map;
            if (buffer && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
                header.assign(reinterpret_cast<const char*>(map.data), map.size);
                gst_buffer_unmap(buffer, &map);
            }
        }
    }
    gst_caps_unref(parsed);
    return header;
}

QImage RenderStyledCue(const std::string& header, const std::string& event, const QSize& frame,
                       const std::vector<FontAttachment>& fonts) {
    if (header.empty() || frame.isEmpty() || frame.width() > 8192 || frame.height() > 8192)
        return {};
    EnsureGstInitialized();
    // libass blends into opaque frames only; the same event drawn over black
    // and over white tells each pixel's colour and coverage apart.
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(
        "appsrc name=v format=time ! assrender name=r ! videoconvert ! "
        "video/x-raw,format=BGRA ! appsink name=s sync=false "
        "appsrc name=t format=time ! r.text_sink",
        &error);
    if (error) {
        g_error_free(error);
        if (pipeline) gst_object_unref(pipeline);
        return {};
    }
    GstElement* video = gst_bin_get_by_name(GST_BIN(pipeline), "v");
    GstElement* text = gst_bin_get_by_name(GST_BIN(pipeline), "t");
    GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "s");
    GstCaps* videoCaps = gst_caps_new_simple(
        "video/x-raw", "format", G_TYPE_STRING, "BGRA", "width", G_TYPE_INT, frame.width(),
        "height", G_TYPE_INT, frame.height(), "framerate", GST_TYPE_FRACTION, 4, 1, nullptr);
    g_object_set(video, "caps", videoCaps, nullptr);
    gst_caps_unref(videoCaps);
    GstBuffer* script = BytesBuffer(header);
    GstCaps* textCaps =
        gst_caps_new_simple("application/x-ass", "codec_data", GST_TYPE_BUFFER, script, nullptr);
    gst_buffer_unref(script);
    g_object_set(text, "caps", textCaps, nullptr);
    gst_caps_unref(textCaps);

    // The renderer draws a frame without waiting for text that has not begun
    // to arrive: the cue goes in, to its end, before the frames.
    std::promise<void> cueIn;
    std::future<void> cueTaken = cueIn.get_future();
    GstElement* renderer = gst_bin_get_by_name(GST_BIN(pipeline), "r");
    GstPad* textSink = gst_element_get_static_pad(renderer, "text_sink");
    gst_pad_add_probe(
        textSink, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM,
        [](GstPad*, GstPadProbeInfo* info, gpointer data) {
            if (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) != GST_EVENT_EOS)
                return GST_PAD_PROBE_OK;
            static_cast<std::promise<void>*>(data)->set_value();
            return GST_PAD_PROBE_REMOVE;
        },
        &cueIn, nullptr);
    gst_object_unref(textSink);
    gst_object_unref(renderer);

    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    // The renderer takes a file's fonts from the attachment tags its demuxer
    // sends; this pipeline has none, so they are sent as the demuxer would.
    if (GstTagList* tags = FontTags(fonts)) gst_element_send_event(text, gst_event_new_tag(tags));
    GstBuffer* cue = BytesBuffer(event);
    GST_BUFFER_PTS(cue) = 0;
    GST_BUFFER_DURATION(cue) = GST_SECOND;
    gst_app_src_push_buffer(GST_APP_SRC(text), cue);
    gst_app_src_end_of_stream(GST_APP_SRC(text));
    cueTaken.wait_for(std::chrono::seconds(3));
    gst_app_src_push_buffer(GST_APP_SRC(video), Plain(frame, 0, 0));
    gst_app_src_push_buffer(GST_APP_SRC(video), Plain(frame, 255, GST_SECOND / 4));
    gst_app_src_end_of_stream(GST_APP_SRC(video));

    GstSample* samples[2] = {};
    for (auto& sample : samples)
        sample = gst_app_sink_try_pull_sample(GST_APP_SINK(sink), 3 * GST_SECOND);
    QImage image;
    GstMapInfo onBlack, onWhite;
    if (samples[0] && samples[1] &&
        gst_buffer_map(gst_sample_get_buffer(samples[0]), &onBlack, GST_MAP_READ)) {
        if (gst_buffer_map(gst_sample_get_buffer(samples[1]), &onWhite, GST_MAP_READ)) {
            const gsize size = static_cast<gsize>(frame.width()) * frame.height() * 4;
            if (onBlack.size >= size && onWhite.size >= size) {
                image = QImage(frame, QImage::Format_ARGB32_Premultiplied);
                auto* out = image.bits();
                for (gsize i = 0; i < size; i += 4) {
                    // Over black a pixel is its premultiplied colour; over
                    // white the background shows through by 1 - alpha.
                    int alpha = 255;
                    for (int c = 0; c < 3; ++c)
                        alpha = std::min(alpha, 255 - (onWhite.data[i + c] - onBlack.data[i + c]));
                    alpha = std::clamp(alpha, 0, 255);
                    for (int c = 0; c < 3; ++c)
                        out[i + c] = static_cast<uchar>(std::min<int>(onBlack.data[i + c], alpha));
                    out[i + 3] = static_cast<uchar>(alpha);
                }
            }
            gst_buffer_unmap(gst_sample_get_buffer(samples[1]), &onWhite);
        }
        gst_buffer_unmap(gst_sample_get_buffer(samples[0]), &onBlack);
    }
    for (auto* sample : samples)
        if (sample) gst_sample_unref(sample);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(video);
    gst_object_unref(text);
    gst_object_unref(sink);
    gst_object_unref(pipeline);
    return image;
}

}  // namespace quova::engine

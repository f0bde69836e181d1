#include "platform/engine/video_renderer.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/video/video.h>
#include <gst/video/videooverlay.h>

#include <QLoggingCategory>
#include <QMetaObject>
#include <algorithm>

#include "platform/engine/deep_picture.h"
#include "platform/engine/filter_graph.h"
#include "platform/engine/queued_handover.h"
#include "platform/engine/video_overlay.h"
#include "platform/engine/video_widget.h"

// Off by default; QT_LOGGING_RULES="quova.video.info=true" prints each
// renderer's frame counts when it goes, which is how the benchmarks count
// dropped frames in the real program.
Q_LOGGING_CATEGORY(videoLog, "quova.video", QtWarningMsg)

namespace quova::engine {

namespace {

// The QImage's hold on a picture: the mapped buffer alone. Keeping the sample
// instead would keep the sink's own sample object alive, which it must be
// able to change when a seek flushes it.
struct MappedFrame {
    GstVideoFrame frame;
};

void ReleaseFrame(void* data) {
    auto* held = static_cast<MappedFrame*>(data);
    gst_video_frame_unmap(&held->frame);  // drops the frame's reference to the buffer
    delete held;
}

// The first pictures after the start come while the decoder's threads and
// the window are still warming up, a few milliseconds late: QoS would have
// the decoder skip them, a visible stutter at every start. The sink tells
// upstream of its lateness (and a video sink drops late pictures) only
// once this many have come.
constexpr std::uint64_t kWarmUpFrames = 30;
constexpr gint64 kVideoSinkMaxLateness = 20 * GST_MSECOND;  // GstVideoSink's own

void CountReceived(FrameMailbox* m) {
    if (m->received.fetch_add(1) + 1 != kWarmUpFrames || !m->sink) return;
    g_object_set(m->sink, "qos", TRUE, nullptr);
    if (GST_IS_VIDEO_SINK(m->sink))
        g_object_set(m->sink, "max-lateness", kVideoSinkMaxLateness, nullptr);
}

// Streaming thread. The picture is wrapped, not copied: the QImage holds the
// mapped buffer until its last copy goes.
void Hand(FrameMailbox* m, GstSample* sample, bool counts) {
    if (m->aborted.load()) {
        gst_sample_unref(sample);
        return;
    }
    GstVideoInfo info;
    GstCaps* caps = gst_sample_get_caps(sample);
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    const GstClockTime shownAt = buffer ? GST_BUFFER_PTS(buffer) : GST_CLOCK_TIME_NONE;
    const bool repeat = counts && buffer && buffer == m->prerolled;
    m->prerolled = counts ? nullptr : buffer;
    if (repeat) {
        // Still received (it is the first frame played), but not shown twice.
        CountReceived(m);
        gst_sample_unref(sample);
        return;
    }
    auto* held = new MappedFrame{};
    // The mapped frame takes its own reference to the buffer.
    if (!caps || !buffer || !gst_video_info_from_caps(&info, caps) ||
        !gst_video_frame_map(&held->frame, &info, buffer, GST_MAP_READ)) {
        gst_sample_unref(sample);
        delete held;
        return;
    }
    gst_sample_unref(sample);
    QImage image;
    if (GST_VIDEO_INFO_FORMAT(&info) == GST_VIDEO_FORMAT_BGRx) {
        image = QImage(static_cast<const uchar*>(GST_VIDEO_FRAME_PLANE_DATA(&held->frame, 0)),
                       GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info),
                       GST_VIDEO_FRAME_PLANE_STRIDE(&held->frame, 0), QImage::Format_RGB32,
                       ReleaseFrame, held);
    } else {
        image = m->deep.Convert(held->frame);
        ReleaseFrame(held);
        if (image.isNull()) return;
    }
    // The overlay element passed this very frame on just now, in this thread;
    // what it kept of it is checked by its time all the same.
    GstSample* bare = m->overlay ? m->overlay->Underneath() : nullptr;
    if (bare && GST_BUFFER_PTS(gst_sample_get_buffer(bare)) != shownAt) {
        gst_sample_unref(bare);
        bare = nullptr;
    }
    {
        std::lock_guard guard(m->lock);
        m->latest = std::move(image);
        std::swap(m->latestBare, bare);
    }
    if (bare) gst_sample_unref(bare);
    if (counts) CountReceived(m);
    if (!m->pending.exchange(true)) {
        MarkPosted();
        QMetaObject::invokeMethod(
            m->receiver,
            [m] {
                MarkReceived();
                m->pending.store(false);
                if (m->deliver) m->deliver();
            },
            Qt::QueuedConnection);
    }
}

// Sets the converter's output for the picture format the caps event brings.
GstPadProbeReturn PickOutputFormat(GstPad*, GstPadProbeInfo* info, gpointer data) {
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (GST_EVENT_TYPE(event) != GST_EVENT_CAPS) return GST_PAD_PROBE_OK;
    GstCaps* caps = nullptr;
    gst_event_parse_caps(event, &caps);
    GstVideoInfo video;
    GstVideoFormat format = GST_VIDEO_FORMAT_BGRx;
    if (caps && gst_video_info_from_caps(&video, caps) &&
        TakesDeepPicture(GST_VIDEO_INFO_FORMAT(&video)))
        format = GST_VIDEO_INFO_FORMAT(&video);
    GstCaps* wanted = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING,
                                          gst_video_format_to_string(format), nullptr);
    g_object_set(static_cast<GstElement*>(data), "caps", wanted, nullptr);
    gst_caps_unref(wanted);
    return GST_PAD_PROBE_OK;
}

GstFlowReturn OnPreroll(GstAppSink* sink, gpointer data) {
    if (GstSample* s = gst_app_sink_pull_preroll(sink))
        Hand(static_cast<FrameMailbox*>(data), s, false);
    return GST_FLOW_OK;
}

GstFlowReturn OnSample(GstAppSink* sink, gpointer data) {
    if (GstSample* s = gst_app_sink_pull_sample(sink))
        Hand(static_cast<FrameMailbox*>(data), s, true);
    return GST_FLOW_OK;
}

}  // namespace

FrameMailbox::~FrameMailbox() {
    if (latestBare) gst_sample_unref(latestBare);
}

VideoRendererFilter::VideoRendererFilter(FilterInfo info)
    : Filter(std::move(info), gst_bin_new(nullptr)),
      mailbox_(std::make_shared<FrameMailbox>()),
      receiver_(std::make_unique<QObject>()) {
    mailbox_->receiver = receiver_.get();
    mailbox_->deliver = [this] { Deliver(); };
    overlay_ = std::make_shared<FrameOverlay>();
    mailbox_->overlay = overlay_;
    output_ = ProcessVideoOutput();
    if (output_ != VideoOutput::Image) {
        BuildOverlayChain();
        return;
    }
    // The converter passes a deep picture (10- and 12-bit YUV) through as it
    // is, for the frame handler's own converter; everything else becomes
    // BGRx here. Left to choose, videoconvert would widen 8-bit pictures to a
    // deep format instead, so the choice is set from each picture's format.
    GstElement* convert = gst_element_factory_make("videoconvert", nullptr);
    GstElement* picked = gst_element_factory_make("capsfilter", nullptr);
    GstPad* input = gst_element_get_static_pad(convert, "sink");
    gst_pad_add_probe(input, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, PickOutputFormat, picked,
                      nullptr);
    gst_object_unref(input);
    entry_ = convert;
    appsink_ = gst_element_factory_make("appsink", nullptr);
    GstCaps* caps = gst_caps_from_string(
        "video/x-raw, format=(string){ BGRx, I420_10LE, I422_10LE, Y444_10LE, I420_12LE, "
        "I422_12LE, Y444_12LE }");
    g_object_set(appsink_, "caps", caps, "sync", TRUE, "max-buffers", 2, "drop", FALSE,
                 "enable-last-sample", FALSE, "qos", FALSE, nullptr);
    mailbox_->sink = appsink_;
    gst_caps_unref(caps);
    GstAppSinkCallbacks callbacks{};
    callbacks.new_preroll = OnPreroll;
    callbacks.new_sample = OnSample;
    gst_app_sink_set_callbacks(GST_APP_SINK(appsink_), &callbacks, mailbox_.get(), nullptr);
    gst_bin_add_many(GST_BIN(element_), convert, picked, appsink_, nullptr);
    gst_element_link(convert, picked);
    LinkThroughOverlay(picked, appsink_);
    sized_ = appsink_;
}

// Whatever is laid over the picture goes into the frames just before the
// sink, so it shows with every sink.
void VideoRendererFilter::LinkThroughOverlay(GstElement* from, GstElement* to) {
    GstElement* overlay = gst_element_factory_make("overlaycomposition", nullptr);
    if (!overlay) {
        gst_element_link(from, to);
        return;
    }
    ConnectFrameOverlay(overlay, overlay_);
    gst_bin_add(GST_BIN(element_), overlay);
    gst_element_link_many(from, overlay, to, nullptr);
}

namespace {

GstPadProbeReturn CountFrame(GstPad*, GstPadProbeInfo*, gpointer data) {
    CountReceived(static_cast<FrameMailbox*>(data));
    return GST_PAD_PROBE_OK;
}

}  // namespace

// crop -> convert (a pass-through where the sink takes the decoder's format)
// -> sink. The sink scales into the render rectangle; the layout decides the
// shape, so the sink keeps none of its own.
void VideoRendererFilter::BuildOverlayChain() {
    crop_ = gst_element_factory_make("videocrop", nullptr);
    GstElement* convert = gst_element_factory_make("videoconvert", nullptr);
    overlaySink_ = gst_element_factory_make(
        output_ == VideoOutput::XVideo ? "xvimagesink" : "glimagesink", nullptr);
    g_object_set(overlaySink_, "force-aspect-ratio", FALSE, "sync", TRUE, "qos", FALSE,
                 "max-lateness", gint64{-1}, nullptr);
    mailbox_->sink = overlaySink_;
    gst_video_overlay_handle_events(GST_VIDEO_OVERLAY(overlaySink_), FALSE);
    gst_bin_add_many(GST_BIN(element_), crop_, convert, overlaySink_, nullptr);
    gst_element_link(crop_, convert);
    LinkThroughOverlay(convert, overlaySink_);
    entry_ = crop_;
    sized_ = crop_;
    GstPad* pad = gst_element_get_static_pad(overlaySink_, "sink");
    gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, CountFrame, mailbox_.get(), nullptr);
    gst_object_unref(pad);
    // The sink may want its window before the graph gives the renderer an
    // owner: a hidden one is ready from the start.
    MakeWidget(nullptr);
}

void VideoRendererFilter::MakeWidget(QWidget* parent) {
    widget_ = new VideoWidget(parent);
    widget_->hide();
    widget_->setClosedHandler([this] { WindowClosed(); });
    widget_->setDrain(drain_);
    widget_->setSourceRect(source_);
    widget_->setDestinationRect(destination_);
    if (!current_.isNull()) widget_->setFrame(current_);
    if (cursorHidden_) widget_->setCursor(Qt::BlankCursor);
    if (overlaySink_) {
        widget_->setNativeOutput([this] { Expose(); });
        gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(overlaySink_),
                                            static_cast<guintptr>(widget_->winId()));
    }
}

void VideoRendererFilter::Expose() {
    if (overlaySink_) gst_video_overlay_expose(GST_VIDEO_OVERLAY(overlaySink_));
}

VideoRendererFilter::~VideoRendererFilter() {
    // No frame may arrive once the receiver is gone.
    gst_element_set_state(element_, GST_STATE_NULL);
    qCInfo(videoLog, "video frames: received %llu, shown %llu",
           static_cast<unsigned long long>(ReceivedFrames()),
           static_cast<unsigned long long>(ShownFrames()));
    receiver_.reset();
    if (currentBare_) gst_sample_unref(currentBare_);
    if (widget_) delete widget_.data();
}

void VideoRendererFilter::CreatePins() {
    GstPad* target = gst_element_get_static_pad(entry_, "sink");
    GstPad* ghost = gst_ghost_pad_new("Input", target);
    gst_object_unref(target);
    gst_element_add_pad(element_, ghost);
    AddPin("Input", PinDirection::Input, ghost);
}

void VideoRendererFilter::Deliver() {
    GstSample* bare = nullptr;
    {
        std::lock_guard guard(mailbox_->lock);
        current_ = mailbox_->latest;
        if (mailbox_->latestBare) bare = gst_sample_ref(mailbox_->latestBare);
    }
    std::swap(currentBare_, bare);
    if (bare) gst_sample_unref(bare);
    if (widget_) widget_->setFrame(current_);
}

std::uint64_t VideoRendererFilter::ShownFrames() const {
    if (!overlaySink_) return widget_ ? widget_->paintedFrames() : 0;
    // The sink's own count: it draws without the window's paint.
    GstStructure* stats = nullptr;
    g_object_get(overlaySink_, "stats", &stats, nullptr);
    guint64 rendered = 0;
    if (stats) {
        gst_structure_get_uint64(stats, "rendered", &rendered);
        gst_structure_free(stats);
    }
    return rendered;
}

QImage VideoRendererFilter::CurrentImage() const {
    return current_;
}

ShownPicture VideoRendererFilter::Shown(bool withOverlay) const {
    if (!overlaySink_) {
        if (current_.isNull()) return {};
        if (withOverlay || !currentBare_) return ShownPicture(current_);
        return ShownPicture(currentBare_, false);
    }
    // A sink that draws into the window keeps the frame it drew last.
    GstSample* last = nullptr;
    g_object_get(overlaySink_, "last-sample", &last, nullptr);
    if (!last) return {};
    GstBuffer* shown = gst_sample_get_buffer(last);
    if (!shown) {
        gst_sample_unref(last);
        return {};
    }
    GstSample* bare = withOverlay ? nullptr : overlay_->Underneath();
    if (bare && GST_BUFFER_PTS(gst_sample_get_buffer(bare)) != GST_BUFFER_PTS(shown)) {
        gst_sample_unref(bare);
        bare = nullptr;
    }
    ShownPicture picture(bare ? bare : last, withOverlay);
    if (bare) gst_sample_unref(bare);
    gst_sample_unref(last);
    return picture;
}

VideoWidget* VideoRendererFilter::widget() const {
    return widget_.data();
}

HResult VideoRendererFilter::SetOwner(QWidget* owner) {
    owner_ = owner;
    if (!owner) {
        if (widget_) {
            widget_->hide();
            widget_->setParent(nullptr);
        }
        return S_OK;
    }
    if (!widget_) {
        MakeWidget(owner);
    } else {
        widget_->setParent(owner);
        widget_->hide();
        // Reparenting may give the widget another native window.
        if (overlaySink_)
            gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(overlaySink_),
                                                static_cast<guintptr>(widget_->winId()));
    }
    // Under whatever the owner shows over the picture.
    widget_->lower();
    return S_OK;
}

HResult VideoRendererFilter::SetAutoShow(bool autoShow) {
    autoShow_ = autoShow;
    return S_OK;
}

HResult VideoRendererFilter::SetVisible(bool visible) {
    if (!widget_) return visible ? VFW_E_WRONG_STATE : S_OK;
    widget_->setVisible(visible);
    return S_OK;
}

bool VideoRendererFilter::IsVisible() const {
    return widget_ && widget_->isVisible();
}

HResult VideoRendererFilter::SetWindowPosition(const QRect& rect) {
    if (rect.width() < 0 || rect.height() < 0) return E_INVALIDARG;
    if (!widget_) return VFW_E_WRONG_STATE;
    widget_->setGeometry(rect);
    PublishOverlayGeometry();
    return S_OK;
}

QRect VideoRendererFilter::WindowPosition() const {
    return widget_ ? widget_->geometry() : QRect();
}

HResult VideoRendererFilter::SetLeft(int left) {
    if (!widget_) return VFW_E_WRONG_STATE;
    widget_->move(left, widget_->y());
    return S_OK;
}

HResult VideoRendererFilter::SetTop(int top) {
    if (!widget_) return VFW_E_WRONG_STATE;
    widget_->move(widget_->x(), top);
    return S_OK;
}

HResult VideoRendererFilter::SetMessageDrain(QWidget* drain) {
    drain_ = drain;
    if (widget_) widget_->setDrain(drain);
    return S_OK;
}

HResult VideoRendererFilter::HideCursor(bool hide) {
    cursorHidden_ = hide;
    if (widget_) {
        if (hide)
            widget_->setCursor(Qt::BlankCursor);
        else
            widget_->unsetCursor();
    }
    return S_OK;
}

Outcome<QSize> VideoRendererFilter::NativeSize() const {
    GstPad* pad = gst_element_get_static_pad(sized_, "sink");
    GstCaps* caps = gst_pad_get_current_caps(pad);
    gst_object_unref(pad);
    QSize size;
    if (caps) {
        const GstStructure* s = gst_caps_get_structure(caps, 0);
        int w = 0, h = 0;
        gst_structure_get_int(s, "width", &w);
        gst_structure_get_int(s, "height", &h);
        size = QSize(w, h);
        gst_caps_unref(caps);
    } else if (!pins_.empty()) {
        auto type = pins_.front()->ConnectionMediaType();
        if (type.ok()) size = QSize(type.value.width, type.value.height);
    }
    if (size.width() <= 0 || size.height() <= 0) {
        if (!current_.isNull()) return {S_OK, current_.size()};
        return {VFW_E_NOT_CONNECTED, {}};
    }
    return {S_OK, size};
}

HResult VideoRendererFilter::SetSourcePosition(const QRect& rect) {
    if (rect.width() <= 0 || rect.height() <= 0 || rect.left() < 0 || rect.top() < 0)
        return E_INVALIDARG;
    source_ = rect;
    if (widget_) widget_->setSourceRect(rect);
    PublishOverlayGeometry();
    if (crop_) {
        // Cropping changes only the crop's properties: the stream renegotiates
        // its size on the next frame, nothing is rebuilt.
        const auto native = NativeSize();
        const QSize size = native.ok() ? native.value : rect.size();
        g_object_set(crop_, "left", rect.left(), "top", rect.top(), "right",
                     std::max(0, size.width() - rect.left() - rect.width()), "bottom",
                     std::max(0, size.height() - rect.top() - rect.height()), nullptr);
        Expose();
    }
    return S_OK;
}

QRect VideoRendererFilter::SourcePosition() const {
    if (!source_.isEmpty()) return source_;
    auto size = NativeSize();
    return size.ok() ? QRect(QPoint(0, 0), size.value) : QRect();
}

HResult VideoRendererFilter::SetDefaultSourcePosition() {
    source_ = QRect();
    if (widget_) widget_->setSourceRect(source_);
    PublishOverlayGeometry();
    if (crop_) g_object_set(crop_, "left", 0, "top", 0, "right", 0, "bottom", 0, nullptr);
    return S_OK;
}

HResult VideoRendererFilter::SetDestinationPosition(const QRect& rect) {
    if (rect.width() <= 0 || rect.height() <= 0) return E_INVALIDARG;
    destination_ = rect;
    if (widget_) widget_->setDestinationRect(rect);
    PublishOverlayGeometry();
    if (overlaySink_) {
        gst_video_overlay_set_render_rectangle(GST_VIDEO_OVERLAY(overlaySink_), rect.x(), rect.y(),
                                               rect.width(), rect.height());
        Expose();
    }
    return S_OK;
}

QRect VideoRendererFilter::DestinationPosition() const {
    if (!destination_.isEmpty()) return destination_;
    return widget_ ? widget_->rect() : QRect();
}

HResult VideoRendererFilter::SetDefaultDestinationPosition() {
    destination_ = QRect();
    if (widget_) widget_->setDestinationRect(destination_);
    PublishOverlayGeometry();
    if (overlaySink_) {
        // The whole window.
        gst_video_overlay_set_render_rectangle(GST_VIDEO_OVERLAY(overlaySink_), 0, 0, -1, -1);
        Expose();
    }
    return S_OK;
}

HResult VideoRendererFilter::SetOverlay(const QImage& image, const QPoint& topLeft) {
    PublishOverlayGeometry();
    overlay_->SetImage(image, topLeft);
    return S_OK;
}

void VideoRendererFilter::PublishOverlayGeometry() {
    // A sink drawing into the window gets frames cropped already; the
    // painted image is cropped only as the widget paints it.
    const QRect source = crop_ ? QRect() : source_;
    overlay_->SetGeometry(DestinationPosition(), source);
}

void VideoRendererFilter::GraphRunning() {
    if (autoShow_ && widget_ && owner_) widget_->show();
}

void VideoRendererFilter::GraphStopped() {
    mailbox_->aborted.store(false);
}

void VideoRendererFilter::WindowClosed() {
    FilterGraph* graph = Graph();
    if (!graph) return;
    // The user ended the playback: the player decides what follows (it stops
    // the graph); until then no picture is taken.
    if (graph->GetState(0).value != GraphState::Stopped) mailbox_->aborted.store(true);
    graph->Events().Post({EC_USERABORT, 0, 0});
}

}  // namespace quova::engine

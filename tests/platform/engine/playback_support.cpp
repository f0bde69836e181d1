#include "tests/platform/engine/playback_support.h"

#include <gst/audio/audio.h>
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <map>
#include <mutex>

#include "tests/support/gst_media.h"
#include "tests/support/temp_dir.h"

namespace quova::engine::playback {

void EnsureApplication() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "test_engine";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

void Pump(int ms) {
    EnsureApplication();
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 5);
}

bool PumpUntil(const std::function<bool()>& done, int ms) {
    EnsureApplication();
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() >= ms) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

bool AwaitEvent(FilterGraph& graph, std::initializer_list<long> codes, int ms) {
    bool seen = false;
    PumpUntil(
        [&] {
            graph.CurrentPosition();
            for (auto e = graph.GetEvent(0); e.ok() && !seen; e = graph.GetEvent(0))
                seen = std::find(codes.begin(), codes.end(), e.value.code) != codes.end();
            return seen;
        },
        ms);
    return seen;
}

namespace {

std::string AudioSource(double seconds, int rate = 44100) {
    const int buffers = static_cast<int>(seconds * rate / 1024 + 0.999);
    return "audiotestsrc wave=ticks samplesperbuffer=1024 num-buffers=" + std::to_string(buffers) +
           " ! audio/x-raw,format=S16LE,rate=" + std::to_string(rate) + ",channels=2";
}

std::string VideoSource(double seconds, int fps = 25) {
    return "videotestsrc pattern=ball num-buffers=" +
           std::to_string(static_cast<int>(seconds * fps + 0.5)) +
           " ! video/x-raw,width=320,height=240,framerate=" + std::to_string(fps) + "/1";
}

std::filesystem::path Make(const std::string& description, const std::filesystem::path& out) {
    const std::string error = quova::testing::MakeMedia(description, out);
    EXPECT_EQ(error, "") << "while making " << out;
    return out;
}

}  // namespace

const std::filesystem::path& Generated(const std::string& kind) {
    static quova::testing::TempDir dir;
    static std::map<std::string, std::filesystem::path> made;
    if (auto it = made.find(kind); it != made.end()) return it->second;
    namespace m = quova::testing::media;
    std::filesystem::path path;
    if (kind == "mp3-5s")
        path = m::Mp3(dir / "five.mp3", 5.0);
    else if (kind == "mp3-3s")
        path = m::Mp3(dir / "three.mp3", 3.0);
    else if (kind == "avi-pcm-3s")
        path = m::AviPcm(dir / "pcm.avi", 3.0, 1);
    else if (kind == "avi-mp3-3s")
        path = m::AviMp3(dir / "mp3.avi", 3.0);
    else if (kind == "ogg-3s")
        path = m::OggTheoraVorbis(dir / "tv.ogg", 3.0);
    else if (kind == "mkv-h264-3s")
        path = Make(VideoSource(3.0) +
                        " ! x264enc key-int-max=25 ! h264parse ! matroskamux name=mux ! "
                        "filesink location=$OUT " +
                        AudioSource(3.0) + " ! audioconvert ! vorbisenc ! mux.",
                    dir / "h264.mkv");
    else if (kind == "mpeg-ps-3s")
        path = m::MpegPs(dir / "ps.mpg", 3.0);
    else if (kind == "wav-10s")
        path = m::Wav(dir / "ten.wav", 10.0);
    return made[kind] = path;
}

struct StreamTap::State {
    std::mutex lock;
    GstSegment segment{};
    std::atomic<std::int64_t> lastNs{-1};
    std::atomic<std::uint64_t> buffers{0};
    std::atomic<std::uint64_t> samples{0};
};

namespace {

GstPadProbeReturn OnData(GstPad* pad, GstPadProbeInfo* info, gpointer data) {
    auto* s = static_cast<StreamTap::State*>(data);
    if (info->type & GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM) {
        GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
        if (GST_EVENT_TYPE(event) == GST_EVENT_SEGMENT) {
            const GstSegment* segment = nullptr;
            gst_event_parse_segment(event, &segment);
            std::lock_guard guard(s->lock);
            gst_segment_copy_into(segment, &s->segment);
        }
        return GST_PAD_PROBE_OK;
    }
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    if (!buffer) return GST_PAD_PROBE_OK;
    s->buffers.fetch_add(1);
    if (GstCaps* caps = gst_pad_get_current_caps(pad)) {
        GstAudioInfo audio;
        if (gst_structure_has_name(gst_caps_get_structure(caps, 0), "audio/x-raw") &&
            gst_audio_info_from_caps(&audio, caps) && GST_AUDIO_INFO_BPF(&audio) > 0)
            s->samples.fetch_add(gst_buffer_get_size(buffer) / GST_AUDIO_INFO_BPF(&audio));
        gst_caps_unref(caps);
    }
    if (GST_BUFFER_PTS_IS_VALID(buffer)) {
        std::lock_guard guard(s->lock);
        const guint64 t =
            gst_segment_to_stream_time(&s->segment, GST_FORMAT_TIME, GST_BUFFER_PTS(buffer));
        if (t != GST_CLOCK_TIME_NONE) s->lastNs.store(static_cast<std::int64_t>(t));
    }
    return GST_PAD_PROBE_OK;
}

}  // namespace

StreamTap::StreamTap(const FilterPtr& renderer) : state_(std::make_shared<State>()) {
    gst_segment_init(&state_->segment, GST_FORMAT_TIME);
    auto inputs = renderer->Pins(PinDirection::Input);
    if (inputs.empty() || !inputs.front()->pad()) return;
    pad_ = GST_PAD(gst_object_ref(inputs.front()->pad()));
    probe_ = gst_pad_add_probe(pad_,
                               static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BUFFER |
                                                            GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
                               OnData, state_.get(), nullptr);
}

StreamTap::~StreamTap() {
    if (pad_) {
        gst_pad_remove_probe(pad_, probe_);
        gst_object_unref(pad_);
    }
}

double StreamTap::Last() const {
    const std::int64_t ns = state_->lastNs.load();
    return ns < 0 ? -1.0 : static_cast<double>(ns) / 1e9;
}

std::uint64_t StreamTap::Buffers() const {
    return state_->buffers.load();
}

std::uint64_t StreamTap::Samples() const {
    return state_->samples.load();
}

void StreamTap::Reset() {
    state_->lastNs.store(-1);
    state_->buffers.store(0);
    state_->samples.store(0);
}

}  // namespace quova::engine::playback

#include "tests/platform/engine/audio_tap.h"

#include <gst/gst.h>

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

#include "tests/support/gst_media.h"
#include "tests/support/temp_dir.h"

namespace quova::engine::testing {

void EnsureQtApplication() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "test_engine";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

bool Await(const std::function<bool()>& done, int ms) {
    EnsureQtApplication();
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() >= ms) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

bool PlayToCompletion(FilterGraph& graph, int ms) {
    EnsureQtApplication();
    if (Failed(graph.Run())) return false;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        auto e = graph.GetEvent(20);
        if (e.ok() && e.value.code == EC_COMPLETE) return true;
        if (e.ok() && e.value.code == EC_ERRORABORT) return false;
    }
    return false;
}

std::string ParamName(std::string text) {
    std::replace(text.begin(), text.end(), '-', '_');
    return text;
}

const std::filesystem::path& TestMedium(const std::string& kind) {
    static quova::testing::TempDir dir;
    static std::map<std::string, std::filesystem::path> made;
    if (auto it = made.find(kind); it != made.end()) return it->second;
    namespace m = quova::testing::media;
    std::filesystem::path path;
    if (kind == "avi-pcm")
        path = m::AviPcm(dir / "pcm.avi", 2.0, 1);
    else if (kind == "avi-mp3")
        path = m::AviMp3(dir / "mp3.avi", 2.0);
    else if (kind == "ogg-theora")
        path = m::OggTheoraVorbis(dir / "theora.ogg", 2.0);
    else if (kind == "ogg-vorbis")
        path = m::OggVorbis(dir / "vorbis.ogg", 2.0);
    else if (kind == "mkv")
        path = m::MatroskaH264Mp3(dir / "h264mp3.mkv", 2.0);
    else if (kind == "mp4")
        path = m::Mp4H264Aac(dir / "h264aac.mp4", 2.0);
    else if (kind == "ogg-two-tones")
        path = m::OggVorbisTones(dir / "tones.ogg", 3.0, {440, 1000});
    else if (kind == "avi-h264")
        path =
            m::AviVideoPcm(dir / "h264.avi", 2.0, "x264enc speed-preset=ultrafast key-int-max=25");
    else if (kind == "avi-mpeg4")
        path = m::AviVideoPcm(dir / "mpeg4.avi", 2.0, "avenc_mpeg4");
    else if (kind == "avi-mjpeg")
        path = m::AviVideoPcm(dir / "mjpeg.avi", 2.0, "jpegenc");
    return made[kind] = path;
}

AudioTap::AudioTap(GstPad* pad) : pad_(GST_PAD(gst_object_ref(pad))) {
    probe_ = gst_pad_add_probe(
        pad_, GST_PAD_PROBE_TYPE_BUFFER,
        [](GstPad* p, GstPadProbeInfo* info, gpointer self) {
            static_cast<AudioTap*>(self)->Take(p, GST_PAD_PROBE_INFO_BUFFER(info));
            return GST_PAD_PROBE_OK;
        },
        this, nullptr);
}

AudioTap::~AudioTap() {
    gst_pad_remove_probe(pad_, probe_);
    gst_object_unref(pad_);
}

void AudioTap::Take(GstPad* pad, void* data) {
    auto* buffer = static_cast<GstBuffer*>(data);
    GstCaps* caps = gst_pad_get_current_caps(pad);
    if (!caps) return;
    const GstStructure* s = gst_caps_get_structure(caps, 0);
    const char* format = gst_structure_get_string(s, "format");
    int channels = 0, rate = 0;
    gst_structure_get_int(s, "channels", &channels);
    gst_structure_get_int(s, "rate", &rate);
    const std::string f = format ? format : "";
    gst_caps_unref(caps);
    const bool s16 = f == "S16LE", f32 = f == "F32LE", f64 = f == "F64LE", s32 = f == "S32LE";
    const int width = s16 ? 2 : (f32 || s32) ? 4 : f64 ? 8 : 0;
    if (!width || channels <= 0) return;
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READ)) return;
    const size_t frames = map.size / (width * channels);
    std::lock_guard guard(lock_);
    rate_ = rate;
    frames_ += static_cast<long long>(frames);
    for (size_t i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            const guint8* at = map.data + (i * channels + c) * width;
            double v = 0;
            if (s16) {
                gint16 x;
                std::memcpy(&x, at, 2);
                v = x / 32768.0;
            } else if (s32) {
                gint32 x;
                std::memcpy(&x, at, 4);
                v = x / 2147483648.0;
            } else if (f32) {
                float x;
                std::memcpy(&x, at, 4);
                v = x;
            } else {
                std::memcpy(&v, at, 8);
            }
            peak_ = std::max(peak_, std::abs(v));
            if (c == 0 && std::abs(v) > 1e-4) {
                const int sign = v > 0 ? 1 : -1;
                if (lastSign_ && sign != lastSign_) ++crossings_;
                lastSign_ = sign;
            }
        }
    }
    gst_buffer_unmap(buffer, &map);
}

long long AudioTap::Frames() const {
    std::lock_guard guard(lock_);
    return frames_;
}

double AudioTap::Seconds() const {
    std::lock_guard guard(lock_);
    return rate_ > 0 ? static_cast<double>(frames_) / rate_ : 0.0;
}

double AudioTap::Peak() const {
    std::lock_guard guard(lock_);
    return peak_;
}

double AudioTap::Frequency() const {
    std::lock_guard guard(lock_);
    if (rate_ <= 0 || frames_ == 0) return 0;
    return crossings_ / 2.0 / (static_cast<double>(frames_) / rate_);
}

void AudioTap::Reset() {
    std::lock_guard guard(lock_);
    frames_ = 0;
    peak_ = 0;
    crossings_ = 0;
    lastSign_ = 0;
}

GstPad* RendererInput(const Filter& renderer) {
    auto in = renderer.Pins(PinDirection::Input);
    return in.empty() ? nullptr : in.front()->pad();
}

GstPad* RendererVolumeOutput(const Filter& renderer) {
    GstPad* out = nullptr;
    GstIterator* it = gst_bin_iterate_recurse(GST_BIN(renderer.element()));
    GValue item = G_VALUE_INIT;
    while (!out && gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
        auto* e = GST_ELEMENT(g_value_get_object(&item));
        GstElementFactory* factory = gst_element_get_factory(e);
        if (factory && std::strcmp(GST_OBJECT_NAME(factory), "volume") == 0)
            out = gst_element_get_static_pad(e, "src");
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(it);
    if (out) gst_object_unref(out);  // the renderer's bin keeps it
    return out;
}

std::vector<FilterPtr> ConnectedAudioRenderers(const FilterGraph& graph) {
    std::vector<FilterPtr> out;
    for (const FilterPtr& f : graph.Filters()) {
        if (f->Info().named != NamedFilter::AudioRenderer) continue;
        auto in = f->Pins(PinDirection::Input);
        if (!in.empty() && in.front()->IsConnected()) out.push_back(f);
    }
    return out;
}

}  // namespace quova::engine::testing

// The gap in the sound when the output device changes while a tone plays.
// A private PulseAudio server with two null sinks ("alpha", "beta") takes the
// player's stream; a recording pipeline listens to both sinks' monitors with
// one clock and notes, sample by sample, when the tone last sounds on the
// device left and first sounds on the device taken. The gap is the time
// between the two (negative: both sounded for a moment). Ten switches, one
// second apart, back and forth; each gap, the median and the largest printed.
// Both monitors are stamped from one clock at capture, in fragments of 5 ms:
// a figure is good to a few milliseconds either way.
//
//   bench_audio_device_switch
#include <gst/gst.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "platform/engine/audio_devices.h"
#include "platform/engine/filter_graph.h"
#include "playback/player_session.h"
#include "tests/support/gst_media.h"
#include "tests/support/sound_server.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr int kRate = 48000;
constexpr int kLoud = 300;  // of 32767: the tone is far above, the null sink's silence is 0

// When a monitor last and first carried the tone, in the recording's running time (ns).
struct Listener {
    std::mutex lock;
    GstClockTime firstLoud = GST_CLOCK_TIME_NONE;
    GstClockTime lastLoud = GST_CLOCK_TIME_NONE;

    void Reset() {
        std::lock_guard guard(lock);
        firstLoud = lastLoud = GST_CLOCK_TIME_NONE;
    }

    static GstPadProbeReturn Probe(GstPad*, GstPadProbeInfo* info, gpointer data) {
        auto* self = static_cast<Listener*>(data);
        GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
        if (!buffer || !GST_BUFFER_PTS_IS_VALID(buffer)) return GST_PAD_PROBE_OK;
        GstMapInfo map;
        if (!gst_buffer_map(buffer, &map, GST_MAP_READ)) return GST_PAD_PROBE_OK;
        const auto* samples = reinterpret_cast<const gint16*>(map.data);
        const size_t n = map.size / sizeof(gint16);
        long first = -1, last = -1;
        for (size_t i = 0; i < n; ++i)
            if (std::abs(samples[i]) > kLoud) {
                if (first < 0) first = static_cast<long>(i);
                last = static_cast<long>(i);
            }
        gst_buffer_unmap(buffer, &map);
        if (first < 0) return GST_PAD_PROBE_OK;
        const GstClockTime at = GST_BUFFER_PTS(buffer);
        std::lock_guard guard(self->lock);
        if (self->firstLoud == GST_CLOCK_TIME_NONE)
            self->firstLoud = at + gst_util_uint64_scale(first, GST_SECOND, kRate);
        self->lastLoud = at + gst_util_uint64_scale(last + 1, GST_SECOND, kRate);
        return GST_PAD_PROBE_OK;
    }
};

void Pump(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents();
        QThread::msleep(2);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    gst_init(&argc, &argv);
    quova::testing::PrivateSoundServer server({{"alpha", "Alpha"}, {"beta", "Beta"}});
    if (!server.Running()) {
        std::fprintf(stderr, "no private sound server: %s\n", server.Failure().c_str());
        return 1;
    }
    quova::testing::TempDir dir;
    const auto tone = dir / "tone.wav";
    const std::string made = quova::testing::MakeMedia(
        "audiotestsrc wave=sine freq=440 volume=0.5 num-buffers=1600 samplesperbuffer=1024 ! "
        "audio/x-raw,format=S16LE,rate=48000,channels=1 ! wavenc ! filesink location=$OUT",
        tone);
    if (!made.empty()) {
        std::fprintf(stderr, "cannot make the tone: %s\n", made.c_str());
        return 1;
    }

    // The recording: both monitors, one pipeline, one clock.
    GError* error = nullptr;
    GstElement* recorder = gst_parse_launch(
        "pulsesrc device=alpha.monitor buffer-time=20000 latency-time=5000 provide-clock=false "
        "slave-method=re-timestamp ! "
        "audio/x-raw,format=S16LE,rate=48000,channels=1 ! fakesink name=a sync=false "
        "pulsesrc device=beta.monitor buffer-time=20000 latency-time=5000 provide-clock=false "
        "slave-method=re-timestamp ! "
        "audio/x-raw,format=S16LE,rate=48000,channels=1 ! fakesink name=b sync=false",
        &error);
    if (!recorder) {
        std::fprintf(stderr, "no recorder: %s\n", error ? error->message : "");
        return 1;
    }
    // One clock for both: each monitor's buffers are stamped with the time
    // it captured them, not counted from its own start.
    GstClock* clock = gst_system_clock_obtain();
    gst_pipeline_use_clock(GST_PIPELINE(recorder), clock);
    gst_object_unref(clock);
    Listener on[2];
    for (int i = 0; i < 2; ++i) {
        GstElement* sink = gst_bin_get_by_name(GST_BIN(recorder), i == 0 ? "a" : "b");
        GstPad* pad = gst_element_get_static_pad(sink, "sink");
        gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, &Listener::Probe, &on[i], nullptr);
        gst_object_unref(pad);
        gst_object_unref(sink);
    }
    gst_element_set_state(recorder, GST_STATE_PLAYING);

    quova::engine::AudioDeviceMonitor::Instance().Start();
    quova::engine::SetPreferredAudioDevice("alpha");
    quova::engine::FilterGraph graph;
    if (graph.RenderFile(tone.string()) != 0) {
        std::fprintf(stderr, "cannot render the tone\n");
        return 1;
    }
    graph.Run();
    Pump(1500);

    std::vector<double> gaps;
    int from = 0;
    for (int round = 0; round < 10; ++round) {
        const int to = 1 - from;
        on[to].Reset();
        Pump(300);  // the device taken is silent now
        on[from].Reset();
        Pump(100);  // the device left sounds
        graph.SetAudioDevice(to == 0 ? "alpha" : "beta");
        Pump(700);
        GstClockTime last, first;
        {
            std::lock_guard a(on[from].lock);
            last = on[from].lastLoud;
        }
        {
            std::lock_guard b(on[to].lock);
            first = on[to].firstLoud;
        }
        if (last == GST_CLOCK_TIME_NONE || first == GST_CLOCK_TIME_NONE) {
            std::printf("switch %2d: no sound heard on one side\n", round + 1);
        } else {
            const double gap =
                (static_cast<double>(first) - static_cast<double>(last)) / GST_MSECOND;
            gaps.push_back(gap);
            std::printf("switch %2d (%s -> %s): gap %7.1f ms\n", round + 1,
                        from == 0 ? "alpha" : "beta", to == 0 ? "alpha" : "beta", gap);
        }
        from = to;
    }
    graph.Stop();
    gst_element_set_state(recorder, GST_STATE_NULL);
    gst_object_unref(recorder);
    quova::engine::AudioDeviceMonitor::Instance().Stop();
    if (gaps.empty()) return 1;
    std::sort(gaps.begin(), gaps.end());
    std::printf("median gap %.1f ms, largest %.1f ms over %zu switches\n", gaps[gaps.size() / 2],
                gaps.back(), gaps.size());
    return 0;
}

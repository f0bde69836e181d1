// Plays a generated 1280x720, 30 fps, 20-second clip through the engine's
// renderer (offscreen Qt widget) and through GStreamer's playbin with the same
// decoders, each in a process of its own, and prints CPU seconds per second of
// media, peak memory, time to the first frame and seek latency side by side
// (medians of three alternating runs each).
//
//   bench_engine [clip.avi]      (the clip is generated when not given)
#include <gst/gst.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/engine/filter_graph.h"
#include "platform/engine/filter_mapper.h"
#include "platform/engine/video_renderer.h"
#include "tests/support/gst_media.h"

namespace {

using quova::engine::FilterGraph;
using Clock = std::chrono::steady_clock;

constexpr double kSeekTargets[] = {3.0, 7.0, 11.0, 15.0, 5.0};

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

long PeakKilobytes() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

struct Figures {
    double firstFrameMs = 0;
    double seekMs = 0;
    double cpuPerMediaSecond = 0;
    double wallSeconds = 0;
    long peakKb = 0;
};

void Print(const Figures& f) {
    std::printf("%.1f %.1f %.4f %.2f %ld\n", f.firstFrameMs, f.seekMs, f.cpuPerMediaSecond,
                f.wallSeconds, f.peakKb);
}

int RunEngine(const std::string& clip) {
    int argc = 1;
    char name[] = "bench_engine";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    QWidget window;
    window.resize(1280, 720);
    window.show();
    Figures f;
    // As playbin's run does, GStreamer and its registry are loaded before the
    // clock starts; the engine's filter list is built once per process too.
    const auto mapperStart = Clock::now();
    quova::engine::FilterMapper::Instance();
    std::fprintf(stderr, "engine: filter list built in %.1f ms\n", Ms(Clock::now() - mapperStart));
    const auto opened = Clock::now();
    FilterGraph graph;
    if (graph.RenderFile(clip) != quova::engine::S_OK) return 2;
    auto video = graph.VideoRenderer();
    if (!video) return 3;
    video->SetOwner(&window);
    video->SetWindowPosition(QRect(0, 0, 1280, 720));
    video->SetVisible(true);
    graph.Pause();
    while (video->CurrentImage().isNull()) {
        QApplication::processEvents(QEventLoop::AllEvents, 1);
        if (Clock::now() - opened > std::chrono::seconds(30)) return 5;
    }
    f.firstFrameMs = Ms(Clock::now() - opened);

    double seekTotal = 0;
    for (double t : kSeekTargets) {
        const auto start = Clock::now();
        graph.SetCurrentPosition(t);  // returns once the new picture is there
        seekTotal += Ms(Clock::now() - start);
    }
    f.seekMs = seekTotal / std::size(kSeekTargets);
    graph.SetCurrentPosition(0);
    QApplication::processEvents();

    const double cpu0 = CpuSeconds();
    const auto wall0 = Clock::now();
    // As the player waits: in its event loop, woken by the graph's events.
    QEventLoop loop;
    graph.Events().SetNotifyCallback([&] {
        while (true) {
            auto e = graph.Events().Take();
            if (!e.ok()) break;
            if (e.value.code == quova::engine::EC_COMPLETE ||
                e.value.code == quova::engine::EC_ERRORABORT)
                loop.quit();
        }
    });
    graph.Run();
    const double duration = graph.Duration().value;
    QTimer::singleShot(static_cast<int>(duration * 1000) + 30000, &loop, [&loop] { loop.exit(6); });
    if (const int failed = loop.exec()) return failed;
    f.wallSeconds = std::chrono::duration<double>(Clock::now() - wall0).count();
    f.cpuPerMediaSecond = (CpuSeconds() - cpu0) / duration;
    f.peakKb = PeakKilobytes();
    std::fprintf(stderr, "engine: %llu frames received\n",
                 static_cast<unsigned long long>(video->ReceivedFrames()));
    Print(f);
    return 0;
}

void OnHandoff(GstElement*, GstBuffer*, GstPad*, gpointer data) {
    auto* first = static_cast<Clock::time_point*>(data);
    if (*first == Clock::time_point{}) *first = Clock::now();
}

int RunPlaybin(const std::string& clip) {
    gst_init(nullptr, nullptr);
    Figures f;
    Clock::time_point firstFrame{};
    const auto opened = Clock::now();
    GstElement* playbin = gst_element_factory_make("playbin", nullptr);
    GError* error = nullptr;
    // The same work after decoding as the engine's renderer: frames converted
    // to BGRx and presented on the clock.
    GstElement* sink = gst_parse_bin_from_description(
        "videoconvert ! video/x-raw,format=BGRx ! fakesink name=present sync=true "
        "signal-handoffs=true",
        TRUE, &error);
    if (!sink) return 4;
    GstElement* present = gst_bin_get_by_name(GST_BIN(sink), "present");
    g_signal_connect(present, "handoff", G_CALLBACK(OnHandoff), &firstFrame);
    g_signal_connect(present, "preroll-handoff", G_CALLBACK(OnHandoff), &firstFrame);
    gchar* uri = gst_filename_to_uri(clip.c_str(), nullptr);
    g_object_set(playbin, "uri", uri, "video-sink", sink, nullptr);
    g_free(uri);
    gst_element_set_state(playbin, GST_STATE_PAUSED);
    gst_element_get_state(playbin, nullptr, nullptr, GST_CLOCK_TIME_NONE);
    while (firstFrame == Clock::time_point{}) g_usleep(1000);
    f.firstFrameMs = Ms(firstFrame - opened);

    double seekTotal = 0;
    for (double t : kSeekTargets) {
        const auto start = Clock::now();
        gst_element_seek_simple(
            playbin, GST_FORMAT_TIME,
            static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
            static_cast<gint64>(t * GST_SECOND));
        gst_element_get_state(playbin, nullptr, nullptr, GST_CLOCK_TIME_NONE);
        seekTotal += Ms(Clock::now() - start);
    }
    f.seekMs = seekTotal / std::size(kSeekTargets);
    gst_element_seek_simple(playbin, GST_FORMAT_TIME,
                            static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                            0);
    gst_element_get_state(playbin, nullptr, nullptr, GST_CLOCK_TIME_NONE);

    const double cpu0 = CpuSeconds();
    const auto wall0 = Clock::now();
    gst_element_set_state(playbin, GST_STATE_PLAYING);
    gint64 duration = 0;
    gst_element_query_duration(playbin, GST_FORMAT_TIME, &duration);
    GstBus* bus = gst_element_get_bus(playbin);
    GstMessage* msg = gst_bus_timed_pop_filtered(
        bus, GST_CLOCK_TIME_NONE, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    if (msg) gst_message_unref(msg);
    f.wallSeconds = std::chrono::duration<double>(Clock::now() - wall0).count();
    f.cpuPerMediaSecond = (CpuSeconds() - cpu0) / (static_cast<double>(duration) / GST_SECOND);
    f.peakKb = PeakKilobytes();
    gst_object_unref(bus);
    gst_element_set_state(playbin, GST_STATE_NULL);
    gst_object_unref(present);
    gst_object_unref(playbin);
    Print(f);
    return 0;
}

// Runs this program again in `mode` and reads its figures.
bool Measure(const char* self, const char* mode, const std::string& clip, Figures& f) {
    const std::string command = std::string("\"") + self + "\" --" + mode + " \"" + clip + "\"";
    FILE* out = popen(command.c_str(), "r");
    if (!out) return false;
    const int n = std::fscanf(out, "%lf %lf %lf %lf %ld", &f.firstFrameMs, &f.seekMs,
                              &f.cpuPerMediaSecond, &f.wallSeconds, &f.peakKb);
    return pclose(out) == 0 && n == 5;
}

Figures Median(std::vector<Figures> runs) {
    auto median = [&runs](auto member) {
        std::vector<double> v;
        for (const Figures& f : runs) v.push_back(static_cast<double>(f.*member));
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    Figures m;
    m.firstFrameMs = median(&Figures::firstFrameMs);
    m.seekMs = median(&Figures::seekMs);
    m.cpuPerMediaSecond = median(&Figures::cpuPerMediaSecond);
    m.wallSeconds = median(&Figures::wallSeconds);
    m.peakKb = static_cast<long>(median(&Figures::peakKb));
    return m;
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (argc == 3 && std::string(argv[1]) == "--engine") return RunEngine(argv[2]);
    if (argc == 3 && std::string(argv[1]) == "--playbin") return RunPlaybin(argv[2]);

    std::string clip = argc > 1 ? argv[1] : "";
    const auto folder = std::filesystem::temp_directory_path() / "quova-bench";
    if (clip.empty()) {
        std::filesystem::create_directories(folder);
        clip = (folder / "clip720p30.avi").string();
        if (!std::filesystem::exists(clip)) {
            std::fprintf(stderr, "making the 1280x720 30 fps 20 s clip...\n");
            const std::string error = quova::testing::MakeMedia(
                "videotestsrc pattern=ball num-buffers=600 ! "
                "video/x-raw,width=1280,height=720,framerate=30/1 ! jpegenc quality=80 ! "
                "avimux name=mux ! filesink location=$OUT audiotestsrc wave=sine "
                "samplesperbuffer=1024 num-buffers=862 ! "
                "audio/x-raw,format=S16LE,rate=44100,channels=2 ! mux.",
                clip);
            if (!error.empty()) {
                std::fprintf(stderr, "cannot make the clip: %s\n", error.c_str());
                return 1;
            }
        }
    }
    // The machine is shared: alternate the two, three times each, and take
    // each figure's median.
    std::vector<Figures> engines, playbins;
    for (int round = 0; round < 3; ++round) {
        Figures e, p;
        if (!Measure(argv[0], "engine", clip, e) || !Measure(argv[0], "playbin", clip, p)) {
            std::fprintf(stderr, "a run failed\n");
            return 1;
        }
        engines.push_back(e);
        playbins.push_back(p);
    }
    const Figures engine = Median(engines);
    const Figures playbin = Median(playbins);
    std::printf("%-28s %12s %12s %8s\n", "", "engine", "playbin", "ratio");
    std::printf("%-28s %12.3f %12.3f %8.2f\n", "CPU s per s of media", engine.cpuPerMediaSecond,
                playbin.cpuPerMediaSecond, engine.cpuPerMediaSecond / playbin.cpuPerMediaSecond);
    std::printf("%-28s %12.1f %12.1f %8.2f\n", "peak memory (MB)", engine.peakKb / 1024.0,
                playbin.peakKb / 1024.0, static_cast<double>(engine.peakKb) / playbin.peakKb);
    std::printf("%-28s %12.1f %12.1f %8.2f\n", "time to first frame (ms)", engine.firstFrameMs,
                playbin.firstFrameMs, engine.firstFrameMs / playbin.firstFrameMs);
    std::printf("%-28s %12.1f %12.1f %8.2f\n", "seek latency (ms, mean of 5)", engine.seekMs,
                playbin.seekMs, engine.seekMs / playbin.seekMs);
    std::printf("%-28s %12.2f %12.2f\n", "wall time of playback (s)", engine.wallSeconds,
                playbin.wallSeconds);
    return 0;
}

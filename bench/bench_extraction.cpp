// Extracts the audio of a generated 20-minute AVI (PCM audio to WAV, MP3
// audio to MP3) through the player's extraction graph and through
// gst-launch-1.0 doing the same copy, and prints the wall times side by side
// (medians of three alternating runs each).
//
//   bench_extraction [folder]   (the clips are generated there when missing)
#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "graph/extraction.h"
#include "graph/graph_state.h"
#include "graph/open_counter.h"
#include "graph/open_media.h"
#include "platform/engine/filter_graph.h"
#include "tests/support/fake_ui.h"
#include "tests/support/gst_media.h"

namespace {

namespace fs = std::filesystem;
using namespace quova;
using Clock = std::chrono::steady_clock;

constexpr int kMinutes = 20;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

std::string MakeClip(const fs::path& out, bool mp3) {
    if (fs::exists(out)) return "";
    const int seconds = kMinutes * 60;
    const std::string audio =
        "audiotestsrc wave=ticks num-buffers=" + std::to_string(seconds * 44100 / 1024) +
        " samplesperbuffer=1024 ! audio/x-raw,rate=44100,channels=2 ! "
        "audioconvert" +
        std::string(mp3 ? " ! lamemp3enc ! mpegaudioparse" : "") + " ! mux.";
    const std::string video =
        "videotestsrc pattern=ball num-buffers=" + std::to_string(seconds * 10) +
        " ! video/x-raw,width=160,height=120,framerate=10/1 ! jpegenc";
    std::printf("generating %s ...\n", out.c_str());
    std::fflush(stdout);
    return testing::MakeMedia(video + " ! avimux name=mux ! filesink location=$OUT " + audio, out);
}

// The player: the clip opened with the mode on, run to its end, the file made whole.
double PlayerRun(const fs::path& clip, ExtractionKind kind) {
    const std::string out = OutputFileName(clip.string(), kind);
    fs::remove(out);
    Extraction() = ExtractionState{};
    ToggleExtractionMode(kind);
    const auto start = Clock::now();
    OpenMedia(clip.string());
    GraphSession& g = Graph();
    while (!g.MediaComplete) {
        QApplication::processEvents();
        if (g.GraphBuilder) {
            g.GraphBuilder->DrainBus();
            while (true) {
                const auto e = g.GraphBuilder->Events().Take();
                if (!e.ok()) break;
                if (e.value.code == engine::EC_COMPLETE) g.MediaComplete = true;
            }
        }
        QThread::msleep(2);
    }
    FinishExtractionFile();
    const double s = Seconds(Clock::now() - start);
    ToggleExtractionMode(kind);
    if (!fs::exists(out) || fs::file_size(out) < 1000) std::printf("  (no output written!)\n");
    return s;
}

double LaunchRun(const fs::path& clip, bool mp3, const fs::path& out) {
    fs::remove(out);
    const std::string command = "gst-launch-1.0 -q filesrc location='" + clip.string() +
                                "' ! avidemux name=d d.audio_0 ! " +
                                (mp3 ? std::string() : std::string("wavenc ! ")) +
                                "filesink location='" + out.string() + "'";
    const auto start = Clock::now();
    if (std::system(command.c_str()) != 0) std::printf("  (gst-launch failed)\n");
    return Seconds(Clock::now() - start);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const fs::path folder =
        argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "quova-bench";
    fs::create_directories(folder);
    QWidget window;
    OpenCounter = 0;
    testing::FakeUi ui;
    ui.window = &window;

    struct Case {
        const char* name;
        fs::path clip;
        bool mp3;
        ExtractionKind kind;
    };
    const Case cases[] = {
        {"PCM to .wav", folder / "pcm20.avi", false, ExtractionKind::PcmToWav},
        {"MP3 to .mp3", folder / "mp3_20.avi", true, ExtractionKind::Mp3ToMp3},
    };
    std::printf("%-12s %12s %14s %8s %12s\n", "case", "quova (s)", "gst-launch (s)", "ratio",
                "x real time");
    for (const Case& c : cases) {
        const std::string error = MakeClip(c.clip, c.mp3);
        if (!error.empty()) {
            std::printf("%s: cannot generate the clip: %s\n", c.name, error.c_str());
            continue;
        }
        std::vector<double> ours, theirs;
        for (int run = 0; run < 3; ++run) {
            ours.push_back(PlayerRun(c.clip, c.kind));
            theirs.push_back(LaunchRun(c.clip, c.mp3, folder / "launch.out"));
        }
        const double a = Median(ours), b = Median(theirs);
        std::printf("%-12s %12.2f %14.2f %8.2f %12.0f\n", c.name, a, b, a / b, kMinutes * 60 / a);
    }
    ReleaseGraph();
    return 0;
}

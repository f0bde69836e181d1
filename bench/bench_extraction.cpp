// Runs every extraction mode on a generated 20-minute AVI (MJPEG video with
// PCM or MP3 audio) through the player's extraction graph, and the same
// conversion through gst-launch-1.0, alternating, and prints the medians of
// the wall times side by side. The player's time runs from the open to the
// output file under its name; its three phases (open, run to the end, making
// the file whole, which includes flushing it to the disk) are shown apart.
//
// The player flushes each file to the disk before giving it its name (so
// that a crash never leaves a cut file under it); gst-launch-1.0 does not,
// so its time is also shown with the file flushed after it ("+sync").
//
// The transcode has no stock GStreamer element that packs MJPEG into OGM, so
// its gst-launch counterpart does the same work into Matroska: the video
// copied unchanged, the audio encoded to Vorbis at the same quality.
//
//   bench_extraction [folder] [runs] [mode]
//
// The clips are generated in the folder when missing; three runs by default;
// a mode ("wav", "mp3", ...) limits the runs to the modes whose name holds it.
#include <QApplication>
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
#include "graph/medium_session.h"
#include "graph/open_media.h"
#include "platform/engine/filter_graph.h"
#include "playback/player_session.h"
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

struct Case {
    const char* name;
    const char* clip;
    bool mp3;
    ExtractionKind kind;
    // The compressor the player is told to use without asking; "" for none.
    const char* compressor;
    // What gst-launch-1.0 does after "filesrc location=CLIP ! avidemux name=d",
    // ending in "filesink location=OUT".
    const char* launch;
};

// The Vorbis quality the player uses when none was set (0.1).
const Case kCases[] = {
    {"PCM to .wav", "pcm20.avi", false, ExtractionKind::PcmToWav, "",
     "d.audio_0 ! wavenc ! filesink location=OUT"},
    {"MP3 to .mp3", "mp3_20.avi", true, ExtractionKind::Mp3ToMp3, "",
     "d.audio_0 ! filesink location=OUT"},
    {"PCM to .mp3", "pcm20.avi", false, ExtractionKind::PcmToMp3, "L.A.M.E. mp3 encoder",
     "d.audio_0 ! audioconvert ! lamemp3enc ! filesink location=OUT"},
    {"PCM to .ogg", "pcm20.avi", false, ExtractionKind::PcmToOgg, "Vorbis audio encoder",
     "d.audio_0 ! audioconvert ! vorbisenc quality=0.1 ! oggmux ! filesink location=OUT"},
    {"to .ogm+video", "pcm20.avi", false, ExtractionKind::TranscodeToOgm, "Vorbis audio encoder",
     "d.video_0 ! queue ! matroskamux name=m ! filesink location=OUT "
     "d.audio_0 ! queue ! audioconvert ! vorbisenc quality=0.1 ! m."},
};

struct Phases {
    double open = 0, run = 0, finish = 0;
    double Total() const { return open + run + finish; }
};

// The player: the clip opened with the mode on, run to its end, the file
// made whole under its name.
Phases PlayerRun(quova::PlayerSession& session, const fs::path& clip, const Case& c) {
    const std::string out = OutputFileName(clip.string(), c.kind);
    fs::remove(out);
    session.extraction = ExtractionState{};
    ToggleExtractionMode(session, c.kind);
    session.extraction.CompressorName = c.compressor;
    session.extraction.CompressorIsDefault = *c.compressor != 0;
    Phases p;
    const auto start = Clock::now();
    OpenMedia(session, clip.string());
    const auto opened = Clock::now();
    GraphSession& g = session.graph;
    if (!g.ExtractionReady) std::printf("  (the extraction did not start!)\n");
    while (g.ExtractionReady && !g.MediaComplete) {
        QApplication::processEvents();
        if (g.GraphBuilder) {
            g.GraphBuilder->DrainBus();
            while (true) {
                const auto e = g.GraphBuilder->Events().Take();
                if (!e.ok()) break;
                if (e.value.code == engine::EC_COMPLETE || e.value.code == engine::EC_ERRORABORT)
                    g.MediaComplete = true;
            }
        }
        QThread::msleep(2);
    }
    const auto ended = Clock::now();
    FinishExtractionFile(session);
    const auto finished = Clock::now();
    p.open = Seconds(opened - start);
    p.run = Seconds(ended - opened);
    p.finish = Seconds(finished - ended);
    ToggleExtractionMode(session, c.kind);
    if (!fs::exists(out) || fs::file_size(out) < 1000) std::printf("  (no output written!)\n");
    return p;
}

struct Launched {
    double run = 0;
    // Flushing the file to the disk afterwards, as the player does before
    // the file takes its name.
    double sync = 0;
};

Launched LaunchRun(const fs::path& clip, const Case& c, const fs::path& out) {
    fs::remove(out);
    std::string tail = c.launch;
    tail.replace(tail.find("OUT"), 3, "'" + out.string() + "'");
    const std::string command =
        "gst-launch-1.0 -q filesrc location='" + clip.string() + "' ! avidemux name=d " + tail;
    const std::string sync = "sync '" + out.string() + "'";
    Launched l;
    auto start = Clock::now();
    if (std::system(command.c_str()) != 0) std::printf("  (gst-launch failed)\n");
    l.run = Seconds(Clock::now() - start);
    start = Clock::now();
    if (std::system(sync.c_str()) != 0) std::printf("  (sync failed)\n");
    l.sync = Seconds(Clock::now() - start);
    return l;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    quova::PlayerSession session;
    const fs::path folder =
        argc > 1 ? fs::absolute(argv[1]) : fs::temp_directory_path() / "quova-bench";
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const std::string only = argc > 3 ? argv[3] : "";
    fs::create_directories(folder / "config");
    // The Vorbis modes keep their settings: in a folder of the benchmark's own.
    setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QWidget window;
    session.openCounter = 0;
    testing::FakeUi ui{session};
    ui.window = &window;

    std::printf("%-14s %9s %9s %7s %9s %7s %7s %7s %7s\n", "mode", "quova (s)", "launch(s)",
                "ratio", "+sync(s)", "ratio", "open", "run", "finish");
    for (const Case& c : kCases) {
        if (std::string(c.name).find(only) == std::string::npos) continue;
        const fs::path clip = folder / c.clip;
        const std::string error = MakeClip(clip, c.mp3);
        if (!error.empty()) {
            std::printf("%s: cannot generate the clip: %s\n", c.name, error.c_str());
            continue;
        }
        std::vector<double> ours, theirs, synced, open, run, finish;
        for (int i = 0; i < runs; ++i) {
            const Phases p = PlayerRun(session, clip, c);
            ours.push_back(p.Total());
            open.push_back(p.open);
            run.push_back(p.run);
            finish.push_back(p.finish);
            const Launched l = LaunchRun(clip, c, folder / "launch.out");
            theirs.push_back(l.run);
            synced.push_back(l.run + l.sync);
        }
        const double a = Median(ours), b = Median(theirs), bs = Median(synced);
        std::printf("%-14s %9.2f %9.2f %7.2f %9.2f %7.2f %7.2f %7.2f %7.2f\n", c.name, a, b, a / b,
                    bs, a / bs, Median(open), Median(run), Median(finish));
        std::fflush(stdout);
    }
    ReleaseGraph(session);
    return 0;
}

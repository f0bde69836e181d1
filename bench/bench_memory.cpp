// Peak memory of playing a generated 20-second 1280x720 H.264 (4:2:0) clip
// with Vorbis sound in Matroska: the engine (its own renderer on an offscreen
// Qt widget) against mpv (no video or audio output, so that both measure
// reading, decoding and presenting frames to memory). Each player runs in a
// child process; its peak resident size comes from the kernel when it ends.
// Prints the median of three alternating runs, and the engine's peak at
// three earlier stages of its run (one run each) to show where it goes.
//
//   bench_memory [clip.mkv]      (the clip is generated when not given)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <algorithm>
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

// Stages of the engine's run, to see where its memory goes: 0 the Qt
// application and window, 1 and the filter list, 2 and the rendered
// (prerolled) graph, 3 and the whole playback.
int PlayWithEngine(const std::string& clip, int stage) {
    int argc = 1;
    char name[] = "bench_memory";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    QWidget window;
    window.resize(1280, 720);
    window.show();
    if (stage == 0) return 0;
    quova::engine::FilterMapper::Instance();
    if (stage == 1) return 0;
    FilterGraph graph;
    if (graph.RenderFile(clip) != quova::engine::S_OK) return 2;
    if (stage == 2) return 0;
    auto video = graph.VideoRenderer();
    if (!video) return 3;
    video->SetOwner(&window);
    video->SetWindowPosition(QRect(0, 0, 1280, 720));
    video->SetVisible(true);
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
    QTimer::singleShot(60000, &loop, [&loop] { loop.exit(6); });
    const int failed = loop.exec();
    std::fprintf(stderr, "engine: %llu frames\n",
                 static_cast<unsigned long long>(video->ReceivedFrames()));
    return failed;
}

// Runs `argv` as a child and returns its peak resident size in kilobytes
// (0 when it failed).
long ChildPeakKb(std::vector<std::string> args) {
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) return 0;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return 0;
    return usage.ru_maxrss;
}

long Median(std::vector<long> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (argc == 4 && std::string(argv[1]) == "--engine")
        return PlayWithEngine(argv[2], std::atoi(argv[3]));

    std::string clip = argc > 1 ? argv[1] : "";
    if (clip.empty()) {
        clip =
            (std::filesystem::temp_directory_path() / "quova-bench" / "clip720p-h264.mkv").string();
        const std::string error = quova::testing::MakeMediaOnce(
            "videotestsrc pattern=ball num-buffers=600 ! "
            "video/x-raw,format=I420,width=1280,height=720,framerate=30/1 ! "
            "x264enc bitrate=3000 speed-preset=veryfast ! h264parse ! "
            "matroskamux name=mux ! filesink location=$OUT "
            "audiotestsrc wave=sine samplesperbuffer=1024 num-buffers=862 ! "
            "audio/x-raw,rate=44100,channels=2 ! audioconvert ! vorbisenc ! mux.",
            clip);
        if (!error.empty()) {
            std::fprintf(stderr, "cannot make the clip: %s\n", error.c_str());
            return 1;
        }
    }
    std::vector<long> engine, mpv;
    for (int round = 0; round < 3; ++round) {
        engine.push_back(ChildPeakKb({argv[0], "--engine", clip, "3"}));
        mpv.push_back(
            ChildPeakKb({"mpv", "--no-config", "--really-quiet", "--vo=null", "--ao=null", clip}));
        if (engine.back() == 0 || mpv.back() == 0) {
            std::fprintf(stderr, "a run failed (engine %ld kB, mpv %ld kB)\n", engine.back(),
                         mpv.back());
            return 1;
        }
    }
    const long e = Median(engine), m = Median(mpv);
    const char* stages[] = {"Qt application, window", "+ filter list", "+ rendered graph"};
    for (int stage = 0; stage < 3; ++stage)
        std::printf("engine stage: %-24s %8.1f MB\n", stages[stage],
                    ChildPeakKb({argv[0], "--engine", clip, std::to_string(stage)}) / 1024.0);
    std::printf("%-24s %10s %10s %8s\n", "", "engine", "mpv", "ratio");
    std::printf("%-24s %10.1f %10.1f %8.2f\n", "peak memory (MB)", e / 1024.0, m / 1024.0,
                static_cast<double>(e) / m);
    return 0;
}

// Time from starting a player on a clip to its first frame on an X screen:
// quova against mpv (--no-config --vo=x11), each started fresh, alternating,
// five rounds, medians printed. The clip is a 20 s 1280x720 30 fps H.264
// High 4:2:0 8-bit + MP3 Matroska file made with GStreamer's encoders; its
// picture is solid red, so the first frame is the moment the screen's centre
// (or a point near it) turns red. Needs an X server ($DISPLAY, e.g.
// Xvfb :99 -screen 0 1920x1080x24).
// With --http both players open the clip by its address on a loopback HTTP
// server (tests/support/http_server.h) instead of its path.
// With --running quova is already open, idle, when the clip is handed to it
// (a second start passes the name to the running window, as a user's "Open
// URL..." or a file manager's open does); the time runs from that start.
//
//   bench_first_frame [--http] [--running] path/to/quova [clip.mkv]
// Qt before Xlib, whose macros (Bool, Status) break Qt's headers.
#include <QCoreApplication>
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
// clang-format on
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/gst_media.h"
#include "tests/support/http_server.h"

namespace {

using Clock = std::chrono::steady_clock;

bool IsRed(Display* display, int x, int y) {
    const int screen = DefaultScreen(display);
    XImage* image = XGetImage(display, RootWindow(display, screen), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return false;
    const unsigned long pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    const int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
    return r > 180 && g < 80 && b < 80;
}

// The centre, or near it: a player already open keeps its window where it
// was and may fit the picture in beside the screen's centre.
bool CentreIsRed(Display* display) {
    const int screen = DefaultScreen(display);
    const int x = DisplayWidth(display, screen) / 2, y = DisplayHeight(display, screen) / 2;
    for (int dy : {0, -120, 120})
        for (int dx : {0, -240, 240})
            if (IsRed(display, x + dx, y + dy)) return true;
    return false;
}

pid_t Start(const std::vector<std::string>& argv) {
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        freopen("/dev/null", "w", stdout);
        freopen("/dev/null", "w", stderr);
        execvp(args[0], args.data());
        _exit(127);
    }
    return pid;
}

// Milliseconds from the start to the red centre; -1 when it never came.
// `waiting` is a player already running, idle, that the start hands over to.
double TimeToFirstFrame(Display* display, const std::vector<std::string>& argv, pid_t waiting = 0) {
    const auto start = Clock::now();
    const pid_t pid = Start(argv);
    double ms = -1;
    while (Clock::now() - start < std::chrono::seconds(20)) {
        if (CentreIsRed(display)) {
            ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            break;
        }
        usleep(2000);
    }
    for (pid_t p : {pid, waiting}) {
        if (p <= 0) continue;
        kill(p, SIGKILL);
        waitpid(p, nullptr, 0);
    }
    // Let the screen go back to black before the next round.
    for (int i = 0; i < 200 && CentreIsRed(display); ++i) usleep(10000);
    return ms;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    bool http = false, running = false;
    while (argc > 1 && (std::string(argv[1]) == "--http" || std::string(argv[1]) == "--running")) {
        (std::string(argv[1]) == "--http" ? http : running) = true;
        --argc;
        ++argv;
    }
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: bench_first_frame [--http] [--running] path/to/quova [clip.mkv]\n");
        return 2;
    }
    const std::string quova = argv[1];
    std::filesystem::path clip = argc > 2 ? argv[2] : "";
    if (clip.empty()) {
        clip = std::filesystem::temp_directory_path() / "quova-first-frame.mkv";
        if (!std::filesystem::exists(clip)) {
            const std::string error = quova::testing::MakeMedia(
                "videotestsrc pattern=red num-buffers=600 ! video/x-raw,width=1280,height=720,"
                "framerate=30/1 ! videoconvert ! video/x-raw,format=I420 ! x264enc ! "
                "video/x-h264,profile=high ! h264parse ! matroskamux name=m ! filesink "
                "location=$OUT audiotestsrc num-buffers=862 samplesperbuffer=1024 ! "
                "audio/x-raw,rate=44100,channels=2 ! audioconvert ! lamemp3enc ! "
                "mpegaudioparse ! m.",
                clip);
            if (!error.empty()) {
                std::fprintf(stderr, "cannot make the clip: %s\n", error.c_str());
                return 1;
            }
        }
    }
    std::unique_ptr<quova::testing::HttpServer> server;
    std::string medium = clip.string();
    if (http) {
        server = std::make_unique<quova::testing::HttpServer>(
            std::filesystem::absolute(clip).parent_path());
        if (!server->Running()) {
            std::fprintf(stderr, "the HTTP server did not start\n");
            return 1;
        }
        medium = server->Address(clip.filename().string());
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    const std::string config = std::filesystem::temp_directory_path() / "quova-bench-config";
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    std::vector<double> ours, mpv;
    for (int round = 0; round < 5; ++round) {
        pid_t waiting = 0;
        if (running) {
            // Up, idle and listening for a second start before the clock runs.
            waiting = Start({quova});
            sleep(3);
        }
        ours.push_back(TimeToFirstFrame(display, {quova, medium}, waiting));
        mpv.push_back(
            TimeToFirstFrame(display, {"mpv", "--no-config", "--vo=x11", "--ao=null", medium}));
        std::printf("round %d: quova %.0f ms, mpv %.0f ms\n", round + 1, ours.back(), mpv.back());
    }
    std::printf("first frame%s%s, median of 5: quova %.0f ms, mpv %.0f ms (ratio %.2f)\n",
                http ? " over loopback HTTP" : "", running ? " (quova already running)" : "",
                Median(ours), Median(mpv), Median(ours) / Median(mpv));
    XCloseDisplay(display);
    return 0;
}

// Hostile files against the real program: each crafted file is opened by
// quova and by mpv (--no-config --vo=x11 --ao=null --keep-open), each started fresh
// under an 8 GiB address-space limit, and for 12 s both are asked something
// every 50 ms through their own remote control (quova's MPRIS Get on the
// session bus, answered by its window's thread; mpv's JSON IPC, answered by
// its core). Printed per file and player: the time to the first answer, the
// longest answer after it, how many answers took over 250 ms, the peak
// resident memory and whether the player was still there at the end.
//
// The files, after the picture alone for the start's own cost, each a short
// MJPEG picture joined by ffmpeg to a subtitle track written by hand: a PGS display set composing a
// 4096x4096 object 255 times (32 of them), 8 compositions in 40 sets, 200 styled tracks sharing one
// 10 MiB font, 100,000 text cues without a duration under a 48-hour header,
// 3,000 full-size (4096x4096) VobSub units, and 2,007 text tracks (without
// the picture).
//
// Needs an X server ($DISPLAY, e.g. Xvfb :99 -screen 0 1280x720x24), a
// session bus, ffmpeg and mpv (scripts/bootstrap --bench):
//   dbus-run-session -- bench_hostile_media path/to/quova [name...]
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "playback/player_session.h"
#include "tests/support/gst_media.h"
#include "tests/support/subtitle_media.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using quova::testing::MadeCue;
using quova::testing::MadeSubtitleTrack;

constexpr double kSeconds = 12.0;
constexpr auto kProbeEvery = std::chrono::milliseconds(50);
constexpr double kSlowMs = 250.0;
constexpr std::size_t kAddressSpace = std::size_t{8} << 30;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

bool Run(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

std::string Quoted(const fs::path& p) {
    return "'" + p.string() + "'";
}

// The picture the tracks are joined to: `seconds` of black MJPEG.
fs::path Picture(const fs::path& dir, double seconds) {
    const fs::path out = dir / ("picture-" + std::to_string(static_cast<int>(seconds)) + ".mkv");
    const std::string error = quova::testing::MakeMediaOnce(
        "videotestsrc pattern=black num-buffers=" + std::to_string(static_cast<int>(seconds * 10)) +
            " ! video/x-raw,width=320,height=240,framerate=10/1 ! jpegenc ! matroskamux ! "
            "filesink location=$OUT",
        out);
    if (!error.empty()) std::fprintf(stderr, "cannot make the picture: %s\n", error.c_str());
    return out;
}

// Joins the picture and every stream and attachment of `tracks` into `out`.
bool Join(const fs::path& picture, const fs::path& tracks, const fs::path& out) {
    return Run("ffmpeg -loglevel error -y -i " + Quoted(picture) + " -i " + Quoted(tracks) +
               " -map 0:v -map 1 -c copy " + Quoted(out));
}

struct Crafted {
    std::string name;
    std::function<bool(const fs::path& dir, const fs::path& out)> make;
};

std::vector<Crafted> CraftedFiles() {
    using namespace quova::testing;
    const auto pgsFlood = [](int sets, int times) {
        return [sets, times](const fs::path& dir, const fs::path& out) {
            const std::string clearing = PgsDisplaySetBytes(1920, 1080, 0, 0, 0, 0, 0, 0, 0);
            const std::string flood = PgsSetComposingOneObject(
                1920, 1080, 4096, 4096, std::vector<std::pair<int, int>>(times, {0, 0}));
            std::vector<MadeCue> cues = {{0.0, -1, clearing}};
            for (int k = 0; k < sets; ++k) cues.push_back({0.5 + k * 0.05, -1, flood});
            cues.push_back({9.0, -1, clearing});
            WriteMatroskaWithSubtitleTrack(dir / "track.mkv", "S_HDMV/PGS", cues, 10.0);
            return Join(Picture(dir, 10.0), dir / "track.mkv", out);
        };
    };
    return {
        // Not hostile: what starting on the picture alone costs each player.
        {"plain",
         [](const fs::path& dir, const fs::path& out) {
             fs::copy_file(Picture(dir, 10.0), out);
             return true;
         }},
        {"pgs-255x32", pgsFlood(32, 255)},
        {"pgs-8x40", pgsFlood(40, 8)},
        {"fonts-200x10MiB",
         [](const fs::path& dir, const fs::path& out) {
             WriteMatroskaWithAttachedFont(dir / "track.mkv", AssScriptHeader("&H0000FF00"),
                                           {{0.5, 9.0, "A"}}, "big.ttf",
                                           std::string(std::size_t{10} << 20, 'f'), 200);
             return Join(Picture(dir, 10.0), dir / "track.mkv", out);
         }},
        {"cues-100000-open",
         [](const fs::path& dir, const fs::path& out) {
             std::vector<MadeCue> cues;
             for (int k = 0; k < 100000; ++k)
                 cues.push_back(
                     {k * 0.0001, -1.0, std::string(1, static_cast<char>('a' + k % 26))});
             WriteMatroskaWithSubtitleTrack(dir / "track.mkv", "S_TEXT/UTF8", cues, 48 * 3600.0);
             return Join(Picture(dir, 10.0), dir / "track.mkv", out);
         }},
        {"vobsub-3000x4096",
         [](const fs::path&, const fs::path& out) {
             MadeSubtitleTrack track{"en", "Full", false, "", {}};
             track.picture = true;
             track.index =
                 "# VobSub index file, v7 (do not modify this line!)\nsize: 4096x4096\n"
                 "palette: 000000, 00ff00, 000000, 000000, 000000, 000000, 000000, 000000, "
                 "000000, 000000, 000000, 000000, 000000, 000000, 000000, 000000\n";
             const std::string unit = DvdSubPictureUnit(0, 0, 4096, 4096, 1, 0, -1);
             for (int k = 0; k < 3000; ++k)
                 track.cues.push_back({k * 0.003, k * 0.003 + 0.002, unit});
             return MakeMatroskaWithSubtitles(out, 10.0, {track}).empty();
         }},
        // Tracks alone: ffmpeg 5.1 writes no file of over 1,000 streams.
        {"tracks-2007",
         [](const fs::path&, const fs::path& out) {
             WriteMatroskaWithSubtitleTrack(out, "S_TEXT/UTF8", {{0.5, 9.0, "one"}}, 10.0, 2007);
             return true;
         }},
    };
}

// A player answering questions: true when it answered within `timeout`.
using Ask = std::function<bool(std::chrono::milliseconds timeout)>;

struct Measured {
    double firstAnswerMs = -1;
    double longestMs = 0;
    int slow = 0;
    int asked = 0;
    long peakKb = 0;
    bool alive = false;
};

pid_t Start(const std::vector<std::string>& args, const fs::path& home) {
    // A home of its own: nothing the user set, nothing kept from the last run.
    std::vector<std::string> env;
    for (const char* folder : {"config", "data", "state", "cache"}) {
        fs::create_directories(home / folder);
        std::string name = folder;
        for (char& c : name) c = static_cast<char>(std::toupper(c));
        env.push_back("XDG_" + name + "_HOME=" + (home / folder).string());
    }
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "XDG_", 4) != 0 && std::strncmp(*e, "QT_QPA_PLATFORM=", 16) != 0)
            env.emplace_back(*e);
    std::vector<char*> argv, envp;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    const pid_t pid = fork();
    if (pid != 0) return pid;
    const rlimit limit{kAddressSpace, kAddressSpace};
    setrlimit(RLIMIT_AS, &limit);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    execvpe(argv[0], argv.data(), envp.data());
    _exit(127);
}

long PeakKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

bool Alive(pid_t pid) {
    int status = 0;
    return waitpid(pid, &status, WNOHANG) == 0;
}

Measured Measure(pid_t pid, const Ask& ask) {
    Measured m;
    const auto start = Clock::now();
    const auto end = start + std::chrono::duration_cast<Clock::duration>(
                                 std::chrono::duration<double>(kSeconds));
    while (Clock::now() < end) {
        if (!Alive(pid)) return m;
        const auto asked = Clock::now();
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - asked);
        const bool answered = ask(std::max(left, std::chrono::milliseconds(1)));
        const double took = Ms(Clock::now() - asked);
        if (m.firstAnswerMs < 0) {
            if (answered) m.firstAnswerMs = Ms(Clock::now() - start);
        } else {
            ++m.asked;
            m.longestMs = std::max(m.longestMs, took);
            if (took > kSlowMs || !answered) ++m.slow;
        }
        std::this_thread::sleep_until(asked + kProbeEvery);
    }
    m.peakKb = PeakKb(pid);
    m.alive = Alive(pid);
    return m;
}

void Stop(pid_t pid) {
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
}

Measured Quova(const std::string& program, const fs::path& file, const fs::path& home) {
    const pid_t pid = Start({program, file.string()}, home);
    QDBusConnection bus = QDBusConnection::sessionBus();
    const Ask ask = [&bus](std::chrono::milliseconds timeout) {
        QDBusMessage get = QDBusMessage::createMethodCall("org.mpris.MediaPlayer2.quova",
                                                          "/org/mpris/MediaPlayer2",
                                                          "org.freedesktop.DBus.Properties", "Get");
        get << QString("org.mpris.MediaPlayer2.Player") << QString("PlaybackStatus");
        const QDBusMessage reply = bus.call(get, QDBus::Block, static_cast<int>(timeout.count()));
        return reply.type() == QDBusMessage::ReplyMessage;
    };
    const Measured m = Measure(pid, ask);
    Stop(pid);
    return m;
}

Measured Mpv(const fs::path& file, const fs::path& home) {
    const fs::path socketPath = home / "mpv.socket";
    const pid_t pid =
        Start({"mpv", "--no-config", "--vo=x11", "--ao=null", "--keep-open=yes", "--really-quiet",
               "--input-ipc-server=" + socketPath.string(), file.string()},
              home);
    int fd = -1;
    const Ask ask = [&](std::chrono::milliseconds timeout) {
        if (fd < 0) {
            fd = socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::strncpy(address.sun_path, socketPath.c_str(), sizeof(address.sun_path) - 1);
            if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
                close(fd);
                fd = -1;
                return false;
            }
        }
        const timeval wait{static_cast<time_t>(timeout.count() / 1000),
                           static_cast<suseconds_t>(timeout.count() % 1000 * 1000)};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof(wait));
        const std::string question = "{\"command\":[\"get_property\",\"pause\"]}\n";
        if (write(fd, question.data(), question.size()) != static_cast<ssize_t>(question.size()))
            return false;
        // One line answers; events may come before it.
        std::string line;
        char c;
        while (read(fd, &c, 1) == 1) {
            if (c != '\n') {
                line += c;
                continue;
            }
            if (line.find("\"error\"") != std::string::npos) return true;
            line.clear();
        }
        return false;
    };
    const Measured m = Measure(pid, ask);
    if (fd >= 0) close(fd);
    Stop(pid);
    return m;
}

void Print(const std::string& file, const char* player, const Measured& m) {
    std::printf(
        "%-18s %-6s first answer %7.0f ms, longest %6.0f ms, over %.0f ms %3d of %3d, "
        "peak %6ld MB, %s\n",
        file.c_str(), player, m.firstAnswerMs, m.longestMs, kSlowMs, m.slow, m.asked,
        m.peakKb / 1024, m.alive ? "running" : "ENDED");
}

}  // namespace

int main(int argc, char** argv) {
    quova::PlayerSession session;
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_hostile_media path/to/quova [name...]\n");
        return 2;
    }
    if (!std::getenv("DISPLAY")) {
        std::fprintf(stderr, "needs an X server ($DISPLAY)\n");
        return 2;
    }
    // A player that ends closes its socket under the question.
    signal(SIGPIPE, SIG_IGN);
    QCoreApplication app(argc, argv);
    if (!QDBusConnection::sessionBus().isConnected()) {
        std::fprintf(stderr, "needs a session bus (run under dbus-run-session)\n");
        return 2;
    }
    const std::string program = fs::absolute(argv[1]).string();
    const std::vector<std::string> chosen(argv + 2, argv + argc);
    const fs::path dir = fs::temp_directory_path() / "quova-bench" / "hostile";
    fs::create_directories(dir);
    for (const Crafted& crafted : CraftedFiles()) {
        if (!chosen.empty() &&
            std::find(chosen.begin(), chosen.end(), crafted.name) == chosen.end())
            continue;
        const fs::path file = dir / (crafted.name + ".mkv");
        if (!fs::exists(file)) {
            const fs::path scratch = dir / (crafted.name + ".parts");
            fs::create_directories(scratch);
            const auto t0 = Clock::now();
            const bool made = crafted.make(scratch, file);
            fs::remove_all(scratch);
            if (!made) {
                std::fprintf(stderr, "cannot make %s\n", crafted.name.c_str());
                fs::remove(file);
                continue;
            }
            std::printf("made %s (%.1f MB) in %.1f s\n", crafted.name.c_str(),
                        fs::file_size(file) / 1e6, Ms(Clock::now() - t0) / 1000);
        }
        const fs::path home = dir / "home";
        fs::remove_all(home);
        Print(crafted.name, "quova", Quova(program, file, home / "quova"));
        Print(crafted.name, "mpv", Mpv(file, home / "mpv"));
        std::fflush(stdout);
    }
    return 0;
}

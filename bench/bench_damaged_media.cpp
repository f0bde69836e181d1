// Opens every file of the damaged-media corpus (ten cuts and 24 sets of
// flipped bytes of seven kinds of media), each in a process of its own so a
// crash is counted, not fatal, and prints how many files crashed, hung (no
// answer in 20 s) or took longest to open or report.
//
//   bench_damaged_media            the whole corpus
//   bench_damaged_media FILE       one open (the child's part)
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <string>

#include "graph/graph_state.h"
#include "graph/medium_session.h"
#include "graph/open_media.h"
#include "playback/player_session.h"
#include "tests/support/damaged_media.h"
#include "tests/support/fake_ui.h"
#include "tests/support/temp_dir.h"

namespace {

// The child: open, answer any box, play a moment, report the open's time.
int OpenOne(quova::PlayerSession& session, int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QWidget window;
    session.openCounter = 0;
    quova::testing::FakeUi ui{session};
    ui.window = &window;
    QTimer answer;
    answer.setInterval(5);
    QObject::connect(&answer, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->reject();
    });
    answer.start();
    QElapsedTimer clock;
    clock.start();
    quova::OpenMedia(session, argv[1]);
    const qint64 openMs = clock.elapsed();
    while (clock.elapsed() < openMs + 1000) {
        QCoreApplication::processEvents();
        QThread::msleep(10);
    }
    quova::ReleaseGraph(session);
    std::printf("%lld\n", static_cast<long long>(openMs));
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    quova::PlayerSession session;
    if (argc > 1) return OpenOne(session, argc, argv);
    quova::testing::TempDir dir;
    const auto sources = quova::testing::MakeSourceMedia(dir / "good", 2.0);
    const auto corpus = quova::testing::MakeDamagedCorpus(sources, dir / "bad");
    int crashes = 0, hangs = 0;
    long slowestMs = 0;
    std::string slowest;
    for (const auto& file : corpus) {
        int out[2];
        if (pipe(out) != 0) return 1;
        const pid_t pid = fork();
        if (pid == 0) {
            dup2(out[1], STDOUT_FILENO);
            freopen("/dev/null", "w", stderr);
            execl("/proc/self/exe", argv[0], file.c_str(), nullptr);
            _exit(127);
        }
        close(out[1]);
        const auto start = std::chrono::steady_clock::now();
        int status = 0;
        bool done = false;
        while (std::chrono::steady_clock::now() - start < std::chrono::seconds(20)) {
            if (waitpid(pid, &status, WNOHANG) == pid) {
                done = true;
                break;
            }
            usleep(20000);
        }
        if (!done) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            ++hangs;
            std::printf("HANG  %s\n", file.filename().c_str());
        } else if (WIFSIGNALED(status) || WEXITSTATUS(status) != 0) {
            ++crashes;
            std::printf("CRASH %s (%s %d)\n", file.filename().c_str(),
                        WIFSIGNALED(status) ? "signal" : "exit",
                        WIFSIGNALED(status) ? WTERMSIG(status) : WEXITSTATUS(status));
        }
        char buffer[64] = {};
        const ssize_t n = read(out[0], buffer, sizeof buffer - 1);
        close(out[0]);
        const long ms = n > 0 ? std::atol(buffer) : 0;
        if (ms > slowestMs) {
            slowestMs = ms;
            slowest = file.filename().string();
        }
    }
    std::printf("files %zu, crashes %d, hangs %d, slowest open %ld ms (%s)\n", corpus.size(),
                crashes, hangs, slowestMs, slowest.c_str());
    return crashes + hangs > 0;
}

// Opens three short clips in turn, 1,000 opens in one process, the way a
// user skipping through a play list would, and prints the resident and peak
// memory after open 50 and after open 1,000: a leak per open shows as growth.
//
//   bench_open_leak [opens]
#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QWidget>

#include <cstdio>
#include <fstream>
#include <string>

#include "graph/graph_state.h"
#include "graph/medium_session.h"
#include "graph/open_media.h"
#include "playback/player_session.h"
#include "tests/support/fake_ui.h"
#include "tests/support/gst_media.h"
#include "tests/support/temp_dir.h"

namespace {

long StatusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
    return -1;
}

}  // namespace

int main(int argc, char* argv[]) {
    quova::PlayerSession session;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int opens = argc > 1 ? std::atoi(argv[1]) : 1000;
    quova::testing::TempDir dir;
    const std::string clips[] = {
        quova::testing::media::AviPcm(dir / "a.avi", 1.0, 1).string(),
        quova::testing::media::OggTheoraVorbis(dir / "b.ogg", 1.0).string(),
        quova::testing::media::Mp3(dir / "c.mp3", 1.0).string(),
    };
    quova::testing::FakeUi ui{session};
    session.openCounter = 0;
    long rss50 = 0, peak50 = 0;
    QElapsedTimer clock;
    clock.start();
    for (int i = 1; i <= opens; ++i) {
        quova::OpenMedia(session, clips[i % 3]);
        // A little play, as a user would see of each.
        QElapsedTimer play;
        play.start();
        while (play.elapsed() < 40) {
            QCoreApplication::processEvents();
            QThread::msleep(5);
        }
        if (i == 50) {
            rss50 = StatusKb("VmRSS:");
            peak50 = StatusKb("VmHWM:");
        }
    }
    quova::StopAndClearGraph(session);
    std::printf("after open 50: rss %ld kB, peak %ld kB\n", rss50, peak50);
    std::printf("after open %d: rss %ld kB, peak %ld kB (%.1f s)\n", opens, StatusKb("VmRSS:"),
                StatusKb("VmHWM:"), clock.elapsed() / 1000.0);
    quova::ReleaseGraph(session);
    return 0;
}

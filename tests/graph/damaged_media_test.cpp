#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include "graph/graph_state.h"
#include "graph/open_media.h"
#include "playback/player_session.h"
#include "tests/app/qt_support.h"
#include "tests/support/damaged_media.h"
#include "tests/support/fake_ui.h"
#include "tests/support/player_state.h"
#include "tests/support/subtitle_media.h"
#include "tests/support/temp_dir.h"
#include "text/osd.h"
#include "text/subtitle_commands.h"

namespace quova {
namespace {

using namespace engine;

// Answers every message box at once, counting them.
class BoxCounter : public QObject {
  public:
    BoxCounter() {
        timer_.setInterval(5);
        connect(&timer_, &QTimer::timeout, this, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible()) return;
            ++count;
            box->reject();
        });
        timer_.start();
    }
    int count = 0;

  private:
    QTimer timer_;
};

// What became of one open: reported (a box, or an error event the player
// shows), or playing with the position moving.
struct Outcome {
    bool reported = false;
    bool playing = false;
    qint64 openMs = 0;
};

Outcome OpenAndWatch(PlayerSession& session, const std::string& file, BoxCounter& boxes) {
    Outcome out;
    const int before = boxes.count;
    QElapsedTimer clock;
    clock.start();
    OpenMedia(session, file);
    out.openMs = clock.elapsed();
    GraphSession& g = session.graph;
    const double start = g.GraphBuilder ? g.GraphBuilder->CurrentPosition().value : 0;
    QElapsedTimer watch;
    watch.start();
    while (watch.elapsed() < 700) {
        QCoreApplication::processEvents();
        QThread::msleep(10);
        if (!g.GraphBuilder) continue;
        g.GraphBuilder->DrainBus();
        for (auto e = g.GraphBuilder->Events().Take(); e.ok(); e = g.GraphBuilder->Events().Take())
            if (e.value.code == EC_ERRORABORT || e.value.code == EC_COMPLETE) out.reported = true;
    }
    out.reported = out.reported || boxes.count > before;
    if (g.GraphBuilder && g.MediaKind == MediaKindFile && !g.CurrentMediaName.empty()) {
        const auto state = g.GraphBuilder->GetState(0);
        out.playing = state.value == engine::GraphState::Running &&
                      g.GraphBuilder->CurrentPosition().value > start;
    }
    return out;
}

TEST(DamagedMedia, EachDamagedFilePlaysOrIsReportedAndAGoodFilePlaysAfter) {
    PlayerSession session;
    quova::testing::App();
    quova::testing::TempDir dir;
    const auto sources = quova::testing::MakeSourceMedia(dir / "good", 2.0);
    ASSERT_EQ(sources.size(), 7u);
    const auto corpus = quova::testing::MakeDamagedCorpus(sources, dir / "bad");
    ASSERT_GE(corpus.size(), 200u);

    quova::testing::FakeUi ui{session};
    quova::testing::ResetPlayerState(session, quova::testing::Startup::Done);
    BoxCounter boxes;
    // A sample of 30 spread over every kind and every damage.
    for (size_t i = 0; i < corpus.size() && i / 7 < 30; i += 7) {
        SCOPED_TRACE(corpus[i].filename().string());
        const Outcome out = OpenAndWatch(session, corpus[i].string(), boxes);
        EXPECT_TRUE(out.reported || out.playing);
        // A bound on a hang, not a speed figure: the benchmark measures those.
        EXPECT_LT(out.openMs, 15000);
    }
    for (const auto& good : sources) {
        SCOPED_TRACE(good.filename().string());
        const int before = boxes.count;
        const Outcome out = OpenAndWatch(session, good.string(), boxes);
        EXPECT_EQ(boxes.count, before);
        EXPECT_TRUE(out.playing) << "state "
                                 << static_cast<int>(session.graph.GraphBuilder->GetState(0).value)
                                 << " at " << session.graph.GraphBuilder->CurrentPosition().value
                                 << " of " << session.graph.Duration;
    }
    ReleaseGraph(session);
    quova::testing::ResetPlayerState(session);
}

// A Matroska file cut off halfway: its subtitle stream ends with its data,
// the user is told so, and the picture plays on.
TEST(DamagedMedia, AMatroskaFileWithACutOffSubtitleTrackPlaysOnWithAMessage) {
    PlayerSession session;
    quova::testing::App();
    quova::testing::TempDir dir;
    quova::testing::MadeSubtitleTrack track{"en", "", false, "", {}};
    for (int i = 0; i < 20; ++i) track.cues.push_back({2.0 * i, 2.0 * i + 1.0, "cue"});
    const auto whole = dir / "whole.mkv";
    ASSERT_EQ(quova::testing::MakeMatroskaWithSubtitles(whole, 40.0, {track}), "");
    const auto cut = dir / "cut.mkv";
    {
        std::string bytes = quova::testing::ReadFile(whole);
        bytes.resize(bytes.size() * 6 / 10);
        quova::testing::WriteFile(cut, bytes);
    }
    quova::testing::FakeUi ui{session};
    quova::testing::ResetPlayerState(session, quova::testing::Startup::Done);
    ui.settings.SubtitlesOn = true;
    ui.mediaFileOpen = true;
    ui.movieName = cut.string();
    ui.duration = 40.0;
    ui.position = 0.0;
    BoxCounter boxes;
    const Outcome out = OpenAndWatch(session, cut.string(), boxes);
    EXPECT_TRUE(out.playing);
    EXPECT_EQ(boxes.count, 0);
    QElapsedTimer watch;
    watch.start();
    while (watch.elapsed() < 10000 && session.osdMessage.rfind("subtitle track damaged", 0) != 0) {
        QCoreApplication::processEvents();
        QThread::msleep(10);
    }
    EXPECT_EQ(session.osdMessage.rfind("subtitle track damaged: ", 0), 0u) << session.osdMessage;
    EXPECT_TRUE(SubtitlesLoaded(session));
    ASSERT_TRUE(session.graph.GraphBuilder);
    EXPECT_EQ(session.graph.GraphBuilder->GetState(0).value, engine::GraphState::Running);
    ReleaseGraph(session);
    quova::testing::ResetPlayerState(session);
}

}  // namespace
}  // namespace quova

// Seek latency, from the call to the new picture (painted by the player's
// video widget; at playbin's video sink), of the player against GStreamer's
// playbin on the same clip in one run, for both kinds of seek the player
// makes:
//   keyframe seeks  the player's SeekToKeyFrame (the seek bar's drag; the
//                   fast scan's jumps take the same engine path) against
//                   playbin with KEY_UNIT | SNAP_BEFORE;
//   exact seeks     the player's SeekTo (bookmarks, Go To, jumps) against
//                   playbin with ACCURATE.
// Targets lie between keyframes, where the two kinds differ; exact seeks to
// keyframe positions are measured too. The clip is a 30 s 640x360 25 fps
// H.264 + MP3 Matroska file with a keyframe every 2 s, made with GStreamer's
// encoders. Both players are paused; five rounds of eight targets,
// alternating players; medians and the ratios printed.
//
//   bench_seek [clip]
#include <gst/gst.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "graph/graph_state.h"
#include "graph/medium_session.h"
#include "graph/open_media.h"
#include "platform/engine/video_renderer.h"
#include "platform/engine/video_widget.h"
#include "playback/player_session.h"
#include "playback/transport.h"
#include "tests/support/fake_ui.h"
#include "tests/support/gst_media.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point from) {
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Counts the pictures the video widget paints.
class PaintCounter : public QObject {
  public:
    int paints = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return QObject::eventFilter(watched, event);
    }
};

// When the first buffer since Arm() reached a pad.
class Arrival {
  public:
    void Watch(GstPad* pad) {
        gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, &Arrival::Probe, this, nullptr);
    }
    void Arm() { at_ = 0; }
    // Milliseconds from `start`; -1 when nothing came.
    double MsFrom(Clock::time_point start) const {
        const auto at = at_.load();
        if (at == 0) return -1;
        return std::chrono::duration<double, std::milli>(Clock::time_point(Clock::duration(at)) -
                                                         start)
            .count();
    }

  private:
    static GstPadProbeReturn Probe(GstPad*, GstPadProbeInfo*, gpointer self) {
        Clock::rep none = 0;
        static_cast<Arrival*>(self)->at_.compare_exchange_strong(
            none, Clock::now().time_since_epoch().count());
        return GST_PAD_PROBE_OK;
    }
    std::atomic<Clock::rep> at_{0};
};

// The player: the open pipeline and SeekTo, paused, its picture in a window.
class Player {
    quova::PlayerSession session;

  public:
    explicit Player(const std::string& clip) {
        session.openCounter = 0;
        window_.resize(640, 360);
        window_.show();
        ui_.window = &window_;
        quova::OpenMedia(session, clip);
        session.graph.GraphBuilder->Pause();
        quova::SeekTo(session, 0);
        if (session.graph.VideoWindow)
            session.graph.VideoWindow->widget()->installEventFilter(&counter_);
        if (auto video = session.graph.GraphBuilder->VideoRenderer()) {
            GstPad* pad = gst_element_get_static_pad(video->sink(), "sink");
            atSink_.Watch(pad);
            gst_object_unref(pad);
        }
    }
    ~Player() { quova::ReleaseGraph(session); }
    bool ok() const { return session.graph.VideoWindow != nullptr; }

    // The time to the new picture's paint; `toSink`, when given, the time
    // until it reached the video sink (before its conversion for the
    // screen and its hand-over to the widget).
    double Seek(double seconds, bool keyFrame, double* toSink = nullptr) {
        auto& g = session.graph;
        const int paints = counter_.paints;
        atSink_.Arm();
        const auto start = Clock::now();
        if (keyFrame)
            quova::SeekToKeyFrame(session, seconds);
        else
            quova::SeekTo(session, seconds);
        while (counter_.paints == paints && Ms(start) < 5000) {
            QCoreApplication::processEvents();
            g.GraphBuilder->DrainBus();
        }
        const double ms = Ms(start);
        if (toSink) *toSink = atSink_.MsFrom(start);
        return ms;
    }

  private:
    // The picture fills the window whenever the open lays it out.
    class Ui : public quova::testing::FakeUi {
      public:
        using FakeUi::FakeUi;
        void FitWindow() override {
            const auto& g = session.graph;
            if (!g.VideoWindow || !window) return;
            g.VideoWindow->SetWindowPosition(window->rect());
            g.VideoWindow->SetVisible(true);
        }
    };
    QWidget window_;
    Ui ui_{session};
    PaintCounter counter_;
    Arrival atSink_;
};

// playbin with counting sinks, paused.
class PlaybinPlayer {
  public:
    explicit PlaybinPlayer(const std::string& clip) {
        playbin_ = gst_element_factory_make("playbin", nullptr);
        GstElement* video = gst_element_factory_make("fakesink", nullptr);
        g_object_set(video, "signal-handoffs", TRUE, "sync", TRUE, nullptr);
        g_signal_connect(video, "preroll-handoff", G_CALLBACK(&PlaybinPlayer::Handoff), this);
        GstElement* audio = gst_element_factory_make("fakesink", nullptr);
        g_object_set(audio, "sync", TRUE, nullptr);
        gchar* uri = gst_filename_to_uri(clip.c_str(), nullptr);
        g_object_set(playbin_, "uri", uri, "video-sink", video, "audio-sink", audio, nullptr);
        g_free(uri);
        gst_element_set_state(playbin_, GST_STATE_PAUSED);
        gst_element_get_state(playbin_, nullptr, nullptr, 10 * GST_SECOND);
    }
    ~PlaybinPlayer() {
        gst_element_set_state(playbin_, GST_STATE_NULL);
        gst_object_unref(playbin_);
    }

    double Seek(double seconds, bool keyUnit) {
        const int frames = prerolls_.load();
        const auto flags = static_cast<GstSeekFlags>(
            GST_SEEK_FLAG_FLUSH | (keyUnit ? GST_SEEK_FLAG_KEY_UNIT | GST_SEEK_FLAG_SNAP_BEFORE
                                           : GST_SEEK_FLAG_ACCURATE));
        const auto start = Clock::now();
        gst_element_seek_simple(playbin_, GST_FORMAT_TIME, flags,
                                static_cast<gint64>(seconds * GST_SECOND));
        while (prerolls_.load() == frames && Ms(start) < 5000) QThread::usleep(100);
        const double ms = Ms(start);
        gst_element_get_state(playbin_, nullptr, nullptr, 5 * GST_SECOND);
        return ms;
    }

  private:
    static void Handoff(GstElement*, GstBuffer*, GstPad*, gpointer self) {
        static_cast<PlaybinPlayer*>(self)->prerolls_++;
    }
    GstElement* playbin_ = nullptr;
    std::atomic<int> prerolls_{0};
};

}  // namespace

int main(int argc, char* argv[]) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    gst_init(nullptr, nullptr);

    std::string clip;
    const auto dir = std::filesystem::temp_directory_path() / "quova_bench_seek";
    if (argc > 1) {
        clip = argv[1];
    } else {
        std::filesystem::create_directories(dir);
        clip = (dir / "clip.mkv").string();
        const std::string error = quova::testing::MakeMedia(
            "videotestsrc pattern=ball num-buffers=750 ! "
            "video/x-raw,width=640,height=360,framerate=25/1 ! "
            "x264enc key-int-max=50 speed-preset=veryfast ! h264parse ! "
            "matroskamux name=mux ! filesink location=$OUT "
            "audiotestsrc num-buffers=1292 ! audio/x-raw,rate=44100,channels=2 ! "
            "audioconvert ! lamemp3enc ! mpegaudioparse ! mux.",
            clip);
        if (!error.empty()) {
            std::fprintf(stderr, "cannot make the clip: %s\n", error.c_str());
            return 1;
        }
    }

    const std::vector<double> keyframes = {4, 10, 16, 2, 22, 8, 26, 14};
    const std::vector<double> between = {4.52, 10.96, 16.28, 2.76, 22.4, 8.84, 26.12, 14.64};
    std::vector<double> ourKey, binKey, ourExact, binExact, ourAtKey, binAtKey, ourKeyToSink,
        ourExactToSink;
    {
        Player player(clip);
        PlaybinPlayer playbin(clip);
        if (!player.ok()) {
            std::fprintf(stderr, "the player did not open the clip\n");
            return 1;
        }
        for (int round = 0; round < 5; ++round) {
            for (size_t i = 0; i < keyframes.size(); ++i) {
                double toSink = 0;
                ourKey.push_back(player.Seek(between[i], true, &toSink));
                ourKeyToSink.push_back(toSink);
                binKey.push_back(playbin.Seek(between[i], true));
                ourExact.push_back(player.Seek(between[(i + 3) % between.size()], false, &toSink));
                ourExactToSink.push_back(toSink);
                binExact.push_back(playbin.Seek(between[(i + 3) % between.size()], false));
                ourAtKey.push_back(player.Seek(keyframes[i], false));
                binAtKey.push_back(playbin.Seek(keyframes[i], false));
            }
        }
    }
    const auto line = [](const char* what, const char* how, const std::vector<double>& ours,
                         const std::vector<double>& playbin) {
        const double o = Median(ours), p = Median(playbin);
        std::printf("  %-26s quova %6.1f  playbin (%s) %6.1f  ratio %.2f\n", what, o, how, p,
                    p > 0 ? o / p : 0);
    };
    std::printf("seek latency, median of %zu seeks (ms)\n", ourKey.size());
    line("keyframe seeks:", "KEY_UNIT", ourKey, binKey);
    line("exact seeks:", "ACCURATE", ourExact, binExact);
    line("exact seeks to keyframes:", "ACCURATE", ourAtKey, binAtKey);
    // playbin's time ends where its sink takes the decoded picture; the
    // player's goes on to convert it for the screen and paint it.
    std::printf("up to the video sink only:\n");
    line("keyframe seeks:", "KEY_UNIT", ourKeyToSink, binKey);
    line("exact seeks:", "ACCURATE", ourExactToSink, binExact);
    if (argc <= 1) std::filesystem::remove_all(dir);
    return 0;
}

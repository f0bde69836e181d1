#include "tests/platform/engine/engine_fixture.h"

#include <gst/audio/audio.h>
#include <gst/gst.h>

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <atomic>
#include <climits>
#include <memory>
#include <vector>

#include "platform/engine/audio_renderer.h"
#include "platform/engine/video_renderer.h"

#include "tests/support/gst_media.h"

namespace quova::engine::testing {

namespace {

// The widgets and queued hand-offs need an application object.
class QtEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "test_engine";
        static char* argv[] = {name, nullptr};
        app_ = new QApplication(argc, argv);
    }
    void TearDown() override {
        delete app_;
        app_ = nullptr;
    }

  private:
    QApplication* app_ = nullptr;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

quova::testing::TempDir& Media::Dir() {
    static quova::testing::TempDir dir;
    return dir;
}

const std::filesystem::path& Media::Get(const std::string& kind) {
    static std::map<std::string, std::filesystem::path> made;
    auto it = made.find(kind);
    if (it != made.end()) return it->second;
    namespace m = quova::testing::media;
    const auto& dir = Dir();
    std::filesystem::path path;
    if (kind == "avi-pcm2")
        path = m::AviPcm(dir / "pcm2.avi", 1.0, 2);
    else if (kind == "avi-mp3")
        path = m::AviMp3(dir / "mp3.avi", 1.0);
    else if (kind == "ogg-theora")
        path = m::OggTheoraVorbis(dir / "tv.ogg", 1.0);
    else if (kind == "ogg-vorbis")
        path = m::OggVorbis(dir / "v.ogg", 1.0);
    else if (kind == "wav")
        path = m::Wav(dir / "a.wav", 1.0);
    else if (kind == "mp3-id3")
        path = m::Mp3(dir / "tagged.mp3", 1.0, true);
    else if (kind == "mp3")
        path = m::Mp3(dir / "plain.mp3", 1.0, false);
    else if (kind == "mpeg-ps")
        path = m::MpegPs(dir / "ps.mpg", 1.0);
    else if (kind == "avi-pcm2-long")
        path = m::AviPcm(dir / "pcm2long.avi", 2.0, 2);
    return made[kind] = path;
}

double Media::Seconds(const std::string& kind) {
    return kind == "avi-pcm2-long" ? 2.0 : 1.0;
}

int Media::Frames(const std::string& kind) {
    const bool video = kind.starts_with("avi") || kind == "ogg-theora" || kind == "mpeg-ps";
    return video ? static_cast<int>(25 * Seconds(kind)) : 0;
}

namespace {

// Whether a chain of connections leads from a source to `filter`: only such
// parts of a graph run.
bool FedBySource(const Filter& filter, int depth = 0) {
    if (filter.IsSource()) return true;
    for (const PinPtr& in : filter.Pins(PinDirection::Input)) {
        const PinPtr up = in->ConnectedTo();
        const FilterPtr owner = up ? up->Owner() : nullptr;
        if (owner && depth < 32 && FedBySource(*owner, depth + 1)) return true;
    }
    return false;
}

// Counts the audio that reaches each audio renderer the graph runs from now
// on, in nanoseconds of samples (from each buffer's size and format).
class AudioTap {
  public:
    explicit AudioTap(const FilterGraph& graph) {
        for (const auto& f : graph.Filters()) {
            if (!std::dynamic_pointer_cast<AudioRendererFilter>(f) || !FedBySource(*f)) continue;
            for (const PinPtr& in : f->Pins(PinDirection::Input)) {
                counts_.push_back(std::make_unique<std::atomic<std::int64_t>>(0));
                probes_.emplace_back(GST_PAD(gst_object_ref(in->pad())),
                                     gst_pad_add_probe(in->pad(), GST_PAD_PROBE_TYPE_BUFFER, Count,
                                                       counts_.back().get(), nullptr));
            }
        }
    }
    ~AudioTap() {
        for (auto [pad, id] : probes_) {
            gst_pad_remove_probe(pad, id);
            gst_object_unref(pad);
        }
    }
    // The least any renderer received (0 without audio renderers).
    double Seconds() const {
        std::int64_t least = counts_.empty() ? 0 : INT64_MAX;
        for (const auto& c : counts_) least = std::min(least, c->load());
        return least / 1e9;
    }

  private:
    static GstPadProbeReturn Count(GstPad* pad, GstPadProbeInfo* info, gpointer count) {
        GstCaps* caps = gst_pad_get_current_caps(pad);
        GstAudioInfo format;
        if (caps && gst_audio_info_from_caps(&format, caps) && format.rate > 0 && format.bpf > 0)
            *static_cast<std::atomic<std::int64_t>*>(count) +=
                static_cast<std::int64_t>(gst_buffer_get_size(GST_PAD_PROBE_INFO_BUFFER(info))) /
                format.bpf * 1'000'000'000 / format.rate;
        if (caps) gst_caps_unref(caps);
        return GST_PAD_PROBE_OK;
    }

    std::vector<std::unique_ptr<std::atomic<std::int64_t>>> counts_;
    std::vector<std::pair<GstPad*, gulong>> probes_;
};

}  // namespace

Played PlayToEnd(FilterGraph& graph) {
    Played played;
    AudioTap audio(graph);
    auto video = graph.VideoRenderer();
    const std::uint64_t framesBefore = video ? video->ReceivedFrames() : 0;
    QElapsedTimer wall;
    wall.start();
    EXPECT_EQ(graph.Run(), S_OK);
    GraphEvent e;
    played.completed = WaitForEvent(graph, EC_COMPLETE, 15000, &e);
    played.wallSeconds = wall.elapsed() / 1000.0;
    EXPECT_TRUE(played.completed) << "got event " << e.code << " "
                                  << ErrorText(static_cast<HResult>(e.param1));
    Spin(50);  // the last frame's hand-over to the UI thread
    played.frames = video ? video->ReceivedFrames() - framesBefore : 0;
    played.audioSeconds = audio.Seconds();
    played.position = graph.CurrentPosition().value;
    return played;
}

void ExpectPlayedThrough(const Played& played, const std::string& kind, double from, bool video,
                         bool audio) {
    const double seconds = Media::Seconds(kind) - std::max(from, Media::Start(kind));
    const auto frames = static_cast<std::uint64_t>(video ? Media::Frames(kind) : 0);
    // Late frames may be dropped under load, never more than the file has.
    EXPECT_GE(played.frames, frames * seconds / Media::Seconds(kind) / 2) << kind;
    EXPECT_LE(played.frames, frames) << kind;
    if (audio) {
        EXPECT_NEAR(played.audioSeconds, seconds, 0.1) << kind;
    } else {
        EXPECT_EQ(played.audioSeconds, 0.0) << kind;
    }
    EXPECT_NEAR(played.position, Media::Seconds(kind), 0.1) << kind;
    EXPECT_GT(played.wallSeconds, 0.8 * seconds) << kind;
}

void Spin(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

bool WaitUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() >= ms) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

bool WaitForEvent(FilterGraph& graph, long code, int ms, GraphEvent* got) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        auto e = graph.GetEvent(20);
        if (e.ok() && e.value.code == code) {
            if (got) *got = e.value;
            return true;
        }
        if (e.ok() && e.value.code == EC_ERRORABORT && code != EC_ERRORABORT) {
            if (got) *got = e.value;
            return false;
        }
    }
    return false;
}

PinPtr RemoveAudioRenderer(FilterGraph& graph) {
    for (const auto& f : graph.Filters()) {
        if (f->FriendlyName() != "Audio Renderer") continue;
        PinPtr fed = f->Pins(PinDirection::Input)[0]->ConnectedTo();
        EXPECT_EQ(graph.RemoveFilter(f), S_OK);
        return fed;
    }
    ADD_FAILURE() << "no audio renderer in " << FilterNames(graph);
    return nullptr;
}

std::string FilterNames(const FilterGraph& graph) {
    std::string out;
    for (const auto& f : graph.Filters()) out += (out.empty() ? "" : ", ") + f->Name();
    return out;
}

}  // namespace quova::engine::testing

// What a graph makes goes with it: GStreamer objects (elements, pads, buses,
// caps, samples, messages), the filters, and the video window's widgets.
#include <gst/gst.h>
#include <gst/gsttracer.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/engine/filter_graph.h"
#include "platform/engine/gst_init.h"
#include "platform/engine/video_renderer.h"
#include "platform/engine/video_widget.h"
#include "tests/platform/engine/engine_fixture.h"
#include "tests/support/temp_dir.h"

namespace quova::engine {
namespace {

using testing::Media;
using testing::WaitUntil;

// Every GStreamer object and mini object made while watching, until it is
// finalised. A tracer sees them all, also those of pipelines the graph keeps
// to itself. GStreamer keeps its tracers to the end of the process, so there
// is one, switched on and off.
class LiveObjects {
  public:
    static LiveObjects& Instance() {
        static LiveObjects* live = new LiveObjects;
        return *live;
    }

    void Watch() {
        std::lock_guard guard(lock_);
        live_.clear();
        watching_ = true;
    }

    int Count() {
        std::lock_guard guard(lock_);
        return static_cast<int>(live_.size());
    }

    // What is still alive of what was made since Watch(), by type.
    std::map<std::string, int> Stop() {
        std::lock_guard guard(lock_);
        watching_ = false;
        std::map<std::string, int> byType;
        for (const auto& [object, type] : live_) ++byType[type];
        live_.clear();
        return byType;
    }

  private:
    struct Tracer {
        GstTracer parent;
    };
    struct TracerClass {
        GstTracerClass parent;
    };

    LiveObjects() {
        EnsureGstInitialized();
        const GType type = g_type_register_static_simple(
            GST_TYPE_TRACER, "QuovaLiveObjectsTracer", sizeof(TracerClass), nullptr, sizeof(Tracer),
            nullptr, static_cast<GTypeFlags>(0));
        tracer_ = GST_TRACER(g_object_new(type, nullptr));
        gst_object_ref_sink(tracer_);
        gst_tracing_register_hook(tracer_, "object-created", G_CALLBACK(Created));
        gst_tracing_register_hook(tracer_, "object-destroyed", G_CALLBACK(Destroyed));
        gst_tracing_register_hook(tracer_, "mini-object-created", G_CALLBACK(MiniCreated));
        gst_tracing_register_hook(tracer_, "mini-object-destroyed", G_CALLBACK(MiniDestroyed));
    }

    void Add(const void* object, const char* type) {
        std::lock_guard guard(lock_);
        if (watching_) live_[object] = type;
    }
    void Remove(const void* object) {
        std::lock_guard guard(lock_);
        live_.erase(object);
    }

    static void Created(GstTracer*, GstClockTime, GstObject* object) {
        Instance().Add(object, G_OBJECT_TYPE_NAME(object));
    }
    static void Destroyed(GstTracer*, GstClockTime, GstObject* object) {
        Instance().Remove(object);
    }
    static void MiniCreated(GstTracer*, GstClockTime, GstMiniObject* object) {
        Instance().Add(object, g_type_name(GST_MINI_OBJECT_TYPE(object)));
    }
    static void MiniDestroyed(GstTracer*, GstClockTime, GstMiniObject* object) {
        Instance().Remove(object);
    }

    GstTracer* tracer_ = nullptr;
    std::mutex lock_;
    bool watching_ = false;
    std::map<const void*, std::string> live_;
};

std::string Describe(const std::map<std::string, int>& byType) {
    std::string out;
    for (const auto& [type, count] : byType)
        out += (out.empty() ? "" : ", ") + type + " x" + std::to_string(count);
    return out.empty() ? "nothing" : out;
}

int VideoWidgets() {
    int n = 0;
    for (QWidget* w : QApplication::allWidgets())
        if (dynamic_cast<VideoWidget*>(w)) ++n;
    return n;
}

// Renders `file`, shows its video in `owner`, and plays until the first
// picture is painted (or, without video, until the graph runs).
void RenderAndPlay(FilterGraph& graph, const std::filesystem::path& file, QWidget& owner) {
    ASSERT_TRUE(Succeeded(graph.RenderFile(file.string()))) << file;
    if (auto video = graph.VideoRenderer()) {
        video->SetOwner(&owner);
        ASSERT_EQ(graph.Run(), S_OK);
        EXPECT_TRUE(WaitUntil([&] { return video->ReceivedFrames() > 0; }));
    } else {
        ASSERT_EQ(graph.Run(), S_OK);
        EXPECT_TRUE(WaitUntil([&] { return graph.GetState(0).value == GraphState::Running; }));
    }
    WaitUntil([] { return false; }, 30);
}

// One render beforehand makes what GStreamer and Qt keep for the whole
// process (plugins, caps caches, the system clock, fonts).
void WarmUp(const std::filesystem::path& file) {
    QWidget owner;
    FilterGraph graph;
    RenderAndPlay(graph, file, owner);
}

// A streaming thread drops its task a moment after it was joined, and queued
// hand-offs of frames and bus news may still be under way: what is let go
// goes within the wait; a leak stays whatever the wait.
void ExpectNothingLeftSinceWatching() {
    WaitUntil([] { return LiveObjects::Instance().Count() == 0; }, 3000);
    const auto left = LiveObjects::Instance().Stop();
    EXPECT_TRUE(left.empty()) << "still alive: " << Describe(left);
}

class GraphLifetime : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        WarmUp(file_);
        owner_.resize(320, 240);
        widgetsBefore_ = VideoWidgets();
    }

    const std::filesystem::path& file_ = Media::Get(GetParam());
    QWidget owner_;
    int widgetsBefore_ = 0;
};

TEST_P(GraphLifetime, ADestroyedGraphLeavesNothingBehind) {
    std::weak_ptr<Filter> anyFilter;
    LiveObjects::Instance().Watch();
    {
        FilterGraph graph;
        RenderAndPlay(graph, file_, owner_);
        ASSERT_FALSE(graph.Filters().empty());
        anyFilter = graph.Filters().back();
    }
    ExpectNothingLeftSinceWatching();
    EXPECT_TRUE(anyFilter.expired());
    EXPECT_EQ(VideoWidgets(), widgetsBefore_);
}

TEST_P(GraphLifetime, AGraphEmptiedForTheNextFileKeepsNothingOfTheLast) {
    FilterGraph graph;
    // The first file makes what the graph keeps for its whole life.
    RenderAndPlay(graph, file_, owner_);
    for (const FilterPtr& f : graph.Filters()) graph.RemoveFilter(f);
    std::vector<std::weak_ptr<Filter>> filters;
    LiveObjects::Instance().Watch();
    RenderAndPlay(graph, file_, owner_);
    for (const FilterPtr& f : graph.Filters()) filters.push_back(f);
    for (const FilterPtr& f : graph.Filters()) graph.RemoveFilter(f);
    ExpectNothingLeftSinceWatching();
    for (const auto& f : filters) EXPECT_TRUE(f.expired());
    EXPECT_TRUE(graph.Filters().empty());
    EXPECT_EQ(VideoWidgets(), widgetsBefore_);
}

// Rebuilding a graph in every way the player does lets go of what was
// taken out: other streams chosen, connections broken and made again, a
// multiplexer's request pins, stepping and seeking, renders that fail.
TEST(GraphLifetimeRebuilt, RebuildingAndFailedRendersLeaveNothingBehind) {
    quova::testing::TempDir dir;
    const auto avi = Media::Get("avi-pcm2");
    const auto wav = Media::Get("wav");
    std::string noise(100000, '\0');
    for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 7919u) >> 3);
    const std::string header = quova::testing::ReadFile(avi).substr(0, 2048);
    quova::testing::WriteFile(dir / "noise.avi", noise);
    quova::testing::WriteFile(dir / "broken.avi", header + noise.substr(0, 20000));
    QWidget owner;
    owner.resize(320, 240);
    auto rebuild = [&] {
        FilterGraph graph;
        RenderAndPlay(graph, avi, owner);
        FilterPtr splitter = graph.FindFilterByName("AVI Splitter");
        ASSERT_TRUE(splitter && splitter->AsStreamSelect());
        StreamSelect* streams = splitter->AsStreamSelect();
        for (int i = streams->Count() - 1; i >= 0; --i)
            streams->Enable(i, AMSTREAMSELECTENABLE_ENABLE);
        EXPECT_EQ(graph.Step(1), S_OK);
        graph.SetCurrentPosition(0.5);
        graph.Pause();
        // The splitter's input taken away and given back: its streams are found again.
        const PinPtr input = splitter->Pins(PinDirection::Input).front();
        const PinPtr upstream = input->ConnectedTo();
        ASSERT_EQ(graph.Disconnect(input), S_OK);
        ASSERT_EQ(graph.ConnectDirect(upstream, input), S_OK);
        for (const PinPtr& out : splitter->Pins(PinDirection::Output)) graph.Render(out);
        graph.VideoRenderer()->SetOwner(&owner);
        graph.VideoRenderer()->SetOwner(nullptr);
        graph.Run();
        WaitUntil([] { return false; }, 30);
        graph.RemoveDownstream(graph.Filters().front());

        // Request pins of a multiplexer, used and released.
        ASSERT_EQ(graph.RenderFile(wav.string()), S_OK);
        FilterPtr renderer;
        for (const FilterPtr& f : graph.Filters())
            if (f->FriendlyName() == "Audio Renderer") renderer = f;
        ASSERT_TRUE(renderer);
        const PinPtr pcm = renderer->Pins(PinDirection::Input).front()->ConnectedTo();
        graph.RemoveFilter(renderer);
        FilterPtr wavDest = FilterMapper::Instance().CreateByName("WAV Dest");
        ASSERT_TRUE(wavDest);
        graph.AddFilter(wavDest, "WAV Dest");
        EXPECT_EQ(graph.Connect(pcm, wavDest->Pins(PinDirection::Input).front()), S_OK);
        graph.Disconnect(pcm);

        EXPECT_TRUE(Failed(graph.RenderFile((dir / "noise.avi").string())));
        graph.RenderFile((dir / "broken.avi").string());
        graph.Run();
        WaitUntil([] { return false; }, 30);
    };
    // The first time also makes what GStreamer keeps for the whole process
    // (the type finders, element classes).
    rebuild();
    const int widgetsBefore = VideoWidgets();
    LiveObjects::Instance().Watch();
    rebuild();
    ExpectNothingLeftSinceWatching();
    EXPECT_EQ(VideoWidgets(), widgetsBefore);
}

INSTANTIATE_TEST_SUITE_P(Media, GraphLifetime,
                         ::testing::Values("avi-pcm2", "ogg-theora", "mp3", "wav"),
                         [](const auto& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (c == '-') c = '_';
                             return name;
                         });

}  // namespace
}  // namespace quova::engine

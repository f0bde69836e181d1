#include <gtest/gtest.h>

#include <gst/gst.h>

#include <QElapsedTimer>
#include <QEvent>
#include <cmath>

#include "platform/engine/audio_renderer.h"
#include "platform/engine/filter_graph.h"
#include "platform/engine/splitter_filter.h"
#include "platform/engine/video_renderer.h"
#include "tests/platform/engine/engine_fixture.h"

namespace quova::engine {
namespace {

using testing::ExpectPlayedThrough;
using testing::Media;
using testing::PlayToEnd;
using testing::Spin;
using testing::WaitForEvent;
using testing::WaitUntil;

double Position(FilterGraph& graph) {
    return graph.CurrentPosition().value;
}

GraphState State(FilterGraph& graph) {
    return graph.GetState(1000).value;
}

// How fast media time runs against the wall clock while the graph runs.
double MediaSecondsPerSecond(FilterGraph& graph) {
    const double start = Position(graph);
    QElapsedTimer wall;
    wall.start();
    Spin(500);
    return (Position(graph) - start) / (wall.elapsed() / 1000.0);
}

// The `property` of the element made by `factory` in each audio renderer.
std::vector<double> AudioElementValues(const FilterGraph& graph, const char* factory,
                                       const char* property) {
    std::vector<double> values;
    for (const auto& f : graph.Filters()) {
        if (f->FriendlyName() != "Audio Renderer") continue;
        for (GList* c = GST_BIN_CHILDREN(GST_BIN(f->element())); c; c = c->next) {
            if (g_strcmp0(GST_OBJECT_NAME(gst_element_get_factory(GST_ELEMENT(c->data))),
                          factory) != 0)
                continue;
            GValue value = G_VALUE_INIT;
            g_value_init(&value, G_TYPE_DOUBLE);  // the property's value converted
            g_object_get_property(G_OBJECT(c->data), property, &value);
            values.push_back(g_value_get_double(&value));
        }
    }
    return values;
}

TEST(Stopping, StopKeepsThePositionAndTheLastPictureAndRunGoesOnFromThere) {
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(Media::Get("avi-pcm2-long").string()), S_OK);
    ASSERT_EQ(graph.Run(), S_OK);
    ASSERT_TRUE(WaitUntil([&] { return Position(graph) >= 0.5; }));
    ASSERT_EQ(graph.Stop(), S_OK);
    EXPECT_EQ(State(graph), GraphState::Stopped);
    const double stoppedAt = Position(graph);
    EXPECT_GT(stoppedAt, 0.0);
    Spin(300);
    EXPECT_NEAR(Position(graph), stoppedAt, 0.001) << "a stopped graph does not move";
    auto video = graph.VideoRenderer();
    ASSERT_TRUE(video);
    EXPECT_FALSE(video->CurrentImage().isNull()) << "the last picture stays";

    // Run goes on from where it stopped.
    ExpectPlayedThrough(PlayToEnd(graph), "avi-pcm2-long", stoppedAt);
    graph.Stop();
    EXPECT_NEAR(Position(graph), graph.Duration().value, 0.1);
}

TEST(Stopping, PositionsSetWhileStoppedAreWhereTheNextPauseStarts) {
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(Media::Get("avi-pcm2-long").string()), S_OK);
    // Before anything ran.
    ASSERT_EQ(graph.SetCurrentPosition(1.0), S_OK);
    EXPECT_NEAR(Position(graph), 1.0, 0.001);
    ASSERT_EQ(graph.Pause(), S_OK);
    EXPECT_NEAR(Position(graph), 1.0, 0.05);
    // After a stop.
    ASSERT_EQ(graph.Stop(), S_OK);
    ASSERT_EQ(graph.SetCurrentPosition(1.5), S_OK);
    EXPECT_EQ(State(graph), GraphState::Stopped);
    EXPECT_NEAR(Position(graph), 1.5, 0.05);
    ASSERT_TRUE(Succeeded(graph.StopWhenReady()));
    EXPECT_EQ(State(graph), GraphState::Stopped);
    EXPECT_NEAR(Position(graph), 1.5, 0.05);
    ExpectPlayedThrough(PlayToEnd(graph), "avi-pcm2-long", 1.5);
    // At the end, a rewind plays it all again.
    graph.Stop();
    ASSERT_EQ(graph.SetPositions(0, AM_SEEKING_AbsolutePositioning, 0, AM_SEEKING_NoPositioning),
              S_OK);
    EXPECT_NEAR(Position(graph), 0.0, 0.05);
    ExpectPlayedThrough(PlayToEnd(graph), "avi-pcm2-long");
    EXPECT_EQ(graph.SetCurrentPosition(std::nan("")), E_INVALIDARG);
    EXPECT_EQ(graph.SetCurrentPosition(INFINITY), E_INVALIDARG);
    EXPECT_NEAR(Position(graph), 2.0, 0.1) << "a refused position moves nothing";
}

TEST(Positioning, RelativeSeeksAndAStopPositionEndThePlayThere) {
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(Media::Get("avi-pcm2-long").string()), S_OK);
    ASSERT_EQ(graph.SetCurrentPosition(0.5), S_OK);
    ASSERT_EQ(graph.Pause(), S_OK);
    const std::int64_t quarter = kUnitsPerSecond / 4;
    ASSERT_EQ(graph.SetPositions(2 * quarter, AM_SEEKING_RelativePositioning, 0,
                                 AM_SEEKING_NoPositioning),
              S_OK);
    EXPECT_NEAR(Position(graph), 1.0, 0.05);
    ASSERT_EQ(
        graph.SetPositions(-quarter, AM_SEEKING_RelativePositioning, 0, AM_SEEKING_NoPositioning),
        S_OK);
    EXPECT_NEAR(Position(graph), 0.75, 0.05);
    // Stop at 1.5 s: the play ends there, with what lies between.
    ASSERT_EQ(graph.SetPositions(0, AM_SEEKING_NoPositioning, 6 * quarter,
                                 AM_SEEKING_AbsolutePositioning),
              S_OK);
    const testing::Played played = PlayToEnd(graph);
    EXPECT_NEAR(played.position, 1.5, 0.1);
    EXPECT_NEAR(played.audioSeconds, 0.75, 0.1);
    EXPECT_GT(played.wallSeconds, 0.6);
}

TEST(Positioning, DurationAndFrameTimeFormat) {
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(Media::Get("avi-pcm2").string()), S_OK);
    ASSERT_EQ(graph.Stop(), S_OK);
    EXPECT_NEAR(graph.Duration().value, 1.0, 0.05);
    EXPECT_EQ(graph.TimeFormat(), TIME_FORMAT_MEDIA_TIME);
    EXPECT_EQ(graph.IsFormatSupported(TIME_FORMAT_FRAME), S_OK);
    EXPECT_EQ(graph.IsFormatSupported(TIME_FORMAT_BYTE), S_FALSE);
    ASSERT_EQ(graph.SetTimeFormat(TIME_FORMAT_FRAME), S_OK);
    EXPECT_NEAR(static_cast<double>(graph.GetDuration().value), 25, 1);
    EXPECT_EQ(graph.ConvertTimeFormat(25, TIME_FORMAT_MEDIA_TIME, TIME_FORMAT_FRAME).value,
              kUnitsPerSecond);
    EXPECT_EQ(
        graph.ConvertTimeFormat(kUnitsPerSecond / 2, TIME_FORMAT_FRAME, TIME_FORMAT_MEDIA_TIME)
            .value,
        12);
    ASSERT_EQ(graph.SetPositions(10, AM_SEEKING_AbsolutePositioning, 0, AM_SEEKING_NoPositioning),
              S_OK);
    EXPECT_NEAR(static_cast<double>(graph.GetCurrentPosition().value), 10, 1);
    EXPECT_NEAR(Position(graph), 0.4, 0.05);
    ASSERT_EQ(graph.Run(), S_OK);
    EXPECT_EQ(graph.SetTimeFormat(TIME_FORMAT_MEDIA_TIME), VFW_E_WRONG_STATE);
    graph.Stop();
    EXPECT_EQ(graph.SetTimeFormat(TIME_FORMAT_MEDIA_TIME), S_OK);

    FilterGraph audioOnly;
    ASSERT_EQ(audioOnly.RenderFile(Media::Get("wav").string()), S_OK);
    EXPECT_EQ(audioOnly.SetTimeFormat(TIME_FORMAT_FRAME), E_INVALIDARG);
}

TEST(Rate, MediaTimeRunsAtTheRateAgainstTheWallClock) {
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(Media::Get("avi-pcm2-long").string()), S_OK);
    EXPECT_EQ(graph.SetRate(0.05), E_INVALIDARG);
    EXPECT_EQ(graph.SetRate(4.5), E_INVALIDARG);
    EXPECT_EQ(graph.Rate(), 1.0);
    ASSERT_EQ(graph.SetRate(2.0), S_OK);
    ASSERT_EQ(graph.Run(), S_OK);
    ASSERT_TRUE(WaitUntil([&] { return Position(graph) >= 0.1; }));
    EXPECT_NEAR(MediaSecondsPerSecond(graph), 2.0, 0.5);
    ASSERT_EQ(graph.SetRate(0.5), S_OK) << "while running";
    EXPECT_EQ(graph.Rate(), 0.5);
    Spin(100);
    EXPECT_NEAR(MediaSecondsPerSecond(graph), 0.5, 0.2);
    EXPECT_TRUE(WaitForEvent(graph, EC_COMPLETE, 15000));
}

TEST(FrameStep, StepsFramesWhilePaused) {
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(Media::Get("avi-pcm2").string()), S_OK);
    ASSERT_EQ(graph.CanStep(1), S_OK);
    ASSERT_EQ(graph.Pause(), S_OK);
    auto video = graph.VideoRenderer();
    const double before = Position(graph);
    ASSERT_EQ(graph.Step(1), S_OK);
    ASSERT_TRUE(WaitForEvent(graph, EC_STEP_COMPLETE, 5000));
    EXPECT_EQ(State(graph), GraphState::Paused);
    const double after = Position(graph);
    EXPECT_NEAR(after - before, 0.04, 0.021);
    ASSERT_EQ(graph.Step(3), S_OK);
    ASSERT_TRUE(WaitForEvent(graph, EC_STEP_COMPLETE, 5000));
    EXPECT_NEAR(Position(graph) - after, 0.12, 0.021);
    EXPECT_EQ(graph.Step(0), E_INVALIDARG);

    FilterGraph audioOnly;
    ASSERT_EQ(audioOnly.RenderFile(Media::Get("wav").string()), S_OK);
    EXPECT_EQ(audioOnly.CanStep(1), S_FALSE);
    EXPECT_EQ(audioOnly.Step(1), VFW_E_FRAME_STEP_UNSUPPORTED);
}

TEST(Audio, VolumeInHundredthsOfADecibelAndBalance) {
    EXPECT_DOUBLE_EQ(AmplitudeFromLevel(0), 1.0);
    EXPECT_DOUBLE_EQ(AmplitudeFromLevel(-10000), 0.0);
    EXPECT_NEAR(AmplitudeFromLevel(-2000), 0.1, 1e-12);
    EXPECT_NEAR(AmplitudeFromLevel(-602), 0.5, 0.001);

    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(Media::Get("wav").string()), S_OK);
    ASSERT_TRUE(graph.HasAudio());
    EXPECT_EQ(graph.Volume().value, 0);
    EXPECT_EQ(graph.SetVolume(-602), S_OK);
    EXPECT_EQ(graph.Volume().value, -602);
    EXPECT_NEAR(AudioElementValues(graph, "volume", "volume").at(0), 0.5, 0.001);
    EXPECT_EQ(graph.SetVolume(1), E_INVALIDARG);
    EXPECT_EQ(graph.SetVolume(-10001), E_INVALIDARG);
    EXPECT_EQ(graph.SetVolume(-10000), S_OK);
    EXPECT_EQ(AudioElementValues(graph, "volume", "volume"), std::vector<double>{0.0});
    // The far side loses 25 dB: 10^(-25/20) of it is left.
    EXPECT_EQ(graph.SetBalance(2500), S_OK);
    EXPECT_EQ(graph.Balance().value, 2500);
    EXPECT_NEAR(AudioElementValues(graph, "audiopanorama", "panorama").at(0),
                1.0 - std::pow(10.0, -25.0 / 20), 1e-6);
    EXPECT_EQ(graph.SetBalance(-10000), S_OK);
    EXPECT_EQ(AudioElementValues(graph, "audiopanorama", "panorama"), std::vector<double>{-1.0});
    EXPECT_EQ(graph.SetBalance(10001), E_INVALIDARG);
    // Silent audio still plays in time.
    ExpectPlayedThrough(PlayToEnd(graph), "wav");

    // Without an audio renderer there is no volume to set.
    FilterGraph videoOnly;
    ASSERT_EQ(videoOnly.RenderFile(Media::Get("avi-pcm2").string()), S_OK);
    for (const auto& f : videoOnly.Filters())
        if (f->FriendlyName() == "Audio Renderer") videoOnly.RemoveFilter(f);
    EXPECT_FALSE(videoOnly.HasAudio());
    EXPECT_EQ(videoOnly.SetVolume(0), E_NOTIMPL);
    EXPECT_EQ(videoOnly.Volume().hr, E_NOTIMPL);
}

TEST(ConnectionChanges, AudioStreamDisconnectedAndReconnectedWhilePausedResumesInPlace) {
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(Media::Get("avi-pcm2-long").string()), S_OK);
    FilterPtr splitter = graph.FindFilterByName("AVI Splitter");
    PinPtr stream = splitter->FindPin("audio_0");
    ASSERT_TRUE(stream && stream->IsConnected());
    PinPtr peer = stream->ConnectedTo();
    ASSERT_EQ(graph.Run(), S_OK);
    ASSERT_TRUE(WaitUntil([&] { return Position(graph) >= 0.5; }));
    ASSERT_EQ(graph.Pause(), S_OK);
    const double pausedAt = Position(graph);

    ASSERT_EQ(stream->Disconnect(), S_OK);
    EXPECT_FALSE(peer->IsConnected());
    EXPECT_EQ(State(graph), GraphState::Paused);
    EXPECT_NEAR(Position(graph), pausedAt, 0.05);
    ASSERT_EQ(graph.Pause(), S_OK);
    EXPECT_NEAR(Position(graph), pausedAt, 0.05);

    ASSERT_EQ(peer->ConnectDirect(stream), S_OK);
    EXPECT_EQ(stream->ConnectedTo(), peer);
    ASSERT_EQ(graph.Pause(), S_OK);
    EXPECT_NEAR(Position(graph), pausedAt, 0.05);
    ExpectPlayedThrough(PlayToEnd(graph), "avi-pcm2-long", pausedAt);
}

TEST(ConnectionChanges, BypassingVideoWhilePausedResumesInPlace) {
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(Media::Get("ogg-theora").string()), S_OK);
    ASSERT_EQ(graph.Run(), S_OK);
    ASSERT_TRUE(WaitUntil([&] { return Position(graph) >= 0.3; }));
    ASSERT_EQ(graph.Pause(), S_OK);
    const double pausedAt = Position(graph);
    ASSERT_LT(pausedAt, 0.7) << "paused on the way, with the rest to play";
    // Every filter that takes video leaves; the splitter's video pin stays free.
    std::vector<FilterPtr> video;
    for (const auto& f : graph.Filters())
        for (const PinPtr& p : f->Pins(PinDirection::Input))
            if (p->IsConnected() && p->ConnectionMediaType().value.IsVideo()) video.push_back(f);
    ASSERT_GE(video.size(), 2u) << "decoder and renderer";
    for (const auto& f : video) ASSERT_EQ(graph.RemoveFilter(f), S_OK);
    EXPECT_FALSE(graph.VideoRenderer());
    EXPECT_EQ(State(graph), GraphState::Paused);
    ExpectPlayedThrough(PlayToEnd(graph), "ogg-theora", pausedAt, false);
}

TEST(ConnectionChanges, AviSplitterSwitchesFromOneAudioStreamToTheOther) {
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(Media::Get("avi-pcm2").string()), S_OK);
    StreamSelect* select = graph.FindFilterByName("AVI Splitter")->AsStreamSelect();
    ASSERT_TRUE(select);
    std::vector<int> audio;
    for (int i = 0; i < select->Count(); ++i)
        if (select->Info(i).value.mediaType.IsAudio()) audio.push_back(i);
    ASSERT_EQ(audio.size(), 2u);
    auto enabled = [&] {
        return std::pair{select->Info(audio[0]).value.enabled,
                         select->Info(audio[1]).value.enabled};
    };
    ASSERT_EQ(select->Enable(audio[1], 0), S_OK);
    EXPECT_EQ(enabled(), std::pair(true, false));
    ASSERT_EQ(select->Enable(audio[1], AMSTREAMSELECTENABLE_ENABLE), S_OK);
    EXPECT_EQ(enabled(), std::pair(false, true)) << "the second takes the first one's place";
    ExpectPlayedThrough(PlayToEnd(graph), "avi-pcm2");
    graph.Stop();
    ASSERT_EQ(select->Enable(audio[0], AMSTREAMSELECTENABLE_ENABLE), S_OK);
    EXPECT_EQ(enabled(), std::pair(true, false));
}

TEST(ConnectionChanges, OggSplitterSelectsAmongItsStreams) {
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(Media::Get("ogg-theora").string()), S_OK);
    FilterPtr splitter = graph.FindFilterByName("Ogg Splitter");
    ASSERT_TRUE(splitter);
    StreamSelect* select = splitter->AsStreamSelect();
    ASSERT_TRUE(select);
    ASSERT_EQ(select->Count(), 2);
    int audio = -1;
    for (int i = 0; i < select->Count(); ++i) {
        auto info = select->Info(i);
        ASSERT_TRUE(info.ok());
        EXPECT_TRUE(info.value.enabled);
        if (info.value.mediaType.IsAudio()) audio = i;
    }
    ASSERT_GE(audio, 0);
    EXPECT_EQ(select->Info(audio).value.mediaType.subType, MEDIASUBTYPE_Vorbis);
    EXPECT_EQ(select->Info(5).hr, E_INVALIDARG);
    EXPECT_EQ(select->Enable(audio, AMSTREAMSELECTENABLE_ENABLE), S_OK);
    EXPECT_EQ(select->Enable(audio, 0), S_OK);
    EXPECT_FALSE(select->Info(audio).value.enabled);
    EXPECT_EQ(select->Enable(audio, AMSTREAMSELECTENABLE_ENABLE), S_OK);
    EXPECT_TRUE(select->Info(audio).value.enabled);
    ExpectPlayedThrough(PlayToEnd(graph), "ogg-theora");
}

TEST(Running, APipelineThatPrerollsButRefusesToPlayFailsTheRunAndStaysPaused) {
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(Media::Get("wav").string()), S_OK);
    PinPtr pcm = testing::RemoveAudioRenderer(graph);
    ASSERT_TRUE(pcm);
    // A sink that prerolls like any other but refuses to play, as a device
    // taken by another program does.
    FilterInfo info;
    info.friendlyName = "Refusing sink";
    GstElement* refusing = gst_element_factory_make("fakesink", nullptr);
    gst_util_set_object_arg(G_OBJECT(refusing), "state-error", "paused-to-playing");
    auto sink = std::make_shared<Filter>(info, refusing);
    sink->CreatePins();
    ASSERT_TRUE(Succeeded(graph.AddFilter(sink, "sink")));
    ASSERT_EQ(graph.ConnectDirect(pcm, sink->Pins(PinDirection::Input)[0]), S_OK);
    ASSERT_EQ(graph.Pause(), S_OK);
    const HResult hr = graph.Run();
    EXPECT_TRUE(Failed(hr)) << ErrorText(hr);
    EXPECT_EQ(State(graph), GraphState::Paused);
}

// A sink whose streaming thread is held before the first buffer: the pipeline
// never prerolls until `Release`, as a damaged file that yields no frame.
class HeldSink {
  public:
    explicit HeldSink(FilterGraph& graph) {
        PinPtr pcm = testing::RemoveAudioRenderer(graph);
        FilterInfo info;
        info.friendlyName = "Held sink";
        GstElement* sink = gst_element_factory_make("fakesink", nullptr);
        GstPad* pad = gst_element_get_static_pad(sink, "sink");
        probe_ = gst_pad_add_probe(
            pad, static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BLOCK | GST_PAD_PROBE_TYPE_BUFFER),
            [](GstPad*, GstPadProbeInfo*, gpointer) { return GST_PAD_PROBE_OK; }, nullptr, nullptr);
        pad_ = pad;
        filter_ = std::make_shared<Filter>(info, sink);
        filter_->CreatePins();
        ok_ = pcm && Succeeded(graph.AddFilter(filter_, "held")) &&
              graph.ConnectDirect(pcm, filter_->Pins(PinDirection::Input)[0]) == S_OK;
    }
    ~HeldSink() { gst_object_unref(pad_); }
    bool ok() const { return ok_; }
    void Release() {
        if (probe_) gst_pad_remove_probe(pad_, probe_);
        probe_ = 0;
    }

  private:
    FilterPtr filter_;
    GstPad* pad_ = nullptr;
    gulong probe_ = 0;
    bool ok_ = false;
};

// The first call that finds the pipeline unsettled waits for it within the
// bound; every later one finds it stalled and asks without waiting, until it
// settles. Counted, not timed.
TEST(Running, AStalledPipelineCostsOneBoundedWaitNotOnePerCall) {
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(Media::Get("wav").string()), S_OK);
    HeldSink held(graph);
    ASSERT_TRUE(held.ok());
    EXPECT_EQ(graph.Pause(), VFW_S_STATE_INTERMEDIATE);
    EXPECT_EQ(graph.ExpiredWaits(), 1);
    graph.Run();
    graph.Pause();
    graph.Stop();
    graph.SetCurrentPosition(0.5);
    graph.StopWhenReady();
    graph.Run();
    graph.Stop();
    EXPECT_EQ(graph.ExpiredWaits(), 1) << "later calls waited again";
    // Once it settles, the calls find it settled.
    held.Release();
    ASSERT_TRUE(WaitUntil([&] { return graph.GetState(0).hr == S_OK; }));
    EXPECT_EQ(graph.Pause(), S_OK);
    EXPECT_EQ(graph.ExpiredWaits(), 1);
}

class EventCounter : public QObject {
  public:
    static QEvent::Type Type() {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }
    int count = 0;

  protected:
    bool event(QEvent* e) override {
        if (e->type() != Type()) return QObject::event(e);
        ++count;
        return true;
    }
};

TEST(Events, ArrivalsArePostedToTheUiThreadWindow) {
    FilterGraph graph;
    EventCounter window;
    graph.Events().SetNotifyWindow(&window, EventCounter::Type());
    ASSERT_EQ(graph.RenderFile(Media::Get("ogg-vorbis").string()), S_OK);
    ASSERT_EQ(graph.Run(), S_OK);
    ASSERT_TRUE(WaitUntil([&] { return window.count > 0; }));
    auto e = graph.GetEvent(0);
    ASSERT_TRUE(e.ok());
    EXPECT_EQ(e.value.code, EC_COMPLETE);
    EXPECT_EQ(graph.GetEvent(0).hr, E_ABORT) << "an empty queue";
    graph.Events().SetNotifyWindow(nullptr, QEvent::None);
}

}  // namespace
}  // namespace quova::engine

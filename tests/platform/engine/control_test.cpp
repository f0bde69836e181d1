#include <gtest/gtest.h>

#include <QEvent>

#include "platform/engine/audio_renderer.h"
#include "platform/engine/filter_graph.h"
#include "platform/engine/splitter_filter.h"
#include "platform/engine/video_renderer.h"
#include "tests/platform/engine/engine_fixture.h"

namespace quova::engine {
namespace {

using testing::Media;
using testing::Spin;
using testing::WaitForEvent;
using testing::WaitUntil;

double Position(FilterGraph& graph) {
    return graph.CurrentPosition().value;
}

GraphState State(FilterGraph& graph) {
    return graph.GetState(1000).value;
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

    ASSERT_EQ(graph.Run(), S_OK);
    Spin(100);
    EXPECT_GE(Position(graph), stoppedAt - 0.001) << "run goes on from where it stopped";
    EXPECT_TRUE(WaitForEvent(graph, EC_COMPLETE, 15000));
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
    ASSERT_EQ(graph.Run(), S_OK);
    EXPECT_TRUE(WaitForEvent(graph, EC_COMPLETE, 15000));
    // At the end, a rewind plays it all again.
    graph.Stop();
    ASSERT_EQ(graph.SetPositions(0, AM_SEEKING_AbsolutePositioning, 0, AM_SEEKING_NoPositioning),
              S_OK);
    EXPECT_NEAR(Position(graph), 0.0, 0.05);
    ASSERT_EQ(graph.Run(), S_OK);
    EXPECT_TRUE(WaitForEvent(graph, EC_COMPLETE, 15000));
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

TEST(Rate, AcceptsOneTenthToFourAndPlaysToTheEnd) {
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(Media::Get("avi-pcm2").string()), S_OK);
    EXPECT_EQ(graph.SetRate(0.05), E_INVALIDARG);
    EXPECT_EQ(graph.SetRate(4.5), E_INVALIDARG);
    EXPECT_EQ(graph.Rate(), 1.0);
    ASSERT_EQ(graph.SetRate(2.0), S_OK);
    ASSERT_EQ(graph.Run(), S_OK);
    Spin(150);
    ASSERT_EQ(graph.SetRate(1.5), S_OK) << "while running";
    EXPECT_EQ(graph.Rate(), 1.5);
    EXPECT_TRUE(WaitForEvent(graph, EC_COMPLETE, 15000));
}

TEST(FrameStep, StepsOneFrameWhilePaused) {
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
    EXPECT_EQ(graph.SetVolume(1), E_INVALIDARG);
    EXPECT_EQ(graph.SetVolume(-10001), E_INVALIDARG);
    EXPECT_EQ(graph.SetVolume(-10000), S_OK);
    EXPECT_EQ(graph.SetBalance(2500), S_OK);
    EXPECT_EQ(graph.Balance().value, 2500);
    EXPECT_EQ(graph.SetBalance(10001), E_INVALIDARG);
    ASSERT_EQ(graph.Run(), S_OK);
    EXPECT_TRUE(WaitForEvent(graph, EC_COMPLETE, 15000)) << "silent audio still plays in time";

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
    ASSERT_EQ(graph.Run(), S_OK);
    Spin(100);
    EXPECT_GE(Position(graph), pausedAt - 0.05);
    EXPECT_TRUE(WaitForEvent(graph, EC_COMPLETE, 15000));
}

TEST(ConnectionChanges, BypassingVideoWhilePausedResumesInPlace) {
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(Media::Get("ogg-theora").string()), S_OK);
    ASSERT_EQ(graph.Run(), S_OK);
    ASSERT_TRUE(WaitUntil([&] { return Position(graph) >= 0.3; }));
    ASSERT_EQ(graph.Pause(), S_OK);
    const double pausedAt = Position(graph);
    // Every filter that takes video leaves; the splitter's video pin stays free.
    std::vector<FilterPtr> video;
    for (const auto& f : graph.Filters())
        for (const PinPtr& p : f->Pins(PinDirection::Input))
            if (p->IsConnected() && p->ConnectionMediaType().value.IsVideo()) video.push_back(f);
    ASSERT_GE(video.size(), 2u) << "decoder and renderer";
    for (const auto& f : video) ASSERT_EQ(graph.RemoveFilter(f), S_OK);
    EXPECT_FALSE(graph.VideoRenderer());
    EXPECT_EQ(State(graph), GraphState::Paused);
    ASSERT_EQ(graph.Run(), S_OK);
    Spin(50);
    EXPECT_GE(Position(graph), pausedAt - 0.05);
    EXPECT_TRUE(WaitForEvent(graph, EC_COMPLETE, 15000));
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
    ASSERT_EQ(graph.Run(), S_OK);
    EXPECT_TRUE(WaitForEvent(graph, EC_COMPLETE, 15000));
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

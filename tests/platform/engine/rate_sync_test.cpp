// At every rate the player offers (0.25 to 2.0) the picture, the sound and
// the position move together, on every container the tests make: what
// reaches the renderers is compared with the wall clock and with each other.
#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <string>
#include <tuple>

#include "platform/engine/audio_renderer.h"
#include "platform/engine/filter_graph.h"
#include "platform/engine/video_renderer.h"
#include "tests/platform/engine/playback_support.h"

namespace quova::engine {
namespace {

using playback::Generated;
using playback::PumpUntil;
using playback::StreamTap;

class RateSync : public ::testing::TestWithParam<std::tuple<std::string, double>> {};

TEST_P(RateSync, PictureSoundAndPositionAdvanceAtTheRate) {
    const auto& [kind, rate] = GetParam();
    playback::EnsureApplication();
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(Generated(kind).string()), S_OK);
    auto audio = playback::Find<AudioRendererFilter>(graph);
    auto video = graph.VideoRenderer();
    ASSERT_TRUE(audio && video);
    StreamTap heard(audio), seen(video);
    ASSERT_EQ(graph.Run(), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return graph.CurrentPosition().value >= 0.3; }));
    // As the player's quicker and slower commands do: while running.
    ASSERT_EQ(graph.SetRate(rate), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return heard.Last() >= 0 && seen.Last() >= 0; }));
    PumpUntil([] { return false; }, 200);  // past the rate change

    QElapsedTimer wall;
    wall.start();
    const double position0 = graph.CurrentPosition().value;
    const double sound0 = heard.Last();
    const double picture0 = seen.Last();
    // About 1.2 s of media: enough to tell the rates apart, short of the end.
    const int spanMs = static_cast<int>(1200 / rate);
    PumpUntil([&] { return wall.elapsed() >= spanMs; }, spanMs + 100);
    const double seconds = wall.elapsed() / 1000.0;
    const double position = graph.CurrentPosition().value;
    const double sound = heard.Last();
    const double picture = seen.Last();

    EXPECT_NEAR((position - position0) / seconds, rate, 0.3 * rate) << "position";
    EXPECT_NEAR((sound - sound0) / seconds, rate, 0.3 * rate) << "sound";
    EXPECT_NEAR((picture - picture0) / seconds, rate, 0.3 * rate) << "picture";
    EXPECT_NEAR(sound, picture, 0.3) << "picture and sound together";
    EXPECT_NEAR(position, picture, 0.4) << "the position shows what is seen";
    graph.Stop();
}

std::string Name(const ::testing::TestParamInfo<RateSync::ParamType>& info) {
    std::string name = std::get<0>(info.param) + "_x" +
                       std::to_string(static_cast<int>(std::get<1>(info.param) * 100));
    for (char& c : name)
        if (c == '-') c = '_';
    return name;
}

// PCM straight from the AVI splitter carries decode times as well, which the
// tempo element does not rescale: its sound kept to normal speed.
INSTANTIATE_TEST_SUITE_P(Containers, RateSync,
                         ::testing::Combine(::testing::Values("avi-pcm-3s", "avi-mp3-3s", "ogg-3s",
                                                              "mkv-h264-3s", "mpeg-ps-3s"),
                                            ::testing::Values(2.0, 0.5)),
                         Name);
INSTANTIATE_TEST_SUITE_P(Slowest, RateSync,
                         ::testing::Values(std::make_tuple(std::string("ogg-3s"), 0.25),
                                           std::make_tuple(std::string("avi-pcm-3s"), 0.25)),
                         Name);

}  // namespace
}  // namespace quova::engine

// Transcoding a file to OGM: the "Ogg Multiplexer" carries the file's
// compressed video unchanged beside the new Vorbis audio, in the stream-header
// form the player's own Ogg reader reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "mediainfo/avi_info.h"
#include "mediainfo/ogg_info.h"
#include "platform/engine/filter_graph.h"
#include "platform/engine/filter_mapper.h"
#include "platform/engine/video_renderer.h"
#include "tests/platform/engine/audio_tap.h"
#include "tests/support/temp_dir.h"

namespace quova::engine {
namespace {

using testing::TestMedium;

FilterPtr AddNamed(FilterGraph& graph, const std::string& name) {
    FilterPtr f = FilterMapper::Instance().CreateByName(name);
    if (f && Failed(graph.AddFilter(f, name))) return nullptr;
    return f;
}

PinPtr VideoOutput(const FilterGraph& graph) {
    for (const FilterPtr& f : graph.Filters())
        for (const PinPtr& p : f->Pins(PinDirection::Output))
            for (const MediaType& t : p->MediaTypes())
                if (t.IsVideo()) return p;
    return nullptr;
}

// The transcoding graph as the player builds it: PCM to the Vorbis encoder,
// into the multiplexer; the video's decoder and renderer removed and the
// splitter's video pin connected to a free input of the multiplexer.
struct Transcode {
    FilterGraph graph;
    FilterPtr mux;
    HResult videoConnected = E_FAIL;
};

void Build(Transcode& t, const std::filesystem::path& medium, const std::filesystem::path& out) {
    FilterGraph& graph = t.graph;
    ASSERT_EQ(graph.RenderFile(medium.string()), S_OK);
    PinPtr pcm;
    FilterPtr renderer;
    for (const FilterPtr& f : graph.Filters()) {
        for (const PinPtr& p : f->Pins(PinDirection::Output))
            for (const MediaType& type : p->MediaTypes())
                if (type.IsAudio() && type.subType == MEDIASUBTYPE_PCM) pcm = p;
        if (f->Info().named == NamedFilter::AudioRenderer) renderer = f;
    }
    ASSERT_TRUE(pcm && renderer);
    ASSERT_EQ(graph.RemoveDownstream(renderer), S_OK);
    auto encoders = FilterMapper::Instance().EnumMatchingFilters(
        true, 0, true, {{MEDIATYPE_Audio, MEDIASUBTYPE_PCM}, {MEDIATYPE_Audio, GUID_NULL}}, false,
        {{MEDIATYPE_Audio, MEDIASUBTYPE_Vorbis}});
    ASSERT_FALSE(encoders.empty());
    FilterPtr encoder = AddNamed(graph, encoders.front()->friendlyName);
    ASSERT_TRUE(encoder);
    ASSERT_EQ(graph.Connect(pcm, encoder->Pins(PinDirection::Input).front()), S_OK);
    t.mux = AddNamed(graph, "Ogg Multiplexer");
    ASSERT_TRUE(t.mux);
    bool audio = false;
    for (const PinPtr& in : t.mux->Pins(PinDirection::Input))
        if ((audio = Succeeded(graph.Connect(encoder->Pins(PinDirection::Output).front(), in))))
            break;
    ASSERT_TRUE(audio);
    // Bypass the video: every filter whose input carries it.
    std::set<std::string> video;
    for (const FilterPtr& f : graph.Filters())
        for (const PinPtr& p : f->Pins(PinDirection::Input))
            if (p->IsConnected() && p->ConnectionMediaType().value.IsVideo())
                video.insert(f->Name());
    for (const std::string& name : video)
        ASSERT_EQ(graph.RemoveFilter(graph.FindFilterByName(name)), S_OK);
    PinPtr compressed = VideoOutput(graph);
    ASSERT_TRUE(compressed);
    for (const PinPtr& in : t.mux->Pins(PinDirection::Input)) {
        if (in->IsConnected()) continue;
        t.videoConnected = graph.Connect(compressed, in);
        if (Succeeded(t.videoConnected)) break;
    }
    FilterPtr writer = AddNamed(graph, "File writer");
    ASSERT_TRUE(writer);
    ASSERT_EQ(writer->AsFileSink()->SetFileName(out.string()), S_OK);
    ASSERT_EQ(graph.ConnectDirect(t.mux->Pins(PinDirection::Output).front(),
                                  writer->Pins(PinDirection::Input).front()),
              S_OK);
}

class OgmVideo : public ::testing::TestWithParam<const char*> {};

TEST_P(OgmVideo, TheOgmHoldsTheVideoStreamBesideTheVorbisAudio) {
    testing::EnsureQtApplication();
    quova::testing::TempDir dir;
    const auto out = dir / "out.ogm";
    Transcode t;
    const auto medium = TestMedium(GetParam());
    // What the source file says of its video, by the player's AVI reader.
    const AviInfo avi = ReadAviInfo(medium);
    ASSERT_EQ(avi.figures.video.size(), 1u);
    const VideoStreamFigures& source = avi.figures.video.front();
    Build(t, medium, out);
    if (HasFailure()) return;
    ASSERT_EQ(t.videoConnected, S_OK) << ErrorText(t.videoConnected);
    ASSERT_TRUE(testing::PlayToCompletion(t.graph));
    t.graph.Stop();

    const OggInfo info = ReadOggInfo(out);
    ASSERT_FALSE(info.Failed()) << info.error;
    ASSERT_EQ(info.streams.size(), 2u);
    const OggStream* video = nullptr;
    const OggStream* vorbis = nullptr;
    for (const OggStream& s : info.streams) {
        if (s.type == "video") video = &s;
        if (s.type == "vorbis") vorbis = &s;
    }
    ASSERT_TRUE(video && vorbis);
    EXPECT_EQ(video->subtype, source.compression);
    EXPECT_EQ(static_cast<int>(video->width), source.width);
    EXPECT_EQ(static_cast<int>(video->height), source.height);
    EXPECT_EQ(vorbis->sampleRate, 44100u);
    EXPECT_NEAR(info.duration, 2.0, 0.1);
    // Every frame a packet.
    EXPECT_EQ(info.figures.totalFrames, avi.figures.totalFrames);
    EXPECT_GT(video->dataBytes, 50u * 100);

    // And GStreamer's own Ogg reading finds the video in it again.
    FilterGraph check;
    ASSERT_EQ(check.RenderFile(out.string()), S_OK);
    EXPECT_TRUE(check.VideoRenderer());
    EXPECT_TRUE(check.HasAudio());
}

INSTANTIATE_TEST_SUITE_P(Codecs, OgmVideo, ::testing::Values("avi-mjpeg", "avi-h264", "avi-mpeg4"),
                         [](const auto& info) { return testing::ParamName(info.param); });

// Raw video has no code in an OGM file: the multiplexer refuses it at the
// connection, so that no file goes out without its picture in silence.
TEST(OgmVideo, VideoItCannotCarryIsRefusedAtConnection) {
    testing::EnsureQtApplication();
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(TestMedium("avi-mjpeg").string()), S_OK);
    auto renderer = graph.VideoRenderer();
    ASSERT_TRUE(renderer);
    PinPtr raw = renderer->Pins(PinDirection::Input).front()->ConnectedTo();
    ASSERT_EQ(graph.RemoveFilter(renderer), S_OK);
    FilterPtr mux = AddNamed(graph, "Ogg Multiplexer");
    ASSERT_TRUE(mux);
    const size_t freePins = mux->Pins(PinDirection::Input).size();
    for (const PinPtr& in : mux->Pins(PinDirection::Input)) {
        const HResult hr = graph.ConnectDirect(raw, in);
        EXPECT_TRUE(Failed(hr)) << in->Name();
    }
    EXPECT_EQ(mux->Pins(PinDirection::Input).size(), freePins);
    EXPECT_FALSE(raw->IsConnected());
}

}  // namespace
}  // namespace quova::engine

#include <gtest/gtest.h>

#include <fstream>

#include "platform/engine/file_source_filter.h"
#include "platform/engine/filter_graph.h"
#include "platform/engine/filter_mapper.h"
#include "tests/platform/engine/engine_fixture.h"
#include "tests/support/gst_media.h"
#include "tests/support/temp_dir.h"

namespace quova::engine {
namespace {

using testing::ExpectPlayedThrough;
using testing::Media;
using testing::PlayToEnd;
using testing::WaitForEvent;

PinPtr FirstOutputOf(const FilterPtr& filter, const Guid& major) {
    for (const PinPtr& p : filter->Pins(PinDirection::Output)) {
        auto types = p->MediaTypes();
        if (!types.empty() && types.front().majorType == major) return p;
    }
    return nullptr;
}

FilterPtr AddNamed(FilterGraph& graph, const std::string& name) {
    FilterPtr f = FilterMapper::Instance().CreateByName(name);
    EXPECT_TRUE(f) << name;
    if (f) {
        EXPECT_TRUE(Succeeded(graph.AddFilter(f, name))) << name;
    }
    return f;
}

bool HasCategory(const FilterGraph& graph, FilterCategory c) {
    for (const auto& f : graph.Filters())
        if (f->Category() == c) return true;
    return false;
}

// ---------------------------------------------------------------- rendering

class RenderEachMedium : public ::testing::TestWithParam<const char*> {};

TEST_P(RenderEachMedium, RendersAndPlaysItAllToTheRenderers) {
    FilterGraph graph;
    HResult hr = graph.RenderFile(Media::Get(GetParam()).string());
    ASSERT_EQ(hr, S_OK) << ErrorText(hr) << " filters: " << testing::FilterNames(graph);
    ExpectPlayedThrough(PlayToEnd(graph), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Media, RenderEachMedium,
                         ::testing::Values("avi-pcm2", "avi-mp3", "ogg-theora", "ogg-vorbis", "wav",
                                           "mp3-id3", "mpeg-ps"),
                         [](const auto& info) {
                             std::string n = info.param;
                             for (char& c : n)
                                 if (c == '-') c = '_';
                             return n;
                         });

TEST(GraphBuilding, RenderedGraphsHoldTheNamedSplittersAndRenderers) {
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(Media::Get("avi-pcm2").string()), S_OK);
    FilterPtr splitter = graph.FindFilterByName("AVI Splitter");
    ASSERT_TRUE(splitter);
    EXPECT_TRUE(splitter->FindPin("input pin"));
    EXPECT_EQ(splitter->Pins(PinDirection::Output).size(), 3u);
    FilterPtr source = graph.FindFilterByName(Media::Get("avi-pcm2").string());
    ASSERT_TRUE(source);
    ASSERT_TRUE(source->FindPin("Output"));
    EXPECT_EQ(source->FindPin("Output")->ConnectedTo(), splitter->FindPin("input pin"));
    EXPECT_TRUE(graph.VideoRenderer());
    EXPECT_TRUE(graph.HasAudio());

    FilterGraph ogg;
    ASSERT_EQ(ogg.RenderFile(Media::Get("ogg-theora").string()), S_OK);
    EXPECT_TRUE(ogg.FindFilterByName("Ogg Splitter"));
}

TEST(GraphBuilding, SplitterOutputPinsExistOnceTheInputIsConnectedWithTheirTypes) {
    FilterGraph graph;
    auto source = graph.AddSourceFilter(Media::Get("avi-mp3").string(), "source");
    ASSERT_TRUE(source.ok());
    FilterPtr splitter = AddNamed(graph, "AVI Splitter");
    ASSERT_TRUE(splitter);
    EXPECT_TRUE(splitter->Pins(PinDirection::Output).empty());
    auto srcTypes = source.value->FindPin("Output")->MediaTypes();
    ASSERT_FALSE(srcTypes.empty());
    EXPECT_EQ(srcTypes.front().majorType, MEDIATYPE_Stream);
    EXPECT_EQ(srcTypes.front().subType, MEDIASUBTYPE_Avi);

    ASSERT_EQ(graph.Connect(source.value->FindPin("Output"), splitter->FindPin("input pin")), S_OK);
    auto outs = splitter->Pins(PinDirection::Output);
    ASSERT_EQ(outs.size(), 2u);
    PinPtr video = FirstOutputOf(splitter, MEDIATYPE_Video);
    PinPtr audio = FirstOutputOf(splitter, MEDIATYPE_Audio);
    ASSERT_TRUE(video && audio);
    EXPECT_EQ(video->MediaTypes().front().subType, MEDIASUBTYPE_MJPG);
    EXPECT_EQ(video->MediaTypes().front().width, 320);
    EXPECT_EQ(audio->MediaTypes().front().subType, MEDIASUBTYPE_MP3);

    // Disconnecting the input takes the streams away with it.
    ASSERT_EQ(graph.Disconnect(splitter->FindPin("input pin")), S_OK);
    EXPECT_TRUE(splitter->Pins(PinDirection::Output).empty());
}

class PinByPin : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(PinByPin, BuildsTheGraphPinByPinAndPlaysItAll) {
    const auto [kind, splitterName] = GetParam();
    FilterGraph graph;
    auto source = graph.AddSourceFilter(Media::Get(kind).string(), Media::Get(kind).string());
    ASSERT_TRUE(source.ok()) << ErrorText(source.hr);
    FilterPtr splitter = AddNamed(graph, splitterName);
    ASSERT_TRUE(splitter);
    ASSERT_EQ(
        graph.Connect(source.value->FindPin("Output"), splitter->Pins(PinDirection::Input)[0]),
        S_OK);
    for (const PinPtr& out : splitter->Pins(PinDirection::Output))
        EXPECT_TRUE(Succeeded(graph.Render(out))) << out->Name();
    ExpectPlayedThrough(PlayToEnd(graph), kind);
}

INSTANTIATE_TEST_SUITE_P(Media, PinByPin,
                         ::testing::Values(std::pair{"avi-pcm2", "AVI Splitter"},
                                           std::pair{"avi-mp3", "AVI Splitter"},
                                           std::pair{"ogg-theora", "Ogg Splitter"},
                                           std::pair{"ogg-vorbis", "Ogg Splitter"},
                                           std::pair{"wav", "WAV audio demuxer"},
                                           std::pair{"mp3-id3", "MPEG1 Audio Parser"},
                                           std::pair{"mpeg-ps", "MPEG Program Stream Demuxer"}),
                         [](const auto& info) {
                             std::string n = info.param.first;
                             for (char& c : n)
                                 if (c == '-') c = '_';
                             return n;
                         });

TEST(GraphBuilding, IntelligentConnectInsertsTheDecoder) {
    FilterGraph graph;
    auto source = graph.AddSourceFilter(Media::Get("avi-mp3").string(), "source");
    ASSERT_TRUE(source.ok());
    FilterPtr splitter = AddNamed(graph, "AVI Splitter");
    ASSERT_EQ(graph.Connect(source.value->FindPin("Output"), splitter->FindPin("input pin")), S_OK);
    FilterPtr renderer = AddNamed(graph, "Audio Renderer");
    PinPtr audio = FirstOutputOf(splitter, MEDIATYPE_Audio);
    PinPtr in = renderer->Pins(PinDirection::Input).front();

    EXPECT_EQ(graph.ConnectDirect(audio, in), VFW_E_NO_ACCEPTABLE_TYPES);
    ASSERT_EQ(graph.Connect(audio, in), S_OK);
    EXPECT_TRUE(HasCategory(graph, FilterCategory::Decoder)) << testing::FilterNames(graph);
    EXPECT_EQ(audio->ConnectionMediaType().value.subType, MEDIASUBTYPE_MP3);
    EXPECT_TRUE(in->ConnectionMediaType().value.IsAudio());
    // The video stream stays unconnected: it must neither stall nor fail the run.
    ExpectPlayedThrough(PlayToEnd(graph), "avi-mp3", 0, false);
}

TEST(GraphBuilding, UnconnectedOutputsNeitherStallNorFailPlayback) {
    // A decoder left without its renderer, and a splitter stream left alone.
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(Media::Get("avi-mp3").string()), S_OK);
    for (const auto& f : graph.Filters())
        if (f->FriendlyName() == "Audio Renderer") graph.RemoveFilter(f);
    ASSERT_FALSE(graph.HasAudio());
    ASSERT_TRUE(HasCategory(graph, FilterCategory::Decoder));
    ExpectPlayedThrough(PlayToEnd(graph), "avi-mp3", 0, true, false);

    FilterGraph pcm;
    ASSERT_EQ(pcm.RenderFile(Media::Get("avi-pcm2").string()), S_OK);
    ASSERT_EQ(pcm.Disconnect(pcm.FindFilterByName("AVI Splitter")->FindPin("audio_1")), S_OK);
    ExpectPlayedThrough(PlayToEnd(pcm), "avi-pcm2");
}

TEST(GraphBuilding, DirectConnectionChecksDirectionMembershipAndState) {
    FilterGraph graph, other;
    auto source = graph.AddSourceFilter(Media::Get("wav").string(), "source");
    ASSERT_TRUE(source.ok());
    FilterPtr writer = AddNamed(graph, "File writer");
    FilterPtr stranger = FilterMapper::Instance().CreateByName("File writer");
    ASSERT_TRUE(Succeeded(other.AddFilter(stranger, "x")));
    PinPtr out = source.value->FindPin("Output");
    PinPtr in = writer->Pins(PinDirection::Input).front();
    EXPECT_EQ(graph.ConnectDirect(in, out), VFW_E_INVALID_DIRECTION);
    EXPECT_EQ(graph.ConnectDirect(out, stranger->Pins()[0]), VFW_E_NOT_IN_GRAPH);
    ASSERT_EQ(graph.ConnectDirect(out, in), S_OK);
    EXPECT_EQ(graph.ConnectDirect(out, in), VFW_E_ALREADY_CONNECTED);
    EXPECT_EQ(out->ConnectedTo(), in);
    EXPECT_EQ(in->Disconnect(), S_OK);
    EXPECT_FALSE(out->IsConnected());
    EXPECT_EQ(graph.Disconnect(out), S_FALSE);

    // No loops, however long.
    FilterPtr a = AddNamed(graph, "Audio converter");
    FilterPtr b = AddNamed(graph, "Audio converter");
    FilterPtr c = AddNamed(graph, "Audio converter");
    ASSERT_EQ(
        graph.ConnectDirect(a->Pins(PinDirection::Output)[0], b->Pins(PinDirection::Input)[0]),
        S_OK);
    ASSERT_EQ(
        graph.ConnectDirect(b->Pins(PinDirection::Output)[0], c->Pins(PinDirection::Input)[0]),
        S_OK);
    EXPECT_EQ(
        graph.ConnectDirect(c->Pins(PinDirection::Output)[0], a->Pins(PinDirection::Input)[0]),
        VFW_E_CIRCULAR_GRAPH);
    EXPECT_EQ(
        graph.ConnectDirect(a->Pins(PinDirection::Output)[0], a->Pins(PinDirection::Input)[0]),
        VFW_E_CIRCULAR_GRAPH);
    ASSERT_EQ(graph.RemoveDownstream(a), S_OK);
    EXPECT_FALSE(graph.FindFilterByName(c->Name()));
}

TEST(GraphBuilding, FiltersAreFoundByNameAndDuplicateNamesAreNumbered) {
    FilterGraph graph;
    FilterPtr a = FilterMapper::Instance().CreateByName("File writer");
    FilterPtr b = FilterMapper::Instance().CreateByName("File writer");
    EXPECT_EQ(graph.AddFilter(a, "writer"), S_OK);
    EXPECT_EQ(graph.AddFilter(b, "writer"), VFW_S_DUPLICATE_NAME);
    EXPECT_EQ(graph.FindFilterByName("writer"), a);
    EXPECT_EQ(graph.FindFilterByName("writer 0001"), b);
    EXPECT_EQ(graph.Filters().size(), 2u);
    EXPECT_EQ(graph.RemoveFilter(a), S_OK);
    EXPECT_EQ(graph.RemoveFilter(a), VFW_E_NOT_FOUND);
    EXPECT_FALSE(graph.FindFilterByName("writer"));
    EXPECT_EQ(a->Graph(), nullptr);
}

// ------------------------------------------------------ bad and missing input

TEST(GraphBuilding, MissingAndDamagedFilesFailWithACodeAndText) {
    quova::testing::TempDir dir;
    FilterGraph graph;
    HResult hr = graph.RenderFile((dir / "missing.avi").string());
    EXPECT_EQ(hr, E_FILE_NOT_FOUND);
    EXPECT_FALSE(ErrorText(hr).empty());
    EXPECT_EQ(graph.RenderFile((dir / "no-folder" / "x.avi").string()), E_PATH_NOT_FOUND);

    quova::testing::WriteFile(dir / "empty.avi", "");
    EXPECT_EQ(graph.RenderFile((dir / "empty.avi").string()), VFW_E_UNKNOWN_FILE_TYPE);

    std::string noise(100000, '\0');
    for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 7919u) >> 3);
    quova::testing::WriteFile(dir / "noise.avi", noise);
    hr = graph.RenderFile((dir / "noise.avi").string());
    EXPECT_TRUE(Failed(hr));
    EXPECT_FALSE(ErrorText(hr).empty());
    EXPECT_TRUE(graph.Filters().empty()) << "a failed render leaves nothing behind";
}

class DamagedMedium : public ::testing::TestWithParam<const char*> {};

TEST_P(DamagedMedium, FailsOrPlaysToAnEndButNeverCrashesOrHangs) {
    quova::testing::TempDir dir;
    const std::string good = quova::testing::ReadFile(Media::Get(GetParam()));
    std::string bad = good;
    // Bytes overwritten all through the file, the headers spared.
    for (size_t at = 600; at < bad.size(); at += 997) bad[at] = static_cast<char>(bad[at] ^ 0x5A);
    const std::vector<std::string> variants = {bad, good.substr(0, good.size() / 3),
                                               good.substr(0, 300)};
    for (size_t i = 0; i < variants.size(); ++i) {
        const auto path = dir / ("damaged" + std::to_string(i) + "." + std::string(GetParam()));
        quova::testing::WriteFile(path, variants[i]);
        FilterGraph graph;
        const HResult hr = graph.RenderFile(path.string());
        if (Failed(hr)) {
            EXPECT_FALSE(ErrorText(hr).empty()) << std::hex << hr;
            continue;
        }
        if (Failed(graph.Run())) continue;
        // Damaged time stamps can carry the position past the duration: the
        // player's own timer ends the medium there.
        const bool ended = testing::WaitUntil([&graph] {
            const auto e = graph.GetEvent(0);
            if (e.ok() && (e.value.code == EC_COMPLETE || e.value.code == EC_ERRORABORT))
                return true;
            const auto duration = graph.Duration();
            return duration.ok() && graph.CurrentPosition().value >= duration.value;
        });
        EXPECT_TRUE(ended) << "variant " << i << " at " << graph.CurrentPosition().value;
    }
}

INSTANTIATE_TEST_SUITE_P(Media, DamagedMedium,
                         ::testing::Values("avi-mp3", "ogg-theora", "wav", "mp3-id3", "mpeg-ps"),
                         [](const auto& info) {
                             std::string n = info.param;
                             for (char& c : n)
                                 if (c == '-') c = '_';
                             return n;
                         });

// ---------------------------------------------------------- named filters

std::uint32_t WavDataSize(const std::string& bytes) {
    for (size_t at = 12; at + 8 <= bytes.size();) {
        std::uint32_t size = 0;
        for (int i = 0; i < 4; ++i)
            size |= std::uint32_t{static_cast<unsigned char>(bytes[at + 4 + i])} << (8 * i);
        if (bytes.compare(at, 4, "data") == 0) return size;
        at += 8 + size + (size & 1);
    }
    return 0;
}

TEST(NamedFilters, EveryNamedFilterIsPresent) {
    for (const char* name : {"AVI Splitter", "Ogg Splitter", "WAV Dest", "Dump", "File writer",
                             "Ogg Multiplexer", "Video Renderer", "Audio Renderer"}) {
        FilterPtr f = FilterMapper::Instance().CreateByName(name);
        ASSERT_TRUE(f) << name;
        EXPECT_EQ(f->FriendlyName(), name);
    }
    EXPECT_TRUE(FilterMapper::Instance().CreateByName("AVI Splitter")->FindPin("input pin"));
    EXPECT_TRUE(FilterMapper::Instance().CreateByName("Dump")->AsFileSink());
    EXPECT_TRUE(FilterMapper::Instance().CreateByName("File writer")->AsFileSink());
    EXPECT_FALSE(FilterMapper::Instance().CreateByName("WAV Dest")->AsFileSink());
    EXPECT_FALSE(FilterMapper::Instance().CreateByName("no such filter"));
}

TEST(NamedFilters, WavDestIntoFileWriterWritesAWavOfTheRightLength) {
    quova::testing::TempDir dir;
    const auto input = quova::testing::media::Wav(dir / "in.wav", 1.0, 22050, 1);
    const auto output = dir / "out.wav";
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(input.string()), S_OK);
    // Cut the renderer off and write the PCM stream instead.
    PinPtr pcm = testing::RemoveAudioRenderer(graph);
    ASSERT_TRUE(pcm);
    FilterPtr wavDest = AddNamed(graph, "WAV Dest");
    FilterPtr writer = AddNamed(graph, "File writer");
    ASSERT_EQ(graph.Connect(pcm, wavDest->Pins(PinDirection::Input)[0]), S_OK);
    ASSERT_EQ(writer->AsFileSink()->SetFileName(output.string()), S_OK);
    EXPECT_EQ(writer->AsFileSink()->FileName(), output.string());
    ASSERT_EQ(graph.ConnectDirect(wavDest->Pins(PinDirection::Output)[0], writer->Pins()[0]), S_OK);
    ASSERT_EQ(graph.Run(), S_OK);
    ASSERT_TRUE(WaitForEvent(graph, EC_COMPLETE, 15000));
    graph.Stop();
    const std::uint32_t expected = WavDataSize(quova::testing::ReadFile(input));
    const std::string written = quova::testing::ReadFile(output);
    EXPECT_GT(expected, 22050u * 2 - 4096);
    EXPECT_EQ(WavDataSize(written), expected);
}

TEST(NamedFilters, AWriterNeverWritesThroughALinkAtItsFilesName) {
    quova::testing::TempDir dir;
    quova::testing::WriteFile(dir / "victim", "untouched");
    std::filesystem::create_symlink(dir / "victim", dir / "out.wav");
    FilterPtr writer = FilterMapper::Instance().CreateByName("File writer");
    ASSERT_TRUE(writer);
    EXPECT_TRUE(Failed(writer->AsFileSink()->SetFileName((dir / "out.wav").string())));
    EXPECT_EQ(quova::testing::ReadFile(dir / "victim"), "untouched");
}

TEST(NamedFilters, PcmToVorbisThroughTheOggMultiplexer) {
    quova::testing::TempDir dir;
    const auto output = dir / "out.ogm";
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(Media::Get("avi-pcm2").string()), S_OK);
    FilterPtr splitter = graph.FindFilterByName("AVI Splitter");
    ASSERT_TRUE(splitter);
    PinPtr pcm = splitter->FindPin("audio_0");
    ASSERT_TRUE(pcm);
    ASSERT_EQ(pcm->ConnectionMediaType().value.subType, MEDIASUBTYPE_PCM);
    graph.RemoveFilter(pcm->ConnectedTo()->Owner());

    auto encoders = FilterMapper::Instance().EnumMatchingFilters(
        true, 0, true, {{MEDIATYPE_Audio, MEDIASUBTYPE_PCM}, {MEDIATYPE_Audio, GUID_NULL}}, false,
        {{MEDIATYPE_Audio, MEDIASUBTYPE_Vorbis}});
    ASSERT_FALSE(encoders.empty());
    FilterPtr encoder = AddNamed(graph, encoders.front()->friendlyName);
    AudioEncoderFormat format = encoder->EncoderFormat().value;
    ASSERT_TRUE(encoder->EncoderFormat().ok());
    format.quality = 0.3f;
    ASSERT_EQ(encoder->SetEncoderFormat(format), S_OK);
    EXPECT_FLOAT_EQ(encoder->EncoderFormat().value.quality, 0.3f);
    // Settings the encoder cannot take are refused, not dropped in silence.
    AudioEncoderFormat wrong = format;
    wrong.avgBitsPerSecond = 10'000'000;
    EXPECT_EQ(encoder->SetEncoderFormat(wrong), E_INVALIDARG);
    wrong = format;
    wrong.quality = 1.5f;
    EXPECT_EQ(encoder->SetEncoderFormat(wrong), E_INVALIDARG);
    EXPECT_EQ(encoder->EncoderFormat().value.avgBitsPerSecond, format.avgBitsPerSecond);
    EXPECT_EQ(AddNamed(graph, "WAV Dest")->SetEncoderFormat(format), E_NOINTERFACE);

    FilterPtr mux = AddNamed(graph, "Ogg Multiplexer");
    FilterPtr writer = AddNamed(graph, "File writer");
    ASSERT_EQ(graph.Connect(pcm, encoder->Pins(PinDirection::Input)[0]), S_OK);
    // As the extraction does: the first input pin that takes the stream.
    bool muxed = false;
    for (const PinPtr& in : mux->Pins(PinDirection::Input))
        if ((muxed = graph.ConnectDirect(encoder->Pins(PinDirection::Output)[0], in) == S_OK))
            break;
    ASSERT_TRUE(muxed);
    // The multiplexer always offers one more free input.
    EXPECT_EQ(mux->Pins(PinDirection::Input).size(), 4u);
    ASSERT_EQ(writer->AsFileSink()->SetFileName(output.string()), S_OK);
    ASSERT_EQ(graph.ConnectDirect(mux->Pins(PinDirection::Output)[0], writer->Pins()[0]), S_OK);
    // Settings change while the built graph is stopped, not while it runs.
    ASSERT_EQ(graph.Stop(), S_OK);
    format.quality = 0.4f;
    ASSERT_EQ(encoder->SetEncoderFormat(format), S_OK);
    EXPECT_EQ(graph.CurrentPosition().value, 0.0);
    ASSERT_EQ(graph.Run(), S_OK);
    EXPECT_EQ(encoder->SetEncoderFormat(format), VFW_E_WRONG_STATE);
    ASSERT_TRUE(WaitForEvent(graph, EC_COMPLETE, 15000));
    graph.Stop();

    FilterGraph check;
    ASSERT_EQ(check.RenderFile(output.string()), S_OK);
    FilterPtr oggSplitter = check.FindFilterByName("Ogg Splitter");
    ASSERT_TRUE(oggSplitter);
    PinPtr vorbis = FirstOutputOf(oggSplitter, MEDIATYPE_Audio);
    ASSERT_TRUE(vorbis);
    EXPECT_EQ(vorbis->MediaTypes().front().subType, MEDIASUBTYPE_Vorbis);
    auto duration = check.Duration();
    ASSERT_TRUE(duration.ok());
    EXPECT_NEAR(duration.value, 1.0, 0.1);
}

TEST(NamedFilters, DumpWritesTheMp3StreamByteForByte) {
    quova::testing::TempDir dir;
    const auto mp3 = quova::testing::media::Mp3(dir / "in.mp3", 1.0);
    const auto frames = dir / "frames.mp3";
    ASSERT_EQ(quova::testing::MakeMedia(
                  "filesrc location=" + mp3.string() + " ! mpegaudioparse ! filesink location=$OUT",
                  frames),
              "");
    const auto avi = dir / "mp3.avi";
    ASSERT_EQ(quova::testing::MakeMedia(
                  "videotestsrc num-buffers=25 ! video/x-raw,width=160,height=120,framerate=25/1 ! "
                  "jpegenc ! avimux name=mux ! filesink location=$OUT filesrc location=" +
                      mp3.string() + " ! mpegaudioparse ! mux.",
                  avi),
              "");
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(avi.string()), S_OK);
    FilterPtr splitter = graph.FindFilterByName("AVI Splitter");
    PinPtr audio = FirstOutputOf(splitter, MEDIATYPE_Audio);
    ASSERT_TRUE(audio);
    ASSERT_EQ(audio->MediaTypes().front().subType, MEDIASUBTYPE_MP3);
    // Remove the consumer of the MP3 stream and what follows it.
    const size_t before = graph.Filters().size();
    FilterPtr consumer = audio->ConnectedTo()->Owner();
    ASSERT_EQ(graph.RemoveDownstream(consumer), S_OK);
    EXPECT_FALSE(audio->IsConnected());
    EXPECT_LT(graph.Filters().size(), before - 1) << "the decoder and what it fed";
    for (const auto& f : graph.Filters())
        EXPECT_NE(f->FriendlyName(), "Audio Renderer") << testing::FilterNames(graph);
    EXPECT_EQ(graph.FindFilterByName("AVI Splitter"), splitter) << "upstream stays";
    EXPECT_TRUE(graph.VideoRenderer()) << "the other stream stays";
    EXPECT_EQ(graph.RemoveDownstream(consumer), VFW_E_NOT_FOUND);
    FilterPtr dump = AddNamed(graph, "Dump");
    const auto out = dir / "out.mp3";
    ASSERT_EQ(dump->AsFileSink()->SetFileName(out.string()), S_OK);
    ASSERT_EQ(graph.ConnectDirect(audio, dump->FindPin("Input")), S_OK);
    ASSERT_EQ(graph.Run(), S_OK);
    ASSERT_TRUE(WaitForEvent(graph, EC_COMPLETE, 15000));
    graph.Stop();
    const std::string expected = quova::testing::ReadFile(frames);
    const std::string written = quova::testing::ReadFile(out);
    EXPECT_GT(expected.size(), 10000u);
    EXPECT_EQ(written.size(), expected.size());
    EXPECT_TRUE(written == expected);
}

}  // namespace
}  // namespace quova::engine

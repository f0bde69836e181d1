// Audio decoders give 16-bit PCM, so that the extraction graphs find a PCM
// source in every file the player can decode, not only in PCM files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/engine/filter_graph.h"
#include "platform/engine/filter_mapper.h"
#include "tests/platform/engine/audio_tap.h"
#include "tests/support/temp_dir.h"

namespace quova::engine {
namespace {

using testing::TestMedium;

// The extraction's search: the last output pin that offers the subtype, and
// the last filter whose connected input carries it.
struct AudioEnds {
    PinPtr source;
    FilterPtr consumer;
};

AudioEnds FindAudio(const FilterGraph& graph, const Guid& subtype) {
    AudioEnds ends;
    for (const FilterPtr& f : graph.Filters()) {
        for (const PinPtr& p : f->Pins()) {
            if (p->Direction() == PinDirection::Output) {
                for (const MediaType& t : p->MediaTypes())
                    if (t.IsAudio() && t.subType == subtype) ends.source = p;
            } else if (p->IsConnected()) {
                auto t = p->ConnectionMediaType();
                if (t.ok() && t.value.IsAudio() && t.value.subType == subtype) ends.consumer = f;
            }
        }
    }
    return ends;
}

FilterPtr AddNamed(FilterGraph& graph, const std::string& name) {
    FilterPtr f = FilterMapper::Instance().CreateByName(name);
    if (f && Failed(graph.AddFilter(f, name))) return nullptr;
    return f;
}

std::uint32_t Le32(const std::string& b, size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return v;
}

std::uint16_t Le16(const std::string& b, size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      static_cast<unsigned char>(b[at + 1]) << 8);
}

class PcmFromDecoder : public ::testing::TestWithParam<const char*> {};

TEST_P(PcmFromDecoder, TheDecoderOffersPcmAndItsSoundBecomesAWavFile) {
    testing::EnsureQtApplication();
    quova::testing::TempDir dir;
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(TestMedium(GetParam()).string()), S_OK);

    const AudioEnds ends = FindAudio(graph, MEDIASUBTYPE_PCM);
    ASSERT_TRUE(ends.source) << "no pin offers PCM";
    auto owner = ends.source->Owner();
    EXPECT_EQ(owner->Category(), FilterCategory::Decoder) << owner->Name();
    // PCM is what the decoder prefers, in 16 bits.
    const auto types = ends.source->MediaTypes();
    ASSERT_FALSE(types.empty());
    EXPECT_EQ(types.front().subType, MEDIASUBTYPE_PCM);
    EXPECT_EQ(types.front().bitsPerSample, 16);
    ASSERT_TRUE(ends.consumer) << "the renderer does not take PCM";

    ASSERT_EQ(graph.RemoveDownstream(ends.consumer), S_OK);
    FilterPtr wavDest = AddNamed(graph, "WAV Dest");
    FilterPtr writer = AddNamed(graph, "File writer");
    ASSERT_TRUE(wavDest && writer);
    ASSERT_EQ(graph.Connect(ends.source, wavDest->Pins(PinDirection::Input).front()), S_OK);
    const auto out = dir / "out.wav";
    ASSERT_EQ(writer->AsFileSink()->SetFileName(out.string()), S_OK);
    ASSERT_EQ(graph.ConnectDirect(wavDest->Pins(PinDirection::Output).front(),
                                  writer->Pins(PinDirection::Input).front()),
              S_OK);
    ASSERT_TRUE(testing::PlayToCompletion(graph));

    const std::string wav = quova::testing::ReadFile(out);
    ASSERT_GT(wav.size(), 44u);
    ASSERT_EQ(wav.substr(0, 4), "RIFF");
    ASSERT_EQ(wav.substr(8, 4), "WAVE");
    size_t at = 12;
    std::uint16_t format = 0, channels = 0, bits = 0;
    std::uint32_t rate = 0, dataBytes = 0;
    size_t data = 0;
    while (at + 8 <= wav.size()) {
        const std::string id = wav.substr(at, 4);
        const std::uint32_t size = Le32(wav, at + 4);
        if (id == "fmt ") {
            format = Le16(wav, at + 8);
            channels = Le16(wav, at + 10);
            rate = Le32(wav, at + 12);
            bits = Le16(wav, at + 22);
        } else if (id == "data") {
            data = at + 8;
            dataBytes =
                std::min<std::uint32_t>(size, static_cast<std::uint32_t>(wav.size() - data));
            break;
        }
        at += 8 + size + (size & 1);
    }
    EXPECT_EQ(format, 1) << "integer PCM";
    EXPECT_EQ(bits, 16);
    EXPECT_EQ(channels, 2);
    EXPECT_EQ(rate, 44100u);
    ASSERT_GT(data, 0u);
    // 2 s of a sine tone, give or take the codec's padding.
    EXPECT_NEAR(dataBytes / 4.0 / 44100.0, 2.0, 0.15);
    int peak = 0;
    for (size_t i = data; i + 1 < data + dataBytes; i += 2)
        peak = std::max(peak, std::abs(static_cast<std::int16_t>(Le16(wav, i))));
    EXPECT_GT(peak, 8000) << "the file holds the tone, not silence";
}

INSTANTIATE_TEST_SUITE_P(Codecs, PcmFromDecoder, ::testing::Values("avi-mp3", "ogg-vorbis", "mkv"),
                         [](const auto& info) { return testing::ParamName(info.param); });

}  // namespace
}  // namespace quova::engine

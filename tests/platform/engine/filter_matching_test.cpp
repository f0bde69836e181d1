// Which registered filters the mapper offers for a pin: what the custom
// builder lists and what the compressor chooser lists.
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "platform/engine/filter_graph.h"
#include "platform/engine/filter_mapper.h"
#include "tests/platform/engine/audio_tap.h"

namespace quova::engine {
namespace {

using testing::TestMedium;

// The custom builder's question: every filter above "do not use" with an
// input that takes one of the pin's types, wildcard registrations included.
std::vector<const FilterInfo*> ListFor(const Pin& pin) {
    return FilterMapper::Instance().EnumMatchingFilters(false, MERIT_DO_NOT_USE + 1, true,
                                                        pin.MediaTypes(), false, {});
}

std::string Names(const std::vector<const FilterInfo*>& list) {
    std::string out;
    for (const FilterInfo* f : list) out += (out.empty() ? "" : ", ") + f->factoryName;
    return out;
}

bool Holds(const std::vector<const FilterInfo*>& list, const std::string& factory) {
    return std::any_of(list.begin(), list.end(),
                       [&](const FilterInfo* f) { return f->factoryName == factory; });
}

// Whether GStreamer itself would let the filter take the pin's data: its
// input caps, not ANY, meet the pin's.
bool TakesWhatPinCarries(const FilterInfo& f, const Pin& pin) {
    if (!f.inputCaps || gst_caps_is_any(f.inputCaps.get())) return false;
    GstCaps* caps = pin.CurrentCaps();
    const bool meets = gst_caps_can_intersect(caps, f.inputCaps.get());
    gst_caps_unref(caps);
    return meets;
}

struct SourceCase {
    const char* medium;
    const char* splitter;  // the factory that must lead the list
    std::vector<const char*> absent;
};

class SourcePinList : public ::testing::TestWithParam<SourceCase> {};

TEST_P(SourcePinList, HoldsTheFittingSplittersFirstAndNothingElse) {
    const SourceCase& c = GetParam();
    FilterGraph graph;
    auto source = graph.AddSourceFilter(TestMedium(c.medium).string(), "source");
    ASSERT_EQ(source.hr, S_OK);
    const PinPtr out = source.value->FindPin("Output");
    ASSERT_TRUE(out);
    const auto list = ListFor(*out);
    ASSERT_FALSE(list.empty());
    EXPECT_LE(list.size(), 4u) << Names(list);
    EXPECT_EQ(list.front()->factoryName, c.splitter) << Names(list);
    for (const FilterInfo* f : list) {
        EXPECT_EQ(f->category, FilterCategory::Splitter) << f->factoryName;
        EXPECT_TRUE(TakesWhatPinCarries(*f, *out)) << f->factoryName << " in " << Names(list);
    }
    for (size_t i = 1; i < list.size(); ++i) EXPECT_GE(list[i - 1]->merit, list[i]->merit);
    for (const char* other : c.absent) EXPECT_FALSE(Holds(list, other)) << Names(list);
}

INSTANTIATE_TEST_SUITE_P(
    Containers, SourcePinList,
    ::testing::Values(SourceCase{"avi-pcm", "avidemux", {"oggdemux", "matroskademux", "qtdemux"}},
                      SourceCase{"ogg-vorbis", "oggdemux", {"avidemux", "matroskademux"}},
                      SourceCase{"mkv", "matroskademux", {"avidemux", "oggdemux", "qtdemux"}},
                      SourceCase{"mp4", "qtdemux", {"avidemux", "oggdemux", "matroskademux"}}),
    [](const auto& info) { return testing::ParamName(info.param.medium); });

TEST(PinFilterList, AStreamPinListsItsDecodersButNoUtilitiesMuxersOrSinks) {
    FilterGraph graph;
    auto source = graph.AddSourceFilter(TestMedium("ogg-vorbis").string(), "source");
    ASSERT_EQ(source.hr, S_OK);
    FilterPtr splitter = FilterMapper::Instance().CreateByName("Ogg Splitter");
    ASSERT_TRUE(splitter);
    ASSERT_TRUE(Succeeded(graph.AddFilter(splitter, "Ogg Splitter")));
    ASSERT_EQ(graph.ConnectDirect(source.value->FindPin("Output"),
                                  splitter->Pins(PinDirection::Input).front()),
              S_OK);
    const auto outs = splitter->Pins(PinDirection::Output);
    ASSERT_EQ(outs.size(), 1u);
    const auto list = ListFor(*outs.front());
    EXPECT_TRUE(Holds(list, "vorbisdec")) << Names(list);
    for (const FilterInfo* f : list) {
        EXPECT_TRUE(TakesWhatPinCarries(*f, *outs.front())) << f->factoryName;
        EXPECT_NE(f->category, FilterCategory::Multiplexer) << f->factoryName;
        EXPECT_NE(f->category, FilterCategory::Writer) << f->factoryName;
    }
}

// The chooser of an MP3 or Vorbis compressor asks for filters that take PCM
// (or any audio) and give the compressed type: encoders, never the parsers
// and taggers that pass the compressed type through.
TEST(CompressorList, OnlyEncodersTurnPcmIntoMp3OrVorbis) {
    const FilterMapper& mapper = FilterMapper::Instance();
    const std::vector<MediaType> pcmIn = {{MEDIATYPE_Audio, MEDIASUBTYPE_PCM},
                                          {MEDIATYPE_Audio, GUID_NULL}};
    const auto mp3 = mapper.EnumMatchingFilters(
        true, 0, true, pcmIn, false,
        {{MEDIATYPE_Audio, MEDIASUBTYPE_MP3}, {MEDIATYPE_Audio, MEDIASUBTYPE_MPEG1AudioPayload}});
    const auto vorbis = mapper.EnumMatchingFilters(true, 0, true, pcmIn, false,
                                                   {{MEDIATYPE_Audio, MEDIASUBTYPE_Vorbis}});
    EXPECT_TRUE(Holds(mp3, "lamemp3enc")) << Names(mp3);
    EXPECT_TRUE(Holds(vorbis, "vorbisenc")) << Names(vorbis);
    for (const auto* list : {&mp3, &vorbis}) {
        for (const FilterInfo* f : *list) {
            EXPECT_EQ(f->category, FilterCategory::Encoder)
                << f->factoryName << " in " << Names(*list);
            // An encoder takes raw audio: GStreamer agrees.
            GstCaps* raw = gst_caps_from_string("audio/x-raw");
            EXPECT_TRUE(f->inputCaps && gst_caps_can_intersect(raw, f->inputCaps.get()))
                << f->factoryName;
            gst_caps_unref(raw);
        }
    }
}

// A name picks one element on every machine: two elements registered under one
// long name (videotestsrc and gltestsrc are both "Video test source") are told
// apart by their factory names, in whichever order the registry lists them.
TEST(FilterNames, ElementsSharingALongNameAreQualifiedWhateverTheOrder) {
    auto info = [](const char* name, const char* factory, NamedFilter named = NamedFilter::None) {
        FilterInfo f;
        f.friendlyName = name;
        f.factoryName = factory;
        f.named = named;
        return f;
    };
    for (const bool glFirst : {false, true}) {
        std::vector<FilterInfo> list = {info("Video test source", "videotestsrc"),
                                        info("Video test source", "gltestsrc"),
                                        info("WAV Dest", "wavenc", NamedFilter::WavDest),
                                        info("WAV Dest", "wavenc"), info("Ogg muxer", "oggmux")};
        if (glFirst) std::swap(list[0], list[1]);
        QualifyDuplicateNames(list);
        std::vector<std::string> names;
        for (const FilterInfo& f : list) names.push_back(f.friendlyName);
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"Ogg muxer", "Video test source (gltestsrc)",
                                                   "Video test source (videotestsrc)", "WAV Dest",
                                                   "WAV Dest (wavenc)"}));
    }
}

TEST(FilterNames, EveryInstalledFilterHasANameOfItsOwn) {
    std::map<std::string, std::string> seen;
    for (const FilterInfo& f : FilterMapper::Instance().Filters()) {
        const auto [at, fresh] = seen.emplace(f.friendlyName, f.factoryName);
        EXPECT_TRUE(fresh) << '"' << f.friendlyName << "\" names " << at->second << " and "
                           << f.factoryName;
    }
}

}  // namespace
}  // namespace quova::engine

#include "graph/custom_build.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "graph/graph_state.h"
#include "platform/engine/filter_mapper.h"
#include "playback/player_session.h"
#include "tests/graph/graph_building_support.h"
#include "tests/support/gst_media.h"

namespace quova {
namespace {

using namespace engine;
using namespace quova::testing;
namespace media = quova::testing::media;

std::vector<std::string> FilterNames(PlayerSession& session) {
    std::vector<std::string> names;
    for (const FilterPtr& f : session.graph.GraphBuilder->Filters()) names.push_back(f->Name());
    return names;
}

bool Holds(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

class CustomBuildTest : public PlayerTest {
  protected:
    void SetUp() override {
        PlayerTest::SetUp();
        session.flags.CustomRender = true;
    }
};

TEST_F(CustomBuildTest, ChoosingFiltersByNameBuildsThatGraphAndItPlays) {
    const auto file = media::AviMp3(dir_ / "clip.avi", 1.0);
    Answerer answers([](const ChooserSeen& seen, TQuovaAddFilt& c) {
        if (seen.label.find("-> Output") != std::string::npos &&
            seen.label.find("AVI Splitter ->") == std::string::npos)
            Choose(c, "AVI Splitter", c.Button1);
        else if (seen.label.find("MPEG1 Layer3") != std::string::npos ||
                 seen.label.find("/MP3]") != std::string::npos)
            Choose(c, "mpg123 mp3 decoder", c.Button1);
        else
            c.Button2->click();  // "A&uto"
    });
    OpenMedia(session, file.string());
    EXPECT_TRUE(answers.boxes.empty()) << answers.boxes.front();
    ASSERT_GE(answers.choosers.size(), 3u);
    const ChooserSeen& first = answers.choosers.front();
    EXPECT_EQ(first.title, "Select filter to add to graph");
    EXPECT_EQ(first.label.rfind("rendering filter -> pin: " + file.string() + " -> Output\n[", 0),
              0u)
        << first.label;
    EXPECT_TRUE(first.skipShown);
    EXPECT_FALSE(first.defaultBoxShown);
    const auto names = FilterNames(session);
    EXPECT_TRUE(Holds(names, "AVI Splitter *"));
    EXPECT_TRUE(Holds(names, "mpg123 mp3 decoder *"));
    const FilterPtr decoder = session.graph.GraphBuilder->FindFilterByName("mpg123 mp3 decoder *");
    ASSERT_TRUE(decoder);
    for (const PinPtr& p : decoder->Pins()) EXPECT_TRUE(p->IsConnected()) << p->Name();
    EXPECT_TRUE(session.graph.BasicAudio);
    EXPECT_TRUE(session.graph.VideoWindow);
    EXPECT_EQ(ui_.captions.back(), "Quova - clip.avi");
    EXPECT_TRUE(RunToEnd(session));
}

TEST_F(CustomBuildTest, AutoEscapeAndAddWithNothingSelectedLetTheGraphManagerRender) {
    const auto file = media::AviPcm(dir_ / "clip.avi", 0.5, 1);
    const std::vector<std::function<void(TQuovaAddFilt&)>> answers = {
        [](TQuovaAddFilt& c) { c.Button2->click(); },
        [](TQuovaAddFilt& c) { c.reject(); },  // what Escape does
        [](TQuovaAddFilt& c) {
            c.ListBox1->clearSelection();
            c.Button1->click();
        },
    };
    for (const auto& act : answers) {
        Answerer answerer([&](const ChooserSeen&, TQuovaAddFilt& c) { act(c); });
        OpenMedia(session, file.string());
        EXPECT_EQ(answerer.choosers.size(), 1u) << "the source's pin is finished in one go";
        EXPECT_TRUE(session.graph.VideoWindow);
        EXPECT_TRUE(session.graph.BasicAudio);
        EXPECT_FALSE(Holds(FilterNames(session), "AVI Splitter *"));
    }
}

TEST_F(CustomBuildTest, SkipOnTheSourcesPinLeavesOnlyTheSourceAndTheOpenSucceeds) {
    const auto file = media::AviPcm(dir_ / "clip.avi", 0.5, 1);
    Answerer answers([](const ChooserSeen&, TQuovaAddFilt& c) { c.Button3->click(); });
    OpenMedia(session, file.string());
    EXPECT_TRUE(answers.boxes.empty());
    EXPECT_EQ(FilterNames(session), (std::vector<std::string>{file.string()}));
    EXPECT_EQ(ui_.captions.back(), "Quova - clip.avi");
}

TEST_F(CustomBuildTest, APinOfferingMoreThanSixteenTypesListsSixteen) {
    session.graph.GraphBuilder = std::make_unique<FilterGraph>();
    // By its element: how its list name reads depends on what else is installed.
    const auto& filters = engine::FilterMapper::Instance().Filters();
    const auto test = std::find_if(filters.begin(), filters.end(),
                                   [](const auto& f) { return f.factoryName == "videotestsrc"; });
    ASSERT_NE(test, filters.end());
    const FilterPtr source = CreateFilterByName(test->friendlyName);
    ASSERT_TRUE(source);
    ASSERT_TRUE(Succeeded(session.graph.GraphBuilder->AddFilter(source, "test source")));
    const PinPtr out = GetPin(source, PinsOutput, 1);
    ASSERT_TRUE(out);
    ASSERT_GT(out->MediaTypes().size(), 16u);
    const PinTypes described = DescribePinTypes("path", *out);
    EXPECT_EQ(described.types.size(), 16u);
    Answerer answers([](const ChooserSeen&, TQuovaAddFilt& c) { c.Button3->click(); });
    EXPECT_EQ(CustomBuild(session, "test", out), S_OK);
    ASSERT_EQ(answers.choosers.size(), 1u);
    const std::string& label = answers.choosers[0].label;
    EXPECT_EQ(std::count(label.begin(), label.end(), '['), 16) << label;
    EXPECT_FALSE(out->IsConnected());
}

TEST_F(CustomBuildTest, PinsAreCountedAndPickedByDirectionAndADownstreamChainRemoved) {
    session.flags.CustomRender = false;
    const auto file = media::AviPcm(dir_ / "clip.avi", 0.5, 1);
    OpenMedia(session, file.string());
    FilterGraph& graph = *session.graph.GraphBuilder;
    const FilterPtr splitter = graph.FindFilterByName("AVI Splitter");
    ASSERT_TRUE(splitter);
    EXPECT_EQ(CountPins(splitter, PinsInput), 1);
    EXPECT_EQ(CountPins(splitter, PinsOutput), 2);
    EXPECT_EQ(CountPins(splitter, PinsAll), 3);
    EXPECT_EQ(GetPin(splitter, PinsInput, 1)->Name(), "input pin");
    EXPECT_FALSE(GetPin(splitter, PinsOutput, 3));
    const size_t before = graph.Filters().size();
    std::vector<std::string> names;
    ASSERT_GE(FindFilterNamesByPinType(session, MEDIATYPE_Audio, GUID_NULL, PinDirection::Input, 63,
                                       names),
              1);
    const FilterPtr renderer = graph.FindFilterByName(names.front());
    RemoveDownstream(session, graph.FindFilterByName(names.front()));
    EXPECT_EQ(graph.Filters().size(), before - 1) << "the audio renderer alone goes";
    EXPECT_TRUE(graph.FindFilterByName("AVI Splitter"));
    // At most MaxIndex + 1 names are stored.
    EXPECT_EQ(
        FindFilterNamesByPinType(session, GUID_NULL, GUID_NULL, PinDirection::Input, 0, names), 1);
    (void)renderer;
}

TEST_F(CustomBuildTest, BypassRemovesWhatConsumesTheTypeAndNothingWhenThereIsNone) {
    session.flags.CustomRender = false;
    session.flags.BypassVideo = true;
    const auto wav = media::Wav(dir_ / "tone.wav", 0.5);
    OpenMedia(session, wav.string());
    const size_t withBypass = session.graph.GraphBuilder->Filters().size();
    EXPECT_TRUE(session.graph.BasicAudio);
    session.flags.BypassVideo = false;
    OpenMedia(session, wav.string());
    EXPECT_EQ(session.graph.GraphBuilder->Filters().size(), withBypass) << "nothing to bypass";

    session.flags.BypassVideo = true;
    const auto avi = media::AviPcm(dir_ / "clip.avi", 0.5, 1);
    OpenMedia(session, avi.string());
    EXPECT_FALSE(session.graph.VideoWindow);
    EXPECT_TRUE(session.graph.BasicAudio);
    EXPECT_TRUE(session.graph.GraphBuilder->FindFilterByName("AVI Splitter"))
        << "the splitter stays";
    EXPECT_TRUE(RunToEnd(session));
}

}  // namespace
}  // namespace quova

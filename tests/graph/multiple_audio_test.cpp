#include "graph/multiple_audio.h"

#include <gst/gst.h>
#include <gtest/gtest.h>

#include <atomic>

#include "graph/custom_build.h"
#include "playback/player_session.h"
#include "tests/graph/graph_building_support.h"
#include "tests/support/gst_media.h"
#include "text/text_session.h"

namespace quova {
namespace {

using namespace engine;
using namespace quova::testing;
namespace media = quova::testing::media;

// Counts the buffers that leave a pin.
class BufferCount {
  public:
    explicit BufferCount(const PinPtr& pin) : pad_(pin->pad()) {
        gst_object_ref(pad_);
        id_ = gst_pad_add_probe(pad_, GST_PAD_PROBE_TYPE_BUFFER, &Count, this, nullptr);
    }
    ~BufferCount() {
        gst_pad_remove_probe(pad_, id_);
        gst_object_unref(pad_);
    }
    int value() const { return count_.load(); }

  private:
    static GstPadProbeReturn Count(GstPad*, GstPadProbeInfo*, gpointer self) {
        ++static_cast<BufferCount*>(self)->count_;
        return GST_PAD_PROBE_OK;
    }
    GstPad* pad_;
    gulong id_ = 0;
    std::atomic<int> count_{0};
};

class MultipleAudioTest : public PlayerTest {
  protected:
    void SetUp() override {
        PlayerTest::SetUp();
        ReleaseMultipleAudio(session);
    }
    void TearDown() override {
        ReleaseMultipleAudio(session);
        PlayerTest::TearDown();
    }
    // The splitter's audio outputs that are connected.
    std::vector<PinPtr> ConnectedAudio() {
        std::vector<PinPtr> out;
        const FilterPtr splitter = session.graph.GraphBuilder->FindFilterByName("AVI Splitter");
        if (!splitter) return out;
        for (const PinPtr& p : splitter->Pins(PinDirection::Output)) {
            const auto type = p->ConnectionMediaType();
            if (type.ok() && type.value.IsAudio()) out.push_back(p);
        }
        return out;
    }
    int Count(const std::string& friendlyName) {
        int n = 0;
        for (const FilterPtr& f : session.graph.GraphBuilder->Filters())
            if (f->FriendlyName() == friendlyName) ++n;
        return n;
    }
    // A switch runs from timers; the test goes on once it is done.
    void Switch(int index) {
        SwitchAudioStream(session, index);
        ASSERT_TRUE(WaitUntil([&] { return !session.audio.switching; }, 10000));
    }
    // The check marks of the four audio-stream items.
    std::array<bool, 4> Checks() const {
        std::array<bool, 4> out{};
        for (size_t i = 0; i < out.size(); ++i) out[i] = ui_.audioItems[i].checked;
        return out;
    }
};

TEST_F(MultipleAudioTest, TwoOfThreeStreamsAreHeardTogetherAndOneIsSwitchedOffAndOn) {
    const auto file = media::AviPcm(dir_ / "dub.avi", 8.0, 3);
    int asked = 0;
    Answerer answers({}, [&](const std::string&) {
        return ++asked == 2 ? QMessageBox::Cancel : QMessageBox::Ok;
    });
    OpenMedia(session, file.string());
    ASSERT_EQ(answers.boxes.size(), 3u);
    EXPECT_EQ(answers.boxes[0],
              "Multiple Audio initial stream selection:\nEnable audio stream 1 of 3 ?");
    EXPECT_EQ(answers.boxes[2],
              "Multiple Audio initial stream selection:\nEnable audio stream 3 of 3 ?");
    EXPECT_EQ(Checks(), (std::array<bool, 4>{true, false, true, false}));
    const std::vector<PinPtr> heard = ConnectedAudio();
    ASSERT_EQ(heard.size(), 2u);
    // A renderer per stream heard, so that each can go to a device of its own.
    EXPECT_EQ(Count("Audio Renderer"), 2);
    EXPECT_EQ(Count("Audio Mixer"), 0);
    EXPECT_TRUE(StreamRenderer(session, 0));
    EXPECT_TRUE(StreamRenderer(session, 1));
    EXPECT_NE(StreamRenderer(session, 0), StreamRenderer(session, 1));
    EXPECT_FALSE(StreamRenderer(session, 2)) << "the file's second stream was declined";
    EXPECT_TRUE(session.graph.BasicAudio);

    BufferCount first(heard[0]), third(heard[1]);
    ASSERT_TRUE(WaitUntil([&] { return first.value() > 5 && third.value() > 5; }, 10000))
        << first.value() << " " << third.value();

    // Menu item 2 acts on the second stream heard: the file's third.
    Switch(1);
    EXPECT_EQ(session.osdMessage, "audio stream 2 disconnected");
    EXPECT_FALSE(Checks()[1]);
    EXPECT_FALSE(StreamRenderer(session, 1))
        << "a stream switched off has no renderer to choose a device for";
    EXPECT_EQ(session.graph.GraphBuilder->GetState(100).value, GraphState::Running);
    const int thirdOff = third.value();
    const int firstOff = first.value();
    ASSERT_TRUE(WaitUntil([&] { return first.value() > firstOff + 10; }, 10000))
        << "the first stream plays on alone";
    EXPECT_LE(third.value(), thirdOff + 2);

    Switch(1);
    EXPECT_EQ(session.osdMessage, "audio stream 2 connected");
    EXPECT_TRUE(Checks()[1]);
    const int thirdOn = third.value();
    const int firstOn = first.value();
    ASSERT_TRUE(WaitUntil(
        [&] { return third.value() > thirdOn + 5 && first.value() > firstOn + 5; }, 10000))
        << "both are heard again";
    EXPECT_EQ(Count("Audio Renderer"), 2);
}

TEST_F(MultipleAudioTest, OneStreamAcceptedLeavesNothingToSwitch) {
    const auto file = media::AviPcm(dir_ / "dub.avi", 2.0, 2);
    int asked = 0;
    Answerer answers({}, [&](const std::string&) {
        return ++asked == 1 ? QMessageBox::Ok : QMessageBox::Cancel;
    });
    OpenMedia(session, file.string());
    EXPECT_EQ(ConnectedAudio().size(), 1u);
    Switch(0);
    EXPECT_EQ(session.osdMessage, "no multiple audio stream");
    EXPECT_EQ(session.graph.GraphBuilder->GetState(100).value, GraphState::Running);
}

TEST_F(MultipleAudioTest, APausedMediumStaysPausedAndAStreamSwitchedTwiceIsBack) {
    const auto file = media::AviPcm(dir_ / "dub.avi", 4.0, 2);
    Answerer answers({}, {});
    OpenMedia(session, file.string());
    session.graph.GraphBuilder->Pause();
    Switch(0);
    EXPECT_EQ(session.osdMessage, "audio stream 1 disconnected");
    EXPECT_EQ(session.graph.GraphBuilder->GetState(100).value, GraphState::Paused);
    Switch(0);
    EXPECT_EQ(session.osdMessage, "audio stream 1 connected");
    EXPECT_EQ(ConnectedAudio().size(), 2u);

    // Two presses in a row: the command returns at once, and the second
    // switch runs after the first instead of being lost.
    SwitchAudioStream(session, 0);
    EXPECT_TRUE(session.audio.switching) << "the switch goes on from timers";
    SwitchAudioStream(session, 0);
    ASSERT_TRUE(WaitUntil([&] { return !session.audio.switching; }, 10000));
    EXPECT_EQ(session.osdMessage, "audio stream 1 connected");
    EXPECT_EQ(session.graph.GraphBuilder->GetState(100).value, GraphState::Paused);
    EXPECT_EQ(ConnectedAudio().size(), 2u);
    // A stream number beyond those heard changes nothing.
    Switch(3);
    EXPECT_EQ(ConnectedAudio().size(), 2u);
}

}  // namespace
}  // namespace quova

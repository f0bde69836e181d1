// Seeks to a keyframe and exact seeks, on H.264 whose keyframes lie a second
// apart: where the position lands and which picture and sound the renderers
// receive first.
#include <gtest/gtest.h>

#include <gst/gst.h>

#include <filesystem>
#include <vector>

#include "platform/engine/audio_renderer.h"
#include "platform/engine/filter_graph.h"
#include "platform/engine/video_renderer.h"
#include "tests/platform/engine/engine_fixture.h"
#include "tests/support/first_buffer.h"
#include "tests/support/gst_media.h"
#include "tests/support/temp_dir.h"

namespace quova::engine {
namespace {

using quova::testing::FirstBufferTap;
using testing::WaitUntil;

// Stream times computed from the same integer timestamps agree to the nanosecond.
constexpr double kSameTime = 1e-6;
// Decoded sound is cut to the sample.
constexpr double kSample = 1.0 / 44100;

// Ten seconds of H.264 with a keyframe each second (25 frames), and MP3 sound.
const std::filesystem::path& Clip() {
    static quova::testing::TempDir dir;
    static const std::filesystem::path path =
        quova::testing::media::MatroskaH264KeyFrames(dir / "keyframes.mkv", 10.0, 25);
    return path;
}

// The clip's keyframe times as the demuxer marks them, read by a pipeline of
// its own (the engine plays no part).
const std::vector<double>& KeyFrames() {
    static const std::vector<double> times = quova::testing::MatroskaVideoKeyFrames(Clip());
    return times;
}

double KeyFrameAtOrBefore(double seconds) {
    double at = -1;
    for (double k : KeyFrames())
        if (k <= seconds + kSameTime) at = k;
    return at;
}

double KeyFrameAtOrAfter(double seconds) {
    for (double k : KeyFrames())
        if (k >= seconds - kSameTime) return k;
    return -1;
}

GstPad* InputPad(const FilterPtr& renderer) {
    const auto inputs = renderer->Pins(PinDirection::Input);
    return inputs.empty() ? nullptr : inputs.front()->pad();
}

FilterPtr AudioRenderer(const FilterGraph& graph) {
    for (const FilterPtr& f : graph.Filters())
        if (std::dynamic_pointer_cast<AudioRendererFilter>(f)) return f;
    return nullptr;
}

class KeyFrameSeek : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_GE(KeyFrames().size(), 9u);
        // The clip is what the targets below assume: a keyframe each second,
        // the frames between depending on them.
        ASSERT_NEAR(KeyFrameAtOrBefore(3.4), 3.0, kSameTime);
        ASSERT_NEAR(KeyFrameAtOrAfter(3.04), 4.0, kSameTime);
        ASSERT_EQ(graph_.RenderFile(Clip().string()), S_OK);
        ASSERT_NE(graph_.VideoRenderer(), nullptr);
        ASSERT_NE(AudioRenderer(graph_), nullptr);
        picture_ = std::make_unique<FirstBufferTap>(InputPad(graph_.VideoRenderer()));
        sound_ = std::make_unique<FirstBufferTap>(InputPad(AudioRenderer(graph_)));
        ASSERT_TRUE(Succeeded(graph_.Pause()));
        ASSERT_EQ(graph_.GetState(5000).value, GraphState::Paused);
    }

    // Seeks and waits for the first picture and sound of the new position.
    HResult Seek(double seconds, std::uint32_t flags) {
        picture_->Arm();
        sound_->Arm();
        const HResult hr =
            graph_.SetPositions(static_cast<std::int64_t>(std::llround(seconds * kUnitsPerSecond)),
                                flags, 0, AM_SEEKING_NoPositioning);
        EXPECT_TRUE(
            WaitUntil([this] { return picture_->Seconds() >= 0 && sound_->Seconds() >= 0; }));
        return hr;
    }
    double Position() { return graph_.CurrentPosition().value; }

    FilterGraph graph_;
    std::unique_ptr<FirstBufferTap> picture_, sound_;
};

constexpr std::uint32_t kAbsoluteKey = AM_SEEKING_AbsolutePositioning | AM_SEEKING_SeekToKeyFrame;
constexpr std::uint32_t kRelativeKey = AM_SEEKING_RelativePositioning | AM_SEEKING_SeekToKeyFrame;

TEST_F(KeyFrameSeek, LandsOnTheKeyFrameAtOrBeforeTheTarget) {
    for (const double target : {3.4, 6.72, 8.0, 0.96, 5.04}) {
        const double keyFrame = KeyFrameAtOrBefore(target);
        ASSERT_EQ(Seek(target, kAbsoluteKey), S_OK) << target;
        EXPECT_NEAR(picture_->Seconds(), keyFrame, kSameTime) << target;
        EXPECT_NEAR(Position(), keyFrame, kSameTime) << target;
        // The sound goes on from the picture, not from the target: its
        // first decoded frame (26 ms of MP3) holds the keyframe's time.
        EXPECT_NEAR(sound_->Seconds(), keyFrame, 0.03) << target;
        EXPECT_EQ(graph_.GetState(1000).value, GraphState::Paused);
    }
}

TEST_F(KeyFrameSeek, ARelativeMoveForwardLandsOnTheKeyFrameAtOrAfterItsTarget) {
    ASSERT_EQ(Seek(2.2, AM_SEEKING_AbsolutePositioning), S_OK);
    ASSERT_NEAR(Position(), 2.2, kSameTime);
    // 2.2 + 0.2 lies after the keyframe at 2 s: the scan must not fall back there.
    ASSERT_EQ(Seek(0.2, kRelativeKey), S_OK);
    EXPECT_NEAR(picture_->Seconds(), KeyFrameAtOrAfter(2.4), kSameTime);
    EXPECT_NEAR(Position(), KeyFrameAtOrAfter(2.4), kSameTime);
    ASSERT_EQ(Seek(1.5, kRelativeKey), S_OK);
    EXPECT_NEAR(Position(), KeyFrameAtOrAfter(KeyFrameAtOrAfter(2.4) + 1.5), kSameTime);
}

TEST_F(KeyFrameSeek, ARelativeMoveBackwardLandsOnTheKeyFrameAtOrBeforeItsTarget) {
    ASSERT_EQ(Seek(5.6, AM_SEEKING_AbsolutePositioning), S_OK);
    ASSERT_EQ(Seek(-0.4, kRelativeKey), S_OK);
    EXPECT_NEAR(picture_->Seconds(), KeyFrameAtOrBefore(5.2), kSameTime);
    EXPECT_NEAR(Position(), KeyFrameAtOrBefore(5.2), kSameTime);
    ASSERT_EQ(Seek(-2.0, kRelativeKey), S_OK);
    EXPECT_NEAR(Position(), KeyFrameAtOrBefore(KeyFrameAtOrBefore(5.2) - 2.0), kSameTime);
}

TEST_F(KeyFrameSeek, WithoutTheFlagASeekLandsOnTheFrameAskedFor) {
    for (const double target : {3.4, 6.72, 0.96, 5.04}) {
        ASSERT_EQ(Seek(target, AM_SEEKING_AbsolutePositioning), S_OK) << target;
        EXPECT_NEAR(picture_->Seconds(), target, kSameTime) << target;
        EXPECT_NEAR(Position(), target, kSameTime) << target;
        EXPECT_NEAR(sound_->Seconds(), target, kSample) << target;
    }
    // Relative moves too.
    ASSERT_EQ(Seek(0.48, AM_SEEKING_RelativePositioning), S_OK);
    EXPECT_NEAR(picture_->Seconds(), 5.52, kSameTime);
    // Between two frames: the frame on screen at that time (from 7.12 s),
    // not a keyframe's.
    ASSERT_EQ(Seek(7.13, AM_SEEKING_AbsolutePositioning), S_OK);
    EXPECT_GE(picture_->Seconds(), 7.12 - kSameTime);
    EXPECT_LE(picture_->Seconds(), 7.13 + kSameTime);
    EXPECT_NEAR(Position(), 7.13, kSameTime);
}

// A flushing seek throws the decoded picture away and decodes it again from
// its keyframe: counted by the flushes reaching the renderer, which the seek
// sends before it returns.
TEST_F(KeyFrameSeek, ASeekToWhereThePausedPictureIsDecodesNothingAgain) {
    int flushes = 0;
    GstPad* pad = InputPad(graph_.VideoRenderer());
    const gulong probe = gst_pad_add_probe(
        pad, GST_PAD_PROBE_TYPE_EVENT_FLUSH,
        [](GstPad*, GstPadProbeInfo* info, gpointer data) {
            if (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) == GST_EVENT_FLUSH_START)
                ++*static_cast<int*>(data);
            return GST_PAD_PROBE_OK;
        },
        &flushes, nullptr);
    auto seek = [this](double seconds, std::uint32_t flags) {
        return graph_.SetPositions(
            static_cast<std::int64_t>(std::llround(seconds * kUnitsPerSecond)), flags, 0,
            AM_SEEKING_NoPositioning);
    };
    EXPECT_EQ(seek(0, AM_SEEKING_AbsolutePositioning), S_OK);
    EXPECT_EQ(flushes, 0) << "prerolled at the start already";
    EXPECT_NEAR(Position(), 0.0, kSameTime);

    ASSERT_EQ(Seek(3.4, AM_SEEKING_AbsolutePositioning), S_OK);
    EXPECT_EQ(flushes, 1);
    EXPECT_EQ(seek(3.4, AM_SEEKING_AbsolutePositioning), S_OK);
    EXPECT_EQ(flushes, 1) << "the picture of 3.4 s is shown already";
    EXPECT_NEAR(Position(), 3.4, kSameTime);

    // Another landing, another picture.
    ASSERT_EQ(Seek(3.4, kAbsoluteKey), S_OK);
    EXPECT_EQ(flushes, 2);
    EXPECT_NEAR(picture_->Seconds(), KeyFrameAtOrBefore(3.4), kSameTime);

    // Once the graph ran, the paused picture is wherever it stopped.
    ASSERT_EQ(Seek(3.4, AM_SEEKING_AbsolutePositioning), S_OK);
    ASSERT_EQ(flushes, 3);
    ASSERT_EQ(graph_.Run(), S_OK);
    ASSERT_TRUE(WaitUntil([this] { return Position() >= 3.5; }));
    ASSERT_TRUE(Succeeded(graph_.Pause()));
    ASSERT_EQ(Seek(3.4, AM_SEEKING_AbsolutePositioning), S_OK);
    EXPECT_EQ(flushes, 4);
    EXPECT_NEAR(picture_->Seconds(), 3.4, kSameTime);
    gst_pad_remove_probe(pad, probe);
}

TEST_F(KeyFrameSeek, WhileRunningTheFirstPictureIsTheKeyFrame) {
    ASSERT_EQ(graph_.Run(), S_OK);
    ASSERT_TRUE(WaitUntil([this] { return Position() >= 0.2; }));
    ASSERT_EQ(Seek(6.72, kAbsoluteKey), S_OK);
    EXPECT_NEAR(picture_->Seconds(), KeyFrameAtOrBefore(6.72), kSameTime);
    EXPECT_EQ(graph_.GetState(5000).value, GraphState::Running);
    ASSERT_TRUE(WaitUntil([this] { return Position() >= 6.1; })) << "it plays on from the keyframe";
    ASSERT_EQ(Seek(3.4, AM_SEEKING_AbsolutePositioning), S_OK);
    EXPECT_NEAR(picture_->Seconds(), 3.4, kSameTime);
}

}  // namespace
}  // namespace quova::engine

// The GPU path through its seams: this machine has no GPU, so a decoder that
// says it is one ("Codec/Decoder/Video/Hardware", ranked above avdec_h264)
// stands in for vah264dec. It decodes through avdec_h264 inside it, or fails
// as a GPU decoder does: at start, or after some frames.
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <fstream>
#include <map>
#include <thread>

#include "platform/engine/decoder_choice.h"
#include "platform/engine/filter_graph.h"
#include "platform/engine/gst_init.h"
#include "platform/engine/video_renderer.h"
#include "tests/platform/engine/engine_fixture.h"
#include "tests/support/gst_media.h"
#include "tests/support/temp_dir.h"

namespace {

// FailAndErrOnStop fails as FailAfterTenFrames does, and reports one more
// error while the pipeline stops, as a demuxer whose push was refused does
// when its task ends.
enum class FakeMode { Decode, FailAtStart, FailAfterTenFrames, FailAndErrOnStop };
std::atomic<FakeMode> g_nextMode{FakeMode::Decode};
constexpr const char* kFakeName = "quovafakegpuh264dec";

struct FakeGpuDec {
    GstBin parent;
    FakeMode mode;
    int frames;
    bool failed;
};
struct FakeGpuDecClass {
    GstBinClass parent_class;
};

G_DEFINE_TYPE(FakeGpuDec, fake_gpu_dec, GST_TYPE_BIN)

GstStaticPadTemplate kSinkTemplate = GST_STATIC_PAD_TEMPLATE(
    "sink", GST_PAD_SINK, GST_PAD_ALWAYS,
    GST_STATIC_CAPS("video/x-h264, stream-format=(string){ avc, byte-stream }, "
                    "alignment=(string)au"));
GstStaticPadTemplate kSrcTemplate =
    GST_STATIC_PAD_TEMPLATE("src", GST_PAD_SRC, GST_PAD_ALWAYS, GST_STATIC_CAPS("video/x-raw"));

// A GPU decoder that loses its device: the frame is refused with an error,
// as the decoder's push fails.
GstPadProbeReturn CountFrame(GstPad*, GstPadProbeInfo* info, gpointer data) {
    auto* self = static_cast<FakeGpuDec*>(data);
    const bool fails =
        self->mode == FakeMode::FailAfterTenFrames || self->mode == FakeMode::FailAndErrOnStop;
    if (!fails || ++self->frames <= 10) return GST_PAD_PROBE_OK;
    if (!self->failed) {
        self->failed = true;
        GST_ELEMENT_ERROR(self, STREAM, DECODE, ("the GPU stopped decoding"), (nullptr));
    }
    gst_mini_object_unref(static_cast<GstMiniObject*>(GST_PAD_PROBE_INFO_DATA(info)));
    GST_PAD_PROBE_INFO_FLOW_RETURN(info) = GST_FLOW_ERROR;
    return GST_PAD_PROBE_HANDLED;
}

GstStateChangeReturn ChangeState(GstElement* element, GstStateChange transition) {
    auto* self = reinterpret_cast<FakeGpuDec*>(element);
    if (transition == GST_STATE_CHANGE_READY_TO_PAUSED && self->mode == FakeMode::FailAtStart) {
        GST_ELEMENT_ERROR(self, RESOURCE, OPEN_READ_WRITE, ("no VA display"), (nullptr));
        return GST_STATE_CHANGE_FAILURE;
    }
    if (transition == GST_STATE_CHANGE_PAUSED_TO_READY &&
        self->mode == FakeMode::FailAndErrOnStop && self->failed)
        GST_ELEMENT_ERROR(self, STREAM, FAILED, ("Internal data stream error."), (nullptr));
    return GST_ELEMENT_CLASS(fake_gpu_dec_parent_class)->change_state(element, transition);
}

void fake_gpu_dec_class_init(FakeGpuDecClass* klass) {
    auto* element = GST_ELEMENT_CLASS(klass);
    gst_element_class_add_static_pad_template(element, &kSinkTemplate);
    gst_element_class_add_static_pad_template(element, &kSrcTemplate);
    gst_element_class_set_static_metadata(element, "Stand-in GPU H.264 decoder",
                                          "Codec/Decoder/Video/Hardware",
                                          "avdec_h264 in a GPU decoder's place", "Quova tests");
    element->change_state = ChangeState;
}

void fake_gpu_dec_init(FakeGpuDec* self) {
    self->mode = g_nextMode.load();
    self->frames = 0;
    self->failed = false;
    GstElement* decoder = gst_element_factory_make("avdec_h264", nullptr);
    gst_bin_add(GST_BIN(self), decoder);
    GstPad* in = gst_element_get_static_pad(decoder, "sink");
    GstPad* out = gst_element_get_static_pad(decoder, "src");
    gst_pad_add_probe(in, GST_PAD_PROBE_TYPE_BUFFER, CountFrame, self, nullptr);
    GstElementClass* klass = GST_ELEMENT_GET_CLASS(self);
    gst_element_add_pad(GST_ELEMENT(self),
                        gst_ghost_pad_new_from_template(
                            "sink", in, gst_element_class_get_pad_template(klass, "sink")));
    gst_element_add_pad(GST_ELEMENT(self),
                        gst_ghost_pad_new_from_template(
                            "src", out, gst_element_class_get_pad_template(klass, "src")));
    gst_object_unref(in);
    gst_object_unref(out);
}

}  // namespace

namespace quova::engine {
namespace {

using testing::Media;

constexpr int kFrames = 50;  // 2 s at 25 frames a second

class HardwareDecoding : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        // Before anything reads the filter list.
        EnsureGstInitialized();
        GstElementFactory* avdec = gst_element_factory_find("avdec_h264");
        ASSERT_TRUE(avdec);
        const guint rank = gst_plugin_feature_get_rank(GST_PLUGIN_FEATURE(avdec));
        gst_object_unref(avdec);
        ASSERT_TRUE(gst_element_register(nullptr, kFakeName, rank + 1, fake_gpu_dec_get_type()));
        // GStreamer's "SMPTE 100% color bars": seven bars of full colours on top.
        const std::string made = quova::testing::MakeMedia(
            "videotestsrc pattern=smpte num-buffers=" + std::to_string(kFrames) +
                " ! video/x-raw,width=320,height=240,framerate=25/1 ! x264enc "
                "speed-preset=ultrafast tune=zerolatency ! h264parse ! matroskamux ! "
                "filesink location=$OUT",
            Dir().path() / "bars.mkv");
        ASSERT_EQ(made, "");
        // A render node that answers: the device the decoder would open.
        std::ofstream(Dir().path() / "renderD128") << "";
    }

    void SetUp() override {
        DecoderChoice& choice = DecoderChoice::Instance();
        choice.SetDriFolder(Dir().path());
        choice.SetHardwareAllowed(true);
        choice.ForgetFailures();
        g_nextMode = FakeMode::Decode;
    }

    static quova::testing::TempDir& Dir() {
        static quova::testing::TempDir dir;
        return dir;
    }
    static std::string Clip() { return (Dir().path() / "bars.mkv").string(); }

    static FilterPtr Decoder(const FilterGraph& graph) {
        for (const FilterPtr& f : graph.Filters())
            if (f->Info().category == FilterCategory::Decoder) return f;
        return nullptr;
    }

    // Runs to the end, counting each event by its code; `replacedAt` gets
    // the position when the decoder was replaced.
    static std::map<long, int> RunToEnd(FilterGraph& graph, double* replacedAt = nullptr) {
        std::map<long, int> seen;
        EXPECT_EQ(graph.Run(), S_OK);
        testing::WaitUntil([&] {
            for (auto e = graph.GetEvent(0); e.ok(); e = graph.GetEvent(0)) {
                ++seen[e.value.code];
                if (e.value.code == EC_DECODER_REPLACED && replacedAt)
                    *replacedAt = graph.CurrentPosition().value;
            }
            return seen.count(EC_COMPLETE) || seen.count(EC_ERRORABORT);
        });
        testing::Spin(50);
        return seen;
    }
};

TEST_F(HardwareDecoding, TheGpuDecoderIsTakenAndShowsThePictureUncopied) {
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(Clip()), S_OK);
    const FilterPtr decoder = Decoder(graph);
    ASSERT_TRUE(decoder) << testing::FilterNames(graph);
    EXPECT_EQ(decoder->ElementFactoryName(), kFakeName) << testing::FilterNames(graph);
    // The renderer takes what the decoder gives: nothing converts between.
    auto video = graph.VideoRenderer();
    ASSERT_TRUE(video);
    const PinPtr out = decoder->Pins(PinDirection::Output).front();
    ASSERT_TRUE(out->ConnectedTo());
    EXPECT_EQ(out->ConnectedTo()->Owner(), video) << testing::FilterNames(graph);

    const auto seen = RunToEnd(graph);
    EXPECT_EQ(seen.count(EC_COMPLETE), 1u);
    EXPECT_EQ(seen.count(EC_DECODER_REPLACED), 0u);
    // A loaded machine may drop late frames, never more than the file has.
    EXPECT_GE(video->ReceivedFrames(), static_cast<std::uint64_t>(kFrames / 2));
    EXPECT_LE(video->ReceivedFrames(), static_cast<std::uint64_t>(kFrames));
    const QImage picture = video->CurrentImage();
    ASSERT_EQ(picture.size(), QSize(320, 240));
    // The first bar is white, the last of the seven blue.
    const QColor white = picture.pixelColor(320 / 14, 60);
    const QColor blue = picture.pixelColor(320 * 13 / 14, 60);
    for (auto [got, want] : {std::pair{white, QColor(255, 255, 255)}, {blue, QColor(0, 0, 255)}}) {
        EXPECT_NEAR(got.red(), want.red(), 12) << got.name().toStdString();
        EXPECT_NEAR(got.green(), want.green(), 12) << got.name().toStdString();
        EXPECT_NEAR(got.blue(), want.blue(), 12) << got.name().toStdString();
    }
}

TEST_F(HardwareDecoding, ADecoderThatCannotStartGivesWayToSoftwareOnce) {
    g_nextMode = FakeMode::FailAtStart;
    FilterGraph graph;
    // Not a damaged file: it opens, with software.
    ASSERT_EQ(graph.RenderFile(Clip()), S_OK);
    ASSERT_TRUE(Decoder(graph));
    EXPECT_EQ(Decoder(graph)->ElementFactoryName(), "avdec_h264") << testing::FilterNames(graph);
    auto seen = RunToEnd(graph);
    EXPECT_EQ(seen[EC_DECODER_REPLACED], 1);
    EXPECT_EQ(seen[EC_ERRORABORT], 0);
    EXPECT_EQ(seen[EC_COMPLETE], 1);
    EXPECT_GE(graph.VideoRenderer()->ReceivedFrames(), static_cast<std::uint64_t>(kFrames / 2));
    EXPECT_NEAR(graph.CurrentPosition().value, 2.0, 0.1);

    // The run remembers: the next file of the codec goes to software at once.
    FilterGraph next;
    ASSERT_EQ(next.RenderFile(Clip()), S_OK);
    EXPECT_EQ(Decoder(next)->ElementFactoryName(), "avdec_h264");
    EXPECT_EQ(RunToEnd(next)[EC_DECODER_REPLACED], 0);
}

TEST_F(HardwareDecoding, ADecoderFailingWhilePlayingIsReplacedWhereItFailed) {
    g_nextMode = FakeMode::FailAfterTenFrames;
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(Clip()), S_OK);
    ASSERT_EQ(Decoder(graph)->ElementFactoryName(), kFakeName);
    double replacedAt = -1;
    const auto seen = RunToEnd(graph, &replacedAt);
    EXPECT_EQ(seen.count(EC_ERRORABORT), 0u) << "the medium is not to blame";
    EXPECT_EQ(seen.count(EC_COMPLETE), 1u);
    EXPECT_EQ(seen.count(EC_DECODER_REPLACED), 1u);
    ASSERT_TRUE(Decoder(graph));
    EXPECT_EQ(Decoder(graph)->ElementFactoryName(), "avdec_h264");
    // Software went on where the GPU stopped, at the eleventh frame (0.44 s):
    // not from the start, and less than a second later. Nothing was shown
    // twice (from the start, that would be about ten frames more).
    EXPECT_GT(replacedAt, 0.1);
    EXPECT_LT(replacedAt, 0.44 + 1.0);
    auto video = graph.VideoRenderer();
    ASSERT_TRUE(video);
    EXPECT_LE(video->ReceivedFrames(), static_cast<std::uint64_t>(kFrames + 2));
    EXPECT_NEAR(graph.CurrentPosition().value, 2.0, 0.1);
}

TEST_F(HardwareDecoding, TheEndOfStreamAFailureCausesIsNotTheEndOfTheFile) {
    // The demuxer ends its stream when the decoder refuses a frame; on a busy
    // machine that end is read in the same batch as the decoder's error,
    // before the decoder is replaced. Here the player is kept from reading
    // either until both have long arrived.
    g_nextMode = FakeMode::FailAfterTenFrames;
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(Clip()), S_OK);
    ASSERT_EQ(Decoder(graph)->ElementFactoryName(), kFakeName);
    ASSERT_EQ(graph.Run(), S_OK);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const auto seen = RunToEnd(graph);
    EXPECT_EQ(seen.count(EC_DECODER_REPLACED), 1u);
    EXPECT_EQ(seen.count(EC_COMPLETE), 1u);
    EXPECT_EQ(Decoder(graph)->ElementFactoryName(), "avdec_h264");
    EXPECT_NEAR(graph.CurrentPosition().value, 2.0, 0.1) << "played to its end";
}

// The failed decoder's run is taken down before software takes its place;
// what that run reports as it stops belongs to the failure, not to the file.
TEST_F(HardwareDecoding, AnErrorTheFailedRunReportsAsItStopsIsNotTheFilesError) {
    g_nextMode = FakeMode::FailAndErrOnStop;
    FilterGraph graph;
    ASSERT_EQ(graph.RenderFile(Clip()), S_OK);
    ASSERT_EQ(Decoder(graph)->ElementFactoryName(), kFakeName);
    const auto seen = RunToEnd(graph);
    EXPECT_EQ(seen.count(EC_ERRORABORT), 0u) << "the medium is not to blame";
    EXPECT_EQ(seen.count(EC_DECODER_REPLACED), 1u);
    EXPECT_EQ(seen.count(EC_COMPLETE), 1u);
    EXPECT_NEAR(graph.CurrentPosition().value, 2.0, 0.1) << "played to its end";
}

TEST_F(HardwareDecoding, SoftwareDecodesWhereTheGpuIsNotToBeUsed) {
    DecoderChoice& choice = DecoderChoice::Instance();
    choice.SetHardwareAllowed(false);
    FilterGraph off;
    ASSERT_EQ(off.RenderFile(Clip()), S_OK);
    EXPECT_EQ(Decoder(off)->ElementFactoryName(), "avdec_h264") << "the setting is off";

    choice.SetHardwareAllowed(true);
    quova::testing::TempDir noGpu;
    choice.SetDriFolder(noGpu.path());
    FilterGraph none;
    ASSERT_EQ(none.RenderFile(Clip()), S_OK);
    EXPECT_EQ(Decoder(none)->ElementFactoryName(), "avdec_h264") << "no render node";
}

}  // namespace
}  // namespace quova::engine

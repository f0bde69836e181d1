// A graph that writes one stream of a file into another file: how the data
// gets there (in which thread, in how many writes) and that it arrives whole.
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include "platform/engine/filter_graph.h"
#include "platform/engine/filter_mapper.h"
#include "tests/platform/engine/audio_tap.h"
#include "tests/platform/engine/engine_fixture.h"
#include "tests/support/gst_media.h"
#include "tests/support/temp_dir.h"

namespace quova::engine {
namespace {

using testing::RemoveAudioRenderer;
using testing::WaitForEvent;
namespace fs = std::filesystem;

// The write calls this process has made so far, as the kernel counts them.
long WriteCalls() {
    std::ifstream io("/proc/self/io");
    std::string key;
    long value = 0;
    while (io >> key >> value)
        if (key == "syscw:") return value;
    ADD_FAILURE() << "no write count in /proc/self/io";
    return 0;
}

// The threads that took part in a pad's traffic, and the buffers that passed.
class PadThreads {
  public:
    PadThreads(GstPad* pad, GstPadProbeType type) : pad_(GST_PAD(gst_object_ref(pad))) {
        id_ = gst_pad_add_probe(pad_, type, &Seen, this, nullptr);
    }
    ~PadThreads() {
        gst_pad_remove_probe(pad_, id_);
        gst_object_unref(pad_);
    }
    std::set<std::thread::id> Threads() const {
        std::lock_guard guard(lock_);
        return threads_;
    }
    long Buffers() const { return buffers_.load(); }

  private:
    static GstPadProbeReturn Seen(GstPad*, GstPadProbeInfo* info, gpointer data) {
        auto* self = static_cast<PadThreads*>(data);
        if (info->type & GST_PAD_PROBE_TYPE_BUFFER) ++self->buffers_;
        std::lock_guard guard(self->lock_);
        self->threads_.insert(std::this_thread::get_id());
        return GST_PAD_PROBE_OK;
    }

    GstPad* pad_;
    gulong id_ = 0;
    mutable std::mutex lock_;
    std::set<std::thread::id> threads_;
    std::atomic<long> buffers_{0};
};

// The threads that read the file and those that bring the sound to the
// writer's input, over a run of the graph to its end.
struct StreamThreads {
    std::set<std::thread::id> reader, writer;
    long buffers = 0;
};

class FileWriting : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::EnsureQtApplication();
        // Audio in chunks of 256 samples (1 KiB), beside MJPEG video: the
        // interleaving of files whose audio comes a frame's worth at a time.
        clip_ = dir_ / "small_chunks.avi";
        ASSERT_EQ(quova::testing::MakeMedia(
                      "videotestsrc num-buffers=100 ! video/x-raw,width=64,height=48,"
                      "framerate=25/1 ! jpegenc ! avimux name=mux ! filesink location=$OUT "
                      "audiotestsrc num-buffers=1700 samplesperbuffer=256 ! "
                      "audio/x-raw,format=S16LE,rate=44100,channels=2 ! mux.",
                      clip_),
                  "");
        // The samples as GStreamer's own demuxer takes them out.
        ASSERT_EQ(quova::testing::MakeMedia("filesrc location=" + clip_.string() +
                                                " ! avidemux name=d d.audio_0 ! "
                                                "filesink location=$OUT",
                                            dir_ / "reference.pcm"),
                  "");
    }

    // The clip rendered, its sound going into the "Dump" writer instead of
    // the renderer; the writer's input pin.
    PinPtr WriteTheSound(FilterGraph& graph, const fs::path& out) {
        EXPECT_EQ(graph.RenderFile(clip_.string()), S_OK);
        const PinPtr pcm = RemoveAudioRenderer(graph);
        if (!pcm) return nullptr;
        const FilterPtr writer = FilterMapper::Instance().CreateByName("Dump");
        EXPECT_TRUE(Succeeded(graph.AddFilter(writer, "Dump")));
        EXPECT_EQ(writer->AsFileSink()->SetFileName(out.string()), S_OK);
        const PinPtr input = writer->Pins(PinDirection::Input).front();
        EXPECT_EQ(graph.ConnectDirect(pcm, input), S_OK);
        return input;
    }

    // Takes out what the pictures went to: the sound is the one stream left.
    static void DropThePictures(FilterGraph& graph) {
        for (const FilterPtr& f : graph.Filters())
            for (const PinPtr& out : f->Pins(PinDirection::Output)) {
                const Outcome<MediaType> type = out->ConnectionMediaType();
                if (type.ok() && type.value.IsVideo())
                    graph.RemoveDownstream(out->ConnectedTo()->Owner());
            }
        EXPECT_FALSE(graph.VideoRenderer());
    }

    // The file source's output, where the demuxer takes the file's bytes.
    static GstPad* FileBytes(const FilterGraph& graph) {
        for (const FilterPtr& f : graph.Filters())
            if (f->IsSource() && !f->Pins(PinDirection::Output).empty())
                return f->Pins(PinDirection::Output).front()->pad();
        return nullptr;
    }

    static StreamThreads RunToTheEnd(FilterGraph& graph, const PinPtr& input) {
        StreamThreads out;
        GstPad* bytes = FileBytes(graph);
        EXPECT_TRUE(bytes);
        if (!bytes) return out;
        PadThreads reading(bytes, static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BUFFER |
                                                               GST_PAD_PROBE_TYPE_PULL));
        PadThreads arriving(input->pad(), GST_PAD_PROBE_TYPE_BUFFER);
        EXPECT_EQ(graph.Run(), S_OK);
        EXPECT_TRUE(WaitForEvent(graph, EC_COMPLETE, 30000));
        graph.Stop();
        out.reader = reading.Threads();
        out.writer = arriving.Threads();
        out.buffers = arriving.Buffers();
        return out;
    }

    quova::testing::TempDir dir_;
    fs::path clip_;
};

TEST_F(FileWriting, SmallBuffersReachTheFileInFewWritesAndWhole) {
    FilterGraph graph;
    const fs::path out = dir_ / "out.pcm";
    const PinPtr input = WriteTheSound(graph, out);
    ASSERT_TRUE(input);
    DropThePictures(graph);
    graph.SetClockSync(false);
    PadThreads arriving(input->pad(), GST_PAD_PROBE_TYPE_BUFFER);
    const long before = WriteCalls();
    ASSERT_EQ(graph.Run(), S_OK);
    ASSERT_TRUE(WaitForEvent(graph, EC_COMPLETE, 30000));
    const long writes = WriteCalls() - before;
    graph.Stop();
    EXPECT_GE(arriving.Buffers(), 1700);
    // A mebibyte a write, give or take the program's other writes (event
    // wake-ups); one write a buffer would be 1700.
    EXPECT_LT(writes, arriving.Buffers() / 10);
    const std::string written = quova::testing::ReadFile(out);
    EXPECT_EQ(written.size(), 1700u * 256 * 4);
    EXPECT_TRUE(written == quova::testing::ReadFile(dir_ / "reference.pcm"))
        << "the samples written differ from the file's";
}

TEST_F(FileWriting, TheOneStreamOfAFileWritingGraphGoesOnInTheDemuxersThread) {
    FilterGraph graph;
    const PinPtr input = WriteTheSound(graph, dir_ / "out.pcm");
    ASSERT_TRUE(input);
    DropThePictures(graph);
    graph.SetClockSync(false);
    const StreamThreads threads = RunToTheEnd(graph, input);
    ASSERT_GT(threads.buffers, 0);
    for (const std::thread::id& writer : threads.writer)
        EXPECT_TRUE(threads.reader.contains(writer)) << "a buffer changed threads on its way";
    EXPECT_TRUE(quova::testing::ReadFile(dir_ / "out.pcm") ==
                quova::testing::ReadFile(dir_ / "reference.pcm"));
}

// Played in time, with the pictures shown, each stream keeps its own thread
// so that neither waits on the other's renderer; the writer then gets its
// data from its stream's queue, not from the thread that reads the file.
TEST_F(FileWriting, StreamsPlayedInTimeKeepTheirOwnThreads) {
    FilterGraph graph;
    const PinPtr input = WriteTheSound(graph, dir_ / "out.pcm");
    ASSERT_TRUE(input);
    ASSERT_TRUE(graph.VideoRenderer());
    // The graph ran without its clock before: the queues come back.
    graph.SetClockSync(false);
    graph.SetClockSync(true);
    const StreamThreads threads = RunToTheEnd(graph, input);
    ASSERT_GT(threads.buffers, 0);
    for (const std::thread::id& writer : threads.writer)
        EXPECT_FALSE(threads.reader.contains(writer)) << "the sound went on in the reading thread";
}

}  // namespace
}  // namespace quova::engine

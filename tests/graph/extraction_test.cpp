#include "graph/extraction.h"

#include <gst/gst.h>
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <QCheckBox>
#include <atomic>
#include <csignal>
#include <cstring>
#include <map>
#include <set>

#include "graph/custom_build.h"
#include "mediainfo/ogg_info.h"
#include "playback/player_session.h"
#include "tests/graph/graph_building_support.h"
#include "tests/support/fake_ui.h"
#include "tests/support/gst_media.h"
#include "tests/support/player_state.h"
#include "text/text_session.h"

namespace quova {
namespace {

using namespace quova::testing;
namespace media = quova::testing::media;
namespace fs = std::filesystem;

std::uint32_t Le32(const std::string& s, size_t at) {
    std::uint32_t v = 0;
    std::memcpy(&v, s.data() + at, 4);
    return v;
}

// The data chunk of a WAV file, after checking that the RIFF header tells
// the file's real size.
std::string WavData(const fs::path& file) {
    const std::string bytes = ReadFile(file);
    EXPECT_GE(bytes.size(), 44u);
    if (bytes.size() < 44) return "";
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(bytes.substr(8, 4), "WAVE");
    EXPECT_EQ(Le32(bytes, 4), bytes.size() - 8);
    size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const std::string id = bytes.substr(at, 4);
        const std::uint32_t size = Le32(bytes, at + 4);
        if (id == "data") {
            EXPECT_LE(at + 8 + size, bytes.size());
            return bytes.substr(at + 8, size);
        }
        at += 8 + size + (size & 1);
    }
    ADD_FAILURE() << "no data chunk";
    return "";
}

// Counts the buffers that reach the inputs of the graph's filters past the
// splitters (decoders, converters, encoders, multiplexers, renderers,
// writers), by the kind of stream their pad carries, once a file writer is
// connected: from the moment the extraction's graph is complete (the
// rendered graph the open builds first is prerolled as the open checks the
// file). The graph calls back at every change, before any data flows
// through what changed.
class StreamTraffic {
  public:
    explicit StreamTraffic(engine::FilterGraph& graph) : graph_(graph) {
        graph_.SetChangeObserver([this] { Watch(); });
    }
    ~StreamTraffic() {
        graph_.SetChangeObserver(nullptr);
        for (const auto& [pad, id] : probes_) {
            gst_pad_remove_probe(pad, id);
            gst_object_unref(pad);
        }
    }
    int Video() const { return counts_->video.load(); }
    int Audio() const { return counts_->audio.load(); }

  private:
    struct Counts {
        std::atomic<bool> writing{false};
        std::atomic<int> video{0}, audio{0};
    };

    static GstPadProbeReturn Count(GstPad* pad, GstPadProbeInfo*, gpointer data) {
        auto& counts = **static_cast<std::shared_ptr<Counts>*>(data);
        if (!counts.writing) return GST_PAD_PROBE_OK;
        GstCaps* caps = gst_pad_get_current_caps(pad);
        if (!caps) return GST_PAD_PROBE_OK;
        const std::string type = gst_structure_get_name(gst_caps_get_structure(caps, 0));
        gst_caps_unref(caps);
        if (type.starts_with("video/") || type.starts_with("image/")) ++counts.video;
        if (type.starts_with("audio/")) ++counts.audio;
        return GST_PAD_PROBE_OK;
    }

    void Watch() {
        for (const engine::FilterPtr& filter : graph_.Filters()) {
            // A splitter takes the whole file, whose type names video.
            if (filter->Category() == engine::FilterCategory::Splitter) continue;
            for (const engine::PinPtr& pin : filter->Pins(engine::PinDirection::Input)) {
                if (filter->AsFileSink() && pin->IsConnected()) counts_->writing = true;
                GstPad* pad = pin->pad();
                if (!pad || probes_.contains(pad)) continue;
                const auto type = static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BUFFER |
                                                               GST_PAD_PROBE_TYPE_BUFFER_LIST);
                const gulong id = gst_pad_add_probe(
                    pad, type, Count, new std::shared_ptr<Counts>(counts_),
                    [](gpointer data) { delete static_cast<std::shared_ptr<Counts>*>(data); });
                probes_[GST_PAD(gst_object_ref(pad))] = id;
            }
        }
    }

    engine::FilterGraph& graph_;
    std::shared_ptr<Counts> counts_ = std::make_shared<Counts>();
    std::map<GstPad*, gulong> probes_;
};

// Whether the element, or one inside it, decodes pictures.
bool DecodesPictures(GstElement* element) {
    if (GstElementFactory* factory = gst_element_get_factory(element)) {
        const std::string klass =
            gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS);
        if (klass.find("Decoder") != std::string::npos &&
            (klass.find("Video") != std::string::npos || klass.find("Image") != std::string::npos))
            return true;
    }
    if (!GST_IS_BIN(element)) return false;
    bool found = false;
    GstIterator* it = gst_bin_iterate_recurse(GST_BIN(element));
    GValue item = G_VALUE_INIT;
    while (!found && gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
        found = DecodesPictures(GST_ELEMENT(g_value_get_object(&item)));
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(it);
    return found;
}

// The names of the graph's filters that decode pictures.
std::vector<std::string> PictureDecoders(const engine::FilterGraph& graph) {
    std::vector<std::string> names;
    for (const engine::FilterPtr& filter : graph.Filters())
        if (DecodesPictures(filter->element())) names.push_back(filter->Name());
    return names;
}

class ExtractionTest : public PlayerTest {
  protected:
    // Opens the file in `kind` and runs the extraction to its end.
    void Extract(const fs::path& file, ExtractionKind kind) {
        if (!ModeFlag(session.extraction, kind)) ToggleExtractionMode(session, kind);
        OpenMedia(session, file.string());
        ASSERT_TRUE(session.graph.ExtractionReady);
        ASSERT_TRUE(RunToEnd(session));
        EXPECT_FALSE(ExtractionTick(session, {file.string()}, {}));
        EXPECT_EQ(session.osdMessage, "audio extraction complete");
    }
};

TEST(ExtractionModes, TurningOneOnTurnsTheOthersOffAndOffLeavesNoneOn) {
    PlayerSession session;
    testing::ResetPlayerState(session);
    std::vector<int> tips;
    const ExtractionTip tip = [&](int n) { tips.push_back(n); };
    PCMToWavClick(session, tip);
    EXPECT_TRUE(session.extraction.PcmToWav);
    EXPECT_TRUE(session.flags.ExtractionMode);
    PCMtoMp3Click(session, tip);
    EXPECT_FALSE(session.extraction.PcmToWav);
    EXPECT_TRUE(session.extraction.PcmToMp3);
    MP3ToMp3Click(session, tip);
    PCMtoogg1Click(session, tip);
    PCMtooggmuxvideo1Click(session, tip);
    const ExtractionState& s = session.extraction;
    EXPECT_TRUE(s.TranscodeToOgm);
    EXPECT_FALSE(s.PcmToWav || s.Mp3ToMp3 || s.PcmToMp3 || s.PcmToOgg);
    EXPECT_TRUE(session.flags.TranscodeWithVideo);
    PCMtooggmuxvideo1Click(session, tip);
    EXPECT_FALSE(s.PcmToWav || s.Mp3ToMp3 || s.PcmToMp3 || s.PcmToOgg || s.TranscodeToOgm);
    EXPECT_FALSE(session.flags.ExtractionMode);
    EXPECT_FALSE(session.flags.TranscodeWithVideo);
    EXPECT_EQ(tips, (std::vector<int>{20, 22, 21, 23, 23, 23}));
    testing::ResetPlayerState(session);
}

TEST(ExtractionNames, OutputBesideTheSourceAndProgressAndBatchOrder) {
    EXPECT_EQ(OutputFileName("/m/a.b.avi", ExtractionKind::PcmToWav), "/m/a.b.wav");
    EXPECT_EQ(OutputFileName("/m/clip", ExtractionKind::Mp3ToMp3), "/m/clip.mp3");
    EXPECT_EQ(OutputFileName("/m/x.avi", ExtractionKind::TranscodeToOgm), "/m/x.ogm");
    EXPECT_EQ(ExtractionProgress(4.2, 10), "extracting: 42%");
    EXPECT_EQ(ExtractionProgress(11, 10), "extracting: 100%");
    EXPECT_EQ(ExtractionProgress(1, 0), "extracting: 0%");
    const std::vector<std::string> list = {"a", "b", "c"};
    int index = -1;
    EXPECT_EQ(NextExtractionEntry(list, "a", index), "b");
    index = -1;
    EXPECT_EQ(NextExtractionEntry(list, "c", index), "");
    index = -1;
    EXPECT_EQ(NextExtractionEntry({"a"}, "a", index), "");
}

// Runs the end-of-medium ticks of a batch over `list` whose first entry
// has just been extracted; the entries opened, in order (at most 20).
std::vector<std::string> BatchOrder(PlayerSession& session, const std::vector<std::string>& list) {
    testing::FakeUi ui{session};
    session.extraction = ExtractionState{};
    session.graph.MediaComplete = true;
    session.graph.MediaError = 0;
    session.graph.CurrentMediaName = list.front();
    std::vector<std::string> opened;
    const auto open = [&](const std::string& name) {
        opened.push_back(name);
        session.graph.CurrentMediaName = name;
    };
    while (opened.size() < 20 && ExtractionTick(session, list, open)) {
    }
    session.graph.MediaComplete = false;
    return opened;
}

TEST(ExtractionNames, AnEntryListedTwiceIsExtractedTwiceAndTheBatchEnds) {
    PlayerSession session;
    // Lists of one, two and three entries, each entry once.
    EXPECT_EQ(BatchOrder(session, {"a"}), (std::vector<std::string>{}));
    EXPECT_EQ(BatchOrder(session, {"a", "b"}), (std::vector<std::string>{"b"}));
    EXPECT_EQ(BatchOrder(session, {"a", "b", "c"}), (std::vector<std::string>{"b", "c"}));
    EXPECT_EQ(BatchOrder(session, {"a", "b", "a"}), (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(BatchOrder(session, {"a", "a"}), (std::vector<std::string>{"a"}));
    EXPECT_EQ(BatchOrder(session, {"a", "b", "a", "b", "c"}),
              (std::vector<std::string>{"b", "a", "b", "c"}));
}

// The names the folder holds besides `keep`: what an extraction left behind.
std::vector<std::string> LeftOver(const fs::path& folder, const std::set<std::string>& keep) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        if (!keep.contains(entry.path().filename().string()))
            names.push_back(entry.path().filename().string());
    return names;
}

TEST_F(ExtractionTest, PcmToWavWritesTheSourcePcmByteForByte) {
    const fs::path avi = media::AviPcm(dir_ / "clip.avi", 2.0, 1);
    const fs::path pcm = dir_ / "source.pcm";
    ASSERT_EQ(MakeMedia("filesrc location=" + avi.string() +
                            " ! avidemux name=d d.audio_0 ! filesink location=$OUT",
                        pcm),
              "");
    Answerer answers([](const ChooserSeen&, TQuovaAddFilt& c) { c.reject(); });
    Extract(avi, ExtractionKind::PcmToWav);
    const fs::path wav = dir_ / "clip.wav";
    ASSERT_TRUE(fs::exists(wav));
    EXPECT_EQ(LeftOver(dir_.path(), {"clip.avi", "source.pcm", "clip.wav"}),
              std::vector<std::string>{});
    const std::string data = WavData(wav);
    EXPECT_EQ(data.size(), fs::file_size(pcm));
    EXPECT_TRUE(data == ReadFile(pcm)) << "the WAV's samples differ from the source's";
    const std::string seen = Discover(wav);
    EXPECT_NEAR(DiscoveredSeconds(seen), 2.0, 0.05) << seen;
    EXPECT_NE(seen.find("audio #0: WAV"), std::string::npos) << seen;
    EXPECT_TRUE(answers.boxes.empty());
}

// In every mode that writes the sound alone, the pictures of a file with
// video are neither decoded nor drawn, and the file written is still whole.
TEST_F(ExtractionTest, AnAudioOnlyExtractionNeitherDecodesNorDrawsTheVideo) {
    const fs::path pcmAvi = media::AviPcm(dir_ / "talk.avi", 2.0, 1);
    const fs::path mp3Avi = media::AviMp3(dir_ / "song.avi", 2.0);
    const fs::path pcm = dir_ / "source.pcm";
    ASSERT_EQ(MakeMedia("filesrc location=" + pcmAvi.string() +
                            " ! avidemux name=d d.audio_0 ! filesink location=$OUT",
                        pcm),
              "");
    Answerer answers([](const ChooserSeen& seen, TQuovaAddFilt& c) {
        Choose(c,
               seen.title.find("vorbis") != std::string::npos ? "Vorbis audio encoder"
                                                              : "L.A.M.E. mp3 encoder",
               c.Button1);
    });
    const std::pair<ExtractionKind, fs::path> runs[] = {
        {ExtractionKind::PcmToWav, pcmAvi},
        {ExtractionKind::Mp3ToMp3, mp3Avi},
        {ExtractionKind::PcmToMp3, pcmAvi},
        {ExtractionKind::PcmToOgg, pcmAvi},
    };
    for (const auto& [kind, source] : runs) {
        SCOPED_TRACE(OutputExtension(kind) + " from " + source.filename().string());
        ReleaseGraph(session);
        session.graph.GraphBuilder = std::make_unique<engine::FilterGraph>();
        StreamTraffic traffic(*session.graph.GraphBuilder);
        Extract(source, kind);
        EXPECT_EQ(traffic.Video(), 0) << "video buffers went past the splitter";
        EXPECT_GT(traffic.Audio(), 0);
        EXPECT_EQ(PictureDecoders(*session.graph.GraphBuilder), std::vector<std::string>{});
        EXPECT_FALSE(session.graph.GraphBuilder->VideoRenderer());
        EXPECT_FALSE(session.graph.VideoWindow);
        // The medium still tells its streams as the file has them.
        EXPECT_EQ(session.graph.VideoStreamCount, 1);
        ToggleExtractionMode(session, kind);
    }
    for (const std::string& box : answers.boxes) ADD_FAILURE() << box;
    const std::string data = WavData(dir_ / "talk.wav");
    EXPECT_TRUE(data == ReadFile(pcm)) << "the WAV's samples differ from the source's";
    EXPECT_NE(Discover(dir_ / "song.mp3").find("MPEG-1 Layer 3"), std::string::npos);
    EXPECT_NE(Discover(dir_ / "talk.mp3").find("MPEG-1 Layer 3"), std::string::npos);
    const OggInfo ogg = ReadOggInfo(dir_ / "talk.ogm");
    EXPECT_FALSE(ogg.Failed()) << ogg.error;
    ASSERT_EQ(ogg.streams.size(), 1u);
    EXPECT_EQ(ogg.streams[0].type, "vorbis");
}

TEST_F(ExtractionTest, CancellingTheOverwriteQuestionLeavesTheOldFileAndDoesNotPlay) {
    const fs::path avi = media::AviPcm(dir_ / "clip.avi", 1.0, 1);
    WriteFile(dir_ / "clip.wav", "precious");
    Answerer answers([](const ChooserSeen&, TQuovaAddFilt& c) { c.reject(); },
                     [](const std::string&) { return QMessageBox::Cancel; });
    ToggleExtractionMode(session, ExtractionKind::PcmToWav);
    OpenMedia(session, avi.string());
    ASSERT_EQ(answers.boxes.size(), 1u);
    EXPECT_EQ(answers.boxes[0], "output .wav  file " + (dir_ / "clip.wav").string() +
                                    " already exists ! Overwrite ?");
    EXPECT_FALSE(session.graph.ExtractionReady);
    EXPECT_EQ(ReadFile(dir_ / "clip.wav"), "precious");
    EXPECT_NE(session.graph.GraphBuilder->GetState(100).value, engine::GraphState::Running);
}

// A file-size limit fails the writes the way a full disk does, for this
// process only; the signal it sends instead is ignored so that the write
// itself fails.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

  private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

TEST_F(ExtractionTest, AWriteErrorKeepsTheOldOutputAndSaysTheExtractionFailed) {
    const fs::path avi = media::AviPcm(dir_ / "clip.avi", 2.0, 1);
    WriteFile(dir_ / "clip.wav", "precious");
    Answerer answers([](const ChooserSeen&, TQuovaAddFilt& c) { c.reject(); });
    ToggleExtractionMode(session, ExtractionKind::PcmToWav);
    {
        // From before the start: the extraction runs as fast as it can.
        FileSizeLimit full(64 * 1024);
        OpenMedia(session, avi.string());
        ASSERT_TRUE(session.graph.ExtractionReady);
        ASSERT_TRUE(RunToEnd(session));
    }
    EXPECT_FALSE(ExtractionTick(session, {avi.string()}, {}));
    EXPECT_TRUE(session.osdMessage.starts_with("audio extraction failed: ")) << session.osdMessage;
    EXPECT_TRUE(ReadFile(dir_ / "clip.wav") == "precious") << "the old output was replaced";
    EXPECT_EQ(LeftOver(dir_.path(), {"clip.avi", "clip.wav"}), std::vector<std::string>{});
}

TEST_F(ExtractionTest, TheOutputNeverReplacesItsOwnSource) {
    const fs::path mp3 = media::Mp3(dir_ / "song.mp3", 1.0);
    const std::string before = ReadFile(mp3);
    Answerer answers([](const ChooserSeen&, TQuovaAddFilt& c) { c.reject(); });
    ToggleExtractionMode(session, ExtractionKind::Mp3ToMp3);
    OpenMedia(session, mp3.string());
    EXPECT_FALSE(session.graph.ExtractionReady);
    ASSERT_EQ(answers.boxes.size(), 1u);
    EXPECT_EQ(answers.boxes[0].find("Overwrite"), std::string::npos) << answers.boxes[0];
    EXPECT_NE(answers.boxes[0].find(mp3.string()), std::string::npos) << answers.boxes[0];
    EXPECT_EQ(ReadFile(mp3), before);

    // Another name for the source: a link named as the output.
    const fs::path avi = media::AviPcm(dir_ / "clip.avi", 1.0, 1);
    fs::create_symlink(avi, dir_ / "clip.wav");
    const std::string aviBefore = ReadFile(avi);
    answers.boxes.clear();
    ToggleExtractionMode(session, ExtractionKind::PcmToWav);
    OpenMedia(session, avi.string());
    EXPECT_FALSE(session.graph.ExtractionReady);
    EXPECT_EQ(answers.boxes.size(), 1u);
    EXPECT_EQ(ReadFile(avi), aviBefore);
    EXPECT_TRUE(IsSameFile(avi.string(), (dir_ / "clip.wav").string()));
    EXPECT_FALSE(IsSameFile(avi.string(), (dir_ / "song.mp3").string()));
}

TEST_F(ExtractionTest, TheFileBeingWrittenIsNeverALinkPlantedBesideTheOutput) {
    const fs::path avi = media::AviPcm(dir_ / "clip.avi", 1.0, 1);
    WriteFile(dir_ / "victim", "untouched");
    // The temporary names writers have used beside an output.
    for (const char* planted : {".clip.wav.part", "clip.wav.tmp", "clip.wav.quova-new"})
        fs::create_symlink(dir_ / "victim", dir_ / planted);
    Answerer answers([](const ChooserSeen&, TQuovaAddFilt& c) { c.reject(); });
    Extract(avi, ExtractionKind::PcmToWav);
    EXPECT_EQ(ReadFile(dir_ / "victim"), "untouched");
    EXPECT_GT(WavData(dir_ / "clip.wav").size(), 100000u);
    struct stat st {};
    ASSERT_EQ(lstat((dir_ / "clip.wav").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
}

TEST_F(ExtractionTest, Mp3ToMp3CopiesTheCompressedStreamIntoAnMp3ThatPlays) {
    const fs::path avi = media::AviMp3(dir_ / "song.avi", 2.0);
    Answerer answers([](const ChooserSeen&, TQuovaAddFilt& c) { c.reject(); });
    Extract(avi, ExtractionKind::Mp3ToMp3);
    const fs::path mp3 = dir_ / "song.mp3";
    ASSERT_TRUE(fs::exists(mp3));
    const std::string seen = Discover(mp3);
    EXPECT_NE(seen.find("MPEG-1 Layer 3"), std::string::npos) << seen;
    // Played back to the end by GStreamer itself.
    EXPECT_EQ(MakeMedia("filesrc location=" + mp3.string() +
                            " ! decodebin ! audioconvert ! wavenc ! filesink location=$OUT",
                        dir_ / "decoded.wav"),
              "");
    EXPECT_GT(fs::file_size(dir_ / "decoded.wav"), 44100u * 2 * 2 * 3 / 2);
}

TEST_F(ExtractionTest, AnMpegAudioStreamOfferedOnlyAsLayerTwoPayloadIsNotAnMp3) {
    const fs::path avi = dir_ / "layer2.avi";
    ASSERT_EQ(MakeMedia("videotestsrc num-buffers=25 ! video/x-raw,width=160,height=120 ! jpegenc "
                        "! avimux name=mux ! filesink location=$OUT audiotestsrc "
                        "num-buffers=40 ! audioconvert ! avenc_mp2 ! mpegaudioparse ! mux.",
                        avi),
              "");
    Answerer answers([](const ChooserSeen&, TQuovaAddFilt& c) { c.reject(); });
    ToggleExtractionMode(session, ExtractionKind::Mp3ToMp3);
    OpenMedia(session, avi.string());
    EXPECT_FALSE(session.graph.ExtractionReady);
    ASSERT_EQ(answers.boxes.size(), 1u);
    EXPECT_EQ(answers.boxes[0], "A stream of the requested type was not found on the media !");
    EXPECT_FALSE(fs::exists(dir_ / "layer2.mp3"));
}

TEST_F(ExtractionTest, PcmToMp3ThroughTheChosenCompressor) {
    const fs::path avi = media::AviPcm(dir_ / "talk.avi", 1.0, 1);
    Answerer answers([](const ChooserSeen& seen, TQuovaAddFilt& c) {
        EXPECT_EQ(seen.title, "Select audio compressor (mp3) filter (pcm->mp3)");
        Choose(c, "L.A.M.E. mp3 encoder", c.Button1);
    });
    Extract(avi, ExtractionKind::PcmToMp3);
    ASSERT_EQ(answers.choosers.size(), 1u);
    EXPECT_TRUE(answers.choosers[0].defaultBoxShown);
    EXPECT_FALSE(answers.choosers[0].skipShown);
    EXPECT_EQ(session.extraction.CompressorName, "L.A.M.E. mp3 encoder");
    EXPECT_EQ(answers.pages, 1) << "the compressor's settings are offered after a choice";
    const std::string seen = Discover(dir_ / "talk.mp3");
    EXPECT_NE(seen.find("MPEG-1 Layer 3"), std::string::npos) << seen;
}

TEST_F(ExtractionTest, SelectWithNothingSelectedCancelsTheExtraction) {
    const fs::path avi = media::AviPcm(dir_ / "talk.avi", 1.0, 1);
    Answerer answers([](const ChooserSeen&, TQuovaAddFilt& c) {
        c.ListBox1->clearSelection();
        c.Button1->click();
    });
    ToggleExtractionMode(session, ExtractionKind::PcmToMp3);
    OpenMedia(session, avi.string());
    EXPECT_FALSE(session.graph.ExtractionReady);
    EXPECT_TRUE(answers.boxes.empty());
    EXPECT_FALSE(fs::exists(dir_ / "talk.mp3"));
}

TEST_F(ExtractionTest, PcmToOggWritesVorbisIntoAnOgmAndKeepsTheEncoderSettings) {
    const fs::path avi = media::AviPcm(dir_ / "talk.avi", 1.0, 1);
    {
        registry::KeyHandle key =
            registry::OpenUserKey("SOFTWARE\\Dorvane\\Quova\\OggVorbisEncoder");
        registry::WriteIntValue(key.get(), "fQuality", 5);
    }
    Answerer answers([](const ChooserSeen& seen, TQuovaAddFilt& c) {
        EXPECT_EQ(seen.title, "Select audio compressor (vorbis) filter (pcm->vorbis)");
        Choose(c, "Vorbis audio encoder", c.Button1);
    });
    Extract(avi, ExtractionKind::PcmToOgg);
    const OggInfo info = ReadOggInfo(dir_ / "talk.ogm");
    EXPECT_FALSE(info.Failed()) << info.error;
    ASSERT_EQ(info.streams.size(), 1u);
    EXPECT_EQ(info.streams[0].type, "vorbis");
    EXPECT_NEAR(info.duration, 1.0, 0.1);
    registry::KeyHandle key = registry::OpenUserKey("SOFTWARE\\Dorvane\\Quova\\OggVorbisEncoder");
    EXPECT_EQ(registry::ReadIntValue(key.get(), "fQuality", -99), 5);
    EXPECT_EQ(registry::ReadIntValue(key.get(), "nAvgBitsPerSec", -99), -1);
}

TEST_F(ExtractionTest, TranscodeMultiplexesTheVideoUnchangedBesideTheVorbisAudio) {
    const fs::path avi = media::AviPcm(dir_ / "movie.avi", 1.0, 1);
    Answerer answers(
        [](const ChooserSeen&, TQuovaAddFilt& c) { Choose(c, "Vorbis audio encoder", c.Button1); });
    session.flags.BypassVideo = true;  // ignored by the transcode
    session.graph.GraphBuilder = std::make_unique<engine::FilterGraph>();
    StreamTraffic traffic(*session.graph.GraphBuilder);
    Extract(avi, ExtractionKind::TranscodeToOgm);
    for (const std::string& box : answers.boxes) ADD_FAILURE() << box;
    EXPECT_FALSE(session.graph.VideoWindow) << "the video goes into the file, not on the screen";
    // Copied, not decoded: the pictures reach the multiplexer as they were.
    EXPECT_GT(traffic.Video(), 0);
    EXPECT_EQ(PictureDecoders(*session.graph.GraphBuilder), std::vector<std::string>{});
    const OggInfo info = ReadOggInfo(dir_ / "movie.ogm");
    EXPECT_FALSE(info.Failed()) << info.error;
    ASSERT_EQ(info.streams.size(), 2u);
    std::vector<std::string> types = {info.streams[0].type, info.streams[1].type};
    std::sort(types.begin(), types.end());
    EXPECT_EQ(types, (std::vector<std::string>{"video", "vorbis"}));
    for (const OggStream& s : info.streams)
        if (s.type == "video") {
            EXPECT_EQ(s.subtype, "MJPG");
            EXPECT_EQ(s.width, 320u);
        }
}

TEST_F(ExtractionTest, APlayListIsExtractedWithOneCompressorChoice) {
    std::vector<std::string> list;
    for (const char* name : {"one.avi", "two.avi", "three.avi"})
        list.push_back(media::AviPcm(dir_ / name, 1.0, 1).string());
    Answerer answers([](const ChooserSeen&, TQuovaAddFilt& c) {
        c.CheckBox1->setChecked(true);
        Choose(c, "L.A.M.E. mp3 encoder", c.Button1);
    });
    ToggleExtractionMode(session, ExtractionKind::PcmToMp3);
    const auto open = [this](const std::string& name) { OpenMedia(session, name); };
    open(list.front());
    for (size_t i = 0; i < list.size(); ++i) {
        ASSERT_TRUE(session.graph.ExtractionReady) << list[i];
        ASSERT_TRUE(RunToEnd(session)) << list[i];
        EXPECT_EQ(ExtractionTick(session, list, open), i + 1 < list.size());
    }
    EXPECT_EQ(session.osdMessage, "audio extraction complete");
    EXPECT_EQ(answers.choosers.size(), 1u);
    for (const char* name : {"one.mp3", "two.mp3", "three.mp3"})
        EXPECT_NE(Discover(dir_ / name).find("MPEG-1 Layer 3"), std::string::npos) << name;
    // After the completion the next extraction asks again, the choice preselected.
    open(list.front());
    ASSERT_EQ(answers.choosers.size(), 2u);
}

}  // namespace
}  // namespace quova

// The DVD graph on generated volumes: what the renderers show and the
// navigator's events, positions and streams.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <gst/app/gstappsrc.h>
#include <gst/gst.h>

#include <filesystem>
#include <fstream>

#include "platform/engine/dvd_graph_builder.h"
#include "platform/engine/video_renderer.h"
#include "tests/platform/engine/engine_fixture.h"
#include "tests/support/dvd_volume.h"
#include "tests/support/temp_dir.h"

namespace quova::engine::testing {
namespace {

namespace fs = std::filesystem;
using quova::testing::kDvdButton1;
using quova::testing::kDvdButton2;
using quova::testing::kDvdSubpictureBox;

// The colour the renderer shows at (x, y) of the 720x576 picture.
QColor Shown(const VideoRendererFilter& renderer, int x, int y) {
    const QImage image = renderer.CurrentImage();
    if (image.isNull()) return {};
    return image.pixelColor(x * image.width() / 720, y * image.height() / 576);
}

bool Reddish(QColor c) {
    return c.red() > 150 && c.green() < 90 && c.blue() < 90;
}
bool Bluish(QColor c) {
    return c.blue() > 150 && c.red() < 90 && c.green() < 90;
}
bool Greenish(QColor c) {
    return c.green() > 150 && c.red() < 90 && c.blue() < 90;
}

class DvdGraph : public ::testing::Test {
  protected:
    void Open(const fs::path& volume, const std::function<void()>& beforeRun = {}) {
        builder_.SetFiltergraph(&graph_);
        AM_DVD_RENDERSTATUS status;
        ASSERT_EQ(builder_.RenderDvdVideoVolume(volume.string(), AM_DVD_HWDEC_PREFER, status), S_OK)
            << FilterNames(graph_);
        nav_ = builder_.GetDvdInterface();
        ASSERT_TRUE(nav_);
        video_ = graph_.VideoRenderer();
        ASSERT_TRUE(video_);
        if (beforeRun) beforeRun();
        ASSERT_TRUE(Succeeded(graph_.Run()));
    }
    // Events until one of `code` came (the others are kept for inspection).
    bool Expect(long code, GraphEvent* got = nullptr, int ms = 15000) {
        return WaitUntil(
            [&] {
                for (;;) {
                    auto e = graph_.GetEvent(0);
                    if (!e.ok()) return false;
                    seen_.push_back(e.value);
                    if (e.value.code == code) {
                        if (got) *got = e.value;
                        return true;
                    }
                }
            },
            ms);
    }
    // Forgets the events so far, so that the next Expect sees only what follows.
    void Drain() {
        while (graph_.GetEvent(0).ok()) {
        }
    }
    std::uint32_t Domain() { return nav_->GetCurrentDomain().value; }
    bool ShowsTitle(std::uint32_t title, std::function<bool(QColor)> colour) {
        return WaitUntil([&] {
            auto l = nav_->GetCurrentLocation();
            return l.ok() && l.value.TitleNum == title && colour(Shown(*video_, 40, 40));
        });
    }

    bool ShowsTheFirstButtonHighlighted() {
        if (!WaitUntil([&] { return Greenish(Shown(*video_, 40, 40)); })) return false;
        return WaitUntil([&] {
            const QColor c = Shown(*video_, (kDvdButton1.x0 + kDvdButton1.x1) / 2,
                                   (kDvdButton1.y0 + kDvdButton1.y1) / 2);
            return c.red() > 150 && c.green() > 150 && c.blue() < 120;
        });
    }

    FilterGraph graph_;
    DvdGraphBuilder builder_;
    std::shared_ptr<DvdNavigatorFilter> nav_;
    std::shared_ptr<VideoRendererFilter> video_;
    std::vector<GraphEvent> seen_;
};

TEST_F(DvdGraph, OpensInTheMenuWithItsHighlightAndButtonsStartTheirTitles) {
    const fs::path& volume = quova::testing::SharedDvdVolume();
    ASSERT_FALSE(volume.empty());
    Open(volume);
    GraphEvent e;
    ASSERT_TRUE(Expect(EC_DVD_DOMAIN_CHANGE, &e));
    EXPECT_EQ(e.param1, DVD_DOMAIN_VideoManagerMenu);
    ASSERT_TRUE(Expect(EC_DVD_STILL_ON, &e));
    EXPECT_EQ(e.param1, 1) << "the menu still has buttons";
    EXPECT_EQ(e.param2, 0xFFFFFFFF);
    EXPECT_EQ(nav_->StillOff(), VFW_E_DVD_OPERATION_INHIBITED);
    // The menu's green picture with the first button highlighted (yellow).
    ASSERT_TRUE(ShowsTheFirstButtonHighlighted());
    EXPECT_EQ(nav_->GetCurrentButton().value, 1u);

    // Pointing at the second button selects it; the first loses its highlight.
    const int x2 = (kDvdButton2.x0 + kDvdButton2.x1) / 2,
              y2 = (kDvdButton2.y0 + kDvdButton2.y1) / 2;
    EXPECT_EQ(nav_->SelectAtPosition(x2, y2), S_OK);
    EXPECT_EQ(nav_->GetCurrentButton().value, 2u);
    EXPECT_EQ(nav_->SelectAtPosition(600, 550), S_FALSE) << "no button there";
    EXPECT_EQ(nav_->ActivateAtPosition(x2, y2), S_OK);
    EXPECT_TRUE(ShowsTitle(2, Bluish));
    EXPECT_EQ(Domain(), DVD_DOMAIN_Title);
}

// Holds the sub-picture stream's start back, as a busy machine may: the
// navigator has then sent the menu's highlight before the blender knows what
// kind of sub-pictures it gets, and learning that resets its highlight.
GstPadProbeReturn HoldCaps(GstPad*, GstPadProbeInfo* info, gpointer) {
    if (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) == GST_EVENT_CAPS) g_usleep(1500 * 1000);
    return GST_PAD_PROBE_OK;
}

TEST_F(DvdGraph, TheMenuHighlightShowsWhenTheSubpictureStreamStartsLate) {
    Open(quova::testing::SharedDvdVolume(), [&] {
        GstIterator* it = gst_bin_iterate_recurse(GST_BIN(nav_->element()));
        GValue item = G_VALUE_INIT;
        while (gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
            auto* e = GST_ELEMENT(g_value_get_object(&item));
            GstCaps* caps = nullptr;
            if (GST_IS_APP_SRC(e)) g_object_get(e, "caps", &caps, nullptr);
            if (caps &&
                gst_structure_has_name(gst_caps_get_structure(caps, 0), "subpicture/x-dvd")) {
                GstPad* pad = gst_element_get_static_pad(e, "src");
                gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, HoldCaps, nullptr,
                                  nullptr);
                gst_object_unref(pad);
            }
            if (caps) gst_caps_unref(caps);
            g_value_reset(&item);
        }
        g_value_unset(&item);
        gst_iterator_free(it);
    });
    ASSERT_TRUE(Expect(EC_DVD_STILL_ON));
    EXPECT_TRUE(ShowsTheFirstButtonHighlighted());
}

double TitleSeconds(const DvdNavigatorFilter& nav) {
    const auto l = nav.GetCurrentLocation();
    return TimecodeSeconds(l.value.TimeCode) + l.value.TimeCode.bFrames / 25.0;
}

TEST_F(DvdGraph, TitlesAndChaptersMoveWithTheirEvents) {
    Open(quova::testing::SharedDvdVolume());
    ASSERT_TRUE(Expect(EC_DVD_STILL_ON));
    const auto volume = nav_->GetDVDVolumeInfo();
    ASSERT_TRUE(volume.ok());
    EXPECT_EQ(volume.value.titles, 2u);
    EXPECT_EQ(volume.value.volumes, 1u);
    EXPECT_EQ(nav_->GetNumberOfChapters(1).value, 2u);
    EXPECT_EQ(nav_->GetNumberOfChapters(2).value, 3u);
    EXPECT_EQ(nav_->PlayNextChapter(), VFW_E_DVD_INVALIDDOMAIN) << "no chapters in a menu";

    ASSERT_EQ(nav_->PlayTitle(1), S_OK);
    GraphEvent e;
    ASSERT_TRUE(Expect(EC_DVD_TITLE_CHANGE, &e));
    EXPECT_EQ(e.param1, 1);
    ASSERT_TRUE(Expect(EC_DVD_CHAPTER_START, &e));
    EXPECT_EQ(e.param1, 1);
    EXPECT_TRUE(ShowsTitle(1, Reddish));
    const auto total = nav_->GetTotalTitleTime();
    ASSERT_TRUE(total.ok());
    EXPECT_EQ(total.value.bSeconds, 2);

    Drain();
    ASSERT_EQ(nav_->PlayTitle(2), S_OK);
    ASSERT_TRUE(Expect(EC_DVD_TITLE_CHANGE, &e));
    EXPECT_EQ(e.param1, 2);
    EXPECT_TRUE(ShowsTitle(2, Bluish));
    Drain();
    ASSERT_EQ(nav_->PlayNextChapter(), S_OK);
    ASSERT_TRUE(Expect(EC_DVD_CHAPTER_START, &e));
    EXPECT_EQ(e.param1, 2);
    EXPECT_TRUE(WaitUntil([&] { return nav_->GetCurrentLocation().value.ChapterNum == 2; }));
    EXPECT_GE(TitleSeconds(*nav_), 1.9) << "chapter 2 starts at 2 s";
    Drain();
    ASSERT_EQ(nav_->PlayPrevChapter(), S_OK);
    ASSERT_TRUE(Expect(EC_DVD_CHAPTER_START, &e));
    EXPECT_EQ(e.param1, 1);
    EXPECT_EQ(nav_->PlayTitle(3), E_INVALIDARG);
}

TEST_F(DvdGraph, AudioAndSubpictureStreamsAreListedAndSwitched) {
    Open(quova::testing::SharedDvdVolume());
    ASSERT_TRUE(Expect(EC_DVD_STILL_ON));
    ASSERT_EQ(nav_->PlayTitle(2), S_OK);
    EXPECT_TRUE(ShowsTitle(2, Bluish));
    const auto spu = nav_->GetCurrentSubpicture();
    ASSERT_TRUE(spu.ok());
    EXPECT_EQ(spu.value.available, 1u);
    EXPECT_EQ(nav_->GetSubpictureLanguage(0).value, ('e' << 8) | 'n');
    const int x = (kDvdSubpictureBox.x0 + kDvdSubpictureBox.x1) / 2;
    const int y = (kDvdSubpictureBox.y0 + kDvdSubpictureBox.y1) / 2;
    auto white = [&] {
        const QColor c = Shown(*video_, x, y);
        return c.red() > 180 && c.green() > 180 && c.blue() > 180;
    };
    ASSERT_EQ(nav_->SelectSubpictureStream(0), S_OK);
    ASSERT_EQ(nav_->SetSubpictureState(true), S_OK);
    EXPECT_TRUE(WaitUntil(white)) << "the sub-picture's box shows";
    EXPECT_FALSE(nav_->GetCurrentSubpicture().value.disabled);
    ASSERT_EQ(nav_->SetSubpictureState(false), S_OK);
    EXPECT_TRUE(nav_->GetCurrentSubpicture().value.disabled);
    EXPECT_TRUE(WaitUntil([&] { return !white() && Bluish(Shown(*video_, x, y)); }));
    const auto audio = nav_->GetCurrentAudio();
    ASSERT_TRUE(audio.ok());
    EXPECT_EQ(audio.value.available, 2u);
    EXPECT_EQ(audio.value.current, 0u);
    const auto a0 = nav_->GetAudioAttributes(0);
    const auto a1 = nav_->GetAudioAttributes(1);
    ASSERT_TRUE(a0.ok() && a1.ok());
    EXPECT_EQ(a0.value.AudioFormat, DVD_AudioFormat_AC3);
    EXPECT_EQ(a0.value.Language, ('e' << 8) | 'n');
    EXPECT_EQ(a0.value.dwFrequency, 48000u);
    EXPECT_EQ(a0.value.bNumberOfChannels, 2);
    EXPECT_EQ(a1.value.AudioFormat, DVD_AudioFormat_MPEG1);
    EXPECT_EQ(a1.value.Language, ('f' << 8) | 'r');
    EXPECT_TRUE(nav_->IsAudioStreamEnabled(1).value);
    EXPECT_FALSE(nav_->IsAudioStreamEnabled(2).value);
    EXPECT_EQ(nav_->SelectAudioStream(2), VFW_E_DVD_STREAM_DISABLED);
    Drain();
    ASSERT_EQ(nav_->SelectAudioStream(1), S_OK);
    GraphEvent e;
    ASSERT_TRUE(Expect(EC_DVD_AUDIO_STREAM_CHANGE, &e));
    EXPECT_EQ(e.param1, 1);
    EXPECT_EQ(nav_->GetCurrentAudio().value.current, 1u);
}

TEST_F(DvdGraph, AStillCellWaitsUntilStillOff) {
    Open(quova::testing::SharedStillDvdVolume());
    ASSERT_TRUE(Expect(EC_DVD_STILL_ON));
    ASSERT_EQ(nav_->PlayTitle(1), S_OK);
    GraphEvent e;
    ASSERT_TRUE(Expect(EC_DVD_STILL_ON, &e));
    EXPECT_EQ(e.param1, 0) << "no buttons";
    EXPECT_EQ(e.param2, 0xFFFFFFFF) << "endless";
    EXPECT_TRUE(nav_->InStill());
    EXPECT_TRUE(Reddish(Shown(*video_, 40, 40))) << "the title's last picture stays";
    ASSERT_EQ(nav_->StillOff(), S_OK);
    ASSERT_TRUE(Expect(EC_DVD_STILL_OFF));
    // The title's end command returns to the menu.
    EXPECT_TRUE(WaitUntil([&] { return Domain() == DVD_DOMAIN_VideoManagerMenu; }));
}

TEST_F(DvdGraph, StateReturnsToTheSameTitleAndTimeOnTheSameDiscOnly) {
    Open(quova::testing::SharedDvdVolume());
    ASSERT_TRUE(Expect(EC_DVD_STILL_ON));
    ASSERT_EQ(nav_->PlayTitle(2), S_OK);
    ASSERT_TRUE(WaitUntil([&] { return TitleSeconds(*nav_) >= 1.2; }));
    const auto state = nav_->GetState();
    ASSERT_TRUE(state.ok());
    const double saved = TitleSeconds(*nav_);
    ASSERT_EQ(nav_->PlayTitle(1), S_OK);
    ASSERT_TRUE(ShowsTitle(1, Reddish));
    ASSERT_EQ(nav_->SetState(state.value), S_OK);
    ASSERT_TRUE(ShowsTitle(2, Bluish));
    EXPECT_NEAR(TitleSeconds(*nav_), saved, 1.0);

    EXPECT_EQ(nav_->SetState("not a state"), VFW_E_DVD_STATE_CORRUPT);
    DvdGraphBuilder other;
    FilterGraph otherGraph;
    other.SetFiltergraph(&otherGraph);
    AM_DVD_RENDERSTATUS status;
    ASSERT_EQ(
        other.RenderDvdVideoVolume(quova::testing::SharedStillDvdVolume().string(), 0, status),
        S_OK);
    EXPECT_EQ(other.GetDvdInterface()->SetState(state.value), VFW_E_DVD_STATE_WRONG_DISC);
}

TEST(DvdVolume, TheDiscIdIsStableAcrossOpensAndCopies) {
    quova::testing::TempDir dir;
    const fs::path copy =
        quova::testing::CopyDvdVolume(quova::testing::SharedDvdVolume(), dir / "copy");
    auto id = [](const fs::path& p) {
        FilterGraph graph;
        DvdGraphBuilder builder;
        builder.SetFiltergraph(&graph);
        AM_DVD_RENDERSTATUS status;
        EXPECT_EQ(builder.RenderDvdVideoVolume(p.string(), 0, status), S_OK);
        auto nav = builder.GetDvdInterface();
        return nav ? nav->GetDiscID().value : 0;
    };
    const std::uint64_t first = id(quova::testing::SharedDvdVolume());
    EXPECT_NE(first, 0u);
    EXPECT_EQ(id(quova::testing::SharedDvdVolume()), first);
    EXPECT_EQ(id(copy / "VIDEO_TS"), first) << "named by its VIDEO_TS folder";
    EXPECT_NE(id(quova::testing::SharedStillDvdVolume()), first);
}

TEST(DvdVolume, NoVolumeOrABrokenOneIsRefusedWithTheInvalidDiscResult) {
    quova::testing::TempDir dir;
    FilterGraph graph;
    DvdGraphBuilder builder;
    builder.SetFiltergraph(&graph);
    AM_DVD_RENDERSTATUS status;
    EXPECT_EQ(builder.RenderDvdVideoVolume((dir / "none").string(), 0, status),
              VFW_E_DVD_INVALID_DISC);
    EXPECT_TRUE(status.bDvdVolInvalid);
    EXPECT_TRUE(graph.Filters().empty());

    const fs::path broken =
        quova::testing::CopyDvdVolume(quova::testing::SharedDvdVolume(), dir / "broken");
    for (const char* name : {"VIDEO_TS.IFO", "VIDEO_TS.BUP"}) {
        std::ofstream out(broken / "VIDEO_TS" / name, std::ios::binary | std::ios::trunc);
        out << std::string(3000, '\x5A');
    }
    EXPECT_EQ(builder.RenderDvdVideoVolume(broken.string(), 0, status), VFW_E_DVD_INVALID_DISC);
    EXPECT_TRUE(graph.Filters().empty());
}

TEST_F(DvdGraph, ATruncatedTitleIsReportedAndTheDiscStaysUsable) {
    quova::testing::TempDir dir;
    const fs::path damaged =
        quova::testing::CopyDvdVolume(quova::testing::SharedDvdVolume(), dir / "d");
    fs::resize_file(damaged / "VIDEO_TS" / "VTS_02_1.VOB", 40 * 2048);
    Open(damaged);
    ASSERT_TRUE(Expect(EC_DVD_STILL_ON));
    ASSERT_EQ(nav_->PlayTitle(2), S_OK);
    // Reading past the end is reported; the disc goes on to what follows.
    EXPECT_TRUE(WaitUntil([&] {
        for (const GraphEvent& e : seen_)
            if (e.code == EC_DVD_WARNING || e.code == EC_DVD_ERROR) return true;
        Expect(EC_DVD_WARNING, nullptr, 50);
        return false;
    }));
    ASSERT_EQ(nav_->PlayTitle(1), S_OK);
    EXPECT_TRUE(ShowsTitle(1, Reddish));
}

TEST_F(DvdGraph, ScanBackwardsAndForwardsAtTheDiscRates) {
    Open(quova::testing::SharedDvdVolume());
    ASSERT_TRUE(Expect(EC_DVD_STILL_ON));
    EXPECT_EQ(nav_->PlayBackwards(2.0), VFW_E_DVD_INVALIDDOMAIN) << "not in a menu";
    ASSERT_EQ(nav_->PlayTitle(2), S_OK);
    ASSERT_TRUE(ShowsTitle(2, Bluish));
    ASSERT_TRUE(WaitUntil([&] { return TitleSeconds(*nav_) >= 3.0; }));
    Drain();
    ASSERT_EQ(nav_->PlayBackwards(2.0), S_OK);
    GraphEvent e;
    ASSERT_TRUE(Expect(EC_DVD_PLAYBACK_RATE_CHANGE, &e));
    EXPECT_EQ(e.param1, -20000);
    const double from = TitleSeconds(*nav_);
    EXPECT_TRUE(WaitUntil([&] { return TitleSeconds(*nav_) < from - 0.5; })) << "from " << from;
    Drain();
    ASSERT_EQ(nav_->PlayForwards(4.0), S_OK);
    ASSERT_TRUE(Expect(EC_DVD_PLAYBACK_RATE_CHANGE, &e));
    EXPECT_EQ(e.param1, 40000);
    // Through the rest of the title to its end command: back in the menu.
    EXPECT_TRUE(WaitUntil([&] {
        return Domain() == DVD_DOMAIN_VideoManagerMenu && Greenish(Shown(*video_, 40, 40));
    }));
    EXPECT_EQ(nav_->PlayForwards(0.0), E_INVALIDARG);
}

TEST(DvdState, TextRoundTripsAndDamageIsRecognised) {
    DvdNavigatorState s;
    s.discId = 0x0123456789ABCDEFull;
    s.domain = DVD_DOMAIN_Title;
    s.title = 2;
    s.chapter = 3;
    s.titleTime = 180000;
    s.audio = 1;
    s.subpicture = 0;
    s.subpictureOn = true;
    s.angle = 1;
    const std::string text = SerializeDvdState(s);
    const auto back = ParseDvdState(text);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back.value.discId, s.discId);
    EXPECT_EQ(back.value.titleTime, 180000u);
    EXPECT_EQ(back.value.audio, 1);
    EXPECT_TRUE(back.value.subpictureOn);
    EXPECT_EQ(ParseDvdState("quova-dvd-state 2\n").hr, VFW_E_DVD_STATE_WRONG_VERSION);
    std::string cut = text.substr(0, text.size() / 2);
    EXPECT_EQ(ParseDvdState(cut).hr, VFW_E_DVD_STATE_CORRUPT);
    std::string bad = text;
    bad.replace(bad.find("audio=1"), 7, "audio=9");
    EXPECT_EQ(ParseDvdState(bad).hr, VFW_E_DVD_STATE_CORRUPT);
}

}  // namespace
}  // namespace quova::engine::testing

// The DVD graph on generated volumes: what the renderers show and the
// navigator's events, positions and streams.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <filesystem>

#include "platform/engine/dvd_graph_builder.h"
#include "platform/engine/video_renderer.h"
#include "tests/platform/engine/engine_fixture.h"
#include "tests/support/dvd_volume.h"

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
    void Open(const fs::path& volume) {
        builder_.SetFiltergraph(&graph_);
        AM_DVD_RENDERSTATUS status;
        ASSERT_EQ(builder_.RenderDvdVideoVolume(volume.string(), AM_DVD_HWDEC_PREFER, status), S_OK)
            << FilterNames(graph_);
        nav_ = builder_.GetDvdInterface();
        ASSERT_TRUE(nav_);
        video_ = graph_.VideoRenderer();
        ASSERT_TRUE(video_);
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
    std::uint32_t Domain() { return nav_->GetCurrentDomain().value; }
    bool ShowsTitle(std::uint32_t title, std::function<bool(QColor)> colour) {
        return WaitUntil([&] {
            auto l = nav_->GetCurrentLocation();
            return l.ok() && l.value.TitleNum == title && colour(Shown(*video_, 40, 40));
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
    ASSERT_TRUE(WaitUntil([&] { return Greenish(Shown(*video_, 40, 40)); }));
    ASSERT_TRUE(WaitUntil([&] {
        const QColor c = Shown(*video_, (kDvdButton1.x0 + kDvdButton1.x1) / 2,
                               (kDvdButton1.y0 + kDvdButton1.y1) / 2);
        return c.red() > 150 && c.green() > 150 && c.blue() < 120;
    })) << "highlight colour "
        << Shown(*video_, 200, 150).name().toStdString()
        << (video_->CurrentImage().save("/tmp/dvd16/menu.png"), "");
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

}  // namespace
}  // namespace quova::engine::testing

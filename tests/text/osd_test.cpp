#include <gtest/gtest.h>

#include <QColorDialog>
#include <QFont>
#include <QFontDialog>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include "playback/player_session.h"
#include "tests/app/qt_support.h"
#include "tests/support/fake_ui.h"
#include "tests/support/player_state.h"
#include "text/osd.h"
#include "text/osd_commands.h"
#include "text/osd_paint.h"

namespace quova {
namespace {

class OsdTest : public ::testing::Test {
  public:
    PlayerSession session;

  protected:
    void SetUp() override {
        testing::App();
        testing::ResetPlayerState(session);
        session.osdColor = 0x00FF00;
    }
    testing::FakeUi ui_{session};
};

TEST_F(OsdTest, ClockTimesWrapAtOneDay) {
    EXPECT_EQ(FormatSeconds(0), "00:00:00");
    EXPECT_EQ(FormatSeconds(75), "00:01:15");
    EXPECT_EQ(FormatSeconds(7200), "02:00:00");
    EXPECT_EQ(FormatSeconds(10.99), "00:00:10");
    EXPECT_EQ(FormatSeconds(86399), "23:59:59");
    EXPECT_EQ(FormatSeconds(86400), "00:00:00");
    EXPECT_EQ(FormatSeconds(86400 + 3661), "01:01:01");
}

TEST_F(OsdTest, EachTimeFormatShowsItsText) {
    EXPECT_EQ(OsdTimeText(0, 75, 7200, 25), "00:01:15");
    EXPECT_EQ(OsdTimeText(1, 75, 7200, 25), "00:01:15 / 02:00:00");
    // The lexicon text keeps its trailing blank.
    EXPECT_EQ(OsdTimeText(2, 75, 7200, 25), "remain: 01:58:45");
    // 10.99 s at 25 frames a second is frame 274.75, shown truncated.
    EXPECT_EQ(OsdTimeText(3, 10.99, 60.99, 25), "frame: 274 / 1524");
    EXPECT_EQ(OsdTimeText(4, 75, 7200, 25), "");
    EXPECT_EQ(OsdTimeText(-1, 75, 7200, 25), "");
}

TEST_F(OsdTest, AStreamWithoutALengthShowsItsPositionAlone) {
    for (int format : {0, 1, 2}) EXPECT_EQ(OsdTimeText(format, 75, 0, 25), "00:01:15") << format;
    EXPECT_EQ(OsdTimeText(1, 75, -1, 25), "00:01:15");
    EXPECT_EQ(OsdTimeText(3, 10.99, 0, 25), "frame: 274");
}

TEST_F(OsdTest, FourPressesOfTheTimeFormatReturnToTheFirst) {
    int format = 0;
    std::vector<int> seen;
    for (int i = 0; i < 4; ++i) seen.push_back(format = NextTimeFormat(format));
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 0}));
}

TEST_F(OsdTest, MessageIsGoneAtTheThirteenthUnchangedTick) {
    ShowOsdMessage(session, "pause");
    for (int tick = 1; tick <= 12; ++tick) {
        OsdExpiryTick(session);
        ASSERT_EQ(session.osdMessage, "pause") << "tick " << tick;
        // Showing the same text again does not lengthen its life.
        if (tick == 6) ShowOsdMessage(session, "pause");
    }
    OsdExpiryTick(session);
    EXPECT_EQ(session.osdMessage, "");
}

TEST_F(OsdTest, DifferentMessageRestartsTheCount) {
    ShowOsdMessage(session, "pause");
    for (int tick = 0; tick < 8; ++tick) OsdExpiryTick(session);
    ShowOsdMessage(session, "Play");
    for (int tick = 0; tick < 12; ++tick) OsdExpiryTick(session);
    EXPECT_EQ(session.osdMessage, "Play");
    OsdExpiryTick(session);
    EXPECT_EQ(session.osdMessage, "");
}

TEST_F(OsdTest, ShowingAMessageRepaintsTheWindowsOsd) {
    ShowOsdMessage(session, "loop on");
    EXPECT_EQ(session.osdMessage, "loop on");
    EXPECT_EQ(ui_.osdShown, std::vector<std::string>{"loop on"});
}

// A white canvas, so that every cell the OSD paints shows.
struct Canvas {
    QImage image{200, 80, QImage::Format_RGB32};
    QFont font;
    int lineHeight = 0;
    Canvas() {
        image.fill(Qt::white);
        font = QFont("Arial");
        font.setPixelSize(15);
        font.setBold(true);
        lineHeight = QFontMetrics(font).height();
    }
    bool painted(int x, int y) const { return image.pixel(x, y) != QColor(Qt::white).rgb(); }
    bool green(int x, int y) const {
        const QColor c = image.pixelColor(x, y);
        return c.green() > 128 && c.red() < 64 && c.blue() < 64;
    }
    bool rowHasGreen(int y, int from, int to) const {
        for (int x = from; x < to; ++x)
            if (green(x, y)) return true;
        return false;
    }
};

TEST_F(OsdTest, TwoLineMessageDrawsItsLinesOneLineHeightPlusOneApart) {
    Canvas c;
    {
        QPainter p(&c.image);
        p.setFont(c.font);
        DrawOsdLines(p, 200, 1, "XX|XX", session.osdColor, c.lineHeight);
    }
    // First cell from y = 1, second from y = lineHeight + 2, the row between untouched.
    EXPECT_FALSE(c.painted(3, 0));
    EXPECT_TRUE(c.painted(3, 1));
    EXPECT_TRUE(c.painted(3, c.lineHeight));
    EXPECT_FALSE(c.painted(3, c.lineHeight + 1));
    EXPECT_TRUE(c.painted(3, c.lineHeight + 2));
    EXPECT_TRUE(c.painted(3, 2 * c.lineHeight + 1));
    EXPECT_FALSE(c.painted(3, 2 * c.lineHeight + 2));
    // The left margin is 3 pixels.
    EXPECT_FALSE(c.painted(2, 1));
}

TEST_F(OsdTest, TextIsRightAlignedCentredOrPlacedByItsX) {
    Canvas c;
    const int width = QFontMetrics(c.font).horizontalAdvance("XXXX");
    {
        QPainter p(&c.image);
        p.setFont(c.font);
        p.setPen(Qt::green);
        DrawOsdText(p, 200, -3, 0, "XXXX");
        DrawOsdText(p, 200, 0, 20, "XXXX");
        DrawOsdText(p, 200, 10, 40, "XXXX");
    }
    // Right-aligned: ends 3 pixels from the right edge.
    EXPECT_TRUE(c.painted(196, 5));
    EXPECT_FALSE(c.painted(197, 5));
    EXPECT_TRUE(c.painted(197 - width, 5));
    EXPECT_FALSE(c.painted(196 - width, 5));
    // Centred.
    EXPECT_TRUE(c.painted(100 - width / 2, 25));
    EXPECT_FALSE(c.painted(99 - width / 2, 25));
    // Placed.
    EXPECT_TRUE(c.painted(10, 45));
    EXPECT_FALSE(c.painted(9, 45));
}

TEST_F(OsdTest, PaintShowsMessageLeftAndTimeRight) {
    Canvas c;
    OsdClock clock;
    clock.available = true;
    clock.position = 75;
    clock.duration = 7200;
    clock.timeFormat = 1;
    {
        QPainter p(&c.image);
        p.setFont(c.font);
        PaintOsd(p, 200, c.lineHeight, true, "pause", session.osdColor, clock);
    }
    // The strip is black under both texts, and both are drawn in green.
    EXPECT_TRUE(c.rowHasGreen(c.lineHeight / 2 + 1, 3, 60));
    EXPECT_TRUE(c.rowHasGreen(c.lineHeight / 2 + 1, 140, 197));
    EXPECT_EQ(c.image.pixelColor(100, 0), QColor(Qt::black));
    EXPECT_EQ(c.image.pixelColor(199, c.lineHeight), QColor(Qt::black));
    EXPECT_FALSE(c.painted(100, c.lineHeight + 1)) << "the strip ends at lineHeight + 1";
}

TEST_F(OsdTest, PaintWithoutMediumOrWithOsdOffDrawsNoTime) {
    for (const bool osdOn : {true, false}) {
        Canvas c;
        {
            QPainter p(&c.image);
            p.setFont(c.font);
            PaintOsd(p, 200, c.lineHeight, osdOn, "", session.osdColor, OsdClock{});
        }
        for (int y = 0; y <= c.lineHeight; ++y) EXPECT_FALSE(c.rowHasGreen(y, 0, 200));
        EXPECT_EQ(c.image.pixelColor(199, 0), QColor(Qt::black));
    }
}

// The main window's side of the OSD commands, counting what they redraw.
struct Host : OsdCommandHost {
    bool osdOn = true;
    int timeFormat = 0;
    QFont font{"Arial"};
    int fontChanges = 0, layouts = 0, paints = 0, strips = 0, clears = 0, subtitles = 0, id3 = 0;
    bool& OsdOn() override { return osdOn; }
    int& TimeFormat() override { return timeFormat; }
    QFont& CanvasFont() override { return font; }
    bool DvdOpen() const override { return false; }
    QWidget* DialogParent() override { return nullptr; }
    bool modal = false;
    bool modalSeen = false;
    void SetModalDialogOpen(bool open) override { modal = open; }
    void FontChanged() override { ++fontChanges; }
    void LayoutVideo() override { ++layouts; }
    void PaintOsd() override { ++paints; }
    void ClearOsdStrip() override { ++strips; }
    void ClearClientArea() override { ++clears; }
    void RedrawSubtitle() override { ++subtitles; }
    void RedrawId3() override { ++id3; }
};

TEST_F(OsdTest, ReduceFontStopsAtSevenPointsButStillRedraws) {
    Host host;
    SetFontPoints(host.font, 8);
    ReduceFont1Click(host);
    EXPECT_EQ(FontPoints(host.font), 7);
    EXPECT_EQ(host.fontChanges, 1);
    EXPECT_EQ(host.clears, 1);
    ReduceFont1Click(host);
    EXPECT_EQ(FontPoints(host.font), 7);
    EXPECT_EQ(host.fontChanges, 1) << "no new font below 7 points";
    EXPECT_EQ(host.clears, 1);
    EXPECT_EQ(host.layouts, 2);
    EXPECT_EQ(host.paints, 2);
    EXPECT_EQ(host.subtitles, 2);
    EXPECT_EQ(host.id3, 2);
}

TEST_F(OsdTest, EnlargeFontStopsAtFortySevenPoints) {
    Host host;
    host.font.setPixelSize(15);
    EXPECT_EQ(FontPoints(host.font), 11);
    EnlargeFont1Click(host);
    EXPECT_EQ(FontPoints(host.font), 12);
    SetFontPoints(host.font, 47);
    EnlargeFont1Click(host);
    EXPECT_EQ(FontPoints(host.font), 47);
}

TEST_F(OsdTest, OsdToggleShowsOsdOnAndClearsTheStripWhenOff) {
    Host host;
    host.osdOn = false;
    OSD2Click(session, host);
    EXPECT_TRUE(host.osdOn);
    EXPECT_EQ(session.osdMessage, "OSD on");
    EXPECT_EQ(host.paints, 1);
    OSD2Click(session, host);
    EXPECT_FALSE(host.osdOn);
    EXPECT_EQ(host.strips, 1);
    EXPECT_EQ(host.paints, 1);
    EXPECT_EQ(host.layouts, 2);
}

TEST_F(OsdTest, TimeFormatCommandCyclesAndRepaints) {
    Host host;
    for (int i = 0; i < 4; ++i) TimeFormat1Click(host);
    EXPECT_EQ(host.timeFormat, 0);
    EXPECT_EQ(host.paints, 4);
}

TEST_F(OsdTest, ColourDialogSetsTheOsdColourOnlyWhenConfirmed) {
    Host host;
    testing::OnNextModal([&host](QWidget* w) {
        host.modalSeen = host.modal;
        auto* dialog = qobject_cast<QColorDialog*>(w);
        ASSERT_TRUE(dialog);
        EXPECT_EQ(dialog->currentColor(), QColor(0, 255, 0)) << "the OSD colour is preselected";
        dialog->setCurrentColor(QColor(255, 0, 0));
        dialog->accept();
    });
    Color2Click(session, host);
    EXPECT_TRUE(host.modalSeen) << "the dialog shows with ModalDialogOpen set";
    EXPECT_FALSE(host.modal);
    EXPECT_EQ(session.osdColor, 0xFF0000u);
    EXPECT_EQ(host.paints, 1);

    testing::OnNextModal([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
    Color2Click(session, host);
    EXPECT_EQ(session.osdColor, 0xFF0000u) << "cancel keeps the colour";
}

TEST_F(OsdTest, FontDialogCancelKeepsTheFontButStillRemeasuresAndLaysOut) {
    Host host;
    host.font.setPixelSize(15);
    testing::OnNextModal([&host](QWidget* w) {
        host.modalSeen = host.modal;
        ASSERT_TRUE(qobject_cast<QFontDialog*>(w));
        qobject_cast<QDialog*>(w)->reject();
    });
    Font1Click(host);
    EXPECT_TRUE(host.modalSeen);
    EXPECT_FALSE(host.modal);
    EXPECT_EQ(host.font.pixelSize(), 15);
    EXPECT_EQ(host.fontChanges, 1);
    EXPECT_EQ(host.layouts, 1);
}

TEST_F(OsdTest, StartFontResolvesToABoldSansFace) {
    QFont font("Arial");
    font.setPixelSize(15);
    font.setBold(true);
    const QFontInfo info(font);
    EXPECT_TRUE(info.bold());
    EXPECT_EQ(info.pixelSize(), 15);
    EXPECT_FALSE(info.family().isEmpty());
    RecordProperty("resolved_family", info.family().toStdString());
}

}  // namespace
}  // namespace quova

#include "text/osd_commands.h"

#include <QColorDialog>
#include <QFont>
#include <QFontDialog>
#include <cmath>

#include "text/osd.h"
#include "text/text_session.h"

namespace quova {

namespace {

constexpr double kDotsPerInch = 96.0;

void StepFont(OsdCommandHost& host, int step) {
    QFont& font = host.CanvasFont();
    const int points = FontPoints(font);
    const int next = StepFontPoints(points, step);
    if (next != points) {
        SetFontPoints(font, next);
        host.FontChanged();
        host.ClearClientArea();
    }
    host.LayoutVideo();
    host.RedrawSubtitle();
    if (host.OsdOn()) host.PaintOsd();
    host.RedrawId3();
}

}  // namespace

int FontPoints(const QFont& font) {
    if (font.pointSize() > 0) return font.pointSize();
    return static_cast<int>(std::lround(font.pixelSize() * 72.0 / kDotsPerInch));
}

void SetFontPoints(QFont& font, int points) {
    font.setPixelSize(static_cast<int>(std::lround(points * kDotsPerInch / 72.0)));
}

void OSD2Click(TextSession& session, OsdCommandHost& host) {
    bool& on = host.OsdOn();
    on = !on;
    if (on)
        session.osdMessage = "OSD on";
    else
        host.ClearOsdStrip();
    host.LayoutVideo();
    if (on) host.PaintOsd();
}

void TimeFormat1Click(OsdCommandHost& host) {
    host.TimeFormat() = NextTimeFormat(host.TimeFormat());
    if (host.OsdOn()) host.PaintOsd();
}

void Font1Click(OsdCommandHost& host) {
    if (host.DvdOpen()) return;
    QFont& font = host.CanvasFont();
    bool ok = false;
    host.SetModalDialogOpen(true);
    const QFont chosen = QFontDialog::getFont(&ok, font, host.DialogParent());
    host.SetModalDialogOpen(false);
    if (ok) font = chosen;
    host.FontChanged();
    host.LayoutVideo();
    host.RedrawSubtitle();
}

void EnlargeFont1Click(OsdCommandHost& host) {
    StepFont(host, +1);
}

void ReduceFont1Click(OsdCommandHost& host) {
    StepFont(host, -1);
}

void Color2Click(TextSession& session, OsdCommandHost& host) {
    const QColor current((session.osdColor >> 16) & 0xFF, (session.osdColor >> 8) & 0xFF,
                         session.osdColor & 0xFF);
    host.SetModalDialogOpen(true);
    const QColor chosen = QColorDialog::getColor(current, host.DialogParent());
    host.SetModalDialogOpen(false);
    if (chosen.isValid())
        session.osdColor = (static_cast<std::uint32_t>(chosen.red()) << 16) |
                           (static_cast<std::uint32_t>(chosen.green()) << 8) |
                           static_cast<std::uint32_t>(chosen.blue());
    if (host.OsdOn()) host.PaintOsd();
}

}  // namespace quova

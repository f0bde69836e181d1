#include "text/osd_paint.h"

#include <QFontMetrics>
#include <QPainter>
#include <QRect>
#include <QString>

#include "text/osd.h"

namespace quova {

namespace {

QColor ToColor(std::uint32_t rgb) {
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

}  // namespace

void ClearOsdStrip(QPainter& painter, int clientWidth, int lineHeight) {
    painter.fillRect(QRect(0, 0, clientWidth, lineHeight + 1), Qt::black);
}

void ClearClientArea(QPainter& painter, const QRect& client) {
    painter.fillRect(client, Qt::black);
}

void DrawOsdText(QPainter& painter, int clientWidth, int x, int y, const std::string& text) {
    const QString line = QString::fromStdString(text);
    const QFontMetrics metrics(painter.font());
    const int width = metrics.horizontalAdvance(line);
    if (x < 0)
        x = clientWidth + x - width;
    else if (x == 0)
        x = clientWidth / 2 - width / 2;
    // The cell is opaque so that a shorter text replaces a longer one cleanly.
    painter.fillRect(QRect(x, y, width, metrics.height()), Qt::black);
    painter.drawText(QPoint(x, y + metrics.ascent()), line);
}

void DrawOsdLines(QPainter& painter, int clientWidth, int y, const std::string& text,
                  std::uint32_t color, int lineHeight) {
    painter.setPen(ToColor(color));
    if (text.empty()) return;
    for (const std::string& line : SplitOsdLines(text)) {
        DrawOsdText(painter, clientWidth, 3, y, line);
        y += lineHeight + 1;
    }
}

void PaintOsd(QPainter& painter, int clientWidth, int lineHeight, bool osdOn,
              const std::string& message, std::uint32_t color, const OsdClock& clock) {
    ClearOsdStrip(painter, clientWidth, lineHeight);
    if (!osdOn) return;
    DrawOsdLines(painter, clientWidth, 1, message, color, lineHeight);
    if (!clock.available) return;
    const std::string time =
        OsdTimeText(clock.timeFormat, clock.position, clock.duration, clock.frameRate);
    if (!time.empty()) DrawOsdText(painter, clientWidth, -3, 1, time);
}

}  // namespace quova

#include "text/subtitle_overlay.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QString>
#include <algorithm>

#include "text/osd.h"

namespace quova {

std::vector<int> MovieSubtitleLineBottoms(int lines, int lineHeight, int pictureTop,
                                          int pictureHeight, int clientHeight) {
    int bottom = pictureTop + pictureHeight;
    if (bottom > clientHeight) bottom = clientHeight + (bottom - clientHeight) / 2;
    bottom -= pictureTop;
    std::vector<int> bottoms(static_cast<std::size_t>(std::max(0, lines)));
    int y = bottom - lineHeight - 1;
    for (auto it = bottoms.rbegin(); it != bottoms.rend(); ++it) {
        *it = y;
        y -= lineHeight + 1;
    }
    return bottoms;
}

QImage RenderMovieSubtitle(const std::string& text, const QFont& font, int pictureTop,
                           int pictureWidth, int pictureHeight, int clientHeight, QPoint* topLeft) {
    if (text.empty() || pictureWidth <= 0) return {};
    const std::vector<std::string> lines = SplitOsdLines(text);
    const QFontMetrics metrics(font);
    const int lineHeight = metrics.height();
    const std::vector<int> bottoms = MovieSubtitleLineBottoms(
        static_cast<int>(lines.size()), lineHeight, pictureTop, pictureHeight, clientHeight);
    // From the first line's top (with room for the white's shift) to the
    // last line's bottom (with room for the black's).
    const int top = bottoms.front() - lineHeight - 1;
    const int height = bottoms.back() + 2 - top;
    QImage image(pictureWidth, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setFont(font);
    const int x = pictureWidth / 2;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const QString line = QString::fromStdString(lines[i]);
        const int left = x - metrics.horizontalAdvance(line) / 2;
        const int baseline = bottoms[i] - top - metrics.descent();
        painter.setPen(Qt::black);
        painter.drawText(left + 1, baseline + 1, line);
        painter.setPen(Qt::white);
        painter.drawText(left - 1, baseline - 1, line);
    }
    if (topLeft) *topLeft = QPoint(0, top);
    return image;
}

}  // namespace quova

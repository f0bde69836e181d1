#include "app/subtitle_box.h"

#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>

#include "playback/player_session.h"
#include "text/string_utils.h"
#include "text/subtitle_display.h"

namespace quova {

SubtitleBoxPlace PlaceSubtitleBox(int lines, int widestLine, int pictureTop, int pictureHeight,
                                  int clientWidth, int lineHeight, int charWidth, int offsetY) {
    SubtitleBoxPlace place;
    place.height = lineHeight + 2 + (lines - 1) * lineHeight;
    place.width = widestLine + charWidth;
    place.top = pictureTop + pictureHeight + 2 - (lines - 1) * lineHeight + offsetY;
    place.left = clientWidth / 2 - place.width / 2;
    return place;
}

void DrawSubtitleBox(PlayerSession& session, QLabel* panel, const std::string& text,
                     const QFont& font, QColor color, int pictureTop, int pictureHeight,
                     int lineHeight, int charWidth) {
    if (!panel) return;
    panel->setFont(font);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, color);
    panel->setPalette(palette);
    panel->setAutoFillBackground(true);
    // A black box: nothing of the picture shows through it.
    panel->setAttribute(Qt::WA_TranslucentBackground, false);
    panel->setAttribute(Qt::WA_NoSystemBackground, false);
    panel->setAlignment(Qt::AlignCenter);
    panel->setWordWrap(false);
    if (text.empty()) {
        panel->hide();
        return;
    }
    const TDynStrArray lines = SplitString(text, "|");
    QStringList shown;
    int widest = 0;
    const QFontMetrics metrics(font);
    for (const std::string& line : lines) {
        shown << QString::fromStdString(line);
        widest = std::max(widest, metrics.horizontalAdvance(shown.back()));
    }
    panel->setText(shown.join('\n'));
    const QWidget* client = panel->parentWidget();
    const SubtitleBoxPlace place = PlaceSubtitleBox(
        static_cast<int>(lines.size()), widest, pictureTop, pictureHeight,
        client ? client->width() : 0, lineHeight, charWidth, session.subtitleBoxOffsetY);
    panel->setGeometry(place.left, place.top, place.width, place.height);
    panel->raise();
    panel->show();
}

bool SubtitleBoxMouse(PlayerSession& session, QMouseEvent* event) {
    const int y = static_cast<int>(event->position().y());
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            // 0 means no drag; a press on the top row still starts one.
            session.panelDragY = y == 0 ? 1 : y;
            return false;
        case QEvent::MouseMove:
            if (session.panelDragY == 0) return false;
            // The box follows the pointer: the point pressed stays under it.
            // (Taking each move's height as the next reference would count
            // every move of the box against the pointer's next one, and the
            // box would lag behind it by half the way.)
            if (y == session.panelDragY) return false;
            session.subtitleBoxOffsetY += y - session.panelDragY;
            return true;
        case QEvent::MouseButtonRelease:
            session.panelDragY = 0;
            return false;
        default:
            return false;
    }
}

}  // namespace quova

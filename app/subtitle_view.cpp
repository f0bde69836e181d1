#include "app/subtitle_view.h"

#include <QColor>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QWidget>
#include <algorithm>

#include "app/settings.h"
#include "app/subtitle_box.h"
#include "graph/graph_state.h"
#include "platform/engine/video_renderer.h"
#include "playback/player_session.h"
#include "text/osd.h"
#include "text/osd_paint.h"
#include "text/subtitle_commands.h"
#include "text/subtitle_display.h"
#include "text/subtitle_overlay.h"
#include "text/subtitle_tracks.h"

namespace quova {

void SubtitleView::PaintBand(QPainter& painter, const QFont& osdFont) const {
    const GraphSession& g = session_.graph;
    const QRect picture = g.VideoWindow ? g.VideoWindow->WindowPosition() : QRect();
    const int top = picture.top() + (g.VideoWindow ? picture.height() : 0) + 2;
    painter.fillRect(0, top, window_.width(), std::max(0, window_.height() - top), Qt::black);
    const std::string& text = session_.currentSubtitleText;
    // A picture unit is drawn into the picture whatever the mode.
    if (text.empty() || IsPictureSubtitle(text)) return;
    const QFont font = Font(text, osdFont);
    painter.setFont(font);
    painter.setPen(QColor::fromRgb(session_.subtitleColor));
    const int line = QFontMetrics(font).height() + 1;
    int y = top;
    for (const std::string& part : SplitOsdLines(text)) {
        DrawOsdText(painter, window_.width(), 0, y, part);
        y += line;
    }
}

QFont SubtitleView::Font(const std::string& text, const QFont& osdFont) const {
    // The text is fitted to the window's width; the OSD's font stays as it is.
    QFont font = osdFont;
    const int size = FitSubtitleFontSize(text, font.pixelSize(), window_.width(), [&font](int at) {
        QFont f = font;
        f.setPixelSize(at);
        return QFontMetrics(f).horizontalAdvance("Xx");
    });
    font.setPixelSize(std::max(1, size));
    return font;
}

void SubtitleView::Draw(const std::string& text, const QFont& osdFont) {
    const Settings& s = AppSettings();
    auto* panel = window_.findChild<QLabel*>("Panel1");
    const GraphSession& g = session_.graph;
    const QRect picture = g.VideoWindow ? g.VideoWindow->WindowPosition() : QRect();
    const QFont font = Font(text, osdFont);
    const QFontMetrics metrics(font);
    // A picture stream's unit is a picture: it goes into the frames, stretched
    // with them, wherever text would go.
    if (IsPictureSubtitle(text)) {
        if (panel) panel->hide();
        if (g.VideoWindow)
            g.VideoWindow->SetOverlay(PictureSubtitleImage(session_, text, picture.size()), {});
        if (!s.SubtitlesOnMovie) window_.update();
        return;
    }
    // Text drawn beside the picture takes the place of a unit shown in it.
    if (!s.SubtitlesOnMovie && g.VideoWindow) g.VideoWindow->SetOverlay({}, {});
    if (s.SubtitlesOnMovie) {
        if (panel) panel->hide();
        // Nothing may draw on the window a video sink owns: the renderer
        // draws the lines into the frames it shows.
        if (!g.VideoWindow) return;
        // A styled stream's cue comes with its own look, drawn for the
        // frame and stretched with it over the picture.
        const QImage styled =
            StyledSubtitleImage(session_, text, QSize(g.VideoWidth, g.VideoHeight));
        if (!styled.isNull() && !picture.isEmpty()) {
            g.VideoWindow->SetOverlay(
                styled.scaled(picture.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation),
                QPoint(0, 0));
            return;
        }
        QPoint at;
        const QImage lines = RenderMovieSubtitle(text, font, picture.top(), picture.width(),
                                                 picture.height(), window_.height(), &at);
        g.VideoWindow->SetOverlay(lines, at);
        return;
    }
    if (s.SubtitlesOverMovie) {
        DrawSubtitleBox(session_, panel, text, font, QColor::fromRgb(session_.subtitleColor),
                        picture.top(), picture.height(), metrics.height(),
                        metrics.horizontalAdvance('X'));
        return;
    }
    if (panel) panel->hide();
    // The band below the picture is painted with the OSD's text primitives.
    window_.update();
}

SubtitlePlace SubtitleView::Placement() const {
    const Settings& settings = AppSettings();
    if (!SubtitlesLoaded(session_) || !settings.SubtitlesOn) return SubtitlePlace::None;
    if (settings.SubtitlesOnMovie) return SubtitlePlace::On;
    return settings.SubtitlesOverMovie ? SubtitlePlace::Over : SubtitlePlace::Below;
}

}  // namespace quova

#include "app/glyph_button.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace quova {

QStyle::StandardPixmap GlyphIcon(const QString& glyph) {
    if (glyph == "r") return QStyle::SP_TitleBarCloseButton;
    if (glyph == "0") return QStyle::SP_TitleBarMinButton;
    if (glyph == "s") return QStyle::SP_TitleBarContextHelpButton;
    if (glyph == "`") return QStyle::SP_TitleBarMenuButton;
    if (glyph == "9") return QStyle::SP_MediaSkipBackward;
    if (glyph == "7") return QStyle::SP_MediaSeekBackward;
    if (glyph == ";") return QStyle::SP_MediaPause;
    if (glyph == "<") return QStyle::SP_MediaStop;
    if (glyph == "8") return QStyle::SP_MediaSeekForward;
    if (glyph == ":") return QStyle::SP_MediaSkipForward;
    return QStyle::SP_MediaPlay;  // "4"
}

void GlyphButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.icon = style()->standardIcon(GlyphIcon(text()), nullptr, this);
    option.text.clear();
    option.iconSize = QSize(12, 12);
    painter.drawControl(QStyle::CE_PushButton, option);
}

}  // namespace quova

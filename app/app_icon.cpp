#include "app/app_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace quova {

QIcon AppIcon() {
    QIcon icon;
    for (int size : {16, 22, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(20, 24, 64));
        painter.drawEllipse(QRectF(0.5, 0.5, size - 1.0, size - 1.0));
        QPainterPath triangle;
        triangle.moveTo(size * 0.38, size * 0.27);
        triangle.lineTo(size * 0.76, size * 0.5);
        triangle.lineTo(size * 0.38, size * 0.73);
        triangle.closeSubpath();
        painter.setBrush(QColor(240, 200, 60));
        painter.drawPath(triangle);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace quova

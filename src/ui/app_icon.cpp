#include "ui/app_icon.h"

#include <QPainter>
#include <QPixmap>

namespace {

QPixmap draw_icon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    const double u = size / 32.0;
    p.setPen(QPen(QColor(0, 100, 0), u));
    for (int x = 2; x < 30; x += 2) {
        const int h = (x * 7) % 9 + 2;
        p.drawLine(QPointF(x * u, (24 - h / 2.0) * u), QPointF(x * u, (24 + h / 2.0) * u));
    }
    const QColor bars[] = {QColor(255, 0, 0), QColor(0, 255, 128), QColor(0, 0, 255)};
    p.setPen(QPen(Qt::black, u));
    for (int i = 0; i < 3; ++i) {
        p.setBrush(bars[i]);
        p.drawRect(QRectF((3 + i * 9) * u, (3 + i * 5) * u, 10 * u, 4 * u));
    }
    p.setPen(QPen(QColor(50, 50, 50), u));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5 * u, 0.5 * u, 31 * u, 31 * u));
    return pixmap;
}

} // namespace

QIcon tonagram_icon()
{
    QIcon icon;
    icon.addPixmap(draw_icon(16));
    icon.addPixmap(draw_icon(32));
    icon.addPixmap(draw_icon(48));
    return icon;
}

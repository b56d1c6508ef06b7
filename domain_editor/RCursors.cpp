#include "domain_editor/RCursors.h"

#include <QPainter>
#include <QPixmap>

namespace {
QPixmap blank()
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    return pm;
}

// Draws the shape twice, white underneath and black on top, so it shows on any background.
template <class Shape> QPixmap twoColour(Shape shape)
{
    QPixmap pm = blank();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::white, 3));
    p.setBrush(Qt::white);
    shape(p, true);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::black);
    shape(p, false);
    return pm;
}
} // namespace

QCursor newPointCursor()
{
    const QPixmap pm = twoColour([](QPainter& p, bool) {
        p.setBrush(Qt::NoBrush);
        p.drawLine(16, 2, 16, 11);
        p.drawLine(16, 19, 16, 28);
        p.drawLine(2, 15, 12, 15);
        p.drawLine(20, 15, 30, 15);
        p.drawEllipse(QPoint(16, 15), 3, 3);
    });
    return QCursor(pm, 16, 15);
}

QCursor newLineCursor()
{
    const QPixmap pm = twoColour([](QPainter& p, bool under) {
        const QPoint arrow[7] = {{5, 3}, {5, 18}, {9, 14}, {12, 20}, {14, 19}, {11, 13}, {16, 13}};
        p.drawPolygon(arrow, 7);
        p.setBrush(Qt::NoBrush);
        // Two links of a chain below and to the right of the arrow.
        p.drawEllipse(QRect(15, 19, 8, 5));
        p.drawEllipse(QRect(20, 23, 8, 5));
        (void)under;
    });
    return QCursor(pm, 5, 3);
}

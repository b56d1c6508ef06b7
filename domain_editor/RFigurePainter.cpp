#include "domain_editor/RFigurePainter.h"

#include "document/RTriangleMesh.h"
#include "domain_editor/RCoord.h"
#include "domain_editor/RDomainEditor.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace {
const QColor Blue(0, 0, 255);
const QColor Silver(192, 192, 192);
const QColor Red(255, 0, 0);
const QColor Green(0, 128, 0);
const QColor Magenta(255, 0, 255);

QPen pen(const QColor& colour, double width)
{
    QPen p(colour);
    p.setWidthF(width);
    return p;
}

} // namespace

RFigurePainter::RFigurePainter(QPainter& painter, const RCoord& view, const RTriangleMesh& figure)
    : m_painter(painter)
    , m_view(view)
    , m_figure(figure)
{
}

QPointF RFigurePainter::px(double x, double y) const
{
    return {m_view.pixelX(x), m_view.pixelY(y)};
}

void RFigurePainter::drawDomain(bool twoGrid)
{
    const RTriangleMesh& f = m_figure;
    m_painter.setBrush(Qt::NoBrush);
    for (const ROutline& o : f.outlines) {
        if (o.hidden)
            continue;
        const double width = o.selected ? 3 : 1;
        for (int s : o.segments)
            drawSegment(s, width, Blue, false);
        m_painter.setPen(pen(Qt::black, 1));
        m_painter.setBrush(Qt::NoBrush);
        const QPointF c = px(o.labelX, o.labelY);
        m_painter.drawRect(QRectF(c.x() - 3, c.y() - 3, 6, 6));
    }
    for (int i = 0; i < int(f.segments.size()); ++i) {
        const RSegment& s = f.segments[i];
        if (s.hidden)
            continue;
        if (!s.selected)
            drawSegment(i, 1, s.type == 1 ? QColor(Qt::black) : Silver, false);
        else if (twoGrid)
            drawSegmentFVM(i, 1, Green, true);
        else
            drawSegment(i, 2, Red, true);
    }
    for (const RPoint& p : f.points) {
        if (p.hidden)
            continue;
        const QColor colour = p.selected ? Red : QColor(Qt::black);
        m_painter.setPen(pen(colour, 1));
        m_painter.setBrush(colour);
        const QPointF c = px(p.x, p.y);
        m_painter.drawEllipse(c, 3, 3);
    }
    m_painter.setBrush(Qt::NoBrush);
}

void RFigurePainter::drawDivisionDots(int index)
{
    const RSegment& s = m_figure.segments[index];
    m_painter.setPen(pen(Qt::black, 1));
    m_painter.setBrush(Qt::black);
    for (int i = 1; i < s.division; ++i) {
        double x = 0, y = 0;
        m_figure.divisionPoint(index, i, x, y);
        m_painter.drawEllipse(px(x, y), 2, 2);
    }
    m_painter.setBrush(Qt::NoBrush);
}

void RFigurePainter::drawSegment(int index, double width, const QColor& colour, bool selected)
{
    const RSegment& s = m_figure.segments[index];
    const RPoint& a = m_figure.points[s.startPoint];
    const RPoint& b = m_figure.points[s.endPoint];
    m_painter.setPen(pen(colour, width));
    m_painter.setBrush(Qt::NoBrush);
    // Any radius but 0 is an arc, as the mesh runs it: one too short for the chord is a half
    // circle over it.
    double mx = 0, my = 0;
    segmentMiddle(m_figure, s, mx, my);
    if (s.radius == 0.0)
        m_painter.drawLine(px(a.x, a.y), px(b.x, b.y));
    else
        drawArcSegment(a.x, a.y, b.x, b.y, s.radius, mx, my);
    if (selected)
        drawDivisionDots(index);
    const double d = std::hypot(b.x - a.x, b.y - a.y);
    if (d > 0)
        drawSegmentHandle((b.x - a.x) / d, (b.y - a.y) / d, m_view.pixelX(mx), m_view.pixelY(my));
}

void RFigurePainter::drawSegmentFVM(int index, double width, const QColor& colour, bool selected)
{
    const RSegment& s = m_figure.segments[index];
    const RPoint& a = m_figure.points[s.startPoint];
    const RPoint& b = m_figure.points[s.endPoint];
    if (s.radius != 0.0) {
        drawSegment(index, width, colour, selected);
        return;
    }
    const double d = std::hypot(b.x - a.x, b.y - a.y);
    const double ha = std::abs(b.x - a.x) > std::abs(b.y - a.y) ? 1 : 0;
    const double hb = 1 - ha;
    m_painter.setPen(pen(colour, width));
    m_painter.setBrush(Qt::NoBrush);
    const QPointF p1 = px(a.x, a.y), p2 = px(b.x, b.y);
    m_painter.drawRect(QRectF(QPointF(p1.x() - 2 * hb, p1.y() - 2 * ha),
        QPointF(p2.x() + 2 * hb, p2.y() + 2 * ha)).normalized());
    if (selected) {
        m_painter.setPen(pen(Green, 1));
        for (int i = 1; i < s.division; ++i) {
            double x = 0, y = 0;
            m_figure.divisionPoint(index, i, x, y);
            const QPointF q = px(x, y);
            m_painter.drawLine(QPointF(q.x() - 2 * hb, q.y() - 2 * ha),
                QPointF(q.x() + 2 * hb, q.y() + 2 * ha));
        }
    }
    double mx = 0, my = 0;
    segmentMiddle(m_figure, s, mx, my);
    if (d > 0)
        drawSegmentHandle((b.x - a.x) / d, (b.y - a.y) / d, m_view.pixelX(mx), m_view.pixelY(my));
}

void RFigurePainter::drawArcSegment(double x1, double y1, double x2, double y2, double r,
    double hx, double hy)
{
    const double sign = r > 0 ? 1.0 : -1.0;
    double cx = 0, cy = 0;
    RTriangleMesh::segmentCenter(x1, y1, x2, y2, r, cx, cy);
    const double theta = RTriangleMesh::centralAngle(x1, y1, x2, y2, r);
    QPainterPath path(px(x1, y1));
    auto piece = [&](double sx, double sy, double ex, double ey, double k) {
        const double c1x = sx + sign * k * (sy - cy), c1y = sy + sign * k * (cx - sx);
        const double c2x = ex + sign * k * (cy - ey), c2y = ey + sign * k * (ex - cx);
        path.cubicTo(px(c1x, c1y), px(c2x, c2y), px(ex, ey));
    };
    if (theta > 1.570796326794895) {
        const double k = 4.0 / 3.0 * std::tan(theta / 8);
        piece(x1, y1, hx, hy, k);
        piece(hx, hy, x2, y2, k);
    } else {
        piece(x1, y1, x2, y2, 4.0 / 3.0 * std::tan(theta / 4));
    }
    m_painter.drawPath(path);
}

void RFigurePainter::drawSegmentHandle(double ux, double uy, double hx, double hy)
{
    m_painter.setPen(pen(Qt::black, 1));
    m_painter.setBrush(Qt::NoBrush);
    const QPointF tri[3] = {
        {hx - 4 * ux - 3 * uy, hy + 4 * uy - 3 * ux},
        {hx + 4 * ux, hy - 4 * uy},
        {hx - 4 * ux + 3 * uy, hy + 4 * uy + 3 * ux},
    };
    m_painter.drawPolygon(tri, 3);
}

void RFigurePainter::drawMesh()
{
    const RTriangleMesh& f = m_figure;
    m_painter.setPen(pen(Magenta, 1));
    m_painter.setBrush(Qt::NoBrush);
    const int n = int(f.gridPoints.size());
    for (const RCellTriangle& t : f.triangles) {
        if (t.vertices[0] < 0 || t.vertices[1] < 0 || t.vertices[2] < 0 || t.vertices[0] >= n
            || t.vertices[1] >= n || t.vertices[2] >= n)
            continue;
        QPointF q[3];
        for (int i = 0; i < 3; ++i)
            q[i] = px(f.gridPoints[t.vertices[i]].x, f.gridPoints[t.vertices[i]].y);
        m_painter.drawPolygon(q, 3);
    }
}

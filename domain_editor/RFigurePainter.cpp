#include "domain_editor/RFigurePainter.h"

#include "document/RTriangleMesh.h"
#include "domain_editor/RCoord.h"

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

// A point of the division of a segment: along the chord, or turned about the centre.
void divisionPoint(const RTriangleMesh& f, const RSegment& s, double t, double& x, double& y)
{
    const RPoint& a = f.points[s.startPoint];
    const RPoint& b = f.points[s.endPoint];
    const double d = std::hypot(b.x - a.x, b.y - a.y);
    if (0.5 * d > std::abs(s.radius)) {
        x = a.x + t * (b.x - a.x);
        y = a.y + t * (b.y - a.y);
        return;
    }
    double cx = 0, cy = 0;
    RTriangleMesh::segmentCenter(a.x, a.y, b.x, b.y, s.radius, cx, cy);
    const double r2 = s.radius * s.radius;
    const double theta
        = RTriangleMesh::arccos(((a.x - cx) * (b.x - cx) + (a.y - cy) * (b.y - cy)) / r2);
    // Clockwise (y up) for a positive radius.
    const double phi = (s.radius > 0 ? -1.0 : 1.0) * t * theta;
    const double c = std::cos(phi), sn = std::sin(phi);
    x = cx + (a.x - cx) * c - (a.y - cy) * sn;
    y = cy + (a.x - cx) * sn + (a.y - cy) * c;
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
        divisionPoint(m_figure, s, RTriangleMesh::calcGridPoint(double(i) / s.division, s.bias), x,
            y);
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
    const double d = std::hypot(b.x - a.x, b.y - a.y);
    if (0.5 * d > std::abs(s.radius))
        m_painter.drawLine(px(a.x, a.y), px(b.x, b.y));
    else
        drawArcSegment(a.x, a.y, b.x, b.y, s.radius, s.handleX, s.handleY);
    if (selected)
        drawDivisionDots(index);
    if (d > 0)
        drawSegmentHandle((b.x - a.x) / d, (b.y - a.y) / d, m_view.pixelX(s.handleX),
            m_view.pixelY(s.handleY));
}

void RFigurePainter::drawSegmentFVM(int index, double width, const QColor& colour, bool selected)
{
    const RSegment& s = m_figure.segments[index];
    const RPoint& a = m_figure.points[s.startPoint];
    const RPoint& b = m_figure.points[s.endPoint];
    const double d = std::hypot(b.x - a.x, b.y - a.y);
    if (!(0.5 * d > std::abs(s.radius))) {
        drawSegment(index, width, colour, selected);
        return;
    }
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
            divisionPoint(m_figure, s, RTriangleMesh::calcGridPoint(double(i) / s.division, s.bias),
                x, y);
            const QPointF q = px(x, y);
            m_painter.drawLine(QPointF(q.x() - 2 * hb, q.y() - 2 * ha),
                QPointF(q.x() + 2 * hb, q.y() + 2 * ha));
        }
    }
    if (d > 0)
        drawSegmentHandle((b.x - a.x) / d, (b.y - a.y) / d, m_view.pixelX(s.handleX),
            m_view.pixelY(s.handleY));
}

void RFigurePainter::drawArcSegment(double x1, double y1, double x2, double y2, double r,
    double hx, double hy)
{
    const double sign = r > 0 ? 1.0 : -1.0;
    double d = std::hypot(x2 - x1, y2 - y1);
    if (d == 0)
        d = 1;
    const double mx = (x1 + x2) / 2, my = (y1 + y2) / 2;
    const double h = std::sqrt(std::max(0.0, r * r - d * d / 4));
    const double cx = mx + sign * h * (y2 - y1) / d;
    const double cy = my + sign * h * -(x2 - x1) / d;
    const double theta = RTriangleMesh::arccos(((x1 - cx) * (x2 - cx) + (y1 - cy) * (y2 - cy)) / r / r);
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

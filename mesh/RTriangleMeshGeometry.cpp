// Geometry of one figure segment: arc centre, handle point, length, graded division points and
// the signed-angle helpers. Every consumer places division points through these functions so a
// segment is drawn, checked and meshed the same way everywhere.
#include "document/RTriangleMesh.h"

#include <cmath>

namespace {
constexpr double kPi = 3.14159265358979;
}

void RTriangleMesh::segmentCenter(double x1, double y1, double x2, double y2, double r,
                                  double& cx, double& cy)
{
    const double dx = x2 - x1, dy = y2 - y1;
    const double L = std::sqrt(dx * dx + dy * dy);
    const double mx = (x1 + x2) / 2, my = (y1 + y2) / 2;
    if (0.5 * L > std::fabs(r)) {
        cx = mx;
        cy = my;
        return;
    }
    const double Lp = L == 0.0 ? 1.0 : L;
    const double h = std::sqrt(r * r - 0.25 * Lp * Lp);
    if (r > 0) {
        cx = mx + h * dy / Lp;
        cy = my - h * dx / Lp;
    } else {
        cx = mx - h * dy / Lp;
        cy = my + h * dx / Lp;
    }
}

void RTriangleMesh::segmentHandle(double x1, double y1, double x2, double y2, double r,
                                  double& hx, double& hy)
{
    const double dx = x2 - x1, dy = y2 - y1;
    const double L = std::sqrt(dx * dx + dy * dy);
    const double mx = (x1 + x2) / 2, my = (y1 + y2) / 2;
    if (0.5 * L > std::fabs(r)) {
        hx = mx;
        hy = my;
        return;
    }
    const double Lp = L == 0.0 ? 1.0 : L;
    const double h = std::sqrt(r * r - 0.25 * Lp * Lp);
    if (r > 0) {
        hx = mx + (r - h) * (-dy) / Lp;
        hy = my + (r - h) * dx / Lp;
    } else if (r < 0) {
        hx = mx + (std::fabs(r) - h) * dy / Lp;
        hy = my + (std::fabs(r) - h) * (-dx) / Lp;
    } else {
        // Only reached for a zero-length straight segment.
        hx = mx;
        hy = my;
    }
}

void RTriangleMesh::segmentLength(double x1, double y1, double x2, double y2, double r,
                                  double& length)
{
    const double dx = x2 - x1, dy = y2 - y1;
    const double L = std::sqrt(dx * dx + dy * dy);
    // A radius of exactly half the chord is a half circle: its length is the arc's, not the
    // chord's (asin(1) gives pi/2).
    if (r == 0.0 || 0.5 * L > std::fabs(r)) {
        length = L;
        return;
    }
    length = 2 * std::fabs(r) * std::asin(L / (2 * std::fabs(r)));
}

double RTriangleMesh::calcGridPoint(double t, double bias)
{
    return (bias + 1) * t / ((2 * t - 1) * bias + 1);
}

double RTriangleMesh::arccos(double x)
{
    if (x >= 1)
        return 0.0;
    if (x <= -1)
        return kPi;
    return std::acos(x);
}

double RTriangleMesh::centralAngle(double x1, double y1, double x2, double y2, double r)
{
    double cx, cy;
    segmentCenter(x1, y1, x2, y2, r, cx, cy);
    return arccos(((x2 - cx) * (x1 - cx) + (y2 - cy) * (y1 - cy)) / (r * r));
}

double RTriangleMesh::calcDeltaLength(int k, int s) const
{
    const RSegment& seg = segments[s];
    const RPoint& p1 = points[seg.startPoint];
    const RPoint& p2 = points[seg.endPoint];
    const int n = seg.division;
    const double delta = calcGridPoint(double(k) / n, seg.bias)
                         - calcGridPoint(double(k - 1) / n, seg.bias);
    const double dx = p2.x - p1.x, dy = p2.y - p1.y;
    if (seg.radius == 0.0)
        return delta * std::sqrt(dx * dx + dy * dy);
    const double theta = centralAngle(p1.x, p1.y, p2.x, p2.y, seg.radius);
    return 2 * std::fabs(seg.radius) * std::sin(delta * theta / 2);
}

void RTriangleMesh::divisionPoint(const RSegment& seg, int k, double& x, double& y) const
{
    walkPoint(seg, false, k, x, y);
}

namespace {
// The point a fraction u of the way along a segment, from its start point or, when fromEnd is
// set, from its end point with the central angle negated. A segment of any non-zero radius is
// an arc about the centre that segmentCenter gives, so a radius too short for the chord turns
// about the chord's middle through a half circle.
void pointAlong(double x1, double y1, double x2, double y2, double r, double u, bool fromEnd,
                double& x, double& y)
{
    const double fx = fromEnd ? x2 : x1, fy = fromEnd ? y2 : y1;
    const double tx = fromEnd ? x1 : x2, ty = fromEnd ? y1 : y2;
    if (r == 0.0) {
        x = fx + u * (tx - fx);
        y = fy + u * (ty - fy);
        return;
    }
    double cx, cy;
    RTriangleMesh::segmentCenter(x1, y1, x2, y2, r, cx, cy);
    double theta = RTriangleMesh::arccos(((x2 - cx) * (x1 - cx) + (y2 - cy) * (y1 - cy)) / (r * r));
    if (fromEnd)
        theta = -theta;
    const double a = u * theta;
    const double c = std::cos(a), s = std::sin(a);
    if (r > 0) {
        x = cx + (fx - cx) * c + (fy - cy) * s;
        y = cy + (fy - cy) * c - (fx - cx) * s;
    } else {
        x = cx + (fx - cx) * c - (fy - cy) * s;
        y = cy + (fy - cy) * c + (fx - cx) * s;
    }
}
} // namespace

void RTriangleMesh::walkPoint(const RSegment& seg, bool fromEnd, int k, double& x, double& y) const
{
    const RPoint& p1 = points[seg.startPoint];
    const RPoint& p2 = points[seg.endPoint];
    const double u = calcGridPoint(double(k) / seg.division, fromEnd ? -seg.bias : seg.bias);
    pointAlong(p1.x, p1.y, p2.x, p2.y, seg.radius, u, fromEnd, x, y);
}

void RTriangleMesh::segmentPoint(double x1, double y1, double x2, double y2, double r, double u,
                                 double& x, double& y)
{
    pointAlong(x1, y1, x2, y2, r, u, false, x, y);
}

void RTriangleMesh::divisionPoint(int s, int k, double& x, double& y) const
{
    divisionPoint(segments[s], k, x, y);
}

void RTriangleMesh::updateHandle(int s)
{
    RSegment& seg = segments[s];
    const RPoint& p1 = points[seg.startPoint];
    const RPoint& p2 = points[seg.endPoint];
    segmentHandle(p1.x, p1.y, p2.x, p2.y, seg.radius, seg.handleX, seg.handleY);
}

double RTriangleMesh::getAngle(double x1, double y1, double x2, double y2, double x3, double y3,
                               double x4, double y4)
{
    const double ux = x2 - x1, uy = y2 - y1, vx = x4 - x3, vy = y4 - y3;
    const double a = arccos((ux * vx + uy * vy)
                            / (std::sqrt(ux * ux + uy * uy) * std::sqrt(vx * vx + vy * vy)));
    return ux * vy - uy * vx < 0 ? -a : a;
}

double RTriangleMesh::getAngleByIP(int i0, int i1, int i2, int i3) const
{
    return getAngle(points[i0].x, points[i0].y, points[i1].x, points[i1].y, points[i2].x,
                    points[i2].y, points[i3].x, points[i3].y);
}

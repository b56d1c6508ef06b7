// Predicates that keep the figure a valid planar drawing, and the two checks that validate a
// new segment or a new point position and tell the user what is wrong.
#include "document/RMessages.h"
#include "document/RTriangleMesh.h"
#include "mesh/RSegmentCrossings.h"

#include <algorithm>
#include <cmath>

namespace {
// Side of Q relative to the directed line A -> B.
inline double side(double qx, double qy, double ax, double ay, double bx, double by)
{
    return (qx - ax) * (by - ay) - (qy - ay) * (bx - ax);
}

// A point that is selected and still waits to be placed by the move command.
inline bool isPending(const RPoint& p)
{
    return p.selected && p.mark == -2;
}
} // namespace

bool RTriangleMesh::isSamePt(double x1, double y1, double x2, double y2) const
{
    const double dx = x2 - x1, dy = y2 - y1;
    return std::sqrt(dx * dx + dy * dy) < tolerance;
}

bool RTriangleMesh::isOnSimpleLine(double px, double py, double x1, double y1, double x2,
                                   double y2) const
{
    const double L = std::sqrt((x2 - x1) * (x2 - x1) + (y2 - y1) * (y2 - y1));
    const double ux = (x2 - x1) / L, uy = (y2 - y1) / L;
    const double t = (px - x1) * ux + (py - y1) * uy;
    const double e = std::fabs((px - x1) * uy - (py - y1) * ux);
    return 0 < t && t < L && e < tolerance;
}

bool RTriangleMesh::existingPt(double x, double y, int except) const
{
    for (int i = 0; i < int(points.size()); ++i)
        if (i != except && isSamePt(x, y, points[i].x, points[i].y))
            return true;
    return false;
}

bool RTriangleMesh::isOnSegment(const RSegment& seg, double x, double y) const
{
    std::vector<double> xs, ys;
    segmentChordPoints(*this, seg, xs, ys);
    for (size_t i = 0; i + 1 < xs.size(); ++i) {
        if (isSamePt(x, y, xs[i], ys[i]) || isSamePt(x, y, xs[i + 1], ys[i + 1])
            || isOnSimpleLine(x, y, xs[i], ys[i], xs[i + 1], ys[i + 1]))
            return true;
    }
    return false;
}

bool RTriangleMesh::isOnlineBySeg(int s, double x, double y) const
{
    return isOnSegment(segments[s], x, y);
}

bool RTriangleMesh::isOnline(double x, double y) const
{
    for (int s = 0; s < int(segments.size()); ++s)
        if (isOnlineBySeg(s, x, y))
            return true;
    return false;
}

bool RTriangleMesh::crossCheck(double x1, double y1, double x2, double y2, double x3, double y3,
                               double x4, double y4)
{
    return side(x4, y4, x1, y1, x2, y2) * side(x3, y3, x1, y1, x2, y2) < 0
           && side(x2, y2, x3, y3, x4, y4) * side(x1, y1, x3, y3, x4, y4) < 0;
}

bool RTriangleMesh::isCrossingSegment(const RSegment& A, const RSegment& B) const
{
    if (A.radius != 0.0 && A.division < 1)
        return false;
    std::vector<double> ax, ay, bx, by;
    segmentChordPoints(*this, A, ax, ay);
    segmentChordPoints(*this, B, bx, by);
    const int m = int(ax.size()) - 1, k = int(bx.size()) - 1;
    for (int i = 1; i <= m; ++i) {
        for (int j = 1; j <= k; ++j) {
            if ((i == 1 && j == 1 && A.startPoint == B.startPoint)
                || (i == 1 && j == k && A.startPoint == B.endPoint)
                || (i == m && j == 1 && A.endPoint == B.startPoint)
                || (i == m && j == k && A.endPoint == B.endPoint))
                continue;
            if (chordsCross(ax[i - 1], ay[i - 1], ax[i], ay[i], bx[j - 1], by[j - 1], bx[j],
                            by[j]))
                return true;
        }
    }
    return false;
}

int RTriangleMesh::SegmentTotalCheck(const RSegment& seg, int skip)
{
    for (int i = 0; i < int(points.size()); ++i) {
        if (i == seg.startPoint || i == seg.endPoint || isPending(points[i]))
            continue;
        if (isOnSegment(seg, points[i].x, points[i].y)) {
            postMessage(MessageKind::Warning, QStringLiteral("There is a POINT on the Segment."));
            return 0;
        }
    }
    for (int s = 0; s < int(segments.size()); ++s) {
        if (s == skip)
            continue;
        const RSegment& other = segments[s];
        if (isPending(points[other.startPoint]) || isPending(points[other.endPoint]))
            continue;
        if (isCrossingSegment(seg, other)) {
            postMessage(MessageKind::Warning, QStringLiteral("Crossing!"));
            return 0;
        }
    }
    return 1;
}

int RTriangleMesh::PointTotalCheck(double x, double y, int n, int flip)
{
    if (existingPt(x, y, n)) {
        postMessage(MessageKind::Warning, QStringLiteral("There is a POINT at the coordinates."));
        return 0;
    }
    for (int s = 0; s < int(segments.size()); ++s) {
        const RSegment& seg = segments[s];
        if (points[seg.startPoint].selected || points[seg.endPoint].selected)
            continue;
        if (isOnSegment(seg, x, y)) {
            postMessage(MessageKind::Warning, QStringLiteral("The Point is on the Segment."));
            return 0;
        }
    }
    const double oldX = points[n].x, oldY = points[n].y;
    points[n].x = x;
    points[n].y = y;
    points[n].mark = -1;
    const std::vector<int> conns = points[n].connections;
    for (int e : conns) {
        RSegment& seg = segments[e];
        const int other = seg.startPoint + seg.endPoint - n;
        if (isPending(points[other]))
            continue;
        if (flip != 0 && seg.selected)
            seg.radius = -seg.radius;
        if (!SegmentTotalCheck(segments[e], e)) {
            points[n].x = oldX;
            points[n].y = oldY;
            return 0;
        }
    }
    return 1;
}

void RTriangleMesh::outlineWalk(int k, std::vector<double>& xs, std::vector<double>& ys) const
{
    xs.clear();
    ys.clear();
    const ROutline& o = outlines[k];
    if (o.segments.size() < 2)
        return;
    const RSegment& s0 = segments[o.segments[0]];
    const RSegment& s1 = segments[o.segments[1]];
    const int S = (s0.startPoint == s1.startPoint || s0.startPoint == s1.endPoint) ? s0.endPoint
                                                                                     : s0.startPoint;
    xs.push_back(points[S].x);
    ys.push_back(points[S].y);
    int c = S;
    // A closed chain returns to S after its last segment; the bound keeps a broken one finite.
    for (int idx = 0; idx < int(o.segments.size()); ++idx) {
        const RSegment& seg = segments[o.segments[idx]];
        if (c != seg.startPoint && c != seg.endPoint)
            break; // not a chain: the walk stops where it breaks
        const int e = seg.startPoint + seg.endPoint - c;
        if (seg.radius == 0.0) {
            xs.push_back(points[e].x);
            ys.push_back(points[e].y);
        } else if (seg.division >= 1) {
            const bool fromEnd = c != seg.startPoint;
            for (int k2 = 1; k2 <= seg.division; ++k2) {
                double nx, ny;
                walkPoint(seg, fromEnd, k2, nx, ny);
                xs.push_back(nx);
                ys.push_back(ny);
            }
        }
        c = e;
        if (c == S)
            break;
    }
}

double RTriangleMesh::windingSum(double x, double y, const std::vector<double>& xs,
                                 const std::vector<double>& ys)
{
    double sum = 0.0;
    for (size_t i = 1; i < xs.size(); ++i)
        sum += getAngle(x, y, xs[i - 1], ys[i - 1], x, y, xs[i], ys[i]);
    return sum;
}

bool RTriangleMesh::isInbound(double x, double y, int k) const
{
    std::vector<double> xs, ys;
    outlineWalk(k, xs, ys);
    if (xs.empty())
        return false;
    return std::fabs(windingSum(x, y, xs, ys)) > 3.14159265358979;
}

void RTriangleMesh::deselect(int flags)
{
    if (flags & 1)
        for (auto& p : points)
            p.selected = false;
    if (flags & 2)
        for (auto& s : segments)
            s.selected = false;
    if (flags & 4)
        for (auto& o : outlines)
            o.selected = false;
}

void RTriangleMesh::setToleranceFromFigure()
{
    double xmin = 1e300, xmax = -1e300, ymin = 1e300, ymax = -1e300;
    bool any = false;
    for (const auto& p : points) {
        if (p.hidden)
            continue;
        any = true;
        xmin = std::min(xmin, p.x);
        xmax = std::max(xmax, p.x);
        ymin = std::min(ymin, p.y);
        ymax = std::max(ymax, p.y);
    }
    const double t = any ? 1e-8 * std::max(xmax - xmin, ymax - ymin) : 0.0;
    if (t > 0)
        tolerance = t;
    else if (!(tolerance > 0))
        tolerance = 1e-10;
}

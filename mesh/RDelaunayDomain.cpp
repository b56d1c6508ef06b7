// The domain check before meshing: closed paths of outline segments, the parity rule that
// decides what is inside, and the winding tests against outlines that the generator repeats for
// many points (their walk points are computed once per generation).
#include "mesh/RDelaunay.h"
#include "mesh/RSegmentCrossings.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kPi = 3.14159265358979;
}

void RDelaunay::preparePathWalks()
{
    const RTriangleMesh& m = *mesh;
    pathWalkX.assign(m.paths.size(), {});
    pathWalkY.assign(m.paths.size(), {});
    for (int i = 0; i < int(m.paths.size()); ++i) {
        const std::vector<int>& segs = m.paths[i].segments;
        if (segs.empty())
            continue;
        std::vector<double>& xs = pathWalkX[i];
        std::vector<double>& ys = pathWalkY[i];
        const int start = m.segments[segs[0]].startPoint;
        int cur = start;
        xs.push_back(m.points[start].x);
        ys.push_back(m.points[start].y);
        bool closed = false;
        for (int s : segs) {
            const RSegment& seg = m.segments[s];
            const int other = seg.startPoint + seg.endPoint - cur;
            if (seg.radius == 0.0) {
                xs.push_back(m.points[other].x);
                ys.push_back(m.points[other].y);
            } else {
                const bool fromEnd = cur == seg.endPoint;
                for (int k = 1; k <= seg.division; ++k) {
                    double x, y;
                    m.walkPoint(seg, fromEnd, k, x, y);
                    xs.push_back(x);
                    ys.push_back(y);
                }
            }
            cur = other;
            if (cur == start) {
                closed = true;
                break;
            }
        }
        // A path that never returns to its start point counts for no point.
        if (!closed) {
            xs.clear();
            ys.clear();
        }
    }
    pathIndex.assign(m.paths.size(), {});
    for (size_t i = 0; i < pathWalkX.size(); ++i)
        if (fast && !pathWalkX[i].empty())
            pathIndex[i].build(pathWalkX[i], pathWalkY[i],
                               index.active() ? index.nearness() : 0.0);
    pathWalksReady = true;
}

int RDelaunay::countEnclosingPaths(double x, double y, bool indexOnly) const
{
    if (!pathWalksReady)
        const_cast<RDelaunay*>(this)->preparePathWalks();
    int count = 0;
    for (size_t i = 0; i < pathWalkX.size(); ++i) {
        if (pathWalkX[i].empty())
            continue;
        const int inside = fast ? pathIndex[i].classify(x, y) : -1;
        if (inside >= 0)
            count += inside;
        else if (indexOnly)
            return -1;
        else if (std::fabs(RTriangleMesh::windingSum(x, y, pathWalkX[i], pathWalkY[i])) > kPi)
            ++count;
    }
    return count;
}

int RDelaunay::enclosePath(double x, double y) const { return countEnclosingPaths(x, y, false); }

bool RDelaunay::outsideDomainByMargin(double x, double y) const
{
    const int count = countEnclosingPaths(x, y, true);
    return count >= 0 && count % 2 == 0;
}

void RDelaunay::prepareOutlineWalks()
{
    const RTriangleMesh& m = *mesh;
    const int n = int(m.outlines.size());
    outlineWalkX.assign(n, {});
    outlineWalkY.assign(n, {});
    outlineBox.assign(size_t(n) * 4, 0.0);
    for (int k = 0; k < n; ++k) {
        m.outlineWalk(k, outlineWalkX[k], outlineWalkY[k]);
        const auto& xs = outlineWalkX[k];
        const auto& ys = outlineWalkY[k];
        if (xs.empty())
            continue;
        outlineBox[4 * k] = *std::min_element(xs.begin(), xs.end());
        outlineBox[4 * k + 1] = *std::max_element(xs.begin(), xs.end());
        outlineBox[4 * k + 2] = *std::min_element(ys.begin(), ys.end());
        outlineBox[4 * k + 3] = *std::max_element(ys.begin(), ys.end());
    }
    outlineIndex.assign(size_t(n), {});
    for (int k = 0; k < n && fast; ++k)
        if (!outlineWalkX[k].empty())
            outlineIndex[k].build(outlineWalkX[k], outlineWalkY[k]);
    outlineWalksReady = true;
}

bool RDelaunay::inOutline(double x, double y, int k) const
{
    if (!outlineWalksReady)
        const_cast<RDelaunay*>(this)->prepareOutlineWalks();
    const auto& xs = outlineWalkX[k];
    if (xs.empty())
        return false;
    // Outside the box of its walk points the winding sum is zero up to rounding, far below pi.
    if (fast
        && (x < outlineBox[4 * k] || x > outlineBox[4 * k + 1] || y < outlineBox[4 * k + 2]
            || y > outlineBox[4 * k + 3]))
        return false;
    const int inside = fast ? outlineIndex[k].classify(x, y) : -1;
    if (inside >= 0)
        return inside == 1;
    return std::fabs(RTriangleMesh::windingSum(x, y, xs, outlineWalkY[k])) > kPi;
}

int RDelaunay::CheckPath()
{
    RTriangleMesh& m = *mesh;
    m.deselect(7);
    int count = m.segments.empty() ? 1 : 0;
    m.paths.clear();
    for (auto& s : m.segments)
        s.visited = 0;
    for (int i = 0; i < int(m.segments.size()); ++i) {
        if (m.segments[i].type != 1 || m.segments[i].visited)
            continue;
        const int a = m.segments[i].startPoint;
        int b = m.segments[i].endPoint;
        RPath path;
        path.segments.push_back(i);
        m.segments[i].visited = 1;
        int last = i;
        bool open = false;
        while (b != a) {
            int next = -1;
            for (int e : m.points[b].connections)
                if (e != last && m.segments[e].type == 1) {
                    next = e;
                    break;
                }
            // No way on, or a walk that runs into its own path (outlines touching at a point):
            // either is one problem that selects where the chain started and where it stuck.
            if (next < 0 || std::find(path.segments.begin(), path.segments.end(), next) != path.segments.end()) {
                m.points[b].selected = true;
                m.points[a].selected = true;
                ++count;
                open = true;
                break;
            }
            path.segments.push_back(next);
            m.segments[next].visited = 1;
            b = m.segments[next].startPoint + m.segments[next].endPoint - b;
            last = next;
        }
        if (!open)
            m.paths.push_back(path);
    }
    pathWalksReady = false;
    outlineWalksReady = false;
    for (int i = 0; i < int(m.segments.size()); ++i) {
        RSegment& s = m.segments[i];
        if (s.type != 0)
            continue;
        // The handle of a segment whose radius is too short for its chord is the chord's
        // middle, while the segment runs along a half circle over the chord: the half circle's
        // middle is tested, else a border running outside the domain between two of its
        // points passed the check and was refused by the generation.
        double x = s.handleX, y = s.handleY;
        const RPoint& a = m.points[s.startPoint];
        const RPoint& b = m.points[s.endPoint];
        if (s.radius != 0 && std::fabs(s.radius) < 0.5 * std::hypot(b.x - a.x, b.y - a.y))
            RTriangleMesh::segmentPoint(a.x, a.y, b.x, b.y, s.radius, 0.5, x, y);
        bool outside = enclosePath(x, y) % 2 == 0;
        // The mesh runs along an arc's division pieces, which leave its line: a piece whose
        // middle lies outside the domain cannot be meshed, wherever the handle lies (an arc of
        // one division bulging into the domain from a chord outside it passed the check).
        double px = a.x, py = a.y;
        for (int k = 1; s.radius != 0 && k <= s.division && !outside; ++k) {
            double qx = b.x, qy = b.y;
            if (k < s.division)
                m.divisionPoint(s, k, qx, qy);
            outside = enclosePath(0.5 * (px + qx), 0.5 * (py + qy)) % 2 == 0;
            px = qx;
            py = qy;
        }
        if (outside) {
            s.selected = true;
            ++count;
        }
    }
    innerPoints.clear();
    for (int i = 0; i < int(m.points.size()); ++i) {
        RPoint& p = m.points[i];
        if (!p.connections.empty())
            continue;
        if (enclosePath(p.x, p.y) % 2 == 1)
            innerPoints.push_back(i);
        else {
            p.selected = true;
            ++count;
        }
    }
    // Crossing segments cannot both keep their pieces as edges of one mesh: each crossing pair
    // is a problem, and both segments are selected.
    for (const auto& [a, b] : crossingSegmentPairs(m)) {
        m.segments[a].selected = true;
        m.segments[b].selected = true;
        ++count;
    }
    return count;
}

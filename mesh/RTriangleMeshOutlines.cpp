// Bookkeeping after a segment is added: group merges, the closed-path search that turns as
// sharply as possible to one side, and the outlines built from the paths it finds.
#include "document/RMessages.h"
#include "document/RTriangleMesh.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {
void contactMessage()
{
    postMessage(MessageKind::Error, QStringLiteral("Please contact Vesko Soft."));
}

struct PathWalk {
    RTriangleMesh& m;
    int start;
    int dir;
    std::vector<int>& path;
    double& area;
    long steps = 0;
    long maxSteps;

    void traverse(int seg, int o, int c)
    {
        if (!path.empty() && path.back() == seg)
            path.pop_back();
        else
            path.push_back(seg);
        const RPoint& po = m.points[o];
        const RPoint& pc = m.points[c];
        area += (pc.x - po.x) * (po.y + pc.y) / 2;
    }

    // Moves along seg from o to c and walks on until the start point is reached.
    int proceed(int o, int c, int seg)
    {
        for (;;) {
            if (++steps > maxSteps)
                return -1;
            if (c == start) {
                path.push_back(seg);
                const RPoint& po = m.points[o];
                const RPoint& pc = m.points[c];
                area += (pc.x - po.x) * (po.y + pc.y) / 2;
                return start;
            }
            traverse(seg, o, c);
            const std::vector<int>& conns = m.points[c].connections;
            int next;
            if (conns.size() == 2) {
                next = conns[0] == seg ? conns[1] : conns[0];
            } else if (conns.size() == 1) {
                next = seg;
            } else if (conns.empty()) {
                return -1;
            } else {
                std::vector<int> cand;
                std::vector<double> key;
                for (int e : conns) {
                    if (e == seg)
                        continue;
                    const RSegment& s = m.segments[e];
                    cand.push_back(e);
                    key.push_back(m.getAngleByIP(o, c, c, s.startPoint + s.endPoint - c) * dir);
                }
                for (size_t i = 0; i < cand.size(); ++i)
                    for (size_t j = i + 1; j < cand.size(); ++j)
                        if (key[j] < key[i]) {
                            std::swap(key[i], key[j]);
                            std::swap(cand[i], cand[j]);
                        }
                int last = -1;
                for (int e : cand) {
                    const RSegment& s = m.segments[e];
                    last = proceed(c, s.startPoint + s.endPoint - c, e);
                    if (last >= 0)
                        return last;
                }
                return last;
            }
            const RSegment& s = m.segments[next];
            o = c;
            c = s.startPoint + s.endPoint - c;
            seg = next;
        }
    }
};
} // namespace

void RTriangleMesh::countConnection(int p, int& total, int& outlineCount) const
{
    total = int(points[p].connections.size());
    outlineCount = 0;
    for (int e : points[p].connections)
        if (segments[e].type == 1)
            ++outlineCount;
}

int RTriangleMesh::isConnect(int p, int q) const
{
    for (const RSegment& s : segments)
        if ((s.startPoint == p && s.endPoint == q) || (s.startPoint == q && s.endPoint == p))
            return s.type;
    return -1;
}

void RTriangleMesh::NewConnection(int a, int b, int region)
{
    const int g = points[a].group, h = points[b].group;
    if (g == h) {
        deselect(7);
        createOutline(int(segments.size()) - 1, region);
        return;
    }
    for (auto& p : points)
        if (p.group == h)
            p.group = g;
    for (auto& p : points)
        if (p.group == groupCount - 1)
            p.group = h;
    --groupCount;
}

int RTriangleMesh::searchClosedPath(int start, int seg, int from, int dir)
{
    std::vector<int>& path = dir > 0 ? rightPath : leftPath;
    double& area = dir > 0 ? rightArea : leftArea;
    // A consistent figure closes every walk within a few visits of each segment side.
    PathWalk walk{*this, start, dir, path, area, 0, 4L * long(segments.size()) + 16};
    const RSegment& s = segments[seg];
    return walk.proceed(s.startPoint + s.endPoint - from, from, seg);
}

namespace {
// The signed area of a closed path walked from `start` in its order, through its segments'
// division points, by the sum the path walk uses.
double piecePathArea(const RTriangleMesh& m, const std::vector<int>& path, int start)
{
    double area = 0;
    int c = start;
    double ox = m.points[c].x, oy = m.points[c].y;
    for (int e : path) {
        const RSegment& seg = m.segments[e];
        if (c != seg.startPoint && c != seg.endPoint)
            return 0; // not a chain
        const bool fromEnd = c != seg.startPoint;
        const int pieces = seg.radius == 0.0 ? 1 : std::max(seg.division, 1);
        for (int k = 1; k <= pieces; ++k) {
            double x, y;
            if (seg.radius == 0.0 || k == pieces) {
                const RPoint& q = m.points[seg.startPoint + seg.endPoint - c];
                x = q.x;
                y = q.y;
            } else {
                m.walkPoint(seg, fromEnd, k, x, y);
            }
            area += (x - ox) * (oy + y) / 2;
            ox = x;
            oy = y;
        }
        c = seg.startPoint + seg.endPoint - c;
    }
    return area;
}

void buildOutline(RTriangleMesh& m, ROutline& o, const std::vector<int>& path, double area)
{
    o.segments = path;
    o.area = area;
    double sx = 0, sy = 0, sl = 0;
    for (int e : path) {
        const RSegment& s = m.segments[e];
        const RPoint& p1 = m.points[s.startPoint];
        const RPoint& p2 = m.points[s.endPoint];
        const double L = std::sqrt((p2.x - p1.x) * (p2.x - p1.x) + (p2.y - p1.y) * (p2.y - p1.y));
        sx += s.handleX * L;
        sy += s.handleY * L;
        sl += L;
    }
    o.labelX = sx / sl;
    o.labelY = sy / sl;
    o.selected = true;
    o.hidden = false;
}
} // namespace

void RTriangleMesh::createOutline(int s, int region)
{
    const int p1 = segments[s].startPoint, p2 = segments[s].endPoint;
    rightPath.clear();
    rightArea = 0;
    const bool rightClosed = searchClosedPath(p1, s, p2, +1) >= 0;
    if (!rightClosed)
        contactMessage();
    leftPath.clear();
    leftArea = 0;
    const bool leftClosed = searchClosedPath(p1, s, p2, -1) >= 0;
    if (!leftClosed)
        contactMessage();
    // A loop whose chords enclose nothing - a straight segment and an arc between the same two
    // points, a half disc say - is measured through its arcs' division points instead, as the
    // mesh sees it; by its chords it would be taken for a segment splitting an outline that
    // does not exist.
    if (rightClosed && leftClosed && rightArea == 0 && leftArea == 0) {
        rightArea = piecePathArea(*this, rightPath, p1);
        leftArea = piecePathArea(*this, leftPath, p1);
    }
    if (rightArea * leftArea > 0) {
        ROutline o;
        o.region = region;
        if (std::fabs(rightArea) < std::fabs(leftArea))
            buildOutline(*this, o, rightPath, rightArea);
        else
            buildOutline(*this, o, leftPath, leftArea);
        outlines.push_back(o);
        return;
    }
    const double hx = segments[s].handleX, hy = segments[s].handleY;
    int chosen = -1;
    double best = 0;
    for (int k = 0; k < int(outlines.size()); ++k) {
        if (!isInbound(hx, hy, k))
            continue;
        if (chosen < 0 || std::fabs(outlines[k].area) < best) {
            chosen = k;
            best = std::fabs(outlines[k].area);
        }
    }
    if (chosen < 0) {
        contactMessage();
        return;
    }
    buildOutline(*this, outlines[chosen], rightPath, rightArea);
    ROutline o;
    o.region = outlines[chosen].region;
    buildOutline(*this, o, leftPath, leftArea);
    outlines.push_back(o);
}

void RTriangleMesh::renumberGroup(int g, int p)
{
    // Depth-first flood fill with an explicit stack, visiting in the same order as recursion.
    std::vector<std::pair<int, int>> stack; // point, next connection position
    if (points[p].group == g)
        return;
    points[p].group = g;
    stack.push_back({p, 0});
    while (!stack.empty()) {
        auto& [q, pos] = stack.back();
        const std::vector<int>& conns = points[q].connections;
        if (pos >= int(conns.size())) {
            stack.pop_back();
            continue;
        }
        const RSegment& s = segments[conns[pos++]];
        const int r = s.startPoint + s.endPoint - q;
        if (points[r].group != g) {
            points[r].group = g;
            stack.push_back({r, 0});
        }
    }
}

void RTriangleMesh::getPathHandle(int k)
{
    ROutline& o = outlines[k];
    const bool sel = o.selected, hid = o.hidden;
    const std::vector<int> segs = o.segments;
    buildOutline(*this, o, segs, o.area);
    o.selected = sel;
    o.hidden = hid;
}

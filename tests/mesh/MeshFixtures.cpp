#include "MeshFixtures.h"

#include "mesh/RExactPredicates.h"

#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <sstream>

int addPoint(RTriangleMesh& m, double x, double y, int region)
{
    RPoint p;
    p.x = x;
    p.y = y;
    p.region = region;
    p.group = m.groupCount++;
    m.points.push_back(p);
    return int(m.points.size()) - 1;
}

int addSegment(RTriangleMesh& m, int a, int b, const SegmentSpec& spec)
{
    RSegment s;
    s.startPoint = a;
    s.endPoint = b;
    s.radius = spec.radius;
    s.type = spec.type;
    s.division = spec.division;
    s.region = spec.region;
    s.bias = spec.bias;
    s.label = spec.label;
    m.segments.push_back(s);
    const int idx = int(m.segments.size()) - 1;
    m.updateHandle(idx);
    m.points[a].connections.push_back(idx);
    m.points[b].connections.push_back(idx);
    m.NewConnection(a, b, spec.region);
    return idx;
}

void addPolygon(RTriangleMesh& m, const std::vector<double>& xy, int division, int region,
                const QString& label)
{
    const int n = int(xy.size()) / 2;
    std::vector<int> pts;
    for (int i = 0; i < n; ++i)
        pts.push_back(addPoint(m, xy[2 * i], xy[2 * i + 1]));
    SegmentSpec spec;
    spec.division = division;
    spec.region = region;
    for (int i = 0; i < n; ++i)
        addSegment(m, pts[i], pts[(i + 1) % n], spec);
    if (!label.isEmpty())
        for (auto& o : m.outlines)
            if (o.label.isEmpty() && o.region == region)
                o.label = label;
}

void addCircle(RTriangleMesh& m, double cx, double cy, double r, int arcs, int division,
               double sign, int region, const QString& label)
{
    std::vector<int> pts;
    for (int i = 0; i < arcs; ++i) {
        const double a = 2 * 3.14159265358979 * i / arcs;
        pts.push_back(addPoint(m, cx + r * std::cos(a), cy + r * std::sin(a)));
    }
    SegmentSpec spec;
    spec.division = division;
    spec.region = region;
    // Walking counterclockwise, the arc bulges to the right of start -> end: negative radius.
    spec.radius = -sign * r;
    for (int i = 0; i < arcs; ++i)
        addSegment(m, pts[i], pts[(i + 1) % arcs], spec);
    if (!label.isEmpty())
        m.outlines.back().label = label;
}

namespace {
double cross(const RGridPoint& a, const RGridPoint& b, const RGridPoint& c)
{
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}
} // namespace

std::string checkMesh(const RDelaunay& d, bool flipFree, int holes, double domainArea)
{
    const RTriangleMesh& m = *d.mesh;
    std::ostringstream err;
    const int nt = int(m.triangles.size());
    for (int t = 0; t < nt; ++t) {
        const RCellTriangle& T = m.triangles[t];
        if (!(cross(m.gridPoints[T.vertices[0]], m.gridPoints[T.vertices[1]],
                    m.gridPoints[T.vertices[2]])
              > 0)) {
            err << "triangle " << t << " not counterclockwise: "
                << cross(m.gridPoints[T.vertices[0]], m.gridPoints[T.vertices[1]],
                         m.gridPoints[T.vertices[2]]);
            return err.str();
        }
        for (int i = 0; i < 3; ++i) {
            const int nb = T.neighbours[i];
            const int a = T.vertices[(i + 1) % 3], b = T.vertices[(i + 2) % 3];
            if (nb < 0) {
                if (T.oppVertex[i] != -1) {
                    err << "triangle " << t << " edge " << i << " has oppVertex without neighbour";
                    return err.str();
                }
                continue;
            }
            if (nb >= nt) {
                err << "triangle " << t << " neighbour out of range";
                return err.str();
            }
            const RCellTriangle& N = m.triangles[nb];
            int j = -1;
            for (int k = 0; k < 3; ++k) {
                const int c = N.vertices[(k + 1) % 3], e = N.vertices[(k + 2) % 3];
                if ((c == a && e == b) || (c == b && e == a))
                    j = k;
            }
            if (j < 0 || N.neighbours[j] != t) {
                err << "neighbours of " << t << " and " << nb << " not symmetric";
                return err.str();
            }
            if (T.oppVertex[i] != N.vertices[j] || N.oppVertex[j] != T.vertices[i]) {
                err << "opposite vertices of " << t << " and " << nb << " inconsistent";
                return err.str();
            }
            if (T.boundarySegments[i] != N.boundarySegments[j]) {
                err << "boundary segment of " << t << " and " << nb << " differ";
                return err.str();
            }
        }
    }
    // Quality sequence: exactly the triangles with a split edge, in ascending quality.
    const std::vector<int> seq = d.triangleSeq();
    std::set<int> inSeq(seq.begin(), seq.end());
    if (inSeq.size() != seq.size())
        return "triangle listed twice in the sequence";
    for (size_t i = 1; i < seq.size(); ++i)
        if (m.triangles[seq[i - 1]].quality > m.triangles[seq[i]].quality)
            return "sequence not sorted";
    for (int t = 0; t < nt; ++t)
        if ((m.triangles[t].splitEdge >= 0) != (inSeq.count(t) == 1)) {
            err << "triangle " << t << " split edge and sequence membership differ";
            return err.str();
        }
    if (flipFree)
        for (int t = 0; t < nt; ++t)
            for (int i = 0; i < 3; ++i) {
                int dd, nn;
                d.searchPoint(i, t, dd, nn);
                if (dd >= 0) {
                    err << "edge " << i << " of triangle " << t << " would flip";
                    return err.str();
                }
            }
    if (domainArea >= 0) {
        double area = 0;
        for (const RCellTriangle& T : m.triangles)
            area += 0.5
                    * cross(m.gridPoints[T.vertices[0]], m.gridPoints[T.vertices[1]],
                            m.gridPoints[T.vertices[2]]);
        if (std::fabs(area - domainArea) > 1e-9 * std::max(1.0, domainArea)) {
            err << "area " << area << " differs from " << domainArea;
            return err.str();
        }
    }
    if (holes >= 0) {
        std::set<std::pair<int, int>> edges;
        std::set<int> nodes;
        for (const RCellTriangle& T : m.triangles)
            for (int i = 0; i < 3; ++i) {
                const int a = T.vertices[(i + 1) % 3], b = T.vertices[(i + 2) % 3];
                edges.insert({std::min(a, b), std::max(a, b)});
                nodes.insert(T.vertices[i]);
            }
        const long euler = long(nodes.size()) - long(edges.size()) + long(nt);
        if (euler != 1 - holes) {
            err << "Euler characteristic " << euler << " for " << holes << " holes";
            return err.str();
        }
    }
    return {};
}

std::string checkExactlyDelaunay(const RDelaunay& d)
{
    const RTriangleMesh& m = *d.mesh;
    for (int t = 0; t < int(m.triangles.size()); ++t) {
        const RCellTriangle& T = m.triangles[t];
        for (int i = 0; i < 3; ++i) {
            if (T.neighbours[i] < 0 || T.boundarySegments[i] >= 0)
                continue;
            const RGridPoint& A = m.gridPoints[T.vertices[i]];
            const RGridPoint& B = m.gridPoints[T.vertices[(i + 1) % 3]];
            const RGridPoint& C = m.gridPoints[T.vertices[(i + 2) % 3]];
            const RGridPoint& D = m.gridPoints[T.oppVertex[i]];
            if (exactInCircle(A.x, A.y, B.x, B.y, C.x, C.y, D.x, D.y) > 0)
                return "edge " + std::to_string(i) + " of triangle " + std::to_string(t)
                       + " has node " + std::to_string(T.oppVertex[i]) + " inside its circle";
        }
    }
    return {};
}

std::string checkBoundaryPieces(const RDelaunay& d)
{
    const RTriangleMesh& m = *d.mesh;
    std::map<std::pair<int, int>, std::set<int>> edgeSegs;
    for (const RCellTriangle& T : m.triangles)
        for (int i = 0; i < 3; ++i) {
            const int a = T.vertices[(i + 1) % 3], b = T.vertices[(i + 2) % 3];
            edgeSegs[{std::min(a, b), std::max(a, b)}].insert(T.boundarySegments[i]);
        }
    // The lowest-index node (corners aside) within the tolerance, looked for among the nodes
    // whose x lies within it, so that long boundaries are checked in reasonable time.
    std::vector<int> byX;
    for (int i = 3; i < int(m.gridPoints.size()); ++i)
        byX.push_back(i);
    std::sort(byX.begin(), byX.end(),
              [&](int a, int b) { return m.gridPoints[a].x < m.gridPoints[b].x; });
    auto nodeAt = [&](double x, double y) {
        auto it = std::lower_bound(byX.begin(), byX.end(), x - m.tolerance,
                                   [&](int a, double v) { return m.gridPoints[a].x < v; });
        int best = -1;
        for (; it != byX.end() && m.gridPoints[*it].x <= x + m.tolerance; ++it)
            if ((best < 0 || *it < best)
                && m.isSamePt(x, y, m.gridPoints[*it].x, m.gridPoints[*it].y))
                best = *it;
        return best;
    };
    for (int s = 0; s < int(m.segments.size()); ++s) {
        const RSegment& seg = m.segments[s];
        int prev = nodeAt(m.points[seg.startPoint].x, m.points[seg.startPoint].y);
        for (int k = 1; k <= seg.division; ++k) {
            double x, y;
            if (k == seg.division) {
                x = m.points[seg.endPoint].x;
                y = m.points[seg.endPoint].y;
            } else {
                m.divisionPoint(s, k, x, y);
            }
            const int cur = nodeAt(x, y);
            if (prev < 0 || cur < 0)
                return "division point without node on segment " + std::to_string(s);
            auto it = edgeSegs.find({std::min(prev, cur), std::max(prev, cur)});
            if (it == edgeSegs.end())
                return "piece " + std::to_string(k) + " of segment " + std::to_string(s)
                       + " is no edge";
            if (it->second.size() != 1 || *it->second.begin() != s)
                return "piece " + std::to_string(k) + " of segment " + std::to_string(s)
                       + " does not carry the segment";
            prev = cur;
        }
    }
    return {};
}

double chordArea(const RTriangleMesh& m)
{
    std::vector<std::vector<double>> wx, wy;
    for (const RPath& p : m.paths) {
        std::vector<double> xs, ys;
        int cur = m.segments[p.segments[0]].startPoint;
        xs.push_back(m.points[cur].x);
        ys.push_back(m.points[cur].y);
        for (int s : p.segments) {
            const RSegment& seg = m.segments[s];
            const bool fromEnd = cur == seg.endPoint;
            const int other = seg.startPoint + seg.endPoint - cur;
            const int n = seg.radius == 0.0 ? 1 : seg.division;
            for (int k = 1; k <= n; ++k) {
                double x, y;
                if (k == n) {
                    x = m.points[other].x;
                    y = m.points[other].y;
                } else {
                    m.walkPoint(seg, fromEnd, k, x, y);
                }
                xs.push_back(x);
                ys.push_back(y);
            }
            cur = other;
        }
        wx.push_back(xs);
        wy.push_back(ys);
    }
    // Parity rule: a path inside an odd number of others bounds a hole.
    double total = 0;
    for (size_t i = 0; i < wx.size(); ++i) {
        double a = 0;
        for (size_t k = 1; k < wx[i].size(); ++k)
            a += wx[i][k - 1] * wy[i][k] - wx[i][k] * wy[i][k - 1];
        int depth = 0;
        for (size_t j = 0; j < wx.size(); ++j)
            if (j != i
                && std::fabs(RTriangleMesh::windingSum(wx[i][0], wy[i][0], wx[j], wy[j]))
                       > 3.14159265358979)
                ++depth;
        total += (depth % 2 == 0 ? 1 : -1) * std::fabs(a) / 2;
    }
    return total;
}

QString meshText(const RTriangleMesh& m)
{
    QString out;
    QTextStream s(&out);
    s.setRealNumberPrecision(12);
    for (int i = 0; i < int(m.gridPoints.size()); ++i) {
        const RGridPoint& g = m.gridPoints[i];
        s << "N " << i << ' ' << g.x << ' ' << g.y << ' ' << g.normalX << ' ' << g.normalY << ' '
          << g.regionCode << ' ' << g.sourcePoint << ' ' << g.nodeKind << " [";
        for (int r : g.neighbours)
            s << ' ' << r;
        s << " ]\n";
    }
    for (int t = 0; t < int(m.triangles.size()); ++t) {
        const RCellTriangle& T = m.triangles[t];
        s << "T " << t;
        for (int k = 0; k < 3; ++k)
            s << ' ' << T.vertices[k];
        for (int k = 0; k < 3; ++k)
            s << ' ' << T.neighbours[k];
        for (int k = 0; k < 3; ++k)
            s << ' ' << T.oppVertex[k];
        for (int k = 0; k < 3; ++k)
            s << ' ' << T.boundarySegments[k];
        s << ' ' << T.orientationTag << ' ' << T.originTag << '\n';
    }
    return out;
}

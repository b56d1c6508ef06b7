// After refinement: every node's ordered neighbour ring, the outward unit normal of boundary
// nodes, and the table of triangles filed under the label of their innermost outline.
#include "mesh/RDelaunay.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {
int positionOf(const RCellTriangle& t, int node)
{
    for (int k = 0; k < 3; ++k)
        if (t.vertices[k] == node)
            return k;
    return -1;
}

int otherVertex(const RCellTriangle& t, int a, int b)
{
    for (int k = 0; k < 3; ++k)
        if (t.vertices[k] != a && t.vertices[k] != b)
            return k;
    return -1;
}
} // namespace

void RDelaunay::SetConnNorm()
{
    RTriangleMesh& m = *mesh;
    for (int j = 0; j < int(m.gridPoints.size()) && j < 3; ++j) {
        m.gridPoints[j].normalX = m.gridPoints[j].normalY = 0;
        m.gridPoints[j].neighbours.clear();
    }
    const size_t bound = m.triangles.size() + 2;
    for (int j = 3; j < int(m.gridPoints.size()); ++j) {
        if (cancel.load(std::memory_order_acquire))
            return; // the generation ends and its mesh is discarded
        RGridPoint& g = m.gridPoints[j];
        g.normalX = g.normalY = 0;
        std::vector<int> ring;
        const int t = firstTriangleOf(j);
        if (t < 0) {
            g.neighbours.clear();
            continue;
        }
        const RCellTriangle& T = m.triangles[t];
        const int p = positionOf(T, j);
        const int a = (p + 1) % 3, b = (p + 2) % 3;
        int edge;
        if (T.orientationTag > 0) {
            ring.push_back(T.vertices[b]);
            edge = a;
        } else {
            ring.push_back(T.vertices[a]);
            edge = b;
        }
        int cur = t;
        int boundaryTri = -1;
        for (;;) {
            const RCellTriangle& C = m.triangles[cur];
            const int nb = C.neighbours[edge];
            const int cand = C.oppVertex[edge];
            if (nb < 0) {
                boundaryTri = cur;
                break;
            }
            if (cand == ring[0] || size_t(ring.size()) > bound)
                break;
            ring.push_back(cand);
            const RCellTriangle& G = m.triangles[nb];
            edge = otherVertex(G, j, cand);
            cur = nb;
        }
        if (boundaryTri < 0) {
            g.neighbours = ring;
            continue;
        }
        const int b1 = ring.back();
        const RGridPoint& B1 = m.gridPoints[b1];
        const double l1 = std::sqrt((B1.x - g.x) * (B1.x - g.x) + (B1.y - g.y) * (B1.y - g.y));
        const double e1x = (B1.y - g.y) / l1, e1y = (g.x - B1.x) / l1;
        ring.clear();
        ring.push_back(b1);
        cur = boundaryTri;
        int w = m.triangles[cur].vertices[otherVertex(m.triangles[cur], j, b1)];
        int b2 = w;
        for (;;) {
            ring.push_back(w);
            const RCellTriangle& C = m.triangles[cur];
            const int k = otherVertex(C, j, w);
            const int nb = C.neighbours[k];
            if (nb < 0 || size_t(ring.size()) > bound) {
                b2 = w;
                break;
            }
            w = C.oppVertex[k];
            cur = nb;
        }
        const RGridPoint& B2 = m.gridPoints[b2];
        const double l2 = std::sqrt((B2.x - g.x) * (B2.x - g.x) + (B2.y - g.y) * (B2.y - g.y));
        const double e2x = (g.y - B2.y) / l2, e2y = (B2.x - g.x) / l2;
        const double sx = e1x + e2x, sy = e1y + e2y;
        const double ls = std::sqrt(sx * sx + sy * sy);
        // Two boundary edges that turn back on each other give no bisector; e1 stands in.
        if (ls > 0) {
            g.normalX = sx / ls;
            g.normalY = sy / ls;
        } else {
            g.normalX = e1x;
            g.normalY = e1y;
        }
        g.neighbours = ring;
    }
}

int RDelaunay::AddIntegTable2(const QString& label, int value, int triangle)
{
    int from = 0, to = int(label.size());
    while (from < to && label[from].unicode() <= 0x20)
        ++from;
    while (to > from && label[to - 1].unicode() <= 0x20)
        --to;
    if (from == to)
        return value;
    const QString key = label.toUpper();
    int entry = -1;
    for (int i = 0; i < int(regionTable.size()); ++i)
        if (regionTable[i].name.toUpper() == key) {
            entry = i;
            break;
        }
    if (entry < 0) {
        regionTable.push_back(RIntegral{label, {}});
        entry = int(regionTable.size()) - 1;
    }
    const RCellTriangle& T = mesh->triangles[triangle];
    for (int k = 0; k < 3; ++k)
        regionTable[entry].values.push_back(T.vertices[k]);
    return entry;
}

void RDelaunay::SetInteg2Grid()
{
    const RTriangleMesh& m = *mesh;
    regionTable.clear();
    if (m.outlines.empty())
        return;
    outlineWalksReady = false;
    int chosen = 0;
    for (int t = 0; t < int(m.triangles.size()); ++t) {
        if (cancel.load(std::memory_order_acquire))
            return;
        const RCellTriangle& T = m.triangles[t];
        const RGridPoint& a = m.gridPoints[T.vertices[0]];
        const RGridPoint& b = m.gridPoints[T.vertices[1]];
        const RGridPoint& c = m.gridPoints[T.vertices[2]];
        const double cx = (a.x + b.x + c.x) / 3.0, cy = (a.y + b.y + c.y) / 3.0;
        double smallest = 1e30;
        for (int k = 0; k < int(m.outlines.size()); ++k) {
            const double area = std::fabs(m.outlines[k].area);
            if (area < smallest && inOutline(cx, cy, k)) {
                chosen = k;
                smallest = area;
            }
        }
        AddIntegTable2(m.outlines[chosen].label, 0, t);
    }
}

void RDelaunay::GridFor1D(double a, double b, int twoGrid)
{
    RTriangleMesh& m = *mesh;
    m.gridPoints.resize(3);
    for (RGridPoint& g : m.gridPoints) {
        const double spacing = g.spacing;
        g = RGridPoint();
        g.x = g.y = 1.0;
        g.regionCode = 0;
        g.sourcePoint = -1;
        g.nodeKind = 0;
        g.spacing = spacing;
    }
    m.triangles.clear();
    seq.clear();
    index.clear();
    auto addNode = [&](double x, double y, int region, int source) {
        RGridPoint g;
        g.x = x;
        g.y = y;
        g.normalX = -b;
        g.normalY = a;
        g.regionCode = region;
        g.sourcePoint = source;
        g.nodeKind = 2;
        g.spacing = 0;
        m.gridPoints.push_back(g);
    };
    // The corner nodes stand at (1, 1) only as placeholders: a figure point there still gets
    // its node.
    auto endPoint = [&](int pt) {
        const RPoint& P = m.points[pt];
        for (int i = 3; i < int(m.gridPoints.size()); ++i)
            if (m.isSamePt(P.x, P.y, m.gridPoints[i].x, m.gridPoints[i].y))
                return;
        addNode(P.x, P.y, P.region, pt);
    };
    for (const RSegment& seg : m.segments) {
        const int n = twoGrid > 0 ? 2 * seg.division : seg.division;
        const RPoint& P1 = m.points[seg.startPoint];
        const RPoint& P2 = m.points[seg.endPoint];
        endPoint(seg.startPoint);
        if (n >= 2) {
            double prev = 0;
            for (int j = 0; j <= n - 2; ++j) {
                double s = RTriangleMesh::calcGridPoint(double(j + 1) / n, seg.bias);
                if (twoGrid > 0 && j % 2 == 0)
                    s = (prev + RTriangleMesh::calcGridPoint(double(j + 2) / n, seg.bias)) / 2;
                prev = s;
                addNode(P1.x + s * (P2.x - P1.x), P1.y + s * (P2.y - P1.y), seg.region, -1);
            }
        }
        endPoint(seg.endPoint);
    }
    const int N = int(m.gridPoints.size());
    auto key = [&](int i) { return a * m.gridPoints[i].x + b * m.gridPoints[i].y; };
    // Nodes in order along the line. With distinct finite keys every sort gives the same order,
    // so a long grid is sorted in N log N; a tie or a non-finite key keeps the exchange sort, whose
    // order among equal keys callers may have seen before.
    std::vector<int> order;
    order.reserve(std::max(N - 3, 0));
    for (int i = 3; i < N; ++i)
        order.push_back(i);
    std::vector<double> keys(N);
    bool finite = true;
    for (int i = 3; i < N; ++i) {
        keys[i] = key(i);
        finite = finite && std::isfinite(keys[i]);
    }
    bool distinct = finite;
    if (finite) {
        std::sort(order.begin(), order.end(), [&](int l, int r) { return keys[l] < keys[r]; });
        for (std::size_t k = 1; k < order.size() && distinct; ++k)
            distinct = keys[order[k - 1]] < keys[order[k]];
    }
    if (distinct) {
        std::vector<RGridPoint> sorted;
        sorted.reserve(order.size());
        for (int i : order)
            sorted.push_back(std::move(m.gridPoints[i]));
        std::move(sorted.begin(), sorted.end(), m.gridPoints.begin() + 3);
    } else {
        for (int i = 3; i <= N - 2; ++i)
            for (int j = i + 1; j <= N - 1; ++j)
                if (key(i) > key(j))
                    std::swap(m.gridPoints[i], m.gridPoints[j]);
    }
    for (int i = 3; i < N; ++i) {
        if (i == 3)
            m.gridPoints[i].neighbours = {4, 5};
        else if (i == N - 1)
            m.gridPoints[i].neighbours = {N - 3, N - 2};
        else
            m.gridPoints[i].neighbours = {i - 1, i + 1};
    }
    if (N > 3)
        m.gridPoints[N - 1].neighbours = {N - 3, N - 2};
}

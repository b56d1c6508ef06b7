// Steps shared by the refinement schemes: the ring and fan around a node, moving a generated
// node to the area-weighted centroid of its fan behind a star test, the smoothing passes, and
// the removal of nodes surrounded by exactly three triangles.
#include "mesh/RDelaunay.h"
#include "mesh/RExactPredicates.h"

#include <algorithm>
#include <cmath>

namespace {
int positionOf(const RCellTriangle& t, int node)
{
    for (int k = 0; k < 3; ++k)
        if (t.vertices[k] == node)
            return k;
    return -1;
}
} // namespace

double RDelaunay::getNeighborhood(int node, std::vector<int>& ring, std::vector<int>& fan)
{
    ring.clear();
    fan.clear();
    const RTriangleMesh& m = *mesh;
    const RGridPoint& g = m.gridPoints[node];
    if (g.nodeKind != 1 && g.nodeKind != 3)
        return 0;
    const int t = firstTriangleOf(node);
    if (t < 0)
        return 0;
    const RCellTriangle& T = m.triangles[t];
    const int p = positionOf(T, node);
    const int e = (p + 1) % 3;
    ring.push_back(T.oppVertex[e]);
    fan.push_back(T.neighbours[e]);
    auto dist = [&](int v) {
        const RGridPoint& q = m.gridPoints[v];
        return std::sqrt((q.x - g.x) * (q.x - g.x) + (q.y - g.y) * (q.y - g.y));
    };
    if (ring[0] < 0 || fan[0] < 0) {
        ring.clear();
        fan.clear();
        return 0;
    }
    double dmin = dist(ring[0]);
    const size_t bound = m.triangles.size() + 1;
    for (;;) {
        const RCellTriangle& f = m.triangles[fan.back()];
        const int last = ring.back();
        int k = -1;
        for (int i = 0; i < 3; ++i)
            if (f.vertices[i] != node && f.vertices[i] != last) {
                k = i;
                break;
            }
        const int nextRing = f.oppVertex[k];
        const int nextFan = f.neighbours[k];
        if (nextRing == ring[0])
            break;
        // An open fan (the node is not an inner node) or a broken one ends the walk.
        if (nextRing < 0 || nextFan < 0 || ring.size() > bound)
            break;
        ring.push_back(nextRing);
        fan.push_back(nextFan);
        const double d = dist(nextRing);
        if (d < dmin)
            dmin = d;
    }
    return dmin;
}

int RDelaunay::checkCorrectPoint(const std::vector<int>& ring, double x, double y) const
{
    const int n = int(ring.size());
    if (n < 2)
        return 1;
    const RTriangleMesh& m = *mesh;
    auto cross = [&](int a, int b) {
        const RGridPoint& A = m.gridPoints[a];
        const RGridPoint& B = m.gridPoints[b];
        return (A.x - x) * (B.y - y) - (A.y - y) * (B.x - x);
    };
    // The reference orientation is the first non-zero one: a candidate collinear with the first
    // pair must not make every later sign acceptable.
    double ref = cross(ring[n - 1], ring[0]);
    for (int k = 1; k < n && ref == 0.0; ++k)
        ref = cross(ring[k - 1], ring[k]);
    for (int k = 1; k < n; ++k)
        if (cross(ring[k - 1], ring[k]) * ref < 0)
            return 0;
    if (cross(ring[n - 1], ring[0]) * ref < 0)
        return 0;
    return 1;
}

double RDelaunay::correctInnerPoint(int node)
{
    RTriangleMesh& m = *mesh;
    if (m.gridPoints[node].nodeKind != 1)
        return 0;
    std::vector<int> ring, fan;
    getNeighborhood(node, ring, fan);
    const int n = int(ring.size());
    if (n == 0)
        return 0;
    const double xi = m.gridPoints[node].x, yi = m.gridPoints[node].y;
    double sa = 0, sx = 0, sy = 0;
    for (int k = 0; k < n; ++k) {
        const RGridPoint& a = m.gridPoints[ring[k]];
        const RGridPoint& b = m.gridPoints[ring[(k + 1) % n]];
        const double A = 0.5 * std::fabs((b.y - yi) * (a.x - xi) - (a.y - yi) * (b.x - xi));
        sa += A;
        sx += A * ((a.x + b.x + xi) / 3);
        sy += A * ((a.y + b.y + yi) / 3);
    }
    const double x = sx / sa, y = sy / sa;
    // A fan of zero area gives no centroid; the node stays.
    if (!std::isfinite(x) || !std::isfinite(y))
        return 0;
    if (!checkCorrectPoint(ring, x, y))
        return 0;
    // The star test accepts a zero cross product, so a centroid on a ring node would pass and
    // put two nodes on one position; such a move is refused.
    for (int r : ring)
        if (m.isSamePt(x, y, m.gridPoints[r].x, m.gridPoints[r].y))
            return 0;
    // The star test rounds and accepts a zero product: a move that leaves a fan triangle
    // without area, or folded, when evaluated exactly is refused, so smoothing never breaks a
    // valid mesh.
    for (int k = 0; k < n; ++k) {
        const RGridPoint& a = m.gridPoints[ring[(k + n - 1) % n]];
        const RGridPoint& b = m.gridPoints[ring[k]];
        if (exactOrientation(x, y, a.x, a.y, b.x, b.y) <= 0)
            return 0;
    }
    m.gridPoints[node].x = x;
    m.gridPoints[node].y = y;
    if (fast)
        index.nodeMoved(node, xi, yi);
    if (changedNodes) {
        // The distances from the node to its ring changed, for the ring's nodes too.
        changedNodes->push_back(node);
        changedNodes->insert(changedNodes->end(), ring.begin(), ring.end());
    }
    const double moved = std::max((x - xi) * (x - xi) + (y - yi) * (y - yi), 0.0);
    flipCount = 0;
    for (int t : fan) {
        rerate(t);
        pushFlip(t);
    }
    swapTriangle();
    return moved;
}

void RDelaunay::deleteGridPoint(int node)
{
    RTriangleMesh& m = *mesh;
    const int last = int(m.gridPoints.size()) - 1;
    const double oldX = m.gridPoints[node].x, oldY = m.gridPoints[node].y;
    m.gridPoints[node] = m.gridPoints[last];
    if (node != last && fast && index.active()) {
        // Only the triangles at the last node name it as a vertex, and only their neighbours
        // name it as the vertex across an edge.
        for (int t : index.incident(last)) {
            RCellTriangle& T = m.triangles[t];
            for (int k = 0; k < 3; ++k)
                if (T.vertices[k] == last)
                    T.vertices[k] = node;
            for (int nb : T.neighbours)
                if (nb >= 0)
                    for (int& v : m.triangles[nb].oppVertex)
                        if (v == last)
                            v = node;
        }
    } else if (node != last) {
        for (RCellTriangle& T : m.triangles)
            for (int k = 0; k < 3; ++k) {
                if (T.vertices[k] == last)
                    T.vertices[k] = node;
                if (T.oppVertex[k] == last)
                    T.oppVertex[k] = node;
            }
    }
    m.gridPoints.pop_back();
    if (fast)
        index.nodeRenamed(last, node, oldX, oldY);
}

bool RDelaunay::smoothingPass(double& largest)
{
    largest = 0;
    for (int i = 0; i < int(mesh->gridPoints.size()); ++i) {
        const double v = correctInnerPoint(i);
        if (v > largest)
            largest = v;
        if (cancel.load(std::memory_order_acquire) || failed)
            return false;
    }
    return true;
}

bool RDelaunay::removeThreeTriangleNodes()
{
    RTriangleMesh& m = *mesh;
    std::vector<int> ring, fan;
    int i = 0;
    while (i < int(m.gridPoints.size())) {
        getNeighborhood(i, ring, fan);
        if (fan.size() != 3) {
            ++i;
            if (stopped())
                return false;
            continue;
        }
        int T[3], a[3], b[3], c[3], e[3];
        for (int k = 0; k < 3; ++k) {
            T[k] = fan[k];
            const RCellTriangle& t = m.triangles[T[k]];
            const int j = positionOf(t, i);
            a[k] = t.oppVertex[j];
            b[k] = t.neighbours[j];
            c[k] = t.boundarySegments[j];
            e[k] = 0;
            for (int r = 0; r < 3; ++r)
                if (positionOf(t, ring[r]) < 0)
                    e[k] = r;
        }
        for (int k = 0; k < 3; ++k) {
            deleteTriangle(T[k]);
            const int moved = int(m.triangles.size());
            for (int j = k + 1; j < 3; ++j)
                if (T[j] == moved)
                    T[j] = T[k];
            for (int j = 0; j < 3; ++j)
                if (b[j] == moved)
                    b[j] = T[k];
        }
        RCellTriangle nt;
        for (int k = 0; k < 3; ++k) {
            nt.vertices[k] = ring[e[k]];
            nt.oppVertex[k] = a[k];
            nt.neighbours[k] = b[k];
            nt.boundarySegments[k] = c[k];
        }
        nt.originTag = 9;
        nt.orientationTag = getDirection(nt.vertices[0], nt.vertices[1], nt.vertices[2]);
        appendTriangle(nt);
        const int t = int(m.triangles.size()) - 1;
        rate(t);
        linkNextTriangle(t);
        deleteGridPoint(i);
        if (cancel.load(std::memory_order_acquire) || failed)
            return false;
    }
    return true;
}

bool RDelaunay::removeInnerNode(int node)
{
    RTriangleMesh& m = *mesh;
    std::vector<int> ring, fan;
    getNeighborhood(node, ring, fan);
    const int n = int(ring.size());
    if (n < 3 || int(fan.size()) != n)
        return true; // not an inner node after all: it stays
    // Fan entry k is the triangle of the node, ring entry k - 1 and ring entry k, so the ring
    // runs counterclockwise and ring entry k's record describes the outer edge of fan entry k.
    leftPolygon.clear();
    for (int k = 0; k < n; ++k) {
        const RCellTriangle& F = m.triangles[fan[k]];
        const int j = positionOf(F, node);
        if (j < 0)
            return true;
        leftPolygon.push_back(RPoly{ring[k], F.neighbours[j], F.oppVertex[j], F.boundarySegments[j]});
    }
    for (int k = 0; k < n; ++k) {
        deleteTriangle(fan[k]);
        const int moved = int(m.triangles.size());
        for (int j = k + 1; j < n; ++j)
            if (fan[j] == moved)
                fan[j] = fan[k];
    }
    flipCount = 0;
    if (!clipPolygon(leftPolygon, true)) {
        const RGridPoint& g = m.gridPoints[node];
        fail(QStringLiteral("the mesh around the node at (%1, %2) could not be rebuilt.")
                 .arg(g.x, 0, 'g', 15)
                 .arg(g.y, 0, 'g', 15));
        return false;
    }
    leftPolygon.clear();
    swapTriangle();
    deleteGridPoint(node);
    return !failed;
}

void RDelaunay::removeNodesOfFlatTriangles()
{
    RTriangleMesh& m = *mesh;
    // sin(1 degree), squared: the smallest angle (opposite the shortest side, at most 60
    // degrees) is below 1 degree when twice the area, squared, is below this times the
    // product of the two longer sides squared.
    const double sin1 = 0.017452406437283513, sin1Squared = sin1 * sin1;
    auto sq = [](const RGridPoint& p, const RGridPoint& q) {
        return (p.x - q.x) * (p.x - q.x) + (p.y - q.y) * (p.y - q.y);
    };
    // Each round removes nodes, which changes the triangles around them; a few rounds settle.
    for (int round = 0; round < 8; ++round) {
        std::vector<int> doomed;
        for (const RCellTriangle& T : m.triangles) {
            const RGridPoint* v[3] = {&m.gridPoints[T.vertices[0]], &m.gridPoints[T.vertices[1]],
                                      &m.gridPoints[T.vertices[2]]};
            const double len[3] = {sq(*v[1], *v[2]), sq(*v[2], *v[0]), sq(*v[0], *v[1])};
            int k = 0; // the vertex opposite the shortest side
            for (int i = 1; i < 3; ++i)
                if (len[i] < len[k])
                    k = i;
            const double cross = (v[1]->x - v[0]->x) * (v[2]->y - v[0]->y)
                                 - (v[1]->y - v[0]->y) * (v[2]->x - v[0]->x);
            if (!(cross * cross < sin1Squared * len[(k + 1) % 3] * len[(k + 2) % 3]))
                continue;
            // The ends of the shortest side; of those that are generated nodes, the one with
            // the larger angle (the middle one of three nearly on a line).
            const int a = (k + 1) % 3, b = (k + 2) % 3;
            const bool aGenerated = v[a]->nodeKind == 1, bGenerated = v[b]->nodeKind == 1;
            if (!aGenerated && !bGenerated)
                continue;
            // The larger angle lies opposite the longer side.
            int pick = len[a] >= len[b] ? a : b;
            if (v[pick]->nodeKind != 1)
                pick = pick == a ? b : a;
            doomed.push_back(T.vertices[pick]);
        }
        if (doomed.empty())
            return;
        std::sort(doomed.begin(), doomed.end());
        doomed.erase(std::unique(doomed.begin(), doomed.end()), doomed.end());
        for (size_t i = 0; i < doomed.size(); ++i) {
            const int last = int(m.gridPoints.size()) - 1;
            if (!removeInnerNode(doomed[i]) || stopped())
                return;
            // A node that is no inner node after all stays, and nothing is renumbered.
            if (int(m.gridPoints.size()) - 1 == last)
                continue;
            // The last node took the removed one's index.
            for (size_t j = i + 1; j < doomed.size(); ++j)
                if (doomed[j] == last)
                    doomed[j] = doomed[i];
        }
    }
}

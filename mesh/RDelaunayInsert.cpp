// The generator's kernel: point location, insertion by splitting one or two triangles, Lawson
// flips, the rating of a triangle for refinement and the quality-ordered triangle sequence.
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

RDelaunay::RDelaunay(RTriangleMesh* m) : mesh(m)
{
    index.attach(m);
    seq.attach(m);
}

RDelaunay::~RDelaunay() = default;

void RDelaunay::setFastPaths(bool on)
{
    fast = on;
    seq.setPlain(!on);
}

void RDelaunay::setProgressStage(const char* text)
{
    if (progress)
        progress->setStage(QString::fromLatin1(text));
}

void RDelaunay::setProgressPosition(int pos)
{
    if (progress)
        progress->setPosition(pos);
}

std::vector<int> RDelaunay::triangleSeq() const
{
    return seq.ordered();
}

int RDelaunay::triangleSeqSize() const
{
    return seq.size();
}

int RDelaunay::triangleSeqHead() const
{
    return seq.head();
}

void RDelaunay::addTriangleSeq(int t)
{
    seq.add(t);
}

void RDelaunay::delTriangleSeq(int t)
{
    seq.remove(t);
    if (!seq.consistent())
        fail(QStringLiteral("the generator lost track of its triangles."));
}

void RDelaunay::changeTriangleSeq(int oldT, int newT)
{
    seq.rename(oldT, newT);
    if (!seq.consistent())
        fail(QStringLiteral("the generator lost track of its triangles."));
}

void RDelaunay::rate(int t)
{
    RCellTriangle& tri = mesh->triangles[t];
    getMaxAngle(t, tri.quality, tri.splitEdge);
    if (tri.splitEdge >= 0)
        addTriangleSeq(t);
}

void RDelaunay::rerate(int t)
{
    RCellTriangle& tri = mesh->triangles[t];
    if (tri.splitEdge < 0) {
        rate(t);
        return;
    }
    const double oldQuality = tri.quality;
    getMaxAngle(t, tri.quality, tri.splitEdge);
    seq.rerated(t, oldQuality);
    if (!seq.consistent())
        fail(QStringLiteral("the generator lost track of its triangles."));
}

void RDelaunay::unrate(int t)
{
    if (mesh->triangles[t].splitEdge >= 0)
        delTriangleSeq(t);
}

void RDelaunay::pushFlip(int t)
{
    if (int(flipStack.size()) <= flipCount)
        flipStack.resize(std::max<size_t>(1000, flipStack.size() * 2));
    flipStack[flipCount++] = t;
}

void RDelaunay::touchTriangle(int t)
{
    if (!fast)
        return;
    index.triangleWritten(t);
    if (changedNodes)
        for (int v : mesh->triangles[t].vertices)
            changedNodes->push_back(v);
}

void RDelaunay::appendTriangle(const RCellTriangle& tri)
{
    mesh->triangles.push_back(tri);
    touchTriangle(int(mesh->triangles.size()) - 1);
}

int RDelaunay::firstTriangleOf(int node) const
{
    if (fast && index.active())
        return index.firstTriangleOf(node);
    for (int t = 0; t < int(mesh->triangles.size()); ++t)
        if (positionOf(mesh->triangles[t], node) >= 0)
            return t;
    return -1;
}

int RDelaunay::testTriangle(int tri, double x, double y) const
{
    const RTriangleMesh& m = *mesh;
    const RCellTriangle& T = m.triangles[tri];
    const RGridPoint& V0 = m.gridPoints[T.vertices[0]];
    const RGridPoint& V1 = m.gridPoints[T.vertices[1]];
    const RGridPoint& V2 = m.gridPoints[T.vertices[2]];
    if (m.isOnSimpleLine(x, y, V0.x, V0.y, V1.x, V1.y))
        return 2;
    double H = (y - V0.y) * (V1.x - V0.x) - (x - V0.x) * (V1.y - V0.y);
    if (H == 0.0)
        H = (V2.x - V1.x) * (y - V1.y) - (x - V1.x) * (V2.y - V1.y);
    if (m.isOnSimpleLine(x, y, V1.x, V1.y, V2.x, V2.y))
        return 0;
    if (((V2.x - V1.x) * (y - V1.y) - (x - V1.x) * (V2.y - V1.y)) * H < 0)
        return -1;
    if (m.isOnSimpleLine(x, y, V2.x, V2.y, V0.x, V0.y))
        return 1;
    if (((V0.x - V2.x) * (y - V2.y) - (V0.y - V2.y) * (x - V2.x)) * H < 0)
        return -1;
    return 3;
}

int RDelaunay::nodeNear(double x, double y) const
{
    const RTriangleMesh& m = *mesh;
    if (fast && index.active())
        return index.firstNodeNear(x, y);
    for (int i = 0; i < int(m.gridPoints.size()); ++i)
        if (m.isSamePt(x, y, m.gridPoints[i].x, m.gridPoints[i].y))
            return i;
    return -1;
}

int RDelaunay::WhereIsThisPt(double x, double y, int& t, int& n, int& a, int& b)
{
    const int node = nodeNear(x, y);
    if (node >= 0) {
        a = b = node;
        return 1;
    }
    return locateInTriangles(x, y, t, n, a, b);
}

int RDelaunay::locateInTriangles(double x, double y, int& t, int& n, int& a, int& b)
{
    const RTriangleMesh& m = *mesh;
    auto answer = [&](int tri, int r) {
        const RCellTriangle& T = m.triangles[tri];
        if (r == 3) {
            t = n = tri;
            return 0;
        }
        t = tri;
        n = T.neighbours[r];
        a = T.vertices[r];
        b = T.oppVertex[r];
        return T.boundarySegments[r] < 0 ? 2 : -2;
    };
    if (fast && index.active()) {
        static thread_local std::vector<int> cand;
        if (!index.nearbyTriangles(x, y, cand)) {
            // Once only the domain is meshed, a point off the mesh and clearly outside the
            // domain is near no triangle but those without area.
            if (domainMeshed && outsideDomainByMargin(x, y))
                index.degenerateTriangles(cand);
            else
                index.triangleCandidates(x, y, cand);
        }
        for (int tri : cand) {
            const int r = testTriangle(tri, x, y);
            if (r >= 0) {
                index.walkFrom(tri);
                return answer(tri, r);
            }
        }
    } else {
        for (int tri = 0; tri < int(m.triangles.size()); ++tri) {
            const int r = testTriangle(tri, x, y);
            if (r >= 0)
                return answer(tri, r);
        }
    }
    t = n = -1;
    return -1;
}

int RDelaunay::lookupRegion(double x, double y, int region)
{
    int best = -1;
    double bestArea = 1e30;
    for (int k = 0; k < int(mesh->outlines.size()); ++k) {
        const double area = std::fabs(mesh->outlines[k].area);
        // Only an outline enclosing less than the current choice can replace it.
        if (!(area < bestArea))
            continue;
        if (inOutline(x, y, k)) {
            best = k;
            bestArea = area;
        }
    }
    return best >= 0 ? mesh->outlines[best].region : region;
}

bool RDelaunay::canSplit(double x, double y, int where, int t, int nb, int a) const
{
    const RTriangleMesh& m = *mesh;
    if (where != 0 && where != 2)
        return false;
    if (where == 2 && nb < 0)
        return false; // an edge of the enclosing triangle: nothing lies beyond it
    // Location allows the mesh tolerance: a point that near an edge counts as on it. Beside a
    // thin triangle that edge may not be the one the point lies on, and the split would make a
    // triangle without area or a folded one; such a point is refused like one on a node.
    auto makesArea = [&](int u, int v) {
        const RGridPoint& U = m.gridPoints[u];
        const RGridPoint& V = m.gridPoints[v];
        return exactOrientation(U.x, U.y, V.x, V.y, x, y) > 0;
    };
    const RCellTriangle& T = m.triangles[t];
    if (where == 0) {
        const int V0 = T.vertices[0], V1 = T.vertices[1], V2 = T.vertices[2];
        return makesArea(V0, V1) && makesArea(V1, V2) && makesArea(V2, V0);
    }
    const int k = positionOf(T, a);
    const int P = T.vertices[(k + 1) % 3], Q = T.vertices[(k + 2) % 3];
    const int b = T.oppVertex[k];
    return makesArea(Q, a) && makesArea(b, Q) && makesArea(a, P) && makesArea(P, b);
}

int RDelaunay::MeshInsertPoint(double x, double y, int source, int kind, int region,
                               double spacing)
{
    flipCount = 0;
    if (!std::isfinite(x) || !std::isfinite(y))
        return 1;
    int t = -1, nb = -1, a = -1, b = -1;
    const int where = WhereIsThisPt(x, y, t, nb, a, b);
    if (!canSplit(x, y, where, t, nb, a))
        return 1;
    RTriangleMesh& m = *mesh;
    RGridPoint g;
    g.x = x;
    g.y = y;
    g.sourcePoint = source;
    g.nodeKind = kind;
    g.spacing = spacing;
    g.regionCode = (source < 0 && kind != 2) ? lookupRegion(x, y, region) : region;
    m.gridPoints.push_back(g);
    const int N = int(m.gridPoints.size()) - 1;
    if (fast)
        index.nodeAdded(N);
    splitFor(N, where, t, nb, a, b);
    return 0;
}

int RDelaunay::locateExactly(double x, double y, int& t, int& n, int& a, int& b)
{
    const RTriangleMesh& m = *mesh;
    // Signs of the point against the three edges of a triangle (edge i opposite vertex i).
    auto sides = [&](int tri, int o[3]) {
        const RCellTriangle& T = m.triangles[tri];
        for (int i = 0; i < 3; ++i) {
            const RGridPoint& P = m.gridPoints[T.vertices[(i + 1) % 3]];
            const RGridPoint& Q = m.gridPoints[T.vertices[(i + 2) % 3]];
            o[i] = exactOrientation(P.x, P.y, Q.x, Q.y, x, y);
        }
        return o[0] >= 0 && o[1] >= 0 && o[2] >= 0;
    };
    int o[3];
    int tri = -1;
    if (fast && index.active()) {
        tri = index.walkTo(x, y);
        if (tri < 0) {
            static thread_local std::vector<int> cand;
            index.triangleCandidates(x, y, cand);
            for (int c : cand)
                if (sides(c, o)) {
                    tri = c;
                    break;
                }
        }
    } else {
        for (int c = 0; c < int(m.triangles.size()) && tri < 0; ++c)
            if (sides(c, o))
                tri = c;
    }
    if (tri < 0 || !sides(tri, o)) {
        t = n = -1;
        return -1;
    }
    if (fast)
        index.walkFrom(tri);
    const int zeros = (o[0] == 0) + (o[1] == 0) + (o[2] == 0);
    if (zeros == 0) {
        t = n = tri;
        return 0;
    }
    if (zeros > 1) {
        a = b = m.triangles[tri].vertices[o[0] != 0 ? 0 : o[1] != 0 ? 1 : 2];
        return 1;
    }
    int r = o[0] == 0 ? 0 : o[1] == 0 ? 1 : 2;
    // On an edge: named from its lower-index triangle, so that every way of finding it agrees.
    const int other = m.triangles[tri].neighbours[r];
    if (other >= 0 && other < tri) {
        const RCellTriangle& U = m.triangles[other];
        const int far = m.triangles[tri].oppVertex[r];
        r = positionOf(U, far);
        tri = other;
    }
    const RCellTriangle& T = m.triangles[tri];
    t = tri;
    n = T.neighbours[r];
    a = T.vertices[r];
    b = T.oppVertex[r];
    return T.boundarySegments[r] < 0 ? 2 : -2;
}

int RDelaunay::insertPlacedNode(int N)
{
    flipCount = 0;
    const double x = mesh->gridPoints[N].x, y = mesh->gridPoints[N].y;
    if (!std::isfinite(x) || !std::isfinite(y))
        return 1;
    int t = -1, nb = -1, a = -1, b = -1;
    // The nodes are already known to lie apart by more than the tolerance, and no edge is
    // constrained yet. Exact signs find the node's triangle, where the tolerance of
    // WhereIsThisPt may take a node beside a long thin triangle for one on its edge and refuse
    // it. A node within the tolerance of an edge of that triangle (a division point a rounding
    // error off the line of its side) still splits the edge, as WhereIsThisPt would have it,
    // whenever the four triangles have area.
    int where = locateExactly(x, y, t, nb, a, b);
    if (where == 0) {
        const RTriangleMesh& m = *mesh;
        for (int r : {2, 0, 1}) {
            const RCellTriangle& T = m.triangles[t];
            const RGridPoint& P = m.gridPoints[T.vertices[(r + 1) % 3]];
            const RGridPoint& Q = m.gridPoints[T.vertices[(r + 2) % 3]];
            const int other = T.neighbours[r];
            if (other < 0 || T.boundarySegments[r] >= 0
                || !m.isOnSimpleLine(x, y, P.x, P.y, Q.x, Q.y)
                || !canSplit(x, y, 2, t, other, T.vertices[r]))
                continue;
            // Named from the lower-index triangle of the two, as locateExactly names an edge.
            int tri = t, k = r;
            if (other < t) {
                k = positionOf(m.triangles[other], T.oppVertex[r]);
                tri = other;
            }
            const RCellTriangle& E = m.triangles[tri];
            t = tri;
            nb = E.neighbours[k];
            a = E.vertices[k];
            b = E.oppVertex[k];
            where = 2;
            break;
        }
    }
    if (!canSplit(x, y, where, t, nb, a))
        return 1;
    splitFor(N, where, t, nb, a, b);
    return 0;
}

void RDelaunay::splitFor(int N, int where, int t, int nb, int a, int b)
{
    RTriangleMesh& m = *mesh;
    const int C = int(m.triangles.size());

    auto pointNeighbour = [&](int nbTri, int oppOfShared, int newOpp, int newNb) {
        if (nbTri < 0)
            return;
        RCellTriangle& M = m.triangles[nbTri];
        const int j = positionOf(M, oppOfShared);
        if (j < 0)
            return;
        M.oppVertex[j] = newOpp;
        M.neighbours[j] = newNb;
    };

    if (where == 0) {
        const RCellTriangle T = m.triangles[t];
        const int V0 = T.vertices[0], V1 = T.vertices[1], V2 = T.vertices[2];
        pointNeighbour(T.neighbours[0], T.oppVertex[0], N, C + 1);
        pointNeighbour(T.neighbours[1], T.oppVertex[1], N, t);
        pointNeighbour(T.neighbours[2], T.oppVertex[2], N, C);
        auto make = [&](int a0, int a1, int a2, int o0, int o1, int o2, int n0, int n1, int n2,
                        int b2) {
            RCellTriangle r;
            r.vertices[0] = a0;
            r.vertices[1] = a1;
            r.vertices[2] = a2;
            r.oppVertex[0] = o0;
            r.oppVertex[1] = o1;
            r.oppVertex[2] = o2;
            r.neighbours[0] = n0;
            r.neighbours[1] = n1;
            r.neighbours[2] = n2;
            r.boundarySegments[0] = -1;
            r.boundarySegments[1] = -1;
            r.boundarySegments[2] = b2;
            r.orientationTag = T.orientationTag;
            r.originTag = T.originTag;
            return r;
        };
        appendTriangle(make(V0, V1, N, V2, V2, T.oppVertex[2], C + 1, t, T.neighbours[2],
                            T.boundarySegments[2]));
        pushFlip(C);
        rate(C);
        appendTriangle(make(V1, V2, N, V0, V0, T.oppVertex[0], t, C, T.neighbours[0],
                            T.boundarySegments[0]));
        pushFlip(C + 1);
        rate(C + 1);
        unrate(t);
        m.triangles[t] = make(V2, V0, N, V1, V1, T.oppVertex[1], C, C + 1, T.neighbours[1],
                              T.boundarySegments[1]);
        touchTriangle(t);
        pushFlip(t);
        rate(t);
    } else {
        const RCellTriangle T = m.triangles[t];
        const int U = nb;
        const RCellTriangle Uo = m.triangles[U];
        const int k = positionOf(T, a);
        const int P = T.vertices[(k + 1) % 3], Q = T.vertices[(k + 2) % 3];
        const int D = b;
        const int tQA = (k + 1) % 3; // T's edge opposite P
        const int tAP = (k + 2) % 3; // T's edge opposite Q
        const int uPD = positionOf(Uo, Q);
        const int uDQ = positionOf(Uo, P);
        pointNeighbour(T.neighbours[tQA], T.oppVertex[tQA], N, C);
        pointNeighbour(T.neighbours[tAP], T.oppVertex[tAP], N, t);
        pointNeighbour(Uo.neighbours[uPD], Uo.oppVertex[uPD], N, C + 1);
        pointNeighbour(Uo.neighbours[uDQ], Uo.oppVertex[uDQ], N, U);
        auto make = [&](const RCellTriangle& tags, int a0, int a1, int a2, int o0, int o1,
                        const RCellTriangle& src, int e, int n0, int n1) {
            RCellTriangle r;
            r.vertices[0] = a0;
            r.vertices[1] = a1;
            r.vertices[2] = a2;
            r.oppVertex[0] = o0;
            r.oppVertex[1] = o1;
            r.oppVertex[2] = src.oppVertex[e];
            r.neighbours[0] = n0;
            r.neighbours[1] = n1;
            r.neighbours[2] = src.neighbours[e];
            r.boundarySegments[0] = -1;
            r.boundarySegments[1] = -1;
            r.boundarySegments[2] = src.boundarySegments[e];
            r.orientationTag = tags.orientationTag;
            r.originTag = tags.originTag;
            return r;
        };
        appendTriangle(make(T, Q, a, N, P, D, T, tQA, t, U));
        pushFlip(C);
        rate(C);
        appendTriangle(make(Uo, P, D, N, Q, a, Uo, uPD, U, t));
        pushFlip(C + 1);
        rate(C + 1);
        unrate(t);
        m.triangles[t] = make(T, a, P, N, D, Q, T, tAP, C + 1, C);
        touchTriangle(t);
        pushFlip(t);
        rate(t);
        unrate(U);
        m.triangles[U] = make(Uo, D, Q, N, a, P, Uo, uDQ, C, C + 1);
        touchTriangle(U);
        pushFlip(U);
        rate(U);
    }
    swapTriangle();
}

void RDelaunay::searchPoint(int vertex, int t, int& d, int& n) const
{
    const RTriangleMesh& m = *mesh;
    const RCellTriangle& T = m.triangles[t];
    n = T.neighbours[vertex];
    d = T.oppVertex[vertex];
    if (T.boundarySegments[vertex] >= 0 || n < 0) {
        d = -1;
        return;
    }
    if (d < 0)
        return;
    const RGridPoint& A = m.gridPoints[T.vertices[vertex]];
    const RGridPoint& B = m.gridPoints[T.vertices[(vertex + 1) % 3]];
    const RGridPoint& C = m.gridPoints[T.vertices[(vertex + 2) % 3]];
    const RGridPoint& D = m.gridPoints[d];
    // A triangle without area (or folded) is always replaced; otherwise the circle test
    // decides. Either way a flip is made only when both triangles it makes have area, so it
    // never folds the mesh.
    int side = orientationEstimate(A.x, A.y, B.x, B.y, C.x, C.y);
    if (side == 0)
        side = exactOrientation(A.x, A.y, B.x, B.y, C.x, C.y);
    const bool wanted = side <= 0 || edgeFailsCircleTest(A, B, C, D);
    if (!wanted || exactOrientation(B.x, B.y, D.x, D.y, A.x, A.y) <= 0
        || exactOrientation(D.x, D.y, C.x, C.y, A.x, A.y) <= 0)
        d = -1;
}

bool RDelaunay::edgeFailsCircleTest(const RGridPoint& A, const RGridPoint& B, const RGridPoint& C,
                                    const RGridPoint& D) const
{
    // A, B, C turn counterclockwise. Mostly D lies clearly outside the circle, and then no
    // test below asks for a flip.
    double bound;
    if (inCircleEstimate(A.x, A.y, B.x, B.y, C.x, C.y, D.x, D.y, bound) < -bound)
        return false;
    if (flipRule == FlipRule::Exact)
        return exactInCircle(A.x, A.y, B.x, B.y, C.x, C.y, D.x, D.y) > 0;
    // Every test below is evaluated exactly, and each asks for D (or A) inside the circle by a
    // margin, which implies inside exactly. That sign is the same from both sides of the edge,
    // so an edge flipped away never comes back and every cascade ends.
    //
    // The margin keeps a fourth point on or very near the circle from causing a flip: D must
    // lie inside the circle through A, B and C shrunk to 0.99999 of its squared radius. For a
    // nearly flat triangle that radius is huge, and so is the margin: no point ever counts as
    // inside, and the flat triangle stays. So once the domain is meshed, an edge of a nearly
    // flat triangle (on either side) is flipped when either far vertex lies inside the other
    // side's circle by a margin of no more than 0.001 of the squared longest side; and the
    // last pass over the finished mesh flips every edge that fails from either side, so that
    // every free edge passes the test from both sides.
    if (flipRule != FlipRule::BothSides
        && exactInShrunkCircle(A.x, A.y, B.x, B.y, C.x, C.y, D.x, D.y, kCircleShrink) > 0)
        return true;
    if (flipRule == FlipRule::OneSide)
        return false;
    // The far side's triangle D, C, B; one without area is always replaced.
    if (exactOrientation(D.x, D.y, C.x, C.y, B.x, B.y) <= 0)
        return true;
    auto sq = [](const RGridPoint& p, const RGridPoint& q) {
        return (p.x - q.x) * (p.x - q.x) + (p.y - q.y) * (p.y - q.y);
    };
    const double ab = sq(A, B), bc = sq(B, C), ca = sq(C, A), bd = sq(B, D), cd = sq(C, D);
    const double cap = kFlatCapFactor * std::max({ab, bc, ca, bd, cd});
    if (flipRule == FlipRule::FlatBothSides) {
        // Nearly flat: the squared circumradius (the product of the squared sides over four
        // times the squared orientation) exceeds the cap.
        const double oT = (B.x - A.x) * (C.y - A.y) - (B.y - A.y) * (C.x - A.x);
        const double oU = (C.x - D.x) * (B.y - D.y) - (C.y - D.y) * (B.x - D.x);
        if (!(ab * bc * ca > 4 * oT * oT * cap) && !(bc * cd * bd > 4 * oU * oU * cap))
            return false;
    }
    return exactInCircleByMargin(A.x, A.y, B.x, B.y, C.x, C.y, D.x, D.y, kCircleShrink, cap)
           || exactInCircleByMargin(D.x, D.y, C.x, C.y, B.x, B.y, A.x, A.y, kCircleShrink, cap);
}

void RDelaunay::flipFailingEdges()
{
    const FlipRule kept = flipRule;
    flipRule = FlipRule::BothSides;
    flipCount = 0;
    for (int t = int(mesh->triangles.size()) - 1; t >= 0; --t)
        pushFlip(t);
    swapTriangle();
    flipRule = kept;
}

void RDelaunay::flipEdge(int t, int i)
{
    RTriangleMesh& m = *mesh;
    const RCellTriangle T = m.triangles[t];
    const int U = T.neighbours[i];
    const RCellTriangle Uo = m.triangles[U];
    const int A = T.vertices[i], B = T.vertices[(i + 1) % 3], C = T.vertices[(i + 2) % 3];
    const int D = T.oppVertex[i];
    const int tCA = (i + 1) % 3; // opposite B
    const int tAB = (i + 2) % 3; // opposite C
    const int uCD = positionOf(Uo, B);
    const int uBD = positionOf(Uo, C);
    auto point = [&](int nbTri, int oppOfShared, int newOpp, int newNb) {
        if (nbTri < 0)
            return;
        RCellTriangle& M = m.triangles[nbTri];
        const int j = positionOf(M, oppOfShared);
        if (j < 0)
            return;
        M.oppVertex[j] = newOpp;
        M.neighbours[j] = newNb;
    };
    point(T.neighbours[tCA], T.oppVertex[tCA], D, U);
    point(T.neighbours[tAB], T.oppVertex[tAB], D, t);
    point(Uo.neighbours[uCD], Uo.oppVertex[uCD], A, U);
    point(Uo.neighbours[uBD], Uo.oppVertex[uBD], A, t);
    RCellTriangle& u = m.triangles[U];
    u.vertices[0] = D;
    u.vertices[1] = C;
    u.vertices[2] = A;
    u.neighbours[0] = T.neighbours[tCA];
    u.oppVertex[0] = T.oppVertex[tCA];
    u.boundarySegments[0] = T.boundarySegments[tCA];
    u.neighbours[1] = t;
    u.oppVertex[1] = B;
    u.boundarySegments[1] = -1;
    u.neighbours[2] = Uo.neighbours[uCD];
    u.oppVertex[2] = Uo.oppVertex[uCD];
    u.boundarySegments[2] = Uo.boundarySegments[uCD];
    u.orientationTag = T.orientationTag;
    RCellTriangle& tt = m.triangles[t];
    tt.vertices[0] = B;
    tt.vertices[1] = D;
    tt.vertices[2] = A;
    tt.neighbours[0] = U;
    tt.oppVertex[0] = C;
    tt.boundarySegments[0] = -1;
    tt.neighbours[1] = T.neighbours[tAB];
    tt.oppVertex[1] = T.oppVertex[tAB];
    tt.boundarySegments[1] = T.boundarySegments[tAB];
    tt.neighbours[2] = Uo.neighbours[uBD];
    tt.oppVertex[2] = Uo.oppVertex[uBD];
    tt.boundarySegments[2] = Uo.boundarySegments[uBD];
    touchTriangle(U);
    touchTriangle(t);
    rerate(U);
    rerate(t);
    pushFlip(U);
}

void RDelaunay::swapTriangle()
{
    // The flip test never undoes a flip, so a cascade ends after far fewer flips than this;
    // the budget is the last guard should the mesh be inconsistent: the generation then fails
    // instead of flipping for ever.
    const long long nodes = (long long)mesh->gridPoints.size();
    const long long budget = kFlipBudgetBase
                             + kFlipBudgetPerTriangle * (long long)mesh->triangles.size()
                             + std::min(nodes * (nodes - 1) / 2, kFlipBudgetPairsCap);
    long long flips = 0;
    while (flipCount > 0) {
        const int t = flipStack[flipCount - 1];
        bool flipped = false;
        for (int i = 0; i < 3; ++i) {
            int d, n;
            searchPoint(i, t, d, n);
            if (d >= 0) {
                if (++flips > budget)
                    fail(QStringLiteral("its edge flips did not come to an end."));
                if (failed || cancel.load(std::memory_order_acquire)) {
                    flipCount = 0;
                    return;
                }
                flipEdge(t, i);
                ++flipTotal;
                flipped = true;
                break;
            }
        }
        if (!flipped)
            --flipCount;
    }
}

void RDelaunay::getMaxAngle(int t, double& quality, int& edge) const
{
    const RTriangleMesh& m = *mesh;
    const RCellTriangle& T = m.triangles[t];
    quality = 1e35;
    edge = -1;
    double bestLength = 0;
    for (int i = 0; i < 3; ++i) {
        if (T.oppVertex[i] < 0 || T.boundarySegments[i] >= 0)
            continue;
        const RGridPoint& a = m.gridPoints[T.vertices[(i + 1) % 3]];
        const RGridPoint& b = m.gridPoints[T.vertices[(i + 2) % 3]];
        if (!(a.spacing > 0) || !(b.spacing > 0))
            continue;
        const double L = std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y));
        const double r = (a.spacing + b.spacing - L) / L;
        if (r < quality) {
            quality = r;
            edge = i;
            bestLength = L;
        }
    }
    if (bestLength < 1.5 * minSpacing)
        edge = -1;
}

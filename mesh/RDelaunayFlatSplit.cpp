// The last refinement step: triangles with an angle below 1 degree that the figure does not
// force (see flatAngleForced) get inner nodes, or lose generated ones, until none is left or
// nothing helps any more. Beside a sharp corner whose sides are single long pieces, the
// schemes' spacing puts no node near the corner, and the boundary nodes facing the corner make
// a fan of triangles with angles far below what the corner needs; where a corner joins a long
// piece to short ones, the nodes must grow outwards from the short pieces in steps; a node
// that stands close beside a long piece leaves its triangle flat at the piece's far end.
#include "mesh/RDelaunay.h"
#include "mesh/RExactPredicates.h"
#include "mesh/RMeshQuality.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <set>

namespace {
constexpr double kPi = 3.14159265358979;

// A quick test that lets through every triangle with an angle below 1 degree: the sine of its
// smallest angle (twice its area over the product of its two longer sides) below that of 1.5
// degrees. Most meshes have no such triangle, and the exact angles then cost nothing.
bool mayBeFlat(const RTriangleMesh& m, const RCellTriangle& T)
{
    const RGridPoint& a = m.gridPoints[T.vertices[0]];
    const RGridPoint& b = m.gridPoints[T.vertices[1]];
    const RGridPoint& c = m.gridPoints[T.vertices[2]];
    const double ab = (b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y);
    const double bc = (c.x - b.x) * (c.x - b.x) + (c.y - b.y) * (c.y - b.y);
    const double ca = (a.x - c.x) * (a.x - c.x) + (a.y - c.y) * (a.y - c.y);
    const double cross = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    const double shortest = std::min({ab, bc, ca});
    const double product = ab * bc * ca / shortest;
    constexpr double kSin = 0.026176948307873153; // sin(1.5 degrees)
    return !(cross * cross >= kSin * kSin * product);
}
// Whether the node is one the schemes placed (a generated node or a boundary-cell apex), which
// the step may take out again; a fixed node of the figure stays.
bool placedByScheme(const RGridPoint& g)
{
    return g.nodeKind == 1 || (g.nodeKind == 3 && g.sourcePoint < 0);
}
// The squared lengths of T's edges, each opposite the vertex of its index.
void squaredEdges(const RTriangleMesh& m, const RCellTriangle& T, double len[3])
{
    for (int i = 0; i < 3; ++i) {
        const RGridPoint& P = m.gridPoints[T.vertices[(i + 1) % 3]];
        const RGridPoint& Q = m.gridPoints[T.vertices[(i + 2) % 3]];
        len[i] = (P.x - Q.x) * (P.x - Q.x) + (P.y - Q.y) * (P.y - Q.y);
    }
}
// The smallest angle of triangle T, in radians.
double smallestAngle(const RTriangleMesh& m, const RCellTriangle& T)
{
    double smallest = kPi;
    for (int k = 0; k < 3; ++k) {
        const RGridPoint& V = m.gridPoints[T.vertices[k]];
        const RGridPoint& P = m.gridPoints[T.vertices[(k + 1) % 3]];
        const RGridPoint& Q = m.gridPoints[T.vertices[(k + 2) % 3]];
        const double ax = P.x - V.x, ay = P.y - V.y, bx = Q.x - V.x, by = Q.y - V.y;
        smallest = std::min(smallest, std::atan2(std::fabs(ax * by - ay * bx), ax * bx + ay * by));
    }
    return smallest;
}

// A point offered to take a flat triangle away, with the spacing it is inserted with; it
// stands left of the line from node `from` to node `to` (on the side it was chosen for), and
// both those nodes must see it.
struct Candidate {
    double x, y, spacing;
    int from, to;
};

// Whether the point sees piece P-Q at more than 178 degrees: as the apex of the piece's
// triangle it would leave angles that add up to less than 2 degrees at the piece's ends.
bool seesPieceFlat(const RGridPoint& P, const RGridPoint& Q, double x, double y)
{
    constexpr double kTan2 = 0.03492076949174773; // tan(2 degrees)
    const double ux = P.x - x, uy = P.y - y, wx = Q.x - x, wy = Q.y - y;
    const double dot = ux * wx + uy * wy;
    return dot < 0 && std::fabs(ux * wy - uy * wx) < -dot * kTan2;
}

// Off-centres of T's shortest edge p-q: points on its perpendicular bisector, towards the
// third vertex, where p-q would make a triangle with a fair apex angle. A needle (a far node
// facing a short piece) goes once a node stands near its short edge; the next needle from
// the far node then faces a longer edge, and a few such steps grade the nodes outwards.
void addOffCentres(const RTriangleMesh& m, const RCellTriangle& T, std::vector<Candidate>& out)
{
    double len[3];
    squaredEdges(m, T, len);
    const int j = int(std::min_element(len, len + 3) - len);
    const double shortest = len[j];
    const int p = T.vertices[(j + 1) % 3], q = T.vertices[(j + 2) % 3];
    const RGridPoint& P = m.gridPoints[p];
    const RGridPoint& Q = m.gridPoints[q];
    const double s = std::sqrt(shortest);
    if (!(s > 0))
        return;
    const double nx = -(Q.y - P.y) / s, ny = (Q.x - P.x) / s; // towards the third vertex
    // Heights of the apex over p-q for apex angles of 60, 90, 40, 20, 120 and 10 degrees.
    for (double f : {0.866, 0.5, 1.374, 2.836, 0.289, 5.715})
        out.push_back({0.5 * (P.x + Q.x) + f * s * nx, 0.5 * (P.y + Q.y) + f * s * ny, f * s, p,
                       q});
    // Inside the needle, on its way from p-q to the far vertex: where the boundary is too
    // close for an off-centre (a thin wedge), such a node takes over the far vertex's fan
    // nearer the short edges, and its angles there are wider by the distances' ratio.
    const RGridPoint& V = m.gridPoints[T.vertices[j]];
    const double mx = 0.5 * (P.x + Q.x), my = 0.5 * (P.y + Q.y);
    for (double t : {0.5, 0.25, 0.12, 0.06})
        out.push_back({mx + t * (V.x - mx), my + t * (V.y - my), s, p, q});
    // Around each end e of p-q, on the bisector of the needle's angle there, a few times
    // |p-q| out: steps of a fan around e that grows outwards from the short edge.
    for (int e : {p, q}) {
        const int w = e == p ? q : p;
        const RGridPoint& E = m.gridPoints[e];
        const RGridPoint& W = m.gridPoints[w];
        const double ew = s, ev = std::hypot(V.x - E.x, V.y - E.y);
        if (!(ev > 0))
            continue;
        const double bx = (W.x - E.x) / ew + (V.x - E.x) / ev;
        const double by = (W.y - E.y) / ew + (V.y - E.y) / ev;
        const double b = std::hypot(bx, by);
        if (!(b > 0))
            continue;
        for (double r : {1.5, 3.0, 6.0, 12.0, 24.0}) {
            if (!(r * s < 0.8 * ev))
                break;
            out.push_back({E.x + r * s * bx / b, E.y + r * s * by / b, r * s, p, q});
        }
    }
}

// Points that could carry a boundary piece P-Q of T whose triangle is flat at one end: a
// piece's triangle has its apex at the node that sees the piece at the widest angle, so beside
// a short piece at P every node near P that sees P-Q wider than the apex does would take that
// place, and the apex must stand far enough off P-Q that Q sees it at a fair angle.
void addPieceApexes(const RTriangleMesh& m, const RCellTriangle& T, std::vector<Candidate>& out)
{
    for (int i = 0; i < 3; ++i) {
        if (T.boundarySegments[i] == -1)
            continue;
        const int u = T.vertices[(i + 1) % 3], w = T.vertices[(i + 2) % 3];
        const RGridPoint& U = m.gridPoints[u];
        const RGridPoint& W = m.gridPoints[w];
        const RGridPoint& C = m.gridPoints[T.vertices[i]];
        const double l = std::hypot(W.x - U.x, W.y - U.y);
        if (!(l > 0))
            continue;
        const double nx = -(W.y - U.y) / l, ny = (W.x - U.x) / l; // inwards, towards C
        // The end nearer to the third vertex is the one the flat angle is not at.
        const bool nearU = std::hypot(C.x - U.x, C.y - U.y) < std::hypot(C.x - W.x, C.y - W.y);
        const RGridPoint& P = nearU ? U : W;
        const double sign = nearU ? 1 : -1; // along the piece, away from P
        const double dx = sign * (W.x - U.x) / l, dy = sign * (W.y - U.y) / l;
        for (double height : {0.05, 0.1, 0.025})
            for (double slope : {0.577, 1.0, 0.176}) { // cot of 60, 45 and 80 degrees
                const double h = height * l;
                out.push_back({P.x + slope * h * dx + h * nx, P.y + slope * h * dy + h * ny, h, u,
                               w});
            }
    }
}

} // namespace

bool RDelaunay::seesBoth(double x, double y, int a, int b) const
{
    const RTriangleMesh& m = *mesh;
    auto crosses = [&](const RGridPoint& P, const RGridPoint& U, const RGridPoint& W) {
        // Pieces whose boxes do not meet the sight line's box cannot cross it.
        if (std::max(U.x, W.x) < std::min(P.x, x) || std::min(U.x, W.x) > std::max(P.x, x)
            || std::max(U.y, W.y) < std::min(P.y, y) || std::min(U.y, W.y) > std::max(P.y, y))
            return false;
        const int s1 = exactOrientation(P.x, P.y, x, y, U.x, U.y);
        const int s2 = exactOrientation(P.x, P.y, x, y, W.x, W.y);
        if (s1 * s2 > 0)
            return false;
        const int s3 = exactOrientation(U.x, U.y, W.x, W.y, P.x, P.y);
        const int s4 = exactOrientation(U.x, U.y, W.x, W.y, x, y);
        return s3 * s4 <= 0;
    };
    const RGridPoint& A = m.gridPoints[a];
    const RGridPoint& B = m.gridPoints[b];
    for (const Piece& piece : pieces) {
        if (piece.p == piece.q)
            continue;
        const RGridPoint& U = m.gridPoints[piece.p];
        const RGridPoint& W = m.gridPoints[piece.q];
        // A piece that ends at the sight line's own end does not block it.
        if (piece.p != a && piece.q != a && crosses(A, U, W))
            return false;
        if (piece.p != b && piece.q != b && crosses(B, U, W))
            return false;
    }
    return true;
}

void RDelaunay::removePieceLensApexes()
{
    RTriangleMesh& m = *mesh;
    // A generated node that sees a boundary piece at more than 178 degrees is the apex of the
    // piece's triangle, whose angles at the piece's ends then add up to less than 2 degrees.
    // Such nodes go; the next node across the piece is looked at in the next round.
    for (int round = 0; round < 64 && !stopped(); ++round) {
        std::vector<int> doomed;
        for (const RCellTriangle& T : m.triangles)
            for (int i = 0; i < 3; ++i) {
                if (T.boundarySegments[i] < 0)
                    continue;
                const RGridPoint& A = m.gridPoints[T.vertices[i]];
                if (!placedByScheme(A))
                    continue;
                if (seesPieceFlat(m.gridPoints[T.vertices[(i + 1) % 3]],
                                  m.gridPoints[T.vertices[(i + 2) % 3]], A.x, A.y))
                    doomed.push_back(T.vertices[i]);
            }
        if (doomed.empty())
            return;
        // Highest first, so that the renumbering of a removal (the last node takes the removed
        // one's place) touches none still to go.
        std::sort(doomed.begin(), doomed.end());
        doomed.erase(std::unique(doomed.begin(), doomed.end()), doomed.end());
        const int before = int(m.gridPoints.size());
        for (auto it = doomed.rbegin(); it != doomed.rend(); ++it)
            if (!removeInnerNode(*it) || stopped())
                return;
        if (int(m.gridPoints.size()) == before)
            return;
    }
}

bool RDelaunay::gradeCorners(int fewerSteps)
{
    RTriangleMesh& m = *mesh;
    // The corners at flat triangles whose two boundary edges differ much in length: around
    // such a corner, triangles with fair angles can only grow in steps from the short edge to
    // the long one. A fan of nodes does that: k + 1 triangles sharing the corner's angle, the
    // distance from the corner shrinking by the same factor at each, from the long edge to the
    // short one.
    struct Corner {
        int node, longEnd, shortEnd;
        double theta;
    };
    std::vector<Corner> corners;
    std::set<int> seen;
    for (int t = 0; t < int(m.triangles.size()); ++t) {
        if (!mayBeFlat(m, m.triangles[t]) || avoidableFlatAngle(m, t) < 0)
            continue;
        for (int v : m.triangles[t].vertices) {
            if (m.gridPoints[v].nodeKind != 2 || !seen.insert(v).second)
                continue;
            int ends[2];
            const double theta = sectorAngle(m, t, v, ends);
            if (ends[0] < 0 || ends[1] < 0 || !(theta < kPi))
                continue;
            const RGridPoint& V = m.gridPoints[v];
            const RGridPoint& A = m.gridPoints[ends[0]];
            const RGridPoint& B = m.gridPoints[ends[1]];
            const double a = std::hypot(A.x - V.x, A.y - V.y), b = std::hypot(B.x - V.x, B.y - V.y);
            if (std::max(a, b) > 4 * std::min(a, b))
                corners.push_back(
                    {v, a > b ? ends[0] : ends[1], a > b ? ends[1] : ends[0], theta});
        }
    }
    if (corners.empty())
        return false;
    for (const Corner& c : corners) {
        const RGridPoint P = m.gridPoints[c.node];
        const RGridPoint& Lg = m.gridPoints[c.longEnd];
        const RGridPoint& Sg = m.gridPoints[c.shortEnd];
        const double L = std::hypot(Lg.x - P.x, Lg.y - P.y);
        const double s = std::hypot(Sg.x - P.x, Sg.y - P.y);
        const double ux = (Lg.x - P.x) / L, uy = (Lg.y - P.y) / L;
        // The way to turn from the long edge through the domain to the short one.
        const double sx = std::cos(c.theta) * ux - std::sin(c.theta) * uy;
        const double sy = std::sin(c.theta) * ux + std::cos(c.theta) * uy;
        const double sign = (sx * (Sg.x - P.x) + sy * (Sg.y - P.y)) / s > std::cos(0.01) ? 1 : -1;
        // The number of steps whose worst triangle is fairest.
        int bestSteps = 0;
        double bestAngle = 0;
        for (int steps = 2; steps <= 24 && c.theta / steps > 0.5 * kPi / 180; ++steps) {
            const double phi = c.theta / steps, g = std::pow(s / L, 1.0 / steps);
            const double far = std::atan2(g * std::sin(phi), 1 - g * std::cos(phi));
            if (far > bestAngle) {
                bestAngle = far;
                bestSteps = steps;
            }
        }
        if (bestSteps == 0)
            continue;
        bestSteps = std::max(2, bestSteps - fewerSteps);
        const double phi = c.theta / bestSteps, g = std::pow(s / L, 1.0 / bestSteps);
        // Generated nodes inside the fan's reach go first: near the corner they would take the
        // long edge's triangle.
        const double reach = 1.05 * L * g;
        for (int k = int(m.gridPoints.size()) - 1; k >= 3; --k) {
            const RGridPoint& G = m.gridPoints[k];
            if (placedByScheme(G) && std::hypot(G.x - P.x, G.y - P.y) < reach)
                if (!removeInnerNode(k) || stopped())
                    return false;
        }
        for (int i = 1; i < bestSteps; ++i) {
            const double r = L * std::pow(g, i), beta = sign * phi * i;
            const double x = P.x + r * (std::cos(beta) * ux - std::sin(beta) * uy);
            const double y = P.y + r * (std::sin(beta) * ux + std::cos(beta) * uy);
            if (pieces.size() <= 4096 && (!seesBoth(x, y, c.node, c.node) || inPieceLens(x, y)))
                continue;
            MeshInsertPoint(x, y, -1, 1, 0, r * phi);
            if (stopped())
                return false;
        }
    }
    return true;
}

bool RDelaunay::inPieceLens(double x, double y) const
{
    const RTriangleMesh& m = *mesh;
    for (const Piece& piece : pieces)
        if (seesPieceFlat(m.gridPoints[piece.p], m.gridPoints[piece.q], x, y))
            return true;
    return false;
}

void RDelaunay::surveyFlatTriangles(long& count, double& smallest) const
{
    const RTriangleMesh& m = *mesh;
    count = 0;
    smallest = kPi;
    for (int t = 0; t < int(m.triangles.size()); ++t) {
        if (!mayBeFlat(m, m.triangles[t]))
            continue;
        const int k = avoidableFlatAngle(m, t);
        if (k < 0)
            continue;
        ++count;
        smallest = std::min(smallest, smallestAngle(m, m.triangles[t]));
    }
}

void RDelaunay::restoreMesh(std::vector<RGridPoint>& nodes, std::vector<RCellTriangle>& triangles)
{
    RTriangleMesh& m = *mesh;
    m.gridPoints.swap(nodes);
    m.triangles.swap(triangles);
    seq.clear();
    for (int t = 0; t < int(m.triangles.size()); ++t)
        if (m.triangles[t].splitEdge >= 0)
            seq.add(t);
    if (fast) {
        index.reset(xMin, yMin, xMax, yMax, m.tolerance);
        index.sizeFor(int(m.triangles.size()));
        for (int k = 0; k < int(m.gridPoints.size()); ++k)
            index.nodeAdded(k);
        for (int t = 0; t < int(m.triangles.size()); ++t)
            index.triangleWritten(t);
    }
}

void RDelaunay::splitAvoidableFlatTriangles()
{
    RTriangleMesh& m = *mesh;
    long before = 0;
    double smallestBefore = 0;
    surveyFlatTriangles(before, smallestBefore);
    if (before == 0)
        return;
    // Orders of steps, each from the scheme's mesh: the sweeps of splitFlatTriangleRounds,
    // strict nodes first or not; the flattest first (splitFlattestFirst) once the nodes
    // standing beside a piece as flat apexes are gone; the same after fans of nodes are put
    // around the corners that join a long edge to a short one (gradeCorners), and after fans
    // of one step fewer; and the flattest first once more from the best mesh so far. The
    // first that leaves no such triangle ends it; else the best is kept when it leaves fewer
    // and none flatter than before, otherwise the mesh goes back to what the scheme made.
    const std::vector<RGridPoint> schemeNodes = m.gridPoints;
    const std::vector<RCellTriangle> schemeTriangles = m.triangles;
    std::vector<RGridPoint> bestNodes;
    std::vector<RCellTriangle> bestTriangles;
    long best = before;
    double bestSmallest = smallestBefore;
    enum Order {
        StrictSweeps,
        RelaxedSweeps,
        FlattestFirst,
        CornerFans,
        CoarserCornerFans,
        AgainFromBest
    };
    for (Order order : {StrictSweeps, RelaxedSweeps, FlattestFirst, CornerFans, CoarserCornerFans,
                        AgainFromBest}) {
        if (order == AgainFromBest) {
            if (bestNodes.empty())
                break;
            std::vector<RGridPoint> nodes = bestNodes;
            std::vector<RCellTriangle> triangles = bestTriangles;
            restoreMesh(nodes, triangles);
        } else if (order != StrictSweeps) {
            std::vector<RGridPoint> nodes = schemeNodes;
            std::vector<RCellTriangle> triangles = schemeTriangles;
            restoreMesh(nodes, triangles);
        }
        if (order == FlattestFirst || order == CornerFans || order == CoarserCornerFans)
            removePieceLensApexes();
        if ((order == CornerFans || order == CoarserCornerFans)
            && !gradeCorners(order == CoarserCornerFans ? 1 : 0))
            continue;
        if (order == StrictSweeps || order == RelaxedSweeps)
            splitFlatTriangleRounds(smallestBefore, order == StrictSweeps);
        else
            splitFlattestFirst(smallestBefore);
        if (!stopped())
            flipFailingEdges();
        if (stopped())
            return;
        long after = 0;
        double smallestAfter = 0;
        surveyFlatTriangles(after, smallestAfter);
        if (after == 0)
            return;
        if ((after < best || (after == best && smallestAfter > bestSmallest))
            && smallestAfter >= smallestBefore) {
            best = after;
            bestSmallest = smallestAfter;
            bestNodes = m.gridPoints;
            bestTriangles = m.triangles;
        }
    }
    if (bestNodes.empty()) {
        std::vector<RGridPoint> nodes = schemeNodes;
        std::vector<RCellTriangle> triangles = schemeTriangles;
        restoreMesh(nodes, triangles);
    } else {
        restoreMesh(bestNodes, bestTriangles);
    }
}

int RDelaunay::findTriangle(int a, int b, int c) const
{
    const RTriangleMesh& m = *mesh;
    auto is = [&](int t) {
        int found = 0;
        for (int v : m.triangles[t].vertices)
            found += (v == a || v == b || v == c);
        return found == 3;
    };
    if (fast && index.active()) {
        for (int t : index.incident(a))
            if (is(t))
                return t;
        return -1;
    }
    for (int t = 0; t < int(m.triangles.size()); ++t)
        if (is(t))
            return t;
    return -1;
}

bool RDelaunay::splitFlatTriangle(int t, bool relaxed, double floor, FlatSplitLimits& limits)
{
    RTriangleMesh& m = *mesh;
    const RCellTriangle& T = m.triangles[t];
    const double worst = smallestAngle(m, T);
    // The longest edge a-b and the vertex c across it, which has the largest angle.
    double len[3];
    squaredEdges(m, T, len);
    const int k = int(std::max_element(len, len + 3) - len);
    const double longest = len[k];
    const int a = T.vertices[(k + 1) % 3], b = T.vertices[(k + 2) % 3], c = T.vertices[k];
    const RGridPoint A = m.gridPoints[a], B = m.gridPoints[b], C = m.gridPoints[c];
    const double L = std::sqrt(longest);
    const double cross = (B.x - A.x) * (C.y - A.y) - (B.y - A.y) * (C.x - A.x);
    const double dot = (A.x - C.x) * (B.x - C.x) + (A.y - C.y) * (B.y - C.y);
    // The points that see a-b at c's angle lie on the arc of the triangle's circle over a-b
    // on c's side; its middle stands L / 2 * tan((pi - angle) / 2) off a-b. A node inside
    // that arc, where a and b both see it, takes a-b from c: no node that a and b see lies in
    // that part of the circle, so a, b and the new node make a Delaunay triangle, whose
    // angles at a and b are about equal near the middle.
    const double gamma = std::atan2(std::fabs(cross), dot);
    const double sagitta = 0.5 * L * std::tan(0.5 * (kPi - gamma));
    const double nx = -(B.y - A.y) / L, ny = (B.x - A.x) / L; // towards c
    std::vector<Candidate> candidates;
    for (double f : {0.8, 0.5, 0.3, 0.2, 0.12}) {
        for (double along : {0.5, 0.35, 0.65, 0.2, 0.8, 0.1, 0.9}) {
            // Under the arc: a parabola through a and b no higher than the circle.
            const double h = f * sagitta * 4 * along * (1 - along);
            candidates.push_back({A.x + along * (B.x - A.x) + h * nx,
                                  A.y + along * (B.y - A.y) + h * ny, h, a, b});
        }
    }
    addOffCentres(m, T, candidates);
    addPieceApexes(m, T, candidates);
    if (T.boundarySegments[k] == -1 && T.oppVertex[k] != -1) {
        // Across a-b: c stands nearly on a-b (three nodes of a gently curved boundary, say),
        // so no point on its side makes a better triangle, but a node beyond a-b lies deep
        // inside the flat triangle's circle and joins c to the inside.
        for (double f : {0.866, 0.5, 0.29, 0.15, 0.08, 0.04, 0.02})
            for (double along : {0.5, 0.35, 0.65})
                candidates.push_back({A.x + along * (B.x - A.x) - f * L * nx,
                                      A.y + along * (B.y - A.y) - f * L * ny, f * L, b, a});
    }
    std::vector<int> ring, fan;
    for (const Candidate& p : candidates) {
        const RGridPoint& F = m.gridPoints[p.from];
        const RGridPoint& G = m.gridPoints[p.to];
        // The sight test walks every piece; beyond a few thousand the insertion and its check
        // alone judge the point.
        if (exactOrientation(F.x, F.y, G.x, G.y, p.x, p.y) <= 0)
            continue;
        if (pieces.size() <= 4096) {
            if (limits.bounded && (limits.scans -= 2 * long(pieces.size())) < 0)
                return false;
            if (!seesBoth(p.x, p.y, p.from, p.to) || inPieceLens(p.x, p.y))
                continue;
        }
        if (--limits.tries < 0 || flipTotal > limits.flips)
            return false;
        if (MeshInsertPoint(p.x, p.y, -1, 1, 0, p.spacing) != 0) {
            if (stopped())
                return false;
            continue;
        }
        const int N = int(m.gridPoints.size()) - 1;
        getNeighborhood(N, ring, fan);
        bool good = !fan.empty() && findTriangle(a, b, c) < 0;
        for (int u : fan) {
            const RCellTriangle& U = m.triangles[u];
            if (good && mayBeFlat(m, U) && avoidableFlatAngle(m, u) >= 0) {
                const double angle = smallestAngle(m, U);
                if (!relaxed || !(angle > worst) || angle < floor)
                    good = false;
            }
        }
        if (good) {
            --limits.nodes;
            return true;
        }
        if (!removeInnerNode(N) || stopped())
            return false;
    }
    return false;
}

bool RDelaunay::removeFlatTriangleNode(int t, double worst, FlatSplitLimits& limits, int& ended)
{
    RTriangleMesh& m = *mesh;
    // A node the refinement placed may stand where no mesh can have it: near a long boundary
    // piece, where it becomes the piece's triangle's apex and leaves a flat angle at the
    // piece's far end. Taking it out is kept when the flat triangles left are fewer and none
    // is flatter than t, or as many but all wider than t.
    ended = -1;
    const std::array<int, 3> vertices = m.triangles[t].vertices;
    for (int v : vertices) {
        const RGridPoint node = m.gridPoints[v];
        if (!placedByScheme(node) || !removalTried.insert({node.x, node.y}).second)
            continue;
        if (--limits.tries < 0 || flipTotal > limits.flips)
            return false;
        long before = 0, after = 0;
        double smallestBefore = 0, smallestAfter = 0;
        surveyFlatTriangles(before, smallestBefore);
        const int count = int(m.gridPoints.size());
        if (!removeInnerNode(v) || stopped())
            return false;
        if (int(m.gridPoints.size()) == count)
            continue; // not an inner node after all
        ended = v;
        surveyFlatTriangles(after, smallestAfter);
        limits.scans -= 2 * long(m.triangles.size());
        if ((after < before && smallestAfter >= worst)
            || (after == before && smallestAfter > worst))
            return true;
        // Put back where it was (as the last node).
        MeshInsertPoint(node.x, node.y, -1, node.nodeKind, 0, node.spacing);
        return false;
    }
    return false;
}

RDelaunay::FlatSplitLimits RDelaunay::flatSplitLimits() const
{
    const RTriangleMesh& m = *mesh;
    FlatSplitLimits limits;
    limits.nodes = 256 + long(m.gridPoints.size()) / 16;
    long flat = 0;
    double smallest = 0;
    surveyFlatTriangles(flat, smallest);
    limits.tries = 40 * (limits.nodes + 4 * flat);
    // Each try inserts a node and may take it out again, and both flip; their flips are
    // bounded by the mesh's size too. The figures mended here take a few flips per triangle;
    // a mesh whose long thin triangles reach across the domain (a curved figure with boundary
    // nodes only) would take millions.
    limits.flips = flipTotal + kFlatSplitFlips + 30LL * (long long)m.triangles.size();
    // The flattest-first order looks at the whole mesh at every step, and each step weighs
    // scores of points against every piece: its looks at triangles and pieces are bounded
    // (about a hundred looks at a large mesh). The sweeps are bounded by their tries alone.
    limits.scans = 100L * long(m.triangles.size()) + 1000000L;
    return limits;
}

void RDelaunay::splitFlatTriangleRounds(double floor, bool strictFirst)
{
    RTriangleMesh& m = *mesh;
    // A node put in is kept only when the triangle it was put in for is gone and no triangle
    // around it has an angle below 1 degree that the figure does not force. When such nodes
    // are found no more, one sweep also keeps nodes whose triangles have smaller angles than
    // that, but above the one of the triangle it was put in for and not below `floor`: the
    // smallest such angle of the mesh never drops, and a few of those steps reach into a
    // corner no single node can mend. The nodes and the tries are bounded, so the step ends
    // on any figure.
    FlatSplitLimits limits = flatSplitLimits();
    const FlipRule kept = flipRule;
    flipRule = FlipRule::BothSides;
    bool relaxed = !strictFirst;
    for (bool progress = true; limits.left() && !stopped();) {
        if (!strictFirst) {
            if (!progress)
                break;
        } else if (!progress) {
            if (relaxed)
                break;
            relaxed = true;
        } else {
            relaxed = false;
        }
        progress = false;
        for (int t = 0; t < int(m.triangles.size()) && limits.left() && !stopped(); ++t) {
            if (!mayBeFlat(m, m.triangles[t]) || avoidableFlatAngle(m, t) < 0)
                continue;
            if (splitFlatTriangle(t, relaxed, floor, limits))
                progress = true;
        }
    }
    flipRule = kept;
}

void RDelaunay::splitFlattestFirst(double floor)
{
    RTriangleMesh& m = *mesh;
    // The flattest triangle first: one of its generated nodes taken out, or a node put in it
    // or next to it, kept when every flat angle around is wider than its own; a corner whose
    // pieces shrink fast fills with nodes graded from the far side inwards. A triangle nothing
    // improves is passed over until something changes.
    FlatSplitLimits limits = flatSplitLimits();
    limits.bounded = true;
    const FlipRule kept = flipRule;
    flipRule = FlipRule::BothSides;
    std::set<std::array<int, 3>> passed;
    removalTried.clear();
    auto key = [&](int t) {
        std::array<int, 3> v = m.triangles[t].vertices;
        std::sort(v.begin(), v.end());
        return v;
    };
    while (limits.left() && limits.scans > 0 && !stopped()) {
        // Every step looks at the whole mesh again: a node tried and taken out again can leave
        // other triangles than it found.
        int flattest = -1;
        double angle = 0;
        limits.scans -= long(m.triangles.size());
        for (int t = 0; t < int(m.triangles.size()); ++t) {
            if (!mayBeFlat(m, m.triangles[t]) || avoidableFlatAngle(m, t) < 0)
                continue;
            const double a = smallestAngle(m, m.triangles[t]);
            if ((flattest < 0 || a < angle) && !passed.count(key(t))) {
                flattest = t;
                angle = a;
            }
        }
        if (flattest < 0)
            break;
        const std::array<int, 3> flat = key(flattest);
        int ended = -1;
        if (removeFlatTriangleNode(flattest, angle, limits, ended)) {
            passed.clear();
            removalTried.clear();
            continue;
        }
        // A node taken out and put back renumbers nodes and triangles: look again.
        if (ended >= 0 || stopped())
            continue;
        // A node in the triangle, or else one that leaves no flat angle around it in a
        // triangle near it (across its edges, then across theirs): the mesh around changes,
        // and the flat triangle may go on a later try.
        std::vector<std::array<int, 3>> beside;
        const RCellTriangle& F = m.triangles[flattest];
        for (int n : F.neighbours)
            if (n >= 0)
                beside.push_back(m.triangles[n].vertices);
        for (int n : F.neighbours)
            if (n >= 0)
                for (int nn : m.triangles[n].neighbours)
                    if (nn >= 0 && nn != flattest)
                        beside.push_back(m.triangles[nn].vertices);
        bool placed = splitFlatTriangle(flattest, true, floor, limits);
        // A node tried and taken out again leaves rebuilt triangles, the last of them filed in
        // the places freed: the one now at the flat triangle's place lies near, and the
        // triangles across its edges are tried first.
        if (!placed && flattest < int(m.triangles.size())) {
            std::array<std::array<int, 3>, 3> rebuilt;
            int count = 0;
            for (int n : m.triangles[flattest].neighbours)
                if (n >= 0)
                    rebuilt[count++] = m.triangles[n].vertices;
            beside.insert(beside.begin(), rebuilt.begin(), rebuilt.begin() + count);
        }
        for (size_t i = 0; i < beside.size() && !placed && limits.left() && !stopped(); ++i) {
            const int n = findTriangle(beside[i][0], beside[i][1], beside[i][2]);
            if (n >= 0)
                placed = splitFlatTriangle(n, true, floor, limits);
        }
        if (placed) {
            passed.clear();
            removalTried.clear();
        } else {
            passed.insert(flat);
        }
    }
    flipRule = kept;
}

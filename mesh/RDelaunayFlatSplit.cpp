// The last refinement step: triangles with an angle below 1 degree that the figure does not
// force (a corner of the domain narrower than 2 degrees) get an inner node that takes their
// longest edge away from the far vertex. Beside a sharp corner whose sides are single long
// pieces, the schemes' spacing puts no node near the corner, and the boundary nodes facing
// the corner make a fan of triangles with angles far below what the corner needs.
#include "mesh/RDelaunay.h"
#include "mesh/RExactPredicates.h"
#include "mesh/RMeshQuality.h"

#include <algorithm>
#include <cmath>

namespace {
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
// The smallest angle of triangle T, in radians.
double smallestAngle(const RTriangleMesh& m, const RCellTriangle& T)
{
    double smallest = 3.14159265358979;
    for (int k = 0; k < 3; ++k) {
        const RGridPoint& V = m.gridPoints[T.vertices[k]];
        const RGridPoint& P = m.gridPoints[T.vertices[(k + 1) % 3]];
        const RGridPoint& Q = m.gridPoints[T.vertices[(k + 2) % 3]];
        const double ax = P.x - V.x, ay = P.y - V.y, bx = Q.x - V.x, by = Q.y - V.y;
        smallest = std::min(smallest, std::atan2(std::fabs(ax * by - ay * bx), ax * bx + ay * by));
    }
    return smallest;
}
} // namespace

bool RDelaunay::seesBoth(double x, double y, int a, int b) const
{
    const RTriangleMesh& m = *mesh;
    auto crosses = [&](const RGridPoint& P, const RGridPoint& U, const RGridPoint& W) {
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

void RDelaunay::surveyFlatTriangles(long& count, double& smallest) const
{
    const RTriangleMesh& m = *mesh;
    count = 0;
    smallest = 3.14159265358979;
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
    // Two orders of steps (see splitFlatTriangleRounds), each from the scheme's mesh; the
    // better result is kept when it leaves no such triangle, or fewer and none flatter than
    // before. Otherwise the mesh goes back to what the scheme made.
    const std::vector<RGridPoint> schemeNodes = m.gridPoints;
    const std::vector<RCellTriangle> schemeTriangles = m.triangles;
    std::vector<RGridPoint> bestNodes;
    std::vector<RCellTriangle> bestTriangles;
    long best = before;
    double bestSmallest = smallestBefore;
    for (bool strictFirst : {true, false}) {
        if (!strictFirst) {
            std::vector<RGridPoint> nodes = schemeNodes;
            std::vector<RCellTriangle> triangles = schemeTriangles;
            restoreMesh(nodes, triangles);
        }
        splitFlatTriangleRounds(smallestBefore, strictFirst);
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

bool RDelaunay::hasTriangle(int a, int b, int c) const
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
                return true;
        return false;
    }
    for (int t = 0; t < int(m.triangles.size()); ++t)
        if (is(t))
            return true;
    return false;
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
    long budget = 256 + long(m.gridPoints.size()) / 16;
    long flat = 0;
    double smallest = 0;
    surveyFlatTriangles(flat, smallest);
    long tries = 40 * (budget + 4 * flat);
    // Each try inserts a node and may take it out again, and both flip; their flips are
    // bounded by the mesh's size too. The figures mended here take a few flips per triangle;
    // a mesh whose long thin triangles reach across the domain (a curved figure with boundary
    // nodes only) would take millions.
    const long long flipLimit = flipTotal + 30LL * (long long)m.triangles.size();
    const FlipRule kept = flipRule;
    flipRule = FlipRule::BothSides;
    std::vector<int> ring, fan;
    bool relaxed = !strictFirst;
    for (bool progress = true; budget > 0 && tries > 0 && !stopped();) {
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
        for (int t = 0; t < int(m.triangles.size()) && budget > 0 && tries > 0; ++t) {
            if (!mayBeFlat(m, m.triangles[t]) || avoidableFlatAngle(m, t) < 0)
                continue;
            const RCellTriangle& T = m.triangles[t];
            const double worst = smallestAngle(m, T);
            // The longest edge a-b and the vertex c across it, which has the largest angle.
            int k = 0;
            double longest = -1;
            for (int i = 0; i < 3; ++i) {
                const RGridPoint& P = m.gridPoints[T.vertices[(i + 1) % 3]];
                const RGridPoint& Q = m.gridPoints[T.vertices[(i + 2) % 3]];
                const double len = (P.x - Q.x) * (P.x - Q.x) + (P.y - Q.y) * (P.y - Q.y);
                if (len > longest) {
                    longest = len;
                    k = i;
                }
            }
            const int a = T.vertices[(k + 1) % 3], b = T.vertices[(k + 2) % 3], c = T.vertices[k];
            const RGridPoint A = m.gridPoints[a], B = m.gridPoints[b], C = m.gridPoints[c];
            const double L = std::sqrt(longest);
            const double cross = (B.x - A.x) * (C.y - A.y) - (B.y - A.y) * (C.x - A.x);
            const double dot = (A.x - C.x) * (B.x - C.x) + (A.y - C.y) * (B.y - C.y);
            // The points that see a-b at c's angle lie on the arc of the triangle's circle
            // over a-b on c's side; its middle stands L / 2 * tan((pi - angle) / 2) off a-b.
            // A node inside that arc, where a and b both see it, takes a-b from c: no node
            // that a and b see lies in that part of the circle, so a, b and the new node make
            // a Delaunay triangle, whose angles at a and b are about equal near the middle.
            const double gamma = std::atan2(std::fabs(cross), dot);
            const double sagitta = 0.5 * L * std::tan(0.5 * (3.14159265358979 - gamma));
            const double nx = -(B.y - A.y) / L, ny = (B.x - A.x) / L; // towards c
            bool placed = false;
            for (double f : {0.8, 0.5, 0.3, 0.2, 0.12}) {
                for (double along : {0.5, 0.35, 0.65, 0.2, 0.8, 0.1, 0.9}) {
                    // Under the arc: a parabola through a and b no higher than the circle.
                    const double h = f * sagitta * 4 * along * (1 - along);
                    const double x = A.x + along * (B.x - A.x) + h * nx;
                    const double y = A.y + along * (B.y - A.y) + h * ny;
                    // The sight test walks every piece; beyond a few thousand the insertion
                    // and its check alone judge the point.
                    if (exactOrientation(A.x, A.y, B.x, B.y, x, y) <= 0
                        || (pieces.size() <= 4096 && !seesBoth(x, y, a, b)))
                        continue;
                    if (--tries < 0 || flipTotal > flipLimit) {
                        tries = -1;
                        break;
                    }
                    if (MeshInsertPoint(x, y, -1, 1, 0, h) != 0) {
                        if (stopped())
                            break;
                        continue;
                    }
                    const int N = int(m.gridPoints.size()) - 1;
                    getNeighborhood(N, ring, fan);
                    bool good = !fan.empty() && !hasTriangle(a, b, c);
                    for (int u : fan) {
                        const RCellTriangle& U = m.triangles[u];
                        if (mayBeFlat(m, U) && avoidableFlatAngle(m, u) >= 0) {
                            const double angle = smallestAngle(m, U);
                            if (!relaxed || !(angle > worst) || angle < floor)
                                good = false;
                        }
                    }
                    if (good) {
                        placed = true;
                        break;
                    }
                    if (!removeInnerNode(N) || stopped())
                        break;
                }
                if (placed || stopped() || tries < 0)
                    break;
            }
            if (stopped())
                break;
            if (placed) {
                --budget;
                progress = true;
            }
        }
    }
    flipRule = kept;
}

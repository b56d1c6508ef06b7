// The measures of a finished mesh, used by the tests, the benchmarks and the generator's own
// sweeps: exact orientation, angles, the circle test of every free edge from both sides, and
// the division pieces of the figure as constrained edges.
#include "mesh/RMeshQuality.h"
#include "mesh/RExactPredicates.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <sstream>
#include <unordered_map>

namespace {
constexpr double kPi = 3.14159265358979;
constexpr double kDegree = kPi / 180.0;

int positionOf(const RCellTriangle& t, int node)
{
    for (int k = 0; k < 3; ++k)
        if (t.vertices[k] == node)
            return k;
    return -1;
}

// The angle of triangle t at its vertex k, in radians; exact enough for angles near 0 and pi.
double angleAt(const RTriangleMesh& m, const RCellTriangle& t, int k)
{
    const RGridPoint& v = m.gridPoints[t.vertices[k]];
    const RGridPoint& a = m.gridPoints[t.vertices[(k + 1) % 3]];
    const RGridPoint& b = m.gridPoints[t.vertices[(k + 2) % 3]];
    const double ax = a.x - v.x, ay = a.y - v.y, bx = b.x - v.x, by = b.y - v.y;
    return std::atan2(std::fabs(ax * by - ay * bx), ax * bx + ay * by);
}

} // namespace

// The fan of triangles reached from t across free edges, up to the constrained edges (or the
// mesh's rim).
double sectorAngle(const RTriangleMesh& m, int t, int v, int ends[2])
{
    double sum = angleAt(m, m.triangles[t], positionOf(m.triangles[t], v));
    const int limit = int(m.triangles.size());
    ends[0] = ends[1] = -1;
    // Turn one way, then the other: across the edge at v that is opposite the next, then the
    // previous vertex of the triangle.
    for (int dir = 1; dir <= 2; ++dir) {
        int cur = t;
        for (int steps = 0; steps < limit; ++steps) {
            const RCellTriangle& T = m.triangles[cur];
            const int edge = (positionOf(T, v) + dir) % 3;
            if (T.boundarySegments[edge] >= 0 || T.neighbours[edge] < 0) {
                // The edge opposite vertex `edge` joins v to the third vertex.
                ends[dir - 1] = T.vertices[3 - edge - positionOf(T, v)];
                break;
            }
            cur = T.neighbours[edge];
            if (cur == t) {
                ends[0] = ends[1] = -1;
                return 2 * kPi;
            }
            sum += angleAt(m, m.triangles[cur], positionOf(m.triangles[cur], v));
        }
    }
    return sum;
}

namespace {
// The vertex at the smallest angle, which lies opposite the shortest edge.
int smallestAngleVertex(const RTriangleMesh& m, const RCellTriangle& T)
{
    int k = 0;
    double shortest = 1e300;
    for (int i = 0; i < 3; ++i) {
        const RGridPoint& p = m.gridPoints[T.vertices[(i + 1) % 3]];
        const RGridPoint& r = m.gridPoints[T.vertices[(i + 2) % 3]];
        const double len = (p.x - r.x) * (p.x - r.x) + (p.y - r.y) * (p.y - r.y);
        if (len < shortest) {
            shortest = len;
            k = i;
        }
    }
    return k;
}

} // namespace

double maxGradingRatio(double theta)
{
    // Around a corner of angle theta the triangles at the corner node share theta; in each,
    // the law of sines with both angles away from the corner at least 1 degree bounds the
    // ratio of its two sides at the corner by sin(phi + 1 degree) / sin(1 degree), phi its
    // angle there. Chained from one piece to the other, the pieces' lengths differ at most by
    // the product; with k triangles it is largest when they share theta equally (the
    // logarithm of the sine is concave). Past 90 degrees the sine is taken as 1, which only
    // makes the bound larger.
    const double one = kDegree, sinOne = std::sin(one);
    double best = 0;
    for (int k = 1; theta / k >= one; ++k) {
        const double ratio = std::pow(std::sin(std::min(theta / k + one, kPi / 2)) / sinOne, k);
        if (ratio > best)
            best = ratio;
        if (!std::isfinite(ratio) || k > 400)
            break;
    }
    return best;
}

bool flatAngleForced(const RTriangleMesh& m, int t)
{
    for (int v : m.triangles[t].vertices) {
        if (m.gridPoints[v].nodeKind != 2)
            continue;
        int ends[2];
        const double theta = sectorAngle(m, t, v, ends);
        if (theta < 2.0 * kDegree)
            return true;
        if (ends[0] < 0 || ends[1] < 0)
            continue;
        const RGridPoint& V = m.gridPoints[v];
        const double a = std::hypot(m.gridPoints[ends[0]].x - V.x, m.gridPoints[ends[0]].y - V.y);
        const double b = std::hypot(m.gridPoints[ends[1]].x - V.x, m.gridPoints[ends[1]].y - V.y);
        // Below 4 (a corner of 2 degrees joins edges up to 4 to 1) and beyond 90 degrees (1e20
        // to 1) the ratio is never in question.
        if (theta < kPi / 2 && std::max(a, b) > 4 * std::min(a, b)
            && std::max(a, b) > maxGradingRatio(theta) * std::min(a, b))
            return true;
    }
    return false;
}

namespace {
// Finds boundary nodes by position: the exact coordinates first (the generator places them
// where the division points are computed), else the nearest within the figure's tolerance or
// the rounding of a saved coordinate.
class NodeFinder {
public:
    explicit NodeFinder(const RTriangleMesh& m) : mesh(m)
    {
        for (int i = 3; i < int(m.gridPoints.size()); ++i)
            if (m.gridPoints[i].nodeKind == 2)
                byX.push_back(i);
        std::sort(byX.begin(), byX.end(), [&](int a, int b) {
            const RGridPoint &A = m.gridPoints[a], &B = m.gridPoints[b];
            return A.x < B.x || (A.x == B.x && A.y < B.y);
        });
    }
    int find(double x, double y) const
    {
        // A finished mesh holds its nodes as a document saves them, up to half a unit in the
        // 15th digit from where the division points are computed: for a figure small beside
        // its coordinates that is more than the figure's tolerance.
        const double tol = std::max(mesh.tolerance, 1e-14 * std::max(std::fabs(x), std::fabs(y)));
        auto lo = std::lower_bound(byX.begin(), byX.end(), x - tol,
                                   [&](int n, double v) { return mesh.gridPoints[n].x < v; });
        int best = -1;
        double bestD = 0;
        for (auto it = lo; it != byX.end() && mesh.gridPoints[*it].x <= x + tol; ++it) {
            const RGridPoint& g = mesh.gridPoints[*it];
            if (g.x == x && g.y == y)
                return *it;
            const double d = std::hypot(g.x - x, g.y - y);
            if (d < tol && (best < 0 || d < bestD)) {
                best = *it;
                bestD = d;
            }
        }
        return best;
    }

private:
    const RTriangleMesh& mesh;
    std::vector<int> byX;
};

std::uint64_t edgeKey(int a, int b)
{
    return (std::uint64_t(std::uint32_t(std::min(a, b))) << 32) | std::uint32_t(std::max(a, b));
}
} // namespace

int avoidableFlatAngle(const RTriangleMesh& m, int t)
{
    const RCellTriangle& T = m.triangles[t];
    const int k = smallestAngleVertex(m, T);
    if (!(angleAt(m, T, k) / kDegree < 1.0) || flatAngleForced(m, t))
        return -1;
    return k;
}

RMeshQuality measureMesh(const RTriangleMesh& m, bool pieces)
{
    RMeshQuality q;
    q.triangles = long(m.triangles.size());
    auto fault = [&](const std::string& text) {
        if (q.firstFault.empty())
            q.firstFault = text;
    };
    for (int t = 0; t < int(m.triangles.size()); ++t) {
        const RCellTriangle& T = m.triangles[t];
        const RGridPoint& a = m.gridPoints[T.vertices[0]];
        const RGridPoint& b = m.gridPoints[T.vertices[1]];
        const RGridPoint& c = m.gridPoints[T.vertices[2]];
        if (exactOrientation(a.x, a.y, b.x, b.y, c.x, c.y) <= 0) {
            ++q.folded;
            std::ostringstream s;
            s << "triangle " << t << " (nodes " << T.vertices[0] << ", " << T.vertices[1] << ", "
              << T.vertices[2] << ") does not turn counterclockwise";
            fault(s.str());
        }
        const double angle = angleAt(m, T, smallestAngleVertex(m, T)) / kDegree;
        q.smallestAngle = std::min(q.smallestAngle, angle);
        if (angle < 1.0) {
            ++q.below1Degree;
            if (!flatAngleForced(m, t)) {
                ++q.below1DegreeAvoidable;
                std::ostringstream s;
                s << "triangle " << t << " (nodes " << T.vertices[0] << ", " << T.vertices[1]
                  << ", " << T.vertices[2] << ") has an angle of " << angle << " degrees";
                fault(s.str());
            }
        }
        for (int i = 0; i < 3; ++i) {
            const int d = T.oppVertex[i];
            if (T.boundarySegments[i] >= 0 || T.neighbours[i] < 0 || d < 0)
                continue;
            const RGridPoint& A = m.gridPoints[T.vertices[i]];
            const RGridPoint& B = m.gridPoints[T.vertices[(i + 1) % 3]];
            const RGridPoint& C = m.gridPoints[T.vertices[(i + 2) % 3]];
            const RGridPoint& D = m.gridPoints[d];
            if (exactInShrunkCircle(A.x, A.y, B.x, B.y, C.x, C.y, D.x, D.y,
                                    RMeshQuality::kCircleShrink)
                > 0) {
                ++q.circleFailures;
                std::ostringstream s;
                s << "node " << d << " lies inside the circle of triangle " << t;
                fault(s.str());
            }
        }
    }
    if (!pieces)
        return q;
    std::unordered_map<std::uint64_t, int> constrained;
    constrained.reserve(m.segments.size() * 4);
    for (const RCellTriangle& T : m.triangles)
        for (int i = 0; i < 3; ++i)
            if (T.boundarySegments[i] >= 0)
                constrained.emplace(edgeKey(T.vertices[(i + 1) % 3], T.vertices[(i + 2) % 3]),
                                    T.boundarySegments[i]);
    const NodeFinder finder(m);
    for (int s = 0; s < int(m.segments.size()); ++s) {
        const RSegment& seg = m.segments[s];
        int prev = finder.find(m.points[seg.startPoint].x, m.points[seg.startPoint].y);
        for (int k = 1; k <= seg.division; ++k) {
            double x, y;
            if (k == seg.division) {
                x = m.points[seg.endPoint].x;
                y = m.points[seg.endPoint].y;
            } else {
                m.divisionPoint(seg, k, x, y);
            }
            const int cur = finder.find(x, y);
            const auto it = prev >= 0 && cur >= 0 ? constrained.find(edgeKey(prev, cur))
                                                  : constrained.end();
            if (it == constrained.end() || it->second != s) {
                ++q.missingPieces;
                fault("piece " + std::to_string(k) + " of segment " + std::to_string(s)
                      + " is no edge of the mesh");
            }
            prev = cur;
        }
    }
    return q;
}

// The three refinement schemes of the mesh type setting: a rotated triangular lattice, boundary
// cells with edge splitting, and worst-edge-first splitting from the quality sequence.
#include "mesh/RDelaunay.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace {
constexpr double kPi = 3.14159265358979;
constexpr double kHalfRoot3 = 0.866025403784;
} // namespace

void RDelaunay::smallMesh_type1()
{
    setProgressStage("insert grid point");
    const double th = meshAngle / 180 * kPi;
    const double c = std::cos(th), s = std::sin(th);
    const double cx[4] = {xMin, xMin, xMax, xMax};
    const double cy[4] = {yMin, yMax, yMin, yMax};
    double umin = 1e300, umax = -1e300, vmin = 1e300, vmax = -1e300;
    for (int k = 0; k < 4; ++k) {
        const double u = c * cx[k] + s * cy[k];
        const double v = -s * cx[k] + c * cy[k];
        umin = std::min(umin, u);
        umax = std::max(umax, u);
        vmin = std::min(vmin, v);
        vmax = std::max(vmax, v);
    }
    const double h = maxSpacing;
    for (int k = 1;; ++k) {
        const double v = vmin + k * kHalfRoot3 * h;
        if (!(v < vmax))
            break;
        for (double u = (k % 2 == 1) ? umin + h / 2 : umin + h; u < umax; u += h) {
            MeshInsertPoint(c * u - s * v, s * u + c * v, -1, 1, 0, maxSpacing);
            if (stopped())
                return;
        }
        setProgressPosition(int((v - vmin) * 90 / (vmax - vmin) + 4));
        if (!(h > 0))
            break; // a zero spacing lays no lattice
    }
    setProgressStage("correct grid point");
    for (int p = 0; p < 10; ++p) {
        double largest;
        if (!smoothingPass(largest))
            return;
        setProgressPosition(94 + p / 2);
    }
    if (!removeThreeTriangleNodes())
        return;
    setProgressPosition(99);
}

void RDelaunay::smallMesh_type2()
{
    RTriangleMesh& m = *mesh;
    setProgressStage("Create boundary cell");
    const int nseg = int(m.segments.size());
    for (int si = 0; si < nseg; ++si) {
        const RSegment seg = m.segments[si];
        const double x1 = m.points[seg.startPoint].x, y1 = m.points[seg.startPoint].y;
        const double x2 = m.points[seg.endPoint].x, y2 = m.points[seg.endPoint].y;
        const double r = seg.radius;
        double cxx = 0, cyy = 0, theta = 0;
        if (r != 0.0) {
            RTriangleMesh::segmentCenter(x1, y1, x2, y2, r, cxx, cyy);
            theta = RTriangleMesh::arccos(((x1 - cxx) * (x2 - cxx) + (y1 - cyy) * (y2 - cyy))
                                          / (r * r));
        }
        const int n = seg.division;
        if (n > 0) {
            double px = x1, py = y1;
            for (int j = 0; j < n; ++j) {
                const double sp = RTriangleMesh::calcGridPoint(double(j + 1) / n, seg.bias);
                double qx, qy;
                if (r == 0.0) {
                    qx = x1 + sp * (x2 - x1);
                    qy = y1 + sp * (y2 - y1);
                } else {
                    const double a = sp * theta;
                    if (r > 0) {
                        qx = cxx + (x1 - cxx) * std::cos(a) + (y1 - cyy) * std::sin(a);
                        qy = cyy + (y1 - cyy) * std::cos(a) - (x1 - cxx) * std::sin(a);
                    } else {
                        qx = cxx + (x1 - cxx) * std::cos(a) - (y1 - cyy) * std::sin(a);
                        qy = cyy + (x1 - cxx) * std::sin(a) + (y1 - cyy) * std::cos(a);
                    }
                }
                if (j > 0 && j < n - 1) {
                    const double L = std::sqrt((qx - px) * (qx - px) + (qy - py) * (qy - py));
                    const double ux = (qx - px) / L, uy = (qy - py) / L;
                    MeshInsertPoint(px + L * (0.5 * ux + kHalfRoot3 * uy),
                                    py + L * (0.5 * uy - kHalfRoot3 * ux), -1, 3, 0, L);
                    MeshInsertPoint(px + L * (0.5 * ux - kHalfRoot3 * uy),
                                    py + L * (0.5 * uy + kHalfRoot3 * ux), -1, 3, 0, L);
                }
                if (stopped())
                    return;
                px = qx;
                py = qy;
            }
        }
        setProgressPosition(int(si * 41.0 / nseg + 4));
    }

    setProgressStage("insert grid point");
    const int N = int(m.gridPoints.size());
    auto progressStep = [&](int i) {
        if (!progress)
            return;
        const double value = i * 45.0 / int(m.gridPoints.size()) + 45;
        if (value > progress->position())
            progress->setPosition(int(value));
    };
    std::vector<int> ring, fan;
    // Whether node i asks for a split: its longest edge (the first in ring order at that
    // length, to neighbour `far`) is more than twice its shortest and more than twice the
    // smallest boundary spacing.
    auto wantsSplit = [&](int i, int& far, double& dmax) {
        far = -1;
        dmax = -1;
        const int kind = m.gridPoints[i].nodeKind;
        if (kind != 1 && kind != 3)
            return false;
        const double dmin = getNeighborhood(i, ring, fan);
        const RGridPoint& g = m.gridPoints[i];
        for (int v : ring) {
            const RGridPoint& q = m.gridPoints[v];
            const double d = std::sqrt((q.x - g.x) * (q.x - g.x) + (q.y - g.y) * (q.y - g.y));
            if (d > dmax) {
                dmax = d;
                far = v;
            }
        }
        return far >= 0 && dmax > 2 * dmin && dmax / 2 > minSpacing;
    };
    // Splits at the midpoint and moves the new node; false when the midpoint is refused.
    auto split = [&](int i, int far, double dmax) {
        const RGridPoint& g = m.gridPoints[i];
        const RGridPoint& q = m.gridPoints[far];
        // The midpoint lies on an edge at node i: the location starts its walk there.
        if (fast && !fan.empty())
            index.walkFrom(fan.front());
        if (MeshInsertPoint((g.x + q.x) / 2, (g.y + q.y) / 2, -1, 1, 0, dmax) != 0)
            return false;
        correctInnerPoint(int(m.gridPoints.size()) - 1);
        return true;
    };
    int far;
    double dmax;
    if (fast) {
        // The sweep restarts at node 0 after every split, so it passes the same nodes again
        // and again. The nodes that ask for a split are kept in order instead, and after a
        // split only the nodes whose rings changed are asked again; the sweep then takes the
        // same nodes in the same order.
        std::set<int> asking;
        std::vector<int> changed;
        for (int i = 0; i < int(m.gridPoints.size()); ++i)
            if (wantsSplit(i, far, dmax))
                asking.insert(asking.end(), i);
        changedNodes = &changed;
        int from = 0;
        for (;;) {
            if (int(m.gridPoints.size()) >= 3 * N) {
                progressStep(from);
                break;
            }
            const auto next = asking.lower_bound(from);
            if (next == asking.end()) {
                progressStep(int(m.gridPoints.size()));
                break;
            }
            const int i = *next;
            if (!wantsSplit(i, far, dmax)) {
                asking.erase(next); // kept current after every split, so never expected
                continue;
            }
            changed.clear();
            // A refused midpoint counts as no split, so the sweep cannot restart for ever.
            if (split(i, far, dmax)) {
                progressStep(i);
                if (stopped())
                    break;
                std::sort(changed.begin(), changed.end());
                changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
                for (int v : changed) {
                    if (wantsSplit(v, far, dmax))
                        asking.insert(v);
                    else
                        asking.erase(v);
                }
                from = 0;
                continue;
            }
            if (stopped())
                break;
            from = i + 1;
        }
        changedNodes = nullptr;
        if (stopped())
            return;
    } else {
        int i = 0;
        for (;;) {
            if (i >= int(m.gridPoints.size())) {
                progressStep(int(m.gridPoints.size()));
                break;
            }
            if (int(m.gridPoints.size()) >= 3 * N) {
                progressStep(i);
                break;
            }
            if (wantsSplit(i, far, dmax) && split(i, far, dmax)) {
                progressStep(i);
                if (stopped())
                    return;
                i = 0;
                continue;
            }
            if (stopped())
                return;
            ++i;
        }
    }

    setProgressStage("correct grid point");
    const bool done = smoothingLoop([&](int p) { setProgressPosition(int(p * 7 / 10.0 + 90)); });
    if (!done)
        return;
    if (!removeThreeTriangleNodes())
        return;
    setProgressPosition(90);
}

void RDelaunay::smallMesh_type3()
{
    RTriangleMesh& m = *mesh;
    const long budget = 20L * long(m.gridPoints.size());
    if (!seq.empty()) {
        const double q0 = m.triangles[seq.head()].quality;
        long iterations = 0;
        for (;;) {
            const int t = seq.head();
            const RCellTriangle& T = m.triangles[t];
            if (!(T.quality < 0.2))
                break;
            const int e = T.splitEdge;
            const RGridPoint& P = m.gridPoints[T.vertices[(e + 1) % 3]];
            const RGridPoint& Q = m.gridPoints[T.vertices[(e + 2) % 3]];
            const double L = std::sqrt((Q.x - P.x) * (Q.x - P.x) + (Q.y - P.y) * (Q.y - P.y));
            const double ux = (Q.x - P.x) / L, uy = (Q.y - P.y) / L;
            const double sP = P.spacing, sQ = Q.spacing;
            double h, x, y;
            if (sQ > sP) {
                h = L * sP / (L - sQ + sP);
                x = P.x + h * ux;
                y = P.y + h * uy;
            } else {
                h = L * sQ / (L - sP + sQ);
                x = Q.x - h * ux;
                y = Q.y - h * uy;
            }
            // The point lies on an edge of t: the location starts its walk there.
            if (fast)
                index.walkFrom(t);
            // A refused point would be offered again unchanged until the budget is spent.
            const bool refused = MeshInsertPoint(x, y, -1, 1, 0, h) != 0;
            if (stopped())
                return;
            if (progress && !seq.empty())
                progress->setPosition(
                    int((m.triangles[seq.head()].quality - q0) * 85 / (0.2 - q0) + 4));
            ++iterations;
            if (refused || seq.empty() || iterations >= budget)
                break;
        }
    }
    setProgressPosition(89);
    setProgressStage("correct grid point");
    if (!smoothingLoop([&](int p) { setProgressPosition(89 + p); }))
        return;
    if (!removeThreeTriangleNodes())
        return;
    setProgressPosition(99);
}

void RDelaunay::CheckMaxAngle(int t, double& cosine, int& edge) const
{
    const RTriangleMesh& m = *mesh;
    const RCellTriangle& T = m.triangles[t];
    cosine = 1e35;
    edge = -1;
    double len[3];
    for (int i = 0; i < 3; ++i) {
        const RGridPoint& a = m.gridPoints[T.vertices[(i + 1) % 3]];
        const RGridPoint& b = m.gridPoints[T.vertices[(i + 2) % 3]];
        len[i] = std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y));
    }
    for (int i = 0; i < 3; ++i) {
        if (T.oppVertex[i] == -1 || T.boundarySegments[i] != -1)
            continue;
        const double A = len[i], B = len[(i + 1) % 3], C = len[(i + 2) % 3];
        const double cs = 0.5 * (B * B + C * C - A * A) / (B * C);
        if (cs < cosine) {
            cosine = cs;
            edge = i;
        }
    }
}

// The three refinement schemes of the mesh type setting: a rotated triangular lattice, boundary
// cells with edge splitting, and worst-edge-first splitting from the quality sequence.
#include "mesh/RDelaunay.h"

#include <algorithm>
#include <cmath>

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
        const int kind = m.gridPoints[i].nodeKind;
        if (kind != 1 && kind != 3) {
            ++i;
            continue;
        }
        const double dmin = getNeighborhood(i, ring, fan);
        double dmax = -1;
        int far = -1;
        const RGridPoint& g = m.gridPoints[i];
        for (int v : ring) {
            const RGridPoint& q = m.gridPoints[v];
            const double d = std::sqrt((q.x - g.x) * (q.x - g.x) + (q.y - g.y) * (q.y - g.y));
            if (d > dmax) {
                dmax = d;
                far = v;
            }
        }
        if (far >= 0 && dmax > 2 * dmin && dmax / 2 > minSpacing) {
            const RGridPoint& q = m.gridPoints[far];
            // A refused midpoint counts as no split, so the sweep cannot restart for ever.
            if (MeshInsertPoint((g.x + q.x) / 2, (g.y + q.y) / 2, -1, 1, 0, dmax) == 0) {
                correctInnerPoint(int(m.gridPoints.size()) - 1);
                progressStep(i);
                if (stopped())
                    return;
                i = 0;
                continue;
            }
        }
        if (stopped())
            return;
        ++i;
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

// Widened stencils of a plane mesh: an inner point whose six-point stencil cannot carry the
// second derivatives gets its derivatives from a weighted least-squares quadratic fit over its
// two nearest rings of neighbours instead.
//
// Why a six-point stencil can fail. Six points determine the quadratic through them, and that
// quadratic's second derivatives are constants: the second-derivative weights of a six-point
// stencil do not depend on which of its points is the centre. Two inner points whose stencils
// hold the same points (adjacent points with four neighbours each, which both reach the same
// point of the second ring) get the same row of, say, the Laplacian; so do two points whose
// stencils differ only in boundary points that lie on one straight side, where three points
// fix the quadratic along the side and so tell the same. With the boundary values given, the
// assembled system then has two equal rows and is singular. Where the selection finds no
// six-point stencil at all, its three-point stencil has no second derivatives, and an equation
// of second derivatives alone is empty at that point.
//
// The rule. A stencil is kept when its Laplacian weight at the centre is negative and larger in
// magnitude than every other weight of the stencil: the second derivatives then belong to that
// point. Of two points with equal rows at most one can pass (the weight one row gives its
// centre is the weight the other row gives a point that is not its centre), so every such pair
// is broken up. A kept stencil must also not cancel more than ten times over (below): on
// nearly flat triangles the selection keeps stencils of nearly collinear points whose weights
// reach 1e12 and whose truncation error swamps the solution. Every three-point stencil of an
// inner point, and every six-point stencil that fails either test, is widened. The six-point
// stencils of sound meshes pass both with a wide margin (a dominance of 1.6 and more, a
// cancellation of 2.4 and less), so their runs keep their results to the bit. Boundary points
// keep their stencils: they carry first derivatives only.
//
// The widened stencil is a weighted least-squares fit of a quadratic over the point's first two
// rings (at most 20 points); its weights depend on the distances from its own centre, so no two
// points share a row. Where that fit is not sound either (the rings lie too close to one line),
// ring after ring more is taken, up to six rings and 64 points, and the soundest fit is used.
// A point whose rings hold too few points for a quadratic at all (a mesh of a handful of
// nodes) keeps its stencil; where that has no second derivatives, a run that asks for one
// there fails with a line naming the point instead of taking 0 for it.
#include "solver/RRazava.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>
#include <vector>

namespace {

constexpr int kSixPointStencil = 6;

// Most cancellation a kept stencil may have (below). The six-point stencils of sound meshes
// (the square, the plate with a hole, discs) stay below 3.
constexpr double kCancellationLimit = 10;

// The centre's Laplacian weight is negative and strictly the largest in magnitude.
bool centreDominates(int count, const double* wxx, const double* wyy)
{
    const double centre = wxx[0] + wyy[0];
    if (!(centre < 0))
        return false;
    for (int j = 1; j < count; ++j)
        if (!(std::fabs(wxx[j] + wyy[j]) < -centre))
            return false;
    return true;
}

// By how much a Laplacian stencil cancels: its weights reproduce x^2 + y^2 exactly, so
// sum w r^2 = 4 over the stencil, and sum |w| r^2 = 4 when every off-centre weight is positive.
// The ratio of the two is how much the stencil amplifies the third-order part of the solution
// and the rounding of its values; nearly collinear points at very different distances (flat
// triangles) make it huge while the selection's measure still passes.
double cancellation(const double* x, const double* y, int count, const int* points,
                    const double* wxx, const double* wyy)
{
    const int p = points[0];
    double sum = 0;
    for (int j = 1; j < count; ++j) {
        const double dx = x[points[j]] - x[p], dy = y[points[j]] - y[p];
        sum += std::fabs(wxx[j] + wyy[j]) * (dx * dx + dy * dy);
    }
    return sum / 4;
}

bool laplacianIsSound(const double* x, const double* y, int count, const int* points,
                      const double* wxx, const double* wyy)
{
    return centreDominates(count, wxx, wyy)
           && cancellation(x, y, count, points, wxx, wyy) <= kCancellationLimit;
}

} // namespace

bool RRazava::stencilNeedsWidening(const double* x, const double* y, int count,
                                   const int* points, const double* wxx, const double* wyy)
{
    return count != kSixPointStencil || !laplacianIsSound(x, y, count, points, wxx, wyy);
}

namespace {

// A point of a widened stencil's neighbourhood.
struct Near {
    int level; // ring distance from the centre
    double d2; // squared distance from the centre
    int index;
};

// Weighted least-squares quadratic fit at the centre over the neighbours near[1 .. m]: the
// weights of the five derivatives (x, y, xx, yy, xy), point k of the stencil at W[d][k] with the
// centre at k = 0. False when the points do not determine a quadratic.
bool fitQuadratic(const double* x, const double* y, const std::vector<Near>& near, int m,
                  double* const W[5])
{
    const int p = near[0].index;
    // Each equation is weighted by h^2 / (r^2 + h^2 / 4), h the neighbours' root-mean-square
    // distance: the nearer points decide, the farther ones steady the fit, and a cluster of
    // very near points cannot drown out the rest. The unknowns are scaled by the spreads hx, hy
    // of the offsets along x and y, so that the fit's matrix is of order one whatever the mesh
    // size and however stretched its triangles are.
    double sum = 0, sumX = 0, sumY = 0;
    for (int k = 1; k <= m; ++k) {
        const int q = near[static_cast<std::size_t>(k)].index;
        sum += near[static_cast<std::size_t>(k)].d2;
        sumX += (x[q] - x[p]) * (x[q] - x[p]);
        sumY += (y[q] - y[p]) * (y[q] - y[p]);
    }
    const double h2 = sum / m, hx = std::sqrt(sumX / m), hy = std::sqrt(sumY / m);
    if (!(hx > 0 && hy > 0))
        return false; // all on one line along an axis
    std::vector<double> a(static_cast<std::size_t>(m) * 5), rowWeight(static_cast<std::size_t>(m));
    for (int k = 0; k < m; ++k) {
        const int q = near[static_cast<std::size_t>(k) + 1].index;
        const double dx = x[q] - x[p], dy = y[q] - y[p];
        const double w = h2 / (dx * dx + dy * dy + 0.25 * h2);
        const double sx = dx / hx, sy = dy / hy;
        rowWeight[static_cast<std::size_t>(k)] = w;
        double* row = &a[static_cast<std::size_t>(k) * 5];
        row[0] = w * sx;
        row[1] = w * sy;
        row[2] = w * 0.5 * sx * sx;
        row[3] = w * 0.5 * sy * sy;
        row[4] = w * sx * sy;
    }
    auto at = [&](int r, int c) -> double& { return a[static_cast<std::size_t>(r) * 5 + c]; };

    // Householder QR (the reflectors kept below the diagonal, their scalars in beta).
    double beta[5], rDiag[5];
    for (int c = 0; c < 5; ++c) {
        double norm = 0;
        for (int r = c; r < m; ++r)
            norm += at(r, c) * at(r, c);
        norm = std::sqrt(norm);
        if (!(norm > 0))
            return false;
        const double alpha = at(c, c) > 0 ? -norm : norm;
        at(c, c) -= alpha;
        double vv = 0;
        for (int r = c; r < m; ++r)
            vv += at(r, c) * at(r, c);
        beta[c] = 2.0 / vv;
        for (int j = c + 1; j < 5; ++j) {
            double s = 0;
            for (int r = c; r < m; ++r)
                s += at(r, c) * at(r, j);
            s *= beta[c];
            for (int r = c; r < m; ++r)
                at(r, j) -= s * at(r, c);
        }
        rDiag[c] = alpha;
    }
    // A nearly degenerate point set (all points near one line or conic through the centre)
    // gives a fit that rounding decides.
    double largest = 0, smallest = std::numeric_limits<double>::infinity();
    for (double d : rDiag) {
        largest = std::max(largest, std::fabs(d));
        smallest = std::min(smallest, std::fabs(d));
    }
    if (!(smallest > 1e-6 * largest))
        return false;

    // Derivatives = R^-1 Q^T (weighted values): column k of R^-1 Q^T, times point k's equation
    // weight, gives point k's weights; the centre's make every set vanish on constants.
    const double scale[5] = {1 / hx, 1 / hy, 1 / (hx * hx), 1 / (hy * hy), 1 / (hx * hy)};
    for (int d = 0; d < 5; ++d)
        W[d][0] = 0;
    std::vector<double> e(static_cast<std::size_t>(m));
    for (int k = 0; k < m; ++k) {
        std::fill(e.begin(), e.end(), 0.0);
        e[static_cast<std::size_t>(k)] = 1.0;
        for (int c = 0; c < 5; ++c) {
            double s = 0;
            for (int r = c; r < m; ++r)
                s += at(r, c) * e[static_cast<std::size_t>(r)];
            s *= beta[c];
            for (int r = c; r < m; ++r)
                e[static_cast<std::size_t>(r)] -= s * at(r, c);
        }
        double z[5];
        for (int c = 4; c >= 0; --c) {
            double s = e[static_cast<std::size_t>(c)];
            for (int j = c + 1; j < 5; ++j)
                s -= at(c, j) * z[j];
            z[c] = s / rDiag[c];
        }
        for (int d = 0; d < 5; ++d) {
            const double weight = z[d] * rowWeight[static_cast<std::size_t>(k)] * scale[d];
            W[d][k + 1] = weight;
            W[d][0] -= weight;
        }
    }
    return true;
}

} // namespace

int RRazava::fitStencil(int np, const double* x, const double* y, const int* counts,
                        const int* offsets, const int* list, int p, int* points, double* W1,
                        double* W2, double* W3, double* W4, double* W5)
{
    std::vector<Near> near{{0, 0.0, p}};
    std::vector<Near> ordered;
    std::vector<int> known{p};
    double* const W[5] = {W1, W2, W3, W4, W5};
    // The best fit so far (least cancellation) where none is sound.
    std::vector<int> bestPoints;
    std::vector<double> bestWeights[5];
    double bestCancellation = std::numeric_limits<double>::infinity();
    // Rings 1 and 2 first, the nearest kWideStencil points; where their fit is not sound
    // (the points lie too close to one line, on flat triangles), ring after ring more, up to
    // kMaxWideStencil points.
    for (int level = 1; level <= kWideLevels; ++level) {
        const std::size_t before = near.size();
        for (std::size_t i = 0; i < before; ++i) {
            if (near[i].level != level - 1)
                continue;
            const int q = near[i].index;
            for (int e = 0; e < counts[q]; ++e) {
                const int r = list[offsets[q] + e] - 1;
                if (r < 0 || r >= np || std::find(known.begin(), known.end(), r) != known.end())
                    continue;
                known.push_back(r);
                const double dx = x[r] - x[p], dy = y[r] - y[p];
                near.push_back({level, dx * dx + dy * dy, r});
            }
        }
        if (level < 2)
            continue;
        if (level > 2 && near.size() == before)
            break; // no further points to reach
        ordered = near;
        std::sort(ordered.begin() + 1, ordered.end(), [](const Near& a, const Near& b) {
            return std::tie(a.level, a.d2, a.index) < std::tie(b.level, b.d2, b.index);
        });
        const int cap = level == 2 ? kWideStencil : kMaxWideStencil;
        const int m = std::min(static_cast<int>(ordered.size()), cap) - 1;
        if (m < 5 || !fitQuadratic(x, y, ordered, m, W))
            continue;
        for (int k = 0; k <= m; ++k)
            points[k] = ordered[static_cast<std::size_t>(k)].index;
        if (laplacianIsSound(x, y, m + 1, points, W3, W4))
            return m + 1;
        const double c = cancellation(x, y, m + 1, points, W3, W4);
        if (c < bestCancellation) {
            bestCancellation = c;
            bestPoints.assign(points, points + m + 1);
            for (int d = 0; d < 5; ++d)
                bestWeights[d].assign(W[d], W[d] + m + 1);
        }
    }
    if (bestPoints.empty())
        return 0;
    std::copy(bestPoints.begin(), bestPoints.end(), points);
    for (int d = 0; d < 5; ++d)
        std::copy(bestWeights[d].begin(), bestWeights[d].end(), W[d]);
    return static_cast<int>(bestPoints.size());
}

int RRazava::widenStencils(int np, const double* x, const double* y, const int* counts,
                           const int* offsets, const int* list, const double* nx,
                           const double* ny)
{
    int widest = 0;
    secondDerivativeMissing.clear();
    int wide[kMaxWideStencil];
    double w[5][kMaxWideStencil];
    for (int p = 0; p < np; ++p) {
        if (hasBoundaryNormal(nx[p], ny[p]))
            continue;
        const std::size_t s = stencilStart[p];
        if (!stencilNeedsWidening(x, y, stencilCounts[p], &stencilPoints[s], &weightDxx[s],
                                  &weightDyy[s]))
            continue;
        const int count = fitStencil(np, x, y, counts, offsets, list, p, wide, w[0], w[1],
                                     w[2], w[3], w[4]);
        if (count == 0) {
            // Nothing better than the selection's stencil. Where that is the three-point one,
            // a second derivative at the point would be 0 whatever the values: a heat run would
            // keep the point at its start value, so asking for one there fails the run.
            bool none = true;
            for (int j = 0; j < stencilCounts[p]; ++j)
                none = none && weightDxx[s + j] == 0 && weightDyy[s + j] == 0
                       && weightDxy[s + j] == 0;
            if (none) {
                secondDerivativeMissing.resize(static_cast<std::size_t>(np), 0);
                secondDerivativeMissing[static_cast<std::size_t>(p)] = 1;
            }
            continue;
        }
        const std::size_t at = stencilPoints.size();
        stencilPoints.insert(stencilPoints.end(), wide, wide + count);
        std::vector<double>* sets[5] = {&weightDx, &weightDy, &weightDxx, &weightDyy,
                                        &weightDxy};
        for (int d = 0; d < 5; ++d)
            sets[d]->insert(sets[d]->end(), w[d], w[d] + count);
        stencilStart[p] = at;
        stencilCounts[p] = count;
        widest = std::max(widest, count);
    }
    return widest;
}

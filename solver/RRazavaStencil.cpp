// Stencils and difference weights of the grid points, and the upwind gradient.
#include "solver/RRazava.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

constexpr int maxStencil = 6;
constexpr int orderedCandidates = 20;

// Solves A X = I for a k x k matrix (k <= 5) by Gaussian elimination with partial pivoting;
// inv receives A^-1 row-major. A singular matrix gives infinite or undefined entries, which is
// what a degenerate stencil yields.
void invert(int k, double a[5][5], double inv[5][5])
{
    double b[5][5] = {};
    for (int i = 0; i < k; ++i)
        b[i][i] = 1.0;
    for (int c = 0; c < k; ++c) {
        int piv = c;
        for (int r = c + 1; r < k; ++r)
            if (std::fabs(a[r][c]) > std::fabs(a[piv][c]))
                piv = r;
        if (piv != c) {
            for (int j = 0; j < k; ++j) {
                std::swap(a[c][j], a[piv][j]);
                std::swap(b[c][j], b[piv][j]);
            }
        }
        for (int r = 0; r < k; ++r) {
            if (r == c)
                continue;
            const double f = a[r][c] / a[c][c];
            if (f == 0.0)
                continue;
            for (int j = 0; j < k; ++j) {
                a[r][j] -= f * a[c][j];
                b[r][j] -= f * b[c][j];
            }
        }
    }
    for (int r = 0; r < k; ++r)
        for (int j = 0; j < k; ++j)
            inv[r][j] = b[r][j] / a[r][r];
}

double determinant5(double m[5][5])
{
    double d = 1.0;
    for (int c = 0; c < 5; ++c) {
        int piv = c;
        for (int r = c + 1; r < 5; ++r)
            if (std::fabs(m[r][c]) > std::fabs(m[piv][c]))
                piv = r;
        if (m[piv][c] == 0.0)
            return 0.0;
        if (piv != c) {
            for (int j = 0; j < 5; ++j)
                std::swap(m[c][j], m[piv][j]);
            d = -d;
        }
        d *= m[c][c];
        for (int r = c + 1; r < 5; ++r) {
            const double f = m[r][c] / m[c][c];
            for (int j = c; j < 5; ++j)
                m[r][j] -= f * m[c][j];
        }
    }
    return d;
}

// Candidate of the stencil selection: ordered by ring level, then squared distance, then index.
struct Candidate {
    int level;
    double d2;
    int index;
    bool operator<(const Candidate& o) const
    {
        if (level != o.level)
            return level < o.level;
        if (d2 != o.d2)
            return d2 < o.d2;
        return index < o.index;
    }
};

// Orders the candidates of one point without looking at every point: the ring levels are marked
// by a walk over the rings, and when levels 0 to 3 hold fewer than 20 points the nearest of the
// remaining points come from a k-d tree. The result equals sorting all points by
// (level, squared distance, index) and taking the first 20.
class CandidateOrder {
public:
    CandidateOrder(int np, const double* x, const double* y, const int* counts,
                   const int* offsets, const int* list)
        : np_(np), x_(x), y_(y), counts_(counts), offsets_(offsets), list_(list),
          stamp_(np, 0), level_(np, 0)
    {
        buildTree();
    }

    // The first min(20, np) candidates of point p, in order.
    const std::vector<Candidate>& order(int p)
    {
        ++epoch_;
        touched_.clear();
        mark(p, 0);
        for (std::size_t head = 0; head < touched_.size(); ++head) {
            const int q = touched_[head];
            const int lq = level_[q];
            if (lq >= 3)
                continue;
            const int c = counts_[q], o = offsets_[q];
            for (int e = 0; e < c; ++e) {
                const int r = list_[o + e] - 1;
                if (stamp_[r] != epoch_)
                    mark(r, lq + 1);
            }
        }
        result_.clear();
        bool comparable = true;
        for (int q : touched_) {
            const double d2 = dist2(p, q);
            comparable = comparable && !std::isnan(d2);
            result_.push_back({level_[q], d2, q});
        }
        const int want = std::min(orderedCandidates, np_);
        const int keep = std::min<int>(want, static_cast<int>(result_.size()));
        if (comparable) {
            // The walk lists the points level by level: each level is sorted on its own, and
            // the last level needed only as far as the first `keep` reach.
            auto begin = result_.begin();
            const auto last = result_.begin() + keep;
            while (begin < last) {
                auto end = begin;
                while (end != result_.end() && end->level == begin->level)
                    ++end;
                if (end <= last)
                    std::sort(begin, end);
                else
                    std::partial_sort(begin, last, end);
                begin = end;
            }
        } else {
            std::partial_sort(result_.begin(), result_.begin() + keep, result_.end());
        }
        result_.resize(keep);
        if (keep < want)
            nearestOthers(p, want - keep);
        return result_;
    }

private:
    void mark(int q, int lev)
    {
        stamp_[q] = epoch_;
        level_[q] = lev;
        touched_.push_back(q);
    }
    double dist2(int p, int q) const
    {
        const double dx = x_[q] - x_[p], dy = y_[q] - y_[p];
        return dx * dx + dy * dy;
    }

    // A k-d tree over the points, stored implicitly: the index range [lo, hi) of a node holds
    // its subtree, the middle entry is the node's own point and splits the range on axis_ of
    // that entry (0 x, 1 y), the lower half holding coordinates <= the split, the upper >=.
    // Non-numbers order last, so a damaged grid still gives a valid sort.
    void buildTree()
    {
        tree_.resize(np_);
        for (int q = 0; q < np_; ++q)
            tree_[q] = q;
        axis_.assign(np_, 0);
        buildTree(0, np_);
    }
    void buildTree(int lo, int hi)
    {
        if (hi - lo < 2)
            return;
        double xlo = 0, xhi = 0, ylo = 0, yhi = 0;
        bool first = true;
        for (int i = lo; i < hi; ++i) {
            const double px = x_[tree_[i]], py = y_[tree_[i]];
            if (first) {
                xlo = xhi = px;
                ylo = yhi = py;
                first = false;
            }
            xlo = std::min(xlo, px);
            xhi = std::max(xhi, px);
            ylo = std::min(ylo, py);
            yhi = std::max(yhi, py);
        }
        const int axis = yhi - ylo > xhi - xlo ? 1 : 0;
        const double* c = axis ? y_ : x_;
        const int mid = lo + (hi - lo) / 2;
        std::nth_element(tree_.begin() + lo, tree_.begin() + mid, tree_.begin() + hi,
                         [c](int a, int b) {
                             return c[a] < c[b] || (std::isnan(c[b]) && !std::isnan(c[a]));
                         });
        axis_[mid] = axis;
        buildTree(lo, mid);
        buildTree(mid + 1, hi);
    }

    // Appends the k nearest points outside levels 0..3 (level np + 1), by distance then index.
    void nearestOthers(int p, int k)
    {
        best_.clear();
        search(p, k, 0, np_);
        result_.insert(result_.end(), best_.begin(), best_.end());
    }
    void search(int p, int k, int lo, int hi)
    {
        while (lo < hi) {
            const int mid = lo + (hi - lo) / 2;
            const int q = tree_[mid];
            if (stamp_[q] != epoch_) {
                const Candidate c{np_ + 1, dist2(p, q), q};
                if (static_cast<int>(best_.size()) < k) {
                    best_.insert(std::upper_bound(best_.begin(), best_.end(), c), c);
                } else if (c < best_.back()) {
                    best_.pop_back();
                    best_.insert(std::upper_bound(best_.begin(), best_.end(), c), c);
                }
            }
            const double* c = axis_[mid] ? y_ : x_;
            const double diff = c[p] - c[q];
            const bool lowerFirst = diff < 0;
            search(p, k, lowerFirst ? lo : mid + 1, lowerFirst ? mid : hi);
            // The far side lies at least |diff| away; an equal distance is still searched, since
            // a point there may win the tie by its lower index.
            if (static_cast<int>(best_.size()) == k && diff * diff > best_.back().d2)
                return;
            lo = lowerFirst ? mid + 1 : lo;
            hi = lowerFirst ? hi : mid;
        }
    }

    int np_;
    const double *x_, *y_;
    const int *counts_, *offsets_, *list_;
    std::vector<int> stamp_, level_, touched_;
    int epoch_ = 0;
    std::vector<Candidate> result_, best_;
    std::vector<int> tree_, axis_;
};

// Measure of the stencil p + points[1..5].
double measureOf(const double* x, const double* y, int p, const int* points)
{
    double dx[5], dy[5];
    for (int k = 0; k < 5; ++k) {
        dx[k] = x[points[k + 1]] - x[p];
        dy[k] = y[points[k + 1]] - y[p];
    }
    return RRazava::det(dx, dy);
}

// Stencil selection of one point from its ordered candidates (shared by seljnt and dcoef).
void selectStencil(const std::vector<Candidate>& cand, const int* counts, const int* offsets,
                   const int* list, const double* x, const double* y, int p, int& count,
                   int* points, const double* nx, const double* ny, double& measure)
{
    const int nc = static_cast<int>(cand.size());
    measure = 0;
    if (nc >= maxStencil) {
        for (int k = 0; k < maxStencil; ++k)
            points[k] = cand[k].index;
        double mu = measureOf(x, y, p, points);
        if (mu < 1.2 && nc > maxStencil) {
            const int fifthLevel = cand[5].level;
            const int sixthLevel = cand[6].level;
            double best = mu;
            int bestJ = -1, bestQ = -1;
            int trial[maxStencil];
            for (int j = 1; j <= 5; ++j) {
                if (cand[j].level != fifthLevel)
                    continue;
                for (int q = 6; q < nc; ++q) {
                    if (cand[q].level != sixthLevel)
                        continue;
                    std::copy(points, points + maxStencil, trial);
                    trial[j] = cand[q].index;
                    const double m = measureOf(x, y, p, trial);
                    if (m > best) {
                        best = m;
                        bestJ = j;
                        bestQ = q;
                    }
                }
            }
            if (bestJ >= 0) {
                points[bestJ] = cand[bestQ].index;
                mu = best;
            }
        }
        measure = mu;
        if (mu > 0.01 && !hasBoundaryNormal(nx[p], ny[p])) {
            count = maxStencil;
            return;
        }
    }
    // Three points: p, its first ring neighbour and the first further neighbour off their line.
    const int rc = counts[p];
    const int* ring = list + offsets[p];
    points[0] = p;
    count = 1;
    if (rc < 2)
        return;
    const int a = ring[1] - 1;
    points[1] = a;
    count = 2;
    for (int i = 2; i < rc; ++i) {
        const int c = ring[i] - 1;
        const double cross = (y[c] - y[p]) * (x[a] - x[p]) - (x[c] - x[p]) * (y[a] - y[p]);
        if (std::fabs(cross) > 1e-20) {
            points[2] = c;
            count = 3;
            return;
        }
    }
}

} // namespace

void RRazava::dcoef0(int* stencilCounts, int* stencilPoints, double* W1, double* W2, double* W3,
                     double* W4, double* W5)
{
    stencilCounts[0] = 1;
    stencilPoints[0] = 0;
    W1[0] = W2[0] = W3[0] = W4[0] = W5[0] = 1.0;
}

void RRazava::dcoef1(int np, const double* s, const int* counts, const int* offsets,
                     const int* list, int* stencilCounts, int* stencilPoints, double* wa,
                     double* wb, double* wc, double* wd)
{
    for (int j = 0; j < np; ++j) {
        int* sp = stencilPoints + 6 * j;
        double *A = wa + 6 * j, *B = wb + 6 * j, *C = wc + 6 * j, *D = wd + 6 * j;
        std::fill(A, A + 6, 0.0);
        std::fill(B, B + 6, 0.0);
        std::fill(C, C + 6, 0.0);
        std::fill(D, D + 6, 0.0);
        const int rc = counts[j];
        const int* ring = list + offsets[j];
        sp[0] = j;
        if (rc < 2) {
            stencilCounts[j] = 1; // a lone point has no differences
            continue;
        }
        const int a = ring[1] - 1;
        if (rc < 3) {
            const double d = s[a] - s[j];
            stencilCounts[j] = 2;
            sp[1] = a;
            A[0] = -1 / d; A[1] = 1 / d;
            C[0] = -1 / d; C[1] = 1 / d;
            D[0] = -1 / d; D[1] = 1 / d;
            continue;
        }
        const int b = ring[2] - 1;
        const double d1 = s[a] - s[j], d2 = s[b] - s[j];
        stencilCounts[j] = 3;
        sp[1] = a;
        sp[2] = b;
        A[0] = -(d1 + d2) / (d1 * d2);
        A[1] = d2 / (d1 * (d2 - d1));
        A[2] = -d1 / (d2 * (d2 - d1));
        B[0] = 2 / (d1 * d2);
        B[1] = -2 / (d1 * (d2 - d1));
        B[2] = 2 / (d2 * (d2 - d1));
        if (j == np - 1) {
            C[0] = -1 / d2; C[2] = 1 / d2;
        } else {
            C[0] = -1 / d1; C[1] = 1 / d1;
        }
        if (j == 0) {
            D[0] = -1 / d1; D[1] = 1 / d1;
        } else {
            D[0] = -1 / d2; D[2] = 1 / d2;
        }
    }
}

void RRazava::getdis(const int* counts, const int* offsets, const int* list, int np, int p,
                     int levels, int* level)
{
    std::fill(level, level + np, np + 1);
    level[p] = 0;
    std::vector<int> frontier{p}, nextFrontier;
    for (int lev = 1; lev <= levels && !frontier.empty(); ++lev) {
        nextFrontier.clear();
        for (int q : frontier)
            for (int e = 0; e < counts[q]; ++e) {
                const int r = list[offsets[q] + e] - 1;
                if (level[r] == np + 1) {
                    level[r] = lev;
                    nextFrontier.push_back(r);
                }
            }
        frontier.swap(nextFrontier);
    }
}

double RRazava::det(const double* dx, const double* dy)
{
    double m[5][5];
    for (int k = 0; k < 5; ++k) {
        m[k][0] = dx[k];
        m[k][1] = dy[k];
        m[k][2] = dx[k] * dx[k];
        m[k][3] = dx[k] * dy[k];
        m[k][4] = dy[k] * dy[k];
    }
    const double r2 = dx[0] * dx[0] + dy[0] * dy[0];
    const double scale = r2 * r2 * r2 * r2;
    return std::fabs(determinant5(m)) / scale;
}

void RRazava::seljnt(const int* counts, const int* offsets, const int* list, const double* x,
                     const double* y, int np, int p, int& count, int* points, const double* nx,
                     const double* ny, double& measure)
{
    CandidateOrder order(np, x, y, counts, offsets, list);
    selectStencil(order.order(p), counts, offsets, list, x, y, p, count, points, nx, ny, measure);
}

int RRazava::caldif(const double* x, const double* y, int count, const int* st, double* W1,
                    double* W2, double* W3, double* W4, double* W5)
{
    std::fill(W1, W1 + 6, 0.0);
    std::fill(W2, W2 + 6, 0.0);
    std::fill(W3, W3 + 6, 0.0);
    std::fill(W4, W4 + 6, 0.0);
    std::fill(W5, W5 + 6, 0.0);
    const int p = st[0];
    if (count == 3) {
        const double x0 = x[st[0]], x1 = x[st[1]], x2 = x[st[2]];
        const double y0 = y[st[0]], y1 = y[st[1]], y2 = y[st[2]];
        const double D = (x1 - x0) * (y2 - y0) - (y1 - y0) * (x2 - x0);
        W1[0] = (y1 - y2) / D; W1[1] = (y2 - y0) / D; W1[2] = (y0 - y1) / D;
        W2[0] = (x2 - x1) / D; W2[1] = (x0 - x2) / D; W2[2] = (x1 - x0) / D;
        return 3;
    }
    if (count != 5 && count != 6)
        return 0;
    // Taylor system: f(p + d_k) - f(p) = dx fx + dy fy + dx^2/2 fxx + dy^2/2 fyy (+ dx dy fxy).
    const int k = count - 1;
    double a[5][5] = {}, inv[5][5];
    for (int r = 0; r < k; ++r) {
        const double dx = x[st[r + 1]] - x[p], dy = y[st[r + 1]] - y[p];
        a[r][0] = dx;
        a[r][1] = dy;
        a[r][2] = 0.5 * dx * dx;
        a[r][3] = 0.5 * dy * dy;
        if (k == 5)
            a[r][4] = dx * dy;
    }
    invert(k, a, inv);
    double* W[5] = {W1, W2, W3, W4, W5};
    for (int d = 0; d < k; ++d) {
        double sum = 0;
        for (int r = 0; r < k; ++r) {
            W[d][r + 1] = inv[d][r];
            sum += inv[d][r];
        }
        W[d][0] = -sum;
    }
    return count;
}

void RRazava::caldif_bnd(const double* x, const double* y, int m, const int* st, double* W1,
                         double* W2)
{
    double S = 0;
    for (int i = 0; i < m; ++i) {
        const int a = st[i], b = st[(i + 1) % m];
        S += (y[a] + y[b]) * (x[b] - x[a]);
    }
    const double aS = std::fabs(S);
    for (int i = 0; i < m; ++i) {
        const int next = st[(i + 1) % m], prev = st[(i + m - 1) % m];
        W1[i] = (y[next] - y[prev]) / aS;
        W2[i] = (x[prev] - x[next]) / aS;
    }
}

void RRazava::dcoef(int np, const double* x, const double* y, const int* counts,
                    const int* offsets, const int* list, const double* nx, const double* ny,
                    int* stencilCounts, int* stencilPoints, double* W1, double* W2, double* W3,
                    double* W4, double* W5)
{
    CandidateOrder order(np, x, y, counts, offsets, list);
    for (int p = 0; p < np; ++p) {
        int* sp = stencilPoints + 6 * p;
        double *w1 = W1 + 6 * p, *w2 = W2 + 6 * p, *w3 = W3 + 6 * p, *w4 = W4 + 6 * p,
               *w5 = W5 + 6 * p;
        const int rc = counts[p];
        if (hasBoundaryNormal(nx[p], ny[p]) && rc <= 6) {
            const int* ring = list + offsets[p];
            for (int i = 0; i < rc; ++i)
                sp[i] = ring[i] - 1;
            stencilCounts[p] = rc;
            std::fill(w1, w1 + 6, 0.0);
            std::fill(w2, w2 + 6, 0.0);
            std::fill(w3, w3 + 6, 0.0);
            std::fill(w4, w4 + 6, 0.0);
            std::fill(w5, w5 + 6, 0.0);
            caldif_bnd(x, y, rc, sp, w1, w2);
            continue;
        }
        int count = 0;
        double measure = 0;
        selectStencil(order.order(p), counts, offsets, list, x, y, p, count, sp, nx, ny, measure);
        stencilCounts[p] = count;
        caldif(x, y, count, sp, w1, w2, w3, w4, w5);
    }
}

int RRazava::getupw(int ringCount, const int* ring, const double* x, const double* y, double vx,
                    double vy, int& sector)
{
    if (ringCount < 3)
        return 0;
    const double speed = std::hypot(vx, vy);
    if (speed == 0)
        return 0; // no upstream direction
    const int p = ring[0] - 1;
    auto unit = [&](int q, double& ex, double& ey) {
        ex = x[q] - x[p];
        ey = y[q] - y[p];
        const double l = std::hypot(ex, ey);
        ex /= l;
        ey /= l;
    };
    double e1x, e1y;
    unit(ring[1] - 1, e1x, e1y);
    const double ux = -vx / speed, uy = -vy / speed;
    double beta = std::acos(std::clamp(e1x * ux + e1y * uy, -1.0, 1.0));
    const int r2 = ring[2] - 1;
    const double crossU = e1x * uy - e1y * ux;
    const double crossR = e1x * (y[r2] - y[p]) - e1y * (x[r2] - x[p]);
    if ((crossU < 0 && crossR > 0) || (crossU > 0 && crossR < 0))
        beta = 2 * M_PI - beta;
    double acc = 0;
    double ax = e1x, ay = e1y;
    for (int i = 1; i + 1 < ringCount; ++i) {
        double bx, by;
        unit(ring[i + 1] - 1, bx, by);
        acc += std::acos(std::clamp(ax * bx + ay * by, -1.0, 1.0));
        if (acc > beta) {
            sector = i;
            return 1;
        }
        ax = bx;
        ay = by;
    }
    return 0;
}

void RRazava::upwind(const double* values, int n, int ringCount, const int* ring,
                     const double* x, const double* y, int, int k, double vx, double vy, int p,
                     double nx, double ny, double& dudx, double& dudy)
{
    dudx = dudy = 0;
    if (ringCount < 3)
        return; // no triangle to fit a plane
    const int m = ringCount;
    int t1, t2;
    int sector = 0;
    if (getupw(ringCount, ring, x, y, vx, vy, sector)) {
        t1 = ring[sector] - 1;
        t2 = ring[sector + 1] - 1;
    } else if (hasBoundaryNormal(nx, ny)) {
        auto along = [&](int q) {
            const double ex = x[q] - x[p], ey = y[q] - y[p];
            const double l = std::hypot(ex, ey);
            return (ex * -vx + ey * -vy) / l;
        };
        if (along(ring[1] - 1) > along(ring[m - 1] - 1)) {
            t1 = ring[1] - 1;
            t2 = ring[2] - 1;
        } else {
            t1 = ring[m - 2] - 1;
            t2 = ring[m - 1] - 1;
        }
    } else {
        t1 = ring[m - 1] - 1;
        t2 = ring[1] - 1;
    }
    const double dx1 = x[t1] - x[p], dy1 = y[t1] - y[p];
    const double dx2 = x[t2] - x[p], dy2 = y[t2] - y[p];
    const double A = dx1 * dy2 - dy1 * dx2;
    const double u0 = values[static_cast<std::size_t>(p) * n + k - 1];
    const double u1 = values[static_cast<std::size_t>(t1) * n + k - 1];
    const double u2 = values[static_cast<std::size_t>(t2) * n + k - 1];
    dudx = (dy2 * u1 + (dy1 - dy2) * u0 - dy1 * u2) / A;
    dudy = (dx1 * u2 + (dx2 - dx1) * u0 - dx2 * u1) / A;
}

void RRazava::ComputeStencils()
{
    MORVGlobalData& g = *gd;
    const int np = g.pointCount;
    // An engine whose set-up failed has no stencil arrays: nothing to compute.
    if (np < 1 || stencilCounts.size() < static_cast<std::size_t>(np))
        return;
    // Six slots per point; widened stencils are appended behind them.
    const std::size_t slots = static_cast<std::size_t>(np) * 6;
    stencilPoints.resize(slots);
    for (auto* w : {&weightDx, &weightDy, &weightDxx, &weightDyy, &weightDxy})
        w->resize(slots);
    stencilStart.resize(static_cast<std::size_t>(np));
    for (int p = 0; p < np; ++p)
        stencilStart[static_cast<std::size_t>(p)] = static_cast<std::size_t>(p) * 6;
    if (g.dimension == 0) {
        dcoef0(stencilCounts.data(), stencilPoints.data(), weightDx.data(), weightDy.data(),
               weightDxx.data(), weightDyy.data(), weightDxy.data());
    } else if (g.dimension == 1) {
        if (g.PARMX >= 1)
            dcoef1(np, g.pointX.data(), g.neighbourCounts.data(), g.neighbourOffsets.data(),
                   g.neighbourList.data(), stencilCounts.data(), stencilPoints.data(),
                   weightDx.data(), weightDxx.data(), weightDyy.data(), weightDxy.data());
        else
            dcoef1(np, g.pointY.data(), g.neighbourCounts.data(), g.neighbourOffsets.data(),
                   g.neighbourList.data(), stencilCounts.data(), stencilPoints.data(),
                   weightDy.data(), weightDyy.data(), weightDxx.data(), weightDxy.data());
    } else {
        dcoef(np, g.pointX.data(), g.pointY.data(), g.neighbourCounts.data(),
              g.neighbourOffsets.data(), g.neighbourList.data(), g.normalX.data(),
              g.normalY.data(), stencilCounts.data(), stencilPoints.data(), weightDx.data(),
              weightDy.data(), weightDxx.data(), weightDyy.data(), weightDxy.data());
        const int widest = widenStencils(np, g.pointX.data(), g.pointY.data(),
                                         g.neighbourCounts.data(), g.neighbourOffsets.data(),
                                         g.neighbourList.data(), g.normalX.data(),
                                         g.normalY.data());
        // The iterative method's rows hold the off-diagonal entries of a point's stencil
        // columns.
        SSolverMatrix* M = matrix.get();
        const SolverIndex width = static_cast<SolverIndex>(widest) * g.variableCount;
        if (M && M->method == kMethodIterative && width > M->rowWidth)
            M->allocate(M->size(), M->method, M->halfBandwidth, width);
    }
}

// Stencils and difference weights: exactness on polynomials, the one-dimensional sets, and the
// stencil selection against a plain quadratic-time implementation of the same rule.
#include "solver/RRazava.h"
#include "SolverTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <tuple>

namespace {

struct Weights {
    std::vector<int> counts, points;
    std::vector<double> w[5];
    explicit Weights(int np) : counts(np), points(6 * np)
    {
        for (auto& v : w)
            v.assign(6 * np, 0.0);
    }
    double apply(int set, int p, const std::function<double(int)>& f) const
    {
        double s = 0;
        for (int j = 0; j < counts[p]; ++j)
            s += w[set][6 * p + j] * f(points[6 * p + j]);
        return s;
    }
};

Weights weightsOf(const StructuredMesh& m)
{
    Weights w(m.np);
    RRazava::dcoef(m.np, m.x.data(), m.y.data(), m.counts.data(), m.offsets.data(), m.list.data(),
                   m.nx.data(), m.ny.data(), w.counts.data(), w.points.data(), w.w[0].data(),
                   w.w[1].data(), w.w[2].data(), w.w[3].data(), w.w[4].data());
    return w;
}

bool isBoundary(const StructuredMesh& m, int p) { return m.nx[p] * m.nx[p] + m.ny[p] * m.ny[p] > 0.5; }

// The selection rule written plainly: every point ordered by a swapping selection sort.
void referenceSelection(const StructuredMesh& m, int p, int& count, int* points)
{
    const int np = m.np;
    std::vector<int> level(np, np + 1);
    level[p] = 0;
    for (int lev = 1; lev <= 3; ++lev)
        for (int q = 0; q < np; ++q)
            if (level[q] == lev - 1)
                for (int e = 0; e < m.counts[q]; ++e) {
                    const int r = m.list[m.offsets[q] + e] - 1;
                    if (level[r] > lev)
                        level[r] = lev;
                }
    auto d2 = [&](int q) {
        return (m.x[q] - m.x[p]) * (m.x[q] - m.x[p]) + (m.y[q] - m.y[p]) * (m.y[q] - m.y[p]);
    };
    auto less = [&](int a, int b) {
        return std::make_tuple(level[a], d2(a), a) < std::make_tuple(level[b], d2(b), b);
    };
    std::vector<int> cand(np);
    for (int q = 0; q < np; ++q)
        cand[q] = q;
    const int nc = std::min(20, np);
    for (int i = 0; i < nc; ++i)
        for (int j = i + 1; j < np; ++j)
            if (less(cand[j], cand[i]))
                std::swap(cand[i], cand[j]);
    auto measure = [&](const int* st) {
        double dx[5], dy[5];
        for (int k = 0; k < 5; ++k) {
            dx[k] = m.x[st[k + 1]] - m.x[p];
            dy[k] = m.y[st[k + 1]] - m.y[p];
        }
        return RRazava::det(dx, dy);
    };
    if (nc >= 6) {
        std::copy(cand.begin(), cand.begin() + 6, points);
        double mu = measure(points);
        if (mu < 1.2) {
            double best = mu;
            int bj = -1, bq = -1;
            for (int j = 1; j <= 5; ++j) {
                if (level[cand[j]] != level[cand[5]])
                    continue;
                for (int q = 6; q < nc; ++q) {
                    if (level[cand[q]] != level[cand[6]])
                        continue;
                    int trial[6];
                    std::copy(points, points + 6, trial);
                    trial[j] = cand[q];
                    if (measure(trial) > best) {
                        best = measure(trial);
                        bj = j;
                        bq = q;
                    }
                }
            }
            if (bj >= 0) {
                points[bj] = cand[bq];
                mu = best;
            }
        }
        if (mu > 0.01 && !isBoundary(m, p)) {
            count = 6;
            return;
        }
    }
    const int* ring = m.list.data() + m.offsets[p];
    points[0] = p;
    count = 1;
    if (m.counts[p] < 2)
        return;
    points[1] = ring[1] - 1;
    count = 2;
    const int a = points[1];
    for (int i = 2; i < m.counts[p]; ++i) {
        const int c = ring[i] - 1;
        if (std::fabs((m.y[c] - m.y[p]) * (m.x[a] - m.x[p]) - (m.x[c] - m.x[p]) * (m.y[a] - m.y[p])) > 1e-20) {
            points[2] = c;
            count = 3;
            return;
        }
    }
}

} // namespace

TEST(OneDimensionalWeights, UniformGridInteriorAndEnds)
{
    // Points 0..4 with spacing h; rings as the grid builder writes them: the ends hold their two
    // nearest points on their one side.
    const double h = 0.25;
    const int np = 5;
    std::vector<double> s{0, h, 2 * h, 3 * h, 4 * h};
    std::vector<int> counts(np, 3), offsets{0, 3, 6, 9, 12};
    std::vector<int> list{1, 2, 3, 2, 1, 3, 3, 2, 4, 4, 3, 5, 5, 3, 4};
    std::vector<int> sc(np), sp(6 * np);
    std::vector<double> A(6 * np), B(6 * np), C(6 * np), D(6 * np);
    RRazava::dcoef1(np, s.data(), counts.data(), offsets.data(), list.data(), sc.data(), sp.data(),
                    A.data(), B.data(), C.data(), D.data());
    EXPECT_EQ(sc[2], 3);
    EXPECT_EQ(std::vector<int>(sp.begin() + 12, sp.begin() + 15), (std::vector<int>{2, 1, 3}));
    EXPECT_NEAR(A[12], 0.0, 1e-12);
    EXPECT_DOUBLE_EQ(A[13], -1 / (2 * h));
    EXPECT_DOUBLE_EQ(A[14], 1 / (2 * h));
    EXPECT_DOUBLE_EQ(B[12], -2 / (h * h));
    EXPECT_DOUBLE_EQ(B[13], 1 / (h * h));
    EXPECT_DOUBLE_EQ(B[14], 1 / (h * h));
    // One-sided sets: toward the first ring neighbour (A) and the second (B), except at the ends.
    EXPECT_DOUBLE_EQ(C[13], -1 / h);
    EXPECT_DOUBLE_EQ(D[14], 1 / h);
    EXPECT_DOUBLE_EQ(D[0], -1 / h);  // first point: B toward its first neighbour
    EXPECT_DOUBLE_EQ(D[1], 1 / h);
    EXPECT_DOUBLE_EQ(C[24], 1 / h);  // last point (ring 5,3,4): A toward its second neighbour
    EXPECT_DOUBLE_EQ(C[26], -1 / h);

    // An end point with a single neighbour has a zero second derivative.
    std::vector<int> counts2{2, 2}, offsets2{0, 2}, list2{1, 2, 2, 1};
    std::vector<double> s2{0, 0.5};
    RRazava::dcoef1(2, s2.data(), counts2.data(), offsets2.data(), list2.data(), sc.data(),
                    sp.data(), A.data(), B.data(), C.data(), D.data());
    EXPECT_EQ(sc[0], 2);
    EXPECT_DOUBLE_EQ(A[1], 2.0);
    EXPECT_EQ(B[0], 0.0);
    EXPECT_EQ(B[1], 0.0);
}

TEST(OneDimensionalWeights, EngineSetsAreExactForQuadraticsAlongXAndY)
{
    for (bool alongY : {false, true}) {
        QTemporaryDir dir;
        const std::string data = dir.path().toStdString() + "/doc.MVAT$";
        std::vector<std::string> lines = splitLines(readAll(fixturePath("grid1d.MVAT$")));
        if (alongY) {
            auto row = [](const char* v) {
                std::string r;
                for (int i = 0; i < 5; ++i)
                    r += v;
                return r;
            };
            lines[6] = "1, 0, 1";                          // PARMY instead of PARMX
            std::swap(lines[10], lines[11]);               // the coordinates move to y
            lines[12] = row(" -1.00000000000000E+00");     // normal (-1, 0) along y
            lines[13] = row("  0.00000000000000E+00");
        }
        writeAll(data, joinLines(lines));
        RRazava e("MORV", data);
        ASSERT_EQ(e.globalData()->runStatus, 0) << e.startupReason();
        e.ComputeStencils();
        const MORVGlobalData& g = *e.globalData();
        const double* s = alongY ? g.pointY.data() : g.pointX.data();
        const auto& first = alongY ? e.weightDy : e.weightDx;
        const auto& second = alongY ? e.weightDyy : e.weightDxx;
        for (int p = 0; p < g.pointCount; ++p) {
            double d1 = 0, d2 = 0;
            for (int j = 0; j < e.stencilCounts[p]; ++j) {
                const double v = s[e.stencilPoints[6 * p + j]];
                d1 += first[6 * p + j] * (3 * v * v - v + 2);
                d2 += second[6 * p + j] * (3 * v * v - v + 2);
            }
            EXPECT_NEAR(d1, 6 * s[p] - 1, 1e-9) << "point " << p << (alongY ? " y" : " x");
            EXPECT_NEAR(d2, 6, 1e-8) << "point " << p << (alongY ? " y" : " x");
        }
    }
}

TEST(TwoDimensionalWeights, InteriorQuadraticAndBoundaryLinearExactness)
{
    const StructuredMesh m(9, 8, 0.3);
    const Weights w = weightsOf(m);
    // f = 1 + 2x - 3y + 0.5x^2 - 0.25xy + 0.75y^2
    auto f = [&](int q) {
        const double x = m.x[q], y = m.y[q];
        return 1 + 2 * x - 3 * y + 0.5 * x * x - 0.25 * x * y + 0.75 * y * y;
    };
    auto lin = [&](int q) { return 4 - 1.5 * m.x[q] + 2.5 * m.y[q]; };
    int six = 0, contour = 0;
    for (int p = 0; p < m.np; ++p) {
        const double x = m.x[p], y = m.y[p];
        if (w.counts[p] == 6) {
            ++six;
            EXPECT_NEAR(w.apply(0, p, f), 2 + x - 0.25 * y, 1e-9) << p;
            EXPECT_NEAR(w.apply(1, p, f), -3 - 0.25 * x + 1.5 * y, 1e-9) << p;
            EXPECT_NEAR(w.apply(2, p, f), 1.0, 1e-8) << p;
            EXPECT_NEAR(w.apply(3, p, f), 1.5, 1e-8) << p;
            EXPECT_NEAR(w.apply(4, p, f), -0.25, 1e-8) << p;
        }
        if (isBoundary(m, p) && m.counts[p] <= 6) {
            ++contour;
            EXPECT_NEAR(w.apply(0, p, lin), -1.5, 1e-12) << p;
            EXPECT_NEAR(w.apply(1, p, lin), 2.5, 1e-12) << p;
            for (int set = 2; set < 5; ++set)
                EXPECT_EQ(w.apply(set, p, lin), 0.0) << p;
        }
        // Every point, whatever its stencil, differentiates linear functions exactly.
        EXPECT_NEAR(w.apply(0, p, lin), -1.5, 1e-9) << p;
        EXPECT_NEAR(w.apply(1, p, lin), 2.5, 1e-9) << p;
    }
    EXPECT_GT(six, 30);
    EXPECT_EQ(contour, 2 * 9 + 2 * 8 - 4);
}

TEST(TwoDimensionalWeights, SelectionMatchesThePlainRule)
{
    // Jittered meshes, exact lattices (distance ties everywhere) and thin strips, where rings up
    // to level 3 hold fewer than 20 points and the nearest far points decide.
    struct Case {
        int cols, rows;
        double jitter;
    } cases[] = {{2, 2, 0}, {3, 2, 0}, {4, 4, 0},  {10, 10, 0.3}, {12, 9, 0},
                 {40, 3, 0}, {60, 2, 0.0}, {3, 50, 0.2}, {50, 60, 0.35}, {45, 45, 0},
                 {700, 3, 0.3}, {3, 400, 0}};
    for (const Case& c : cases) {
        const StructuredMesh m(c.cols, c.rows, c.jitter);
        const Weights w = weightsOf(m);
        for (int p = 0; p < m.np; ++p) {
            int count = 0, points[6] = {};
            referenceSelection(m, p, count, points);
            int single = 0, sp[6] = {};
            double mu = 0;
            RRazava::seljnt(m.counts.data(), m.offsets.data(), m.list.data(), m.x.data(),
                            m.y.data(), m.np, p, single, sp, m.nx.data(), m.ny.data(), mu);
            ASSERT_EQ(single, count) << c.cols << "x" << c.rows << " point " << p;
            for (int j = 0; j < count; ++j)
                ASSERT_EQ(sp[j], points[j]) << c.cols << "x" << c.rows << " point " << p;
            if (isBoundary(m, p) && m.counts[p] <= 6)
                continue; // the set-up gives these their ring, not the selection
            ASSERT_EQ(w.counts[p], count) << c.cols << "x" << c.rows << " point " << p;
            for (int j = 0; j < count; ++j)
                ASSERT_EQ(w.points[6 * p + j], points[j]) << c.cols << "x" << c.rows << " point " << p;
        }
    }
}

TEST(TwoDimensionalWeights, MeasureDoesNotDependOnTheLengthUnit)
{
    const double dx[5] = {1, 0, -1, 0.2, 0.7}, dy[5] = {0, 1, 0.1, -1, 0.6};
    double sx[5], sy[5];
    for (int k = 0; k < 5; ++k) {
        sx[k] = 1e-3 * dx[k];
        sy[k] = 1e-3 * dy[k];
    }
    EXPECT_NEAR(RRazava::det(sx, sy), RRazava::det(dx, dy), 1e-9 * RRazava::det(dx, dy));
    // Five collinear offsets: no six-point stencil.
    const double cx[5] = {1, 2, 3, 4, 5}, cy[5] = {0, 0, 0, 0, 0};
    EXPECT_EQ(RRazava::det(cx, cy), 0.0);
}

// Widened stencils: the least-squares fit over two rings is exact for every quadratic, on fair
// meshes, on meshes stretched a thousandfold (triangles nearly flat) and at the boundary; a set
// of points on one line determines no quadratic.
TEST(WidenedStencil, FitIsExactForEveryQuadratic)
{
    struct Case {
        const char* what;
        int cols, rows;
        double jitter, sx, sy;
        bool twoRings; // inner points are fitted soundly over their two rings
    } cases[] = {{"jittered", 9, 8, 0.3, 1, 1, true},
                 {"lattice", 7, 7, 0, 1, 1, false},
                 {"stretched", 9, 8, 0.3, 1, 1e-3, false},
                 {"small", 6, 6, 0.2, 1e-4, 2e-4, true}};
    for (const Case& c : cases) {
        StructuredMesh m(c.cols, c.rows, c.jitter);
        for (int p = 0; p < m.np; ++p) {
            m.x[p] *= c.sx;
            m.y[p] *= c.sy;
        }
        // f = 1 + 2x - 3y + 0.5x^2 - 0.25xy + 0.75y^2 in the mesh's own units
        auto f = [&](int q) {
            const double x = m.x[q] / c.sx, y = m.y[q] / c.sy;
            return 1 + 2 * x - 3 * y + 0.5 * x * x - 0.25 * x * y + 0.75 * y * y;
        };
        for (int p = 0; p < m.np; ++p) {
            SCOPED_TRACE(testing::Message() << c.what << " point " << p);
            int points[RRazava::kMaxWideStencil];
            double w[5][RRazava::kMaxWideStencil];
            const int count = RRazava::fitStencil(m.np, m.x.data(), m.y.data(), m.counts.data(),
                                                  m.offsets.data(), m.list.data(), p, points,
                                                  w[0], w[1], w[2], w[3], w[4]);
            ASSERT_GE(count, 6);
            ASSERT_LE(count, c.twoRings && !isBoundary(m, p) ? RRazava::kWideStencil
                                                             : RRazava::kMaxWideStencil);
            ASSERT_EQ(points[0], p);
            auto apply = [&](int set) {
                double sum = 0;
                for (int j = 0; j < count; ++j)
                    sum += w[set][j] * f(points[j]);
                return sum;
            };
            const double x = m.x[p] / c.sx, y = m.y[p] / c.sy;
            const double exact[5] = {(2 + x - 0.25 * y) / c.sx, (-3 - 0.25 * x + 1.5 * y) / c.sy,
                                     1.0 / (c.sx * c.sx), 1.5 / (c.sy * c.sy),
                                     -0.25 / (c.sx * c.sy)};
            for (int set = 0; set < 5; ++set)
                EXPECT_NEAR(apply(set), exact[set], 1e-8 * (1 + std::abs(exact[set]))) << set;
        }
    }
    const StructuredMesh line(30, 1);
    int points[RRazava::kMaxWideStencil];
    double w[5][RRazava::kMaxWideStencil];
    EXPECT_EQ(RRazava::fitStencil(line.np, line.x.data(), line.y.data(), line.counts.data(),
                                  line.offsets.data(), line.list.data(), 10, points, w[0], w[1],
                                  w[2], w[3], w[4]),
              0);
}

// The second-derivative weights of six points are those of the quadratic through them, the same
// whichever point is the centre: at most one of the six may keep the stencil, or two rows of a
// second-order equation would be equal. Three points carry no second derivatives at all.
TEST(WidenedStencil, AtMostOneCentreOfSixPointsKeepsThem)
{
    unsigned seed = 2024;
    auto rnd = [&]() {
        seed = seed * 1103515245u + 12345u;
        return ((seed >> 8) & 0xFFFF) / 65535.0;
    };
    int kept = 0;
    for (int trial = 0; trial < 2000; ++trial) {
        double x[6], y[6];
        for (int k = 0; k < 6; ++k) {
            x[k] = rnd();
            y[k] = rnd();
        }
        int keepers = 0;
        for (int centre = 0; centre < 6; ++centre) {
            int st[6] = {centre};
            for (int k = 0, j = 1; k < 6; ++k)
                if (k != centre)
                    st[j++] = k;
            double w[5][6];
            RRazava::caldif(x, y, 6, st, w[0], w[1], w[2], w[3], w[4]);
            if (!RRazava::stencilNeedsWidening(x, y, 6, st, w[2], w[3]))
                ++keepers;
        }
        ASSERT_LE(keepers, 1) << "trial " << trial;
        kept += keepers;
    }
    EXPECT_GT(kept, 100); // the rule keeps fair six-point stencils
    const double x[3] = {0, 1, 0}, y[3] = {0, 0, 1}, zero[3] = {};
    const int st[3] = {0, 1, 2};
    EXPECT_TRUE(RRazava::stencilNeedsWidening(x, y, 3, st, zero, zero));
}

TEST(Upwind, LinearFunctionGivesItsExactSlopeForAnyVelocity)
{
    const StructuredMesh m(6, 5, 0.3);
    const int n = 2, k = 2;
    std::vector<double> values(m.np * n);
    for (int p = 0; p < m.np; ++p) {
        values[p * n] = 7;
        values[p * n + 1] = 0.5 - 2 * m.x[p] + 3 * m.y[p];
    }
    const double velocities[][2] = {{1, 0}, {0, 1}, {-1, 0.3}, {0.2, -1}, {-0.7, -0.7}, {1e-3, 5}};
    for (int p = 0; p < m.np; ++p)
        for (const auto& v : velocities) {
            double dx = 0, dy = 0;
            RRazava::upwind(values.data(), n, m.counts[p], m.list.data() + m.offsets[p], m.x.data(),
                            m.y.data(), 0, k, v[0], v[1], p, m.nx[p], m.ny[p], dx, dy);
            EXPECT_NEAR(dx, -2, 1e-9) << p;
            EXPECT_NEAR(dy, 3, 1e-9) << p;
        }
}

TEST(Upwind, SectorFacesTheUpstreamSide)
{
    // Interior point of a regular hexagon ring: E, NE, N, W, SW, S neighbours.
    const double x[7] = {0, 1, 1, 0, -1, -1, 0}, y[7] = {0, 0, 1, 1, 0, -1, -1};
    const int ring[7] = {1, 2, 3, 4, 5, 6, 7};
    int sector = 0;
    // Flow toward -x: upstream is +x, between E (r1) and NE (r2).
    ASSERT_EQ(RRazava::getupw(7, ring, x, y, -1, -0.1, sector), 1);
    EXPECT_EQ(sector, 1);
    // Flow toward +x: upstream is -x, between W (r4) and SW (r5).
    ASSERT_EQ(RRazava::getupw(7, ring, x, y, 1, 0.1, sector), 1);
    EXPECT_EQ(sector, 4);
    EXPECT_EQ(RRazava::getupw(7, ring, x, y, 0, 0, sector), 0);
    EXPECT_EQ(RRazava::getupw(2, ring, x, y, 1, 0, sector), 0);
}

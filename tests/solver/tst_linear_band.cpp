#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "solver/linear/BandSolver.h"
#include "tst_linear_systems.h"

using namespace lineartest;

namespace {

constexpr double kTolerance = 1e-15; // the Newton iteration's pivot tolerance

std::vector<SolverIndex> pivotArray(SolverIndex N)
{
    return std::vector<SolverIndex>(static_cast<std::size_t>(N), -1);
}

struct BandCase {
    SolverIndex N;
    SolverIndex ml;
    SolverIndex mu;
    bool dominant;
    double fill;
};

// Factorisation and solve against the dense LU, with and without row interchanges, for
// narrow, one-sided, wide and full bands.
TEST(BandSolver, SolvesLikeDenseLU)
{
    const BandCase cases[] = {
        {1, 0, 0, true, 1.0},   {2, 1, 1, false, 1.0},  {10, 2, 1, false, 1.0},
        {50, 5, 5, true, 1.0},  {50, 3, 3, false, 1.0}, {60, 5, 5, false, 0.6},
        {7, 6, 6, false, 1.0},  {12, 0, 2, true, 1.0},  {12, 2, 0, true, 1.0},
        {40, 8, 8, false, 0.3}, {3, 5, 5, false, 1.0},
    };
    std::uint64_t seed = 11;
    for (const BandCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "N " << c.N << " ml " << c.ml << " mu " << c.mu
                                        << (c.dominant ? " dominant" : " pivoting"));
        const DenseSystem A = randomBand(c.N, c.ml, c.mu, ++seed, c.dominant, c.fill);
        SMatrixRows<double> rows = toBand(A, c.ml, c.mu);
        std::vector<SolverIndex> pivots = pivotArray(c.N);
        ASSERT_EQ(SSMGLUBR(rows, c.N, c.ml, c.mu, pivots.data(), kTolerance), 0);

        // One factorisation serves several right-hand sides.
        for (int rhs = 0; rhs < 3; ++rhs) {
            std::vector<double> b = randomVector(c.N, ++seed);
            std::vector<double> expected = b;
            ASSERT_EQ(denseSolve(A, expected), 0);
            SSMGSBR(rows, b.data(), c.N, c.ml, c.mu, pivots.data());
            EXPECT_LT(maxRelativeDifference(b, expected), 1e-9);
        }
    }
}

// The Newton iteration's rows are wider than the band needs: slots beyond 2*ml + mu + 1 must
// not disturb the solution.
TEST(BandSolver, WiderRowsSolveTheSame)
{
    const SolverIndex N = 30, h = 5;
    const DenseSystem A = randomBand(N, h, h, 3, false);
    SMatrixRows<double> rows = toBand(A, h, h, 4);
    std::vector<SolverIndex> pivots = pivotArray(N);
    ASSERT_EQ(SSMGLUBR(rows, N, h, h, pivots.data(), kTolerance), 0);
    std::vector<double> b = randomVector(N, 4);
    std::vector<double> expected = b;
    ASSERT_EQ(denseSolve(A, expected), 0);
    SSMGSBR(rows, b.data(), N, h, h, pivots.data());
    EXPECT_LT(maxRelativeDifference(b, expected), 1e-9);
}

struct PivotCase {
    const char* name;
    std::vector<double> dense; // 3 x 3, row-major
    SolverIndex firstPivot;
};

// A later row takes the pivot only when its entry is strictly larger, so ties keep the upper row.
TEST(BandSolver, PivotSearchKeepsUpperRowOnTies)
{
    const PivotCase cases[] = {
        {"tie with the diagonal", {1, 2, 0, -1, 3, 1, 0, 1, 4}, 0},
        {"larger below", {1, 2, 0, 2, 3, 1, 0, 1, 4}, 1},
        {"tie below the larger", {1, 2, 1, 3, 3, 1, -3, 1, 4}, 1},
    };
    for (const PivotCase& c : cases) {
        SCOPED_TRACE(c.name);
        DenseSystem A(3);
        A.a = c.dense;
        SMatrixRows<double> rows = toBand(A, 2, 2);
        std::vector<SolverIndex> pivots = pivotArray(3);
        ASSERT_EQ(SSMGLUBR(rows, 3, 2, 2, pivots.data(), kTolerance), 0);
        EXPECT_EQ(pivots[0], c.firstPivot);
        std::vector<double> b{1.0, -2.0, 0.5};
        std::vector<double> expected = b;
        ASSERT_EQ(denseSolve(A, expected), 0);
        SSMGSBR(rows, b.data(), 3, 2, 2, pivots.data());
        EXPECT_LT(maxRelativeDifference(b, expected), 1e-12);
    }
}

struct SingularCase {
    const char* name;
    SolverIndex N;
    SolverIndex h;
    std::vector<double> dense; // N x N, row-major
    int expected;
};

// Singular and nearly singular systems: a pivot column whose largest magnitude is below the
// tolerance, or a last diagonal below it, gives 1; a 1 x 1 system checks only its entry.
TEST(BandSolver, SingularSystemsReportOne)
{
    const SingularCase cases[] = {
        {"1x1 below the tolerance", 1, 0, {1e-16}, 1},
        {"1x1 negative below the tolerance", 1, 0, {-5e-16}, 1},
        {"1x1 at the tolerance", 1, 0, {1e-15}, 0},
        {"1x1 zero", 1, 0, {0.0}, 1},
        {"zero first column", 3, 1, {0, 1, 0, 0, 2, 1, 0, 1, 3}, 1},
        {"zero middle column", 3, 1, {2, 0, 0, 1, 0, 1, 0, 0, 3}, 1},
        {"zero last diagonal after elimination", 2, 1, {1, 1, 1, 1}, 1},
        {"two equal rows", 4, 2, {4, 1, 0, 0, 1, 4, 1, 0, 1, 4, 1, 0, 0, 1, 4, 1}, 1},
        {"zero row", 4, 1, {4, 1, 0, 0, 0, 0, 0, 0, 0, 1, 4, 1, 0, 0, 1, 4}, 1},
    };
    for (const SingularCase& c : cases) {
        SCOPED_TRACE(c.name);
        DenseSystem A(c.N);
        A.a = c.dense;
        SMatrixRows<double> rows = toBand(A, c.h, c.h);
        std::vector<SolverIndex> pivots = pivotArray(c.N);
        EXPECT_EQ(SSMGLUBR(rows, c.N, c.h, c.h, pivots.data(), kTolerance), c.expected);
        // The factorisation stops before dividing by the small pivot.
        for (SolverIndex r = 0; r < c.N; ++r)
            for (SolverIndex k = 0; k < rows.width(); ++k)
                EXPECT_TRUE(std::isfinite(rows[r][k]));
        if (c.expected == 1 && c.N > 1) {
            std::vector<double> b(static_cast<std::size_t>(c.N), 1.0);
            EXPECT_GT(denseSolve(A, b), 0) << "the oracle should find the same system singular";
        }
    }
}

// A random band system made singular by repeating one row is refused, as the oracle refuses it.
TEST(BandSolver, RandomSystemWithRepeatedRowIsSingular)
{
    const SolverIndex N = 20, h = 3;
    DenseSystem A = randomBand(N, h, h, 8, false);
    // Row 9 repeats row 8; both stay within the band of half width 3.
    for (SolverIndex c = 0; c < N; ++c)
        A(9, c) = 0.0;
    for (SolverIndex c = 8 - h; c <= 8 + h; ++c)
        A(9, c) = A(8, c);
    std::vector<double> b(static_cast<std::size_t>(N), 1.0);
    EXPECT_GT(denseSolve(A, b), 0);
    SMatrixRows<double> rows = toBand(A, h + 1, h + 1);
    std::vector<SolverIndex> pivots = pivotArray(N);
    EXPECT_EQ(SSMGLUBR(rows, N, h + 1, h + 1, pivots.data(), kTolerance), 1);
}

// Rows narrower than the band plus its fill-in would be written past their end.
TEST(BandSolver, RowsTooNarrowAreRefusedUntouched)
{
    const SolverIndex N = 4, h = 1;
    const DenseSystem A = randomBand(N, h, h, 5, true);
    SMatrixRows<double> rows(N, 2 * h + h); // one slot short
    for (SolverIndex r = 0; r < N; ++r)
        for (SolverIndex c = std::max<SolverIndex>(0, r - h); c <= std::min(N - 1, r + h); ++c)
            rows[r][h + c - r] = A(r, c);
    const SMatrixRows<double> before = rows;
    std::vector<SolverIndex> pivots = pivotArray(N);
    EXPECT_EQ(SSMGLUBR(rows, N, h, h, pivots.data(), kTolerance), 1);
    for (SolverIndex r = 0; r < N; ++r)
        for (SolverIndex k = 0; k < rows.width(); ++k)
            EXPECT_EQ(rows[r][k], before[r][k]);
}

} // namespace

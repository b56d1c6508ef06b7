#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "solver/linear/IterativeSolvers.h"
#include "tst_linear_systems.h"

using namespace lineartest;

namespace {

struct Outcome {
    int result;
    SolverIndex iterations;
    double residual;
};

Outcome runCGS(const RowListSystem& s, const std::vector<double>& b, std::vector<double>& x,
               SolverIndex maxIterations, double tolerance)
{
    Outcome o{};
    o.result = SSMILUCGS(s.diagonal.data(), s.values, s.columns, b.data(), x.data(),
                         static_cast<SolverIndex>(b.size()), s.width, 0.0, maxIterations, tolerance,
                         o.iterations, o.residual);
    return o;
}

Outcome runPCG(RowListSystem& s, const std::vector<double>& b, std::vector<double>& x, double omega,
               SolverIndex maxIterations, double tolerance)
{
    Outcome o{};
    o.result = SSMPCG(s.diagonal.data(), s.values, s.columns, b.data(), x.data(),
                      static_cast<SolverIndex>(b.size()), s.width, omega, maxIterations, tolerance,
                      o.iterations, o.residual);
    return o;
}

// A non-symmetric, diagonally dominant five-point operator on an m x m grid (convection and
// diffusion), the kind of matrix a two-dimensional grid produces.
DenseSystem gridOperator(SolverIndex m)
{
    DenseSystem A(m * m);
    for (SolverIndex j = 0; j < m; ++j)
        for (SolverIndex i = 0; i < m; ++i) {
            const SolverIndex p = j * m + i;
            A(p, p) = 4.5;
            if (i > 0) A(p, p - 1) = -1.3;
            if (i + 1 < m) A(p, p + 1) = -0.7;
            if (j > 0) A(p, p - m) = -1.1;
            if (j + 1 < m) A(p, p + m) = -0.9;
        }
    return A;
}

struct CGSCase {
    const char* name;
    DenseSystem A;
    SolverIndex width;
    bool startFromRandom;
};

// Converges to the dense LU's solution on diagonally dominant systems, from a zero and from
// a random start vector.
TEST(IterativeSolver, SolvesDiagonallyDominantSystemsLikeDenseLU)
{
    const CGSCase cases[] = {
        {"random sparse 30", randomSparseDominant(30, 4, 21), 8, false},
        {"random sparse 200", randomSparseDominant(200, 6, 22), 12, false},
        {"random sparse 200 from a random start", randomSparseDominant(200, 6, 23), 12, true},
        {"grid operator 12 x 12", gridOperator(12), 6, false},
        {"banded with wide rows", randomBand(80, 4, 4, 24, true), 20, true},
    };
    std::uint64_t seed = 100;
    for (const CGSCase& c : cases) {
        SCOPED_TRACE(c.name);
        const RowListSystem s = toRowLists(c.A, c.width);
        const std::vector<double> b = randomVector(c.A.N, ++seed);
        std::vector<double> x = c.startFromRandom ? randomVector(c.A.N, ++seed)
                                                  : std::vector<double>(b.size(), 0.0);
        const Outcome o = runCGS(s, b, x, 10 * c.A.N, 1e-13);
        EXPECT_EQ(o.result, 0);
        EXPECT_GE(o.iterations, 1);
        EXPECT_LT(o.residual, 1e-13);
        std::vector<double> expected = b;
        ASSERT_EQ(denseSolve(c.A, expected), 0);
        EXPECT_LT(maxRelativeDifference(x, expected), 1e-9);
    }
}

// A start vector that already solves the system ends at once, with nothing changed.
TEST(IterativeSolver, ExactStartVectorReturnsWithoutIterating)
{
    // Small integers keep A x exact, so the starting residual is exactly 0.
    DenseSystem A(4);
    A.a = {4, -1, 0, 2, -1, 5, 1, 0, 0, 2, 6, -1, 1, 0, -2, 3};
    const std::vector<double> x0{1, -2, 3, 0.5};
    const std::vector<double> b = A.times(x0);
    std::vector<double> x = x0;
    const Outcome o = runCGS(toRowLists(A, 3), b, x, 40, 1e-10);
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.iterations, 0);
    EXPECT_EQ(o.residual, 0.0);
    EXPECT_EQ(x, x0);
}

// The iteration limit: a maximum of 1 performs one iteration and then gives up; a maximum
// below 1 performs none. Either way the last iterate stays in x.
TEST(IterativeSolver, IterationLimit)
{
    const DenseSystem A = randomSparseDominant(40, 5, 31);
    const RowListSystem s = toRowLists(A, 10);
    const std::vector<double> b = randomVector(40, 32);

    std::vector<double> x(40, 0.0);
    Outcome o = runCGS(s, b, x, 1, 1e-14);
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(o.iterations, 1);
    EXPECT_NE(x, std::vector<double>(40, 0.0));

    std::vector<double> untouched(40, 0.0);
    o = runCGS(s, b, untouched, 0, 1e-14);
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(o.iterations, 0);
    EXPECT_EQ(untouched, std::vector<double>(40, 0.0));

    // The same system converges when allowed enough iterations.
    std::vector<double> converged(40, 0.0);
    EXPECT_EQ(runCGS(s, b, converged, 400, 1e-14).result, 0);
}

// A breakdown (sigma = 0) must not pass as convergence when x is wrong: this regular system
// ends its second iteration with sigma exactly 0 and x far from the solution.
TEST(IterativeSolver, BreakdownWithWrongIterateIsNotConverged)
{
    DenseSystem A(3);
    A.a = {2, 0, -2, -3, -2, 1, -1, 2, 2};
    const std::vector<double> b{-1, 2, 1};
    std::vector<double> expected = b;
    ASSERT_EQ(denseSolve(A, expected), 0);

    std::vector<double> x(3, 0.0);
    const Outcome o = runCGS(toRowLists(A, 2), b, x, 30, 1e-6);
    EXPECT_EQ(o.result, 1);
    EXPECT_LT(o.residual, 1e-6) << "the sqrt|sigma| test is the one that stopped";
    EXPECT_GT(maxRelativeDifference(x, expected), 0.1);
}

// A breakdown with rho = (r, r~) exactly 0 while r is not 0: the next step length rho/sigma is
// 0, x stops moving, and the relative change of x would pass as convergence on a wrong x.
// Both systems reach it at the end of their first iteration.
TEST(IterativeSolvers, BreakdownWithRhoZeroIsNotConverged)
{
    struct Case {
        const char* name;
        bool symmetric;
        DenseSystem A;
        std::vector<double> b;
    };
    DenseSystem general(3), symmetric(3);
    general.a = {-2, -2, -2, 2, 1, -2, 1, 2, 3};
    symmetric.a = {1, -3, -1, -3, 1, 2, -1, 2, 1};
    const Case cases[] = {
        {"CGS", false, general, {-2, 1, 2}},
        {"PCG", true, symmetric, {1, -1, -2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<double> expected = c.b;
        ASSERT_EQ(denseSolve(c.A, expected), 0);
        std::vector<double> x(3, 0.0);
        RowListSystem s = toRowLists(c.A, 2, 4, c.symmetric);
        const Outcome o = c.symmetric ? runPCG(s, c.b, x, 0.0, 30, 1e-6)
                                      : runCGS(s, c.b, x, 30, 1e-6);
        EXPECT_EQ(o.result, 1);
        EXPECT_GT(maxRelativeDifference(x, expected), 0.1);
    }
}

struct FailureCase {
    const char* name;
    DenseSystem A;
    std::vector<double> b;
};

DenseSystem fromRows(SolverIndex N, std::vector<double> dense)
{
    DenseSystem A(N);
    A.a = std::move(dense);
    return A;
}

// Singular systems without a solution, and non-finite input, give 1 (not converged) and never
// a claimed solution.
TEST(IterativeSolver, SingularOrNonFiniteSystemsAreNotConverged)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    DenseSystem repeated = randomSparseDominant(30, 4, 41);
    for (SolverIndex c = 0; c < 30; ++c)
        repeated(17, c) = repeated(16, c);
    std::vector<double> inconsistent = randomVector(30, 42);
    inconsistent[17] = inconsistent[16] + 1.0;

    const FailureCase cases[] = {
        {"singular 3 x 3", fromRows(3, {3, 3, 3, -1, 2, -1, 0, 2, 0}), {3, 1, -2}},
        {"repeated row, inconsistent right-hand side", repeated, inconsistent},
        {"NaN in the right-hand side", fromRows(2, {4, 1, 1, 3}), {1, nan}},
        {"infinite diagonal", fromRows(2, {inf, 1, 1, 3}), {1, 2}},
        {"NaN off the diagonal", fromRows(2, {4, nan, 1, 3}), {1, 2}},
        // diverges first, then its iterate hardly moves: the relative-change test alone would
        // take it for converged
        {"singular 2 x 2 plane grid", fromRows(4, {2, 2, -3, 0, -1, 1, 0, -1, -1, 0, -3, 1, 0, -3, 1, 2}),
         {-1, -1, 3, -2}},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<double> check = c.b;
        std::vector<double> x(c.b.size(), 0.0);
        const Outcome o = runCGS(toRowLists(c.A, c.A.N), c.b, x, 10 * c.A.N, 1e-12);
        EXPECT_EQ(o.result, 1);
    }
}

// A regular five-point operator on a 3 x 3 grid that is not an M-matrix: D-ILU preconditioned
// CGS diverges on it (the true residual grows from 9 to 1e9 within 72 iterations) while neither
// stopping test fires, so without a guard it runs to any maximum. It must end as soon as its
// preconditioned residual has grown past 1e8 times the start. A solve whose residual grows by
// more than 1e4 on its way still converges.
DenseSystem divergingPlaneGrid()
{
    return fromRows(9, {3, -2, 0, 1, 0, 0, 0, 0, 0,   2, -2, -2, 0, 1, 0, 0, 0, 0,
                        0, 1, 3, 0, 0, 3, 0, 0, 0,    3, 0, 0, 2, 2, 0, -2, 0, 0,
                        0, -3, 0, -2, 4, 3, 0, -1, 0, 0, 0, -1, 0, -2, 4, 0, 0, -1,
                        0, 0, 0, -3, 0, 0, -3, 1, 0,  0, 0, 0, 0, 3, 0, 2, -1, 0,
                        0, 0, 0, 0, 0, -1, 0, 1, -1});
}

TEST(IterativeSolver, DivergenceEndsTheSolveAndTransientGrowthDoesNot)
{
    {
        SCOPED_TRACE("diverging");
        const DenseSystem A = divergingPlaneGrid();
        const std::vector<double> b{-1, -1, -2, 3, -3, 2, -1, 1, 2};
        std::vector<double> expected = b;
        ASSERT_EQ(denseSolve(A, expected), 0);
        std::vector<double> x(9, 0.0);
        const Outcome o = runCGS(toRowLists(A, 4), b, x, 1000000, 1e-12);
        EXPECT_EQ(o.result, 1);
        EXPECT_LE(o.iterations, 100);
    }
    {
        SCOPED_TRACE("transient growth");
        const DenseSystem A = fromRows(4, {1, 2, 2, 0, 2, 4, 0, 3, 3, 0, -3, -1, 0, 1, 1, 1});
        const std::vector<double> b{3, 3, -2, -1};
        std::vector<double> expected = b;
        ASSERT_EQ(denseSolve(A, expected), 0);
        std::vector<double> x(4, 0.0);
        const Outcome o = runCGS(toRowLists(A, 4), b, x, 40, 1e-12);
        EXPECT_EQ(o.result, 0);
        EXPECT_GT(o.iterations, 2);
        EXPECT_LT(maxRelativeDifference(x, expected), 1e-9);
    }
}

// A row's scan stops at its first empty slot: anything after it is left over, not part of
// the matrix. Column numbers outside the system are refused rather than followed.
TEST(IterativeSolver, RowListsEndAtFirstEmptySlotAndBadColumnsAreRefused)
{
    const DenseSystem A = randomSparseDominant(20, 3, 51);
    RowListSystem s = toRowLists(A, 8);
    for (SolverIndex r = 0; r < 20; ++r) {
        s.values[r][7] = 100.0; // stale entry behind an empty slot
        s.columns[r][7] = (r + 5) % 20 + 1;
        ASSERT_EQ(s.columns[r][6], 0);
    }
    const std::vector<double> b = randomVector(20, 52);
    std::vector<double> x(20, 0.0);
    ASSERT_EQ(runCGS(s, b, x, 200, 1e-13).result, 0);
    std::vector<double> expected = b;
    ASSERT_EQ(denseSolve(A, expected), 0);
    EXPECT_LT(maxRelativeDifference(x, expected), 1e-9);

    RowListSystem bad = toRowLists(A, 8);
    bad.values[3][0] = 1.0;
    bad.columns[3][0] = 21;
    std::vector<double> y(20, 0.0);
    EXPECT_EQ(runCGS(bad, b, y, 200, 1e-13).result, 1);
}

// A symmetric positive definite matrix with random sparse off-diagonal entries.
DenseSystem randomSymmetricPositive(SolverIndex N, SolverIndex perRow, std::uint64_t seed)
{
    DenseSystem A = randomSparseDominant(N, perRow, seed);
    for (SolverIndex r = 0; r < N; ++r)
        for (SolverIndex c = 0; c < r; ++c) {
            const double v = A(r, c) != 0.0 ? A(r, c) : A(c, r);
            A(r, c) = v;
            A(c, r) = v;
        }
    for (SolverIndex r = 0; r < N; ++r) {
        double rowSum = 0.0;
        for (SolverIndex c = 0; c < N; ++c)
            if (c != r)
                rowSum += std::fabs(A(r, c));
        A(r, r) = rowSum + 1.0;
    }
    return A;
}

// The symmetric solver with each of its preconditioners, from lower-only and from full row
// lists (it reads only the lower part), agrees with the dense LU. A second call on the same
// rows must rebuild the mirrored part rather than reuse the previous one.
TEST(SymmetricSolver, SolvesSymmetricPositiveSystemsLikeDenseLU)
{
    const double omegas[] = {0.0, 0.5, 1.0, 1.5};
    const DenseSystem first = randomSymmetricPositive(60, 3, 61);
    const DenseSystem second = randomSymmetricPositive(60, 3, 62);
    const std::vector<double> b = randomVector(60, 63);
    std::vector<double> expectedFirst = b, expectedSecond = b;
    ASSERT_EQ(denseSolve(first, expectedFirst), 0);
    ASSERT_EQ(denseSolve(second, expectedSecond), 0);

    for (double omega : omegas) {
        for (bool lowerOnly : {true, false}) {
            SCOPED_TRACE(testing::Message() << "omega " << omega << (lowerOnly ? " lower" : " full"));
            RowListSystem s = toRowLists(first, 16, 32, lowerOnly);
            std::vector<double> x(60, 0.0);
            Outcome o = runPCG(s, b, x, omega, 600, 1e-13);
            EXPECT_EQ(o.result, 0);
            EXPECT_LT(maxRelativeDifference(x, expectedFirst), 1e-9);

            // Same storage, other values and pattern in the stored part.
            const RowListSystem next = toRowLists(second, 16, 32, lowerOnly);
            for (SolverIndex r = 0; r < 60; ++r) {
                s.diagonal[static_cast<std::size_t>(r)] = next.diagonal[static_cast<std::size_t>(r)];
                for (SolverIndex k = 0; k < 16; ++k) {
                    s.values[r][k] = next.values[r][k];
                    s.columns[r][k] = next.columns[r][k];
                }
            }
            std::vector<double> y(60, 0.0);
            o = runPCG(s, b, y, omega, 600, 1e-13);
            EXPECT_EQ(o.result, 0);
            EXPECT_LT(maxRelativeDifference(y, expectedSecond), 1e-9);
        }
    }
}

// On a tridiagonal matrix the incomplete factorisations drop nothing, so the preconditioner is
// the exact inverse and both solvers finish within two iterations (the second only sees
// sigma = 0). A wrong preconditioner diagonal still converges, but slowly.
TEST(IterativeSolvers, PreconditionerIsExactOnTridiagonalMatrices)
{
    DenseSystem A = randomBand(50, 1, 1, 81, true);
    const std::vector<double> b = randomVector(50, 82);
    std::vector<double> expected = b;
    ASSERT_EQ(denseSolve(A, expected), 0);

    std::vector<double> x(50, 0.0);
    const Outcome cgs = runCGS(toRowLists(A, 2), b, x, 500, 1e-12);
    EXPECT_EQ(cgs.result, 0);
    EXPECT_LE(cgs.iterations, 2);
    EXPECT_LT(maxRelativeDifference(x, expected), 1e-12);

    for (SolverIndex r = 0; r + 1 < 50; ++r)
        A(r, r + 1) = A(r + 1, r);
    std::vector<double> symmetric = b;
    ASSERT_EQ(denseSolve(A, symmetric), 0);
    for (double omega : {0.0, 0.5, 1.0}) {
        SCOPED_TRACE(testing::Message() << "omega " << omega);
        RowListSystem s = toRowLists(A, 2, 4);
        std::vector<double> y(50, 0.0);
        const Outcome pcg = runPCG(s, b, y, omega, 500, 1e-12);
        EXPECT_EQ(pcg.result, 0);
        EXPECT_LE(pcg.iterations, 2);
        EXPECT_LT(maxRelativeDifference(y, symmetric), 1e-12);
    }
}

// Rows without room for the mirrored upper part are refused before anything is written past
// them.
TEST(SymmetricSolver, RowsWithoutRoomForTheMirroredPartAreRefused)
{
    const DenseSystem A = randomSymmetricPositive(10, 2, 71);
    const std::vector<double> b = randomVector(10, 72);

    RowListSystem narrow = toRowLists(A, 6, 6, true); // needs 12 slots
    std::vector<double> x(10, 0.0);
    EXPECT_EQ(runPCG(narrow, b, x, 0.0, 100, 1e-12).result, 1);

    // Column 1 has entries in four lower rows but only one slot for their mirrors in row 1.
    DenseSystem star(5);
    for (SolverIndex r = 0; r < 5; ++r)
        star(r, r) = 5.0;
    for (SolverIndex r = 1; r < 5; ++r) {
        star(r, 0) = 1.0;
        star(0, r) = 1.0;
    }
    RowListSystem crowded = toRowLists(star, 1, 2, true);
    std::vector<double> y(5, 0.0);
    EXPECT_EQ(runPCG(crowded, std::vector<double>(5, 1.0), y, 0.0, 100, 1e-12).result, 1);
}

} // namespace

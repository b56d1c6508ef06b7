#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "solver/linear/RLargeBlockMemory.h"
#include "solver/linear/RSparseDirectSolver.h"
#include "tst_linear_systems.h"

using namespace lineartest;

namespace {

// Calls the solver the way the Newton iteration does: list, right-hand side, solution and the
// two work-area sizes of the calling convention.
int solve(RSparseDirectSolver& solver, SolverIndex N, const NonZeroList& list,
          const std::vector<double>& b, std::vector<double>& x)
{
    x.assign(static_cast<std::size_t>(N), 0.0);
    const SolverIndex nz = list.count();
    const SolverIndex work1 = 20 * (nz + 2 * N);
    const SolverIndex work2 = 20 * (4 * nz + 17 * N);
    int status = -1;
    solver.QX_Sparse(N, nz, list.values.data(), list.rows.data(), list.columns.data(), b.data(),
                     x.data(), work1, work2, status);
    return status;
}

// A one-dimensional grid of `points` points with `n` variables each: every point couples to
// itself and its two neighbours, the Jacobian pattern of a three-point stencil.
DenseSystem blockTridiagonal(SolverIndex points, SolverIndex n, std::uint64_t seed, bool dominant)
{
    return randomBand(points * n, 2 * n - 1, 2 * n - 1, seed, dominant);
}

struct SystemCase {
    const char* name;
    DenseSystem A;
};

// Every case runs on both LU codes behind the call contract.
class SparseDirectSolver : public testing::TestWithParam<SparseLU> {};

INSTANTIATE_TEST_SUITE_P(, SparseDirectSolver, testing::Values(SparseLU::Klu, SparseLU::Umfpack),
                         [](const testing::TestParamInfo<SparseLU>& info) {
                             return info.param == SparseLU::Klu ? "Klu" : "Umfpack";
                         });

// Agrees with the dense LU on regular systems, with and without the need to pivot.
TEST_P(SparseDirectSolver, SolvesLikeDenseLU)
{
    const SystemCase cases[] = {
        {"1 x 1", fromValue(-2.5)},
        {"random sparse dominant 50", randomSparseDominant(50, 4, 201)},
        {"band needing row interchanges", randomBand(60, 5, 5, 202, false)},
        {"block tridiagonal, 3 variables", blockTridiagonal(40, 3, 203, false)},
        {"dense 8 x 8", randomBand(8, 7, 7, 204, false)},
        // a plane 3 x 3 grid operator that is not an M-matrix (CGS diverges on it)
        {"plane grid 3 x 3", [] {
             DenseSystem A(9);
             A.a = {3, -2, 0, 1, 0, 0, 0, 0, 0,   2, -2, -2, 0, 1, 0, 0, 0, 0,
                    0, 1, 3, 0, 0, 3, 0, 0, 0,    3, 0, 0, 2, 2, 0, -2, 0, 0,
                    0, -3, 0, -2, 4, 3, 0, -1, 0, 0, 0, -1, 0, -2, 4, 0, 0, -1,
                    0, 0, 0, -3, 0, 0, -3, 1, 0,  0, 0, 0, 0, 3, 0, 2, -1, 0,
                    0, 0, 0, 0, 0, -1, 0, 1, -1};
             return A;
         }()},
    };
    std::uint64_t seed = 300;
    for (const SystemCase& c : cases) {
        SCOPED_TRACE(c.name);
        RSparseDirectSolver solver(GetParam());
        const std::vector<double> b = randomVector(c.A.N, ++seed);
        std::vector<double> expected = b;
        ASSERT_EQ(denseSolve(c.A, expected), 0);
        std::vector<double> x;
        ASSERT_EQ(solve(solver, c.A.N, toList(c.A), b, x), kSparseSolved);
        EXPECT_LT(maxRelativeDifference(x, expected), 1e-9);
    }
}

// The analysis of a pattern is kept while later calls list the same positions in the same
// order; any change of the pattern is analysed afresh, and each call solves its own system.
TEST_P(SparseDirectSolver, KeepsTheAnalysisWhileThePatternIsUnchanged)
{
    RSparseDirectSolver solver(GetParam());
    const SolverIndex N = 45;
    std::uint64_t seed = 400;
    auto check = [&](const DenseSystem& A, const NonZeroList& list) {
        const std::vector<double> b = randomVector(N, ++seed);
        std::vector<double> expected = b;
        ASSERT_EQ(denseSolve(A, expected), 0);
        std::vector<double> x;
        ASSERT_EQ(solve(solver, N, list, b, x), kSparseSolved);
        EXPECT_LT(maxRelativeDifference(x, expected), 1e-9);
    };

    // Newton-like sequence: same pattern, values that drift.
    DenseSystem A = blockTridiagonal(15, 3, 401, true);
    for (int iteration = 0; iteration < 4; ++iteration) {
        for (double& v : A.a)
            if (v != 0.0)
                v *= 1.0 + 0.05 * iteration;
        check(A, toList(A));
    }
    EXPECT_EQ(solver.analysisCount(), 1);
    // KLU reuses its first pivot order while it fits; UMFPACK chooses pivots every time.
    EXPECT_EQ(solver.fullFactorisationCount(), GetParam() == SparseLU::Klu ? 1 : 4);

    // One more non-zero: a new pattern.
    DenseSystem B = A;
    B(0, N - 1) = 0.25;
    check(B, toList(B));
    EXPECT_EQ(solver.analysisCount(), 2);

    // The same positions listed in another order are another pattern for KLU; UMFPACK finds
    // them within the analysed positions.
    NonZeroList reversed = toList(A);
    std::reverse(reversed.values.begin(), reversed.values.end());
    std::reverse(reversed.rows.begin(), reversed.rows.end());
    std::reverse(reversed.columns.begin(), reversed.columns.end());
    const SolverIndex analyses = GetParam() == SparseLU::Klu ? 3 : 2;
    check(A, reversed);
    EXPECT_EQ(solver.analysisCount(), analyses);
    check(A, reversed);
    EXPECT_EQ(solver.analysisCount(), analyses);
}

// UMFPACK keeps its analysis while a list stays within the analysed positions, as a plane
// mesh's Jacobian does when some difference quotients drop out in one Newton iteration and not
// in another; a list that leaves them is analysed together with the previous pattern, so that
// the two do not alternate analyses.
TEST(SparseDirectSolverUmfpack, KeepsTheAnalysisForListsWithinTheAnalysedPattern)
{
    RSparseDirectSolver solver(SparseLU::Umfpack);
    const SolverIndex N = 30;
    std::uint64_t seed = 700;
    auto check = [&](const DenseSystem& A) {
        const std::vector<double> b = randomVector(N, ++seed);
        std::vector<double> expected = b;
        ASSERT_EQ(denseSolve(A, expected), 0);
        std::vector<double> x;
        ASSERT_EQ(solve(solver, N, toList(A), b, x), kSparseSolved);
        EXPECT_LT(maxRelativeDifference(x, expected), 1e-9);
    };
    const DenseSystem full = blockTridiagonal(10, 3, 701, true);
    DenseSystem fewer = full; // two off-diagonal entries dropped
    fewer(4, 5) = 0.0;
    fewer(20, 18) = 0.0;
    DenseSystem extra = fewer; // and one position the first pattern lacks
    extra(0, N - 1) = 0.5;

    check(full);
    check(fewer);
    check(full);
    EXPECT_EQ(solver.analysisCount(), 1);
    check(extra);
    EXPECT_EQ(solver.analysisCount(), 2);
    check(full);
    check(fewer);
    check(extra);
    EXPECT_EQ(solver.analysisCount(), 2);

    // A list within the pattern that names a position twice is still refused, and the next
    // list is solved.
    NonZeroList twice = toList(fewer);
    twice.rows.push_back(twice.rows[3]);
    twice.columns.push_back(twice.columns[3]);
    twice.values.push_back(1.0);
    std::vector<double> x;
    EXPECT_EQ(solve(solver, N, twice, randomVector(N, 750), x), kSparseInvalidList);
    check(fewer);
}

// Values that make the previous pivot order unusable (a tiny or zero pivot where a large one
// was before) are factorised with fresh pivots instead of giving a wrong solution.
TEST_P(SparseDirectSolver, ChoosesFreshPivotsWhenThePreviousOrderTurnsBad)
{
    RSparseDirectSolver solver(GetParam());
    const double diagonals[] = {4.0, 1e-14, 0.0, 4.0};
    for (double d : diagonals) {
        SCOPED_TRACE(testing::Message() << "diagonal " << d);
        // A chain whose diagonal entries are all d: regular for every d, but with d small
        // every diagonal pivot is unusable.
        DenseSystem A(4);
        for (SolverIndex r = 0; r < 4; ++r) {
            A(r, r) = d;
            if (r + 1 < 4) {
                A(r, r + 1) = 1.0;
                A(r + 1, r) = 1.0;
            }
        }
        NonZeroList list;
        for (SolverIndex c = 0; c < 4; ++c)
            for (SolverIndex r = std::max<SolverIndex>(0, c - 1); r <= std::min<SolverIndex>(3, c + 1); ++r) {
                list.values.push_back(A(r, c));
                list.rows.push_back(r + 1);
                list.columns.push_back(c + 1);
            }
        const std::vector<double> b{1.0, -1.0, 2.0, 0.5};
        std::vector<double> expected = b;
        ASSERT_EQ(denseSolve(A, expected), 0);
        std::vector<double> x;
        ASSERT_EQ(solve(solver, 4, list, b, x), kSparseSolved);
        EXPECT_LT(maxRelativeDifference(x, expected), 1e-12);
    }
    EXPECT_EQ(solver.analysisCount(), 1);
    EXPECT_GE(solver.fullFactorisationCount(), 2) << "the tiny pivot must have been replaced";
}

// Rows of very different magnitude (equations in different units) are regular, not
// singular: the singularity test must look at pivots of scaled rows.
TEST_P(SparseDirectSolver, BadlyScaledRowsAreSolvedNotSingular)
{
    DenseSystem A = blockTridiagonal(10, 3, 451, false);
    for (SolverIndex r = 0; r < A.N; ++r) {
        const double scale = r % 3 == 0 ? 1e-20 : (r % 3 == 1 ? 1e20 : 1.0);
        for (SolverIndex c = 0; c < A.N; ++c)
            A(r, c) *= scale;
    }
    std::vector<double> b = randomVector(A.N, 452);
    for (SolverIndex r = 0; r < A.N; r += 3)
        b[static_cast<std::size_t>(r)] *= 1e-20;
    std::vector<double> expected = b;
    ASSERT_EQ(denseSolve(A, expected), 0);
    RSparseDirectSolver solver(GetParam());
    std::vector<double> x;
    ASSERT_EQ(solve(solver, A.N, toList(A), b, x), kSparseSolved);
    EXPECT_LT(maxRelativeDifference(x, expected), 1e-9);
}

struct SingularCase {
    const char* name;
    DenseSystem A;
};

// Singular systems report status 1; the same solver then goes on to solve a regular system.
TEST_P(SparseDirectSolver, SingularSystemsReportStatusOne)
{
    DenseSystem zeroRow = randomSparseDominant(12, 3, 501);
    for (SolverIndex c = 0; c < 12; ++c)
        zeroRow(5, c) = 0.0;
    DenseSystem zeroColumn = randomSparseDominant(12, 3, 502);
    for (SolverIndex r = 0; r < 12; ++r)
        zeroColumn(r, 7) = 0.0;
    DenseSystem repeatedRow = blockTridiagonal(6, 3, 503, false);
    for (SolverIndex c = 0; c < 18; ++c)
        repeatedRow(9, c) = repeatedRow(8, c);
    DenseSystem nearlyDependent(3);
    nearlyDependent.a = {1, 2, 3, 2, 4, 6 * (1 + 1e-17), 1, 0, 1};

    const SingularCase cases[] = {
        {"zero row", zeroRow},
        {"zero column", zeroColumn},
        {"repeated row", repeatedRow},
        {"rows dependent to rounding", nearlyDependent},
        {"all zero", DenseSystem(4)},
    };
    for (const SingularCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<double> b(static_cast<std::size_t>(c.A.N), 1.0);
        EXPECT_TRUE(denseSingular(c.A)) << "the oracle should find the system singular";

        RSparseDirectSolver solver(GetParam());
        std::vector<double> x;
        EXPECT_EQ(solve(solver, c.A.N, toList(c.A), b, x), kSparseSingular);
        // The unknown of the vanishing pivot: the empty column's own.
        EXPECT_GE(solver.weakestUnknown(), c.A.N == 4 ? -1 : 0);
        EXPECT_LT(solver.weakestUnknown(), c.A.N);
        if (std::string(c.name) == "zero column") {
            EXPECT_EQ(solver.weakestUnknown(), 7);
        }

        const DenseSystem regular = randomSparseDominant(c.A.N, 3, 504);
        std::vector<double> expected = b;
        ASSERT_EQ(denseSolve(regular, expected), 0);
        ASSERT_EQ(solve(solver, c.A.N, toList(regular), b, x), kSparseSolved);
        EXPECT_LT(maxRelativeDifference(x, expected), 1e-9);
    }
}

// The kept factors solve the same system and its transpose for other right-hand sides, also
// when the rows differ in scale by many orders.
TEST_P(SparseDirectSolver, SolvesAgainAndTransposedWithTheKeptFactors)
{
    DenseSystem A = blockTridiagonal(10, 3, 701, false);
    for (SolverIndex c = 0; c < A.N; ++c) {
        A(4, c) *= 1e9;
        A(11, c) *= 1e-7;
    }
    DenseSystem transposed(A.N);
    for (SolverIndex r = 0; r < A.N; ++r)
        for (SolverIndex c = 0; c < A.N; ++c)
            transposed(c, r) = A(r, c);

    RSparseDirectSolver solver(GetParam());
    std::vector<double> x, again(static_cast<std::size_t>(A.N));
    EXPECT_FALSE(solver.solveAgain(false, randomVector(A.N, 1).data(), again.data()));
    ASSERT_EQ(solve(solver, A.N, toList(A), randomVector(A.N, 702), x), kSparseSolved);
    EXPECT_GT(solver.pivotSpread(), 0);
    for (const bool t : {false, true}) {
        SCOPED_TRACE(t ? "transposed" : "as listed");
        const std::vector<double> b = randomVector(A.N, t ? 703 : 704);
        std::vector<double> expected = b;
        ASSERT_EQ(denseSolve(t ? transposed : A, expected), 0);
        ASSERT_TRUE(solver.solveAgain(t, b.data(), again.data()));
        EXPECT_LT(maxRelativeDifference(again, expected), 1e-9);
    }
}

// A list that does not describe an N x N system is refused before it is used, and the
// solver stays usable.
TEST_P(SparseDirectSolver, MalformedListsAreRefused)
{
    DenseSystem A(3);
    A.a = {4, 1, 0, 1, 4, 1, 0, 1, 4};
    const NonZeroList good = toList(A);
    NonZeroList rowZero = good, columnTooLarge = good, duplicate = good;
    rowZero.rows[2] = 0;
    columnTooLarge.columns[4] = 4;
    duplicate.rows.push_back(good.rows[0]);
    duplicate.columns.push_back(good.columns[0]);
    duplicate.values.push_back(1.0);

    RSparseDirectSolver solver(GetParam());
    const std::vector<double> b{1, 2, 3};
    std::vector<double> x;
    EXPECT_EQ(solve(solver, 3, rowZero, b, x), kSparseInvalidList);
    EXPECT_EQ(solve(solver, 3, columnTooLarge, b, x), kSparseInvalidList);
    EXPECT_EQ(solve(solver, 3, duplicate, b, x), kSparseInvalidList);
    EXPECT_EQ(solve(solver, 0, good, b, x), kSparseInvalidList);
    int status = -1;
    const SolverIndex N = 3, negative = -1, work = 0;
    solver.QX_Sparse(N, negative, good.values.data(), good.rows.data(), good.columns.data(), b.data(),
                     x.data(), work, work, status);
    EXPECT_EQ(status, kSparseInvalidList);

    std::vector<double> expected = b;
    ASSERT_EQ(denseSolve(A, expected), 0);
    ASSERT_EQ(solve(solver, 3, good, b, x), kSparseSolved);
    EXPECT_LT(maxRelativeDifference(x, expected), 1e-12);
}

// The right-hand side is read, not changed, and may also be the solution array.
TEST_P(SparseDirectSolver, RightHandSideMayBeTheSolutionArray)
{
    const DenseSystem A = randomSparseDominant(20, 3, 601);
    const NonZeroList list = toList(A);
    const std::vector<double> b = randomVector(20, 602);
    std::vector<double> expected = b;
    ASSERT_EQ(denseSolve(A, expected), 0);

    RSparseDirectSolver solver(GetParam());
    std::vector<double> inPlace = b;
    int status = -1;
    const SolverIndex N = 20, nz = list.count(), work = 0;
    solver.QX_Sparse(N, nz, list.values.data(), list.rows.data(), list.columns.data(), inPlace.data(),
                     inPlace.data(), work, work, status);
    ASSERT_EQ(status, kSparseSolved);
    EXPECT_LT(maxRelativeDifference(inPlace, expected), 1e-9);

    std::vector<double> rhs = b, x(20, 0.0);
    solver.QX_Sparse(N, nz, list.values.data(), list.rows.data(), list.columns.data(), rhs.data(),
                     x.data(), work, work, status);
    ASSERT_EQ(status, kSparseSolved);
    EXPECT_EQ(rhs, b);
    EXPECT_LT(maxRelativeDifference(x, expected), 1e-9);
}

} // namespace

// A list given again with the values it was factorised with (after each row is divided by its
// largest entry) is solved with the factors held; any other value, or a failed factorisation in
// between, factorises again. Every solution is bit for bit that of a solver that factorises in
// every call. KLU holds on only to refactorised factors, as those are what its next call makes.
TEST_P(SparseDirectSolver, SolvesWithTheHeldFactorsOnlyWhenTheListRepeats)
{
    const bool klu = GetParam() == SparseLU::Klu;
    const DenseSystem A = blockTridiagonal(8, 2, 801, false);
    DenseSystem nudged = A; // one entry one unit in the last place larger
    nudged(3, 4) = std::nextafter(nudged(3, 4), 10.0);
    DenseSystem rowDoubled = nudged; // the same rows after scaling
    for (SolverIndex c = 0; c < A.N; ++c)
        rowDoubled(6, c) *= 2.0;
    NonZeroList singular = toList(A); // same positions, row 6 all zero
    for (SolverIndex t = 0; t < singular.count(); ++t)
        if (singular.rows[static_cast<std::size_t>(t)] == 7)
            singular.values[static_cast<std::size_t>(t)] = 0.0;

    const struct {
        const char* name;
        const DenseSystem* A;
        bool reused;
    } calls[] = {
        {"first", &A, false},
        {"repeated", &A, !klu},
        {"repeated again", &A, true},
        {"one entry nudged", &nudged, false},
        {"a row doubled", &rowDoubled, true},
        {"singular in between", nullptr, false},
        {"after the failure", &rowDoubled, false},
    };
    RSparseDirectSolver solver(GetParam()), everyTime(GetParam());
    everyTime.setFactorisationReuse(false);
    std::uint64_t seed = 810;
    for (const auto& call : calls) {
        SCOPED_TRACE(call.name);
        const std::vector<double> b = randomVector(A.N, ++seed);
        std::vector<double> x, y;
        const SolverIndex before = solver.reusedFactorisationCount();
        if (!call.A) {
            EXPECT_EQ(solve(solver, A.N, singular, b, x), kSparseSingular);
            EXPECT_EQ(solve(everyTime, A.N, singular, b, y), kSparseSingular);
            continue;
        }
        ASSERT_EQ(solve(solver, A.N, toList(*call.A), b, x), kSparseSolved);
        ASSERT_EQ(solve(everyTime, A.N, toList(*call.A), b, y), kSparseSolved);
        EXPECT_EQ(solver.reusedFactorisationCount() - before, call.reused ? 1 : 0);
        EXPECT_EQ(x, y);
        std::vector<double> expected = b;
        ASSERT_EQ(denseSolve(*call.A, expected), 0);
        EXPECT_LT(maxRelativeDifference(x, expected), 1e-9);
    }
    EXPECT_EQ(everyTime.reusedFactorisationCount(), 0);
    EXPECT_EQ(solver.factorisationCount() + solver.reusedFactorisationCount(),
              everyTime.factorisationCount());
}

// The large blocks the LU library frees are kept for its next factorisation instead of being
// given back and zeroed afresh; what it computes in kept memory is, to the last bit, what it
// computes in fresh memory.
TEST(SparseDirectSolverUmfpack, FactorisesInKeptMemoryAsInFreshMemory)
{
    const SolverIndex side = 300, N = side * side;
    // A five-point operator on a square grid, made unsymmetric by `skew`.
    auto grid = [&](double skew) {
        NonZeroList list;
        auto add = [&](SolverIndex r, SolverIndex c, double v) {
            list.rows.push_back(r + 1);
            list.columns.push_back(c + 1);
            list.values.push_back(v);
        };
        for (SolverIndex i = 0; i < side; ++i)
            for (SolverIndex j = 0; j < side; ++j) {
                const SolverIndex p = i * side + j;
                add(p, p, 4.0 + 0.001 * static_cast<double>(p % 7));
                if (i > 0)
                    add(p, p - side, -1.0 - skew);
                if (i + 1 < side)
                    add(p, p + side, -1.0 + skew);
                if (j > 0)
                    add(p, p - 1, -1.0 + 0.5 * skew);
                if (j + 1 < side)
                    add(p, p + 1, -1.0 - 0.5 * skew);
            }
        return list;
    };
    const std::vector<double> b = randomVector(N, 801);
    std::vector<double> fresh, other, kept;
    releaseKeptBlocks();
    {
        RSparseDirectSolver first(SparseLU::Umfpack);
        ASSERT_EQ(solve(first, N, grid(0.0), b, fresh), kSparseSolved);
    }
    EXPECT_EQ(keptBlockBytes(), 0u); // a solver gives back what is kept when it is done

    RSparseDirectSolver solver(SparseLU::Umfpack);
    ASSERT_EQ(solve(solver, N, grid(0.3), b, other), kSparseSolved);
    const std::size_t reused = keptBlockReuseCount();
    ASSERT_EQ(solve(solver, N, grid(0.0), b, kept), kSparseSolved);
    EXPECT_GT(keptBlockReuseCount(), reused);
    ASSERT_EQ(kept.size(), fresh.size());
    EXPECT_EQ(std::memcmp(kept.data(), fresh.data(), kept.size() * sizeof(double)), 0);
}

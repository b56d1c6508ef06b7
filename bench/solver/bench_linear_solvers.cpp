// One linear solve of a one-dimensional grid with 3 variables per point (a block-tridiagonal
// Jacobian, as a three-point stencil gives it) at about 1e3, 1e4 and 1e5 unknowns: the sparse
// direct solver behind the external solver's call contract against the band solver with the
// half bandwidths of band methods 5 and 3. Each timed solve is a factorisation of freshly
// assembled values plus one solve; restoring the band rows before it is not timed.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>
#include <vector>

#include "solver/linear/BandSolver.h"
#include "solver/linear/RSparseDirectSolver.h"
#include "solver/linear/SSolverMatrix.h"

namespace {

constexpr SolverIndex kVariables = 3;

struct Entry {
    SolverIndex row;
    SolverIndex column;
    double value;
};

// Entries in the order an assembly of point p, stencil point q, variable j, equation i
// produces them; diagonally weighted but not dominant, so that elimination still pivots.
std::vector<Entry> blockTridiagonal(SolverIndex points)
{
    std::mt19937_64 random(12345);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    std::vector<Entry> entries;
    for (SolverIndex p = 0; p < points; ++p)
        for (SolverIndex q = std::max<SolverIndex>(0, p - 1); q <= std::min(points - 1, p + 1); ++q)
            for (SolverIndex j = 0; j < kVariables; ++j)
                for (SolverIndex i = 0; i < kVariables; ++i) {
                    const SolverIndex row = p * kVariables + i;
                    const SolverIndex column = q * kVariables + j;
                    const double value = row == column ? 4.0 + uniform(random) : uniform(random);
                    entries.push_back({row, column, value});
                }
    return entries;
}

std::vector<double> rightHandSide(SolverIndex N)
{
    std::vector<double> b(static_cast<std::size_t>(N));
    for (SolverIndex i = 0; i < N; ++i)
        b[static_cast<std::size_t>(i)] = std::sin(0.001 * static_cast<double>(i)) + 0.5;
    return b;
}

void setCounters(benchmark::State& state, SolverIndex N)
{
    state.counters["unknowns"] = static_cast<double>(N);
}

void bandSolve(benchmark::State& state, SolverIndex halfBandwidth)
{
    const SolverIndex points = state.range(0) / kVariables;
    const SolverIndex N = points * kVariables;
    const SolverIndex h = halfBandwidth;
    SMatrixRows<double> assembled(N, 3 * h + 1);
    for (const Entry& e : blockTridiagonal(points))
        assembled[e.row][h + e.column - e.row] = e.value;
    SMatrixRows<double> rows = assembled;
    std::vector<SolverIndex> pivots(static_cast<std::size_t>(N));
    const std::vector<double> b = rightHandSide(N);
    std::vector<double> x = b;
    for (auto _ : state) {
        rows = assembled; // same storage, no allocation
        x = b;
        const auto start = std::chrono::steady_clock::now();
        if (SSMGLUBR(rows, N, h, h, pivots.data(), 1e-15) != 0)
            state.SkipWithError("singular");
        SSMGSBR(rows, x.data(), N, h, h, pivots.data());
        const auto stop = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(x.data());
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
    }
    setCounters(state, N);
}

void BM_BandMethod5(benchmark::State& state)
{
    bandSolve(state, 3 * kVariables - 1);
}

void BM_BandMethod3(benchmark::State& state)
{
    bandSolve(state, 2 * kVariables - 1);
}

struct SparseList {
    std::vector<double> values;
    std::vector<SolverIndex> rows;
    std::vector<SolverIndex> columns;
};

SparseList sparseList(SolverIndex points)
{
    SparseList list;
    for (const Entry& e : blockTridiagonal(points)) {
        list.values.push_back(e.value);
        list.rows.push_back(e.row + 1);
        list.columns.push_back(e.column + 1);
    }
    return list;
}

// The steady state of a Newton iteration: the pattern was analysed by an earlier call, each
// call brings new values.
void BM_SparseDirect(benchmark::State& state)
{
    const SolverIndex points = state.range(0) / kVariables;
    const SolverIndex N = points * kVariables;
    const SparseList list = sparseList(points);
    // A second set of values on the same pattern, so that consecutive calls bring new values
    // as consecutive Newton iterations do.
    std::vector<double> otherValues = list.values;
    for (std::size_t k = 0; k < otherValues.size(); k += 7)
        otherValues[k] *= 1.001;
    const SolverIndex nz = static_cast<SolverIndex>(list.values.size());
    const SolverIndex work1 = 20 * (nz + 2 * N), work2 = 20 * (4 * nz + 17 * N);
    const std::vector<double> b = rightHandSide(N);
    std::vector<double> x(static_cast<std::size_t>(N));
    RSparseDirectSolver solver;
    int status = 0;
    solver.QX_Sparse(N, nz, list.values.data(), list.rows.data(), list.columns.data(), b.data(),
                     x.data(), work1, work2, status);
    bool other = true;
    for (auto _ : state) {
        const double* values = other ? otherValues.data() : list.values.data();
        other = !other;
        const auto start = std::chrono::steady_clock::now();
        solver.QX_Sparse(N, nz, values, list.rows.data(), list.columns.data(), b.data(), x.data(),
                         work1, work2, status);
        const auto stop = std::chrono::steady_clock::now();
        if (status != kSparseSolved)
            state.SkipWithError("sparse solve failed");
        benchmark::DoNotOptimize(x.data());
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
    }
    setCounters(state, N);
    state.counters["fresh_factorisations"] = static_cast<double>(solver.fullFactorisationCount());
}

// The first call of a run: analysis, factorisation and solve.
void BM_SparseDirectFirstCall(benchmark::State& state)
{
    const SolverIndex points = state.range(0) / kVariables;
    const SolverIndex N = points * kVariables;
    const SparseList list = sparseList(points);
    const SolverIndex nz = static_cast<SolverIndex>(list.values.size());
    const SolverIndex work1 = 20 * (nz + 2 * N), work2 = 20 * (4 * nz + 17 * N);
    const std::vector<double> b = rightHandSide(N);
    std::vector<double> x(static_cast<std::size_t>(N));
    for (auto _ : state) {
        RSparseDirectSolver solver;
        int status = 0;
        const auto start = std::chrono::steady_clock::now();
        solver.QX_Sparse(N, nz, list.values.data(), list.rows.data(), list.columns.data(), b.data(),
                         x.data(), work1, work2, status);
        const auto stop = std::chrono::steady_clock::now();
        if (status != kSparseSolved)
            state.SkipWithError("sparse solve failed");
        benchmark::DoNotOptimize(x.data());
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
    }
    setCounters(state, N);
}

} // namespace

BENCHMARK(BM_SparseDirect)->Arg(1000)->Arg(10000)->Arg(100000)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BandMethod5)->Arg(1000)->Arg(10000)->Arg(100000)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BandMethod3)->Arg(1000)->Arg(10000)->Arg(100000)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SparseDirectFirstCall)->Arg(1000)->Arg(10000)->Arg(100000)->UseManualTime()->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();

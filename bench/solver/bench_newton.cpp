// One Newton iteration (assembly and linear solve) of a one-dimensional problem with three
// coupled variables at 1e3, 1e4 and 1e5 points, on the external sparse path and on the band
// path (method 5). The time per point must not grow with the grid.
#include "tests/solver/InterpreterTestSupport.h"

#include <benchmark/benchmark.h>

using namespace ByteCode;

namespace {

// r_k = u_k[x,2] - 2 u_k + 0.1 u_(k mod 3 + 1). Literals: 2, 0.1.
std::vector<unsigned char> coupledCode()
{
    CodeBuilder b;
    for (int k = 1; k <= 3; ++k) {
        b.push(KindD2dx2, k).push(KindLiteral, 1).push(KindVariable, k).op(OpMul).op(OpSub);
        b.push(KindLiteral, 2).push(KindVariable, k % 3 + 1).op(OpMul).op(OpAdd);
        b.store(KindEquation, k);
    }
    return b.bytes;
}

// An engine on the three-variable problem at np points; null (with the reason reported) when
// set-up fails.
struct Problem {
    RunFolder folder;
    RRazava engine;
    MORVGlobalData& g;
    Problem(int np, int method)
        : folder(lines(np, method)), engine("MORV", folder.data), g(*engine.globalData())
    {
        g.IPRN = 0;
        g.LMAX = 1;
        g.ALPHA = 1;
        g.OMEGA = 1;
        for (std::size_t i = 0; i < g.newValues.size(); ++i)
            g.newValues[i] = 0.001 * static_cast<double>(i % 97);
    }
    static std::vector<std::string> lines(int np, int method)
    {
        std::vector<std::string> l = oneDimensionalFile(np, 1, method, {2.0, 0.1}, coupledCode());
        l[3] = "3, 0, 1, 0";
        l[4] = " 0 0 0";
        return l;
    }
    bool ready() const { return g.runStatus == 0 && g.variableCount == 3; }
};

void BM_NewtonIteration(benchmark::State& state)
{
    const int np = static_cast<int>(state.range(0));
    const int method = static_cast<int>(state.range(1)); // METHOD 0: external sparse, 1: band
    Problem problem(np, method);
    RRazava& engine = problem.engine;
    if (!problem.ready()) {
        state.SkipWithError(engine.startupReason().c_str());
        return;
    }
    // The first iterations of a run also analyse the sparse pattern and make the first numeric
    // factorisation; the figure is the cost of the iterations after them.
    for (int warmUp = 0; warmUp < 2; ++warmUp)
        engine.solver(0.01, 0.0, 0.1);
    for (auto _ : state) {
        const int result = engine.solver(0.01, 0.0, 0.1);
        if (result != 0) {
            state.SkipWithError("the linear solve failed");
            break;
        }
    }
    state.counters["points"] = np;
    state.counters["per_point"] = benchmark::Counter(
        static_cast<double>(np), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_NewtonIteration)
    ->ArgsProduct({{1000, 10000, 100000}, {0, 1}})
    ->MinTime(1.0)
    ->Unit(benchmark::kMillisecond);

// The Jacobian assembly alone (residuals and every column of every point, band path), with the
// column refresh of the operand record and with a full refill per column: what the refresh
// saves.
void BM_JacobianAssembly(benchmark::State& state)
{
    const int np = static_cast<int>(state.range(0));
    Problem problem(np, 1);
    RRazava& engine = problem.engine;
    if (!problem.ready()) {
        state.SkipWithError(engine.startupReason().c_str());
        return;
    }
    engine.fullColumnRefill = state.range(1) == 0;
    for (auto _ : state) {
        engine.matrix->clearForRebuild();
        for (int p = 0; p < np; ++p)
            engine.jacobi(p, 0.01, 0.0, true);
        benchmark::DoNotOptimize(engine.matrix->rows[0]);
    }
    state.counters["per_point"] = benchmark::Counter(
        static_cast<double>(np), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_JacobianAssembly)
    ->ArgsProduct({{10000}, {0, 1}})
    ->ArgNames({"points", "refresh"})
    ->MinTime(1.0)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

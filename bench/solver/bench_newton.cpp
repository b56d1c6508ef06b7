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

void BM_NewtonIteration(benchmark::State& state)
{
    const int np = static_cast<int>(state.range(0));
    const int method = static_cast<int>(state.range(1)); // METHOD 0: external sparse, 1: band
    std::vector<std::string> lines = oneDimensionalFile(np, 1, method, {2.0, 0.1}, coupledCode());
    lines[3] = "3, 0, 1, 0";
    lines[4] = " 0 0 0";
    RunFolder folder(lines);
    RRazava engine("MORV", folder.data);
    MORVGlobalData& g = *engine.globalData();
    if (g.runStatus != 0 || g.variableCount != 3) {
        state.SkipWithError(engine.startupReason().c_str());
        return;
    }
    g.IPRN = 0;
    g.LMAX = 1;
    g.ALPHA = 1;
    g.OMEGA = 1;
    for (std::size_t i = 0; i < g.newValues.size(); ++i)
        g.newValues[i] = 0.001 * static_cast<double>(i % 97);
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

} // namespace

BENCHMARK_MAIN();

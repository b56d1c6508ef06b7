// Interpreter speed: one evaluation of the residual u[t] - u[x,2] - u (1 - u) at a point of a
// one-dimensional grid, by the byte-code interpreter and by hand-written functions: one reading
// the same operand record (the dispatch alone), one filling the record first as the Newton
// iteration does, and one written for this equation alone that reads the grid values.
#include "tests/solver/InterpreterTestSupport.h"

#include <benchmark/benchmark.h>

using namespace ByteCode;

namespace {

std::vector<unsigned char> residualCode()
{
    // Literals: 1.
    CodeBuilder b;
    b.push(KindTimeDerivative, 1).push(KindD2dx2, 1).op(OpSub);
    b.push(KindVariable, 1).push(KindLiteral, 1).push(KindVariable, 1).op(OpSub).op(OpMul);
    b.op(OpSub).store(KindEquation, 1);
    return b.bytes;
}

struct Setup {
    RunFolder folder;
    RRazava engine;
    MORVGlobalData& g;
    std::vector<double> residual = std::vector<double>(1, 0.0);
    Setup() : folder(oneDimensionalFile(101, 1, 0, {1.0}, residualCode())), engine("MORV", folder.data),
              g(*engine.globalData())
    {
        g.ALPHA = 1;
        for (int p = 0; p < g.pointCount; ++p)
            g.newValues[p] = 0.01 * p;
        double tTheta = 0;
        engine.prmval(50, 1, &engine.term, g.oldValues.data(), g.newValues.data(), 0, 0.01, 1,
                      tTheta);
    }
};

void BM_InterpretedResidual(benchmark::State& state)
{
    Setup s;
    REvalContext c;
    c.term = &s.engine.term;
    c.subValues = s.engine.pointSubValues.data();
    c.point = 50;
    c.values = s.g.newValues.data();
    c.residuals = s.residual.data();
    c.section = &s.engine.decoded[SectionEquation];
    c.label = "equation ";
    for (auto _ : state) {
        s.engine.EvalEqu(c);
        benchmark::DoNotOptimize(s.residual[0]);
    }
}
BENCHMARK(BM_InterpretedResidual);

void BM_HandWrittenResidual(benchmark::State& state)
{
    Setup s;
    const SPtTerm* t = &s.engine.term;
    const double* one = s.g.literals.data();
    double* r = s.residual.data();
    for (auto _ : state) {
        benchmark::DoNotOptimize(t);
        r[0] = t->timeDerivative[0] - t->d2dx2[0] - t->value[0] * (one[0] - t->value[0]);
        benchmark::DoNotOptimize(r[0]);
    }
}
BENCHMARK(BM_HandWrittenResidual);

// The same two with the operand record filled first, as the Newton iteration does per column.
void BM_InterpretedResidualWithRecord(benchmark::State& state)
{
    Setup s;
    REvalContext c;
    c.term = &s.engine.term;
    c.subValues = s.engine.pointSubValues.data();
    c.point = 50;
    c.values = s.g.newValues.data();
    c.residuals = s.residual.data();
    c.section = &s.engine.decoded[SectionEquation];
    c.label = "equation ";
    for (auto _ : state) {
        s.engine.prmval(50, 1, c.term, s.g.oldValues.data(), s.g.newValues.data(), 0, 0.01, 1, c.t);
        s.engine.EvalEqu(c);
        benchmark::DoNotOptimize(s.residual[0]);
    }
}
BENCHMARK(BM_InterpretedResidualWithRecord);

void BM_HandWrittenResidualWithRecord(benchmark::State& state)
{
    Setup s;
    SPtTerm* t = &s.engine.term;
    const double* one = s.g.literals.data();
    double* r = s.residual.data();
    double tTheta = 0;
    for (auto _ : state) {
        s.engine.prmval(50, 1, t, s.g.oldValues.data(), s.g.newValues.data(), 0, 0.01, 1, tTheta);
        r[0] = t->timeDerivative[0] - t->d2dx2[0] - t->value[0] * (one[0] - t->value[0]);
        benchmark::DoNotOptimize(r[0]);
    }
}
BENCHMARK(BM_HandWrittenResidualWithRecord);

// A residual function written for this one equation: it reads the grid values and the point's
// second-derivative weights directly and forms only the operands the equation needs. This is
// what a hand-coded model would cost; the interpreter's evaluation with its record is compared
// with it.
void BM_HandWrittenResidualFromGrid(benchmark::State& state)
{
    Setup s;
    const int p = 50;
    const double alpha = s.g.ALPHA, dt = 0.01;
    const double* uNew = s.g.newValues.data();
    const double* uOld = s.g.oldValues.data();
    const int count = s.engine.stencilCounts[p];
    const int* points = s.engine.stencilPoints.data() + s.engine.stencilStart[p];
    const double* wxx = s.engine.weightDxx.data() + s.engine.stencilStart[p];
    const double* one = s.g.literals.data();
    double* r = s.residual.data();
    for (auto _ : state) {
        benchmark::DoNotOptimize(uNew);
        double uxx = 0;
        for (int j = 0; j < count; ++j)
            uxx += wxx[j] * (alpha * uNew[points[j]] + (1 - alpha) * uOld[points[j]]);
        const double u = alpha * uNew[p] + (1 - alpha) * uOld[p];
        r[0] = (uNew[p] - uOld[p]) / dt - uxx - u * (one[0] - u);
        benchmark::DoNotOptimize(r[0]);
    }
}
BENCHMARK(BM_HandWrittenResidualFromGrid);

} // namespace

BENCHMARK_MAIN();

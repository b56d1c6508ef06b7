// Compile time of sections whose names are many: one statement with n distinct local
// variables, and n statements each reading another of n inputs. Both should grow linearly in n.
#include "document/ByteCode.h"
#include "document/RMORVCompile.h"

#include <benchmark/benchmark.h>

#include <QStringList>

namespace {

void DistinctLocalsInOneStatement(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    QString statement = QStringLiteral("s = a0");
    for (int i = 1; i < n; ++i)
        statement += QStringLiteral(" + a%1").arg(i);
    for (auto _ : state) {
        RMORVCompile c;
        c.compile(ByteCode::SectionInitial, {statement}, nullptr, 0, 1.0);
        benchmark::DoNotOptimize(c.locals.size());
    }
    state.SetComplexityN(n);
}
BENCHMARK(DistinctLocalsInOneStatement)->Arg(1000)->Arg(4000)->Arg(16000)->Complexity(benchmark::oN);

void StatementsOverManyInputs(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    RMORVCompile c;
    c.control->inputCount = n;
    c.control->temporaryCount = 1;
    c.symbols->temporaryNames = {QStringLiteral("w")};
    QStringList lines;
    for (int i = 0; i < n; ++i) {
        c.symbols->inputNames << QStringLiteral("p%1").arg(i);
        lines << QStringLiteral("w = p%1").arg(i);
    }
    for (auto _ : state) {
        c.code[ByteCode::SectionSubVariable].clear();
        c.compile(ByteCode::SectionSubVariable, lines, nullptr, 0, 1.0);
        benchmark::DoNotOptimize(c.code[ByteCode::SectionSubVariable].size());
    }
    state.SetComplexityN(n);
}
BENCHMARK(StatementsOverManyInputs)->Arg(1000)->Arg(4000)->Arg(16000)->Complexity(benchmark::oN);

} // namespace

BENCHMARK_MAIN();

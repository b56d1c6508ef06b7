// Loading a result file of one million rows: rows per second, and the heap the loaded result
// takes, which must stay below the values' own size plus 16 bytes per row.
#include "document/RMORVCompile.h"
#include "results/RResultHolder.h"
#include "results/RResultLoader.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <new>

namespace {

// Every allocation through operator new is counted, so both the heap that stays and the peak
// during the load are seen.
std::atomic<long long> liveBytes{0};
std::atomic<long long> peakBytes{0};

void* countedAlloc(std::size_t size)
{
    void* p = std::malloc(size ? size : 1);
    if (!p)
        throw std::bad_alloc();
    const long long now = liveBytes += (long long)malloc_usable_size(p);
    long long peak = peakBytes.load();
    while (now > peak && !peakBytes.compare_exchange_weak(peak, now)) {
    }
    return p;
}

void countedFree(void* p)
{
    if (!p)
        return;
    liveBytes -= (long long)malloc_usable_size(p);
    std::free(p);
}

} // namespace

void* operator new(std::size_t size) { return countedAlloc(size); }
void* operator new[](std::size_t size) { return countedAlloc(size); }
void operator delete(void* p) noexcept { countedFree(p); }
void operator delete[](void* p) noexcept { countedFree(p); }
void operator delete(void* p, std::size_t) noexcept { countedFree(p); }
void operator delete[](void* p, std::size_t) noexcept { countedFree(p); }

namespace {

constexpr int Points = 1000;
constexpr int Blocks = 500;
constexpr int Variables = 3;
constexpr int SubVariables = 1;
// One variable row and one sub-variable row per point and block.
constexpr long long Rows = 2LL * Points * Blocks;

struct Fixture {
    QTemporaryDir dir;
    QString path;
    RMORVCompile document;

    Fixture()
    {
        SControlData& c = *document.control;
        c.PARMT = 1;
        c.PARMX = 1;
        c.spaceDimension = 1;
        c.variableCount = Variables;
        c.subVariableCount = SubVariables;
        SSymbolTable& s = *document.symbols;
        s.variableNames = {"U", "V", "W"};
        s.variableAttributes = {0, 0, 0};
        s.subVariableNames = {"S"};
        s.subVariableAttributes = {0};
        path = dir.filePath(QStringLiteral("bench.MVO3"));
        FILE* f = std::fopen(path.toLocal8Bit().constData(), "wb");
        std::fprintf(f, "1,0,%d,%d,%d,0,%d,%d\r\n 0 0 0\r\n 0\r\n", Variables, SubVariables, Points,
            Points / 2 + 1, Points / 2);
        for (int p = 0; p < Points; ++p)
            std::fprintf(f, "%22.14E,%22.14E,%d\r\n", p * 0.001, 0.0, 1);
        for (int b = 0; b < Blocks; ++b) {
            const double t = b * 0.01;
            std::fprintf(f, "%22.14E\r\n", t);
            for (int p = 0; p < Points; ++p)
                std::fprintf(f, "%22.14E\r\n", t * p);
            std::fprintf(f, "%22.14E\r\n", t);
            for (int p = 0; p < Points; ++p)
                std::fprintf(f, "%22.14E%22.14E%22.14E\r\n", t + p, -t * p, 1.0 / (p + 1));
        }
        std::fclose(f);
    }
};

void BM_LoadMillionRows(benchmark::State& state)
{
    static Fixture fixture;
    const long long valueBytes = 8LL * Points * Blocks * (Variables + SubVariables);
    long long growth = 0, peak = 0;
    for (auto _ : state) {
        RResultHolder holder;
        const long long before = liveBytes.load();
        peakBytes = before;
        const int status = LoadResultFile(holder, fixture.document, fixture.path);
        growth = liveBytes.load() - before;
        peak = peakBytes.load() - before;
        if (status != ResultLoaded || holder.result.variableRows1.count() != Rows / 2) {
            state.SkipWithError("the result did not load");
            return;
        }
        benchmark::DoNotOptimize(holder);
    }
    state.counters["rows_per_second"] =
        benchmark::Counter(double(Rows) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["heap_growth_bytes"] = double(growth);
    state.counters["heap_peak_bytes"] = double(peak);
    state.counters["budget_bytes"] = double(valueBytes + 16 * Rows);
    state.counters["peak_per_row_over_values"] = double(peak - valueBytes) / double(Rows);
    if (peak >= valueBytes + 16 * Rows)
        state.SkipWithError("the loaded result takes more heap than its values plus 16 bytes a row");
}
BENCHMARK(BM_LoadMillionRows)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

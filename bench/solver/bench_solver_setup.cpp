// Engine set-up figures: stencil selection and weights per grid point at 1e3, 1e4 and 1e5 points
// on a square and on a strip three points wide (the cost per point must not grow with the grid),
// and the peak memory of building the engine for a two-dimensional problem of 1e5 points and 2
// variables.
#include "solver/RRazava.h"
#include "tests/solver/StructuredMesh.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Times complete stencil set-ups of the mesh and reports seconds per grid point.
void measureStencilSetup(benchmark::State& state, const StructuredMesh& m)
{
    std::vector<int> counts(m.np), points(6 * m.np);
    std::vector<double> w[5];
    for (auto& v : w)
        v.assign(6 * m.np, 0.0);
    for (auto _ : state) {
        RRazava::dcoef(m.np, m.x.data(), m.y.data(), m.counts.data(), m.offsets.data(),
                       m.list.data(), m.nx.data(), m.ny.data(), counts.data(), points.data(),
                       w[0].data(), w[1].data(), w[2].data(), w[3].data(), w[4].data());
        benchmark::DoNotOptimize(w[0].data());
    }
    state.counters["points"] = m.np;
    state.counters["per_point"] = benchmark::Counter(
        static_cast<double>(m.np), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_StencilSetup(benchmark::State& state)
{
    const int side = static_cast<int>(state.range(0));
    measureStencilSetup(state, StructuredMesh(side, side, 0.3));
}
BENCHMARK(BM_StencilSetup)->Arg(32)->Arg(100)->Arg(316)->Unit(benchmark::kMillisecond);

// A strip three points wide: its inner row has fewer points within three rings than a stencil
// looks at, so every inner point searches for its nearest far points. The cost per point must
// stay that of the square.
void BM_StencilSetupStrip(benchmark::State& state)
{
    measureStencilSetup(state, StructuredMesh(static_cast<int>(state.range(0)), 3, 0.3));
}
BENCHMARK(BM_StencilSetupStrip)->Arg(333)->Arg(3333)->Arg(33333)->Unit(benchmark::kMillisecond);

void field(std::FILE* f, double v) { std::fprintf(f, "%22.14E", v); }

// "%Nd", with one blank more for a number that would fill its whole field (so it never fuses
// with the number before it), as the solver data file writer does.
void intField(std::FILE* f, int v, int width)
{
    char buf[24];
    const int len = std::snprintf(buf, sizeof buf, "%*d", width, v);
    std::fprintf(f, len >= width && buf[0] != ' ' ? " %s" : "%s", buf);
}

void block(std::FILE* f, const std::vector<double>& v)
{
    for (std::size_t i = 0; i < v.size(); ++i) {
        field(f, v[i]);
        if (i % 10 == 9 || i + 1 == v.size())
            std::fputs("\r\n", f);
    }
}

// A two-dimensional solver data file of the mesh with two variables and empty code sections.
std::string writeDataFile(const StructuredMesh& m)
{
    const std::string path = (std::filesystem::temp_directory_path()
                              / ("morv-bench-" + std::to_string(::getpid()) + ".MVAT$")).string();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fputs("0, 10, 0, 0, 0, 1\r\n", f);
    std::fputs("  0.00000000000000E+00,   1.00000000000000E-02,   1.00000000000000E-06\r\n", f);
    std::fputs("  1.00000000000000E+00,   1.00000000000000E+00,   1.00000000000000E-06,   1.00000000000000E-03\r\n", f);
    std::fputs("2, 0, 0, 0\r\n 0 0\r\n1, 0, 3, 0, 1, 0\r\n1, 1, 1\r\n", f);
    std::fputs("1 /timegrid\r\n  1.00000000000000E+00\r\n", f);
    std::fprintf(f, "%d /grid\r\n", m.np);
    block(f, m.x);
    block(f, m.y);
    block(f, m.nx);
    block(f, m.ny);
    std::fputs("0 /input\r\n0 /constant\r\n", f);
    for (int p = 0; p < m.np; ++p)
        std::fprintf(f, (p % 30 == 29 || p + 1 == m.np) ? "%10d\r\n" : "%10d", 0);
    for (int p = 0; p < m.np; ++p)
        std::fprintf(f, (p % 30 == 29 || p + 1 == m.np) ? "%6d\r\n" : "%6d", m.counts[p]);
    for (int p = 0; p < m.np; ++p) {
        for (int e = 0; e < m.counts[p]; ++e)
            intField(f, m.list[m.offsets[p] + e], 6);
        std::fputs("\r\n", f);
    }
    std::fputs("0 /Integral1\r\n0 /Integral2\r\n", f);
    for (const char* label : {"assume   ", "sub var. ", "initial  ", "equation ", "terminate"})
        std::fprintf(f, "0 /%s\r\n", label);
    const std::vector<int> t = m.triangles();
    std::fprintf(f, "%zu /Triangle information\r\n", t.size() / 3);
    for (std::size_t i = 0; i < t.size(); i += 3) {
        for (int k = 0; k < 3; ++k)
            intField(f, t[i + k], 6);
        std::fputs("     0     0     0\r\n", f);
    }
    std::fputs("0 0 /Chemical Property\r\n", f);
    std::fclose(f);
    return path;
}

long peakRssKiB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

void BM_SetupMemory2D(benchmark::State& state)
{
    const StructuredMesh m(316, 317, 0.3); // 100172 points
    const std::string path = writeDataFile(m);
    const long before = peakRssKiB();
    for (auto _ : state) {
        RRazava engine("MORV", path);
        if (engine.globalData()->runStatus != 0) {
            state.SkipWithError(engine.startupReason().c_str());
            break;
        }
        engine.ComputeStencils();
        benchmark::DoNotOptimize(engine.weightDx.data());
    }
    if (!std::getenv("MORV_KEEP_BENCH_FILE"))
        std::filesystem::remove(path);
    state.counters["points"] = m.np;
    state.counters["peak_rss_MiB"] = peakRssKiB() / 1024.0;
    state.counters["peak_rss_before_MiB"] = before / 1024.0;
}
BENCHMARK(BM_SetupMemory2D)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

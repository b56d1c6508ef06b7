// A whole run of the heat equation example (examples/heat_1d.MV3) on 1e3, 1e4 and 1e5 grid
// points for a fixed number of time steps: the document is gridded and compiled in-process to
// its solver data file, as Run > Compile does, and each iteration builds the engine from that
// file and runs SolveEquation, as Execute does. The figure is the time per step and per point;
// it must not grow with the grid (largest over smallest below 2), on the external sparse path
// (METHOD 0) and on the band path (METHOD 1).
#include "compiler/RCompileRun.h"
#include "document/RMORVDocument.h"
#include "mesh/RDelaunay.h"
#include "solver/RRazava.h"
#include "solver/RunEvent.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

constexpr int Steps = 20;

QTemporaryDir& workFolder()
{
    static QTemporaryDir dir;
    return dir;
}

// The example with a grid of np points, saved once per size ("" when that failed).
QString griddedDocument(int np)
{
    static std::map<int, QString> made;
    if (auto it = made.find(np); it != made.end())
        return it->second;
    QString& path = made[np];
    RMORVDocument doc;
    if (doc.loadfile(QStringLiteral(MORV_TEST_DATA "/../examples/heat_1d.MV3")) != 0)
        return path;
    RTriangleMesh& mesh = *doc.mesh;
    if (mesh.segments.size() != 1)
        return path;
    mesh.segments[0].division = np - 1;
    mesh.setToleranceFromFigure();
    RDelaunay(&mesh).GridFor1D(1.0, 0.0, 0);
    mesh.meshState = 2;
    SControlData& control = *doc.compiler->control;
    // A fixed number of steps and no output but the start and the end level.
    control.TEND = control.TSTART + Steps * control.DELT;
    doc.compiler->symbols->TGRID_A = -1.0;
    control.IFIL = 0;
    const QString file = workFolder().filePath(QStringLiteral("heat_%1.MV3").arg(np));
    if (doc.savefile(file) == 0)
        path = file;
    return path;
}

// The solver data file of the gridded example with the given METHOD ("" when it failed).
std::string dataFile(int np, int method)
{
    static std::map<std::pair<int, int>, std::string> made;
    if (auto it = made.find({np, method}); it != made.end())
        return it->second;
    std::string& result = made[{np, method}];
    const QString gridded = griddedDocument(np);
    if (gridded.isEmpty())
        return result;
    const QString name = QStringLiteral("heat_%1_m%2").arg(np).arg(method);
    RMORVDocument doc;
    if (doc.loadfile(gridded) != 0)
        return result;
    doc.compiler->control->METHOD = method;
    doc.documentFolder = workFolder().path() + u'/';
    doc.documentFileName = name + QStringLiteral(".MV3");
    doc.named = true;
    QStringList log;
    if (runCompile(doc, doc.scripts, log) != 0)
        return result;
    result = workFolder().filePath(name + QStringLiteral(".MVAT$")).toStdString();
    return result;
}

void BM_HeatRun(benchmark::State& state)
{
    const int np = static_cast<int>(state.range(0));
    const int method = static_cast<int>(state.range(1));
    const std::string data = dataFile(np, method);
    if (data.empty()) {
        state.SkipWithError("the example could not be gridded and compiled");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        RunEvent event(data);
        event.acquire();
        auto engine = std::make_unique<RRazava>("MORV", data);
        MORVGlobalData& g = *engine->globalData();
        if (g.runStatus != 0 || g.pointCount != np) {
            state.SkipWithError(engine->startupReason().c_str());
            break;
        }
        g.runEvent = &event;
        state.ResumeTiming();
        engine->SolveEquation();
        state.PauseTiming();
        const int status = g.runStatus;
        engine.reset();
        state.ResumeTiming();
        if (status != 0) {
            state.SkipWithError("the run did not end with status 0");
            break;
        }
    }
    state.counters["points"] = np;
    state.counters["per_step_point"] = benchmark::Counter(
        static_cast<double>(np) * Steps,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_HeatRun)
    ->ArgsProduct({{1000, 10000, 100000}, {0, 1}})
    ->ArgNames({"points", "method"})
    ->MinTime(1.0)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// Console output plus, per METHOD, the ratio of the largest to the smallest time per step and
// per point over the grid sizes.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration)
                continue;
            const auto it = run.counters.find("per_step_point");
            if (it == run.counters.end())
                continue;
            const std::string name = run.benchmark_name();
            const std::size_t at = name.find("method:");
            const std::string method =
                at == std::string::npos ? name : name.substr(at, name.find('/', at) - at);
            auto& [low, high] = spread[method];
            const double value = it->second.value;
            low = low == 0 ? value : std::min(low, value);
            high = std::max(high, value);
        }
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (const auto& [method, range] : spread)
            std::printf("%s: time per step and point %.3g ns to %.3g ns, largest/smallest %.2f\n",
                        method.c_str(), range.first * 1e9, range.second * 1e9,
                        range.second / range.first);
    }

private:
    std::map<std::string, std::pair<double, double>> spread;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

// Whole two-dimensional runs at about 1e4, 1e5 and 1e6 grid points: Laplace's equation
// u[x,2] + u[y,2] = 0 on the unit square with u = x^2 - y^2 + x*y on its sides (mesh type 0,
// 92, 291 and 920 divisions a side), and the heat equation u[t] = u[x,2] + u[y,2] on the same
// meshes for 20 steps.
//
// BM_SteadyRun2D follows a run from the meshed document to the committed result, in process and
// phase by phase: document load, compile with the solver data file, engine set-up (data file,
// work arrays, stencils), Jacobian assembly, linear solver (analysis, factorisations, solves),
// result and log writing (the rest of the run), commit. It then runs the same document once as
// a whole process, `morv_headless run`, and reports its wall time and peak memory.
// BM_HeatSteps2D times the transient run (engine built, then SolveEquation) and reports the
// time per step and per step and point, with its assembly and linear-solver shares and the
// numeric factorisations made and spared per step.
//
// BM_SideBySide2D runs the steady square as a whole process in pairs with a finite-element
// code solving Poisson's equation with the same boundary values on the unit square, n divisions
// a side, P1 elements and its sparse direct solver, with about as many nodes as our run has
// points: FreeFem++, when it is on the PATH (skipped otherwise; it is never a build or test
// dependency). Medians of MORV_BENCH_PAIRS pairs (default 5), and their ratio.
//
// The meshes are made once per size by `morv_headless mesh` in a child process; set
// MORV_BENCH_DIR to a folder to keep them between runs (the 1e6 mesh takes a minute).
#include "bench/HeadlessChild.h"
#include "compiler/RCompileRun.h"
#include "document/RMORVDocument.h"
#include "solver/RProcessMemory.h"
#include "solver/RRazava.h"
#include "solver/RRunCommit.h"
#include "solver/RunEvent.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int HeatSteps = 20;

using Clock = std::chrono::steady_clock;
double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

QString workFolder()
{
    static QTemporaryDir temporary;
    static const QString folder = [] {
        const QByteArray kept = qgetenv("MORV_BENCH_DIR");
        if (!kept.isEmpty()) {
            QDir().mkpath(QString::fromLocal8Bit(kept));
            return QString::fromLocal8Bit(kept);
        }
        return temporary.path();
    }();
    return folder;
}

// The unmeshed square with `divisions` pieces on each side, the steady problem.
std::string squareDocument(int divisions)
{
    std::string text = "\xEF\xBB\xBF$MORV 03000000\n$RESTART 0\n$MESHTYPE 0\n"
                       "$MESHANGLE   0.00000000000000E+00\n$METHOD 0\n$LMAX 100\n$IPRT 2\n"
                       "$IPRN 1\n$PARMX 1,x\n$PARMY 1,y\n$PARMT 0,t\n"
                       "$DELT   1.00000000000000E+00\n$TSTART   0.00000000000000E+00\n"
                       "$TEND   1.00000000000000E+03\n$TGRID_A  -1.00000000000000E+00\n"
                       "$DELP   1.00000000000000E-08\n$OMEGA   1.00000000000000E+00\n"
                       "$ALPHA   1.00000000000000E+00\n$EPS   1.00000000000000E-10\n"
                       "$EPSDIF   1.00000000000000E-02\n$MISES 1\n$IFIL 1\n$FLOATINGERROR 0\n"
                       "$FILEOUTTYPE 0\n$SPECIES\n$END\n$VARATTR\nu,0,\"harmonic x^2-y^2+xy\"\n"
                       "$END\n$DOMAIN\n$END\n$INITIAL\n"
                       "%IF: ATTRIBUTE(3)^2 + ATTRIBUTE(4)^2 > 0.5\n"
                       "  r = u - (x*x - y*y + x*y)\n%ELSE\n  r = u[x,2] + u[y,2]\n%ENDIF\n"
                       "%EQU: r\n$END\n$SUBVAR\n$END\n$ASSUME\nu = 0\n$END\n$TERMINATE\n$END\n"
                       "$DEFINESYMBOL\n%unknown   #------------------------\n"
                       "u          # harmonic x^2-y^2+xy\n%sub       #------------------------\n"
                       "%temporary #------------------------\n%input     #------------------------\n"
                       "%constant  #------------------------\n$END\n$SEG_POINT\n";
    const double corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    char line[200];
    for (int i = 0; i < 4; ++i) {
        std::snprintf(line, sizeof line, "%22.14E%22.14E%12d%6d%6d%6d%6d\n", corners[i][0],
                      corners[i][1], 1, 0, 2, (i + 3) % 4, i);
        text += line;
    }
    text += "$END\n$SEG_LINE\n";
    for (int i = 0; i < 4; ++i) {
        const int j = (i + 1) % 4;
        std::snprintf(line, sizeof line, "%6d%6d%22.14E%22.14E%22.14E%6d%6d%12d%22.14E,\n", i, j,
                      0.5 * (corners[i][0] + corners[j][0]), 0.5 * (corners[i][1] + corners[j][1]),
                      0.0, divisions, 1, 2, 0.0);
        text += line;
    }
    std::snprintf(line, sizeof line, "%12d%22.14E%22.14E%22.14E%6d%6d%6d%6d%6d,\n", 3, 0.5, 0.5,
                  -1.0, 4, 3, 0, 1, 2);
    text += "$END\n$SEG_PATH\n";
    text += line;
    text += "$END\n";
    return text;
}

// The meshed steady document of the size ("" when it could not be made).
std::string meshedSquare(int divisions)
{
    static std::map<int, std::string> made;
    if (auto it = made.find(divisions); it != made.end())
        return it->second;
    std::string& result = made[divisions];
    const std::string base = (workFolder() + QStringLiteral("/square%1").arg(divisions)).toStdString();
    const std::string meshed = base + "m.MV3";
    if (!QFile::exists(QString::fromStdString(meshed))) {
        std::ofstream(base + ".MV3", std::ios::binary) << squareDocument(divisions);
        if (runHeadless({"mesh", base + ".MV3", meshed}).status != 0)
            return result;
    }
    result = meshed;
    return result;
}

// The heat problem on the same mesh: the meshed steady document with a time parameter, 20 steps
// of 1e-4 and output at the end only, interior points starting from 0.
std::string meshedHeat(int divisions)
{
    static std::map<int, std::string> made;
    if (auto it = made.find(divisions); it != made.end())
        return it->second;
    std::string& result = made[divisions];
    const std::string steady = meshedSquare(divisions);
    if (steady.empty())
        return result;
    const std::string heat = (workFolder() + QStringLiteral("/heat%1m.MV3").arg(divisions)).toStdString();
    std::ifstream in(steady, std::ios::binary);
    std::ofstream out(heat, std::ios::binary);
    const std::map<std::string, std::string> replaced{
        {"$PARMT 0,t", "$PARMT 1,t"},
        {"$DELT   1.00000000000000E+00", "$DELT   1.00000000000000E-04"},
        {"$TEND   1.00000000000000E+03", "$TEND   2.00000000000000E-03"},
        {"$EPS   1.00000000000000E-10", "$EPS   1.00000000000000E-06"},
        {"$IFIL 1", "$IFIL 0"},
        {"$DOMAIN", "$DOMAIN\n%IF: ATTRIBUTE(3)^2 + ATTRIBUTE(4)^2 > 0.5\n"
                    "  r = u - (x*x - y*y + x*y)\n%ELSE\n  r = u[t] - (u[x,2] + u[y,2])\n"
                    "%ENDIF\n%EQU: r"},
        {"  r = u[x,2] + u[y,2]", "  r = u"},
    };
    std::string line;
    while (std::getline(in, line)) {
        const bool cr = !line.empty() && line.back() == '\r';
        const std::string body = cr ? line.substr(0, line.size() - 1) : line;
        const auto it = replaced.find(body);
        out << (it == replaced.end() ? body : it->second) << (cr ? "\r\n" : "\n");
    }
    if (out)
        result = heat;
    return result;
}

std::string dataFileOf(const std::string& document)
{
    return document.substr(0, document.size() - 4) + ".MVAT$";
}

// Loads and compiles the document as `morv_headless run` does; the times of the two phases.
bool loadAndCompile(const std::string& document, double& loadSeconds, double& compileSeconds)
{
    auto start = Clock::now();
    auto doc = std::make_unique<RMORVDocument>();
    if (doc->loadfile(QString::fromStdString(document)) != 0)
        return false;
    loadSeconds = secondsSince(start);
    start = Clock::now();
    const QFileInfo file(QString::fromStdString(document));
    doc->documentFolder = file.absolutePath() + u'/';
    doc->documentFileName = file.fileName();
    doc->named = true;
    QStringList log;
    const int errors = runCompile(*doc, doc->scripts, log);
    doc.reset();
    compileSeconds = secondsSince(start);
    return errors == 0;
}

void BM_SteadyRun2D(benchmark::State& state)
{
    const std::string document = meshedSquare(static_cast<int>(state.range(0)));
    if (document.empty()) {
        state.SkipWithError("the square could not be meshed");
        return;
    }
    const std::string data = dataFileOf(document);
    double load = 0, compile = 0, setup = 0, assembly = 0, linear = 0, output = 0, commit = 0;
    int points = 0;
    for (auto _ : state) {
        const auto whole = Clock::now();
        double l = 0, c = 0;
        RunEvent event(data);
        event.acquire();
        if (!loadAndCompile(document, l, c)) {
            state.SkipWithError("the document could not be loaded and compiled");
            return;
        }
        auto start = Clock::now();
        auto engine = std::make_unique<RRazava>("MORV", data);
        MORVGlobalData& g = *engine->globalData();
        if (g.runStatus != 0) {
            state.SkipWithError(engine->startupReason().c_str());
            return;
        }
        g.runEvent = &event;
        const double s = secondsSince(start);
        start = Clock::now();
        engine->SolveEquation();
        const double run = secondsSince(start);
        if (g.runStatus != 0) {
            state.SkipWithError("the run did not end with status 0");
            return;
        }
        points = g.pointCount;
        const RRazava::SPhaseTimes phases = engine->phaseTimes;
        start = Clock::now();
        engine.reset();
        commitRunFiles(data);
        const double k = secondsSince(start);
        state.SetIterationTime(secondsSince(whole));
        load += l;
        compile += c;
        setup += s;
        assembly += phases.assembly;
        linear += phases.linearSolve;
        output += run - phases.assembly - phases.linearSolve;
        commit += k;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["points"] = points;
    state.counters["load_s"] = load / n;
    state.counters["compile_s"] = compile / n;
    state.counters["setup_s"] = setup / n;
    state.counters["assembly_s"] = assembly / n;
    state.counters["linear_s"] = linear / n;
    state.counters["output_s"] = output / n;
    state.counters["commit_s"] = commit / n;
    state.counters["per_point"] = benchmark::Counter(
        points, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    // The same run as a whole process.
    const HeadlessChildRun process = runHeadless({"run", document});
    if (process.status != 0) {
        state.SkipWithError("morv_headless run did not end with status 0");
        return;
    }
    state.counters["process_s"] = process.seconds;
    state.counters["process_peak_MiB"] = process.peakMiB;
}
BENCHMARK(BM_SteadyRun2D)
    ->Arg(92)
    ->Arg(291)
    ->Arg(920)
    ->ArgName("divisions")
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

void BM_HeatSteps2D(benchmark::State& state)
{
    const std::string document = meshedHeat(static_cast<int>(state.range(0)));
    const std::string data = document.empty() ? std::string() : dataFileOf(document);
    double l = 0, c = 0;
    if (document.empty() || !loadAndCompile(document, l, c)) {
        state.SkipWithError("the heat problem could not be made");
        return;
    }
    double assembly = 0, linear = 0, factorisations = 0, reused = 0;
    int points = 0;
    for (auto _ : state) {
        RunEvent event(data);
        event.acquire();
        auto engine = std::make_unique<RRazava>("MORV", data);
        MORVGlobalData& g = *engine->globalData();
        if (g.runStatus != 0) {
            state.SkipWithError(engine->startupReason().c_str());
            return;
        }
        g.runEvent = &event;
        const auto start = Clock::now();
        engine->SolveEquation();
        state.SetIterationTime(secondsSince(start));
        if (g.runStatus != 0) {
            state.SkipWithError("the run did not end with status 0");
            return;
        }
        points = g.pointCount;
        assembly += engine->phaseTimes.assembly;
        linear += engine->phaseTimes.linearSolve;
        if (engine->sparseSolver) {
            factorisations += engine->sparseSolver->factorisationCount();
            reused += engine->sparseSolver->reusedFactorisationCount();
        }
    }
    // The run also solves its start level once: about 21 levels, counted as the 20 steps.
    const double n = static_cast<double>(state.iterations());
    state.counters["points"] = points;
    state.counters["per_step"] = benchmark::Counter(
        HeatSteps, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["per_step_point"] = benchmark::Counter(
        static_cast<double>(HeatSteps) * points,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["assembly_per_step_s"] = assembly / n / HeatSteps;
    state.counters["linear_per_step_s"] = linear / n / HeatSteps;
    state.counters["factorisations_per_step"] = factorisations / n / HeatSteps;
    state.counters["reused_per_step"] = reused / n / HeatSteps;
}
BENCHMARK(BM_HeatSteps2D)
    ->Arg(92)
    ->Arg(291)
    ->Arg(920)
    ->ArgName("divisions")
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

// The grid point count of a committed result (the fifth item of its first line), 0 if unread.
int resultPointCount(const std::string& document)
{
    std::ifstream in(document.substr(0, document.size() - 4) + ".MVO3", std::ios::binary);
    std::string line;
    std::getline(in, line);
    int fields[5] = {0, 0, 0, 0, 0};
    return std::sscanf(line.c_str(), "%d,%d,%d,%d,%d", &fields[0], &fields[1], &fields[2],
                       &fields[3], &fields[4]) == 5
               ? fields[4]
               : 0;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t k = v.size() / 2;
    return v.empty() ? 0.0 : v.size() % 2 ? v[k] : 0.5 * (v[k - 1] + v[k]);
}

void BM_SideBySide2D(benchmark::State& state)
{
    const std::string peer = QStandardPaths::findExecutable(QStringLiteral("FreeFem++")).toStdString();
    if (peer.empty()) {
        state.SkipWithError("FreeFem++ is not on the PATH");
        return;
    }
    const std::string document = meshedSquare(static_cast<int>(state.range(0)));
    if (document.empty()) {
        state.SkipWithError("the square could not be meshed");
        return;
    }
    const std::string script = (workFolder() + QStringLiteral("/poisson.edp")).toStdString();
    std::ofstream(script, std::ios::binary)
        << "// Poisson's equation on the unit square, n divisions a side (the last argument),\n"
           "// P1 elements, the sparse direct solver.\n"
           "int n = atoi(ARGV[ARGV.n - 1]);\n"
           "mesh Th = square(n, n);\n"
           "fespace Vh(Th, P1);\n"
           "Vh u, v;\n"
           "solve Poisson(u, v, solver = sparsesolver)\n"
           "    = int2d(Th)(dx(u) * dx(v) + dy(u) * dy(v))\n"
           "    + on(1, 2, 3, 4, u = x^2 - y^2 + x*y);\n";
    const int pairs = std::max(1, std::atoi(qgetenv("MORV_BENCH_PAIRS").isEmpty()
                                                ? "5"
                                                : qgetenv("MORV_BENCH_PAIRS").constData()));
    std::vector<double> ours, oursCpu, theirs, theirsCpu;
    double oursPeak = 0, theirsPeak = 0;
    int points = 0, divisions = 0;
    for (auto _ : state) {
        for (int i = 0; i < pairs; ++i) {
            const HeadlessChildRun a = runHeadless({"run", document});
            if (a.status != 0) {
                state.SkipWithError("morv_headless run did not end with status 0");
                return;
            }
            if (points == 0) {
                points = resultPointCount(document);
                divisions = static_cast<int>(std::lround(std::sqrt(double(points)))) - 1;
            }
            const HeadlessChildRun b =
                runChild({peer, "-nw", "-ne", script, std::to_string(divisions)});
            if (b.status != 0) {
                state.SkipWithError("FreeFem++ did not end with status 0");
                return;
            }
            ours.push_back(a.seconds);
            oursCpu.push_back(a.cpuSeconds);
            theirs.push_back(b.seconds);
            theirsCpu.push_back(b.cpuSeconds);
            oursPeak = std::max(oursPeak, a.peakMiB);
            theirsPeak = std::max(theirsPeak, b.peakMiB);
        }
        state.SetIterationTime(median(ours));
    }
    state.counters["points"] = points;
    state.counters["peer_nodes"] = (divisions + 1.0) * (divisions + 1.0);
    state.counters["ours_s"] = median(ours);
    state.counters["peer_s"] = median(theirs);
    state.counters["ratio"] = median(ours) / median(theirs);
    state.counters["ours_cpu_s"] = median(oursCpu);
    state.counters["peer_cpu_s"] = median(theirsCpu);
    state.counters["ours_peak_MiB"] = oursPeak;
    state.counters["peer_peak_MiB"] = theirsPeak;
}
BENCHMARK(BM_SideBySide2D)
    ->Arg(92)
    ->Arg(291)
    ->ArgName("divisions")
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv)
{
    tuneProcessMemory(argv); // the memory set-up of the programs, for the in-process phases
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// The restart file on any bytes, read by an engine built once on a fixed solver data file
// (two variables with class flags 0 and 1 on nine points, two temporaries): the header alone,
// the start values of a restarted run, and the RESTART function's cached read.
#include "fuzz/FuzzSupport.h"

#include "solver/RRazava.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

RRazava& restartEngine()
{
    static std::unique_ptr<RRazava> engine = [] {
        std::string text = readSourceFile("tests/solver/data/mesh2d.MVAT$");
        // The fixture's fourth line holds the counts; give the run two temporaries.
        std::size_t line = 0;
        for (int k = 0; k < 3; ++k)
            line = text.find("\r\n", line) + 2;
        text.replace(line, text.find("\r\n", line) - line, "2, 1, 2, 2");
        const QString path = fuzzScratchFolder() + QStringLiteral("restart.MVAT$");
        writeFuzzFile(path, text);
        auto e = std::make_unique<RRazava>("MORV", path.toStdString());
        if (e->globalData()->runStatus != 0) {
            std::fprintf(stderr, "fuzz: restart engine not ready: %s\n", e->startupReason().c_str());
            std::abort();
        }
        return e;
    }();
    return *engine;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    RRazava& engine = restartEngine();
    MORVGlobalData& g = *engine.globalData();
    writeFuzzFile(QString::fromStdString(g.restartInFile.name), data, size);

    int n = 0, np = 0, temporaries = 0;
    double time = 0;
    std::vector<int> flags;
    (void)engine.ReadRestartFileHeader(n, np, temporaries, time, flags);

    const int runN = g.variableCount, runNp = g.pointCount, runT = g.temporaryCount;
    std::vector<double> values(static_cast<std::size_t>(runN) * runNp);
    std::vector<double> temps(static_cast<std::size_t>(runT));
    (void)engine.rstin(values.data(), runN, runNp, temps.data(), runT, time);

    engine.restartCacheState = 0;
    for (int k = 1; k <= runN; ++k)
        (void)engine.GetFromRestartFile(k, runNp - 1, runN, runNp, runT, -1.0);
    return 0;
}

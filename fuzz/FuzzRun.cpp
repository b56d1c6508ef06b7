#include "fuzz/FuzzRun.h"

#include "fuzz/FuzzSupport.h"
#include "solver/RFile.h"
#include "solver/RRazava.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// The work of one run: the equations of a Newton iteration, its iterations, the steps between
// the start and the end time, and the output times. A step-size check (AUTODELT) shrinks the
// step at most about sixty times before the run ends with status 19, so a few checks apart
// stay cheap too.
constexpr int MaxPoints = 64;
constexpr int MaxVariables = 8;
constexpr int MaxEquations = 128;
constexpr int MaxSubVariables = 32;
constexpr int MaxNewtonIterations = 3;
constexpr int MaxCheckInterval = 2;
constexpr int MaxOutputTimes = 4;
constexpr double MaxNominalSteps = 8;

std::string counts(int status, int errors, int warnings)
{
    return "status " + std::to_string(status) + ", " + std::to_string(errors) + " error(s), "
           + std::to_string(warnings) + " warning(s)";
}

// False when the problem is too large to run within the bounds; otherwise the iteration
// limit, the check interval, the output times and the end time are cut down to them.
bool bound(MORVGlobalData& g)
{
    const long equations = long(g.pointCount) * g.variableCount;
    if (g.pointCount > MaxPoints || g.variableCount > MaxVariables || equations > MaxEquations
        || g.subVariableCount > MaxSubVariables)
        return false;
    g.LMAX = std::min(g.LMAX, MaxNewtonIterations);
    g.AUTODELT = std::min(g.AUTODELT, MaxCheckInterval);
    if (g.outputTimeCount > MaxOutputTimes) {
        g.outputTimes.resize(MaxOutputTimes);
        g.outputTimeCount = MaxOutputTimes;
    }
    if (g.PARMT != 0) {
        const double last = g.TSTART + MaxNominalSteps * g.DELT;
        for (double& t : g.outputTimes)
            if (t > last)
                t = last;
    }
    g.TEND = g.outputTimes.back();
    return true;
}

bool allFinite(const std::vector<double>& values)
{
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

} // namespace

void runBounded(const std::string& dataFile)
{
    RRazava engine("MORV", dataFile);
    MORVGlobalData& g = *engine.globalData();
    if (g.runStatus != 0 || !bound(g)) {
        if (fuzzVerbose())
            std::fprintf(stderr, "fuzz: not run: %s\n",
                         g.runStatus != 0 ? engine.startupReason().c_str() : "beyond the bounds");
        return;
    }
    bool stopped = false;
    {
        FuzzWallBound wall([&g] { g.stopRequest = 1; });
        try {
            engine.SolveEquation();
        } catch (const RFileError& e) {
            // The run's files lie in the scratch folder, which is always writable.
            fuzzFault("run file error", e.what());
            return;
        }
        stopped = wall.expired() || g.stopRequest != 0;
    }
    if (fuzzVerbose())
        std::fprintf(stderr, "fuzz: run ended with status %d, %d error(s), %d warning(s)%s\n",
                     g.runStatus.load(), g.runErrorCount.load(), g.runWarningCount.load(),
                     stopped ? ", stopped" : "");
    if (stopped)
        return;
    const int status = g.runStatus, errors = g.runErrorCount, warnings = g.runWarningCount;
    if (status == 0 && errors != 0)
        fuzzFault("errors with status 0", counts(status, errors, warnings));
    if (status == 0 && warnings == 0
        && !(allFinite(g.newValues) && allFinite(g.subValues) && allFinite(g.temporaries)))
        fuzzFault("not finite with status 0",
                  "a value, sub value or temporary after a run with " + counts(status, errors, warnings));
}

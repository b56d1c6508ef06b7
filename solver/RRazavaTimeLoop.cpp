// The whole run: preparation, initial output, the time steps with their step choice and
// step-size check, TERMINATE, output levels, the end messages and the restart file.
#include "solver/RRazava.h"

#include "document/ByteCode.h"
#include "solver/RunEvent.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>

namespace {

bool stopRequested(const MORVGlobalData& g)
{
    return g.stopRequest.load(std::memory_order_relaxed) != 0;
}

// A step-size check never takes the nominal step below this fraction of the data file's step.
constexpr double SmallestStepFraction = 1e-9;

// Run status of a failed preparation.
int preparationStatus(int code)
{
    switch (code) {
    case 1: return 7;
    case 2: return 17;
    case 3: return 5;
    case 4: return 9;
    default: return 11;
    }
}

} // namespace

void RRazava::SolveEquation()
{
    MORVGlobalData& g = *gd;
    try {
        const int code = Setup();
        double t = g.TSTART;
        bool normalEnd = false;
        // An error counted where nothing stops on it - an unknown opcode while the start values
        // are made, or a run with no Newton iteration to see it - fails the run: it never ends
        // with status 0 and an error.
        auto errorCounted = [&g] { return g.runErrorCount.load(std::memory_order_relaxed) != 0; };
        if (code != 0) {
            endRun(preparationStatus(code), nullptr);
        } else if (errorCounted()) {
            endRun(11, " ! E0011 !");
        } else {
            normalEnd = integrate(t);
            if (normalEnd && errorCounted()) {
                endRun(11, " ! E0011 !");
                normalEnd = false;
            }
        }
        finishRun(normalEnd, t);
    } catch (...) {
        // The caller turns the error into the run's status; what was written is on disk before
        // it signals the end of the run. No restart file is written for such a run.
        closeRunFiles();
        throw;
    }
}

void RRazava::closeRunFiles()
{
    MORVGlobalData& g = *gd;
    for (RFile* f : {&g.dataFile, &g.restartInFile, &g.restartOutFile, &g.resultFile, &g.logFile,
                     &g.parameterFile})
        EndFile(*f);
}

void RRazava::endRun(int status, const char* logText)
{
    MORVGlobalData& g = *gd;
    if (logText)
        logLine(logText);
    g.runErrorCount.fetch_add(1, std::memory_order_relaxed);
    g.runStatus = status;
}

// Steps from TSTART towards TEND. True for a normal end, with t the time reached; false for a
// stop or a failed step, with t the time at the start of that step.
bool RRazava::integrate(double& t)
{
    MORVGlobalData& g = *gd;
    const int n = g.variableCount, np = g.pointCount;
    t = g.TSTART;
    g.publishSnapshot();
    if (g.runEvent)
        g.runEvent->set();
    if (stopRequested(g))
        return false;
    // A continued transient run already has its start level in the copied result.
    if (!(g.RESTART != 0 && g.PARMT != 0))
        writeLevel(t, t, 1.0);
    if (g.TEND <= t)
        return true;

    double nominalStep = g.DELT;
    const double smallestStep = SmallestStepFraction * g.DELT;
    int outputIndex = 1, stepMode = 0, checkCounter = 0, outputCounter = 0;
    bool checkPassed = false;
    for (;;) {
        if (outputIndex > g.outputTimeCount)
            return true;
        if (g.parameterCount != 0 && ReadParameterLine() != 0) {
            logLine(" ?  W0004  ?");
            g.runWarningCount.fetch_add(1, std::memory_order_relaxed);
        }
        std::copy(g.newValues.begin(), g.newValues.end(), g.oldValues.begin());
        std::copy(g.subValues.begin(), g.subValues.end(), g.oldSubValues.begin());
        outputCounter = g.IFIL >= 1 ? (outputCounter + 1) % g.IFIL : 1;
        if (!deltat(g.outputTimes.data(), g.outputTimeCount, g.DELT, nominalStep, t, checkCounter,
                    g.AUTODELT, outputIndex, stepMode))
            return true; // no output time lies after t
        const double dt = g.DELT;
        // Time that no longer advances would never reach the end time: a step too small for
        // t to change, or checks that keep shrinking the step towards nothing.
        if (t + dt == t || (stepMode == 1 && nominalStep < smallestStep)) {
            endRun(19, " ! E0019 !");
            return false;
        }

        int result = 0;
        try {
            result = solver(dt, t, g.TEND);
        } catch (...) {
            endRun(99, " ! E0099 !");
            return false;
        }
        if (stopRequested(g))
            return false;
        if (result == 1) {
            endRun(8, " ! E0008 !");
            return false;
        }
        if (result == 11) {
            endRun(11, " ! E0011 !");
            return false;
        }
        if (result == 2) {
            endRun(18, " ! E0018 !");
            return false;
        }

        bool doubled = false;
        if (stepMode == 1) {
            checkPassed = solveCheckStep(t, dt);
            if (stopRequested(g))
                return false;
        } else if (stepMode == 2) {
            const double error = checkPassed
                                     ? getdif(n, np, g.newValues.data(), checkValues.data())
                                     : g.EPSDIF + 100.0;
            if (g.IPRT > 0)
                logLine(" ** auto delta t check :" + formatE(error, 15, 7));
            if (error < g.EPSDIF) {
                nominalStep *= 2;
                doubled = true;
            }
        }
        // The level reached is the one just solved; a doubled nominal step applies from the
        // next step on.
        const double tNew = t + dt;

        evaluateTerminate(t, dt);
        // An error counted while TERMINATE ran (an unknown opcode) fails the step as one counted
        // while the level was assembled does: the next step's Newton iteration would stop on it
        // at its first point, and after the last step the run would end with status 0 and an
        // error. The level is not written.
        if (g.runErrorCount.load(std::memory_order_relaxed) != 0) {
            endRun(11, " ! E0011 !");
            return false;
        }
        const bool terminate = std::floor(g.terminateValue + 0.5) == 1.0;
        if (outputCounter == 0 || stepMode == -1 || terminate)
            writeLevel(t, tNew, g.ALPHA);
        if (doubled)
            g.DELT = nominalStep;
        t = tNew;
        if (terminate || !(g.TEND > tNew))
            return true;
    }
}

// Solves the step of a check a second time over twice its length from the same start, into the
// check arrays. True when that solve converged.
bool RRazava::solveCheckStep(double t, double dt)
{
    MORVGlobalData& g = *gd;
    std::copy(g.newValues.begin(), g.newValues.end(), checkValues.begin());
    std::copy(g.temporaries.begin(), g.temporaries.end(), checkTemporaries.begin());
    // The Newton iteration works on the run's arrays: lend it the check arrays for this solve.
    auto exchange = [&] {
        std::swap(g.newValues, checkValues);
        std::swap(g.subValues, checkSubValues);
        std::swap(g.temporaries, checkTemporaries);
    };
    exchange();
    g.DELT = 2 * dt;
    int result = -1;
    try {
        result = solver(2 * dt, t, g.TEND);
    } catch (...) {
        result = -1; // a failed check only shrinks the step
    }
    exchange();
    g.DELT = dt;
    return result == 0;
}

// TERMINATE once, at point 0, on the level just solved.
void RRazava::evaluateTerminate(double t, double dt)
{
    MORVGlobalData& g = *gd;
    const int n = g.variableCount, m = g.subVariableCount;
    g.terminateValue = 0;
    // The operand record still holds whatever the Newton iteration filled last (possibly a
    // perturbed column of another point): refill it from the level solved.
    double tTheta = 0;
    prmval(0, n, &term, g.oldValues.data(), g.newValues.data(), t, dt, g.ALPHA, tTheta);
    REvalContext c;
    c.term = &term;
    c.subValues = m > 0 ? g.subValues.data() : pointSubValues.data();
    c.t = tTheta;
    c.dt = dt;
    c.x = g.pointX[0];
    c.y = g.pointY[0];
    c.nx = g.normalX[0];
    c.ny = g.normalY[0];
    c.point = 0;
    c.values = g.newValues.data();
    c.residuals = g.perturbedResiduals.data();
    c.section = &decoded[ByteCode::SectionTerminate];
    c.label = g.sectionLabel[ByteCode::SectionTerminate].c_str();
    EvalEqu(c);
}

void RRazava::writeLevel(double tOld, double tNew, double weight)
{
    MORVGlobalData& g = *gd;
    auto write = g.twoGrid != 0 ? &RRazava::filoutFVM : &RRazava::filout;
    (this->*write)(tOld, tNew, g.oldValues.data(), g.newValues.data(), g.subValues.data(),
                   g.variableCount, g.pointCount, g.subVariableCount, g.pointX.data(),
                   g.pointY.data(), weight, g.IPRT, g.IPRN);
}

// End messages, the restart file (once per run) and the run files closed. t is the time the
// restart file carries.
void RRazava::finishRun(bool normalEnd, double t)
{
    MORVGlobalData& g = *gd;
    if (normalEnd) {
        if (restartCacheState == 2)
            logLine("[Infomation]RESTART function returned RESTART FILE values.");
        else if (restartCacheState == 1)
            logLine("[Infomation]RESTART function returned ALTERNATE values.");
        logLine("Job finished normally.");
    }
    if (g.runStatus != 0 && g.IPRN > 0) {
        char buf[96];
        std::snprintf(buf, sizeof buf, "%d error(s), %d warning(s) [%d]", g.runErrorCount.load(),
                      g.runWarningCount.load(), g.runStatus.load());
        logLine(buf);
    }
    rstout(g.newValues.data(), g.variableCount, g.pointCount, g.temporaries.data(),
           g.temporaryCount, t);
    // A write that did not reach the disk ends the run as a failure, not silently here.
    FlushFile(g.resultFile);
    FlushFile(g.logFile);
    closeRunFiles();
}

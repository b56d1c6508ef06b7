// Step choice of the time loop and the parameter line read before each step.
#include "solver/RRazava.h"

namespace {

// Step-size check: the nominal step is reduced by this factor and the reduced step taken twice.
constexpr double CheckReduction = 0.707106781186548;

} // namespace

bool RRazava::deltat(const double* outputTimes, int outputTimeCount, double& dt,
                     double& nominalStep, double t, int& checkCounter, int AUTODELT,
                     int& outputIndex, int& stepMode)
{
    if (stepMode == 1) {
        // Second step of a check: same length, same target.
        stepMode = 2;
        return true;
    }
    int c = outputIndex;
    while (c <= outputTimeCount && !(outputTimes[c - 1] > t))
        ++c;
    if (c > outputTimeCount)
        return false;
    const double T = outputTimes[c - 1];
    const double h = nominalStep;
    if ((t + h) - T > -1e-5 * h) {
        dt = T - t;
        outputIndex = c + 1;
        stepMode = -1;
    } else if (h > T - (t + h)) {
        dt = (T - t) * 0.5;
        outputIndex = c;
        stepMode = 0;
    } else {
        outputIndex = c;
        dt = h;
        stepMode = 0;
        if (AUTODELT >= 1) {
            checkCounter = (checkCounter + 1) % AUTODELT;
            if (checkCounter == 0) {
                nominalStep = h * CheckReduction;
                dt = nominalStep;
                stepMode = 1;
            }
        }
    }
    return true;
}

int RRazava::ReadParameterLine()
{
    MORVGlobalData& g = *gd;
    std::string line;
    if (!ReadRawLine(g.parameterFile, line))
        return 1;
    // Parameter lines are taken as they are: no comment cut, no "D" exponent.
    const std::vector<std::string> items = splitCommaText(line);
    for (int k = 0; k < g.parameterCount; ++k) {
        double v = 0;
        if (k >= int(items.size()) || !parseReal(items[k], v))
            return 1;
        if (k < int(g.parameterValues.size()))
            g.parameterValues[k] = v;
        else
            g.parameterValues.push_back(v);
    }
    return 0;
}

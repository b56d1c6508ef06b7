#include "compiler/OutputTimes.h"

#include <cmath>

namespace {

// The regular step and the base it counts from.
void regularTimes(double tstart, double tend, double interval, double& step, double& t0)
{
    if (interval > 0.0) {
        step = interval;
        // floor, not truncation: a negative start keeps the regular time at or below it.
        t0 = interval * std::floor(tstart / interval);
    } else {
        step = 1.5 * std::fabs(tend - tstart);
        t0 = tstart;
    }
}

} // namespace

bool outputTimesFit(bool timeParameter, double tstart, double tend, double interval, qsizetype extraCount)
{
    if (!timeParameter)
        return true;
    double step = 0.0, t0 = 0.0;
    regularTimes(tstart, tend, interval, step, t0);
    // Regular times lie below tend, so at most (tend - t0) / step of them; the extra times and
    // tend itself add at most one each. A non-finite quotient (an infinite end) does not fit.
    const double regular = step > 0.0 && tend > t0 ? (tend - t0) / step : 0.0;
    const double bound = regular + double(extraCount) + 2.0;
    return std::isfinite(bound) && bound <= kMaxOutputTimes;
}

QList<double> solverOutputTimes(bool timeParameter, double tstart, double tend, double interval,
                                const QList<double>& extraTimes)
{
    if (!timeParameter)
        return {tstart - 1.0};
    if (!outputTimesFit(timeParameter, tstart, tend, interval, extraTimes.size()))
        return {};

    double step = 0.0;
    double t0 = 0.0;
    regularTimes(tstart, tend, interval, step, t0);
    const double tol = 1e-6 * step;
    long long k = 1;
    QList<double> times;
    for (const double b : extraTimes) {
        if (b >= tend)
            break;
        while (b > t0 + double(k) * step) {
            times.append(t0 + double(k) * step);
            ++k;
        }
        times.append(b);
        if ((t0 + double(k) * step) - b < tol)
            ++k;
    }
    while (t0 + double(k) * step < tend) {
        times.append(t0 + double(k) * step);
        ++k;
    }
    if (times.isEmpty() || tend - times.last() > tol)
        times.append(tend);
    return times;
}

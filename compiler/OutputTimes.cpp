#include "compiler/OutputTimes.h"

#include <cmath>

QList<double> solverOutputTimes(bool timeParameter, double tstart, double tend, double interval,
                                const QList<double>& extraTimes)
{
    if (!timeParameter)
        return {tstart - 1.0};

    double step = 0.0;
    double t0 = 0.0;
    if (interval > 0.0) {
        step = interval;
        // floor, not truncation: a negative start keeps the regular time at or below it.
        t0 = interval * std::floor(tstart / interval);
    } else {
        step = 1.5 * std::fabs(tend - tstart);
        t0 = tstart;
    }
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

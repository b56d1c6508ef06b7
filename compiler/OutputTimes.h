#pragma once
#include <QList>

// The output times that a run reports, as the solver data file carries them. The end time of
// a run travels as the last of them.
//
// Without a time parameter the list is the single time tstart - 1, an end before the start, so
// the run takes no time step. Otherwise: regular times at the multiples of a positive interval
// (counted from the multiple at or below tstart), merged with the extra times below tend in their
// stored order (a regular time within 1e-6 of a step after an extra time is not repeated), and
// tend itself unless the last time already lies within that tolerance of it. Without a positive
// interval the step is 1.5 times the run's length, so only the extra times and tend remain.
//
// A list longer than kMaxOutputTimes is never built (an end time far beyond the interval, or an
// infinite one, would grow it until memory runs out): the result is then empty, which no
// fitting list ever is.
QList<double> solverOutputTimes(bool timeParameter, double tstart, double tend, double interval,
                                const QList<double>& extraTimes);

// The most output times a solver data file carries: ten million, some 230 MB of data file and
// 80 MB in the run.
inline constexpr double kMaxOutputTimes = 1e7;

// Whether the list of solverOutputTimes stays within kMaxOutputTimes (an upper bound of its
// length is compared, without building it).
bool outputTimesFit(bool timeParameter, double tstart, double tend, double interval, qsizetype extraCount);

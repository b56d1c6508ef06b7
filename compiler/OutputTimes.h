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
QList<double> solverOutputTimes(bool timeParameter, double tstart, double tend, double interval,
                                const QList<double>& extraTimes);

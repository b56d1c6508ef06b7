#pragma once
// A whole run of the engine on a fuzzed solver data file, with its work bounded: the set-up,
// the start values (ASSUME and the INITIAL solve) and a few time steps, then the checks that
// no failure was reported as success.
#include <string>

// Builds the engine on the solver data file at `dataFile` (its run files go beside it) and,
// when it starts and its problem is small enough, runs it. A fault (an error counted with
// status 0, a value that is not finite in a run that ended with status 0 and no warning, a run
// file that cannot be written) goes to fuzzFault; any other exception leaves the target.
void runBounded(const std::string& dataFile);

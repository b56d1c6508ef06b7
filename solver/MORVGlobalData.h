#pragma once
// The whole shared state of one run: its six files, the control values and arrays read from the
// solver data file, the work arrays, the five code sections, and the progress fields, status and
// stop request through which the run thread and the monitor talk.
//
// Value arrays over points are point-major: variable i (0-based) at point p is element p*n + i.
// Grid point numbers held in lists are 1-based, as in the solver data file.

#include "solver/RFile.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class RunEvent;

// What the monitor shows of a run besides the scalar progress fields: copied by the run thread
// each time it sets the run event, read by the monitor only through MORVGlobalData::snapshot().
struct RunSnapshot {
    std::uint64_t sequence = 0;     // number of publications so far
    double largestCorrection = 0;   // largest positive maxCorrection element, else 0
    int variableCount = 0;
    int watchCount = 0;             // watch points handed in before the run
    // Values of every variable at each watch point: watchValues[w*variableCount + i].
    std::vector<double> watchValues;
};

inline constexpr int maxWatchPoints = 6;
inline constexpr int operandStackSize = 300;

struct MORVGlobalData {
    MORVGlobalData();
    ~MORVGlobalData();
    MORVGlobalData(const MORVGlobalData&) = delete;
    MORVGlobalData& operator=(const MORVGlobalData&) = delete;

    // Run files.
    RFile dataFile;        // solver data file, read once by the set-up
    RFile restartInFile;   // ".MVR3"  previous run's restart file
    RFile restartOutFile;  // ".MVR3$" restart file written at the end of the run
    RFile resultFile;      // ".MVO3$" result file
    RFile logFile;         // ".MVL3$" log, only when IPRN is non-zero
    RFile parameterFile;   // ".PRM"   optional parameter file

    // Interpreter area.
    double operandStack[operandStackSize] = {};

    // Control values.
    int RESTART = 0;
    int IPRT = 0;
    int IPRN = 0;
    int IFIL = 0;
    int MISES = 0;
    int LMAX = 0;
    int PARMT = 0;
    int PARMX = 0;
    int PARMY = 0;
    int dimension = 0;
    int pointCount = 0;
    int variableCount = 0;
    int subVariableCount = 0;
    int temporaryCount = 0;
    int localCount = 0;
    int inputCount = 0;
    int literalCount = 0;
    int AUTODELT = 0;
    int reservedValue = 0;
    int METHOD = 0;
    int twoGrid = 0;
    int FLOATINGERROR = 0;
    int mathErrorCount = 0;
    int FILEOUTTYPE = 0;
    int kmatrx = 0;         // 10 n^2 np: the figure the matrix listing prints
    double OMEGA = 0;
    double ALPHA = 0;
    double EPS = 0;
    double DELP = 0;
    double TSTART = 0;
    double DELT = 0;
    double TEND = 0;
    double EPSDIF = 0;

    // Texts and flags.
    std::string dataFilePath;
    std::string versionText;
    int thermoFlag = 0;
    int transportFlag = 0;
    int parameterCount = 0;

    // Progress and status: written by the run thread, read by the monitor (relaxed order; a
    // stale value is only shown, never acted on).
    std::atomic<int> iterationCount{0};
    std::atomic<int> runErrorCount{0};
    std::atomic<int> runWarningCount{0};
    std::atomic<double> currentTime{0.0};
    std::atomic<int> runStatus{0};

    int outputTimeCount = 0;

    // Arrays of the run.
    std::vector<double> oldValues;          // np*n
    std::vector<double> newValues;          // np*n
    std::vector<double> subValues;          // np*m
    std::vector<double> oldSubValues;       // np*m
    std::vector<double> outputTimes;        // outputTimeCount, ascending, last = TEND
    std::vector<double> pointX, pointY;     // np
    std::vector<double> normalX, normalY;   // np
    std::vector<double> inputs;             // inputCount
    std::vector<double> literals;           // literalCount
    std::vector<double> temporaries;        // temporaryCount
    std::vector<double> locals;             // localCount
    std::vector<double> parameterValues;    // as many as lines supplied, up to parameterCount
    std::vector<double> residuals;          // np*n
    std::vector<double> perturbedResiduals; // np*n
    std::vector<double> maxCorrection;      // n
    std::vector<int> pointAttributes;       // np
    std::vector<int> neighbourCounts;       // np
    std::vector<int> neighbourOffsets;      // np
    std::vector<int> neighbourList;         // sum of counts; 1-based, own number first
    std::vector<int> variableAttributes;    // n
    std::vector<int> subVariableAttributes; // m

    // 1-based variable numbers by cell attribute (0: point, else cell), ascending.
    std::vector<int> pointVariableNumbers;
    std::vector<int> cellVariableNumbers;
    std::vector<int> pointSubVariableNumbers;
    std::vector<int> cellSubVariableNumbers;

    // Control of the run: 0 go on, 1 the user asked to stop, 2 stopped after a matrix dump.
    std::atomic<int> stopRequest{0};
    double terminateValue = 0;
    RunEvent* runEvent = nullptr; // not owned; the caller holds it for the run

    // Integral regions: cumulative ends and the signed 1-based entries.
    int integral1Count = 0;
    std::vector<int> integral1Ends;
    std::vector<int> integral1Entries;
    int integral2Count = 0;
    std::vector<int> integral2Ends;
    std::vector<int> integral2Entries;

    // Byte code, sections 0 "ASSUME" to 4 "TERMINATE"; an empty section has no bytes.
    std::array<std::vector<unsigned char>, 5> code;
    std::array<int, 5> codeSize{};
    std::array<std::string, 5> sectionLabel;

    // Watch points of the monitor (0-based point numbers), set before the run starts.
    void setWatchPoints(const std::vector<int>& points);
    // Copies the largest correction and the watch values into the snapshot. Run thread only,
    // before it sets the run event.
    void publishSnapshot();
    // A consistent copy of the last published snapshot; any thread.
    RunSnapshot snapshot() const;

private:
    std::vector<int> watchPoints_;
    mutable std::mutex snapshotMutex_;
    RunSnapshot snapshot_;
};

#pragma once
// The solver engine of one run. Building it names the run files, reads the whole solver data
// file into the run state, opens the log and allocates the work arrays; it is then ready, or
// carries a start-up status in runStatus that says why not (startupReason() gives one line).
//
// The caller holds the run lock (RunEvent::acquire) before building the engine: the engine
// touches run files from its constructor on. The constructor lets an RFileError escape when the
// parameter file or the log exists but cannot be opened.
//
// Plain C++: no Qt anywhere in the engine.

#include "solver/MORVGlobalData.h"
#include "solver/RChemistryPort.h"
#include "solver/SPtTerm.h"
#include "solver/linear/RSparseDirectSolver.h"
#include "solver/linear/SSolverMatrix.h"

#include <array>
#include <cstdint>
#include <future>
#include <memory>
#include <string>
#include <vector>

// A point of a plane grid lies on the boundary when it carries an outward unit normal; inner
// points carry a zero one.
inline bool hasBoundaryNormal(double nx, double ny) { return nx * nx + ny * ny > 0.5; }

// Start-up statuses (runStatus after construction).
enum RStartupStatus : int {
    startupReady = 0,
    startupNoDataFile = 1,
    startupBadDataFile = 2,
    startupNoMemory = 3,
    startupBadParameterFile = 4,
};

// What a built-in function reads of the evaluation in progress besides the run state.
struct RBuiltinContext {
    const double* values = nullptr; // current values of all variables, point-major
    int point = 0;                  // current point p, 0-based
    double nx = 0, ny = 0;          // boundary normal of the point
    double dt = 0;                  // step in use
    const char* sectionLabel = "";  // for math-error messages
    int position = 0;               // byte offset after the call (id byte included)
};

class RRazava {
public:
    RRazava(const std::string& productWord, const std::string& dataFilePath);
    ~RRazava();
    RRazava(const RRazava&) = delete;
    RRazava& operator=(const RRazava&) = delete;

    MORVGlobalData* globalData() { return gd.get(); }
    const MORVGlobalData* globalData() const { return gd.get(); }
    // One line saying why set-up failed; empty when runStatus is 0.
    const std::string& startupReason() const { return startupReason_; }

    int OpenPRM();
    int Datain();
    int OpenLOG();
    int AllocMem();

    // Stencils and weights of every point for the run's dimension; done once by the set-up,
    // before the start values are solved.
    void ComputeStencils();
    // Sizes the non-zero list from the stencils; 1 when it does not fit.
    int AllocNonZeroList();

    // --- difference operators -------------------------------------------------------------
    static void dcoef0(int* stencilCounts, int* stencilPoints, double* W1, double* W2,
                       double* W3, double* W4, double* W5);
    // One-dimensional grid: s the coordinate along the grid; wa..wd receive the first-derivative,
    // second-derivative and the two one-sided sets.
    static void dcoef1(int np, const double* s, const int* neighbourCounts,
                       const int* neighbourOffsets, const int* neighbourList, int* stencilCounts,
                       int* stencilPoints, double* wa, double* wb, double* wc, double* wd);
    // Two-dimensional mesh.
    static void dcoef(int np, const double* x, const double* y, const int* neighbourCounts,
                      const int* neighbourOffsets, const int* neighbourList, const double* nx,
                      const double* ny, int* stencilCounts, int* stencilPoints, double* W1,
                      double* W2, double* W3, double* W4, double* W5);
    // Stencil of one point of a two-dimensional mesh (0-based point indices, point first).
    static void seljnt(const int* neighbourCounts, const int* neighbourOffsets,
                       const int* neighbourList, const double* x, const double* y, int np, int p,
                       int& count, int* points, const double* nx, const double* ny,
                       double& measure);
    // Weights from a stencil of 3, 5 or 6 points; other sizes give zero weights. Returns the
    // number of points used.
    static int caldif(const double* x, const double* y, int count, const int* stencil,
                      double* W1, double* W2, double* W3, double* W4, double* W5);
    // Most points of a widened stencil (the point itself included) over rings 1 and 2, and
    // over up to kWideLevels rings where the nearer ones lie too close to one line.
    static constexpr int kWideStencil = 20;
    static constexpr int kMaxWideStencil = 64;
    static constexpr int kWideLevels = 6;
    // True when an inner point's stencil (count points, the point first, with its two
    // second-derivative weight sets) cannot carry second derivatives: it is not a six-point
    // stencil, its Laplacian weight at the point is not negative and larger in magnitude than
    // every other weight of the stencil, or its Laplacian weights cancel more than ten times
    // over (solver/RRazavaStencilFit.cpp says why).
    static bool stencilNeedsWidening(const double* x, const double* y, int count,
                                     const int* points, const double* wxx, const double* wyy);
    // Widened stencil of point p: p and its two nearest rings of neighbours (at most
    // kWideStencil points, p first, into `points`; more rings and up to kMaxWideStencil points
    // where these do not determine a quadratic), with the five weight sets of the weighted
    // least-squares quadratic fit over them, exact for every quadratic. Returns the number of
    // points, or 0 when no such neighbourhood determines a quadratic.
    static int fitStencil(int np, const double* x, const double* y, const int* neighbourCounts,
                          const int* neighbourOffsets, const int* neighbourList, int p,
                          int* points, double* W1, double* W2, double* W3, double* W4,
                          double* W5);
    // Replaces the stencils and weights of the inner points whose stencils need widening by
    // fitted ones, appended behind the six slots per point (stencilStart then points to
    // them). Returns the largest stencil made, 0 when none was widened.
    int widenStencils(int np, const double* x, const double* y, const int* neighbourCounts,
                      const int* neighbourOffsets, const int* neighbourList, const double* nx,
                      const double* ny);
    // Contour-integral gradient over a closed ring polygon (stencil in ring order).
    static void caldif_bnd(const double* x, const double* y, int count, const int* stencil,
                           double* W1, double* W2);
    // Conditioning measure of five offsets: |det M| / (dx1^2 + dy1^2)^4.
    static double det(const double* dx, const double* dy);
    // Ring-graph distance of every point from p, up to `levels` rings; others get np + 1.
    static void getdis(const int* neighbourCounts, const int* neighbourOffsets,
                       const int* neighbourList, int np, int p, int levels, int* level);
    // Upwind sector of a ring (1-based point numbers as in neighbourList, the point first);
    // 1 found (the sector is ring[sector], ring[sector + 1]), 0 not found.
    static int getupw(int ringCount, const int* ring, const double* x, const double* y,
                      double vx, double vy, int& sector);
    // Upwind gradient of variable k (1-based) at point p for the velocity (vx, vy), over p's
    // ring (1-based point numbers, p first).
    static void upwind(const double* values, int n, int ringCount, const int* ring,
                       const double* x, const double* y, int unused, int k, double vx, double vy,
                       int p, double nx, double ny, double& dudx, double& dudy);

    // --- special functions ----------------------------------------------------------------
    static double derf(double x);
    static double gammln(double a);
    static double gser(double a, double x, double& lnGamma);
    static double gcf(double a, double x, double& lnGamma);
    static double gammp(double a, double x);
    static double LimitedValue(double x);

    // --- built-in functions ---------------------------------------------------------------
    // Executes function `id` on the operand stack (arguments popped, result pushed).
    void callFunction(int id, double* stack, int& depth, const RBuiltinContext& ctx);
    // One math error: log line when IPRN is set, counters, value := substitute.
    void errtra(const char* sectionLabel, int position, const char* name, double& value,
                double substitute);
    // A value to be stored or to decide a branch that is not finite: one math error named
    // "INF" or "NAN"; gives its substitute (1e308 with the sign of an infinity, 0 for a NaN).
    // Out of line, so that the interpreter loop keeps its registers.
    [[gnu::noinline, gnu::cold]] double nonFiniteValue(const char* sectionLabel, int position,
                                                       double value);
    // A second derivative asked for at an inner point whose mesh neighbourhood cannot give one
    // (secondDerivativeMissing): the first time for that point, one run error and a log line
    // naming it. The run then fails instead of solving with 0 for that derivative.
    [[gnu::noinline, gnu::cold]] void missingSecondDerivative(int point);
    // A built-in function's result that is not finite: one math error named after function id.
    [[gnu::noinline, gnu::cold]] void nonFiniteFunctionResult(const char* sectionLabel,
                                                               int position, int id, double& result);
    double sigma(const double* values, int k, double a, double b, bool alongY) const;
    double sigma0(const double* values, int k, double a, double b, bool alongY) const;
    double sigmav(const double* values, int k, double a, double b, bool alongY) const;
    double sigmag(const double* values, int k, double a, double b, bool alongY) const;
    double sigma1(const double* values, int k, int region) const;
    double sigma2(const double* values, int k, int region) const;
    double getsys(int item, double dt, int p) const;
    // ATTRIBUTE(k) at p; `bad` is set for k > 7.
    double attrib(int k, int p, double nx, double ny, bool& bad) const;

    // --- byte-code interpreter ----------------------------------------------------------
    // Decodes one section; `literals` resolves the argument count of property calls for the
    // stack-depth analysis.
    static RDecodedSection decodeSection(const unsigned char* code, int size,
                                         const std::vector<double>& literals);
    // Operand records and the decoded sections of the run; 1 (with a reason) when a section
    // needs more operand stack than there is, or pops an empty stack.
    int prepareInterpreter(std::string& reason);
    // Fills the operand record of point p and sets tTheta = tOld + alpha*dt.
    void prmval(int p, int n, SPtTerm* term, const double* oldValues, const double* newValues,
                double tOld, double dt, double alpha, double& tTheta);
    // The entries of variable i (0-based) alone, exactly as prmval fills them.
    void prmvalVariable(int p, int n, int i, SPtTerm* term, const double* oldValues,
                        const double* newValues, double dt, double alpha);
    // Executes the context's section for its point.
    void EvalEqu(REvalContext& context);

    // --- Newton iteration -----------------------------------------------------------------
    // Solves the level from tOld to tOld + dt (newValues hold the start and receive the
    // solution). The rest of what the iteration needs is the run state. Returns 0 (converged,
    // not converged within LMAX, stopped, or the matrix listing written), 1 (linear solver
    // failed), 2 (math errors in the last iteration with FLOATINGERROR 0, or a non-finite
    // residual or correction), 11 (an error counted during assembly).
    int solver(double dt, double tOld, double tEnd);
    // Residuals of point p into the solver's right-hand side; on a rebuild also its Jacobian
    // columns. False when a residual or a Jacobian entry is not finite.
    bool jacobi(int p, double dt, double tOld, bool rebuild);
    // Analyses the positions of every stencil's Jacobian block for the sparse direct solver of
    // a two-dimensional run, so that its analysis is made once for the whole run. The analysis
    // reads its own copy of the positions and runs in another thread while the first Jacobian
    // is assembled; the returned future is waited for before the solver is used (its
    // destructor waits too). Without a thread it is made before returning.
    std::future<void> analyseStencilPattern();
    // Makes the sparse solver of a run whose linear method is the external sparse one, and for
    // a plane run starts the analysis of its stencil pattern; nothing when the solver exists.
    // Called at the start of the set-up, so that the analysis runs beside the set-up's output
    // and the first assembly.
    void startSparseSolver();
    // Largest relative difference of two value vectors, over the variables.
    static double getdif(int n, int np, const double* a, const double* b);
    // Pivot tolerance of the band factorisation.
    static constexpr double kBandPivotTolerance = 1e-15;

    // --- restart file ---------------------------------------------------------------------
    void rstout(const double* values, int n, int np, const double* temporaries,
                int temporaryCount, double time);
    int ReadRestartFileHeader(int& n, int& np, int& temporaryCount, double& time,
                              std::vector<int>& classFlags);
    int rstin(double* values, int n, int np, double* temporaries, int temporaryCount,
              double& time);
    double GetFromRestartFile(int k, int p, int n, int np, int temporaryCount, double alternate);

    // --- result file ----------------------------------------------------------------------
    // Opens the result file: a continued transient run (RESTART and PARMT set) appends to a copy
    // of the document's previous result; any other run starts it afresh with its header.
    // Throws RFileError when the file cannot be opened or written.
    void StartResultFile();
    // Header of the result file (counts, class lines, points, and for a plane run the
    // triangles); the file is open for writing.
    void WriteResultHeader();
    // Stencil of every point of a plane run, after the header; nothing for other runs.
    void WriteNeighbourLines();
    // One output record of a one-grid run (filout) or a two-grid run (filoutFVM) and, when
    // IPRT >= 10 and IPRN > 0, the value listing of the level in the log.
    void filout(double tOld, double tNew, const double* oldValues, const double* newValues,
                const double* subValues, int n, int np, int m, const double* pointX,
                const double* pointY, double weight, int IPRT, int IPRN);
    void filoutFVM(double tOld, double tNew, const double* oldValues, const double* newValues,
                   const double* subValues, int n, int np, int m, const double* pointX,
                   const double* pointY, double weight, int IPRT, int IPRN);

    // --- run ------------------------------------------------------------------------------
    // The whole run, once per engine whose start-up status is 0: preparation, initial output,
    // the time steps, the end messages, the restart file, and the run files closed. The outcome
    // is runStatus, the counts and the files. An exception outside the Newton solve of a step
    // (preparation, TERMINATE, a write) leaves to the caller, which gives the run status 99.
    // Status 19 ends a run whose time stops advancing: a step would leave t unchanged, or a
    // step-size check would take the nominal step below 1e-9 of the data file's DELT.
    void SolveEquation();
    // Opens the result file (a copy of the previous result for a continued transient run, else a
    // fresh header) and prepares the start values; returns the preparation code: 0 prepared,
    // 1 / 2 / 11 the INITIAL solve failed in the linear solver / with math errors / with an
    // assembly error, 3 the restart file is missing or does not fit, 4 a run without time found
    // no usable parameter line.
    int Setup();
    // Start values (restart file or ASSUME), the stencil listing and the neighbour lines, the
    // parameter line of a run without time, and the INITIAL solve at TSTART.
    void PrepareInitial(int& code);

    // --- time loop ------------------------------------------------------------------------
    // Step choice of one step: sets dt, the output index (1-based, next output time to reach)
    // and the step mode (-1 ends on an output time, 0 ordinary, 1 a reduced step that starts a
    // step-size check, 2 its second step); the nominal step and the check counter change with
    // a check. False when no output time after t remains (nothing is changed then).
    static bool deltat(const double* outputTimes, int outputTimeCount, double& dt,
                       double& nominalStep, double t, int& checkCounter, int AUTODELT,
                       int& outputIndex, int& stepMode);
    // Reads the next line of the parameter file into parameterValues: 0 done; 1 at the end of
    // the file or with an item missing or not a number (the values read before it are kept).
    // parameterValues grows to the most values a line has supplied, never past parameterCount.
    int ReadParameterLine();

    // --- run log --------------------------------------------------------------------------
    // Writes one line when IPRN is set and the log is open.
    void logLine(const std::string& line);

    // Engine fields.
    std::string productWord;
    std::unique_ptr<RChemistryPort> chemistry;
    std::vector<double> chemInput;   // property input vector, one per species
    std::vector<double> chemOutput;  // property output vector, one per species
    int triangleCount = 0;
    std::vector<int> triangleVertices[3];
    std::vector<int> triangleNeighbours[3];
    // Stencils: per point a count and six 0-based point slots; five weight sets parallel to them.
    // A widened stencil lies behind the np * 6 slots; stencilStart[p] is the index of point p's
    // first slot (6 p for every stencil that was not widened).
    std::vector<int> stencilCounts;
    std::vector<std::size_t> stencilStart;
    std::vector<int> stencilPoints;
    std::vector<double> weightDx, weightDy, weightDxx, weightDyy, weightDxy;
    // Per point of a plane grid: 1 for an inner point whose stencil has no second derivatives
    // and that no fit could widen (too few points around it for a quadratic), 2 once the run
    // has reported it; empty when every inner point has second derivatives.
    std::vector<unsigned char> secondDerivativeMissing;
    std::vector<double> restartCache;
    int restartCacheState = 0;
    std::unique_ptr<SSolverMatrix> matrix; // linear system of the Newton iteration
    std::vector<double> pointSubValues;
    std::vector<double> checkValues;
    std::vector<double> checkSubValues;
    std::vector<double> checkTemporaries;
    // Jacobian non-zero list (1-based rows and columns), sized to what the stencils can produce:
    // the sum over the points of stencil size * n^2, plus one. Built only where it is read: for
    // the external sparse solver and for the matrix listing (IPRT mod 10 >= 3); else empty.
    std::vector<double> nonZeroValues;
    std::vector<SolverIndex> nonZeroRows;
    std::vector<SolverIndex> nonZeroColumns;
    std::int64_t nonZeroCapacity = 0;
    std::int64_t nonZeroCount = 0;
    // Code section the Newton iteration solves: EQUATION in a time step, INITIAL for the start
    // values (index as in MORVGlobalData::code).
    int newtonSection = 3;
    // Interpreter and Newton state of the run.
    SPtTerm term;
    SPtTerm perturbedTerm;
    // A perturbed Jacobian column normally refreshes only the operand entries of the variables
    // perturbed now and before; set, every column refills the whole record (for comparison).
    bool fullColumnRefill = false;
    std::vector<double> scratchSubValues;
    std::array<RDecodedSection, 5> decoded;
    std::unique_ptr<RSparseDirectSolver> sparseSolver;
    // The sparse solver's analysis of a plane run's stencil pattern while it is made in another
    // thread; waited for before the first solve. Declared after the solver it works on, so
    // that it is waited for before the solver is destroyed.
    std::future<void> patternAnalysis;

    // Wall-clock seconds the Newton iterations of this engine spent assembling (residuals and
    // Jacobian) and in the linear solver (with the sparse solver's analysis), for the
    // benchmarks' figures per phase.
    struct SPhaseTimes {
        double assembly = 0.0;
        double linearSolve = 0.0;
    } phaseTimes;

private:
    // Checks of a Newton iteration's linear solve (solver/RRazavaSolveCheck.cpp). Each returns
    // true when the solution stands; otherwise it writes one log line saying what failed and
    // at which point, and the iteration ends with result 1.
    bool sparseSolveStands(int status);
    bool iterativeSolveStands(int result, SolverIndex iterations);
    void reportBandFailure();
    bool residualStands();
    struct SResidual {
        double residual = 0, rightHandSide = 0, rowScales = 0; // 1-norms, sum of row maxima
        SolverIndex worstRow = 0;
    };
    void solveResidual(SResidual& out);
    SolverIndex emptyRowOrColumn();
    // Largest uncertainty of the last sparse direct solve's correction, per variable relative
    // to its largest correction, that the Jacobian's accuracy allows; `worst` receives the
    // unknown where it is largest.
    double correctionErrorBound(SolverIndex& worst);
    void logSolveFailure(const std::string& what, SolverIndex unknown);
    double jacobianAccuracy() const;
    std::vector<double> residualWork, rowScaleWork, boundWork;

    int readDataFile(std::string& reason);
    // Pieces of SolveEquation (solver/RRazavaTimeLoop.cpp).
    bool integrate(double& t);
    bool solveCheckStep(double t, double dt);
    void evaluateTerminate(double t, double dt);
    void writeLevel(double tOld, double tNew, double weight);
    void endRun(int status, const char* logText);
    void finishRun(bool normalEnd, double t);
    // Closes all six run files; never throws.
    void closeRunFiles();
    void fail(int status, const std::string& reason);

    std::unique_ptr<MORVGlobalData> gd;
    std::string startupReason_;
};

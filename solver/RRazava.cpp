#include "solver/RRazava.h"

#include "MorvVersion.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <new>
#include <system_error>

namespace {

RChemistryFactory& chemistryFactory()
{
    static RChemistryFactory factory;
    return factory;
}

// The data file path with its extension replaced.
std::string withExtension(const std::string& path, const char* extension)
{
    std::filesystem::path p(path);
    p.replace_extension(extension);
    return p.string();
}

bool fileExists(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

const char* const noMemoryReason = "the work arrays of this problem do not fit in memory";

} // namespace

void setChemistryFactory(RChemistryFactory factory) { chemistryFactory() = std::move(factory); }

std::unique_ptr<RChemistryPort> makeChemistry()
{
    return chemistryFactory() ? chemistryFactory()() : makePackageChemistry();
}

RRazava::RRazava(const std::string& word, const std::string& dataFilePath)
    : productWord(word), gd(std::make_unique<MORVGlobalData>())
{
    MORVGlobalData& g = *gd;
    g.dataFilePath = dataFilePath;
    g.runErrorCount = 0;
    g.runWarningCount = 0;
    g.stopRequest = 0;
    g.runEvent = nullptr;
    triangleCount = 0;

    const int v = MORV_VERSION_MAJOR * 1000000 + MORV_VERSION_MINOR * 10000
                  + MORV_VERSION_RELEASE * 100 + MORV_VERSION_BUILD;
    g.versionText = std::to_string(v / 1000000) + "." + std::to_string((v % 1000000) / 10000) + "."
                    + std::to_string((v % 10000) / 100) + "." + std::to_string(v % 100);

    restartCacheState = 0;
    g.runStatus = startupReady;
    chemistry = makeChemistry();

    g.dataFile.name = dataFilePath;
    g.restartInFile.name = withExtension(dataFilePath, ".MVR3");
    g.restartOutFile.name = withExtension(dataFilePath, ".MVR3$");
    g.resultFile.name = withExtension(dataFilePath, ".MVO3$");
    g.logFile.name = withExtension(dataFilePath, ".MVL3$");
    g.parameterFile.name = withExtension(dataFilePath, ".PRM");

    if (!fileExists(dataFilePath)) {
        fail(startupNoDataFile, "the solver data file does not exist: " + dataFilePath);
        return;
    }
    if (OpenPRM() != 0) {
        fail(startupBadParameterFile, "the parameter file does not start with an integer count");
        return;
    }
    std::string reason;
    if (readDataFile(reason) != 0) {
        fail(startupBadDataFile, reason);
        return;
    }
    // The code sections are part of the data file: one the interpreter cannot run is refused
    // before the log exists, like any other fault of the file.
    int prepared = 1;
    try {
        prepared = prepareInterpreter(reason);
    } catch (const std::bad_alloc&) {
        fail(startupNoMemory, noMemoryReason);
        return;
    }
    if (prepared != 0) {
        fail(startupBadDataFile, reason);
        return;
    }
    OpenLOG();
    if (AllocMem() != 0) {
        fail(startupNoMemory, noMemoryReason);
        return;
    }
    g.iterationCount = 0;
    std::fill(g.maxCorrection.begin(), g.maxCorrection.end(), 0.0);
}

RRazava::~RRazava() = default;

void RRazava::fail(int status, const std::string& reason)
{
    gd->runStatus = status;
    gd->runErrorCount.fetch_add(1, std::memory_order_relaxed);
    startupReason_ = reason;
}

int RRazava::OpenPRM()
{
    MORVGlobalData& g = *gd;
    g.parameterCount = 0;
    if (!fileExists(g.parameterFile.name))
        return 0;
    StartFile(g.parameterFile, RFileEncoding::ansi, Eio::read, false);
    int count = 0;
    if (ReadOneInteger(g.parameterFile, count) != 0) {
        g.parameterCount = 0;
        return 1;
    }
    // A negative count means no values per line.
    g.parameterCount = std::max(count, 0);
    return 0;
}

int RRazava::Datain()
{
    std::string reason;
    return readDataFile(reason);
}

int RRazava::OpenLOG()
{
    MORVGlobalData& g = *gd;
    if (g.IPRN == 0) {
        // A log left by an earlier run must not be committed as this run's log.
        std::error_code ec;
        std::filesystem::remove(g.logFile.name, ec);
        return 0;
    }
    StartFile(g.logFile, RFileEncoding::utf8, Eio::write, false);
    WriteLine(g.logFile, productWord + " numerical analysis engine, run log");
    WriteLine(g.logFile, "Version " + g.versionText);
    WriteLine(g.logFile);
    FlushFile(g.logFile);
    return 0;
}

void RRazava::logLine(const std::string& line)
{
    MORVGlobalData& g = *gd;
    if (g.IPRN == 0 || !g.logFile.writer)
        return;
    WriteLine(g.logFile, line);
    FlushFile(g.logFile);
}

int RRazava::AllocMem()
{
    MORVGlobalData& g = *gd;
    const std::int64_t n = g.variableCount, m = g.subVariableCount, np = g.pointCount;
    const std::int64_t N = np * n;
    const std::int64_t k = 10 * n * n * np;
    if (N > INT_MAX || np * m > INT_MAX || k > INT_MAX || np * 6 > INT_MAX)
        return 1;
    try {
        g.kmatrx = static_cast<int>(k);
        g.oldValues.assign(N, 0.0);
        g.newValues.assign(N, 0.0);
        checkValues.assign(N, 0.0);
        if (m > 0) {
            g.subValues.assign(np * m, 0.0);
            g.oldSubValues.assign(np * m, 0.0);
            checkSubValues.assign(np * m, 0.0);
            pointSubValues.assign(m, 0.0);
        }
        g.maxCorrection.assign(n, 0.0);
        if (g.temporaryCount > 0) {
            g.temporaries.assign(g.temporaryCount, 0.0);
            checkTemporaries.assign(g.temporaryCount, 0.0);
        }
        if (g.localCount > 0)
            g.locals.assign(g.localCount, 0.0);
        // The parameter values grow with the lines that supply them (ReadParameterLine): the
        // count in the file's first line sizes nothing.
        g.parameterValues.clear();
        stencilCounts.assign(np, 0);
        stencilStart.resize(np);
        for (std::int64_t p = 0; p < np; ++p)
            stencilStart[p] = static_cast<std::size_t>(p) * 6;
        stencilPoints.assign(np * 6, 0);
        for (auto* w : {&weightDx, &weightDy, &weightDxx, &weightDyy, &weightDxy})
            w->assign(np * 6, 0.0);
        g.residuals.assign(N, 0.0);
        g.perturbedResiduals.assign(N, 0.0);

        const SSolverMatrixLayout layout =
            chooseSolverMatrixLayout(g.dimension, n, g.MISES, g.METHOD);
        if (layout.rowWidth > 0 && N * layout.rowWidth > std::int64_t(1) << 40)
            return 1; // row arrays beyond any memory: status 3, not an allocation attempt
        matrix = std::make_unique<SSolverMatrix>();
        matrix->allocate(N, layout.method, layout.halfBandwidth, layout.rowWidth);

        g.pointVariableNumbers.clear();
        g.cellVariableNumbers.clear();
        for (int i = 0; i < g.variableCount; ++i)
            (g.variableAttributes[i] == 0 ? g.pointVariableNumbers : g.cellVariableNumbers)
                .push_back(i + 1);
        g.pointSubVariableNumbers.clear();
        g.cellSubVariableNumbers.clear();
        for (int i = 0; i < g.subVariableCount; ++i)
            (g.subVariableAttributes[i] == 0 ? g.pointSubVariableNumbers
                                             : g.cellSubVariableNumbers)
                .push_back(i + 1);
        ComputeStencils();
        if (AllocNonZeroList() != 0)
            return 1;
    } catch (const std::bad_alloc&) {
        return 1;
    } catch (const std::length_error&) {
        return 1;
    }
    return 0;
}

int RRazava::AllocNonZeroList()
{
    const MORVGlobalData& g = *gd;
    const std::int64_t n = g.variableCount;
    std::int64_t capacity = 1;
    for (int p = 0; p < g.pointCount && p < static_cast<int>(stencilCounts.size()); ++p)
        capacity += static_cast<std::int64_t>(stencilCounts[p]) * n * n;
    if (capacity > INT_MAX)
        return 1;
    nonZeroCapacity = capacity;
    const bool read = (matrix && matrix->method == kMethodExternalSparse) || g.IPRT % 10 >= 3;
    const std::size_t size = read ? static_cast<std::size_t>(capacity) : 0;
    nonZeroValues.assign(size, 0.0);
    nonZeroRows.assign(size, 0);
    nonZeroColumns.assign(size, 0);
    return 0;
}

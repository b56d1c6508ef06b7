// The result file: its header (grid description) and one record per output level, with the
// value listing of each level in the log. Every write is flushed at once, so a result can be
// read while the run goes on or after it failed.
#include "solver/RRazava.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <string>

namespace {

// Grid 1 of the two-grid layout holds the even points, grid 2 the odd ones. Every point is in
// exactly one grid, so the two counts always add up to the point count (with an odd count they
// are np / 2 + 1 and np / 2).
int gridOneCount(int np) { return (np + 1) / 2; }
int gridTwoCount(int np) { return np / 2; }

std::string pointLine(double x, double y, int attribute)
{
    return formatE(x, 22, 14) + "," + formatE(y, 22, 14) + "," + std::to_string(attribute);
}

std::string classLine(const std::vector<int>& attributes)
{
    std::string line;
    for (int a : attributes)
        line += " " + std::to_string(a);
    return line;
}

std::string listingNumber(double v) { return formatE(RRazava::LimitedValue(v), 12, 4); }

// One value line of a record: the chosen values of one point, field after field.
struct RecordValues {
    const double* oldValues;
    const double* newValues;
    int stride;
    double weight;
    bool interpolate;

    double at(int p, int i) const
    {
        const std::size_t k = std::size_t(p) * stride + i;
        const double v =
            interpolate ? newValues[k] * weight + oldValues[k] * (1.0 - weight) : newValues[k];
        return RRazava::LimitedValue(v);
    }
    std::string line(int p) const
    {
        std::string s;
        for (int i = 0; i < stride; ++i)
            s += formatField22(at(p, i));
        return s;
    }
    // The listed numbers are 1-based.
    std::string line(int p, const std::vector<int>& numbers) const
    {
        std::string s;
        for (int number : numbers)
            s += formatField22(at(p, number - 1));
        return s;
    }
};

// The value listing of one output level in the log; two-grid runs list all points alike.
void writeValueListing(RFile& log, double subTime, double variableTime, const RecordValues& values,
                       const double* subValues, int n, int np, int m, const double* pointX,
                       const double* pointY)
{
    if (!log.writer)
        return;
    char buf[64];
    auto block = [&](double time, const char* head, int count, auto value) {
        std::string line = "time =" + formatE(time, 12, 4) + "            ";
        for (int i = 1; i <= count; ++i) {
            std::snprintf(buf, sizeof buf, "%s%6d", head, i);
            line += buf;
        }
        WriteLine(log, line);
        for (int p = 0; p < np; ++p) {
            std::snprintf(buf, sizeof buf, "%5d", p + 1);
            line = buf + listingNumber(pointX[p]) + listingNumber(pointY[p]) + ":";
            for (int i = 0; i < count; ++i)
                line += listingNumber(value(p, i));
            WriteLine(log, line);
        }
    };
    if (m > 0)
        block(subTime, "  sphi", m,
              [&](int p, int i) { return subValues[std::size_t(p) * m + i]; });
    if (n > 0)
        block(variableTime, "  phi ", n, [&](int p, int i) { return values.at(p, i); });
    FlushFile(log);
}

} // namespace

void RRazava::StartResultFile()
{
    MORVGlobalData& g = *gd;
    RFile& f = g.resultFile;
    if (g.RESTART != 0 && g.PARMT != 0) {
        // A continued transient run appends its records to a copy of the previous result; a
        // missing previous result leaves a file of this run's records only.
        namespace fs = std::filesystem;
        fs::path committed(f.name);
        committed.replace_extension(".MVO3");
        std::error_code ec;
        fs::remove(f.name, ec);
        // A previous result that exists but cannot be copied ends the run: committing a result
        // without its earlier records would lose them.
        if (fs::exists(committed, ec)
            && !fs::copy_file(committed, f.name, fs::copy_options::overwrite_existing, ec))
            throw RFileError("cannot copy " + committed.string() + " to " + f.name);
        StartFile(f, RFileEncoding::ansi, Eio::write, true);
        return;
    }
    StartFile(f, RFileEncoding::ansi, Eio::write, false);
    WriteResultHeader();
}

void RRazava::WriteResultHeader()
{
    MORVGlobalData& g = *gd;
    RFile& f = g.resultFile;
    const int np = g.pointCount;
    char buf[160];
    std::snprintf(buf, sizeof buf, "%d,%d,%d,%d,%d,%d,%d,%d", g.PARMX, g.PARMY, g.variableCount,
                  g.subVariableCount, np, g.twoGrid,
                  g.twoGrid ? gridOneCount(np) : np / 2 + 1,
                  g.twoGrid ? gridTwoCount(np) : np / 2);
    WriteLine(f, buf);
    WriteLine(f, classLine(g.variableAttributes));
    if (g.subVariableCount > 0)
        WriteLine(f, classLine(g.subVariableAttributes));
    if (g.twoGrid == 0) {
        for (int p = 0; p < np; ++p)
            WriteLine(f, pointLine(g.pointX[p], g.pointY[p], g.pointAttributes[p]));
    } else {
        for (int first : {0, 1})
            for (int p = first; p < np; p += 2)
                WriteLine(f, pointLine(g.pointX[p], g.pointY[p], g.pointAttributes[p]));
    }
    if (g.dimension == 2) {
        WriteLine(f, std::to_string(triangleCount));
        for (int t = 0; t < triangleCount; ++t) {
            std::snprintf(buf, sizeof buf, "%4d,%4d,%4d,%4d,%4d,%4d", triangleVertices[0][t],
                          triangleVertices[1][t], triangleVertices[2][t],
                          triangleNeighbours[0][t], triangleNeighbours[1][t],
                          triangleNeighbours[2][t]);
            WriteLine(f, buf);
        }
    }
    FlushFile(f);
}

void RRazava::WriteNeighbourLines()
{
    MORVGlobalData& g = *gd;
    if (g.dimension != 2)
        return;
    RFile& f = g.resultFile;
    for (int p = 0; p < g.pointCount; ++p) {
        const int count = stencilCounts[p];
        std::string line = std::to_string(count);
        for (int j = 0; j < count; ++j)
            line += " " + std::to_string(stencilPoints[std::size_t(p) * 6 + j] + 1);
        WriteLine(f, line);
    }
    FlushFile(f);
}

void RRazava::filout(double tOld, double tNew, const double* oldValues, const double* newValues,
                     const double* subValues, int n, int np, int m, const double* pointX,
                     const double* pointY, double weight, int IPRT, int IPRN)
{
    RFile& f = gd->resultFile;
    const double th = tNew * weight + tOld * (1.0 - weight);
    const bool asNew = gd->FILEOUTTYPE == 1;
    if (m > 0) {
        const RecordValues sub{subValues, subValues, m, 1.0, false};
        WriteLine(f, formatE(th, 22, 14));
        for (int p = 0; p < np; ++p)
            WriteLine(f, sub.line(p));
    }
    const RecordValues values{oldValues, newValues, n, weight, !asNew};
    WriteLine(f, formatE(asNew ? tNew : th, 22, 14));
    for (int p = 0; p < np; ++p)
        WriteLine(f, values.line(p));
    FlushFile(f);
    if (IPRT >= 10 && IPRN > 0)
        writeValueListing(gd->logFile, th, asNew ? tNew : th, values, subValues, n, np, m, pointX, pointY);
}

void RRazava::filoutFVM(double tOld, double tNew, const double* oldValues,
                        const double* newValues, const double* subValues, int n, int np, int m,
                        const double* pointX, const double* pointY, double weight, int IPRT,
                        int IPRN)
{
    MORVGlobalData& g = *gd;
    RFile& f = g.resultFile;
    const double th = tNew * weight + tOld * (1.0 - weight);
    const bool asNew = g.FILEOUTTYPE == 1;
    if (m > 0) {
        const RecordValues sub{subValues, subValues, m, 1.0, false};
        WriteLine(f, formatE(th, 22, 14));
        if (!g.pointSubVariableNumbers.empty())
            for (int p = 0; p < np; p += 2)
                WriteLine(f, sub.line(p, g.pointSubVariableNumbers));
        if (!g.cellSubVariableNumbers.empty())
            for (int p = 1; p < np; p += 2)
                WriteLine(f, sub.line(p, g.cellSubVariableNumbers));
    }
    const RecordValues values{oldValues, newValues, n, weight, !asNew};
    WriteLine(f, formatE(asNew ? tNew : th, 22, 14));
    for (int p = 0; p < np; p += 2)
        WriteLine(f, values.line(p, g.pointVariableNumbers));
    for (int p = 1; p < np; p += 2)
        WriteLine(f, values.line(p, g.cellVariableNumbers));
    FlushFile(f);
    if (IPRT >= 10 && IPRN > 0)
        writeValueListing(gd->logFile, th, asNew ? tNew : th, values, subValues, n, np, m, pointX, pointY);
}

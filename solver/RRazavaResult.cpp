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

void appendPointLine(std::string& line, double x, double y, int attribute)
{
    appendE(line, x, 22, 14);
    line += ',';
    appendE(line, y, 22, 14);
    line += ',';
    appendInteger(line, attribute);
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
    void appendLine(std::string& s, int p) const
    {
        for (int i = 0; i < stride; ++i)
            appendField22(s, at(p, i));
    }
    // The listed numbers are 1-based.
    void appendLine(std::string& s, int p, const std::vector<int>& numbers) const
    {
        for (int number : numbers)
            appendField22(s, at(p, number - 1));
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
    RLineBlock block(f);
    std::string& line = block.text();
    line += buf;
    block.endLine();
    line += classLine(g.variableAttributes);
    block.endLine();
    if (g.subVariableCount > 0) {
        line += classLine(g.subVariableAttributes);
        block.endLine();
    }
    auto writePoint = [&](int p) {
        appendPointLine(line, g.pointX[p], g.pointY[p], g.pointAttributes[p]);
        block.endLine();
    };
    if (g.twoGrid == 0) {
        for (int p = 0; p < np; ++p)
            writePoint(p);
    } else {
        for (int first : {0, 1})
            for (int p = first; p < np; p += 2)
                writePoint(p);
    }
    if (g.dimension == 2) {
        appendInteger(line, triangleCount);
        block.endLine();
        for (int t = 0; t < triangleCount; ++t) {
            // "%4d,%4d,%4d,%4d,%4d,%4d"
            for (int i = 0; i < 6; ++i) {
                if (i > 0)
                    line += ',';
                appendInteger(line, i < 3 ? triangleVertices[i][t] : triangleNeighbours[i - 3][t],
                              4);
            }
            block.endLine();
        }
    }
    block.flush();
}

void RRazava::WriteNeighbourLines()
{
    MORVGlobalData& g = *gd;
    if (g.dimension != 2)
        return;
    RLineBlock block(g.resultFile);
    std::string& line = block.text();
    for (int p = 0; p < g.pointCount; ++p) {
        const int count = stencilCounts[p];
        appendInteger(line, count);
        for (int j = 0; j < count; ++j) {
            line += ' ';
            appendInteger(line, stencilPoints[stencilStart[p] + j] + 1);
        }
        block.endLine();
    }
    block.flush();
}

void RRazava::filout(double tOld, double tNew, const double* oldValues, const double* newValues,
                     const double* subValues, int n, int np, int m, const double* pointX,
                     const double* pointY, double weight, int IPRT, int IPRN)
{
    RLineBlock block(gd->resultFile);
    std::string& line = block.text();
    const double th = tNew * weight + tOld * (1.0 - weight);
    const bool asNew = gd->FILEOUTTYPE == 1;
    if (m > 0) {
        const RecordValues sub{subValues, subValues, m, 1.0, false};
        appendE(line, th, 22, 14);
        block.endLine();
        for (int p = 0; p < np; ++p) {
            sub.appendLine(line, p);
            block.endLine();
        }
    }
    const RecordValues values{oldValues, newValues, n, weight, !asNew};
    appendE(line, asNew ? tNew : th, 22, 14);
    block.endLine();
    for (int p = 0; p < np; ++p) {
        values.appendLine(line, p);
        block.endLine();
    }
    block.flush();
    if (IPRT >= 10 && IPRN > 0)
        writeValueListing(gd->logFile, th, asNew ? tNew : th, values, subValues, n, np, m, pointX, pointY);
}

void RRazava::filoutFVM(double tOld, double tNew, const double* oldValues,
                        const double* newValues, const double* subValues, int n, int np, int m,
                        const double* pointX, const double* pointY, double weight, int IPRT,
                        int IPRN)
{
    MORVGlobalData& g = *gd;
    RLineBlock block(g.resultFile);
    std::string& line = block.text();
    const double th = tNew * weight + tOld * (1.0 - weight);
    const bool asNew = g.FILEOUTTYPE == 1;
    auto writeLines = [&](const RecordValues& v, int first, const std::vector<int>& numbers) {
        for (int p = first; p < np; p += 2) {
            v.appendLine(line, p, numbers);
            block.endLine();
        }
    };
    if (m > 0) {
        const RecordValues sub{subValues, subValues, m, 1.0, false};
        appendE(line, th, 22, 14);
        block.endLine();
        if (!g.pointSubVariableNumbers.empty())
            writeLines(sub, 0, g.pointSubVariableNumbers);
        if (!g.cellSubVariableNumbers.empty())
            writeLines(sub, 1, g.cellSubVariableNumbers);
    }
    const RecordValues values{oldValues, newValues, n, weight, !asNew};
    appendE(line, asNew ? tNew : th, 22, 14);
    block.endLine();
    writeLines(values, 0, g.pointVariableNumbers);
    writeLines(values, 1, g.cellVariableNumbers);
    block.flush();
    if (IPRT >= 10 && IPRN > 0)
        writeValueListing(gd->logFile, th, asNew ? tNew : th, values, subValues, n, np, m, pointX, pointY);
}

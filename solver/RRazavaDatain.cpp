// Reading the solver data file into the run state. Every count and number is range-checked, so
// a damaged or hand-edited file ends the set-up with a reason instead of a crash.
#include "document/ByteCode.h"
#include "solver/RCodeCheck.h"
#include "solver/RRazava.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

// Thrown inside readDataFile only, to end reading with the status and reason.
struct DataError {
    int result;
    std::string reason;
};

class DataReader {
public:
    explicit DataReader(RFile& f) : f_(f) {}

    int integer(const char* what)
    {
        int v = 0;
        check(ReadOneInteger(f_, v), what);
        return v;
    }
    double real(const char* what)
    {
        double v = 0;
        check(ReadOneFloat(f_, v), what);
        return v;
    }
    int count(const char* what)
    {
        const int v = integer(what);
        if (v < 0)
            bad(std::string(what) + " " + std::to_string(v) + " is negative");
        return v;
    }
    int addressable(const char* what)
    {
        const int v = count(what);
        if (v > ByteCode::maxIndex)
            bad(std::string(what) + " " + std::to_string(v) + " is more than the byte code can address ("
                + std::to_string(ByteCode::maxIndex) + ")");
        return v;
    }
    void lineFeed() { DoLineFeed(f_); }
    [[noreturn]] void bad(const std::string& why, int result = 2) const
    {
        throw DataError{result, "solver data file line " + std::to_string(f_.lineNumber) + ": " + why};
    }
    void check(int r, const char* what) const
    {
        if (r == 2)
            throw DataError{resultOnFailure, std::string("solver data file ends before ") + what};
        if (r != 0)
            bad(std::string(what) + " is not a number", resultOnFailure);
    }
    RFile& file() { return f_; }
    int resultOnFailure = 2;

private:
    RFile& f_;
};

} // namespace

int RRazava::readDataFile(std::string& reason)
{
    MORVGlobalData& g = *gd;
    g.variableAttributes.clear();
    g.subVariableAttributes.clear();
    g.outputTimes.clear();
    g.pointX.clear();
    g.pointY.clear();
    g.normalX.clear();
    g.normalY.clear();
    g.inputs.clear();
    g.literals.clear();
    g.pointAttributes.clear();
    g.neighbourCounts.clear();
    g.neighbourOffsets.clear();
    g.neighbourList.clear();
    g.integral1Ends.clear();
    g.integral1Entries.clear();
    g.integral2Ends.clear();
    g.integral2Entries.clear();
    for (auto& c : g.code)
        c.clear();
    int result = 0;
    try {
        StartFile(g.dataFile, RFileEncoding::ansi, Eio::read, false);
        DataReader r(g.dataFile);
        // Values are appended as they are read, so a huge count in a damaged file fails at the
        // end of the file instead of claiming memory up front.
        auto readInts = [&](std::vector<int>& v, std::int64_t count, const char* what) {
            v.clear();
            for (std::int64_t i = 0; i < count; ++i)
                v.push_back(r.integer(what));
        };
        auto readReals = [&](std::vector<double>& v, std::int64_t count, const char* what) {
            v.clear();
            for (std::int64_t i = 0; i < count; ++i)
                v.push_back(r.real(what));
        };

        g.RESTART = r.integer("RESTART");
        g.LMAX = r.integer("LMAX");
        g.IPRT = r.integer("IPRT");
        g.IPRN = r.integer("IPRN");
        g.FLOATINGERROR = r.integer("FLOATINGERROR");
        g.FILEOUTTYPE = r.integer("FILEOUTTYPE");
        r.lineFeed();
        g.TSTART = r.real("TSTART");
        g.DELT = r.real("DELT");
        g.DELP = r.real("DELP");
        r.lineFeed();
        g.OMEGA = r.real("OMEGA");
        g.ALPHA = r.real("ALPHA");
        g.EPS = r.real("EPS");
        g.EPSDIF = r.real("EPSDIF");
        r.lineFeed();
        g.variableCount = r.count("variable count");
        g.subVariableCount = r.count("sub variable count");
        // Only these two counts are not followed by their values; the byte code addresses
        // at most maxIndex of each, so a larger count is damage, not a work array to claim.
        g.temporaryCount = r.addressable("temporary count");
        g.localCount = r.addressable("local variable count");
        r.lineFeed();
        readInts(g.variableAttributes, g.variableCount, "cell attribute of a variable");
        readInts(g.subVariableAttributes, g.subVariableCount, "cell attribute of a sub variable");
        g.MISES = r.integer("MISES");
        g.AUTODELT = r.integer("AUTODELT");
        g.reservedValue = r.integer("the reserved value");
        g.METHOD = r.integer("METHOD");
        g.IFIL = r.integer("IFIL");
        g.twoGrid = r.integer("two-grid flag");
        r.lineFeed();
        g.PARMT = r.integer("PARMT");
        g.PARMX = r.integer("PARMX");
        g.PARMY = r.integer("PARMY");
        r.lineFeed();
        // Steps that do not advance would never reach the end time.
        if (g.PARMT != 0 && !(g.DELT > 0 && std::isfinite(g.DELT)))
            r.bad("the time step is not positive");
        g.dimension = (g.PARMX >= 1) + (g.PARMY >= 1);

        g.outputTimeCount = r.count("output time count");
        if (g.outputTimeCount < 1)
            r.bad("no output time");
        r.lineFeed();
        readReals(g.outputTimes, g.outputTimeCount, "an output time");
        g.TEND = g.outputTimes.back();

        g.pointCount = r.count("grid point count");
        if (g.pointCount < 1)
            r.bad("no grid point");
        r.lineFeed();
        const int np = g.pointCount;
        for (auto* a : {&g.pointX, &g.pointY, &g.normalX, &g.normalY})
            readReals(*a, np, "a grid point coordinate or normal");
        g.inputCount = r.count("input count");
        r.lineFeed();
        readReals(g.inputs, g.inputCount, "an input value");
        g.literalCount = r.count("literal count");
        r.lineFeed();
        readReals(g.literals, g.literalCount, "a literal");

        readInts(g.pointAttributes, np, "a point attribute");
        g.neighbourCounts.assign(np, 0);
        g.neighbourOffsets.assign(np, 0);
        std::int64_t total = 0;
        for (int p = 0; p < np; ++p) {
            const int c = r.count("a neighbour count");
            g.neighbourCounts[p] = c;
            g.neighbourOffsets[p] = static_cast<int>(total);
            total += c;
            if (total > INT_MAX)
                r.bad("neighbour lists too long");
        }
        readInts(g.neighbourList, total, "a neighbour number");
        for (int e : g.neighbourList)
            if (e < 1 || e > np)
                r.bad("neighbour number " + std::to_string(e) + " outside 1.." + std::to_string(np));

        auto readRegions = [&](const char* name, int& count, std::vector<int>& ends,
                               std::vector<int>& entries, bool signedEntries) {
            count = r.count(name);
            readInts(ends, count, "a region end");
            int last = 0;
            for (int e : ends) {
                if (e < last)
                    r.bad(std::string(name) + ": region ends decrease");
                last = e;
            }
            readInts(entries, last, "a region entry");
            for (int e : entries) {
                const int magnitude = signedEntries ? std::abs(e) : e;
                if (magnitude < 1 || magnitude > np)
                    r.bad(std::string(name) + ": point " + std::to_string(e) + " outside 1.."
                          + std::to_string(np));
            }
        };
        readRegions("line region count", g.integral1Count, g.integral1Ends, g.integral1Entries, true);
        readRegions("area region count", g.integral2Count, g.integral2Ends, g.integral2Entries, false);

        RCodeLimits limits{g.inputCount, g.temporaryCount, g.literalCount, g.localCount,
                           g.variableCount, g.subVariableCount};
        for (int s = 0; s < 5; ++s) {
            g.codeSize[s] = r.count("code length");
            r.lineFeed();
            g.code[s].clear();
            for (int i = 0; i < g.codeSize[s]; ++i) {
                int raw = 0;
                unsigned char b = 0;
                r.check(ReadOneMCode(g.dataFile, b, &raw), "a code byte");
                if (raw < 0 || raw > 255)
                    r.bad("code byte " + std::to_string(raw) + " outside 0..255");
                g.code[s].push_back(b);
            }
            const std::string fault = checkCodeSection(g.code[s].data(), g.codeSize[s], limits);
            if (!fault.empty())
                throw DataError{2, "section \"" + g.sectionLabel[s] + "\": " + fault};
        }

        triangleCount = 0;
        for (auto& v : triangleVertices)
            v.clear();
        for (auto& v : triangleNeighbours)
            v.clear();
        if (g.dimension == 2) {
            r.resultOnFailure = 10;
            const int tc = r.count("triangle count");
            for (int t = 0; t < tc; ++t) {
                for (int i = 0; i < 3; ++i) {
                    const int v = r.integer("a triangle vertex");
                    if (v < 1 || v > np)
                        r.bad("triangle vertex " + std::to_string(v) + " outside 1.."
                                  + std::to_string(np), 10);
                    triangleVertices[i].push_back(v);
                }
                for (int i = 0; i < 3; ++i) {
                    const int v = r.integer("a neighbour triangle");
                    if (v < 0 || v > tc)
                        r.bad("neighbour triangle " + std::to_string(v) + " outside 0.."
                                  + std::to_string(tc), 10);
                    triangleNeighbours[i].push_back(v);
                }
            }
            triangleCount = tc;
            r.resultOnFailure = 2;
        }

        g.thermoFlag = r.integer("thermo flag");
        g.transportFlag = r.integer("transport flag");
        r.lineFeed();
        if (g.thermoFlag != 0) {
            if (!chemistry)
                throw DataError{2, "the run needs chemistry data, but no chemistry package is present"};
            std::string why;
            if (!chemistry->CKGlobalLoad(*g.dataFile.reader, g.transportFlag, why))
                throw DataError{2, "chemistry block: " + why};
            const int K = chemistry->speciesCount();
            chemInput.assign(static_cast<std::size_t>(K > 0 ? K : 0), 0.0);
            chemOutput.assign(static_cast<std::size_t>(K > 0 ? K : 0), 0.0);
        }
    } catch (const DataError& e) {
        result = e.result;
        reason = e.reason;
    } catch (const std::bad_alloc&) {
        result = 99;
        reason = "solver data file: counts too large for memory";
    } catch (const std::exception& e) {
        result = 99;
        reason = std::string("solver data file: ") + e.what();
    }
    EndFile(g.dataFile);
    return result;
}

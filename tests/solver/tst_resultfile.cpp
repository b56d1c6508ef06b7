// The result file written by the engine: header, neighbour lines, records, the value listing,
// and that the Result menu's loader reads what the engine writes.
#include "solver/RRazava.h"
#include "SolverTestSupport.h"
#include "../results/ResultTestDocuments.h"
#include "results/RResultHolder.h"
#include "results/RResultLoader.h"

#include <gtest/gtest.h>

namespace {

// Run state filled by hand: an engine without a data file, its grid and quantities set here.
struct ResultRun {
    QTemporaryDir dir;
    std::unique_ptr<RRazava> engine;
    MORVGlobalData* g = nullptr;

    ResultRun(int parmx, int parmy, std::vector<int> variableClasses,
              std::vector<int> subVariableClasses, int np)
    {
        engine = std::make_unique<RRazava>("MORV", path(".MVAT$"));
        g = engine->globalData();
        g->PARMX = parmx;
        g->PARMY = parmy;
        g->dimension = parmx + parmy;
        g->variableAttributes = variableClasses;
        g->subVariableAttributes = subVariableClasses;
        g->variableCount = int(variableClasses.size());
        g->subVariableCount = int(subVariableClasses.size());
        g->twoGrid = 0;
        for (int a : variableClasses)
            g->twoGrid |= a != 0;
        for (int a : subVariableClasses)
            g->twoGrid |= a != 0;
        for (int i = 0; i < g->variableCount; ++i)
            (variableClasses[i] ? g->cellVariableNumbers : g->pointVariableNumbers).push_back(i + 1);
        for (int i = 0; i < g->subVariableCount; ++i)
            (subVariableClasses[i] ? g->cellSubVariableNumbers : g->pointSubVariableNumbers)
                .push_back(i + 1);
        g->pointCount = np;
        g->pointAttributes.assign(np, 0);
        for (int p = 0; p < np; ++p) {
            g->pointX.push_back(0.25 * p);
            g->pointY.push_back(0.0);
        }
        g->oldValues.assign(std::size_t(np) * g->variableCount, 0.0);
        g->newValues.assign(std::size_t(np) * g->variableCount, 0.0);
        g->subValues.assign(std::size_t(np) * g->subVariableCount, 0.0);
        StartFile(g->resultFile, RFileEncoding::ansi, Eio::write, false);
    }
    std::string path(const char* ext) const { return dir.path().toStdString() + "/doc" + ext; }
    std::vector<std::string> lines() const { return splitLines(readAll(path(".MVO3$"))); }
    void record(double tOld, double tNew, double weight, int iprt = 0, int iprn = 0)
    {
        const int n = g->variableCount, m = g->subVariableCount, np = g->pointCount;
        auto write = g->twoGrid ? &RRazava::filoutFVM : &RRazava::filout;
        (engine.get()->*write)(tOld, tNew, g->oldValues.data(), g->newValues.data(),
            g->subValues.data(), n, np, m, g->pointX.data(), g->pointY.data(), weight, iprt, iprn);
    }
};

std::string field(double v) { return formatField22(v); }

} // namespace

TEST(ResultFile, OneDimensionalHeaderAndRecordsReachTheFileAtOnce)
{
    ResultRun run(1, 0, {0, 0}, {0}, 3);
    run.g->pointAttributes = {1, 0, 2};
    run.engine->WriteResultHeader();
    run.engine->WriteNeighbourLines();
    // The file is still open: what was written must already be in it.
    EXPECT_EQ(run.lines(), (std::vector<std::string>{
                               "1,0,2,1,3,0,2,1",
                               " 0 0",
                               " 0",
                               "  0.00000000000000E+00,  0.00000000000000E+00,1",
                               "  2.50000000000000E-01,  0.00000000000000E+00,0",
                               "  5.00000000000000E-01,  0.00000000000000E+00,2",
                           }));
    run.g->newValues = {1, 2, 3, 4, 5, 6};
    run.g->subValues = {7, 8, 9};
    run.record(0.0, 0.0, 1.0);
    const std::vector<std::string> lines = run.lines();
    ASSERT_EQ(lines.size(), 6u + 8u);
    EXPECT_EQ(lines[6], "  0.00000000000000E+00");
    EXPECT_EQ(lines[7], field(7));
    EXPECT_EQ(lines[10], "  0.00000000000000E+00");
    EXPECT_EQ(lines[11], field(1) + field(2));
    EXPECT_EQ(lines[13], field(5) + field(6));
    const std::string text = readAll(run.path(".MVO3$"));
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
}

TEST(ResultFile, OutputTypeChoosesTheVariableBlockTimeAndValues)
{
    struct Case {
        int outputType;
        double variableTime;
        double value0, value1;
    };
    // Step from 2.0 to 3.0 with old values (1, -4) and new values (3, 8), weight 0.5.
    for (const Case& c : {Case{0, 2.5, 2.0, 2.0}, Case{1, 3.0, 3.0, 8.0}, Case{2, 2.5, 2.0, 2.0}}) {
        SCOPED_TRACE(c.outputType);
        ResultRun run(1, 0, {0, 0}, {0}, 1);
        run.g->FILEOUTTYPE = c.outputType;
        run.g->oldValues = {1, -4};
        run.g->newValues = {3, 8};
        run.g->subValues = {5};
        run.record(2.0, 3.0, 0.5);
        const std::vector<std::string> lines = run.lines();
        ASSERT_EQ(lines.size(), 4u);
        EXPECT_EQ(lines[0], formatE(2.5, 22, 14)); // sub variables always at the mean time
        EXPECT_EQ(lines[1], field(5));
        EXPECT_EQ(lines[2], formatE(c.variableTime, 22, 14));
        EXPECT_EQ(lines[3], field(c.value0) + field(c.value1));
    }
}

TEST(ResultFile, TinyValuesAreZeroButTimesCoordinatesAndWideValuesStayWhole)
{
    struct Case {
        double value;
        const char* written;
    };
    const Case cases[] = {
        {1e-98, "  0.00000000000000E+00"},
        {-1e-100, "  0.00000000000000E+00"},
        {1e-97, "  1.00000000000000E-97"},
        {-2.5, " -2.50000000000000E+00"},
        // A value filling all 22 columns gets one blank of its own, so fields never fuse.
        {-1.5e100, " -1.50000000000000E+100"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.written);
        ResultRun run(1, 0, {0, 0}, {}, 1);
        run.g->pointX = {1e-98};
        run.g->newValues = {c.value, -1.5e100};
        run.engine->WriteResultHeader();
        run.record(1e-99, 1e-99, 1.0);
        const std::vector<std::string> lines = run.lines();
        ASSERT_EQ(lines.size(), 5u);
        EXPECT_EQ(lines[2], "  1.00000000000000E-98,  0.00000000000000E+00,0");
        EXPECT_EQ(lines[3], "  1.00000000000000E-99");
        EXPECT_EQ(lines[4], std::string(c.written) + " -1.50000000000000E+100");
    }
}

TEST(ResultFile, TwoGridRunWritesEvenPointsThenOddPoints)
{
    // U, V on grid 1, Z on grid 2; sub variable W on grid 2 only.
    ResultRun run(1, 0, {0, 0, 1}, {1}, 7);
    for (int p = 0; p < 7; ++p) {
        for (int i = 0; i < 3; ++i)
            run.g->newValues[p * 3 + i] = 10 * p + i;
        run.g->subValues[p] = 100 + p;
    }
    run.engine->WriteResultHeader();
    run.record(0, 0, 1.0);
    const std::vector<std::string> lines = run.lines();
    ASSERT_EQ(lines.size(), 3u + 7u + 1u + 3u + 1u + 7u);
    EXPECT_EQ(lines[0], "1,0,3,1,7,1,4,3");
    EXPECT_EQ(lines[1], " 0 0 1");
    EXPECT_EQ(lines[2], " 1");
    const int order[] = {0, 2, 4, 6, 1, 3, 5};
    for (int k = 0; k < 7; ++k)
        EXPECT_EQ(lines[3 + k].substr(0, 22), formatE(0.25 * order[k], 22, 14));
    // Sub-variable block: only grid-2 lines, since no sub variable lives on grid 1.
    EXPECT_EQ(lines[11], field(101));
    EXPECT_EQ(lines[13], field(105));
    // Variable block: grid 1 carries U and V, grid 2 carries Z.
    EXPECT_EQ(lines[15], field(0) + field(1));
    EXPECT_EQ(lines[18], field(60) + field(61));
    EXPECT_EQ(lines[19], field(12));
    EXPECT_EQ(lines[21], field(52));
}

TEST(ResultFile, TwoGridRunWithAnEvenPointCountKeepsEveryPoint)
{
    // With an even point count the last odd point was dropped and the counts disagreed with the
    // lines, so no reader could take the file.
    ResultRun run(1, 0, {0, 1}, {}, 6);
    run.engine->WriteResultHeader();
    run.record(0, 0, 1.0);
    const std::vector<std::string> lines = run.lines();
    EXPECT_EQ(lines[0], "1,0,2,0,6,1,3,3");
    ASSERT_EQ(lines.size(), 2u + 6u + 1u + 6u);
    EXPECT_EQ(lines[7].substr(0, 22), formatE(1.25, 22, 14)); // point 5, the last odd one
}

TEST(ResultFile, PlaneRunWritesTrianglesAndStencils)
{
    ResultRun run(1, 1, {0}, {}, 4);
    run.engine->triangleCount = 2;
    run.engine->triangleVertices[0] = {1, 2};
    run.engine->triangleVertices[1] = {2, 4};
    run.engine->triangleVertices[2] = {3, 3};
    run.engine->triangleNeighbours[0] = {0, 1};
    run.engine->triangleNeighbours[1] = {2, 0};
    run.engine->triangleNeighbours[2] = {0, 0};
    run.engine->stencilCounts = {3, 4, 3, 0};
    run.engine->stencilStart = {0, 6, 12, 18};
    run.engine->stencilPoints.assign(24, 0);
    const int stencils[4][6] = {{0, 1, 2}, {1, 0, 2, 3}, {2, 0, 1}, {}};
    for (int p = 0; p < 4; ++p)
        for (int j = 0; j < 6; ++j)
            run.engine->stencilPoints[p * 6 + j] = stencils[p][j];
    run.engine->WriteResultHeader();
    run.engine->WriteNeighbourLines();
    const std::vector<std::string> lines = run.lines();
    ASSERT_EQ(lines.size(), 2u + 4u + 1u + 2u + 4u);
    EXPECT_EQ(lines[6], "2");
    EXPECT_EQ(lines[7], "   1,   2,   3,   0,   2,   0");
    EXPECT_EQ(lines[8], "   2,   4,   3,   1,   0,   0");
    EXPECT_EQ(lines[9], "3 1 2 3");
    EXPECT_EQ(lines[10], "4 2 1 3 4");
    EXPECT_EQ(lines[12], "0");
}

TEST(ResultFile, ValueListingGoesToTheLogWithIprtTen)
{
    ResultRun run(1, 0, {0}, {0}, 2);
    run.g->IPRN = 1;
    StartFile(run.g->logFile, RFileEncoding::utf8, Eio::write, false);
    run.g->FILEOUTTYPE = 1;
    run.g->oldValues = {0, 0};
    run.g->newValues = {1.5, 1e-99};
    run.g->subValues = {-2, 3};
    run.record(1.0, 2.0, 0.5, 10, 1);
    run.record(1.0, 2.0, 0.5, 9, 1); // below 10: no listing
    std::vector<std::string> log = splitLines(readAll(run.path(".MVL3$")));
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log[0], "\xEF\xBB\xBFtime =  1.5000E+00              sphi     1");
    EXPECT_EQ(log[1], "    1  0.0000E+00  0.0000E+00: -2.0000E+00");
    EXPECT_EQ(log[2], "    2  2.5000E-01  0.0000E+00:  3.0000E+00");
    EXPECT_EQ(log[3], "time =  2.0000E+00              phi      1");
    EXPECT_EQ(log[4], "    1  0.0000E+00  0.0000E+00:  1.5000E+00");
    EXPECT_EQ(log[5], "    2  2.5000E-01  0.0000E+00:  0.0000E+00");
}

TEST(ResultFile, ResultLoaderReadsWhatTheEngineWrites)
{
    struct Case {
        const char* what;
        ResultDocumentShape shape;
        int np;
        std::vector<int> variableClasses, subVariableClasses;
    };
    const Case cases[] = {
        {"line", {1, 1, 0, {"U", "V"}, {}, {"W"}, {}}, 3, {0, 0}, {0}},
        {"two grids", {1, 1, 0, {"U", "V", "Z"}, {0, 0, 1}, {"W"}, {1}}, 7, {0, 0, 1}, {1}},
        {"two grids, even count", {1, 1, 0, {"U", "Z"}, {0, 1}, {}, {}}, 6, {0, 1}, {}},
        {"plane", {1, 1, 1, {"P"}, {}, {}, {}}, 4, {0}, {}},
        {"no space", {1, 0, 0, {"C"}, {}, {}, {}}, 1, {0}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResultRun run(c.shape.PARMX, c.shape.PARMY, c.variableClasses, c.subVariableClasses, c.np);
        if (run.g->dimension == 2) {
            run.engine->stencilCounts.assign(c.np, 1);
            run.engine->stencilStart.resize(c.np);
            for (int p = 0; p < c.np; ++p)
                run.engine->stencilStart[p] = std::size_t(p) * 6;
            run.engine->stencilPoints.assign(c.np * 6, 0);
        }
        run.engine->WriteResultHeader();
        run.engine->WriteNeighbourLines();
        for (int level = 0; level < 3; ++level) {
            for (std::size_t k = 0; k < run.g->newValues.size(); ++k)
                run.g->newValues[k] = level + 0.001 * k;
            for (std::size_t k = 0; k < run.g->subValues.size(); ++k)
                run.g->subValues[k] = -level - 0.001 * k;
            run.record(level, level + 1, 1.0);
        }
        EndFile(run.g->resultFile);

        auto doc = makeResultDocument(c.shape);
        RResultHolder holder;
        ASSERT_EQ(LoadResultFile(holder, *doc, QString::fromStdString(run.path(".MVO3$"))),
                  ResultLoaded);
        const RResultData& r = holder.result;
        EXPECT_EQ(r.variableTimes, (std::vector<double>{1, 2, 3}));
        EXPECT_EQ(r.grid1Points.size() + r.grid2Points.size(), std::size_t(c.np));
        const int n = run.g->variableCount;
        const int rows = run.g->twoGrid ? (c.np + 1) / 2 : c.np;
        ASSERT_EQ(r.variableRows1.count(), 3 * rows);
        // Last level, first variable of grid-1 point 1 (point 2 on two grids, else point 1).
        if (c.np > 1) {
            const int p = run.g->twoGrid ? 2 : 1;
            EXPECT_DOUBLE_EQ(r.variableRows1.values(2 * rows + 1)[0], 2 + 0.001 * (p * n));
        }
    }
}

TEST(ResultFile, ContinuedTransientRunAppendsToACopyOfThePreviousResult)
{
    struct Case {
        const char* what;
        int restart, parmt;
        bool previous;
        bool header; // a fresh header is written
        bool keepsPrevious;
    };
    const Case cases[] = {
        {"fresh run", 0, 1, true, true, false},
        {"steady restart", 1, 0, true, true, false},
        {"continued transient run", 1, 1, true, false, true},
        {"continued run without previous result", 1, 1, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResultRun run(1, 0, {0}, {}, 1);
        EndFile(run.g->resultFile);
        writeAll(run.path(".MVO3$"), "stale\r\n");
        if (c.previous)
            writeAll(run.path(".MVO3"), "previous\r\n");
        run.g->RESTART = c.restart;
        run.g->PARMT = c.parmt;
        run.engine->StartResultFile();
        run.record(5, 6, 1.0);
        std::vector<std::string> expected;
        if (c.keepsPrevious)
            expected.push_back("previous");
        if (c.header)
            expected.insert(expected.end(), {"1,0,1,0,1,0,1,0", " 0",
                                             "  0.00000000000000E+00,  0.00000000000000E+00,0"});
        expected.insert(expected.end(), {formatE(6, 22, 14), field(0)});
        EXPECT_EQ(run.lines(), expected);
        if (c.previous) {
            EXPECT_EQ(readAll(run.path(".MVO3")), "previous\r\n");
        }
    }
}

// Building the engine from solver data files: what lands where, the linear method chosen, the
// log banner, and the start-up status of missing, damaged and hand-edited files.
#include "solver/RRazava.h"
#include "SolverTestSupport.h"
#include "document/ByteCode.h"
#include "tests/chemistry/ChemTestUtil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

// A fixture copied into a scratch folder (the engine writes its log beside the data file).
struct RunFolder {
    QTemporaryDir dir;
    std::string data;
    explicit RunFolder(const char* fixture, const std::function<void(std::vector<std::string>&)>& edit = {})
    {
        data = dir.path().toStdString() + "/doc.MVAT$";
        std::vector<std::string> lines = splitLines(readAll(fixturePath(fixture)));
        if (edit)
            edit(lines);
        writeAll(data, joinLines(lines));
    }
    std::string sibling(const char* ext) const
    {
        return dir.path().toStdString() + "/doc" + ext;
    }
};

int lineOf(const std::vector<std::string>& lines, const std::string& start)
{
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].rfind(start, 0) == 0)
            return static_cast<int>(i);
    return -1;
}

} // namespace

TEST(SolverSetup, OneDimensionalFileLandsInTheRunState)
{
    RunFolder f("grid1d.MVAT$");
    RRazava engine("MORV", f.data);
    ASSERT_EQ(engine.globalData()->runStatus, 0) << engine.startupReason();
    const MORVGlobalData& g = *engine.globalData();
    EXPECT_EQ(g.LMAX, 10);
    EXPECT_EQ(g.IPRN, 1);
    EXPECT_EQ(g.FILEOUTTYPE, 1);
    EXPECT_EQ(g.DELT, 0.01);
    EXPECT_EQ(g.EPSDIF, 1e-3);
    EXPECT_EQ(g.variableCount, 1);
    EXPECT_EQ(g.temporaryCount, 1);
    EXPECT_EQ(g.MISES, 1);
    EXPECT_EQ(g.reservedValue, 3);
    EXPECT_EQ(g.dimension, 1);
    EXPECT_EQ(g.outputTimeCount, 2);
    EXPECT_EQ(g.TEND, 0.1);
    EXPECT_EQ(g.pointCount, 5);
    EXPECT_EQ(g.pointX[2], 0.3);
    EXPECT_EQ(g.normalY[4], 1.0);
    EXPECT_EQ(g.literals, (std::vector<double>{1.0, 2.0, 0.5}));
    EXPECT_EQ(g.pointAttributes, (std::vector<int>{1, 0, 0, 0, 2}));
    EXPECT_EQ(g.neighbourOffsets, (std::vector<int>{0, 3, 6, 9, 12}));
    EXPECT_EQ(std::vector<int>(g.neighbourList.begin() + 12, g.neighbourList.end()),
              (std::vector<int>{5, 3, 4}));
    EXPECT_EQ(g.codeSize, (std::array<int, 5>{8, 0, 13, 13, 0}));
    EXPECT_EQ(g.code[0][4], 121);
    EXPECT_EQ(g.kmatrx, 10 * 1 * 1 * 5);
    EXPECT_EQ(engine.matrix->method, -1); // MISES 1, METHOD 0: external sparse solver
    EXPECT_EQ(g.temporaries, std::vector<double>{0.0});
    EXPECT_EQ(g.pointVariableNumbers, std::vector<int>{1});
    // The log exists from set-up on: byte-order mark, banner, version, empty line.
    const std::vector<std::string> log = splitLines(readAll(f.sibling(".MVL3$")));
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].rfind("\xEF\xBB\xBF" "MORV", 0), 0u);
    EXPECT_EQ(log[1], "Version 3.1.0.0");
    EXPECT_EQ(log[2], "");
}

TEST(SolverSetup, TwoDimensionalFileReadsRegionsTrianglesAndCellAttributes)
{
    RunFolder f("mesh2d.MVAT$");
    RRazava engine("MORV", f.data);
    ASSERT_EQ(engine.globalData()->runStatus, 0) << engine.startupReason();
    const MORVGlobalData& g = *engine.globalData();
    EXPECT_EQ(g.dimension, 2);
    EXPECT_EQ(g.twoGrid, 1);
    EXPECT_EQ(g.variableAttributes, (std::vector<int>{0, 1}));
    EXPECT_EQ(g.pointVariableNumbers, std::vector<int>{1});
    EXPECT_EQ(g.cellVariableNumbers, std::vector<int>{2});
    EXPECT_EQ(g.pointSubVariableNumbers, std::vector<int>{1});
    EXPECT_EQ(g.inputs, (std::vector<double>{3.5, -1.25}));
    EXPECT_EQ(g.integral1Ends, std::vector<int>{5});
    EXPECT_EQ(g.integral1Entries, (std::vector<int>{1, 2, -3, 6, 9}));
    EXPECT_EQ(g.integral2Entries, (std::vector<int>{1, 2, 5, 1, 5, 4}));
    EXPECT_EQ(engine.triangleCount, 8);
    EXPECT_EQ(engine.triangleVertices[2][0], 5);
    EXPECT_EQ(engine.triangleNeighbours[1][1], 0);
    // METHOD 0: the external sparse solver, which keeps no rows.
    EXPECT_EQ(engine.matrix->method, kMethodExternalSparse);
    EXPECT_EQ(engine.matrix->rowWidth, 0);
    EXPECT_TRUE(engine.matrix->rowColumns.empty());
    EXPECT_EQ(g.localCount, 2);
    EXPECT_EQ(g.locals, (std::vector<double>{0.0, 0.0}));

    // METHOD 1: the iterative solver on rows of 12n slots.
    RunFolder odd("mesh2d.MVAT$", [](std::vector<std::string>& l) { l[6] = "1, 0, 3, 1, 1, 1"; });
    RRazava iterative("MORV", odd.data);
    ASSERT_EQ(iterative.globalData()->runStatus, 0) << iterative.startupReason();
    EXPECT_EQ(iterative.matrix->method, kMethodIterative);
    EXPECT_EQ(iterative.matrix->rowWidth, 24);
    EXPECT_EQ(iterative.matrix->rowColumns.count(), 18);
    EXPECT_EQ(iterative.matrix->rowColumns.width(), 24);
}

TEST(SolverSetup, LinearMethodFollowsDimensionMisesAndMethod)
{
    struct Case {
        int mises, method;
        int expectMethod, halfBandwidth, rowWidth;
    } cases[] = {
        {1, 0, -1, 0, 0}, {2, 0, 5, 2, 7}, {2, 2, 3, 1, 4}, {3, 3, 3, 1, 4},
        {1, 3, 3, 1, 4},  {1, 1, 5, 2, 7}, {1, 2, -1, 0, 0},
    };
    for (const Case& c : cases) {
        RunFolder f("grid1d.MVAT$", [&](std::vector<std::string>& lines) {
            lines[5] = std::to_string(c.mises) + ", 1, 77, " + std::to_string(c.method) + ", 1, 0";
        });
        RRazava engine("MORV", f.data);
        ASSERT_EQ(engine.globalData()->runStatus, 0) << engine.startupReason();
        EXPECT_EQ(engine.globalData()->reservedValue, 77);
        EXPECT_EQ(engine.matrix->method, c.expectMethod) << c.mises << " " << c.method;
        EXPECT_EQ(engine.matrix->halfBandwidth, c.halfBandwidth) << c.mises << " " << c.method;
        EXPECT_EQ(engine.matrix->rowWidth, c.rowWidth) << c.mises << " " << c.method;
        // A band row's columns follow from its position: no column arrays beside the values.
        EXPECT_TRUE(engine.matrix->rowColumns.empty()) << c.mises << " " << c.method;
    }
    // Without a grid: one point, band method 1 with half bandwidth n - 1.
    RunFolder f("point0d.MVAT$");
    RRazava engine("MORV", f.data);
    ASSERT_EQ(engine.globalData()->runStatus, 0) << engine.startupReason();
    EXPECT_EQ(engine.globalData()->pointCount, 1);
    EXPECT_EQ(engine.globalData()->TEND, -1.0);
    EXPECT_EQ(engine.matrix->method, 1);
    EXPECT_EQ(engine.matrix->halfBandwidth, 2);
    EXPECT_EQ(engine.matrix->rowWidth, 7);
    EXPECT_EQ(engine.matrix->rows.count(), 3);
    EXPECT_TRUE(engine.matrix->rowColumns.empty());
}

TEST(SolverSetup, NoLogWithIprnZeroAndNoStaleLogSurvives)
{
    // Fault: with IPRN 0 an old ".MVL3$" stayed and was committed as this run's log.
    RunFolder f("point0d.MVAT$");
    writeAll(f.sibling(".MVL3$"), "old log\r\n");
    RRazava engine("MORV", f.data);
    ASSERT_EQ(engine.globalData()->runStatus, 0);
    EXPECT_FALSE(std::filesystem::exists(f.sibling(".MVL3$")));
}

TEST(SolverSetup, MissingDataFileAndParameterFile)
{
    QTemporaryDir dir;
    RRazava missing("MORV", dir.path().toStdString() + "/none.MVAT$");
    EXPECT_EQ(missing.globalData()->runStatus, 1);
    EXPECT_EQ(missing.globalData()->runErrorCount, 1);
    // Fault: computing stencils on an engine whose set-up failed wrote into unallocated arrays.
    missing.ComputeStencils();

    RunFolder f("point0d.MVAT$");
    writeAll(f.sibling(".PRM"), "/ a comment line\r\n\r\n 3, 1.0\r\n");
    {
        RRazava engine("MORV", f.data);
        ASSERT_EQ(engine.globalData()->runStatus, 0);
        EXPECT_EQ(engine.globalData()->parameterCount, 3);
        // The values grow with the lines the run reads, not with the count.
        EXPECT_TRUE(engine.globalData()->parameterValues.empty());
    }
    writeAll(f.sibling(".PRM"), "x 1 2\r\n");
    RRazava bad("MORV", f.data);
    EXPECT_EQ(bad.globalData()->runStatus, 4);
    EXPECT_EQ(bad.globalData()->parameterCount, 0);
    EXPECT_EQ(bad.globalData()->runErrorCount, 1);
}

TEST(SolverSetup, DamagedFilesEndSetupWithStatusTwoAndAReason)
{
    using Lines = std::vector<std::string>;
    struct Case {
        const char* fixture;
        const char* what;
        std::function<void(Lines&)> edit;
        const char* reason; // part of the one-line reason
    } cases[] = {
        {"grid1d.MVAT$", "truncated after the grid", [](Lines& l) { l.resize(lineOf(l, "0 /input")); },
         "ends before"},
        {"grid1d.MVAT$", "letter in a count", [](Lines& l) { l[3] = "1, x, 1, 0"; }, "not a number"},
        {"grid1d.MVAT$", "negative variable count", [](Lines& l) { l[3] = "-1, 0, 1, 0"; }, "negative"},
        // Counts of temporaries and locals claimed their work arrays at once (2^31 doubles).
        {"grid1d.MVAT$", "temporary count beyond the byte code's indices",
         [](Lines& l) { l[3] = "1, 0, 65536, 0"; }, "temporary count 65536 is more"},
        {"grid1d.MVAT$", "local count beyond the byte code's indices",
         [](Lines& l) { l[3] = "1, 0, 1, 2147483647"; }, "local variable count 2147483647 is more"},
        {"grid1d.MVAT$", "no output time", [](Lines& l) {
             const int at = lineOf(l, "2 /timegrid");
             l[at] = "0 /timegrid";
             l.erase(l.begin() + at + 1);
         },
         "no output time"},
        {"grid1d.MVAT$", "neighbour beyond the grid",
         [](Lines& l) { l[lineOf(l, "     5     3")] = "     5     3     6"; }, "neighbour number 6"},
        {"grid1d.MVAT$", "neighbour number 0",
         [](Lines& l) { l[lineOf(l, "     1     2")] = "     0     2     3"; }, "neighbour number 0"},
        {"grid1d.MVAT$", "literal index beyond the pool",
         [](Lines& l) { l[lineOf(l, " 001 006 001 000 121")] = " 001 006 004 000 121 021 001 000"; },
         "operand index 4"},
        {"grid1d.MVAT$", "store into variable 2 of 1",
         [](Lines& l) { l[lineOf(l, " 001 006 001 000 121")] = " 001 006 001 000 121 021 002 000"; },
         "operand index 2"},
        {"grid1d.MVAT$", "unknown function id",
         [](Lines& l) { l[lineOf(l, " 001 006 001 000 121")] = " 001 006 001 000 051 099 000 000"; },
         "unknown function id 99"},
        {"grid1d.MVAT$", "jump into an instruction",
         [](Lines& l) { l[lineOf(l, " 001 006 001 000 121")] = " 102 002 000 000 000 000 000 000"; },
         "middle of an instruction"},
        {"grid1d.MVAT$", "negative jump target",
         [](Lines& l) { l[lineOf(l, " 001 006 001 000 121")] = " 102 255 255 255 255 000 000 000"; },
         "negative"},
        // Jumps back looped for ever inside one evaluation, where a stop is never looked at.
        {"grid1d.MVAT$", "jump onto itself",
         [](Lines& l) { l[lineOf(l, " 001 006 001 000 121")] = " 102 000 000 000 000 000 000 000"; },
         "jump back to 0"},
        {"grid1d.MVAT$", "relative jump back",
         [](Lines& l) { l[lineOf(l, " 001 006 001 000 121")] = " 000 000 000 101 251 255 255 255"; },
         "jump back to 3"},
        {"jump_back.MVAT$", "equation that jumps to its start", {}, "jump back to 0"},
        {"grid1d.MVAT$", "instruction cut by the section end",
         [](Lines& l) {
             l[lineOf(l, " 001 006 001 000 121")] = " 001 006 001 000 121 021 001";
             l[lineOf(l, "8 /assume")] = "7 /assume   ";
         },
         "incomplete instruction"},
        {"grid1d.MVAT$", "store from an empty operand stack",
         [](Lines& l) { l[lineOf(l, " 001 006 001 000 121")] = " 121 021 001 000 000 000 000 000"; },
         "operand stack"},
        {"grid1d.MVAT$", "code byte above 255",
         [](Lines& l) { l[lineOf(l, " 001 006 001 000 121")] = " 001 006 001 000 121 021 001 256"; },
         "outside 0..255"},
        {"mesh2d.MVAT$", "triangle vertex beyond the grid",
         [](Lines& l) { l[lineOf(l, "8 /Triangle") + 1] = "     1     2    10     4     2     0"; },
         "triangle vertex 10"},
        {"mesh2d.MVAT$", "triangle block missing",
         [](Lines& l) { l.resize(lineOf(l, "8 /Triangle")); }, "ends before"},
        {"mesh2d.MVAT$", "line region entry beyond the grid",
         [](Lines& l) { l[lineOf(l, "1 /Integral1") + 2] = "     1     2   -10     6     9"; },
         "point -10"},
        {"mesh2d.MVAT$", "area region entry 0",
         [](Lines& l) { l[lineOf(l, "1 /Integral2") + 2] = "     1     2     0     1     5     4"; },
         "point 0"},
        {"mesh2d.MVAT$", "chemistry flag without a chemistry block",
         [](Lines& l) { l.back() = "1 0 /Chemical Property"; }, "chemistry block"},
        {"mesh2d.MVAT$", "malformed chemistry block",
         [](Lines& l) {
             l.back() = "1 0 /Chemical Property";
             l.push_back("2,x");
         },
         "chemistry block"},
        // A dimension beyond int was converted to int unchecked (undefined behaviour).
        {"mesh2d.MVAT$", "chemistry dimension beyond int",
         [](Lines& l) {
             l.back() = "1 0 /Chemical Property";
             l.insert(l.end(), {"1,1", "83140000,1013250", "6E11,5,6,7,14"});
         },
         "chemistry block"},
        {"chemistry_dimension.MVAT$", "chemistry dimension 6E11", {}, "chemistry block"},
    };
    for (const Case& c : cases) {
        RunFolder f(c.fixture, c.edit);
        RRazava engine("MORV", f.data);
        EXPECT_EQ(engine.globalData()->runStatus, 2) << c.what;
        EXPECT_EQ(engine.globalData()->runErrorCount, 1) << c.what;
        EXPECT_NE(engine.startupReason().find(c.reason), std::string::npos)
            << c.what << ": " << engine.startupReason();
        // The log is opened only after the data file was read.
        EXPECT_FALSE(std::filesystem::exists(f.sibling(".MVL3$"))) << c.what;
    }
}

TEST(SolverSetup, LegalCodeAtTheEdgesIsAccepted)
{
    // A jump to the section end, a jump past it, an unassigned function id and an unknown opcode
    // (reported when it is executed) are all legal.
    RunFolder f("grid1d.MVAT$", [](std::vector<std::string>& l) {
        l[lineOf(l, "8 /assume")] = "25 /assume   ";
        l[lineOf(l, " 001 006 001 000 121")] =
            " 102 005 000 000 000 001 005 001 000 104 025 000 000 000 051 024 200 000 000 000\r\n"
            " 102 099 000 000 000";
    });
    RRazava engine("MORV", f.data);
    EXPECT_EQ(engine.globalData()->runStatus, 0) << engine.startupReason();
}

namespace {

// A golden solver data file of the compiler's tests, copied beside a scratch document.
struct GoldenRun {
    QTemporaryDir dir;
    std::unique_ptr<RRazava> engine;
    explicit GoldenRun(const char* name)
    {
        const std::string data = dir.path().toStdString() + "/doc.MVAT$";
        writeAll(data, readAll(std::string(MORV_TEST_DATA) + "/compiler/data/datafile/" + name));
        engine = std::make_unique<RRazava>("MORV", data);
        EXPECT_EQ(engine->globalData()->runStatus, 0) << name << ": " << engine->startupReason();
        engine->ComputeStencils();
    }
};

} // namespace

TEST(GoldenSolverDataFiles, NoGridOneDimensionalAndMesh)
{
    {
        GoldenRun run("nogrid.DAT");
        const MORVGlobalData& g = *run.engine->globalData();
        EXPECT_EQ(g.dimension, 0);
        EXPECT_EQ(g.pointCount, 1);
        EXPECT_EQ(g.subVariableCount, 1);
        EXPECT_EQ(g.outputTimeCount, 5);
        EXPECT_EQ(g.TEND, 1.0);
        EXPECT_EQ(run.engine->stencilCounts[0], 1);
        EXPECT_EQ(run.engine->weightDxy[0], 1.0);
        EXPECT_EQ(run.engine->matrix->method, 1);
    }
    {
        GoldenRun run("grid1d.DAT");
        RRazava& e = *run.engine;
        const MORVGlobalData& g = *e.globalData();
        EXPECT_EQ(g.dimension, 1);
        EXPECT_EQ(g.pointCount, 5);
        EXPECT_EQ(g.pointAttributes, (std::vector<int>{1, 0, 0, 0, 2}));
        EXPECT_EQ(e.matrix->method, 5); // METHOD 1 is odd: band method 5
        // Interior point 2 (ring 3 2 4), spacing 0.25.
        EXPECT_EQ(std::vector<int>(e.stencilPoints.begin() + 12, e.stencilPoints.begin() + 15),
                  (std::vector<int>{2, 1, 3}));
        EXPECT_NEAR(e.weightDx[13], -2.0, 1e-14);
        EXPECT_NEAR(e.weightDx[14], 2.0, 1e-14);
        EXPECT_NEAR(e.weightDxx[12], -32.0, 1e-12);
        EXPECT_NEAR(e.weightDxx[13], 16.0, 1e-12);
        // First point (ring 1 2 3): a one-sided three-point derivative.
        EXPECT_NEAR(e.weightDx[0], -6.0, 1e-12);
        EXPECT_NEAR(e.weightDx[1], 8.0, 1e-12);
        EXPECT_NEAR(e.weightDx[2], -2.0, 1e-12);
    }
    {
        GoldenRun run("mesh2d.DAT");
        RRazava& e = *run.engine;
        const MORVGlobalData& g = *e.globalData();
        EXPECT_EQ(g.dimension, 2);
        EXPECT_EQ(e.triangleCount, 4);
        EXPECT_EQ(g.integral1Count, 2);
        EXPECT_EQ(g.integral2Ends, (std::vector<int>{3, 15}));
        // Corner 1 (ring 1 2 5 4): the contour gradient over (0,0) (1,0) (0.5,0.5) (0,1).
        EXPECT_EQ(e.stencilCounts[0], 4);
        const std::vector<double> w1(e.weightDx.begin(), e.weightDx.begin() + 4);
        const std::vector<double> w2(e.weightDy.begin(), e.weightDy.begin() + 4);
        EXPECT_EQ(w1, (std::vector<double>{-1.0, 0.5, 1.0, -0.5}));
        EXPECT_EQ(w2, (std::vector<double>{-1.0, -0.5, 1.0, 0.5}));
        // The centre has only four neighbours in a mesh of five points: the plane through the
        // centre, its first ring neighbour (0,0) and the next one off that line, (1,0).
        EXPECT_EQ(e.stencilCounts[4], 3);
        EXPECT_EQ(std::vector<int>(e.stencilPoints.begin() + 24, e.stencilPoints.begin() + 27),
                  (std::vector<int>{4, 0, 1}));
        EXPECT_NEAR(e.weightDx[24] * 0.5 + e.weightDx[25] * 0 + e.weightDx[26] * 1, 1.0, 1e-14);
        EXPECT_NEAR(e.weightDy[24] * 0.5 + e.weightDy[25] * 0 + e.weightDy[26] * 0, 1.0, 1e-14);
    }
}

TEST(RunSnapshot, MonitorSeesLargestCorrectionAndWatchValues)
{
    RunFolder f("mesh2d.MVAT$");
    RRazava engine("MORV", f.data);
    ASSERT_EQ(engine.globalData()->runStatus, 0) << engine.startupReason();
    MORVGlobalData& g = *engine.globalData();
    g.setWatchPoints({0, 8, 4, 99, 1, 2, 3}); // at most six; a point beyond the grid shows 0
    for (int k = 0; k < 18; ++k)
        g.newValues[k] = k;
    g.maxCorrection = {-5.0, 0.25};
    EXPECT_EQ(g.snapshot().sequence, 0u);
    g.publishSnapshot();
    g.newValues[0] = 100; // later writes stay invisible until the next publication
    const RunSnapshot s = g.snapshot();
    EXPECT_EQ(s.sequence, 1u);
    EXPECT_EQ(s.largestCorrection, 0.25);
    EXPECT_EQ(s.watchCount, 6);
    EXPECT_EQ(s.watchValues, (std::vector<double>{0, 1, 16, 17, 8, 9, 0, 0, 2, 3, 4, 5}));
    g.maxCorrection = {-1.0, -2.0};
    g.publishSnapshot();
    EXPECT_EQ(g.snapshot().largestCorrection, 0.0); // none positive
}

TEST(SolverSetup, ChemistryBlockLoadsIntoTheRunsDataSet)
{
    // Two elements, three species with thermodynamic data only, written as the compile run does.
    const double high[7] = {3.0, 1e-3, -2e-7, 3e-11, -1e-15, -1000.0, 5.0};
    const double low[7] = {3.5, 2e-4, 1e-7, -4e-11, 2e-15, -900.0, 4.0};
    auto chem = chemtest::makeChem("ELEM H O END\nSPEC H2 O2 OH END\nTHERMO ALL\n   300.000  1000.000  5000.000\n"
                                   + chemtest::record("H2", "H   2", 'G', "", "", "", high, low)
                                   + chemtest::record("O2", "O   2", 'G', "", "", "", high, low)
                                   + chemtest::record("OH", "O   1H   1", 'G', "", "", "", high, low));
    ASSERT_EQ(chem->interpret(), 0);
    std::vector<std::string> block;
    chem->CKGlobalSave(block, 0);
    RunFolder f("mesh2d.MVAT$", [&](std::vector<std::string>& l) {
        l.back() = "1 0 /Chemical Property";
        l.insert(l.end(), block.begin(), block.end());
    });
    RRazava engine("MORV", f.data);
    ASSERT_EQ(engine.globalData()->runStatus, 0) << engine.startupReason();
    EXPECT_EQ(engine.globalData()->thermoFlag, 1);
    ASSERT_EQ(engine.chemOutput.size(), 3u);
    double stack[8] = {ByteCode::PropCM1, 0, 2};
    int depth = 3;
    RBuiltinContext c;
    c.values = engine.globalData()->newValues.data();
    engine.callFunction(ByteCode::FnCPROPERTY, stack, depth, c);
    EXPECT_EQ(stack[0], 0.0);
    stack[0] = ByteCode::PropCM1;
    stack[1] = 2;
    stack[2] = 2;
    depth = 3;
    engine.callFunction(ByteCode::FnCPROPERTY, stack, depth, c);
    EXPECT_NEAR(stack[0], 2 * 15.9994, 1e-9); // O2
}

TEST(SolverSetup, NonZeroListIsSizedByTheStencilsWhereItIsRead)
{
    {
        // External sparse solver: 5 points with 3-point stencils, one variable.
        RunFolder f("grid1d.MVAT$");
        RRazava engine("MORV", f.data);
        ASSERT_EQ(engine.globalData()->runStatus, 0) << engine.startupReason();
        EXPECT_EQ(engine.nonZeroCapacity, 5 * 3 + 1);
        EXPECT_EQ(engine.nonZeroValues.size(), 16u);
        EXPECT_EQ(engine.nonZeroColumns.size(), 16u);
        EXPECT_EQ(engine.globalData()->kmatrx, 10 * 5);
    }
    auto capacityOf = [](const RRazava& e) {
        std::int64_t c = 1;
        for (int count : e.stencilCounts)
            c += count * 4;
        return c;
    };
    {
        // Iterative solver (METHOD 1) without the matrix listing: no list.
        RunFolder f("mesh2d.MVAT$", [](std::vector<std::string>& l) { l[6] = "1, 0, 3, 1, 1, 1"; });
        RRazava engine("MORV", f.data);
        ASSERT_EQ(engine.globalData()->runStatus, 0) << engine.startupReason();
        EXPECT_EQ(engine.nonZeroCapacity, capacityOf(engine));
        EXPECT_TRUE(engine.nonZeroValues.empty());
    }
    {
        // The external solver (METHOD 0) reads it.
        RunFolder f("mesh2d.MVAT$");
        RRazava engine("MORV", f.data);
        ASSERT_EQ(engine.globalData()->runStatus, 0) << engine.startupReason();
        EXPECT_EQ(engine.nonZeroValues.size(), static_cast<std::size_t>(capacityOf(engine)));
    }
    {
        // The matrix listing (IPRT mod 10 >= 3) reads it on the iterative solver too.
        RunFolder f("mesh2d.MVAT$", [](std::vector<std::string>& l) {
            l[0] = "0, 10, 13, 1, 0, 1";
            l[6] = "1, 0, 3, 1, 1, 1";
        });
        RRazava engine("MORV", f.data);
        ASSERT_EQ(engine.globalData()->runStatus, 0) << engine.startupReason();
        EXPECT_EQ(engine.nonZeroValues.size(), static_cast<std::size_t>(capacityOf(engine)));
        EXPECT_EQ(engine.globalData()->kmatrx, 10 * 4 * 9);
    }
}

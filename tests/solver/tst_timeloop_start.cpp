// How a run starts: problems without time (INITIAL solve only), the parameter line of such a
// run, the restart file as start values, a continued transient run appending to the previous
// result, and the stencil listing of a plane run.
#include "TimeLoopSupport.h"
#include "solver/RRunCommit.h"

#include <QFile>
#include <gtest/gtest.h>

#include <cmath>

using namespace ByteCode;

namespace {

std::unique_ptr<LoopDocument> steadyDocument(const QString& initial)
{
    auto d = std::make_unique<LoopDocument>(variablesOnly({"a"}, false));
    d->control().IPRT = 2;
    d->control().IPRN = 1;
    d->script(SectionAssume, {"a = 1"});
    d->script(SectionInitial, {initial});
    return d;
}

} // namespace

TEST(TimeLoopStart, RunWithoutTimeSolvesOnlyTheInitialSection)
{
    struct Case {
        const char* name;
        QString initial;
        const char* parameterFile; // nullptr: none
        int restart;
        int status;
        double value;              // of a at the end of a run with status 0
        std::vector<std::string> lastLines;
    } cases[] = {
        {"algebraic", "%EQU: a*a - 2", nullptr, 0, 0, std::sqrt(2.0), {"Job finished normally."}},
        {"parameter line", "%EQU: a - FILE(1)", "1\r\n2.5\r\n", 0, 0, 2.5,
         {"Job finished normally."}},
        {"parameter file with only its count line", "%EQU: a - FILE(1)", "1\r\n", 0, 9, 0,
         {"1 error(s), 0 warning(s) [9]"}},
        {"RESTART function without a restart file", "%EQU: a - RESTART(a, 3)", nullptr, 0, 0, 3,
         {"[Infomation]RESTART function returned ALTERNATE values.", "Job finished normally."}},
        {"restart requested without a restart file", "%EQU: a*a - 2", nullptr, 1, 5, 0,
         {"1 error(s), 0 warning(s) [5]"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto d = steadyDocument(c.initial);
        d->control().RESTART = c.restart;
        d->control().TSTART = 2;
        ASSERT_EQ(d->compile(), "");
        if (c.parameterFile)
            writeAll(d->path(".PRM"), c.parameterFile);
        const RunOutcome out = runEngine(d->dataFile());
        EXPECT_EQ(out.status, c.status);

        const std::vector<std::string> log = readLog(d->path(".MVL3$"));
        ASSERT_GE(log.size(), c.lastLines.size());
        EXPECT_EQ(std::vector<std::string>(log.end() - c.lastLines.size(), log.end()), c.lastLines);
        // The restart file carries the start time, as no step is made.
        const RestartContent restart = readRestart(d->path(".MVR3$"));
        EXPECT_EQ(restart.time, 2.0);
        const std::vector<ResultRecord> records = readRecords(d->path(".MVO3$"));
        if (c.status != 0) {
            EXPECT_TRUE(records.empty());
            continue;
        }
        EXPECT_GE(countLinesStartingWith(log, "L="), 1);
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0].time, 2.0);
        EXPECT_NEAR(records[0].values.at(0), c.value, 1e-9);
        EXPECT_NEAR(restart.values.at(0), c.value, 1e-9);
    }
}

TEST(TimeLoopStart, ContinuedTransientRunAppendsToThePreviousResult)
{
    auto d = decayDocument();
    d->control().TEND = 0.5;
    ASSERT_EQ(d->compile(), "");
    ASSERT_EQ(runEngine(d->dataFile()).status, 0);
    commitRunFiles(d->dataFile());
    const std::string previous = readAll(d->path(".MVO3"));
    ASSERT_EQ(readRecords(d->path(".MVO3")).size(), 6u);

    d->control().RESTART = 1;
    d->control().TEND = 1.0;
    ASSERT_EQ(d->compile(), "");
    EXPECT_EQ(runEngine(d->dataFile()).status, 0);
    const std::string appended = readAll(d->path(".MVO3$"));
    EXPECT_EQ(appended.substr(0, previous.size()), previous);
    const std::vector<ResultRecord> records = readRecords(d->path(".MVO3$"));
    ASSERT_EQ(records.size(), 11u);
    EXPECT_NEAR(records[6].time, 0.6, 1e-12);
    EXPECT_NEAR(records.back().values.at(0), std::pow(1.1, -10), 1e-12);
    // No INITIAL solve: two iterations for each of the five steps.
    EXPECT_EQ(countLinesStartingWith(readLog(d->path(".MVL3$")), "L="), 10);
    EXPECT_NEAR(readRestart(d->path(".MVR3$")).time, 1.0, 1e-12);
}

TEST(TimeLoopStart, ContinuedTransientRunWithoutPreviousResultWritesOnlyItsRecords)
{
    auto d = decayDocument();
    d->control().TEND = 0.5;
    ASSERT_EQ(d->compile(), "");
    ASSERT_EQ(runEngine(d->dataFile()).status, 0);
    commitRunFiles(d->dataFile());
    QFile::remove(QString::fromStdString(d->path(".MVO3")));

    d->control().RESTART = 1;
    d->control().TEND = 0.7;
    ASSERT_EQ(d->compile(), "");
    EXPECT_EQ(runEngine(d->dataFile()).status, 0);
    const std::vector<std::string> lines = splitLines(readAll(d->path(".MVO3$")));
    ASSERT_EQ(lines.size(), 4u); // two records of a time line and a value line
    EXPECT_EQ(numbersOf(lines[2]).at(0), 0.7);
}

TEST(TimeLoopStart, SteadyRestartStartsFromTheStoredLevelAndTime)
{
    auto d = steadyDocument("%EQU: a*a - 2");
    d->control().TSTART = 7;
    ASSERT_EQ(d->compile(), "");
    ASSERT_EQ(runEngine(d->dataFile()).status, 0);
    commitRunFiles(d->dataFile());

    d->control().RESTART = 1;
    d->control().TSTART = 0;
    d->script(SectionAssume, {"a = -5"}); // not used: the values come from the restart file
    ASSERT_EQ(d->compile(), "");
    EXPECT_EQ(runEngine(d->dataFile()).status, 0);
    // A fresh header and a new start level at the restored time.
    const std::vector<ResultRecord> records = readRecords(d->path(".MVO3$"));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].time, 7.0);
    EXPECT_NEAR(records[0].values.at(0), std::sqrt(2.0), 1e-9);
}

TEST(TimeLoopStart, RestartFileOfAnotherProblemEndsWithStatusFive)
{
    struct Case {
        const char* name;
        const char* file;
        double restartTime; // the start time the failed run ends with
    } cases[] = {
        // Fault: a restart file whose header was read but did not fit left the document's start
        // time in place of the file's time.
        {"another problem", "MORV_RESTART_FILE,  1.00000000000000E+00,2,1,0\r\n 0 0\r\n"
                            "  1.00000000000000E+00  2.00000000000000E+00\r\n", 1.0},
        // A header that cannot be read gives no time: the document's start time stays.
        {"unreadable header", "MORV_RESTART_FILE,  1.00000000000000E+00,x,1,0\r\n 0\r\n"
                              "  1.00000000000000E+00\r\n", 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto d = decayDocument();
        writeAll(d->path(".MVR3"), c.file);
        d->control().RESTART = 1;
        ASSERT_EQ(d->compile(), "");
        const RunOutcome out = runEngine(d->dataFile());
        EXPECT_EQ(out.status, 5);
        EXPECT_EQ(out.errors, 1);
        EXPECT_EQ(readRestart(d->path(".MVR3$")).time, c.restartTime);
        EXPECT_EQ(readLog(d->path(".MVL3$")).back(), "1 error(s), 0 warning(s) [5]");
    }
}

TEST(TimeLoopStart, PlaneRunListsItsStencilsAndWritesNeighbourLines)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("plane.MV3");
    ASSERT_TRUE(QFile::copy(QStringLiteral(MORV_TEST_DATA "/compiler/scripts/diffusion2d.MV3"), path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    RMORVDocument doc;
    ASSERT_EQ(doc.loadfile(path), 0);
    doc.documentFolder = folder.path() + '/';
    doc.documentFileName = QStringLiteral("plane.MV3");
    doc.named = true;
    doc.compiler->control->IPRT = 12;
    QStringList compileLog;
    ASSERT_EQ(runCompile(doc, doc.scripts, compileLog), 0) << compileLog.join('\n').toStdString();
    const std::string data = folder.filePath("plane.MVAT$").toStdString();

    RRazava engine("MORV", data);
    MORVGlobalData& g = *engine.globalData();
    ASSERT_EQ(g.runStatus, 0) << engine.startupReason();
    engine.SolveEquation();
    // The mesh's centre has only its four corners around it, too few for a quadratic: the
    // first step asks for its second derivatives and fails (an assembly error), after the
    // listing and the header were written.
    EXPECT_EQ(g.runStatus, 11);
    const int np = g.pointCount;

    const std::vector<std::string> log = readLog(folder.filePath("plane.MVL3$").toStdString());
    for (int p = 0; p < np; ++p) {
        char head[16];
        std::snprintf(head, sizeof head, "%5d(", p + 1);
        const auto line = std::find_if(log.begin(), log.end(), [&](const std::string& l) {
            return l.rfind(head, 0) == 0;
        });
        ASSERT_NE(line, log.end()) << p;
        // The coordinates, then the point itself first among its stencil points.
        std::string expected = head + formatE(g.pointX[p], 12, 5) + "," + formatE(g.pointY[p], 12, 5) + ")";
        for (int j = 0; j < engine.stencilCounts[p]; ++j) {
            char number[16];
            std::snprintf(number, sizeof number, "%6d", engine.stencilPoints[engine.stencilStart[p] + j] + 1);
            expected += number;
        }
        if (engine.stencilStart[p] >= std::size_t(np) * 6)
            expected += "  widened";
        else if (g.pointX[p] == 0.5 && g.pointY[p] == 0.5)
            expected += "  no second derivatives";
        EXPECT_EQ(*line, expected);
    }

    // The header ends with one neighbour line per point after the triangles.
    const std::vector<std::string> result = splitLines(readAll(folder.filePath("plane.MVO3$").toStdString()));
    const std::size_t triangles = 2 + np + 1;
    ASSERT_GT(result.size(), triangles + engine.triangleCount + np);
    EXPECT_EQ(result[triangles - 1], std::to_string(engine.triangleCount));
    for (int p = 0; p < np; ++p) {
        std::string expected = std::to_string(engine.stencilCounts[p]);
        for (int j = 0; j < engine.stencilCounts[p]; ++j)
            expected += " " + std::to_string(engine.stencilPoints[engine.stencilStart[p] + j] + 1);
        EXPECT_EQ(result[triangles + engine.triangleCount + p], expected) << p;
    }
}

TEST(TimeLoopStart, NormalEndTellsWhichValuesTheRestartFunctionReturned)
{
    struct Case {
        const char* name;
        const char* restartFile;
        double value;
        int infoLines;
    } cases[] = {
        {"fitting restart file",
         "MORV_RESTART_FILE,  0.00000000000000E+00,1,1,0\r\n 0\r\n  1.50000000000000E+00\r\n", 1.5,
         1},
        // Two variables in the file: the alternate value, and no line at all.
        {"restart file of another problem",
         "MORV_RESTART_FILE,  0.00000000000000E+00,2,1,0\r\n 0 0\r\n"
         "  1.50000000000000E+00  2.50000000000000E+00\r\n",
         3, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto d = steadyDocument("%EQU: a - RESTART(a, 3)");
        d->control().FLOATINGERROR = 1; // a file that does not fit also counts math errors
        ASSERT_EQ(d->compile(), "");
        writeAll(d->path(".MVR3"), c.restartFile);
        EXPECT_EQ(runEngine(d->dataFile()).status, 0);
        EXPECT_NEAR(readRecords(d->path(".MVO3$")).at(0).values.at(0), c.value, 1e-9);
        const std::vector<std::string> log = readLog(d->path(".MVL3$"));
        EXPECT_EQ(log.back(), "Job finished normally.");
        EXPECT_EQ(countLinesStartingWith(log, "[Infomation]RESTART function returned RESTART FILE values."),
                  c.infoLines);
        EXPECT_EQ(countLinesStartingWith(log, "[Infomation]"), c.infoLines);
    }
}

TEST(TimeLoopStart, TwoGridRunWritesItsLevelsGridByGrid)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("cells.MV3");
    ASSERT_TRUE(QFile::copy(QStringLiteral(MORV_TEST_DATA "/compiler/scripts/heat1d.MV3"), path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    RMORVDocument doc;
    ASSERT_EQ(doc.loadfile(path), 0);
    doc.documentFolder = folder.path() + '/';
    doc.documentFileName = QStringLiteral("cells.MV3");
    doc.named = true;
    // The sub variable lives on the cells: grid 1 the even points, grid 2 the odd ones.
    doc.compiler->symbols->subVariableAttributes = {1};
    doc.compiler->control->twoGrid = 1;
    doc.compiler->control->IFIL = 0;
    QStringList compileLog;
    ASSERT_EQ(runCompile(doc, doc.scripts, compileLog), 0) << compileLog.join('\n').toStdString();
    RRazava engine("MORV", folder.filePath("cells.MVAT$").toStdString());
    MORVGlobalData& g = *engine.globalData();
    ASSERT_EQ(g.runStatus, 0) << engine.startupReason();
    ASSERT_EQ(g.pointCount, 5);
    engine.SolveEquation();
    EXPECT_EQ(g.runStatus, 0);

    const std::vector<std::string> lines =
        splitLines(readAll(folder.filePath("cells.MVO3$").toStdString()));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "1,0,1,1,5,1,3,2");
    // Header: counts, two class lines, five point lines. Each level (start, 0.05, 0.1): the
    // sub-variable time and the two grid-2 lines, then the time and 3 + 2 variable lines.
    EXPECT_EQ(lines.size(), 8u + 3 * (1 + 2 + 1 + 3 + 2));
}

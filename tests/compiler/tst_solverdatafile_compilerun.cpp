// The widget-free compile run: its log, the compile list it leaves, the solver data file it
// writes and the compile state.
#include "SolverDataDocuments.h"
#include "compiler/CompileList.h"
#include "compiler/RCompileRun.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

using namespace SolverDataDocuments;

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct Compiled {
    std::unique_ptr<RMORVDocument> doc;
    QStringList log;
    int errors = 0;
    QList<int> progress;
};

Compiled compile(std::unique_ptr<RMORVDocument> doc, const QString& folder, const QString& name)
{
    Compiled c;
    c.doc = std::move(doc);
    c.doc->documentFolder = folder;
    c.doc->documentFileName = name;
    c.errors = runCompile(*c.doc, c.doc->scripts, c.log, [&c](int p) { c.progress.append(p); });
    return c;
}

TEST(CompileRun, CleanCompileWritesTheFileAndTheListAndLowersTheState)
{
    QTemporaryDir dir;
    // The document folder does not exist yet: the run creates it before writing.
    const QString folder = dir.filePath(QStringLiteral("new")) + QLatin1Char('/');
    Compiled c = compile(document(NoGrid), folder, QStringLiteral("nogrid.MV3"));
    EXPECT_EQ(c.errors, 0);
    EXPECT_EQ(c.log, QStringList({"> Compiling sub var.  ...", "> Completed", "> Compiling initial   ...",
                                  "> Completed", "> Compiling equation  ...", "> Completed",
                                  "> Compiling terminate ...", "> Completed", "> 0 error(s), 0 warning(s)",
                                  "> Creating data for Solver...", "> Completed"}));
    EXPECT_EQ(c.doc->compileState, 0);
    EXPECT_EQ(readAll(folder + QStringLiteral("nogrid.MVAT$")), readAll(dataFolder() + QStringLiteral("nogrid.DAT")));
    ASSERT_FALSE(c.progress.isEmpty());
    EXPECT_EQ(c.progress.last(), 100);

    const QString exported = compileListExportPath(folder, c.doc->documentFileName);
    ASSERT_TRUE(exportCompileList(c.doc->compileList, exported));
    const QString golden = dataFolder() + QStringLiteral("nogrid.SYM");
    if (qEnvironmentVariableIsSet("MORV_UPDATE_GOLDEN"))
        QFile::copy(exported, golden);
    EXPECT_EQ(readAll(exported), readAll(golden));
}

TEST(CompileRun, ErrorKeepsTheStateAndWritesNoFileButStillListsTheSymbols)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    auto doc = document(Grid1D);
    QStringList first;
    doc->documentFolder = folder;
    doc->documentFileName = QStringLiteral("grid1d.MV3");
    ASSERT_EQ(runCompile(*doc, doc->scripts, first), 0);
    ASSERT_TRUE(QFile::remove(folder + QStringLiteral("grid1d.MVAT$")));
    doc->compileState = 2;

    doc->scripts[RMORVDocument::Initial] = {"%EQU: u - x*(1-x)", "q = = 1"};
    doc->compiler->locals.clear();
    Compiled c = compile(std::move(doc), folder, QStringLiteral("grid1d.MV3"));
    EXPECT_EQ(c.errors, 1);
    EXPECT_EQ(c.log.mid(c.log.size() - 1), QStringList({"> 1 error(s), 0 warning(s)"}));
    EXPECT_EQ(c.doc->compileState, 2);
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("grid1d.MVAT$")));
    EXPECT_EQ(c.doc->compileList.last(), QStringLiteral("Equation buffer :     69"));
    EXPECT_TRUE(c.doc->compileList.contains(QStringLiteral("* SYMBOLS")));
}

TEST(CompileRun, WithoutTimeOnlyTheFirstThreeSectionsAreCompiled)
{
    QTemporaryDir dir;
    auto doc = document(NoGrid);
    doc->compiler->control->PARMT = 0;
    doc->scripts[RMORVDocument::Equation] = {"this would not compile"};
    Compiled c = compile(std::move(doc), dir.path() + QLatin1Char('/'), QStringLiteral("nogrid.MV3"));
    EXPECT_EQ(c.errors, 0);
    EXPECT_TRUE(c.doc->compiler->code[3].empty());
    EXPECT_TRUE(c.doc->compiler->code[4].empty());
    EXPECT_FALSE(c.doc->compileList.join('\n').contains(QStringLiteral("GROUP 4")));
    EXPECT_FALSE(c.doc->compileList.join('\n').contains(QStringLiteral("GROUP 5")));
    EXPECT_TRUE(c.doc->compileList.contains(QStringLiteral("* EQUATION GROUP 3 : initial  ")));
}

TEST(CompileRun, RegionOutsideTheGridIsAnError)
{
    QTemporaryDir dir;
    auto doc = document(Mesh2D);
    doc->compiler->INTEGRAL1[1].list = {-5, 99};
    Compiled c = compile(std::move(doc), dir.path() + QLatin1Char('/'), QStringLiteral("mesh2d.MV3"));
    EXPECT_EQ(c.errors, 1);
    EXPECT_TRUE(c.log.contains(QStringLiteral("(E) Integral region does not match the grid :top")));
    EXPECT_EQ(c.doc->compileState, 2);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("mesh2d.MVAT$"))));
}

// Regression: an end time 1e12 intervals away made the compile grow the output time list until
// memory ran out, then report a file error.
TEST(CompileRun, TooManyOutputTimesIsAnError)
{
    QTemporaryDir dir;
    auto doc = document(NoGrid);
    doc->compiler->control->TEND = 1e12;
    doc->compiler->symbols->TGRID_A = 1.0;
    Compiled c = compile(std::move(doc), dir.path() + QLatin1Char('/'), QStringLiteral("nogrid.MV3"));
    EXPECT_EQ(c.errors, 1);
    EXPECT_TRUE(c.log.contains(QStringLiteral("(E) Too many output times :0 to 1e+12 every 1")));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("nogrid.MVAT$"))));
}

TEST(CompileRun, FileThatCannotBeCreatedIsReportedAndKeepsTheState)
{
    QTemporaryDir dir;
    // Two missing levels: the run creates only one, so the file cannot be created.
    Compiled c = compile(document(NoGrid), dir.filePath(QStringLiteral("a/b")) + QLatin1Char('/'),
                         QStringLiteral("nogrid.MV3"));
    EXPECT_EQ(c.log.last(), QStringLiteral("File I/O error"));
    EXPECT_EQ(c.doc->compileState, 2);
    EXPECT_EQ(c.progress.last(), 100);
}

} // namespace

namespace {

// morv_headless compile writes the solver data file beside the document, as Run > Compile does,
// and refuses what the menu would not compile.
TEST(CompileRun, HeadlessCompileWritesTheSolverDataFile)
{
    QTemporaryDir dir;
    const QString doc = dir.filePath(QStringLiteral("grid1d.MV3"));
    ASSERT_TRUE(QFile::copy(dataFolder() + QStringLiteral("grid1d.MV3"), doc));
    QProcess run;
    run.start(QStringLiteral(MORV_HEADLESS), {QStringLiteral("compile"), doc});
    ASSERT_TRUE(run.waitForFinished(60000));
    EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    EXPECT_TRUE(run.readAllStandardOutput().contains("> Creating data for Solver...\n> Completed\n"));
    EXPECT_EQ(readAll(dir.filePath(QStringLiteral("grid1d.MVAT$"))), readAll(dataFolder() + QStringLiteral("grid1d.DAT")));

    // The same document without a finished grid is refused with the reason.
    RMORVDocument unfinished;
    ASSERT_EQ(unfinished.loadfile(doc), 0);
    unfinished.mesh->meshState = 1;
    const QString second = dir.filePath(QStringLiteral("stale.MV3"));
    ASSERT_EQ(unfinished.savefile(second), 0);
    run.start(QStringLiteral(MORV_HEADLESS), {QStringLiteral("compile"), second});
    ASSERT_TRUE(run.waitForFinished(60000));
    EXPECT_EQ(run.exitCode(), 3);
    EXPECT_TRUE(run.readAllStandardError().contains("grid"));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("stale.MVAT$"))));
}

// morv_headless compile exited 0 although the solver data file was not written.
TEST(CompileRun, HeadlessCompileFailsWhenTheSolverDataFileIsNotWritten)
{
    QTemporaryDir dir;
    const QString doc = dir.filePath(QStringLiteral("grid1d.MV3"));
    ASSERT_TRUE(QFile::copy(dataFolder() + QStringLiteral("grid1d.MV3"), doc));
    // A folder where the file should go: no file can be written there, whoever runs the test.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("grid1d.MVAT$")));
    QProcess run;
    run.start(QStringLiteral(MORV_HEADLESS), {QStringLiteral("compile"), doc});
    ASSERT_TRUE(run.waitForFinished(60000));
    EXPECT_EQ(run.exitCode(), 4);
    EXPECT_TRUE(run.readAllStandardOutput().contains("File I/O error"));
    EXPECT_FALSE(run.readAllStandardError().isEmpty());
}

} // namespace

// The solver data file written from whole documents: golden files for the three problem shapes
// and the documents the writer refuses.
#include "SolverDataDocuments.h"
#include "compiler/RCompileRun.h"
#include "compiler/SolverDataFileWriter.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace SolverDataDocuments;

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

SolverDataSource sourceOf(RMORVDocument& doc)
{
    return solverDataSource(doc, {});
}

class GoldenSolverDataFile : public ::testing::TestWithParam<Shape> {};

TEST_P(GoldenSolverDataFile, MatchesByteForByte)
{
    const Shape shape = GetParam();
    auto doc = document(shape);
    fillCompiledState(shape, *doc->compiler);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.MVAT$"));
    ASSERT_EQ(writeSolverDataFile(sourceOf(*doc), path), SolverDataWritten);
    const QByteArray written = readAll(path);
    const QString golden = dataFolder() + baseName(shape) + QStringLiteral(".DAT");
    if (qEnvironmentVariableIsSet("MORV_UPDATE_GOLDEN")) {
        QFile out(golden);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(written);
    }
    EXPECT_EQ(written, readAll(golden)) << qPrintable(golden);
}

INSTANTIATE_TEST_SUITE_P(SolverDataFile, GoldenSolverDataFile, ::testing::Values(NoGrid, Grid1D, Mesh2D),
                         [](const auto& info) { return baseName(info.param).toStdString(); });

TEST(SolverDataFile, ProblemWithoutGridWritesOnePointAndLeavesNoNodes)
{
    auto doc = document(NoGrid);
    fillCompiledState(NoGrid, *doc->compiler);
    // A mesh left over from an earlier choice of space parameters is not the run's grid.
    doc->mesh->gridPoints.resize(7);
    const QByteArray text = solverDataFileText(sourceOf(*doc));
    EXPECT_TRUE(text.contains("1 /grid\r\n  1.00000000000000E+00\r\n  1.00000000000000E+00\r\n"
                              "  0.00000000000000E+00\r\n  0.00000000000000E+00\r\n"));
    EXPECT_TRUE(text.contains("\r\n         0\r\n     1\r\n     1\r\n0 /Integral1\r\n"));
    EXPECT_FALSE(text.contains("Triangle"));
    EXPECT_TRUE(doc->mesh->gridPoints.empty());
    EXPECT_TRUE(doc->mesh->triangles.empty());
}

TEST(SolverDataFile, WithoutTimeParameterTheOnlyTimeLiesBeforeTheStart)
{
    auto doc = document(NoGrid);
    fillCompiledState(NoGrid, *doc->compiler);
    doc->compiler->control->PARMT = 0;
    doc->compiler->control->TSTART = 2.0;
    EXPECT_TRUE(solverDataFileText(sourceOf(*doc)).contains("1 /timegrid\r\n  1.00000000000000E+00\r\n"));
}

struct Refusal {
    const char* what;
    Shape shape;
    void (*spoil)(RMORVDocument&);
};

void PrintTo(const Refusal& r, std::ostream* os) { *os << r.what; }

class RefusedDocument : public ::testing::TestWithParam<Refusal> {};

TEST_P(RefusedDocument, GivesResultTwoAndNoFile)
{
    const Refusal& r = GetParam();
    auto doc = document(r.shape);
    fillCompiledState(r.shape, *doc->compiler);
    r.spoil(*doc);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.MVAT$"));
    QFile stale(path);
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("stale");
    stale.close();
    EXPECT_EQ(writeSolverDataFile(sourceOf(*doc), path), SolverDataWriteError) << r.what;
    // A file of an earlier compile must not pass for this one.
    EXPECT_FALSE(QFile::exists(path)) << r.what;
}

INSTANTIATE_TEST_SUITE_P(
    SolverDataFile, RefusedDocument,
    ::testing::Values(
        Refusal{"input data set index past the list", NoGrid, [](RMORVDocument& d) { d.inputDataIndex = 2; }},
        Refusal{"negative input data set index", NoGrid, [](RMORVDocument& d) { d.inputDataIndex = -1; }},
        // Regression: a thermo flag without a chemistry data set wrote a file whose chemistry block was missing.
        Refusal{"thermo flag without chemistry data set", NoGrid,
                [](RMORVDocument& d) { d.compiler->symbols->thermoFlag = 1; }},
        // Regression: a grid problem with only the three corners wrote a negative point count.
        Refusal{"one-dimensional problem without grid points", Grid1D,
                [](RMORVDocument& d) { d.mesh->gridPoints.resize(3); }},
        Refusal{"two-dimensional problem without any node", Mesh2D,
                [](RMORVDocument& d) { d.mesh->gridPoints.clear(); }},
        Refusal{"line region naming a corner", Mesh2D,
                [](RMORVDocument& d) { d.compiler->INTEGRAL1[1].list = {-2, 6}; }},
        Refusal{"line region past the last node", Mesh2D,
                [](RMORVDocument& d) { d.compiler->INTEGRAL1[0].list = {3, 8}; }},
        Refusal{"area region that is not whole triples", Mesh2D,
                [](RMORVDocument& d) { d.compiler->INTEGRAL2[0].list = {3, 4, 7, 5}; }},
        Refusal{"area region with a negative entry", Mesh2D,
                [](RMORVDocument& d) { d.compiler->INTEGRAL2[0].list = {3, -4, 7}; }}),
    [](const auto& info) { return std::to_string(info.index); });

TEST(SolverDataFile, RegionsOutsideTheGridAreNamedOnlyForTwoDimensions)
{
    auto doc = document(Mesh2D);
    EXPECT_TRUE(integralRegionsOutsideGrid(*doc->compiler, *doc->mesh).isEmpty());
    doc->compiler->INTEGRAL1[0].list = {3, 9};
    doc->compiler->INTEGRAL2[1].list = {0, 1, 2};
    EXPECT_EQ(integralRegionsOutsideGrid(*doc->compiler, *doc->mesh), QStringList({"bottom", "all"}));
    // Other problems carry no regions, so nothing of theirs can mismatch.
    doc->compiler->control->spaceDimension = 1;
    EXPECT_TRUE(integralRegionsOutsideGrid(*doc->compiler, *doc->mesh).isEmpty());
}

TEST(SolverDataFile, OneDimensionalProblemCarriesNoRegionsAndNoTriangles)
{
    auto doc = document(Grid1D);
    fillCompiledState(Grid1D, *doc->compiler);
    doc->compiler->INTEGRAL1 = {SIntegral{"stale", {1, 2}}};
    doc->mesh->triangles.resize(1);
    const QByteArray text = solverDataFileText(sourceOf(*doc));
    EXPECT_TRUE(text.contains("0 /Integral1\r\n0 /Integral2\r\n"));
    EXPECT_FALSE(text.contains("Triangle"));
}

TEST(SolverDataFile, UncreatableFileGivesResultOne)
{
    auto doc = document(NoGrid);
    fillCompiledState(NoGrid, *doc->compiler);
    QTemporaryDir dir;
    EXPECT_EQ(writeSolverDataFile(sourceOf(*doc), dir.filePath(QStringLiteral("missing/out.MVAT$"))),
              SolverDataNotCreated);
}

} // namespace

namespace {

// The hand-filled code of the golden documents is what compiling their scripts gives, and the
// compile writes the golden file beside the document, so the golden files stand for real compiles.
class CompiledGoldenDocument : public ::testing::TestWithParam<Shape> {};

TEST_P(CompiledGoldenDocument, CompilesToTheGoldenCodeAndFile)
{
    const Shape shape = GetParam();
    auto doc = document(shape);
    QTemporaryDir dir;
    doc->documentFolder = dir.path() + QLatin1Char('/');
    doc->documentFileName = baseName(shape) + QStringLiteral(".MV3");
    QStringList log;
    EXPECT_EQ(runCompile(*doc, doc->scripts, log), 0) << qPrintable(log.join('\n'));
    RMORVCompile expected;
    *expected.control = *doc->compiler->control;
    fillCompiledState(shape, expected);
    for (int s = 0; s < 5; ++s)
        EXPECT_EQ(doc->compiler->code[size_t(s)], expected.code[size_t(s)]) << "section " << s;
    EXPECT_EQ(doc->compiler->literals, expected.literals);
    EXPECT_EQ(doc->compiler->locals, expected.locals);
    EXPECT_EQ(readAll(dir.filePath(baseName(shape) + QStringLiteral(".MVAT$"))),
              readAll(dataFolder() + baseName(shape) + QStringLiteral(".DAT")));
}

INSTANTIATE_TEST_SUITE_P(SolverDataFile, CompiledGoldenDocument, ::testing::Values(NoGrid, Grid1D, Mesh2D),
                         [](const auto& info) { return baseName(info.param).toStdString(); });

} // namespace

namespace {

// The golden documents also exist as document files (for morv_headless and the engine's
// end-to-end runs); loading and compiling one writes the same golden file.
class GoldenDocumentFile : public ::testing::TestWithParam<Shape> {};

TEST_P(GoldenDocumentFile, LoadsAndCompilesToTheGoldenFile)
{
    const Shape shape = GetParam();
    const QString stored = dataFolder() + baseName(shape) + QStringLiteral(".MV3");
    if (qEnvironmentVariableIsSet("MORV_UPDATE_GOLDEN"))
        ASSERT_EQ(document(shape)->savefile(stored), 0);
    QTemporaryDir dir;
    const QString path = dir.filePath(baseName(shape) + QStringLiteral(".MV3"));
    ASSERT_TRUE(QFile::copy(stored, path));
    RMORVDocument doc;
    ASSERT_EQ(doc.loadfile(path), 0);
    doc.documentFolder = dir.path() + QLatin1Char('/');
    doc.documentFileName = baseName(shape) + QStringLiteral(".MV3");
    QStringList log;
    EXPECT_EQ(runCompile(doc, doc.scripts, log), 0) << qPrintable(log.join('\n'));
    EXPECT_EQ(readAll(dir.filePath(baseName(shape) + QStringLiteral(".MVAT$"))),
              readAll(dataFolder() + baseName(shape) + QStringLiteral(".DAT")));
}

INSTANTIATE_TEST_SUITE_P(SolverDataFile, GoldenDocumentFile, ::testing::Values(NoGrid, Grid1D, Mesh2D),
                         [](const auto& info) { return baseName(info.param).toStdString(); });

} // namespace

#include "RecordingSink.h"
#include "ResultTestDocuments.h"
#include "document/RMessages.h"
#include "results/RResultHolder.h"
#include "results/RResultLoader.h"
#include "results/RResultTextOut.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <limits>
#include <gtest/gtest.h>

namespace {

struct TableCase {
    const char* file;       // result file and, with ".txt", its golden table
    int layout;
    ResultDocumentShape shape;
    QList<int> variables;   // selection
    QList<int> subs;
    int digits = 6;
};

QStringList goldenLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("<missing golden %1>").arg(path)};
    QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// Keeps the table that did not match beside the test binary for a look.
void keepActual(const QString& name, const QStringList& lines)
{
    QFile file(qEnvironmentVariable("MORV_TEST_BINARY_DIR", QStringLiteral(".")) + u'/' + name
        + QStringLiteral(".actual"));
    if (file.open(QIODevice::WriteOnly))
        file.write((lines.join(u'\n') + u'\n').toUtf8());
}

void PrintTo(const TableCase& c, std::ostream* os) { *os << c.file; }

class ResultTables : public ::testing::TestWithParam<TableCase> {};

TEST_P(ResultTables, MatchGolden)
{
    const TableCase& c = GetParam();
    auto doc = makeResultDocument(c.shape);
    RResultHolder holder;
    ASSERT_EQ(LoadResultFile(holder, *doc, resultData(QString::fromLatin1(c.file))), ResultLoaded);
    EXPECT_EQ(resultLayout(*doc->control, holder.result.separateTimes), c.layout);
    holder.selectedVariables = c.variables;
    holder.selectedSubVariables = c.subs;
    QStringList lines{QStringLiteral("left over")};
    ResultTextOut(lines, holder, *doc, c.digits);
    const QString name = QString::fromLatin1(c.file).section(u'.', 0, 0);
    const QStringList golden = goldenLines(resultData(name + QStringLiteral(".txt")));
    if (lines != golden)
        keepActual(name, lines);
    EXPECT_EQ(lines.join(u'\n').toStdString(), golden.join(u'\n').toStdString());
}

const ResultDocumentShape Scalar{0, 0, 0, {"U", "V"}, {}, {"W"}, {}};
const ResultDocumentShape PlaneSteady{0, 1, 1, {"P"}, {}, {}, {}};
const ResultDocumentShape LineSteady{0, 1, 0, {"U"}, {}, {"W"}, {}};
const ResultDocumentShape LineSteady2{0, 1, 0, {"U", "V"}, {0, 1}, {"W"}, {0}};
const ResultDocumentShape Series{1, 0, 0, {"U"}, {}, {"W"}, {}};
const ResultDocumentShape LineY{1, 0, 1, {"A", "B"}, {}, {}, {}};
const ResultDocumentShape LineX{1, 1, 0, {"U"}, {}, {"W"}, {}};
const ResultDocumentShape Line2{1, 1, 0, {"U", "V", "Z"}, {0, 1, 0}, {"W"}, {1}};
const ResultDocumentShape Line2Separate{1, 1, 0, {"U"}, {1}, {"W"}, {0}};
const ResultDocumentShape Plane{1, 1, 1, {"P"}, {}, {"Q"}, {}};

INSTANTIATE_TEST_SUITE_P(Layouts, ResultTables, ::testing::Values(
    TableCase{"scalar.MVO3", LayoutScalar, Scalar, {1, 2}, {1}},
    TableCase{"plane_steady.MVO3", LayoutPlaneSteady, PlaneSteady, {1}, {}},
    TableCase{"line_steady.MVO3", LayoutLineSteady, LineSteady, {1}, {1}},
    TableCase{"line_steady_2grid.MVO3", LayoutLineSteadyTwoGrids, LineSteady2, {1, 2}, {1}},
    TableCase{"series.MVO3", LayoutTimeSeries, Series, {1}, {1}},
    TableCase{"series_separate.MVO3", LayoutTimeSeriesSeparate, Series, {1}, {1}},
    TableCase{"line.MVO3", LayoutLine, LineY, {2}, {}},
    TableCase{"line_separate.MVO3", LayoutLineSeparate, LineX, {1}, {1}, 3},
    TableCase{"line_2grid.MVO3", LayoutLineTwoGrids, Line2, {1, 2, 3}, {1}},
    TableCase{"line_2grid_separate.MVO3", LayoutLineTwoGridsSeparate, Line2Separate, {1}, {1}},
    TableCase{"plane.MVO3", LayoutPlane, Plane, {1}, {1}},
    TableCase{"plane_separate.MVO3", LayoutPlaneSeparate, Plane, {1}, {1}}),
    [](const ::testing::TestParamInfo<TableCase>& info) {
        return QString::fromLatin1(info.param.file).section(u'.', 0, 0).toStdString();
    });

} // namespace

namespace {

QString cutAfterLines(const QString& path, int lines)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    QStringList all = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
    return all.mid(0, lines).join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

// A run that stopped before its first output: the tables write only what needs no row. Such a
// result never has separate times, so the separate layouts cannot arise from it.
TEST(ResultTablesWithoutBlocks, WriteOnlyNamesAndSectionLines)
{
    struct Case {
        TableCase table;
        int headerLines;
        QStringList expected;  // "#n" stands for line n of the case's golden table
    };
    const Case cases[] = {
        {{"scalar.MVO3", 1, Scalar, {1, 2}, {1}}, 4, {"#0", "", ""}},
        {{"plane_steady.MVO3", 2, PlaneSteady, {1}, {}}, 10, {"#0"}},
        {{"line_steady.MVO3", 3, LineSteady, {1}, {1}}, 5, {"#0"}},
        {{"line_steady_2grid.MVO3", 4, LineSteady2, {1, 2}, {1}}, 6, {"#0", "#3"}},
        {{"series.MVO3", 5, Series, {1}, {1}}, 4, {"#0"}},
        {{"line.MVO3", 7, LineY, {2}, {}}, 4, {}},
        {{"line_2grid.MVO3", 9, Line2, {1, 2, 3}, {1}}, 8, {}},
        {{"plane.MVO3", 11, Plane, {1}, {1}}, 11, {}},
    };
    QTemporaryDir dir;
    RecordingSink sink;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table.file);
        const QString name = QString::fromLatin1(c.table.file).section(u'.', 0, 0);
        const QString path = dir.filePath(QString::fromLatin1(c.table.file));
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(cutAfterLines(resultData(QString::fromLatin1(c.table.file)), c.headerLines).toUtf8());
        out.close();
        auto doc = makeResultDocument(c.table.shape);
        RResultHolder holder;
        ASSERT_EQ(LoadResultFile(holder, *doc, path), ResultLoaded);
        EXPECT_TRUE(holder.result.variableTimes.empty());
        holder.selectedVariables = c.table.variables;
        holder.selectedSubVariables = c.table.subs;
        QStringList lines;
        ResultTextOut(lines, holder, *doc, c.table.digits);
        const QStringList golden = goldenLines(resultData(name + QStringLiteral(".txt")));
        QStringList expected;
        for (const QString& e : c.expected)
            expected.append(e.startsWith(u'#') ? golden.value(e.mid(1).toInt()) : e);
        EXPECT_EQ(lines, expected);
    }
    EXPECT_TRUE(sink.messages.isEmpty());
}

class ResultTableDetails : public ::testing::Test {
protected:
    QStringList table(const char* file, const ResultDocumentShape& shape, QList<int> variables,
        QList<int> subs, int digits = 6)
    {
        auto doc = makeResultDocument(shape);
        RResultHolder holder;
        EXPECT_EQ(LoadResultFile(holder, *doc, resultData(QString::fromLatin1(file))), ResultLoaded);
        holder.selectedVariables = variables;
        holder.selectedSubVariables = subs;
        QStringList lines;
        ResultTextOut(lines, holder, *doc, digits);
        return lines;
    }
};

TEST_F(ResultTableDetails, SeparateLayoutWithoutSelectedVariablesHasAnEmptySection)
{
    const QStringList lines = table("series_separate.MVO3", Series, {}, {1});
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[0], QStringLiteral("[VARIABLE] 0"));
    EXPECT_EQ(lines[1], QStringLiteral("[END]"));
    EXPECT_EQ(lines[2], QStringLiteral("[SUB_VARIABLE] 1"));
}

// A significant digits setting below 1 would give the value format a negative precision.
TEST_F(ResultTableDetails, DigitsBelowOneCountAsOne)
{
    const QStringList one = table("line_steady.MVO3", LineSteady, {1}, {1}, 1);
    EXPECT_EQ(one.value(1), QStringLiteral("       x=   5E-01   1E+00   7E+00"));
    for (int digits : {0, -3})
        EXPECT_EQ(table("line_steady.MVO3", LineSteady, {1}, {1}, digits), one);
}

TEST_F(ResultTableDetails, SelectionPicksValuesByNumberInOneGridRows)
{
    // Variables 1 and 3 of a row holding A, B, C print its first and third values.
    const ResultDocumentShape shape{0, 0, 0, {"A", "B", "C"}, {}, {}, {}};
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("abc.MVO3"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("0,0,3,0,1,0,1,0\n 0 0 0\n0,0,0\n0\n1 2 3\n");
    file.close();
    auto doc = makeResultDocument(shape);
    RResultHolder holder;
    ASSERT_EQ(LoadResultFile(holder, *doc, path), ResultLoaded);
    holder.selectedVariables = {1, 3};
    QStringList lines;
    ResultTextOut(lines, holder, *doc, 6);
    EXPECT_EQ(lines, (QStringList{"            A            C __________",
                         "  1.00000E+00  3.00000E+00", ""}));
}

// A plane two-grid result keeps its grid-2 quantities out of rows of grid 1, whose values
// belong to other quantities.
TEST_F(ResultTableDetails, PlaneTwoGridResultListsOnlyGrid1Quantities)
{
    const ResultDocumentShape shape{1, 1, 1, {"P", "R"}, {1, 0}, {}, {}};
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p2.MVO3"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("1,1,2,0,3,1,2,1\n 1 0\n0,0,1\n1,0,1\n0,1,1\n0\n3 1 2 3\n3 1 2 3\n3 1 2 3\n"
               "0\n1\n2\n5\n");
    file.close();
    auto doc = makeResultDocument(shape);
    RResultHolder holder;
    ASSERT_EQ(LoadResultFile(holder, *doc, path), ResultLoaded);
    holder.selectedVariables = {1, 2};
    QStringList lines;
    ResultTextOut(lines, holder, *doc, 6);
    EXPECT_EQ(lines, (QStringList{"       t=  0.00000E+00                 R __________",
                         "( 0.00000E+00, 0.00000E+00)  1.00000E+00",
                         "( 1.00000E+00, 0.00000E+00)  2.00000E+00"}));
}

TEST(ResultFormat, ExponentFormatMatchesPrintfInTheCLocale)
{
    const double values[] = {0.5, -1.0, 0.0, -0.0, 9.999995, 1e-300, -1.5e100, 123456.789,
        2.5e-5, 1e22};
    for (double v : values)
        for (int precision : {0, 2, 5, 13}) {
            char expected[64];
            const int width = precision + 8;
            std::snprintf(expected, sizeof expected, "%*.*E", width, precision, v);
            EXPECT_EQ(formatExponent(v, width, precision).toStdString(), std::string(expected))
                << v << " " << precision;
        }
    EXPECT_EQ(formatExponent(std::numeric_limits<double>::infinity(), 6, 2), QStringLiteral("   INF"));
    EXPECT_EQ(formatExponent(-std::numeric_limits<double>::infinity(), 6, 2), QStringLiteral("  -INF"));
}

} // namespace

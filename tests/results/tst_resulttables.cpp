#include "ResultTestDocuments.h"
#include "document/RMessages.h"
#include "results/RResultHolder.h"
#include "results/RResultLoader.h"
#include "results/RResultTextOut.h"

#include <QFile>
#include <QTextStream>
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

#include "RecordingSink.h"
#include "ResultTestDocuments.h"
#include "results/RResultHolder.h"
#include "results/RResultLineReader.h"
#include "results/RResultLoader.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString Wrong = QStringLiteral("Result file is wrong with this document.");
const QString Unexpected = QStringLiteral("unexpected error");
const QString Overflow = QStringLiteral("Result data buffer overflow.");

// Line along x, one variable U and one sub variable W, two points.
const ResultDocumentShape LineX{1, 1, 0, {"U"}, {}, {"W"}, {}};
// Line along x on two grids: U, V on grid 1, Z on grid 2; sub variable W on grid 2.
const ResultDocumentShape TwoGrids{1, 1, 0, {"U", "V", "Z"}, {0, 0, 1}, {"W"}, {1}};
// Plane with one variable and no sub variable.
const ResultDocumentShape Plane{1, 1, 1, {"P"}, {}, {}, {}};

class ResultLoader : public ::testing::Test {
protected:
    QString write(const QString& text, const QString& name = QStringLiteral("r.MVO3"))
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(text.toUtf8());
        return path;
    }
    int load(RResultHolder& holder, const ResultDocumentShape& shape, const QString& text)
    {
        auto doc = makeResultDocument(shape);
        return LoadResultFile(holder, *doc, write(text));
    }

    QTemporaryDir dir;
    RecordingSink sink;
};

const QString GoodLine = QStringLiteral(
    "1,0,1,1,2,0,2,1\r\n 0\r\n 0\r\n0,0,1\r\n1,0,1\r\n"
    "0\r\n-1\r\n-2\r\n0\r\n1\r\n2\r\n"
    "0.5\r\n-3\r\n-4\r\n0.5\r\n3\r\n4\r\n");

struct DamagedCase {
    const char* what;
    ResultDocumentShape shape;
    QString text;
    int status;
};

void PrintTo(const DamagedCase& c, std::ostream* os) { *os << c.what; }

class DamagedResults : public ResultLoader, public ::testing::WithParamInterface<DamagedCase> {};

// A refused file posts exactly its message and leaves the previous result and the selection
// as they were.
TEST_P(DamagedResults, AreRefusedWithTheirMessageAndChangeNothing)
{
    const DamagedCase& c = GetParam();
    RResultHolder holder;
    ASSERT_EQ(load(holder, LineX, GoodLine), ResultLoaded);
    holder.selectedVariables = {1};
    holder.selectedSubVariables = {1};
    sink.messages.clear();

    EXPECT_EQ(load(holder, c.shape, c.text), c.status);
    const QString expected = c.status == ResultWrongDocument ? Wrong
        : c.status == ResultBufferOverflow                   ? Overflow
                                                             : Unexpected;
    EXPECT_EQ(sink.messages, QStringList{expected});
    EXPECT_EQ(holder.result.variableTimes, (std::vector<double>{0.0, 0.5}));
    EXPECT_EQ(holder.result.subVariableTimes, (std::vector<double>{0.0, 0.5}));
    EXPECT_EQ(holder.result.grid1Points.size(), 2u);
    EXPECT_EQ(holder.result.variableRows1.count(), 4);
    EXPECT_EQ(holder.result.variableRows1.values(3)[0], 4.0);
    EXPECT_EQ(holder.selectedVariables, QList<int>{1});
    EXPECT_EQ(holder.selectedSubVariables, QList<int>{1});
}

const QString TwoGridHead = QStringLiteral("1,0,3,1,3,1,2,1\n 0 0 1\n 1\n0,0,1\n2,0,1\n1,0,0\n");
const QString PlaneHead = QStringLiteral("1,1,1,0,3,0,2,1\n 0\n0,0,1\n1,0,1\n0,1,1\n");

INSTANTIATE_TEST_SUITE_P(Table, DamagedResults, ::testing::Values(
    DamagedCase{"other variable count", LineX, "1,0,2,1,2,0,2,1\n 0 0\n 0\n", ResultWrongDocument},
    DamagedCase{"other sub-variable count", LineX, "1,0,1,0,2,0,2,1\n 0\n", ResultWrongDocument},
    DamagedCase{"other PARMX", LineX, "0,0,1,1,2,0,2,1\n 0\n 0\n", ResultWrongDocument},
    DamagedCase{"other PARMY", LineX, "1,1,1,1,2,0,2,1\n 0\n 0\n", ResultWrongDocument},
    DamagedCase{"other two-grid flag", LineX, "1,0,1,1,2,1,1,1\n 0\n 0\n", ResultWrongDocument},
    DamagedCase{"other variable attribute", LineX, "1,0,1,1,2,0,2,1\n 1\n 0\n", ResultWrongDocument},
    DamagedCase{"other sub-variable attribute", LineX, "1,0,1,1,2,0,2,1\n 0\n 1\n",
        ResultWrongDocument},
    DamagedCase{"attribute of a two-grid variable", TwoGrids,
        "1,0,3,1,3,1,2,1\n 0 1 1\n 1\n", ResultWrongDocument},
    DamagedCase{"empty file", LineX, "", ResultUnexpectedError},
    DamagedCase{"header of seven items", LineX, "1,0,1,1,2,0,2\n 0\n 0\n", ResultUnexpectedError},
    DamagedCase{"header item not a number", LineX, "1,0,1,1,2x,0,2,1\n 0\n 0\n",
        ResultUnexpectedError},
    DamagedCase{"negative point count", LineX, "1,0,1,1,-2,0,2,1\n 0\n 0\n",
        ResultUnexpectedError},
    DamagedCase{"negative grid count", TwoGrids, "1,0,3,1,3,1,4,-1\n 0 0 1\n 1\n",
        ResultUnexpectedError},
    DamagedCase{"grid counts not adding up", TwoGrids, "1,0,3,1,3,1,2,2\n 0 0 1\n 1\n",
        ResultUnexpectedError},
    DamagedCase{"no attribute line", LineX, "1,0,1,1,2,0,2,1\n", ResultUnexpectedError},
    DamagedCase{"attribute line too short", TwoGrids, "1,0,3,1,3,1,2,1\n 0 0\n 1\n",
        ResultUnexpectedError},
    DamagedCase{"attribute not a number", LineX, "1,0,1,1,2,0,2,1\n 0\n o\n",
        ResultUnexpectedError},
    DamagedCase{"point line without y", LineX, "1,0,1,1,2,0,2,1\n 0\n 0\n0\n1,0,1\n",
        ResultUnexpectedError},
    DamagedCase{"file ends in the points", LineX, "1,0,1,1,2,0,2,1\n 0\n 0\n0,0,1\n",
        ResultUnexpectedError},
    DamagedCase{"file ends in the grid-2 points", TwoGrids, "1,0,3,1,3,1,2,1\n 0 0 1\n 1\n0,0,1\n2,0,1\n",
        ResultUnexpectedError},
    DamagedCase{"time not a number", LineX, GoodLine + "t=1\n1\n2\n", ResultUnexpectedError},
    DamagedCase{"row without its value", LineX, GoodLine + "1\n\n2\n", ResultUnexpectedError},
    DamagedCase{"value not a number", LineX, GoodLine + "1\n1.0.0\n2\n", ResultUnexpectedError},
    DamagedCase{"value run together with the next", LineX, GoodLine + "1\n1.5-2.5\n2\n",
        ResultUnexpectedError},
    DamagedCase{"file ends in the sub-variable rows", LineX, GoodLine + "1\n5\n",
        ResultUnexpectedError},
    DamagedCase{"file ends in the variable rows", LineX, GoodLine + "1\n5\n6\n1\n7\n",
        ResultUnexpectedError},
    DamagedCase{"two-grid row short of its grid's values", TwoGrids,
        TwoGridHead + "0\n1\n0\n1 2\n3\n", ResultUnexpectedError},
    DamagedCase{"file ends in the empty lines of a grid", ResultDocumentShape{1, 1, 0, {"Z"}, {1}, {}, {}},
        "1,0,1,0,3,1,2,1\n 1\n0,0,1\n2,0,1\n1,0,0\n0\n\n", ResultUnexpectedError},
    DamagedCase{"negative triangle count", Plane, PlaneHead + "-1\n", ResultUnexpectedError},
    DamagedCase{"no triangle count", Plane, PlaneHead, ResultUnexpectedError}));

TEST_F(ResultLoader, MissingFileIsAnUnexpectedError)
{
    RResultHolder holder;
    auto doc = makeResultDocument(LineX);
    EXPECT_EQ(LoadResultFile(holder, *doc, dir.filePath(QStringLiteral("none.MVO3"))),
        ResultUnexpectedError);
    EXPECT_EQ(sink.messages, QStringList{Unexpected});
}

TEST_F(ResultLoader, OneGridRowsStandAtTimeTimesPointsPlusPoint)
{
    RResultHolder holder;
    ASSERT_EQ(load(holder, LineX, GoodLine), ResultLoaded);
    EXPECT_TRUE(sink.messages.isEmpty());
    const RResultData& r = holder.result;
    EXPECT_EQ(r.separateTimes, 0);
    ASSERT_EQ(r.grid1Points.size(), 2u);
    EXPECT_EQ(r.grid1Points[1].x, 1.0);
    // A one-grid header still announces np / 2 + 1 and np / 2 points; grid 2 stays empty.
    EXPECT_TRUE(r.grid2Points.empty());
    ASSERT_EQ(r.subVariableRows1.count(), 4);
    ASSERT_EQ(r.variableRows1.count(), 4);
    const double variables[] = {1, 2, 3, 4};
    const double subs[] = {-1, -2, -3, -4};
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(r.variableRows1.timeIndex(row), row / 2);
        EXPECT_EQ(r.variableRows1.pointIndex(row), row % 2);
        EXPECT_EQ(r.variableRows1.values(row)[0], variables[row]);
        EXPECT_EQ(r.subVariableRows1.values(row)[0], subs[row]);
    }
    EXPECT_EQ(r.variableRows2.count(), 0);
    EXPECT_EQ(r.subVariableRows2.count(), 0);
}

// Ends of files that a run leaves when it stops at any point, and line ends of other systems.
TEST_F(ResultLoader, EndsOfFilesAndLineEnds)
{
    struct Case {
        const char* what;
        QString text;
        std::size_t variableTimes;
        std::size_t subTimes;
    };
    const QString head = QStringLiteral("1,0,1,1,2,0,2,1\r\n 0\r\n 0\r\n0,0,1\r\n1,0,1\r\n");
    const Case cases[] = {
        {"no block at all", head, 0, 0},
        {"blank lines at the end", GoodLine + "\r\n  \r\n\r\n", 2, 2},
        {"sub-variable block without its variable block", GoodLine + "1\r\n5\r\n6\r\n", 2, 3},
        {"blank line in place of a variable time", head + "0\n1\n2\n\n0\n3\n4\n0\n5\n6\n", 1, 2},
        {"LF line ends", QString(GoodLine).replace("\r\n", "\n"), 2, 2},
        {"CR line ends", QString(GoodLine).replace("\r\n", "\r"), 2, 2},
        {"no line end after the last row", GoodLine.chopped(2), 2, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RResultHolder holder;
        ASSERT_EQ(load(holder, LineX, c.text), ResultLoaded);
        EXPECT_EQ(holder.result.variableTimes.size(), c.variableTimes);
        EXPECT_EQ(holder.result.subVariableTimes.size(), c.subTimes);
        EXPECT_EQ(holder.result.variableRows1.count(), std::int64_t(2 * c.variableTimes));
        EXPECT_EQ(holder.result.subVariableRows1.count(), std::int64_t(2 * c.subTimes));
    }
    EXPECT_TRUE(sink.messages.isEmpty());
}

// An incomplete result is the file of a run that goes on or was stopped, even by a full disk:
// it may end anywhere, even inside a number. It loads with every output before the cut and a
// notice, where a finished run's file that ends the same way is damaged.
TEST_F(ResultLoader, IncompleteResultEndingInsideAnOutputShowsTheOutputsBeforeIt)
{
    const QString EndsEarly = QStringLiteral(
        "The result file ends early, inside an output the run was writing; the complete outputs "
        "before it are shown.");
    struct Case {
        const char* what;
        ResultDocumentShape shape;
        QString text;
        std::vector<double> variableTimes, subTimes;
        bool notice;
        int finished; // the status of the same text as a finished run's file
    };
    const QString first = QStringLiteral("1,0,1,1,2,0,2,1\r\n 0\r\n 0\r\n0,0,1\r\n1,0,1\r\n"
                                         "0\r\n-1\r\n-2\r\n0\r\n1\r\n2\r\n");
    const Case cases[] = {
        {"inside the second output's variable rows", LineX, first + "0.5\r\n-3\r\n-4\r\n0.5\r\n3\r\n",
         {0}, {0, 0.5}, true, ResultUnexpectedError},
        {"inside its sub-variable rows", LineX, first + "0.5\r\n-3\r\n", {0}, {0}, true,
         ResultUnexpectedError},
        {"between its sub-variable and variable blocks", LineX, first + "0.5\r\n-3\r\n-4\r\n", {0},
         {0, 0.5}, true, ResultLoaded},
        {"after its sub-variable time", LineX, first + "0.5\r\n", {0}, {0}, true,
         ResultUnexpectedError},
        // "4" may be the start of "4.5": a line without its line end is not read.
        {"inside the last number", LineX, GoodLine.chopped(2), {0}, {0, 0.5}, true, ResultLoaded},
        {"inside a time", LineX, first + "0.", {0}, {0}, true, ResultUnexpectedError},
        {"inside the points", LineX, "1,0,1,1,2,0,2,1\r\n 0\r\n 0\r\n0,0,1\r\n1", {}, {}, true,
         ResultUnexpectedError},
        {"inside the grid-2 rows of a two-grid result", TwoGrids,
         TwoGridHead + "0\n1\n0\n1 2\n3 4\n5\n0.5\n6\n0.5\n7 8\n9 10\n", {0}, {0, 0.5}, true,
         ResultUnexpectedError},
        {"inside the mesh", Plane, PlaneHead + "1\n0 1", {}, {}, true, ResultLoaded},
        {"between two outputs", LineX, GoodLine, {0, 0.5}, {0, 0.5}, false, ResultLoaded},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto doc = makeResultDocument(c.shape);
        RResultHolder holder;
        sink.messages.clear();
        ASSERT_EQ(LoadResultFile(holder, *doc, write(c.text, "r.MVO3$"), true), ResultLoaded);
        EXPECT_EQ(sink.messages, c.notice ? QStringList{EndsEarly} : QStringList{});
        const RResultData& r = holder.result;
        EXPECT_EQ(r.variableTimes, c.variableTimes);
        EXPECT_EQ(r.subVariableTimes, c.subTimes);
        // Two points on grid 1 in either layout, one on grid 2 of the two-grid result.
        const std::int64_t outputs = std::int64_t(c.variableTimes.size());
        EXPECT_EQ(r.variableRows1.count(), 2 * outputs);
        EXPECT_EQ(r.variableRows2.count(), c.shape.variableAttributes.isEmpty() ? 0 : outputs);
        if (!c.variableTimes.empty()) {
            EXPECT_EQ(r.variableRows1.values(0)[0], 1.0);
        }
        sink.messages.clear();
        EXPECT_EQ(LoadResultFile(holder, *doc, write(c.text), false), c.finished);
    }
    // A line that is complete but no number is damage, not a cut.
    auto doc = makeResultDocument(LineX);
    RResultHolder holder;
    EXPECT_EQ(LoadResultFile(holder, *doc, write(GoodLine + "1\n1.0.0\n2\n", "r.MVO3$"), true),
              ResultUnexpectedError);
}

// A CR LF split by the end of a read, or a line longer than the read buffer, must still read
// as one line: a second line end would put an empty line in place of a row.
TEST_F(ResultLoader, LinesAcrossTheReadBuffer)
{
    const ResultDocumentShape shape{1, 0, 0, {"U"}, {}, {}, {}};
    const QByteArray head = "0,0,1,0,1,0,1,0\r\n 0\r\n0,0,0\r\n";
    const qsizetype chunk = 1 << 20;
    for (qsizetype crAt : {chunk - 1, chunk, 3 * chunk + 5}) {
        SCOPED_TRACE(crAt);
        // The first time line is padded with blanks so that its CR stands at crAt.
        QByteArray text = head + QByteArray(crAt - head.size() - 1, ' ') + "1\r\n2\r\n";
        text += "3\r\n" + QByteArray(chunk + 7, ' ') + "4\r\n5\r\n6\r\n";
        QFile file(dir.filePath(QStringLiteral("long.MVO3")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
        file.close();
        auto doc = makeResultDocument(shape);
        RResultHolder holder;
        ASSERT_EQ(LoadResultFile(holder, *doc, file.fileName()), ResultLoaded);
        EXPECT_EQ(holder.result.variableTimes, (std::vector<double>{1, 3, 5}));
        ASSERT_EQ(holder.result.variableRows1.count(), 3);
        EXPECT_EQ(holder.result.variableRows1.values(1)[0], 4.0);
        EXPECT_EQ(holder.result.variableRows1.values(2)[0], 6.0);
    }
}

TEST_F(ResultLoader, SeparateTimesOnlyBeyondOneInATrillion)
{
    struct Case {
        const char* secondSubTime;
        int separate;
    };
    // The variable blocks are at 0 and 1e-12.
    const Case cases[] = {{"1e-12", 0}, {"0", 0}, {"2.5e-12", 1}, {"-1e-12", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.secondSubTime);
        RResultHolder holder;
        const QString text = QStringLiteral("1,0,1,1,2,0,2,1\n 0\n 0\n0,0,1\n1,0,1\n"
                                            "0\n1\n2\n0\n1\n2\n%1\n1\n2\n1e-12\n1\n2\n")
                                 .arg(QString::fromLatin1(c.secondSubTime));
        ASSERT_EQ(load(holder, LineX, text), ResultLoaded);
        EXPECT_EQ(holder.result.separateTimes, c.separate);
    }
}

TEST_F(ResultLoader, DocumentWithoutSubVariablesReadsOnlyVariableBlocks)
{
    RResultHolder holder;
    const ResultDocumentShape shape{1, 0, 0, {"U", "V"}, {}, {}, {}};
    ASSERT_EQ(load(holder, shape, "0,0,2,0,1,0,1,0\n 0 0\n0,0,0\n0\n1 2\n1\n3,4\n"), ResultLoaded);
    EXPECT_EQ(holder.result.variableTimes, (std::vector<double>{0.0, 1.0}));
    EXPECT_TRUE(holder.result.subVariableTimes.empty());
    EXPECT_EQ(holder.result.separateTimes, 0);
    ASSERT_EQ(holder.result.variableRows1.count(), 2);
    EXPECT_EQ(holder.result.variableRows1.values(1)[1], 4.0);
}

TEST_F(ResultLoader, DocumentWithoutVariablesStillReadsItsEmptyAttributeLine)
{
    RResultHolder holder;
    const ResultDocumentShape shape{1, 0, 0, {}, {}, {"W"}, {}};
    ASSERT_EQ(load(holder, shape, "0,0,0,1,1,0,1,0\n\n 0\n0,0,0\n0\n7\n0\n\n"), ResultLoaded);
    EXPECT_EQ(holder.result.subVariableRows1.count(), 1);
    EXPECT_EQ(holder.result.subVariableRows1.values(0)[0], 7.0);
    EXPECT_EQ(holder.result.variableRows1.count(), 1);
    EXPECT_EQ(holder.result.variableRows1.values(0), nullptr);
}

// Seven points on two grids: four grid-1 lines and three grid-2 lines per block.
TEST_F(ResultLoader, TwoGridsSplitPointsAndValuesByCellAttribute)
{
    struct Case {
        const char* what;
        ResultDocumentShape shape;
        QString attributes;
        QString variableBlock;
        std::int64_t rows1, rows2;
        int values1, values2;
    };
    const Case cases[] = {
        {"two variables on grid 1, one on grid 2", {1, 1, 0, {"U", "V", "Z"}, {0, 0, 1}, {}, {}},
            " 0 0 1", "1 2\n3 4\n5 6\n7 8\n9\n10\n11\n", 4, 3, 2, 1},
        {"every variable on grid 2", {1, 1, 0, {"U", "V"}, {1, 1}, {}, {}},
            " 1 1", "\n\n\n\n9 1\n10 1\n11 1\n", 0, 3, 0, 2},
        {"attribute other than 0 and 1 counts as grid 2", {1, 1, 0, {"U", "V"}, {0, 2}, {}, {}},
            " 0 2", "1\n2\n3\n4\n5\n6\n7\n", 4, 3, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString text = QStringLiteral("1,0,%1,0,7,1,4,3\n%2\n").arg(c.shape.variables.size())
                                 .arg(c.attributes)
            + "0,0,1\n2,0,1\n4,0,1\n6,0,1\n1,0,0\n3,0,0\n5,0,0\n0\n" + c.variableBlock;
        RResultHolder holder;
        ASSERT_EQ(load(holder, c.shape, text), ResultLoaded);
        const RResultData& r = holder.result;
        ASSERT_EQ(r.grid1Points.size(), 4u);
        ASSERT_EQ(r.grid2Points.size(), 3u);
        EXPECT_EQ(r.grid1Points[3].x, 6.0);
        EXPECT_EQ(r.grid2Points[2].x, 5.0);
        EXPECT_EQ(r.variableRows1.count(), c.rows1);
        EXPECT_EQ(r.variableRows2.count(), c.rows2);
        EXPECT_EQ(r.variableRows1.valueCount(), c.values1);
        EXPECT_EQ(r.variableRows2.valueCount(), c.values2);
        EXPECT_EQ(r.variableRows2.pointIndex(2), 2);
    }
}

TEST_F(ResultLoader, TwoGridSubVariablesHaveLinesOnlyOnTheirGrid)
{
    RResultHolder holder;
    // U, V on grid 1, Z and the sub variable W on grid 2: no grid-1 sub-variable lines.
    const QString text = TwoGridHead + "0\n0.5\n0\n1 2\n3 4\n5\n1\n1.5\n1\n6 7\n8 9\n10\n";
    ASSERT_EQ(load(holder, TwoGrids, text), ResultLoaded);
    const RResultData& r = holder.result;
    EXPECT_EQ(r.subVariableRows1.count(), 0);
    ASSERT_EQ(r.subVariableRows2.count(), 2);
    EXPECT_EQ(r.subVariableRows2.values(1)[0], 1.5);
    ASSERT_EQ(r.variableRows1.count(), 4);
    EXPECT_EQ(r.variableRows1.values(3)[1], 9.0);
    EXPECT_EQ(r.variableRows2.values(1)[0], 10.0);
}

TEST_F(ResultLoader, PlaneResultSkipsTrianglesAndNeighbourLines)
{
    RResultHolder holder;
    const QString text = PlaneHead + "1\n   1,   2,   3,   0,   0,   0\n3 1 2 3\n3 2 1 3\n3 3 1 2\n"
        + "0.25\n1\n2\n3\n";
    ASSERT_EQ(load(holder, Plane, text), ResultLoaded);
    EXPECT_EQ(holder.result.variableTimes, std::vector<double>{0.25});
    ASSERT_EQ(holder.result.variableRows1.count(), 3);
    EXPECT_EQ(holder.result.variableRows1.values(2)[0], 3.0);
    // A run that stopped before its neighbour lines leaves a result without blocks.
    ASSERT_EQ(load(holder, Plane, PlaneHead + "1\n1,2,3,0,0,0\n3 1 2 3\n"), ResultLoaded);
    EXPECT_TRUE(holder.result.variableTimes.empty());
}

TEST_F(ResultLoader, LoadingAgainGivesTheSameMembers)
{
    RResultHolder first, holder;
    ASSERT_EQ(load(first, LineX, GoodLine), ResultLoaded);
    ASSERT_EQ(load(holder, LineX, GoodLine), ResultLoaded);
    ASSERT_EQ(load(holder, LineX, GoodLine + "1\n"), ResultUnexpectedError);
    ASSERT_EQ(load(holder, LineX, GoodLine), ResultLoaded);
    EXPECT_EQ(holder.result.variableTimes, first.result.variableTimes);
    EXPECT_EQ(holder.result.subVariableTimes, first.result.subVariableTimes);
    ASSERT_EQ(holder.result.variableRows1.count(), first.result.variableRows1.count());
    for (std::int64_t row = 0; row < first.result.variableRows1.count(); ++row)
        EXPECT_EQ(holder.result.variableRows1.values(row)[0], first.result.variableRows1.values(row)[0]);
}

// A buffer of size 1 holds 1023 rows; the 1024th row overflows, in any of the four buffers.
TEST_F(ResultLoader, BufferOfSizeOneHolds1023Rows)
{
    struct Case {
        const char* what;
        ResultDocumentShape shape;
        QString head;
        QString block;  // one output: adds one row to the buffer under test
    };
    const Case cases[] = {
        {"variable rows of grid 1", {1, 0, 0, {"U"}, {}, {}, {}}, "0,0,1,0,1,0,1,0\n 0\n0,0,0\n",
            "1\n2\n"},
        {"sub-variable rows of grid 1", {1, 0, 0, {"U"}, {}, {"W"}, {}},
            "0,0,1,1,1,0,1,0\n 0\n 0\n0,0,0\n", "1\n2\n1\n3\n"},
        {"variable rows of grid 2", {1, 1, 0, {"U"}, {1}, {}, {}}, "1,0,1,0,1,1,1,0\n 1\n0,0,0\n",
            "1\n\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // The grid-2 case fills grid 1 with empty lines and stores nothing there; its row
        // counts come from one grid-2 point per block, so use a file with one grid-2 point.
        QString head = c.head;
        QString block = c.block;
        if (c.shape.variableAttributes.value(0) == 1) {
            head = "1,0,1,0,3,1,2,1\n 1\n0,0,0\n2,0,0\n1,0,0\n";
            block = "1\n\n\n5\n";
        }
        for (int rows : {1023, 1024}) {
            RResultHolder holder;
            holder.setResultBufferSize(1);
            QString text = head;
            for (int i = 0; i < rows; ++i)
                text += block;
            sink.messages.clear();
            const int status = load(holder, c.shape, text);
            if (rows == 1023) {
                EXPECT_EQ(status, ResultLoaded);
                EXPECT_TRUE(sink.messages.isEmpty());
            } else {
                EXPECT_EQ(status, ResultBufferOverflow);
                EXPECT_EQ(sink.messages, QStringList{Overflow});
            }
        }
    }
}

TEST(ResultFields, SplitLikeCommaText)
{
    struct Case {
        const char* line;
        std::vector<std::string_view> fields;
    };
    const Case cases[] = {
        {"1,0,2", {"1", "0", "2"}},
        {"  1.0E+00 -2.0E+00", {"1.0E+00", "-2.0E+00"}},
        {"1 , 2", {"1", "2"}},
        {"1,,2", {"1", "", "2"}},
        {"1,", {"1", ""}},
        {"\"1 2\",3", {"1 2", "3"}},
        {"\t7\t", {"7"}},
        {"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        RResultFields fields(c.line);
        std::vector<std::string_view> got;
        std::string_view f;
        while (fields.next(f))
            got.push_back(f);
        EXPECT_EQ(got, c.fields);
    }
}

TEST(ResultFields, ConvertWholeItemsOnly)
{
    struct Case {
        const char* text;
        bool ok;
        double value;
    };
    const Case cases[] = {
        {"1.50000000000000E+00", true, 1.5}, {"+2", true, 2.0}, {"-0.25", true, -0.25},
        {"1e-300", true, 1e-300}, {"1.5D+00", false, 0}, {"1,5", false, 0}, {"", false, 0},
        {"--1", false, 0}, {"+-1", false, 0}, {"1e999", false, 0}, {"0x10", false, 0},
        {"nan", false, 0}, {"-inf", false, 0}, {"INF", false, 0}, {"infinity", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        double v = 0;
        EXPECT_EQ(resultToDouble(c.text, v), c.ok);
        if (c.ok) {
            EXPECT_EQ(v, c.value);
        }
    }
    int i = 0;
    EXPECT_TRUE(resultToInt("+7", i));
    EXPECT_EQ(i, 7);
    EXPECT_FALSE(resultToInt("7.0", i));
    EXPECT_FALSE(resultToInt("99999999999", i));
}

} // namespace

#include "results/PlotImportScripts.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace {

// A shape from the mode, the counts and the cell attributes (empty lists: one grid).
RPlotShape shape(int mode, int variables, int subVariables, QList<int> variableAttributes = {},
    QList<int> subAttributes = {})
{
    RPlotShape s;
    s.mode = mode;
    s.variableCount = variables;
    s.subVariableCount = subVariables;
    for (int a : variableAttributes + subAttributes)
        if (a != 0)
            s.twoGrid = 1;
    if (s.twoGrid) {
        for (int k = 1; k <= variables; ++k)
            (variableAttributes.value(k - 1) ? s.grid2Variables : s.grid1Variables).append(k);
        for (int k = 1; k <= subVariables; ++k)
            (subAttributes.value(k - 1) ? s.grid2SubVariables : s.grid1SubVariables).append(k);
    }
    return s;
}

QStringList lines(const char* text)
{
    QStringList out = QString::fromUtf8(text).split(u'\n');
    out.removeFirst(); // the raw string starts with a line end
    return out;
}

struct ScriptCase {
    const char* name;
    RPlotShape shape;
    const char* script;
};

const char* const TwoDimensionalPoints = R"(
repeat(grid1(x,y)){x, y, skip}:count(n3)
n5
repeat(element){
  polygon(grid1):count(3),skip, skip, skip
  }:count(n5)
{/}:count(n3))";

} // namespace

TEST(PlotImportScript, WorkedExamples)
{
    const ScriptCase cases[] = {
        {"mode 3, one grid, two variables and one sub variable", shape(3, 2, 1), R"(
$1D
skip, skip, n1, n2, n3, skip, skip, skip
{skip}:count(n1)
{skip}:count(n2)
repeat(grid1(x)){x, skip, skip}:count(n3)
repeat(grid2(t)){
  t
  repeat(grid1){
    v3
    }
  skip
  repeat(grid1){
    skip skip
    }
  }:end=eof
rewind
skip, skip, n1, n2, n3, skip, skip, skip
{skip}:count(n1)
{skip}:count(n2)
repeat(grid1){skip, skip, skip}
repeat(grid3(t)){
  skip
  repeat(grid1){
    skip
    }
  t
  repeat(grid1){
    v1 v2
    }
  }:end=eof)"},
        {"mode 2, two grids, attributes 0 1 0 and 1 0", shape(2, 3, 2, {0, 1, 0}, {1, 0}), R"(
$1D
skip, skip, n1, n2, skip, skip, n3, n4
{skip}:count(n1)
{skip}:count(n2)
repeat(grid1(x)){x, skip, skip}:count(n3)
repeat(grid2(x)){x, skip, skip}:count(n4)
skip
repeat(grid1){
  v5
  }
repeat(grid2){
  v4
  }
skip
repeat(grid1){
  skip skip
  }
repeat(grid2){
  skip
  }
rewind
skip, skip, n1, n2, skip, skip, n3, n4
{skip}:count(n1)
{skip}:count(n2)
repeat(grid1){skip, skip, skip}
repeat(grid2){skip, skip, skip}
skip
repeat(grid1){
  skip
  }
repeat(grid2){
  skip
  }
skip
repeat(grid1){
  v1 v3
  }
repeat(grid2){
  v2
  })"},
    };
    for (const ScriptCase& c : cases)
        EXPECT_EQ(plotImportScript(c.shape), lines(c.script)) << c.name;
}

TEST(PlotImportScript, EveryModeWithAndWithoutSubVariables)
{
    const QString points2D = QString::fromUtf8(TwoDimensionalPoints);
    const QByteArray mode6Sub = QStringLiteral(R"(
$2D
skip, skip, n1, n2, n3, skip, skip, skip
{skip}:count(n1)
{skip}:count(n2)%1
skip
repeat(grid1){
  v2
  }
skip
repeat(grid1){
  skip
  }
rewind
skip, skip, n1, n2, n3, skip, skip, skip
{skip}:count(n1)
{skip}:count(n2)
repeat(grid1){skip, skip, skip}
skip
{skip,skip,skip,skip,skip,skip}:count(n5)
{/}:count(n3)
skip
repeat(grid1){
  skip
  }
skip
repeat(grid1){
  v1
  })").arg(points2D).toUtf8();
    const QByteArray mode7 = QStringLiteral(R"(
$2D
skip, skip, n1, n2, n3, skip, skip, skip
{skip}:count(n1)
{skip}:count(n2)%1
repeat(grid3(t)){
  t
  repeat(grid1){
    v1 v2 v3
    }
  }:end=eof)").arg(points2D).toUtf8();
    const QByteArray mode7Sub = QStringLiteral(R"(
$2D
skip, skip, n1, n2, n3, skip, skip, skip
{skip}:count(n1)
{skip}:count(n2)%1
repeat(grid2(t)){
  t
  repeat(grid1){
    v2 v3
    }
  skip
  repeat(grid1){
    skip
    }
  }:end=eof
rewind
skip, skip, n1, n2, n3, skip, skip, skip
{skip}:count(n1)
{skip}:count(n2)
repeat(grid1){skip, skip, skip}
skip
{skip,skip,skip,skip,skip,skip}:count(n5)
{/}:count(n3)
repeat(grid3(t)){
  skip
  repeat(grid1){
    skip skip
    }
  t
  repeat(grid1){
    v1
    }
  }:end=eof)").arg(points2D).toUtf8();

    const ScriptCase cases[] = {
        {"mode 1 without sub variables", shape(1, 2, 0), R"(
$1D
skip, skip, n1, n2, n3, skip, skip, skip
{skip}:count(n1)
{skip}:count(n2)
skip, skip, skip
repeat(grid2(t)){
  t
  v1 v2
  }:end=eof)"},
        {"mode 1 with a sub variable", shape(1, 2, 1), R"(
$1D
skip, skip, n1, n2, n3, skip, skip, skip
{skip}:count(n1)
{skip}:count(n2)
skip, skip, skip
repeat(grid1(t)){
  t
  v3
  skip
  skip skip
  }:end=eof
rewind
skip, skip, n1, n2, n3, skip, skip, skip
{skip}:count(n1)
{skip}:count(n2)
skip, skip, skip
repeat(grid2(t)){
  skip
  skip
  t
  v1 v2
  }:end=eof)"},
        // The two-grid flag does not split the plot of a problem in time only.
        {"mode 1 with the two-grid flag", shape(1, 2, 0, {1, 0}), R"(
$1D
skip, skip, n1, n2, n3, skip, skip, skip
{skip}:count(n1)
{skip}:count(n2)
skip, skip, skip
repeat(grid2(t)){
  t
  v1 v2
  }:end=eof)"},
        {"mode 2, three variables, steady", shape(2, 3, 0), R"(
$1D
skip, skip, n1, n2, n3, skip, skip, skip
{skip}:count(n1)
{skip}:count(n2)
repeat(grid1(x)){x, skip, skip}:count(n3)
skip
repeat(grid1){
  v1 v2 v3
  })"},
        {"mode 4 without sub variables", shape(4, 1, 0), R"(
$1D
skip, skip, n1, n2, n3, skip, skip, skip
{skip}:count(n1)
{skip}:count(n2)
repeat(grid1(x)){skip, x, skip}:count(n3)
skip
repeat(grid1){
  v1
  })"},
        {"mode 4 with two sub variables", shape(4, 1, 2), R"(
$1D
skip, skip, n1, n2, n3, skip, skip, skip
{skip}:count(n1)
{skip}:count(n2)
repeat(grid1(x)){skip, x, skip}:count(n3)
skip
repeat(grid1){
  v2 v3
  }
skip
repeat(grid1){
  skip
  }
rewind
skip, skip, n1, n2, n3, skip, skip, skip
{skip}:count(n1)
{skip}:count(n2)
repeat(grid1){skip, skip, skip}
skip
repeat(grid1){
  skip skip
  }
skip
repeat(grid1){
  v1
  })"},
        {"mode 5, one grid, without sub variables", shape(5, 2, 0), R"(
$1D
skip, skip, n1, n2, n3, skip, skip, skip
{skip}:count(n1)
{skip}:count(n2)
repeat(grid1(x)){skip, x, skip}:count(n3)
repeat(grid3(t)){
  t
  repeat(grid1){
    v1 v2
    }
  }:end=eof)"},
        // Both grids' points are still defined, but no grid-1 block is written.
        {"mode 5, two grids, every variable on grid 2", shape(5, 2, 0, {1, 1}), R"(
$1D
skip, skip, n1, n2, skip, skip, n3, n4
{skip}:count(n1)
{skip}:count(n2)
repeat(grid1(x)){skip, x, skip}:count(n3)
repeat(grid2(x)){skip, x, skip}:count(n4)
repeat(grid4(t)){
  t
  repeat(grid2){
    v1 v2
    }
  }:end=eof)"},
        {"mode 3, two grids, sub variables on both", shape(3, 2, 2, {0, 1}, {1, 0}), R"(
$1D
skip, skip, n1, n2, skip, skip, n3, n4
{skip}:count(n1)
{skip}:count(n2)
repeat(grid1(x)){x, skip, skip}:count(n3)
repeat(grid2(x)){x, skip, skip}:count(n4)
repeat(grid3(t)){
  t
  repeat(grid1){
    v4
    }
  repeat(grid2){
    v3
    }
  skip
  repeat(grid1){
    skip
    }
  repeat(grid2){
    skip
    }
  }:end=eof
rewind
skip, skip, n1, n2, skip, skip, n3, n4
{skip}:count(n1)
{skip}:count(n2)
repeat(grid1){skip, skip, skip}
repeat(grid2){skip, skip, skip}
repeat(grid4(t)){
  skip
  repeat(grid1){
    skip
    }
  repeat(grid2){
    skip
    }
  t
  repeat(grid1){
    v1
    }
  repeat(grid2){
    v2
    }
  }:end=eof)"},
        {"mode 6 with a sub variable", shape(6, 1, 1), mode6Sub.constData()},
        {"mode 7 with the two-grid flag", shape(7, 3, 0, {0, 1, 0}), mode7.constData()},
        {"mode 7 with two sub variables", shape(7, 1, 2, {}, {1, 0}), mode7Sub.constData()},
    };
    for (const ScriptCase& c : cases)
        EXPECT_EQ(plotImportScript(c.shape), lines(c.script)) << c.name;
}

TEST(PlotImportScript, ValuesAreReadSubVariablesFirstGridByGrid)
{
    struct {
        const char* name;
        RPlotShape shape;
        QList<int> order;
    } cases[] = {
        {"one grid", shape(3, 2, 1), {3, 1, 2}},
        {"two grids in mode 2", shape(2, 3, 2, {0, 1, 0}, {1, 0}), {5, 4, 1, 3, 2}},
        // Modes 6 and 7 are read as one grid, so the names must not follow the grids.
        {"two-grid flag in mode 7", shape(7, 3, 2, {0, 1, 0}, {1, 0}), {4, 5, 1, 2, 3}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(plotValueOrder(c.shape), c.order) << c.name;
}

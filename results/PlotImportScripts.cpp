#include "results/PlotImportScripts.h"

#include "document/RMORVCompile.h"

namespace {

struct ValueGroup {
    int grid = 1;
    QList<int> numbers; // value numbers
};

// The value groups of one kind (variables or sub variables), in grid order. Mode 1 has one
// group without a grid (grid 0).
QList<ValueGroup> valueGroups(const RPlotShape& s, bool sub)
{
    const int offset = sub ? s.variableCount : 0;
    QList<ValueGroup> groups;
    if (s.twoGridLayout()) {
        ValueGroup g1{1, {}}, g2{2, {}};
        for (int k : sub ? s.grid1SubVariables : s.grid1Variables)
            g1.numbers.append(offset + k);
        for (int k : sub ? s.grid2SubVariables : s.grid2Variables)
            g2.numbers.append(offset + k);
        groups << g1 << g2;
    } else {
        ValueGroup g{s.mode == 1 ? 0 : 1, {}};
        const int count = sub ? s.subVariableCount : s.variableCount;
        for (int k = 1; k <= count; ++k)
            g.numbers.append(offset + k);
        groups << g;
    }
    return groups;
}

QString itemLine(const RPlotShape& s, const QList<int>& numbers, bool read)
{
    QString line = (s.mode == 3 || s.mode == 5 || s.mode == 7) ? QStringLiteral("   ")
                                                                : QStringLiteral(" ");
    for (int n : numbers)
        line += read ? QStringLiteral(" v%1").arg(n) : QStringLiteral(" skip");
    return line;
}

void valueSection(QStringList& out, const RPlotShape& s, bool sub, bool read)
{
    const QList<ValueGroup> groups = valueGroups(s, sub);
    if (s.mode == 1) {
        out << itemLine(s, groups.first().numbers, read);
        return;
    }
    const bool transient = s.transient();
    for (const ValueGroup& g : groups) {
        if (g.numbers.isEmpty())
            continue;
        out << (transient ? QStringLiteral("  repeat(grid%1){") : QStringLiteral("repeat(grid%1){"))
                   .arg(g.grid);
        out << itemLine(s, g.numbers, read);
        out << (transient ? QStringLiteral("    }") : QStringLiteral("  }"));
    }
}

QString timeLine(const RPlotShape& s, bool read)
{
    if (!s.transient())
        return QStringLiteral("skip");
    return read ? QStringLiteral("  t") : QStringLiteral("  skip");
}

QString headerLine(const RPlotShape& s)
{
    return s.twoGridLayout() ? QStringLiteral("skip, skip, n1, n2, skip, skip, n3, n4")
                             : QStringLiteral("skip, skip, n1, n2, n3, skip, skip, skip");
}

// The point lines: defined (PD) or skipped (PS).
void pointLines(QStringList& out, const RPlotShape& s, bool define)
{
    const int m = s.mode;
    if (m == 1) {
        out << QStringLiteral("skip, skip, skip");
        return;
    }
    if (m == 6 || m == 7) {
        if (define)
            out << QStringLiteral("repeat(grid1(x,y)){x, y, skip}:count(n3)") << QStringLiteral("n5")
                << QStringLiteral("repeat(element){")
                << QStringLiteral("  polygon(grid1):count(3),skip, skip, skip")
                << QStringLiteral("  }:count(n5)") << QStringLiteral("{/}:count(n3)");
        else
            out << QStringLiteral("repeat(grid1){skip, skip, skip}") << QStringLiteral("skip")
                << QStringLiteral("{skip,skip,skip,skip,skip,skip}:count(n5)")
                << QStringLiteral("{/}:count(n3)");
        return;
    }
    // Modes 2 to 5: the coordinate is the first field in x, the second in y.
    const QString fields = (m == 2 || m == 3) ? QStringLiteral("x, skip, skip")
                                              : QStringLiteral("skip, x, skip");
    const int grids = s.twoGridLayout() ? 2 : 1;
    for (int g = 1; g <= grids; ++g) {
        if (define)
            out << QStringLiteral("repeat(grid%1(x)){%2}:count(n%3)").arg(g).arg(fields).arg(g + 2);
        else
            out << QStringLiteral("repeat(grid%1){skip, skip, skip}").arg(g);
    }
}

} // namespace

int plotMode(int PARMT, int PARMX, int PARMY)
{
    return (PARMT != 0 ? 1 : 0) + (PARMX != 0 ? 2 : 0) + (PARMY != 0 ? 4 : 0);
}

RPlotShape plotShape(const RMORVCompile& document)
{
    const SControlData& c = *document.control;
    const SSymbolTable& s = *document.symbols;
    RPlotShape shape;
    shape.mode = plotMode(c.PARMT, c.PARMX, c.PARMY);
    shape.twoGrid = c.twoGrid;
    shape.variableCount = c.variableCount;
    shape.subVariableCount = c.subVariableCount;
    if (c.twoGrid != 0) {
        for (int k = 1; k <= c.variableCount; ++k)
            (s.variableAttributes.value(k - 1) != 0 ? shape.grid2Variables : shape.grid1Variables)
                .append(k);
        for (int k = 1; k <= c.subVariableCount; ++k)
            (s.subVariableAttributes.value(k - 1) != 0 ? shape.grid2SubVariables
                                                       : shape.grid1SubVariables)
                .append(k);
    }
    return shape;
}

QStringList plotImportScript(const RPlotShape& s)
{
    QStringList out;
    out << (s.mode >= 6 ? QStringLiteral("$2D") : QStringLiteral("$1D"));
    const bool hasSub = s.subVariableCount > 0;
    const bool transient = s.transient();
    const int grids = s.mode == 1 ? 0 : (s.twoGridLayout() ? 2 : 1);
    const QString header = headerLine(s);
    const QStringList counts{QStringLiteral("{skip}:count(n1)"), QStringLiteral("{skip}:count(n2)")};
    const QString endOfTime = QStringLiteral("  }:end=eof");

    if (hasSub) {
        out << header << counts;
        pointLines(out, s, true);
        if (transient)
            out << QStringLiteral("repeat(grid%1(t)){").arg(grids + 1);
        out << timeLine(s, true);
        valueSection(out, s, true, true);
        out << timeLine(s, false);
        valueSection(out, s, false, false);
        if (transient)
            out << endOfTime;
        out << QStringLiteral("rewind");
    }

    out << header << counts;
    pointLines(out, s, !hasSub);
    if (transient)
        out << QStringLiteral("repeat(grid%1(t)){").arg(grids + 2);
    if (hasSub) {
        out << timeLine(s, false);
        valueSection(out, s, true, false);
    }
    out << timeLine(s, true);
    valueSection(out, s, false, true);
    if (transient)
        out << endOfTime;
    return out;
}

QList<int> plotValueOrder(const RPlotShape& s)
{
    QList<int> order;
    for (bool sub : {true, false})
        for (const ValueGroup& g : valueGroups(s, sub))
            order += g.numbers;
    return order;
}

#pragma once
#include <QList>
#include <QStringList>

class RMORVCompile;

// What the plot description file and its import script are built from: the plot mode, the
// document's two-grid flag, the counts and, for a two-grid document, which quantities lie on
// which grid.
struct RPlotShape {
    // 1 time only, 2 x, 3 t and x, 4 y, 5 t and y, 6 x and y, 7 t, x and y; 0 no parameter.
    int mode = 0;
    int twoGrid = 0;
    int variableCount = 0;
    int subVariableCount = 0;
    // 1-based numbers in ascending order, filled only when twoGrid is set: a quantity whose
    // cell attribute is not 0 lies on grid 2, the others on grid 1.
    QList<int> grid1Variables;
    QList<int> grid2Variables;
    QList<int> grid1SubVariables;
    QList<int> grid2SubVariables;

    // Only the one-dimensional modes have a staggered second grid in the plot; modes 1, 6
    // and 7 are written as one grid whatever the flag.
    bool twoGridLayout() const { return twoGrid != 0 && mode >= 2 && mode <= 5; }
    bool transient() const { return (mode & 1) != 0; }
};

// 1 for PARMT, plus 2 for PARMX, plus 4 for PARMY.
int plotMode(int PARMT, int PARMX, int PARMY);

// The shape of the open document, with the grid lists when its two-grid flag is set.
RPlotShape plotShape(const RMORVCompile& document);

// The lines (without line ends) of the import script that tells the plotting program how the
// result file of a document of this shape is laid out. With sub variables the result file is
// read twice: the sub variables in a first pass, then after "rewind" the variables.
QStringList plotImportScript(const RPlotShape& shape);

// Value numbers in the order the script reads them: the sub variables (number = variable
// count + k) grid by grid, then the variables grid by grid. The scalar names follow it.
QList<int> plotValueOrder(const RPlotShape& shape);

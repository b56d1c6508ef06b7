#pragma once
#include "results/RResultRowBuffer.h"

#include <QList>
#include <cstdint>
#include <vector>

struct RResultPoint {
    double x = 0.0;
    double y = 0.0;
};

// One loaded result file: what the text tables read. Empty until a load succeeds.
struct RResultData {
    // 1 when some output wrote its sub variables at another time than its variables.
    int separateTimes = 0;
    std::vector<double> variableTimes;     // one entry per variable block, in file order
    std::vector<double> subVariableTimes;  // one entry per sub-variable block, in file order
    std::vector<RResultPoint> grid1Points; // all points of a one-grid result
    std::vector<RResultPoint> grid2Points; // staggered points of a two-grid result
    // A one-grid result fills only the grid-1 buffers with one value per variable (per sub
    // variable). A two-grid result puts the quantities with cell attribute 0 on grid 1 and the
    // others on grid 2, each row holding its grid's quantities in ascending order of number.
    RResultRowBuffer variableRows1;
    RResultRowBuffer subVariableRows1;
    RResultRowBuffer variableRows2;
    RResultRowBuffer subVariableRows2;
};

// The result members of the main window: the last result loaded, the buffer limit and the
// variable selection. Widget-free, so loading and tables work without a window.
class RResultHolder {
public:
    static constexpr int DefaultResultBufferSize = 10000;

    RResultData result;
    // 1-based numbers, ascending, as the selection dialog leaves them.
    QList<int> selectedVariables;
    QList<int> selectedSubVariables;

    // Capacity of each buffer in units of 1024 rows; a buffer holds at most
    // resultBufferRows() - 1 rows.
    int ResultBufferSize = DefaultResultBufferSize;
    std::int64_t resultBufferRows() const { return std::int64_t(ResultBufferSize) * 1024; }

    // A new capacity discards the loaded result, so no row of the old capacity stays in use.
    void setResultBufferSize(int size)
    {
        ResultBufferSize = size;
        result = RResultData();
    }
};

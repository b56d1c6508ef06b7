#pragma once
#include <QString>
#include <QStringList>

class RMORVCompile;
class RResultHolder;
struct SControlData;

// The twelve shapes of the result text, chosen from the parameters in use, the grids and
// whether sub variables were written at their own times.
enum ResultLayout : int {
    LayoutScalar = 1,
    LayoutPlaneSteady = 2,
    LayoutLineSteady = 3,
    LayoutLineSteadyTwoGrids = 4,
    LayoutTimeSeries = 5,
    LayoutTimeSeriesSeparate = 6,
    LayoutLine = 7,
    LayoutLineSeparate = 8,
    LayoutLineTwoGrids = 9,
    LayoutLineTwoGridsSeparate = 10,
    LayoutPlane = 11,
    LayoutPlaneSeparate = 12,
};

int resultLayout(const SControlData& control, int separateTimes);

// printf's "%<width>.<precision>E" without regard to the locale.
QString formatExponent(double value, int width, int precision);

// Replaces lines with the text tables of the selected quantities of the loaded result.
// significantDigits below 1 counts as 1.
void ResultTextOut(QStringList& lines, const RResultHolder& holder, const RMORVCompile& document,
    int significantDigits);

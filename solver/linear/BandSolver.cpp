#include "solver/linear/BandSolver.h"

#include <algorithm>
#include <cmath>
#include <utility>

int SSMGLUBR(SMatrixRows<double>& rows, SolverIndex N, SolverIndex ml, SolverIndex mu,
             SolverIndex* pivots, double tolerance)
{
    if (N <= 0)
        return 0;
    if (ml < 0 || mu < 0 || rows.count() < N || rows.width() < 2 * ml + mu + 1)
        return 1;

    for (SolverIndex i = 0; i + 1 < N; ++i) {
        const SolverIndex lastRow = std::min(i + ml, N - 1);

        // Largest entry of column i; a later row wins only when strictly larger.
        SolverIndex pivotRow = i;
        double largest = std::fabs(rows[i][ml]);
        for (SolverIndex k = i + 1; k <= lastRow; ++k) {
            const double a = std::fabs(rows[k][ml + i - k]);
            if (a > largest) {
                largest = a;
                pivotRow = k;
            }
        }
        if (largest < tolerance)
            return 1;

        pivots[i] = pivotRow;
        const SolverIndex lastColumn = std::min(i + ml + mu, N - 1);
        if (pivotRow != i) {
            double* upper = rows[i];
            double* lower = rows[pivotRow];
            for (SolverIndex c = i; c <= lastColumn; ++c)
                std::swap(upper[ml + c - i], lower[ml + c - pivotRow]);
        }

        // Row i is not changed while the rows below are eliminated, so its entries right of
        // the diagonal are read in place.
        const double* pivotEntries = rows[i] + ml + 1;
        const double t = -1.0 / rows[i][ml];
        const SolverIndex count = std::min(ml + mu, N - 1 - i);
        for (SolverIndex k = i + 1; k <= lastRow; ++k) {
            double* row = rows[k];
            const double m = row[ml + i - k] * t;
            row[ml + i - k] = m;
            double* target = row + ml + i + 1 - k;
            for (SolverIndex l = 0; l < count; ++l)
                target[l] += m * pivotEntries[l];
        }
    }
    pivots[N - 1] = N - 1;
    return std::fabs(rows[N - 1][ml]) < tolerance ? 1 : 0;
}

void SSMGSBR(const SMatrixRows<double>& rows, double* b, SolverIndex N, SolverIndex ml,
             SolverIndex mu, const SolverIndex* pivots)
{
    if (N <= 0)
        return;
    for (SolverIndex i = 0; i + 1 < N; ++i) {
        const SolverIndex pr = pivots[i];
        const double t = b[pr];
        if (pr != i) {
            b[pr] = b[i];
            b[i] = t;
        }
        const SolverIndex lastRow = std::min(i + ml, N - 1);
        for (SolverIndex k = i + 1; k <= lastRow; ++k)
            b[k] += rows[k][ml + i - k] * t;
    }
    b[N - 1] = b[N - 1] / rows[N - 1][ml];
    for (SolverIndex i = N - 2; i >= 0; --i) {
        const double* row = rows[i];
        const SolverIndex lastColumn = std::min(i + ml + mu, N - 1);
        double sum = 0.0;
        for (SolverIndex c = i + 1; c <= lastColumn; ++c)
            sum += b[c] * row[ml + c - i];
        b[i] = (b[i] - sum) / row[ml];
    }
}

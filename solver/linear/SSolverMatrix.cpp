#include "solver/linear/SSolverMatrix.h"

void SSolverMatrix::allocate(SolverIndex N, int method_, SolverIndex halfBandwidth_,
                             SolverIndex rowWidth_)
{
    method = method_;
    halfBandwidth = halfBandwidth_;
    rowWidth = rowWidth_;
    const SolverIndex width = rowWidth > 0 ? rowWidth : 0;
    rows.resize(width > 0 ? N : 0, width);
    // A band row's columns follow from its position: only the row lists carry column numbers.
    const bool rowLists = width > 0 && method == kMethodIterative;
    rowColumns.resize(rowLists ? N : 0, rowLists ? width : 0);
    rightHandSide.assign(static_cast<std::size_t>(N), 0.0);
    solution.assign(static_cast<std::size_t>(N), 0.0);
    diagonal.assign(static_cast<std::size_t>(N), 0.0);
    pivotsOrCounts.assign(static_cast<std::size_t>(N), 0);
}

void SSolverMatrix::clearForRebuild()
{
    rows.clear();
    rowColumns.clear();
    std::fill(pivotsOrCounts.begin(), pivotsOrCounts.end(), 0);
    std::fill(diagonal.begin(), diagonal.end(), 0.0);
    std::fill(solution.begin(), solution.end(), 0.0);
}

SSolverMatrixLayout chooseSolverMatrixLayout(int dimension, SolverIndex n, int MISES, int METHOD)
{
    const int mises = MISES < 1 ? 1 : MISES;
    SSolverMatrixLayout layout;
    if (dimension <= 0) {
        layout.method = 1;
        layout.halfBandwidth = n - 1;
    } else if (dimension == 1) {
        if (mises <= 1 && METHOD % 2 == 0) {
            layout.method = kMethodExternalSparse;
            return layout; // no rows: the external solver reads the non-zero list
        }
        if (METHOD == 2 || METHOD == 3) {
            layout.method = 3;
            layout.halfBandwidth = 2 * n - 1;
        } else {
            layout.method = 5;
            layout.halfBandwidth = 3 * n - 1;
        }
    } else {
        // Two dimensions: the stencil matrices are not M-matrices, and the preconditioned
        // iteration does not converge on them at realistic sizes; an even METHOD takes the
        // sparse direct solver, an odd one keeps the iteration.
        if (METHOD % 2 == 0) {
            layout.method = kMethodExternalSparse;
            return layout;
        }
        layout.method = kMethodIterative;
        layout.rowWidth = 12 * n;
        return layout;
    }
    // The band plus room for the fill-in that row interchanges create.
    layout.rowWidth = 3 * layout.halfBandwidth + 1;
    return layout;
}

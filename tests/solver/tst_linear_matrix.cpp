#include <gtest/gtest.h>

#include "solver/linear/SSolverMatrix.h"

namespace {

struct LayoutCase {
    int dimension;
    SolverIndex n;
    int MISES;
    int METHOD;
    int method;
    SolverIndex halfBandwidth;
    SolverIndex rowWidth;
};

// The choice of linear method by dimension, MISES and METHOD, with the band sizes.
TEST(SolverMatrixLayout, MethodAndSizesFollowDimensionAndControlValues)
{
    const LayoutCase cases[] = {
        // no grid: one point, band of the n variables
        {0, 1, 1, 0, 1, 0, 1},
        {0, 4, 1, 0, 1, 3, 10},
        // one-dimensional: external solver only for MISES <= 1 with an even METHOD
        {1, 3, 1, 0, -1, 0, 0},
        {1, 3, 1, 2, -1, 0, 0},
        {1, 3, 2, 0, 5, 8, 25},
        {1, 3, 2, 2, 3, 5, 16},
        {1, 3, 2, 3, 3, 5, 16},
        {1, 3, 1, 3, 3, 5, 16},
        {1, 3, 1, 1, 5, 8, 25},
        {1, 2, 1, 5, 5, 5, 16},
        // MISES below 1 counts as 1
        {1, 3, 0, 0, -1, 0, 0},
        {1, 3, -4, 1, 5, 8, 25},
        // two-dimensional: METHOD alone decides, whatever MISES says; even the external
        // solver, odd the iterative one with rows of 12n slots
        {2, 3, 1, 0, -1, 0, 0},
        {2, 3, 5, 0, -1, 0, 0},
        {2, 2, 1, 2, -1, 0, 0},
        {2, 2, 0, -2, -1, 0, 0},
        {2, 3, 1, 1, 0, 0, 36},
        {2, 2, 5, 1, 0, 0, 24},
        {2, 2, 1, 3, 0, 0, 24},
        {2, 2, -1, -1, 0, 0, 24},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "dimension " << c.dimension << " n " << c.n << " MISES "
                                        << c.MISES << " METHOD " << c.METHOD);
        const SSolverMatrixLayout layout = chooseSolverMatrixLayout(c.dimension, c.n, c.MISES, c.METHOD);
        EXPECT_EQ(layout.method, c.method);
        if (layout.method > 0) {
            EXPECT_EQ(layout.halfBandwidth, c.halfBandwidth);
        }
        EXPECT_EQ(layout.rowWidth, c.rowWidth);
    }
}

// A fresh assembly must not see values, columns or counts left from the previous one.
TEST(SolverMatrix, ClearForRebuildEmptiesRowsCountsDiagonalAndSolution)
{
    SSolverMatrix m;
    m.allocate(3, kMethodIterative, 0, 4);
    ASSERT_EQ(m.size(), 3);
    ASSERT_EQ(m.rows.width(), 4);
    m.rows[2][3] = 7.0;
    m.rowColumns[1][0] = 3;
    m.pivotsOrCounts[1] = 1;
    m.diagonal[0] = 2.0;
    m.solution[2] = 5.0;
    m.rightHandSide[2] = 9.0;
    m.clearForRebuild();
    EXPECT_EQ(m.rows[2][3], 0.0);
    EXPECT_EQ(m.rowColumns[1][0], 0);
    EXPECT_EQ(m.pivotsOrCounts[1], 0);
    EXPECT_EQ(m.diagonal[0], 0.0);
    EXPECT_EQ(m.solution[2], 0.0);
    // the right-hand side is rewritten by every assembly, so it is left alone
    EXPECT_EQ(m.rightHandSide[2], 9.0);

    // the external method keeps no rows
    SSolverMatrix e;
    e.allocate(5, kMethodExternalSparse, 0, 0);
    EXPECT_TRUE(e.rows.empty());
    EXPECT_EQ(e.solution.size(), 5u);
}

} // namespace

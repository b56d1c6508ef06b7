// Segment geometry: arc centre, handle point, length, grading map and signed angles.
#include "MeshFixtures.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(SegmentGeometry, CentreHandleAndLength)
{
    struct Case {
        double r, cx, cy, hx, hy, length;
    };
    const Case cases[] = {
        {0, 3, 0, 3, 0, 6},
        {5, 3, -4, 3, 1, 2 * 5 * std::asin(0.6)},
        {-5, 3, 4, 3, -1, 2 * 5 * std::asin(0.6)},
        {2, 3, 0, 3, 0, 6},
        // Fault guarded: a half circle's length is its arc, not its chord.
        {3, 3, 0, 3, 3, 3 * 3.14159265358979},
    };
    for (const Case& c : cases) {
        double cx, cy, hx, hy, len;
        RTriangleMesh::segmentCenter(0, 0, 6, 0, c.r, cx, cy);
        RTriangleMesh::segmentHandle(0, 0, 6, 0, c.r, hx, hy);
        RTriangleMesh::segmentLength(0, 0, 6, 0, c.r, len);
        EXPECT_NEAR(cx, c.cx, 1e-12) << c.r;
        EXPECT_NEAR(cy, c.cy, 1e-12) << c.r;
        EXPECT_NEAR(hx, c.hx, 1e-12) << c.r;
        EXPECT_NEAR(hy, c.hy, 1e-12) << c.r;
        EXPECT_NEAR(len, c.length, 1e-12) << c.r;
    }
}

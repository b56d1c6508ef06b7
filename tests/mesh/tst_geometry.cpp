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

TEST(SegmentGeometry, GradingMapAndDivisionPoints)
{
    struct Case {
        double bias;
        double middle; // division point 1 of 2 of the segment (0,0)-(4,0)
    };
    for (const Case& c : {Case{0.0, 2.0}, Case{0.5, 3.0}, Case{-0.5, 1.0}}) {
        RTriangleMesh m(30);
        const int a = addPoint(m, 0, 0), b = addPoint(m, 4, 0);
        SegmentSpec spec;
        spec.division = 2;
        spec.bias = c.bias;
        const int s = addSegment(m, a, b, spec);
        double x, y;
        m.divisionPoint(s, 1, x, y);
        EXPECT_NEAR(x, c.middle, 1e-12) << c.bias;
        EXPECT_NEAR(m.calcDeltaLength(1, s) + m.calcDeltaLength(2, s), 4.0, 1e-12);
    }
    EXPECT_EQ(RTriangleMesh::calcGridPoint(0.0, 0.7), 0.0);
    EXPECT_EQ(RTriangleMesh::calcGridPoint(1.0, -0.7), 1.0);
}

TEST(SegmentGeometry, ArcDivisionPointsLieOnTheArcAndChordsAreShorter)
{
    RTriangleMesh m(30);
    const int a = addPoint(m, 0, 0), b = addPoint(m, 6, 0);
    SegmentSpec spec;
    spec.radius = 5;
    spec.division = 6;
    spec.bias = 0.3;
    const int s = addSegment(m, a, b, spec);
    double sum = 0;
    for (int k = 0; k <= 6; ++k) {
        double x, y;
        m.divisionPoint(s, k, x, y);
        EXPECT_NEAR(std::hypot(x - 3, y + 4), 5.0, 1e-12) << k;
        // Walking from the end point visits the same points in reverse order.
        double rx, ry;
        m.walkPoint(m.segments[s], true, 6 - k, rx, ry);
        EXPECT_NEAR(rx, x, 1e-12);
        EXPECT_NEAR(ry, y, 1e-12);
        if (k > 0)
            sum += m.calcDeltaLength(k, s);
    }
    double length;
    RTriangleMesh::segmentLength(0, 0, 6, 0, 5, length);
    EXPECT_LT(sum, length);
    // The positive radius bulges to the left of start -> end, so the points lie above.
    double x, y;
    m.divisionPoint(s, 3, x, y);
    EXPECT_GT(y, 0);
}

TEST(SegmentGeometry, SignedAngles)
{
    const double pi = 3.14159265358979;
    struct Case {
        double vx, vy, angle;
    };
    for (const Case& c : {Case{0, 1, pi / 2}, Case{0, -1, -pi / 2}, Case{-1, 0, pi}, Case{1, 0, 0}})
        EXPECT_NEAR(RTriangleMesh::getAngle(0, 0, 1, 0, 0, 0, c.vx, c.vy), c.angle, 1e-12);
    EXPECT_EQ(RTriangleMesh::arccos(1.5), 0.0);
    EXPECT_EQ(RTriangleMesh::arccos(-1.5), pi);
}

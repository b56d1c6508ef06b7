// Geometric validity checks of the figure and the messages they give.
#include "MeshFixtures.h"

#include <gtest/gtest.h>

TEST(FigureChecks, CrossingOfStraightSegments)
{
    struct Case {
        const char* name;
        double b0x, b0y, b1x, b1y;
        bool shared; // B starts at A's start point
        bool crosses;
    };
    // A runs from (0, 0) to (2, 0).
    const Case cases[] = {
        {"proper crossing", 1, -1, 1, 1, false, true},
        {"T junction", 1, 0, 1, 1, false, true},
        {"collinear overlap", 1, 0, 3, 0, false, true},
        {"apart", 3, -1, 3, 1, false, false},
        {"end to end", 2, 0, 3, 1, false, false},
        {"shared start, other direction", 0, 0, -1, 1, true, false},
        // Fault guarded: two diagonals of a rectangle cross though no end sees the other
        // chord under an obtuse angle.
        {"rectangle diagonals", 0, 2, 2, -2, false, true},
    };
    for (const Case& c : cases) {
        RTriangleMesh m(30);
        const int a0 = addPoint(m, 0, 0), a1 = addPoint(m, 2, 0);
        const int b0 = c.shared ? a0 : addPoint(m, c.b0x, c.b0y);
        const int b1 = addPoint(m, c.b1x, c.b1y);
        RSegment A, B;
        A.startPoint = a0;
        A.endPoint = a1;
        B.startPoint = b0;
        B.endPoint = b1;
        EXPECT_EQ(m.isCrossingSegment(A, B), c.crosses) << c.name;
    }
    // The diagonals of a square, with both ends strictly on both sides, through crossCheck too.
    EXPECT_TRUE(RTriangleMesh::crossCheck(0, 0, 2, 2, 0, 2, 2, 0));
    EXPECT_FALSE(RTriangleMesh::crossCheck(0, 0, 2, 0, 2, 0, 3, 1));
}

TEST(FigureChecks, PointOnSegmentAndArcChords)
{
    RTriangleMesh m(30);
    m.tolerance = 1e-6;
    const int a = addPoint(m, 0, 0), b = addPoint(m, 6, 0);
    SegmentSpec straight;
    straight.division = 4;
    const int s = addSegment(m, a, b, straight);
    EXPECT_TRUE(m.isOnlineBySeg(s, 3, 0));
    EXPECT_TRUE(m.isOnlineBySeg(s, 0, 0)); // an end point counts
    EXPECT_FALSE(m.isOnlineBySeg(s, 3, 0.01));
    const int c = addPoint(m, 0, 10), d = addPoint(m, 6, 10);
    SegmentSpec arc;
    arc.radius = 5;
    arc.division = 4;
    const int t = addSegment(m, c, d, arc);
    double x, y;
    m.divisionPoint(t, 1, x, y);
    EXPECT_TRUE(m.isOnlineBySeg(t, x, y));
    // The true apex lies between chords of a two-piece arc only when it is a division point;
    // with four pieces the apex is division point 2.
    EXPECT_TRUE(m.isOnlineBySeg(t, 3, 11));
    // A point on the true arc between two division points is off the chords.
    const double pi = 3.14159265358979;
    const double th = m.centralAngle(0, 10, 6, 10, 5);
    const double ang = std::atan2(10 - 6, 0 - 3) - th / 8; // an eighth of the way along
    EXPECT_FALSE(m.isOnlineBySeg(t, 3 + 5 * std::cos(ang), 6 + 5 * std::sin(ang)));
    (void)pi;
}

TEST(FigureChecks, TotalChecksReportTheirProblem)
{
    struct Case {
        const char* name;
        double px, py; // where point 4 is moved
        const char* message;
    };
    // Figure: a horizontal segment (0,0)-(4,0) and a free point at (2, 2) that is moved.
    const Case cases[] = {
        {"onto a point", 0, 0, "There is a POINT at the coordinates."},
        {"onto the segment", 2, 0, "The Point is on the Segment."},
        {"free place", 2, 1, nullptr},
    };
    for (const Case& c : cases) {
        RTriangleMesh m(30);
        MessageRecorder rec;
        const int a = addPoint(m, 0, 0), b = addPoint(m, 4, 0);
        addSegment(m, a, b);
        const int p = addPoint(m, 2, 2);
        m.points[p].selected = true;
        const int ok = m.PointTotalCheck(c.px, c.py, p, 0);
        if (c.message) {
            EXPECT_EQ(ok, 0) << c.name;
            ASSERT_EQ(rec.texts.size(), 1) << c.name;
            EXPECT_EQ(rec.texts[0], c.message) << c.name;
            EXPECT_EQ(m.points[p].y, 2.0) << c.name;
        } else {
            EXPECT_EQ(ok, 1) << c.name;
            EXPECT_TRUE(rec.texts.isEmpty());
            EXPECT_EQ(m.points[p].y, 1.0);
        }
    }
}

TEST(FigureChecks, SegmentCheckMessagesAndOwnEnds)
{
    RTriangleMesh m(30);
    MessageRecorder rec;
    const int a = addPoint(m, 0, 0), b = addPoint(m, 4, 0);
    addSegment(m, a, b);
    const int c = addPoint(m, 2, -1), d = addPoint(m, 2, 1), e = addPoint(m, 6, 0);
    RSegment cross;
    cross.startPoint = c;
    cross.endPoint = d;
    EXPECT_EQ(m.SegmentTotalCheck(cross, -1), 0);
    RSegment through;
    through.startPoint = a;
    through.endPoint = e; // runs over point b
    EXPECT_EQ(m.SegmentTotalCheck(through, -1), 0);
    RSegment own = m.segments[0];
    EXPECT_EQ(m.SegmentTotalCheck(own, 0), 1); // its own end points are not reported
    EXPECT_EQ(rec.texts, QStringList({"Crossing!", "There is a POINT on the Segment."}));
}

TEST(FigureChecks, InboundIgnoresTheOrderOfTheLoop)
{
    RTriangleMesh m(30);
    addPolygon(m, {0, 0, 4, 0, 4, 4, 0, 4});
    ASSERT_EQ(m.outlines.size(), 1u);
    ROutline reversed = m.outlines[0];
    std::reverse(reversed.segments.begin(), reversed.segments.end());
    m.outlines.push_back(reversed);
    for (int k = 0; k < 2; ++k) {
        EXPECT_TRUE(m.isInbound(1, 1, k));
        EXPECT_FALSE(m.isInbound(5, 1, k));
    }
}

TEST(FigureChecks, ToleranceFromTheVisibleFigure)
{
    RTriangleMesh m(30);
    m.tolerance = 0;
    m.setToleranceFromFigure();
    EXPECT_EQ(m.tolerance, 1e-10);
    m.tolerance = 3e-9;
    addPoint(m, 1, 1);
    m.setToleranceFromFigure(); // one point: no extent, the previous value stays
    EXPECT_EQ(m.tolerance, 3e-9);
    addPoint(m, 5, 3);
    const int hidden = addPoint(m, 1000, 1000);
    m.points[hidden].hidden = true;
    m.setToleranceFromFigure();
    EXPECT_DOUBLE_EQ(m.tolerance, 4e-8);
}

// Connections, outlines, deleting and the undo ring of the figure.
#include "MeshFixtures.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
bool sameFigure(const RTriangleMesh& a, const RTriangleMesh& b)
{
    if (a.points.size() != b.points.size() || a.segments.size() != b.segments.size()
        || a.outlines.size() != b.outlines.size() || a.groupCount != b.groupCount)
        return false;
    for (size_t i = 0; i < a.points.size(); ++i)
        if (a.points[i].x != b.points[i].x || a.points[i].y != b.points[i].y
            || a.points[i].connections != b.points[i].connections
            || a.points[i].group != b.points[i].group
            || a.points[i].selected != b.points[i].selected)
            return false;
    for (size_t i = 0; i < a.segments.size(); ++i)
        if (a.segments[i].startPoint != b.segments[i].startPoint
            || a.segments[i].endPoint != b.segments[i].endPoint
            || a.segments[i].radius != b.segments[i].radius)
            return false;
    for (size_t i = 0; i < a.outlines.size(); ++i)
        if (a.outlines[i].segments != b.outlines[i].segments
            || a.outlines[i].area != b.outlines[i].area)
            return false;
    return true;
}
} // namespace

TEST(FigureOutlines, GroupsMergeAndASquareClosesOneOutline)
{
    RTriangleMesh m(30);
    const int p0 = addPoint(m, 0, 0), p1 = addPoint(m, 1, 0);
    addSegment(m, p0, p1);
    EXPECT_EQ(m.groupCount, 1);
    EXPECT_EQ(m.points[p1].group, 0);
    const int p2 = addPoint(m, 1, 1), p3 = addPoint(m, 0, 1);
    addSegment(m, p1, p2);
    addSegment(m, p2, p3);
    EXPECT_TRUE(m.outlines.empty());
    addSegment(m, p3, p0);
    ASSERT_EQ(m.outlines.size(), 1u);
    EXPECT_NEAR(std::fabs(m.outlines[0].area), 1.0, 1e-12);
    EXPECT_TRUE(m.outlines[0].selected);
    EXPECT_EQ(m.outlines[0].segments.size(), 4u);
    EXPECT_NEAR(m.outlines[0].labelX, 0.5, 1e-12);
    EXPECT_EQ(m.isConnect(p0, p1), 1);
    EXPECT_EQ(m.isConnect(p1, p0), 1);
    EXPECT_EQ(m.isConnect(p0, p2), -1);
    int total, outl;
    m.countConnection(p0, total, outl);
    EXPECT_EQ(total, 2);
    EXPECT_EQ(outl, 2);
}

TEST(FigureOutlines, DiagonalSplitsAndItsDeletionMerges)
{
    RTriangleMesh m(30);
    addPolygon(m, {0, 0, 2, 0, 2, 2, 0, 2}, 1, 5);
    m.outlines[0].label = "plate";
    SegmentSpec spec;
    spec.region = 3;
    spec.type = 0;
    addSegment(m, 0, 2, spec);
    ASSERT_EQ(m.outlines.size(), 2u);
    EXPECT_EQ(m.outlines[0].label, "plate");
    EXPECT_EQ(m.outlines[0].region, 5);
    EXPECT_EQ(m.outlines[1].region, 5);
    EXPECT_NEAR(std::fabs(m.outlines[0].area), 2.0, 1e-12);
    EXPECT_LT(m.outlines[0].area * m.outlines[1].area, 0);
    m.outlines[1].region = 2;
    EXPECT_TRUE(m.deleteSegment(4));
    ASSERT_EQ(m.outlines.size(), 1u);
    EXPECT_NEAR(std::fabs(m.outlines[0].area), 4.0, 1e-12);
    EXPECT_EQ(m.outlines[0].region, 2);
    EXPECT_TRUE(m.outlines[0].label.isEmpty());
    EXPECT_TRUE(m.outlines[0].selected);
}

TEST(FigureOutlines, DeadEndStaysOutOfThePath)
{
    RTriangleMesh m(30);
    addPolygon(m, {0, 0, 4, 0, 4, 4, 0, 4});
    const int inner = addPoint(m, 1, 1);
    addSegment(m, 0, inner); // a dead end into the square
    const int q = addPoint(m, 2, 5);
    addSegment(m, 3, q);
    addSegment(m, q, 2); // closes a triangle on top of the square
    ASSERT_EQ(m.outlines.size(), 2u);
    for (const ROutline& o : m.outlines)
        EXPECT_EQ(std::count(o.segments.begin(), o.segments.end(), 4), 0);
}

TEST(FigureOutlines, AStraightSegmentAndAnArcCloseAHalfDisc)
{
    // A straight segment and an arc between the same two points enclose nothing by their chords:
    // the loop was taken for a segment splitting an outline, none was found, and the editor
    // said "Please contact Vesko Soft." and made no outline.
    for (double radius : {1.0, -1.0, 1.5}) {
        SCOPED_TRACE(radius);
        RTriangleMesh m(30);
        MessageRecorder rec;
        const int a = addPoint(m, -1, 0), b = addPoint(m, 1, 0);
        addSegment(m, a, b);
        SegmentSpec arc;
        arc.radius = radius;
        arc.division = 8;
        addSegment(m, b, a, arc);
        EXPECT_TRUE(rec.texts.isEmpty()) << rec.texts.join(' ').toStdString();
        ASSERT_EQ(m.outlines.size(), 1u);
        // Measured through the arc's pieces: for the half disc, half a regular 16-gon.
        if (radius == 1.0)
            EXPECT_NEAR(std::fabs(m.outlines[0].area), 4 * std::sin(3.14159265358979 / 8), 1e-12);
        // The middle of the arc's bulge lies inside, the point across the chord does not.
        double mx = 0, my = 0;
        m.divisionPoint(1, 4, mx, my);
        EXPECT_TRUE(m.isInbound(0.9 * mx, 0.9 * my, 0));
        EXPECT_FALSE(m.isInbound(-0.5 * mx, -0.5 * my, 0));
    }
}

TEST(FigureDelete, SidesAndLoneSegments)
{
    {
        RTriangleMesh m(30);
        addPolygon(m, {0, 0, 1, 0, 1, 1, 0, 1});
        EXPECT_TRUE(m.deleteSegment(1));
        EXPECT_TRUE(m.outlines.empty());
        EXPECT_EQ(m.groupCount, 1);
        for (const RPoint& p : m.points)
            EXPECT_EQ(p.group, 0);
    }
    {
        RTriangleMesh m(30);
        const int a = addPoint(m, 0, 0), b = addPoint(m, 1, 0);
        addSegment(m, a, b);
        EXPECT_TRUE(m.deleteSegment(0));
        EXPECT_EQ(m.groupCount, 2);
        EXPECT_EQ(m.points[a].group, 0);
        EXPECT_EQ(m.points[b].group, 1);
    }
}

TEST(FigureDelete, RenumbersTheMovedSegmentEverywhere)
{
    RTriangleMesh m(30);
    addPolygon(m, {0, 0, 1, 0, 1, 1, 0.5, 1.5, 0, 1}); // segments 0..4
    m.selectedSegments = {4};
    const int end4 = m.segments[4].endPoint;
    const int start2 = m.segments[2].startPoint, end2 = m.segments[2].endPoint;
    m.deleteSegment(2);
    EXPECT_EQ(m.selectedSegments, std::vector<int>({2}));
    EXPECT_EQ(m.segments[2].endPoint, end4);
    EXPECT_NE(std::find(m.points[end4].connections.begin(), m.points[end4].connections.end(), 2),
              m.points[end4].connections.end());
    for (int p : {start2, end2})
        for (int e : m.points[p].connections)
            EXPECT_LT(e, 4);
}

TEST(FigureDelete, InconsistentOutlinesChangeNothing)
{
    // Fault guarded: a segment on two outlines where the first lies wholly in the second used
    // to leave the figure half deleted.
    RTriangleMesh m(30);
    MessageRecorder rec;
    addPolygon(m, {0, 0, 1, 0, 1, 1});
    m.outlines.push_back(m.outlines[0]);
    const auto before = m.segments.size();
    EXPECT_FALSE(m.deleteSegment(0));
    EXPECT_EQ(m.segments.size(), before);
    EXPECT_EQ(m.outlines.size(), 2u);
    EXPECT_EQ(rec.texts, QStringList({"Please contact Vesko Soft."}));
}

TEST(FigureUndo, UndoAndRedoRestoreTheFigureExactly)
{
    RTriangleMesh m(30);
    RTriangleMesh blank(30);
    m.UndoFU(); // nothing to undo: nothing changes
    EXPECT_EQ(m.undoCount, 0);
    EXPECT_TRUE(sameFigure(m, blank));

    std::vector<RTriangleMesh*> states;
    m.PushFU();
    addPolygon(m, {0, 0, 1, 0, 1, 1, 0, 1});
    m.PushFU();
    m.points[2].x = 2;
    m.points[2].selected = true;
    m.PushFU();
    m.deleteSegment(1);
    RTriangleMesh shown(30);
    shown.points = m.points;
    shown.segments = m.segments;
    shown.outlines = m.outlines;
    shown.groupCount = m.groupCount;

    int undos = 0;
    while (m.canUndo()) {
        m.UndoFU();
        ++undos;
    }
    EXPECT_EQ(undos, 3);
    EXPECT_TRUE(sameFigure(m, blank));
    m.UndoFU(); // no further step
    EXPECT_TRUE(sameFigure(m, blank));
    for (int i = 0; i < undos; ++i)
        m.RedoFU();
    EXPECT_FALSE(m.canRedo());
    EXPECT_TRUE(sameFigure(m, shown));
    m.RedoFU(); // nothing to redo
    EXPECT_TRUE(sameFigure(m, shown));
}

TEST(FigureUndo, RingKeepsTheNewestSnapshots)
{
    RTriangleMesh m(30);
    for (int i = 0; i < 31; ++i) {
        m.PushFU();
        addPoint(m, i, 0);
    }
    EXPECT_EQ(m.undoHead, 1);
    EXPECT_EQ(m.undoCount, 30);
    // A change after an undo drops the redo states.
    m.UndoFU();
    EXPECT_EQ(m.redoCount, 1);
    m.PushFU();
    EXPECT_EQ(m.redoCount, 0);
    EXPECT_FALSE(m.canRedo());
}

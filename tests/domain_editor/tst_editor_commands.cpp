// The editor's commands on the figure: property edits, delete, zoom, undo and redo, move,
// mirror, rotate and copy, and the one-dimensional grid built on close.
#include "EditorFixture.h"

#include "domain_editor/RMoveCopy.h"

#include <gtest/gtest.h>

namespace {

TEST(EditorPropertyEdit, ValueTables)
{
    struct Case {
        const char* key;
        const char* typed;
        double bias;
        int division;
        int region;
    };
    // Start values: bias 0.25, division 3, region 1.
    const Case cases[] = {
        {"bias", "2", 0.999, 3, 1},
        {"bias", "-1", -0.999, 3, 1},
        {"bias", "0.5", 0.5, 3, 1},
        {"bias", "inf", 0.0, 3, 1},
        {"number of mesh", "0", 0.25, 1, 1},
        {"number of mesh", "7", 0.25, 7, 1},
        {"number of mesh", "2.5", 0.25, 1, 1},
        {"region", "-5", 0.25, 3, 0},
        {"region", "4", 0.25, 3, 4},
    };
    for (const Case& c : cases) {
        EditorFixture t;
        const int a = addPoint(t.f, 0, 0, 1);
        const int b = addPoint(t.f, 1, 0, 1);
        const int s = addSegment(t.f, a, b, 0, 0.0, 3, 1);
        t.f.segments[s].bias = 0.25;
        t.select({a}, {s});
        EXPECT_TRUE(t.editor.validateProperty(QString::fromLatin1(c.key), QString::fromLatin1(c.typed)));
        EXPECT_DOUBLE_EQ(t.f.segments[s].bias, c.bias) << c.key << " " << c.typed;
        EXPECT_EQ(t.f.segments[s].division, c.division) << c.key << " " << c.typed;
        EXPECT_EQ(t.f.segments[s].region, c.region) << c.key << " " << c.typed;
        EXPECT_EQ(t.f.points[a].region, c.region) << c.key << " " << c.typed;
        EXPECT_TRUE(t.doc.modified);
        EXPECT_EQ(t.doc.compileState, 1);
        EXPECT_TRUE(t.f.canUndo());
    }
}

TEST(EditorPropertyEdit, EmptyValuesAndLabels)
{
    EditorFixture t;
    const int a = addPoint(t.f, 0, 0);
    const int b = addPoint(t.f, 1, 0);
    const int s = addSegment(t.f, a, b, 0);
    t.f.segments[s].label = QStringLiteral("inlet");
    t.select({}, {s});
    EXPECT_FALSE(t.editor.validateProperty(QStringLiteral("region"), QStringLiteral("  ")));
    EXPECT_FALSE(t.editor.validateProperty(QString(), QStringLiteral("1")));
    EXPECT_FALSE(t.doc.modified);
    EXPECT_TRUE(t.editor.validateProperty(QStringLiteral("label"), QString()));
    EXPECT_TRUE(t.f.segments[s].label.isEmpty());
}

TEST(EditorPropertyEdit, CoordinatesMoveTogetherAndUndoRestoresHandles)
{
    EditorFixture t;
    const int a = addPoint(t.f, 1, 0);
    const int b = addPoint(t.f, 1, 2);
    const int s = addSegment(t.f, a, b, 0);
    t.editor.updateScaleData();
    t.select({a, b});
    // Letters convert to 0: both points move to x = 0 and the segment's handle follows.
    EXPECT_TRUE(t.editor.validateProperty(QStringLiteral("x"), QStringLiteral("abc")));
    EXPECT_EQ(t.f.points[a].x, 0.0);
    EXPECT_EQ(t.f.points[b].x, 0.0);
    EXPECT_EQ(t.f.segments[s].handleX, 0.0);
    t.editor.undo();
    EXPECT_EQ(t.f.points[a].x, 1.0);
    EXPECT_EQ(t.f.points[b].x, 1.0);
    EXPECT_EQ(t.f.segments[s].handleX, 1.0);
}

TEST(EditorPropertyEdit, RefusedCoordinateChangesNothingButMarksTheDocument)
{
    EditorFixture t;
    addPoint(t.f, 0, 0);
    const int b = addPoint(t.f, 5, 0);
    t.editor.updateScaleData();
    t.f.meshState = 2;
    setDimensions(t.doc, 1, 0);  // one dimension: no remake question
    t.select({b});
    EXPECT_TRUE(t.editor.validateProperty(QStringLiteral("x"), QStringLiteral("0")));
    EXPECT_EQ(t.f.points[b].x, 5.0);
    EXPECT_EQ(t.log.texts, QStringList{QStringLiteral("There is a POINT at the coordinates.")});
    EXPECT_FALSE(t.f.canUndo());
    EXPECT_TRUE(t.doc.modified);
    EXPECT_EQ(t.f.meshState, 1);
    EXPECT_TRUE(t.questions.isEmpty());
}

TEST(EditorPropertyEdit, SegmentsThatRefuseStillCostOneSnapshot)
{
    EditorFixture t;
    const int a = addPoint(t.f, 0, 0);
    const int b = addPoint(t.f, 2, 0);
    addPoint(t.f, 1, 1);
    const int c = addPoint(t.f, 5, 0);
    const int d = addPoint(t.f, 7, 0);
    // Two pieces each, so that a half circle's apex is one of its chord points.
    const int s = addSegment(t.f, a, b, 0, 0.0, 2);
    const int u = addSegment(t.f, c, d, 0, 0.0, 2);
    t.editor.updateScaleData();
    t.select({}, {s, u});
    const int snapshots = t.f.undoCount;
    // The arc of s would pass through the point at (1, 1): s keeps its radius, u changes.
    EXPECT_TRUE(t.editor.validateProperty(QStringLiteral("radius"), QStringLiteral("1")));
    EXPECT_EQ(t.f.segments[s].radius, 0.0);
    EXPECT_EQ(t.f.segments[u].radius, 1.0);
    EXPECT_NEAR(t.f.segments[u].handleY, 1.0, 1e-12);
    EXPECT_EQ(t.log.texts, QStringList{QStringLiteral("There is a POINT on the Segment.")});
    EXPECT_EQ(t.f.undoCount, snapshots + 1);
    // Every selected segment refusing still takes its one snapshot.
    t.select({}, {s});
    t.editor.validateProperty(QStringLiteral("radius"), QStringLiteral("1"));
    EXPECT_EQ(t.f.undoCount, snapshots + 2);
}

TEST(EditorPropertyEdit, TypeOutlineRefusedAtAPointWithTwoOutlineSegments)
{
    EditorFixture t;
    const int c = addPoint(t.f, 0, 0);
    const int p1 = addPoint(t.f, 1, 0);
    const int p2 = addPoint(t.f, 0, 1);
    const int p3 = addPoint(t.f, -1, 0);
    addSegment(t.f, c, p1, 1);
    addSegment(t.f, c, p2, 1);
    const int inner = addSegment(t.f, c, p3, 0);
    t.select({}, {inner});
    t.editor.validateProperty(QStringLiteral("type"), QStringLiteral("Outline"));
    EXPECT_EQ(t.f.segments[inner].type, 0);
    t.select({}, {0});
    t.editor.validateProperty(QStringLiteral("type"), QStringLiteral("InnerBorder"));
    EXPECT_EQ(t.f.segments[0].type, 0);
    t.select({}, {inner});
    t.editor.validateProperty(QStringLiteral("type"), QStringLiteral("Outline"));
    EXPECT_EQ(t.f.segments[inner].type, 1);
}

TEST(EditorPropertyEdit, RemakeQuestionNoKeepsTheMesh)
{
    EditorFixture t;
    const int a = addPoint(t.f, 0, 0);
    t.f.meshState = 2;
    t.answerYes = false;
    t.select({a});
    EXPECT_FALSE(t.editor.validateProperty(QStringLiteral("region"), QStringLiteral("3")));
    EXPECT_EQ(t.questions.size(), 1);
    EXPECT_EQ(t.f.meshState, 2);
    EXPECT_EQ(t.f.points[a].region, 0);
    EXPECT_FALSE(t.doc.modified);
}

TEST(EditorCommands, DeleteRemovesAttachedSegmentsFirst)
{
    EditorFixture t;
    const int a = addPoint(t.f, 0, 0);
    const int b = addPoint(t.f, 1, 0);
    const int c = addPoint(t.f, 1, 1);
    addSegment(t.f, a, b, 0);
    addSegment(t.f, b, c, 0);
    t.editor.updateScaleData();
    // Two segments that share a point leave the point.
    t.select({}, {0, 1});
    EXPECT_TRUE(t.editor.deleteSelection());
    EXPECT_EQ(t.f.points.size(), 3u);
    EXPECT_TRUE(t.f.segments.empty());
    t.editor.undo();
    ASSERT_EQ(t.f.segments.size(), 2u);
    // A point takes its segments with it.
    t.select({b});
    EXPECT_TRUE(t.editor.deleteSelection());
    EXPECT_EQ(t.f.points.size(), 2u);
    EXPECT_TRUE(t.f.segments.empty());
    EXPECT_TRUE(t.doc.modified);
    // Nothing selected: nothing happens.
    t.select({});
    const int snapshots = t.f.undoCount;
    EXPECT_FALSE(t.editor.deleteSelection());
    EXPECT_EQ(t.f.undoCount, snapshots);
}

TEST(EditorCommands, DeleteSelectedPointsFromTheEnd)
{
    EditorFixture t;
    addLoop(t.f, {0, 0, 2, 0, 2, 2, 0, 2});
    const int extra = addPoint(t.f, 5, 5);
    t.editor.updateScaleData();
    t.select({0, 2, extra});
    t.editor.deleteSelection();
    // Every segment touched point 0 or 2; points 1 and 3 stay, unjoined.
    EXPECT_EQ(t.f.points.size(), 2u);
    EXPECT_TRUE(t.f.segments.empty());
    EXPECT_TRUE(t.f.outlines.empty());
    for (const RPoint& p : t.f.points)
        EXPECT_TRUE(p.connections.empty());
}

TEST(EditorCommands, ZoomToSelectionNeedsTwoObjects)
{
    EditorFixture t;
    addPoint(t.f, 0, 0);
    addPoint(t.f, 1, 0);
    addPoint(t.f, 100, 100);
    t.editor.updateScaleData();
    t.select({0});
    EXPECT_FALSE(t.editor.zoomToSelection());
    EXPECT_FALSE(t.f.points[2].hidden);
    t.select({0, 1});
    EXPECT_TRUE(t.editor.zoomToSelection());
    EXPECT_TRUE(t.f.points[2].hidden);
    EXPECT_DOUBLE_EQ(t.editor.view.xmax, 1.0);
    EXPECT_DOUBLE_EQ(t.f.tolerance, 1e-8);
    t.editor.zoomToAll();
    EXPECT_FALSE(t.f.points[2].hidden);
    EXPECT_DOUBLE_EQ(t.editor.view.xmax, 100.0);
}

// Undo and Redo with nothing in the ring must not restore an empty or stale slot.
TEST(EditorCommands, UndoRedoWithNothingAvailableDoNothing)
{
    EditorFixture t;
    addPoint(t.f, 0, 0);
    t.f.resetUndoPositions();
    EXPECT_FALSE(t.editor.undo());
    EXPECT_FALSE(t.editor.redo());
    EXPECT_EQ(t.f.points.size(), 1u);
}

TEST(EditorCommands, UndoOfAMeshAsksInTwoDimensions)
{
    EditorFixture t;
    const int a = addPoint(t.f, 0, 0);
    t.select({a});
    t.editor.validateProperty(QStringLiteral("region"), QStringLiteral("2"));
    t.f.meshState = 2;
    t.answerYes = false;
    EXPECT_FALSE(t.editor.undo());
    EXPECT_EQ(t.f.points[a].region, 2);
    t.answerYes = true;
    EXPECT_TRUE(t.editor.undo());
    EXPECT_EQ(t.f.points[a].region, 0);
    EXPECT_EQ(t.f.meshState, 1);
    // A new mesh, then Redo: asked again.
    t.f.meshState = 2;
    EXPECT_TRUE(t.editor.redo());
    EXPECT_EQ(t.questions.size(), 3);
    EXPECT_EQ(t.f.meshState, 1);
    EXPECT_EQ(t.f.points[a].region, 2);
}

TEST(EditorTransform, RoundedResults)
{
    struct Case {
        const char* name;
        RTransform t;
        int k;
        double x, y, ex, ey;
    };
    RTransform rot90;
    rot90.mode = 2;
    rot90.angle = 90 / 180.0 * 3.14159265358979;
    RTransform rotMinus90 = rot90;
    rotMinus90.angle = -rotMinus90.angle;
    RTransform mirrorY;  // the line x = 0
    mirrorY.mode = 1;
    mirrorY.ux = 0;
    mirrorY.uy = 1;
    RTransform shift;
    shift.dx = 0;
    shift.dy = 1;
    RTransform shift2;
    shift2.dx = 2;
    const Case cases[] = {
        {"rotate 90", rot90, 1, 1, 0, 0, -1},
        {"rotate -90", rotMinus90, 1, 1, 0, 0, 1},
        {"rotate 180 as the second copy", rot90, 2, 1, 0, -1, 0},
        {"mirror", mirrorY, 1, 2, 3, -2, 3},
        {"ten digits", shift, 1, 1.2345678912e-5, 0, 1.234567891e-5, 1},
        {"ten digits large", shift, 1, 123.456789012345, 0, 123.456789, 1},
        {"third copy", shift2, 3, 1, 0, 7, 0},
    };
    for (const Case& c : cases) {
        double x = 0, y = 0;
        c.t.apply(c.k, c.x, c.y, x, y);
        EXPECT_EQ(x, c.ex) << c.name;
        EXPECT_EQ(y, c.ey) << c.name;
    }
}

TEST(EditorMove, ShiftKeepsArcAndRecomputesHandle)
{
    EditorFixture t;
    const int a = addPoint(t.f, 0, 0);
    const int b = addPoint(t.f, 2, 0);
    const int s = addSegment(t.f, a, b, 0, 1.0);
    t.editor.updateScaleData();
    t.select({b});
    RTransform shift;
    shift.dx = 1;
    EXPECT_TRUE(moveSelection(t.editor, shift));
    EXPECT_EQ(t.f.points[b].x, 3.0);
    EXPECT_EQ(t.f.segments[s].radius, 1.0);
    double hx = 0, hy = 0;
    RTriangleMesh::segmentHandle(0, 0, 3, 0, 1.0, hx, hy);
    EXPECT_DOUBLE_EQ(t.f.segments[s].handleX, hx);
    EXPECT_DOUBLE_EQ(t.f.segments[s].handleY, hy);
    t.editor.undo();
    EXPECT_EQ(t.f.points[b].x, 2.0);
}

TEST(EditorMove, MirrorFlipsArcsBetweenMovedPoints)
{
    EditorFixture t;
    const int a = addPoint(t.f, 1, 0);
    const int b = addPoint(t.f, 3, 0);
    const int s = addSegment(t.f, a, b, 0, 1.5);
    t.editor.updateScaleData();
    t.select({a, b}, {s});
    RTransform mirror;
    mirror.mode = 1;
    mirror.uy = 1;
    EXPECT_TRUE(moveSelection(t.editor, mirror));
    EXPECT_EQ(t.f.points[a].x, -1.0);
    EXPECT_EQ(t.f.points[b].x, -3.0);
    EXPECT_EQ(t.f.segments[s].radius, -1.5);
}

TEST(EditorMove, RefusedMoveRestoresEveryPoint)
{
    EditorFixture t;
    const int a = addPoint(t.f, 0, 0);
    const int b = addPoint(t.f, 1, 0);
    addPoint(t.f, 11, 0);
    t.editor.updateScaleData();
    t.select({a, b});
    RTransform shift;
    shift.dx = 10;
    const int snapshots = t.f.undoCount;
    EXPECT_FALSE(moveSelection(t.editor, shift));
    EXPECT_EQ(t.f.points[a].x, 0.0);
    EXPECT_EQ(t.f.points[b].x, 1.0);
    EXPECT_EQ(t.f.undoCount, snapshots);
    EXPECT_EQ(t.log.texts, QStringList{QStringLiteral("There is a POINT at the coordinates.")});
}

TEST(EditorCopy, OutlineCopiedIntoANewOutline)
{
    EditorFixture t;
    addLoop(t.f, {0, 0, 1, 0, 1, 1, 0, 1});
    t.f.outlines[0].region = 5;
    t.f.segments[0].label = QStringLiteral("bottom");
    t.editor.updateScaleData();
    t.select({}, {}, {0});
    RTransform shift;
    shift.dx = 2;
    EXPECT_EQ(copySelection(t.editor, shift, 3), 0);
    EXPECT_EQ(t.f.points.size(), 16u);
    EXPECT_EQ(t.f.segments.size(), 16u);
    ASSERT_EQ(t.f.outlines.size(), 4u);
    EXPECT_EQ(t.f.outlines[3].region, 5);
    for (int i = 4; i < 16; ++i)
        EXPECT_TRUE(t.f.segments[i].label.isEmpty());
    EXPECT_EQ(t.f.points[12].x, 6.0);
    // One undo removes every copy.
    t.editor.undo();
    EXPECT_EQ(t.f.points.size(), 4u);
    EXPECT_EQ(t.f.outlines.size(), 1u);
}

TEST(EditorCopy, SegmentCopiesItsEndPointsAndMirrorFlipsTheArc)
{
    EditorFixture t;
    const int a = addPoint(t.f, 1, 0);
    const int b = addPoint(t.f, 3, 0);
    const int s = addSegment(t.f, a, b, 0, 1.5);
    t.editor.updateScaleData();
    t.select({}, {s});
    RTransform mirror;
    mirror.mode = 1;
    mirror.uy = 1;
    EXPECT_EQ(copySelection(t.editor, mirror, 1), 0);
    ASSERT_EQ(t.f.segments.size(), 2u);
    EXPECT_EQ(t.f.segments[1].radius, -1.5);
    EXPECT_EQ(t.f.points[t.f.segments[1].startPoint].x, -1.0);
    EXPECT_FALSE(t.f.segments[1].selected);
}

TEST(EditorCopy, FailedCopiesAreCounted)
{
    EditorFixture t;
    addPoint(t.f, 0, 0);
    const int p = addPoint(t.f, 1, 0);
    t.editor.updateScaleData();
    t.select({p});
    RTransform rot;
    rot.mode = 2;
    rot.angle = 90 / 180.0 * 3.14159265358979;
    // The fourth turn lands on the point itself.
    EXPECT_EQ(copySelection(t.editor, rot, 4), 1);
    ASSERT_EQ(t.f.points.size(), 5u);
    EXPECT_EQ(t.f.points[2].x, 0.0);
    EXPECT_EQ(t.f.points[2].y, -1.0);
    EXPECT_EQ(t.f.points[4].y, 1.0);
    // A shift of nothing copies nothing.
    RTransform none;
    EXPECT_EQ(copySelection(t.editor, none, 1), 1);
    EXPECT_EQ(t.f.points.size(), 5u);
}

TEST(EditorClose, OneDimensionalGridCodes)
{
    struct Case {
        const char* name;
        std::vector<double> xs;
        bool join;
        int code;
    };
    const Case cases[] = {
        {"no segment", {0, 1}, false, 1},
        {"two pieces", {0, 1, 2, 3}, false, 2},
        {"one line", {0, 1}, true, 0},
    };
    for (const Case& c : cases) {
        EditorFixture t;
        setDimensions(t.doc, 1, 0);
        for (double x : c.xs)
            addPoint(t.f, x, 0);
        if (c.join || c.xs.size() == 4)
            addSegment(t.f, 0, 1, 1, 0.0, 4);
        if (c.xs.size() == 4)
            addSegment(t.f, 2, 3, 1, 0.0, 4);
        t.doc.modified = true;
        t.f.redoCount = 1;
        EXPECT_EQ(t.editor.closeFor1D(), c.code) << c.name;
        EXPECT_EQ(t.doc.meshCheck1D, c.code) << c.name;
        EXPECT_EQ(t.f.redoCount, 0) << c.name;
        EXPECT_GE(t.doc.compileState, 1) << c.name;
        EXPECT_EQ(t.f.meshState, c.code == 0 ? 2 : 1) << c.name;
    }
}

TEST(EditorClose, UnchangedValidGridIsLeftAlone)
{
    EditorFixture t;
    setDimensions(t.doc, 1, 0);
    t.f.meshState = 2;
    t.doc.meshCheck1D = 0;
    EXPECT_EQ(t.editor.closeFor1D(), 0);
    EXPECT_EQ(t.doc.compileState, 0);
    // Two dimensions never build a grid on close.
    EditorFixture two;
    EXPECT_EQ(two.editor.closeFor1D(), 0);
    EXPECT_EQ(two.doc.meshCheck1D, -1);
}

TEST(EditorClose, NewGridEmptiesTheIntegralLists)
{
    EditorFixture t;
    setDimensions(t.doc, 1, 0);
    addPoint(t.f, 0, 0);
    addPoint(t.f, 1, 0);
    addSegment(t.f, 0, 1, 1, 0.0, 4);
    SIntegral old;
    t.doc.compiler->INTEGRAL1.append(old);
    t.doc.modified = true;
    EXPECT_EQ(t.editor.closeFor1D(), 0);
    EXPECT_TRUE(t.doc.compiler->INTEGRAL1.isEmpty());
    EXPECT_EQ(t.doc.compileState, 2);
}

} // namespace

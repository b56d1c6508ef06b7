// The editor's model without its window: view fitting and tolerance, the selection lists and
// the property list, hit tests, the mouse in each edit mode and the Edit menu's rules.
#include "EditorFixture.h"

#include <gtest/gtest.h>

namespace {

using Rows = QList<RPropertyRow>;

QStringList keys(const Rows& rows)
{
    QStringList k;
    for (const RPropertyRow& r : rows)
        k << r.key;
    return k;
}

QString valueOf(const Rows& rows, const QString& key)
{
    for (const RPropertyRow& r : rows)
        if (r.key == key)
            return r.value;
    return QStringLiteral("<missing>");
}

bool readOnly(const Rows& rows, const QString& key)
{
    for (const RPropertyRow& r : rows)
        if (r.key == key)
            return r.readOnly;
    return false;
}

TEST(EditorView, FitsVisiblePointsAndHandlesAndSetsTolerance)
{
    EditorFixture t;
    const int a = addPoint(t.f, 0, 0);
    const int b = addPoint(t.f, 2, 0);
    // A half circle bulging upwards (left of its direction): its handle point at (1, 1)
    // widens the view.
    addSegment(t.f, a, b, 0, 1.0);
    const double tol = t.editor.updateScaleData();
    EXPECT_DOUBLE_EQ(t.f.tolerance, tol);
    EXPECT_DOUBLE_EQ(t.editor.view.ymax, t.f.segments[0].handleY);
    EXPECT_NEAR(t.f.segments[0].handleY, 1.0, 1e-12);
    EXPECT_DOUBLE_EQ(tol, 2e-8);
}

// Every visible object at one position gives no extent: the tolerance must stay positive so
// that a second point there is still refused.
TEST(EditorView, ToleranceKeptWhenNothingHasExtent)
{
    EditorFixture t;
    addPoint(t.f, 0, 0);
    addPoint(t.f, 10, 0);
    t.editor.updateScaleData();
    EXPECT_DOUBLE_EQ(t.f.tolerance, 1e-7);
    t.f.points[1].hidden = true;
    t.editor.updateScaleData();
    EXPECT_DOUBLE_EQ(t.f.tolerance, 1e-7);
    EXPECT_TRUE(t.f.existingPt(0, 0, -1));
}

TEST(EditorSelection, RebuildSkipsHiddenObjectsInAscendingOrder)
{
    EditorFixture t;
    addLoop(t.f, {0, 0, 1, 0, 1, 1, 0, 1});
    t.select({3, 0, 2}, {2, 1}, {0});
    t.f.points[2].hidden = true;
    t.f.segments[2].hidden = true;
    t.f.outlines[0].hidden = true;
    t.editor.rebuildSelection();
    EXPECT_EQ(t.f.selectedPoints, (std::vector<int>{0, 3}));
    EXPECT_EQ(t.f.selectedSegments, (std::vector<int>{1}));
    EXPECT_TRUE(t.f.selectedOutlines.empty());
}

TEST(EditorSelection, MeshViewLeavesTheListsAsTheyWere)
{
    EditorFixture t;
    addPoint(t.f, 0, 0);
    addPoint(t.f, 1, 0);
    t.select({1});
    t.editor.meshView = true;
    t.editor.selectAll();
    EXPECT_FALSE(t.f.points[0].selected);
    EXPECT_EQ(t.f.selectedPoints, (std::vector<int>{1}));
}

TEST(EditorProperties, SharedValuesTable)
{
    EditorFixture t;
    const int p0 = addPoint(t.f, 1, 2, 2);
    const int p1 = addPoint(t.f, 1, 3, 2);
    const int p2 = addPoint(t.f, 5, 5);
    const int p3 = addPoint(t.f, 6, 5);
    const int s0 = addSegment(t.f, p0, p2, 1, 0.0, 4, 3);
    const int s1 = addSegment(t.f, p1, p3, 0, 0.0, 4, 3);
    t.f.segments[s0].label = QStringLiteral("Wall");
    t.f.segments[s1].label = QStringLiteral("WALL");

    // Same x, different y.
    t.select({p0, p1});
    Rows rows = t.editor.propertyRows();
    EXPECT_EQ(keys(rows), (QStringList{"x", "y", "region"}));
    EXPECT_EQ(valueOf(rows, "x"), "1");
    EXPECT_EQ(valueOf(rows, "y"), "");
    EXPECT_EQ(valueOf(rows, "region"), "2");

    // A point of region 2 and a segment of region 3 share no region; the label is the segment's.
    t.select({p0}, {s0});
    rows = t.editor.propertyRows();
    EXPECT_EQ(keys(rows), (QStringList{"x", "y", "radius", "bias", "number of mesh", "type", "region", "label"}));
    EXPECT_EQ(valueOf(rows, "region"), "");
    EXPECT_EQ(valueOf(rows, "label"), "Wall");
    EXPECT_EQ(valueOf(rows, "type"), "Outline");

    // Segment labels compare without letter case; types differ.
    t.select({}, {s0, s1});
    rows = t.editor.propertyRows();
    EXPECT_EQ(valueOf(rows, "label"), "Wall");
    EXPECT_EQ(valueOf(rows, "type"), "");
    EXPECT_EQ(valueOf(rows, "number of mesh"), "4");
    EXPECT_EQ(valueOf(rows, "region"), "3");

    t.select({});
    EXPECT_TRUE(t.editor.propertyRows().isEmpty());
}

TEST(EditorProperties, OutlinesOnlyAndCaseSensitiveOutlineLabels)
{
    EditorFixture t;
    addLoop(t.f, {0, 0, 1, 0, 1, 1, 0, 1});
    addLoop(t.f, {3, 0, 4, 0, 4, 1, 3, 1});
    ASSERT_EQ(t.f.outlines.size(), 2u);
    t.f.outlines[0].label = QStringLiteral("Plate");
    t.f.outlines[1].label = QStringLiteral("PLATE");
    t.select({}, {}, {0});
    Rows rows = t.editor.propertyRows();
    EXPECT_EQ(keys(rows), (QStringList{"region", "label"}));
    EXPECT_EQ(valueOf(rows, "label"), "Plate");
    t.select({}, {}, {0, 1});
    EXPECT_EQ(valueOf(t.editor.propertyRows(), "label"), "");
}

TEST(EditorProperties, ReadOnlyRows)
{
    EditorFixture t;
    addLoop(t.f, {0, 0, 1, 0, 1, 1});
    const int free = addPoint(t.f, 5, 5);
    t.select({free});
    EXPECT_FALSE(readOnly(t.editor.propertyRows(), "x"));
    // A point on a closed outline may not move.
    t.select({free, 0});
    EXPECT_TRUE(readOnly(t.editor.propertyRows(), "x"));
    EXPECT_TRUE(readOnly(t.editor.propertyRows(), "y"));
    // In x alone: y is read-only, and so is the radius of a segment.
    setDimensions(t.doc, 1, 0);
    t.select({free}, {0});
    const Rows rows = t.editor.propertyRows();
    EXPECT_FALSE(readOnly(rows, "x"));
    EXPECT_TRUE(readOnly(rows, "y"));
    EXPECT_TRUE(readOnly(rows, "radius"));
}

TEST(EditorHits, PointWinsOverHandleAndLabel)
{
    EditorFixture t;
    const int a = addPoint(t.f, 0, 0);
    const int b = addPoint(t.f, 10, 0);
    addSegment(t.f, a, b, 0);
    // A point 0.1 from the handle point: within 5 pixels of it at 32 pixels per unit.
    const int c = addPoint(t.f, 5.1, 0.1);
    addPoint(t.f, 0, 10);
    t.editor.updateScaleData();
    int index = -1;
    const QPoint h = t.at(5, 0);
    EXPECT_EQ(t.editor.findObject(h.x(), h.y(), index), HitPoint);
    EXPECT_EQ(index, c);
    const QPoint far = t.at(2.5, 5);
    EXPECT_EQ(t.editor.findObject(far.x(), far.y(), index), HitNothing);
    t.editor.meshView = true;
    const QPoint pa = t.at(0, 0);
    EXPECT_EQ(t.editor.findObject(pa.x(), pa.y(), index), HitNothing);
}

TEST(EditorHits, RectangleEitherDirectionSelectsTheSame)
{
    EditorFixture t;
    addLoop(t.f, {0, 0, 4, 0, 4, 4, 0, 4});
    addPoint(t.f, 10, 10);
    t.editor.updateScaleData();
    const QPoint lo = t.at(-0.5, -0.5), hi = t.at(4.5, 4.5);
    t.editor.findObjectInRange(lo.x(), lo.y(), hi.x(), hi.y(), false);
    t.editor.rebuildSelection();
    const auto points = t.f.selectedPoints, segments = t.f.selectedSegments;
    const auto outlines = t.f.selectedOutlines;
    EXPECT_EQ(points, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(segments.size(), 4u);
    EXPECT_EQ(outlines.size(), 1u);
    t.f.deselect(7);
    t.editor.findObjectInRange(hi.x(), hi.y(), lo.x(), lo.y(), false);
    t.editor.rebuildSelection();
    EXPECT_EQ(t.f.selectedPoints, points);
    EXPECT_EQ(t.f.selectedSegments, segments);
    EXPECT_EQ(t.f.selectedOutlines, outlines);
    // Toggling the same rectangle again clears them.
    t.editor.findObjectInRange(lo.x(), lo.y(), hi.x(), hi.y(), true);
    t.editor.rebuildSelection();
    EXPECT_TRUE(t.f.selectedPoints.empty());
}

TEST(EditorMouse, SelectModeClicksDragsAndShift)
{
    EditorFixture t;
    addPoint(t.f, 0, 0);
    addPoint(t.f, 10, 10);
    t.editor.updateScaleData();
    const QPoint p0 = t.at(0, 0), p1 = t.at(10, 10);
    // A drag of 10 across and 5 down is a click at the release position.
    t.editor.mouseDown(p1.x() - 10, p1.y() - 5);
    t.editor.mouseMove(p1.x(), p1.y());
    t.editor.mouseUp(p1.x(), p1.y(), false, false);
    EXPECT_TRUE(t.f.points[1].selected);
    // Shift adds, Shift on a selected point takes it away and keeps the rest.
    t.editor.mouseDown(p0.x(), p0.y());
    t.editor.mouseUp(p0.x(), p0.y(), true, false);
    EXPECT_TRUE(t.f.points[0].selected && t.f.points[1].selected);
    t.editor.mouseDown(p1.x(), p1.y());
    t.editor.mouseUp(p1.x(), p1.y(), true, false);
    EXPECT_TRUE(t.f.points[0].selected);
    EXPECT_FALSE(t.f.points[1].selected);
    // A click on empty space clears the selection.
    t.editor.mouseDown(p0.x() + 40, p0.y() - 40);
    t.editor.mouseUp(p0.x() + 40, p0.y() - 40, false, false);
    EXPECT_FALSE(t.f.points[0].selected);
    EXPECT_FALSE(t.editor.dragging);
}

TEST(EditorMouse, NewLineModePicksAndRefuses)
{
    EditorFixture t;
    const int a = addPoint(t.f, 0, 0);
    const int b = addPoint(t.f, 10, 0);
    const int c = addPoint(t.f, 10, 10);
    addSegment(t.f, a, b, 0);
    t.editor.updateScaleData();
    t.editor.setModeFromButtons(2);
    const QPoint pa = t.at(0, 0), pb = t.at(10, 0), pc = t.at(10, 10);
    EXPECT_EQ(t.editor.mouseUp(pa.x(), pa.y(), false, false), RDomainEditor::Request::None);
    EXPECT_EQ(t.editor.editMode, 3);
    EXPECT_EQ(t.editor.firstPicked, a);
    EXPECT_TRUE(t.editor.mouseMove(pc.x(), pc.y()));
    EXPECT_EQ(t.editor.band[2], pc);
    // The first point again, or a point already joined to it.
    EXPECT_EQ(t.editor.mouseUp(pa.x(), pa.y(), false, false), RDomainEditor::Request::WrongPoint);
    EXPECT_EQ(t.editor.mouseUp(pb.x(), pb.y(), false, false), RDomainEditor::Request::WrongPoint);
    EXPECT_EQ(t.editor.editMode, 3);
    // Empty space is ignored.
    EXPECT_EQ(t.editor.mouseUp(pa.x() + 60, pa.y() - 60, false, false), RDomainEditor::Request::None);
    EXPECT_EQ(t.editor.editMode, 3);
    EXPECT_EQ(t.editor.mouseUp(pc.x(), pc.y(), false, false), RDomainEditor::Request::SegmentDialog);
    EXPECT_EQ(t.editor.secondPicked, c);
    // The right button drops the started line.
    t.editor.mouseUp(pc.x(), pc.y(), false, true);
    EXPECT_EQ(t.editor.editMode, 2);
}

TEST(EditorMouse, ModeButtonsClearTheSelectionOnlyBetweenNewModes)
{
    EditorFixture t;
    addPoint(t.f, 0, 0);
    t.f.points[0].selected = true;
    t.editor.setModeFromButtons(1);
    EXPECT_TRUE(t.f.points[0].selected);
    t.editor.setModeFromButtons(2);
    EXPECT_FALSE(t.f.points[0].selected);
    t.f.points[0].selected = true;
    t.editor.editMode = 3;
    t.editor.setModeFromButtons(1);
    EXPECT_FALSE(t.f.points[0].selected);
}

TEST(EditorMouse, ProposedDivisionFromThePitch)
{
    EditorFixture t;
    t.editor.firstPicked = addPoint(t.f, 0, 0);
    t.editor.secondPicked = addPoint(t.f, 2.2, 0);
    EXPECT_EQ(t.editor.proposedDivision(), 1);
    t.doc.divisionPitch = 0.5;
    EXPECT_EQ(t.editor.proposedDivision(), 4);
    t.doc.divisionPitch = 100;
    EXPECT_EQ(t.editor.proposedDivision(), 1);
}

TEST(EditorMenu, EnablingRulesOverSelections)
{
    EditorFixture t;
    addLoop(t.f, {0, 0, 1, 0, 1, 1});  // points 0-2, segments 0-2, outline 0
    const int p3 = addPoint(t.f, 5, 5);
    const int p4 = addPoint(t.f, 6, 5);
    struct Case {
        const char* name;
        std::initializer_list<int> points, segments, outlines;
        bool move, copy, del;
    };
    const Case cases[] = {
        {"nothing", {}, {}, {}, false, false, false},
        {"free points", {p3, p4}, {}, {}, true, true, true},
        {"one point on an outline", {p3, p4, 0}, {}, {}, false, true, true},
        {"outline only", {}, {}, {0}, false, true, false},
        {"segment only", {}, {1}, {}, false, true, true},
        {"free point and outline", {p3}, {}, {0}, false, true, true},
    };
    for (const Case& c : cases) {
        t.select(c.points, c.segments, c.outlines);
        const REditMenuState s = t.editor.editMenuState();
        EXPECT_EQ(s.move, c.move) << c.name;
        EXPECT_EQ(s.copy, c.copy) << c.name;
        EXPECT_EQ(s.del, c.del) << c.name;
    }
}

} // namespace

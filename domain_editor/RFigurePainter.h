#pragma once
#include <QColor>
#include <QPointF>

class QPainter;
class RCoord;
class RTriangleMesh;

// Draws the figure and the mesh into the editor's drawing area in floating-point device
// coordinates. Pure drawing: the selection lists and the property list are the editor's.
class RFigurePainter {
public:
    RFigurePainter(QPainter& painter, const RCoord& view, const RTriangleMesh& figure);

    // Outlines (blue, with their label squares), then segments, then points; hidden objects
    // are left out except that an outline is drawn whole. twoGrid draws selected straight
    // segments in the finite-volume layout.
    void drawDomain(bool twoGrid);
    void drawSegment(int index, double width, const QColor& colour, bool selected);
    void drawSegmentFVM(int index, double width, const QColor& colour, bool selected);
    // The arc about the segment's centre from (x1, y1) to (x2, y2); (hx, hy) is its middle,
    // through which an arc wider than a quarter circle is drawn in two pieces.
    void drawArcSegment(double x1, double y1, double x2, double y2, double radius, double hx,
                        double hy);
    void drawSegmentHandle(double ux, double uy, double hx, double hy);
    void drawMesh();

private:
    void drawDivisionDots(int index);
    QPointF px(double x, double y) const;

    QPainter& m_painter;
    const RCoord& m_view;
    const RTriangleMesh& m_figure;
};

#pragma once
#include <QString>
#include <array>
#include <vector>

// The document's figure (points, straight and arc segments, closed outlines, closed paths)
// and its mesh (grid points and triangles). Records hold no pointers: indices are the only
// links, and -1 stands for none wherever an index may be absent. A record added by a resize
// starts with every number 0, every inner list empty and every flag clear.

struct RPoint {
    double x = 0.0;
    double y = 0.0;                 // grows upwards
    std::vector<int> connections;   // segments ending here, in the order they were attached
    int region = 0;                 // 1-D figure: 1 left end, 2 right end, 0 inner point
    int group = 0;                  // connected point group; below the figure's group count
    int mark = 0;                   // scratch of the editor's trial edits, move and copy
    bool selected = false;
    bool hidden = false;
};

struct RSegment {
    // 0: straight. Otherwise an arc of radius |radius| (at most a half circle) whose centre
    // lies right of start -> end for a positive radius and left for a negative one.
    double radius = 0.0;
    int startPoint = 0;
    int endPoint = 0;
    int type = 0;                   // 1 outline, 0 inner border
    int division = 0;               // grid intervals along the segment
    int region = 0;
    int visited = 0;                // scratch of the domain check and of copy
    double handleX = 0.0;           // middle of the segment (of the arc for an arc)
    double handleY = 0.0;
    double bias = 0.0;              // grading of the divisions, -1 < bias < 1
    bool selected = false;
    bool hidden = false;
    QString label;
};

struct ROutline {
    double labelX = 0.0;
    double labelY = 0.0;
    double area = 0.0;              // signed: positive when the segment list runs clockwise
    int region = 0;
    bool selected = false;
    bool hidden = false;
    std::vector<int> segments;      // walking order around the loop
    QString label;
};

// A closed chain of outline segments found by the domain check.
struct RPath {
    std::vector<int> segments;
};

struct RGridPoint {
    double x = 0.0;
    double y = 0.0;
    double normalX = 0.0;           // outward unit normal at a boundary node, else 0
    double normalY = 0.0;
    double spacing = 0.0;           // desired spacing; not stored in the document file
    int regionCode = 0;
    int sourcePoint = 0;            // figure point the node stands on, -1 for none
    int nodeKind = 0;               // 0 corner of the enclosing triangle, 1 generated,
                                    // 2 boundary, 3 fixed
    // The nodes around this one, y axis up: an inner node's ring is closed and runs
    // clockwise; a boundary node's ring is open and runs counterclockwise from one boundary
    // neighbour to the other. A one-dimensional grid holds the one or two neighbours along
    // it, and their order sets the direction of the one-sided differences.
    std::vector<int> neighbours;
    bool used = false;
};

struct RCellTriangle {
    double quality = 0.0;
    int splitEdge = 0;
    std::array<int, 3> vertices{};
    int orientationTag = 0;         // stored first of the two tags
    int originTag = 0;              // stored second
    std::array<int, 3> oppVertex{};         // per edge i (opposite vertex i), -1 none
    std::array<int, 3> neighbours{};        // triangle across edge i, -1 none
    std::array<int, 3> boundarySegments{};  // figure segment of edge i, -1 none
};

// One slot of the undo ring: copies of the figure's lists and the group count.
struct RFigureSnapshot {
    std::vector<RPoint> points;
    std::vector<RSegment> segments;
    std::vector<ROutline> outlines;
    std::vector<RPath> paths;
    int pointCount = 0;
    int segmentCount = 0;
    int outlineCount = 0;
    int pathCount = 0;
    int groupCount = 0;
};

class RTriangleMesh {
public:
    // An empty figure: no records, mesh state 1, group count 0, tolerance 1e-10, and an undo
    // ring of undoDepth empty slots (undoDepth >= 1; the document passes 30).
    explicit RTriangleMesh(int undoDepth);
    ~RTriangleMesh();

    std::vector<int> rightPath;     // scratch of the closed-path search
    std::vector<int> leftPath;
    double rightArea = 0.0;
    double leftArea = 0.0;
    int meshState = 1;              // 1 figure only or mesh out of date, 2 valid mesh
    std::vector<RPoint> points;
    std::vector<RSegment> segments;
    std::vector<ROutline> outlines;
    std::vector<RPath> paths;
    int groupCount = 0;
    double tolerance = 1e-10;
    std::vector<int> selectedPoints;
    std::vector<int> selectedSegments;
    std::vector<int> selectedOutlines;
    std::vector<RFigureSnapshot> undoRing;
    int undoHead = 0;
    int undoCurrent = 0;
    int undoCount = 0;
    int redoCount = 0;
    int undoCapacity = 0;
    // Nodes 0 to 2 are the corners of the enclosing triangle; every consumer skips them.
    std::vector<RGridPoint> gridPoints;
    std::vector<RCellTriangle> triangles;

    // ---- Operations defined in mesh/ (library morv_mesh) ----

    // Segment geometry (mesh/RTriangleMeshGeometry.cpp). Nothing is changed.
    static void segmentCenter(double x1, double y1, double x2, double y2, double r, double& cx,
                              double& cy);
    static void segmentHandle(double x1, double y1, double x2, double y2, double r, double& hx,
                              double& hy);
    static void segmentLength(double x1, double y1, double x2, double y2, double r,
                              double& length);
    static double calcGridPoint(double t, double bias);
    double calcDeltaLength(int piece, int segment) const;
    static double arccos(double x);
    static double getAngle(double x1, double y1, double x2, double y2, double x3, double y3,
                           double x4, double y4);
    double getAngleByIP(int i0, int i1, int i2, int i3) const;
    // Central angle of an arc between its end points (pi when the radius is too short).
    static double centralAngle(double x1, double y1, double x2, double y2, double r);
    // Division point k (0..n) of segment s walked from its start point.
    void divisionPoint(int s, int k, double& x, double& y) const;
    // Division point k of a segment given by value, walked from its start point.
    void divisionPoint(const RSegment& seg, int k, double& x, double& y) const;
    // Division point k of a segment walked from its end point when fromEnd is set (bias and
    // central angle negated, so the same points come in reverse order).
    void walkPoint(const RSegment& seg, bool fromEnd, int k, double& x, double& y) const;
    // The point a fraction u (0..1) of the way along a segment from its start point: along
    // the chord when r is 0, otherwise turned about the arc's centre by u times the central
    // angle (a half circle over the chord when |r| is shorter than half of it).
    static void segmentPoint(double x1, double y1, double x2, double y2, double r, double u,
                             double& x, double& y);
    // Recomputes the handle point of segment s from its end points and radius.
    void updateHandle(int s);

    // Validity checks (mesh/RTriangleMeshChecks.cpp).
    bool isSamePt(double x1, double y1, double x2, double y2) const;
    bool isOnSimpleLine(double px, double py, double x1, double y1, double x2, double y2) const;
    bool existingPt(double x, double y, int except) const;
    bool isOnSegment(const RSegment& seg, double x, double y) const;
    bool isOnlineBySeg(int s, double x, double y) const;
    bool isOnline(double x, double y) const;
    static bool crossCheck(double x1, double y1, double x2, double y2, double x3, double y3,
                           double x4, double y4);
    bool isCrossingSegment(const RSegment& a, const RSegment& b) const;
    int SegmentTotalCheck(const RSegment& seg, int skip);
    int PointTotalCheck(double x, double y, int n, int flip);
    bool isInbound(double x, double y, int outline) const;
    // The chord points that isInbound walks around outline k, starting point included.
    void outlineWalk(int k, std::vector<double>& xs, std::vector<double>& ys) const;
    // Sum of the signed angles at (x, y) between consecutive walk points.
    static double windingSum(double x, double y, const std::vector<double>& xs,
                             const std::vector<double>& ys);
    void deselect(int flags);
    // Sets the geometric tolerance from the visible figure: 1e-8 times its larger extent; when
    // that is not above 0 the previous value, or 1e-10 when that is not above 0 either.
    void setToleranceFromFigure();

    // Connections, groups, outlines and closed paths (mesh/RTriangleMeshOutlines.cpp).
    void countConnection(int p, int& total, int& outlineCount) const;
    int isConnect(int p, int q) const;
    void NewConnection(int a, int b, int region);
    void createOutline(int s, int region);
    int searchClosedPath(int start, int seg, int from, int dir);
    void renumberGroup(int g, int p);
    void getPathHandle(int outline);

    // Deleting (mesh/RTriangleMeshDelete.cpp).
    void renumberPoint(int a, int b);
    void renumberSegment(int a, int b);
    void deletePoint(int i);
    // False when the segment was left in place because the outlines around it are inconsistent.
    bool deleteSegment(int s);

    // Whole-figure undo ring (mesh/RTriangleMeshUndo.cpp).
    void PushFU();
    void PopFU(int slot);
    void UndoFU();
    void RedoFU();
    bool canUndo() const;
    bool canRedo() const;
    void resetUndoPositions();
};

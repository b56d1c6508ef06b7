#pragma once
// Small helpers of the mesh tests: figure building as the editor's dialogs do it, a message
// recorder, and the invariant checker of a triangulation.
#include "document/RMessages.h"
#include "document/RTriangleMesh.h"
#include "mesh/RDelaunay.h"

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

// Records every message instead of printing it; installed for its lifetime.
class MessageRecorder : public RMessageSink {
public:
    MessageRecorder() { setMessageSink(this); }
    ~MessageRecorder() override { setMessageSink(nullptr); }
    void message(MessageKind, const QString& text) override { texts << text; }
    QStringList texts;
};

// A new point gets the current group count as its group, as the point dialog does.
int addPoint(RTriangleMesh& m, double x, double y, int region = 0);

struct SegmentSpec {
    double radius = 0.0;
    int type = 1;
    int division = 1;
    int region = 0;
    double bias = 0.0;
    QString label;
};

// Appends a segment, enters it in both end points' connections and runs NewConnection.
int addSegment(RTriangleMesh& m, int a, int b, const SegmentSpec& spec = {});

// A closed polygon of straight outline segments through the given corners (x0, y0, x1, y1, ...).
void addPolygon(RTriangleMesh& m, const std::vector<double>& xy, int division = 1,
                int region = 0, const QString& label = {});

// A circle of n arcs of the given radius around (cx, cy); sign chooses the walking direction.
void addCircle(RTriangleMesh& m, double cx, double cy, double r, int arcs, int division,
               double sign = 1.0, int region = 0, const QString& label = {});

// Returns an empty string when the triangulation is consistent, else the first problem found.
// flipFree: no edge would be flipped by the flip test. holes: the number of holes for Euler's
// formula (negative skips it). domainArea: the expected area (negative skips it).
std::string checkMesh(const RDelaunay& d, bool flipFree, int holes = -1, double domainArea = -1);

// No free edge has the far vertex of its neighbour strictly inside its triangle's circumcircle,
// by the exact test (no margin): a constrained Delaunay triangulation, up to cocircular ties.
std::string checkExactlyDelaunay(const RDelaunay& d);

// Every division piece of every segment is an edge carrying the segment's index.
std::string checkBoundaryPieces(const RDelaunay& d);

// The chord-polygon area enclosed by the closed paths (parity rule).
double chordArea(const RTriangleMesh& m);

// A canonical text of the mesh arrays: nodes, triangles, rings, normals, region codes.
QString meshText(const RTriangleMesh& m);

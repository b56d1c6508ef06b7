#pragma once
#include "document/RTriangleMesh.h"

#include <string>

// What a finished mesh is measured by: every triangle turns counterclockwise (exactly), its
// angles, the circle test of every free edge from both sides, and whether every division piece
// of the figure is an edge that carries its segment.
struct RMeshQuality {
    long triangles = 0;
    // Triangles whose vertices do not turn counterclockwise, evaluated exactly.
    long folded = 0;
    // The smallest angle of any triangle, in degrees.
    double smallestAngle = 180.0;
    // Triangles with an angle below 1 degree, and those of them that no corner of the figure
    // forces (see flatAngleForced).
    long below1Degree = 0;
    long below1DegreeAvoidable = 0;
    // Free edges, counted once per side, whose far vertex lies inside the circle through the
    // near triangle shrunk to kCircleShrink of its squared radius (exactly evaluated).
    long circleFailures = 0;
    // Division pieces of the figure's segments that are no edge carrying their segment.
    long missingPieces = 0;
    // The first fault found, for a message; empty when there is none.
    std::string firstFault;

    static constexpr double kCircleShrink = 0.99999;
    // Whether nothing above is a fault.
    bool sound() const
    {
        return folded == 0 && below1DegreeAvoidable == 0 && circleFailures == 0
               && missingPieces == 0;
    }
};

// The largest ratio of the lengths of the two boundary edges at a corner of angle theta
// (radians) that triangles with no angle below 1 degree can join: the triangles at the corner
// share theta, and each can grow the distance from the corner by a bounded factor.
double maxGradingRatio(double theta);

// The angle (radians) at node v of the part of the domain around it that holds triangle t,
// up to the constrained edges; `ends` gets the far nodes of those two edges (both -1 when v is
// an inner node, the angle then 2 pi).
double sectorAngle(const RTriangleMesh& m, int t, int v, int ends[2]);

// Whether triangle t stands where no mesh of the figure's boundary nodes can do without an
// angle below 1 degree: a vertex of t is a boundary node where the domain, on t's side, is
// narrower than 2 degrees, or where the two boundary edges at it differ in length by more than
// maxGradingRatio allows (every mesh then has such an angle in some triangle at that node, and
// all the triangles there are let off).
bool flatAngleForced(const RTriangleMesh& m, int t);

// The position (0-2) of the vertex at triangle t's smallest angle when that angle is below 1
// degree and flatAngleForced does not hold; -1 otherwise. measureMesh counts such triangles as
// avoidable.
int avoidableFlatAngle(const RTriangleMesh& m, int t);

// Measures the mesh of the figure. With `pieces` set the division pieces are looked up too
// (for a mesh whose nodes stand where the generator put them, not one read back from a file).
RMeshQuality measureMesh(const RTriangleMesh& m, bool pieces = true);

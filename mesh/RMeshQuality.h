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
    // Triangles with an angle below 1 degree, and those of them that do not stand in a corner
    // where two boundary pieces meet at less than 2 degrees (the only place such an angle is
    // unavoidable).
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

// The position (0-2) of the vertex at triangle t's smallest angle when that angle is below 1
// degree and no vertex of t is a boundary node where two boundary pieces meet at less than 2
// degrees around it; -1 otherwise. measureMesh counts such triangles as avoidable.
int avoidableFlatAngle(const RTriangleMesh& m, int t);

// Measures the mesh of the figure. With `pieces` set the division pieces are looked up too
// (for a mesh whose nodes stand where the generator put them, not one read back from a file).
RMeshQuality measureMesh(const RTriangleMesh& m, bool pieces = true);

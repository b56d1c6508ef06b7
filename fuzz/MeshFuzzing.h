#pragma once
// What the mesh generator's fuzz target needs besides the generator: a small figure decoded
// from the input bytes and drawn as the domain editor's dialogs draw it, and the check of a
// finished mesh.
#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>

class RDelaunay;
class RTriangleMesh;

// The generation settings the input chooses besides the figure.
struct FuzzMeshSettings {
    int meshType = 0;     // 0 automatic, 1 lattice, 2 boundary cells, 3 none, 4 worst edge first
    double meshAngle = 0; // lattice orientation in degrees
};

// Decodes a figure into the empty `figure`. Byte layout (a missing byte reads as 0):
//   mesh type (mod 5), mesh angle (signed, 1.5 degrees a unit), scale (10^(b mod 11 - 5)),
//   point count (1 + b mod 24), then per point x and y as signed 16-bit little-endian numbers
//   (scale / 256 a unit), then commands until the input ends, the first byte's low two bits
//   naming the command:
//     0 loop: a byte k (3 + k mod 8 corners; bit 7 keeps the corners in the order given,
//       otherwise they are sorted by angle around their centre, which draws a simple polygon),
//       k point numbers, then for each side a segment shape; the sides are outline segments.
//     1 inner border: two point numbers and a segment shape.
//     2 free point: one point number.
//     3 outline segment: two point numbers and a segment shape.
//   A segment shape is three bytes: division (1 + b mod 24), radius (signed; below 8 in
//   magnitude a straight segment, else an arc whose radius is 0.9 + (|b| - 8) / 24 times half
//   the chord, the sign choosing the side), bias (signed; below 16 in magnitude 0, else
//   b / 128 * 0.95). The region of a loop's sides and points is the loop's number mod 3.
// Points come first, as the point dialog places them (a point within the tolerance of an earlier
// one is that point); then the segments in command order, each kept only when the segment dialog
// would take it (no figure point on it, no crossing, no third outline segment at a point) and
// its pieces do not lie on those of an earlier segment between the same two points (unless
// MORV_FUZZ_COINCIDENT is set).
// Returns false when the figure is beyond the target's bounds (points, segments, pieces).
bool decodeFigure(const std::uint8_t* data, std::size_t size, RTriangleMesh& figure,
                  FuzzMeshSettings& settings);

// Writes the figure with the settings as a two-dimensional document (no script), so that a
// finding can be shown with the program's own mesh command; false when it cannot be written.
bool saveFigureDocument(const RTriangleMesh& figure, const FuzzMeshSettings& settings,
                        const QString& path);

// The area of the domain the figure's closed paths bound, walked through the pieces of their
// segments (a path inside an odd number of others bounds a hole). The domain check builds the
// paths.
double figureDomainArea(const RTriangleMesh& figure);

// Empty when the finished mesh of the generator's figure is sound; otherwise "kind: detail",
// the kind one of "empty mesh", "triangle vertex", "orientation", "overlap", "neighbours",
// "boundary edge", "piece", "unused node", "area", "angle", "unsplit angle". Angles are checked
// only when `angles` is set: no angle below 1 degree, except in triangles near where the
// boundary leaves no room for one (two pieces meeting below 2 degrees, a piece along a channel
// narrower than tan 2 degrees of its length; MeshFuzzing.cpp says how near) and in triangles at
// a corner whose two pieces differ in length more than any mesh without such an angle can
// join (flatAngleForced in mesh/RMeshQuality.h). A flat triangle
// whose three nodes are boundary nodes is an "unsplit angle" (the refinement placed no node
// near it); one with a node the refinement placed is an "angle".
std::string checkFinishedMesh(const RDelaunay& generator, bool angles);

#pragma once
// Which grid points the run monitor watches, and how its three value columns are captioned.

#include <QStringList>
#include <array>

class RMORVDocument;

// The six watch points (0-based grid point numbers of the solver data file): A, B, C of the
// first grid and A2, B2, C2 of the second grid of a two-grid run (0 otherwise).
using RWatchPointSet = std::array<int, 6>;

// `pointCount` is the number of grid points of the solver data file (mesh nodes without the
// three corners of the enclosing triangle); a problem without space dimension watches point 0.
RWatchPointSet watchPoints(int pointCount, int dimension, bool twoGrid);

// The watch points of the document's grid.
RWatchPointSet watchPoints(const RMORVDocument& doc);

// Captions of the value columns for the points A, B and C: empty without space dimension,
// "x,y" of the point on a plane grid, "name=coordinate" along the grid's parameter on a
// one-dimensional grid (with the second grid's coordinate in brackets in a two-grid run).
QStringList watchColumnCaptions(const RMORVDocument& doc, const RWatchPointSet& points);

#pragma once

class RMORVCompile;
class RTriangleMesh;

// The document's integral lists describe the mesh they were loaded with: whoever replaces the
// mesh (a finished two-dimensional generation, a one-dimensional grid build, a new figure
// object) empties them here. True when a list held anything; the caller then raises the
// compile state to 2, since region positions are compiled into the byte code.
bool emptyIntegralLists(RMORVCompile& compiler);

// Whether a figure can be built into a one-dimensional grid: 1 without segments, 2 when its
// points are not one connected group, 0 otherwise.
int checkPath1D(const RTriangleMesh& mesh);

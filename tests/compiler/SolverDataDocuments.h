#pragma once
// Three small documents whose solver data files are kept as golden files: a problem without
// grid, a one-dimensional grid and a two-dimensional stored mesh. Each comes with the byte
// code, literal pool and local variables that compiling its scripts gives, so the writer can
// be checked apart from the compiler.
#include "document/RMORVDocument.h"

#include <memory>

namespace SolverDataDocuments {

enum Shape { NoGrid, Grid1D, Mesh2D };

// The folder of the golden files (tests/compiler/data/datafile/).
QString dataFolder();
// "nogrid", "grid1d" or "mesh2d".
QString baseName(Shape shape);

// The document with its symbols, control data, inputs, figure and mesh, and scripts.
std::unique_ptr<RMORVDocument> document(Shape shape);
// Fills the code sections, literal pool, local variables and local count as a compile does.
void fillCompiledState(Shape shape, RMORVCompile& compiler);

} // namespace SolverDataDocuments

#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class RMORVCompile;
class RMORVDocument;
class RTriangleMesh;
struct SInputData;

// Everything the solver data file is written from: the compiled document (records, literal
// pool, code sections, integral regions), the current input data set, the figure's mesh and the
// chemistry block. The writer reads all of it and changes only the mesh of a problem without
// space parameters (its node and triangle lists end up empty, as the run's dummy grid point is
// written in place of a grid).
struct SolverDataSource {
    RMORVCompile* compiler = nullptr;
    RTriangleMesh* mesh = nullptr;
    const QList<SInputData>* inputSets = nullptr;
    int currentInputSet = 0;
    bool adjustTimeStep = false;
    // Appends the chemistry block (thermo data, and the transport fits when withTransport is not
    // 0) right after the line of the two chemistry flags; false when no block can be written.
    // Called only while the thermo flag is set; empty means there is no chemistry data set.
    std::function<bool(QByteArray& out, int withTransport)> chemistryBlock;
};

// The source for the open document: its compiler object, mesh, current input data set and
// adjust-time-step flag, with the given chemistry block writer.
SolverDataSource solverDataSource(RMORVDocument& doc,
                                  std::function<bool(QByteArray& out, int withTransport)> chemistryBlock);

// The solver data file of the open document: the document's path with the extension ".MVAT$".
QString solverDataFilePath(const RMORVDocument& doc);

// Writes the open document's solver data file to `path` (the ".MVAT$" file or an export) with
// the chemistry block of the document's chemistry data set. Result codes as writeSolverDataFile.
int TempFileOut(RMORVDocument& doc, const QString& path);

// Result codes of writeSolverDataFile.
enum SolverDataFileResult { SolverDataWritten = 0, SolverDataNotCreated = 1, SolverDataWriteError = 2 };

// Writes the solver data file to `path`: 0 written; 1 the file could not be created;
// 2 the document cannot be written (an input data set index outside the list, a thermo flag
// without a chemistry data set, a grid problem without grid points, an integral region that
// does not match the grid) or writing failed. Any file at the path is removed first. Never throws.
int writeSolverDataFile(const SolverDataSource& source, const QString& path);

// The text of the solver data file, or an empty array with `error` set when the document
// cannot be written (the reasons of result 2 above). Changes the mesh as described above.
QByteArray solverDataFileText(const SolverDataSource& source, QString* error = nullptr);

// Names of the integral regions of a two-dimensional problem that name a node outside the grid
// (a line region entry whose magnitude is not a grid point, an area region entry that is not a
// grid point or a list that is not made of whole triples). Empty for other problems, whose
// regions are not written.
QStringList integralRegionsOutsideGrid(const RMORVCompile& compiler, const RTriangleMesh& mesh);

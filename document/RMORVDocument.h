#pragma once
#include "document/RExcrusiveAccess.h"
#include "document/RMORVCompile.h"
#include "document/RTriangleMesh.h"
#include "document/SInputData.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>

// The one open document without any window: what the document file stores, the session's
// identity and flags, and the hold on the document file. The main window owns one and its
// dialogs and editors read and write the members directly.
class RMORVDocument {
public:
    // Script sections, the index of `scripts`.
    enum Section { Assume = 0, SubVariable = 1, Initial = 2, Equation = 3, Terminate = 4 };
    static constexpr int UndoDepth = 30;
    // The file name that stands for a document never loaded from a file.
    static inline const QString EmptyDocumentName = QStringLiteral("$3");

    RMORVDocument();
    RMORVDocument(const RMORVDocument&) = delete;
    RMORVDocument& operator=(const RMORVDocument&) = delete;

    // Turns the document into an empty one with every default. Leaves the script texts,
    // the identity (folder, file name), the named and modified flags, the file hold and the
    // compile list alone.
    void gReset();

    // --- stored in the document file ---
    std::array<QStringList, 5> scripts;      // index: Section
    QStringList symbolDefinition;
    std::unique_ptr<RMORVCompile> compiler;  // control data, symbols, integral regions
    std::unique_ptr<RTriangleMesh> mesh;     // figure and mesh
    QList<SInputData> inputData;             // never empty
    int inputDataIndex = 0;                  // as read or edited; not clamped here
    int meshType = 0;       // 0 automatic, 1 lattice, 2 boundary cells, 3 none, 4 worst-first
    double meshAngle = 0.0; // lattice orientation in degrees
    bool adjustTimeStep = false;  // only then is AUTODELT stored and used

    // --- reset with the document, not stored ---
    double divisionPitch = 0.0;   // length per division proposed for new segments
    int meshCheck1D = -1;         // 0 valid 1-D grid, 1..3 its faults, -1 none or stale
    int compileState = 2;         // 2 full compile, 1 rewrite the solver data file, 0 current

    // --- the session's own; no load or reset touches them ---
    QString documentFolder;       // with a trailing '/'
    QString documentFileName = EmptyDocumentName;
    bool named = false;
    bool modified = false;
    RExcrusiveAccess lock;
    QStringList compileList;      // listing of the last compile
};

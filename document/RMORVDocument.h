#pragma once
#include "document/RDocumentLineReader.h"
#include "document/RExcrusiveAccess.h"
#include "document/RMORVCompile.h"
#include "document/RTriangleMesh.h"
#include "document/SInputData.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>

class QFileInfo;
class QIODevice;
class RSSChem;

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

    // Replaces the document with the contents of a document file, or with an empty document
    // for a path whose file name is EmptyDocumentName. The file is read into a fresh
    // document that is taken over only on success, so a failed load changes nothing here.
    // Creates the path's folder when it is missing and makes it the current directory.
    // 0 read; 1 cannot open; 2 empty; 3 first keyword neither "$VERSION" nor "$MORV";
    // 4 "$VERSION" below 10600; 5 "$VERSION" of 20000 or more; 7 a version 1.6 file with a
    // record the conversion does not know; 8 an unsupported "$MORV" version; 99 any other
    // fault, a reference to a figure or mesh element that does not exist included.
    // Version 2 and 1.6 files are converted, and the completion is told through
    // postMessage once the converted document has been taken over. A file whose bytes are
    // not all UTF-8 (or, for ".MVS", not all in the code page) still loads, and postMessage
    // tells the user that those bytes became replacement characters.
    int loadfile(const QString& path);
    // Writes the document as a version 3 file, atomically: a failure leaves any file at the
    // path as it was. 0 written; 1 the file could not be written (or is held or read-only);
    // 2 refused, nothing written, because a script line, a symbol-definition line or an
    // input data set label reads "$END" (a message names where).
    int savefile(const QString& path) const;
    // Reads one record: its keyword, and its value (one line for a one-line record, the
    // lines up to "$END" for a block). 0 read; -1 at the end of the file (keyword and lines
    // unchanged); 99 a blank line where a record should begin.
    static int read1block(RDocumentLineReader& reader, QString& keyword, QStringList& lines);

    // Turns one script line of a version 1.6 document into the current script language: a
    // "%equ:" label (any case) that stands before the first "#" raises counter and every
    // "%equ:" of the line becomes "MORV_Equation_<counter>="; then "[0]", "[1]", "[2]"
    // become "[<x name>,0]" and so on, with the x parameter's name as it stands now.
    void ConvertEquation(QString line, QString& converted, int& counter) const;

    // The bytes savefile writes for this document.
    QByteArray documentText() const;
    // Where a line that would end its block is held ("the EQUATION script", ...), or empty.
    QString lineThatEndsBlock() const;

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
    // Chemistry data set of the last compile's chemistry preparation; the solver data file
    // carries its block. A successful load drops it with the document it was made for.
    std::shared_ptr<RSSChem> chemistry;

private:
    // Writes the file's bytes to the device line by line; false when a write failed.
    bool writeDocument(QIODevice& device) const;
    int readVersion3(RDocumentLineReader& reader);
    // One record of a version 3 file into this document: 0 read or skipped, 99 a fault.
    int readRecord3(const QString& keyword, const QStringList& lines);
    // The conversions of older files, entered after the first record. 0 converted; 7 (1.6
    // only) a record the conversion does not know; 99 a fault.
    int readVersion2(RDocumentLineReader& reader);
    int readVersion16(RDocumentLineReader& reader);
    int checkLoaded();
    // loadfile once the folder is set: reads the file into a fresh document and takes it over.
    int loadInto(const QFileInfo& info, const QString& fileName);
    void takeContentFrom(RMORVDocument& other);
};

#pragma once
#include <QString>
#include <QStringList>

class RMORVCompile;
struct RPlotShape;

// Outcomes of CreateKurvoFile. Every failure has posted its message when it returns.
enum KurvoFileStatus : int {
    KurvoFileWritten = 0,     // a new plot description file was written
    KurvoFileRefreshed = 1,   // the existing file was kept and its file ID renewed
    KurvoFileNoPlotMode = 2,  // no parameter in use: the old file went to the backup, none written
    KurvoFileUnreadable = 3,  // "Unable to read Kurvo file"; nothing changed
    KurvoFileWriteFailed = 4, // "Unable to write Kurvo file"; no half-written file is left
};

// The plot description file beside the document: the document file name without its
// extension followed by "_MV3.Kurvo".
QString kurvoFileName(const QString& documentFolder, const QString& documentFileName);
// The path with its extension (from the last '.' of the file name) replaced by `extension`,
// which includes the dot; a name without extension gets it appended.
QString withExtension(const QString& path, const QString& extension);

// Writes the plot description file for the open document's complete (incomplete 0, ".MVO3")
// or incomplete (incomplete 1, ".MVO3$") result. An existing file written for the same layout
// is only refreshed, so lines another program or the user added survive a new run; any other
// existing file becomes the backup (".KVbak") and a new file is written.
int CreateKurvoFile(const RMORVCompile& document, const QString& documentFolder,
    const QString& documentFileName, const QString& plotFile, int incomplete);

// The lines of a new plot description file (without line ends and byte-order mark).
// dataFileItem is the second item of the "$DATAFILE" line, fileId that of "$FILEID".
QStringList kurvoFileLines(const RMORVCompile& document, const RPlotShape& shape,
    const QString& dataFileItem, const QString& fileId);

// Reads the creator block of a plot description file: the stored plot mode, 0 when the file
// holds no complete creator block of this program (a malformed one included), -1 when it
// cannot be opened. nVar and nSub are -1 until a creator line is accepted.
int GetCreatorBlock(const QString& file, int& nVar, int& nSub, int& twoGrid, QString& varAttr,
    QString& subAttr);

// Copies file to backupFile and rewrites file from that copy with id as the "$FILEID" line's
// second item; when dataFileItem is not empty and a "$DATAFILE" line names another file, that
// line's second item becomes dataFileItem. Every other line is kept as it was. The new text
// goes to a temporary file that replaces file only after the old file has become the backup.
// False (file unchanged) when the copy, the write or the move of the old file fails.
bool UpdateFileID(const QString& file, const QString& backupFile, const QString& id,
    const QString& dataFileItem = QString());

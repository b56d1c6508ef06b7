#pragma once
// The compile list: the readable record of the last compile (statement listing, symbols,
// chemistry log and statistics) that the compile-list viewer shows and exports.
#include <QString>
#include <QStringList>

class RMORVCompile;

// "---- Compile List : NAME ----" and an empty line: the start of every compile's list.
void compileListHeader(QStringList& list, const QString& documentFileName);

// The group header of one compiled section (0 ASSUME to 4 TERMINATE).
void compileListGroup(QStringList& list, const RMORVCompile& compiler, int section);

// The lines of one compiled statement: its first script line (0-based) with the 1-based code
// position, then every further line of its raw text (joined by CR LF) with its own number.
void SymFileOut(QStringList& list, int firstLine, int codeOffset, const QString& source);

// The symbol listing, the chemistry log (only when chemistryLog is given and the thermo flag is
// set) and the statistics.
void SymListOut(QStringList& list, const RMORVCompile& compiler, const QStringList* chemistryLog);

// The export path: the document's path with the extension changed to ".SYM".
QString compileListExportPath(const QString& documentFolder, const QString& documentFileName);

// Writes the lines as UTF-8 text with a byte-order mark and CR LF line ends, replacing any file
// at the path. False when the file cannot be written.
bool exportCompileList(const QStringList& lines, const QString& path);

#pragma once
// Statement and token scanner shared by the script compiler, the symbol check and the editor.
// Positions are 0-based UTF-16 positions; -1 means nothing more.

#include <QString>
#include <QStringList>

// Token kinds of getToken.
enum TokenKind : int {
    TokOther = 1000,        // any other single character
    TokIdentifier = 1001,   // letter, then letters, digits and "_"
    TokInteger = 1002,
    TokReal = 1003,         // a fraction or an exponent part was scanned
    TokPlus = 1021,
    TokMinus = 1022,
    TokTimes = 1023,
    TokDivide = 1024,
    TokPower = 1025,        // "**"
    TokCaret = 1026,        // "^"
    TokEqual = 1027,
    TokGreater = 1028,
    TokGreaterEqual = 1029, // ">=" or "=>"
    TokLess = 1030,
    TokLessEqual = 1031,    // "<=" or "=<"
    TokNotEqual = 1032,     // "<>" or "><"
    TokTilde = 1033,
    TokBang = 1034,
};

// Reads the statement that starts at line i. raw: its physical lines, each followed by CR LF,
// with trailing characters of code 32 and below removed from the end of the whole. compact:
// its characters without white space, each line cut at its first "#", continuation marks
// (a final "&") removed. Returns the index of the first line after the statement, or -1 when
// i is past the last line or a continuation runs past the last line (raw and compact then
// hold what was read).
int getLine(const QStringList& lines, int i, QString& raw, QString& compact);

// Cuts the token that starts at pos. Returns the position after it, or -1 at or past the end
// (token empty, kind TokOther).
int getToken(const QString& text, int pos, QString& token, int* kind);

// Scans a number from pos; sets kind TokInteger or TokReal; returns the position after it.
int getNumber(const QString& text, int pos, int* kind, int inFraction, int inExponent);

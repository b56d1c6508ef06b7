#pragma once
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVarLengthArray>

// Comma text: fields joined by ","; a field holding a comma, a double quote, a blank or a
// control character is put in double quotes with inner double quotes doubled.
QString commaTextJoin(const QStringList& fields);
// One field as commaTextJoin writes it.
QString commaTextField(const QString& field);

// Splits one line into fields. Runs of blanks and control characters separate fields; a
// field that begins with a double quote runs to the next lone double quote ("" inside stands
// for one) and loses its quotes. With `commas`, a comma also ends a field: after a field,
// blanks, one comma and the blanks after it are skipped, two commas in a row give an empty
// field between them and a comma at the very end gives an empty last field. This reads back
// what commaTextJoin writes.
QStringList splitFields(const QString& line, bool commas);
inline QStringList blankSplit(const QString& line) { return splitFields(line, false); }
inline QStringList commaSplit(const QString& line) { return splitFields(line, true); }
// The fields of a line without double quotes, as commaSplit splits it, but as views into the
// line: nothing is copied, for records read by the hundred thousand. False, with `fields`
// empty, for a line that holds a double quote: commaSplit gives its fields.
using FieldViews = QVarLengthArray<QStringView, 24>;
bool commaSplitViews(QStringView line, FieldViews& fields);

// Blanks and control characters (every code up to the blank).
inline bool isBlankOrControl(QChar c) { return c.unicode() <= 0x20; }
// The text without leading and trailing blanks and control characters.
QString trimBlanks(const QString& text);
QStringView trimBlanksView(QStringView text);
// The text without trailing blanks and control characters.
QString trimRightBlanks(const QString& text);

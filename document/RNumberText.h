#pragma once
#include <QString>

// Numbers of the document file, written and read independently of the user's locale.

// "%22.14E": right-aligned in 22 columns, 14 digits after the point, the exponent with its
// sign and at least two digits; infinities and NaN as "INF", "-INF" and "NAN".
QString formatReal22(double value);
// "%<width>d".
QString formatIntWidth(int value, int width);
// A value in a row of fixed-width fields: one extra blank goes before a value that fills its
// whole field, so that two fields never fuse.
QString fixedReal22(double value);
QString fixedInt(int value, int width);
// The same two fields as bytes written into `buffer` (at least 40 chars), for records written
// by the thousand; the length is returned.
int writeFixedReal22(char* buffer, double value);
int writeFixedInt(char* buffer, int value, int width);
// A finite value with 14 digits after the point and an upper-case E ("-2.50000000000000E+00")
// written into `text` (at least 32 chars); the length is returned.
int writeScientific14(char* text, double value);
// `text` right-aligned in `width` columns of `buffer`, or after one blank when it fills them,
// so that two fields never fuse; the length is returned.
int placeInField(char* buffer, const char* text, int length, int width);
// The general form with up to 15 significant digits: fixed notation for magnitudes from
// 0.00001 with at most 15 digits before the point, else "1.5E20", "1E-6".
QString formatGeneral15(double value);

// A decimal real: optional sign, digits with an optional point, optional exponent (E or e),
// or "INF", "-INF", "NAN"; blanks and control characters around it are allowed.
bool parseReal(QStringView text, double& value);
inline bool parseReal(const QString& text, double& value) { return parseReal(QStringView(text), value); }
// A decimal signed 32-bit integer with blanks around it allowed.
bool parseInt(QStringView text, int& value);
inline bool parseInt(const QString& text, int& value) { return parseInt(QStringView(text), value); }

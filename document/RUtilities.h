#pragma once
#include <QList>
#include <QString>
#include <QStringList>

// Small stateless helpers shared by several subsystems; safe from any thread.

// File version a.b.c.d as a*1000000 + b*10000 + c*100 + d. There are no version resources on
// this platform: the program itself (an empty path, or the path of the running executable)
// answers with the version compiled in; any other file has none and gives 99999999.
int VersionInfo(const QString& path);
// The running program's own version number.
int programVersion();

// The text padded with blanks or cut to exactly `length` characters; empty for length <= 0.
QString FixedLengthString(const QString& text, int length);

// Rounds half away from zero to n significant digits; |x| < 10^(1-n) gives 0. Values whose
// scaled magnitude exceeds a double's precision come back unchanged.
double round45(double x, int n);

// Reorder `index` so that keys[index[i]] * direction does not decrease.
void hsort(QList<int>& index, const double* keys, double direction);
// Case-insensitive order of keys[index[i]], ascending for a positive direction.
void hsort(QList<int>& index, const QStringList& keys, double direction);
// Same order as the real-key hsort, by exchange sort.
void bsort(QList<int>& index, const double* keys, double direction);

// Gradient of the linear function through three points; 0, 0 when they are (nearly) collinear.
void gradient(const double x[3], const double y[3], const double f[3], double& gx, double& gy);

#pragma once
#include <QFont>
#include <QString>
#include <QStringList>

// The family that the settings name by default for script text, a Japanese gothic
// fixed-pitch face of the Windows desktop ("ＭＳ ゴシック" in full-width letters).
QString defaultScriptFontName();

// Free faces of the same kind, best first, that stand in for the default family on a machine
// without it (scripts/install-deps.sh installs the first). The family name itself is kept in
// the settings and shown as it is; only the face that draws it changes.
QStringList defaultScriptFontFaces();

// The font used for script text: the named family when it, or a face standing in for it, is
// installed; otherwise the system's fixed-pitch font. A size below 1 keeps the default size.
QFont scriptFont(const QString& fontName, int fontSize);

// The font of the dialogs' name lists (input data grid, species lists): the default family at
// 12 pixels, drawn as scriptFont draws it.
QFont gothicListFont();

// Whether a family's Latin letters, digits and signs all advance alike. This takes in the
// Japanese gothic faces, whose full-width letters are twice as wide and which the font
// database therefore does not call fixed-pitch. A name that the font database resolves to
// some other family is not a family of its own and gives false.
bool isFixedPitchFamily(const QString& family);

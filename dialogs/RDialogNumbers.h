#pragma once
#include <QString>

// Number fields of the document dialogs. A real must be a finite decimal number: "inf",
// "nan" and anything that overflows fail like any text that is no number. Blanks around the
// number are allowed; the user's locale plays no part.
bool dialogReal(const QString& text, double& value);
// A decimal integer that fits an int, blanks around it allowed; an empty text fails.
bool dialogInt(const QString& text, int& value);

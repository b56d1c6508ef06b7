#pragma once
#include <QString>
#include <QStringList>

class RMORVDocument;

// Symbol blocks of older document files: they carry names only.
enum class OldSymbolClass { Variable, SubVariable, Input, Temporary };

// The class a block keyword ("$VARATTR", "$SUBVATTR", "$INPATTR", "$TEMPATTR") names; false
// for any other keyword.
bool oldSymbolBlock(const QString& keyword, OldSymbolClass& symbolClass);

// Makes names the symbols of their class: the count, the names, empty comments and, for
// variables and sub variables, cell attribute 0. Appends the class's header line and then
// the names to the symbol-definition text.
void setOldSymbols(RMORVDocument& doc, OldSymbolClass symbolClass, const QStringList& names);

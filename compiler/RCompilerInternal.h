#pragma once
// Helpers shared by the expression translator and the statement compiler (not installed).

#include "document/RMORVCompile.h"

#include <QString>

#include <memory>

namespace compiler_internal {

// Position of the local variable "E%03d:" + name of the section, created when missing.
// Works with int positions so that a table grown past the 16-bit index range is noticed.
int localPosition(RMORVCompile& c, int section, const QString& name, bool& isNew);

// The symbol names of every class, upper-cased, with the 1-based position of their first entry.
std::unique_ptr<RMORVCompile::SymbolIndex> indexSymbols(const SSymbolTable& symbols);

// Appends a message and counts it as an error ("(E) ") or a warning ("(W) ").
void addMessage(RMORVCompile& c, const QString& text);

} // namespace compiler_internal

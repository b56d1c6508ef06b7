#pragma once
// What the chemistry targets share: input lines from bytes, and a run of the property routines
// over a data set, as the engine's property calls make them.
#include "chemistry/RSSChem.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The bytes as lines (LF ends a line, a CR before it is dropped), as the compile passes the
// chemistry input.
std::vector<std::string> fuzzLines(const std::uint8_t* data, std::size_t size);

// Calls the thermodynamic and, when fitted, the transport routines at a few temperatures with
// an equal mixture; they must stay inside the data set's arrays whatever it holds.
void exerciseProperties(RSSChem& chem);

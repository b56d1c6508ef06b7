#pragma once

// The two built-in atomic-weight tables: 102 rows each, the elements of atomic number 1 to 100
// in order, then "D" (deuterium) and "E" (the electron). Symbols are upper case.
namespace atomicweights {

constexpr int kRows = 102;
extern const char* const kSymbols[kRows];
// 1961 weights on the carbon-12 scale (mass number of a long-lived isotope where no stable one).
extern const double kOlder[kRows];
// Standard atomic weights of the late 2000s; the older mass numbers where no standard weight.
extern const double kNewer[kRows];

} // namespace atomicweights

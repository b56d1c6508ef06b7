#pragma once

// The tables of reduced collision integrals of the Stockmayer potential that the transport
// fitting interpolates: rows by reduced temperature T*, columns by reduced dipole moment delta*.
namespace collision {

constexpr int kRowsT = 37, kColsD = 8;
extern const double kTStar[kRowsT];
extern const double kDStar[kColsD];
extern const double kOmega11[kRowsT][kColsD];
extern const double kOmega22[kRowsT][kColsD];

} // namespace collision

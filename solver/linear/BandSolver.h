#pragma once
// Band LU with partial pivoting, for problems without a grid and for one-dimensional grids.
//
// Band storage: row r holds the entry of column c at index ml + (c - r), so the diagonal sits
// at index ml; each row needs at least 2*ml + mu + 1 slots, the last ml of them receive the
// fill-in that row interchanges create. After SSMGLUBR the rows hold U (the diagonal and
// above) and, below the diagonal, the multipliers with their sign reversed; pivots[i] is the
// 0-based row exchanged with row i at step i.

#include "solver/linear/SSolverMatrix.h"

// Factorises the N x N band matrix in place. Returns 0 when factorised, 1 when a pivot column's
// largest magnitude, or the last diagonal, is below the tolerance (the rows are then partly
// eliminated and must be rebuilt), and also 1, touching nothing, when the rows are fewer than
// N or narrower than 2*ml + mu + 1. Ties in the pivot search keep the upper row.
int SSMGLUBR(SMatrixRows<double>& rows, SolverIndex N, SolverIndex ml, SolverIndex mu,
             SolverIndex* pivots, double tolerance);

// Overwrites b with the solution of the system factorised by SSMGLUBR. One factorisation
// serves any number of solves.
void SSMGSBR(const SMatrixRows<double>& rows, double* b, SolverIndex N, SolverIndex ml,
             SolverIndex mu, const SolverIndex* pivots);

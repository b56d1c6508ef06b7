#pragma once
// Iterative solvers on row-list storage, for two-dimensional grids.
//
// Row-list storage: a diagonal of N doubles; per row `width` off-diagonal values and `width`
// 1-based column numbers, used slots first, 0 marking the first empty slot. The diagonal entry
// is not in the row lists.
//
// Both solvers end with 0 (converged) when one of three tests passes against the tolerance:
// the 1-norm of the starting residual, sqrt|sigma| of the current search direction, or the
// relative change of x. A stop by the sqrt|sigma| test, which also catches a breakdown with
// sigma near 0, counts as converged only when x is finite and the true residual's 1-norm
// sum|b - A x| is not above the starting one. They end with 1 (not converged) when the maximum
// number of iterations passes (x then holds the last iterate), and at once when the inner
// product rho is 0 or any value turns non-finite. SSMILUCGS also ends with 1 when, after an
// iteration that passed no convergence test, the 2-norm of its preconditioned residual exceeds
// 1e8 times the starting one: CGS can diverge without end on matrices that are not M-matrices.
//
// `iterations` receives the number of iterations performed (0 when the starting residual
// already passes), `residual` the last value tested. The work vectors belong to the calling
// thread and are reused by its later calls, so a run's solves allocate nothing after its first.

#include "solver/linear/SSolverMatrix.h"

// Conjugate gradient squared with a D-ILU preconditioner for a general sparse matrix.
// x is the start vector on entry and the solution on return. `notUsed` is accepted for the
// calling convention only.
int SSMILUCGS(const double* diagonal, const SMatrixRows<double>& rowValues,
              const SMatrixRows<SolverIndex>& rowColumns, const double* b, double* x, SolverIndex N,
              SolverIndex width, double notUsed, SolverIndex maxIterations, double tolerance,
              SolverIndex& iterations, double& residual);

// Preconditioned conjugate gradient for a symmetric matrix. Only the strictly lower part of
// the row lists is read; the rows must have 2*width slots, and the mirrored upper part is
// written into slots width ... of each row. omega selects the preconditioner: 0 an incomplete
// Cholesky diagonal, otherwise a modified one. Also 1, before any iteration, when the rows
// are narrower than 2*width or a row's mirrored entries do not fit in width slots.
int SSMPCG(const double* diagonal, SMatrixRows<double>& rowValues,
           SMatrixRows<SolverIndex>& rowColumns, const double* b, double* x, SolverIndex N,
           SolverIndex width, double omega, SolverIndex maxIterations, double tolerance,
           SolverIndex& iterations, double& residual);

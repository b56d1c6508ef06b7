#pragma once
// The external sparse solver's call contract (QX_Sparse), served by a sparse direct LU.
//
// The system is given as a list of non-zeros (value, 1-based row, 1-based column) without
// duplicate positions. The solver keeps the ordering and symbolic analysis of the last pattern
// and reuses it, together with its numeric storage, while later calls give the same rows and
// columns in the same order; a changed pattern is analysed afresh. After the first call of a
// pattern, a call allocates nothing unless the reused pivot order turns out poor and a fresh
// factorisation is needed.
//
// Not thread-safe: one object per run.

#include "solver/linear/SSolverMatrix.h"

#include <memory>
#include <vector>

// Status codes of QX_Sparse.
inline constexpr int kSparseSolved = 0;
inline constexpr int kSparseSingular = 1;    // singular or numerically singular matrix
inline constexpr int kSparseInvalidList = 2; // N < 1, nz < 0, a row or column outside 1..N, or a
                                             // position listed twice
inline constexpr int kSparseFailed = 3;      // out of memory or another failure of the LU

class RSparseDirectSolver {
public:
    RSparseDirectSolver();
    ~RSparseDirectSolver();
    RSparseDirectSolver(const RSparseDirectSolver&) = delete;
    RSparseDirectSolver& operator=(const RSparseDirectSolver&) = delete;

    // Solves the N x N system of the nz listed non-zeros for the right-hand side; on status 0
    // `solution` holds the solution, on any other status its contents are unspecified. The two
    // work-area sizes are part of the calling convention; this solver manages its own memory
    // and does not read them. rightHandSide and solution may be the same array.
    void QX_Sparse(const SolverIndex& N, const SolverIndex& nz, const double* values,
                   const SolverIndex* rows, const SolverIndex* columns, const double* rightHandSide,
                   double* solution, const SolverIndex& workSize1, const SolverIndex& workSize2,
                   int& status);

    // How many times the current object analysed a pattern, and how many numeric
    // factorisations it made from scratch (the rest reused the previous pivot order).
    SolverIndex analysisCount() const { return analyses_; }
    SolverIndex fullFactorisationCount() const { return fullFactorisations_; }

private:
    struct Impl;
    bool samePattern(SolverIndex N, SolverIndex nz, const SolverIndex* rows,
                     const SolverIndex* columns) const;
    int analyse(SolverIndex N, SolverIndex nz, const SolverIndex* rows, const SolverIndex* columns);
    int factorise();
    void releaseFactors();

    std::unique_ptr<Impl> impl_;
    SolverIndex N_ = 0;
    SolverIndex nz_ = 0;
    std::vector<SolverIndex> patternRows_;    // the analysed pattern, as listed
    std::vector<SolverIndex> patternColumns_;
    std::vector<SolverIndex> columnStart_;    // compressed columns, rows ascending
    std::vector<SolverIndex> rowIndex_;
    std::vector<double> columnValues_;
    std::vector<SolverIndex> listToColumnSlot_; // position of each listed non-zero in columnValues_
    std::vector<double> rowScale_;              // largest magnitude per row
    std::vector<SolverIndex> listByRow_;        // the listed non-zeros ordered by row
    std::vector<SolverIndex> scratch_;
    double spreadOfLastFullFactorisation_ = 0.0; // smallest over largest pivot
    SolverIndex analyses_ = 0;
    SolverIndex fullFactorisations_ = 0;
};

#pragma once
// The external sparse solver's call contract (QX_Sparse), served by a sparse direct LU.
//
// The system is given as a list of non-zeros (value, 1-based row, 1-based column) without
// duplicate positions. The solver keeps the ordering and symbolic analysis of the last pattern
// and reuses it while later calls give the same rows and columns in the same order (UMFPACK:
// while their positions lie within the analysed pattern); a changed pattern is analysed afresh.
// A call whose list is the one factorised last, position for position and value for value
// (after the row scaling), solves with the factors held instead of factorising again: they are
// the factors a new factorisation would make, so the solution is the same to the last bit.
//
// Two LU codes of SuiteSparse serve the contract, chosen when the solver is made:
// - SparseLU::Klu (one-dimensional grids): KLU, a left-looking LU that
//   also reuses the previous pivot order and its numeric storage, so that after the first call
//   of a pattern a call allocates nothing unless the reused order turns out poor and a fresh
//   factorisation is needed. It suits the narrow band-like patterns of a line of points.
// - SparseLU::Umfpack (two-dimensional grids): UMFPACK, a multifrontal LU after a fill-reducing
//   ordering, with dense kernels for its frontal matrices; every call factorises afresh with
//   threshold pivoting on the kept analysis. On the stencil matrices of a plane mesh its factors
//   have a fraction of the other's fill, and its time grows far slower with the mesh.
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

enum class SparseLU { Klu, Umfpack };

class RSparseDirectSolver {
public:
    explicit RSparseDirectSolver(SparseLU lu = SparseLU::Klu);
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

    // UMFPACK only (KLU ignores it and returns 0): analyses in advance the positions that the
    // later lists will lie within, given as QX_Sparse's lists are. A caller that knows the
    // structure of its matrices so spares the analyses of lists that differ only in the
    // entries they leave out. Status as QX_Sparse's: 0, 2 (a malformed list) or 3.
    int analysePattern(SolverIndex N, SolverIndex count, const SolverIndex* rows,
                       const SolverIndex* columns);

    SparseLU lu() const { return lu_; }

    // What the factorisation of the last call tells about its matrix:
    // - pivotSpread(): after status 0, smallest over largest pivot magnitude of the row-scaled
    //   matrix's factors (free: the factorisation reports it);
    // - weakestUnknown(): after status 1, the 0-based unknown of the smallest pivot, -1 when
    //   the factorisation gave none.
    // solveAgain() solves the system of the last call that solved (status 0), or its transpose,
    // for another right-hand side with the kept factors; b and x must differ. False when no
    // factors are kept.
    double pivotSpread() const { return pivotSpread_; }
    bool solveAgain(bool transposed, const double* b, double* x);
    SolverIndex weakestUnknown() const { return weakestUnknown_; }

    // How many times the current object analysed a pattern, how many numeric factorisations it
    // made from scratch (KLU's other factorisations reused the previous pivot order; UMFPACK
    // chooses its pivots in every factorisation), how many numeric factorisations of either
    // kind it made, and how many calls solved with the factors already held because their list
    // was the one factorised, position for position and bit for bit.
    SolverIndex analysisCount() const { return analyses_; }
    SolverIndex fullFactorisationCount() const { return fullFactorisations_; }
    SolverIndex factorisationCount() const { return factorisations_; }
    SolverIndex reusedFactorisationCount() const { return reusedFactorisations_; }

    // Off, every call factorises its list afresh (for comparison: the results are the same).
    void setFactorisationReuse(bool on) { reuseFactorisation_ = on; }

private:
    struct Impl;
    bool samePattern(SolverIndex N, SolverIndex nz, const SolverIndex* rows,
                     const SolverIndex* columns) const;
    int analyse(SolverIndex N, SolverIndex nz, const SolverIndex* rows, const SolverIndex* columns);
    // UMFPACK only: maps a list into the analysed pattern (status 0), refuses it (2), or tells
    // that a position lies outside the pattern (-1); the analysis is then made for the union of
    // the list and the previous pattern.
    int mapIntoAnalysedPattern(SolverIndex N, SolverIndex nz, const SolverIndex* rows,
                               const SolverIndex* columns);
    int analyseWithPreviousPattern(SolverIndex N, SolverIndex nz, const SolverIndex* rows,
                                   const SolverIndex* columns);
    int factorise();
    void releaseFactors();

    int factoriseKlu();
    int factoriseUmfpack();

    std::unique_ptr<Impl> impl_;
    SparseLU lu_ = SparseLU::Klu;
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
    std::vector<SolverIndex> slotMark_;       // per analysed position: the round that met it
    SolverIndex markRound_ = 0;
    std::vector<SolverIndex> mappedSlots_;
    std::vector<double> scaledRightHandSide_;   // UMFPACK solve: its input and output differ
    std::vector<SolverIndex> solveIndexWork_;   // UMFPACK solve's work arrays
    std::vector<double> solveValueWork_;
    double spreadOfLastFullFactorisation_ = 0.0; // smallest over largest pivot
    // The factors held are those of columnValues_ as it stands (the pattern's current list
    // scattered and scaled); cleared whenever either changes without a factorisation.
    bool factorsHeld_ = false;
    // Whether the last factorisation is the one the next would make of the same values: always
    // with UMFPACK; with KLU only a refactorisation on the kept pivot order, as the next call
    // would make one (a fresh factorisation need not round exactly as a refactorisation does).
    bool factorsRepeatable_ = false;
    bool reuseFactorisation_ = true;
    void findWeakestUnknown();
    double pivotSpread_ = 0.0;                  // of the factors in use
    SolverIndex weakestUnknown_ = -1;
    SolverIndex analyses_ = 0;
    SolverIndex fullFactorisations_ = 0;
    SolverIndex factorisations_ = 0;
    SolverIndex reusedFactorisations_ = 0;
};

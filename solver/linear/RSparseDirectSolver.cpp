#include "solver/linear/RSparseDirectSolver.h"

#include "solver/linear/RLargeBlockMemory.h"

#include <klu.h>
#include <umfpack.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <type_traits>

static_assert(std::is_same_v<SolverIndex, SuiteSparse_long>,
              "the sparse LU's 64-bit index must be the solver's index type");

namespace {
// mapIntoAnalysedPattern: a listed position lies outside the analysed pattern.
constexpr int kNotContained = -1;
// A factorisation whose smallest pivot is this far below its largest counts as singular, as
// the band solver's absolute pivot tolerance does; each row is scaled by its largest entry
// first, so the pivots compared here are relative.
constexpr double kSingularPivotRatio = 1e-15;
// Reusing the previous pivot order is accepted while the pivots' spread (smallest over
// largest) stays within this factor of the one a fresh factorisation gave; a pivot order that
// no longer fits the values shows as a pivot that has shrunk or grown out of proportion, and
// the pivots are then chosen afresh. (The pivot growth over the whole factors would tell the
// same at several times the cost of the factorisation itself.)
constexpr double kReusedPivotSpreadRatio = 1e-2;
} // namespace

struct RSparseDirectSolver::Impl {
    klu_l_common common;
    klu_l_symbolic* symbolic = nullptr;
    klu_l_numeric* numeric = nullptr;

    double umfControl[UMFPACK_CONTROL];
    double umfInfo[UMFPACK_INFO];
    void* umfSymbolic = nullptr;
    void* umfNumeric = nullptr;

    bool analysed() const { return symbolic || umfSymbolic; }
};

RSparseDirectSolver::RSparseDirectSolver(SparseLU lu) : impl_(std::make_unique<Impl>()), lu_(lu)
{
    adviseLargeBlocksOfSparseLU();
    klu_l_defaults(&impl_->common);
    // Rows are scaled here, while the values are scattered into the compressed columns: the
    // library's own scaling pass would also re-check the pattern this class has already
    // validated, and costs more than the refactorisation itself.
    impl_->common.scale = -1;

    double* control = impl_->umfControl;
    umfpack_dl_defaults(control);
    // The same row scaling as above, done here; no iterative refinement, as with KLU: the
    // Newton iteration corrects what the solve leaves.
    control[UMFPACK_SCALE] = UMFPACK_SCALE_NONE;
    control[UMFPACK_IRSTEP] = 0;
    // Minimum degree, and nested dissection in its place when minimum degree leaves much
    // fill: on large plane meshes nested dissection gives a third less fill and numeric work,
    // which every Newton iteration's factorisation saves again; on small ones its dearer
    // analysis does not pay.
    control[UMFPACK_ORDERING] = UMFPACK_ORDERING_CHOLMOD;
    // The ordering of A + A' with diagonal pivots preferred: the stencil matrices have a full
    // diagonal and a nearly symmetric pattern. Left to choose, the library takes the
    // unsymmetric strategy for a pattern analysed in advance, whose boundary rows list their
    // stencils' positions too, and its factors then cost several times the work.
    control[UMFPACK_STRATEGY] = UMFPACK_STRATEGY_SYMMETRIC;
}

RSparseDirectSolver::~RSparseDirectSolver()
{
    releaseFactors();
    releaseKeptBlocks();
}

void RSparseDirectSolver::releaseFactors()
{
    factorsHeld_ = false;
    if (impl_->numeric)
        klu_l_free_numeric(&impl_->numeric, &impl_->common);
    if (impl_->symbolic)
        klu_l_free_symbolic(&impl_->symbolic, &impl_->common);
    if (impl_->umfNumeric)
        umfpack_dl_free_numeric(&impl_->umfNumeric);
    if (impl_->umfSymbolic)
        umfpack_dl_free_symbolic(&impl_->umfSymbolic);
}

bool RSparseDirectSolver::samePattern(SolverIndex N, SolverIndex nz, const SolverIndex* rows,
                                      const SolverIndex* columns) const
{
    if (!impl_->analysed() || N != N_ || nz != nz_)
        return false;
    const std::size_t bytes = static_cast<std::size_t>(nz) * sizeof(SolverIndex);
    return nz == 0
           || (std::memcmp(rows, patternRows_.data(), bytes) == 0
               && std::memcmp(columns, patternColumns_.data(), bytes) == 0);
}

int RSparseDirectSolver::mapIntoAnalysedPattern(SolverIndex N, SolverIndex nz,
                                                 const SolverIndex* rows, const SolverIndex* columns)
{
    if (!impl_->analysed() || N != N_)
        return kNotContained;
    const std::size_t slots = rowIndex_.size();
    if (slotMark_.size() != slots)
        slotMark_.assign(slots, 0);
    ++markRound_;
    mappedSlots_.resize(static_cast<std::size_t>(nz));
    bool contained = true;
    for (SolverIndex t = 0; t < nz; ++t) {
        if (rows[t] < 1 || rows[t] > N || columns[t] < 1 || columns[t] > N)
            return kSparseInvalidList;
        if (!contained)
            continue;
        const std::size_t c = static_cast<std::size_t>(columns[t] - 1);
        const SolverIndex* first = rowIndex_.data() + columnStart_[c];
        const SolverIndex* last = rowIndex_.data() + columnStart_[c + 1];
        const SolverIndex* at = std::lower_bound(first, last, rows[t] - 1);
        if (at == last || *at != rows[t] - 1) {
            contained = false;
            continue;
        }
        const std::size_t slot = static_cast<std::size_t>(at - rowIndex_.data());
        if (slotMark_[slot] == markRound_)
            return kSparseInvalidList; // a position listed twice
        slotMark_[slot] = markRound_;
        mappedSlots_[static_cast<std::size_t>(t)] = static_cast<SolverIndex>(slot);
    }
    if (!contained)
        return kNotContained;
    listToColumnSlot_.swap(mappedSlots_);
    patternRows_.assign(rows, rows + nz);
    patternColumns_.assign(columns, columns + nz);
    nz_ = nz;
    return kSparseSolved;
}

int RSparseDirectSolver::analyseWithPreviousPattern(SolverIndex N, SolverIndex nz,
                                                    const SolverIndex* rows,
                                                    const SolverIndex* columns)
{
    // The listed positions first, then those of the analysed pattern that the list does not
    // hold (the marks of the failed mapping tell which were met before it stopped, so they are
    // set afresh here).
    std::vector<SolverIndex> unionRows(rows, rows + nz), unionColumns(columns, columns + nz);
    if (impl_->analysed() && N == N_) {
        ++markRound_;
        for (SolverIndex t = 0; t < nz; ++t) {
            const std::size_t c = static_cast<std::size_t>(columns[t] - 1);
            const SolverIndex* first = rowIndex_.data() + columnStart_[c];
            const SolverIndex* last = rowIndex_.data() + columnStart_[c + 1];
            const SolverIndex* at = std::lower_bound(first, last, rows[t] - 1);
            if (at != last && *at == rows[t] - 1)
                slotMark_[static_cast<std::size_t>(at - rowIndex_.data())] = markRound_;
        }
        for (std::size_t c = 0; c + 1 < columnStart_.size(); ++c)
            for (SolverIndex s = columnStart_[c]; s < columnStart_[c + 1]; ++s)
                if (slotMark_[static_cast<std::size_t>(s)] != markRound_) {
                    unionRows.push_back(rowIndex_[static_cast<std::size_t>(s)] + 1);
                    unionColumns.push_back(static_cast<SolverIndex>(c) + 1);
                }
    }
    const SolverIndex count = static_cast<SolverIndex>(unionRows.size());
    const int analysed = analyse(N, count, unionRows.data(), unionColumns.data());
    if (analysed != kSparseSolved)
        return analysed;
    listToColumnSlot_.resize(static_cast<std::size_t>(nz));
    patternRows_.assign(rows, rows + nz);
    patternColumns_.assign(columns, columns + nz);
    nz_ = nz;
    slotMark_.assign(rowIndex_.size(), 0);
    markRound_ = 0;
    return kSparseSolved;
}

int RSparseDirectSolver::analyse(SolverIndex N, SolverIndex nz, const SolverIndex* rows,
                                 const SolverIndex* columns)
{
    for (SolverIndex t = 0; t < nz; ++t)
        if (rows[t] < 1 || rows[t] > N || columns[t] < 1 || columns[t] > N)
            return kSparseInvalidList;

    releaseFactors();
    N_ = 0;
    nz_ = 0;
    const std::size_t n = static_cast<std::size_t>(N);
    const std::size_t count = static_cast<std::size_t>(nz);

    // Order the list by row (counting sort), then distribute it into columns in that order:
    // each column's rows come out ascending, and every listed non-zero learns its slot.
    scratch_.assign(n + 1, 0);
    for (SolverIndex t = 0; t < nz; ++t)
        ++scratch_[static_cast<std::size_t>(rows[t])];
    for (std::size_t r = 1; r <= n; ++r)
        scratch_[r] += scratch_[r - 1];
    listByRow_.resize(count);
    for (SolverIndex t = 0; t < nz; ++t)
        listByRow_[static_cast<std::size_t>(scratch_[static_cast<std::size_t>(rows[t] - 1)]++)] = t;

    columnStart_.assign(n + 1, 0);
    for (SolverIndex t = 0; t < nz; ++t)
        ++columnStart_[static_cast<std::size_t>(columns[t])];
    for (std::size_t c = 1; c <= n; ++c)
        columnStart_[c] += columnStart_[c - 1];
    scratch_.assign(columnStart_.begin(), columnStart_.end() - 1); // next free slot per column
    rowIndex_.resize(count);
    listToColumnSlot_.resize(count);
    for (SolverIndex t : listByRow_) {
        const std::size_t c = static_cast<std::size_t>(columns[t] - 1);
        const SolverIndex slot = scratch_[c]++;
        rowIndex_[static_cast<std::size_t>(slot)] = rows[t] - 1;
        listToColumnSlot_[static_cast<std::size_t>(t)] = slot;
    }
    for (std::size_t c = 0; c < n; ++c)
        for (SolverIndex s = columnStart_[c] + 1; s < columnStart_[c + 1]; ++s)
            if (rowIndex_[static_cast<std::size_t>(s)] == rowIndex_[static_cast<std::size_t>(s - 1)])
                return kSparseInvalidList;
    columnValues_.assign(count, 0.0);
    rowScale_.assign(n, 1.0);

    if (lu_ == SparseLU::Klu) {
        impl_->symbolic = klu_l_analyze(N, columnStart_.data(), rowIndex_.data(), &impl_->common);
        if (!impl_->symbolic)
            return impl_->common.status == KLU_INVALID ? kSparseInvalidList : kSparseFailed;
    } else {
        // Analysed from the pattern alone (no values), so that the analysis depends on nothing
        // that changes while it is kept.
        const SuiteSparse_long status =
            umfpack_dl_symbolic(N, N, columnStart_.data(), rowIndex_.data(), nullptr,
                                &impl_->umfSymbolic, impl_->umfControl, impl_->umfInfo);
        if (status != UMFPACK_OK) {
            if (impl_->umfSymbolic)
                umfpack_dl_free_symbolic(&impl_->umfSymbolic);
            return status == UMFPACK_ERROR_invalid_matrix ? kSparseInvalidList : kSparseFailed;
        }
        scaledRightHandSide_.assign(n, 0.0);
        solveIndexWork_.assign(n, 0);
        solveValueWork_.assign(n, 0.0);
    }
    ++analyses_;
    patternRows_.assign(rows, rows + nz);
    patternColumns_.assign(columns, columns + nz);
    N_ = N;
    nz_ = nz;
    return kSparseSolved;
}

int RSparseDirectSolver::factorise()
{
    ++factorisations_;
    factorsRepeatable_ = lu_ == SparseLU::Umfpack;
    weakestUnknown_ = -1;
    return lu_ == SparseLU::Klu ? factoriseKlu() : factoriseUmfpack();
}

int RSparseDirectSolver::factoriseUmfpack()
{
    if (impl_->umfNumeric)
        umfpack_dl_free_numeric(&impl_->umfNumeric);
    const SuiteSparse_long status =
        umfpack_dl_numeric(columnStart_.data(), rowIndex_.data(), columnValues_.data(),
                           impl_->umfSymbolic, &impl_->umfNumeric, impl_->umfControl,
                           impl_->umfInfo);
    ++fullFactorisations_;
    // The reciprocal pivot spread, smallest over largest magnitude of U's diagonal, as KLU
    // estimates it; a structurally or numerically zero pivot gives 0.
    const double spread = impl_->umfInfo[UMFPACK_RCOND];
    pivotSpread_ = spread;
    if (status == UMFPACK_OK && !(spread < kSingularPivotRatio))
        return kSparseSolved;
    findWeakestUnknown();
    if (impl_->umfNumeric)
        umfpack_dl_free_numeric(&impl_->umfNumeric);
    if (status == UMFPACK_OK || status == UMFPACK_WARNING_singular_matrix)
        return kSparseSingular;
    return status == UMFPACK_ERROR_invalid_matrix ? kSparseInvalidList : kSparseFailed;
}

int RSparseDirectSolver::factoriseKlu()
{
    klu_l_common& common = impl_->common;
    SolverIndex* Ap = columnStart_.data();
    SolverIndex* Ai = rowIndex_.data();
    double* Ax = columnValues_.data();

    if (impl_->numeric) {
        // Same pattern as before: try the previous pivot order, which needs no allocation.
        if (klu_l_refactor(Ap, Ai, Ax, impl_->symbolic, impl_->numeric, &common)
            && klu_l_rcond(impl_->symbolic, impl_->numeric, &common)
            && !(common.rcond < kReusedPivotSpreadRatio * spreadOfLastFullFactorisation_)
            && !(common.rcond < kSingularPivotRatio)) {
            factorsRepeatable_ = true;
            pivotSpread_ = common.rcond;
            return kSparseSolved;
        }
        klu_l_free_numeric(&impl_->numeric, &common);
    }

    impl_->numeric = klu_l_factor(Ap, Ai, Ax, impl_->symbolic, &common);
    ++fullFactorisations_;
    if (!impl_->numeric) {
        if (common.status == KLU_SINGULAR) {
            weakestUnknown_ = common.singular_col < N_ ? common.singular_col : -1;
            return kSparseSingular;
        }
        return common.status == KLU_INVALID ? kSparseInvalidList : kSparseFailed;
    }
    if (!klu_l_rcond(impl_->symbolic, impl_->numeric, &common)) {
        klu_l_free_numeric(&impl_->numeric, &common);
        return kSparseFailed;
    }
    if (common.rcond < kSingularPivotRatio) {
        // Not kept: the next call chooses its pivots afresh.
        findWeakestUnknown();
        klu_l_free_numeric(&impl_->numeric, &common);
        return kSparseSingular;
    }
    spreadOfLastFullFactorisation_ = common.rcond;
    pivotSpread_ = common.rcond;
    return kSparseSolved;
}

int RSparseDirectSolver::analysePattern(SolverIndex N, SolverIndex count, const SolverIndex* rows,
                                        const SolverIndex* columns)
{
    if (lu_ != SparseLU::Umfpack)
        return kSparseSolved;
    if (N < 1 || count < 1 || !rows || !columns)
        return kSparseInvalidList;
    try {
        const int analysed = analyse(N, count, rows, columns);
        if (analysed != kSparseSolved)
            return analysed;
    } catch (const std::bad_alloc&) {
        releaseFactors();
        N_ = 0;
        return kSparseFailed;
    }
    // No list has been mapped yet: the next one is looked up in the pattern.
    patternRows_.clear();
    patternColumns_.clear();
    nz_ = -1;
    slotMark_.assign(rowIndex_.size(), 0);
    markRound_ = 0;
    return kSparseSolved;
}

void RSparseDirectSolver::QX_Sparse(const SolverIndex& N, const SolverIndex& nz, const double* values,
                                    const SolverIndex* rows, const SolverIndex* columns,
                                    const double* rightHandSide, double* solution,
                                    const SolverIndex& /*workSize1*/, const SolverIndex& /*workSize2*/,
                                    int& status)
{
    if (N < 1 || nz < 0 || (nz > 0 && (!values || !rows || !columns)) || !rightHandSide || !solution) {
        status = kSparseInvalidList;
        return;
    }
    if (nz == 0) {
        status = kSparseSingular; // no entries at all
        return;
    }
    try {
        const bool patternKept = samePattern(N, nz, rows, columns);
        if (!patternKept || !reuseFactorisation_)
            factorsHeld_ = false;
        if (!patternKept) {
            int analysed = kSparseSolved;
            if (lu_ == SparseLU::Klu) {
                analysed = analyse(N, nz, rows, columns);
            } else {
                // The Jacobian of a plane mesh drops an entry wherever a difference quotient
                // comes out below 1e-20, so its pattern varies from one Newton iteration to
                // the next within the stencils' pattern. A list inside the analysed pattern
                // keeps the analysis (its other positions hold zeros); one that leaves it is
                // analysed together with the previous pattern, so the two alternate no more.
                analysed = mapIntoAnalysedPattern(N, nz, rows, columns);
                if (analysed == kNotContained)
                    analysed = analyseWithPreviousPattern(N, nz, rows, columns);
            }
            if (analysed != kSparseSolved) {
                status = analysed;
                return;
            }
        }
        // Each row divided by its largest magnitude (a row of zeros by 1), so that pivoting
        // and the singularity test see rows of comparable size.
        std::fill(rowScale_.begin(), rowScale_.end(), 0.0);
        for (SolverIndex t = 0; t < nz; ++t) {
            double& scale = rowScale_[static_cast<std::size_t>(rows[t] - 1)];
            const double magnitude = std::fabs(values[t]);
            if (magnitude > scale)
                scale = magnitude;
        }
        for (double& scale : rowScale_)
            if (scale == 0.0)
                scale = 1.0;
        // The factors depend on nothing but the scaled values in their columns: when these
        // come out bit for bit as the ones factorised (the same list of a Newton iteration that
        // forms the same Jacobian again), a factorisation would make the same factors, and the
        // ones held serve as they are; the right-hand side is scaled by the rows' scales of now.
        // Any other value, -0 for 0 included, factorises afresh.
        bool same = factorsHeld_;
        if (!same && lu_ == SparseLU::Umfpack)
            std::fill(columnValues_.begin(), columnValues_.end(), 0.0); // unlisted positions
        for (SolverIndex t = 0; t < nz; ++t) {
            double& slot =
                columnValues_[static_cast<std::size_t>(listToColumnSlot_[static_cast<std::size_t>(t)])];
            const double scaled = values[t] / rowScale_[static_cast<std::size_t>(rows[t] - 1)];
            same = same && std::bit_cast<std::uint64_t>(scaled) == std::bit_cast<std::uint64_t>(slot);
            slot = scaled;
        }

        if (same) {
            ++reusedFactorisations_;
        } else {
            factorsHeld_ = false;
            const int factorised = factorise();
            if (factorised != kSparseSolved) {
                status = factorised;
                return;
            }
            factorsHeld_ = factorsRepeatable_;
        }
        if (lu_ == SparseLU::Klu) {
            for (SolverIndex i = 0; i < N; ++i)
                solution[i] = rightHandSide[i] / rowScale_[static_cast<std::size_t>(i)];
            if (!klu_l_solve(impl_->symbolic, impl_->numeric, N, 1, solution, &impl_->common)) {
                status = kSparseFailed;
                return;
            }
        } else {
            double* b = scaledRightHandSide_.data();
            for (SolverIndex i = 0; i < N; ++i)
                b[i] = rightHandSide[i] / rowScale_[static_cast<std::size_t>(i)];
            if (umfpack_dl_wsolve(UMFPACK_A, columnStart_.data(), rowIndex_.data(),
                                  columnValues_.data(), solution, b, impl_->umfNumeric,
                                  impl_->umfControl, impl_->umfInfo, solveIndexWork_.data(),
                                  solveValueWork_.data())
                != UMFPACK_OK) {
                status = kSparseFailed;
                return;
            }
        }
        status = kSparseSolved;
    } catch (const std::bad_alloc&) {
        releaseFactors();
        N_ = 0;
        status = kSparseFailed;
    }
}

void RSparseDirectSolver::findWeakestUnknown()
{
    weakestUnknown_ = -1;
    const std::size_t n = static_cast<std::size_t>(N_);
    // The pivots in elimination order and the unknown (column) of each.
    std::vector<double> pivots(n);
    std::vector<SolverIndex> columnOf(n);
    if (lu_ == SparseLU::Umfpack) {
        if (!impl_->umfNumeric)
            return;
        SuiteSparse_long reciprocal = 0;
        if (umfpack_dl_get_numeric(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   columnOf.data(), pivots.data(), &reciprocal, nullptr,
                                   impl_->umfNumeric)
            != UMFPACK_OK)
            return;
    } else {
        if (!impl_->numeric || !impl_->numeric->Udiag)
            return;
        const double* diagonal = static_cast<const double*>(impl_->numeric->Udiag);
        std::copy(diagonal, diagonal + n, pivots.begin());
        std::copy(impl_->symbolic->Q, impl_->symbolic->Q + n, columnOf.begin());
    }
    double smallest = std::numeric_limits<double>::infinity();
    for (std::size_t k = 0; k < n; ++k) {
        const double a = std::fabs(pivots[k]);
        if (!(a >= smallest)) { // a NaN pivot counts as the smallest
            smallest = a;
            weakestUnknown_ = columnOf[k];
        }
    }
}

bool RSparseDirectSolver::solveAgain(bool transposed, const double* b, double* x)
{
    const SolverIndex N = N_;
    if (N < 1 || !(impl_->umfNumeric || impl_->numeric))
        return false;
    const std::size_t n = static_cast<std::size_t>(N);
    // The factors are those of the row-scaled matrix S A, S = diag(1 / rowScale_):
    // A^-1 b = (S A)^-1 (S b) and A^-T b = S (S A)^-T b.
    double* in = scaledRightHandSide_.data();
    if (lu_ == SparseLU::Umfpack) {
        for (std::size_t i = 0; i < n; ++i)
            in[i] = transposed ? b[i] : b[i] / rowScale_[i];
        if (umfpack_dl_wsolve(transposed ? UMFPACK_At : UMFPACK_A, columnStart_.data(),
                              rowIndex_.data(), columnValues_.data(), x, in, impl_->umfNumeric,
                              impl_->umfControl, impl_->umfInfo, solveIndexWork_.data(),
                              solveValueWork_.data())
            != UMFPACK_OK)
            return false;
    } else {
        for (std::size_t i = 0; i < n; ++i)
            x[i] = transposed ? b[i] : b[i] / rowScale_[i];
        if (!(transposed ? klu_l_tsolve(impl_->symbolic, impl_->numeric, N, 1, x, &impl_->common)
                         : klu_l_solve(impl_->symbolic, impl_->numeric, N, 1, x, &impl_->common)))
            return false;
    }
    if (transposed)
        for (std::size_t i = 0; i < n; ++i)
            x[i] /= rowScale_[i];
    return true;
}

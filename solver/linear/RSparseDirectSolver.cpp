#include "solver/linear/RSparseDirectSolver.h"

#include <klu.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <type_traits>

static_assert(std::is_same_v<SolverIndex, SuiteSparse_long>,
              "the sparse LU's 64-bit index must be the solver's index type");

namespace {
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
};

RSparseDirectSolver::RSparseDirectSolver() : impl_(std::make_unique<Impl>())
{
    klu_l_defaults(&impl_->common);
    // Rows are scaled here, while the values are scattered into the compressed columns: the
    // library's own scaling pass would also re-check the pattern this class has already
    // validated, and costs more than the refactorisation itself.
    impl_->common.scale = -1;
}

RSparseDirectSolver::~RSparseDirectSolver()
{
    releaseFactors();
}

void RSparseDirectSolver::releaseFactors()
{
    if (impl_->numeric)
        klu_l_free_numeric(&impl_->numeric, &impl_->common);
    if (impl_->symbolic)
        klu_l_free_symbolic(&impl_->symbolic, &impl_->common);
}

bool RSparseDirectSolver::samePattern(SolverIndex N, SolverIndex nz, const SolverIndex* rows,
                                      const SolverIndex* columns) const
{
    if (!impl_->symbolic || N != N_ || nz != nz_)
        return false;
    const std::size_t bytes = static_cast<std::size_t>(nz) * sizeof(SolverIndex);
    return nz == 0
           || (std::memcmp(rows, patternRows_.data(), bytes) == 0
               && std::memcmp(columns, patternColumns_.data(), bytes) == 0);
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

    impl_->symbolic = klu_l_analyze(N, columnStart_.data(), rowIndex_.data(), &impl_->common);
    if (!impl_->symbolic)
        return impl_->common.status == KLU_INVALID ? kSparseInvalidList : kSparseFailed;
    ++analyses_;
    patternRows_.assign(rows, rows + nz);
    patternColumns_.assign(columns, columns + nz);
    N_ = N;
    nz_ = nz;
    return kSparseSolved;
}

int RSparseDirectSolver::factorise()
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
            && !(common.rcond < kSingularPivotRatio))
            return kSparseSolved;
        klu_l_free_numeric(&impl_->numeric, &common);
    }

    impl_->numeric = klu_l_factor(Ap, Ai, Ax, impl_->symbolic, &common);
    ++fullFactorisations_;
    if (!impl_->numeric) {
        if (common.status == KLU_SINGULAR)
            return kSparseSingular;
        return common.status == KLU_INVALID ? kSparseInvalidList : kSparseFailed;
    }
    if (!klu_l_rcond(impl_->symbolic, impl_->numeric, &common)) {
        klu_l_free_numeric(&impl_->numeric, &common);
        return kSparseFailed;
    }
    if (common.rcond < kSingularPivotRatio) {
        // Not kept: the next call chooses its pivots afresh.
        klu_l_free_numeric(&impl_->numeric, &common);
        return kSparseSingular;
    }
    spreadOfLastFullFactorisation_ = common.rcond;
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
        if (!samePattern(N, nz, rows, columns)) {
            const int analysed = analyse(N, nz, rows, columns);
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
        for (SolverIndex t = 0; t < nz; ++t)
            columnValues_[static_cast<std::size_t>(listToColumnSlot_[static_cast<std::size_t>(t)])] =
                values[t] / rowScale_[static_cast<std::size_t>(rows[t] - 1)];

        const int factorised = factorise();
        if (factorised != kSparseSolved) {
            status = factorised;
            return;
        }
        for (SolverIndex i = 0; i < N; ++i)
            solution[i] = rightHandSide[i] / rowScale_[static_cast<std::size_t>(i)];
        if (!klu_l_solve(impl_->symbolic, impl_->numeric, N, 1, solution, &impl_->common)) {
            status = kSparseFailed;
            return;
        }
        status = kSparseSolved;
    } catch (const std::bad_alloc&) {
        releaseFactors();
        N_ = 0;
        status = kSparseFailed;
    }
}

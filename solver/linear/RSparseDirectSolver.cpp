#include "solver/linear/RSparseDirectSolver.h"

#include <klu.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <type_traits>

static_assert(std::is_same_v<SolverIndex, SuiteSparse_long>,
              "the sparse LU's 64-bit index must be the solver's index type");

namespace {
// A factorisation whose smallest pivot is this far below its largest counts as singular, as
// the band solver's absolute pivot tolerance does for unscaled rows (the LU scales each row by
// its largest entry, so its pivots are relative).
constexpr double kSingularPivotRatio = 1e-15;
// Reusing the previous pivot order is accepted while the reciprocal pivot growth stays within
// this factor of the one a fresh factorisation gave; below it the pivots are chosen afresh.
constexpr double kReusedPivotGrowthRatio = 0.1;
} // namespace

struct RSparseDirectSolver::Impl {
    klu_l_common common;
    klu_l_symbolic* symbolic = nullptr;
    klu_l_numeric* numeric = nullptr;
};

RSparseDirectSolver::RSparseDirectSolver() : impl_(std::make_unique<Impl>())
{
    klu_l_defaults(&impl_->common);
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
            && klu_l_rgrowth(Ap, Ai, Ax, impl_->symbolic, impl_->numeric, &common)
            && klu_l_rcond(impl_->symbolic, impl_->numeric, &common)
            && !(common.rgrowth < kReusedPivotGrowthRatio * growthOfLastFullFactorisation_)
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
    if (!klu_l_rcond(impl_->symbolic, impl_->numeric, &common)
        || !klu_l_rgrowth(Ap, Ai, Ax, impl_->symbolic, impl_->numeric, &common)) {
        klu_l_free_numeric(&impl_->numeric, &common);
        return kSparseFailed;
    }
    if (common.rcond < kSingularPivotRatio) {
        // Not kept: the next call chooses its pivots afresh.
        klu_l_free_numeric(&impl_->numeric, &common);
        return kSparseSingular;
    }
    growthOfLastFullFactorisation_ = common.rgrowth;
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
    try {
        if (!samePattern(N, nz, rows, columns)) {
            const int analysed = analyse(N, nz, rows, columns);
            if (analysed != kSparseSolved) {
                status = analysed;
                return;
            }
        }
        for (SolverIndex t = 0; t < nz; ++t)
            columnValues_[static_cast<std::size_t>(listToColumnSlot_[static_cast<std::size_t>(t)])] = values[t];

        const int factorised = factorise();
        if (factorised != kSparseSolved) {
            status = factorised;
            return;
        }
        if (solution != rightHandSide)
            std::copy(rightHandSide, rightHandSide + N, solution);
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

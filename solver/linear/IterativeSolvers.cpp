#include "solver/linear/IterativeSolvers.h"

#include <cmath>
#include <vector>

namespace {

// Work vectors of the calling thread; they only grow, so repeated solves of one run reuse them.
struct IterativeWork {
    std::vector<double> vectors[9];
    std::vector<SolverIndex> counts;

    double* vector(int k, SolverIndex N)
    {
        std::vector<double>& v = vectors[k];
        if (static_cast<SolverIndex>(v.size()) < N)
            v.resize(static_cast<std::size_t>(N));
        return v.data();
    }
    SolverIndex* countVector(SolverIndex N)
    {
        if (static_cast<SolverIndex>(counts.size()) < N)
            counts.resize(static_cast<std::size_t>(N));
        return counts.data();
    }
};

thread_local IterativeWork threadWork;

// SSMILUCGS gives up when the 2-norm of its preconditioned residual exceeds the starting one by
// this factor.
constexpr double kDivergedGrowth = 1e8;

// A slot range of the row lists: slots [first, first + width) of every row, scanned in packed
// order up to the first empty slot.
struct SlotRange {
    SolverIndex first;
    SolverIndex width;
};

struct RowLists {
    const double* diagonal;
    const SMatrixRows<double>& values;
    const SMatrixRows<SolverIndex>& columns;
    SolverIndex N;
};

enum class Part { All, Lower, Upper };

inline bool keeps(Part part, SolverIndex k, SolverIndex i)
{
    return part == Part::All || (part == Part::Lower ? k < i : k > i);
}

// Sum of a_ik * v[k] over the used slots of row i in the range whose column k is kept.
inline double rowSum(const RowLists& A, SolverIndex i, SlotRange range, Part part, const double* v)
{
    const double* values = A.values[i] + range.first;
    const SolverIndex* columns = A.columns[i] + range.first;
    double sum = 0.0;
    for (SolverIndex s = 0; s < range.width; ++s) {
        const SolverIndex c = columns[s];
        if (c == 0)
            break;
        const SolverIndex k = c - 1;
        if (keeps(part, k, i))
            sum += values[s] * v[k];
    }
    return sum;
}

// The value of row i in column k (0-based) within the range, 0 when the row has none.
inline bool findEntry(const RowLists& A, SolverIndex i, SlotRange range, SolverIndex k, double& value)
{
    const double* values = A.values[i] + range.first;
    const SolverIndex* columns = A.columns[i] + range.first;
    for (SolverIndex s = 0; s < range.width; ++s) {
        const SolverIndex c = columns[s];
        if (c == 0)
            return false;
        if (c == k + 1) {
            value = values[s];
            return true;
        }
    }
    return false;
}

// Every used column number must name a row of the system; anything else would read outside
// the vectors.
bool columnsValid(const RowLists& A, SlotRange range)
{
    for (SolverIndex i = 0; i < A.N; ++i) {
        const SolverIndex* columns = A.columns[i] + range.first;
        for (SolverIndex s = 0; s < range.width; ++s) {
            const SolverIndex c = columns[s];
            if (c == 0)
                break;
            if (c < 0 || c > A.N)
                return false;
        }
    }
    return true;
}

// y := A x. `lowerRange` and `upperRange` are the slots that hold the off-diagonal entries;
// with one range for both halves (the general matrix) `upperRange.width` is 0.
void multiply(const RowLists& A, SlotRange lowerRange, Part lowerPart, SlotRange upperRange,
              const double* x, double* y)
{
    for (SolverIndex i = 0; i < A.N; ++i) {
        double sum = A.diagonal[i] * x[i] + rowSum(A, i, lowerRange, lowerPart, x);
        if (upperRange.width > 0)
            sum += rowSum(A, i, upperRange, Part::Upper, x);
        y[i] = sum;
    }
}

// z := M^-1 v for M = (D + L) D^-1 (D + U) with the preconditioner diagonal d stored as
// inverses: a forward sweep over the entries left of the diagonal, then a backward sweep
// over those right of it. z may be v.
void precondition(const RowLists& A, const double* d, SlotRange forward, SlotRange backward,
                  const double* v, double* z)
{
    for (SolverIndex i = 0; i < A.N; ++i)
        z[i] = d[i] * (v[i] - rowSum(A, i, forward, Part::Lower, z));
    for (SolverIndex i = A.N - 1; i >= 0; --i)
        z[i] = z[i] - d[i] * rowSum(A, i, backward, Part::Upper, z);
}

double dot(const double* a, const double* b, SolverIndex N)
{
    double sum = 0.0;
    for (SolverIndex i = 0; i < N; ++i)
        sum += a[i] * b[i];
    return sum;
}

double residualNorm1(const RowLists& A, SlotRange lowerRange, Part lowerPart, SlotRange upperRange,
                     const double* b, const double* x, double* work)
{
    multiply(A, lowerRange, lowerPart, upperRange, x, work);
    double sum = 0.0;
    for (SolverIndex i = 0; i < A.N; ++i)
        sum += std::fabs(b[i] - work[i]);
    return sum;
}

bool allFinite(const double* x, SolverIndex N)
{
    for (SolverIndex i = 0; i < N; ++i)
        if (!std::isfinite(x[i]))
            return false;
    return true;
}

// Adds alpha * direction to x and returns sum (x_new - x_old)^2 and sum x_old^2 for the
// relative-change test.
void step(double* x, double alpha, const double* direction, SolverIndex N, double& changeSquares,
          double& oldSquares)
{
    changeSquares = 0.0;
    oldSquares = 0.0;
    for (SolverIndex i = 0; i < N; ++i) {
        const double old = x[i];
        const double updated = old + alpha * direction[i];
        const double change = updated - old;
        changeSquares += change * change;
        oldSquares += old * old;
        x[i] = updated;
    }
}

enum class ChangeTest { NotApplicable, Passed, Failed, NonFinite };

ChangeTest relativeChange(double changeSquares, double oldSquares, double tolerance, double& residual)
{
    if (!std::isfinite(changeSquares) || !std::isfinite(oldSquares))
        return ChangeTest::NonFinite;
    if (oldSquares == 0.0)
        return ChangeTest::NotApplicable;
    residual = std::sqrt(changeSquares / oldSquares);
    return tolerance > residual ? ChangeTest::Passed : ChangeTest::Failed;
}

// A small sigma ends the iteration, but it can also mean a breakdown: x counts as converged
// only when it is finite and its true residual is no worse than the start vector's.
template <typename TrueNorm>
int acceptAfterSmallSigma(const double* x, SolverIndex N, double startNorm, TrueNorm trueNorm)
{
    if (!allFinite(x, N))
        return 1;
    const double norm = trueNorm();
    return std::isfinite(norm) && norm <= startNorm ? 0 : 1;
}

} // namespace

int SSMILUCGS(const double* diagonal, const SMatrixRows<double>& rowValues,
              const SMatrixRows<SolverIndex>& rowColumns, const double* b, double* x, SolverIndex N,
              SolverIndex width, double /*notUsed*/, SolverIndex maxIterations, double tolerance,
              SolverIndex& iterations, double& residual)
{
    iterations = 0;
    residual = 0.0;
    if (N <= 0)
        return 0;
    if (width < 0 || rowValues.count() < N || rowColumns.count() < N || rowValues.width() < width
        || rowColumns.width() < width)
        return 1;
    const RowLists A{diagonal, rowValues, rowColumns, N};
    const SlotRange slots{0, width};
    const SlotRange none{0, 0};
    if (!columnsValid(A, slots))
        return 1;

    IterativeWork& work = threadWork;
    double* d = work.vector(0, N);
    double* r = work.vector(1, N);
    double* rTilde = work.vector(2, N);
    double* u = work.vector(3, N);
    double* p = work.vector(4, N);
    double* q = work.vector(5, N);
    double* v = work.vector(6, N);
    double* w = work.vector(7, N);
    double* t = work.vector(8, N);

    // D-ILU diagonal: s_j = a_jj - sum a_jk a_kj d_k over k < j where both entries exist.
    for (SolverIndex j = 0; j < N; ++j) {
        const double* values = rowValues[j];
        const SolverIndex* columns = rowColumns[j];
        double sum = 0.0;
        for (SolverIndex s = 0; s < width; ++s) {
            const SolverIndex c = columns[s];
            if (c == 0)
                break;
            const SolverIndex k = c - 1;
            double akj = 0.0;
            if (k < j && findEntry(A, k, slots, j, akj))
                sum += values[s] * akj * d[k];
        }
        const double pivot = diagonal[j] - sum;
        d[j] = pivot == 0.0 ? 1.0 : 1.0 / pivot;
    }

    // r0 = b - A x
    multiply(A, slots, Part::All, none, x, t);
    double startNorm = 0.0;
    for (SolverIndex i = 0; i < N; ++i) {
        r[i] = b[i] - t[i];
        startNorm += std::fabs(r[i]);
    }
    residual = startNorm;
    if (tolerance > startNorm)
        return 0;
    if (!std::isfinite(startNorm))
        return 1;

    precondition(A, d, slots, slots, r, r);
    for (SolverIndex i = 0; i < N; ++i) {
        rTilde[i] = r[i];
        u[i] = r[i];
        p[i] = r[i];
    }
    double rho = dot(r, r, N);
    if (rho == 0.0 || !std::isfinite(rho) || maxIterations < 1)
        return 1;
    // Divergence guard: CGS squares the residual polynomial, and on matrices that are not
    // M-matrices the preconditioned residual can grow without bound while neither stopping
    // test fires, so the iteration would run to the maximum. Converging solves were seen to
    // grow transiently by a few thousand; a growth by kDivergedGrowth ends the solve.
    const double divergedSquares = kDivergedGrowth * kDivergedGrowth * rho;

    for (SolverIndex iteration = 1;; ++iteration) {
        iterations = iteration;

        multiply(A, slots, Part::All, none, p, t);
        precondition(A, d, slots, slots, t, v);
        const double sigma = dot(v, rTilde, N);
        if (!std::isfinite(sigma))
            return 1;
        residual = std::sqrt(std::fabs(sigma));
        if (tolerance > residual)
            return acceptAfterSmallSigma(x, N, startNorm,
                [&] { return residualNorm1(A, slots, Part::All, none, b, x, t); });
        // rho = 0 with sigma not small is a breakdown: the step length would be 0 and x would
        // stop where it is, which the relative-change test would then take for convergence.
        if (rho == 0.0)
            return 1;

        const double alpha = rho / sigma;
        if (!std::isfinite(alpha))
            return 1;
        for (SolverIndex i = 0; i < N; ++i) {
            q[i] = u[i] - alpha * v[i];
            w[i] = u[i] + q[i];
        }
        double changeSquares = 0.0;
        double oldSquares = 0.0;
        step(x, alpha, w, N, changeSquares, oldSquares);
        multiply(A, slots, Part::All, none, w, t);
        precondition(A, d, slots, slots, t, t);
        double residualSquares = 0.0;
        for (SolverIndex i = 0; i < N; ++i) {
            r[i] = r[i] - alpha * t[i];
            residualSquares += r[i] * r[i];
        }
        const double rhoNext = dot(r, rTilde, N);
        if (!std::isfinite(rhoNext))
            return 1;

        switch (relativeChange(changeSquares, oldSquares, tolerance, residual)) {
        case ChangeTest::Passed:
            return 0;
        case ChangeTest::NonFinite:
            return 1;
        case ChangeTest::NotApplicable:
        case ChangeTest::Failed:
            break;
        }
        // Tested after the convergence tests, so that a solve that converges is never cut.
        if (!(residualSquares <= divergedSquares))
            return 1; // diverged, or a non-finite residual

        const double beta = rhoNext / rho;
        for (SolverIndex i = 0; i < N; ++i) {
            u[i] = r[i] + beta * q[i];
            p[i] = u[i] + beta * (q[i] + beta * p[i]);
        }
        if (iteration >= maxIterations)
            return 1;
        rho = rhoNext;
    }
}

int SSMPCG(const double* diagonal, SMatrixRows<double>& rowValues,
           SMatrixRows<SolverIndex>& rowColumns, const double* b, double* x, SolverIndex N,
           SolverIndex width, double omega, SolverIndex maxIterations, double tolerance,
           SolverIndex& iterations, double& residual)
{
    iterations = 0;
    residual = 0.0;
    if (N <= 0)
        return 0;
    if (width < 0 || rowValues.count() < N || rowColumns.count() < N
        || rowValues.width() < 2 * width || rowColumns.width() < 2 * width)
        return 1;
    const RowLists A{diagonal, rowValues, rowColumns, N};
    const SlotRange stored{0, width};
    const SlotRange mirrored{width, width};
    if (!columnsValid(A, stored))
        return 1;

    IterativeWork& work = threadWork;

    // Mirror every stored entry (i, k), k < i, into row k as (k, i), after clearing the
    // mirrored slots of the previous call.
    SolverIndex* used = work.countVector(N);
    for (SolverIndex i = 0; i < N; ++i) {
        used[i] = 0;
        SolverIndex* columns = rowColumns[i] + width;
        for (SolverIndex s = 0; s < width; ++s)
            columns[s] = 0;
    }
    for (SolverIndex i = 0; i < N; ++i) {
        const double* values = rowValues[i];
        const SolverIndex* columns = rowColumns[i];
        for (SolverIndex s = 0; s < width; ++s) {
            const SolverIndex c = columns[s];
            if (c == 0)
                break;
            const SolverIndex k = c - 1;
            if (k >= i)
                continue;
            if (used[k] >= width)
                return 1; // the mirrored part does not fit the rows
            const SolverIndex slot = width + used[k]++;
            rowValues[k][slot] = values[s];
            rowColumns[k][slot] = i + 1;
        }
    }

    double* d = work.vector(0, N);
    double* r = work.vector(1, N);
    double* z = work.vector(2, N);
    double* p = work.vector(3, N);
    double* q = work.vector(4, N);

    // Preconditioner diagonal, stored as inverses.
    const bool modified = omega != 0.0;
    const double scale = (omega > 0.0 && omega < 1.0) ? 1.0 : omega;
    const double weight = (omega > 0.0 && omega < 1.0) ? omega : 1.0;
    for (SolverIndex i = 0; i < N; ++i) {
        const double* values = rowValues[i];
        const SolverIndex* columns = rowColumns[i];
        double sum = 0.0;
        for (SolverIndex s = 0; s < width; ++s) {
            const SolverIndex c = columns[s];
            if (c == 0)
                break;
            const SolverIndex k = c - 1;
            if (k >= i)
                continue;
            const double aik = values[s];
            if (!modified) {
                sum += aik * aik * d[k];
            } else {
                // Row sum of k's upper part apart from the entry in column i.
                double rowRest = 0.0;
                const double* kValues = rowValues[k] + width;
                const SolverIndex* kColumns = rowColumns[k] + width;
                for (SolverIndex l = 0; l < width; ++l) {
                    if (kColumns[l] == 0)
                        break;
                    if (kColumns[l] != i + 1)
                        rowRest += kValues[l];
                }
                sum += aik * (aik + weight * rowRest) * d[k];
            }
        }
        d[i] = 1.0 / ((modified ? scale * diagonal[i] : diagonal[i]) - sum);
    }

    multiply(A, stored, Part::Lower, mirrored, x, q);
    double startNorm = 0.0;
    for (SolverIndex i = 0; i < N; ++i) {
        r[i] = b[i] - q[i];
        startNorm += std::fabs(r[i]);
    }
    residual = startNorm;
    if (tolerance > startNorm)
        return 0;
    if (!std::isfinite(startNorm))
        return 1;

    precondition(A, d, stored, mirrored, r, z);
    for (SolverIndex i = 0; i < N; ++i)
        p[i] = z[i];
    double rho = dot(r, z, N);
    if (rho == 0.0 || !std::isfinite(rho) || maxIterations < 1)
        return 1;

    for (SolverIndex iteration = 1;; ++iteration) {
        iterations = iteration;

        multiply(A, stored, Part::Lower, mirrored, p, q);
        const double sigma = dot(p, q, N);
        if (!std::isfinite(sigma))
            return 1;
        residual = std::sqrt(std::fabs(sigma));
        if (tolerance > residual)
            return acceptAfterSmallSigma(x, N, startNorm,
                [&] { return residualNorm1(A, stored, Part::Lower, mirrored, b, x, q); });
        if (rho == 0.0)
            return 1; // a breakdown, as in SSMILUCGS

        const double alpha = rho / sigma;
        if (!std::isfinite(alpha))
            return 1;
        double changeSquares = 0.0;
        double oldSquares = 0.0;
        step(x, alpha, p, N, changeSquares, oldSquares);
        for (SolverIndex i = 0; i < N; ++i)
            r[i] = r[i] - alpha * q[i];
        precondition(A, d, stored, mirrored, r, z);

        switch (relativeChange(changeSquares, oldSquares, tolerance, residual)) {
        case ChangeTest::Passed:
            return 0;
        case ChangeTest::NonFinite:
            return 1;
        case ChangeTest::NotApplicable:
        case ChangeTest::Failed:
            break;
        }

        const double rhoNext = dot(z, r, N);
        if (!std::isfinite(rhoNext))
            return 1;
        const double beta = rhoNext / rho;
        for (SolverIndex i = 0; i < N; ++i)
            p[i] = z[i] + beta * p[i];
        if (iteration >= maxIterations)
            return 1;
        rho = rhoNext;
    }
}

#pragma once
// Small dense test systems for the linear solvers, their conversion to the solvers' storage
// layouts, and the dense LU oracle (LAPACK dgesv) they are checked against.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "solver/linear/SSolverMatrix.h"

extern "C" void dgesv_(const int* n, const int* nrhs, double* a, const int* lda, int* ipiv, double* b,
                       const int* ldb, int* info);
extern "C" void dgetrf_(const int* m, const int* n, double* a, const int* lda, int* ipiv, int* info);

namespace lineartest {

struct DenseSystem {
    SolverIndex N = 0;
    std::vector<double> a; // row-major

    explicit DenseSystem(SolverIndex n) : N(n), a(static_cast<std::size_t>(n * n), 0.0) {}
    double& operator()(SolverIndex r, SolverIndex c) { return a[static_cast<std::size_t>(r * N + c)]; }
    double operator()(SolverIndex r, SolverIndex c) const { return a[static_cast<std::size_t>(r * N + c)]; }

    std::vector<double> times(const std::vector<double>& x) const
    {
        std::vector<double> y(static_cast<std::size_t>(N), 0.0);
        for (SolverIndex r = 0; r < N; ++r)
            for (SolverIndex c = 0; c < N; ++c)
                y[static_cast<std::size_t>(r)] += (*this)(r, c) * x[static_cast<std::size_t>(c)];
        return y;
    }
};

inline DenseSystem fromValue(double value)
{
    DenseSystem A(1);
    A(0, 0) = value;
    return A;
}

// The oracle: LAPACK's dense LU with partial pivoting. Returns its info (> 0: an exactly zero
// pivot) and overwrites b with the solution.
inline int denseSolve(const DenseSystem& A, std::vector<double>& b)
{
    const int n = static_cast<int>(A.N);
    std::vector<double> columnMajor(A.a.size());
    for (SolverIndex r = 0; r < A.N; ++r)
        for (SolverIndex c = 0; c < A.N; ++c)
            columnMajor[static_cast<std::size_t>(c * A.N + r)] = A(r, c);
    std::vector<int> pivots(static_cast<std::size_t>(n));
    const int one = 1;
    int info = 0;
    dgesv_(&n, &one, columnMajor.data(), &n, pivots.data(), b.data(), &n, &info);
    return info;
}

// The oracle's verdict that A is singular: LAPACK's LU meets a pivot that is zero or below
// 1e-14 of the largest. An exact zero alone depends on the BLAS under LAPACK: an optimised one
// may round a dependent row to a tiny pivot instead.
inline bool denseSingular(const DenseSystem& A)
{
    const int n = static_cast<int>(A.N);
    std::vector<double> columnMajor(A.a.size());
    for (SolverIndex r = 0; r < A.N; ++r)
        for (SolverIndex c = 0; c < A.N; ++c)
            columnMajor[static_cast<std::size_t>(c * A.N + r)] = A(r, c);
    std::vector<int> pivots(static_cast<std::size_t>(n));
    int info = 0;
    dgetrf_(&n, &n, columnMajor.data(), &n, pivots.data(), &info);
    if (info > 0)
        return true;
    double smallest = HUGE_VAL, largest = 0.0;
    for (SolverIndex i = 0; i < A.N; ++i) {
        const double pivot = std::fabs(columnMajor[static_cast<std::size_t>(i * A.N + i)]);
        smallest = std::min(smallest, pivot);
        largest = std::max(largest, pivot);
    }
    return smallest <= 1e-14 * largest;
}

inline double maxRelativeDifference(const std::vector<double>& x, const std::vector<double>& reference)
{
    double scale = 0.0;
    for (double v : reference)
        scale = std::max(scale, std::fabs(v));
    double worst = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i)
        worst = std::max(worst, std::fabs(x[i] - reference[i]));
    return scale > 0.0 ? worst / scale : worst;
}

inline std::vector<double> randomVector(SolverIndex N, std::uint64_t seed)
{
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    std::vector<double> v(static_cast<std::size_t>(N));
    for (double& x : v)
        x = uniform(random);
    return v;
}

// Random entries inside the band ml / mu. `dominant` makes every diagonal entry exceed the
// sum of its row's other magnitudes; otherwise the diagonal is small, so elimination has to
// exchange rows. `fill` is the chance that an off-diagonal band entry is non-zero.
inline DenseSystem randomBand(SolverIndex N, SolverIndex ml, SolverIndex mu, std::uint64_t seed,
                              bool dominant, double fill = 1.0)
{
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    DenseSystem A(N);
    for (SolverIndex r = 0; r < N; ++r) {
        double rowSum = 0.0;
        for (SolverIndex c = std::max<SolverIndex>(0, r - ml); c <= std::min(N - 1, r + mu); ++c) {
            if (c == r || chance(random) > fill)
                continue;
            A(r, c) = uniform(random);
            rowSum += std::fabs(A(r, c));
        }
        A(r, r) = dominant ? rowSum + 0.5 + chance(random) : 1e-3 * uniform(random);
    }
    return A;
}

// Band storage of width 2*ml + mu + 1: column c of row r at index ml + (c - r).
inline SMatrixRows<double> toBand(const DenseSystem& A, SolverIndex ml, SolverIndex mu,
                                  SolverIndex extraWidth = 0)
{
    SMatrixRows<double> rows(A.N, 2 * ml + mu + 1 + extraWidth);
    for (SolverIndex r = 0; r < A.N; ++r)
        for (SolverIndex c = std::max<SolverIndex>(0, r - ml); c <= std::min(A.N - 1, r + mu); ++c)
            rows[r][ml + c - r] = A(r, c);
    return rows;
}

// Row-list storage: the diagonal apart, each row's non-zero off-diagonal entries packed from
// slot 0 with 1-based columns. `width` slots per row are scanned; the rows get
// `storageWidth` slots (at least width).
struct RowListSystem {
    std::vector<double> diagonal;
    SMatrixRows<double> values;
    SMatrixRows<SolverIndex> columns;
    SolverIndex width = 0;
};

inline RowListSystem toRowLists(const DenseSystem& A, SolverIndex width, SolverIndex storageWidth = 0,
                                bool lowerOnly = false)
{
    RowListSystem s;
    s.width = width;
    const SolverIndex stored = std::max(width, storageWidth);
    s.diagonal.resize(static_cast<std::size_t>(A.N));
    s.values.resize(A.N, stored);
    s.columns.resize(A.N, stored);
    for (SolverIndex r = 0; r < A.N; ++r) {
        s.diagonal[static_cast<std::size_t>(r)] = A(r, r);
        SolverIndex used = 0;
        for (SolverIndex c = 0; c < A.N; ++c) {
            if (c == r || A(r, c) == 0.0 || (lowerOnly && c > r))
                continue;
            s.values[r][used] = A(r, c);
            s.columns[r][used] = c + 1;
            ++used;
        }
    }
    return s;
}

// The non-zero list of the external solver: value, 1-based row, 1-based column.
struct NonZeroList {
    std::vector<double> values;
    std::vector<SolverIndex> rows;
    std::vector<SolverIndex> columns;
    SolverIndex count() const { return static_cast<SolverIndex>(values.size()); }
};

// Listed column by column (as an assembly that perturbs one unknown at a time produces it).
inline NonZeroList toList(const DenseSystem& A)
{
    NonZeroList list;
    for (SolverIndex c = 0; c < A.N; ++c)
        for (SolverIndex r = 0; r < A.N; ++r)
            if (A(r, c) != 0.0) {
                list.values.push_back(A(r, c));
                list.rows.push_back(r + 1);
                list.columns.push_back(c + 1);
            }
    return list;
}

// A random sparse matrix with at most `perRow` off-diagonal entries per row at random columns,
// strictly diagonally dominant.
inline DenseSystem randomSparseDominant(SolverIndex N, SolverIndex perRow, std::uint64_t seed)
{
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    std::uniform_int_distribution<SolverIndex> column(0, N - 1);
    DenseSystem A(N);
    for (SolverIndex r = 0; r < N; ++r) {
        for (SolverIndex k = 0; k < perRow; ++k) {
            const SolverIndex c = column(random);
            if (c != r)
                A(r, c) = uniform(random);
        }
        double rowSum = 0.0;
        for (SolverIndex c = 0; c < N; ++c)
            if (c != r)
                rowSum += std::fabs(A(r, c));
        A(r, r) = rowSum + 0.5 + std::fabs(uniform(random));
    }
    return A;
}

} // namespace lineartest

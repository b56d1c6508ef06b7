#pragma once
// The linear system of one run: the record the Newton iteration assembles its Jacobian into
// and hands to the linear solvers.

#include <algorithm>
#include <cstdint>
#include <vector>

// Every size, count, row or column number of the linear system is 64 bits wide, so that
// N * row width and the non-zero list's length never overflow.
using SolverIndex = std::int64_t;

// N rows of `width` entries each, in one contiguous block so that assembly and the solvers
// walk memory in order. rows[r] is a pointer to row r's first entry.
template <class T>
class SMatrixRows {
public:
    SMatrixRows() = default;
    SMatrixRows(SolverIndex count, SolverIndex width) { resize(count, width); }

    void resize(SolverIndex count, SolverIndex width)
    {
        count_ = count;
        width_ = width;
        data_.assign(static_cast<std::size_t>(count * width), T{});
    }
    void clear() { std::fill(data_.begin(), data_.end(), T{}); }

    T* operator[](SolverIndex r) { return data_.data() + r * width_; }
    const T* operator[](SolverIndex r) const { return data_.data() + r * width_; }

    SolverIndex count() const { return count_; }
    SolverIndex width() const { return width_; }
    bool empty() const { return data_.empty(); }

private:
    std::vector<T> data_;
    SolverIndex count_ = 0;
    SolverIndex width_ = 0;
};

// Linear methods.
inline constexpr int kMethodExternalSparse = -1; // QX_Sparse over the non-zero list
inline constexpr int kMethodIterative = 0;       // SSMILUCGS on the row lists
// 1, 3 and 5 are band methods: the number of grid points the band spans.

struct SSolverMatrix {
    // Per equation row `rowWidth` doubles: the row's band for a band method, the off-diagonal
    // values for the iterative method.
    SMatrixRows<double> rows;
    // Per row `rowWidth` 1-based column numbers of the off-diagonal values (0 = empty slot;
    // the used slots are packed at the front). Iterative method only: band rows have none.
    SMatrixRows<SolverIndex> rowColumns;
    std::vector<double> rightHandSide;
    std::vector<double> solution;
    std::vector<double> diagonal; // iterative method
    // The band factorisation's pivot rows (0-based), or the used slots per row for the
    // iterative method.
    std::vector<SolverIndex> pivotsOrCounts;
    SolverIndex rowWidth = 0;
    int method = kMethodIterative;
    SolverIndex halfBandwidth = 0; // band methods

    SolverIndex size() const { return static_cast<SolverIndex>(solution.size()); }
    bool isBand() const { return method > 0; }

    // Sizes every array for N equations; rows of width 0 get no row arrays.
    void allocate(SolverIndex N, int method, SolverIndex halfBandwidth, SolverIndex rowWidth);
    // Clears the rows (values and columns), the per-row counts, the diagonal and the
    // solution before a fresh assembly.
    void clearForRebuild();
};

// Method, half bandwidth and row width of a run's linear system.
struct SSolverMatrixLayout {
    int method = kMethodIterative;
    SolverIndex halfBandwidth = 0;
    SolverIndex rowWidth = 0;
};

// Chooses the linear method from the space dimension (0, 1 or 2), the number of variables
// n and the control values MISES and METHOD. MISES below 1 counts as 1. In two dimensions
// METHOD alone decides: even the external sparse solver, odd the iterative one.
SSolverMatrixLayout chooseSolverMatrixLayout(int dimension, SolverIndex n, int MISES, int METHOD);

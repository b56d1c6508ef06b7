// Whether the solution of a Newton iteration's linear system can stand. A solve fails on the
// solver's own report (a singular matrix, an iteration that did not converge), on the true
// residual of its solution, and, for the sparse direct solver, when the accuracy of the
// forward-difference Jacobian leaves the correction undetermined: a backward-stable LU of a
// nearly singular matrix returns a small residual and a solution whose part along the nearly
// singular direction is noise. A failed solve says so in one log line that names the point
// where it is worst, so that a failed run never ends without its reason.
#include "solver/RRazava.h"

#include "solver/RFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace {

// Pivot spread (smallest over largest pivot of the row-scaled factors) below which the error
// bound of a correction is estimated: the spread is free, the bound costs a few solves. Sound
// plane meshes give spreads of 1e-2 and more; a matrix whose rows are dependent up to the
// accuracy of their entries shows a pivot of that size (1e-7 and less). Where the bound is
// made, sound meshes give 1e-4 of the correction and less, nearly singular matrices 1e6 and
// more; a bound of 1 is the limit.
constexpr double kConditionScreenSpread = 1e-5;

// A solution whose true residual b - J d keeps more than this fraction of the right-hand side
// (1-norms) has not solved its system. The direct solvers leave rounding errors far below it;
// for the iterative solver it is the accuracy below which a Newton correction still points the
// right way.
constexpr double kResidualFraction = 1e-2;

std::string scientific(double v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2E", v);
    return buf;
}

} // namespace

double RRazava::jacobianAccuracy() const
{
    // A forward difference over the step h = DELP |x| errs by about DELP (truncation) plus the
    // rounding of the two residuals over the step, eps / DELP, both relative to the entry.
    const double delp = std::fabs(gd->DELP);
    const double eps = std::numeric_limits<double>::epsilon();
    return delp > 0 ? delp + eps / delp : 1.0;
}

void RRazava::logSolveFailure(const std::string& what, SolverIndex unknown)
{
    const MORVGlobalData& g = *gd;
    std::string line = " ! linear solve failed: " + what;
    const int n = std::max(g.variableCount, 1);
    if (unknown >= 0 && unknown < static_cast<SolverIndex>(n) * g.pointCount) {
        const int p = static_cast<int>(unknown / n);
        char buf[64];
        std::snprintf(buf, sizeof buf, "%d", p + 1);
        line += std::string(", worst at point ") + buf + " (" + formatE(g.pointX[p], 12, 5) + ","
                + formatE(g.pointY[p], 12, 5) + ")";
        if (n > 1) {
            std::snprintf(buf, sizeof buf, "%d", static_cast<int>(unknown % n) + 1);
            line += std::string(", variable ") + buf;
        }
    }
    logLine(line);
}

// The true residual r = b - J d of the solve just made, from the non-zero list (sparse direct
// method) or the diagonal and row lists (iterative method): the 1-norms of r and of b, the sum
// over the rows of their largest magnitude, and the row of r's largest entry.
void RRazava::solveResidual(SResidual& out)
{
    const SSolverMatrix& M = *matrix;
    const SolverIndex N = M.size();
    std::vector<double>& r = residualWork;
    std::vector<double>& scale = rowScaleWork;
    r.assign(M.rightHandSide.begin(), M.rightHandSide.end());
    scale.assign(static_cast<std::size_t>(N), 0.0);
    const double* d = M.solution.data();
    if (M.method == kMethodExternalSparse) {
        for (SolverIndex t = 0; t < nonZeroCount; ++t) {
            const std::size_t row = static_cast<std::size_t>(nonZeroRows[t] - 1);
            const double a = nonZeroValues[t];
            r[row] -= a * d[nonZeroColumns[t] - 1];
            scale[row] = std::max(scale[row], std::fabs(a));
        }
    } else {
        for (SolverIndex i = 0; i < N; ++i) {
            double s = M.diagonal[i] * d[i];
            double largest = std::fabs(M.diagonal[i]);
            const double* values = M.rows[i];
            const SolverIndex* columns = M.rowColumns[i];
            const SolverIndex used = M.pivotsOrCounts[i];
            for (SolverIndex k = 0; k < used; ++k) {
                s += values[k] * d[columns[k] - 1];
                largest = std::max(largest, std::fabs(values[k]));
            }
            r[static_cast<std::size_t>(i)] -= s;
            scale[static_cast<std::size_t>(i)] = largest;
        }
    }
    out = SResidual{};
    double worst = -1;
    for (SolverIndex i = 0; i < N; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        const double a = std::fabs(r[k]);
        out.rightHandSide += std::fabs(M.rightHandSide[i]);
        out.residual += a;
        out.rowScales += scale[k];
        if (!(a <= worst)) { // a NaN is the worst
            worst = a;
            out.worstRow = i;
        }
    }
}

bool RRazava::residualStands()
{
    SResidual r;
    solveResidual(r);
    // What is left unexplained must be small against the right-hand side, or small enough
    // that the correction it stands for lies below the convergence tolerance: a residual
    // at the rounding level of a converged level is all that can be solved.
    const double tolerance =
        std::max(kResidualFraction * r.rightHandSide, gd->EPS * r.rowScales);
    if (r.residual <= tolerance)
        return true;
    logSolveFailure("residual " + scientific(r.residual) + " of right-hand side "
                        + scientific(r.rightHandSide),
                    r.worstRow);
    return false;
}

bool RRazava::sparseSolveStands(int status)
{
    if (status != 0) {
        // An unknown that no equation reads, or an equation that reads no unknown, is where a
        // singular matrix comes from most plainly; else the factorisation's smallest pivot.
        SolverIndex at = emptyRowOrColumn();
        if (at < 0)
            at = sparseSolver->weakestUnknown();
        logSolveFailure(status == kSparseSingular ? "singular matrix"
                        : status == kSparseInvalidList ? "invalid matrix list"
                                                       : "sparse solver failure",
                        at);
        return false;
    }
    if (!residualStands())
        return false;
    if (sparseSolver->pivotSpread() < kConditionScreenSpread) {
        // Rows that are dependent up to the accuracy of the Jacobian leave a direction that
        // the system does not determine: the solve returns noise along it.
        SolverIndex worst = 0;
        const double bound = correctionErrorBound(worst);
        if (!(bound < 1.0)) {
            logSolveFailure("matrix nearly singular (error bound " + scientific(bound)
                                + " of the correction)",
                            worst);
            return false;
        }
    }
    return true;
}

double RRazava::correctionErrorBound(SolverIndex& worst)
{
    // With the Jacobian's entries uncertain by delta |J| and the residual r = b - J d left by
    // the solve, the correction d is uncertain by e = |J^-1| (|r| + delta |J| |d|) (the
    // forward error bound of a linear solve). Measured per variable against the variable's
    // largest correction (at least EPS, below which a correction does not matter), the bound
    // depends neither on the units of the equations nor on those of the variables:
    // max_i e_i / s_i = |G|_1 with G = diag(g) J^-T diag(1/s), g = |r| + delta |J| |d|, which
    // Hager's estimator finds from a few solves with the kept factors (G x and G^T x).
    const MORVGlobalData& g = *gd;
    const SSolverMatrix& M = *matrix;
    const SolverIndex N = M.size();
    const std::size_t n = static_cast<std::size_t>(N);
    const int variables = std::max(g.variableCount, 1);
    const double* d = M.solution.data();
    std::vector<double>& weight = residualWork; // r of residualStands, turned into g here
    std::vector<double>& scale = rowScaleWork;
    boundWork.resize(3 * n);
    double* x = boundWork.data();
    double* y = x + n;
    double* z = y + n;

    const double delta = jacobianAccuracy();
    for (std::size_t i = 0; i < n; ++i)
        weight[i] = std::fabs(weight[i]);
    for (SolverIndex t = 0; t < nonZeroCount; ++t)
        weight[static_cast<std::size_t>(nonZeroRows[t] - 1)] +=
            delta * std::fabs(nonZeroValues[t] * d[nonZeroColumns[t] - 1]);
    scale.assign(static_cast<std::size_t>(variables), g.EPS);
    for (std::size_t i = 0; i < n; ++i) {
        double& s = scale[i % static_cast<std::size_t>(variables)];
        s = std::max(s, std::fabs(d[i]));
    }
    auto scaleOf = [&](std::size_t i) { return scale[i % static_cast<std::size_t>(variables)]; };

    const double infinite = std::numeric_limits<double>::infinity();
    std::fill(x, x + n, 1.0 / static_cast<double>(N));
    double estimate = 0;
    worst = 0;
    std::size_t tried = n; // the unknown whose unit vector was tried last
    for (int round = 0; round < 5; ++round) {
        // y := G x = g * J^-T (x / s)
        for (std::size_t i = 0; i < n; ++i)
            z[i] = x[i] / scaleOf(i);
        if (!sparseSolver->solveAgain(true, z, y))
            return infinite;
        double sum = 0;
        for (std::size_t i = 0; i < n; ++i) {
            y[i] *= weight[i];
            sum += std::fabs(y[i]);
        }
        if (!std::isfinite(sum))
            return infinite;
        if (round > 0 && sum <= estimate)
            break;
        estimate = sum;
        if (tried < n)
            worst = static_cast<SolverIndex>(tried);
        // z := G^T sign(y) = J^-1 (g * sign(y)) / s; its largest entry names the next trial.
        for (std::size_t i = 0; i < n; ++i)
            x[i] = weight[i] * (y[i] >= 0 ? 1.0 : -1.0);
        if (!sparseSolver->solveAgain(false, x, z))
            return infinite;
        std::size_t j = 0;
        double largest = -1;
        for (std::size_t i = 0; i < n; ++i) {
            const double a = std::fabs(z[i]) / scaleOf(i);
            if (!(a <= largest)) {
                largest = a;
                j = i;
            }
        }
        if (round == 0)
            worst = static_cast<SolverIndex>(j);
        if (j == tried)
            break;
        tried = j;
        std::fill(x, x + n, 0.0);
        x[j] = 1.0;
    }
    return estimate;
}

bool RRazava::iterativeSolveStands(int result, SolverIndex iterations)
{
    if (result != 0) {
        SResidual r;
        solveResidual(r);
        logSolveFailure("no convergence in " + std::to_string(iterations) + " iterations (residual "
                            + scientific(r.residual) + " of right-hand side "
                            + scientific(r.rightHandSide) + ")",
                        r.worstRow);
        return false;
    }
    return residualStands();
}

void RRazava::reportBandFailure()
{
    // The elimination stops at the first column without a usable pivot; the diagonal slots of
    // the columns before it hold pivots of at least the tolerance.
    const SSolverMatrix& M = *matrix;
    const SolverIndex N = M.size(), h = M.halfBandwidth;
    SolverIndex at = N - 1;
    for (SolverIndex i = 0; i < N; ++i)
        if (!(std::fabs(M.rows[i][h]) >= kBandPivotTolerance)) {
            at = i;
            break;
        }
    logSolveFailure("singular matrix", at);
}

SolverIndex RRazava::emptyRowOrColumn()
{
    const SolverIndex N = matrix->size();
    std::vector<char> rowUsed(static_cast<std::size_t>(N), 0), columnUsed(rowUsed);
    for (SolverIndex t = 0; t < nonZeroCount; ++t) {
        rowUsed[static_cast<std::size_t>(nonZeroRows[t] - 1)] = 1;
        columnUsed[static_cast<std::size_t>(nonZeroColumns[t] - 1)] = 1;
    }
    for (SolverIndex i = 0; i < N; ++i)
        if (!rowUsed[static_cast<std::size_t>(i)] || !columnUsed[static_cast<std::size_t>(i)])
            return i;
    return -1;
}

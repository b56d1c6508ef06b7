// The Newton iteration of one level: residuals and a forward-difference Jacobian per point,
// one of the run's linear methods, relaxed corrections, progress, and the log listings.
#include "solver/RRazava.h"

#include "document/ByteCode.h"
#include "solver/RunEvent.h"
#include "solver/linear/BandSolver.h"
#include "solver/linear/IterativeSolvers.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <future>
#include <string>
#include <system_error>

namespace {

std::string format(const char* f, double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, f, v);
    return buf;
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string formatInt(const char* f, long long v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, f, v);
    return buf;
}

// The values, `perLine` to a line, continuation lines indented.
void logValues(RRazava& e, std::string line, const std::vector<double>& values, const char* f,
               int perLine, int indent)
{
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0 && i % perLine == 0) {
            e.logLine(line);
            line.assign(static_cast<std::size_t>(indent), ' ');
        }
        line += format(f, values[i]);
    }
    e.logLine(line);
}

// The entries of variable i.
inline void copyVariable(const SPtTerm& from, SPtTerm& to, int i)
{
    to.value[i] = from.value[i];
    to.timeDerivative[i] = from.timeDerivative[i];
    to.ddx[i] = from.ddx[i];
    to.ddy[i] = from.ddy[i];
    to.d2dx2[i] = from.d2dx2[i];
    to.d2dy2[i] = from.d2dy2[i];
    to.d2dxdy[i] = from.d2dxdy[i];
    to.lowerValue[i] = from.lowerValue[i];
    to.upperValue[i] = from.upperValue[i];
}

} // namespace

double RRazava::getdif(int n, int np, const double* a, const double* b)
{
    double worst = 0;
    for (int i = 0; i < n; ++i) {
        double diff = 0, scale = 0;
        for (int p = 0; p < np; ++p) {
            const std::size_t k = static_cast<std::size_t>(p) * n + i;
            diff = std::max(diff, std::fabs(a[k] - b[k]));
            scale = std::max(scale, std::fabs(b[k]));
        }
        worst = std::max(worst, scale > 0 ? diff / scale : diff);
    }
    return worst;
}

bool RRazava::jacobi(int p, double dt, double tOld, bool rebuild)
{
    MORVGlobalData& g = *gd;
    SSolverMatrix& M = *matrix;
    const int n = g.variableCount, m = g.subVariableCount;
    const std::size_t row0 = static_cast<std::size_t>(p) * n;
    double* values = g.newValues.data();
    double* subs = m > 0 ? g.subValues.data() + static_cast<std::size_t>(p) * m
                         : pointSubValues.data();
    double* r0 = g.residuals.data() + row0;
    double* r1 = g.perturbedResiduals.data() + row0;

    // Runs SUB VARIABLE and EQUATION on the operand record t (filled by the caller); true when
    // either ran %GRID or stored into a variable.
    auto evaluate = [&](SPtTerm* t, double* subValues, double* residuals) {
        const double tTheta = tOld + dt * g.ALPHA;
        bool changed = false;
        for (int s : {int(ByteCode::SectionSubVariable), newtonSection}) {
            REvalContext c;
            c.term = t;
            c.subValues = subValues;
            c.t = tTheta;
            c.dt = dt;
            c.x = g.pointX[p];
            c.y = g.pointY[p];
            c.nx = g.normalX[p];
            c.ny = g.normalY[p];
            c.point = p;
            c.values = values;
            c.residuals = residuals;
            c.section = &decoded[s];
            c.label = g.sectionLabel[s].c_str();
            EvalEqu(c);
            changed = changed || c.changedRecord;
        }
        return changed;
    };

    double tTheta = 0;
    prmval(p, n, &term, g.oldValues.data(), values, tOld, dt, g.ALPHA, tTheta);
    const bool baseChanged = evaluate(&term, subs, r0);
    double* target = M.isBand() ? M.solution.data() : M.rightHandSide.data();
    for (int i = 0; i < n; ++i) {
        if (!std::isfinite(r0[i]))
            return false;
        target[row0 + i] = r0[i];
    }
    if (!rebuild)
        return true;

    // The perturbed record differs from the unperturbed one of p only in the entries of the
    // variable perturbed last, as long as no evaluation moved to another point or stored into
    // a variable; each column then refreshes that variable and its own. Otherwise it is
    // refilled whole from the values as they are now. While every evaluation of the point has
    // left the values alone, the base record holds the unperturbed entries to restore.
    SPtTerm& pt = perturbedTerm;
    bool refreshable = !baseChanged && !fullColumnRefill;
    bool baseRecordCurrent = !baseChanged;
    int previous = -1;
    if (refreshable)
        for (int i = 0; i < n; ++i)
            copyVariable(term, pt, i);
    const bool listed = !nonZeroValues.empty();
    const int count = stencilCounts[p];
    const int* stencil = stencilPoints.data() + stencilStart[p];
    for (int j = 0; j < count; ++j) {
        const int q = stencil[j];
        if (M.method == 3 && std::abs(q - p) > 1)
            continue;
        for (int v = 0; v < n; ++v) {
            const std::size_t c = static_cast<std::size_t>(q) * n + v;
            const double x = values[c];
            const double h = std::max(g.DELP, std::fabs(x * g.DELP));
            values[c] = x + h;
            if (refreshable) {
                if (previous >= 0 && previous != v) {
                    if (baseRecordCurrent)
                        copyVariable(term, pt, previous);
                    else
                        prmvalVariable(p, n, previous, &pt, g.oldValues.data(), values, dt,
                                       g.ALPHA);
                }
                prmvalVariable(p, n, v, &pt, g.oldValues.data(), values, dt, g.ALPHA);
            } else {
                prmval(p, n, &pt, g.oldValues.data(), values, tOld, dt, g.ALPHA, tTheta);
            }
            std::copy(r0, r0 + n, r1); // a residual the code does not store has no derivative
            const bool changed = evaluate(&pt, scratchSubValues.data(), r1);
            refreshable = !changed && !fullColumnRefill;
            baseRecordCurrent = baseRecordCurrent && !changed;
            previous = v;
            values[c] = x;
            for (int i = 0; i < n; ++i) {
                const SolverIndex r = static_cast<SolverIndex>(row0) + i;
                const double e = (r1[i] - r0[i]) / h;
                const bool kept = std::fabs(e) > 1e-20;
                if (kept && listed) {
                    if (nonZeroCount >= nonZeroCapacity - 1 && nonZeroCount > 0) {
                        nonZeroCount = nonZeroCapacity - 1;
                        g.runErrorCount.fetch_add(1, std::memory_order_relaxed);
                    }
                    nonZeroValues[nonZeroCount] = e;
                    nonZeroRows[nonZeroCount] = r + 1;
                    nonZeroColumns[nonZeroCount] = static_cast<SolverIndex>(c) + 1;
                    ++nonZeroCount;
                }
                if (M.method == kMethodIterative) {
                    if (!kept)
                        continue;
                    if (static_cast<SolverIndex>(c) == r) {
                        M.diagonal[r] = e;
                    } else {
                        SolverIndex& used = M.pivotsOrCounts[r];
                        if (used >= M.rowWidth) {
                            g.runErrorCount.fetch_add(1, std::memory_order_relaxed);
                            continue;
                        }
                        M.rows[r][used] = e;
                        M.rowColumns[r][used] = static_cast<SolverIndex>(c) + 1;
                        ++used;
                    }
                } else if (M.isBand()) {
                    const SolverIndex slot = M.halfBandwidth + (static_cast<SolverIndex>(c) - r);
                    if (slot < 0 || slot > 2 * M.halfBandwidth) {
                        g.runErrorCount.fetch_add(1, std::memory_order_relaxed);
                        continue;
                    }
                    M.rows[r][slot] = e;
                }
            }
        }
    }
    return true;
}

std::future<void> RRazava::analyseStencilPattern()
{
    // Every Jacobian entry lies in a column of the point's stencil; the difference quotients
    // that come out below 1e-20 differ from one iteration to the next, but not these positions.
    // A pattern larger than the non-zero list could hold is left unanalysed, and the lists are
    // then analysed as they come.
    const int n = gd->variableCount, np = gd->pointCount;
    SolverIndex count = 0;
    for (int p = 0; p < np; ++p)
        count += static_cast<SolverIndex>(stencilCounts[p]) * n * n;
    if (count > nonZeroCapacity)
        return {};
    struct Pattern {
        std::vector<SolverIndex> rows, columns;
    };
    auto pattern = std::make_shared<Pattern>();
    pattern->rows.reserve(static_cast<std::size_t>(count));
    pattern->columns.reserve(static_cast<std::size_t>(count));
    for (int p = 0; p < np; ++p)
        for (int j = 0; j < stencilCounts[p]; ++j) {
            const int q = stencilPoints[stencilStart[p] + j];
            for (int i = 0; i < n; ++i)
                for (int v = 0; v < n; ++v) {
                    pattern->rows.push_back(static_cast<SolverIndex>(p) * n + i + 1);
                    pattern->columns.push_back(static_cast<SolverIndex>(q) * n + v + 1);
                }
        }
    // The analysis depends on the positions alone, so the thread it runs in changes nothing.
    RSparseDirectSolver* solver = sparseSolver.get();
    const SolverIndex N = static_cast<SolverIndex>(n) * np;
    const auto analyse = [solver, N, count, pattern] {
        solver->analysePattern(N, count, pattern->rows.data(), pattern->columns.data());
    };
    try {
        return std::async(std::launch::async, analyse);
    } catch (const std::system_error&) {
        // No thread to be had: analysed here.
    }
    analyse();
    return {};
}

void RRazava::startSparseSolver()
{
    MORVGlobalData& g = *gd;
    if (!matrix || matrix->method != kMethodExternalSparse || sparseSolver)
        return;
    const auto start = std::chrono::steady_clock::now();
    sparseSolver = std::make_unique<RSparseDirectSolver>(g.dimension == 2 ? SparseLU::Umfpack
                                                                          : SparseLU::Klu);
    if (g.dimension == 2)
        patternAnalysis = analyseStencilPattern();
    phaseTimes.linearSolve += secondsSince(start);
}

int RRazava::solver(double dt, double tOld, double tEnd)
{
    (void)tEnd; // the level's end is tOld + dt; the run's end time does not enter the solve
    MORVGlobalData& g = *gd;
    SSolverMatrix& M = *matrix;
    const int n = g.variableCount, np = g.pointCount;
    const SolverIndex N = static_cast<SolverIndex>(n) * np;
    g.currentTime = tOld + dt;
    g.iterationCount = 0;
    double R = std::fabs(g.OMEGA);
    // A two-dimensional run rebuilds its Jacobian in every iteration, whatever its linear
    // method; elsewhere MISES is the refresh period (below 1 it would be meaningless and
    // counts as 1).
    const int L = (M.method == kMethodIterative || g.dimension == 2) ? 1 : std::max(g.MISES, 1);
    startSparseSolver();

    bool converged = false;
    for (int k = 0; k < g.LMAX; ++k) {
        const bool rebuild = k % L == 0;
        if (rebuild) {
            M.clearForRebuild();
            nonZeroCount = 0;
        }
        g.mathErrorCount = 0;
        auto start = std::chrono::steady_clock::now();
        for (int p = 0; p < np; ++p) {
            if (!jacobi(p, dt, tOld, rebuild))
                return 2;
            if (g.runErrorCount.load(std::memory_order_relaxed) != 0)
                return 11;
        }
        phaseTimes.assembly += secondsSince(start);
        if (g.IPRT % 10 >= 3) {
            if (g.IPRN > 0) {
                logLine("*** matrix information nz=" + formatInt("%8lld", nonZeroCount)
                        + ", kmatrx=" + formatInt("%8lld", g.kmatrx));
                for (SolverIndex e = 0; e < nonZeroCount; ++e) {
                    char buf[96];
                    std::snprintf(buf, sizeof buf, "%8lld:%6lld%6lld %15.7E",
                                  static_cast<long long>(e + 1),
                                  static_cast<long long>(nonZeroRows[e]),
                                  static_cast<long long>(nonZeroColumns[e]), nonZeroValues[e]);
                    logLine(buf);
                }
                logLine("*** constant vector");
                for (SolverIndex r = 0; r < N; ++r) {
                    char buf[64];
                    std::snprintf(buf, sizeof buf, "%8lld:%15.7E", static_cast<long long>(r + 1),
                                  g.residuals[r]);
                    logLine(buf);
                }
            }
            g.stopRequest = 2;
            return 0;
        }

        start = std::chrono::steady_clock::now();
        if (M.method == kMethodExternalSparse) {
            if (patternAnalysis.valid())
                patternAnalysis.get();
            int status = 0;
            const SolverIndex nz = nonZeroCount;
            const SolverIndex work1 = 20 * (nz + 2 * N), work2 = 20 * (4 * nz + 17 * N);
            sparseSolver->QX_Sparse(N, nz, nonZeroValues.data(), nonZeroRows.data(),
                                    nonZeroColumns.data(), M.rightHandSide.data(),
                                    M.solution.data(), work1, work2, status);
            if (!sparseSolveStands(status))
                return 1;
        } else if (M.isBand()) {
            const SolverIndex h = M.halfBandwidth;
            if (rebuild
                && SSMGLUBR(M.rows, N, h, h, M.pivotsOrCounts.data(), kBandPivotTolerance) != 0) {
                reportBandFailure();
                return 1;
            }
            SSMGSBR(M.rows, M.solution.data(), N, h, h, M.pivotsOrCounts.data());
        } else {
            SolverIndex iterations = 0;
            double residual = 0;
            const int result = SSMILUCGS(M.diagonal.data(), M.rows, M.rowColumns,
                                         M.rightHandSide.data(), M.solution.data(), N, M.rowWidth,
                                         0.0, 10 * N, g.EPS * 0.01, iterations, residual);
            if (!iterativeSolveStands(result, iterations))
                return 1;
        }
        phaseTimes.linearSolve += secondsSince(start);
        if (g.stopRequest.load(std::memory_order_relaxed) != 0)
            return 0;

        for (SolverIndex r = 0; r < N; ++r)
            if (!std::isfinite(M.solution[r]))
                return 2;
        for (int i = 0; i < n; ++i) {
            double worst = 0;
            for (int p = 0; p < np; ++p) {
                const std::size_t c = static_cast<std::size_t>(p) * n + i;
                const double d = M.solution[c];
                g.newValues[c] -= R * d;
                worst = std::max(worst, std::fabs(d));
            }
            g.maxCorrection[i] = worst;
        }
        if (g.IPRT % 10 > 1 && g.IPRN > 0) {
            char head[64];
            std::snprintf(head, sizeof head, "L=%6d (%6.4f): ", k + 1, R);
            logValues(*this, head, g.maxCorrection, "%12.5E", 5, 19);
        }
        if (g.OMEGA > 0)
            R = R + (1 - R) / g.LMAX * 3.0;
        g.iterationCount = k + 1;
        g.publishSnapshot();
        if (g.runEvent)
            g.runEvent->set();
        converged = std::all_of(g.maxCorrection.begin(), g.maxCorrection.end(),
                                [&](double c) { return c <= g.EPS; });
        if (converged)
            break;
    }

    if (!converged) {
        if (g.IPRN > 0)
            logValues(*this, " ?  W0011  ?   TIME=" + format("%11.4E", g.currentTime) + ", ERROR=",
                      g.maxCorrection, "%10.3E", 4, 39);
        g.runWarningCount.fetch_add(1, std::memory_order_relaxed);
        return 0;
    }
    if (g.FLOATINGERROR == 0 && g.mathErrorCount > 0)
        return 2;
    if (g.IPRT % 10 > 0 && g.IPRN > 0) {
        char buf[128];
        std::snprintf(buf, sizeof buf, "* time =%15.7E, dt =%15.7E (repeated%6d times)",
                      g.currentTime.load(), dt, g.iterationCount.load());
        logLine(buf);
        const double third = (np - 1) / 3.0;
        for (int i = 0; i < n; ++i) {
            const bool cell = i < static_cast<int>(g.variableAttributes.size())
                              && g.variableAttributes[i] != 0;
            int pts[4];
            if (g.twoGrid == 0) {
                pts[0] = 0;
                pts[1] = static_cast<int>(std::floor(third + 0.5));
                pts[2] = static_cast<int>(std::floor(2 * third + 0.5));
                pts[3] = np - 1;
            } else if (!cell) {
                const int a = static_cast<int>(std::floor(third));
                const int b = static_cast<int>(std::floor(2 * third));
                pts[0] = 0;
                pts[1] = a + a % 2;
                pts[2] = b + b % 2;
                pts[3] = np - 1;
            } else {
                pts[0] = 1;
                pts[1] = 2 * static_cast<int>(std::floor(third * 0.5)) + 1;
                pts[2] = 2 * static_cast<int>(std::floor(2 * third * 0.5)) + 1;
                pts[3] = np - 2;
            }
            double v[4];
            for (int s = 0; s < 4; ++s) {
                const int q = std::clamp(pts[s], 0, np - 1);
                v[s] = g.newValues[static_cast<std::size_t>(q) * n + i];
            }
            std::snprintf(buf, sizeof buf, "* [%3d]%s %12.4E %12.4E %12.4E %12.4E (err=%11.4E)",
                          i + 1, cell ? "C" : " ", v[0], v[1], v[2], v[3], g.maxCorrection[i]);
            logLine(buf);
        }
    }
    return 0;
}

// Least-squares polynomial fitting by orthogonal polynomials (three-term recurrence), with the
// evaluation of the fitted polynomial and its derivatives and the conversion to Taylor
// coefficients.
//
// Layout of the fit array A: A[0] the degree fitted, A[1] MAXDEG, then MAXDEG + 1 recurrence
// shifts alpha(1..), MAXDEG + 1 recurrence factors beta(0..) and MAXDEG + 1 coefficients c(0..)
// of the orthogonal polynomials P0 = 1, P1 = x - alpha1, P(j+1) = (x - alpha(j+1)) Pj - beta(j) P(j-1).
#include "chemistry/RSSChem.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Regularised incomplete beta function I_x(a, b) by its continued fraction.
double betaContinuedFraction(double a, double b, double x)
{
    const double tiny = 1e-300;
    double c = 1.0, d = 1.0 - (a + b) * x / (a + 1.0);
    if (std::fabs(d) < tiny) d = tiny;
    d = 1.0 / d;
    double h = d;
    for (int m = 1; m <= 300; ++m) {
        double m2 = 2.0 * m;
        double aa = m * (b - m) * x / ((a + m2 - 1.0) * (a + m2));
        d = 1.0 + aa * d;
        if (std::fabs(d) < tiny) d = tiny;
        c = 1.0 + aa / c;
        if (std::fabs(c) < tiny) c = tiny;
        d = 1.0 / d;
        h *= d * c;
        aa = -(a + m) * (a + b + m) * x / ((a + m2) * (a + m2 + 1.0));
        d = 1.0 + aa * d;
        if (std::fabs(d) < tiny) d = tiny;
        c = 1.0 + aa / c;
        if (std::fabs(c) < tiny) c = tiny;
        d = 1.0 / d;
        double del = d * c;
        h *= del;
        if (std::fabs(del - 1.0) < 1e-15) break;
    }
    return h;
}

double incompleteBeta(double a, double b, double x)
{
    if (x <= 0.0) return 0.0;
    if (x >= 1.0) return 1.0;
    double front = std::exp(std::lgamma(a + b) - std::lgamma(a) - std::lgamma(b) + a * std::log(x)
                            + b * std::log(1.0 - x));
    if (x < (a + 1.0) / (a + b + 2.0)) return front * betaContinuedFraction(a, b, x) / a;
    return 1.0 - front * betaContinuedFraction(b, a, 1.0 - x) / b;
}

// The value that an F(d1, d2) variable exceeds with probability level.
double fCritical(double level, double d1, double d2)
{
    double lo = 0.0, hi = 1e8;
    for (int i = 0; i < 200; ++i) {
        double f = 0.5 * (lo + hi);
        double cdf = incompleteBeta(0.5 * d1, 0.5 * d2, d1 * f / (d1 * f + d2));
        if (cdf < 1.0 - level) lo = f;
        else hi = f;
    }
    return 0.5 * (lo + hi);
}

struct FitLayout {
    int maxdeg;
    const double* alpha;
    const double* beta;
    const double* c;
    explicit FitLayout(const double* A)
        : maxdeg(static_cast<int>(A[1])), alpha(A + 2), beta(A + 3 + maxdeg), c(A + 4 + 2 * maxdeg)
    {
    }
};
} // namespace

int RSSChem::POLFIT(int N, const double* X, const double* Y, const double* W, int MAXDEG, int& NDEG,
                    double& EPS, double* R, double* A)
{
    if (N < 1 || MAXDEG < 0) return 2;
    // A negative EPS asks for the statistical choice of the degree: an F test at the level
    // nearest to |EPS| of 0.01, 0.05 and 0.10 on each added degree.
    double level = 0.0;
    if (EPS < 0.0) {
        double e = -EPS;
        level = std::fabs(e - 0.01) <= std::fabs(e - 0.05) ? 0.01 : (std::fabs(e - 0.05) <= std::fabs(e - 0.10) ? 0.05 : 0.10);
        if (MAXDEG + 2 > N) return 2; // the last test needs a degree of freedom left
    }
    std::vector<double> w(static_cast<size_t>(N), 1.0);
    if (W && W[0] >= 0.0) {
        for (int i = 0; i < N; ++i) {
            if (!(W[i] > 0.0) || !std::isfinite(W[i])) return 2;
            w[i] = W[i];
        }
    }
    for (int i = 0; i < N; ++i)
        if (!std::isfinite(X[i]) || !std::isfinite(Y[i])) return 2;
    // A polynomial of degree MAXDEG needs MAXDEG + 1 distinct abscissae.
    std::vector<double> sorted(X, X + N);
    std::sort(sorted.begin(), sorted.end());
    int distinct = static_cast<int>(std::unique(sorted.begin(), sorted.end()) - sorted.begin());
    if (MAXDEG + 1 > distinct) return 2;

    double* alpha = A + 2;
    double* beta = A + 3 + MAXDEG;
    double* c = A + 4 + 2 * MAXDEG;
    A[1] = MAXDEG;
    std::vector<double> pPrev(static_cast<size_t>(N), 0.0), p(static_cast<size_t>(N), 1.0),
        res(Y, Y + N), next(static_cast<size_t>(N));
    double sumW = 0.0;
    for (int i = 0; i < N; ++i) sumW += w[i];
    double normPrev = 1.0, rms = 0.0, ssPrev = 0.0;
    int result = 1, deg = MAXDEG;
    std::vector<double> ssOf(static_cast<size_t>(MAXDEG + 1), 0.0);
    int lastSignificant = 0;
    for (int j = 0; j <= MAXDEG; ++j) {
        double norm = 0.0, sxp = 0.0, srp = 0.0;
        for (int i = 0; i < N; ++i) {
            norm += w[i] * p[i] * p[i];
            sxp += w[i] * X[i] * p[i] * p[i];
            srp += w[i] * res[i] * p[i];
        }
        if (!(norm > 0.0) || !std::isfinite(norm)) return 2;
        c[j] = srp / norm;
        alpha[j] = sxp / norm;
        beta[j] = (j == 0) ? 0.0 : norm / normPrev;
        double ss = 0.0;
        for (int i = 0; i < N; ++i) {
            res[i] -= c[j] * p[i];
            ss += w[i] * res[i] * res[i];
        }
        if (level > 0.0) {
            ssOf[j] = ss;
            // Is degree j a significant improvement over degree j - 1?
            if (j > 0) {
                double dof = N - j - 1.0;
                double f = ss > 0.0 ? (ssPrev - ss) / (ss / dof) : HUGE_VAL;
                if (f >= fCritical(level, 1.0, dof)) lastSignificant = j;
            }
        }
        ssPrev = ss;
        rms = std::sqrt(ss / sumW);
        if (EPS > 0.0 && rms <= EPS) {
            deg = j;
            break;
        }
        for (int i = 0; i < N; ++i) next[i] = (X[i] - alpha[j]) * p[i] - beta[j] * pPrev[i];
        pPrev.swap(p);
        p.swap(next);
        normPrev = norm;
    }
    if (EPS > 0.0 && rms > EPS) result = 3;
    if (level > 0.0) {
        // The highest degree whose addition was significant; the higher terms are dropped.
        deg = lastSignificant;
        rms = std::sqrt(ssOf[deg] / sumW);
        if (deg == MAXDEG) result = 4; // a higher degree might still improve the fit
    }
    for (int j = 0; j <= deg; ++j)
        if (!std::isfinite(alpha[j]) || !std::isfinite(beta[j]) || !std::isfinite(c[j])) return 2;
    for (int j = deg + 1; j <= MAXDEG; ++j) alpha[j] = beta[j] = c[j] = 0.0;
    NDEG = deg;
    A[0] = deg;
    EPS = rms;
    if (R) {
        if (deg == MAXDEG || level == 0.0) {
            for (int i = 0; i < N; ++i) R[i] = Y[i] - res[i];
        } else {
            for (int i = 0; i < N; ++i) DP1VLU(deg, 0, X[i], R[i], nullptr, A);
        }
    }
    return result;
}

int RSSChem::DP1VLU(int L, int NDER, double X, double& YFIT, double* YP, const double* A)
{
    if (L < 0) return 12;
    if (L > static_cast<int>(A[0])) return 11;
    FitLayout f(A);
    int nd = std::max(NDER, 0);
    // Values and derivatives of P(j-1) and Pj at X.
    std::vector<double> prev(static_cast<size_t>(nd + 1), 0.0), cur(static_cast<size_t>(nd + 1), 0.0),
        nxt(static_cast<size_t>(nd + 1));
    cur[0] = 1.0;
    std::vector<double> sum(static_cast<size_t>(nd + 1), 0.0);
    for (int j = 0; j <= L; ++j) {
        for (int d = 0; d <= nd; ++d) sum[d] += f.c[j] * cur[d];
        if (j == L) break;
        for (int d = 0; d <= nd; ++d)
            nxt[d] = (X - f.alpha[j]) * cur[d] + (d > 0 ? d * cur[d - 1] : 0.0) - f.beta[j] * prev[d];
        prev.swap(cur);
        cur.swap(nxt);
    }
    YFIT = sum[0];
    for (int d = 1; d <= nd; ++d) YP[d - 1] = sum[d];
    return 0;
}

void RSSChem::PCOEF(int L, double C, double* TC, const double* A)
{
    int l = L < 0 ? -L : L;
    std::vector<double> yp(static_cast<size_t>(l + 1), 0.0);
    double y = 0.0;
    DP1VLU(l, l, C, y, yp.data(), A);
    TC[0] = y;
    double fact = 1.0;
    for (int n = 1; n <= l; ++n) {
        fact *= n;
        TC[n] = yp[n - 1] / fact;
    }
    if (L < 0) std::reverse(TC, TC + l + 1);
}

double RSSChem::HORNER(int N, const double* A, double X)
{
    double s = 0.0;
    for (int i = N - 1; i >= 0; --i) s = s * X + A[i];
    return s;
}

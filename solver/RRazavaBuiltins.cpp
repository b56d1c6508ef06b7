// Built-in functions of the byte code: the Fortran intrinsics and the functions that reach into
// the run (integrals, SYSTEM, FILE, ATTRIBUTE, UPWINDX/UPWINDY, RESTART, CPROPERTY).
#include "solver/RRazava.h"

#include "document/ByteCode.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

using namespace ByteCode;

namespace {

// Integer value of a byte-code operand: floor(v + 0.5), saturated so that any double (also a
// non-number) converts safely; a non-number gives the lowest int, which no range accepts.
long long toInt(double v)
{
    const double r = std::floor(v + 0.5);
    if (!(r >= -9.0e18))
        return std::numeric_limits<long long>::min();
    if (r > 9.0e18)
        return std::numeric_limits<long long>::max();
    return static_cast<long long>(r);
}

int argumentCount(int id)
{
    switch (id) {
    case FnSIGN: case FnMOD: case FnDIM: case FnMAX: case FnMIN: case FnATAN2:
    case FnINTEGRAL1: case FnINTEGRAL2: case FnRESTART:
        return 2;
    case FnINTEGRAL: case FnUPWINDX: case FnUPWINDY: case FnINTEGRAL0: case FnINTEGRALV:
    case FnINTEGRALG:
        return 3;
    default:
        return (id >= 1 && id <= 23) || id == FnSYSTEM || id == FnFILE || id == FnATTRIBUTE ? 1 : 0;
    }
}

// What a result that is not finite becomes. An overflow is out of range, not out of the
// domain: the nearest value that the run's files still write and read back with their 15
// digits, 1e308 with the result's sign, as a division by zero gives a large value of the
// right sign. A NaN has neither sign nor size and becomes 0, as the square root of a negative
// number does.
double nonFiniteSubstitute(double v)
{
    if (std::isnan(v))
        return 0.0;
    return v > 0 ? 1e308 : -1e308;
}

// Clipped part of [x0, x1] for the bounds a, b.
inline double clip(double v, double x0, double x1) { return std::min(std::max(v, x0), x1); }

// Integral over [lo, hi] of the quadratic through (x0,u0), (x1,u1), (x2,u2).
double quadraticIntegral(double x0, double x1, double x2, double u0, double u1, double u2,
                         double lo, double hi)
{
    const double h1 = x1 - x0, h2 = x2 - x0;
    auto F = [&](double s) {
        const double t = s - x0, t2 = t * t, t3 = t2 * t;
        const double i0 = (t3 / 3 - (h1 + h2) * t2 / 2 + h1 * h2 * t) / (h1 * h2);
        const double i1 = (t3 / 3 - h2 * t2 / 2) / (h1 * (h1 - h2));
        const double i2 = (t3 / 3 - h1 * t2 / 2) / (h2 * (h2 - h1));
        return u0 * i0 + u1 * i1 + u2 * i2;
    };
    return F(hi) - F(lo);
}

// Trapezoid of the linear interpolant between (x0,u0) and (x1,u1) over [s0, s1].
double linearPart(double x0, double x1, double u0, double u1, double s0, double s1)
{
    const double slope = (u1 - u0) / (x1 - x0);
    const double v0 = u0 + slope * (s0 - x0), v1 = u0 + slope * (s1 - x0);
    return (s1 - s0) * 0.5 * (v0 + v1);
}

} // namespace

void RRazava::errtra(const char* sectionLabel, int position, const char* name, double& value,
                     double substitute)
{
    char pos[32];
    std::snprintf(pos, sizeof pos, "%08d", position);
    logLine(std::string(" ?  W0013  ? group:") + sectionLabel + "  , pointer:" + pos
            + ", function:" + name);
    gd->mathErrorCount++;
    gd->runWarningCount.fetch_add(1, std::memory_order_relaxed);
    value = substitute;
}

void RRazava::missingSecondDerivative(int point)
{
    MORVGlobalData& g = *gd;
    if (point < 0 || static_cast<std::size_t>(point) >= secondDerivativeMissing.size())
        return;
    unsigned char& state = secondDerivativeMissing[static_cast<std::size_t>(point)];
    if (state == 0)
        return;
    if (state == 1) {
        char buf[48];
        std::snprintf(buf, sizeof buf, "%d", point + 1);
        logLine(std::string(" ! no second derivative at point ") + buf + " ("
                + formatE(g.pointX[point], 12, 5) + "," + formatE(g.pointY[point], 12, 5)
                + "): too few mesh points around it to fit a quadratic");
        state = 2;
        g.runErrorCount.fetch_add(1, std::memory_order_relaxed);
    }
}

double RRazava::nonFiniteValue(const char* sectionLabel, int position, double value)
{
    errtra(sectionLabel, position, std::isnan(value) ? "NAN" : "INF", value,
           nonFiniteSubstitute(value));
    return value;
}

double RRazava::sigma(const double* values, int k, double a, double b, bool alongY) const
{
    const MORVGlobalData& g = *gd;
    const int np = g.pointCount, n = g.variableCount;
    const double* s = alongY ? g.pointY.data() : g.pointX.data();
    auto u = [&](int i) { return values[static_cast<std::size_t>(i) * n + k - 1]; };
    if (np < 2)
        return 0;
    if (np == 2) // no three points for a quadratic: the linear rule on the one interval
        return (a <= b ? 1 : -1)
               * linearPart(s[0], s[1], u(0), u(1), clip(std::min(a, b), s[0], s[1]),
                            clip(std::max(a, b), s[0], s[1]));
    double sum = 0;
    for (int i = 0; i + 2 <= np - 1; i += 2) {
        const double lo = clip(a, s[i], s[i + 2]), hi = clip(b, s[i], s[i + 2]);
        if (lo != hi)
            sum += quadraticIntegral(s[i], s[i + 1], s[i + 2], u(i), u(i + 1), u(i + 2), lo, hi);
    }
    if (np % 2 == 0) {
        const int i = np - 3;
        const double lo = clip(a, s[np - 2], s[np - 1]), hi = clip(b, s[np - 2], s[np - 1]);
        if (lo != hi)
            sum += quadraticIntegral(s[i], s[i + 1], s[i + 2], u(i), u(i + 1), u(i + 2), lo, hi);
    }
    return sum;
}

double RRazava::sigma0(const double* values, int k, double a, double b, bool alongY) const
{
    const MORVGlobalData& g = *gd;
    const int np = g.pointCount, n = g.variableCount;
    const double* s = alongY ? g.pointY.data() : g.pointX.data();
    auto u = [&](int i) { return values[static_cast<std::size_t>(i) * n + k - 1]; };
    double sum = 0;
    for (int i = 0; i + 1 < np; ++i) {
        const double s0 = clip(a, s[i], s[i + 1]), s1 = clip(b, s[i], s[i + 1]);
        if (s0 < s1)
            sum += linearPart(s[i], s[i + 1], u(i), u(i + 1), s0, s1);
    }
    return sum;
}

double RRazava::sigmav(const double* values, int k, double a, double b, bool alongY) const
{
    const MORVGlobalData& g = *gd;
    const int np = g.pointCount, n = g.variableCount;
    const double* s = alongY ? g.pointY.data() : g.pointX.data();
    double sum = 0;
    for (int i = 0; i < np + (np % 2) - 2; i += 2) {
        const double s0 = clip(a, s[i], s[i + 2]), s1 = clip(b, s[i], s[i + 2]);
        if (s0 < s1)
            sum += (s1 - s0) * values[static_cast<std::size_t>(i + 1) * n + k - 1];
    }
    return sum;
}

double RRazava::sigmag(const double* values, int k, double a, double b, bool alongY) const
{
    const MORVGlobalData& g = *gd;
    const int np = g.pointCount, n = g.variableCount;
    const double* s = alongY ? g.pointY.data() : g.pointX.data();
    auto u = [&](int i) { return values[static_cast<std::size_t>(i) * n + k - 1]; };
    double sum = 0;
    for (int i = 0; i < np + (np % 2) - 2; i += 2) {
        const double s0 = clip(a, s[i], s[i + 2]), s1 = clip(b, s[i], s[i + 2]);
        if (s0 < s1)
            sum += linearPart(s[i], s[i + 2], u(i), u(i + 2), s0, s1);
    }
    return sum;
}

double RRazava::sigma1(const double* values, int k, int region) const
{
    const MORVGlobalData& g = *gd;
    const int n = g.variableCount;
    const int start = region > 1 ? g.integral1Ends[region - 2] : 0;
    const int end = g.integral1Ends[region - 1];
    double sum = 0;
    for (int j = start; j + 1 < end; ++j) {
        const int e = g.integral1Entries[j];
        if (e <= 0)
            continue;
        const int P = e - 1, Q = std::abs(g.integral1Entries[j + 1]) - 1;
        const double uP = values[static_cast<std::size_t>(P) * n + k - 1];
        const double uQ = values[static_cast<std::size_t>(Q) * n + k - 1];
        sum += 0.5 * (uP + uQ) * std::hypot(g.pointX[P] - g.pointX[Q], g.pointY[P] - g.pointY[Q]);
    }
    return sum;
}

double RRazava::sigma2(const double* values, int k, int region) const
{
    const MORVGlobalData& g = *gd;
    const int n = g.variableCount;
    const int start = region > 1 ? g.integral2Ends[region - 2] : 0;
    const int end = g.integral2Ends[region - 1];
    double sum = 0;
    for (int j = start; j + 2 < end; j += 3) {
        const int i0 = g.integral2Entries[j] - 1, i1 = g.integral2Entries[j + 1] - 1,
                  i2 = g.integral2Entries[j + 2] - 1;
        const double x0 = g.pointX[i0], x1 = g.pointX[i1], x2 = g.pointX[i2];
        const double y0 = g.pointY[i0], y1 = g.pointY[i1], y2 = g.pointY[i2];
        const double A = 0.5 * ((x2 - x0) * (y0 + y2) + (x1 - x2) * (y1 + y2) + (x0 - x1) * (y0 + y1));
        sum += std::fabs(A)
               * (values[static_cast<std::size_t>(i0) * n + k - 1]
                  + values[static_cast<std::size_t>(i1) * n + k - 1]
                  + values[static_cast<std::size_t>(i2) * n + k - 1])
               / 3;
    }
    return sum;
}

double RRazava::getsys(int item, double dt, int p) const
{
    const MORVGlobalData& g = *gd;
    const int np = g.pointCount;
    const double* x = g.pointX.data();
    const double* y = g.pointY.data();
    switch (item) {
    case 1: return dt;
    case 2: return x[0];
    case 3: return x[np - 1];
    case 4: return y[0];
    case 5: return y[np - 1];
    case 6: return p > 0 ? x[p] - x[p - 1] : 0;
    case 7: return p < np - 1 ? x[p + 1] - x[p] : 0;
    case 8: return p > 0 ? y[p] - y[p - 1] : 0;
    case 9: return p < np - 1 ? y[p + 1] - y[p] : 0;
    case 10: return g.TEND;
    default: return 0;
    }
}

double RRazava::attrib(int k, int p, double nx, double ny, bool& bad) const
{
    const MORVGlobalData& g = *gd;
    const int np = g.pointCount;
    bad = k > 7;
    // The grid's own coordinate, chosen like the one-dimensional integrals choose it.
    const double* c = std::fabs(ny) <= std::fabs(nx) ? g.pointY.data() : g.pointX.data();
    switch (k) {
    case 1: return g.pointAttributes[p];
    case 2: return p + 1;
    case 3: return nx;
    case 4: return ny;
    case 5: {
        if (np < 2)
            return 0;
        const int i = std::max(p - 1, 0);
        return c[i + 1] - c[i];
    }
    case 6: {
        if (np < 2)
            return 0;
        const int i = std::min(p + 1, np - 1);
        return c[i] - c[i - 1];
    }
    case 7: return p % 2;
    default: return 0;
    }
}

namespace {

const char* functionName(int id)
{
    for (const FunctionInfo& f : functions)
        if (f.id == id)
            return f.name;
    return "?";
}

// How CPROPERTY calls one property routine.
struct PropertyCall {
    int code;
    int lead;            // fixed arguments before the composition: 0, 1 (T) or 2 (rho/P, T)
    double leadFactor;   // factor of the first of two lead arguments (rho 0.001, P 10.0)
    double compFactor;   // factor of the composition values
    bool composition;    // a composition run follows the lead arguments
    bool perSpecies;     // fills the output vector; the last argument (CM1: the first) is k
    double resultFactor;
};

const PropertyCall* findProperty(int code)
{
    static const PropertyCall calls[] = {
        {PropCM1, 0, 1, 1, false, true, 1},
        {PropCM0C, 0, 1, 0.001, true, false, 1},
        {PropCM0X, 0, 1, 1, true, false, 1},
        {PropCM0Y, 0, 1, 1, true, false, 1},
        {PropCP0C, 2, 0.001, 0.001, true, false, 0.1},
        {PropCP0X, 2, 0.001, 1, true, false, 0.1},
        {PropCP0Y, 2, 0.001, 1, true, false, 0.1},
        {PropCR0C, 2, 10.0, 0.001, true, false, 1000.0},
        {PropCR0X, 2, 10.0, 1, true, false, 1000.0},
        {PropCR0Y, 2, 10.0, 1, true, false, 1000.0},
        {PropCX1C, 0, 1, 0.001, true, true, 1},
        {PropCX1Y, 0, 1, 1, true, true, 1},
        {PropCY1C, 0, 1, 0.001, true, true, 1},
        {PropCY1X, 0, 1, 1, true, true, 1},
        {PropCC1XP, 2, 10.0, 1, true, true, 1000.0},
        {PropCC1XR, 2, 0.001, 1, true, true, 1000.0},
        {PropCC1YP, 2, 10.0, 1, true, true, 1000.0},
        {PropCC1YR, 2, 0.001, 1, true, true, 1000.0},
        {PropACP1W, 1, 1, 1, false, true, 1e-4},
        {PropACP1M, 1, 1, 1, false, true, 1e-4},
        {PropACV1W, 1, 1, 1, false, true, 1e-4},
        {PropACV1M, 1, 1, 1, false, true, 1e-4},
        {PropAH1W, 1, 1, 1, false, true, 1e-4},
        {PropAH1M, 1, 1, 1, false, true, 1e-4},
        {PropACP0W, 1, 1, 1, true, false, 1e-4},
        {PropACP0M, 1, 1, 1, true, false, 1e-4},
        {PropACV0W, 1, 1, 1, true, false, 1e-4},
        {PropACV0M, 1, 1, 1, true, false, 1e-4},
        {PropAH0W, 1, 1, 1, true, false, 1e-4},
        {PropAH0M, 1, 1, 1, true, false, 1e-4},
        {PropBV1, 1, 1, 1, false, true, 0.1},
        {PropBC1, 1, 1, 1, false, true, 1e-5},
        {PropBV0, 1, 1, 1, true, false, 0.1},
        {PropBC0, 1, 1, 1, true, false, 1e-5},
        {PropBD1, 2, 10.0, 1, true, true, 1e-4},
    };
    for (const PropertyCall& c : calls)
        if (c.code == code)
            return &c;
    return nullptr;
}

// Runs the routine of a value property.
double valueRoutine(RChemistryPort& c, int code, double l1, double T, double* in)
{
    switch (code) {
    case PropCM0C: return c.CKMMWC(in);
    case PropCM0X: return c.CKMMWX(in);
    case PropCM0Y: return c.CKMMWY(in);
    case PropCP0C: return c.CKPC(l1, T, in);
    case PropCP0X: return c.CKPX(l1, T, in);
    case PropCP0Y: return c.CKPY(l1, T, in);
    case PropCR0C: return c.CKRHOC(l1, T, in);
    case PropCR0X: return c.CKRHOX(l1, T, in);
    case PropCR0Y: return c.CKRHOY(l1, T, in);
    case PropACP0W: return c.CKCPBS(T, in);
    case PropACP0M: return c.CKCPBL(T, in);
    case PropACV0W: return c.CKCVBS(T, in);
    case PropACV0M: return c.CKCVBL(T, in);
    case PropAH0W: return c.CKHBMS(T, in);
    case PropAH0M: return c.CKHBML(T, in);
    case PropBV0: return c.MCAVIS(T, in);
    case PropBC0: return c.MCACON(T, in);
    default: return 0;
    }
}

// Runs the routine of a per-species property into `out`.
void speciesRoutine(RChemistryPort& c, int code, double l1, double T, double* in, double* out)
{
    switch (code) {
    case PropCM1: c.CKWT(out); break;
    case PropCX1C: c.CKCTX(in, out); break;
    case PropCX1Y: c.CKYTX(in, out); break;
    case PropCY1C: c.CKCTY(in, out); break;
    case PropCY1X: c.CKXTY(in, out); break;
    case PropCC1XP: c.CKXTCP(l1, T, in, out); break;
    case PropCC1XR: c.CKXTCR(l1, T, in, out); break;
    case PropCC1YP: c.CKYTCP(l1, T, in, out); break;
    case PropCC1YR: c.CKYTCR(l1, T, in, out); break;
    case PropACP1W: c.CKCPMS(T, out); break;
    case PropACP1M: c.CKCPML(T, out); break;
    case PropACV1W: c.CKCVMS(T, out); break;
    case PropACV1M: c.CKCVML(T, out); break;
    case PropAH1W: c.CKHMS(T, out); break;
    case PropAH1M: c.CKHML(T, out); break;
    case PropBV1: c.MCSVIS(T, out); break;
    case PropBC1: c.MCSCON(T, out); break;
    case PropBD1: c.MCADIF(l1, T, in, out); break;
    default: break;
    }
}

} // namespace

void RRazava::callFunction(int id, double* stack, int& depth, const RBuiltinContext& ctx)
{
    MORVGlobalData& g = *gd;
    const char* label = ctx.sectionLabel;
    const int pos = ctx.position;
    double result = 0;

    if (id == FnCPROPERTY) {
        const long long m = depth > 0 ? toInt(stack[depth - 1]) : 0;
        if (m < 1 || m + 1 > depth) {
            // The count does not describe the stack: nothing can be popped safely.
            double v = 0;
            errtra(label, pos, "CPROPERTY", v, 0.0);
            if (depth > 0)
                stack[depth - 1] = v;
            else
                stack[depth++] = v;
            return;
        }
        const int mi = static_cast<int>(m);
        const double* A = stack + depth - mi; // A[0] = A1 ... A[mi - 2] = A(m-1)
        const int argc = mi - 1;
        const long long code = toInt(stack[depth - mi - 1]);
        const PropertyCall* call = findProperty(code >= 0 && code < 256 ? static_cast<int>(code) : -1);
        if (!call) {
            result = static_cast<double>(code);
        } else if (!chemistry || g.thermoFlag == 0) {
            // No chemistry block was loaded: there is no data set to ask.
            errtra(label, pos, "CPROPERTY", result, 0.0);
        } else {
            const int K = static_cast<int>(chemOutput.size());
            double l1 = 0, T = 0;
            if (call->lead == 1 && argc >= 1)
                T = A[0];
            if (call->lead == 2 && argc >= 2) {
                l1 = A[0] * call->leadFactor;
                T = A[1];
            }
            long long k = 0;
            int compStart = call->lead, compEnd = argc;
            if (call->perSpecies) {
                if (call->code == PropCM1) {
                    k = argc >= 1 ? toInt(A[0]) : 0;
                    compStart = compEnd = 0;
                } else {
                    k = argc >= 1 ? toInt(A[argc - 1]) : 0;
                    compEnd = argc - 1;
                }
            }
            if (call->composition) {
                const int len = std::min(std::max(compEnd - compStart, 0), K);
                for (int i = 0; i < len; ++i)
                    chemInput[i] = A[compStart + i] * call->compFactor;
            }
            if (!call->perSpecies) {
                result = valueRoutine(*chemistry, call->code, l1, T, chemInput.data())
                         * call->resultFactor;
            } else if (k <= 0) {
                speciesRoutine(*chemistry, call->code, l1, T, chemInput.data(), chemOutput.data());
                result = 0;
            } else if (k > K) {
                errtra(label, pos, "CPROPERTY", result, 0.0);
            } else {
                result = chemOutput[static_cast<std::size_t>(k - 1)] * call->resultFactor;
            }
        }
        if (!std::isfinite(result)) [[unlikely]]
            nonFiniteFunctionResult(label, pos, id, result);
        depth -= mi;
        stack[depth - 1] = result;
        return;
    }

    const int argc = argumentCount(id);
    if (argc == 0)
        return; // unassigned ids leave the stack as it is
    while (depth < argc)
        stack[depth++] = 0; // never met by checked code; keeps a bad stack inside its array
    double* a = stack + depth - argc;
    const int n = g.variableCount, np = g.pointCount;
    auto variableOk = [&](double v) { const long long k = toInt(v); return k >= 1 && k <= n; };
    const bool alongY = std::fabs(ctx.ny) <= std::fabs(ctx.nx);

    switch (id) {
    case FnAINT: result = std::trunc(a[0]); break;
    case FnANINT: result = a[0] >= 0 ? std::trunc(a[0] + 0.5) : -std::trunc(0.5 - a[0]); break;
    case FnABS: result = std::fabs(a[0]); break;
    case FnSIGN: result = a[0] * a[1] < 0 ? -a[0] : a[0]; break;
    case FnMOD: {
        double b = a[1];
        if (b == 0)
            errtra(label, pos, "MOD", b, 1e-10);
        result = a[0] - std::trunc(a[0] / b) * b;
        break;
    }
    case FnDIM: result = std::max(0.0, a[0] - a[1]); break;
    case FnMAX: result = std::max(a[0], a[1]); break;
    case FnMIN: result = std::min(a[0], a[1]); break;
    case FnSQRT: {
        double x = a[0];
        if (x < 0)
            errtra(label, pos, "SQRT", x, 0.0);
        result = std::sqrt(x);
        break;
    }
    case FnEXP: result = std::exp(a[0]); break;
    case FnLOG: {
        double x = a[0];
        if (x <= 0)
            errtra(label, pos, "LOG", x, 1e-10);
        result = std::log(x);
        break;
    }
    case FnLOG10: {
        double x = a[0];
        if (x <= 0)
            errtra(label, pos, "LOG10", x, 1e-10);
        result = std::log10(x);
        break;
    }
    case FnSIN: result = std::sin(a[0]); break;
    case FnCOS: result = std::cos(a[0]); break;
    case FnTAN: result = std::tan(a[0]); break;
    case FnASIN: case FnACOS: {
        double x = a[0];
        if (x < -1 || x > 1)
            errtra(label, pos, id == FnASIN ? "ASIN" : "ACOS", x, std::clamp(x, -1.0, 1.0));
        result = id == FnASIN ? std::asin(x) : std::acos(x);
        break;
    }
    case FnATAN: result = std::atan(a[0]); break;
    case FnATAN2: result = std::atan2(a[0], a[1]); break;
    case FnSINH: result = std::sinh(a[0]); break;
    case FnCOSH: result = std::cosh(a[0]); break;
    case FnTANH: result = std::tanh(a[0]); break;
    case FnERF: result = derf(a[0]); break;
    case FnINTEGRAL: case FnINTEGRAL0: case FnINTEGRALV: case FnINTEGRALG: {
        static const char* names[] = {"INTEGRAL", "INTEGRAL0", "INTEGRALV", "INTEGRALG"};
        const char* name = names[id == FnINTEGRAL ? 0 : id - FnINTEGRAL0 + 1];
        if (!variableOk(a[0])) {
            errtra(label, pos, name, result, 0.0);
            break;
        }
        const int k = static_cast<int>(toInt(a[0]));
        if (id == FnINTEGRAL)
            result = sigma(ctx.values, k, a[1], a[2], alongY);
        else if (id == FnINTEGRAL0)
            result = sigma0(ctx.values, k, a[1], a[2], alongY);
        else
            result = id == FnINTEGRALV ? sigmav(ctx.values, k, a[1], a[2], alongY)
                                       : sigmag(ctx.values, k, a[1], a[2], alongY);
        if ((id == FnINTEGRALV || id == FnINTEGRALG) && (np < 3 || np % 2 == 0))
            errtra(label, pos, name, result, result);
        break;
    }
    case FnSYSTEM: {
        const long long item = toInt(a[0]);
        result = item >= 1 && item <= 10 ? getsys(static_cast<int>(item), ctx.dt, ctx.point) : 0;
        break;
    }
    case FnFILE: {
        const long long k = toInt(a[0]);
        if (k < 1 || k > g.parameterCount)
            errtra(label, pos, "FILE", result, 0.0);
        else if (k <= static_cast<long long>(g.parameterValues.size()))
            result = g.parameterValues[static_cast<std::size_t>(k - 1)];
        else
            result = 0.0; // within the count, but no line has supplied it yet
        break;
    }
    case FnATTRIBUTE: {
        const long long k = toInt(a[0]);
        bool bad = false;
        result = attrib(static_cast<int>(std::clamp<long long>(k, -1, 8)), ctx.point, ctx.nx,
                        ctx.ny, bad);
        if (bad)
            errtra(label, pos, "ATTRIBUTE", result, 0.0);
        break;
    }
    case FnUPWINDX: case FnUPWINDY: {
        if (!variableOk(a[0])) {
            errtra(label, pos, id == FnUPWINDX ? "UPWINDX" : "UPWINDY", result, 0.0);
            break;
        }
        const int p = ctx.point;
        double dudx = 0, dudy = 0;
        upwind(ctx.values, n, g.neighbourCounts[p], g.neighbourList.data() + g.neighbourOffsets[p],
               g.pointX.data(), g.pointY.data(), 0, static_cast<int>(toInt(a[0])), a[1], a[2], p,
               ctx.nx, ctx.ny, dudx, dudy);
        result = id == FnUPWINDX ? dudx : dudy;
        break;
    }
    case FnINTEGRAL1: case FnINTEGRAL2: {
        const char* name = id == FnINTEGRAL1 ? "INTEGRAL1" : "INTEGRAL2";
        const long long r = toInt(a[1]);
        const int regions = id == FnINTEGRAL1 ? g.integral1Count : g.integral2Count;
        if (!variableOk(a[0]) || r < 1 || r > regions) {
            errtra(label, pos, name, result, 0.0);
            break;
        }
        const int k = static_cast<int>(toInt(a[0]));
        result = id == FnINTEGRAL1 ? sigma1(ctx.values, k, static_cast<int>(r))
                                   : sigma2(ctx.values, k, static_cast<int>(r));
        break;
    }
    case FnRESTART: {
        if (!variableOk(a[0])) {
            errtra(label, pos, "RESTART", result, 0.0);
            break;
        }
        result = GetFromRestartFile(static_cast<int>(toInt(a[0])), ctx.point, n, np,
                                    g.temporaryCount, a[1]);
        if (restartCacheState == -1)
            errtra(label, pos, "RESTART", result, a[1]);
        break;
    }
    default: break;
    }
    if (!std::isfinite(result)) [[unlikely]]
        nonFiniteFunctionResult(label, pos, id, result);
    depth -= argc;
    stack[depth++] = result;
}

void RRazava::nonFiniteFunctionResult(const char* sectionLabel, int position, int id,
                                      double& result)
{
    errtra(sectionLabel, position, functionName(id), result, nonFiniteSubstitute(result));
}

// The error function through the regularised incomplete gamma function.
#include "solver/RRazava.h"

#include <cmath>

double RRazava::gammln(double a)
{
    double t = a + 5.5;
    t -= (a + 0.5) * std::log(t);
    const double s = 1.000000000190015 + 76.18009172947146 / (a + 1) - 86.50532032941678 / (a + 2)
                     + 24.01409824083091 / (a + 3) - 1.231739572450155 / (a + 4)
                     + 0.001208650973866179 / (a + 5) - 5.395239384953e-06 / (a + 6);
    return std::log(2.5066282746310007 * s / a) - t;
}

double RRazava::gser(double a, double x, double& lnGamma)
{
    lnGamma = gammln(a);
    if (x <= 0)
        return 0;
    double ap = a, term = 1 / a, sum = term;
    for (int i = 0; i < 100; ++i) {
        ap += 1;
        term *= x / ap;
        sum += term;
        if (std::fabs(term) < std::fabs(sum) * 3e-7)
            return sum * std::exp(-x + a * std::log(x) - lnGamma);
    }
    return sum;
}

double RRazava::gcf(double a, double x, double& lnGamma)
{
    lnGamma = gammln(a);
    double A0 = 1, A1 = x, B0 = 0, B1 = 1, f = 1, gOld = 0, g = 0;
    for (int n = 1; n <= 100; ++n) {
        const double an = n - a;
        A0 = (A1 + A0 * an) * f;
        B0 = (B1 + B0 * an) * f;
        const double anf = n * f;
        A1 = x * A0 + anf * A1;
        B1 = x * B0 + anf * B1;
        if (A1 != 0) {
            f = 1 / A1;
            g = B1 * f;
            if (std::fabs((g - gOld) / g) < 3e-7)
                return std::exp(-x + a * std::log(x) - lnGamma) * g;
            gOld = g;
        }
    }
    return g;
}

double RRazava::gammp(double a, double x)
{
    double lg = 0;
    if (x < a + 1)
        return gser(a, x, lg);
    return 1 - gcf(a, x, lg);
}

double RRazava::derf(double x)
{
    const double y = x * x;
    double lg = 0;
    // Past y = 750 the factor exp(-y) underflows and the result is exactly 1; answering so
    // directly also spares the continued fraction, which overflows for y near 1e154.
    const double r = y < 1.5 ? gser(0.5, y, lg) : y > 750 ? 1.0 : 1 - gcf(0.5, y, lg);
    return x < 0 ? -r : r;
}

double RRazava::LimitedValue(double x) { return std::fabs(x) < 1e-97 ? 0.0 : x; }

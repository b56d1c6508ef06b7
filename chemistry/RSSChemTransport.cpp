// Mixture transport routines: evaluation of the fitted transport polynomials and the mixing
// rules. They allocate nothing; the work arrays belong to the data set.
#include "chemistry/RSSChem.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
const double kNoValue = std::numeric_limits<double>::quiet_NaN();

inline double cubic(const double* c, double x)
{
    return ((c[3] * x + c[2]) * x + c[1]) * x + c[0];
}
} // namespace

void RSSChem::MCEVAL(double x, int kk, int nCoef, const double* fits, double* out) const
{
    for (int k = 0; k < kk; ++k) out[k] = HORNER(nCoef, fits + static_cast<size_t>(k) * nCoef, x);
}

// A data set without transport fits (a block loaded without them) answers every transport
// query with a value that is not a number instead of reading fits it does not have.

void RSSChem::MCSVIS(double T, double* visc) const
{
    if (!hasTransportFits()) {
        std::fill(visc, visc + kk_, kNoValue);
        return;
    }
    double lnT = std::log(T);
    for (int k = 0; k < kk_; ++k) visc[k] = std::exp(cubic(&visc_[static_cast<size_t>(k) * 4], lnT));
}

void RSSChem::MCSCON(double T, double* cond) const
{
    if (!hasTransportFits()) {
        std::fill(cond, cond + kk_, kNoValue);
        return;
    }
    double lnT = std::log(T);
    for (int k = 0; k < kk_; ++k) cond[k] = std::exp(cubic(&cond_[static_cast<size_t>(k) * 4], lnT));
}

double RSSChem::MCAVIS(double T, const double* x)
{
    if (!hasTransportFits()) return kNoValue;
    double* eta = work1_.data();
    double* invSqrtEta = work2_.data();
    MCSVIS(T, eta);
    for (int k = 0; k < kk_; ++k) invSqrtEta[k] = 1.0 / std::sqrt(eta[k]);
    double result = 0.0;
    for (int j = 0; j < kk_; ++j) {
        double s = 0.0;
        const double sqrtEtaJ = std::sqrt(eta[j]);
        const double* w4 = &mixW4_[static_cast<size_t>(j) * kk_];
        const double* wf = &mixWF_[static_cast<size_t>(j) * kk_];
        for (int k = 0; k < kk_; ++k) {
            double a = 1.0 + sqrtEtaJ * invSqrtEta[k] * w4[k];
            s += x[k] * a * a * wf[k];
        }
        result += x[j] * eta[j] / s;
    }
    return result;
}

double RSSChem::MCACON(double T, const double* x)
{
    if (!hasTransportFits()) return kNoValue;
    double* lambda = work1_.data();
    MCSCON(T, lambda);
    double sum = 0.0, sumInv = 0.0;
    for (int k = 0; k < kk_; ++k) {
        sum += x[k] * lambda[k];
        sumInv += x[k] / lambda[k];
    }
    return 0.5 * (sum + 1.0 / sumInv);
}

void RSSChem::MCEDIF(double T, int nCoef, int kk, const double* x, const double* cofd, const double* wt,
                     double small, double* xx, double* djk, double* d) const
{
    double lnT = std::log(T);
    size_t k2 = static_cast<size_t>(kk);
    // The pair fits are symmetric: each pair is evaluated once.
    for (size_t j = 0; j < k2; ++j)
        for (size_t k = 0; k <= j; ++k) {
            double v = std::exp(HORNER(nCoef, cofd + (j * k2 + k) * static_cast<size_t>(nCoef), lnT));
            djk[j * k2 + k] = v;
            djk[k * k2 + j] = v;
        }
    if (kk == 1) {
        // A pure species diffuses with its self-diffusion coefficient; the mixture sums over the
        // other species would be empty.
        d[0] = djk[0];
        return;
    }
    double wbar = 0.0;
    for (int k = 0; k < kk; ++k) {
        xx[k] = x[k] + small;
        wbar += wt[k] * x[k];
    }
    for (size_t k = 0; k < k2; ++k) {
        double sumXW = 0.0, sumXD = 0.0;
        for (size_t j = 0; j < k2; ++j) {
            if (j == k) continue;
            sumXW += xx[j] * wt[j];
            sumXD += xx[j] / djk[k * k2 + j];
        }
        d[k] = sumXW / (wbar * sumXD);
    }
}

void RSSChem::MCADIF(double P, double T, const double* x, double* d)
{
    if (!hasTransportFits()) {
        std::fill(d, d + kk_, kNoValue);
        return;
    }
    MCEDIF(T, 4, kk_, x, diff_.data(), wt_.data(), small_, work1_.data(), workMatrix_.data(), d);
    double f = P0_ / P;
    for (int k = 0; k < kk_; ++k) d[k] *= f;
}

void RSSChem::MCSDIF(double P, double T, double* djk) const
{
    if (!hasTransportFits()) {
        std::fill(djk, djk + static_cast<size_t>(kk_) * static_cast<size_t>(kk_), kNoValue);
        return;
    }
    double lnT = std::log(T), f = P0_ / P;
    size_t n = static_cast<size_t>(kk_) * static_cast<size_t>(kk_);
    for (size_t i = 0; i < n; ++i) djk[i] = std::exp(cubic(&diff_[i * 4], lnT)) * f;
}

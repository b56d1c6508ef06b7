// Species and mixture thermodynamic routines and composition conversions (CGS units).
// Each species uses its low-temperature set up to and including its common temperature and
// its high-temperature set above it; no limit is applied outside its temperature range.
#include "chemistry/RSSChem.h"

#include <cstring>

const double* RSSChem::coefficientsFor(int k, double T) const
{
    const double* low = &coef_[static_cast<size_t>(k) * 14];
    return T > tMid_[k] ? low + 7 : low;
}

double RSSChem::cpOverR(int k, double T) const
{
    const double* a = coefficientsFor(k, T);
    double s = 0.0, p = 1.0;
    for (int n = 0; n < nCp_; ++n) {
        s += a[n] * p;
        p *= T;
    }
    return s;
}

double RSSChem::hOverRT(int k, double T) const
{
    const double* a = coefficientsFor(k, T);
    double s = 0.0, p = 1.0;
    for (int n = 0; n < nCp_; ++n) {
        s += a[n] * p / (n + 1);
        p *= T;
    }
    return s + a[nCp_] / T;
}

void RSSChem::CKCPML(double T, double* cpml) const
{
    for (int k = 0; k < kk_; ++k) cpml[k] = R_ * cpOverR(k, T);
}

void RSSChem::CKCVML(double T, double* cvml) const
{
    for (int k = 0; k < kk_; ++k) cvml[k] = R_ * cpOverR(k, T) - R_;
}

void RSSChem::CKCPMS(double T, double* cpms) const
{
    for (int k = 0; k < kk_; ++k) cpms[k] = R_ * cpOverR(k, T) / wt_[k];
}

void RSSChem::CKCVMS(double T, double* cvms) const
{
    for (int k = 0; k < kk_; ++k) cvms[k] = R_ * cpOverR(k, T) / wt_[k] - R_ / wt_[k];
}

void RSSChem::CKHML(double T, double* hml) const
{
    for (int k = 0; k < kk_; ++k) hml[k] = R_ * T * hOverRT(k, T);
}

void RSSChem::CKHMS(double T, double* hms) const
{
    for (int k = 0; k < kk_; ++k) hms[k] = R_ * T * hOverRT(k, T) / wt_[k];
}

double RSSChem::CKCPBL(double T, const double* x) const
{
    double s = 0.0;
    for (int k = 0; k < kk_; ++k) s += x[k] * (R_ * cpOverR(k, T));
    return s;
}

double RSSChem::CKCPBS(double T, const double* y) const
{
    double s = 0.0;
    for (int k = 0; k < kk_; ++k) s += y[k] * (R_ * cpOverR(k, T) / wt_[k]);
    return s;
}

double RSSChem::CKCVBL(double T, const double* x) const
{
    double s = 0.0;
    for (int k = 0; k < kk_; ++k) s += x[k] * (R_ * cpOverR(k, T) - R_);
    return s;
}

double RSSChem::CKCVBS(double T, const double* y) const
{
    double s = 0.0;
    for (int k = 0; k < kk_; ++k) s += y[k] * ((R_ * cpOverR(k, T) - R_) / wt_[k]);
    return s;
}

double RSSChem::CKHBML(double T, const double* x) const
{
    double s = 0.0;
    for (int k = 0; k < kk_; ++k) s += x[k] * (R_ * T * hOverRT(k, T));
    return s;
}

double RSSChem::CKHBMS(double T, const double* y) const
{
    double s = 0.0;
    for (int k = 0; k < kk_; ++k) s += y[k] * (R_ * T * hOverRT(k, T) / wt_[k]);
    return s;
}

double RSSChem::CKMMWC(const double* c) const
{
    double cw = 0.0, sc = 0.0;
    for (int k = 0; k < kk_; ++k) {
        cw += c[k] * wt_[k];
        sc += c[k];
    }
    return cw / sc;
}

double RSSChem::CKMMWX(const double* x) const
{
    double s = 0.0;
    for (int k = 0; k < kk_; ++k) s += x[k] * wt_[k];
    return s;
}

double RSSChem::CKMMWY(const double* y) const
{
    double s = 0.0;
    for (int k = 0; k < kk_; ++k) s += y[k] / wt_[k];
    return 1.0 / s;
}

double RSSChem::CKPC(double rho, double T, const double* c) const
{
    double cw = 0.0, sc = 0.0;
    for (int k = 0; k < kk_; ++k) {
        cw += c[k] * wt_[k];
        sc += c[k];
    }
    return rho * R_ * T * sc / cw;
}

double RSSChem::CKPX(double rho, double T, const double* x) const
{
    return rho * R_ * T / CKMMWX(x);
}

double RSSChem::CKPY(double rho, double T, const double* y) const
{
    double s = 0.0;
    for (int k = 0; k < kk_; ++k) s += y[k] / wt_[k];
    return rho * R_ * T * s;
}

double RSSChem::CKRHOC(double P, double T, const double* c) const
{
    double cw = 0.0, sc = 0.0;
    for (int k = 0; k < kk_; ++k) {
        cw += c[k] * wt_[k];
        sc += c[k];
    }
    return P * cw / (R_ * T * sc);
}

double RSSChem::CKRHOX(double P, double T, const double* x) const
{
    return P * CKMMWX(x) / (R_ * T);
}

double RSSChem::CKRHOY(double P, double T, const double* y) const
{
    double s = 0.0;
    for (int k = 0; k < kk_; ++k) s += y[k] / wt_[k];
    return P / (R_ * T * s);
}

void RSSChem::CKCTX(const double* c, double* x) const
{
    double sc = 0.0;
    for (int k = 0; k < kk_; ++k) sc += c[k];
    for (int k = 0; k < kk_; ++k) x[k] = c[k] / sc;
}

void RSSChem::CKCTY(const double* c, double* y) const
{
    double cw = 0.0;
    for (int k = 0; k < kk_; ++k) cw += c[k] * wt_[k];
    for (int k = 0; k < kk_; ++k) y[k] = c[k] * wt_[k] / cw;
}

void RSSChem::CKXTY(const double* x, double* y) const
{
    double xw = CKMMWX(x);
    for (int k = 0; k < kk_; ++k) y[k] = x[k] * wt_[k] / xw;
}

void RSSChem::CKYTX(const double* y, double* x) const
{
    double s = 0.0;
    for (int k = 0; k < kk_; ++k) s += y[k] / wt_[k];
    for (int k = 0; k < kk_; ++k) x[k] = y[k] / wt_[k] / s;
}

void RSSChem::CKXTCP(double P, double T, const double* x, double* c) const
{
    double f = P / (R_ * T);
    for (int k = 0; k < kk_; ++k) c[k] = f * x[k];
}

void RSSChem::CKXTCR(double rho, const double* x, double* c) const
{
    double xw = CKMMWX(x);
    for (int k = 0; k < kk_; ++k) c[k] = rho * x[k] / xw;
}

void RSSChem::CKYTCP(double P, double T, const double* y, double* c) const
{
    double s = 0.0;
    for (int k = 0; k < kk_; ++k) s += y[k] / wt_[k];
    for (int k = 0; k < kk_; ++k) c[k] = P * y[k] / (R_ * T * s * wt_[k]);
}

void RSSChem::CKYTCR(double rho, const double* y, double* c) const
{
    for (int k = 0; k < kk_; ++k) c[k] = rho * y[k] / wt_[k];
}

void RSSChem::CKWT(double* wt) const
{
    for (int k = 0; k < kk_; ++k) wt[k] = wt_[k];
}

void RSSChem::CKAWT(double* awt) const
{
    for (int m = 0; m < mm_; ++m) awt[m] = awt_[m];
}

void RSSChem::CKCHRG(int* charges) const
{
    for (int k = 0; k < kk_; ++k) charges[k] = charge_.empty() ? 0 : charge_[k];
}

void RSSChem::CKPHAZ(int* phases) const
{
    for (int k = 0; k < kk_; ++k) phases[k] = phase_.empty() ? 0 : phase_[k];
}

void RSSChem::CKINDX(int& elements, int& species, int& coefficients) const
{
    elements = mm_;
    species = kk_;
    coefficients = nFit_;
}

std::string RSSChem::CKSYME(int index) const
{
    if (index < 1 || index > static_cast<int>(elemNames_.size())) return std::string();
    return elemNames_[static_cast<size_t>(index - 1)];
}

std::string RSSChem::CKSYMS(int index) const
{
    if (index < 1 || index > static_cast<int>(specNames_.size())) return std::string();
    return specNames_[static_cast<size_t>(index - 1)];
}

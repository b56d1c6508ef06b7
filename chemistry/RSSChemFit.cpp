// Transport data and fitting: the transport data base reader, the kinetic-theory evaluations
// at the fit temperatures and the cubic fits of their logarithms.
#include "chemistry/RSSChem.h"

#include "chemistry/RChemText.h"

#include <cmath>
#include <filesystem>
#include <fstream>

using namespace chemtext;

namespace {
constexpr int kMaxPoints = 50;

bool fileExists(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(std::filesystem::u8path(path), ec);
}

double parkerF(double T, double epsOverK)
{
    double r = epsOverK / T;
    return 1.0 + 2.7842 * std::sqrt(r) + 4.4674 * r + 5.5683 * r * std::sqrt(r);
}
} // namespace

int RSSChem::tpRead(std::istream& in)
{
    int result = 0;
    const auto species = firstPositions(specNames_.data(), static_cast<size_t>(kk_));
    std::string raw;
    while (std::getline(in, raw)) {
        chopCR(raw);
        std::string line = raw;
        size_t bang = line.find('!');
        if (bang == 0) continue;
        if (bang != std::string::npos) line.erase(bang);
        std::vector<std::string> items = split(line, ",");
        // A line of separators only (",,," from a spreadsheet's empty row) is blank.
        if (items.empty()) continue;
        const int k = positionOf(species, items[0]);
        if (k < 0) continue;
        TransportParams& p = tp_[k];
        double* targets[5] = {&p.eps, &p.sig, &p.dip, &p.pol, &p.zrot};
        bool ok = true;
        for (int n = 1; n <= 6 && ok; ++n) {
            double v = 0.0;
            ok = n < static_cast<int>(items.size()) && parseDouble(items[n], v);
            if (ok && n == 1) {
                // The geometry is a whole number.
                ok = (v == std::floor(v)) && std::fabs(v) < 1e6;
                if (ok) p.geometry = static_cast<int>(v);
            } else if (ok) {
                *targets[n - 2] = v;
            }
        }
        if (!ok) {
            errLines_.push_back("! ERROR READING FROM TRANSPORT DATA BASE");
            errLines_.push_back("!'" + raw + "'");
            result = 1;
        }
    }
    return result;
}

double RSSChem::reducedDipoleFactor() const
{
    return 0.5 * debye_ * debye_ * angstrom_ * angstrom_ * angstrom_ / boltz_;
}

int RSSChem::fitOne(int nPoints, const double* x, const double* y, int nCoef, double* coeffs, double& rms)
{
    double A[3 * kMaxPoints + 8];
    double w[1] = {-1.0};
    int ndeg = 0;
    double eps = 0.0;
    int r = POLFIT(nPoints, x, y, w, nCoef - 1, ndeg, eps, nullptr, A);
    if (r != 1) return r;
    double tc[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    PCOEF(ndeg, 0.0, tc, A);
    for (int n = 0; n < nCoef; ++n) {
        coeffs[n] = n <= ndeg ? tc[n] : 0.0;
        // A coefficient that is not finite is never a fit.
        if (!std::isfinite(coeffs[n])) return 2;
    }
    rms = eps;
    return 1;
}

int RSSChem::LAMFIT(double pressure, int nPoints, int nCoef, double tFirst, double dT, double* condFits,
                    double* viscFits, double& condErr, double& viscErr)
{
    if (nPoints < 1 || nPoints > kMaxPoints || nCoef < 1 || nCoef > 8) return 2;
    condErr = 0.0;
    viscErr = 0.0;
    const double K = reducedDipoleFactor();
    double x[kMaxPoints], yc[kMaxPoints], yv[kMaxPoints];
    for (int k = 0; k < kk_; ++k) {
        const TransportParams& p = tp_[k];
        const double W = wt_[k];
        const double dStar = K * p.dip * p.dip / (p.eps * p.sig * p.sig * p.sig);
        omegaUndefined_ = false;
        for (int n = 0; n < nPoints; ++n) {
            const double T = tFirst + n * dT;
            const double tStar = T / p.eps;
            const double om22 = OMEG12(2, tStar, dStar);
            const double om11 = OMEG12(1, tStar, dStar);
            const double visc = 2.6693e-5 * std::sqrt(W * T) / (p.sig * p.sig * om22);
            const double dkk = 0.002628 * std::sqrt(T * T * T / W) / ((pressure / P0_) * p.sig * p.sig * om11);
            const double rho = pressure * W / (R_ * T);
            const double f = rho * dkk / visc;
            const double a = 2.5 - f;
            double factor;
            if (p.geometry == 0) {
                factor = 3.75 * R_;
            } else {
                const double zrot = p.zrot * parkerF(298.0, p.eps) / parkerF(T, p.eps);
                const double cv = R_ * cpOverR(k, T) - R_;
                // Geometry 1 is a linear molecule; every other value is taken as nonlinear.
                const bool linear = p.geometry == 1;
                const double c1 = linear ? 5.0 / 3.0 : 2.5, c2 = linear ? 4.0 / 3.0 : 2.0;
                const double piB = 2.0 * (c1 + f) + pi_ * zrot;
                const double fRot = f * (1.0 + 2.0 * a / piB);
                const double fTrans = 2.5 * (1.0 - c2 * a / piB);
                factor = linear ? f * (cv - 2.5 * R_) + R_ * (fRot + 1.5 * fTrans)
                                : f * (cv - 3.0 * R_) + 1.5 * R_ * (fTrans + fRot);
            }
            const double cond = visc / W * factor;
            x[n] = std::log(T);
            yc[n] = std::log(cond);
            yv[n] = std::log(visc);
        }
        // A collision integral outside its table makes the values meaningless: no fit.
        if (omegaUndefined_) return 2;
        double rms = 0.0;
        int r = fitOne(nPoints, x, yc, nCoef, condFits + static_cast<size_t>(k) * nCoef, rms);
        if (r != 1) return r;
        condErr = std::max(condErr, rms);
        r = fitOne(nPoints, x, yv, nCoef, viscFits + static_cast<size_t>(k) * nCoef, rms);
        if (r != 1) return r;
        viscErr = std::max(viscErr, rms);
    }
    return 0;
}

double RSSChem::D12(double w1, double w2, double T, double eps1, double eps2, double sig1, double sig2,
                    double dst)
{
    const double M = w1 + w2;
    const double t1 = T / eps1, t2 = T / eps2, t12 = T / std::sqrt(eps1 * eps2);
    const double sig12 = 0.5 * (sig1 + sig2);
    const double om22_1 = OMEG12(2, t1, dst);
    const double om22_2 = OMEG12(2, t2, dst);
    const double om11_12 = OMEG12(1, t12, dst);
    const double aStar = OMEG12(2, t12, dst) / om11_12;
    double bStar, F;
    if (t12 <= 5.0) {
        bStar = 1.36 - 0.223 * t12 + 0.0613 * t12 * t12 - 0.00554 * t12 * t12 * t12;
        F = 6.0 * (0.823 + 0.0128 * t12 + 0.0112 * t12 * t12 - 0.00193 * t12 * t12 * t12) - 5.0;
    } else {
        bStar = 1.095;
        F = 0.6898;
    }
    const double s12 = (sig1 / sig2) * (sig1 / sig2), s21 = (sig2 / sig1) * (sig2 / sig1);
    const double dm = (w1 - w2) / M;
    const double p1 = std::sqrt(2.0 * w2 / M) * s12 * 2.0 * w1 * w1 / (M * w2) * om22_1 / om11_12;
    const double p2 = std::sqrt(2.0 * w1 / M) * s21 * 2.0 * w2 * w2 / (M * w1) * om22_2 / om11_12;
    const double p12 = 15.0 * dm * dm + 8.0 * w1 * w2 * aStar / (M * M);
    const double r1 = (sig1 / sig12) * (sig1 / sig12), r2 = (sig2 / sig12) * (sig2 / sig12);
    const double q1 = r1 * std::sqrt(2.0 * w2 / M) * 2.0 / (M * w2) * om22_1 / om11_12
                      * (3.0 * w2 * w2 + (2.5 - 1.2 * bStar) * w1 * w1 + 1.6 * w1 * w2 * aStar);
    const double q2 = r2 * std::sqrt(2.0 * w1 / M) * 2.0 / (M * w1) * om22_2 / om11_12
                      * (3.0 * w1 * w1 + (2.5 - 1.2 * bStar) * w2 * w2 + 1.6 * w1 * w2 * aStar);
    const double sig12sq = sig12 * sig12;
    const double q12 = 15.0 * dm * dm * (2.5 - 1.2 * bStar) + 4.0 * w1 * w2 * aStar * (11.0 - 2.4 * bStar) / (M * M)
                       + 1.6 * M * om22_1 * om22_2 / (std::sqrt(w1 * w2) * om11_12 * om11_12)
                             * (sig1 * sig2) * (sig1 * sig2) / (sig12sq * sig12sq);
    return 1.0 + F * F / 10.0 * (p1 + p2 + p12) / (q1 + q2 + q12);
}

int RSSChem::DIFFIT(double pressure, int nPoints, int nCoef, double tFirst, double dT, double* diffFits,
                    double& diffErr)
{
    if (nPoints < 1 || nPoints > kMaxPoints || nCoef < 1 || nCoef > 8) return 2;
    diffErr = 0.0;
    const double K = reducedDipoleFactor();
    const size_t kk = static_cast<size_t>(kk_), nc = static_cast<size_t>(nCoef);
    double x[kMaxPoints], y[kMaxPoints];
    for (int j = 0; j < kk_; ++j) {
        for (int k = 0; k <= j; ++k) {
            const TransportParams& pj = tp_[j];
            const TransportParams& pk = tp_[k];
            const bool polarJ = pj.dip > dipMin_, polarK = pk.dip > dipMin_;
            const double sig0 = 0.5 * (pj.sig + pk.sig);
            double xi = 1.0, dst = 0.0;
            if (polarJ != polarK) {
                const TransportParams& np = polarJ ? pk : pj; // the nonpolar one
                const TransportParams& pp = polarJ ? pj : pk; // the polar one
                const double dStarP = K * pp.dip * pp.dip / (pp.eps * pp.sig * pp.sig * pp.sig);
                xi = 1.0 + 0.5 * (np.pol / (np.sig * np.sig * np.sig)) * dStarP * std::sqrt(pp.eps / np.eps);
            } else {
                dst = K * pj.dip * pk.dip / (sig0 * sig0 * sig0 * std::sqrt(pj.eps * pk.eps));
            }
            const double sigJK = sig0 * std::pow(xi, -1.0 / 6.0);
            const double epsJK = std::sqrt(pj.eps * pk.eps) * xi * xi;
            const double wj = wt_[j], wk = wt_[k];
            omegaUndefined_ = false;
            for (int n = 0; n < nPoints; ++n) {
                const double T = tFirst + n * dT;
                const double tStar = T / epsJK;
                double d = 0.002628 * P0_ * std::sqrt(T * T * T * (wj + wk) / (2.0 * wj * wk))
                           / (sigJK * sigJK * OMEG12(1, tStar, dst) * pressure);
                d *= D12(wj, wk, T, pj.eps, pk.eps, pj.sig, pk.sig, dst);
                x[n] = std::log(T);
                y[n] = std::log(d);
            }
            if (omegaUndefined_) return 2;
            double rms = 0.0;
            int r = fitOne(nPoints, x, y, nCoef, diffFits + (static_cast<size_t>(j) * kk + k) * nc, rms);
            if (r != 1) return r;
            diffErr = std::max(diffErr, rms);
        }
    }
    for (size_t j = 0; j < kk; ++j)
        for (size_t k = 0; k < j; ++k)
            for (size_t n = 0; n < nc; ++n) diffFits[(k * kk + j) * nc + n] = diffFits[(j * kk + k) * nc + n];
    return 0;
}

int RSSChem::THMFIT(int nPoints, int nCoef, double tFirst, double dT, double* thermFits, int* lightList,
                    int& lightCount, double& thermErr)
{
    if (nPoints < 1 || nPoints > kMaxPoints || nCoef < 1 || nCoef > 8) return 2;
    thermErr = 0.0;
    lightCount = 0;
    const size_t kk = static_cast<size_t>(kk_), nc = static_cast<size_t>(nCoef);
    double x[kMaxPoints], y[kMaxPoints];
    for (int i = 0; i < kk_; ++i) {
        if (wt_[i] > 5.0) continue;
        lightList[lightCount] = i + 1;
        const size_t row = static_cast<size_t>(lightCount);
        ++lightCount;
        const TransportParams& pi = tp_[i];
        const double epsI = pi.eps * boltz_;
        const double polI = pi.pol * 1e-24 / std::pow(pi.sig * 1e-8, 3);
        for (int k = 0; k < kk_; ++k) {
            double* fit = thermFits + (row * kk + static_cast<size_t>(k)) * nc;
            if (k == i) {
                for (size_t n = 0; n < nc; ++n) fit[n] = 0.0;
                continue;
            }
            const TransportParams& pk = tp_[k];
            const double epsK = pk.eps * boltz_;
            const double muK2 = (pk.dip * 1e-18) * (pk.dip * 1e-18) / (std::pow(pk.sig * 1e-8, 3) * epsK);
            const double xi = 1.0 + 0.25 * polI * muK2 * std::sqrt(epsK / epsI);
            const double epsIK = std::sqrt(pi.eps * pk.eps) * xi * xi;
            const double wi = wt_[i], wk = wt_[k];
            for (int n = 0; n < nPoints; ++n) {
                const double T = tFirst + n * dT;
                const double t = std::log(T / epsIK);
                const double aS = 1.106910525 + t * (-7.065517161e-3 + t * (-1.671975393e-2 + t * (1.188708609e-2
                                  + t * (7.569367323e-4 + t * (-1.313998345e-3 + t * 1.720853282e-4)))));
                const double bS = 1.199673577 + t * (-1.140928763e-1 + t * (-2.147636665e-3 + t * (2.512965407e-2
                                  + t * (-3.030372973e-3 + t * (-1.445009039e-3 + t * 2.492954809e-4)))));
                const double cS = 8.386993788e-1 + t * (4.748325276e-2 + t * (3.250097527e-2 + t * (-1.625859588e-2
                                  + t * (-2.260153363e-3 + t * (1.844922811e-3 - t * 2.115417788e-4)))));
                x[n] = T;
                y[n] = 7.5 * (wk - wi) / (wk + wi) * (2.0 * aS + 5.0) * (6.0 * cS - 5.0)
                       / (aS * (16.0 * aS - 12.0 * bS + 55.0));
            }
            double rms = 0.0;
            int r = fitOne(nPoints, x, y, nCoef, fit, rms);
            if (r != 1) return r;
            thermErr = std::max(thermErr, rms);
        }
    }
    return 0;
}

int RSSChem::tranfit()
{
    if (ckStatus_ >= 2) return 0;
    if (ckStatus_ == 0) return 1;
    setConstants();

    double tl = tLow_[0], th = tHigh_[0];
    for (int k = 1; k < kk_; ++k) {
        tl = std::max(tl, tLow_[k]);
        th = std::min(th, tHigh_[k]);
    }
    logLines_.push_back("- Data has been fit over the range:  T(low)=" + fmtF(tl, 9, 2) + ", T(high)="
                        + fmtF(th, 9, 2));
    tp_.assign(static_cast<size_t>(kk_), TransportParams());

    int result = 0;
    if (fileExists(tranDb_)) {
        std::ifstream in(std::filesystem::u8path(tranDb_), std::ios::binary);
        result = tpRead(in);
    }
    if (fileExists(extraTran_)) {
        std::ifstream in(std::filesystem::u8path(extraTran_), std::ios::binary);
        result = tpRead(in);
    }
    logLines_.push_back("- Transport parameters from data base:");
    for (int k = 0; k < kk_; ++k) {
        const TransportParams& p = tp_[k];
        if (p.geometry == 1000) {
            errLines_.push_back("! ERROR...TRANSPORT DATA NOT GIVEN FOR " + specNames_[k]);
            result = 1;
            continue;
        }
        logLines_.push_back(fmtS(specNames_[k], 15) + fmtD(p.geometry, 3) + " " + fmtG(p.eps, 12, 6) + " "
                            + fmtG(p.sig, 12, 6) + " " + fmtG(p.dip, 12, 6) + " " + fmtG(p.pol, 12, 6) + " "
                            + fmtG(p.zrot, 12, 6));
    }
    if (result != 0) {
        releaseTransport();
        return result;
    }

    const int nPoints = 50, nCoef = 4;
    const double dT = (th - tl) / 49.0;
    const size_t kk = static_cast<size_t>(kk_);
    cond_.assign(kk * 4, 0.0);
    visc_.assign(kk * 4, 0.0);
    diff_.assign(kk * kk * 4, 0.0);
    therm_.assign(kk * kk * 4, 0.0);
    light_.assign(kk, 0);
    auto fail = [this](const char* line, int code) {
        errLines_.push_back(line);
        releaseTransport();
        return code;
    };
    int r = LAMFIT(P0_, nPoints, nCoef, tl, dT, cond_.data(), visc_.data(), condErr_, viscErr_);
    if (r != 0) return fail("! ERROR IN POLFIT WHILE FITTING VISCOSITY OR CONDUCTIVITY", r);
    r = DIFFIT(P0_, nPoints, nCoef, tl, dT, diff_.data(), diffErr_);
    if (r != 0) return fail("! ERROR IN POLFIT WHILE FITTING DIFFUSION COEFFICIENT", r);
    std::fill(therm_.begin(), therm_.end(), 0.0);
    r = THMFIT(nPoints, nCoef, tl, dT, therm_.data(), light_.data(), nLight_, thermErr_);
    if (r != 0) return fail("! ERROR IN POLFIT WHILE FITTING THERMAL DIFFUSION RATIO", r);
    light_.resize(static_cast<size_t>(nLight_));

    auto coeffs = [](const double* c) {
        std::string s;
        for (int n = 0; n < 4; ++n) s += " " + fmtE(c[n], 12, 4);
        return s;
    };
    logLines_.push_back("- Coefficients for species Conductivities");
    logLines_.push_back("  Maximum fitting error = " + fmtE(condErr_, 12, 4));
    for (size_t k = 0; k < kk; ++k) logLines_.push_back(fmtS(specNames_[k], 16) + coeffs(&cond_[k * 4]));
    logLines_.push_back("- Coefficients for species Viscosities");
    logLines_.push_back("  Maximum fitting error = " + fmtE(viscErr_, 12, 4));
    for (size_t k = 0; k < kk; ++k) logLines_.push_back(fmtS(specNames_[k], 16) + coeffs(&visc_[k * 4]));
    logLines_.push_back("- Coefficients for species Diffusion coefficients");
    logLines_.push_back("  Maximum fitting error = " + fmtE(diffErr_, 12, 4));
    for (size_t j = 0; j < kk; ++j)
        for (size_t k = 0; k <= j; ++k)
            logLines_.push_back(fmtS(specNames_[j], 10) + fmtS(specNames_[k], 10) + coeffs(&diff_[(j * kk + k) * 4]));
    logLines_.push_back("- Coefficients for Thermal diffusion ratios");
    logLines_.push_back("  Maximum fitting error = " + fmtE(thermErr_, 12, 4));
    for (int n = 0; n < nLight_; ++n)
        for (size_t k = 0; k < kk; ++k)
            logLines_.push_back(fmtS(specNames_[static_cast<size_t>(light_[n] - 1)], 10) + fmtS(specNames_[k], 10)
                                + coeffs(&therm_[(static_cast<size_t>(n) * kk + k) * 4]));
    ckStatus_ = 2;
    makeWorkArrays();
    return 0;
}

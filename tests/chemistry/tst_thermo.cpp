// Species and mixture thermodynamic routines against independent evaluations.
#include "ChemTestUtil.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace chemtest;

namespace {

constexpr double R = 8.314e7;

std::unique_ptr<RSSChem> publicSet()
{
    auto chem = makeChem("ELEM N O H AR END\nSPEC N2 O2 H2O H2 AR END\n", dataPath("public_therm.dat"));
    EXPECT_EQ(chem->interpret(), 0) << joined(chem->GetErrText());
    return chem;
}

// Independent evaluation of the polynomials of one species.
struct Poly {
    const double* a;
    double cp(double T) const { return R * (a[0] + a[1] * T + a[2] * T * T + a[3] * T * T * T + a[4] * T * T * T * T); }
    double h(double T) const
    {
        return R * T * (a[0] + a[1] * T / 2 + a[2] * T * T / 3 + a[3] * T * T * T / 4 + a[4] * T * T * T * T / 5 + a[5] / T);
    }
};

Poly polyOf(const RSSChem& chem, int k, double T)
{
    const double* low = &chem.coefficientSets()[static_cast<size_t>(k) * 14];
    return Poly{T > chem.commonTemperatures()[k] ? low + 7 : low};
}

void expectRel(double actual, double expected, double tol, const std::string& what)
{
    EXPECT_LE(std::fabs(actual - expected), tol * std::fabs(expected)) << what << ": " << actual << " vs " << expected;
}

} // namespace

TEST(ThermoRoutines, WorkedValues)
{
    auto chem = publicSet();
    double out[5];
    chem->CKCPML(1000.0, out);
    expectRel(out[0], 3.2760111e8, 1e-7, "cp N2 1000 K");
    chem->CKHML(1000.0, out);
    expectRel(out[2], -2.1581010e12, 1e-7, "h H2O 1000 K");
}

TEST(ThermoRoutines, SpeciesRoutinesMatchPolynomials)
{
    auto chem = publicSet();
    const auto& W = chem->molecularWeights();
    double cpml[5], cvml[5], cpms[5], cvms[5], hml[5], hms[5];
    for (double T : {300.0, 999.0, 1000.0, 1000.0001, 2500.0, 6000.0}) {
        chem->CKCPML(T, cpml);
        chem->CKCVML(T, cvml);
        chem->CKCPMS(T, cpms);
        chem->CKCVMS(T, cvms);
        chem->CKHML(T, hml);
        chem->CKHMS(T, hms);
        for (int k = 0; k < 5; ++k) {
            Poly p = polyOf(*chem, k, T);
            std::string tag = "T=" + std::to_string(T) + " k=" + std::to_string(k);
            expectRel(cpml[k], p.cp(T), 1e-12, "cpml " + tag);
            expectRel(cvml[k], p.cp(T) - R, 1e-12, "cvml " + tag);
            expectRel(cpms[k], p.cp(T) / W[k], 1e-12, "cpms " + tag);
            expectRel(cvms[k], (p.cp(T) - R) / W[k], 1e-12, "cvms " + tag);
            expectRel(hml[k], p.h(T), 1e-12, "hml " + tag);
            expectRel(hms[k], p.h(T) / W[k], 1e-12, "hms " + tag);
        }
    }
}

TEST(ThermoRoutines, CommonTemperatureUsesLowSet)
{
    // A species whose two sets differ: at the common temperature the low set, just above the high.
    const double high[7] = {4.0, 0, 0, 0, 0, 0, 0};
    const double low[7] = {3.0, 0, 0, 0, 0, 0, 0};
    auto chem = makeChem("ELEM H END\nSPEC H2 END\nTHERMO ALL\n   300.000  1000.000  5000.000\n"
                         + record("H2", "H   2", 'G', "", "", "", high, low));
    ASSERT_EQ(chem->interpret(), 0);
    double cp;
    chem->CKCPML(1000.0, &cp);
    EXPECT_EQ(cp, 3.0 * R);
    chem->CKCPML(std::nextafter(1000.0, 2000.0), &cp);
    EXPECT_EQ(cp, 4.0 * R);
    // No limit outside the temperature range.
    chem->CKCPML(10.0, &cp);
    EXPECT_EQ(cp, 3.0 * R);
}

TEST(ThermoRoutines, MixtureMeans)
{
    auto chem = publicSet();
    const auto& W = chem->molecularWeights();
    const double x[5] = {0.5, 0.2, 0.15, 0.1, 0.05};
    const double y[5] = {0.3, 0.3, 0.2, 0.1, 0.1};
    for (double T : {500.0, 1500.0}) {
        double cpl = 0, cps = 0, cvl = 0, cvs = 0, hl = 0, hs = 0;
        for (int k = 0; k < 5; ++k) {
            Poly p = polyOf(*chem, k, T);
            cpl += x[k] * p.cp(T);
            cps += y[k] * p.cp(T) / W[k];
            cvl += x[k] * (p.cp(T) - R);
            cvs += y[k] * (p.cp(T) - R) / W[k];
            hl += x[k] * p.h(T);
            hs += y[k] * p.h(T) / W[k];
        }
        expectRel(chem->CKCPBL(T, x), cpl, 1e-12, "CKCPBL");
        expectRel(chem->CKCPBS(T, y), cps, 1e-12, "CKCPBS");
        expectRel(chem->CKCVBL(T, x), cvl, 1e-12, "CKCVBL");
        expectRel(chem->CKCVBS(T, y), cvs, 1e-12, "CKCVBS");
        expectRel(chem->CKHBML(T, x), hl, 1e-12, "CKHBML");
        expectRel(chem->CKHBMS(T, y), hs, 1e-12, "CKHBMS");
    }
}

TEST(ThermoRoutines, CompositionAndStateRoutines)
{
    auto chem = publicSet();
    const auto& W = chem->molecularWeights();
    const double c[5] = {2e-5, 1e-5, 5e-6, 1e-6, 0.0};
    const double P = 2.0e6, T = 800.0, rho = 1.2e-3;
    double sc = 0, scw = 0;
    for (int k = 0; k < 5; ++k) {
        sc += c[k];
        scw += c[k] * W[k];
    }
    const double wmean = scw / sc;
    expectRel(chem->CKMMWC(c), wmean, 1e-13, "CKMMWC");
    expectRel(chem->CKPC(rho, T, c), rho * R * T / wmean, 1e-13, "CKPC");
    expectRel(chem->CKRHOC(P, T, c), P * wmean / (R * T), 1e-13, "CKRHOC");

    double x[5], y[5], x2[5], y2[5], cc[5];
    chem->CKCTX(c, x);
    chem->CKCTY(c, y);
    for (int k = 0; k < 5; ++k) {
        expectRel(x[k] + 1, c[k] / sc + 1, 1e-14, "CKCTX");
        expectRel(y[k] + 1, c[k] * W[k] / scw + 1, 1e-14, "CKCTY");
    }
    expectRel(chem->CKMMWX(x), wmean, 1e-13, "CKMMWX");
    expectRel(chem->CKMMWY(y), wmean, 1e-13, "CKMMWY");
    expectRel(chem->CKPX(rho, T, x), rho * R * T / wmean, 1e-13, "CKPX");
    expectRel(chem->CKPY(rho, T, y), rho * R * T / wmean, 1e-13, "CKPY");
    expectRel(chem->CKRHOX(P, T, x), P * wmean / (R * T), 1e-13, "CKRHOX");
    expectRel(chem->CKRHOY(P, T, y), P * wmean / (R * T), 1e-13, "CKRHOY");
    chem->CKXTY(x, y2);
    chem->CKYTX(y, x2);
    for (int k = 0; k < 5; ++k) {
        expectRel(y2[k] + 1, y[k] + 1, 1e-14, "CKXTY");
        expectRel(x2[k] + 1, x[k] + 1, 1e-14, "CKYTX");
    }
    // Concentrations back from fractions.
    const double rhoC = scw; // the density of the concentrations c
    chem->CKXTCR(rhoC, x, cc);
    for (int k = 0; k < 5; ++k) expectRel(cc[k] + 1, c[k] + 1, 1e-14, "CKXTCR");
    chem->CKYTCR(rhoC, y, cc);
    for (int k = 0; k < 5; ++k) expectRel(cc[k] + 1, c[k] + 1, 1e-14, "CKYTCR");
    const double Pc = sc * R * T; // the pressure of the concentrations c
    chem->CKXTCP(Pc, T, x, cc);
    for (int k = 0; k < 5; ++k) expectRel(cc[k] + 1, c[k] + 1, 1e-14, "CKXTCP");
    chem->CKYTCP(Pc, T, y, cc);
    for (int k = 0; k < 5; ++k) expectRel(cc[k] + 1, c[k] + 1, 1e-14, "CKYTCP");

    double wt[5];
    chem->CKWT(wt);
    EXPECT_EQ(std::vector<double>(wt, wt + 5), W);
    // Mole fractions that do not sum to one are used as given.
    const double half[5] = {0.25, 0.25, 0, 0, 0};
    EXPECT_DOUBLE_EQ(chem->CKMMWX(half), 0.25 * (W[0] + W[1]));
    int ne, ns, nc;
    chem->CKINDX(ne, ns, nc);
    EXPECT_EQ(ne, 4);
    EXPECT_EQ(ns, 5);
    EXPECT_EQ(nc, 7);
    EXPECT_EQ(chem->CKSYMS(3), "H2O");
    EXPECT_EQ(chem->CKSYME(4), "AR");
    EXPECT_EQ(chem->CKSYMS(6), "");
}

TEST(ThermoRoutines, ZeroConcentrationsGiveNoFiniteNumber)
{
    auto chem = publicSet();
    const double zero[5] = {0, 0, 0, 0, 0};
    double x[5];
    EXPECT_FALSE(std::isfinite(chem->CKMMWC(zero)));
    EXPECT_FALSE(std::isfinite(chem->CKPC(1e-3, 300.0, zero)));
    EXPECT_FALSE(std::isfinite(chem->CKRHOC(1e6, 300.0, zero)));
    chem->CKCTX(zero, x);
    EXPECT_FALSE(std::isfinite(x[0]));
}

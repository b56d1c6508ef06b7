// The chemistry block of the solver data file: its lines, the round trip, malformed blocks.
#include "ChemTestUtil.h"
#include "chemistry/RSSChemQt.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace chemtest;

namespace {

const double kHigh[7] = {3.0, 1e-3, -2e-7, 3e-11, -1e-15, -1000.0, 5.0};
const double kLow[7] = {3.5, 2e-4, 1e-7, -4e-11, 2e-15, -900.0, 4.0};

// 2 elements, 3 species, thermodynamic data only.
std::unique_ptr<RSSChem> smallSet()
{
    std::string input = "ELEM H O END\nSPEC H2 O2 OH END\nTHERMO ALL\n   300.000  1000.000  5000.000\n"
                        + record("H2", "H   2", 'G', "", "", "", kHigh, kLow)
                        + record("O2", "O   2", 'G', "200", "3500", "", kHigh, kLow)
                        + record("OH", "O   1H   1", 'G', "", "", "1200", kLow, kHigh);
    auto chem = makeChem(input);
    EXPECT_EQ(chem->interpret(), 0) << joined(chem->GetErrText());
    return chem;
}

std::unique_ptr<RSSChem> load(const std::vector<std::string>& lines, int withTransport, int* result)
{
    auto chem = std::make_unique<RSSChem>(1, nullptr, "", "", "", "");
    std::istringstream in(joined(lines));
    *result = chem->CKGlobalLoad(in, withTransport);
    return chem;
}

} // namespace

TEST(ChemistryBlock, LinesOfAThermoBlock)
{
    auto chem = smallSet();
    std::vector<std::string> lines;
    chem->CKGlobalSave(lines, 0);
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[0], "2,3");
    EXPECT_EQ(lines[1], "83140000,1013250");
    EXPECT_EQ(lines[2], "3,5,6,7,14");
    EXPECT_EQ(lines[3], " 1.00000000000000E-300, 1.00000000000000E+300,  6.90775527898214E+02");
    EXPECT_EQ(lines[4], "  1.00794000000000E+00  1.59994000000000E+01");
    EXPECT_EQ(lines[7], "  1.00000000000000E+03  1.00000000000000E+03  1.20000000000000E+03");
    EXPECT_EQ(lines[9].size(), 14u * 22u);
    EXPECT_EQ(lines[9].substr(0, 44), "  3.50000000000000E+00  2.00000000000000E-04");

    std::ostringstream out;
    chem->CKGlobalSave(out, 0);
    EXPECT_EQ(out.str().substr(0, 5), "2,3\r\n");

    // A data set without fits asked for transport lines writes none (it used to read past the
    // end of the empty fits); the block then fails to load with the transport flag.
    std::vector<std::string> asked;
    chem->CKGlobalSave(asked, 1);
    EXPECT_EQ(asked, lines);
    int result = -1;
    load(asked, 1, &result);
    EXPECT_EQ(result, 1);
}

TEST(ChemistryBlock, RoundTripReproducesThermoRoutines)
{
    auto chem = smallSet();
    std::vector<std::string> lines;
    chem->CKGlobalSave(lines, 0);
    int result = -1;
    auto loaded = load(lines, 0, &result);
    ASSERT_EQ(result, 0);
    EXPECT_EQ(loaded->GetCKStatus(), 3);
    EXPECT_EQ(loaded->speciesCount(), 3);
    EXPECT_EQ(loaded->elementCount(), 2);
    EXPECT_EQ(loaded->molecularWeights(), chem->molecularWeights());
    EXPECT_EQ(loaded->atomicWeights(), chem->atomicWeights());
    EXPECT_EQ(loaded->lowTemperatures(), chem->lowTemperatures());
    for (size_t i = 0; i < chem->coefficientSets().size(); ++i)
        EXPECT_NEAR(loaded->coefficientSets()[i], chem->coefficientSets()[i],
                    5e-15 * std::fabs(chem->coefficientSets()[i]));
    EXPECT_TRUE(loaded->speciesNames().empty());
    EXPECT_FALSE(loaded->hasTransportFits());
    const double x[3] = {0.2, 0.3, 0.5};
    for (double T : {400.0, 1100.0, 3000.0}) {
        double a[3], b[3];
        chem->CKHML(T, a);
        loaded->CKHML(T, b);
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(b[k], a[k], 1e-13 * std::fabs(a[k]));
        EXPECT_NEAR(loaded->CKCPBL(T, x), chem->CKCPBL(T, x), 1e-13 * chem->CKCPBL(T, x));
    }
    ASSERT_NE(loaded->PropertyInput(), nullptr);
    ASSERT_NE(loaded->PropertyOutput(), nullptr);
}

TEST(ChemistryBlock, FullWidthFieldKeepsASeparator)
{
    // A negative value with a three-digit exponent fills all 22 columns and would run into the
    // field before it.
    std::string input = "ELEM H END\nSPEC H2 END\nTHERMO ALL\n   300.000  1000.000  5000.000\n"
                        + record("H2", "H   2", 'G', "", "", "", kHigh, kLow);
    auto chem = makeChem(input);
    ASSERT_EQ(chem->interpret(), 0);
    std::vector<std::string> lines;
    chem->CKGlobalSave(lines, 0);
    // Put two full-width values into the coefficient line and read it back.
    lines[9] = "  3.50000000000000E+00 -1.23456789012345E-100 -2.00000000000000E-101"
               + lines[9].substr(66);
    int result = -1;
    auto loaded = load(lines, 0, &result);
    ASSERT_EQ(result, 0);
    EXPECT_EQ(loaded->coefficientSets()[1], -1.23456789012345E-100);
    EXPECT_EQ(loaded->coefficientSets()[2], -2.0E-101);
    // Written again, each such field gets one blank in front; the other fields are unchanged.
    std::vector<std::string> again;
    loaded->CKGlobalSave(again, 0);
    EXPECT_EQ(again[9].substr(0, 68), "  3.50000000000000E+00 -1.23456789012345E-100 -2.00000000000000E-101");
    EXPECT_EQ(again[9].size(), 14u * 22u + 2u);
    EXPECT_EQ(again[9].substr(68), lines[9].substr(68));
}

TEST(ChemistryBlock, MalformedBlocksAreRefused)
{
    auto chem = smallSet();
    std::vector<std::string> good;
    chem->CKGlobalSave(good, 0);
    struct Case {
        const char* what;
        size_t line;
        std::string text; // replaces the line; "<cut>" ends the block before it
    };
    const Case cases[] = {
        {"species count 0", 0, "2,0"},
        {"negative element count", 0, "-1,3"},
        {"count no number", 0, "two,3"},
        {"dimensions", 2, "3,5,6,7,15"},
        {"too few dimensions", 2, "3,5,6"},
        {"constants no number", 3, "x,1e300,690"},
        {"too few molecular weights", 5, "  1.0E+00  2.0E+00"},
        {"coefficient no number", 10, "abc"},
        {"missing coefficient line", 11, "<cut>"},
        {"empty block", 0, "<cut>"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> lines = good;
        if (c.text == "<cut>") lines.resize(c.line);
        else lines[c.line] = c.text;
        int result = -1;
        auto loaded = load(lines, 0, &result);
        EXPECT_EQ(result, 1) << c.what;
        EXPECT_EQ(loaded->GetCKStatus(), 3) << c.what;
    }
}

namespace {

std::unique_ptr<RSSChem> fittedSet(const std::string& species)
{
    auto chem = makeChem("ELEM N O H AR END\nSPEC " + species + " END\n", dataPath("public_therm.dat"),
                         dataPath("public_tran.dat"));
    EXPECT_EQ(chem->interpret(), 0) << joined(chem->GetErrText());
    EXPECT_EQ(chem->tranfit(), 0) << joined(chem->GetErrText());
    return chem;
}

} // namespace

TEST(ChemistryBlock, TransportRoundTrip)
{
    auto chem = fittedSet("N2 H2 H2O");
    std::vector<std::string> lines;
    chem->CKGlobalSave(lines, 1);
    ASSERT_EQ(lines.size(), 9u + 3u + 4u * 3u);
    EXPECT_EQ(lines[0], "4,3");
    EXPECT_EQ(lines[20].size(), 4u * 3u * 22u);
    int result = -1;
    auto loaded = load(lines, 1, &result);
    ASSERT_EQ(result, 0);
    ASSERT_TRUE(loaded->hasTransportFits());
    auto same15 = [](const std::vector<double>& a, const std::vector<double>& b, const char* what) {
        ASSERT_EQ(a.size(), b.size()) << what;
        for (size_t i = 0; i < a.size(); ++i) EXPECT_NEAR(a[i], b[i], 5e-15 * std::fabs(b[i])) << what << i;
    };
    same15(loaded->conductivityFits(), chem->conductivityFits(), "conductivity");
    same15(loaded->viscosityFits(), chem->viscosityFits(), "viscosity");
    same15(loaded->diffusionFits(), chem->diffusionFits(), "diffusion");
    same15(loaded->thermalDiffusionFits(), chem->thermalDiffusionFits(), "thermal diffusion");
    // Light species rows first: H2 is the one light species.
    EXPECT_EQ(chem->thermalDiffusionFits()[(0 * 3 + 1) * 4], 0.0);
    EXPECT_NE(chem->thermalDiffusionFits()[(0 * 3 + 0) * 4], 0.0);

    const double x[3] = {0.7, 0.2, 0.1};
    for (double T : {350.0, 1200.0, 2800.0}) {
        auto rel = [](double a, double b) { return std::fabs(a - b) / std::fabs(b); };
        EXPECT_LT(rel(loaded->MCAVIS(T, x), chem->MCAVIS(T, x)), 1e-12);
        EXPECT_LT(rel(loaded->MCACON(T, x), chem->MCACON(T, x)), 1e-12);
        double a[3], b[3];
        chem->MCADIF(2e6, T, x, a);
        loaded->MCADIF(2e6, T, x, b);
        for (int k = 0; k < 3; ++k) EXPECT_LT(rel(b[k], a[k]), 1e-12);
        EXPECT_LT(rel(loaded->CKHBMS(T, x), chem->CKHBMS(T, x)), 1e-13);
        EXPECT_LT(rel(loaded->CKCPBS(T, x), chem->CKCPBS(T, x)), 1e-13);
    }

    // Loading with the transport flag 0 reads lines 1 to 10 only and leaves the rest unread.
    std::istringstream in(joined(lines));
    RSSChem thermoOnly(1, nullptr, "", "", "", "");
    ASSERT_EQ(thermoOnly.CKGlobalLoad(in, 0), 0);
    EXPECT_FALSE(thermoOnly.hasTransportFits());
    std::string next;
    std::getline(in, next);
    EXPECT_EQ(next, lines[12]);

    // A transport line with too few fields is refused.
    std::vector<std::string> cut = lines;
    cut[18] = cut[18].substr(0, 22 * 7);
    auto broken = load(cut, 1, &result);
    EXPECT_EQ(result, 1);
    EXPECT_FALSE(broken->hasTransportFits());
}

TEST(ChemistryBlock, LoadFillsOnlyAFreshDataSet)
{
    // Loading over an interpreted data set would mix its names with another block's numbers.
    auto chem = smallSet();
    std::vector<std::string> lines;
    chem->CKGlobalSave(lines, 0);
    std::istringstream in(joined(lines));
    EXPECT_EQ(chem->CKGlobalLoad(in, 0), 1);
    EXPECT_EQ(chem->GetCKStatus(), 1);
    EXPECT_EQ(chem->speciesNames().size(), 3u);
}

TEST(ChemistryBlock, TransportQueriesWithoutFitsGiveNoNumber)
{
    // A block loaded without transport fits used to be read past the end of its empty fits.
    auto chem = smallSet();
    std::vector<std::string> lines;
    chem->CKGlobalSave(lines, 0);
    int result = -1;
    auto loaded = load(lines, 0, &result);
    ASSERT_EQ(result, 0);
    const double x[3] = {0.2, 0.3, 0.5};
    double out[9];
    EXPECT_TRUE(std::isnan(loaded->MCAVIS(500.0, x)));
    EXPECT_TRUE(std::isnan(loaded->MCACON(500.0, x)));
    loaded->MCADIF(1e6, 500.0, x, out);
    EXPECT_TRUE(std::isnan(out[2]));
    loaded->MCSVIS(500.0, out);
    EXPECT_TRUE(std::isnan(out[0]));
    loaded->MCSCON(500.0, out);
    EXPECT_TRUE(std::isnan(out[1]));
    loaded->MCSDIF(1e6, 500.0, out);
    EXPECT_TRUE(std::isnan(out[8]));
}

TEST(ChemistryBlock, QtAdapters)
{
    auto chem = smallSet();
    QByteArray block;
    appendChemistryBlock(*chem, block, 0);
    std::ostringstream out;
    chem->CKGlobalSave(out, 0);
    EXPECT_EQ(block.toStdString(), out.str());
    EXPECT_TRUE(block.endsWith("\r\n"));

    // ANSI text: a Latin-1 character survives both ways.
    const QStringList lines = {QStringLiteral("SPEC"), QString::fromUtf8("CH3\u00E9"), QString()};
    std::vector<std::string> plain = toChemLines(lines);
    ASSERT_EQ(plain.size(), 3u);
    EXPECT_EQ(plain[1], std::string("CH3\xE9"));
    EXPECT_EQ(fromChemLines(plain), lines);
}

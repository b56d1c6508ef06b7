// Thermo records: sources and their order, fixed columns, checks, and the shared data base reader.
#include "ChemTestUtil.h"
#include "chemistry/RThermoRecord.h"

#include <gtest/gtest.h>

using namespace chemtest;

namespace {

const double kHigh[7] = {3.0, 1e-3, 0, 0, 0, -1000.0, 5.0};
const double kLow[7] = {3.5, 0, 0, 0, 0, -900.0, 4.0};
const double kOther[7] = {4.0, 0, 0, 0, 0, 0, 0};

std::string dataBase(const std::string& records, const std::string& eol = "\n")
{
    std::string s = "THERMO\n   300.000  1000.000  5000.000\n" + records + "END\n";
    if (eol == "\n") return s;
    std::string out;
    for (char c : s) {
        if (c == '\n') out += eol;
        else out.push_back(c);
    }
    return out;
}

} // namespace

TEST(ThermoData, InputRecordWinsOverDataBase)
{
    TempFile db(dataBase(record("H2", "H   2", 'G', "", "", "", kOther, kOther)));
    std::string input = "ELEM H END\nSPEC H2 END\nTHERMO\n" + record("H2", "H   2", 'G', "", "", "", kHigh, kLow)
                        + "END\n";
    auto chem = makeChem(input, db.path());
    ASSERT_EQ(chem->interpret(), 0) << joined(chem->GetErrText());
    EXPECT_EQ(chem->coefficientSets()[0], 3.5);
    EXPECT_EQ(chem->coefficientSets()[7], 3.0);
    // "THERMO" takes the data base's default temperatures for the input's records.
    EXPECT_EQ(chem->lowTemperatures()[0], 300.0);
    EXPECT_EQ(chem->commonTemperatures()[0], 1000.0);
    EXPECT_EQ(chem->highTemperatures()[0], 5000.0);
}

TEST(ThermoData, ThermoAllTakesDefaultsAndSkipsDataBase)
{
    // The data base would fail the species (no coefficients); it must not be read.
    TempFile db("THERMO\n   300.000  1000.000  5000.000\nH2                      H   2\nxx\n");
    std::string input = "ELEM H END\nSPEC H2 END\nthermo all\n\n   250.000   900.000  4000.000\n"
                        + record("H2", "H   2", 'G', "", "", "", kHigh, kLow) + "END\n";
    auto chem = makeChem(input, db.path());
    ASSERT_EQ(chem->interpret(), 0) << joined(chem->GetErrText());
    EXPECT_EQ(chem->lowTemperatures()[0], 250.0);
    EXPECT_EQ(chem->commonTemperatures()[0], 900.0);
    EXPECT_EQ(chem->highTemperatures()[0], 4000.0);
}

TEST(ThermoData, PublicExcerptReadsFromDataBase)
{
    auto chem = makeChem("ELEM\nN\nO\nH\nAR\nEND\nSPEC\nN2\nO2\nH2O\nH2\nAR\nEND\n", dataPath("public_therm.dat"));
    ASSERT_EQ(chem->interpret(), 0) << joined(chem->GetErrText());
    ASSERT_EQ(chem->speciesCount(), 5);
    EXPECT_DOUBLE_EQ(chem->molecularWeights()[0], 2 * 14.0067);
    EXPECT_DOUBLE_EQ(chem->molecularWeights()[2], 2 * 1.00794 + 15.9994);
    EXPECT_DOUBLE_EQ(chem->molecularWeights()[4], 39.948);
    EXPECT_EQ(chem->lowTemperatures(), (std::vector<double>{300, 200, 200, 200, 300}));
    EXPECT_EQ(chem->highTemperatures(), (std::vector<double>{5000, 3500, 3500, 3500, 5000}));
    const double* n2 = &chem->coefficientSets()[0];
    EXPECT_EQ(n2[0], 3.298677);
    EXPECT_EQ(n2[4], -2.444855e-12);
    EXPECT_EQ(n2[7], 2.92664);
    EXPECT_EQ(chem->coefficientSets()[2 * 14 + 5], -3.02937267E+04);
}

TEST(ThermoData, CommentLinesBlankLinesAndCrLfInDataBase)
{
    std::string records = "! a comment after the header\n\n   ! indented\n"
                          + record("H2", "H   2", 'G', "", "", "", kHigh, kLow) + "!another\n";
    TempFile db(dataBase(records, "\r\n"));
    auto chem = makeChem("ELEM H END\nSPEC H2 END\n", db.path());
    ASSERT_EQ(chem->interpret(), 0) << joined(chem->GetErrText());
    EXPECT_EQ(chem->coefficientSets()[0], 3.5);
    EXPECT_EQ(chem->highTemperatures()[0], 5000.0);

    std::vector<RThermoDataBaseEntry> entries;
    double defaults[3] = {0, 0, 0};
    ASSERT_TRUE(readThermoDataBase(db.path(), entries, defaults));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].head.name, "H2");
    EXPECT_EQ(defaults[2], 5000.0);
}

TEST(ThermoData, RecordFieldsAndShortLines)
{
    // The fifth element group sits in columns 74-78; a line that ends before a count field
    // reads that field as blanks (no element).
    std::string l1 = std::string("C2H5OH") + std::string(12, ' ') + "test  " + "C   2H   6O   1" + std::string(5, ' ')
                     + "G" + "    300.00" + "   4000.00" + " 1000.00" + "N   1";
    ASSERT_EQ(l1.size(), 78u);
    RThermoRecordHead h = parseThermoRecordHead(l1);
    EXPECT_EQ(h.name, "C2H5OH");
    EXPECT_EQ(h.elements[0].symbol, "C");
    EXPECT_EQ(h.elements[0].count, 2);
    EXPECT_EQ(h.elements[2].symbol, "O");
    EXPECT_EQ(h.elements[3].symbol, "");
    EXPECT_EQ(h.elements[4].symbol, "N");
    EXPECT_EQ(h.elements[4].count, 1);
    EXPECT_EQ(h.lowField, "300.00");
    EXPECT_EQ(h.highField, "4000.00");
    EXPECT_EQ(h.commonField, "1000.00");
    EXPECT_EQ(h.phaseCode(), 0);

    RThermoRecordHead cut = parseThermoRecordHead("H2                      H  ");
    EXPECT_EQ(cut.elements[0].symbol, "H");
    EXPECT_EQ(cut.elements[0].count, 0);
    EXPECT_EQ(cut.elements[4].symbol, "");
    EXPECT_EQ(cut.phase, ' ');
    EXPECT_EQ(parseThermoRecordHead(std::string(44, ' ') + "l").phaseCode(), 1);
    EXPECT_EQ(parseThermoRecordHead(std::string(44, ' ') + "s").phaseCode(), -1);
}

TEST(ThermoData, FifthElementGroupCountsInComposition)
{
    std::string l1 = "XN" + std::string(22, ' ') + "X   1" + std::string(15, ' ') + "G" + std::string(28, ' ') + "N   1";
    std::string rec = record("XN", "X   1", 'G', "", "", "", kHigh, kLow);
    rec.replace(0, rec.find('\n'), l1);
    auto chem = makeChem("ELEM X/10.0/ N END\nSPEC XN END\nTHERMO ALL\n300 \n" + rec);
    // "300 " has no common or high temperature: no defaults.
    EXPECT_EQ(chem->interpret(), 1);
    EXPECT_TRUE(contains(chem->GetErrText(), "! Error...no TLO,TMID,THI given for THERMO ALL..."));

    auto ok = makeChem("ELEM X/10.0/ N END\nSPEC XN END\nTHERMO ALL\n   300.000  1000.000  5000.000\n" + rec);
    ASSERT_EQ(ok->interpret(), 0) << joined(ok->GetErrText());
    EXPECT_EQ(ok->composition(), (std::vector<int>{1, 1}));
    EXPECT_DOUBLE_EQ(ok->molecularWeights()[0], 10.0 + 14.0067);
}

TEST(ThermoData, ErrorsOfRecordsAndChecks)
{
    struct Case {
        std::string records;
        std::string species;
        std::vector<std::string> errors;
    };
    std::string badCoef = record("A", "H   1", 'G', "", "", "", kHigh, kLow);
    badCoef.replace(badCoef.find('\n') + 1, 15, "   not a number");
    const Case cases[] = {
        {record("A", "H   1Q   1", 'G', "", "", "", kHigh, kLow), "A",
         {"! Error...element...Q not declared for...A"}},
        {badCoef, "A", {"! Error...coefficients for A is invalid."}},
        {record("A", "H   1", 'G', "1000", "1000", "1000", kHigh, kLow), "A",
         {"! Error...High temperature must be > Low temperature for A"}},
        {record("A", "H   1", 'G', "1200", "", "", kHigh, kLow), "A",
         {"! Error...Low temperature must be <= Mid temperature"}},
        {record("A", "H   1", 'G', "", "900", "", kHigh, kLow), "A",
         {"! Error...High temperature must be => Mid temperature"}},
        // Names match exactly: "a" is not "A"; the record of "B" after END is not read.
        {record("a", "H   1", 'G', "", "", "", kHigh, kLow) + "END\n" + record("B", "H   1", 'G', "", "", "", kHigh, kLow),
         "A B", {"! Error...no thermodynamic properties for species A",
                 "! Error...no thermodynamic properties for species B"}},
        {record("A", "H   1", 'G', "", "", "", kHigh, kLow) + "reactions\n" + record("B", "H   1", 'G', "", "", "", kHigh, kLow),
         "A B", {"! Error...no thermodynamic properties for species B"}},
        // A record cut short by the end of its source.
        {"A                       H   1\n 1.0 2.0\n", "A", {"! Error...coefficients for A is invalid."}},
    };
    for (const Case& c : cases) {
        auto chem = makeChem("ELEM H END\nSPEC " + c.species + " END\nTHERMO ALL\n   300.000  1000.000  5000.000\n"
                             + c.records);
        EXPECT_EQ(chem->interpret(), 1) << c.records;
        for (const std::string& e : c.errors)
            EXPECT_TRUE(contains(chem->GetErrText(), e)) << e << "\n" << joined(chem->GetErrText());
        EXPECT_EQ(chem->GetCKStatus(), 0);
        EXPECT_TRUE(chem->coefficientSets().empty());
        EXPECT_TRUE(chem->elementNames().empty());
    }
}

TEST(ThermoData, ElectronGivesNegativeCharge)
{
    auto chem = makeChem("ELEM H E END\nSPEC H- END\nTHERMO ALL\n   300.000  1000.000  5000.000\n"
                         + record("H-", "H   1E   1", 'G', "", "", "", kHigh, kLow));
    ASSERT_EQ(chem->interpret(), 0) << joined(chem->GetErrText());
    EXPECT_EQ(chem->charges()[0], -1);
}

TEST(ThermoData, MissingDataBaseForThermoBlock)
{
    auto chem = makeChem("ELEM H END\nSPEC H2 END\nTHERMO\n", "/nonexistent/therm.dat");
    EXPECT_EQ(chem->interpret(), 1);
    EXPECT_TRUE(contains(chem->GetErrText(), "! Error...no TLO,TMID,THI given for THERMO ALL..."));
    auto none = makeChem("ELEM H END\nSPEC H2 END\nTHERMO ALL\n");
    EXPECT_EQ(none->interpret(), 1);
    EXPECT_TRUE(contains(none->GetErrText(), "! Error...no TLO,TMID,THI given for THERMO ALL..."));
}

TEST(ThermoData, DataBaseListing)
{
    std::vector<RThermoDataBaseEntry> entries;
    ASSERT_TRUE(readThermoDataBase(dataPath("public_therm.dat"), entries));
    std::vector<std::string> names;
    for (const auto& e : entries) names.push_back(e.head.name);
    EXPECT_EQ(names, (std::vector<std::string>{"N2", "O2", "H2O", "H2", "AR"}));
    EXPECT_EQ(entries[2].head.elements[0].symbol, "H");
    EXPECT_EQ(entries[2].head.elements[1].symbol, "O");
    EXPECT_EQ(entries[4].head.elements[0].symbol, "AR");
    EXPECT_FALSE(readThermoDataBase(std::string("/nonexistent/therm.dat"), entries));
}

TEST(ThermoData, ExtraThermoFileComesBeforeDataBase)
{
    // The extra file has records from its first line on; its record wins over the data base's.
    TempFile extra(record("H2", "H   2", 'G', "250", "4000", "900", kHigh, kLow));
    TempFile db(dataBase(record("H2", "H   2", 'G', "", "", "", kOther, kOther)
                         + record("O2", "O   2", 'G', "", "", "", kOther, kOther)));
    std::vector<std::string> input = linesOf("ELEM H O END\nSPEC H2 O2 END\n");
    RSSChem chem(1, &input, db.path(), "", extra.path(), "");
    ASSERT_EQ(chem.interpret(), 0) << joined(chem.GetErrText());
    EXPECT_EQ(chem.coefficientSets()[0], 3.5);
    EXPECT_EQ(chem.lowTemperatures()[0], 250.0);
    EXPECT_EQ(chem.coefficientSets()[14], 4.0);
    EXPECT_EQ(chem.lowTemperatures()[1], 300.0);
}

TEST(ThermoData, SyntheticDataBaseWithExactAnswers)
{
    // CR LF line ends, comment and blank lines after the header and between records.
    std::vector<std::string> input = linesOf("ELEM X/16.0/ END\nSPEC XA XB END\n");
    RSSChem chem(1, &input, dataPath("synthetic_crlf_therm.dat"), "", "", "");
    ASSERT_EQ(chem.interpret(), 0) << joined(chem.GetErrText());
    const double R = 8.314e7;
    EXPECT_EQ(chem.molecularWeights(), (std::vector<double>{16.0, 32.0}));
    EXPECT_EQ(chem.lowTemperatures(), (std::vector<double>{300.0, 200.0}));
    EXPECT_EQ(chem.commonTemperatures(), (std::vector<double>{1000.0, 1024.0}));
    EXPECT_EQ(chem.highTemperatures(), (std::vector<double>{5000.0, 4096.0}));
    double cp[2], h[2];
    chem.CKCPML(512.0, cp);
    EXPECT_EQ(cp[0], 2.5 * R);
    EXPECT_EQ(cp[1], 3.5 * R);
    chem.CKCPML(1024.0, cp);
    EXPECT_EQ(cp[1], 4.0 * R);
    chem.CKHML(1024.0, h);
    EXPECT_EQ(h[1], 3584.0 * R);
    chem.CKHML(2048.0, h);
    EXPECT_EQ(h[0], 2.5 * 2048.0 * R);
    EXPECT_EQ(h[1], 7680.0 * R);
    const double y[2] = {0.5, 0.5};
    EXPECT_EQ(chem.CKHBMS(2048.0, y), 0.5 * 2.5 * 2048.0 * R / 16.0 + 0.5 * 7680.0 * R / 32.0);
}

TEST(ThermoData, MalformedDataBase)
{
    // Every record error of one source is reported before the interpretation fails.
    std::vector<std::string> input = linesOf("ELEM X/16.0/ END\nSPEC BADCOEF BADELEM SHORT END\n");
    RSSChem chem(1, &input, dataPath("malformed_therm.dat"), "", "", "");
    EXPECT_EQ(chem.interpret(), 1);
    const auto& err = chem.GetErrText();
    EXPECT_TRUE(contains(err, "! Error...coefficients for BADCOEF is invalid.")) << joined(err);
    EXPECT_TRUE(contains(err, "! Error...element...Q not declared for...BADELEM")) << joined(err);
    EXPECT_TRUE(contains(err, "! Error...coefficients for SHORT is invalid.")) << joined(err);
    EXPECT_EQ(chem.GetCKStatus(), 0);
    EXPECT_TRUE(chem.speciesNames().empty());
}

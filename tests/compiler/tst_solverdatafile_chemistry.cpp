// The chemistry preparation of a compile and the chemistry block it puts into the solver data
// file.
#include "SolverDataDocuments.h"
#include "chemistry/RSSChem.h"
#include "chemistry/RThermoRecord.h"
#include "compiler/ChemistryPreparation.h"
#include "compiler/RCompileRun.h"
#include "compiler/SolverDataFileWriter.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <sstream>

using namespace SolverDataDocuments;

namespace {

SChemistryDataBases testDataBases()
{
    const QString folder = dataFolder() + QStringLiteral("chem/");
    return {true, folder + QStringLiteral("THERMDAT"), folder + QStringLiteral("TRANDAT")};
}

// The first line of a thermo record: name in columns 1-18, four element groups in 25-44, the
// fifth in 74-78; the three lines after it are not read here.
std::string record(const std::string& name, const std::string& groups, const std::string& fifth = "     ")
{
    std::string head = name;
    head.resize(24, ' ');
    head += groups;
    head.resize(44, ' ');
    head += "G";
    head.resize(73, ' ');
    head += fifth + " 1\n";
    return head + "  2\n  3\n  4\n";
}

std::vector<RThermoDataBaseEntry> dataBase(const std::string& records)
{
    std::istringstream in("THERMO\n   300.000  1000.000  5000.000\n" + records + "END\n");
    std::vector<RThermoDataBaseEntry> entries;
    EXPECT_TRUE(readThermoDataBase(in, entries));
    return entries;
}

struct InputCase {
    const char* what;
    std::string records;
    QStringList species;
    std::vector<std::string> elements;
};

void PrintTo(const InputCase& c, std::ostream* os) { *os << c.what; }

class ChemistryInputTable : public ::testing::TestWithParam<InputCase> {};

TEST_P(ChemistryInputTable, ListsTheElementsOnceInOrderOfAppearance)
{
    const InputCase& c = GetParam();
    std::vector<std::string> input;
    QString missing;
    ASSERT_TRUE(chemistryInput(dataBase(c.records), c.species, input, missing)) << c.what;
    std::vector<std::string> expected = {"ELEM"};
    expected.insert(expected.end(), c.elements.begin(), c.elements.end());
    expected.push_back("END");
    expected.push_back("SPEC");
    for (const QString& s : c.species)
        expected.push_back(s.toStdString());
    expected.push_back("END");
    EXPECT_EQ(input, expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    ChemistryPreparation, ChemistryInputTable,
    ::testing::Values(
        InputCase{"shared elements once, first appearance first",
                  record("H2O", "H   2O   1") + record("OH", "O   1H   1") + record("O2", "O   2"),
                  {"OH", "H2O", "O2"}, {"O", "H"}},
        InputCase{"count 0 and a blank count are no element", record("X", "H   2C   0N    O   1"), {"X"}, {"H", "O"}},
        InputCase{"negative count of the first four groups counts", record("E", "E  -1H   1"), {"E"}, {"E", "H"}},
        InputCase{"fifth group counts only with a positive count",
                  record("A", "C   1", "AR  1") + record("B", "H   1", "HE -1"), {"A", "B"}, {"C", "AR", "H"}},
        InputCase{"short first line reads the fifth group as blank", "Q                       N   2\n  2\n  3\n  4\n",
                  {"Q"}, {"N"}}));

TEST(ChemistryPreparation, SpeciesNamesCompareWithCase)
{
    std::vector<std::string> input;
    QString missing;
    EXPECT_FALSE(chemistryInput(dataBase(record("H2O", "H   2O   1")), {"H2O", "h2o"}, input, missing));
    EXPECT_EQ(missing, QStringLiteral("h2o"));
}

std::unique_ptr<RMORVDocument> withSpecies(const QStringList& species)
{
    auto doc = document(NoGrid);
    doc->compiler->symbols->speciesCount = int(species.size());
    doc->compiler->symbols->speciesNames = species;
    doc->compiler->symbols->thermoFlag = 1;
    doc->compiler->symbols->transportFlag = 1;
    return doc;
}

TEST(ChemistryPreparation, SelectedSpeciesBecomeAFittedDataSet)
{
    auto doc = withSpecies({"H2O", "O2", "N2"});
    QStringList log;
    PrepareCProp(*doc, testDataBases(), log);
    EXPECT_EQ(log, QStringList({"> Chemical property ...", "> Completed"}));
    ASSERT_TRUE(doc->chemistry);
    EXPECT_EQ(doc->chemistry->speciesCount(), 3);
    EXPECT_EQ(doc->chemistry->elementCount(), 3);
    EXPECT_EQ(doc->compiler->symbols->thermoFlag, 1);
    EXPECT_EQ(doc->compiler->symbols->transportFlag, 1);
    EXPECT_EQ(doc->compiler->warningCount, 0);

    // A second preparation replaces the data set of the first.
    const std::weak_ptr<RSSChem> watch = doc->chemistry;
    PrepareCProp(*doc, testDataBases(), log);
    EXPECT_TRUE(watch.expired());
    EXPECT_NE(doc->chemistry.get(), nullptr);
}

struct FailureCase {
    const char* what;
    QStringList species;
    bool missingDataBase;
    QStringList log;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.what; }

class FailedPreparation : public ::testing::TestWithParam<FailureCase> {};

TEST_P(FailedPreparation, DropsTheDataSetAndBothFlags)
{
    const FailureCase& c = GetParam();
    auto doc = withSpecies({"O2"});
    QStringList log;
    PrepareCProp(*doc, testDataBases(), log);
    ASSERT_TRUE(doc->chemistry);

    doc->compiler->symbols->speciesCount = int(c.species.size());
    doc->compiler->symbols->speciesNames = c.species;
    doc->compiler->symbols->thermoFlag = 1;
    doc->compiler->symbols->transportFlag = 1;
    SChemistryDataBases db = testDataBases();
    if (c.missingDataBase) {
        db.available = false;
        db.transportPath = dataFolder() + QStringLiteral("chem/NOSUCHFILE");
    }
    log.clear();
    PrepareCProp(*doc, db, log);
    QStringList expected = c.log;
    if (c.missingDataBase)
        expected.last() += db.transportPath;
    EXPECT_EQ(log, expected) << c.what;
    // Regression: the data set of the previous preparation stayed and travelled with this document.
    EXPECT_FALSE(doc->chemistry) << c.what;
    EXPECT_EQ(doc->compiler->symbols->thermoFlag, 0) << c.what;
    EXPECT_EQ(doc->compiler->symbols->transportFlag, 0) << c.what;
    EXPECT_EQ(doc->compiler->warningCount, c.log.isEmpty() ? 0 : 1) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    ChemistryPreparation, FailedPreparation,
    ::testing::Values(
        FailureCase{"no species selected", {}, false, {}},
        FailureCase{"species missing from the data base", {"O2", "XE"}, false,
                    {"> Chemical property ...", "! ERROR...THERMODYNAMIC DATA NOT GIVEN FOR XE", "> Completed"}},
        FailureCase{"a data base missing", {"O2"}, true,
                    {"> Chemical property ...", "! ERROR...CHEMICAL DATA BASE NOT FOUND : "}}));

TEST(ChemistryPreparation, CompileCarriesTheChemistryBlockAndLog)
{
    QTemporaryDir dir;
    auto doc = withSpecies({"N2", "O2"});
    doc->documentFolder = dir.path() + QLatin1Char('/');
    doc->documentFileName = QStringLiteral("air.MV3");
    QStringList log;
    ASSERT_EQ(runCompile(*doc, doc->scripts, log, {}, testDataBases()), 0) << qPrintable(log.join('\n'));
    EXPECT_EQ(log.mid(0, 2), QStringList({"> Chemical property ...", "> Completed"}));
    QFile f(dir.filePath(QStringLiteral("air.MVAT$")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    const qsizetype at = text.indexOf("1 1 /Chemical Property\r\n");
    ASSERT_GT(at, 0);
    std::ostringstream block;
    doc->chemistry->CKGlobalSave(block, 1, "\r\n");
    EXPECT_EQ(text.mid(at + 24), QByteArray::fromStdString(block.str()));
    EXPECT_TRUE(doc->compileList.contains(QStringLiteral("* CHEMICAL PROPERTY")));

    // The block reads back into a data set of the same species.
    RSSChem loaded(1, nullptr, "", "", "", "");
    std::istringstream in(block.str());
    EXPECT_EQ(loaded.CKGlobalLoad(in, 1), 0);
    EXPECT_EQ(loaded.speciesCount(), 2);
}

TEST(ChemistryPreparation, PropertyQueriesAreRefusedAfterAMissingSpecies)
{
    QTemporaryDir dir;
    auto doc = withSpecies({"N2", "UNOBTAINIUM"});
    doc->documentFolder = dir.path() + QLatin1Char('/');
    doc->documentFileName = QStringLiteral("air.MV3");
    doc->scripts[RMORVDocument::Initial] = {"%EQU: y - y0*CPROPERTY(CM1, 1)"};
    QStringList log;
    EXPECT_EQ(runCompile(*doc, doc->scripts, log, {}, testDataBases()), 1);
    EXPECT_TRUE(log.contains(QStringLiteral("(E) Illegal equation (code:7)"))) << qPrintable(log.join('\n'));
    EXPECT_TRUE(log.contains(QStringLiteral("> 1 error(s), 1 warning(s)")));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("air.MVAT$"))));
}

TEST(ChemistryPreparation, WriterRefusesAThermoFlagWithoutDataSet)
{
    QTemporaryDir dir;
    auto doc = withSpecies({"N2"});
    fillCompiledState(NoGrid, *doc->compiler);
    EXPECT_EQ(TempFileOut(*doc, dir.filePath(QStringLiteral("x.DAT"))), 2);
}

} // namespace

namespace {

TEST(ChemistryPreparation, LoadingADocumentDropsTheDataSet)
{
    auto doc = withSpecies({"O2"});
    QStringList log;
    PrepareCProp(*doc, testDataBases(), log);
    ASSERT_TRUE(doc->chemistry);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("nogrid.MV3"));
    ASSERT_TRUE(QFile::copy(dataFolder() + QStringLiteral("nogrid.MV3"), path));
    ASSERT_EQ(doc->loadfile(path), 0);
    // Regression: the next document's solver data file could carry this one's chemistry block.
    EXPECT_FALSE(doc->chemistry);
}

} // namespace

// The species window's lists over small thermo and transport data bases, and the flags OK
// stores.
#include "dialogs/RSpeciesSelection.h"
#include "document/RMORVCompile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString record(const char* name)
{
    const QString head = QString(name).leftJustified(18) + "L 1/89H   2    0    0    0G   200.000  6000.000 1000.000    1\n";
    return head
        + " 0.3E+01 0.7E-03-0.6E-07 0.1E-10-0.7E-15-0.8E+03-0.2E+01                   2\n"
          " 0.2E+01 0.7E-03-0.2E-06-0.1E-09 0.7E-12-0.9E+03 0.7E+00                   3\n"
          " 0.1E-02 0.1E-02 0.1E-02 0.1E-02                                           4\n";
}

struct DataBases {
    DataBases()
    {
        write(thermo, "THERMO\n   300.000  1000.000  5000.000\n" + record("O2") + record("H2")
                + record("AR") + record("H2O") + record("N2") + "END\n" + record("AFTEREND"));
        write(transport, "H2  1 38.000 2.920 0.000 0.790 280.000\n"
                         "\n"
                         "O2, 1 107.400 3.458 0.000 1.600 3.800\n"
                         "!H2O comment line\n"
                         "N2 1 97.530 3.621 0.000 1.760 4.000\n");
    }
    void write(const QString& path, const QString& text)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.toLatin1());
    }
    QTemporaryDir dir;
    QString thermo = dir.filePath("THERMDAT");
    QString transport = dir.filePath("TRANDAT");
};

} // namespace

TEST(SpeciesSelection, ListsAndMarksTheDataBases)
{
    DataBases db;
    RSpeciesSelection s;
    ASSERT_EQ(s.load({"N2", "XX", "H2O"}, db.thermo, db.transport), RSpeciesSelection::Loaded);
    // Every record up to END, in file order; the selected ones are not available.
    ASSERT_EQ(s.all.size(), 5);
    EXPECT_EQ(s.all[0].name, "O2");
    EXPECT_EQ(s.all[3].alreadySelected, 1);
    EXPECT_EQ(s.available, (QStringList{"AR                *", "H2", "O2"}));
    EXPECT_EQ(s.selectionTexts(),
        (QStringList{"N2", "XX                ?", "H2O               *"}));
}

TEST(SpeciesSelection, FlagsStoredByOk)
{
    DataBases db;
    struct Case {
        const char* what;
        QStringList species;
        int thermo, transport;
    } cases[] = {
        {"all with data", {"H2", "O2"}, 1, 1},
        {"one without transport data", {"H2", "H2O"}, 1, 0},
        {"one missing from the thermo data base", {"XX", "H2"}, 0, 0},
        // With nothing selected there is no chemistry to prepare.
        {"empty selection", {}, 0, 0},
    };
    for (const Case& c : cases) {
        RSpeciesSelection s;
        ASSERT_EQ(s.load(c.species, db.thermo, db.transport), RSpeciesSelection::Loaded);
        SSymbolTable symbols;
        s.store(symbols);
        EXPECT_EQ(symbols.speciesCount, c.species.size()) << c.what;
        EXPECT_EQ(symbols.speciesNames, c.species) << c.what;
        EXPECT_EQ(symbols.thermoFlag, c.thermo) << c.what;
        EXPECT_EQ(symbols.transportFlag, c.transport) << c.what;
    }
}

TEST(SpeciesSelection, MovingBetweenTheLists)
{
    DataBases db;
    RSpeciesSelection s;
    ASSERT_EQ(s.load({"H2O", "XX"}, db.thermo, db.transport), RSpeciesSelection::Loaded);
    // Moving out a species without transport data puts it back in sorted place with its "*".
    s.moveOut(0);
    EXPECT_EQ(s.available, (QStringList{"AR                *", "H2", "H2O               *", "N2", "O2"}));
    // A species missing from the thermo data base is dropped.
    s.moveOut(0);
    EXPECT_TRUE(s.selection.isEmpty());
    EXPECT_EQ(s.available.size(), 5);

    s.moveIn(s.available.indexOf("H2O               *"));
    s.moveIn(s.available.indexOf("N2"));
    s.moveIn(s.available.indexOf("AR                *"));
    EXPECT_EQ(s.selectionTexts(), (QStringList{"H2O               *", "N2", "AR                *"}));
    EXPECT_EQ(s.selection[0].hasTransportData, 0);
    EXPECT_EQ(s.selection[1].hasTransportData, 1);
    EXPECT_TRUE(s.moveUp(2));
    EXPECT_FALSE(s.moveUp(0));
    EXPECT_TRUE(s.moveDown(0));
    EXPECT_FALSE(s.moveDown(2));
    EXPECT_EQ(s.selectionTexts(), (QStringList{"AR                *", "H2O               *", "N2"}));
}

TEST(SpeciesSelection, SeekMatchesUpperCaseBeginnings)
{
    DataBases db;
    RSpeciesSelection s;
    ASSERT_EQ(s.load({}, db.thermo, db.transport), RSpeciesSelection::Loaded);
    EXPECT_EQ(s.seek("h"), 1);      // "H2"
    EXPECT_EQ(s.seek("h2o"), 2);
    EXPECT_EQ(s.seek("Q"), -1);
    EXPECT_EQ(s.seek(""), -1);
}

TEST(SpeciesSelection, DataBaseThatCannotBeOpened)
{
    DataBases db;
    RSpeciesSelection s;
    EXPECT_EQ(s.load({"H2"}, db.dir.filePath("missing"), db.transport), RSpeciesSelection::ThermoNotOpened);
    EXPECT_FALSE(s.loaded());
    EXPECT_TRUE(s.available.isEmpty());
    EXPECT_TRUE(s.selection.isEmpty());
    EXPECT_EQ(s.load({"H2"}, db.thermo, db.dir.filePath("missing")), RSpeciesSelection::TransportNotOpened);
    EXPECT_FALSE(s.loaded());
}

// Reading version 2 documents: what is taken over as version 3 reads it, what differs, and
// what a converted document holds where the old file says nothing.
#include "ConvertFixtures.h"

#include <QProcess>

namespace {

QByteArray v2(const QByteArray& records) { return "$MORV 02050100\r\n" + records; }

const QString unknownHeader = QStringLiteral("%unknown   #------------------------");
const QString subHeader = QStringLiteral("%sub       #------------------------");
const QString inputHeader = QStringLiteral("%input     #------------------------");
const QString temporaryHeader = QStringLiteral("%temporary #------------------------");

}

TEST_F(OldFileTest, Version2FixtureConvertsToTheExpectedDocument)
{
    RecordedMessages messages;
    RMORVDocument doc;
    ASSERT_EQ(doc.loadfile(dataPath("v2_rod.MV3")), 0);
    EXPECT_EQ(afterVersionLine(doc.documentText()),
              afterVersionLine(readBytes(dataPath("v2_rod_expected.MV3"))));
    ASSERT_EQ(messages.seen.size(), 1u);
    EXPECT_EQ(messages.seen[0].first, MessageKind::Information);
    EXPECT_EQ(messages.seen[0].second, "V2 file conversion completed.");
    // The file carries a grid: the mesh is valid.
    EXPECT_EQ(doc.mesh->meshState, 2);
    EXPECT_EQ(doc.meshCheck1D, 0);
    EXPECT_EQ(doc.compileState, 2);
    EXPECT_EQ(doc.compiler->control->spaceDimension, 1);

    // Saved, it is an ordinary version 3 document that reads back without conversion.
    ASSERT_EQ(doc.savefile(path("saved.MV3")), 0);
    EXPECT_TRUE(readBytes(path("saved.MV3")).startsWith("\xEF\xBB\xBF$MORV 03"));
    RMORVDocument again;
    ASSERT_EQ(again.loadfile(path("saved.MV3")), 0);
    expectSameStoredContent(doc, again);
    EXPECT_EQ(messages.seen.size(), 1u);
}

TEST_F(OldFileTest, Version2SymbolBlocksBuildTheSymbolDefinitionText)
{
    struct Case {
        const char* what;
        QByteArray records;
        QStringList definition;
    };
    const Case cases[] = {
        {"names trimmed; a line with commas gives its first field",
         "$VARATTR\r\n  a  \r\nb,1,word\r\n c d \r\n$END\r\n",
         {unknownHeader, "a", "b", "c d"}},
        {"an empty block gives its header only", "$SUBVATTR\r\n$END\r\n", {subHeader}},
        {"blocks in file order",
         "$TEMPATTR\r\nr\r\n$END\r\n$INPATTR\r\nk\r\n$END\r\n$VARATTR\r\nu\r\n$END\r\n",
         {temporaryHeader, "r", inputHeader, "k", unknownHeader, "u"}},
        {"version 3 records of the text and the last section are skipped whole",
         "$DEFINESYMBOL\r\n%unknown   #---\r\nu\r\n$END\r\n$TERMINATE\r\n%PRINT: u\r\n$END\r\n",
         {}},
        {"nothing after the version", "", {}},
    };
    for (const Case& c : cases) {
        RecordedMessages messages;
        RMORVDocument doc;
        ASSERT_EQ(load(doc, v2(c.records)), 0) << c.what;
        EXPECT_EQ(doc.symbolDefinition, c.definition) << c.what;
        EXPECT_TRUE(doc.scripts[RMORVDocument::Terminate].isEmpty()) << c.what;
        EXPECT_EQ(messages.seen.size(), 1u) << c.what;
    }

    RMORVDocument doc;
    ASSERT_EQ(load(doc, v2(cases[0].records + "$SUBVATTR\r\n$END\r\n")), 0);
    const SSymbolTable& s = *doc.compiler->symbols;
    EXPECT_EQ(doc.compiler->control->variableCount, 3);
    EXPECT_EQ(s.variableNames, (QStringList{"a", "b", "c d"}));
    EXPECT_EQ(s.variableComments, (QStringList{"", "", ""}));
    EXPECT_EQ(s.variableAttributes, (QList<int>{0, 0, 0}));
    EXPECT_EQ(doc.compiler->control->twoGrid, 0);
    EXPECT_EQ(doc.compiler->control->subVariableCount, 0);
    EXPECT_TRUE(s.subVariableNames.isEmpty());
    EXPECT_TRUE(s.subVariableAttributes.isEmpty());
}

TEST_F(OldFileTest, Version2RecordsThatDiffer)
{
    RecordedMessages messages;
    RMORVDocument doc;
    ASSERT_EQ(load(doc, v2("$METHOD 3\r\n$MESHANGLE 30\r\n$FLOATINGERROR 1\r\n$FILEOUTTYPE 1\r\n"
                           "$ASCTEXTOUT 1\r\n$SPECIES\r\nH2\r\n$END\r\n"
                           "$LABELEDCONSTANT\r\nhalf,0.5,\r\n$END\r\n$LMAX 7\r\n")),
              0);
    const SControlData& c = *doc.compiler->control;
    EXPECT_EQ(c.METHOD, 0);
    EXPECT_EQ(doc.meshAngle, 0.0);
    EXPECT_EQ(c.FLOATINGERROR, 0);
    EXPECT_EQ(c.FILEOUTTYPE, 0);
    EXPECT_EQ(doc.compiler->symbols->speciesCount, 0);
    EXPECT_EQ(doc.compiler->symbols->constantCount, 0);
    EXPECT_EQ(c.LMAX, 7);
    // Without a grid the 1-D mesh check says so.
    EXPECT_EQ(doc.meshCheck1D, -1);
}

TEST_F(OldFileTest, HeadlessResaveTellsTheConversionOnStandardError)
{
    QProcess p;
    p.start(QStringLiteral(MORV_HEADLESS), {"resave", dataPath("v2_rod.MV3"), path("out.MV3")});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_TRUE(p.readAllStandardError().contains("V2 file conversion completed."));
    EXPECT_EQ(afterVersionLine(readBytes(path("out.MV3"))),
              afterVersionLine(readBytes(dataPath("v2_rod_expected.MV3"))));
}

// Reading version 1.6 documents: records, symbol blocks and tolerance, script blocks in the
// older script language, and the interval chain of the one-dimensional figure.
#include "ConvertFixtures.h"

namespace {

QByteArray v16(const QByteArray& lines) { return "$VERSION 10600\r\n" + lines; }

struct Loaded {
    int code = -1;
    RMORVDocument doc;
};

struct V16Test : OldFileTest {
    // Loads the lines after the version line into a fresh document.
    std::unique_ptr<Loaded> read(const QByteArray& lines)
    {
        auto loaded = std::make_unique<Loaded>();
        loaded->code = load(loaded->doc, v16(lines), "old.MVS");
        return loaded;
    }
};

}

TEST_F(V16Test, FixtureConvertsToTheExpectedDocument)
{
    RecordedMessages messages;
    RMORVDocument doc;
    // The fixture is in the old code page (a degree sign in a comment) and ends in a plot
    // record whose text runs up to a "$" inside a line.
    ASSERT_EQ(doc.loadfile(dataPath("v16_rod.MVS")), 0);
    EXPECT_EQ(afterVersionLine(doc.documentText()),
              afterVersionLine(readBytes(dataPath("v16_rod_expected.MV3"))));
    ASSERT_EQ(messages.seen.size(), 1u);
    EXPECT_EQ(messages.seen[0].first, MessageKind::Information);
    EXPECT_EQ(messages.seen[0].second, "V1.6 file conversion completed.");
    // The chain is a figure without a grid.
    EXPECT_EQ(doc.mesh->groupCount, 1);
    EXPECT_EQ(doc.mesh->meshState, 1);
    EXPECT_EQ(doc.meshCheck1D, -1);
    EXPECT_EQ(doc.compiler->control->spaceDimension, 1);
    EXPECT_EQ(doc.inputDataIndex, 1);
}

TEST_F(V16Test, EquationLinesConvert)
{
    RMORVDocument doc;
    doc.compiler->symbols->xName = "r";
    struct Case { const char* line; int counterBefore; const char* converted; int counterAfter; };
    const Case cases[] = {
        {"%equ: u - 1", 0, "MORV_Equation_1= u - 1", 1},
        {"  %EqU:u", 4, "  MORV_Equation_5=u", 5},
        // Only a label before the comment counts; then every marker gets the same name.
        {"# %equ: u", 0, "# %equ: u", 0},
        {"u = 1 # %EQU: v", 2, "u = 1 # %EQU: v", 2},
        {"%equ: a  # %Equ: b", 0, "MORV_Equation_1= a  # MORV_Equation_1= b", 1},
        {"%equ: a %equ: b", 1, "MORV_Equation_2= a MORV_Equation_2= b", 2},
        // Bracket digits gain the x name everywhere, comments and unlabelled lines included.
        {"w = a[0] + a[1] + a[2] + a[3] # b[1]", 0, "w = a[r,0] + a[r,1] + a[r,2] + a[3] # b[r,1]", 0},
        {"%equ: a[2]", 0, "MORV_Equation_1= a[r,2]", 1},
    };
    for (const Case& c : cases) {
        QString converted;
        int counter = c.counterBefore;
        doc.ConvertEquation(QString::fromLatin1(c.line), converted, counter);
        EXPECT_EQ(converted, QString::fromLatin1(c.converted)) << c.line;
        EXPECT_EQ(counter, c.counterAfter) << c.line;
    }
}

TEST_F(V16Test, ScriptBlocksGoToTheirSections)
{
    using S = RMORVDocument::Section;
    struct Case {
        const char* what;
        QByteArray lines;
        S section;
        QStringList expected;
    };
    const Case cases[] = {
        {"steady: equations and their declarations in INITIAL",
         "$PARMX 1 x\r\n$DOMAIN\r\n%equ: u[2]\r\n%equ: v\r\n$END\r\n", S::Initial,
         {"MORV_Equation_1= u[x,2]", "MORV_Equation_2= v", "%equ:MORV_Equation_1",
          "%equ:MORV_Equation_2"}},
        {"without x the end blocks are written bare",
         "$DOMAIN\r\n%equ: u\r\n$END\r\n$BCL\r\n%equ: u - 1\r\n$END\r\n$BCR\r\nw = 1 \t\r\n$END\r\n",
         S::Initial,
         {"MORV_Equation_1= u", "  MORV_Equation_1= u - 1", "  w = 1", "%equ:MORV_Equation_1"}},
        {"a block before the x name uses the default name",
         "$DOMAIN\r\n%equ: u[1]\r\n$END\r\n$PARMX 1 r\r\n$BCL\r\n%equ: u[1]\r\n$END\r\n", S::Initial,
         {"MORV_Equation_1= u[x,1]", "%if:attribute(1)~1", "  MORV_Equation_1= u[r,1]", "%end if",
          "%equ:MORV_Equation_1"}},
        {"the last domain block's count of labels is declared",
         "$PARMT 1 t\r\n$DOMAIN\r\n%equ: a\r\n%equ: b\r\n$END\r\n"
         "$DOMAIN\r\n%equ: c\r\n%equ: d\r\n  %equ: e\r\n$END\r\n",
         S::Equation,
         {"MORV_Equation_1= a", "MORV_Equation_2= b", "MORV_Equation_1= c", "MORV_Equation_2= d",
          "  MORV_Equation_3= e", "%equ:MORV_Equation_1", "%equ:MORV_Equation_2",
          "%equ:MORV_Equation_3"}},
        {"no domain block, no declarations", "$BCL\r\n%equ: u\r\n$END\r\n", S::Initial,
         {"  MORV_Equation_1= u"}},
        {"a later sub-variable block replaces the first",
         "$SUBVAR\r\nw = 1\r\n$END\r\n$SUBVAR\r\nw = a[0]\r\n$END\r\n", S::SubVariable,
         {"w = a[x,0]"}},
        {"the initial block is the ASSUME section; a block may lack its end",
         "$INITIAL\r\nu = 1\r\n$END\r\n$INITIAL\r\n  u = 2\r\n", S::Assume, {"  u = 2"}},
        {"a transient problem starts from its variables' time derivatives",
         "$PARMT 1 tau\r\n$VARATTR 2\r\nu 1e-4\r\nv 1e-4\r\n", S::Initial,
         {"%equ:u[tau]", "%equ:v[tau]"}},
    };
    for (const Case& c : cases) {
        const auto loaded = read(c.lines);
        ASSERT_EQ(loaded->code, 0) << c.what;
        EXPECT_EQ(loaded->doc.scripts[c.section], c.expected) << c.what;
        EXPECT_TRUE(loaded->doc.scripts[S::Terminate].isEmpty()) << c.what;
    }
}

TEST_F(V16Test, ToleranceIsTheLargestPositiveOne)
{
    struct Case { const char* what; QByteArray lines; double eps; };
    const Case cases[] = {
        {"largest of two", "$VARATTR 2\r\nu, 1e-5\r\nv, 1e-3\r\n", 1e-3},
        {"below the default", "$VARATTR 2\r\nu, 1e-8\r\nv, 1e-9\r\n", 1e-8},
        // Regression: a document without a positive tolerance got 0, which never converges.
        {"none positive", "$VARATTR 2\r\nu, 0\r\nv, -1\r\n", 1.0E-6},
        {"no variables", "$VARATTR 0\r\n", 1.0E-6},
        {"a later block decides", "$VARATTR 1\r\nu, 1e-2\r\n$VARATTR 1\r\nv, 0\r\n", 1.0E-6},
    };
    for (const Case& c : cases) {
        const auto loaded = read(c.lines);
        ASSERT_EQ(loaded->code, 0) << c.what;
        EXPECT_EQ(loaded->doc.compiler->control->EPS, c.eps) << c.what;
    }
}

TEST_F(V16Test, SymbolsInputDataAndSkippedRecords)
{
    const auto loaded = read(
        "$TITLE\r\n$NOT A RECORD\r\n$NO whatever\r\n$REMSTART\r\n$LMAX 2\r\n$REMEND\r\n"
        "$VARATTR 1\r\n\"u\"  1e-4\r\n$SUBVATTR 1\r\n  w 1\r\n$INPATTR 2\r\na\r\nb\r\n"
        "$TEMPATTR 1\r\ntmp\r\n"
        "$INPDATA,3,3\r\none\r\ntwo\r\nthree  \r\n1 2 3\r\n\r\n"
        "$GRAPH\r\nplot text\r\nmore $LMAX 9\r\n");
    ASSERT_EQ(loaded->code, 0);
    const RMORVDocument& doc = loaded->doc;
    const SControlData& c = *doc.compiler->control;
    const SSymbolTable& s = *doc.compiler->symbols;
    EXPECT_EQ(c.LMAX, 9);
    EXPECT_EQ(s.variableNames, QStringList{"u"});
    EXPECT_EQ(s.subVariableNames, QStringList{"w 1"});
    EXPECT_EQ(s.subVariableAttributes, QList<int>{0});
    EXPECT_EQ(s.inputNames, (QStringList{"a", "b"}));
    EXPECT_EQ(s.inputComments, (QStringList{"", ""}));
    EXPECT_EQ(s.temporaryNames, QStringList{"tmp"});
    EXPECT_EQ(doc.symbolDefinition,
              (QStringList{"%unknown   #------------------------", "u",
                           "%sub       #------------------------", "w 1",
                           "%input     #------------------------", "a", "b",
                           "%temporary #------------------------", "tmp"}));
    ASSERT_EQ(doc.inputData.size(), 3);
    EXPECT_EQ(doc.inputData[2].label, "three");
    // Values the file does not give are 0.
    EXPECT_EQ(doc.inputData[0].values, (QList<double>{1.0, 0.0}));
    EXPECT_EQ(doc.inputData[2].values, (QList<double>{3.0, 0.0}));
    // Counted from 1 in the file, kept as converted.
    EXPECT_EQ(doc.inputDataIndex, 2);
}

// A set count times an input count once claimed a value table far larger than the file.
TEST_F(V16Test, InputDataTableIsBoundByWhatTheFileHolds)
{
    // 1100 inputs by 1000 sets is above the floor of 2^20 values.
    const int inputs = 1100, sets = 1000;
    auto lines = [&](const QByteArray& valueLine) {
        QByteArray text = "$INPATTR " + QByteArray::number(inputs) + "\r\n";
        for (int i = 0; i < inputs; ++i)
            text += "a" + QByteArray::number(i) + "\r\n";
        text += "$INPDATA " + QByteArray::number(sets) + " 1\r\n";
        for (int j = 0; j < sets; ++j)
            text += "s\r\n";
        for (int i = 0; i < inputs; ++i)
            text += valueLine + "\r\n";
        return text;
    };
    EXPECT_EQ(read(lines(""))->code, 99);
    QByteArray full = "0";
    for (int j = 1; j < sets; ++j)
        full += " 0";
    const auto loaded = read(lines(full));
    ASSERT_EQ(loaded->code, 0);
    EXPECT_EQ(loaded->doc.inputData.size(), sets);
}

TEST_F(V16Test, IntervalChainBecomesTheFigure)
{
    const QByteArray withCommas = "$PARMX,1,x\r\n$DIVX\r\n3, 0.0\r\n10, 1\r\n20, 3\r\n10, 4\r\n";
    const QByteArray withBlanks = "$PARMX 1 x\r\n$DIVX  7\r\n 3   0.0  9\r\n10 1\r\n20\t3\r\n10 4 x\r\n";
    for (const QByteArray& lines : {withCommas, withBlanks}) {
        const auto loaded = read(lines);
        ASSERT_EQ(loaded->code, 0);
        const RTriangleMesh& m = *loaded->doc.mesh;
        ASSERT_EQ(m.points.size(), 4u);
        ASSERT_EQ(m.segments.size(), 3u);
        const double x[] = {0, 1, 3, 4}, handle[] = {0.5, 2, 3.5};
        const int region[] = {1, 0, 0, 2}, division[] = {10, 20, 10};
        const std::vector<int> connections[] = {{0}, {0, 1}, {1, 2}, {2}};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(m.points[i].x, x[i]);
            EXPECT_EQ(m.points[i].y, 0.0);
            EXPECT_EQ(m.points[i].region, region[i]);
            EXPECT_EQ(m.points[i].group, 0);
            EXPECT_EQ(m.points[i].connections, connections[i]) << i;
        }
        for (int i = 0; i < 3; ++i) {
            const RSegment& g = m.segments[i];
            EXPECT_EQ(g.startPoint, i);
            EXPECT_EQ(g.endPoint, i + 1);
            EXPECT_EQ(g.division, division[i]);
            EXPECT_EQ(g.handleX, handle[i]);
            EXPECT_EQ(g.handleY, 0.0);
            EXPECT_EQ(g.radius, 0.0);
            EXPECT_EQ(g.type, 0);
            EXPECT_EQ(g.region, 0);
        }
        EXPECT_EQ(m.groupCount, 1);
        EXPECT_EQ(m.meshState, 1);
        EXPECT_EQ(loaded->doc.meshCheck1D, -1);
    }

    // A second chain is built over the first; a shorter one drops the surplus.
    const auto twice = read(withCommas + "$DIVX\r\n1 5\r\n4 6\r\n");
    ASSERT_EQ(twice->code, 0);
    const RTriangleMesh& m = *twice->doc.mesh;
    ASSERT_EQ(m.points.size(), 2u);
    ASSERT_EQ(m.segments.size(), 1u);
    EXPECT_EQ(m.points[0].connections, std::vector<int>{0});
    EXPECT_EQ(m.points[1].connections, std::vector<int>{0});
    EXPECT_EQ(m.points[1].region, 2);
    EXPECT_EQ(m.segments[0].handleX, 5.5);

    // No intervals: a single left end point.
    const auto single = read("$PARMX 1 x\r\n$DIVX\r\n0 2.5\r\n");
    ASSERT_EQ(single->code, 0);
    ASSERT_EQ(single->doc.mesh->points.size(), 1u);
    EXPECT_EQ(single->doc.mesh->points[0].region, 1);
    EXPECT_TRUE(single->doc.mesh->points[0].connections.empty());
    EXPECT_TRUE(single->doc.mesh->segments.empty());

    // Without the x parameter the chain does not survive.
    for (const QByteArray& lines : {QByteArray("$DIVX\r\n1 0\r\n4 1\r\n"),
                                    QByteArray("$PARMX 0 x\r\n$DIVX\r\n1 0\r\n4 1\r\n")}) {
        const auto loaded = read(lines);
        ASSERT_EQ(loaded->code, 0);
        EXPECT_TRUE(loaded->doc.mesh->points.empty());
        EXPECT_TRUE(loaded->doc.mesh->segments.empty());
        EXPECT_EQ(loaded->doc.mesh->groupCount, 0);
    }
}

// Writing and reading document files.
#include "DocumentFixtures.h"
#include "document/RMessages.h"
#include "document/RUtilities.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <sys/stat.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

namespace {

QByteArray versionLine()
{
    return QStringLiteral("$MORV %1").arg(programVersion(), 8, 10, QLatin1Char('0')).toLatin1();
}

// A version 3 file from the given records, with a byte order mark and CR LF.
QByteArray v3(const QByteArray& records)
{
    QByteArray text = "\xEF\xBB\xBF" + versionLine() + "\r\n" + records;
    return text;
}

class RecordingSink : public RMessageSink {
public:
    void message(MessageKind, const QString& text) override { messages << text; }
    QStringList messages;
};

struct FileTest : ::testing::Test {
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
    // Loads bytes written to a file of the given name.
    int load(RMORVDocument& doc, const QByteArray& bytes, const QString& name = "t.MV3")
    {
        writeBytes(path(name), bytes);
        return doc.loadfile(path(name));
    }
};

}

TEST_F(FileTest, ResetDocumentIsWrittenExactly)
{
    RMORVDocument doc;
    const QByteArray expected = v3(
        "$RESTART 0\r\n$MESHTYPE 0\r\n$MESHANGLE   0.00000000000000E+00\r\n$METHOD 0\r\n"
        "$LMAX 100\r\n$IPRT 2\r\n$IPRN 1\r\n$PARMX 0,x\r\n$PARMY 0,y\r\n$PARMT 0,t\r\n"
        "$DELT   1.00000000000000E+00\r\n$TSTART   0.00000000000000E+00\r\n"
        "$TEND   1.00000000000000E+03\r\n$TGRID_A  -1.00000000000000E+00\r\n"
        "$DELP   1.00000000000000E-08\r\n$OMEGA   1.00000000000000E+00\r\n"
        "$ALPHA   1.00000000000000E+00\r\n$EPS   1.00000000000000E-06\r\n"
        "$EPSDIF   1.00000000000000E-02\r\n$MISES 1\r\n$IFIL 1\r\n$FLOATINGERROR 0\r\n"
        "$FILEOUTTYPE 0\r\n$SPECIES\r\n$END\r\n"
        "$DOMAIN\r\n$END\r\n$INITIAL\r\n$END\r\n$SUBVAR\r\n$END\r\n$ASSUME\r\n$END\r\n"
        "$TERMINATE\r\n$END\r\n$DEFINESYMBOL\r\n"
        "%unknown   #------------------------\r\n%sub       #------------------------\r\n"
        "%temporary #------------------------\r\n%input     #------------------------\r\n"
        "%constant  #------------------------\r\n$END\r\n");
    ASSERT_EQ(doc.savefile(path("reset.MV3")), 0);
    EXPECT_EQ(readBytes(path("reset.MV3")), expected);
}

TEST_F(FileTest, FullFixtureReadsToTheDocumentThatWroteIt)
{
    RMORVDocument expected;
    fillFullDocument(expected);
    RMORVDocument doc;
    ASSERT_EQ(doc.loadfile(dataPath("full.MV3")), 0);
    expectSameStoredContent(expected, doc);
    EXPECT_EQ(doc.meshCheck1D, 0);
    EXPECT_EQ(doc.compileState, 2);
    // The file's version line is the only part that depends on the program version.
    QByteArray fixture = readBytes(dataPath("full.MV3"));
    QByteArray written = doc.documentText();
    const qsizetype eol = fixture.indexOf("\r\n");
    EXPECT_EQ(written.mid(written.indexOf("\r\n")), fixture.mid(eol));
}

TEST_F(FileTest, RoundTripKeepsEveryStoredMember)
{
    RMORVDocument original;
    fillFullDocument(original);
    ASSERT_EQ(original.savefile(path("a.MV3")), 0);
    RMORVDocument copy;
    ASSERT_EQ(copy.loadfile(path("a.MV3")), 0);
    expectSameStoredContent(original, copy);
    // Written again, the file is the same byte for byte.
    ASSERT_EQ(copy.savefile(path("b.MV3")), 0);
    EXPECT_EQ(readBytes(path("a.MV3")), readBytes(path("b.MV3")));
}

TEST_F(FileTest, RoundTripDifferencesAreOnlyTheListedOnes)
{
    RMORVDocument doc;
    fillFullDocument(doc);
    doc.compiler->control->DELT = 1.0 / 3.0;            // 17 digits
    doc.compiler->symbols->constantValues[0] = 2.0 / 3.0;
    doc.mesh->gridPoints[4].spacing = 0.125;
    doc.mesh->points[0].selected = true;
    doc.mesh->segments[0].hidden = true;
    doc.scripts[RMORVDocument::Initial] = {"  u = 0 \t "};
    doc.divisionPitch = 0.5;
    ASSERT_EQ(doc.savefile(path("d.MV3")), 0);
    RMORVDocument back;
    ASSERT_EQ(back.loadfile(path("d.MV3")), 0);
    EXPECT_EQ(back.compiler->control->DELT, 0.333333333333333);
    EXPECT_EQ(back.compiler->symbols->constantValues[0], 0.666666666666667);
    EXPECT_EQ(back.mesh->gridPoints[4].spacing, 0.0);
    EXPECT_FALSE(back.mesh->points[0].selected);
    EXPECT_FALSE(back.mesh->segments[0].hidden);
    EXPECT_EQ(back.scripts[RMORVDocument::Initial], QStringList{"  u = 0"});
    EXPECT_EQ(back.divisionPitch, 0.0);

    // Below mesh state 2 neither the mesh nor the integral regions are written.
    doc.mesh->meshState = 1;
    ASSERT_EQ(doc.savefile(path("e.MV3")), 0);
    const QByteArray text = readBytes(path("e.MV3"));
    EXPECT_TRUE(text.contains("$SEG_POINT") && text.contains("$SEG_LINE")
                && text.contains("$SEG_PATH"));
    EXPECT_FALSE(text.contains("$GRID_POINT") || text.contains("$CELL_TRIANGLE")
                 || text.contains("$INTEGRAL"));
    ASSERT_EQ(back.loadfile(path("e.MV3")), 0);
    EXPECT_EQ(back.mesh->meshState, 1);
    EXPECT_EQ(back.meshCheck1D, -1);
    EXPECT_TRUE(back.mesh->gridPoints.empty());
    EXPECT_TRUE(back.compiler->INTEGRAL1.isEmpty() && back.compiler->INTEGRAL2.isEmpty());
}

// A real field that reads as infinity or NaN is refused like a field that is no number, in
// every record that holds reals: a NaN coordinate used to load and then make the mesh fail and
// the domain editor leave its point out.
TEST_F(FileTest, InfinityAndNanFieldsAreRefused)
{
    using Set = std::function<void(RMORVDocument&, double)>;
    const std::pair<const char*, Set> fields[] = {
        {"$DELT", [](RMORVDocument& d, double v) { d.compiler->control->DELT = v; }},
        {"$TSTART", [](RMORVDocument& d, double v) { d.compiler->control->TSTART = v; }},
        {"$TEND", [](RMORVDocument& d, double v) { d.compiler->control->TEND = v; }},
        {"$DELP", [](RMORVDocument& d, double v) { d.compiler->control->DELP = v; }},
        {"$OMEGA", [](RMORVDocument& d, double v) { d.compiler->control->OMEGA = v; }},
        {"$ALPHA", [](RMORVDocument& d, double v) { d.compiler->control->ALPHA = v; }},
        {"$EPS", [](RMORVDocument& d, double v) { d.compiler->control->EPS = v; }},
        {"$EPSDIF", [](RMORVDocument& d, double v) { d.compiler->control->EPSDIF = v; }},
        {"$MESHANGLE", [](RMORVDocument& d, double v) { d.meshAngle = v; }},
        {"$TGRID_A", [](RMORVDocument& d, double v) { d.compiler->symbols->TGRID_A = v; }},
        {"$TGRID_B", [](RMORVDocument& d, double v) { d.compiler->symbols->TGRID_B[1] = v; }},
        {"$LABELEDCONSTANT", [](RMORVDocument& d, double v) { d.compiler->symbols->constantValues[2] = v; }},
        {"$INPDATA", [](RMORVDocument& d, double v) { d.inputData[1].values[0] = v; }},
        {"$SEG_POINT x", [](RMORVDocument& d, double v) { d.mesh->points[1].x = v; }},
        {"$SEG_POINT y", [](RMORVDocument& d, double v) { d.mesh->points[3].y = v; }},
        {"$SEG_LINE handle x", [](RMORVDocument& d, double v) { d.mesh->segments[0].handleX = v; }},
        {"$SEG_LINE handle y", [](RMORVDocument& d, double v) { d.mesh->segments[2].handleY = v; }},
        {"$SEG_LINE radius", [](RMORVDocument& d, double v) { d.mesh->segments[1].radius = v; }},
        {"$SEG_LINE bias", [](RMORVDocument& d, double v) { d.mesh->segments[3].bias = v; }},
        {"$SEG_PATH label x", [](RMORVDocument& d, double v) { d.mesh->outlines[0].labelX = v; }},
        {"$SEG_PATH label y", [](RMORVDocument& d, double v) { d.mesh->outlines[0].labelY = v; }},
        {"$SEG_PATH area", [](RMORVDocument& d, double v) { d.mesh->outlines[0].area = v; }},
        {"$GRID_POINT x", [](RMORVDocument& d, double v) { d.mesh->gridPoints[4].x = v; }},
        {"$GRID_POINT y", [](RMORVDocument& d, double v) { d.mesh->gridPoints[0].y = v; }},
        {"$GRID_POINT normal x", [](RMORVDocument& d, double v) { d.mesh->gridPoints[3].normalX = v; }},
        {"$GRID_POINT normal y", [](RMORVDocument& d, double v) { d.mesh->gridPoints[6].normalY = v; }},
        {"$CELL_TRIANGLE quality", [](RMORVDocument& d, double v) { d.mesh->triangles[1].quality = v; }},
    };
    const double inf = std::numeric_limits<double>::infinity();
    for (const auto& [field, set] : fields) {
        for (double v : {inf, -inf, std::nan("")}) {
            SCOPED_TRACE(std::string(field) + " = " + std::to_string(v));
            RMORVDocument doc;
            fillFullDocument(doc);
            set(doc, v);
            ASSERT_EQ(doc.savefile(path("bad.MV3")), 0);
            RMORVDocument back;
            EXPECT_EQ(back.loadfile(path("bad.MV3")), 99);
        }
    }
    // The spellings a hand-edited file may hold.
    for (const char* value : {"nan", "NaN", "-nan", "inf", "-Infinity", "+INF", "1E999"}) {
        SCOPED_TRACE(value);
        RMORVDocument doc;
        EXPECT_EQ(load(doc, v3(QByteArray("$DELT ") + value + "\r\n")), 99);
    }
    RMORVDocument doc;
    EXPECT_EQ(load(doc, v3("$DELT 0.5\r\n")), 0);
}

// Labels with blanks, commas or quotes were split apart when read back.
TEST_F(FileTest, FigureLabelsAndFullFieldsReadBack)
{
    RMORVDocument doc;
    fillFullDocument(doc);
    doc.mesh->segments[3].label = " lead, \"q\" trail ";
    doc.mesh->outlines[0].label = "a b";
    doc.mesh->points[0].connections = {3, 0};
    doc.mesh->segments[0].region = -2147483647;
    doc.mesh->triangles[0].orientationTag = -100;
    doc.mesh->gridPoints[5].regionCode = 123456;
    doc.mesh->segments[2].bias = -1.0E-200;
    ASSERT_EQ(doc.savefile(path("l.MV3")), 0);
    RMORVDocument back;
    ASSERT_EQ(back.loadfile(path("l.MV3")), 0);
    expectSameStoredContent(doc, back);
}

TEST_F(FileTest, SavingRefusesLinesThatWouldEndTheirBlock)
{
    struct Case { void (*spoil)(RMORVDocument&); const char* where; };
    const Case cases[] = {
        {[](RMORVDocument& d) { d.scripts[RMORVDocument::Equation] = {"u = 1", "  $END "}; },
         "EQUATION"},
        {[](RMORVDocument& d) { d.symbolDefinition << "$END"; }, "symbol definitions"},
        {[](RMORVDocument& d) { d.inputData[0].label = "\t$END"; }, "input data"},
    };
    RecordingSink sink;
    setMessageSink(&sink);
    for (const Case& c : cases) {
        RMORVDocument doc;
        c.spoil(doc);
        sink.messages.clear();
        QFile::remove(path("x.MV3"));
        EXPECT_EQ(doc.savefile(path("x.MV3")), 2) << c.where;
        EXPECT_FALSE(QFile::exists(path("x.MV3"))) << c.where;
        ASSERT_EQ(sink.messages.size(), 1);
        EXPECT_TRUE(sink.messages[0].contains(QLatin1String(c.where))) << qPrintable(sink.messages[0]);
    }
    setMessageSink(nullptr);
    // "$END" inside a longer line is harmless.
    RMORVDocument doc;
    doc.scripts[RMORVDocument::Equation] = {"x = 1 # $END"};
    EXPECT_EQ(doc.savefile(path("ok.MV3")), 0);
}

TEST_F(FileTest, FailedSaveLeavesTheOldFile)
{
    RMORVDocument doc;
    fillFullDocument(doc);
    EXPECT_EQ(doc.savefile(path("no/such/folder/a.MV3")), 1);

    writeBytes(path("old.MV3"), "old contents");
    ASSERT_EQ(::chmod(QFile::encodeName(path("old.MV3")).constData(), 0444), 0);
    EXPECT_EQ(doc.savefile(path("old.MV3")), 1);
    EXPECT_EQ(readBytes(path("old.MV3")), QByteArray("old contents"));
    ::chmod(QFile::encodeName(path("old.MV3")).constData(), 0644);

    // A file held by a document is not replaced under it.
    RExcrusiveAccess other;
    ASSERT_EQ(other.CatchFile(path("old.MV3")), 0);
    EXPECT_EQ(doc.savefile(path("old.MV3")), 1);
    other.ReleaseOwnFile();
    EXPECT_EQ(readBytes(path("old.MV3")), QByteArray("old contents"));
    EXPECT_EQ(doc.savefile(path("old.MV3")), 0);
    EXPECT_EQ(readBytes(path("old.MV3")), doc.documentText());
}

TEST_F(FileTest, BrokenFilesAreRefusedAndTheOpenDocumentStaysAsItWas)
{
    const QByteArray figure =
        "$SEG_POINT\r\n"
        "  0.0E+00  0.0E+00  0  0  1  0\r\n"
        "  1.0E+00  0.0E+00  0  0  1  0\r\n"
        "$END\r\n";
    struct Case { const char* what; QByteArray bytes; int code; };
    const Case cases[] = {
        {"empty file", "", 2},
        {"byte order mark only", "\xEF\xBB\xBF", 2},
        {"blank first line", "\r\n$MORV 03000000\r\n", 99},
        {"blank line between records", v3("$LMAX 5\r\n\r\n$IPRT 1\r\n"), 99},
        {"bad integer", v3("$LMAX ten\r\n"), 99},
        {"bad real", v3("$DELT 1.0.0\r\n"), 99},
        {"bad version number", "$MORV 3.0\r\n", 99},
        {"unknown first keyword", "$RESTART 0\r\n", 3},
        {"lower-case first keyword", "$morv 03000000\r\n", 3},
        {"version 1.6 too old", "$VERSION 10599\r\n", 4},
        {"version 1.6 too new", "$VERSION 20000\r\n", 5},
        {"version below 2.0.2.2", "$MORV 02000201\r\n", 8},
        {"version 4", "$MORV 04000000\r\n", 8},
        {"symbol line without comment", v3("$VARATTR\r\nu,0\r\n$END\r\n"), 99},
        {"input values beyond the sets",
         v3("$INPATTR\r\na,\r\n$END\r\n$INPDATA\r\n1,0\r\nset\r\n1.0 2.0\r\n$END\r\n"), 99},
        {"input data lines missing",
         v3("$INPATTR\r\na,\r\nb,\r\n$END\r\n$INPDATA\r\n1,0\r\nset\r\n1.0\r\n$END\r\n"), 99},
        {"segment end point missing",
         v3(figure + "$SEG_LINE\r\n 0 2 0.5 0 0 1 1 0 0,\r\n$END\r\n"), 99},
        {"point connection to a missing segment", v3(figure), 99},
        {"outline segment missing",
         v3(figure + "$SEG_LINE\r\n 0 1 0.5 0 0 1 1 0 0,\r\n$END\r\n"
                     "$SEG_PATH\r\n 0 0.5 0.5 1.0 2 0 1,\r\n$END\r\n"), 99},
        {"two nodes only", v3("$GRID_POINT\r\n 0 0 -1 0 -1 0 0\r\n 1 0 -1 0 -1 0 0\r\n$END\r\n"), 99},
        {"neighbour ring to a missing node",
         v3("$GRID_POINT\r\n 0 0 -1 0 -1 0 0 3\r\n 1 0 -1 0 -1 0 0\r\n"
            " 0 1 -1 0 -1 0 0\r\n$END\r\n"), 99},
        {"triangle vertex missing",
         v3("$GRID_POINT\r\n 0 0 -1 0 -1 0 0\r\n 1 0 -1 0 -1 0 0\r\n 0 1 -1 0 -1 0 0\r\n$END\r\n"
            "$CELL_TRIANGLE\r\n 0 1 3 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 0 0.0 -1\r\n$END\r\n"), 99},
        {"neighbour triangle below -1",
         v3("$GRID_POINT\r\n 0 0 -1 0 -1 0 0\r\n 1 0 -1 0 -1 0 0\r\n 0 1 -1 0 -1 0 0\r\n$END\r\n"
            "$CELL_TRIANGLE\r\n 0 1 2 -1 -1 -1 -2 -1 -1 -1 -1 -1 -1 0 0.0 -1\r\n$END\r\n"), 99},
        {"triangle line too short",
         v3("$GRID_POINT\r\n 0 0 -1 0 -1 0 0\r\n 1 0 -1 0 -1 0 0\r\n 0 1 -1 0 -1 0 0\r\n$END\r\n"
            "$CELL_TRIANGLE\r\n 0 1 2 -1 -1 -1\r\n$END\r\n"), 99},
        {"integral region cut short", v3("$INTEGRAL1\r\n1\r\nwall\r\n3\r\n4\r\n$END\r\n"), 99},
        {"negative connection count", v3("$SEG_POINT\r\n 0 0 0 0 -1\r\n$END\r\n"), 99},
    };
    RMORVDocument doc;
    ASSERT_EQ(doc.loadfile(dataPath("full.MV3")), 0);
    doc.divisionPitch = 0.75;
    doc.compileState = 0;
    doc.lock.CatchFile(dataPath("full.MV3"));
    const QByteArray before = doc.documentText();
    const QString cwd = QDir::currentPath();
    for (const Case& c : cases) {
        EXPECT_EQ(load(doc, c.bytes), c.code) << c.what;
        EXPECT_EQ(doc.documentText(), before) << c.what;
        EXPECT_EQ(doc.divisionPitch, 0.75) << c.what;
        EXPECT_EQ(doc.compileState, 0) << c.what;
        EXPECT_EQ(doc.meshCheck1D, 0) << c.what;
    }
    EXPECT_EQ(doc.loadfile(path("missing.MV3")), 1);
    EXPECT_EQ(doc.documentText(), before);
    EXPECT_EQ(doc.lock.GetOwnFileName(), dataPath("full.MV3"));
    doc.lock.ReleaseOwnFile();
    QDir::setCurrent(cwd);
}

// A set count times an input count once claimed a value table far larger than the file.
TEST_F(FileTest, InputDataTableIsBoundByWhatTheBlockHolds)
{
    // 1100 inputs by 1000 sets is above the floor of 2^20 values.
    const int inputs = 1100, sets = 1000;
    auto document = [&](const QByteArray& valueLine) {
        QByteArray records = "$INPATTR\r\n";
        for (int i = 0; i < inputs; ++i)
            records += "a" + QByteArray::number(i) + ",\r\n";
        records += "$END\r\n$INPDATA\r\n" + QByteArray::number(sets) + ",0\r\n";
        for (int j = 0; j < sets; ++j)
            records += "s\r\n";
        for (int i = 0; i < inputs; ++i)
            records += valueLine + "\r\n";
        return v3(records + "$END\r\n");
    };
    RMORVDocument doc;
    EXPECT_EQ(load(doc, document("")), 99);
    // The same table with every value written, as the writer writes it, reads.
    QByteArray full = "0";
    for (int j = 1; j < sets; ++j)
        full += ",0";
    ASSERT_EQ(load(doc, document(full)), 0);
    EXPECT_EQ(doc.inputData.size(), sets);
    EXPECT_EQ(doc.inputData[sets - 1].values.size(), inputs);
}

TEST_F(FileTest, VersionLimits)
{
    // Versions 2 and 1.6 are converted within their limits; "$LMAX 7" reads in each.
    struct Case { const char* first; int code; };
    const Case cases[] = {
        {"$MORV 03999999", 0}, {"$MORV 03000000", 0}, {"$MORV 3000000", 0},
        {"$MORV 02999999", 0}, {"$MORV 02000202", 0}, {"$MORV 02000201", 8},
        {"$MORV 04000000", 8},
        {"$VERSION 10600", 0}, {"$VERSION 19999", 0}, {"$VERSION 10599", 4},
        {"$VERSION 20000", 5},
    };
    for (const Case& c : cases) {
        RMORVDocument doc;
        EXPECT_EQ(load(doc, QByteArray(c.first) + "\r\n$LMAX 7\r\n"), c.code) << c.first;
        EXPECT_EQ(doc.compiler->control->LMAX, c.code == 0 ? 7 : 100) << c.first;
    }
}

TEST_F(FileTest, ReaderEdgeCases)
{
    RMORVDocument doc;
    // Unknown records are skipped, a one-line record uses only its second field, a first
    // line may start with blanks, and a last block without "$END" keeps its lines.
    ASSERT_EQ(load(doc, v3("$FUTURE\r\nx\r\n$END\r\n$NEWTHING 5\r\n$GRAPH\r\n$LMAX 1\r\n$END\r\n"
                           "$LMAX 7 8 9\r\n   $IPRT 4\r\n$PARMX \"1,  rr \"\r\n$PARMY 1,s\r\n"
                           "$DOMAIN\r\n  a = 1 \t\r\nb\r\n")),
              0);
    const SControlData& c = *doc.compiler->control;
    EXPECT_EQ(c.LMAX, 7);
    EXPECT_EQ(c.IPRT, 4);
    EXPECT_EQ(doc.compiler->symbols->xName, "rr");
    EXPECT_EQ(c.spaceDimension, 2);
    EXPECT_EQ(doc.scripts[RMORVDocument::Equation], (QStringList{"  a = 1", "b"}));
    // Without "$DEFINESYMBOL" the symbol text is empty; without "$AUTODELT" the flag is clear.
    EXPECT_TRUE(doc.symbolDefinition.isEmpty());
    EXPECT_FALSE(doc.adjustTimeStep);
    EXPECT_EQ(c.AUTODELT, 10);
    EXPECT_EQ(doc.mesh->meshState, 1);
    EXPECT_EQ(doc.meshCheck1D, -1);

    // LF and CR line ends, no byte order mark; groups up to 4 give a group count of 5.
    ASSERT_EQ(load(doc, "$MORV 03010000\n$AUTODELT 3\r$SEG_POINT\n"
                        " 0 0 0 4 0\n 1 0 0 2 0\n 0 1 0 -1 0\n$END\n"
                        "$SEG_LINE\n 0 1 0.5 0 0 2 1 0 0,\n 1 2 0.5 0.5 0 2 1 0 0\n$END\n"),
              0);
    EXPECT_TRUE(doc.adjustTimeStep);
    EXPECT_EQ(doc.compiler->control->AUTODELT, 3);
    EXPECT_EQ(doc.mesh->groupCount, 5);
    ASSERT_EQ(doc.mesh->segments.size(), 2u);
    EXPECT_TRUE(doc.mesh->segments[0].label.isEmpty());
    EXPECT_TRUE(doc.mesh->segments[1].label.isEmpty());

    // Input data sets: missing values are 0, sets follow the input count whatever the
    // order of the records, there is always one set, and the index is kept as read.
    ASSERT_EQ(load(doc, v3("$INPDATA\r\n2,5\r\nfirst\r\nsecond\r\n$END\r\n"
                           "$INPATTR\r\na,\r\nb,\r\n$END\r\n")),
              0);
    ASSERT_EQ(doc.inputData.size(), 2);
    EXPECT_EQ(doc.inputData[1].label, "second");
    EXPECT_EQ(doc.inputData[1].values, (QList<double>{0.0, 0.0}));
    EXPECT_EQ(doc.inputDataIndex, 5);
    ASSERT_EQ(load(doc, v3("$INPATTR\r\na,\r\nb,\r\n$END\r\n$INPDATA\r\n2,1\r\nx\r\ny\r\n"
                           "  1.5\r\n\r\n$END\r\n")),
              0);
    EXPECT_EQ(doc.inputData[0].values, (QList<double>{1.5, 0.0}));
    EXPECT_EQ(doc.inputData[1].values, (QList<double>{0.0, 0.0}));
    ASSERT_EQ(load(doc, v3("$INPATTR\r\na,\r\n$END\r\n$INPDATA\r\n0,0\r\n\r\n$END\r\n")), 0);
    ASSERT_EQ(doc.inputData.size(), 1);
    EXPECT_EQ(doc.inputData[0].values, QList<double>{0.0});

    // A later record of the same keyword wins; symbol blocks replace their arrays.
    ASSERT_EQ(load(doc, v3("$VARATTR\r\nu,1,\r\nv,0,\r\n$END\r\n$VARATTR\r\nw,0,c\r\n$END\r\n")),
              0);
    EXPECT_EQ(doc.compiler->control->variableCount, 1);
    EXPECT_EQ(doc.compiler->symbols->variableNames, QStringList{"w"});
    EXPECT_EQ(doc.compiler->symbols->variableComments, QStringList{"c"});
    EXPECT_EQ(doc.compiler->control->twoGrid, 1);
}

TEST_F(FileTest, EmptyDocumentNameResetsAndMakesTheFolder)
{
    RMORVDocument doc;
    fillFullDocument(doc);
    doc.scripts[RMORVDocument::Equation] = {"x"};
    const QString cwd = QDir::currentPath();
    const QString folder = path("user data");
    EXPECT_EQ(doc.loadfile(folder + "/$3"), 0);
    EXPECT_TRUE(QDir(folder).exists());
    EXPECT_EQ(QDir::currentPath(), QDir(folder).canonicalPath());
    RMORVDocument fresh;
    fresh.symbolDefinition = doc.symbolDefinition;
    EXPECT_EQ(doc.documentText(), fresh.documentText());
    EXPECT_TRUE(doc.scripts[RMORVDocument::Equation].isEmpty());
    QDir::setCurrent(cwd);
}

TEST_F(FileTest, HeadlessResaveIsByteIdentical)
{
    RMORVDocument doc;
    fillFullDocument(doc);
    ASSERT_EQ(doc.savefile(path("in.MV3")), 0);
    QProcess p;
    p.start(QStringLiteral(MORV_HEADLESS), {"resave", path("in.MV3"), path("out.MV3")});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().constData();
    EXPECT_EQ(readBytes(path("out.MV3")), readBytes(path("in.MV3")));

    // Exit status: the reader's code, or 100 plus the writer's.
    writeBytes(path("bad.MV3"), "$MORV 04000000\r\n");
    p.start(QStringLiteral(MORV_HEADLESS), {"resave", path("bad.MV3"), path("out2.MV3")});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 8);
    EXPECT_TRUE(p.readAllStandardError().contains("can't read (code:8)"));
    EXPECT_FALSE(QFile::exists(path("out2.MV3")));
    p.start(QStringLiteral(MORV_HEADLESS), {"resave", path("in.MV3"), path("none/out.MV3")});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 101);
}

TEST_F(FileTest, OneDimensionalGridWithoutTrianglesReadsBackAsAValidMesh)
{
    RMORVDocument doc;
    SControlData& c = *doc.compiler->control;
    c.PARMX = 1;
    c.spaceDimension = 1;
    RTriangleMesh& m = *doc.mesh;
    m.groupCount = 1;
    m.points.resize(2);
    m.points[1].x = 1.0;
    m.points[0].region = 1;
    m.points[1].region = 2;
    m.points[0].connections = {0};
    m.points[1].connections = {0};
    m.segments.resize(1);
    m.segments[0].endPoint = 1;
    m.segments[0].division = 2;
    m.gridPoints.resize(6);
    for (int i = 3; i < 6; ++i) {
        m.gridPoints[i].x = 0.5 * (i - 3);
        m.gridPoints[i].nodeKind = 2;
    }
    m.gridPoints[3].neighbours = {4};
    m.gridPoints[4].neighbours = {3, 5};
    m.gridPoints[5].neighbours = {4};
    m.meshState = 2;
    doc.compiler->INTEGRAL1 = {SIntegral{"ends", {3, -3, 5}}};
    ASSERT_EQ(doc.savefile(path("line.MV3")), 0);
    EXPECT_TRUE(readBytes(path("line.MV3")).contains("$CELL_TRIANGLE\r\n$END\r\n"));
    RMORVDocument back;
    ASSERT_EQ(back.loadfile(path("line.MV3")), 0);
    EXPECT_EQ(back.mesh->meshState, 2);
    EXPECT_EQ(back.meshCheck1D, 0);
    EXPECT_EQ(back.compiler->control->spaceDimension, 1);
    expectSameStoredContent(doc, back);
}

#include "document/RMORVCompile.h"
#include "document/RMessages.h"
#include "results/PlotDescriptionFile.h"
#include "results/PlotImportScripts.h"
#include "results/TCrc32.h"

#include "ResultTestDocuments.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

namespace {

using DocumentShape = ResultDocumentShape;

std::unique_ptr<RMORVCompile> makeDocument(const DocumentShape& shape) { return makeResultDocument(shape); }

const DocumentShape LineInTime{1, 1, 0, {"Temp", "Velo"}, {}, {"Dens"}, {}};
const DocumentShape TimeOnly{1, 0, 0, {"Mass", "Heat"}, {}, {}, {}};
const DocumentShape TwoGrids{0, 1, 0, {"U", "V", "W"}, {0, 1, 0}, {"A", "B"}, {1, 0}};

QString fixture(const QString& name)
{
    return QStringLiteral(MORV_TEST_DATA "/results/data/plot/") + name;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The file's lines as written (CR LF ends, byte-order mark removed).
QStringList fileLines(const QString& path)
{
    QByteArray bytes = readAll(path);
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringList lines = QString::fromUtf8(bytes).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

class RecordingSink : public RMessageSink {
public:
    void message(MessageKind, const QString& text) override { texts << text; }
    QStringList texts;
};

class PlotFile : public ::testing::Test {
protected:
    void SetUp() override { setMessageSink(&sink); }
    void TearDown() override { setMessageSink(nullptr); }

    QString folder() const { return dir.path() + u'/'; }
    QString path(const QString& name) const { return folder() + name; }
    // A result file beside the document.
    void result(const QString& name, const QByteArray& bytes) { writeAll(path(name), bytes); }
    int exportPlot(const DocumentShape& shape, const QString& documentName, int incomplete = 0)
    {
        const auto doc = makeDocument(shape);
        return CreateKurvoFile(*doc, folder(), documentName, kurvoFileName(folder(), documentName),
            incomplete);
    }

    QTemporaryDir dir;
    RecordingSink sink;
};

} // namespace

TEST_F(PlotFile, NewFilesMatchTheGoldenFiles)
{
    struct {
        DocumentShape shape;
        QString name;
    } cases[] = {
        {LineInTime, QStringLiteral("line_in_time")},
        {TimeOnly, QStringLiteral("time_only")},
    };
    for (const auto& c : cases) {
        QFile::copy(fixture(c.name + QStringLiteral(".MVO3")), path(c.name + QStringLiteral(".MVO3")));
        EXPECT_EQ(exportPlot(c.shape, c.name + QStringLiteral(".MV3")), KurvoFileWritten) << qPrintable(c.name);
        EXPECT_EQ(readAll(path(c.name + QStringLiteral("_MV3.Kurvo"))),
            readAll(fixture(c.name + QStringLiteral("_MV3.Kurvo"))))
            << qPrintable(c.name);
        EXPECT_FALSE(QFile::exists(path(c.name + QStringLiteral("_MV3.KVbak")))) << qPrintable(c.name);
    }
    EXPECT_TRUE(sink.texts.isEmpty());
}

TEST_F(PlotFile, TwoGridDocumentWritesAttributesAndNamesGridByGrid)
{
    result(QStringLiteral("duct.MVO3"), "abc");
    EXPECT_EQ(exportPlot(TwoGrids, QStringLiteral("duct.MV3")), KurvoFileWritten);
    const QStringList lines = fileLines(path(QStringLiteral("duct_MV3.Kurvo")));
    ASSERT_GE(lines.size(), 7);
    EXPECT_EQ(lines.mid(3, 4), QStringList({"$CREATOR", "MORV,2,3,2,1", "010,10", "$END"}));
    EXPECT_TRUE(lines.contains(QStringLiteral("$FILEID,*nGG+")));
    EXPECT_EQ(lines.mid(lines.size() - 7),
        QStringList({"$SCALARNAME", "B", "A", "U", "W", "V", "$END"}));

    // Without sub variables the attribute line has no comma.
    DocumentShape noSub = TwoGrids;
    noSub.subVariables.clear();
    noSub.subVariableAttributes.clear();
    EXPECT_EQ(exportPlot(noSub, QStringLiteral("duct.MV3")), KurvoFileWritten);
    EXPECT_EQ(fileLines(path(QStringLiteral("duct_MV3.Kurvo"))).mid(3, 4),
        QStringList({"$CREATOR", "MORV,2,3,0,1", "010", "$END"}));
}

TEST_F(PlotFile, DocumentNameWithBlankIsQuotedOnTheDataFileLine)
{
    result(QStringLiteral("my pipe.MVO3"), "abc");
    EXPECT_EQ(exportPlot(TimeOnly, QStringLiteral("my pipe.MV3")), KurvoFileWritten);
    EXPECT_EQ(fileLines(path(QStringLiteral("my pipe_MV3.Kurvo"))).value(1),
        QStringLiteral("$DATAFILE,\".\\my pipe.MVO3\""));
}

TEST_F(PlotFile, RefreshChangesOnlyTheFileIdAndKeepsAddedLines)
{
    // The golden file as the plotting program and the user left it: lines added, an empty
    // line, a lower-case keyword with blanks around it.
    QByteArray previous = readAll(fixture(QStringLiteral("line_in_time_MV3.Kurvo")));
    previous.replace("$CREATOR\r\n", "  $creator \r\n");
    previous += "$AXIS, x , \"Length, m\"\r\n\r\n; kept as typed\r\n";
    writeAll(path(QStringLiteral("line_in_time_MV3.Kurvo")), previous);
    result(QStringLiteral("line_in_time.MVO3"), "abc"); // a new run

    EXPECT_EQ(exportPlot(LineInTime, QStringLiteral("line_in_time.MV3")), KurvoFileRefreshed);
    QByteArray expected = previous;
    expected.replace("$FILEID,\";q\"\"\\U\"\r\n", "$FILEID,*nGG+\r\n");
    ASSERT_NE(expected, previous);
    EXPECT_EQ(readAll(path(QStringLiteral("line_in_time_MV3.Kurvo"))), expected);
    EXPECT_EQ(readAll(path(QStringLiteral("line_in_time_MV3.KVbak"))), previous);
    EXPECT_TRUE(sink.texts.isEmpty());
}

// Guards against a refresh that damages added lines whose bytes are not UTF-8.
TEST_F(PlotFile, RefreshKeepsBytesThatAreNoUtf8)
{
    QByteArray previous = readAll(fixture(QStringLiteral("time_only_MV3.Kurvo")));
    previous += "; caf\xE9 au lait, \xFF\xFE\r\n";
    writeAll(path(QStringLiteral("time_only_MV3.Kurvo")), previous);
    result(QStringLiteral("time_only.MVO3"), "abc");
    EXPECT_EQ(exportPlot(TimeOnly, QStringLiteral("time_only.MV3")), KurvoFileRefreshed);
    QByteArray expected = previous;
    expected.replace("$FILEID,SSbl=\r\n", "$FILEID,*nGG+\r\n");
    ASSERT_NE(expected, previous);
    EXPECT_EQ(readAll(path(QStringLiteral("time_only_MV3.Kurvo"))), expected);
}

TEST_F(PlotFile, RefreshKeepsOldNamesWhenOnlyAVariableWasRenamed)
{
    result(QStringLiteral("line_in_time.MVO3"), "abc");
    ASSERT_EQ(exportPlot(LineInTime, QStringLiteral("line_in_time.MV3")), KurvoFileWritten);
    DocumentShape renamed = LineInTime;
    renamed.variables[0] = QStringLiteral("Theta");
    EXPECT_EQ(exportPlot(renamed, QStringLiteral("line_in_time.MV3")), KurvoFileRefreshed);
    const QStringList lines = fileLines(path(QStringLiteral("line_in_time_MV3.Kurvo")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Temp")));
    EXPECT_FALSE(lines.contains(QStringLiteral("Theta")));
}

TEST_F(PlotFile, LowerCaseCreatorBlockOfTheSameLayoutMatches)
{
    result(QStringLiteral("line_in_time.MVO3"), "abc");
    writeAll(path(QStringLiteral("line_in_time_MV3.Kurvo")),
        "$creator\r\nmorv,3,2,1,0\r\n$end\r\n$FILEID,old\r\n");
    EXPECT_EQ(exportPlot(LineInTime, QStringLiteral("line_in_time.MV3")), KurvoFileRefreshed);
    EXPECT_EQ(fileLines(path(QStringLiteral("line_in_time_MV3.Kurvo"))),
        QStringList({"$creator", "morv,3,2,1,0", "$end", "$FILEID,*nGG+"}));
}

// Guards against a refreshed file that keeps naming the other result file.
TEST_F(PlotFile, IncompleteExportNamesAndIdentifiesTheIncompleteResult)
{
    result(QStringLiteral("line_in_time.MVO3"), "complete");
    result(QStringLiteral("line_in_time.MVO3$"), "abc");
    ASSERT_EQ(exportPlot(LineInTime, QStringLiteral("line_in_time.MV3"), 0), KurvoFileWritten);
    const QStringList complete = fileLines(path(QStringLiteral("line_in_time_MV3.Kurvo")));

    EXPECT_EQ(exportPlot(LineInTime, QStringLiteral("line_in_time.MV3"), 1), KurvoFileRefreshed);
    QStringList expected = complete;
    for (QString& line : expected) {
        if (line.startsWith(QStringLiteral("$DATAFILE,")))
            line = QStringLiteral("$DATAFILE,.\\line_in_time.MVO3$");
        if (line.startsWith(QStringLiteral("$FILEID,")))
            line = QStringLiteral("$FILEID,*nGG+");
    }
    EXPECT_EQ(fileLines(path(QStringLiteral("line_in_time_MV3.Kurvo"))), expected);

    // A new file for the incomplete result names it from the start.
    QFile::remove(path(QStringLiteral("line_in_time_MV3.Kurvo")));
    EXPECT_EQ(exportPlot(LineInTime, QStringLiteral("line_in_time.MV3"), 1), KurvoFileWritten);
    EXPECT_EQ(fileLines(path(QStringLiteral("line_in_time_MV3.Kurvo"))), expected);
}

TEST_F(PlotFile, ChangedLayoutMovesTheOldFileToTheBackup)
{
    DocumentShape addedSub = LineInTime;
    addedSub.subVariables << QStringLiteral("Pres");
    DocumentShape noTime = LineInTime;
    noTime.PARMT = 0;
    DocumentShape otherAttribute = TwoGrids;
    otherAttribute.subVariableAttributes = {0, 1};
    DocumentShape otherAttributeValue = TwoGrids;
    otherAttributeValue.variableAttributes = {0, 2, 0}; // still grid 2: the same layout
    struct {
        const char* name;
        DocumentShape before;
        DocumentShape after;
        int status;
    } cases[] = {
        {"a sub variable added", LineInTime, addedSub, KurvoFileWritten},
        {"time switched off", LineInTime, noTime, KurvoFileWritten},
        {"a cell attribute changed", TwoGrids, otherAttribute, KurvoFileWritten},
        {"another non-zero attribute", TwoGrids, otherAttributeValue, KurvoFileRefreshed},
    };
    result(QStringLiteral("case.MVO3"), "abc");
    for (const auto& c : cases) {
        QFile::remove(path(QStringLiteral("case_MV3.Kurvo")));
        QFile::remove(path(QStringLiteral("case_MV3.KVbak")));
        ASSERT_EQ(exportPlot(c.before, QStringLiteral("case.MV3")), KurvoFileWritten) << c.name;
        const QByteArray old = readAll(path(QStringLiteral("case_MV3.Kurvo")));
        EXPECT_EQ(exportPlot(c.after, QStringLiteral("case.MV3")), c.status) << c.name;
        EXPECT_EQ(readAll(path(QStringLiteral("case_MV3.KVbak"))), old) << c.name;
        const auto doc = makeDocument(c.after);
        const QByteArray fresh = QByteArray("\xEF\xBB\xBF")
            + kurvoFileLines(*doc, plotShape(*doc), QStringLiteral(".\\case.MVO3"), QStringLiteral("*nGG+"))
                  .join(QStringLiteral("\r\n"))
                  .toUtf8()
            + "\r\n";
        if (c.status == KurvoFileWritten) {
            EXPECT_EQ(readAll(path(QStringLiteral("case_MV3.Kurvo"))), fresh) << c.name;
        }
    }
    EXPECT_TRUE(sink.texts.isEmpty());
}

TEST_F(PlotFile, WithoutAnyParameterTheOldFileBecomesTheBackup)
{
    writeAll(path(QStringLiteral("still_MV3.Kurvo")), "former\r\n");
    writeAll(path(QStringLiteral("still_MV3.KVbak")), "older\r\n");
    const DocumentShape none{0, 0, 0, {"A"}, {}, {}, {}};
    EXPECT_EQ(exportPlot(none, QStringLiteral("still.MV3")), KurvoFileNoPlotMode);
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("still_MV3.Kurvo"))));
    EXPECT_EQ(readAll(path(QStringLiteral("still_MV3.KVbak"))), QByteArray("former\r\n"));
    EXPECT_TRUE(sink.texts.isEmpty());
}

TEST_F(PlotFile, NewFileLeavesAnEarlierBackupAlone)
{
    result(QStringLiteral("time_only.MVO3"), "abc");
    writeAll(path(QStringLiteral("time_only_MV3.KVbak")), "earlier\r\n");
    EXPECT_EQ(exportPlot(TimeOnly, QStringLiteral("time_only.MV3")), KurvoFileWritten);
    EXPECT_EQ(readAll(path(QStringLiteral("time_only_MV3.KVbak"))), QByteArray("earlier\r\n"));
}

TEST_F(PlotFile, FailuresReportAndLeaveNoBrokenFile)
{
    // A plot file that cannot be read: nothing changes.
    QDir(dir.path()).mkdir(QStringLiteral("locked_MV3.Kurvo"));
    result(QStringLiteral("locked.MVO3"), "abc");
    EXPECT_EQ(exportPlot(TimeOnly, QStringLiteral("locked.MV3")), KurvoFileUnreadable);
    EXPECT_EQ(sink.texts, QStringList({"Unable to read Kurvo file"}));
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("locked_MV3.Kurvo"))).isDir());
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("locked_MV3.KVbak"))));

    // No result file to identify: no file is written.
    sink.texts.clear();
    EXPECT_EQ(exportPlot(TimeOnly, QStringLiteral("gone.MV3")), KurvoFileWriteFailed);
    EXPECT_EQ(sink.texts, QStringList({"Unable to write Kurvo file"}));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("gone_MV3.Kurvo"))));

    // Guards against a refresh that reports success or touches the file without a result.
    result(QStringLiteral("gone.MVO3"), "abc");
    ASSERT_EQ(exportPlot(TimeOnly, QStringLiteral("gone.MV3")), KurvoFileWritten);
    const QByteArray written = readAll(path(QStringLiteral("gone_MV3.Kurvo")));
    QFile::remove(path(QStringLiteral("gone.MVO3")));
    sink.texts.clear();
    EXPECT_EQ(exportPlot(TimeOnly, QStringLiteral("gone.MV3")), KurvoFileWriteFailed);
    EXPECT_EQ(sink.texts, QStringList({"Unable to write Kurvo file"}));
    EXPECT_EQ(readAll(path(QStringLiteral("gone_MV3.Kurvo"))), written);

    // Guards against a rewrite from an older backup when the copy to the backup fails.
    result(QStringLiteral("gone.MVO3"), "123456789");
    QDir(dir.path()).mkdir(QStringLiteral("gone_MV3.KVbak"));
    sink.texts.clear();
    EXPECT_EQ(exportPlot(TimeOnly, QStringLiteral("gone.MV3")), KurvoFileWriteFailed);
    EXPECT_EQ(sink.texts, QStringList({"Unable to write Kurvo file"}));
    EXPECT_EQ(readAll(path(QStringLiteral("gone_MV3.Kurvo"))), written);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).filter(QStringLiteral("gone_MV3")),
        QStringList({"gone_MV3.Kurvo"}));
}

TEST_F(PlotFile, UpdateFileIdQuotesTheIdAndKeepsTheLineOtherwise)
{
    struct {
        const char* name;
        QByteArray line;
        QString id;
        QByteArray expected;
    } cases[] = {
        {"blank, comma and quote", "$FILEID,x", QStringLiteral("a \"b,"), "$FILEID,\"a \"\"b,\""},
        {"empty id", "$FILEID,x", QString(), "$FILEID,"},
        {"keyword case and further items", "$FileId,x,keep,\"two words\"", QStringLiteral("y"),
            "$FileId,y,keep,\"two words\""},
        {"single item", "$FILEID", QStringLiteral("y"), "$FILEID,y"},
    };
    const QString file = path(QStringLiteral("u_MV3.Kurvo"));
    const QString backup = path(QStringLiteral("u_MV3.KVbak"));
    for (const auto& c : cases) {
        const QByteArray before = "\xEF\xBB\xBF$KURVO,01010000\r\n" + c.line + "\r\n$END\r\n";
        writeAll(file, before);
        EXPECT_TRUE(UpdateFileID(file, backup, c.id)) << c.name;
        EXPECT_EQ(readAll(file), "\xEF\xBB\xBF$KURVO,01010000\r\n" + c.expected + "\r\n$END\r\n")
            << c.name;
        EXPECT_EQ(readAll(backup), before) << c.name;
    }
}

TEST(PlotCreatorBlock, ReadsTheBlockOrRefusesIt)
{
    struct {
        const char* name;
        QByteArray text;
        int result;
        int nVar, nSub, twoGrid;
        QString varAttr, subAttr;
    } cases[] = {
        {"one grid", "$KURVO\r\n$CREATOR\r\nMORV,3,2,1,0\r\n$END\r\n", 3, 2, 1, 0, {}, {}},
        {"two grids", "\xEF\xBB\xBF$CREATOR\r\nMORV,2,3,2,1\r\n010,10\r\n$END\r\n", 2, 3, 2, 1,
            "010", "10"},
        {"two grids without sub variables", "$CREATOR\nMORV,2,3,0,1\n010\n$END\n", 2, 3, 0, 1,
            "010", {}},
        {"case and blanks", " $creator \r\n morv , 5, 1, 0, 0\r\n  $end\r\n", 5, 1, 0, 0, {}, {}},
        {"no creator line", "$KURVO\r\n$END\r\n", 0, -1, -1, 0, {}, {}},
        {"creator line missing", "$CREATOR\r\n", 0, -1, -1, 0, {}, {}},
        {"foreign program", "$CREATOR\r\nOTHER,3,2,1,0\r\n$END\r\n", 0, -1, -1, 0, {}, {}},
        {"four items", "$CREATOR\r\nMORV,3,2,1\r\n$END\r\n", 0, -1, -1, 0, {}, {}},
        {"not a number", "$CREATOR\r\nMORV,3,two,1,0\r\n$END\r\n", 0, -1, -1, 0, {}, {}},
        {"no end", "$CREATOR\r\nMORV,3,2,1,0\r\n$IMPORTFORMAT\r\n", 0, 2, 1, 0, {}, {}},
        {"attribute line missing", "$CREATOR\r\nMORV,3,2,1,1\r\n", 0, 2, 1, 1, {}, {}},
    };
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("c_MV3.Kurvo"));
    for (const auto& c : cases) {
        writeAll(file, c.text);
        int nVar = 7, nSub = 7, twoGrid = 0;
        QString varAttr, subAttr;
        EXPECT_EQ(GetCreatorBlock(file, nVar, nSub, twoGrid, varAttr, subAttr), c.result) << c.name;
        EXPECT_EQ(nVar, c.nVar) << c.name;
        EXPECT_EQ(nSub, c.nSub) << c.name;
        EXPECT_EQ(twoGrid, c.twoGrid) << c.name;
        EXPECT_EQ(varAttr, c.varAttr) << c.name;
        EXPECT_EQ(subAttr, c.subAttr) << c.name;
    }
    int nVar = 7, nSub = 7, twoGrid = 0;
    QString varAttr, subAttr;
    EXPECT_EQ(GetCreatorBlock(dir.filePath(QStringLiteral("none")), nVar, nSub, twoGrid, varAttr,
                  subAttr),
        -1);
    EXPECT_EQ(nVar, -1);
    EXPECT_EQ(nSub, -1);
}

#include "ResultTestDocuments.h"
#include "document/RMORVDocument.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A document folder with doc.MV3 shaped like the one-grid line fixtures, its own settings
// folder, and morv_headless run inside it.
class HeadlessTable : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        RMORVDocument doc;
        auto shape = makeResultDocument(ResultDocumentShape{1, 1, 0, {"U"}, {}, {"W"}, {}});
        *doc.compiler->control = *shape->control;
        *doc.compiler->symbols = *shape->symbols;
        doc.compiler->symbols->variableComments = {QString()};
        doc.compiler->symbols->subVariableComments = {QString()};
        ASSERT_EQ(doc.savefile(path("doc.MV3")), 0);
    }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    void copyResult(const char* fixture, const char* name)
    {
        QFile::remove(path(name));
        ASSERT_TRUE(QFile::copy(resultData(QString::fromLatin1(fixture)), path(name)));
    }
    void setDigits(int digits)
    {
        QDir().mkpath(path("config/Vesko"));
        QFile conf(path("config/Vesko/MORV3.conf"));
        ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
        conf.write(QStringLiteral("[General]\nSignificantDigit=%1\n").arg(digits).toUtf8());
    }
    int run(const QStringList& args)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), path("config"));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(MORV_HEADLESS), QStringList{QStringLiteral("table")} + args);
        process.waitForFinished(60000);
        out = QString::fromUtf8(process.readAllStandardOutput());
        err = QString::fromUtf8(process.readAllStandardError());
        return process.exitCode();
    }
    QString golden(const char* name) const
    {
        QFile file(resultData(QString::fromLatin1(name)));
        file.open(QIODevice::ReadOnly);
        return QString::fromUtf8(file.readAll());
    }

    QTemporaryDir dir;
    QString out, err;
};

TEST_F(HeadlessTable, PrintsTheTablesOfTheCompleteAndTheIncompleteResult)
{
    copyResult("line_separate.MVO3", "doc.MVO3");
    copyResult("series.MVO3", "doc.MVO3$");
    setDigits(3);
    EXPECT_EQ(run({path("doc.MV3"), "--vars", "u,w"}), 0) << err.toStdString();
    EXPECT_EQ(out, golden("line_separate.txt"));
    // Without --vars everything is selected; the incomplete result is the "$" file, here one
    // written for a document without space parameters.
    EXPECT_EQ(run({path("doc.MV3"), "--incomplete"}), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("Result file is wrong with this document.")));
    EXPECT_TRUE(out.isEmpty());
}

// A run stopped by a full disk left its result cut inside the second output's variable rows
// (in the middle of a number): the incomplete result shows the first output and says why the
// second is missing; the same file as a finished run's result is damaged.
TEST_F(HeadlessTable, IncompleteResultCutInsideAnOutputShowsTheOutputsBeforeIt)
{
    QFile whole(resultData(QStringLiteral("line_separate.MVO3")));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    QByteArray text = whole.readAll();
    text.truncate(text.indexOf("  3.00000000000000E+00") + 10);
    for (const char* name : {"doc.MVO3$", "doc.MVO3"}) {
        QFile cut(path(name));
        ASSERT_TRUE(cut.open(QIODevice::WriteOnly | QIODevice::Truncate));
        cut.write(text);
    }
    setDigits(3);
    EXPECT_EQ(run({path("doc.MV3"), "--incomplete", "--vars", "u"}), 0) << err.toStdString();
    EXPECT_EQ(out, QStringLiteral("       t=  0.00E+00         U __________\n"
                                  "       x=  0.00E+00  1.00E+00\n"
                                  "       x=  1.00E+00  2.00E+00\n"));
    EXPECT_TRUE(err.contains(QStringLiteral("The result file ends early"))) << err.toStdString();
    EXPECT_EQ(run({path("doc.MV3"), "--vars", "u"}), 2);
    EXPECT_TRUE(err.contains(QStringLiteral("unexpected error"))) << err.toStdString();
    EXPECT_TRUE(out.isEmpty());
}

TEST_F(HeadlessTable, SelectsByNameWithoutRegardToCase)
{
    copyResult("line_separate.MVO3", "doc.MVO3$");
    setDigits(3);
    ASSERT_EQ(run({"--incomplete", path("doc.MV3"), "--vars", "W"}), 0) << err.toStdString();
    const QStringList lines = out.split(u'\n');
    EXPECT_EQ(lines.value(0), QStringLiteral("[VARIABLE] 0"));
    EXPECT_EQ(lines.value(1), QStringLiteral("[END]"));
    EXPECT_EQ(lines.value(2), QStringLiteral("[SUB_VARIABLE] 1"));
}

TEST_F(HeadlessTable, RefusesWhatItCannotShow)
{
    struct Case {
        const char* what;
        QStringList args;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {"no result file", {path("doc.MV3")}, 2, "unexpected error"},
        {"unknown name", {path("doc.MV3"), "--vars", "u,nope"}, 64, "nope"},
        {"no document", {}, 64, "usage"},
        {"missing document", {path("none.MV3")}, 101, "can't read"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(run(c.args), c.status);
        EXPECT_TRUE(err.contains(QString::fromLatin1(c.message))) << err.toStdString();
        EXPECT_TRUE(out.isEmpty());
    }
}

} // namespace

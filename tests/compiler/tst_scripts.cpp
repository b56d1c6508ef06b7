// The small documents under scripts/ (which the engine's tests run too) load, compile without
// any message in every problem shape, and list their statements at the expected code offsets.

#include "CompilerFixture.h"
#include "compiler/RCompileRun.h"
#include "document/RMORVDocument.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ScriptCase {
    const char* file;
    QStringList listing; // the compile list's statement part
};

const QString groupRule = "___ISN@___PNT:__STATEMENT____________";

const ScriptCase scriptCases[] = {
    {"oscillator.MV3",
     {"* EQUATION GROUP 1 : assume   ", groupRule,
      "     1@000001:  u = 1",
      "     2@000009:  v = 0",
      "",
      "* EQUATION GROUP 2 : sub var. ", groupRule,
      "     1@000001:  e = 0.5*(v**2 + k*u^2)",
      "",
      "* EQUATION GROUP 3 : initial  ", groupRule,
      "     1@000001:  %EQU: u - 1",
      "     2@000014:  %EQU: v",
      "",
      "* EQUATION GROUP 4 : equation ", groupRule,
      "     1@000001:  # the damping switches on in two steps",
      "     2@000001:  %IF: t < 1",
      "     3@000013:    c = 0",
      "     4@000021:  %ELSEIF: t < 2",
      "     5@000038:    c = damp/2",
      "     6@000051:  %ELSE",
      "     7@000056:    c = damp",
      "     8@000064:  %ENDIF",
      "     9@000064:  w = k",
      "    10@000072:  %EQU: u[t] - v",
      "    11@000085:  %EQU: v[t] + w*u + c*v &   # restoring force and damping",
      "    12@      :        + 0*SIN(t)",
      "",
      "* EQUATION GROUP 5 : terminate", groupRule,
      "     1@000001:  %PRINT: e",
      "     2@000006:  %TERMINATE: t >= 3",
      ""}},
    // Without time, EQUATION and TERMINATE are not compiled even though they hold text.
    {"steady.MV3",
     {"* EQUATION GROUP 1 : assume   ", groupRule,
      "     1@000001:  a = 1",
      "     2@000009:  b = 1",
      "",
      "* EQUATION GROUP 3 : initial  ", groupRule,
      "     1@000001:  %EQU: a*a - 2",
      "     2@000019:  %EQU: b - MAX(a, -a) - ABS(-1)",
      ""}},
    {"heat1d.MV3",
     {"* EQUATION GROUP 2 : sub var. ", groupRule,
      "     1@000001:  flux = -u[x]",
      "",
      "* EQUATION GROUP 3 : initial  ", groupRule,
      "     1@000001:  %EQU: u - x*(1-x)",
      "",
      "* EQUATION GROUP 4 : equation ", groupRule,
      "     1@000001:  %IF: ATTRIBUTE(1) > 0",
      "     2@000017:    r = u",
      "     3@000025:  %ELSE",
      "     4@000030:    r = u[t] - u[x,2]",
      "     5@000043:  %ENDIF",
      "     6@000043:  %EQU: r",
      "",
      "* EQUATION GROUP 5 : terminate", groupRule,
      "     1@000001:  total = INTEGRAL(u, 0, 1)",
      "     2@000019:  %PRINT: total",
      "     3@000024:  %GRID: 3",
      "     4@000030:  %PRINT: u[x,=] + u[0] - u[1]",
      ""}},
    {"diffusion2d.MV3",
     {"* EQUATION GROUP 3 : initial  ", groupRule,
      "     1@000001:  %EQU: u - x*y",
      "",
      "* EQUATION GROUP 4 : equation ", groupRule,
      "     1@000001:  %EQU: u[t] - u[x,2] - u[y,2]",
      "",
      "* EQUATION GROUP 5 : terminate", groupRule,
      "     1@000001:  s = INTEGRAL1(u, bottom) + INTEGRAL2(u, all)",
      "     2@000026:  %PRINT: s",
      "     3@000031:  %PRINT: u[x,y] + u[y,x]",
      ""}},
};

} // namespace

TEST(Scripts, CompileCleanWithTheirListing)
{
    for (const ScriptCase& c : scriptCases) {
        SCOPED_TRACE(c.file);
        // Compile a copy: a clean compile writes its solver data file beside the document.
        QTemporaryDir folder;
        const QString path = folder.filePath(c.file);
        ASSERT_TRUE(QFile::copy(QStringLiteral(MORV_TEST_DATA "/compiler/scripts/") + c.file, path));
        RMORVDocument doc;
        ASSERT_EQ(doc.loadfile(path), 0);
        doc.documentFolder = folder.path() + '/';
        doc.documentFileName = c.file;
        doc.named = true;

        QStringList log;
        EXPECT_EQ(runCompile(doc, doc.scripts, log), 0);
        EXPECT_EQ(doc.compiler->warningCount, 0);
        for (const QString& line : log)
            EXPECT_TRUE(line.startsWith("> ")) << line.toStdString();

        const qsizetype symbols = doc.compileList.indexOf("* SYMBOLS");
        ASSERT_GT(symbols, 2);
        EXPECT_EQ(doc.compileList.mid(2, symbols - 2), c.listing);
        EXPECT_TRUE(QFile::exists(folder.filePath(QString(c.file).replace(".MV3", ".MVAT$"))));
    }
}

namespace {

// Runs morv_headless compile on the file; returns the exit code and the printed lines.
int headlessCompile(const QString& path, QStringList& lines)
{
    QProcess process;
    process.start(QStringLiteral(MORV_HEADLESS), {"compile", path});
    process.waitForFinished(60000);
    lines = QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    return process.exitCode();
}

} // namespace

TEST(Scripts, HeadlessCompilePrintsTheLogAndFailsOnErrors)
{
    QTemporaryDir folder;
    const QString good = folder.filePath("oscillator.MV3");
    ASSERT_TRUE(QFile::copy(QStringLiteral(MORV_TEST_DATA "/compiler/scripts/oscillator.MV3"), good));
    QStringList lines;
    EXPECT_EQ(headlessCompile(good, lines), 0);
    EXPECT_EQ(lines.size(), 13);
    EXPECT_EQ(lines.value(10), "> 0 error(s), 0 warning(s)");
    EXPECT_TRUE(QFile::exists(folder.filePath("oscillator.MVAT$")));

    // The same document with an incomplete INITIAL equation.
    QFile source(good);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    QByteArray text = source.readAll();
    source.close();
    ASSERT_TRUE(text.contains("%EQU: u - 1\r\n"));
    text.replace("%EQU: u - 1\r\n", "%EQU: u -\r\n");
    const QString bad = folder.filePath("broken.MV3");
    QFile target(bad);
    ASSERT_TRUE(target.open(QIODevice::WriteOnly));
    target.write(text);
    target.close();
    EXPECT_EQ(headlessCompile(bad, lines), 1);
    EXPECT_TRUE(lines.contains("(E) Illegal equation (code:6)"));
    EXPECT_EQ(lines.value(lines.indexOf("(E) Illegal equation (code:6)") - 1), "%EQU: u -");
    EXPECT_EQ(lines.last(), "> 1 error(s), 0 warning(s)");
    EXPECT_FALSE(QFile::exists(folder.filePath("broken.MVAT$")));

    EXPECT_EQ(headlessCompile(folder.filePath("missing.MV3"), lines), 2);
}

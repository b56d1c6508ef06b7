// The compile list: statement lines, symbol listing, statistics and the ".SYM" export.
#include "CompilerFixture.h"
#include "compiler/CompileList.h"
#include "compiler/RCompileRun.h"
#include "document/RMORVCompile.h"
#include "document/RMORVDocument.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

TEST(CompileList, StatementOverSeveralLinesNumbersEachLine)
{
    QStringList list;
    SymFileOut(list, 9, 0, QStringLiteral("a = b +\r\n    c +\r\n    d"));
    SymFileOut(list, 12, 41, QStringLiteral("%PRINT: a"));
    EXPECT_EQ(list, QStringList({"    10@000001:  a = b +", "    11@      :      c +", "    12@      :      d",
                                 "    13@000042:  %PRINT: a"}));
}

TEST(CompileList, GroupHeaderNamesTheSectionByItsLabel)
{
    RMORVCompile compiler;
    QStringList list;
    compileListHeader(list, QStringLiteral("heat.MV3"));
    compileListGroup(list, compiler, 3);
    EXPECT_EQ(list, QStringList({"---- Compile List : heat.MV3 ----", "", "* EQUATION GROUP 4 : equation ",
                                 "___ISN@___PNT:__STATEMENT____________"}));
}

void fill(RMORVCompile& compiler)
{
    SControlData& c = *compiler.control;
    SSymbolTable& s = *compiler.symbols;
    c.PARMT = 1;
    c.PARMX = 1;
    c.variableCount = 2;
    s.variableNames = {"temperature_of_the_wall", "u"};
    s.variableAttributes = {1, 0};
    c.subVariableCount = 1;
    s.subVariableNames = {"flux"};
    s.subVariableAttributes = {1};
    c.temporaryCount = 1;
    s.temporaryNames = {"a_long_temporary_name"};
    s.constantCount = 2;
    s.constantNames = {"pi", "big"};
    s.constantValues = {3.14159265358979323846, 1.5e20};
    s.tName = QStringLiteral("time");
    compiler.locals = {"E002:Sum", "E004:n"};
    c.localCount = 2;
    compiler.literals = {3.14159265358979323846, 1.5e20, 1.0};
    compiler.code[2] = {1, 2, 3};
    compiler.code[4] = {4, 5};
}

TEST(CompileList, SymbolListingAndStatistics)
{
    RMORVCompile compiler;
    fill(compiler);
    QStringList list;
    SymListOut(list, compiler, nullptr);
    EXPECT_EQ(list, QStringList({
                        "* SYMBOLS",
                        "TYPE_________SCOPE_____No.___SYMBOL__________",
                        "Parameter-t  global          time",
                        "Parameter-x  global          x",
                        "Variable     global      1   temperature_of_tCELL",
                        "Variable     global      2   u               ",
                        "Sub Variable global      1   flux            CELL",
                        "Temporary    global      1   a_long_temporary_name",
                        "Constants    global      1   pi              =3.14159265358979",
                        "Constants    global      2   big             =1.5E20",
                        "Local        initial     1   Sum",
                        "Local        terminate   2   n",
                        "",
                        "* STATISTICS",
                        "Variables       :      2",
                        "Sub Variables   :      1",
                        "Input           :      0",
                        "Temporary       :      1",
                        "Local Variables :      2",
                        "Constants       :      3",
                        "Equation buffer :      5",
                    }));
}

// Guards against labelled constants listed in C's "%g" form ("1e-05", "1.5e+20") instead of
// the general form with up to 15 significant digits that the document file uses.
TEST(CompileList, CompiledDocumentListsConstantsInTheGeneralForm)
{
    QTemporaryDir folder;
    RMORVDocument doc;
    doc.documentFolder = folder.path() + '/';
    doc.documentFileName = QStringLiteral("k.MV3");
    doc.named = true;
    declare(*doc.compiler, Declarations{.variables = {"a"},
                                        .constants = {"small", "huge", "long", "tiny", "negative", "zero"},
                                        .constantValues = {0.00001, 1.5e20, 1.23456789012346e15, 1e-6, -2.5, 0.0}});
    doc.scripts[RMORVDocument::Initial] = {"%EQU: a - small"};
    QStringList log;
    ASSERT_EQ(runCompile(doc, doc.scripts, log), 0) << log.join('|').toStdString();
    QStringList constants;
    for (const QString& line : doc.compileList)
        if (line.startsWith(QStringLiteral("Constants    global")))
            constants << line;
    EXPECT_EQ(constants, QStringList({
                             "Constants    global      1   small           =0.00001",
                             "Constants    global      2   huge            =1.5E20",
                             "Constants    global      3   long            =1.23456789012346E15",
                             "Constants    global      4   tiny            =1E-6",
                             "Constants    global      5   negative        =-2.5",
                             "Constants    global      6   zero            =0",
                         }));
}

TEST(CompileList, ChemistryLogOnlyWithThermoFlagAndDataSet)
{
    RMORVCompile compiler;
    const QStringList log = {"ELEMENTS", " H"};
    const auto chemistryLines = [&](int thermoFlag, const QStringList* chemistry) {
        compiler.symbols->thermoFlag = thermoFlag;
        QStringList list;
        SymListOut(list, compiler, chemistry);
        return list;
    };
    const QStringList with = chemistryLines(1, &log);
    const qsizetype at = with.indexOf(QStringLiteral("* CHEMICAL PROPERTY"));
    ASSERT_GT(at, 0);
    EXPECT_EQ(with[at - 1], QString());
    EXPECT_EQ(with.mid(at + 1, 2), log);
    // A thermo flag without a chemistry data set leaves the section out.
    EXPECT_FALSE(chemistryLines(1, nullptr).contains(QStringLiteral("* CHEMICAL PROPERTY")));
    EXPECT_FALSE(chemistryLines(0, &log).contains(QStringLiteral("* CHEMICAL PROPERTY")));
    // A document without symbols still lists every statistics line.
    EXPECT_EQ(chemistryLines(0, nullptr).size(), 2 + 2 + 7);
}

TEST(CompileList, ExportIsUtf8WithByteOrderMarkAndOverwrites)
{
    QTemporaryDir dir;
    const QString path = compileListExportPath(dir.path() + QLatin1Char('/'), QStringLiteral("heat.v2.MV3"));
    EXPECT_TRUE(path.endsWith(QStringLiteral("/heat.v2.SYM")));
    ASSERT_TRUE(exportCompileList({"first export", "", "zweite Zeile äö"}, path));
    ASSERT_TRUE(exportCompileList({"second", "Wärme"}, path));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("\xEF\xBB\xBFsecond\r\nW\xC3\xA4rme\r\n"));
    EXPECT_FALSE(exportCompileList({"x"}, dir.filePath(QStringLiteral("missing/heat.SYM"))));
}

} // namespace

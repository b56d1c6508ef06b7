// The compile run without window: which sections compile, the log lines, the counters, the
// literal pool and local variables it starts from, and the progress it reports.

#include "CompilerFixture.h"
#include "compiler/RCompileRun.h"
#include "document/ByteCode.h"
#include "document/RMORVDocument.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace ByteCode;

namespace {

// A named document in a throw-away folder, so that a clean compile can write beside it.
std::unique_ptr<RMORVDocument> smallDocument(bool time)
{
    static QTemporaryDir folder;
    auto doc = std::make_unique<RMORVDocument>();
    doc->documentFolder = folder.path() + '/';
    doc->documentFileName = QStringLiteral("small.MV3");
    doc->named = true;
    declare(*doc->compiler, Declarations{.variables = {"a"}, .constants = {"half", "two"},
                                         .constantValues = {0.5, 2.0}, .t = time});
    doc->compiler->literals.clear();
    doc->scripts[SectionAssume] = {"a = 1", "# start"};
    doc->scripts[SectionInitial] = {"%EQU: a - two"};
    doc->scripts[SectionEquation] = {"%EQU: a[t] + half*a"};
    doc->scripts[SectionTerminate] = {"%PRINT: a"};
    return doc;
}

} // namespace

TEST(CompileRun, WithoutTimeOnlyTheFirstThreeSectionsCompile)
{
    auto doc = smallDocument(false);
    doc->scripts[SectionEquation] = {"not compiled ((("};
    // Code sections of an earlier compile do not survive, compiled or not.
    for (auto& code : doc->compiler->code)
        code = {99};
    QStringList log;
    EXPECT_EQ(runCompile(*doc, doc->scripts, log), 0);
    EXPECT_EQ(log, QStringList({"> Compiling assume    ...", "> Completed", "> Compiling initial   ...",
                                "> Completed", "> 0 error(s), 0 warning(s)", "> Creating data for Solver...",
                                "> Completed"}));
    const RMORVCompile& c = *doc->compiler;
    EXPECT_EQ(c.code[SectionAssume], bytes({{1, 6, 3, 0}, {121, 21, 1, 0}}));
    EXPECT_TRUE(c.code[SectionSubVariable].empty());
    EXPECT_EQ(c.code[SectionInitial], bytes({{1, 21, 1, 0}, {1, 6, 2, 0}, {32}, {121, 8, 1, 0}}));
    EXPECT_TRUE(c.code[SectionEquation].empty());
    EXPECT_TRUE(c.code[SectionTerminate].empty());
    // The pool starts with the labelled constants.
    EXPECT_EQ(c.literals, std::vector<double>({0.5, 2.0, 1.0}));
    // The entries describe the last section compiled.
    ASSERT_EQ(c.compileEntries.size(), 1);
    EXPECT_EQ(c.compileEntries[0].source, "%EQU: a - two");
}

TEST(CompileRun, WithTimeEverySectionWithLinesCompiles)
{
    auto doc = smallDocument(true);
    QStringList log;
    EXPECT_EQ(runCompile(*doc, doc->scripts, log), 0);
    EXPECT_EQ(log, QStringList({"> Compiling assume    ...", "> Completed", "> Compiling initial   ...",
                                "> Completed", "> Compiling equation  ...", "> Completed",
                                "> Compiling terminate ...", "> Completed", "> 0 error(s), 0 warning(s)",
                                "> Creating data for Solver...", "> Completed"}));
    EXPECT_EQ(doc->compiler->code[SectionEquation],
              bytes({{1, 22, 1, 0}, {1, 6, 1, 0}, {1, 21, 1, 0}, {33}, {31}, {121, 8, 1, 0}}));
    EXPECT_EQ(doc->compiler->code[SectionTerminate], bytes({{1, 21, 1, 0}, {122}}));
}

TEST(CompileRun, MessagesAndSummary)
{
    auto doc = smallDocument(true);
    doc->scripts[SectionSubVariable] = {"q = p"};
    doc->scripts[SectionTerminate] = {"a = 1"};
    QStringList log;
    EXPECT_EQ(runCompile(*doc, doc->scripts, log), 1);
    EXPECT_EQ(log, QStringList({"> Compiling assume    ...", "> Completed", "> Compiling sub var.  ...",
                                "(W) Refer undefined variable :p", "> Completed",
                                "> Compiling initial   ...", "> Completed", "> Compiling equation  ...",
                                "> Completed", "> Compiling terminate ...", "a = 1",
                                "(E) Invalid assignment :a", "> Completed", "> 1 error(s), 1 warning(s)"}));
}

TEST(CompileRun, EachRunStartsAfresh)
{
    auto doc = smallDocument(true);
    doc->scripts[SectionTerminate] = {"n = n + 1", "a = 1"};
    QStringList first, second;
    runCompile(*doc, doc->scripts, first);
    const std::vector<double> pool = doc->compiler->literals;
    runCompile(*doc, doc->scripts, second);
    EXPECT_EQ(first, second);
    EXPECT_EQ(doc->compiler->errorCount, 1);
    EXPECT_EQ(doc->compiler->warningCount, 0);
    EXPECT_EQ(doc->compiler->literals, pool);
    EXPECT_EQ(doc->compiler->locals, QStringList({"E004:n"}));
}

TEST(CompileRun, ProgressSteps)
{
    auto doc = smallDocument(false);
    std::vector<int> positions;
    QStringList log;
    runCompile(*doc, doc->scripts, log, [&](int p) { positions.push_back(p); });
    // Three lines count (EQUATION and TERMINATE are not compiled): 25 units per line; the run
    // ends at 100.
    EXPECT_EQ(positions, std::vector<int>({25, 50, 75, 100}));
}

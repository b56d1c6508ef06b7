// Statement compiler: golden byte code of statements and %IF blocks, compile-list entries, and
// the exact log lines of erroneous statements.

#include "CompilerFixture.h"
#include "document/ByteCode.h"

#include <gtest/gtest.h>

using namespace ByteCode;

namespace {

struct Compiled {
    Bytes code;
    std::vector<double> pool;
    QStringList locals;
    QStringList messages;
    QList<SCompileList> entries;
    int errors = 0;
    int warnings = 0;
};

Compiled compileSection(const Declarations& d, int section, const QStringList& lines)
{
    RMORVCompile c;
    declare(c, d);
    Compiled out;
    c.messages = &out.messages;
    c.compile(section, lines, nullptr, 0, 1.0);
    out.code = c.code[section];
    out.pool = c.literals;
    out.locals = c.locals;
    out.entries = c.compileEntries;
    out.errors = c.errorCount;
    out.warnings = c.warningCount;
    return out;
}

int targetAt(const Bytes& code, int pos)
{
    return static_cast<int>(code[pos] | code[pos + 1] << 8 | code[pos + 2] << 16 | code[pos + 3] << 24);
}

} // namespace

TEST(Statements, IfElseBlock)
{
    const Declarations d{.temporaries = {"a", "b"}};
    const Compiled c = compileSection(d, SectionSubVariable, {"%IF:a>0", "b=1", "%ELSE", "b=2", "%ENDIF"});
    EXPECT_EQ(c.code, bytes({{1, 5, 1, 0}, {1, 6, 1, 0}, {37}, {104, 27, 0, 0, 0}, {1, 6, 2, 0},
                             {121, 5, 2, 0}, {102, 35, 0, 0, 0}, {1, 6, 3, 0}, {121, 5, 2, 0}}));
    EXPECT_EQ(c.pool, std::vector<double>({0, 1, 2}));
    EXPECT_TRUE(c.messages.isEmpty());
    ASSERT_EQ(c.entries.size(), 5);
    const int offsets[] = {0, 14, 22, 27, 35};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(c.entries[i].line, i);
        EXPECT_EQ(c.entries[i].codeOffset, offsets[i]);
    }
    EXPECT_EQ(c.entries[2].source, "%ELSE");
}

TEST(Statements, IfElseIfChainTargets)
{
    // Each false condition lands on the next branch's condition or body, each branch's end
    // jumps to the %ENDIF; directive names are case-insensitive.
    const Declarations d{.temporaries = {"a", "b"}};
    const Compiled c = compileSection(
        d, SectionSubVariable,
        {"%if:a=1", "b=1", "%ElseIf:a=2", "b=2", "%ELSEIF:a=3", "%ELSE", "b=3", "%ENDIF", "b=4"});
    EXPECT_TRUE(c.messages.isEmpty());
    EXPECT_EQ(c.code, bytes({
                          {1, 5, 1, 0}, {1, 6, 1, 0}, {39}, {104, 27, 0, 0, 0},             // 0
                          {1, 6, 2, 0}, {121, 5, 2, 0},                                     // 14
                          {102, 81, 0, 0, 0}, {1, 5, 1, 0}, {1, 6, 3, 0}, {39}, {104, 54, 0, 0, 0}, // 22
                          {1, 6, 4, 0}, {121, 5, 2, 0},                                     // 41
                          {102, 81, 0, 0, 0}, {1, 5, 1, 0}, {1, 6, 5, 0}, {39}, {104, 73, 0, 0, 0}, // 49
                          {102, 81, 0, 0, 0},                                               // 68
                          {1, 6, 6, 0}, {121, 5, 2, 0},                                     // 73
                          {1, 6, 7, 0}, {121, 5, 2, 0},                                     // 81
                      }));
}

TEST(Statements, NestedAndEmptyBlocks)
{
    const Declarations d{.temporaries = {"a", "b"}};
    const Compiled nested = compileSection(
        d, SectionSubVariable, {"%IF:a", "%IF:b", "a=1", "%ENDIF", "%ELSE", "%IF:b", "%ENDIF", "%ENDIF"});
    EXPECT_TRUE(nested.messages.isEmpty());
    EXPECT_EQ(nested.code, bytes({{1, 5, 1, 0}, {104, 31, 0, 0, 0}, {1, 5, 2, 0}, {104, 26, 0, 0, 0},
                                  {1, 6, 1, 0}, {121, 5, 1, 0}, {102, 40, 0, 0, 0}, {1, 5, 2, 0},
                                  {104, 40, 0, 0, 0}}));
    // With no branch in between, the %IF lands on the %ENDIF's position.
    const Compiled empty = compileSection(d, SectionSubVariable, {"%IF:a", "%ENDIF", "b=a"});
    EXPECT_EQ(empty.code, bytes({{1, 5, 1, 0}, {104, 9, 0, 0, 0}, {1, 5, 1, 0}, {121, 5, 2, 0}}));
}

TEST(Statements, StatementLayouts)
{
    const Declarations d{.variables = {"u", "v"}, .subVariables = {"s"}, .temporaries = {"w"}, .t = true};
    struct Case {
        int section;
        QStringList lines;
        Bytes code;
    };
    const Case cases[] = {
        {SectionAssume, {"u=2"}, bytes({{1, 6, 1, 0}, {121, 21, 1, 0}})},
        {SectionSubVariable, {"s=v*2"}, bytes({{1, 21, 2, 0}, {1, 6, 1, 0}, {33}, {121, 41, 1, 0}})},
        {SectionInitial, {"%EQU:u-1", "%equ:v"},
         bytes({{1, 21, 1, 0}, {1, 6, 1, 0}, {32}, {121, 8, 1, 0}, {1, 21, 2, 0}, {121, 8, 2, 0}})},
        {SectionEquation, {"%EQU:u[t]+u", "%EQU:v[t]"},
         bytes({{1, 22, 1, 0}, {1, 21, 1, 0}, {31}, {121, 8, 1, 0}, {1, 22, 2, 0}, {121, 8, 2, 0}})},
        {SectionTerminate, {"%PRINT:w", "%GRID:1", "%TERMINATE:t-10"},
         bytes({{1, 5, 1, 0}, {122}, {1, 6, 1, 0}, {123, 42}, {1, 1}, {1, 6, 2, 0}, {32}, {123, 9}})},
        // The assignment creates the local variable before its expression is read: no warning.
        {SectionTerminate, {"x=x+1", "w=X"},
         bytes({{1, 7, 1, 0}, {1, 6, 1, 0}, {31}, {121, 7, 1, 0}, {1, 7, 1, 0}, {121, 5, 1, 0}})},
        // Continuation lines join; comments and blanks vanish.
        {SectionTerminate, {"w = 1 + &  # first", "    2 # second"},
         bytes({{1, 6, 1, 0}, {1, 6, 2, 0}, {31}, {121, 5, 1, 0}})},
    };
    for (const Case& c : cases) {
        const Compiled out = compileSection(d, c.section, c.lines);
        EXPECT_EQ(out.code, c.code) << c.lines.join('|').toStdString();
        EXPECT_TRUE(out.messages.isEmpty()) << out.messages.join('|').toStdString();
    }
}

TEST(Statements, CompileListEntries)
{
    const Declarations d{.temporaries = {"w"}};
    const Compiled c = compileSection(d, SectionSubVariable, {"", "# note", "w = 1 + &", "  2  ", "w=3"});
    ASSERT_EQ(c.entries.size(), 4);
    const int lines[] = {0, 1, 2, 4};
    const int offsets[] = {0, 0, 0, 13};
    const QString sources[] = {"", "# note", "w = 1 + &\r\n  2", "w=3"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(c.entries[i].line, lines[i]);
        EXPECT_EQ(c.entries[i].codeOffset, offsets[i]);
        EXPECT_EQ(c.entries[i].source, sources[i]);
    }
}

TEST(Statements, ProgressFollowsTheLinesRead)
{
    RMORVCompile c;
    declare(c, Declarations{.temporaries = {"w"}});
    std::vector<int> positions;
    c.compile(SectionSubVariable, {"w=1+&", "2", "w=1"}, [&](int p) { positions.push_back(p); }, 5, 10.0);
    EXPECT_EQ(positions, std::vector<int>({25, 35}));
}

TEST(Statements, ErroneousStatementsLog)
{
    const Declarations d{.variables = {"u"}, .subVariables = {"s"}, .temporaries = {"a"}, .inputs = {"k"},
                         .constants = {"c1"}, .t = true, .x = true};
    struct Case {
        int section;
        QStringList lines;
        QStringList log;
        int errors;
        int warnings;
    };
    const QString eqCount = "(E) Number of equations is different from Number of unknown variables.";
    const Case cases[] = {
        {SectionSubVariable, {"%IF:"}, {"%IF:", "(E) Illegal equation (code:6)"}, 1, 0},
        {SectionSubVariable, {"%ELSE:x"}, {"%ELSE:x", "(E) Syntax error"}, 1, 0},
        {SectionSubVariable, {"%ENDIF:"}, {"%ENDIF:", "(E) Syntax error"}, 1, 0},
        {SectionSubVariable, {"%endif"}, {"%endif", "(E) %ELSE/%ELSEIF/%ENDIF without %IF"}, 1, 0},
        // A failed %IF opens no block, so its %ENDIF finds none.
        {SectionSubVariable, {"%IF:a+", "%ELSE", "%ENDIF"},
         {"%IF:a+", "(E) Illegal equation (code:6)", "%ENDIF", "(E) %ELSE/%ELSEIF/%ENDIF without %IF"}, 2, 0},
        {SectionSubVariable, {"%IF:1", "a=1"}, {"(E) Unclosed %IF"}, 1, 0},
        {SectionSubVariable, {"u[x]=1"}, {"u[x]=1", "(E) Syntax error"}, 1, 0},
        {SectionSubVariable, {"3=a"}, {"3=a", "(E) Syntax error"}, 1, 0},
        {SectionSubVariable, {"(a)=1"}, {"(a)=1", "(E) Syntax error"}, 1, 0},
        {SectionSubVariable, {"a"}, {"a", "(E) Syntax error"}, 1, 0},
        {SectionSubVariable, {"a=>1"}, {"a=>1", "(E) Syntax error"}, 1, 0},
        {SectionSubVariable, {"a==1"}, {"a==1", "(E) Illegal equation (code:1)"}, 1, 0},
        {SectionSubVariable, {"%"}, {"%", "(E) Syntax error"}, 1, 0},
        {SectionSubVariable, {"%FOO:1"}, {"%FOO:1", "(E) Syntax error"}, 1, 0},
        {SectionSubVariable, {"%PRINT=1"}, {"%PRINT=1", "(E) Syntax error"}, 1, 0},
        {SectionTerminate, {"%TERMINATE 1"}, {"%TERMINATE 1", "(E) Syntax error"}, 1, 0},
        {SectionSubVariable, {"T=1", "X=2", "k=3", "C1=4", "u=5"},
         {"T=1", "(E) Invalid assignment :T", "X=2", "(E) Invalid assignment :X", "k=3",
          "(E) Invalid assignment :k", "C1=4", "(E) Invalid assignment :C1", "u=5", "(E) Invalid assignment :u"},
         5, 0},
        {SectionTerminate, {"s = 1"}, {"s = 1", "(W) Invalid assignment of Sub V. :s"}, 0, 1},
        {SectionAssume, {"%EQU:1"}, {"%EQU:1", "(E) Invalid %EQU"}, 1, 0},
        {SectionEquation, {"%TERMINATE:1", "%EQU:u[t]"}, {"%TERMINATE:1", "(E) Invalid %TERMINATE"}, 1, 0},
        // The equation count check follows the section's other messages.
        {SectionInitial, {"%GRID:1"}, {"%GRID:1", "(E) Invalid %GRID", eqCount}, 2, 0},
        {SectionEquation, {"%EQU:u[t]", "%EQU:"}, {"%EQU:", "(E) Illegal equation (code:6)", eqCount}, 2, 0},
        {SectionInitial, {"", "# nothing"}, {eqCount}, 1, 0},
        {SectionAssume, {"u=u[x]"}, {"u=u[x]", "(E) Illegal equation (code:2)"}, 1, 0},
        {SectionSubVariable, {"a=SIN(1"}, {"a=SIN(1", "(E) Illegal equation (code:5)"}, 1, 0},
        // Reading a new local variable warns without the raw text; the error follows the raw text.
        {SectionSubVariable, {"a=b+"}, {"(W) Refer undefined variable :b", "a=b+", "(E) Illegal equation (code:6)"},
         1, 1},
        {SectionSubVariable, {"a=1.5.", "a=3E+", "a=1"},
         {"a=1.5.", "(E) Illegal number :1.5.", "a=3E+", "(E) Illegal number :3E"}, 2, 0},
        // Digits of other scripts scan as a number but do not convert.
        {SectionSubVariable, {"a=2*\u0661\u0662"}, {"a=2*\u0661\u0662", "(E) Illegal number :\u0661\u0662"}, 1, 0},
        // A continuation past the last line is an incomplete statement, not a silent end.
        {SectionSubVariable, {"a=1", "a=2+ &  "}, {"a=2+ &", "(E) Syntax error"}, 1, 0},
    };
    for (const Case& c : cases) {
        const Compiled out = compileSection(d, c.section, c.lines);
        EXPECT_EQ(out.messages, c.log) << c.lines.join('|').toStdString();
        EXPECT_EQ(out.errors, c.errors) << c.lines.join('|').toStdString();
        EXPECT_EQ(out.warnings, c.warnings) << c.lines.join('|').toStdString();
    }
}

TEST(Statements, SubVariableAssignmentOutsideItsSectionStillCompiles)
{
    const Declarations d{.subVariables = {"s"}, .t = true};
    EXPECT_EQ(compileSection(d, SectionTerminate, {"s=1"}).code, bytes({{1, 6, 1, 0}, {121, 41, 1, 0}}));
}

TEST(Statements, IncompleteContinuationIsListed)
{
    const Compiled c = compileSection(Declarations{}, SectionSubVariable, {"z=1", "z=2+&"});
    ASSERT_EQ(c.entries.size(), 2);
    EXPECT_EQ(c.entries[1].line, 1);
    EXPECT_EQ(c.entries[1].codeOffset, 8);
    EXPECT_EQ(c.entries[1].source, "z=2+&");
}

TEST(Statements, BlockDepthLimit)
{
    const Declarations d{.temporaries = {"a"}};
    QStringList hundred(100, "%IF:1");
    QStringList closes(100, "%ENDIF");
    const Compiled ok = compileSection(d, SectionSubVariable, hundred + closes);
    EXPECT_TRUE(ok.messages.isEmpty());

    // The 101st open jump ends the section at once: nothing after it, no end checks.
    const Compiled deep = compileSection(d, SectionSubVariable, hundred + QStringList{"%IF:1", "a=1", "%ENDIF"});
    EXPECT_EQ(deep.messages, QStringList({"%IF:1", "(E) Too deep %IF block"}));
    EXPECT_EQ(deep.entries.size(), 101);
    EXPECT_EQ(deep.errors, 1);

    // An %ELSEIF needs two entries.
    const Compiled elseIf = compileSection(d, SectionSubVariable, QStringList(99, "%IF:1") + QStringList{"%ELSEIF:1"});
    EXPECT_EQ(elseIf.messages, QStringList({"%ELSEIF:1", "(E) Too deep %IF block"}));
}

// Regression: a local variable beyond the 16-bit index range must not be stored under a
// wrapped-around index.
TEST(Statements, TooManyLocalVariables)
{
    RMORVCompile c;
    QStringList messages;
    c.messages = &messages;
    for (int i = 0; i < 65535; ++i)
        c.locals.append(QStringLiteral("E001:v%1").arg(i));
    c.compile(SectionSubVariable, {"v7=1", "fresh=1"}, nullptr, 0, 1.0);
    EXPECT_EQ(messages, QStringList({"fresh=1", "(E) Too many symbols or constants"}));
    EXPECT_EQ(c.code[SectionSubVariable], bytes({{1, 6, 1, 0}, {121, 7, 8, 0}, {1, 6, 2, 0}}));
}

// Names are resolved through an index while a section compiles; the index must find what the
// scan from the front finds: the first of names equal in any case, the classes in their order.
TEST(Statements, NamesResolveAsTheScanFindsThem)
{
    const Declarations d{.temporaries = {"w", "Q", "q"}, .inputs = {"p"}, .constants = {"P"}};
    const Compiled c = compileSection(d, SectionSubVariable, {"w = q + p"});
    EXPECT_EQ(c.code, bytes({{1, 5, 2, 0}, {1, 4, 1, 0}, {31}, {121, 5, 1, 0}}));
    RMORVCompile outside;
    declare(outside, d);
    int err = -1;
    outside.fortran(SectionSubVariable, "q+p", 0, err);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(outside.code[SectionSubVariable], bytes({{1, 5, 2, 0}, {1, 4, 1, 0}, {31}}));
}

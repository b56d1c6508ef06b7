// Expression translation: postfix byte code, literal pool, local variables and error codes.

#include "CompilerFixture.h"
#include "document/ByteCode.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace ByteCode;

namespace {

struct Translation {
    int err = -99;
    int stop = -99;
    Bytes code;
    std::vector<double> pool;
    QStringList messages;
};

Translation translate(const Declarations& d, const QString& text, int section = SectionInitial,
                      void (*prepare)(RMORVCompile&) = nullptr)
{
    RMORVCompile c;
    declare(c, d);
    if (prepare)
        prepare(c);
    Translation t;
    c.messages = &t.messages;
    t.stop = c.fortran(section, text, 0, t.err);
    t.code = c.code[section];
    t.pool = c.literals;
    return t;
}

// Temporaries a, b and c are indices 1 to 3: a push of temporary i is 1 5 i 0.
const Declarations temps{.temporaries = {"a", "b", "c"}};

} // namespace

TEST(Expression, GoldenCode)
{
    struct Case {
        const char* text;
        Bytes code;
        std::vector<double> pool;
    };
    const Case cases[] = {
        {"2*3", bytes({{1, 6, 1, 0}, {1, 6, 2, 0}, {33}}), {2, 3}},
        // Equal values are never shared.
        {"2+2", bytes({{1, 6, 1, 0}, {1, 6, 2, 0}, {31}}), {2, 2}},
        {"1.5d2+.25E1", bytes({{1, 6, 1, 0}, {1, 6, 2, 0}, {31}}), {150, 2.5}},
        {"12.+2D-1-1e+1", bytes({{1, 6, 1, 0}, {1, 6, 2, 0}, {31}, {1, 6, 3, 0}, {32}}), {12, 0.2, 10}},
        {"a+b*c", bytes({{1, 5, 1, 0}, {1, 5, 2, 0}, {1, 5, 3, 0}, {33}, {31}}), {}},
        {"(a+b)*c", bytes({{1, 5, 1, 0}, {1, 5, 2, 0}, {31}, {1, 5, 3, 0}, {33}}), {}},
        {"a-b-c", bytes({{1, 5, 1, 0}, {1, 5, 2, 0}, {32}, {1, 5, 3, 0}, {32}}), {}},
        // Powers group from the left like every other operator.
        {"a**b**c", bytes({{1, 5, 1, 0}, {1, 5, 2, 0}, {35}, {1, 5, 3, 0}, {35}}), {}},
        {"a^b/c", bytes({{1, 5, 1, 0}, {1, 5, 2, 0}, {36}, {1, 5, 3, 0}, {34}}), {}},
        // Comparisons bind tighter than "&" and "|".
        {"a>0&b<1", bytes({{1, 5, 1, 0}, {1, 6, 1, 0}, {37}, {1, 5, 2, 0}, {1, 6, 2, 0}, {41}, {43}}),
         {0, 1}},
        {"a>=b|a=<b", bytes({{1, 5, 1, 0}, {1, 5, 2, 0}, {38}, {1, 5, 1, 0}, {1, 5, 2, 0}, {40}, {44}}),
         {}},
        {"a=b&a<>b&a><b", bytes({{1, 5, 1, 0}, {1, 5, 2, 0}, {39}, {1, 5, 1, 0}, {1, 5, 2, 0}, {45},
                                 {43}, {1, 5, 1, 0}, {1, 5, 2, 0}, {45}, {43}}),
         {}},
        {"a~b!c", bytes({{1, 5, 1, 0}, {1, 5, 2, 0}, {42}, {1, 5, 3, 0}, {46}}), {}},
        // A unary sign is a subtraction from a new 0.0 entry.
        {"-a", bytes({{1, 6, 1, 0}, {1, 5, 1, 0}, {32}}), {0}},
        {"+a", bytes({{1, 6, 1, 0}, {1, 5, 1, 0}, {31}}), {0}},
        {"-a^2", bytes({{1, 6, 1, 0}, {1, 5, 1, 0}, {1, 6, 2, 0}, {36}, {32}}), {0, 2}},
        {"a>-1", bytes({{1, 5, 1, 0}, {1, 6, 1, 0}, {1, 6, 2, 0}, {32}, {37}}), {0, 1}},
        {"2*(-3)", bytes({{1, 6, 1, 0}, {1, 6, 2, 0}, {1, 6, 3, 0}, {32}, {33}}), {2, 0, 3}},
        {"-(-a)", bytes({{1, 6, 1, 0}, {1, 6, 2, 0}, {1, 5, 1, 0}, {32}, {32}}), {0, 0}},
        {"SIN(a)", bytes({{1, 5, 1, 0}, {51, 13}}), {}},
        {"max(a,b+1)", bytes({{1, 5, 1, 0}, {1, 5, 2, 0}, {1, 6, 1, 0}, {31}, {51, 7}}), {1}},
        {"ATAN2(a,(b))*ERF(c)", bytes({{1, 5, 1, 0}, {1, 5, 2, 0}, {51, 19}, {1, 5, 3, 0}, {51, 23}, {33}}),
         {}},
        {"SYSTEM(1)+ATTRIBUTE(2)", bytes({{1, 6, 1, 0}, {51, 32}, {1, 6, 2, 0}, {51, 34}, {31}}), {1, 2}},
    };
    for (const Case& c : cases) {
        const Translation t = translate(temps, c.text);
        EXPECT_EQ(t.err, 0) << c.text;
        EXPECT_EQ(t.stop, -1) << c.text;
        EXPECT_EQ(t.code, c.code) << c.text;
        EXPECT_EQ(t.pool, c.pool) << c.text;
    }
}

TEST(Expression, OperandKinds)
{
    const Declarations oneD{.variables = {"u", "v"}, .subVariables = {"s"}, .temporaries = {"w"},
                            .inputs = {"k"}, .constants = {"c1", "c2", "c3"}, .t = true, .x = true};
    Declarations twoD = oneD;
    twoD.y = true;
    Declarations yOnly = oneD;
    yOnly.x = false;
    yOnly.y = true;
    Declarations renamed = oneD;
    renamed.tName = "Tau";
    renamed.xName = "r";

    struct Case {
        const Declarations* d;
        const char* text;
        Bytes code;
    };
    const Case cases[] = {
        // Parameters are pushed without an index.
        {&oneD, "t", bytes({{1, 1}})},
        {&oneD, "X", bytes({{1, 2}})},
        {&twoD, "y", bytes({{1, 3}})},
        {&oneD, "k", bytes({{1, 4, 1, 0}})},
        {&oneD, "w", bytes({{1, 5, 1, 0}})},
        // A labelled constant is its own pool entry.
        {&oneD, "C3", bytes({{1, 6, 3, 0}})},
        {&oneD, "v", bytes({{1, 21, 2, 0}})},
        {&oneD, "v[t]", bytes({{1, 22, 2, 0}})},
        {&oneD, "v[x]", bytes({{1, 23, 2, 0}})},
        {&oneD, "v[x,0]", bytes({{1, 24, 2, 0}})},
        {&oneD, "v[x,1]", bytes({{1, 25, 2, 0}})},
        {&oneD, "v[X,2]", bytes({{1, 26, 2, 0}})},
        {&oneD, "v[x,=]", bytes({{1, 32, 2, 0}})},
        {&oneD, "v[0]", bytes({{1, 33, 2, 0}})},
        {&oneD, "v[1]", bytes({{1, 34, 2, 0}})},
        {&twoD, "u[x]", bytes({{1, 23, 1, 0}})},
        {&twoD, "u[x,2]", bytes({{1, 26, 1, 0}})},
        {&twoD, "u[x,y]", bytes({{1, 31, 1, 0}})},
        {&twoD, "u[y]", bytes({{1, 27, 1, 0}})},
        {&twoD, "u[y,2]", bytes({{1, 30, 1, 0}})},
        {&twoD, "u[y,x]", bytes({{1, 31, 1, 0}})},
        {&yOnly, "u[y,0]", bytes({{1, 28, 1, 0}})},
        {&yOnly, "u[y,1]", bytes({{1, 29, 1, 0}})},
        {&yOnly, "u[y,=]", bytes({{1, 35, 1, 0}})},
        {&yOnly, "u[0]", bytes({{1, 36, 1, 0}})},
        {&yOnly, "u[1]", bytes({{1, 37, 1, 0}})},
        {&oneD, "s", bytes({{1, 41, 1, 0}})},
        // Bracket forms use the document's parameter names, without regard to case.
        {&renamed, "u[TAU]+u[R,2]", bytes({{1, 22, 1, 0}, {1, 26, 1, 0}, {31}})},
    };
    for (const Case& c : cases) {
        const Translation t = translate(*c.d, c.text);
        EXPECT_EQ(t.err, 0) << c.text;
        EXPECT_EQ(t.code, c.code) << c.text;
        EXPECT_EQ(t.pool, std::vector<double>({1, 2, 3})) << c.text;
    }
}

TEST(Expression, BracketFormsOutsideTheirDimensionAreNotOperands)
{
    // In two dimensions u[0] is no bracket form: the "[" after u is an unexpected character.
    const Declarations twoD{.variables = {"u"}, .x = true, .y = true};
    EXPECT_EQ(translate(twoD, "u[0]").err, ExprUnexpectedCharacter);
    // Without time, u[t] is not a time derivative.
    const Declarations steady{.variables = {"u"}, .x = true};
    EXPECT_EQ(translate(steady, "u[t]").err, ExprUnexpectedCharacter);
}

TEST(Expression, LocalVariables)
{
    RMORVCompile c;
    QStringList messages;
    c.messages = &messages;
    int err = -1;
    c.fortran(SectionInitial, "Sum+sum", 0, err);
    EXPECT_EQ(err, 0);
    c.fortran(SectionEquation, "SUM", 0, err);
    EXPECT_EQ(err, 0);
    // One warning per new local variable; a local variable belongs to its section.
    EXPECT_EQ(messages, QStringList({"(W) Refer undefined variable :Sum", "(W) Refer undefined variable :SUM"}));
    EXPECT_EQ(c.warningCount, 2);
    EXPECT_EQ(c.errorCount, 0);
    EXPECT_EQ(c.locals, QStringList({"E002:Sum", "E003:SUM"}));
    EXPECT_EQ(c.code[SectionInitial], bytes({{1, 7, 1, 0}, {1, 7, 1, 0}, {31}}));
    EXPECT_EQ(c.code[SectionEquation], bytes({{1, 7, 2, 0}}));
}

TEST(Expression, FindLocalVar)
{
    RMORVCompile c;
    unsigned short index = 0;
    EXPECT_TRUE(c.FindLocalVar(2, "Sum", index));
    EXPECT_EQ(index, 1);
    EXPECT_FALSE(c.FindLocalVar(2, "SUM", index));
    EXPECT_EQ(index, 1);
    EXPECT_TRUE(c.FindLocalVar(3, "sum", index));
    EXPECT_EQ(index, 2);
    EXPECT_EQ(c.locals, QStringList({"E002:Sum", "E003:sum"}));

    // The table is public: a lookup after it was cleared, replaced, appended to or changed in
    // place finds what a scan from the front finds.
    c.locals.clear();
    EXPECT_TRUE(c.FindLocalVar(3, "sum", index));
    EXPECT_EQ(index, 1);
    c.locals = {"E002:a", "E002:b", "E002:A"};
    EXPECT_FALSE(c.FindLocalVar(2, "A", index));
    EXPECT_EQ(index, 1);
    c.locals.append("E004:n");
    EXPECT_FALSE(c.FindLocalVar(4, "N", index));
    EXPECT_EQ(index, 4);
    c.locals[0] = "E002:z";
    EXPECT_FALSE(c.FindLocalVar(2, "a", index));
    EXPECT_EQ(index, 3);
    EXPECT_EQ(c.locals, QStringList({"E002:z", "E002:b", "E002:A", "E004:n"}));
}

TEST(Expression, TimeNameWithoutTimeIsALocalVariable)
{
    const Translation t = translate(Declarations{}, "t");
    EXPECT_EQ(t.err, 0);
    EXPECT_EQ(t.code, bytes({{1, 7, 1, 0}}));
    EXPECT_EQ(t.messages, QStringList({"(W) Refer undefined variable :t"}));
}

TEST(Expression, SpecialFirstArguments)
{
    const Declarations oneD{.variables = {"u", "v"}, .temporaries = {"a", "b"}, .variableCells = {0, 1},
                            .t = true, .x = true};
    const Declarations twoD{.variables = {"u", "v"}, .temporaries = {"a", "b"}, .t = true, .x = true,
                            .y = true, .integral1 = {"Top", "Left"}, .integral2 = {"Core"}};
    const Declarations chem{.temporaries = {"a", "b"}, .t = true, .speciesCount = 3, .thermo = 1,
                            .transport = 1};
    struct Case {
        const Declarations* d;
        const char* text;
        Bytes code;
        std::vector<double> pool;
    };
    const Case cases[] = {
        // The variable's index travels as a literal.
        {&oneD, "INTEGRAL(v,a,b)", bytes({{1, 6, 1, 0}, {1, 5, 1, 0}, {1, 5, 2, 0}, {51, 31}}), {2}},
        {&oneD, "integral0(U,0,a+1)",
         bytes({{1, 6, 1, 0}, {1, 6, 2, 0}, {1, 5, 1, 0}, {1, 6, 3, 0}, {31}, {51, 40}}), {1, 0, 1}},
        {&oneD, "RESTART(v,a)", bytes({{1, 6, 1, 0}, {1, 5, 1, 0}, {51, 39}}), {2}},
        {&oneD, "INTEGRALV(v,a,b)", bytes({{1, 6, 1, 0}, {1, 5, 1, 0}, {1, 5, 2, 0}, {51, 41}}), {2}},
        {&oneD, "INTEGRALG(u,a,b)", bytes({{1, 6, 1, 0}, {1, 5, 1, 0}, {1, 5, 2, 0}, {51, 42}}), {1}},
        {&twoD, "UPWINDX(u,a,b)-UPWINDY(v,a,b)",
         bytes({{1, 6, 1, 0}, {1, 5, 1, 0}, {1, 5, 2, 0}, {51, 35}, {1, 6, 2, 0}, {1, 5, 1, 0},
                {1, 5, 2, 0}, {51, 36}, {32}}),
         {1, 2}},
        // The region's 1-based position in its list travels as a literal.
        {&twoD, "INTEGRAL1(v,left)", bytes({{1, 6, 1, 0}, {1, 6, 2, 0}, {51, 37}}), {2, 2}},
        {&twoD, "2*INTEGRAL2(u,CORE)", bytes({{1, 6, 1, 0}, {1, 6, 2, 0}, {1, 6, 3, 0}, {51, 38}, {33}}),
         {2, 1, 1}},
        // Property code, the arguments, the total argument count.
        {&chem, "CPROPERTY(CM1,a)", bytes({{1, 6, 1, 0}, {1, 5, 1, 0}, {1, 6, 2, 0}, {51, 43}}), {1, 2}},
        {&chem, "CPROPERTY(cm0x,a,b,1)",
         bytes({{1, 6, 1, 0}, {1, 5, 1, 0}, {1, 5, 2, 0}, {1, 6, 2, 0}, {1, 6, 3, 0}, {51, 43}}),
         {4, 1, 4}},
        {&chem, "CPROPERTY(BV1,a,b)", bytes({{1, 6, 1, 0}, {1, 5, 1, 0}, {1, 5, 2, 0}, {1, 6, 2, 0}, {51, 43}}),
         {48, 3}},
    };
    for (const Case& c : cases) {
        const Translation t = translate(*c.d, c.text, SectionEquation);
        EXPECT_EQ(t.err, 0) << c.text;
        EXPECT_EQ(t.code, c.code) << c.text;
        EXPECT_EQ(t.pool, c.pool) << c.text;
    }
}

TEST(Expression, FileOnlyWhereParametersAreRead)
{
    const Declarations transient{.temporaries = {"a"}, .t = true};
    const Declarations steady{.temporaries = {"a"}};
    EXPECT_EQ(translate(transient, "FILE(1)", SectionEquation).code, bytes({{1, 6, 1, 0}, {51, 33}}));
    EXPECT_EQ(translate(transient, "FILE(1)", SectionInitial).err, ExprNotAvailable);
    EXPECT_EQ(translate(steady, "FILE(1)", SectionInitial).code, bytes({{1, 6, 1, 0}, {51, 33}}));
    EXPECT_EQ(translate(steady, "FILE(1)", SectionEquation).err, ExprNotAvailable);
    EXPECT_EQ(translate(steady, "FILE(1)", SectionAssume).err, ExprNotAvailable);
}

TEST(Expression, ErrorCodes)
{
    const Declarations zeroD{.variables = {"u"}, .subVariables = {"s"}, .temporaries = {"a", "b", "c"}, .t = true};
    const Declarations oneD{.variables = {"u", "v"}, .temporaries = {"a", "b", "c"}, .variableCells = {0, 1},
                            .t = true, .x = true};
    const Declarations twoD{.variables = {"u"}, .temporaries = {"a"}, .x = true, .y = true, .integral1 = {"top"},
                            .integral2 = {"core"}};
    const Declarations chem{.temporaries = {"a"}, .speciesCount = 2, .thermo = 1};
    const Declarations sinVariable{.variables = {"SIN"}, .temporaries = {"a"}};
    struct Case {
        const Declarations* d;
        const char* text;
        int err;
        int section = SectionInitial;
    };
    const Case cases[] = {
        {&zeroD, "2*-3", ExprMisplacedWord},
        {&zeroD, "1a", ExprMisplacedWord},
        {&zeroD, "a(b)", ExprMisplacedWord},
        {&zeroD, "1SIN(b)", ExprMisplacedWord},
        {&zeroD, "*a", ExprMisplacedWord},
        {&zeroD, "a+)", ExprMisplacedWord},
        {&zeroD, "(,a)", ExprMisplacedWord},
        {&zeroD, "a^-b", ExprMisplacedWord},
        {&zeroD, "SIN()", ExprMisplacedWord},
        {&zeroD, "MAX(a,)", ExprMisplacedWord},
        {&sinVariable, "SIN(a)", ExprMisplacedWord},
        {&zeroD, "u[t]", ExprOperandInAssume, SectionAssume},
        {&zeroD, "s", ExprOperandInAssume, SectionAssume},
        {&zeroD, "a)", ExprNoOpenParenthesis},
        {&zeroD, "a,b", ExprNoOpenParenthesis},
        {&zeroD, "(a", ExprUnclosedParenthesis},
        {&zeroD, "MAX(a,b", ExprUnclosedParenthesis},
        {&zeroD, "", ExprMissingOperand},
        {&zeroD, "a+", ExprMissingOperand},
        {&zeroD, "FOO(a)", ExprMissingOperand},
        {&zeroD, "INTEGRAL(u,0,1)", ExprNotAvailable},
        {&twoD, "INTEGRAL(u,0,1)", ExprNotAvailable},
        {&oneD, "UPWINDX(u,0,1)", ExprNotAvailable},
        {&oneD, "INTEGRAL1(u,top)", ExprNotAvailable},
        {&zeroD, "CPROPERTY(CM1,a)", ExprNotAvailable},
        {&chem, "CPROPERTY(BV1,a,a)", ExprNotAvailable},
        {&oneD, "INTEGRALV(u,a,b)", ExprNotAvailable},
        {&oneD, "INTEGRALG(v,a,b)", ExprNotAvailable},
        {&zeroD, "MAX(a)", ExprArgumentCount},
        {&zeroD, "MAX(a,b,c)", ExprArgumentCount},
        {&zeroD, "(a,b)", ExprArgumentCount},
        {&zeroD, "SIN(a,b)", ExprArgumentCount},
        {&oneD, "INTEGRAL(u[x],0,1)", ExprBadSpecialArgument},
        {&oneD, "INTEGRAL(u)", ExprBadSpecialArgument},
        {&oneD, "INTEGRAL(a,0,1)", ExprBadSpecialArgument},
        {&oneD, "INTEGRAL(", ExprBadSpecialArgument},
        {&twoD, "INTEGRAL1(u,bottom)", ExprBadSpecialArgument},
        {&twoD, "INTEGRAL1(u,core)", ExprBadSpecialArgument},
        {&twoD, "INTEGRAL2(u;core)", ExprBadSpecialArgument},
        {&chem, "CPROPERTY(XYZ,a)", ExprBadSpecialArgument},
        {&chem, "CPROPERTY(CM1)", ExprBadSpecialArgument},
        {&zeroD, "a;b", ExprUnexpectedCharacter},
        {&zeroD, "a+[b", ExprUnexpectedCharacter},
        {&zeroD, "%", ExprUnexpectedCharacter},
    };
    for (const Case& c : cases) {
        const Translation t = translate(*c.d, QString::fromUtf8(c.text), c.section);
        EXPECT_EQ(t.err, c.err) << c.text;
        EXPECT_NE(t.stop, -1) << c.text;
    }
}

TEST(Expression, OperatorStackHolds99Entries)
{
    const QString deep99 = QString(99, u'(') + "1" + QString(99, u')');
    EXPECT_EQ(translate(temps, deep99).err, 0);
    const QString deep100 = QString(100, u'(') + "1" + QString(100, u')');
    EXPECT_EQ(translate(temps, deep100).err, ExprStackFull);
}

// Regression: a call whose arguments need more than the engine's 300 operand slots must be
// refused at compile time instead of overflowing the interpreter's stack.
TEST(Expression, OperandStackDepthIsBounded)
{
    // CM0C takes N + 1 arguments; the code literal, N values and the count are on the stack.
    auto cm0c = [](int species) {
        QStringList args;
        for (int i = 0; i < species; ++i)
            args << "a";
        return "1+CPROPERTY(CM0C," + args.join(',') + ")";
    };
    Declarations chem{.temporaries = {"a"}, .speciesCount = 297, .thermo = 1};
    EXPECT_EQ(translate(chem, cm0c(297)).err, 0); // 1 + 299 values + count = 300
    chem.speciesCount = 298;
    EXPECT_EQ(translate(chem, cm0c(298)).err, ExprStackFull);
}

// Regression: a pool position beyond the 16-bit index field must not wrap around silently.
TEST(Expression, PoolPositionsAbove65535AreRefused)
{
    auto fill = [](RMORVCompile& c) { c.literals.assign(65534, 0.0); };
    EXPECT_EQ(translate(temps, "1", SectionInitial, fill).code, bytes({{1, 6, 255, 255}}));
    auto full = [](RMORVCompile& c) { c.literals.assign(65535, 0.0); };
    EXPECT_EQ(translate(temps, "1", SectionInitial, full).err, ExprTooManySymbols);
}

// Regression: a number the scanner accepts but the conversion rejects must be reported, with
// the position of its text, instead of leaving the compile.
TEST(Expression, IllegalNumbers)
{
    for (const char* text : {"a+1.5.", "a+3E+", "1e5.3", "a*1e999"}) {
        const Translation t = translate(temps, text);
        EXPECT_EQ(t.err, ExprIllegalNumber) << text;
        EXPECT_EQ(t.stop, QString(text).indexOf(QRegularExpression("[0-9]"))) << text;
    }
}

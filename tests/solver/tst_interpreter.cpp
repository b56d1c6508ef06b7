// The byte-code interpreter on hand-assembled sections: operators, jumps, stores, directives,
// math errors with their substitutes and log lines, the operand record of a point, and the
// stack analysis of the decoder.
#include "InterpreterTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace ByteCode;

namespace {

// An engine on a five-point grid (x = 0, .25, .5, .75, 1) with one temporary and the given
// literal pool, and an evaluation context for point 2.
struct Interp {
    RunFolder folder;
    RRazava engine;
    MORVGlobalData& g;
    std::vector<double> residuals = std::vector<double>(4, 0.0);
    std::vector<double> subs = std::vector<double>(2, 0.0);
    RDecodedSection section;

    explicit Interp(const std::vector<double>& literals)
        : folder(oneDimensionalFile(5, 1, 0, literals, {})), engine("MORV", folder.data),
          g(*engine.globalData())
    {
        g.ALPHA = 1.0;
        g.DELT = 0.5;
        for (int p = 0; p < 5; ++p) {
            g.oldValues[p] = 10.0 * p;
            g.newValues[p] = 10.0 * p + 1.0;
        }
    }
    // Returns whether the evaluation reported a changed operand record.
    bool run(const CodeBuilder& b, int point = 2)
    {
        section = RRazava::decodeSection(b.bytes.data(), static_cast<int>(b.bytes.size()), g.literals);
        REvalContext c;
        c.term = &engine.term;
        double tTheta = 0;
        engine.prmval(point, 1, c.term, g.oldValues.data(), g.newValues.data(), 0.0, g.DELT,
                      g.ALPHA, tTheta);
        c.subValues = subs.data();
        c.t = tTheta;
        c.dt = g.DELT;
        c.x = g.pointX[point];
        c.point = point;
        c.values = g.newValues.data();
        c.residuals = residuals.data();
        c.section = &section;
        c.label = "equation ";
        engine.EvalEqu(c);
        return c.changedRecord;
    }
    double temporary() const { return g.temporaries[0]; }
};

} // namespace

TEST(Interpreter, OperatorsOnTwoLiterals)
{
    struct Case {
        int opcode;
        double a, b, expected;
    } cases[] = {
        {OpAdd, 2.5, 4, 6.5},        {OpSub, 2.5, 4, -1.5},         {OpMul, 2.5, 4, 10},
        {OpDiv, 3, 4, 0.75},         {OpPow, 2, 0.5, std::sqrt(2.0)}, {OpPow, 0, 2, 0},
        {OpIPow, -2, 3, -8},         {OpIPow, 2, -2, 0.25},         {OpIPow, 3, 2.4, 9},
        {OpGreater, 3, 2, 1},        {OpGreater, 2, 3, 0},          {OpGreaterEqual, 2, 2, 1},
        {OpEqual, 2, 2, 1},          {OpLessEqual, 3, 2, 0},        {OpLess, 2, 3, 1},
        {OpIntEqual, 2.4, 2.6, 0},   {OpIntEqual, 2.4, 2.2, 1},     {OpAnd, 1, 0, 0},
        {OpOr, 0.7, 0.6, 1},         {OpOr, 0.2, 0.3, 0.5},         {OpNotEqual, 2, 2, 0},
        {OpIntNotEqual, 2.4, 2.6, 1}, {OpIntNotEqual, 1.6, 2.4, 0},
    };
    for (const Case& c : cases) {
        Interp t({c.a, c.b});
        CodeBuilder b;
        b.push(KindLiteral, 1).push(KindLiteral, 2).op(c.opcode).store(KindTemporary, 1);
        t.run(b);
        EXPECT_DOUBLE_EQ(t.temporary(), c.expected) << "opcode " << c.opcode << " " << c.a << " " << c.b;
        EXPECT_EQ(t.g.mathErrorCount, 0) << c.opcode;
    }
}

TEST(Interpreter, IntegerPowerKeepsSmallExponentsAndSquaresHugeOnes)
{
    // Small exponents multiply repeatedly: bit for bit the product.
    Interp small({1.1, 7});
    small.run(CodeBuilder().push(KindLiteral, 1).push(KindLiteral, 2).op(OpIPow).store(KindTemporary, 1));
    EXPECT_EQ(small.temporary(), 1.1 * 1.1 * 1.1 * 1.1 * 1.1 * 1.1 * 1.1);
    // A huge exponent must finish (squaring) and give the power.
    Interp huge({1.0000001, 1e9});
    huge.run(CodeBuilder().push(KindLiteral, 1).push(KindLiteral, 2).op(OpIPow).store(KindTemporary, 1));
    EXPECT_NEAR(huge.temporary() / std::pow(1.0000001, 1e9), 1.0, 1e-6);
    Interp inverse({-1.0, -1e12 - 1});
    inverse.run(CodeBuilder().push(KindLiteral, 1).push(KindLiteral, 2).op(OpIPow).store(KindTemporary, 1));
    EXPECT_EQ(inverse.temporary(), -1.0);
}

TEST(Interpreter, MathErrorsSubstituteCountAndLog)
{
    {
        Interp t({3, 0, -8, 1.0 / 3});
        const int warnings = t.g.runWarningCount;
        CodeBuilder b;
        b.push(KindLiteral, 1).push(KindLiteral, 2).op(OpDiv).store(KindTemporary, 1); // 3/0
        t.run(b);
        EXPECT_DOUBLE_EQ(t.temporary(), 3e10);
        EXPECT_EQ(t.g.mathErrorCount, 1);
        EXPECT_EQ(t.g.runWarningCount, warnings + 1);
        CodeBuilder p;
        p.push(KindLiteral, 3).push(KindLiteral, 4).op(OpPow).store(KindTemporary, 1); // (-8)**(1/3)
        t.run(p);
        EXPECT_EQ(t.temporary(), std::pow(1e-10, t.g.literals[3]));
        EXPECT_EQ(t.g.mathErrorCount, 2);
        EXPECT_EQ(t.g.runWarningCount, warnings + 2);
    }
    // The pointer is the byte after the failing opcode: 4 + 4 + 1.
    Interp t({3, 0, -8, 1.0 / 3});
    t.run(CodeBuilder().push(KindLiteral, 1).push(KindLiteral, 2).op(OpDiv).store(KindTemporary, 1));
    t.run(CodeBuilder().push(KindLiteral, 3).push(KindLiteral, 4).op(OpPow).store(KindTemporary, 1));
    FlushFile(t.g.logFile);
    const std::string log = t.folder.log();
    EXPECT_NE(log.find(" ?  W0013  ? group:equation   , pointer:00000009, function:/0\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find(" ?  W0013  ? group:equation   , pointer:00000009, function:**\r\n"), std::string::npos) << log;
}

TEST(Interpreter, ConditionalJumpRoundsItsCondition)
{
    // temporary := 1; if round(c) = 0 skip "temporary := 2".
    for (auto [condition, expected] : {std::pair{0.4, 1.0}, {0.5, 2.0}, {-0.5, 1.0}, {-0.6, 2.0}}) {
        Interp t({condition, 1, 2});
        CodeBuilder b;
        b.push(KindLiteral, 2).store(KindTemporary, 1).push(KindLiteral, 1);
        const int at = b.jump(OpJumpIfFalse);
        b.push(KindLiteral, 3).store(KindTemporary, 1);
        b.patch(at, b.here());
        t.run(b);
        EXPECT_EQ(t.temporary(), expected) << condition;
    }
    // Unconditional and relative jumps skip a store; a target past the end ends the section.
    Interp t({1, 2});
    CodeBuilder b;
    b.push(KindLiteral, 1).store(KindTemporary, 1);
    const int rel = b.jump(OpJumpRelative);
    b.push(KindLiteral, 2).store(KindTemporary, 1);
    b.patch(rel, b.here() - (rel + 4));
    const int end = b.jump(OpJump);
    b.push(KindLiteral, 2).store(KindTemporary, 1);
    b.patch(end, 1000);
    t.run(b);
    EXPECT_EQ(t.temporary(), 1.0);
    // Relative offsets at the ends of the int range leave the section too.
    for (int offset : {std::numeric_limits<int>::max(), std::numeric_limits<int>::min()}) {
        Interp far({1, 2});
        CodeBuilder c;
        c.push(KindLiteral, 1).store(KindTemporary, 1);
        const int at = c.jump(OpJumpRelative);
        c.push(KindLiteral, 2).store(KindTemporary, 1);
        c.patch(at, offset);
        far.run(c);
        EXPECT_EQ(far.temporary(), 1.0) << offset;
    }
}

TEST(Interpreter, StoresReachTheirTargets)
{
    Interp t({7, 8, 9, 5});
    CodeBuilder b;
    b.push(KindLiteral, 1).store(KindEquation, 1);
    b.push(KindLiteral, 2).store(KindSubVariable, 2);
    b.push(KindLiteral, 4).store(KindVariable, 1);
    b.push(KindVariable, 1).store(KindTemporary, 1); // reads the stored value back
    b.push(KindLiteral, 3).store(KindLiteral, 1);    // a literal cannot be stored
    const int warnings = t.g.runWarningCount;
    t.run(b);
    EXPECT_EQ(t.residuals[0], 7.0);
    EXPECT_EQ(t.subs[1], 8.0);
    EXPECT_EQ(t.g.newValues[2], 5.0);
    EXPECT_EQ(t.temporary(), 5.0);
    EXPECT_EQ(t.g.literals[0], 7.0);
    EXPECT_EQ(t.g.runWarningCount, warnings + 1);
    FlushFile(t.g.logFile);
    EXPECT_NE(t.folder.log().find(" ?  W0012  ?\r\n"), std::string::npos);
}

TEST(Interpreter, OperandRecordOfAPoint)
{
    // Theta level 0.5 mixes old 10p and new 10p + 1; dt 0.5.
    Interp t({1});
    t.g.ALPHA = 0.5;
    double tTheta = 0;
    t.engine.prmval(4, 1, &t.engine.term, t.g.oldValues.data(), t.g.newValues.data(), 2.0, 0.5,
                    0.5, tTheta);
    const SPtTerm& s = t.engine.term;
    EXPECT_EQ(tTheta, 2.25);
    EXPECT_EQ(s.value[0], 40.5);
    EXPECT_EQ(s.timeDerivative[0], 2.0);
    EXPECT_EQ(s.lowerValue[0], 30.5);
    EXPECT_EQ(s.upperValue[0], 40.5); // clamped at the last point
    t.engine.prmval(2, 1, &t.engine.term, t.g.oldValues.data(), t.g.newValues.data(), 2.0, 0.5,
                    0.5, tTheta);
    // Values are linear in x (40x + 0.5): first derivative 40, second 0.
    EXPECT_NEAR(s.ddx[0], 40.0, 1e-9);
    EXPECT_NEAR(s.d2dx2[0], 0.0, 1e-9);
    EXPECT_EQ(s.ddy[0], 0.0);
    // Central difference over the two neighbours: (30.5 - 10.5) / 0.5.
    CodeBuilder b;
    b.push(KindCentralX, 1).store(KindTemporary, 1);
    t.g.ALPHA = 0.5;
    t.run(b);
    EXPECT_DOUBLE_EQ(t.temporary(), 40.0);
}

TEST(Interpreter, GridDirectiveMovesToAClampedPoint)
{
    // %GRID 0 and %GRID 99 clamp to the first and the last point, each one math error; x and
    // the variable then read the new point.
    struct Case {
        double number;
        double x, u;
        int errors;
    } cases[] = {{0, 0.0, 1.0, 1}, {99, 1.0, 41.0, 1}, {2, 0.25, 11.0, 0}, {4.4, 0.75, 31.0, 0}};
    for (const Case& c : cases) {
        Interp t({c.number});
        CodeBuilder b;
        b.push(KindLiteral, 1).directive(DirectiveGrid).push(KindX).store(KindTemporary, 1);
        b.push(KindVariable, 1).store(KindEquation, 1);
        t.run(b);
        EXPECT_EQ(t.temporary(), c.x) << c.number;
        EXPECT_EQ(t.residuals[0], c.u) << c.number;
        EXPECT_EQ(t.g.mathErrorCount, c.errors) << c.number;
    }
}

TEST(Interpreter, EvaluationReportsAMovedOrStoredRecord)
{
    // Only an executed %GRID or a store into a variable reports it: a skipped %GRID leaves the
    // Jacobian's column refresh in use, and other stores do not change the record.
    struct Case {
        const char* what;
        bool grid, variableStore, taken;
        bool expected;
    } cases[] = {
        {"%GRID run", true, false, true, true},
        {"%GRID skipped", true, false, false, false},
        {"variable store run", false, true, true, true},
        {"variable store skipped", false, true, false, false},
        {"other stores", false, false, true, false},
    };
    for (const Case& c : cases) {
        Interp t({c.taken ? 1.0 : 0.0, 3});
        CodeBuilder b;
        b.push(KindLiteral, 2).store(KindTemporary, 1).push(KindLiteral, 2).store(KindEquation, 1);
        b.push(KindLiteral, 2).store(KindSubVariable, 1);
        b.push(KindLiteral, 1);
        const int skip = b.jump(OpJumpIfFalse);
        if (c.grid)
            b.push(KindLiteral, 2).directive(DirectiveGrid);
        if (c.variableStore)
            b.push(KindLiteral, 2).store(KindVariable, 1);
        b.patch(skip, b.here());
        EXPECT_EQ(t.run(b), c.expected) << c.what;
    }
}

TEST(Interpreter, DirectivesPrintAndUnknownOpcodes)
{
    Interp t({3.5, 1});
    const int errors = t.g.runErrorCount, warnings = t.g.runWarningCount;
    CodeBuilder b;
    b.push(KindLiteral, 1).directive(DirectiveTerminate);
    b.push(KindLiteral, 1).op(OpPrint);
    b.push(KindLiteral, 2).directive(77); // unknown directive
    b.op(200);                            // unknown opcode, then the next byte goes on
    b.op(OpNop).push(KindLiteral, 1).store(KindTemporary, 1);
    t.run(b);
    EXPECT_EQ(t.g.terminateValue, 3.5);
    EXPECT_EQ(t.temporary(), 3.5);
    EXPECT_EQ(t.g.runErrorCount, errors + 1);
    EXPECT_EQ(t.g.runWarningCount, warnings + 1);
    FlushFile(t.g.logFile);
    const std::string log = t.folder.log();
    EXPECT_NE(log.find("Group=equation , Pointer=    11, Value=  3.5000000E+00\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find(" !  E1099  !\r\n"), std::string::npos);
    EXPECT_NE(log.find(" ?  W0012  ?\r\n"), std::string::npos);
}

TEST(Interpreter, EmptySectionChangesNothing)
{
    Interp t({1});
    const std::vector<double> before = t.g.newValues;
    t.g.temporaries[0] = 4;
    t.run(CodeBuilder());
    EXPECT_EQ(t.g.newValues, before);
    EXPECT_EQ(t.temporary(), 4.0);
    EXPECT_EQ(t.residuals, std::vector<double>(4, 0.0));
}

TEST(Interpreter, DecoderMeasuresTheOperandStack)
{
    const std::vector<double> literals{1.0};
    CodeBuilder deep;
    for (int i = 0; i < 301; ++i)
        deep.push(KindLiteral, 1);
    EXPECT_GT(RRazava::decodeSection(deep.bytes.data(), deep.here(), literals).maxDepth, 300);
    CodeBuilder under;
    under.push(KindLiteral, 1).op(OpAdd).store(KindTemporary, 1);
    EXPECT_TRUE(RRazava::decodeSection(under.bytes.data(), under.here(), literals).underflow);
    // Both branches of a conditional are followed: the skipped one pops an empty stack.
    CodeBuilder branch;
    branch.push(KindLiteral, 1);
    const int at = branch.jump(OpJumpIfFalse);
    branch.push(KindLiteral, 1);
    branch.patch(at, branch.here());
    branch.store(KindTemporary, 1);
    EXPECT_TRUE(RRazava::decodeSection(branch.bytes.data(), branch.here(), literals).underflow);
    CodeBuilder fine;
    fine.push(KindLiteral, 1).push(KindLiteral, 1).call(FnMAX).call(FnSQRT).store(KindTemporary, 1);
    const RDecodedSection s = RRazava::decodeSection(fine.bytes.data(), fine.here(), literals);
    EXPECT_FALSE(s.underflow);
    EXPECT_EQ(s.maxDepth, 2);
}

// A property call pops as many values as the count on top of the stack says. The decoder can
// bound that only when the count is the literal pushed right before the call, as compiled
// code has it; a count from elsewhere, or a jump onto the call past its count, is refused
// (each fixture would pop below the stack's bottom at run time).
TEST(Interpreter, DecoderRefusesPropertyCallsWithoutTheirLiteralCount)
{
    const std::vector<double> literals{5.0, 1.5, 2.0}; // property code, argument, count
    CodeBuilder compiled;
    compiled.push(KindLiteral, 1).push(KindLiteral, 2).push(KindLiteral, 3).call(FnCPROPERTY);
    compiled.store(KindTemporary, 1);
    const RDecodedSection s =
        RRazava::decodeSection(compiled.bytes.data(), compiled.here(), literals);
    EXPECT_FALSE(s.underflow);
    EXPECT_EQ(s.maxDepth, 3);

    // The count from a temporary (2 at run time: three values popped).
    CodeBuilder counted;
    counted.push(KindLiteral, 1).push(KindLiteral, 2).push(KindTemporary, 1).call(FnCPROPERTY);
    counted.op(OpAdd).op(OpAdd).store(KindTemporary, 1);
    EXPECT_TRUE(RRazava::decodeSection(counted.bytes.data(), counted.here(), literals).underflow);

    // A jump past the count: the temporary on top (3 at run time) becomes the count.
    CodeBuilder jumped;
    jumped.push(KindLiteral, 1).push(KindLiteral, 1).push(KindLiteral, 2).push(KindTemporary, 1);
    const int at = jumped.jump(OpJump);
    jumped.push(KindLiteral, 3);
    jumped.patch(at, jumped.here());
    jumped.call(FnCPROPERTY).op(OpAdd).store(KindTemporary, 1);
    EXPECT_TRUE(RRazava::decodeSection(jumped.bytes.data(), jumped.here(), literals).underflow);
}

TEST(Interpreter, SectionThatUnderflowsFailsSetUp)
{
    // A section that pops an empty stack ends set-up with status 2.
    CodeBuilder under;
    under.push(KindLiteral, 1).op(OpAdd).store(KindEquation, 1);
    RunFolder f(oneDimensionalFile(5, 1, 0, {1.0}, under.bytes));
    RRazava engine("MORV", f.data);
    EXPECT_EQ(engine.globalData()->runStatus, startupBadDataFile);
}

// Random expressions, written with as few parentheses as precedence and left grouping allow,
// must compile to postfix code whose evaluation on a stack machine gives exactly the value of
// the expression tree they were written from.

#include "CompilerFixture.h"
#include "document/ByteCode.h"
#include "document/RByteCodePacking.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>

using namespace ByteCode;

namespace {

struct Node {
    int op = 0;                 // 0 number, an operator code, -1 unary minus, or OpCall
    int fn = 0;                 // FnABS, FnMAX or FnMIN for a call
    double value = 0;
    std::unique_ptr<Node> a, b;
};

const int binaryOps[] = {OpAdd, OpSub, OpMul, OpGreater, OpGreaterEqual, OpEqual, OpLessEqual,
                         OpLess, OpIntEqual, OpAnd, OpOr, OpNotEqual, OpIntNotEqual};

const char* opText(int op)
{
    switch (op) {
    case OpAdd: return "+";
    case OpSub: return "-";
    case OpMul: return "*";
    case OpGreater: return ">";
    case OpGreaterEqual: return ">=";
    case OpEqual: return "=";
    case OpLessEqual: return "=<";
    case OpLess: return "<";
    case OpIntEqual: return "~";
    case OpAnd: return "&";
    case OpOr: return "|";
    case OpNotEqual: return "<>";
    case OpIntNotEqual: return "!";
    }
    return "?";
}

double round45(double v)
{
    return std::floor(v + 0.5);
}

double apply(int op, double a, double b)
{
    switch (op) {
    case OpAdd: return a + b;
    case OpSub: return a - b;
    case OpMul: return a * b;
    case OpGreater: return a > b;
    case OpGreaterEqual: return a >= b;
    case OpEqual: return a == b;
    case OpLessEqual: return a <= b;
    case OpLess: return a < b;
    case OpIntEqual: return round45(a) == round45(b);
    case OpAnd: return a * b;
    case OpOr: return std::min(1.0, a + b);
    case OpNotEqual: return a != b;
    case OpIntNotEqual: return round45(a) != round45(b);
    }
    return NAN;
}

std::unique_ptr<Node> generate(std::mt19937& rng, int depth)
{
    auto n = std::make_unique<Node>();
    const int choice = depth <= 0 ? 0 : std::uniform_int_distribution<int>(0, 9)(rng);
    if (choice <= 1) {
        n->value = std::uniform_int_distribution<int>(0, 6)(rng) * 0.5;
    } else if (choice == 2) {
        n->op = -1;
        n->a = generate(rng, depth - 1);
    } else if (choice == 3) {
        n->op = OpCall;
        const int fns[] = {FnABS, FnMAX, FnMIN};
        n->fn = fns[std::uniform_int_distribution<int>(0, 2)(rng)];
        n->a = generate(rng, depth - 1);
        if (n->fn != FnABS)
            n->b = generate(rng, depth - 1);
    } else {
        n->op = binaryOps[std::uniform_int_distribution<int>(0, std::size(binaryOps) - 1)(rng)];
        n->a = generate(rng, depth - 1);
        n->b = generate(rng, depth - 1);
    }
    return n;
}

// Binding strength of a node as written: operands and calls bind tightest.
int strength(const Node& n)
{
    if (n.op == 0 || n.op == OpCall)
        return 9;
    if (n.op == -1)
        return 3; // written as 0 - operand
    return operatorPrecedence(n.op);
}

QString render(const Node& n);

QString renderOperand(const Node& child, bool parenthesise)
{
    return parenthesise ? "(" + render(child) + ")" : render(child);
}

QString render(const Node& n)
{
    if (n.op == 0)
        return QString::number(n.value);
    if (n.op == -1) // the sign takes what binds tighter than "-"
        return "(-" + renderOperand(*n.a, strength(*n.a) <= 3) + ")";
    if (n.op == OpCall) {
        const char* name = n.fn == FnABS ? "ABS" : n.fn == FnMAX ? "max" : "Min";
        return QString(name) + "(" + render(*n.a) + (n.b ? "," + render(*n.b) : QString()) + ")";
    }
    const int p = operatorPrecedence(n.op);
    return renderOperand(*n.a, strength(*n.a) < p) + opText(n.op) + renderOperand(*n.b, strength(*n.b) <= p);
}

double evaluate(const Node& n)
{
    if (n.op == 0)
        return n.value;
    if (n.op == -1)
        return 0.0 - evaluate(*n.a);
    if (n.op == OpCall) {
        if (n.fn == FnABS)
            return std::fabs(evaluate(*n.a));
        const double a = evaluate(*n.a), b = evaluate(*n.b);
        return n.fn == FnMAX ? std::max(a, b) : std::min(a, b);
    }
    const double a = evaluate(*n.a);
    return apply(n.op, a, evaluate(*n.b));
}

// Runs straight-line expression code; fails the test on anything else.
double run(const Bytes& code, const std::vector<double>& pool)
{
    std::vector<double> stack;
    int pos = 0;
    while (pos < static_cast<int>(code.size())) {
        const int op = code[pos++];
        if (op == OpPush) {
            EXPECT_EQ(code[pos++], KindLiteral);
            stack.push_back(pool.at(GetUWord(code.data(), pos) - 1));
        } else if (isOperator(op)) {
            EXPECT_GE(stack.size(), 2u);
            const double b = stack.back();
            stack.pop_back();
            stack.back() = apply(op, stack.back(), b);
        } else if (op == OpCall) {
            const int fn = code[pos++];
            if (fn == FnABS) {
                stack.back() = std::fabs(stack.back());
            } else {
                const double b = stack.back();
                stack.pop_back();
                stack.back() = fn == FnMAX ? std::max(stack.back(), b) : std::min(stack.back(), b);
            }
        } else {
            ADD_FAILURE() << "unexpected opcode " << op;
            return NAN;
        }
    }
    EXPECT_EQ(stack.size(), 1u);
    return stack.empty() ? NAN : stack.back();
}

} // namespace

TEST(ExpressionRandom, PostfixCodeEvaluatesLikeTheTree)
{
    std::mt19937 rng(20261210);
    for (int i = 0; i < 2000; ++i) {
        const auto tree = generate(rng, 5);
        const QString text = render(*tree);
        RMORVCompile c;
        int err = -1;
        c.fortran(SectionInitial, text, 0, err);
        ASSERT_EQ(err, 0) << text.toStdString();
        EXPECT_EQ(run(c.code[SectionInitial], c.literals), evaluate(*tree)) << text.toStdString();
    }
}

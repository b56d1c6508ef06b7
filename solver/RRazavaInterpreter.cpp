// The byte-code interpreter: decoding a section into instructions, filling the operand record
// of a point, and executing a section for one point on the run's operand stack.
#include "solver/RRazava.h"

#include "document/ByteCode.h"
#include "document/RByteCodePacking.h"
#include "solver/RCodeCheck.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

using namespace ByteCode;

namespace {

RPushSource pushSourceOf(int kind)
{
    switch (kind) {
    case KindTime: return pushTime;
    case KindX: return pushX;
    case KindY: return pushY;
    case KindInput: return pushInput;
    case KindTemporary: return pushTemporary;
    case KindLiteral: return pushLiteral;
    case KindLocal: return pushLocal;
    case KindVariable: return pushValue;
    case KindTimeDerivative: return pushTimeDerivative;
    case KindDdx: return pushDdx;
    case KindLowerDiffX: case KindD2dy2: return pushD2dy2;
    case KindUpperDiffX: case KindUpperDiffY: case KindD2dxdy: return pushD2dxdy;
    case KindD2dx2: case KindLowerDiffY: return pushD2dx2;
    case KindDdy: return pushDdy;
    case KindCentralX: case KindCentralY: return pushCentral;
    case KindLowerX: case KindLowerY: return pushLower;
    case KindUpperX: case KindUpperY: return pushUpper;
    case KindSubVariable: return pushSubVariable;
    default: return pushNothing;
    }
}

bool isPropertyCall(const RInstruction& in)
{
    return in.opcode == OpCall && in.operand == FnCPROPERTY;
}

// Values popped and pushed by one instruction; `literals` resolves the argument count that
// precedes a property call. False when the effect cannot be known before the run: a property
// call pops as many values as the count on top of the stack says, so its count must be the
// literal pushed just before it.
bool stackEffect(const std::vector<RInstruction>& code, std::size_t i,
                 const std::vector<double>& literals, int& pops, int& pushes)
{
    const RInstruction& in = code[i];
    pops = 0;
    pushes = 0;
    if (in.opcode == OpPush) {
        pushes = 1;
    } else if (isOperator(in.opcode)) {
        pops = 2;
        pushes = 1;
    } else if (in.opcode == OpJumpIfFalse || in.opcode == OpJumpRelativeIfFalse
               || in.opcode == OpStore || in.opcode == OpPrint || in.opcode == OpDirective) {
        pops = 1;
    } else if (in.opcode == OpCall) {
        int args = 0;
        for (const FunctionInfo& f : functions)
            if (f.id == in.operand)
                args = f.argCount;
        if (in.operand == FnCPROPERTY) {
            // Code, arguments, then the count: the count is the literal pushed just before.
            if (i == 0 || code[i - 1].opcode != OpPush || code[i - 1].operand != pushLiteral
                || code[i - 1].index >= static_cast<int>(literals.size()))
                return false;
            // A count that cannot describe the stack replaces the top by 0.
            args = 1;
            const double m = std::floor(literals[code[i - 1].index] + 0.5);
            if (m >= 1 && m < ::operandStackSize)
                args = static_cast<int>(m) + 1;
        }
        // Ids without a function leave the stack as it is.
        pops = args;
        pushes = args > 0 ? 1 : 0;
    }
    return true;
}

// Worst-case depth and underflow over every path through the section.
void analyseStack(RDecodedSection& s, const std::vector<double>& literals)
{
    const std::size_t count = s.code.size();
    std::vector<int> lowest(count, -1), highest(count, -1);
    std::vector<std::pair<std::size_t, int>> work{{0, 0}};
    s.maxDepth = 0;
    s.underflow = false;
    while (!work.empty()) {
        auto [i, depth] = work.back();
        work.pop_back();
        if (i >= count)
            continue;
        if (lowest[i] >= 0 && depth >= lowest[i] && depth <= highest[i])
            continue;
        lowest[i] = lowest[i] < 0 ? depth : std::min(lowest[i], depth);
        highest[i] = std::max(highest[i], depth);
        int pops = 0, pushes = 0;
        if (!stackEffect(s.code, i, literals, pops, pushes) || pops > depth) {
            s.underflow = true;
            return;
        }
        depth += pushes - pops;
        s.maxDepth = std::max(s.maxDepth, depth);
        if (s.maxDepth > ::operandStackSize)
            return;
        const RInstruction& in = s.code[i];
        const bool jump = in.opcode == OpJump || in.opcode == OpJumpRelative;
        const bool branch = in.opcode == OpJumpIfFalse || in.opcode == OpJumpRelativeIfFalse;
        if (jump || branch) {
            // A jump onto a property call would skip the count pushed before it.
            const std::size_t target = static_cast<std::size_t>(in.target);
            if (target < count && isPropertyCall(s.code[target])) {
                s.underflow = true;
                return;
            }
            work.push_back({target, depth});
        }
        if (!jump)
            work.push_back({i + 1, depth});
    }
}

} // namespace

RDecodedSection RRazava::decodeSection(const unsigned char* bytes, int size,
                                       const std::vector<double>& literals)
{
    RDecodedSection s;
    std::vector<int> jumpBytes; // byte target per instruction (jumps only)
    int pos = 0;
    while (pos < size) {
        RInstruction in;
        in.position = pos;
        in.opcode = bytes[pos++];
        int target = -1;
        // An instruction cut short by the section end reads no byte past it.
        const int length = instructionLength(in.opcode, pos < size ? bytes[pos] : 0);
        if (in.position + length > size) {
            in.opcode = 255; // unknown: reported at execution
            in.next = size;
            pos = size;
            s.code.push_back(in);
            jumpBytes.push_back(-1);
            break;
        }
        switch (in.opcode) {
        case OpPush: {
            const int kind = bytes[pos++];
            in.operand = pushSourceOf(kind);
            if (kindHasIndex(kind))
                in.index = static_cast<int>(GetUWord(bytes, pos)) - 1;
            break;
        }
        case OpStore:
            in.operand = bytes[pos++];
            in.index = static_cast<int>(GetUWord(bytes, pos)) - 1;
            break;
        case OpCall:
            in.operand = bytes[pos++];
            break;
        case OpDirective:
            in.operand = bytes[pos++];
            break;
        case OpJump: case OpJumpIfFalse:
            target = GetSInt(bytes, pos);
            break;
        case OpJumpRelative: case OpJumpRelativeIfFalse: {
            // In 64 bits: an offset near the int range must not wrap around to a target
            // inside the section.
            const int offset = GetSInt(bytes, pos);
            const std::int64_t t = std::int64_t(pos) + offset;
            target = static_cast<int>(std::clamp<std::int64_t>(t, -1, size));
            break;
        }
        default:
            break; // no operand; unknown opcodes go on at the next byte
        }
        in.next = pos;
        s.code.push_back(in);
        jumpBytes.push_back(target);
    }
    // Byte targets to instruction numbers: a target at or past the end, or before the start,
    // ends the section (the code check lets only starts of instructions through).
    for (std::size_t i = 0; i < s.code.size(); ++i) {
        if (jumpBytes[i] < 0 && s.code[i].opcode != OpJump && s.code[i].opcode != OpJumpIfFalse
            && s.code[i].opcode != OpJumpRelative && s.code[i].opcode != OpJumpRelativeIfFalse)
            continue;
        const int t = jumpBytes[i];
        if (t < 0 || t >= size) {
            s.code[i].target = static_cast<int>(s.code.size());
            continue;
        }
        auto it = std::lower_bound(s.code.begin(), s.code.end(), t,
                                   [](const RInstruction& a, int b) { return a.position < b; });
        s.code[i].target = static_cast<int>(it - s.code.begin());
    }
    analyseStack(s, literals);
    return s;
}

int RRazava::prepareInterpreter(std::string& reason)
{
    MORVGlobalData& g = *gd;
    term.allocate(g.variableCount);
    perturbedTerm.allocate(g.variableCount);
    scratchSubValues.assign(static_cast<std::size_t>(std::max(g.subVariableCount, 1)), 0.0);
    if (pointSubValues.empty())
        pointSubValues.assign(1, 0.0);
    for (int s = 0; s < sectionCount; ++s) {
        decoded[s] = decodeSection(g.code[s].data(), g.codeSize[s], g.literals);
        if (decoded[s].underflow || decoded[s].maxDepth > ::operandStackSize) {
            reason = "the " + std::string(sectionLabels[s])
                     + " section needs an operand stack deeper than "
                     + std::to_string(::operandStackSize) + " entries or pops an empty one";
            return 1;
        }
    }
    return 0;
}

void RRazava::prmval(int p, int n, SPtTerm* t, const double* oldValues, const double* newValues,
                     double tOld, double dt, double alpha, double& tTheta)
{
    tTheta = tOld + dt * alpha;
    for (int i = 0; i < n; ++i)
        prmvalVariable(p, n, i, t, oldValues, newValues, dt, alpha);
}

void RRazava::prmvalVariable(int p, int n, int i, SPtTerm* t, const double* oldValues,
                             const double* newValues, double dt, double alpha)
{
    // Every entry of variable i reads variable i only, and the stencil sums run in one fixed
    // order: refilling one variable gives bit for bit what a refill of the whole record gives.
    const MORVGlobalData& g = *gd;
    const std::size_t base = static_cast<std::size_t>(p) * n + i;
    auto theta = [&](std::size_t k) { return alpha * newValues[k] + (1 - alpha) * oldValues[k]; };
    t->value[i] = theta(base);
    t->timeDerivative[i] = (newValues[base] - oldValues[base]) / dt;
    const int np = g.pointCount;
    if (g.dimension == 1) {
        t->lowerValue[i] = theta(static_cast<std::size_t>(std::max(p - 1, 0)) * n + i);
        t->upperValue[i] = theta(static_cast<std::size_t>(std::min(p + 1, np - 1)) * n + i);
    }
    const int count = p < static_cast<int>(stencilCounts.size()) ? stencilCounts[p] : 0;
    const std::size_t w = count > 0 ? stencilStart[p] : 0;
    double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
    for (int j = 0; j < count; ++j) {
        const double u = theta(static_cast<std::size_t>(stencilPoints[w + j]) * n + i);
        sx += weightDx[w + j] * u;
        sy += weightDy[w + j] * u;
        sxx += weightDxx[w + j] * u;
        syy += weightDyy[w + j] * u;
        sxy += weightDxy[w + j] * u;
    }
    t->ddx[i] = sx;
    t->ddy[i] = sy;
    t->d2dx2[i] = sxx;
    t->d2dy2[i] = syy;
    t->d2dxdy[i] = sxy;
}

namespace {

// a to the integer power k: repeated multiplication for small exponents, squaring above 64 so
// that a huge exponent costs a few dozen multiplications.
double integerPower(double a, double b)
{
    const double k = std::floor(b + 0.5);
    if (!std::isfinite(k))
        return std::pow(a, k);
    const double m = std::fabs(k);
    double r = 1.0;
    if (m <= 64) {
        for (int i = 0; i < static_cast<int>(m); ++i)
            r *= a;
    } else {
        // Exponents beyond 2^63 overflow or vanish for every |a| != 1 long before.
        unsigned long long e = m >= 9.2e18 ? (1ULL << 63) : static_cast<unsigned long long>(m);
        double base = a;
        while (e) {
            if (e & 1)
                r *= base;
            base *= base;
            e >>= 1;
        }
    }
    return k < 0 ? 1.0 / r : r;
}

inline bool isZeroFlag(double v) { return std::floor(v + 0.5) == 0.0; }

} // namespace

void RRazava::EvalEqu(REvalContext& c)
{
    MORVGlobalData& g = *gd;
    const RDecodedSection* s = c.section;
    if (!s || s->code.empty() || s->underflow || s->maxDepth > ::operandStackSize)
        return;
    const int np = g.pointCount, n = g.variableCount;
    double central = 0;
    if (g.dimension == 1 && np > 0) {
        const double* coord = g.PARMX >= 1 ? g.pointX.data() : g.pointY.data();
        central = coord[std::min(c.point + 1, np - 1)] - coord[std::max(c.point - 1, 0)];
    }
    double* st = g.operandStack;
    int depth = 0;
    const RInstruction* code = s->code.data();
    const int count = static_cast<int>(s->code.size());
    SPtTerm& t = *c.term;
    // A value that is not a finite number is a math error where it is stored or decides a
    // branch. A test after every operator made a short statement's evaluation a seventh longer,
    // and reading the floating-point status flags costs more than that; built-in functions
    // test their own results.
    auto finite = [this, &c](double r, int position) {
        if (!std::isfinite(r)) [[unlikely]]
            r = nonFiniteValue(c.label, position, r);
        return r;
    };
    int i = 0;
    while (i < count) {
        const RInstruction& in = code[i++];
        switch (in.opcode) {
        case OpNop:
            break;
        case OpPush: {
            double v = 0;
            const int k = in.index;
            switch (in.operand) {
            case pushTime: v = c.t; break;
            case pushX: v = c.x; break;
            case pushY: v = c.y; break;
            case pushInput: v = g.inputs[k]; break;
            case pushTemporary: v = g.temporaries[k]; break;
            case pushLiteral: v = g.literals[k]; break;
            case pushLocal: v = g.locals[k]; break;
            case pushValue: v = t.value[k]; break;
            case pushTimeDerivative: v = t.timeDerivative[k]; break;
            case pushDdx: v = t.ddx[k]; break;
            case pushDdy: v = t.ddy[k]; break;
            // A point without second derivatives would give 0 here whatever its values.
            case pushD2dx2:
                v = t.d2dx2[k];
                if (!secondDerivativeMissing.empty()) [[unlikely]]
                    missingSecondDerivative(c.point);
                break;
            case pushD2dy2:
                v = t.d2dy2[k];
                if (!secondDerivativeMissing.empty()) [[unlikely]]
                    missingSecondDerivative(c.point);
                break;
            case pushD2dxdy:
                v = t.d2dxdy[k];
                if (!secondDerivativeMissing.empty()) [[unlikely]]
                    missingSecondDerivative(c.point);
                break;
            case pushCentral: v = (t.upperValue[k] - t.lowerValue[k]) / central; break;
            case pushLower: v = t.lowerValue[k]; break;
            case pushUpper: v = t.upperValue[k]; break;
            case pushSubVariable: v = c.subValues[k]; break;
            default: break;
            }
            st[depth++] = v;
            break;
        }
        case OpAdd: --depth; st[depth - 1] = st[depth - 1] + st[depth]; break;
        case OpSub: --depth; st[depth - 1] = st[depth - 1] - st[depth]; break;
        case OpMul: case OpAnd: --depth; st[depth - 1] = st[depth - 1] * st[depth]; break;
        case OpDiv:
            --depth;
            if (st[depth] == 0)
                errtra(c.label, in.next, "/0", st[depth], 1e-10);
            st[depth - 1] = st[depth - 1] / st[depth];
            break;
        case OpPow:
            --depth;
            if (st[depth - 1] < 0)
                errtra(c.label, in.next, "**", st[depth - 1], 1e-10);
            st[depth - 1] = std::pow(st[depth - 1], st[depth]);
            break;
        case OpIPow: --depth; st[depth - 1] = integerPower(st[depth - 1], st[depth]); break;
        case OpGreater: --depth; st[depth - 1] = st[depth - 1] > st[depth] ? 1.0 : 0.0; break;
        case OpGreaterEqual: --depth; st[depth - 1] = st[depth - 1] >= st[depth] ? 1.0 : 0.0; break;
        case OpEqual: --depth; st[depth - 1] = st[depth - 1] == st[depth] ? 1.0 : 0.0; break;
        case OpLessEqual: --depth; st[depth - 1] = st[depth - 1] <= st[depth] ? 1.0 : 0.0; break;
        case OpLess: --depth; st[depth - 1] = st[depth - 1] < st[depth] ? 1.0 : 0.0; break;
        case OpIntEqual:
            --depth;
            st[depth - 1] = std::floor(st[depth - 1] + 0.5) == std::floor(st[depth] + 0.5) ? 1.0 : 0.0;
            break;
        case OpOr: {
            --depth;
            const double sum = st[depth - 1] + st[depth];
            st[depth - 1] = std::isnan(sum) ? 1.0 : std::min(sum, 1.0);
            break;
        }
        case OpNotEqual: --depth; st[depth - 1] = st[depth - 1] != st[depth] ? 1.0 : 0.0; break;
        case OpIntNotEqual:
            --depth;
            st[depth - 1] = std::floor(st[depth - 1] + 0.5) != std::floor(st[depth] + 0.5) ? 1.0 : 0.0;
            break;
        case OpCall: {
            RBuiltinContext b;
            b.values = c.values;
            b.point = c.point;
            b.nx = c.nx;
            b.ny = c.ny;
            b.dt = c.dt;
            b.sectionLabel = c.label;
            b.position = in.next;
            callFunction(in.operand, st, depth, b);
            break;
        }
        case OpJump: case OpJumpRelative:
            i = in.target;
            break;
        case OpJumpIfFalse: case OpJumpRelativeIfFalse: {
            const double v = finite(st[--depth], in.next);
            if (isZeroFlag(v))
                i = in.target;
            break;
        }
        case OpStore: {
            double v = st[--depth];
            if (!std::isfinite(v)) [[unlikely]] {
                // A residual keeps its value: no substitute gives one that the Newton
                // iteration could drive to zero, and it ends the level on it.
                const double substitute = nonFiniteValue(c.label, in.next, v);
                if (in.operand != KindEquation)
                    v = substitute;
            }
            const int k = in.index;
            switch (in.operand) {
            case KindInput: g.inputs[k] = v; break;
            case KindTemporary: g.temporaries[k] = v; break;
            case KindLocal: g.locals[k] = v; break;
            case KindEquation: c.residuals[k] = v; break;
            case KindVariable:
                c.values[static_cast<std::size_t>(c.point) * n + k] = v;
                t.value[k] = v;
                c.changedRecord = true;
                break;
            case KindSubVariable: c.subValues[k] = v; break;
            default:
                logLine(" ?  W0012  ?");
                g.runWarningCount.fetch_add(1, std::memory_order_relaxed);
                break;
            }
            break;
        }
        case OpPrint: {
            const double v = st[--depth];
            if (g.IPRN != 0) {
                char buf[128];
                std::snprintf(buf, sizeof buf, ", Pointer=%6d, Value=%15.7E", in.next, v);
                logLine(std::string("Group=") + c.label + buf);
            }
            break;
        }
        case OpDirective: {
            double v = st[--depth];
            if (in.operand == DirectiveGrid) {
                const double q = std::floor(v - 0.5);
                int p = 0;
                if (!(q >= 0 && q < np)) {
                    errtra(c.label, in.next, "%GRID", v, 0.0);
                    p = q >= np ? np - 1 : 0;
                } else {
                    p = static_cast<int>(q);
                }
                c.point = p;
                c.x = g.pointX[p];
                c.y = g.pointY[p];
                c.nx = g.normalX[p];
                c.ny = g.normalY[p];
                double tTheta = 0;
                prmval(p, n, c.term, g.oldValues.data(), c.values, c.t - g.DELT * g.ALPHA, g.DELT,
                       g.ALPHA, tTheta);
                c.changedRecord = true;
            } else if (in.operand == DirectiveTerminate) {
                g.terminateValue = finite(v, in.next);
            } else {
                logLine(" ?  W0012  ?");
                g.runWarningCount.fetch_add(1, std::memory_order_relaxed);
            }
            break;
        }
        default:
            logLine(" !  E1099  !");
            g.runErrorCount.fetch_add(1, std::memory_order_relaxed);
            break;
        }
    }
}


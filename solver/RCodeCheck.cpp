#include "solver/RCodeCheck.h"

#include "document/ByteCode.h"

#include <cstdint>
#include <vector>

using namespace ByteCode;

int instructionLength(unsigned char opcode, unsigned char kindOrId)
{
    switch (opcode) {
    case OpPush: return kindHasIndex(kindOrId) ? 4 : 2;
    case OpCall: return 2;
    case OpJumpRelative: case OpJump: case OpJumpRelativeIfFalse: case OpJumpIfFalse: return 5;
    case OpStore: return 4;
    case OpDirective: return 2;
    default: return 1; // operators, no-op, print, and unknown opcodes (reported when executed)
    }
}

namespace {

std::string at(int offset, const std::string& what)
{
    return what + " at byte " + std::to_string(offset);
}

// Count of the table a push or store of `kind` indexes; -1 when the kind names no table.
int tableSize(int kind, bool store, const RCodeLimits& l)
{
    switch (kind) {
    case KindInput: return l.inputCount;
    case KindTemporary: return l.temporaryCount;
    case KindLiteral: return store ? -1 : l.literalCount;
    case KindLocal: return l.localCount;
    case KindEquation: return store ? l.variableCount : -1;
    case KindSubVariable: return l.subVariableCount;
    default:
        if (kind >= KindVariable && kind <= KindUpperY)
            return (!store || kind == KindVariable) ? l.variableCount : -1;
        return -1;
    }
}

bool knownFunction(int id)
{
    if (id >= 24 && id <= 30)
        return true; // unassigned ids: executed as no operation
    for (const FunctionInfo& f : functions)
        if (f.id == id)
            return true;
    return false;
}

} // namespace

std::string checkCodeSection(const unsigned char* code, int size, const RCodeLimits& limits)
{
    std::vector<char> starts(static_cast<std::size_t>(size) + 1, 0);
    struct Jump { int from; std::int64_t target; };
    std::vector<Jump> jumps;
    int pos = 0;
    while (pos < size) {
        const unsigned char op = code[pos];
        const unsigned char next = pos + 1 < size ? code[pos + 1] : 0;
        const int len = instructionLength(op, next);
        if (pos + len > size)
            return at(pos, "incomplete instruction " + std::to_string(op));
        starts[pos] = 1;
        if (op == OpPush || op == OpStore) {
            const int kind = next;
            if (op == OpStore || kindHasIndex(kind)) {
                const int index = code[pos + 2] | (code[pos + 3] << 8);
                const int count = tableSize(kind, op == OpStore, limits);
                if (count >= 0 && (index < 1 || index > count))
                    return at(pos, "operand index " + std::to_string(index) + " of kind "
                                       + std::to_string(kind) + " outside 1.."
                                       + std::to_string(count));
            }
        } else if (op == OpCall) {
            if (!knownFunction(next))
                return at(pos, "unknown function id " + std::to_string(next));
        } else if (len == 5) {
            const std::int32_t operand = static_cast<std::int32_t>(
                static_cast<std::uint32_t>(code[pos + 1]) | (static_cast<std::uint32_t>(code[pos + 2]) << 8)
                | (static_cast<std::uint32_t>(code[pos + 3]) << 16)
                | (static_cast<std::uint32_t>(code[pos + 4]) << 24));
            const bool relative = op == OpJumpRelative || op == OpJumpRelativeIfFalse;
            jumps.push_back({pos, relative ? std::int64_t(pos) + 5 + operand : std::int64_t(operand)});
        }
        pos += len;
    }
    for (const Jump& j : jumps) {
        if (j.target < 0)
            return at(j.from, "jump to negative position " + std::to_string(j.target));
        // The compiler only jumps forward; a jump back (or onto itself) could loop for ever
        // inside one evaluation, where no stop request is looked at.
        if (j.target <= j.from)
            return at(j.from, "jump back to " + std::to_string(j.target));
        if (j.target < size && !starts[static_cast<std::size_t>(j.target)])
            return at(j.from, "jump into the middle of an instruction at "
                                  + std::to_string(j.target));
    }
    return {};
}

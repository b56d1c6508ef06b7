#pragma once
// Structural check of one code section before a run: every instruction complete, operand indices
// within their tables, function ids known, jump targets forward, on an instruction start or
// at/past the end of the section. Code that passes can be executed without reading outside any
// array, and an evaluation ends after at most as many instructions as the section holds.

#include <string>

struct RCodeLimits {
    int inputCount = 0;
    int temporaryCount = 0;
    int literalCount = 0;
    int localCount = 0;
    int variableCount = 0;
    int subVariableCount = 0;
};

// Length in bytes of the instruction starting with `opcode` whose next byte is `kindOrId`.
int instructionLength(unsigned char opcode, unsigned char kindOrId);

// Empty when the section is sound; otherwise one line naming the first fault and its offset.
std::string checkCodeSection(const unsigned char* code, int size, const RCodeLimits& limits);

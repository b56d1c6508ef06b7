#pragma once
// The byte-code contract between the script compiler and the interpreter of the engine.
// Plain C++ with no Qt: the engine includes this header too. Every number here is part of the
// compiled form written into the solver data file; the two sides must agree bit for bit.
//
// A code section is a byte array executed from byte 0 until its end. Each instruction is one
// opcode byte followed by its operands; multi-byte operands are little endian: an index is an
// unsigned 16-bit value (1-based), a jump target a signed 32-bit absolute byte position within
// the same section.

#include <cstddef>

namespace ByteCode {

// Script sections, in compile order.
enum Section : int {
    SectionAssume = 0,
    SectionSubVariable = 1,
    SectionInitial = 2,
    SectionEquation = 3,
    SectionTerminate = 4,
};
inline constexpr int sectionCount = 5;
// Nine-character labels under which the sections travel in the solver data file.
inline constexpr const char* sectionLabels[sectionCount] = {
    "assume   ", "sub var. ", "initial  ", "equation ", "terminate"};

// Opcodes.
enum Opcode : unsigned char {
    OpNop = 0,              // accepted by the interpreter, never written by the compiler
    OpPush = 1,             // kind (1 byte), index (2 bytes) when kind >= 4
    OpAdd = 31,             // "+"  a + b
    OpSub = 32,             // "-"  a - b
    OpMul = 33,             // "*"  a * b
    OpDiv = 34,             // "/"  a / b
    OpPow = 35,             // "**" a to the real power b
    OpIPow = 36,            // "^"  a to the power round(b)
    OpGreater = 37,         // ">"
    OpGreaterEqual = 38,    // ">=" or "=>"
    OpEqual = 39,           // "="  exact
    OpLessEqual = 40,       // "<=" or "=<"
    OpLess = 41,            // "<"
    OpIntEqual = 42,        // "~"  round(a) == round(b)
    OpAnd = 43,             // "&"  a * b
    OpOr = 44,              // "|"  min(1, a + b)
    OpNotEqual = 45,        // "<>" or "><", exact
    OpIntNotEqual = 46,     // "!"  round(a) != round(b)
    OpCall = 51,            // function id (1 byte)
    OpJumpRelative = 101,   // signed 32-bit offset from the end of the operand; never written
    OpJump = 102,           // absolute target (4 bytes)
    OpJumpRelativeIfFalse = 103, // pop; relative jump when round(v) == 0; never written
    OpJumpIfFalse = 104,    // pop; absolute target (4 bytes) when round(v) == 0
    OpStore = 121,          // kind (1 byte), index (2 bytes)
    OpPrint = 122,          // pop and write to the run log
    OpDirective = 123,      // directive code (1 byte)
};
inline constexpr unsigned char firstOperator = OpAdd;
inline constexpr unsigned char lastOperator = OpIntNotEqual;
inline constexpr bool isOperator(int op) { return op >= firstOperator && op <= lastOperator; }

// Binding strength of the operators; higher binds tighter, equal groups from the left.
inline constexpr int operatorPrecedence(int op)
{
    switch (op) {
    case OpAnd: case OpOr: return 1;
    case OpGreater: case OpGreaterEqual: case OpEqual: case OpLessEqual: case OpLess:
    case OpIntEqual: case OpNotEqual: case OpIntNotEqual: return 2;
    case OpAdd: case OpSub: return 3;
    case OpMul: case OpDiv: return 4;
    case OpPow: case OpIPow: return 5;
    default: return 0;
    }
}

// Operand of the directive opcode.
enum DirectiveCode : unsigned char {
    DirectiveTerminate = 9, // pop into the run's terminate value
    DirectiveGrid = 42,     // pop n; grid point n (1-based, rounded) becomes the current point
};

// Operand kinds after push and store.
enum OperandKind : unsigned char {
    KindTime = 1,           // push only, no index
    KindX = 2,              // push only, no index
    KindY = 3,              // push only, no index
    KindInput = 4,
    KindTemporary = 5,
    KindLiteral = 6,        // literal pool entry
    KindLocal = 7,          // local variable table entry
    KindEquation = 8,       // store only: equation residual n
    KindConstantMark = 10,  // the compiler's mark for a labelled constant; never in byte code
    KindVariable = 21,              // value; store only in ASSUME
    KindTimeDerivative = 22,        // u[t]
    KindDdx = 23,                   // u[x]
    KindLowerDiffX = 24,            // u[x,0]  reads d2dy2
    KindUpperDiffX = 25,            // u[x,1]  reads d2dxdy
    KindD2dx2 = 26,                 // u[x,2]
    KindDdy = 27,                   // u[y]
    KindLowerDiffY = 28,            // u[y,0]  reads d2dx2
    KindUpperDiffY = 29,            // u[y,1]  reads d2dxdy
    KindD2dy2 = 30,                 // u[y,2]
    KindD2dxdy = 31,                // u[x,y] or u[y,x]
    KindCentralX = 32,              // u[x,=]
    KindLowerX = 33,                // u[0] along x
    KindUpperX = 34,                // u[1] along x
    KindCentralY = 35,              // u[y,=]
    KindLowerY = 36,                // u[0] along y
    KindUpperY = 37,                // u[1] along y
    KindSubVariable = 41,
};
// Kinds 1 to 3 are pushed without an index.
inline constexpr bool kindHasIndex(int kind) { return kind >= KindInput; }

// Built-in function ids of the call opcode.
enum FunctionId : unsigned char {
    FnAINT = 1, FnANINT = 2, FnABS = 3, FnSIGN = 4, FnMOD = 5, FnDIM = 6, FnMAX = 7, FnMIN = 8,
    FnSQRT = 9, FnEXP = 10, FnLOG = 11, FnLOG10 = 12, FnSIN = 13, FnCOS = 14, FnTAN = 15,
    FnASIN = 16, FnACOS = 17, FnATAN = 18, FnATAN2 = 19, FnSINH = 20, FnCOSH = 21, FnTANH = 22,
    FnERF = 23,
    // 24 to 30 are not assigned; the interpreter treats them as no operation.
    FnINTEGRAL = 31, FnSYSTEM = 32, FnFILE = 33, FnATTRIBUTE = 34, FnUPWINDX = 35,
    FnUPWINDY = 36, FnINTEGRAL1 = 37, FnINTEGRAL2 = 38, FnRESTART = 39, FnINTEGRAL0 = 40,
    FnINTEGRALV = 41, FnINTEGRALG = 42, FnCPROPERTY = 43,
};

// Where a function is available.
enum FunctionScope : unsigned char {
    ScopeAlways = 0,
    ScopeOneDimensional = 1,   // space dimension 1
    ScopeTwoDimensional = 2,   // space dimension 2
    ScopeThermo = 3,           // thermo flag 1 (CPROPERTY)
};

// What the first argument of a function is.
enum FirstArgument : unsigned char {
    FirstPlain = 0,            // an ordinary expression
    FirstVariable = 1,         // a variable's plain name, pushed as a literal holding its index
    FirstVariableAndRegion = 2,// a variable name, then an INTEGRAL1/INTEGRAL2 region name
    FirstProperty = 3,         // a chemistry property name
};

struct FunctionInfo {
    const char* name;
    unsigned char id;
    int argCount;              // including special first arguments; CPROPERTY: by property
    FunctionScope scope;
    FirstArgument first;
};

inline constexpr FunctionInfo functions[] = {
    {"AINT", FnAINT, 1, ScopeAlways, FirstPlain},
    {"ANINT", FnANINT, 1, ScopeAlways, FirstPlain},
    {"ABS", FnABS, 1, ScopeAlways, FirstPlain},
    {"SIGN", FnSIGN, 2, ScopeAlways, FirstPlain},
    {"MOD", FnMOD, 2, ScopeAlways, FirstPlain},
    {"DIM", FnDIM, 2, ScopeAlways, FirstPlain},
    {"MAX", FnMAX, 2, ScopeAlways, FirstPlain},
    {"MIN", FnMIN, 2, ScopeAlways, FirstPlain},
    {"SQRT", FnSQRT, 1, ScopeAlways, FirstPlain},
    {"EXP", FnEXP, 1, ScopeAlways, FirstPlain},
    {"LOG", FnLOG, 1, ScopeAlways, FirstPlain},
    {"LOG10", FnLOG10, 1, ScopeAlways, FirstPlain},
    {"SIN", FnSIN, 1, ScopeAlways, FirstPlain},
    {"COS", FnCOS, 1, ScopeAlways, FirstPlain},
    {"TAN", FnTAN, 1, ScopeAlways, FirstPlain},
    {"ASIN", FnASIN, 1, ScopeAlways, FirstPlain},
    {"ACOS", FnACOS, 1, ScopeAlways, FirstPlain},
    {"ATAN", FnATAN, 1, ScopeAlways, FirstPlain},
    {"ATAN2", FnATAN2, 2, ScopeAlways, FirstPlain},
    {"SINH", FnSINH, 1, ScopeAlways, FirstPlain},
    {"COSH", FnCOSH, 1, ScopeAlways, FirstPlain},
    {"TANH", FnTANH, 1, ScopeAlways, FirstPlain},
    {"ERF", FnERF, 1, ScopeAlways, FirstPlain},
    {"INTEGRAL", FnINTEGRAL, 3, ScopeOneDimensional, FirstVariable},
    {"SYSTEM", FnSYSTEM, 1, ScopeAlways, FirstPlain},
    // Only in EQUATION when the time parameter is used, only in INITIAL when it is not.
    {"FILE", FnFILE, 1, ScopeAlways, FirstPlain},
    {"ATTRIBUTE", FnATTRIBUTE, 1, ScopeAlways, FirstPlain},
    {"UPWINDX", FnUPWINDX, 3, ScopeTwoDimensional, FirstVariable},
    {"UPWINDY", FnUPWINDY, 3, ScopeTwoDimensional, FirstVariable},
    {"INTEGRAL1", FnINTEGRAL1, 2, ScopeTwoDimensional, FirstVariableAndRegion},
    {"INTEGRAL2", FnINTEGRAL2, 2, ScopeTwoDimensional, FirstVariableAndRegion},
    {"RESTART", FnRESTART, 2, ScopeAlways, FirstVariable},
    {"INTEGRAL0", FnINTEGRAL0, 3, ScopeOneDimensional, FirstVariable},
    // The variable must have cell attribute 1 (INTEGRALV) or 0 (INTEGRALG).
    {"INTEGRALV", FnINTEGRALV, 3, ScopeAlways, FirstVariable},
    {"INTEGRALG", FnINTEGRALG, 3, ScopeAlways, FirstVariable},
    {"CPROPERTY", FnCPROPERTY, 1, ScopeThermo, FirstProperty},
};
inline constexpr std::size_t functionCount = sizeof(functions) / sizeof(functions[0]);

// Chemistry property codes of CPROPERTY. The call is encoded as: push literal (code), the
// remaining arguments, push literal (total argument count, the name counted as one), call 43.
enum PropertyCode : unsigned char {
    PropCM1 = 1,
    PropCM0C = 3, PropCM0X = 4, PropCM0Y = 5,
    PropCP0C = 6, PropCP0X = 7, PropCP0Y = 8, PropCR0C = 9, PropCR0X = 10, PropCR0Y = 11,
    PropCX1C = 12, PropCX1Y = 13, PropCY1C = 14, PropCY1X = 15,
    PropCC1XP = 16, PropCC1XR = 17, PropCC1YP = 18, PropCC1YR = 19,
    PropACP1W = 22, PropACP1M = 23, PropACV1W = 24, PropACV1M = 25, PropAH1W = 28, PropAH1M = 29,
    PropACP0W = 36, PropACP0M = 37, PropACV0W = 38, PropACV0M = 39, PropAH0W = 42, PropAH0M = 43,
    PropBV1 = 48, PropBC1 = 49,
    PropBV0 = 50, PropBC0 = 51,
    PropBD1 = 52,
};

struct PropertyInfo {
    const char* name;
    unsigned char code;
    int fixedArgs;        // total argument count is fixedArgs + perSpecies * species count
    int perSpecies;       // 0 or 1
    bool needsTransport;  // the B properties need the transport fits
    // Total number of arguments, the property name counted as one.
    constexpr int argCount(int speciesCount) const { return fixedArgs + perSpecies * speciesCount; }
};

inline constexpr PropertyInfo properties[] = {
    {"CM1", PropCM1, 2, 0, false},
    {"CM0C", PropCM0C, 1, 1, false}, {"CM0X", PropCM0X, 1, 1, false},
    {"CM0Y", PropCM0Y, 1, 1, false},
    {"CP0C", PropCP0C, 3, 1, false}, {"CP0X", PropCP0X, 3, 1, false},
    {"CP0Y", PropCP0Y, 3, 1, false}, {"CR0C", PropCR0C, 3, 1, false},
    {"CR0X", PropCR0X, 3, 1, false}, {"CR0Y", PropCR0Y, 3, 1, false},
    {"CX1C", PropCX1C, 2, 1, false}, {"CX1Y", PropCX1Y, 2, 1, false},
    {"CY1C", PropCY1C, 2, 1, false}, {"CY1X", PropCY1X, 2, 1, false},
    {"CC1XP", PropCC1XP, 4, 1, false}, {"CC1XR", PropCC1XR, 4, 1, false},
    {"CC1YP", PropCC1YP, 4, 1, false}, {"CC1YR", PropCC1YR, 4, 1, false},
    {"ACP1W", PropACP1W, 3, 0, false}, {"ACP1M", PropACP1M, 3, 0, false},
    {"ACV1W", PropACV1W, 3, 0, false}, {"ACV1M", PropACV1M, 3, 0, false},
    {"AH1W", PropAH1W, 3, 0, false}, {"AH1M", PropAH1M, 3, 0, false},
    {"ACP0W", PropACP0W, 2, 1, false}, {"ACP0M", PropACP0M, 2, 1, false},
    {"ACV0W", PropACV0W, 2, 1, false}, {"ACV0M", PropACV0M, 2, 1, false},
    {"AH0W", PropAH0W, 2, 1, false}, {"AH0M", PropAH0M, 2, 1, false},
    {"BV1", PropBV1, 3, 0, true}, {"BC1", PropBC1, 3, 0, true},
    {"BV0", PropBV0, 2, 1, true}, {"BC0", PropBC0, 2, 1, true},
    {"BD1", PropBD1, 4, 1, true},
};
inline constexpr std::size_t propertyCount = sizeof(properties) / sizeof(properties[0]);

// Size of the interpreter's operand stack; the compiler rejects a statement that would need more.
inline constexpr int operandStackSize = 300;
// Largest value of a 16-bit index operand (index, equation number, pool position).
inline constexpr int maxIndex = 65535;

} // namespace ByteCode

#pragma once
// The operand record of one grid point and the decoded form of a code section.
//
// A section's bytes are decoded once per run into an instruction array: operand kinds folded to
// the array they read, indices made 0-based, jump targets turned into instruction numbers. The
// evaluation of a point then walks that array without reading a byte or allocating anything.

#include <cstdint>
#include <vector>

// Values that variable references of point p read, one entry per variable: filled by
// RRazava::prmval before the point's sections run.
struct SPtTerm {
    std::vector<double> value;          // theta level: alpha*new + (1 - alpha)*old
    std::vector<double> timeDerivative; // (new - old) / dt
    std::vector<double> ddx, ddy;
    std::vector<double> d2dx2, d2dy2, d2dxdy;
    std::vector<double> lowerValue, upperValue; // one-dimensional neighbours (clamped)

    void allocate(int n)
    {
        for (auto* v : {&value, &timeDerivative, &ddx, &ddy, &d2dx2, &d2dy2, &d2dxdy,
                        &lowerValue, &upperValue})
            v->assign(static_cast<std::size_t>(n), 0.0);
    }
};

// Push sources after decoding: synonymous operand kinds share one source.
enum RPushSource : std::uint8_t {
    pushNothing = 0, // a kind the compiler never writes: pushes 0
    pushTime, pushX, pushY, pushInput, pushTemporary, pushLiteral, pushLocal,
    pushValue, pushTimeDerivative, pushDdx, pushDdy, pushD2dx2, pushD2dy2, pushD2dxdy,
    pushCentral, pushLower, pushUpper, pushSubVariable,
};

struct RInstruction {
    std::uint8_t opcode = 0;
    std::uint8_t operand = 0;  // push source, store kind, function id or directive byte
    int index = 0;             // 0-based operand index
    int target = 0;            // jumps: instruction number to go on at (count = end)
    int position = 0;          // byte offset of the opcode
    int next = 0;              // byte offset after the instruction
};

struct RDecodedSection {
    std::vector<RInstruction> code;
    int maxDepth = 0;          // worst-case operand stack depth
    bool underflow = false;    // some pop can meet an empty stack
};

// One evaluation of a section for one point.
struct REvalContext {
    SPtTerm* term = nullptr;
    double* subValues = nullptr; // sub variables of the point (kind 41)
    double t = 0;                // evaluation time
    double dt = 0;
    double x = 0, y = 0;         // the point and its boundary normal
    double nx = 0, ny = 0;
    int point = 0;               // 0-based
    double* values = nullptr;    // current values of all variables, point-major
    double* residuals = nullptr; // one slot per equation of the point (kind 8)
    const RDecodedSection* section = nullptr;
    const char* label = "";
    // Set by the evaluation when it ran %GRID or stored into a variable: the operand record no
    // longer holds the point's values as a refill would give them (never cleared by it).
    bool changedRecord = false;
};

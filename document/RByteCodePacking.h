#pragma once
// Little-endian packing of the multi-byte operands of a code section: 16-bit indices and
// 32-bit jump targets, low byte first, no alignment. Header-only plain C++, so the engine
// (which has no Qt) reads code with the same functions the compiler writes it with.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

// A code section: a growable byte array with its own length.
using RCodeSection = std::vector<unsigned char>;

// Appends the value's low byte, then its high byte.
inline void PutUWord(unsigned short value, RCodeSection& code)
{
    code.push_back(static_cast<unsigned char>(value & 0xFF));
    code.push_back(static_cast<unsigned char>(value >> 8));
}

// Overwrites the four bytes at pos..pos+3 with the value, low byte first; the length does not
// change. Throws std::out_of_range when the four bytes do not all lie inside the array.
inline void PutSInt(int value, RCodeSection& code, int pos)
{
    if (pos < 0 || static_cast<std::size_t>(pos) + 4 > code.size())
        throw std::out_of_range("PutSInt: position outside the code section");
    const auto u = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        code[static_cast<std::size_t>(pos) + i] = static_cast<unsigned char>(u >> (8 * i));
}

// code[pos] + 256 * code[pos+1]; advances pos by 2. No bounds check.
inline unsigned GetUWord(const unsigned char* code, int& pos)
{
    const unsigned v = code[pos] + 256u * code[pos + 1];
    pos += 2;
    return v;
}

// The signed 32-bit value of the four bytes at pos, low byte first; advances pos by 4.
// No bounds check.
inline int GetSInt(const unsigned char* code, int& pos)
{
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i)
        u |= static_cast<std::uint32_t>(code[pos + i]) << (8 * i);
    pos += 4;
    return static_cast<std::int32_t>(u);
}

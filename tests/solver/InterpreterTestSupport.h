#pragma once
// Helpers of the interpreter and Newton tests: a small assembler for byte code, and
// one-dimensional solver data files built from the grid1d fixture with chosen code.
#include "SolverTestSupport.h"
#include "document/ByteCode.h"
#include "solver/RRazava.h"

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// Builds a code section instruction by instruction; labels resolve forward jumps.
struct CodeBuilder {
    std::vector<unsigned char> bytes;

    CodeBuilder& op(int opcode) { bytes.push_back(static_cast<unsigned char>(opcode)); return *this; }
    CodeBuilder& word(int v)
    {
        bytes.push_back(static_cast<unsigned char>(v & 0xff));
        bytes.push_back(static_cast<unsigned char>((v >> 8) & 0xff));
        return *this;
    }
    CodeBuilder& sint(int v)
    {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<unsigned char>((static_cast<unsigned>(v) >> (8 * i)) & 0xff));
        return *this;
    }
    CodeBuilder& push(int kind, int index = 0)
    {
        op(ByteCode::OpPush).op(kind);
        if (ByteCode::kindHasIndex(kind))
            word(index);
        return *this;
    }
    CodeBuilder& store(int kind, int index) { return op(ByteCode::OpStore).op(kind).word(index); }
    CodeBuilder& call(int id) { return op(ByteCode::OpCall).op(id); }
    CodeBuilder& directive(int code) { return op(ByteCode::OpDirective).op(code); }
    // A jump whose 32-bit operand is patched later; returns the operand's offset.
    int jump(int opcode)
    {
        op(opcode);
        const int at = static_cast<int>(bytes.size());
        sint(0);
        return at;
    }
    void patch(int at, int value)
    {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<unsigned char>((static_cast<unsigned>(value) >> (8 * i)) & 0xff);
    }
    int here() const { return static_cast<int>(bytes.size()); }
};

// A run folder holding doc.MVAT$ (the engine writes its log beside it).
struct RunFolder {
    QTemporaryDir dir;
    std::string data;
    explicit RunFolder(const std::vector<std::string>& lines)
    {
        data = dir.path().toStdString() + "/doc.MVAT$";
        writeAll(data, joinLines(lines));
    }
    std::string log() const { return readAll(dir.path().toStdString() + "/doc.MVL3$"); }
};

inline int lineStarting(const std::vector<std::string>& lines, const std::string& start)
{
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].rfind(start, 0) == 0)
            return static_cast<int>(i);
    return -1;
}

inline std::string codeLine(const std::vector<unsigned char>& bytes)
{
    std::string s;
    for (unsigned char b : bytes) {
        char buf[8];
        std::snprintf(buf, sizeof buf, " %03d", b);
        s += buf;
    }
    return s;
}

// The grid1d fixture with np evenly spaced points on [0, 1], MISES and METHOD as given, the
// literal pool and the EQUATION and SUB VARIABLE code replaced (one variable, no sub
// variables unless the code names one).
inline std::vector<std::string> oneDimensionalFile(int np, int mises, int method,
                                                   const std::vector<double>& literals,
                                                   const std::vector<unsigned char>& equation)
{
    std::vector<std::string> in = splitLines(readAll(fixturePath("grid1d.MVAT$")));
    in[5] = std::to_string(mises) + ", 1, 3, " + std::to_string(method) + ", 1, 0";
    std::vector<std::string> out(in.begin(), in.begin() + lineStarting(in, "5 /grid"));
    auto row = [&](const std::function<double(int)>& f) {
        std::string s;
        for (int p = 0; p < np; ++p) {
            char buf[32];
            std::snprintf(buf, sizeof buf, " %21.14E", f(p));
            s += buf;
        }
        out.push_back(s);
    };
    out.push_back(std::to_string(np) + " /grid");
    row([&](int p) { return p == np - 1 ? 1.0 : static_cast<double>(p) / (np - 1); });
    row([](int) { return 0.0; });
    row([](int) { return 0.0; });
    row([](int) { return 1.0; });
    out.push_back("0 /input");
    out.push_back(std::to_string(literals.size()) + " /constant");
    std::string lit;
    for (double v : literals) {
        char buf[32];
        std::snprintf(buf, sizeof buf, " %21.14E", v);
        lit += buf;
    }
    out.push_back(lit);
    std::string attributes, counts;
    for (int p = 0; p < np; ++p) {
        attributes += p == 0 ? " 1" : p == np - 1 ? " 2" : " 0";
        counts += " 3";
    }
    out.push_back(attributes);
    out.push_back(counts);
    for (int p = 1; p <= np; ++p) {
        if (p == 1)
            out.push_back(" 1 2 3");
        else if (p == np)
            out.push_back(" " + std::to_string(np) + " " + std::to_string(np - 2) + " "
                          + std::to_string(np - 1));
        else
            out.push_back(" " + std::to_string(p) + " " + std::to_string(p - 1) + " "
                          + std::to_string(p + 1));
    }
    int i = lineStarting(in, "0 /Integral1");
    for (; i < static_cast<int>(in.size()); ++i) {
        if (in[i].rfind("13 /equation", 0) == 0) {
            out.push_back(std::to_string(equation.size()) + " /equation ");
            if (!equation.empty())
                out.push_back(codeLine(equation));
            ++i;
            continue;
        }
        out.push_back(in[i]);
    }
    return out;
}

// The Jacobian's column refresh: a perturbed column refreshes only the operand entries of the
// variables perturbed now and before. Every assembled matrix, right-hand side and Newton result
// must equal bit for bit the ones of a full refill of the operand record per column, on plain
// code, on a two-dimensional mesh, and on code that moves to another point (%GRID) or stores
// into a variable, where the refresh must fall back to the full refill.
#include "InterpreterTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace ByteCode;

namespace {

template <class T>
bool sameBits(const std::vector<T>& a, const std::vector<T>& b)
{
    return a.size() == b.size()
           && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

template <class T>
std::vector<T> flat(const SMatrixRows<T>& rows)
{
    if (rows.empty())
        return {};
    return std::vector<T>(rows[0], rows[0] + rows.count() * rows.width());
}

// Everything one assembly of all points writes.
struct Assembly {
    std::vector<double> rows, diagonal, rightHandSide, solution, values, nonZeroValues;
    std::vector<SolverIndex> rowColumns, counts, nonZeroRows, nonZeroColumns;

    void expectSameBits(const Assembly& o, const std::string& what) const
    {
        EXPECT_TRUE(sameBits(rows, o.rows)) << what;
        EXPECT_TRUE(sameBits(diagonal, o.diagonal)) << what;
        EXPECT_TRUE(sameBits(rightHandSide, o.rightHandSide)) << what;
        EXPECT_TRUE(sameBits(solution, o.solution)) << what;
        EXPECT_TRUE(sameBits(values, o.values)) << what;
        EXPECT_TRUE(sameBits(nonZeroValues, o.nonZeroValues)) << what;
        EXPECT_TRUE(sameBits(rowColumns, o.rowColumns)) << what;
        EXPECT_TRUE(sameBits(counts, o.counts)) << what;
        EXPECT_TRUE(sameBits(nonZeroRows, o.nonZeroRows)) << what;
        EXPECT_TRUE(sameBits(nonZeroColumns, o.nonZeroColumns)) << what;
    }
};

Assembly assemble(RRazava& e, double dt, double tOld)
{
    MORVGlobalData& g = *e.globalData();
    SSolverMatrix& M = *e.matrix;
    M.clearForRebuild();
    e.nonZeroCount = 0;
    for (int p = 0; p < g.pointCount; ++p)
        EXPECT_TRUE(e.jacobi(p, dt, tOld, true)) << p;
    EXPECT_EQ(g.runErrorCount, 0);
    Assembly a;
    a.rows = flat(M.rows);
    a.rowColumns = flat(M.rowColumns);
    a.diagonal = M.diagonal;
    a.rightHandSide = M.rightHandSide;
    a.solution = M.solution;
    a.counts = M.pivotsOrCounts;
    a.values = g.newValues;
    a.nonZeroValues.assign(e.nonZeroValues.begin(), e.nonZeroValues.begin() + e.nonZeroCount);
    a.nonZeroRows.assign(e.nonZeroRows.begin(), e.nonZeroRows.begin() + e.nonZeroCount);
    a.nonZeroColumns.assign(e.nonZeroColumns.begin(), e.nonZeroColumns.begin() + e.nonZeroCount);
    return a;
}

// Three coupled variables on a one-dimensional grid, each with a diffusion term.
// Literals: 1, 0, 0.5, 0.3, 0.7, 2, 0.1, 0.2, 0.25.
enum { L1 = 1, L0, LHalf, LLow, LHigh, LTwo, LTenth, LFifth, LQuarter };
const std::vector<double> literals1d{1, 0, 0.5, 0.3, 0.7, 2, 0.1, 0.2, 0.25};

enum class Variant {
    Plain,
    MoveAndStore, // stores or moves in every evaluation of some points
    StoreOnce,    // stores in one column of some points only
};

// r1 = u1[x,2] + exp(u1) + 0.1 u2, r2 = u2[x,2] - u2 + 0.5 u1, r3 = u3[x,2] - u3 + 0.2 u1 inside;
// rk = uk at both ends. MoveAndStore: points with x < 0.3 first store 0.5 u1 + 0.5 u2 into u2,
// and points with x > 0.7 move to grid point 2 after r1 and r3 and before r2 adds 0.1 u3 (read
// at that point). StoreOnce: where u1 <> 0.5, first 0.5 u3 + 0.25 is stored into u3; with
// u1 = 0.5 at a point, only the column that perturbs u1 there stores.
std::vector<unsigned char> coupled1d(Variant variant)
{
    const bool moveAndStore = variant == Variant::MoveAndStore;
    CodeBuilder b;
    b.push(KindX).push(KindX).push(KindLiteral, L1).op(OpSub).op(OpMul).push(KindLiteral, L0)
        .op(OpEqual);
    const int interior = b.jump(OpJumpIfFalse);
    for (int k = 1; k <= 3; ++k)
        b.push(KindVariable, k).store(KindEquation, k);
    const int end = b.jump(OpJump);
    b.patch(interior, b.here());
    if (variant == Variant::StoreOnce) {
        b.push(KindVariable, 1).push(KindLiteral, LHalf).op(OpNotEqual);
        const int noStore = b.jump(OpJumpIfFalse);
        b.push(KindVariable, 3).push(KindLiteral, LHalf).op(OpMul).push(KindLiteral, LQuarter)
            .op(OpAdd).store(KindVariable, 3);
        b.patch(noStore, b.here());
    }
    if (moveAndStore) {
        b.push(KindX).push(KindLiteral, LLow).op(OpLess);
        const int noStore = b.jump(OpJumpIfFalse);
        b.push(KindVariable, 1).push(KindLiteral, LHalf).op(OpMul);
        b.push(KindVariable, 2).push(KindLiteral, LHalf).op(OpMul).op(OpAdd);
        b.store(KindVariable, 2);
        b.patch(noStore, b.here());
    }
    b.push(KindD2dx2, 1).push(KindVariable, 1).call(FnEXP).op(OpAdd);
    b.push(KindLiteral, LTenth).push(KindVariable, 2).op(OpMul).op(OpAdd).store(KindEquation, 1);
    b.push(KindD2dx2, 3).push(KindVariable, 3).op(OpSub);
    b.push(KindLiteral, LFifth).push(KindVariable, 1).op(OpMul).op(OpAdd).store(KindEquation, 3);
    b.push(KindD2dx2, 2).push(KindVariable, 2).op(OpSub);
    b.push(KindLiteral, LHalf).push(KindVariable, 1).op(OpMul).op(OpAdd);
    if (moveAndStore) {
        b.store(KindTemporary, 1);
        b.push(KindX).push(KindLiteral, LHigh).op(OpGreater);
        const int noMove = b.jump(OpJumpIfFalse);
        b.push(KindLiteral, LTwo).directive(DirectiveGrid);
        b.patch(noMove, b.here());
        b.push(KindTemporary, 1).push(KindLiteral, LTenth).push(KindVariable, 3).op(OpMul)
            .op(OpAdd);
    }
    b.store(KindEquation, 2);
    b.patch(end, b.here());
    return b.bytes;
}

std::vector<std::string> threeVariables1d(int np, int method, Variant variant)
{
    std::vector<std::string> lines = oneDimensionalFile(np, 1, method, literals1d,
                                                        coupled1d(variant));
    lines[3] = "3, 0, 1, 0";
    lines[4] = " 0 0 0";
    return lines;
}

// Theta level 0.5 between distinct old and new values, so that a record entry taken from the
// wrong point, the wrong level or a stored raw value shows in the bits; u1 = 0.5 at every
// third point.
void prepare(MORVGlobalData& g)
{
    g.ALPHA = 0.5;
    g.OMEGA = 1.0;
    g.DELP = 1e-7;
    g.DELT = 0.01;
    g.FLOATINGERROR = 1;
    g.IPRT = 0;
    for (std::size_t i = 0; i < g.newValues.size(); ++i) {
        g.oldValues[i] = 0.01 * static_cast<double>(i % 7);
        g.newValues[i] = 0.02 + 0.013 * static_cast<double>(i % 11);
    }
    for (std::size_t i = 0; i < g.newValues.size(); i += 3 * g.variableCount)
        g.oldValues[i] = g.newValues[i] = 0.5;
}

// Two engines on one solver data file, the second refilling the whole record every column.
struct Pair {
    RunFolder folder;
    RRazava refreshed, refilled;
    explicit Pair(const std::vector<std::string>& lines)
        : folder(lines), refreshed("MORV", folder.data), refilled("MORV", folder.data)
    {
        refilled.fullColumnRefill = true;
        prepare(*refreshed.globalData());
        prepare(*refilled.globalData());
    }
    bool ready() const
    {
        return refreshed.globalData()->runStatus == 0 && refilled.globalData()->runStatus == 0;
    }
};

} // namespace

TEST(JacobianRefresh, OneDimensionalAssemblyEqualsFullRefill)
{
    const std::pair<Variant, const char*> variants[] = {
        {Variant::Plain, "plain"},
        {Variant::MoveAndStore, "with %GRID and a store"},
        {Variant::StoreOnce, "with a store in one column"},
    };
    const std::pair<int, int> methods[] = {{0, kMethodExternalSparse}, {1, 5}, {3, 3}};
    for (auto [variant, name] : variants) {
        for (auto [method, linearMethod] : methods) {
            const std::string what = "METHOD " + std::to_string(method) + " " + name;
            Pair pair(threeVariables1d(11, method, variant));
            ASSERT_TRUE(pair.ready()) << pair.refreshed.startupReason();
            ASSERT_EQ(pair.refreshed.matrix->method, linearMethod);
            if (linearMethod == kMethodExternalSparse) {
                ASSERT_FALSE(pair.refreshed.nonZeroValues.empty());
            }
            // Two assemblies in a row: the second starts from the values the first's stores
            // left.
            for (int round = 0; round < 2; ++round) {
                const Assembly a = assemble(pair.refreshed, 0.01, 0.0);
                const Assembly b = assemble(pair.refilled, 0.01, 0.0);
                a.expectSameBits(b, what);
                const auto nonZero = [](const std::vector<double>& v) {
                    return std::count_if(v.begin(), v.end(), [](double e) { return e != 0; });
                };
                EXPECT_GT(nonZero(a.rows) + nonZero(a.nonZeroValues), 3 * 11) << what;
            }
        }
    }
}

TEST(JacobianRefresh, NewtonResultEqualsFullRefill)
{
    for (int method : {0, 1, 3}) {
        for (Variant variant : {Variant::Plain, Variant::MoveAndStore, Variant::StoreOnce}) {
            const int v = static_cast<int>(variant);
            Pair pair(threeVariables1d(11, method, variant));
            ASSERT_TRUE(pair.ready()) << pair.refreshed.startupReason();
            MORVGlobalData& a = *pair.refreshed.globalData();
            MORVGlobalData& b = *pair.refilled.globalData();
            a.LMAX = b.LMAX = 6;
            a.EPS = b.EPS = 1e-13;
            const int ra = pair.refreshed.solver(0.01, 0.0, 0.1);
            const int rb = pair.refilled.solver(0.01, 0.0, 0.1);
            EXPECT_EQ(ra, rb) << method << " " << v;
            EXPECT_EQ(a.iterationCount, b.iterationCount) << method << " " << v;
            EXPECT_TRUE(sameBits(a.newValues, b.newValues)) << method << " " << v;
            EXPECT_TRUE(sameBits(a.maxCorrection, b.maxCorrection)) << method << " " << v;
            if (variant == Variant::Plain) {
                EXPECT_EQ(ra, 0);
                EXPECT_LT(a.iterationCount, a.LMAX) << method; // a plain system converges
            }
        }
    }
}

TEST(JacobianRefresh, TwoDimensionalAssemblyEqualsFullRefill)
{
    // Both variables through every derivative of the mesh's six-point stencils:
    // r1 = u1[x,2] + u1[y,2] + 0.5 u1[x,y] + u1[x] - u1 u2 + u2[y] - 2,
    // r2 = u2 - 0.5 u1 + u2[x] (u1[t] + 1); with `store`, u2 := 0.5 (u1 + u2) first at points
    // with x < 0.3.
    for (bool store : {false, true}) {
        CodeBuilder b;
        if (store) {
            b.push(KindX).push(KindLiteral, 4).op(OpLess);
            const int skip = b.jump(OpJumpIfFalse);
            b.push(KindVariable, 1).push(KindVariable, 2).op(OpAdd).push(KindLiteral, 3)
                .op(OpMul).store(KindVariable, 2);
            b.patch(skip, b.here());
        }
        b.push(KindD2dx2, 1).push(KindD2dy2, 1).op(OpAdd);
        b.push(KindLiteral, 3).push(KindD2dxdy, 1).op(OpMul).op(OpAdd);
        b.push(KindDdx, 1).op(OpAdd).push(KindVariable, 1).push(KindVariable, 2).op(OpMul)
            .op(OpSub);
        b.push(KindDdy, 2).op(OpAdd).push(KindLiteral, 2).op(OpSub).store(KindEquation, 1);
        b.push(KindVariable, 2).push(KindLiteral, 3).push(KindVariable, 1).op(OpMul).op(OpSub);
        b.push(KindDdx, 2).push(KindTimeDerivative, 1).push(KindLiteral, 1).op(OpAdd).op(OpMul)
            .op(OpAdd).store(KindEquation, 2);
        std::vector<std::string> lines = splitLines(readAll(fixturePath("mesh2d.MVAT$")));
        const int pool = lineStarting(lines, "3 /constant");
        ASSERT_GE(pool, 0);
        lines[pool + 1] = "  1.00000000000000E+00  2.00000000000000E+00  5.00000000000000E-01"
                          "  3.00000000000000E-01";
        lines[pool] = "4 /constant";
        const int at = lineStarting(lines, "21 /equation");
        ASSERT_GE(at, 0);
        lines[at] = std::to_string(b.bytes.size()) + " /equation ";
        lines[at + 1] = codeLine(b.bytes);
        lines.erase(lines.begin() + at + 2);
        ASSERT_EQ(lines[6], "1, 0, 3, 0, 1, 1");
        // METHOD 0 fills the non-zero list for the external solver, METHOD 1 the row lists.
        for (auto [method, linearMethod] : {std::pair{0, kMethodExternalSparse},
                                            std::pair{1, kMethodIterative}}) {
            lines[6] = "1, 0, 3, " + std::to_string(method) + ", 1, 1";
            Pair pair(lines);
            ASSERT_TRUE(pair.ready()) << pair.refreshed.startupReason();
            ASSERT_EQ(pair.refreshed.matrix->method, linearMethod);
            ASSERT_EQ(pair.refreshed.globalData()->variableCount, 2);
            for (int round = 0; round < 2; ++round) {
                const Assembly a = assemble(pair.refreshed, 0.01, 0.0);
                const Assembly c = assemble(pair.refilled, 0.01, 0.0);
                a.expectSameBits(c, (store ? "mesh with a store, METHOD " : "mesh, METHOD ")
                                        + std::to_string(method));
                const std::vector<double>& entries =
                    linearMethod == kMethodIterative ? a.rows : a.nonZeroValues;
                EXPECT_GT(std::count_if(entries.begin(), entries.end(),
                                        [](double e) { return e != 0; }),
                          2 * 9) << store << " " << method;
            }
        }
    }
}

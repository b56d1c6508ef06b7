// The Newton iteration of one level on hand-assembled residuals: the discrete Bratu problem on
// every one-dimensional linear method, relaxation, the refresh period, the result codes and
// the log lines.
#include "InterpreterTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace ByteCode;

namespace {

// u'' + exp(u) = 0 inside, u = 0 where x (x - 1) = 0. Literals: 1, 0.
std::vector<unsigned char> bratu()
{
    CodeBuilder b;
    b.push(KindX).push(KindX).push(KindLiteral, 1).op(OpSub).op(OpMul).push(KindLiteral, 2).op(OpEqual);
    const int interior = b.jump(OpJumpIfFalse);
    b.push(KindVariable, 1).store(KindEquation, 1);
    const int end = b.jump(OpJump);
    b.patch(interior, b.here());
    b.push(KindD2dx2, 1).push(KindVariable, 1).call(FnEXP).op(OpAdd).store(KindEquation, 1);
    b.patch(end, b.here());
    return b.bytes;
}

struct Level {
    RunFolder folder;
    RRazava engine;
    MORVGlobalData& g;
    Level(int np, int mises, int method, const std::vector<double>& literals,
          const std::vector<unsigned char>& equation)
        : folder(oneDimensionalFile(np, mises, method, literals, equation)),
          engine("MORV", folder.data), g(*engine.globalData())
    {
        g.ALPHA = 1.0;
        g.OMEGA = 1.0;
        g.EPS = 1e-12;
        g.DELP = 1e-7;
        g.LMAX = 30;
        g.FLOATINGERROR = 0;
        g.IPRT = 0;
    }
    std::string log()
    {
        FlushFile(g.logFile);
        return folder.log();
    }
};

} // namespace

TEST(Newton, BratuOnEveryOneDimensionalMethod)
{
    struct Case {
        int mises, method, linearMethod;
    } cases[] = {{1, 0, -1}, {1, 1, 5}, {1, 3, 3}, {3, 0, 5}, {0, 0, -1}};
    for (const Case& c : cases) {
        Level l(21, c.mises, c.method, {1, 0}, bratu());
        ASSERT_EQ(l.g.runStatus, 0) << l.engine.startupReason();
        ASSERT_EQ(l.engine.matrix->method, c.linearMethod);
        EXPECT_EQ(l.engine.solver(0.01, 0.0, 0.1), 0) << c.method;
        EXPECT_NEAR(l.g.newValues[10], 0.1405748181, 1e-9) << c.mises << " " << c.method;
        EXPECT_NEAR(l.g.newValues[0], 0.0, 1e-15);
        EXPECT_LE(l.g.maxCorrection[0], 1e-12);
        EXPECT_GT(l.g.iterationCount, 1);
        EXPECT_EQ(l.g.currentTime, 0.01);
    }
}

TEST(Newton, RepeatedSolvesAreBitForBitEqual)
{
    Level a(21, 1, 0, {1, 0}, bratu());
    Level b(21, 1, 0, {1, 0}, bratu());
    ASSERT_EQ(a.engine.solver(0.01, 0.0, 0.1), 0);
    ASSERT_EQ(b.engine.solver(0.01, 0.0, 0.1), 0);
    EXPECT_EQ(a.g.newValues, b.g.newValues);
}

TEST(Newton, RelaxationGrowsTowardOneAndUnconvergedLevelWarns)
{
    for (double omega : {0.5, -0.5}) {
        Level l(21, 1, 0, {1, 0}, bratu());
        l.g.OMEGA = omega;
        l.g.LMAX = 10;
        l.g.EPS = 0; // never reached
        l.g.IPRT = 2;
        const int warnings = l.g.runWarningCount;
        EXPECT_EQ(l.engine.solver(0.01, 0.0, 0.1), 0);
        EXPECT_EQ(l.g.iterationCount, 10);
        EXPECT_EQ(l.g.runWarningCount, warnings + 1);
        const std::string log = l.log();
        EXPECT_NE(log.find("L=     1 (0.5000): "), std::string::npos) << log;
        EXPECT_NE(log.find(omega > 0 ? "L=     2 (0.6500): " : "L=     2 (0.5000): "),
                  std::string::npos) << log;
        EXPECT_NE(log.find(omega > 0 ? "L=     3 (0.7550): " : "L=     3 (0.5000): "),
                  std::string::npos) << log;
        EXPECT_NE(log.find(" ?  W0011  ?   TIME= 1.0000E-02, ERROR="), std::string::npos) << log;
    }
}

TEST(Newton, LevelListingAfterConvergence)
{
    Level l(21, 1, 0, {1, 0}, bratu());
    l.g.IPRT = 1;
    ASSERT_EQ(l.engine.solver(0.01, 0.0, 0.1), 0);
    const std::string log = l.log();
    char line[160];
    EXPECT_EQ(l.g.iterationCount, 4);
    EXPECT_NE(log.find("* time =  1.0000000E-02, dt =  1.0000000E-02 (repeated     4 times)\r\n"),
              std::string::npos) << log;
    // Sample points 0, 7, 13 and 20.
    std::snprintf(line, sizeof line, "* [  1]  %12.4E %12.4E %12.4E %12.4E (err=%11.4E)",
                  l.g.newValues[0], l.g.newValues[7], l.g.newValues[13], l.g.newValues[20],
                  l.g.maxCorrection[0]);
    EXPECT_NE(log.find(line), std::string::npos) << log;
}

TEST(Newton, MatrixListingStopsTheRun)
{
    Level l(5, 1, 1, {1, 0}, bratu());
    l.g.IPRT = 13;
    ASSERT_EQ(l.engine.AllocNonZeroList(), 0); // the listing reads the non-zero list
    EXPECT_EQ(l.engine.solver(0.01, 0.0, 0.1), 0);
    EXPECT_EQ(l.g.stopRequest, 2);
    EXPECT_EQ(l.g.iterationCount, 0);
    const std::string log = l.log();
    // Boundary rows 1 and 5 have one entry, the three inner rows three: 11 entries.
    EXPECT_NE(log.find("*** matrix information nz=      11, kmatrx=      50"), std::string::npos) << log;
    EXPECT_NE(log.find("       1:     1     1   1.0000000E+00\r\n       2:     2     2  -3.1000000E+01"), std::string::npos) << log;
    EXPECT_NE(log.find("*** constant vector\r\n       1:  0.0000000E+00\r\n       2:  1.0000000E+00"),
              std::string::npos) << log;
}

TEST(Newton, ResultCodes)
{
    // residual = u - 1 + 0 * (1 / 0): converges, but every iteration has a math error.
    CodeBuilder mathError;
    mathError.push(KindVariable, 1).push(KindLiteral, 1).op(OpSub);
    mathError.push(KindLiteral, 2).push(KindLiteral, 1).push(KindLiteral, 2).op(OpDiv).op(OpMul);
    mathError.op(OpAdd).store(KindEquation, 1);
    for (int floatingError : {0, 1}) {
        Level l(5, 1, 1, {1, 0}, mathError.bytes);
        l.g.FLOATINGERROR = floatingError;
        EXPECT_EQ(l.engine.solver(0.01, 0.0, 0.1), floatingError == 0 ? 2 : 0);
        EXPECT_DOUBLE_EQ(l.g.newValues[3], 1.0);
    }
    // A constant residual has a zero Jacobian: the band factorisation fails.
    CodeBuilder constant;
    constant.push(KindLiteral, 1).store(KindEquation, 1);
    {
        Level l(5, 1, 1, {1, 0}, constant.bytes);
        EXPECT_EQ(l.engine.solver(0.01, 0.0, 0.1), 1);
    }
    {
        Level l(5, 1, 0, {1, 0}, constant.bytes);
        EXPECT_EQ(l.engine.solver(0.01, 0.0, 0.1), 1);
    }
    // An overflowing residual ends the solve with 2 whatever FLOATINGERROR is.
    CodeBuilder overflow;
    overflow.push(KindVariable, 1).push(KindLiteral, 1).op(OpAdd).push(KindLiteral, 2).op(OpMul)
        .push(KindLiteral, 2).op(OpMul).store(KindEquation, 1);
    {
        Level l(5, 1, 1, {1, 1e300}, overflow.bytes);
        l.g.FLOATINGERROR = 1;
        EXPECT_EQ(l.engine.solver(0.01, 0.0, 0.1), 2);
    }
    // An unknown opcode met during assembly ends the level with 11.
    {
        Level l(5, 1, 1, {1, 0}, bratu());
        const unsigned char bad[] = {200};
        l.engine.decoded[ByteCode::SectionEquation] = RRazava::decodeSection(bad, 1, l.g.literals);
        EXPECT_EQ(l.engine.solver(0.01, 0.0, 0.1), 11);
    }
}

TEST(Newton, StopRequestEndsTheLevelAfterTheLinearSolve)
{
    Level l(21, 1, 0, {1, 0}, bratu());
    l.g.stopRequest = 1;
    EXPECT_EQ(l.engine.solver(0.01, 0.0, 0.1), 0);
    EXPECT_EQ(l.g.iterationCount, 0);
    EXPECT_EQ(l.g.newValues[10], 0.0); // the correction was not applied
}

TEST(Newton, ChordIterationsReuseTheFactors)
{
    // MISES 3 on a band method: rebuilds in iterations 0, 3, 6, ... With LMAX 2 only the first
    // factorisation is made, so a changed Jacobian entry after it does not enter the second.
    Level chord(21, 3, 1, {1, 0}, bratu());
    Level full(21, 1, 1, {1, 0}, bratu());
    chord.g.LMAX = full.g.LMAX = 2;
    chord.g.EPS = full.g.EPS = 0;
    chord.engine.solver(0.01, 0.0, 0.1);
    full.engine.solver(0.01, 0.0, 0.1);
    // The first iterations agree; the second differs as the chord step keeps the first Jacobian.
    EXPECT_NE(chord.g.newValues[10], full.g.newValues[10]);
    EXPECT_NEAR(chord.g.newValues[10], full.g.newValues[10], 1e-3);
}

// The mesh fixture with MISES and METHOD as given and its EQUATION code replaced; the engine
// built from it with the level's control values.
struct MeshLevel {
    RunFolder folder;
    RRazava engine;
    MORVGlobalData& g;
    MeshLevel(int mises, int METHOD, const std::vector<unsigned char>& equation)
        : folder(meshLines(mises, METHOD, equation)), engine("MORV", folder.data),
          g(*engine.globalData())
    {
        g.ALPHA = 1.0;
        g.OMEGA = 1.0;
        g.EPS = 1e-12;
        g.LMAX = 30;
        std::fill(g.newValues.begin(), g.newValues.end(), 1.0);
        std::fill(g.oldValues.begin(), g.oldValues.end(), 1.0);
    }
    static std::vector<std::string> meshLines(int mises, int METHOD,
                                              const std::vector<unsigned char>& equation)
    {
        std::vector<std::string> lines = splitLines(readAll(fixturePath("mesh2d.MVAT$")));
        const int at = lineStarting(lines, "21 /equation");
        lines[6] = std::to_string(mises) + ", 0, 3, " + std::to_string(METHOD) + ", 1, 1";
        lines[at] = std::to_string(equation.size()) + " /equation ";
        lines[at + 1] = codeLine(equation);
        lines.erase(lines.begin() + at + 2);
        return lines;
    }
};

TEST(Newton, TwoDimensionalRunRebuildsTheJacobianEveryIterationOnEitherMethod)
{
    // u1^2 = 2 and u2 = u1 at every point of the mesh fixture, with MISES 3: METHOD 0 takes the
    // external sparse solver, METHOD 1 the iterative one (an off-diagonal entry in every second
    // row); both rebuild the Jacobian in every iteration whatever MISES says.
    CodeBuilder b;
    b.push(KindVariable, 1).push(KindVariable, 1).op(OpMul).push(KindLiteral, 3).op(OpSub)
        .store(KindEquation, 1);
    b.push(KindVariable, 2).push(KindVariable, 1).op(OpSub).store(KindEquation, 2);
    const struct {
        int METHOD;
        int linearMethod;
    } cases[] = {{0, kMethodExternalSparse}, {1, kMethodIterative}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "METHOD " << c.METHOD);
        MeshLevel l(3, c.METHOD, b.bytes);
        RRazava& engine = l.engine;
        MORVGlobalData& g = l.g;
        ASSERT_EQ(g.runStatus, 0) << engine.startupReason();
        ASSERT_EQ(engine.matrix->method, c.linearMethod);
        ASSERT_EQ(g.MISES, 3);
        ASSERT_EQ(g.variableCount, 2);
        EXPECT_EQ(engine.solver(0.01, 0.0, 0.1), 0);
        for (double v : g.newValues)
            EXPECT_NEAR(v, std::sqrt(2.0), 1e-12);
        // Newton from 1 converges in 6 iterations; keeping each Jacobian for 3 iterations, as
        // MISES 3 does in one dimension, takes 8.
        EXPECT_LE(g.iterationCount, 6);
        if (c.linearMethod == kMethodExternalSparse) {
            // UMFPACK, analysed once for the stencils' pattern, then given a Jacobian per
            // iteration. (Divided by its largest entry, each row of this one is the same in
            // every iteration, so it is factorised once.)
            ASSERT_TRUE(engine.sparseSolver);
            EXPECT_EQ(engine.sparseSolver->lu(), SparseLU::Umfpack);
            EXPECT_EQ(engine.sparseSolver->analysisCount(), 1);
            EXPECT_EQ(engine.sparseSolver->fullFactorisationCount()
                          + engine.sparseSolver->reusedFactorisationCount(),
                      g.iterationCount);
        }
    }
}

// The sparse direct solver factorises a Jacobian only when it differs from the one factorised
// last: a linear problem whose difference quotients come out exact forms the same Jacobian in
// every iteration and step, and is factorised once; a nonlinear one is factorised in every
// iteration. Either way the values are bit for bit those of a run that factorises every time.
TEST(Newton, SparseSolverFactorisesAJacobianOnlyWhenItChanged)
{
    // Linear: u1[t] = u2, 2 u2 = 1. With DELP and dt powers of two and values of few binary
    // digits, every residual and quotient is exact. Nonlinear: u1[t] + u1^2 + u2 = 3, u2 = u1,
    // whose first row changes in its proportions from one iteration and step to the next.
    CodeBuilder linear;
    linear.push(KindTimeDerivative, 1).push(KindVariable, 2).op(OpSub).store(KindEquation, 1);
    linear.push(KindVariable, 2).push(KindLiteral, 3).op(OpMul).push(KindLiteral, 1).op(OpSub)
        .store(KindEquation, 2);
    CodeBuilder nonlinear;
    nonlinear.push(KindTimeDerivative, 1).push(KindVariable, 1).push(KindVariable, 1).op(OpMul)
        .op(OpAdd).push(KindVariable, 2)
        .op(OpAdd).push(KindLiteral, 3).op(OpSub).push(KindLiteral, 1).op(OpSub)
        .store(KindEquation, 1);
    nonlinear.push(KindVariable, 2).push(KindVariable, 1).op(OpSub).store(KindEquation, 2);
    const struct {
        const char* name;
        std::vector<unsigned char> code;
        bool linear;
    } cases[] = {{"linear", linear.bytes, true}, {"nonlinear", nonlinear.bytes, false}};
    const int steps = 3;
    const double dt = 0.25;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<double> values[2];
        SolverIndex factorisations[2] = {0, 0}, reused[2] = {0, 0};
        int iterations = 0;
        for (bool reuse : {true, false}) {
            MeshLevel l(1, 0, c.code);
            ASSERT_EQ(l.g.runStatus, 0) << l.engine.startupReason();
            ASSERT_EQ(l.engine.matrix->method, kMethodExternalSparse);
            l.g.DELP = std::ldexp(1.0, -20);
            // The solver the iteration would make, made here to switch its reuse.
            l.engine.sparseSolver = std::make_unique<RSparseDirectSolver>(SparseLU::Umfpack);
            l.engine.sparseSolver->setFactorisationReuse(reuse);
            l.engine.analyseStencilPattern();
            iterations = 0;
            for (int step = 0; step < steps; ++step) {
                l.g.oldValues = l.g.newValues;
                ASSERT_EQ(l.engine.solver(dt, step * dt, steps * dt), 0);
                iterations += l.g.iterationCount;
            }
            if (c.linear)
                EXPECT_EQ(l.g.newValues[0], 1.0 + steps * dt * 0.5);
            else
                EXPECT_GT(l.g.newValues[0], 1.0); // on its way from 1 to (sqrt(13) - 1) / 2
            values[reuse ? 0 : 1] = l.g.newValues;
            factorisations[reuse ? 0 : 1] = l.engine.sparseSolver->factorisationCount();
            reused[reuse ? 0 : 1] = l.engine.sparseSolver->reusedFactorisationCount();
        }
        EXPECT_GE(iterations, 2 * steps);
        EXPECT_EQ(factorisations[0], c.linear ? 1 : iterations);
        EXPECT_EQ(reused[0], c.linear ? iterations - 1 : 0);
        EXPECT_EQ(factorisations[1], iterations);
        EXPECT_EQ(reused[1], 0);
        EXPECT_EQ(values[0], values[1]);
    }
}

TEST(Newton, LargestRelativeDifference)
{
    // Two variables at two points, point-major; a variable whose reference is all zero is
    // compared undivided.
    struct Case {
        std::vector<double> a, b;
        double expected;
    } cases[] = {
        {{1, 19, 2, 20}, {1, 20, 4, 20}, 0.5},
        {{1, 0.3, 1, 0}, {1, 0, 1, 0}, 0.3},
        {{-3, 5, 3, 5}, {-2, 5, 4, 5}, 0.25},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(RRazava::getdif(2, 2, c.a.data(), c.b.data()), c.expected);
}

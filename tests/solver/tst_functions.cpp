// Special functions and built-in functions of the byte code.
#include "solver/RRazava.h"
#include "document/ByteCode.h"
#include "SolverTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

using namespace ByteCode;

namespace {

std::string field(double v)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%22.14E", v);
    return buf;
}

// The grid1d fixture with its grid replaced by the points xs along x (rings as the grid builder
// writes them), written into `dir`.
std::string oneDimensionalFile(const QTemporaryDir& dir, const std::vector<double>& xs)
{
    std::vector<std::string> in = splitLines(readAll(fixturePath("grid1d.MVAT$")));
    std::vector<std::string> out(in.begin(), in.begin() + 9);
    const int np = static_cast<int>(xs.size());
    auto block = [&](auto value) {
        std::string line;
        for (int i = 0; i < np; ++i) {
            line += field(value(i));
            if (i % 10 == 9 || i == np - 1) {
                out.push_back(line);
                line.clear();
            }
        }
    };
    out.push_back(std::to_string(np) + " /grid");
    block([&](int i) { return xs[i]; });
    block([](int) { return 0.0; });
    block([](int) { return -0.0; });
    block([](int) { return 1.0; });
    std::size_t i = 0;
    while (in[i] != "0 /input")
        ++i;
    out.insert(out.end(), in.begin() + i, in.begin() + i + 3); // inputs and literals
    auto ints = [&](const char* fmt, int per, auto value) {
        std::string line;
        char buf[16];
        for (int p = 0; p < np; ++p) {
            std::snprintf(buf, sizeof buf, fmt, value(p));
            line += buf;
            if (p % per == per - 1 || p == np - 1) {
                out.push_back(line);
                line.clear();
            }
        }
    };
    ints("%10d", 30, [&](int p) { return p == 0 ? 1 : p == np - 1 ? 2 : 0; });
    ints("%6d", 30, [&](int) { return np < 3 ? 2 : 3; });
    for (int p = 0; p < np && np < 3; ++p)
        out.push_back(p == 0 ? "     1     2" : "     2     1"); // a grid of two points
    for (int p = 0; p < np && np >= 3; ++p) {
        const int a = p == 0 ? 2 : p == np - 1 ? np - 2 : p;
        const int b = p == 0 ? 3 : p == np - 1 ? np - 1 : p + 2;
        char buf[32];
        std::snprintf(buf, sizeof buf, "%6d%6d%6d", p + 1, a, b);
        out.push_back(buf);
    }
    while (in[i] != "0 /Integral1")
        ++i;
    out.insert(out.end(), in.begin() + i, in.end());
    const std::string path = dir.path().toStdString() + "/grid.MVAT$";
    writeAll(path, joinLines(out));
    return path;
}

// A chemistry data set of three species whose routines return fixed numbers and count calls.
class FakeChemistry : public RChemistryPort {
public:
    int calls = 0;
    double lastT = 0, lastLead = 0;
    std::vector<double> lastInput;
    bool CKGlobalLoad(std::istream&, int, std::string&) override { return true; }
    int speciesCount() const override { return 3; }
    void fill(double* out) { ++calls; for (int i = 0; i < 3; ++i) out[i] = 10.0 * (i + 1); }
    double value(double lead, double T, double* in)
    {
        ++calls;
        lastLead = lead;
        lastT = T;
        lastInput.assign(in, in + 3);
        return 42.0;
    }
    void CKWT(double* w) override { fill(w); }
    double CKMMWC(double* c) override { return value(0, 0, c); }
    double CKMMWX(double* x) override { return value(0, 0, x); }
    double CKMMWY(double* y) override { return value(0, 0, y); }
    double CKPC(double r, double T, double* c) override { return value(r, T, c); }
    double CKPX(double r, double T, double* x) override { return value(r, T, x); }
    double CKPY(double r, double T, double* y) override { return value(r, T, y); }
    double CKRHOC(double P, double T, double* c) override { return value(P, T, c); }
    double CKRHOX(double P, double T, double* x) override { return value(P, T, x); }
    double CKRHOY(double P, double T, double* y) override { return value(P, T, y); }
    void CKCTX(double*, double* x) override { fill(x); }
    void CKCTY(double*, double* y) override { fill(y); }
    void CKXTY(double*, double* y) override { fill(y); }
    void CKYTX(double*, double* x) override { fill(x); }
    void CKXTCP(double, double, double*, double* c) override { fill(c); }
    void CKYTCP(double, double, double*, double* c) override { fill(c); }
    void CKXTCR(double, double, double*, double* c) override { fill(c); }
    void CKYTCR(double, double, double*, double* c) override { fill(c); }
    void CKCPMS(double T, double* o) override { lastT = T; fill(o); }
    void CKCPML(double, double* o) override { fill(o); }
    void CKCVMS(double, double* o) override { fill(o); }
    void CKCVML(double, double* o) override { fill(o); }
    void CKHMS(double, double* o) override { fill(o); }
    void CKHML(double, double* o) override { fill(o); }
    double CKCPBS(double T, double* y) override { return value(0, T, y); }
    double CKCPBL(double T, double* x) override { return value(0, T, x); }
    double CKCVBS(double T, double* y) override { return value(0, T, y); }
    double CKCVBL(double T, double* x) override { return value(0, T, x); }
    double CKHBMS(double T, double* y) override { return value(0, T, y); }
    double CKHBML(double T, double* x) override { return value(0, T, x); }
    void MCSVIS(double, double* e) override { fill(e); }
    void MCSCON(double, double* l) override { fill(l); }
    double MCAVIS(double T, double* x) override { return value(0, T, x); }
    double MCACON(double T, double* x) override { return value(0, T, x); }
    void MCADIF(double, double, double*, double* d) override { fill(d); }
};

// Calls function `id` on `args` through the operand stack; returns the one result left.
double call(RRazava& e, int id, std::vector<double> args, const RBuiltinContext& ctx = {})
{
    double stack[::operandStackSize] = {};
    int depth = 0;
    for (double a : args)
        stack[depth++] = a;
    RBuiltinContext c = ctx;
    if (!c.values)
        c.values = e.globalData()->newValues.data();
    e.callFunction(id, stack, depth, c);
    EXPECT_EQ(depth, 1) << "function " << id;
    return stack[0];
}

struct OneDimensionalRun {
    QTemporaryDir dir;
    std::unique_ptr<RRazava> engine;
    explicit OneDimensionalRun(int np, double from = 0, double to = 1)
    {
        std::vector<double> xs;
        for (int i = 0; i < np; ++i)
            xs.push_back(from + (to - from) * i / (np - 1));
        engine = std::make_unique<RRazava>("MORV", oneDimensionalFile(dir, xs));
        EXPECT_EQ(engine->globalData()->runStatus, 0) << engine->startupReason();
    }
    void setValues(const std::function<double(double)>& u)
    {
        MORVGlobalData& g = *engine->globalData();
        for (int p = 0; p < g.pointCount; ++p)
            g.newValues[p] = u(g.pointX[p]);
    }
    RBuiltinContext at(int p)
    {
        RBuiltinContext c;
        c.point = p;
        c.nx = -0.0;
        c.ny = 1.0;
        c.dt = 0.01;
        c.sectionLabel = "equation ";
        c.position = 12;
        return c;
    }
};

} // namespace

TEST(SpecialFunctions, ErrorFunctionAndGamma)
{
    EXPECT_EQ(RRazava::derf(0), 0.0);
    EXPECT_NEAR(RRazava::derf(1), 0.842700790029, 5e-13); // the series stops at 3e-7 relative
    EXPECT_NEAR(RRazava::derf(1), std::erf(1.0), 1e-7);
    EXPECT_EQ(RRazava::derf(-0.7), -RRazava::derf(0.7));
    EXPECT_NEAR(RRazava::derf(5), 1.0, 1e-10);
    // Series below |x| = sqrt(1.5), continued fraction above: both sides agree.
    const double edge = std::sqrt(1.5);
    EXPECT_NEAR(RRazava::derf(edge - 1e-9), RRazava::derf(edge + 1e-9), 1e-7);
    for (double x : {0.1, 0.5, 1.2, 1.3, 2.0, 3.0})
        EXPECT_NEAR(RRazava::derf(x), std::erf(x), 2e-7) << x;
    EXPECT_NEAR(RRazava::gammln(1), 0, 1e-10);
    EXPECT_NEAR(RRazava::gammln(2), 0, 1e-10);
    EXPECT_NEAR(RRazava::gammln(0.5), std::log(std::sqrt(M_PI)), 1e-10);
    EXPECT_NEAR(RRazava::gammp(2.0, 1.0), 1 - 2 / std::exp(1.0), 1e-7);
    EXPECT_NEAR(RRazava::gammp(2.0, 5.0), 1 - 6 / std::exp(5.0), 1e-7);
    EXPECT_EQ(RRazava::LimitedValue(1e-98), 0.0);
    EXPECT_EQ(RRazava::LimitedValue(-1e-96), -1e-96);
}

TEST(SpecialFunctions, ErrorFunctionOfAHugeArgumentIsOne)
{
    // Fault guarded: beyond |x| of about 1e77 the continued fraction overflowed and ERF gave a
    // non-number; below that it already rounds to exactly 1.
    for (double x : {30.0, 1e10, 1e76, 1e78, 1e160, 1e300, HUGE_VAL}) {
        EXPECT_EQ(RRazava::derf(x), 1.0) << x;
        EXPECT_EQ(RRazava::derf(-x), -1.0) << x;
    }
}

TEST(BuiltinFunctions, IntrinsicsAndTheirMathErrors)
{
    OneDimensionalRun run(5);
    RRazava& e = *run.engine;
    struct Case {
        int id;
        std::vector<double> args;
        double expect;
        int mathErrors;
    } cases[] = {
        {FnAINT, {-2.7}, -2, 0},       {FnANINT, {-2.5}, -3, 0},    {FnANINT, {2.5}, 3, 0},
        {FnABS, {-3}, 3, 0},           {FnSIGN, {-2, 0}, -2, 0},    {FnSIGN, {2, -3}, -2, 0},
        {FnMOD, {-7, 3}, -1, 0},       {FnMOD, {7, 0}, 7 - std::trunc(7e10) * 1e-10, 1},
        {FnDIM, {2, 5}, 0, 0},         {FnMAX, {2, 5}, 5, 0},       {FnMIN, {2, 5}, 2, 0},
        {FnSQRT, {-4}, 0, 1},          {FnSQRT, {9}, 3, 0},         {FnEXP, {0}, 1, 0},
        {FnLOG, {0}, std::log(1e-10), 1}, {FnLOG10, {-1}, -10, 1},  {FnLOG10, {1000}, 3, 0},
        {FnASIN, {2}, M_PI / 2, 1},    {FnACOS, {-3}, M_PI, 1},     {FnATAN2, {1, -1}, 3 * M_PI / 4, 0},
        {FnATAN2, {0, -1}, M_PI, 0},   {FnTANH, {0}, 0, 0},         {FnERF, {-1}, -std::erf(1.0), 0},
    };
    for (const Case& c : cases) {
        const int before = e.globalData()->mathErrorCount;
        const int warnings = e.globalData()->runWarningCount;
        EXPECT_NEAR(call(e, c.id, c.args, run.at(0)), c.expect, 1e-7) << "function " << c.id;
        EXPECT_EQ(e.globalData()->mathErrorCount - before, c.mathErrors) << "function " << c.id;
        EXPECT_EQ(e.globalData()->runWarningCount - warnings, c.mathErrors) << "function " << c.id;
    }
    // Unassigned ids leave the stack alone.
    double stack[4] = {1, 2};
    int depth = 2;
    e.callFunction(27, stack, depth, run.at(0));
    EXPECT_EQ(depth, 2);
    // The math error line names the section, the position and the function.
    const std::string log = readAll(run.dir.path().toStdString() + "/grid.MVL3$");
    EXPECT_NE(log.find(" ?  W0013  ? group:equation   , pointer:00000012, function:MOD\r\n"),
              std::string::npos);
}

TEST(BuiltinFunctions, OneDimensionalIntegrals)
{
    OneDimensionalRun run(21);
    RRazava& e = *run.engine;
    run.setValues([](double x) { return x * x; });
    EXPECT_NEAR(call(e, FnINTEGRAL, {1, 0, 1}, run.at(3)), 1.0 / 3, 1e-14);
    EXPECT_NEAR(call(e, FnINTEGRAL0, {1, 0, 1}, run.at(3)), 0.33375, 1e-14);
    // Any bounds inside the grid are exact for a quadratic; reversed bounds give the negative.
    const double exact = (std::pow(0.77, 3) - std::pow(0.13, 3)) / 3;
    EXPECT_NEAR(call(e, FnINTEGRAL, {1, 0.13, 0.77}, run.at(0)), exact, 1e-14);
    EXPECT_NEAR(call(e, FnINTEGRAL, {1, 0.77, 0.13}, run.at(0)), -exact, 1e-14);
    EXPECT_EQ(call(e, FnINTEGRAL0, {1, 0.77, 0.13}, run.at(0)), 0.0);
    // Bounds beyond the grid are clipped to it.
    EXPECT_NEAR(call(e, FnINTEGRAL, {1, -5, 5}, run.at(0)), 1.0 / 3, 1e-14);
    // Cell and grid integrals are exact for linear functions on an odd number of points.
    run.setValues([](double x) { return 3 * x + 1; });
    const int errors = e.globalData()->mathErrorCount;
    EXPECT_NEAR(call(e, FnINTEGRALV, {1, 0, 1}, run.at(0)), 2.5, 1e-14);
    EXPECT_NEAR(call(e, FnINTEGRALG, {1, 0.1, 0.9}, run.at(0)), 0.8 * (1 + 0.3 * 5), 1e-14);
    EXPECT_EQ(e.globalData()->mathErrorCount, errors);

    // An even number of points: INTEGRAL stays exact for quadratics; INTEGRALV warns but keeps
    // its result.
    OneDimensionalRun even(20);
    even.setValues([](double x) { return x * x - x; });
    EXPECT_NEAR(call(*even.engine, FnINTEGRAL, {1, 0, 1}, even.at(0)), 1.0 / 3 - 0.5, 1e-14);
    EXPECT_NEAR(call(*even.engine, FnINTEGRAL, {1, 0.96, 1}, even.at(0)),
                (1 - std::pow(0.96, 3)) / 3 - (1 - 0.96 * 0.96) / 2, 1e-14);
    const double v = call(*even.engine, FnINTEGRALV, {1, 0, 1}, even.at(0));
    EXPECT_NE(v, 0.0);
    EXPECT_EQ(even.engine->globalData()->mathErrorCount, 1);

    // Two points: the one interval by the linear rule.
    OneDimensionalRun two(2);
    two.setValues([](double x) { return 2 * x; });
    EXPECT_NEAR(call(*two.engine, FnINTEGRAL, {1, 0, 1}, two.at(0)), 1.0, 1e-14);
    EXPECT_NEAR(call(*two.engine, FnINTEGRAL, {1, 1, 0.5}, two.at(0)), -0.75, 1e-14);
}

TEST(BuiltinFunctions, SystemFileAndAttribute)
{
    OneDimensionalRun run(5, 2, 4); // x = 2, 2.5, 3, 3.5, 4
    RRazava& e = *run.engine;
    MORVGlobalData& g = *e.globalData();
    EXPECT_EQ(call(e, FnSYSTEM, {1}, run.at(2)), 0.01);
    EXPECT_EQ(call(e, FnSYSTEM, {2}, run.at(2)), 2.0);
    EXPECT_EQ(call(e, FnSYSTEM, {3}, run.at(2)), 4.0);
    EXPECT_EQ(call(e, FnSYSTEM, {6}, run.at(0)), 0.0);
    EXPECT_EQ(call(e, FnSYSTEM, {7}, run.at(4)), 0.0);
    EXPECT_EQ(call(e, FnSYSTEM, {7}, run.at(1)), 0.5);
    EXPECT_EQ(call(e, FnSYSTEM, {10}, run.at(1)), g.TEND);
    EXPECT_EQ(call(e, FnSYSTEM, {11}, run.at(1)), 0.0);

    g.parameterCount = 2;
    g.parameterValues = {7.5, 8.5};
    EXPECT_EQ(call(e, FnFILE, {1}, run.at(0)), 7.5);
    EXPECT_EQ(call(e, FnFILE, {2.4}, run.at(0)), 8.5);
    const int before = g.mathErrorCount;
    EXPECT_EQ(call(e, FnFILE, {0}, run.at(0)), 0.0);
    EXPECT_EQ(call(e, FnFILE, {3}, run.at(0)), 0.0);
    EXPECT_EQ(g.mathErrorCount - before, 2);
    // Within the count but beyond what the lines supplied: 0 without a math error, as when the
    // values were sized by the count; above the count it stays a math error.
    g.parameterCount = 200000000;
    EXPECT_EQ(call(e, FnFILE, {3}, run.at(0)), 0.0);
    EXPECT_EQ(call(e, FnFILE, {200000000}, run.at(0)), 0.0);
    EXPECT_EQ(g.mathErrorCount - before, 2);
    EXPECT_EQ(call(e, FnFILE, {200000001}, run.at(0)), 0.0);
    EXPECT_EQ(g.mathErrorCount - before, 3);
    g.parameterCount = 2;

    EXPECT_EQ(call(e, FnATTRIBUTE, {1}, run.at(0)), 1.0);
    EXPECT_EQ(call(e, FnATTRIBUTE, {2}, run.at(0)), 1.0);
    EXPECT_EQ(call(e, FnATTRIBUTE, {4}, run.at(0)), 1.0);
    EXPECT_EQ(call(e, FnATTRIBUTE, {5}, run.at(0)), 0.5);
    EXPECT_EQ(call(e, FnATTRIBUTE, {6}, run.at(4)), 0.5);
    EXPECT_EQ(call(e, FnATTRIBUTE, {7}, run.at(3)), 1.0);
    EXPECT_EQ(call(e, FnATTRIBUTE, {0}, run.at(3)), 0.0);
    EXPECT_EQ(g.mathErrorCount - before, 3);
    EXPECT_EQ(call(e, FnATTRIBUTE, {8}, run.at(3)), 0.0);
    EXPECT_EQ(g.mathErrorCount - before, 4);
}

TEST(BuiltinFunctions, AttributeSpacingOfAGridAlongY)
{
    // Fault: the signed comparison ny <= nx picked x for a grid along y (normal (-1, 0)), whose
    // x coordinates are all equal, so the spacing came out 0.
    OneDimensionalRun run(5);
    MORVGlobalData& g = *run.engine->globalData();
    std::swap(g.pointX, g.pointY);
    RBuiltinContext c = run.at(1);
    c.nx = -1.0;
    c.ny = 0.0;
    EXPECT_EQ(call(*run.engine, FnATTRIBUTE, {5}, c), 0.25);
    EXPECT_EQ(call(*run.engine, FnATTRIBUTE, {6}, c), 0.25);
    g.newValues.assign(5, 1.0);
    EXPECT_NEAR(call(*run.engine, FnINTEGRAL0, {1, 0, 1}, c), 1.0, 1e-15);
}

TEST(BuiltinFunctions, OutOfRangeNumbersAreMathErrorsWithResultZero)
{
    OneDimensionalRun run(5);
    RRazava& e = *run.engine;
    run.setValues([](double) { return 1.0; });
    const struct Case {
        int id;
        std::vector<double> args;
        const char* name;
    } cases[] = {
        {FnINTEGRAL, {2, 0, 1}, "INTEGRAL"},   {FnINTEGRAL0, {0, 0, 1}, "INTEGRAL0"},
        {FnINTEGRALV, {-1, 0, 1}, "INTEGRALV"}, {FnINTEGRALG, {1e300, 0, 1}, "INTEGRALG"},
        {FnRESTART, {2, 5}, "RESTART"},         {FnUPWINDX, {3, 1, 0}, "UPWINDX"},
        {FnINTEGRAL1, {1, 1}, "INTEGRAL1"},     {FnINTEGRAL2, {1, 0}, "INTEGRAL2"},
        {FnINTEGRAL, {NAN, 0, 1}, "INTEGRAL"},
    };
    for (const Case& c : cases) {
        const int before = e.globalData()->mathErrorCount;
        EXPECT_EQ(call(e, c.id, c.args, run.at(1)), 0.0) << c.name;
        EXPECT_EQ(e.globalData()->mathErrorCount - before, 1) << c.name;
    }
    const std::string log = readAll(run.dir.path().toStdString() + "/grid.MVL3$");
    for (const Case& c : cases)
        EXPECT_NE(log.find(std::string(", function:") + c.name + "\r\n"), std::string::npos) << c.name;
}

TEST(BuiltinFunctions, LineAndAreaIntegralsOnAMesh)
{
    QTemporaryDir dir;
    const std::string data = dir.path().toStdString() + "/mesh.MVAT$";
    writeAll(data, readAll(fixturePath("mesh2d.MVAT$")));
    RRazava e("MORV", data);
    ASSERT_EQ(e.globalData()->runStatus, 0) << e.startupReason();
    MORVGlobalData& g = *e.globalData();
    for (int p = 0; p < g.pointCount; ++p) {
        g.newValues[2 * p] = 1.0;
        g.newValues[2 * p + 1] = g.pointX[p] + g.pointY[p];
    }
    RBuiltinContext c;
    c.values = g.newValues.data();
    c.point = 4;
    // Region 1 runs 1-2-3, breaks, then 6-9: three edges of length 0.5.
    EXPECT_NEAR(call(e, FnINTEGRAL1, {1, 1}, c), 1.5, 1e-15);
    EXPECT_NEAR(call(e, FnINTEGRAL2, {1, 1}, c), 0.25, 1e-15);
    // x + y is linear: the vertex mean is exact; the square [0, 0.5]^2 gives 0.125.
    EXPECT_NEAR(call(e, FnINTEGRAL2, {2, 1}, c), 0.125, 1e-15);
    EXPECT_EQ(e.sigma2(g.newValues.data(), 2, 1), call(e, FnINTEGRAL2, {2, 1}, c));
    // UPWINDY of the linear x + y is 1.
    EXPECT_NEAR(call(e, FnUPWINDY, {2, 0.3, -1}, c), 1.0, 1e-12);
}

TEST(BuiltinFunctions, ChemistryPropertiesConvertUnitsAndReuseSpeciesResults)
{
    OneDimensionalRun run(3);
    RRazava& e = *run.engine;
    auto chem = std::make_unique<FakeChemistry>();
    FakeChemistry& fake = *chem;
    // No chemistry block loaded: a math error, never a crash.
    EXPECT_EQ(call(e, FnCPROPERTY, {PropACP1W, 300, 0, 3}, run.at(0)), 0.0);
    EXPECT_EQ(e.globalData()->mathErrorCount, 1);
    e.chemistry = std::move(chem);
    e.globalData()->thermoFlag = 1;
    e.chemInput.assign(3, 0.0);
    e.chemOutput.assign(3, 0.0);

    EXPECT_EQ(call(e, FnCPROPERTY, {PropACP1W, 300, 0, 3}, run.at(0)), 0.0);
    EXPECT_EQ(fake.calls, 1);
    EXPECT_EQ(fake.lastT, 300);
    EXPECT_NEAR(call(e, FnCPROPERTY, {PropACP1W, 300, 2, 3}, run.at(0)), 20.0 * 1e-4, 1e-18);
    EXPECT_EQ(fake.calls, 1); // indexed without another routine call
    // The index of CM1 is its first argument.
    EXPECT_EQ(call(e, FnCPROPERTY, {PropCM1, 0, 2}, run.at(0)), 0.0);
    EXPECT_EQ(call(e, FnCPROPERTY, {PropCM1, 3, 2}, run.at(0)), 30.0);
    // A value property: density in x 0.001, composition copied, result x 0.1.
    EXPECT_NEAR(call(e, FnCPROPERTY, {PropCP0X, 1.2, 310, 0.2, 0.3, 0.5, 6}, run.at(0)), 4.2, 1e-12);
    EXPECT_NEAR(fake.lastLead, 1.2e-3, 1e-18);
    EXPECT_EQ(fake.lastT, 310);
    EXPECT_EQ(fake.lastInput, (std::vector<double>{0.2, 0.3, 0.5}));
    // Concentrations in x 0.001, pressure x 10, density out x 1000.
    EXPECT_NEAR(call(e, FnCPROPERTY, {PropCR0C, 1e5, 300, 1, 2, 3, 6}, run.at(0)), 42000.0, 1e-9);
    EXPECT_EQ(fake.lastLead, 1e6);
    EXPECT_EQ(fake.lastInput, (std::vector<double>{1e-3, 2e-3, 3e-3}));
    // A species index beyond the species: math error, 0.
    const int before = e.globalData()->mathErrorCount;
    EXPECT_EQ(call(e, FnCPROPERTY, {PropBV1, 300, 4, 3}, run.at(0)), 0.0);
    EXPECT_EQ(e.globalData()->mathErrorCount - before, 1);
    // A code without a row gives back its code; the stack below the call is kept.
    double stack[8] = {-9, 2, 7, 8, 3};
    int depth = 5;
    e.callFunction(FnCPROPERTY, stack, depth, run.at(0));
    EXPECT_EQ(depth, 2);
    EXPECT_EQ(stack[0], -9);
    EXPECT_EQ(stack[1], 2);
}

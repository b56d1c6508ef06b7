// Step choice of the time loop and the parameter lines read before each step.
#include "solver/RRazava.h"
#include "SolverTestSupport.h"

#include <gtest/gtest.h>

namespace {

struct Step {
    double dt;
    int mode;
};

// Runs the step choice alone from t0 until the last output time, as the loop would when every
// step is accepted.
std::vector<Step> steps(std::vector<double> outputs, double t0, double h, int autodelt,
                        int limit = 100)
{
    std::vector<Step> out;
    double t = t0, dt = 0;
    int counter = 0, index = 1, mode = 0;
    while (index <= int(outputs.size()) && int(out.size()) < limit) {
        if (!RRazava::deltat(outputs.data(), int(outputs.size()), dt, h, t, counter, autodelt,
                             index, mode))
            break;
        out.push_back({dt, mode});
        t += dt;
    }
    return out;
}

void expectSteps(const std::vector<Step>& actual, const std::vector<Step>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t k = 0; k < expected.size(); ++k) {
        EXPECT_NEAR(actual[k].dt, expected[k].dt, 1e-12) << "step " << k;
        EXPECT_EQ(actual[k].mode, expected[k].mode) << "step " << k;
    }
}

} // namespace

TEST(StepControl, StepsReachEveryOutputTimeExactly)
{
    std::vector<Step> perOutput = {{0.3, 0}, {0.3, 0}, {0.2, 0}, {0.2, -1}};
    std::vector<Step> expected;
    for (int k = 0; k < 3; ++k)
        expected.insert(expected.end(), perOutput.begin(), perOutput.end());
    expectSteps(steps({1, 2, 3}, 0.0, 0.3, 0), expected);
    // Less than one step would remain after a nominal step: it is halved.
    expectSteps(steps({1}, 0.55, 0.3, 0), {{0.225, 0}, {0.225, -1}});
    // A nominal step ending a millionth of a step short of the output time ends on it.
    const double h = 1.0 / (1.0 + 1e-6);
    expectSteps(steps({1}, 0.0, h, 0), {{1.0, -1}});
    // An output time passed already is skipped.
    expectSteps(steps({0.5, 1, 2}, 0.5, 0.5, 0), {{0.5, -1}, {0.5, 0}, {0.5, -1}});
}

TEST(StepControl, EveryAutodeltOrdinaryStepsAReducedStepIsTakenTwice)
{
    const double r = 0.707106781186548;
    std::vector<double> outputs{100};
    double t = 0, dt = 0, h = 1.0;
    int counter = 0, index = 1, mode = 0;
    const Step expected[] = {{1, 0}, {1, 0}, {r, 1}, {r, 2}, {r, 0}};
    for (const Step& e : expected) {
        ASSERT_TRUE(RRazava::deltat(outputs.data(), 1, dt, h, t, counter, 3, index, mode));
        EXPECT_NEAR(dt, e.dt, 1e-15);
        EXPECT_EQ(mode, e.mode);
        EXPECT_EQ(index, 1);
        t += dt;
    }
    EXPECT_NEAR(h, r, 1e-15); // no one doubled it: the loop does that after a good check
    // Without AUTODELT the step never changes away from output times.
    for (const Step& s : steps({100}, 0.0, 1.0, 0, 20))
        EXPECT_EQ(s.dt, 1.0);
}

TEST(StepControl, NoOutputTimeAheadChangesNothing)
{
    const double outputs[] = {1.0, 2.0};
    double dt = 7, h = 0.5;
    int counter = 0, index = 1, mode = 0;
    EXPECT_FALSE(RRazava::deltat(outputs, 2, dt, h, 2.0, counter, 0, index, mode));
    EXPECT_EQ(dt, 7);
    EXPECT_EQ(index, 1);
}

// The count of 200000000 in a parameter file sized a zero-filled array of 1.6 GB before any
// value line was read.
TEST(StepControl, ParameterValuesAreSizedByTheLinesRead)
{
    QTemporaryDir dir;
    const std::string base = dir.path().toStdString() + "/doc";
    writeAll(base + ".PRM", "200000000\r\n1.0\r\n2.0, 3.0\r\n4.0\r\n");
    RRazava engine("MORV", base + ".MVAT$");
    ASSERT_EQ(engine.OpenPRM(), 0);
    MORVGlobalData& g = *engine.globalData();
    EXPECT_EQ(g.parameterCount, 200000000);
    EXPECT_TRUE(g.parameterValues.empty());
    // Every line is short of the count, so each warns; the values kept grow line by line.
    const std::vector<std::vector<double>> expected = {{1.0}, {2.0, 3.0}, {4.0, 3.0}, {4.0, 3.0}};
    for (const std::vector<double>& values : expected) {
        EXPECT_EQ(engine.ReadParameterLine(), 1);
        EXPECT_EQ(g.parameterValues, values);
    }
}

TEST(StepControl, ParameterLinesReplaceValuesUpToTheFirstBadItem)
{
    QTemporaryDir dir;
    const std::string base = dir.path().toStdString() + "/doc";
    writeAll(base + ".PRM", "2\r\n1.5, 2e3\r\n4 / 5\r\n6,1D2\r\n7\r\n8 9\r\n");
    RRazava engine("MORV", base + ".MVAT$"); // no data file: only the parameter file is used
    ASSERT_EQ(engine.OpenPRM(), 0);
    MORVGlobalData& g = *engine.globalData();
    ASSERT_EQ(g.parameterCount, 2);
    g.parameterValues = {0, 0};
    struct Case {
        int result;
        double p1, p2;
    };
    const Case cases[] = {
        {0, 1.5, 2000},
        {1, 4, 2000}, // no comment cut: "/" is an item, and not a number
        {1, 6, 2000}, // no "D" exponent
        {1, 7, 2000}, // an item missing
        {0, 8, 9},
        {1, 8, 9}, // end of file
    };
    for (const Case& c : cases) {
        EXPECT_EQ(engine.ReadParameterLine(), c.result);
        EXPECT_EQ(g.parameterValues, (std::vector<double>{c.p1, c.p2}));
    }
}

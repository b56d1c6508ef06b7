// The restart file: layout, round trip, fit checks and the RESTART function's cache.
#include "solver/RRazava.h"
#include "document/ByteCode.h"
#include "SolverTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// The mesh2d fixture (2 variables with class flags 0 1, 9 points, no temporaries) in a scratch
// folder, with `temporaries` temporaries.
struct RestartRun {
    QTemporaryDir dir;
    std::unique_ptr<RRazava> engine;
    explicit RestartRun(int temporaries = 0)
    {
        std::vector<std::string> lines = splitLines(readAll(fixturePath("mesh2d.MVAT$")));
        lines[3] = "2, 1, " + std::to_string(temporaries) + ", 2";
        writeAll(path(".MVAT$"), joinLines(lines));
        engine = std::make_unique<RRazava>("MORV", path(".MVAT$"));
        EXPECT_EQ(engine->globalData()->runStatus, 0) << engine->startupReason();
    }
    std::string path(const char* ext) const { return dir.path().toStdString() + "/doc" + ext; }
    // Commits the written restart file as the previous run's.
    void commit() { std::filesystem::rename(path(".MVR3$"), path(".MVR3")); }
};

} // namespace

TEST(RestartFile, LayoutOfTwoVariablesAtFourPointsWithThreeTemporaries)
{
    RestartRun run;
    const double values[8] = {1, -2, 3.5, -3e-98, 5, 6, 7, 8e100};
    const double temps[3] = {0.5, -0.25, 1e-99};
    run.engine->rstout(values, 2, 4, temps, 3, 1.5);
    const std::vector<std::string> lines = splitLines(readAll(run.path(".MVR3$")));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "MORV_RESTART_FILE,  1.50000000000000E+00,2,4,3");
    EXPECT_EQ(lines[1], " 0 1");
    EXPECT_EQ(lines[2], "  5.00000000000000E-01 -2.50000000000000E-01  0.00000000000000E+00");
    EXPECT_EQ(lines[3].size(), 6u * 22);
    EXPECT_EQ(lines[3].substr(66, 22), "  0.00000000000000E+00"); // -3e-98 is stored as 0
    EXPECT_EQ(lines[4], "  7.00000000000000E+00 8.00000000000000E+100");
    EXPECT_EQ(readAll(run.path(".MVR3$")).back(), '\n');
}

TEST(RestartFile, WithoutTemporariesValuesFollowTheClassFlags)
{
    RestartRun run;
    std::vector<double> values(18, 2.0);
    run.engine->rstout(values.data(), 2, 9, nullptr, 0, 0.0);
    const std::vector<std::string> lines = splitLines(readAll(run.path(".MVR3$")));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[1], " 0 1");
    EXPECT_EQ(lines[2].substr(0, 22), "  2.00000000000000E+00");
}

TEST(RestartFile, RoundTripKeepsEveryValue)
{
    // Fault guarded: a negative value with a three-digit exponent fused with its neighbour.
    RestartRun run(2);
    std::vector<double> values(18);
    for (int k = 0; k < 18; ++k)
        values[k] = (k % 2 ? -1 : 1) * (k + 1) * 1.234567890123e-3;
    values[4] = -1.5e200;
    values[5] = -2.5e-200; // below the written limit: stored as 0
    values[6] = 3.0e150;
    const double temps[2] = {-7.25e123, 0.125};
    run.engine->rstout(values.data(), 2, 9, temps, 2, 2.75);
    run.commit();
    std::vector<double> back(18, -1);
    double tempsBack[2] = {};
    double time = 0;
    ASSERT_EQ(run.engine->rstin(back.data(), 2, 9, tempsBack, 2, time), 0);
    EXPECT_EQ(time, 2.75);
    EXPECT_EQ(tempsBack[0], temps[0]);
    EXPECT_EQ(tempsBack[1], temps[1]);
    for (int k = 0; k < 18; ++k) {
        const double expect = k == 5 ? 0.0 : values[k];
        EXPECT_NEAR(back[k], expect, std::fabs(expect) * 1e-14) << k;
    }
}

TEST(RestartFile, FilesThatDoNotFitAreRefusedBeforeAnyValue)
{
    RestartRun run;
    std::vector<double> values(18, 1.0), back(18, -1.0);
    double time = 0;
    int n, np, t;
    std::vector<int> flags;
    EXPECT_EQ(run.engine->ReadRestartFileHeader(n, np, t, time, flags), 1);
    EXPECT_EQ(run.engine->rstin(back.data(), 2, 9, nullptr, 0, time), 2);

    // One point more than the run: result 3, values untouched, time taken from the header.
    std::vector<double> more(20, 1.0);
    run.engine->rstout(more.data(), 2, 10, nullptr, 0, 4.5);
    run.commit();
    EXPECT_EQ(run.engine->rstin(back.data(), 2, 9, nullptr, 0, time), 3);
    EXPECT_EQ(time, 4.5);
    EXPECT_EQ(back[0], -1.0);

    // Other class flags: result 4.
    std::string text = readAll(run.path(".MVR3"));
    run.engine->rstout(values.data(), 2, 9, nullptr, 0, 1.0);
    run.commit();
    text = readAll(run.path(".MVR3"));
    text.replace(text.find("\r\n 0 1\r\n"), 8, "\r\n 1 1\r\n");
    writeAll(run.path(".MVR3"), text);
    EXPECT_EQ(run.engine->rstin(back.data(), 2, 9, nullptr, 0, time), 4);
    text.replace(text.find("\r\n 1 1\r\n"), 8, "\r\n 0\r\n");
    writeAll(run.path(".MVR3"), text);
    EXPECT_EQ(run.engine->ReadRestartFileHeader(n, np, t, time, flags), 3);

    // A lower-case header is accepted; another first item is not a restart file.
    text = readAll(run.path(".MVR3"));
    text.replace(text.find("\r\n 0\r\n"), 6, "\r\n 0 1\r\n");
    text.replace(0, 17, "morv_restart_file");
    writeAll(run.path(".MVR3"), text);
    EXPECT_EQ(run.engine->ReadRestartFileHeader(n, np, t, time, flags), 0);
    EXPECT_EQ(flags, (std::vector<int>{0, 1}));
    text.replace(0, 17, "RESULT_FILE_MORV_");
    writeAll(run.path(".MVR3"), text);
    EXPECT_EQ(run.engine->ReadRestartFileHeader(n, np, t, time, flags), 2);

    // A value missing at the end: result 1.
    run.engine->rstout(values.data(), 2, 9, nullptr, 0, 1.0);
    run.commit();
    text = readAll(run.path(".MVR3"));
    text.resize(text.size() - 24);
    writeAll(run.path(".MVR3"), text + "\r\n");
    EXPECT_EQ(run.engine->rstin(back.data(), 2, 9, nullptr, 0, time), 1);
}

TEST(RestartFunction, CacheStatesAndAlternateValues)
{
    using namespace ByteCode;
    auto restart = [](RRazava& e, double k, double d, int p) {
        double stack[4] = {k, d};
        int depth = 2;
        RBuiltinContext c;
        c.point = p;
        c.values = e.globalData()->newValues.data();
        e.callFunction(FnRESTART, stack, depth, c);
        return stack[0];
    };
    {
        RestartRun run; // no restart file: the alternate value, silently
        EXPECT_EQ(restart(*run.engine, 2, 9.5, 3), 9.5);
        EXPECT_EQ(run.engine->restartCacheState, 1);
        EXPECT_EQ(run.engine->globalData()->mathErrorCount, 0);
    }
    {
        RestartRun run;
        std::vector<double> values(18);
        for (int k = 0; k < 18; ++k)
            values[k] = k;
        run.engine->rstout(values.data(), 2, 9, nullptr, 0, 1.0);
        run.commit();
        EXPECT_EQ(restart(*run.engine, 2, 9.5, 3), 7.0); // variable 2 at point 3: element 3*2+1
        EXPECT_EQ(run.engine->restartCacheState, 2);
        std::filesystem::remove(run.path(".MVR3"));
        EXPECT_EQ(restart(*run.engine, 1, 9.5, 8), 16.0); // the file is read only once
    }
    {
        RestartRun run;
        writeAll(run.path(".MVR3"), "MORV_RESTART_FILE,1.0,2,8,0\r\n 0 1\r\n");
        EXPECT_EQ(restart(*run.engine, 1, -4, 0), -4.0); // does not fit: alternate, math error
        EXPECT_EQ(run.engine->restartCacheState, -1);
        EXPECT_EQ(run.engine->globalData()->mathErrorCount, 1);
        EXPECT_EQ(restart(*run.engine, 1, -4, 0), -4.0);
        EXPECT_EQ(run.engine->globalData()->mathErrorCount, 2);
    }
}

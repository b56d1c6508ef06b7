// Whole runs of the engine on compiled documents: values at the end time, output levels and
// their times, the step choice as the result file shows it, the step-size check, TERMINATE,
// the parameter file, and the log's end lines.
#include "TimeLoopSupport.h"
#include "solver/RunEvent.h"

#include <QDir>

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

using namespace ByteCode;

namespace {

const double r = 0.1 * 0.707106781186548; // a step of 0.1 reduced for a check

std::vector<double> timesOf(const std::vector<ResultRecord>& records)
{
    std::vector<double> t;
    for (const ResultRecord& rec : records)
        t.push_back(rec.time);
    return t;
}

void expectTimes(const std::vector<double>& actual, const std::vector<double>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(actual[i], expected[i], 1e-12) << "record " << i;
}

// Appends a byte that no instruction has to a code section of a compiled data file, as a
// damaged file would hold it; the interpreter meets it after the section's own code.
void appendUnknownOpcode(const std::string& dataFile, int section)
{
    static const char* const labels[] = {"/assume", "/sub var.", "/initial", "/equation",
                                         "/terminate"};
    std::vector<std::string> lines = splitLines(readAll(dataFile));
    const auto head = std::find_if(lines.begin(), lines.end(), [&](const std::string& l) {
        return l.find(labels[section]) != std::string::npos;
    });
    ASSERT_NE(head, lines.end());
    const int length = std::stoi(*head);
    *head = std::to_string(length + 1) + head->substr(head->find(' '));
    // Twenty bytes a line.
    const auto codeLines = (length + 19) / 20;
    if (codeLines == 0)
        lines.insert(head + 1, " 200");
    else
        *(head + codeLines) += " 200";
    std::string text;
    for (const std::string& l : lines)
        text += l + "\r\n";
    writeAll(dataFile, text);
}

} // namespace

TEST(TimeLoop, DecayReachesTheKnownValueOfTheScheme)
{
    const double q = 0.95 / 1.05;
    struct Case {
        double alpha;
        int fileOutType;
        double lastTime;
        double lastValue;
    } cases[] = {
        {1.0, 0, 1.0, std::pow(1.1, -10)},
        {0.5, 1, 1.0, std::pow(q, 10)},
        // The record carries the theta level: time 0.95, the mean of the last two levels.
        {0.5, 0, 0.95, 0.5 * (std::pow(q, 9) + std::pow(q, 10))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "ALPHA " << c.alpha << " FILEOUTTYPE " << c.fileOutType);
        auto d = decayDocument();
        d->control().ALPHA = c.alpha;
        d->control().FILEOUTTYPE = c.fileOutType;
        ASSERT_EQ(d->compile(), "");
        const RunOutcome out = runEngine(d->dataFile());
        EXPECT_EQ(out.status, 0);
        EXPECT_EQ(out.errors, 0);
        EXPECT_EQ(out.warnings, 0);

        const std::vector<ResultRecord> records = readRecords(d->path(".MVO3$"));
        ASSERT_EQ(records.size(), 11u); // the start level and one per step
        EXPECT_EQ(records[0].time, 0.0);
        EXPECT_EQ(records[0].values, std::vector<double>{1.0});
        EXPECT_NEAR(records.back().time, c.lastTime, 1e-13);
        EXPECT_NEAR(records.back().values.at(0), c.lastValue, 1e-12 * c.lastValue);

        // One iteration for the consistent start, two per linear step.
        const std::vector<std::string> log = readLog(d->path(".MVL3$"));
        EXPECT_EQ(countLinesStartingWith(log, "L="), 21);
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.back(), "Job finished normally.");
        EXPECT_EQ(countLinesStartingWith(log, "0 error(s)"), 0);

        const RestartContent restart = readRestart(d->path(".MVR3$"));
        EXPECT_NEAR(restart.time, 1.0, 1e-13);
        ASSERT_EQ(restart.values.size(), 1u);
        EXPECT_NEAR(restart.values[0], std::pow(c.alpha == 1 ? 1.1 : 1 / q, -10), 1e-12);
    }
}

TEST(TimeLoop, StepsReachEveryOutputTimeAndIfilChoosesTheWrittenLevels)
{
    struct Case {
        const char* name;
        double delt;
        double interval;
        double tend;
        int ifil;
        std::vector<double> times; // times of the records after the start level
    } cases[] = {
        // After 0.6 less than a step would remain before 1: the rest is halved.
        {"halving before each output time", 0.3, 1.0, 3.0, 1,
         {0.3, 0.6, 0.8, 1.0, 1.3, 1.6, 1.8, 2.0, 2.3, 2.6, 2.8, 3.0}},
        {"IFIL 0 writes the output times only", 0.3, 1.0, 3.0, 0, {1.0, 2.0, 3.0}},
        {"IFIL 3 counts from the first step", 0.1, -1.0, 1.0, 3, {0.3, 0.6, 0.9, 1.0}},
        {"IFIL 1 writes every level", 0.25, -1.0, 1.0, 1, {0.25, 0.5, 0.75, 1.0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto d = decayDocument();
        d->control().DELT = c.delt;
        d->control().TEND = c.tend;
        d->control().IFIL = c.ifil;
        d->control().FILEOUTTYPE = 1;
        d->symbols().TGRID_A = c.interval;
        ASSERT_EQ(d->compile(), "");
        EXPECT_EQ(runEngine(d->dataFile()).status, 0);
        std::vector<double> times = timesOf(readRecords(d->path(".MVO3$")));
        ASSERT_FALSE(times.empty());
        EXPECT_EQ(times.front(), 0.0);
        times.erase(times.begin());
        expectTimes(times, c.times);
    }
}

TEST(TimeLoop, StepSizeCheckDoublesOrShrinksTheNominalStep)
{
    // Backward Euler on c' = -c: two steps of r against one of 2r differ by r^2 / (1 + r)^2.
    const double error = r * r / ((1 + r) * (1 + r));
    struct Case {
        double epsdif;
        double fifthStep;
    } cases[] = {{0.01, 2 * r}, {0.001, r}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "EPSDIF " << c.epsdif);
        auto d = decayDocument();
        d->doc.adjustTimeStep = true;
        d->control().AUTODELT = 3;
        d->control().EPSDIF = c.epsdif;
        d->control().TEND = 10;
        d->control().IPRT = 1;
        d->control().FILEOUTTYPE = 1;
        d->symbols().TGRID_A = -1;
        ASSERT_EQ(d->compile(), "");
        EXPECT_EQ(runEngine(d->dataFile()).status, 0);
        const std::vector<ResultRecord> records = readRecords(d->path(".MVO3$"));
        ASSERT_GE(records.size(), 6u);
        // Two ordinary steps, the reduced step twice, then the changed nominal step; the time
        // advances by the steps actually solved.
        expectTimes({records[1].time, records[2].time, records[3].time, records[4].time,
                     records[5].time},
                    {0.1, 0.2, 0.2 + r, 0.2 + 2 * r, 0.2 + 2 * r + c.fifthStep});
        EXPECT_NEAR(records[4].values.at(0), std::pow(1.1, -2) * std::pow(1 + r, -2), 1e-12);
        EXPECT_NEAR(records.back().time, 10.0, 1e-12);

        const std::vector<std::string> log = readLog(d->path(".MVL3$"));
        const auto first = std::find_if(log.begin(), log.end(), [](const std::string& l) {
            return l.rfind(" ** auto delta t check :", 0) == 0;
        });
        ASSERT_NE(first, log.end());
        EXPECT_NEAR(std::stod(first->substr(24)), error, 1e-6 * error);
    }
}

TEST(TimeLoop, TerminateEndsTheRunWhenItsValueRoundsToOne)
{
    struct Case {
        const char* terminate;
        bool adjust;
        double lastTime;
    } cases[] = {
        {"%TERMINATE: 1.4*(t > 0.25)", false, 0.3},
        {"%TERMINATE: 1.6*(t > 0.25)", false, 1.0},
        // TERMINATE sees the level solved: c[t] of the step just made is -c.
        {"%TERMINATE: ABS(c[t] + c) < 1e-6", false, 0.1},
        // ... also in the step whose check doubles the nominal step.
        {"%TERMINATE: ABS(c[t] + c) > 1e-6", true, 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.terminate);
        auto d = decayDocument();
        d->control().IFIL = 0; // the terminating level is written anyway
        d->control().FILEOUTTYPE = 1;
        d->symbols().TGRID_A = -1;
        if (c.adjust) {
            d->doc.adjustTimeStep = true;
            d->control().AUTODELT = 3;
            d->control().EPSDIF = 0.01;
        }
        d->script(SectionTerminate, {c.terminate});
        ASSERT_EQ(d->compile(), "");
        EXPECT_EQ(runEngine(d->dataFile()).status, 0);
        const std::vector<ResultRecord> records = readRecords(d->path(".MVO3$"));
        ASSERT_EQ(records.size(), 2u);
        EXPECT_NEAR(records.back().time, c.lastTime, 1e-12);
        EXPECT_NEAR(readRestart(d->path(".MVR3$")).time, c.lastTime, 1e-12);
        EXPECT_EQ(readLog(d->path(".MVL3$")).back(), "Job finished normally.");
    }
}

TEST(TimeLoop, ParameterFileShorterThanTheStepsKeepsItsLastValues)
{
    auto d = decayDocument();
    d->script(SectionEquation, {"%EQU: c[t] - FILE(1)"});
    ASSERT_EQ(d->compile(), "");
    writeAll(d->path(".PRM"), "1\r\n2\r\n3,9\r\n4\r\n");
    const RunOutcome out = runEngine(d->dataFile());
    EXPECT_EQ(out.status, 0);
    EXPECT_EQ(out.warnings, 7); // steps 4 to 10 find no line
    const std::vector<ResultRecord> records = readRecords(d->path(".MVO3$"));
    ASSERT_EQ(records.size(), 11u);
    EXPECT_NEAR(records.back().values.at(0), 1 + 0.1 * (2 + 3 + 4 * 8), 1e-9);
    const std::vector<std::string> log = readLog(d->path(".MVL3$"));
    EXPECT_EQ(std::count(log.begin(), log.end(), " ?  W0004  ?"), 7);
    EXPECT_EQ(log.back(), "Job finished normally.");
}

TEST(TimeLoop, FailuresEndTheRunWithTheirStatusAndSummary)
{
    struct Case {
        const char* name;
        const char* initial;
        const char* equation;
        int status;
        const char* errorLine; // nullptr: the preparation failed, no line of its own
        double restartTime;    // start of the failed step
        std::size_t records;
        int damaged = -1;      // a section given a byte no instruction has
        int newtonIterations = -1; // LMAX when not negative
    } cases[] = {
        {"singular step", "%EQU: c - 1", "%EQU: (c[t] + c)*(t < 0.25)", 8, " ! E0008 !", 0.2, 3},
        {"math error in a step", "%EQU: c - 1", "%EQU: c[t] + c + 0*LOG(0.25 - t)", 18,
         " ! E0018 !", 0.2, 3},
        {"singular start", "%EQU: 0*c", "%EQU: c[t] + c", 7, nullptr, 0.0, 0},
        {"math error at the start", "%EQU: c - 1 + 0*LOG(c - 2)", "%EQU: c[t] + c", 17,
         nullptr, 0.0, 0},
        // A damaged section: the unknown opcode counts an error; the level being prepared or
        // solved fails at once, its values unwritten.
        {"unknown opcode in ASSUME", "%EQU: c - 1", "%EQU: c[t] + c", 11, nullptr, 0.0, 0,
         SectionAssume},
        {"unknown opcode in TERMINATE", "%EQU: c - 1", "%EQU: c[t] + c", 11, " ! E0011 !", 0.0,
         1, SectionTerminate},
        // With no Newton iteration nothing stopped on the error, and the run ended with status
        // 0 and one error.
        {"unknown opcode in ASSUME, no Newton iteration", "%EQU: c - 1", "%EQU: c[t] + c", 11,
         " ! E0011 !", 0.0, 0, SectionAssume, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto d = decayDocument();
        if (c.newtonIterations >= 0)
            d->control().LMAX = c.newtonIterations;
        d->script(SectionInitial, {c.initial});
        d->script(SectionEquation, {c.equation});
        ASSERT_EQ(d->compile(), "");
        if (c.damaged >= 0)
            appendUnknownOpcode(d->dataFile(), c.damaged);
        const RunOutcome out = runEngine(d->dataFile());
        EXPECT_EQ(out.status, c.status);
        EXPECT_GE(out.errors, 1);
        EXPECT_EQ(readRecords(d->path(".MVO3$")).size(), c.records);
        EXPECT_NEAR(readRestart(d->path(".MVR3$")).time, c.restartTime, 1e-12);

        const std::vector<std::string> log = readLog(d->path(".MVL3$"));
        ASSERT_GE(log.size(), 2u);
        char summary[96];
        std::snprintf(summary, sizeof summary, "%d error(s), %d warning(s) [%d]", out.errors,
                      out.warnings, c.status);
        EXPECT_EQ(log.back(), summary);
        if (c.errorLine) {
            EXPECT_EQ(log[log.size() - 2], c.errorLine);
        }
        EXPECT_EQ(std::count(log.begin(), log.end(), "Job finished normally."), 0);
    }
}

// A result that is not finite is a math error like a division by zero: named in the log, counted
// as a warning, and with FLOATINGERROR 0 the level fails (here the start, 17); with 1 the run
// goes on with the substitutes and writes only numbers. A residual that is not finite fails its
// level whatever FLOATINGERROR says.
TEST(TimeLoop, ResultsThatAreNotFiniteAreMathErrors)
{
    struct Case {
        const char* subVariable; // s = ...
        const char* equation;
        const char* name;        // function named in the W0013 lines; nullptr: no error
        int status0, status1;    // with FLOATINGERROR 0 and 1
    } cases[] = {
        {"EXP(1000)*c", "%EQU: c[t] + c", "EXP", 17, 0},
        {"COSH(1000)*c", "%EQU: c[t] + c", "COSH", 17, 0},
        {"1E308*10*c", "%EQU: c[t] + c", "INF", 17, 0},
        {"1E200^2*c", "%EQU: c[t] + c", "INF", 17, 0},
        {"(1E308*10 - 1E308*10)*c", "%EQU: c[t] + c", "NAN", 17, 0},
        {"EXP(-1000)*c + 1E-300*1E-300", "%EQU: c[t] + c", nullptr, 0, 0},
        {"c", "%EQU: c[t] + c + 0*(1E308*10)", "NAN", 18, 18},
    };
    Declarations declared = variablesOnly({"c"}, true);
    declared.subVariables = {"s"};
    for (const Case& c : cases) {
        for (int floatingError : {0, 1}) {
            SCOPED_TRACE(std::string(c.subVariable) + " / " + c.equation + ", FLOATINGERROR "
                         + std::to_string(floatingError));
            auto d = decayDocument(declared);
            d->control().FLOATINGERROR = floatingError;
            d->script(SectionSubVariable, {QString("s = ") + c.subVariable});
            d->script(SectionEquation, {c.equation});
            ASSERT_EQ(d->compile(), "");
            const RunOutcome out = runEngine(d->dataFile());
            EXPECT_EQ(out.status, floatingError == 0 ? c.status0 : c.status1);
            const std::vector<std::string> log = readLog(d->path(".MVL3$"));
            const std::string group = c.status0 == 18 ? "equation " : "sub var. ";
            const int named =
                c.name ? countLinesStartingWith(log, " ?  W0013  ? group:" + group + "  , pointer:")
                       : 0;
            EXPECT_EQ(countLinesStartingWith(log, " ?  W0013  ?"), named);
            EXPECT_EQ(out.warnings, named);
            if (c.name) {
                EXPECT_GT(named, 0);
                const std::string tail = std::string(", function:") + c.name;
                for (const std::string& line : log)
                    if (line.rfind(" ?  W0013  ?", 0) == 0) {
                        EXPECT_EQ(line.substr(line.size() - tail.size()), tail) << line;
                    }
            }
            if (out.status == 0) {
                const std::vector<ResultRecord> records = readRecords(d->path(".MVO3$"));
                EXPECT_EQ(records.size(), 11u);
                for (const ResultRecord& r : records) {
                    ASSERT_EQ(r.subValues.size(), 1u);
                    ASSERT_EQ(r.values.size(), 1u);
                    EXPECT_TRUE(std::isfinite(r.subValues[0]) && std::isfinite(r.values[0]));
                }
            }
        }
    }
}

// Runs whose time stopped advancing never ended and filled the disk: a step too small to
// change t, and step-size checks that shrank the step without end.
TEST(TimeLoop, TimeThatStopsAdvancingEndsWithStatus19)
{
    struct Case {
        const char* name;
        std::function<void(LoopDocument&)> edit;
        double restartTime; // start of the step that could not be taken
    } cases[] = {
        {"t + dt equals t",
         [](LoopDocument& d) {
             d.control().TSTART = 1e17;
             d.control().TEND = 1.00000000000001e17; // the data file keeps 15 digits
             d.control().DELT = 1;
             d.symbols().TGRID_A = -1;
         },
         1e17},
        {"checks that never pass",
         [](LoopDocument& d) {
             d.doc.adjustTimeStep = true;
             d.control().AUTODELT = 2;
             d.control().EPSDIF = 1e-300;
             d.control().TEND = 10;
             d.symbols().TGRID_A = -1;
         },
         -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto d = decayDocument();
        c.edit(*d);
        ASSERT_EQ(d->compile(), "");
        const RunOutcome out = runEngine(d->dataFile());
        EXPECT_EQ(out.status, 19);
        EXPECT_EQ(out.errors, 1);
        const std::vector<std::string> log = readLog(d->path(".MVL3$"));
        ASSERT_GE(log.size(), 2u);
        EXPECT_EQ(log[log.size() - 2], " ! E0019 !");
        EXPECT_EQ(log.back(), "1 error(s), 0 warning(s) [19]");
        const double restart = readRestart(d->path(".MVR3$")).time;
        if (c.restartTime >= 0) {
            EXPECT_EQ(restart, c.restartTime);
        } else {
            // The checks shrink the step towards 1e-10 within the first unit of time.
            EXPECT_GT(restart, 0.0);
            EXPECT_LT(restart, 1.0);
        }
    }
    // A small step is no fault in itself: the bound is relative to the data file's DELT.
    auto d = decayDocument();
    d->control().DELT = 1e-12;
    d->control().TEND = 1e-11;
    d->symbols().TGRID_A = -1;
    ASSERT_EQ(d->compile(), "");
    EXPECT_EQ(runEngine(d->dataFile()).status, 0);
}

TEST(TimeLoop, StopBeforeTheFirstStepEndsWithStatusZeroAndNoSummary)
{
    auto d = decayDocument();
    ASSERT_EQ(d->compile(), "");
    const RunOutcome out =
        runEngine(d->dataFile(), [](RRazava& e) { e.globalData()->stopRequest = 1; });
    EXPECT_EQ(out.status, 0);
    EXPECT_EQ(out.errors, 0);
    // Stopped before the start level was written; the restart file carries the start time.
    EXPECT_TRUE(readRecords(d->path(".MVO3$")).empty());
    EXPECT_EQ(readRestart(d->path(".MVR3$")).time, 0.0);
    const std::vector<std::string> log = readLog(d->path(".MVL3$"));
    EXPECT_EQ(countLinesStartingWith(log, "0 error(s)"), 0);
    EXPECT_EQ(std::count(log.begin(), log.end(), "Job finished normally."), 0);
}

TEST(TimeLoop, StopDuringTheStepsEndsAfterTheNewtonSolveWithStatusZero)
{
    auto d = decayDocument();
    d->control().DELT = 0.01;
    d->control().TEND = 1000; // far more steps than the stop lets the run make
    d->control().IPRT = 0;
    d->symbols().TGRID_A = -1;
    ASSERT_EQ(d->compile(), "");
    RRazava engine("MORV", d->dataFile());
    MORVGlobalData& g = *engine.globalData();
    ASSERT_EQ(g.runStatus, 0);
    RunEvent event(d->dataFile());
    g.runEvent = &event;
    // As the monitor does: wait for the run's signals, then ask it to stop once it is stepping.
    std::atomic<bool> done{false};
    std::thread monitor([&] {
        while (!done && g.currentTime.load() < 0.5) {
            event.waitFor(std::chrono::milliseconds(20));
            event.reset();
        }
        g.stopRequest = 1;
    });
    engine.SolveEquation();
    done = true;
    monitor.join();

    EXPECT_EQ(g.runStatus, 0);
    EXPECT_EQ(g.runErrorCount, 0);
    const std::vector<ResultRecord> records = readRecords(d->path(".MVO3$"));
    ASSERT_GE(records.size(), 2u);
    // The restart file carries the start of the stopped step: the last level written.
    const RestartContent restart = readRestart(d->path(".MVR3$"));
    EXPECT_GT(restart.time, 0.4);
    EXPECT_LT(restart.time, 1000);
    EXPECT_NEAR(restart.time, records.back().time, 1e-9);
    const std::vector<std::string> log = readLog(d->path(".MVL3$"));
    EXPECT_EQ(countLinesStartingWith(log, "0 error(s)"), 0);
    EXPECT_EQ(std::count(log.begin(), log.end(), "Job finished normally."), 0);
}

TEST(TimeLoop, ErrorOutsideTheNewtonSolveEscapesWithoutRestartFile)
{
    auto d = decayDocument();
    ASSERT_EQ(d->compile(), "");
    // A result file that cannot be opened.
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(d->path(".MVO3$"))));
    RRazava engine("MORV", d->dataFile());
    ASSERT_EQ(engine.globalData()->runStatus, 0);
    EXPECT_THROW(engine.SolveEquation(), RFileError);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(d->path(".MVR3$"))));
    // The log is closed, its banner on disk.
    EXPECT_FALSE(engine.globalData()->logFile.isOpen());
    EXPECT_EQ(readLog(d->path(".MVL3$")).size(), 3u);
}

TEST(TimeLoop, TransientRunWithoutAPositiveStepDoesNotStart)
{
    // A step of zero or below would never reach the end time: the run would not end.
    for (double delt : {0.0, -0.1}) {
        SCOPED_TRACE(delt);
        auto d = decayDocument();
        d->control().DELT = delt;
        ASSERT_EQ(d->compile(), "");
        RRazava engine("MORV", d->dataFile());
        EXPECT_EQ(engine.globalData()->runStatus, 2);
        EXPECT_NE(engine.startupReason().find("the time step is not positive"), std::string::npos)
            << engine.startupReason();
    }
}

// Output times and field layout of the solver data file.
#include "compiler/OutputTimes.h"
#include "compiler/SolverDataFields.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

namespace {

struct TimesCase {
    const char* what;
    bool timeParameter;
    double tstart, tend, interval;
    QList<double> extra;
    QList<double> expected;
};

void PrintTo(const TimesCase& c, std::ostream* os) { *os << c.what; }

class OutputTimesTable : public ::testing::TestWithParam<TimesCase> {};

TEST_P(OutputTimesTable, ListsTheTimes)
{
    const TimesCase& c = GetParam();
    const QList<double> times = solverOutputTimes(c.timeParameter, c.tstart, c.tend, c.interval, c.extra);
    ASSERT_EQ(times.size(), c.expected.size()) << c.what;
    for (qsizetype i = 0; i < times.size(); ++i)
        EXPECT_NEAR(times[i], c.expected[i], 1e-12) << c.what << " at " << i;
}

INSTANTIATE_TEST_SUITE_P(
    SolverDataFile, OutputTimesTable,
    ::testing::Values(
        TimesCase{"no time parameter: one time before the start", false, 2.0, 10.0, 1.0, {5.0}, {1.0}},
        TimesCase{"no interval, no extra times: only the end", true, 0.0, 3.0, -1.0, {}, {3.0}},
        TimesCase{"regular times from the multiple below the start", true, 0.5, 3.0, 1.0, {}, {1.0, 2.0, 3.0}},
        TimesCase{"extra time equal to a regular time written once", true, 0.0, 3.0, 1.0, {1.0}, {1.0, 2.0, 3.0}},
        TimesCase{"extra times merged in order", true, 0.0, 3.0, 1.0, {0.5, 2.5}, {0.5, 1.0, 2.0, 2.5, 3.0}},
        TimesCase{"extra time at the end drops it and every later one", true, 0.0, 3.0, 1.0, {1.5, 3.0, 2.5},
                  {1.0, 1.5, 2.0, 3.0}},
        TimesCase{"end within tolerance of the last regular time not repeated", true, 0.0, 3.0 + 1e-8, 1.0, {},
                  {1.0, 2.0, 3.0}},
        TimesCase{"extra times only, without an interval", true, 0.0, 4.0, 0.0, {1.0, 2.0}, {1.0, 2.0, 4.0}},
        // Regression: truncating the start to the interval lost the output time 0 of a negative start.
        TimesCase{"negative start keeps the regular time at or below it", true, -0.5, 2.0, 1.0, {}, {0.0, 1.0, 2.0}},
        // Regression: an infinite end, or one too far beyond the interval, grew the list until
        // memory ran out.
        TimesCase{"infinite end: no list", true, 0.0, INFINITY, 1.0, {}, {}},
        TimesCase{"end 1e12 intervals away: no list", true, 0.0, 1e12, 1.0, {0.5}, {}}));

TEST(SolverDataFile, OutputTimesFitUpToTheirLimit)
{
    // The bound counts the regular times below the end, the extra times and the end itself.
    EXPECT_TRUE(outputTimesFit(true, 0.0, kMaxOutputTimes - 2.0, 1.0, 0));
    EXPECT_FALSE(outputTimesFit(true, 0.0, kMaxOutputTimes - 1.0, 1.0, 0));
    EXPECT_FALSE(outputTimesFit(true, 0.0, kMaxOutputTimes - 2.0, 1.0, 1));
    EXPECT_FALSE(outputTimesFit(true, 0.0, 1.0, 1e-300, 0));
    EXPECT_TRUE(outputTimesFit(false, 0.0, INFINITY, 1e-300, 0));
    EXPECT_TRUE(outputTimesFit(true, 5.0, 1.0, 1e-300, 0)); // an end before the start has none
}

TEST(SolverDataFields, RealsKeepTheirWidthAndAPoint)
{
    // Formatting must not follow a locale with a decimal comma.
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    EXPECT_EQ(SolverDataFields::real(1.0), QByteArray("  1.00000000000000E+00"));
    std::setlocale(LC_NUMERIC, saved.c_str());

    EXPECT_EQ(SolverDataFields::real(-0.123456789012345678), QByteArray(" -1.23456789012346E-01"));
    EXPECT_EQ(SolverDataFields::real(1e100), QByteArray(" 1.00000000000000E+100"));
    EXPECT_EQ(SolverDataFields::real(0.0), QByteArray("  0.00000000000000E+00"));
    EXPECT_EQ(SolverDataFields::real(INFINITY).trimmed(), QByteArray("INF"));
    EXPECT_EQ(SolverDataFields::integer(-42, 6), QByteArray("   -42"));
}

TEST(SolverDataFields, FullFieldsNeverFuse)
{
    // Regression: a negative real with a three-digit exponent touched the value before it.
    EXPECT_EQ(SolverDataFields::separated(SolverDataFields::real(-1.5e-100), 22), QByteArray(" -1.50000000000000E-100"));
    EXPECT_EQ(SolverDataFields::separated(SolverDataFields::real(1.5e-100), 22), QByteArray(" 1.50000000000000E-100"));
    // Regression: a node number as wide as its field ran into its neighbour.
    EXPECT_EQ(SolverDataFields::separated(SolverDataFields::integer(123456, 6), 6), QByteArray(" 123456"));
    EXPECT_EQ(SolverDataFields::separated(SolverDataFields::integer(12345, 6), 6), QByteArray(" 12345"));
}

// The grid's bulk is written by the direct formatters, which must give exactly the fields of
// the composed ones, full fields, non-numbers and negative numbers included.
TEST(SolverDataFields, DirectFormattersGiveTheComposedFields)
{
    char buffer[48];
    for (const double v : std::initializer_list<double>{0.0, -0.0, 1.0, -1.5e-100, 1.5e-100, 1e100, -2.5e307, 4.9e-324,
                           0.123456789012345678, NAN, -NAN, INFINITY, -INFINITY}) {
        SCOPED_TRACE(v);
        const int length = SolverDataFields::formatSeparatedReal(buffer, v);
        EXPECT_EQ(QByteArray(buffer, length),
                  SolverDataFields::separated(SolverDataFields::real(v), 22));
    }
    for (const long long v : {0LL, 7LL, -42LL, 12345LL, 123456LL, -12345LL, 9876543210LL}) {
        for (const int width : {6, 10}) {
            SCOPED_TRACE(testing::Message() << v << " in " << width);
            const int length = SolverDataFields::formatSeparatedInteger(buffer, v, width);
            EXPECT_EQ(QByteArray(buffer, length),
                      SolverDataFields::separated(SolverDataFields::integer(v, width), width));
        }
    }
}

TEST(SolverDataFields, RunsBreakLinesAfterTheirLengthAndAtTheEnd)
{
    const auto lines = [](int count) {
        QByteArray out;
        SolverDataFields::writeReals(out, count, [](long long i) { return double(i); });
        return out;
    };
    EXPECT_TRUE(lines(0).isEmpty());
    EXPECT_EQ(lines(10).count("\r\n"), 1);
    EXPECT_TRUE(lines(10).endsWith("9.00000000000000E+00\r\n"));
    EXPECT_EQ(lines(20).count("\r\n"), 2);
    EXPECT_FALSE(lines(20).contains("\r\n\r\n"));
    EXPECT_EQ(lines(11).count("\r\n"), 2);
    EXPECT_EQ(lines(11).size(), 11 * 22 + 2 * 2);
}

} // namespace

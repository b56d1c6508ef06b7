// Comma text and the numbers of the document file.
#include "document/RCommaText.h"
#include "document/RNumberText.h"

#include <QLocale>
#include <gtest/gtest.h>
#include <clocale>
#include <cmath>
#include <limits>

TEST(CommaText, JoinQuotesOnlyFieldsThatNeedIt)
{
    struct Case { QStringList fields; const char* line; };
    const Case cases[] = {
        {{"u", "0", ""}, "u,0,"},
        {{"u", "0", "a comment"}, "u,0,\"a comment\""},
        {{"k", "1,5"}, "k,\"1,5\""},
        {{"say \"hi\"", "x"}, "\"say \"\"hi\"\"\",x"},
        {{"tab\there"}, "\"tab\there\""},
        {{"plain"}, "plain"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(commaTextJoin(c.fields), QString::fromUtf8(c.line));
        EXPECT_EQ(commaSplit(commaTextJoin(c.fields)), c.fields) << c.line;
    }
}

TEST(CommaText, SplitFollowsTheReadingRules)
{
    struct Case { const char* line; bool commas; QStringList fields; };
    const Case cases[] = {
        {"", true, {}},
        {"   ", true, {}},
        {"a,,b", true, {"a", "", "b"}},
        {"a,", true, {"a", ""}},
        {"a, ", true, {"a"}},
        {"\t1\t,2\r", true, {"1", "2"}},
        {",", true, {"", ""}},
        {"a , b", true, {"a", "b"}},
        {"a  b,c", true, {"a", "b", "c"}},
        {"  1.0E+00 -2.0E+00", true, {"1.0E+00", "-2.0E+00"}},
        {"\"x, y\",2", true, {"x, y", "2"}},
        {"\"a\"\"b\"", true, {"a\"b"}},
        {"\"unterminated", true, {"unterminated"}},
        {"\"ab\"cd", true, {"ab", "cd"}},
        {"$MORV 03010000", false, {"$MORV", "03010000"}},
        {"$PARMX 0,x extra", false, {"$PARMX", "0,x", "extra"}},
        {"\t$KEY\t\"quoted value\"", false, {"$KEY", "quoted value"}},
    };
    for (const Case& c : cases) {
        const QString line = QString::fromUtf8(c.line);
        EXPECT_EQ(splitFields(line, c.commas), c.fields) << c.line;
        // The copy-free split agrees on every comma line without quotes and refuses the others.
        if (!c.commas)
            continue;
        FieldViews views;
        const bool quoted = line.contains(u'"');
        ASSERT_EQ(commaSplitViews(line, views), !quoted) << c.line;
        if (quoted) {
            EXPECT_TRUE(views.isEmpty()) << c.line;
            continue;
        }
        QStringList copied;
        for (QStringView v : views)
            copied << v.toString();
        EXPECT_EQ(copied, c.fields) << c.line;
    }
}

TEST(NumberText, RealsInTheirFixedFields)
{
    struct Case { double v; const char* wide; const char* fixed; };
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {1.0, "  1.00000000000000E+00", "  1.00000000000000E+00"},
        {-2.5, " -2.50000000000000E+00", " -2.50000000000000E+00"},
        {0.0, "  0.00000000000000E+00", "  0.00000000000000E+00"},
        {1.0E100, " 1.00000000000000E+100", " 1.00000000000000E+100"},
        // A negative value with a three-digit exponent fills the field and gets a blank.
        {-1.0E-100, "-1.00000000000000E-100", " -1.00000000000000E-100"},
        {1.0 / 3.0, "  3.33333333333333E-01", "  3.33333333333333E-01"},
        {inf, "                   INF", "                   INF"},
        {-inf, "                  -INF", "                  -INF"},
        {std::nan(""), "                   NAN", "                   NAN"},
        {-std::nan(""), "                   NAN", "                   NAN"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(formatReal22(c.v), QString::fromLatin1(c.wide));
        EXPECT_EQ(fixedReal22(c.v), QString::fromLatin1(c.fixed));
    }
}

TEST(NumberText, IntegersInTheirFixedFields)
{
    struct Case { int v; int width; const char* text; };
    const Case cases[] = {
        {5, 6, "     5"}, {-1, 6, "    -1"}, {99999, 6, " 99999"},
        // Values that fill the field are kept apart from the one before.
        {100000, 6, " 100000"}, {-10000, 6, " -10000"},
        {99, 3, " 99"}, {100, 3, " 100"}, {-10, 3, " -10"}, {-9, 3, " -9"},
        {-2147483647, 12, " -2147483647"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fixedInt(c.v, c.width), QString::fromLatin1(c.text)) << c.v;
}

TEST(NumberText, GeneralFormOfLabelledConstants)
{
    struct Case { double v; const char* text; };
    const Case cases[] = {
        {0.5, "0.5"}, {100, "100"}, {1E-6, "1E-6"}, {1.5E20, "1.5E20"}, {0, "0"},
        {-3, "-3"}, {0.00001, "0.00001"}, {0.0000099, "9.9E-6"},
        {123456789012345.0, "123456789012345"}, {1234567890123456.0, "1.23456789012346E15"},
        {1.0 / 3.0, "0.333333333333333"}, {-2.5E-300, "-2.5E-300"},
        {std::numeric_limits<double>::infinity(), "INF"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(formatGeneral15(c.v), QString::fromLatin1(c.text)) << c.text;
}

TEST(NumberText, ParseAcceptsEveryFiniteRealTheWriterWrites)
{
    struct Case { const char* text; double v; };
    const Case cases[] = {
        {"  1.00000000000000E+00", 1.0}, {"-1.00000000000000E-100", -1.0E-100},
        {"0.5", 0.5}, {"1E-6", 1E-6}, {"1.5E20", 1.5E20}, {"5", 5}, {".5", 0.5},
        {"5.", 5.0}, {"+2e3", 2000}, {"4.94065645841247E-324", 4.94065645841247E-324},
        {" 1.0\t", 1.0},
    };
    for (const Case& c : cases) {
        double v = 0;
        ASSERT_TRUE(parseReal(QString::fromLatin1(c.text), v)) << c.text;
        EXPECT_EQ(v, c.v) << c.text;
    }
    // The writer's "INF" and "NAN" are no values a document field may hold.
    double v = 0;
    for (const char* bad : {"", "abc", "1.0.0", "1,5", "1E", "E5", "1D5", "-", "1e999", "0x10",
                            "INF", "-INF", "NAN", "nan", "Infinity"})
        EXPECT_FALSE(parseReal(QString::fromLatin1(bad), v)) << bad;
}

TEST(NumberText, ParseIntegers)
{
    int v = 0;
    ASSERT_TRUE(parseInt("03010000", v));
    EXPECT_EQ(v, 3010000);
    ASSERT_TRUE(parseInt(" -5 ", v));
    EXPECT_EQ(v, -5);
    struct Case { const char* text; int v; };
    const Case cases[] = {
        {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1}, {"+7", 7}, {"-0", 0},
        {"000000000000000000000000000042", 42},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(parseInt(QString::fromLatin1(c.text), v)) << c.text;
        EXPECT_EQ(v, c.v) << c.text;
    }
    v = 11;
    for (const char* bad : {"", "1.0", "x", "2147483648", "-2147483649", "99999999999999999999",
                            "1 2", "-", "+-5", "5-", "1e3"})
        EXPECT_FALSE(parseInt(QString::fromLatin1(bad), v)) << bad;
    EXPECT_EQ(v, 11);
}

// A decimal comma locale must not change what is written or read.
TEST(NumberText, IndependentOfTheUserLocale)
{
    const char* chosen = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    QLocale::setDefault(QLocale(QLocale::German));
    EXPECT_EQ(formatReal22(2.5), QString("  2.50000000000000E+00"));
    EXPECT_EQ(formatGeneral15(2.5), QString("2.5"));
    double v = 0;
    EXPECT_TRUE(parseReal("2.5", v));
    EXPECT_EQ(v, 2.5);
    QLocale::setDefault(QLocale::c());
    if (chosen)
        std::setlocale(LC_NUMERIC, "C");
}

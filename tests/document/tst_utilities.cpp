#include "document/RUtilities.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <cmath>

TEST(Utilities, VersionInfoOfProgramAndOfOtherFiles)
{
    const int own = VersionInfo(QString());
    // The document reader accepts only version 3 numbers; our own files must pass it.
    EXPECT_GE(own, 3000000);
    EXPECT_LT(own, 4000000);
    EXPECT_EQ(VersionInfo(QCoreApplication::applicationFilePath()), own);
    EXPECT_EQ(VersionInfo("/no/such/file"), 99999999);
    EXPECT_EQ(VersionInfo("/bin/sh"), 99999999);
}

TEST(Utilities, FixedLengthString)
{
    EXPECT_EQ(FixedLengthString("abc", 5), QString("abc  "));
    EXPECT_EQ(FixedLengthString("abcdef", 4), QString("abcd"));
    EXPECT_EQ(FixedLengthString("abc", 0), QString());
    EXPECT_EQ(FixedLengthString("abc", -3), QString());
}

TEST(Utilities, Round45ToSignificantDigits)
{
    struct Case { double x; double expected; };
    const Case cases[] = {
        {0.0, 0.0},
        {5.0e-10, 0.0},
        {1.23456789012, 1.23456789},
        {-1.23456789012, -1.23456789},
        // Values below 1 keep their significant digits instead of being rounded ever coarser.
        {0.123456789012, 0.123456789},
        {4.0e-5, 4.0e-5},
        // Large values are rounded too, not passed through.
        {12345.678901234567, 12345.6789},
        {2.5, 2.5},
        {0.15, 0.15},
        {1.00000000049, 1.0},
        {1.00000000051, 1.000000001},
        {-987654321987.0, -987654322000.0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(round45(c.x, 10), c.expected) << c.x;
    EXPECT_DOUBLE_EQ(round45(1.25, 2), 1.3);
    EXPECT_DOUBLE_EQ(round45(-1.25, 2), -1.3);
    EXPECT_TRUE(std::isinf(round45(INFINITY, 10)));
    EXPECT_TRUE(std::isnan(round45(NAN, 10)));
}

TEST(Utilities, SortsOrderIndexByKeys)
{
    const double keys[] = {3.0, -1.0, 2.0, 2.0, 10.0};
    QList<int> up{0, 1, 2, 3, 4};
    hsort(up, keys, 1.0);
    for (int i = 1; i < up.size(); ++i)
        EXPECT_LE(keys[up[i - 1]], keys[up[i]]);
    QList<int> down{0, 1, 2, 3, 4};
    bsort(down, keys, -1.0);
    EXPECT_EQ(down.first(), 4);
    EXPECT_EQ(down.last(), 1);

    const QStringList names{"beta", "Alpha", "gamma"};
    QList<int> byName{0, 1, 2};
    hsort(byName, names, 1.0);
    EXPECT_EQ(byName, (QList<int>{1, 0, 2}));
    hsort(byName, names, -1.0);
    EXPECT_EQ(byName, (QList<int>{2, 0, 1}));
}

TEST(Utilities, GradientOfPlane)
{
    const double x[] = {0, 1, 0}, y[] = {0, 0, 1}, f[] = {0, 1, 0};
    double gx = -1, gy = -1;
    gradient(x, y, f, gx, gy);
    EXPECT_DOUBLE_EQ(gx, 1.0);
    EXPECT_DOUBLE_EQ(gy, 0.0);
    const double f2[] = {2, 5, -1};  // f = 2 + 3x - 3y
    gradient(x, y, f2, gx, gy);
    EXPECT_DOUBLE_EQ(gx, 3.0);
    EXPECT_DOUBLE_EQ(gy, -3.0);
    const double lx[] = {0, 1, 2}, ly[] = {0, 1, 2};
    gradient(lx, ly, f, gx, gy);
    EXPECT_EQ(gx, 0.0);
    EXPECT_EQ(gy, 0.0);
}

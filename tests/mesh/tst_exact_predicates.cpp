// The exact orientation and in-circle signs against integer arithmetic, on configurations so
// close to collinear or cocircular that the plain floating-point formulas get the sign wrong.
#include "mesh/RExactPredicates.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <vector>

namespace {
int sign(__int128 v)
{
    return v > 0 ? 1 : v < 0 ? -1 : 0;
}

// Coordinates are integers (possibly scaled by one power of two), small enough that the
// determinants are exact in 128 bits.
int orientationOfIntegers(long long ax, long long ay, long long bx, long long by, long long cx,
                          long long cy)
{
    return sign(__int128(bx - ax) * (cy - ay) - __int128(by - ay) * (cx - ax));
}

int inCircleOfIntegers(long long ax, long long ay, long long bx, long long by, long long cx,
                       long long cy, long long dx, long long dy)
{
    const __int128 adx = ax - dx, ady = ay - dy, bdx = bx - dx, bdy = by - dy, cdx = cx - dx,
                   cdy = cy - dy;
    const __int128 det = (adx * adx + ady * ady) * (bdx * cdy - cdx * bdy)
                         + (bdx * bdx + bdy * bdy) * (cdx * ady - adx * cdy)
                         + (cdx * cdx + cdy * cdy) * (adx * bdy - bdx * ady);
    return sign(det);
}
} // namespace

TEST(ExactPredicates, OrientationOfNearlyCollinearPoints)
{
    // A point a grid of units in the last place around (0.5, 0.5), and two points on the line
    // y = x far beyond it: the rounded formula gets many of these signs wrong. In units of 2^-53
    // every coordinate is an integer.
    const double unit = 1.0 / 9007199254740992.0; // 2^-53
    const long long half = 1LL << 52, b = 12LL << 53, c = 24LL << 53;
    int decided[3] = {0, 0, 0};
    for (int i = 0; i < 64; ++i)
        for (int j = 0; j < 64; ++j) {
            const long long ax = half + i, ay = half + j;
            const int expected = orientationOfIntegers(ax, ay, b, b, c, c);
            const double x = 0.5 + i * unit, y = 0.5 + j * unit;
            ASSERT_EQ(exactOrientation(x, y, 12, 12, 24, 24), expected) << i << ' ' << j;
            // The sign follows the vertex order.
            ASSERT_EQ(exactOrientation(12, 12, x, y, 24, 24), -expected) << i << ' ' << j;
            ASSERT_EQ(exactOrientation(24, 24, x, y, 12, 12), expected) << i << ' ' << j;
            ++decided[expected + 1];
        }
    EXPECT_GT(decided[0], 100);
    EXPECT_GT(decided[1], 0);
    EXPECT_GT(decided[2], 100);
}

TEST(ExactPredicates, InCircleOfNearlyCocircularPoints)
{
    // Integer points of the circle x^2 + y^2 = 48612265^2 in all four quadrants, each moved by
    // at most one unit: the products of the determinant no longer fit a double exactly.
    const long long quarter[][2] = {{1547863, 48587616},  {10400983, 47486544},
                                    {19412183, 44568144}, {26394487, 40822584}};
    std::vector<std::array<long long, 2>> pts;
    for (const auto& p : quarter) {
        pts.push_back({p[0], p[1]});
        pts.push_back({-p[1], p[0]});
        pts.push_back({-p[0], -p[1]});
        pts.push_back({p[1], -p[0]});
    }
    std::mt19937 rng(11);
    int counts[3] = {0, 0, 0};
    for (int i = 0; i < 6000; ++i) {
        long long q[4][2];
        for (auto& point : q) {
            const auto& p = pts[rng() % pts.size()];
            for (int k = 0; k < 2; ++k)
                point[k] = p[k] + (i % 3 == 0 ? 0 : (long long)(rng() % 3) - 1);
        }
        const int expected = inCircleOfIntegers(q[0][0], q[0][1], q[1][0], q[1][1], q[2][0],
                                                q[2][1], q[3][0], q[3][1]);
        double f[4][2];
        for (int k = 0; k < 4; ++k)
            for (int j = 0; j < 2; ++j)
                f[k][j] = double(q[k][j]);
        ASSERT_EQ(exactInCircle(f[0][0], f[0][1], f[1][0], f[1][1], f[2][0], f[2][1], f[3][0],
                                f[3][1]),
                  expected)
            << i;
        // The same four points seen from the other side of the edge b-c give the same sign.
        ASSERT_EQ(exactInCircle(f[3][0], f[3][1], f[2][0], f[2][1], f[1][0], f[1][1], f[0][0],
                                f[0][1]),
                  expected)
            << i;
        ++counts[expected + 1];
    }
    EXPECT_GT(counts[0], 100);
    EXPECT_GT(counts[1], 100);
    EXPECT_GT(counts[2], 100);
}

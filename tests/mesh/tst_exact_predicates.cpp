// The exact orientation and in-circle signs against integer arithmetic, on configurations so
// close to collinear or cocircular that the plain floating-point formulas get the sign wrong.
#include "mesh/RExactPredicates.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
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

namespace {
// 16 I o - |ab|^2 |bc|^2 |ca|^2 for integer points: d inside the circle of a, b, c shrunk to
// 3/4 of its squared radius when positive (a, b, c counterclockwise).
__int128 shrunkByQuarterOfIntegers(long long ax, long long ay, long long bx, long long by,
                                   long long cx, long long cy, long long dx, long long dy,
                                   __int128& in, __int128& o)
{
    const __int128 adx = ax - dx, ady = ay - dy, bdx = bx - dx, bdy = by - dy, cdx = cx - dx,
                   cdy = cy - dy;
    in = (adx * adx + ady * ady) * (bdx * cdy - cdx * bdy)
         + (bdx * bdx + bdy * bdy) * (cdx * ady - adx * cdy)
         + (cdx * cdx + cdy * cdy) * (adx * bdy - bdx * ady);
    o = __int128(bx - ax) * (cy - ay) - __int128(by - ay) * (cx - ax);
    auto sq = [](__int128 x, __int128 y) { return x * x + y * y; };
    const __int128 sides = sq(bx - ax, by - ay) * sq(cx - bx, cy - by) * sq(ax - cx, ay - cy);
    return 16 * in * o - sides;
}
} // namespace

// The circle test with a margin: inside the circle shrunk about its centre, and inside by a
// margin capped for a flat triangle, against 128-bit integers; points on the shrunk circle
// itself and one unit in the last place off it.
TEST(ExactPredicates, InsideTheCircleByAMargin)
{
    // The circle x^2 + y^2 = 25 shrunk to 9/16 of its squared radius passes through (3.75, 0).
    const double on = 3.75;
    EXPECT_EQ(exactInShrunkCircle(5, 0, 0, 5, -3, -4, on, 0, 0.5625), 0);
    EXPECT_EQ(exactInShrunkCircle(5, 0, 0, 5, -3, -4, std::nextafter(on, 0.0), 0, 0.5625), 1);
    EXPECT_EQ(exactInShrunkCircle(5, 0, 0, 5, -3, -4, std::nextafter(on, 9.0), 0, 0.5625), -1);
    // Far from the origin the differences of the coordinates are no longer exact in doubles.
    const double far = 1 << 26;
    EXPECT_EQ(exactInShrunkCircle(far + 5, far, far, far + 5, far - 3, far - 4, far + on, far,
                                  0.5625),
              0);

    // A grid of points d around the circle through (0, 0), (8, 0) and (0, 6) shrunk to 3/4,
    // moved far off the origin, with and without a cap of the margin.
    const long long offset = 1LL << 24;
    int counts[3] = {0, 0, 0}; // no integer point lies on this shrunk circle
    for (long long x = -2; x <= 10; ++x)
        for (long long y = -3; y <= 9; ++y) {
            __int128 in, o;
            const long long X = offset + x, Y = offset + y, A = offset, B = offset + 8,
                            C = offset + 6;
            const __int128 value = shrunkByQuarterOfIntegers(A, A, B, A, A, C, X, Y, in, o);
            const int expected = value > 0 ? 1 : value < 0 ? -1 : 0;
            const double fx = double(X), fy = double(Y);
            ASSERT_EQ(exactInShrunkCircle(double(A), double(A), double(B), double(A), double(A),
                                          double(C), fx, fy, 0.75),
                      expected)
                << x << ' ' << y;
            ++counts[expected + 1];
            // Capped at 8: inside as well when I - (1/4)(8) o > 0.
            const bool capped = expected > 0 || in - 2 * o > 0;
            ASSERT_EQ(exactInCircleByMargin(double(A), double(A), double(B), double(A), double(A),
                                            double(C), fx, fy, 0.75, 8.0),
                      capped)
                << x << ' ' << y;
        }
    EXPECT_GT(counts[0], 10);
    EXPECT_GT(counts[2], 10);
}

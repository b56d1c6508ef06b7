// The banded winding test against the angle sum it stands in for, on walks of arcs and
// polygons, for points anywhere, on the walk and within rounding of it.
#include "document/RTriangleMesh.h"
#include "mesh/RWindingIndex.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {
constexpr double kPi = 3.14159265358979;

bool bySum(double x, double y, const std::vector<double>& xs, const std::vector<double>& ys)
{
    return std::fabs(RTriangleMesh::windingSum(x, y, xs, ys)) > kPi;
}
} // namespace

TEST(WindingIndex, AgreesWithTheAngleSum)
{
    struct Walk {
        const char* name;
        std::vector<double> xs, ys;
    };
    std::vector<Walk> walks;
    {
        // A circle of 1000 chords, walked clockwise, far from the origin.
        Walk w{"circle", {}, {}};
        for (int i = 0; i <= 1000; ++i) {
            const double a = -2 * kPi * (i % 1000) / 1000;
            w.xs.push_back(1e4 + 10 * std::cos(a));
            w.ys.push_back(-3e3 + 10 * std::sin(a));
        }
        walks.push_back(w);
    }
    {
        // A comb with horizontal chords at the heights of the probes, and a loop walked twice.
        Walk w{"comb", {0, 10, 10, 9, 9, 8, 8, 1, 1, 0, 0}, {0, 0, 5, 5, 1, 1, 5, 5, 1, 1, 0}};
        walks.push_back(w);
        Walk twice{"twice", {0, 2, 1, 0, 2, 1, 0}, {0, 0, 2, 0, 0, 2, 0}};
        walks.push_back(twice);
    }
    std::mt19937 rng(3);
    for (const Walk& w : walks) {
        RWindingIndex index;
        index.build(w.xs, w.ys);
        const auto [x0, x1] = std::minmax_element(w.xs.begin(), w.xs.end());
        const auto [y0, y1] = std::minmax_element(w.ys.begin(), w.ys.end());
        std::uniform_real_distribution<double> ux(*x0 - 1, *x1 + 1), uy(*y0 - 1, *y1 + 1);
        std::uniform_real_distribution<double> along(0, 1);
        int decided = 0, inside = 0;
        for (int i = 0; i < 20000; ++i) {
            double x, y;
            if (i % 4 == 0) {
                // On a chord, or within a few units in the last place of it.
                const size_t k = rng() % (w.xs.size() - 1);
                const double t = along(rng);
                x = w.xs[k] + t * (w.xs[k + 1] - w.xs[k]);
                y = w.ys[k] + t * (w.ys[k + 1] - w.ys[k]);
                x = std::nextafter(x, i % 8 == 0 ? 1e300 : -1e300);
            } else if (i % 4 == 1) {
                // At the height of a walk point.
                x = ux(rng);
                y = w.ys[rng() % w.ys.size()];
            } else {
                x = ux(rng);
                y = uy(rng);
            }
            const int c = index.classify(x, y);
            if (c < 0)
                continue;
            ++decided;
            inside += c;
            ASSERT_EQ(c == 1, bySum(x, y, w.xs, w.ys)) << w.name << " at " << x << ", " << y;
        }
        EXPECT_GT(decided, 10000) << w.name;
        EXPECT_GT(inside, 1000) << w.name;
    }
}

TEST(WindingIndex, OpenWalkIsLeftToTheAngleSum)
{
    RWindingIndex index;
    index.build({0, 1, 1, 0}, {0, 0, 1, 1});
    EXPECT_EQ(index.classify(0.5, 0.5), -1);
}

// Point insertion, flips and the quality sequence of the generator, checked by the invariant
// checker after every insertion, and the fast lookups against the plain scans.
#include "MeshFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {
// A generator on an empty figure with only the enclosing triangle of the unit box.
void startEmpty(RDelaunay& d, double spacing = 0.1)
{
    RTriangleMesh& m = *d.mesh;
    // One square with no division gives the box; its nodes are then the only nodes.
    addPolygon(m, {0, 0, 1, 0, 1, 1, 0, 1});
    ASSERT_EQ(d.CheckPath(), 0);
    d.roughMesh();
    (void)spacing;
}
} // namespace

TEST(DelaunayInsert, RandomInsertionKeepsInvariantsAfterEveryPoint)
{
    for (unsigned seed : {1u, 2u, 3u}) {
        RTriangleMesh m(30);
        RDelaunay d(&m);
        startEmpty(d);
        d.minSpacing = 0.01;
        std::mt19937 rng(seed);
        std::uniform_real_distribution<double> u(0.001, 0.999);
        for (int i = 0; i < 300; ++i) {
            d.MeshInsertPoint(u(rng), u(rng), -1, 1, 0, 0.05);
            const std::string problem = checkMesh(d, true, 0, 1.0);
            ASSERT_EQ(problem, "") << "seed " << seed << " after point " << i;
        }
    }
}

TEST(DelaunayMesh, SquareMeshesInEveryType)
{
    for (int type : {0, 1, 2, 3, 4}) {
        RTriangleMesh m(30);
        addPolygon(m, {0, 0, 1, 0, 1, 1, 0, 1}, 10);
        RDelaunay d(&m);
        d.meshType = type;
        ASSERT_EQ(d.CheckPath(), 0);
        ASSERT_TRUE(d.generate()) << type;
        EXPECT_EQ(checkMesh(d, false, 0, 1.0), "") << type;
        EXPECT_EQ(checkBoundaryPieces(d), "") << type;
        if (type != 3)
            EXPECT_GT(m.triangles.size(), 100) << type;
    }
}

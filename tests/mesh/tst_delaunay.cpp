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
        if (type != 3) {
            EXPECT_GT(m.triangles.size(), 100) << type;
        }
    }
}

namespace {
// A seeded random figure: a star-shaped outer polygon with graded divisions, sometimes a hole
// of arcs, an inner border and free inner points.
void randomFigure(RTriangleMesh& m, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(0, 1);
    const int corners = 5 + int(u(rng) * 5);
    std::vector<int> pts;
    for (int i = 0; i < corners; ++i) {
        const double a = 2 * 3.14159265358979 * (i + 0.3 * u(rng)) / corners;
        const double r = 3 + 1.5 * u(rng);
        pts.push_back(addPoint(m, r * std::cos(a), r * std::sin(a)));
    }
    for (int i = 0; i < corners; ++i) {
        SegmentSpec spec;
        spec.division = 2 + int(u(rng) * 6);
        spec.bias = u(rng) < 0.5 ? 0.0 : 0.6 * (u(rng) - 0.5);
        spec.region = 1;
        spec.label = i % 2 ? "Wall" : "wall";
        addSegment(m, pts[i], pts[(i + 1) % corners], spec);
    }
    if (seed % 2 == 0)
        addCircle(m, 0.2, -0.1, 1.0, 3, 4 + int(u(rng) * 4), 1.0, 2, "hole");
    else {
        const int a = addPoint(m, -1.5, 1.2), b = addPoint(m, -0.5, 1.6);
        SegmentSpec spec;
        spec.type = 0;
        spec.division = 3;
        addSegment(m, a, b, spec);
    }
    addPoint(m, 1.9, 1.1);
    addPoint(m, -0.3, -2.2);
}
} // namespace

TEST(DelaunayMesh, FastLookupsGiveTheScansResult)
{
    for (unsigned seed = 1; seed <= 6; ++seed) {
        for (int type : {1, 2, 4}) {
            QString texts[2];
            std::vector<int> seqs[2];
            for (int fast = 0; fast < 2; ++fast) {
                RTriangleMesh m(30);
                randomFigure(m, seed);
                m.setToleranceFromFigure();
                RDelaunay d(&m);
                d.setFastPaths(fast == 1);
                d.meshType = type;
                ASSERT_EQ(d.CheckPath(), 0) << seed;
                ASSERT_TRUE(d.generate()) << seed << " type " << type;
                texts[fast] = meshText(m);
                seqs[fast] = d.triangleSeq();
                if (fast == 1) {
                    const int holes = seed % 2 == 0 ? 1 : 0;
                    EXPECT_EQ(checkMesh(d, false, holes, chordArea(m)), "")
                        << seed << " type " << type;
                    EXPECT_EQ(checkBoundaryPieces(d), "") << seed << " type " << type;
                }
            }
            EXPECT_TRUE(texts[0] == texts[1]) << "seed " << seed << " type " << type;
            EXPECT_EQ(seqs[0], seqs[1]) << "seed " << seed << " type " << type;
        }
    }
}

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

// Fault guarded: with a tolerance of a hundredth of the square, points counted as lying on an
// edge beside a thin triangle were split into a folded triangle, after which two triangles were
// flipped back and forth until memory ran out.
TEST(DelaunayInsert, PointsWithinToleranceOfThinTrianglesNeverFoldTheMesh)
{
    for (unsigned seed : {1u, 2u, 3u, 4u}) {
        RTriangleMesh m(30);
        RDelaunay d(&m);
        startEmpty(d);
        m.tolerance = 0.01;
        d.minSpacing = 0.01;
        std::mt19937 rng(seed);
        std::uniform_real_distribution<double> u(0.001, 0.999);
        for (int i = 0; i < 200; ++i) {
            d.MeshInsertPoint(u(rng), u(rng), -1, 1, 0, 0.05);
            ASSERT_FALSE(d.failed) << "seed " << seed << " after point " << i;
            // Not flip-free: the flip test's margin differs from the two sides of an edge, and
            // such points make quadrilaterals where the side the cascade tests says no.
            const std::string problem = checkMesh(d, false, 0, 1.0);
            ASSERT_EQ(problem, "") << "seed " << seed << " after point " << i;
        }
    }
}

// Fault guarded: the flip cascade of one insertion never looked at the cancel flag.
TEST(DelaunayInsert, CancelStopsTheFlipCascade)
{
    long long flips[2];
    for (int cancelled = 0; cancelled < 2; ++cancelled) {
        RTriangleMesh m(30);
        addPolygon(m, {0, 0, 1, 0, 1, 1, 0, 1}, 12);
        RDelaunay d(&m);
        ASSERT_EQ(d.CheckPath(), 0);
        d.roughMesh();
        const long long before = d.flipTotal;
        d.cancel = cancelled == 1;
        ASSERT_EQ(d.MeshInsertPoint(0.5, 0.5, -1, 1, 0, 0.1), 0);
        flips[cancelled] = d.flipTotal - before;
        EXPECT_EQ(checkMesh(d, cancelled == 0, 0, 1.0), "") << cancelled;
    }
    EXPECT_GT(flips[0], 5);
    EXPECT_EQ(flips[1], 0);
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

// Fault guarded: the index sized its grid by converting the figure's size over the tolerance to
// int, out of range (undefined) for a large figure at a small tolerance, and one cell resulted.
TEST(DelaunayMesh, FastLookupsGiveTheScansResultAtEveryScale)
{
    for (double size : {1e-7, 1.0, 1e7}) {
        QString texts[2];
        for (int fast = 0; fast < 2; ++fast) {
            RTriangleMesh m(30);
            addPolygon(m, {0, 0, 2 * size, 0, 2 * size, size, 0, size}, 6);
            addPoint(m, 0.7 * size, 0.4 * size);
            m.tolerance = 1e-10 * size * size;
            RDelaunay d(&m);
            d.setFastPaths(fast == 1);
            d.meshType = 4;
            ASSERT_EQ(d.CheckPath(), 0) << size;
            ASSERT_TRUE(d.generate()) << size;
            texts[fast] = meshText(m);
            EXPECT_EQ(checkMesh(d, false, 0, 2 * size * size), "") << size;
        }
        EXPECT_TRUE(texts[0] == texts[1]) << size;
    }
}
